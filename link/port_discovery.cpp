#include "link/port_discovery.h"

#include <algorithm>
#include <cstring>

#include "link/ascii_text.h"
#include "platform/device_path.h"

namespace devlink {

namespace {

constexpr int FastRateAttempts = 2;
constexpr int SlowRateAttempts = 3;

// A registry property as the 257-byte buffer would hold it: up to the first
// NUL, and never more than the buffer.
std::string PropertyText(const std::string& property) {
    const std::size_t length =
        strnlen(property.data(), std::min<std::size_t>(property.size(), DeviceNameBufferSize));
    return property.substr(0, length);
}

}  // namespace

std::string GetDeviceName(const platform::DeviceNames& device) {
    std::string name = PropertyText(device.FriendlyName);
    if (!name.empty())
        return name;
    return PropertyText(device.Description);
}

std::string PortNameFromDeviceName(const std::string& name) {
    const std::string upper = AsciiUpper(name);
    const std::size_t vendor = upper.find("SILICON LABS");
    if (vendor == std::string::npos)
        return {};
    if (upper.find("CP210X") == std::string::npos)
        return {};

    // Only a "COM" after the vendor's name counts, and every digit from there
    // to the end is taken, whether it follows the "COM" directly or not.
    const std::string_view tail = std::string_view(upper).substr(vendor);
    const std::size_t com = tail.find("COM");
    if (com == std::string_view::npos)
        return {};
    std::string digits;
    for (const char c : tail.substr(com)) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    }
    if (digits.empty())
        return {};
    return "COM" + digits;
}

PortDiscovery::PortDiscovery(UpdaterState& state, platform::PortsRegistry& registry,
                             SerialChannel& channel, Bootloader& bootloader)
    : state_(state), registry_(registry), channel_(channel), bootloader_(bootloader) {}

std::string PortDiscovery::FindProgrammerPort(const platform::ClassGuid& deviceClass) {
    std::vector<platform::DeviceNames> devices;
    if (!registry_.PresentDevices(deviceClass, devices))
        return {};
    for (const platform::DeviceNames& device : devices) {
        std::string port = PortNameFromDeviceName(GetDeviceName(device));
        if (!port.empty())
            return port;
    }
    return {};
}

void PortDiscovery::ListComPorts() {
    state_.PortList.clear();
    for (int n = ProbeFirstPort; n <= ProbeLastPort; ++n) {
        std::string name = "COM" + std::to_string(n);
        if (registry_.ProbePort(platform::DevicePath(name)))
            state_.PortList.push_back(std::move(name));
    }
}

bool PortDiscovery::TryRate(const std::string& portName, std::int32_t baudRate, int attempts) {
    state_.PortOpen = channel_.OpenPort(portName, baudRate);
    if (!state_.PortOpen)
        return false;
    for (int i = 0; i < attempts; ++i) {
        if (bootloader_.SyncBootloader()) {
            state_.Connected = true;
            return true;
        }
    }
    channel_.ClosePort();
    state_.PortOpen = false;
    return false;
}

void PortDiscovery::ConnectOnPort(const std::string& portName) {
    if (state_.PortOpen)
        channel_.ClosePort();
    state_.PortOpen = false;
    state_.Connected = false;
    if (TryRate(portName, FastRate, FastRateAttempts))
        return;
    TryRate(portName, SlowRate, SlowRateAttempts);
}

void PortDiscovery::ConnectAnyPort() {
    state_.Connected = false;
    ListComPorts();
    for (std::size_t i = state_.PortList.size(); i-- > 0;) {
        ConnectOnPort(state_.PortList[i]);
        if (state_.Connected)
            return;
    }
}

}  // namespace devlink
