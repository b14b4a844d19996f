// Device events injected as udevd sends them. udevd multicasts each processed
// event on the uevent netlink family, group 2, as a small header followed by
// the NUL-separated properties. Doing the same from a private network
// namespace feeds the real libudev monitor with no udevd running, and without
// any other program on the machine seeing the fake devices.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/udev_device_notifications.h"
#include "platform/posix/udev_interface_path.h"

namespace udevtest {

inline constexpr std::uint32_t UdevMonitorMagic = 0xfeedcafe;

std::vector<char> UdevMessage(const platform::posix::UdevProperties& properties,
                              std::uint32_t magic);

// Moves this thread into a network namespace of its own, and back on leaving.
class PrivateNetworkNamespace {
  public:
    PrivateNetworkNamespace();
    ~PrivateNetworkNamespace();
    PrivateNetworkNamespace(const PrivateNetworkNamespace&) = delete;
    PrivateNetworkNamespace& operator=(const PrivateNetworkNamespace&) = delete;
    bool Entered() const { return entered_; }

  private:
    int original_;
    bool entered_ = false;
};

class UdevSender {
  public:
    UdevSender();
    ~UdevSender();
    UdevSender(const UdevSender&) = delete;
    UdevSender& operator=(const UdevSender&) = delete;

    bool Send(const std::vector<char>& message);
    bool Send(platform::posix::UdevProperties properties, const std::string& action);

  private:
    int fd_;
    unsigned seqnum_ = 1000;
};

bool Readable(int fd);

// The properties udev gives the tty `node` ("ttyUSB0") of the fixture database.
platform::posix::UdevProperties FixtureTty(const char* node);

// This thread in a private network namespace, `notifications` registered in it
// and shown to hear injected events (a change event, which it must not
// deliver). Where that cannot be, Unavailable() says why, for a test to skip.
class InjectedEvents {
  public:
    explicit InjectedEvents(platform::posix::UdevDeviceNotifications& notifications);

    const std::string& Unavailable() const { return unavailable_; }
    bool ProbeDelivered() const { return probeDelivered_; }
    UdevSender& Sender() { return sender_; }

  private:
    PrivateNetworkNamespace netns_;
    UdevSender sender_;
    std::string unavailable_;
    bool probeDelivered_ = false;
};

}  // namespace udevtest
