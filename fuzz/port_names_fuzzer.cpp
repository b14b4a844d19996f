// The programmer's port name taken from whatever names and descriptions the
// system's device list holds.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/stream_serial_api.h"
#include "link/bootloader.h"
#include "link/port_discovery.h"
#include "link/serial_channel.h"
#include "link/updater_state.h"
#include "stand_ins/fixed_ports_registry.h"

namespace {

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

bool IsPortName(const std::string& port) {
    return port.size() > 3 && port.starts_with("COM") &&
           std::all_of(port.begin() + 3, port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A property as far as the name buffer holds it: never longer, never a NUL,
// always the property's own beginning.
void CheckPropertyText(const std::string& text, const std::string& property) {
    FUZZ_CHECK(text.size() <= devlink::DeviceNameBufferSize);
    FUZZ_CHECK(text.find('\0') == std::string::npos);
    FUZZ_CHECK(property.compare(0, text.size(), text) == 0);
}

std::string CheckedPortOf(const platform::DeviceNames& device) {
    const std::string name = devlink::GetDeviceName(device);
    const std::string friendly = devlink::GetDeviceName({device.FriendlyName, {}});
    CheckPropertyText(name, friendly.empty() ? device.Description : device.FriendlyName);

    const std::string port = devlink::PortNameFromDeviceName(name);
    if (!port.empty()) {
        FUZZ_CHECK(IsPortName(port));
        const std::string upper = Upper(name);
        FUZZ_CHECK(upper.find("SILICON LABS") != std::string::npos);
        FUZZ_CHECK(upper.find("CP210X") != std::string::npos);
    }
    return port;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    stand_ins::FixedPortsRegistry registry;
    std::string firstFound;
    while (input.remaining_bytes() > 0 && registry.devices.size() < 8) {
        platform::DeviceNames device;
        device.FriendlyName = input.ConsumeRandomLengthString(600);
        device.Description = input.ConsumeRandomLengthString(600);
        const std::string port = CheckedPortOf(device);
        if (firstFound.empty())
            firstFound = port;
        registry.devices.push_back(std::move(device));
    }

    devlink::UpdaterState state;
    fuzzing::StreamSerialApi silentPort({}, 0);  // the search opens nothing
    devlink::SerialChannel channel(state, silentPort);
    static const image::DeviceImage image;
    devlink::Bootloader boot(state, channel, image);
    devlink::PortDiscovery discovery(state, registry, channel, boot);
    // The first device that names a port decides, whatever follows it.
    FUZZ_CHECK(discovery.FindProgrammerPort(platform::PortsClassGuid) == firstFound);
    return 0;
}
