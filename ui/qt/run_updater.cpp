#include "ui/qt/run_updater.h"

#include <QApplication>
#include <QTimer>

#include "app/window_geometry.h"
#include "ui/qt/main_window.h"

namespace ui {

int RunUpdater(QApplication& application, platform::SerialApi& serial,
               platform::PortsRegistry& registry,
               platform::PolledDeviceNotifications* notifications,
               const std::function<void(MainWindow&)>& whenShown) {
    MainWindow window(serial, registry, notifications);
    window.move(app::WindowLeft, app::WindowTop);
    window.show();
    if (whenShown)
        QTimer::singleShot(0, &window, [&window, &whenShown] { whenShown(window); });
    return application.exec();
}

}  // namespace ui
