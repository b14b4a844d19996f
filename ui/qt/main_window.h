// The updater's main window: hosts the layout and binds its events to TForm1.
#pragma once

#include <QWidget>
#include <memory>

#include "app/Update_Main.h"
#include "app/window_geometry.h"
#include "app/window_guards.h"
#include "ui/qt/device_notice_watcher.h"
#include "ui/qt/idle_hook.h"
#include "ui/qt/qt_view.h"

namespace Ui {
class TForm1;
}

namespace ui {

class MainWindow final : public QWidget {
    Q_OBJECT
  public:
    // Loads the layout, creates the window logic and runs its creation
    // handler, so the window is ready to be shown.
    MainWindow(platform::SerialApi& serial, platform::PortsRegistry& registry,
               platform::PolledDeviceNotifications* notifications, QWidget* parent = nullptr);
    ~MainWindow() override;

    app::TForm1& Logic() { return *logic_; }
    QtView& View() { return *view_; }
    bool WatchesDeviceNotices() const { return notices_ && notices_->IsWatching(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ConnectButtons();
    void KeepPageAreaAnchored();

    std::unique_ptr<Ui::TForm1> layout_;
    std::unique_ptr<QtView> view_;
    std::unique_ptr<app::TForm1> logic_;
    std::unique_ptr<IdleHook> idle_;
    std::unique_ptr<DeviceNoticeWatcher> notices_;
    // PageControl1's place and the window's size as laid out.
    app::Rect pageArea_;
    app::Size laidOutSize_;
    app::CloseOnce close_;
};

}  // namespace ui
