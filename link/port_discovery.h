// Finding the programmer's serial port and the rate its bootloader answers at.
#pragma once

#include <cstdint>
#include <string>

#include "link/bootloader.h"
#include "link/serial_channel.h"
#include "link/updater_state.h"
#include "platform/ports_registry.h"

namespace devlink {

// The line rates the programmer is tried at, the fast one first.
inline constexpr std::int32_t FastRate = 115200;
inline constexpr std::int32_t SlowRate = 9600;

inline constexpr std::uint16_t DeviceNameBufferSize = 257;
inline constexpr int ProbeFirstPort = 1;
inline constexpr int ProbeLastPort = 250;

// The friendly name of a device, or its description when that is empty, each
// taken as single-byte text up to the first NUL and at most 257 characters.
std::string GetDeviceName(const platform::DeviceNames& device);

// The port name ("COM" + digits) that a device name of the programmer's
// bridge carries, or "" when the name is not the programmer's.
std::string PortNameFromDeviceName(const std::string& name);

class PortDiscovery {
  public:
    PortDiscovery(UpdaterState& state, platform::PortsRegistry& registry, SerialChannel& channel,
                  Bootloader& bootloader);

    // "COMn" of the first device of `deviceClass` named like the programmer, or "".
    std::string FindProgrammerPort(const platform::ClassGuid& deviceClass);
    // Refills PortList with the present ports among COM1 to COM250.
    void ListComPorts();
    // Leaves Connected and PortOpen both true with the port open at the rate
    // that answered, or both false with nothing open.
    void ConnectOnPort(const std::string& portName);
    // Probes, then tries the present ports from the highest number down.
    void ConnectAnyPort();

  private:
    bool TryRate(const std::string& portName, std::int32_t baudRate, int attempts);

    UpdaterState& state_;
    platform::PortsRegistry& registry_;
    SerialChannel& channel_;
    Bootloader& bootloader_;
};

}  // namespace devlink
