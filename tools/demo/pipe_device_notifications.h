// Device notices that the programmer bench posts by hand: each plug-in or
// unplug goes through a pipe to the window's event loop, which delivers it to
// the device-change handler exactly as it delivers udev's notices.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/device_notifications.h"

namespace demo {

class PipeDeviceNotifications final : public platform::PolledDeviceNotifications {
  public:
    PipeDeviceNotifications() = default;
    ~PipeDeviceNotifications() override;
    PipeDeviceNotifications(const PipeDeviceNotifications&) = delete;
    PipeDeviceNotifications& operator=(const PipeDeviceNotifications&) = delete;

    bool RegisterDeviceNotificationA() override;
    int Descriptor() const override { return read_; }
    void Dispatch(const Deliver& deliver) override;

    // Queues an arrival or removal notice of the interface `path`. Does
    // nothing before the window has registered, as the system would not
    // tell an unregistered window either.
    void Post(std::uint32_t eventCode, std::string_view path);

  private:
    int read_ = -1;
    int write_ = -1;
};

}  // namespace demo
