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

TEST(Deadline, NeverComesAndWaitsWithoutLimit) {
    const Deadline never = Deadline::Never();
    EXPECT_TRUE(never.IsNever());
    EXPECT_FALSE(never.HasPassed(Start + std::chrono::hours(24 * 365)));
    EXPECT_EQ(never.PollTimeoutMs(Start), -1);
}

TEST(Deadline, PassesExactlyWhenItsSpanIsUp) {
    const Deadline deadline = Deadline::After(Start, 100);
    EXPECT_FALSE(deadline.IsNever());
    EXPECT_FALSE(deadline.HasPassed(Start + milliseconds(99) + microseconds(999)));
    EXPECT_TRUE(deadline.HasPassed(Start + milliseconds(100)));
    EXPECT_TRUE(Deadline::After(Start, 0).HasPassed(Start));
}

TEST(Deadline, PollTimeoutRoundsUpSoTheWaitNeverEndsEarly) {
    const Deadline deadline = Deadline::After(Start, 100);
    EXPECT_EQ(deadline.PollTimeoutMs(Start), 100);
    EXPECT_EQ(deadline.PollTimeoutMs(Start + microseconds(99'001)), 1);
    EXPECT_EQ(deadline.PollTimeoutMs(Start + microseconds(99'999)), 1);
    EXPECT_EQ(deadline.PollTimeoutMs(Start + milliseconds(100)), 0);
    EXPECT_EQ(deadline.PollTimeoutMs(Start + milliseconds(250)), 0);
}

TEST(Deadline, LongSpansNeitherWrapNorOverflowPoll) {
    const Deadline days = Deadline::After(Start, std::uint64_t{INT_MAX} + 10);
    EXPECT_FALSE(days.IsNever());
    EXPECT_EQ(days.PollTimeoutMs(Start), INT_MAX);
    EXPECT_FALSE(days.HasPassed(Start + std::chrono::hours(24 * 24)));

    // The largest read limit the Windows record can ask for, and beyond.
    const std::uint64_t largestRecord = std::uint64_t{UINT32_MAX} * UINT32_MAX + UINT32_MAX;
    EXPECT_TRUE(Deadline::After(Start, largestRecord).IsNever());
    EXPECT_TRUE(Deadline::After(Start, UINT64_MAX).IsNever());
}

TEST(Deadline, EarliestPicksTheFirstToCome) {
    const Deadline soon = Deadline::After(Start, 10);
    const Deadline later = Deadline::After(Start, 20);
    EXPECT_EQ(Deadline::Earliest(soon, later).PollTimeoutMs(Start), 10);
    EXPECT_EQ(Deadline::Earliest(later, soon).PollTimeoutMs(Start), 10);
    EXPECT_EQ(Deadline::Earliest(Deadline::Never(), later).PollTimeoutMs(Start), 20);
    EXPECT_EQ(Deadline::Earliest(soon, Deadline::Never()).PollTimeoutMs(Start), 10);
    EXPECT_TRUE(Deadline::Earliest(Deadline::Never(), Deadline::Never()).IsNever());
}

TEST(AddMilliseconds, CarriesIntoSecondsAndStaysNormalised) {
    const timespec start{5, 999'999'999};
    const timespec one = AddMilliseconds(start, 1);
    EXPECT_EQ(one.tv_sec, 6);
    EXPECT_EQ(one.tv_nsec, 999'999);

    const timespec longer = AddMilliseconds(start, 2'500);
    EXPECT_EQ(longer.tv_sec, 8);
    EXPECT_EQ(longer.tv_nsec, 499'999'999);

    const timespec none = AddMilliseconds(start, 0);
    EXPECT_EQ(none.tv_sec, 5);
    EXPECT_EQ(none.tv_nsec, 999'999'999);

    const timespec most = AddMilliseconds(timespec{0, 0}, UINT32_MAX);
    EXPECT_EQ(most.tv_sec, 4'294'967);
    EXPECT_EQ(most.tv_nsec, 295'000'000);
}

}  // namespace
}  // namespace platform::posix
