#include "bench/wire_model.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace bench {

double WireSeconds(std::uint64_t bytes, std::uint32_t baud) {
    return static_cast<double>(bytes * BitsPerByte) / baud;
}

std::uint32_t PollsToCover(std::uint32_t bytes, std::uint32_t baud, double pollSeconds) {
    const double polls = std::ceil(WireSeconds(bytes, baud) / pollSeconds);
    return std::max<std::uint32_t>(1, static_cast<std::uint32_t>(polls));
}

PollFloor BlockPollFloor(std::uint32_t writes, std::uint32_t reads, std::uint32_t baud,
                         double pollSeconds) {
    std::uint64_t writePolls = 0;
    for (const std::uint32_t bytes : WriteBlockWaits)
        writePolls += PollsToCover(bytes, baud, pollSeconds);
    std::uint64_t readPolls = 0;
    for (const std::uint32_t bytes : ReadBlockWaits)
        readPolls += PollsToCover(bytes, baud, pollSeconds);

    PollFloor floor;
    floor.polls = writes * writePolls + reads * readPolls;
    floor.seconds = static_cast<double>(floor.polls) * pollSeconds;
    return floor;
}

double MeasureSleepPeriod(platform::SerialApi& serial, int count) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        serial.Sleep(1);
    const std::chrono::duration<double> took = Clock::now() - start;
    return took.count() / count;
}

}  // namespace bench
