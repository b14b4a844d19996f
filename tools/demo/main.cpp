// kestrun-updater-demo: the updater's own window and code on a private device
// tree, with an emulated programmer that the programmer bench window beside it
// plugs in and unplugs. Walks the whole update, and every failure, without
// hardware.
#include <QApplication>
#include <cstdlib>

#include "app/window_geometry.h"
#include "device_tree/device_tree.h"
#include "platform/posix/posix_serial.h"
#include "platform/posix/sysfs_ports_registry.h"
#include "tools/demo/pipe_device_notifications.h"
#include "tools/demo/programmer_bench.h"
#include "tools/demo/programmer_bench_window.h"
#include "ui/qt/display_check.h"
#include "ui/qt/run_updater.h"

int main(int argc, char** argv) {
    const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "kestrun-updater-demo";
    if (!ui::DisplayAvailableFor(program))
        return EXIT_FAILURE;
    QApplication application(argc, argv);

    device_tree::DeviceTree tree;
    demo::PipeDeviceNotifications notices;
    platform::posix::PosixSerial serial(tree.DevRoot());
    platform::posix::SysfsPortsRegistry registry(tree.SysRoot(), tree.DevRoot());
    demo::ProgrammerBench bench(tree, notices);

    demo::ProgrammerBenchWindow benchWindow(bench);
    benchWindow.move(20, app::WindowTop);
    benchWindow.show();
    // The programmer bench goes with the updater's window.
    QObject::connect(&application, &QApplication::lastWindowClosed, &benchWindow, &QWidget::close);
    return ui::RunUpdater(application, serial, registry, &notices);
}
