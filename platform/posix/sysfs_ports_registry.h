// The Ports device class and the presence probe, read from sysfs and /dev.
#pragma once

#include <string>

#include "platform/ports_registry.h"
#include "platform/posix/tty_open.h"

namespace platform::posix {

class SysfsPortsRegistry final : public PortsRegistry {
  public:
    // The program passes "/sys" and "/dev"; tests pass a prepared tree. A
    // probed port that exists but does not open goes to `report`, if given.
    SysfsPortsRegistry(std::string sysRoot, std::string deviceRoot, OpenFailureReport report = {});

    // The serial ports of <sys>/class/tty that have hardware behind them and a
    // port name, in ascending port-number order, leaving out placeholders.
    // Any class but PortsClassGuid is listed as empty; false only when <sys>/class/tty
    // cannot be read.
    bool PresentDevices(const ClassGuid& deviceClass, std::vector<DeviceNames>& devices) override;

    // Opens the port's node without claiming it and closes it again at once;
    // a placeholder is not present.
    bool ProbePort(const std::string& path) override;

  private:
    std::string sysRoot_;
    std::string deviceRoot_;
    OpenFailureReport report_;
};

}  // namespace platform::posix
