// Subscription to the system's device-interface arrival and removal notices.
#pragma once

namespace platform {

class DeviceNotifications {
  public:
    virtual ~DeviceNotifications() = default;

    // Subscribes the main window to arrivals and completed removals of device
    // interfaces of every class. The notices themselves reach the window's
    // device-change handler through the view. False when the system offers none.
    virtual bool RegisterDeviceNotification() = 0;
};

}  // namespace platform
