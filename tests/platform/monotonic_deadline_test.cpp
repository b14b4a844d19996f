#include "platform/posix/monotonic_deadline.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace platform::posix {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// A fixed point of the clock, so that nothing here depends on real time.
const MonotonicClock::time_point Start = MonotonicClock::time_point() + std::chrono::hours(1);

TEST(Deadline, PollTimeoutRoundsUpSoTheWaitNeverEndsEarly) {
    const Deadline deadline = Deadline::After(Start, 100);
    EXPECT_FALSE(deadline.HasPassed(Start + microseconds(99'999)));
    EXPECT_TRUE(deadline.HasPassed(Start + milliseconds(100)));
    EXPECT_EQ(deadline.PollTimeoutMs(Start), 100);
    EXPECT_EQ(deadline.PollTimeoutMs(Start + microseconds(99'001)), 1);
    EXPECT_EQ(deadline.PollTimeoutMs(Start + milliseconds(100)), 0);
    EXPECT_EQ(deadline.PollTimeoutMs(Start + milliseconds(250)), 0);
    EXPECT_EQ(Deadline::Never().PollTimeoutMs(Start), -1);
}

TEST(Deadline, LongSpansNeitherWrapNorOverflowPoll) {
    const Deadline days = Deadline::After(Start, std::uint64_t{INT_MAX} + 10);
    EXPECT_EQ(days.PollTimeoutMs(Start), INT_MAX);
    EXPECT_FALSE(days.HasPassed(Start + std::chrono::hours(24 * 24)));
    // The largest read limit the Windows record can ask for.
    EXPECT_TRUE(Deadline::After(Start, std::uint64_t{UINT32_MAX} * UINT32_MAX).IsNever());
    EXPECT_TRUE(Deadline::After(Start, UINT64_MAX).IsNever());
}

TEST(Deadline, EarliestPicksTheFirstToCome) {
    const Deadline soon = Deadline::After(Start, 10);
    const Deadline later = Deadline::After(Start, 20);
    EXPECT_EQ(Deadline::Earliest(later, soon).PollTimeoutMs(Start), 10);
    EXPECT_EQ(Deadline::Earliest(soon, later).PollTimeoutMs(Start), 10);
    EXPECT_EQ(Deadline::Earliest(Deadline::Never(), later).PollTimeoutMs(Start), 20);
    EXPECT_EQ(Deadline::Earliest(soon, Deadline::Never()).PollTimeoutMs(Start), 10);
}

TEST(AddMilliseconds, CarriesIntoSecondsAndStaysNormalised) {
    const timespec one = AddMilliseconds(timespec{5, 999'999'999}, 1);
    EXPECT_EQ(one.tv_sec, 6);
    EXPECT_EQ(one.tv_nsec, 999'999);
    const timespec most = AddMilliseconds(timespec{0, 500'000'000}, UINT32_MAX);
    EXPECT_EQ(most.tv_sec, 4'294'967);
    EXPECT_EQ(most.tv_nsec, 795'000'000);
}

TEST(NextSleepEnd, KeepsTheBeatWhileItIsAheadAndNeverCutsALaterSleepShort) {
    const auto at = [](long ms, long us) {
        return timespec{ms / 1000, (ms % 1000) * 1'000'000 + us * 1'000};
    };
    const auto expectAt = [](timespec t, timespec want) {
        EXPECT_EQ(t.tv_sec, want.tv_sec);
        EXPECT_EQ(t.tv_nsec, want.tv_nsec);
    };
    // Woken 90 us late from a sleep due at 10 ms: the next 1 ms sleep still
    // ends at 11 ms, not at 11.09 ms.
    expectAt(NextSleepEnd(at(10, 0), at(10, 90), 1), at(11, 0));
    // Across a second boundary.
    expectAt(NextSleepEnd(at(999, 500), at(999, 900), 1), at(1000, 500));
    // Work between the sleeps took past the beat: a full sleep from now.
    expectAt(NextSleepEnd(at(10, 0), at(11, 0), 1), at(12, 0));
    expectAt(NextSleepEnd(at(10, 0), at(25, 300), 1), at(26, 300));
    // The first sleep of all, and a long one after short ones.
    expectAt(NextSleepEnd(timespec{}, at(5000, 0), 1), at(5001, 0));
    expectAt(NextSleepEnd(at(10, 0), at(10, 50), 100), at(110, 0));
}

}  // namespace
}  // namespace platform::posix
