// The one serial port through which the updater reaches the device.
//
// Reads and writes are blocking and exact-length; incoming data is detected
// only by polling the count of waiting bytes in 1 ms steps ("polls").
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "link/updater_state.h"
#include "platform/serial_api.h"

namespace devlink {

inline constexpr std::uint32_t InputQueueSize = 65'536;
inline constexpr std::uint32_t OutputQueueSize = 8'192;
inline constexpr std::uint32_t EventMask = 0x0005;  // EV_RXCHAR | EV_TXEMPTY

// A read of n bytes gives up after 200 + n ms, or 150 ms of silence between
// bytes; a write gives up after 100 ms.
inline constexpr platform::CommTimeouts PortTimeoutValues{150, 1, 200, 0, 100};

class SerialChannel {
  public:
    SerialChannel(UpdaterState& state, platform::SerialApi& api);

    // Opens "\\.\" + portName at baudRate, 8E1, with the fixed time-outs.
    // Leaves the handle in PortHandle; does not set PortOpen (the caller
    // stores the result there). On failure nothing is left open.
    bool OpenPort(const std::string& portName, std::int32_t baudRate);
    std::uint32_t BytesWaiting();
    bool ReadBytes(std::uint8_t* buffer, std::uint16_t count, std::uint32_t& bytesRead);
    bool WriteBytes(const std::uint8_t* buffer, std::uint16_t count);
    // Discards every byte waiting now, reading what fits into `scratch` (the
    // protocol's receive buffer) and purging the rest.
    void DrainInput(std::span<std::uint8_t> scratch);
    bool WaitForBytes(std::uint32_t polls, std::uint16_t wanted);

    // Closes PortHandle. Callers keep PortOpen and Connected as their rule says.
    void ClosePort();
    // The window's close: closes the port if one is open and refuses every
    // later operation, so an update still running never touches the closed
    // descriptor (which the system may already have handed to someone else).
    void CloseForShutdown();
    bool IsShutDown() const { return shutDown_; }

  private:
    UpdaterState& state_;
    platform::SerialApi& api_;
    bool shutDown_ = false;
};

}  // namespace devlink
