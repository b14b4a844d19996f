#include "tools/demo/pipe_device_notifications.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/udev_notification_record.h"

namespace demo {
namespace {

// One notice as it travels through the pipe. Smaller than PIPE_BUF, so a
// write of it is never split.
struct Packet {
    std::uint32_t eventCode = 0;
    platform::posix::NotificationRecord record;
};

}  // namespace

PipeDeviceNotifications::~PipeDeviceNotifications() {
    if (read_ >= 0)
        ::close(read_);
    if (write_ >= 0)
        ::close(write_);
}

bool PipeDeviceNotifications::RegisterDeviceNotificationA() {
    if (read_ >= 0)
        return true;
    int ends[2];
    if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    read_ = ends[0];
    write_ = ends[1];
    return true;
}

void PipeDeviceNotifications::Post(std::uint32_t eventCode, std::string_view path) {
    if (write_ < 0)
        return;
    const Packet packet{eventCode, platform::posix::BuildNotificationRecord(path)};
    while (::write(write_, &packet, sizeof packet) < 0 && errno == EINTR) {
    }
}

void PipeDeviceNotifications::Dispatch(const Deliver& deliver) {
    Packet packet;
    while (::read(read_, &packet, sizeof packet) == static_cast<ssize_t>(sizeof packet))
        deliver(packet.eventCode, packet.record.data());
}

}  // namespace demo
