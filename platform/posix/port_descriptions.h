// The Ports-class list as Windows would show it, from what sysfs says.
//
// Pure functions of names, so that the composition of the list can be checked
// without a sysfs tree; sysfs_ports_registry.cpp gathers the names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ports_registry.h"

namespace platform::posix {

// One entry of <sys>/class/tty as found.
struct TtyEntry {
    std::string node;    // the entry's name, e.g. "ttyUSB0"
    bool hasDevice;      // whether it has a `device` link: real hardware
    std::string driver;  // name of the kernel driver bound to it; empty if none
};

// The description the Windows driver of the same chip gives a port, chosen by
// the Linux kernel driver's name.
std::string DescriptionForDriver(std::string_view driver);

// The kernel driver's name from the target of a `driver` link: its last path
// component.
std::string DriverNameFromLink(std::string_view linkTarget);

// The present ports among `entries`: those with a device behind them and a
// port name in the table, in ascending port-number order, each with its
// description and its friendly name ("<description> (COMn)").
std::vector<DeviceNames> PortsClassDevices(const std::vector<TtyEntry>& entries);

}  // namespace platform::posix
