// The device-change message and its device-interface record, laid out as
// Windows delivers them (WM_DEVICECHANGE with a DEV_BROADCAST_DEVICEINTERFACE_A
// in lParam). Every platform hands the window's handler this same record, so
// the handler reads one layout everywhere.
//
// The names differ from the Windows macros on purpose: <windows.h> and <dbt.h>
// define WM_DEVICECHANGE, DBT_DEVICEARRIVAL and the rest as macros, which
// would rewrite any declaration spelled the same way.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

namespace platform {

inline constexpr std::uint32_t DeviceChangeMessage = 0x0219;   // WM_DEVICECHANGE
inline constexpr std::uint32_t DeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
inline constexpr std::uint32_t DeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
inline constexpr std::uint32_t DeviceTypeInterface = 5;        // DBT_DEVTYP_DEVICEINTERFACE

// A 28-byte header (size, device type, reserved word, interface class GUID)
// and a name area of 256 single-byte characters holding the NUL-terminated
// interface path.
inline constexpr std::uint32_t NoticeRecordHeaderSize = 28;
inline constexpr std::uint32_t NoticeRecordNameAreaSize = 256;
inline constexpr std::uint32_t NoticeRecordSize = NoticeRecordHeaderSize + NoticeRecordNameAreaSize;

// The size field of a device-interface record, read from the common header
// that every record starts with (size, device type, reserved word); nothing
// for no record, one too short for that header, or a record of another
// device type. The size may still be less than a full interface header.
inline std::optional<std::uint32_t> InterfaceRecordSize(const void* record) {
    constexpr std::uint32_t CommonHeaderSize = 12;
    if (record == nullptr)
        return std::nullopt;
    std::uint32_t size = 0;
    std::uint32_t type = 0;
    std::memcpy(&size, record, sizeof size);
    if (size < CommonHeaderSize)
        return std::nullopt;
    std::memcpy(&type, static_cast<const unsigned char*>(record) + sizeof size, sizeof type);
    if (type != DeviceTypeInterface)
        return std::nullopt;
    return size;
}

// GUID_DEVINTERFACE_USB_DEVICE {A5DCBF10-6530-11D2-901F-00C04FB951ED} as its
// 16 bytes lie in memory on Windows: the first three fields little-endian.
inline constexpr std::array<std::uint8_t, 16> UsbDeviceInterfaceGuid = {
    0x10, 0xBF, 0xDC, 0xA5, 0x30, 0x65, 0xD2, 0x11, 0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED};

}  // namespace platform
