// The run-time state that the window and the device link share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/serial_api.h"

namespace devlink {

// Fields in the order the window object holds them; all start zero, and the
// window's creation handler gives some of them their start-up values.
struct UpdaterState {
    std::vector<std::string> PortList;    // ports the last probe found, ascending
    std::uint8_t DeviceEvent = 0;         // DeviceEventCode
    std::uint32_t Address = 0;            // block being worked on
    std::uint32_t LastAddress = 0;        // last firmware address of an update
    platform::PortHandle PortHandle = 0;  // meaningful only while PortOpen
    platform::CommTimeouts PortTimeouts{};
    platform::LineSettings PortDcb{};
    bool PortOpen = false;
    bool Connected = false;
    std::uint16_t BootloaderVersion = 0;
    std::uint8_t CommandCount = 0;
    std::uint16_t BlockSize = 0;
    std::uint8_t Stage = 0;  // StageCode
};

}  // namespace devlink
