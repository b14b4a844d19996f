// Device-interface notification records laid out as the system delivers
// them: a 28-byte header (size, device type, reserved, class GUID) followed
// by the NUL-terminated interface path in a 256-byte name area.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/device_notice_record.h"

namespace fakes {

inline constexpr std::size_t InterfaceRecordBytes = platform::NoticeRecordSize;
using InterfaceRecord = std::array<unsigned char, InterfaceRecordBytes + 16>;

inline constexpr std::string_view ProgrammerPath =
    "\\\\?\\USB#VID_10C4&PID_EA60#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
inline constexpr std::string_view OtherDevicePath =
    "\\\\?\\USB#VID_1546&PID_01A7#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

// `size` < 0 means the natural size: header, path and its NUL.
inline InterfaceRecord MakeInterfaceRecord(std::string_view path,
                                           std::uint32_t deviceType = platform::DeviceTypeInterface,
                                           std::int64_t size = -1) {
    InterfaceRecord r{};
    const auto fullSize =
        size >= 0 ? static_cast<std::uint32_t>(size)
                  : static_cast<std::uint32_t>(platform::NoticeRecordHeaderSize + path.size() + 1);
    std::memcpy(r.data(), &fullSize, 4);
    std::memcpy(r.data() + 4, &deviceType, 4);
    std::memcpy(r.data() + platform::NoticeRecordHeaderSize, path.data(),
                std::min<std::size_t>(path.size(), r.size() - platform::NoticeRecordHeaderSize));
    return r;
}

}  // namespace fakes
