// What the serial line allows for block exchanges, and what waiting by polls
// makes of it.
//
// Every block exchange has three request/answer pairs, and the host waits for
// each answer with 1 ms sleeps followed by a look at the input queue. A wait
// can therefore end no earlier than the first poll after its answer is fully
// in; the model here adds up those poll boundaries to give the best a
// polling host can do, for comparison with the time measured.
#pragma once

#include <array>
#include <cstdint>

#include "platform/serial_api.h"

namespace bench {

// Start bit, 8 data bits, parity, stop bit.
inline constexpr std::uint32_t BitsPerByte = 11;

// Bytes on the wire per wait (request plus answer), in the order of the
// exchange: command frame and ACK, address frame and ACK, then the data frame
// and ACK of a write, or the count frame and ACK-plus-block of a read.
inline constexpr std::array<std::uint32_t, 3> WriteBlockWaits{2 + 1, 5 + 1, 130 + 1};
inline constexpr std::array<std::uint32_t, 3> ReadBlockWaits{2 + 1, 5 + 1, 2 + 129};
inline constexpr std::uint32_t BlockExchangeBytes = 140;

constexpr std::uint32_t Sum(const std::array<std::uint32_t, 3>& waits) {
    return waits[0] + waits[1] + waits[2];
}
static_assert(Sum(WriteBlockWaits) == BlockExchangeBytes);
static_assert(Sum(ReadBlockWaits) == BlockExchangeBytes);

// Seconds that `bytes` occupy a line at `baud`.
double WireSeconds(std::uint64_t bytes, std::uint32_t baud);

// Whole polls of `pollSeconds` each until `bytes` have crossed the line,
// counted from when the first of them starts out; never fewer than one.
std::uint32_t PollsToCover(std::uint32_t bytes, std::uint32_t baud, double pollSeconds);

struct PollFloor {
    std::uint64_t polls = 0;
    double seconds = 0;
};

// The poll-bound time of `writes` block writes and `reads` block reads.
PollFloor BlockPollFloor(std::uint32_t writes, std::uint32_t reads, std::uint32_t baud,
                         double pollSeconds);

// The real length of one Sleep(1) on this machine, averaged over `count`.
double MeasureSleepPeriod(platform::SerialApi& serial, int count);

}  // namespace bench
