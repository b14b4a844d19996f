#include "platform/posix/port_names.h"

#include "platform/device_path.h"

#include <array>

namespace platform::posix {

namespace {

struct NodeFamily {
    std::string_view prefix;
    unsigned firstPort;
};

constexpr unsigned NodesPerFamily = 32;

constexpr std::array<NodeFamily, 3> Families{{
    {"ttyS", 1},
    {"ttyUSB", 33},
    {"ttyACM", 65},
}};

// Decimal digits as the kernel and Windows write them: at least one digit, no
// leading zero unless the number is 0 itself. Longer texts than any number of
// the table are refused before they could overflow.
std::optional<unsigned> ParseCanonicalDecimal(std::string_view digits) {
    if (digits.empty() || digits.size() > 3)
        return std::nullopt;
    if (digits.size() > 1 && digits.front() == '0')
        return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

}  // namespace

std::optional<unsigned> PortNumberFromDevicePath(std::string_view path) {
    if (!path.starts_with(DevicePathPrefix))
        return std::nullopt;
    path.remove_prefix(DevicePathPrefix.size());
    if (!path.starts_with("COM"))
        return std::nullopt;
    const auto number = ParseCanonicalDecimal(path.substr(3));
    if (!number || *number == 0)
        return std::nullopt;
    return number;
}

std::optional<std::string> NodeNameForPort(unsigned portNumber) {
    for (const NodeFamily& family : Families) {
        if (portNumber >= family.firstPort && portNumber < family.firstPort + NodesPerFamily) {
            return std::string(family.prefix) + std::to_string(portNumber - family.firstPort);
        }
    }
    return std::nullopt;
}

std::optional<unsigned> PortNumberForNode(std::string_view nodeName) {
    for (const NodeFamily& family : Families) {
        if (!nodeName.starts_with(family.prefix))
            continue;
        const auto index = ParseCanonicalDecimal(nodeName.substr(family.prefix.size()));
        if (index && *index < NodesPerFamily)
            return family.firstPort + *index;
    }
    return std::nullopt;
}

std::string PortName(unsigned portNumber) {
    return "COM" + std::to_string(portNumber);
}

std::optional<std::string> NodeNameForDevicePath(std::string_view path) {
    const auto number = PortNumberFromDevicePath(path);
    if (!number)
        return std::nullopt;
    return NodeNameForPort(*number);
}

}  // namespace platform::posix
