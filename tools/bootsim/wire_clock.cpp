#include "tools/bootsim/wire_clock.h"

#include <algorithm>

namespace bootsim {

namespace {

constexpr std::int64_t BitsPerByte = 11;

WireClock::Clock::duration ByteTimeAt(std::uint32_t baud) {
    if (baud == 0) {
        return WireClock::Clock::duration::zero();
    }
    const std::int64_t nanos = (BitsPerByte * 1'000'000'000 + baud - 1) / baud;
    return std::chrono::duration_cast<WireClock::Clock::duration>(std::chrono::nanoseconds(nanos));
}

}  // namespace

WireClock::WireClock(std::uint32_t baud) : byteTime_(ByteTimeAt(baud)) {}

WireClock::Clock::time_point WireClock::Arrival(Clock::time_point received) {
    lastArrival_ = std::max(received, lastArrival_) + byteTime_;
    return lastArrival_;
}

WireClock::Clock::time_point WireClock::Departure(Clock::time_point notBefore) {
    lastDeparture_ = std::max(notBefore, lastDeparture_) + byteTime_;
    return lastDeparture_;
}

}  // namespace bootsim
