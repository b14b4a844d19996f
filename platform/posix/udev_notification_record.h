// The device-interface notice record that the window's device-change handler
// reads, filled on Linux exactly as Windows fills DEV_BROADCAST_DEVICEINTERFACE_A.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform::posix {

inline constexpr std::uint32_t DeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
inline constexpr std::uint32_t DeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
inline constexpr std::uint32_t DeviceTypeInterface = 5;        // DBT_DEVTYP_DEVICEINTERFACE

inline constexpr std::size_t RecordHeaderSize = 28;
inline constexpr std::size_t RecordNameAreaSize = 256;
inline constexpr std::size_t RecordSize = RecordHeaderSize + RecordNameAreaSize;

// GUID_DEVINTERFACE_USB_DEVICE {A5DCBF10-6530-11D2-901F-00C04FB951ED} as its
// 16 bytes lie in memory on Windows: the first three fields little-endian.
inline constexpr std::array<std::uint8_t, 16> UsbDeviceInterfaceGuid = {
    0x10, 0xBF, 0xDC, 0xA5, 0x30, 0x65, 0xD2, 0x11, 0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED};

// Aligned like the Windows structure, so a reader may treat its start as the
// 32-bit header fields.
struct NotificationRecord {
    alignas(std::uint32_t) std::array<std::uint8_t, RecordSize> bytes{};

    const void* data() const { return bytes.data(); }
};

// A record for the USB device interface `path`. The path ends at its first NUL
// and is cut to 255 characters, so the name is always terminated inside the
// record and the size field never exceeds RecordSize.
NotificationRecord BuildNotificationRecord(std::string_view path);

}  // namespace platform::posix
