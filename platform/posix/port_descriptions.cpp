#include "platform/posix/port_descriptions.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/posix/port_names.h"

namespace platform::posix {

namespace {

struct DriverDescription {
    std::string_view driver;
    std::string_view description;
};

constexpr std::array<DriverDescription, 3> Descriptions{{
    {"cp210x", "Silicon Labs CP210x USB to UART Bridge"},
    {"ftdi_sio", "USB Serial Port"},
    {"cdc_acm", "USB Serial Device"},
}};

constexpr std::string_view OtherDescription = "Communications Port";

}  // namespace

std::string DescriptionForDriver(std::string_view driver) {
    for (const DriverDescription& entry : Descriptions) {
        if (entry.driver == driver)
            return std::string(entry.description);
    }
    return std::string(OtherDescription);
}

std::string DriverNameFromLink(std::string_view linkTarget) {
    while (linkTarget.ends_with('/'))
        linkTarget.remove_suffix(1);
    const auto slash = linkTarget.rfind('/');
    return std::string(slash == std::string_view::npos ? linkTarget : linkTarget.substr(slash + 1));
}

std::vector<DeviceNames> PortsClassDevices(const std::vector<TtyEntry>& entries) {
    std::vector<std::pair<unsigned, const TtyEntry*>> present;
    for (const TtyEntry& entry : entries) {
        if (!entry.hasDevice)
            continue;
        if (const auto number = PortNumberForNode(entry.node))
            present.emplace_back(*number, &entry);
    }
    std::sort(present.begin(), present.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });

    std::vector<DeviceNames> devices;
    devices.reserve(present.size());
    for (const auto& [number, entry] : present) {
        DeviceNames names;
        names.Description = DescriptionForDriver(entry->driver);
        names.FriendlyName = names.Description + " (" + PortName(number) + ")";
        devices.push_back(std::move(names));
    }
    return devices;
}

}  // namespace platform::posix
