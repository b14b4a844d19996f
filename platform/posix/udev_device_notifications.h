// Device-interface notices on Linux: a udev monitor on tty devices.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/device_notifications.h"
#include "platform/posix/udev_event_translator.h"

struct udev;
struct udev_monitor;

namespace platform::posix {

class UdevDeviceNotifications : public platform::PolledDeviceNotifications {
  public:
    UdevDeviceNotifications() = default;
    ~UdevDeviceNotifications() override;
    UdevDeviceNotifications(const UdevDeviceNotifications&) = delete;
    UdevDeviceNotifications& operator=(const UdevDeviceNotifications&) = delete;

    // Opens a monitor of udev's processed events for the tty subsystem. False,
    // without a word, when the system has no udev or refuses the socket; the
    // user then connects with the button alone. Calling it again keeps the
    // monitor that is already open.
    bool RegisterDeviceNotificationA() override;

    // The monitor's socket, to watch for readability; -1 while not registered.
    int Descriptor() const override;

    // Reads the events waiting on the socket without ever waiting for one, and
    // hands each arrival or removal of a USB serial interface to `deliver` as a
    // notice record that lives for the duration of the call. Meant for the
    // user-interface thread whenever Descriptor() is readable.
    void Dispatch(const Deliver& deliver) override;

  private:
    void Release();

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    UdevEventTranslator translator_;
};

}  // namespace platform::posix
