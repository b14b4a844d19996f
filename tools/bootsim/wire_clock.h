// The timing of a serial line at a given rate, so that an exchange over a pty
// never completes faster than it would over the real wire.
//
// Each byte takes 11 bit times (start, 8 data, parity, stop). The two
// directions are independent, as on a full-duplex UART. A rate of 0 means an
// ideal line: bytes take no time, but their order is still kept.
#pragma once

#include <chrono>
#include <cstdint>

namespace bootsim {

class WireClock {
  public:
    using Clock = std::chrono::steady_clock;

    explicit WireClock(std::uint32_t baud);

    // The time one byte occupies the line, rounded up to whole nanoseconds so
    // that the pacing errs on the slow side.
    Clock::duration ByteTime() const { return byteTime_; }

    // A byte the host wrote, first seen by the device at `received`: the time
    // its stop bit is in. The byte cannot have started before the previous
    // one ended, nor have been sent after it was seen.
    Clock::time_point Arrival(Clock::time_point received);

    // A byte the device means to send no earlier than `notBefore`: the time
    // its stop bit leaves, after every byte scheduled before it.
    Clock::time_point Departure(Clock::time_point notBefore);

  private:
    Clock::duration byteTime_;
    Clock::time_point lastArrival_{};
    Clock::time_point lastDeparture_{};
};

}  // namespace bootsim
