// Points in time on the monotonic clock by which a wait must end.
//
// All of the serial layer's waiting is measured here, so that the rounding
// and the limits of the clock are decided in one place: a wall-clock step
// never lengthens or shortens a time-out, a wait never ends before its
// deadline, and spans too long for the clock simply never end.
#pragma once

#include <time.h>

#include <chrono>
#include <cstdint>
#include <optional>

namespace platform::posix {

// steady_clock is CLOCK_MONOTONIC on Linux.
using MonotonicClock = std::chrono::steady_clock;

class Deadline {
  public:
    // A deadline that never comes.
    static Deadline Never() { return Deadline(); }

    // `milliseconds` after `start`. A span beyond what the clock can count
    // (about 290 years) never comes.
    static Deadline After(MonotonicClock::time_point start, std::uint64_t milliseconds);

    // Whichever of the two comes first.
    static Deadline Earliest(const Deadline& a, const Deadline& b);

    bool IsNever() const { return !at_.has_value(); }
    bool HasPassed(MonotonicClock::time_point now) const;

    // The time-out to hand to poll() at `now`: the milliseconds left, rounded
    // up so the wait cannot return before the deadline and then spin on a
    // fraction of a millisecond; 0 once passed; -1 (no limit) when it never
    // comes; otherwise at most INT_MAX, after which the caller waits again.
    int PollTimeoutMs(MonotonicClock::time_point now) const;

  private:
    std::optional<MonotonicClock::time_point> at_;
};

// `start` moved on by `milliseconds`, normalised (tv_nsec below one second),
// for an absolute clock_nanosleep on CLOCK_MONOTONIC.
timespec AddMilliseconds(timespec start, std::uint32_t milliseconds);

// When a sleep of `milliseconds` that follows one due to end at `previousEnd`
// should end: right after it, keeping a steady beat, while that moment is
// still ahead of `now`; otherwise `milliseconds` from `now`. So a run of short
// sleeps with little work between them does not drift later by every
// wake-up's delay, the way a system timer tick does not, and a sleep after a
// longer pause is never cut short.
timespec NextSleepEnd(timespec previousEnd, timespec now, std::uint32_t milliseconds);

}  // namespace platform::posix
