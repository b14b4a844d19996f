// A PortsRegistry with a list the test writes, for logic that only needs
// names and presence, not sysfs.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/ports_registry.h"

namespace stand_ins {

class FixedPortsRegistry : public platform::PortsRegistry {
  public:
    bool refuse = false;
    std::vector<platform::DeviceNames> devices;
    std::set<std::string> presentPaths;
    std::vector<std::string> probed;

    bool PresentDevices(const platform::ClassGuid&,
                        std::vector<platform::DeviceNames>& out) override {
        if (refuse)
            return false;
        out = devices;
        return true;
    }
    bool ProbePort(const std::string& path) override {
        probed.push_back(path);
        return presentPaths.count(path) != 0;
    }
};

}  // namespace stand_ins
