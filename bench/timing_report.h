// The figures that the block and update benchmarks print, in one layout, and
// the --baud command line they share with the responsiveness benchmark.
#pragma once

#include <cstdint>
#include <optional>

#include "bench/run_meter.h"
#include "link/port_discovery.h"

namespace bench {

// The rates the updater talks at, and the ratio of measured to wire time
// that each should reach: at 9600 a byte lasts longer than a poll, so the
// polls cost little; at 115200 the short acknowledgement waits each round up
// to a whole poll.
inline constexpr auto FastBaud = static_cast<std::uint32_t>(devlink::FastRate);
inline constexpr auto SlowBaud = static_cast<std::uint32_t>(devlink::SlowRate);
double TargetRatio(std::uint32_t baud);

// "--baud 115200" or "--baud 9600"; 115200 when not given. Prints a usage
// line and returns nothing for anything else.
std::optional<std::uint32_t> BaudFromCommandLine(int argc, char** argv, const char* program);

// A benchmark's main(): reads the rate from the command line, runs `run` at
// it and turns an exception into a message and a failed exit.
int RunBenchmark(int argc, char** argv, const char* program, int (*run)(std::uint32_t baud));

struct TimingFigures {
    std::uint32_t baud = FastBaud;
    std::uint32_t writes = 0;  // block writes in the span
    std::uint32_t reads = 0;   // block reads in the span
    SpanFigures span;
    double sleepPeriod = 0;  // seconds, measured
    int sleepSamples = 0;
};

// Prints the processor count and the one-minute load average, since other
// work on the machine stretches every poll.
void PrintMachine();

// Prints elapsed time, wire limit, ratio, CPU time, poll-model floor and the
// target verdict. Returns whether the target was met.
bool PrintTiming(const TimingFigures& figures);

}  // namespace bench
