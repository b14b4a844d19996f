// A machine with the programmer plugged in: the emulated programmer serves
// the bootloader on a pseudo-terminal that a prepared sysfs tree lists as a
// CP210x on ttyUSB0, and the window runs on the real Linux serial layer and
// ports registry pointed at that tree. The window finds, opens and talks to
// it the way it does to the real cable.
#pragma once

#include <utility>

#include "device_tree/device_tree.h"
#include "platform/posix/posix_serial.h"
#include "platform/posix/sysfs_ports_registry.h"
#include "scene.h"
#include "tools/bootsim/pty_server.h"

namespace screenshots {

class ProgrammerPlatform final : public ScenePlatform {
  public:
    // `options` set the programmer's pace and the faults it injects.
    explicit ProgrammerPlatform(bootsim::Options options = {}) : device_(std::move(options)) {
        tree_.AddTty("ttyUSB0", "cp210x", device_.SlavePath());
    }

    platform::SerialApi& Serial() override { return serial_; }
    platform::PortsRegistry& Registry() override { return registry_; }

  private:
    device_tree::DeviceTree tree_;
    bootsim::PtyServer device_;
    platform::posix::PosixSerial serial_{tree_.DevRoot()};
    platform::posix::SysfsPortsRegistry registry_{tree_.SysRoot(), tree_.DevRoot()};
};

}  // namespace screenshots
