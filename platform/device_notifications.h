// Subscription to the system's device-interface arrival and removal notices.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

class DeviceNotifications {
  public:
    virtual ~DeviceNotifications() = default;

    // Subscribes the main window to arrivals and completed removals of device
    // interfaces of every class. False when the system offers none.
    virtual bool RegisterDeviceNotificationA() = 0;
};

// Where the system does not post notices to the window itself (Linux), the
// source hands the view a descriptor to watch, and when it becomes readable
// the view asks the source to deliver what is waiting, on the user-interface
// thread, to the window's device-change handler.
class PolledDeviceNotifications : public DeviceNotifications {
  public:
    // The event code (arrival or completed removal) and the notice record,
    // which lives for the duration of the call.
    using Deliver = std::function<void(std::uint32_t eventCode, const void* record)>;

    // -1 while not registered.
    virtual int Descriptor() const = 0;
    // Never waits for a notice.
    virtual void Dispatch(const Deliver& deliver) = 0;
};

}  // namespace platform
