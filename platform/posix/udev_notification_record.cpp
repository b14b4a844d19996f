#include "platform/posix/udev_notification_record.h"

#include <algorithm>

namespace platform::posix {

namespace {

void PutU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

NotificationRecord BuildNotificationRecord(std::string_view path) {
    path = path.substr(0, path.find('\0'));
    const std::size_t length = std::min<std::size_t>(path.size(), NoticeRecordNameAreaSize - 1);

    NotificationRecord record;
    std::uint8_t* bytes = record.bytes.data();
    PutU32(bytes, static_cast<std::uint32_t>(NoticeRecordHeaderSize + length + 1));
    PutU32(bytes + 4, DeviceTypeInterface);
    PutU32(bytes + 8, 0);
    std::copy(UsbDeviceInterfaceGuid.begin(), UsbDeviceInterfaceGuid.end(), bytes + 12);
    std::copy_n(path.begin(), length, bytes + NoticeRecordHeaderSize);
    // The rest of the name area, terminator included, is already zero.
    return record;
}

}  // namespace platform::posix
