// Recognising the programmer in the system's device-interface notices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace devlink {

enum DeviceEventCode : std::uint8_t {
    DeviceEventNone = 0,
    DeviceEventArrived = 1,
    DeviceEventRemoved = 2,
};

inline constexpr std::uint32_t WM_DEVICECHANGE = 0x0219;
inline constexpr std::uint32_t DBT_DEVICEARRIVAL = 0x8000;
inline constexpr std::uint32_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr std::uint32_t DBT_DEVTYP_DEVICEINTERFACE = 5;

// DEV_BROADCAST_DEVICEINTERFACE_A: a 28-byte header (size, device type,
// reserved, class GUID) and a 256-character name area.
inline constexpr std::uint32_t InterfaceRecordHeaderSize = 28;
inline constexpr std::uint32_t InterfaceNameAreaSize = 256;
inline constexpr std::uint32_t InterfaceRecordSize =
    InterfaceRecordHeaderSize + InterfaceNameAreaSize;

// The CP210x bridge's USB identity as it appears in an interface path.
inline constexpr std::string_view ProgrammerIdentity = "VID_10C4&PID_EA60";

bool IsProgrammerInterface(std::string_view path);

// The interface path of a device-interface record: the text from byte 28 up
// to the first NUL, at most 256 characters and never past the record's own
// size field. Empty for a record too small to hold a header; nothing for a
// record of another device type.
std::optional<std::string> InterfacePathOf(const void* record);

}  // namespace devlink
