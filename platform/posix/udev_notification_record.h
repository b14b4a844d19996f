// The device-interface notice record that the window's device-change handler
// reads, filled on Linux exactly as Windows fills DEV_BROADCAST_DEVICEINTERFACE_A.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/device_notice_record.h"

namespace platform::posix {

// Aligned like the Windows structure, so a reader may treat its start as the
// 32-bit header fields.
struct NotificationRecord {
    alignas(std::uint32_t) std::array<std::uint8_t, NoticeRecordSize> bytes{};

    const void* data() const { return bytes.data(); }
};

// A record for the USB device interface `path`. The path ends at its first NUL
// and is cut to 255 characters, so the name is always terminated inside the
// record and the size field never exceeds NoticeRecordSize.
NotificationRecord BuildNotificationRecord(std::string_view path);

}  // namespace platform::posix
