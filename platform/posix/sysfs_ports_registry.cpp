#include "platform/posix/sysfs_ports_registry.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/posix/placeholder_ports.h"
#include "platform/posix/port_descriptions.h"
#include "platform/posix/port_names.h"

namespace platform::posix {

namespace fs = std::filesystem;

namespace {

// A node that does not open cannot be judged, and counts as real.
bool IsPlaceholderNode(const std::string& path, const std::string& node) {
    const int fd = OpenTty(path, TtyUse::Shared);
    if (fd < 0)
        return false;
    const bool placeholder = IsPlaceholder(node, SerialCoreUartType(fd));
    ::close(fd);
    return placeholder;
}

}  // namespace

SysfsPortsRegistry::SysfsPortsRegistry(std::string sysRoot, std::string deviceRoot,
                                       OpenFailureReport report)
    : sysRoot_(std::move(sysRoot)),
      deviceRoot_(std::move(deviceRoot)),
      report_(std::move(report)) {}

bool SysfsPortsRegistry::PresentDevices(const ClassGuid& deviceClass,
                                        std::vector<DeviceNames>& devices) {
    devices.clear();
    if (!(deviceClass == PortsClassGuid))
        return true;

    std::error_code error;
    fs::directory_iterator it(fs::path(sysRoot_) / "class" / "tty", error);
    if (error)
        return false;

    std::vector<TtyEntry> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            return false;
        TtyEntry entry{it->path().filename().string(), false, {}};
        // Virtual terminals and pseudo-terminals have no `device` link, and
        // most entries have no port name: skip both before touching links.
        if (!PortNumberForNode(entry.node))
            continue;
        std::error_code linkError;
        entry.hasDevice = fs::exists(fs::symlink_status(it->path() / "device", linkError));
        if (!entry.hasDevice)
            continue;
        if (MayBePlaceholder(entry.node) &&
            IsPlaceholderNode(deviceRoot_ + "/" + entry.node, entry.node))
            continue;
        const fs::path driver = fs::read_symlink(it->path() / "device" / "driver", linkError);
        if (!linkError)
            entry.driver = DriverNameFromLink(driver.string());
        entries.push_back(std::move(entry));
    }
    if (error)
        return false;
    devices = PortsClassDevices(entries);
    return true;
}

bool SysfsPortsRegistry::ProbePort(const std::string& path) {
    const auto node = NodeNameForDevicePath(path);
    if (!node)
        return false;
    // Opening a real port raises DTR and RTS and the close may drop them
    // again (HUPCL); that is what asking Windows about a COM port does too.
    // A port this program holds stays safe: its exclusive flag refuses this
    // open (except to root), as Windows refuses a second open of a COM port.
    const int fd = OpenTty(deviceRoot_ + "/" + *node, TtyUse::Shared, report_);
    if (fd < 0)
        return false;
    const bool placeholder = IsPlaceholder(*node, SerialCoreUartType(fd));
    ::close(fd);
    return !placeholder;
}

}  // namespace platform::posix
