// Recognising the programmer in the system's device-interface notices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/device_notice_record.h"

namespace devlink {

enum DeviceEventCode : std::uint8_t {
    DeviceEventNone = 0,
    DeviceEventArrived = 1,
    DeviceEventRemoved = 2,
};

// The CP210x bridge's USB identity as it appears in an interface path.
inline constexpr std::string_view ProgrammerIdentity = "VID_10C4&PID_EA60";

bool IsProgrammerInterface(std::string_view path);

// The interface path of a device-interface record: the text from byte 28 up
// to the first NUL, at most 256 characters and never past the record's own
// size field. Empty for a record no larger than its 28-byte header; nothing
// for no record, one shorter than the 12-byte common header, or one of
// another device type.
std::optional<std::string> InterfacePathOf(const void* record);

}  // namespace devlink
