#include "platform/posix/comm_timeouts_plan.h"

#include <gtest/gtest.h>

namespace platform::posix {
namespace {

constexpr std::uint32_t MaxDword = 0xFFFFFFFF;

TEST(PlanRead, TotalIsMultiplierTimesCountPlusConstantAndZeroSwitchesOff) {
    const ReadPlan link = PlanRead(CommTimeouts{150, 1, 200, 0, 100}, 129);
    EXPECT_EQ(link.total, 329u);
    EXPECT_EQ(link.interval, 150u);

    const ReadPlan none = PlanRead(CommTimeouts{}, 10);
    EXPECT_FALSE(none.total);
    EXPECT_FALSE(none.interval);
    EXPECT_EQ(PlanRead(CommTimeouts{0, 3, 0, 0, 0}, 10).total, 30u);
    EXPECT_EQ(PlanRead(CommTimeouts{0, MaxDword, MaxDword, 0, 0}, MaxDword).total,
              std::uint64_t{MaxDword} * MaxDword + MaxDword)
        << "no 32-bit wrap";
}

TEST(PlanWrite, UsesOnlyTheWriteValues) {
    EXPECT_EQ(PlanWrite(CommTimeouts{0, 0, 0, 0, 100}, 130), 100u);
    EXPECT_EQ(PlanWrite(CommTimeouts{0, 0, 0, 2, 5}, 10), 25u);
    EXPECT_FALSE(PlanWrite(CommTimeouts{9, 9, 9, 0, 0}, 10));
}

}  // namespace
}  // namespace platform::posix
