// Device-interface arrivals and removals posted to the main window as
// WM_DEVICECHANGE. The window's procedure hands them to the form's handler;
// this object only subscribes the window.
#pragma once

#include <windows.h>

#include "platform/device_notifications.h"

namespace platform::win32 {

class WindowDeviceNotifications final : public DeviceNotifications {
  public:
    WindowDeviceNotifications() = default;
    ~WindowDeviceNotifications() override;
    WindowDeviceNotifications(const WindowDeviceNotifications&) = delete;
    WindowDeviceNotifications& operator=(const WindowDeviceNotifications&) = delete;

    // The window that receives the notices; set before the form's creation
    // handler registers.
    void AttachWindow(HWND window) { window_ = window; }

    // Every interface class, to the attached window. False without a window
    // or when the system refuses.
    bool RegisterDeviceNotificationA() override;

  private:
    HWND window_ = nullptr;
    HDEVNOTIFY registration_ = nullptr;
};

}  // namespace platform::win32
