// TForm1: the updater's main window and everything it does.
//
// It owns the updater state and the device link and reacts to the handlers
// that the view calls. It knows the window only through app::View.
#pragma once

#include <cstdint>
#include <span>

#include "app/view.h"
#include "image/image_store.h"
#include "link/bootloader.h"
#include "link/port_discovery.h"
#include "link/serial_channel.h"
#include "link/updater_state.h"
#include "platform/device_notifications.h"
#include "platform/ports_registry.h"
#include "platform/serial_api.h"

namespace app {

class TForm1 {
  public:
    // `notifications` may be null where the platform offers none.
    TForm1(View& view, platform::SerialApi& serial, platform::PortsRegistry& registry,
           platform::DeviceNotifications* notifications);
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Handlers the view binds to the window's events.
    void FormCreate();
    void btnNEXTClick();
    void btnBACKClick();
    void btnESCClick();
    void btnConnectClick();
    void ApplicationEvents1Idle();
    void FormClose();
    // The device-change message: its event code and the notification record.
    void WMDeviceChange(std::uint32_t eventCode, const void* record);

    const devlink::UpdaterState& State() const { return state_; }
    devlink::UpdaterState& State() { return state_; }
    const image::DeviceImage& Image() const { return image_; }

  private:
    void UpdateButtons();
    void RunUpdate();
    void ShowWriteFailure();
    void ShowVerifyFailure();
    void SetProgress(Control bar);
    void HideAll(std::span<const Control> controls);

    View& view_;
    platform::DeviceNotifications* notifications_;
    devlink::UpdaterState state_;
    image::DeviceImage image_;
    devlink::SerialChannel channel_;
    devlink::Bootloader bootloader_;
    devlink::PortDiscovery discovery_;
    bool updateRunning_ = false;
};

}  // namespace app
