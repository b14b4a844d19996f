// Reads the text `udevadm info --export-db` writes, for tests that start from
// devices as udev really describes them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/udev_interface_path.h"

namespace udevtest {

// One device block: "P:" devpath, "N:" node name, and the "E:" properties.
// Other record kinds (S:, L:, M:, ...) are read past.
struct UdevDbDevice {
    std::string DevPath;
    std::string Node;
    platform::posix::UdevProperties Properties;
};

std::vector<UdevDbDevice> ParseExportDb(std::string_view text);

// The device of the fixture file `fileName` whose node is `node` ("ttyUSB0").
std::optional<UdevDbDevice> FixtureDevice(const std::string& fileName, std::string_view node);

}  // namespace udevtest
