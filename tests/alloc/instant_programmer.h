// The emulated programmer's protocol engine behind a pretend port, answering
// each frame the moment it is written: the whole protocol without a wire.
// Its own allocations (the engine's output, the port's records) are paused
// out of the count.
#pragma once

#include <chrono>

#include "alloc/counting_new.h"
#include "platform/forwarding_serial_api.h"
#include "stand_ins/counting_serial_api.h"
#include "tools/bootsim/device_memory.h"
#include "tools/bootsim/journal.h"
#include "tools/bootsim/options.h"
#include "tools/bootsim/protocol_engine.h"

namespace alloctest {

class InstantProgrammer : public platform::ForwardingSerialApi {
  public:
    InstantProgrammer() : ForwardingSerialApi(port) {}

    stand_ins::CountingSerialApi port;  // COM33
    bootsim::DeviceMemory memory;

    bool ClearCommError(platform::PortHandle h, std::uint32_t& inQueue) override {
        alloccount::Paused paused;
        return ForwardingSerialApi::ClearCommError(h, inQueue);
    }
    bool ReadFile(platform::PortHandle h, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& bytesRead) override {
        alloccount::Paused paused;
        return ForwardingSerialApi::ReadFile(h, buffer, count, bytesRead);
    }
    bool WriteFile(platform::PortHandle h, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& bytesWritten) override {
        alloccount::Paused paused;
        const auto now = std::chrono::steady_clock::now();
        for (std::uint32_t i = 0; i < count; ++i)
            engine_.Receive(buffer[i], now);
        for (const bootsim::Emission& e : engine_.TakeOutput())
            port.input.push_back(e.byte);
        return ForwardingSerialApi::WriteFile(h, buffer, count, bytesWritten);
    }
    bool PurgeInput(platform::PortHandle h) override {
        alloccount::Paused paused;
        return ForwardingSerialApi::PurgeInput(h);
    }

  private:
    bootsim::Options options_;
    bootsim::Journal journal_;
    bootsim::ProtocolEngine engine_{options_, memory, journal_, [] { return 115200u; }};
};

}  // namespace alloctest
