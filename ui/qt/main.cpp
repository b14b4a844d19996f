// kestrun-updater: writes the firmware it carries into a GPS Kestrun through
// the Arbalink programmer. It takes no command line and keeps no settings.
#include <QApplication>
#include <QLoggingCategory>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/posix_serial.h"
#include "platform/posix/sysfs_ports_registry.h"
#include "platform/posix/udev_device_notifications.h"
#include "ui/qt/display_check.h"
#include "ui/qt/run_updater.h"

Q_LOGGING_CATEGORY(portsLog, "kestrun.ports")

namespace {

// The window says only that no device answered; a port that is there but
// would not open (no permission, held by another program) is the likeliest
// cause in the field, and stderr names it.
void ReportOpenFailure(const std::string& path, int error) {
    qCWarning(portsLog, "cannot open %s: %s", path.c_str(), std::strerror(error));
}

}  // namespace

int main(int argc, char** argv) {
    const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "kestrun-updater";
    if (!ui::DisplayAvailableFor(program))
        return EXIT_FAILURE;

    // The command line is ignored, Qt's own options included.
    int qtArgc = 1;
    char* qtArgv[] = {const_cast<char*>(program), nullptr};
    QApplication application(qtArgc, qtArgv);

    platform::posix::PosixSerial serial("/dev", ReportOpenFailure);
    platform::posix::SysfsPortsRegistry registry("/sys", "/dev", ReportOpenFailure);
    // Plugging the programmer in connects by itself where udev is running;
    // without it the window registers nothing and "Соединение" finds the port.
    platform::posix::UdevDeviceNotifications notifications;
    return ui::RunUpdater(application, serial, registry, &notifications);
}
