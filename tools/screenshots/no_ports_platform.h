// A machine with no serial ports at all: the real Linux layer over an empty
// sysfs and device tree, so every open fails and the Ports class is empty.
// Enough for pictures of the pages before any connection.
#pragma once

#include "device_tree/device_tree.h"
#include "platform/posix/posix_serial.h"
#include "platform/posix/sysfs_ports_registry.h"
#include "scene.h"

namespace screenshots {

class NoPortsPlatform final : public ScenePlatform {
  public:
    platform::SerialApi& Serial() override { return serial_; }
    platform::PortsRegistry& Registry() override { return registry_; }

  private:
    device_tree::DeviceTree tree_;
    platform::posix::PosixSerial serial_{tree_.DevRoot()};
    platform::posix::SysfsPortsRegistry registry_{tree_.SysRoot(), tree_.DevRoot()};
};

}  // namespace screenshots
