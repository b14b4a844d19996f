// kestrun-updater-demo: the updater's own window and code on a private device
// tree, with an emulated programmer that the bench window beside it plugs in
// and unplugs. Walks the whole update, and every failure, without hardware.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/posix_serial.h"
#include "platform/posix/sysfs_ports_registry.h"
#include "tests/support/fake_sysfs.h"
#include "tools/demo/bench.h"
#include "tools/demo/bench_window.h"
#include "tools/demo/pipe_device_notifications.h"
#include "ui/qt/display_check.h"
#include "ui/qt/run_updater.h"

int main(int argc, char** argv) {
    const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "kestrun-updater-demo";
    if (!ui::HasDisplay(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                        std::getenv("WAYLAND_DISPLAY"))) {
        std::fprintf(stderr, "%s\n", ui::NoDisplayMessage(program).c_str());
        return EXIT_FAILURE;
    }
    QApplication application(argc, argv);

    testsupport::FakeSysfs tree;
    demo::PipeDeviceNotifications notices;
    platform::posix::PosixSerial serial(tree.DevRoot());
    platform::posix::SysfsPortsRegistry registry(tree.SysRoot(), tree.DevRoot());
    demo::Bench bench(tree, notices);

    demo::BenchWindow benchWindow(bench);
    benchWindow.move(20, ui::kWindowTop);
    benchWindow.show();
    // The bench goes with the updater's window.
    QObject::connect(&application, &QApplication::lastWindowClosed, &benchWindow, &QWidget::close);
    return ui::RunUpdater(application, serial, registry, &notices);
}
