// Brings the system's device notices into the window's event loop: when the
// source's descriptor becomes readable, its notices go to WMDeviceChange on
// the user-interface thread, between other window events.
#pragma once

#include <QObject>
#include <memory>

#include "platform/device_notifications.h"

class QSocketNotifier;

namespace app {
class TForm1;
}

namespace ui {

class DeviceNoticeWatcher final : public QObject {
    Q_OBJECT
  public:
    // Watches nothing when the source has no descriptor (it could not register).
    DeviceNoticeWatcher(platform::PolledDeviceNotifications& source, app::TForm1& form,
                        QObject* parent = nullptr);
    ~DeviceNoticeWatcher() override;

    bool IsWatching() const { return notifier_ != nullptr; }

  private:
    platform::PolledDeviceNotifications& source_;
    app::TForm1& form_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ui
