#include "platform/posix/comm_timeouts_plan.h"

#include <gtest/gtest.h>

namespace platform::posix {
namespace {

constexpr std::uint32_t MaxDword = 0xFFFFFFFF;
using Ending = ReadPlan::Ending;

TEST(PlanRead, TheLinksTimeoutsLimitTotalAndGap) {
    const CommTimeouts link{150, 1, 200, 0, 100};
    const ReadPlan plan = PlanRead(link, 129);
    EXPECT_EQ(plan.ending, Ending::AllBytes);
    EXPECT_EQ(plan.total, 329u);
    EXPECT_EQ(plan.interval, 150u);
    EXPECT_EQ(PlanRead(link, 1).total, 201u);
}

TEST(PlanRead, ZeroSwitchesALimitOff) {
    const ReadPlan none = PlanRead(CommTimeouts{0, 0, 0, 0, 0}, 10);
    EXPECT_EQ(none.ending, Ending::AllBytes);
    EXPECT_FALSE(none.total);
    EXPECT_FALSE(none.interval);

    const ReadPlan gapOnly = PlanRead(CommTimeouts{40, 0, 0, 0, 0}, 10);
    EXPECT_FALSE(gapOnly.total);
    EXPECT_EQ(gapOnly.interval, 40u);

    const ReadPlan constantOnly = PlanRead(CommTimeouts{0, 0, 70, 0, 0}, 10);
    EXPECT_EQ(constantOnly.total, 70u);
    EXPECT_FALSE(constantOnly.interval);

    EXPECT_EQ(PlanRead(CommTimeouts{0, 3, 0, 0, 0}, 10).total, 30u);
}

TEST(PlanRead, WindowsSpecialCombinations) {
    EXPECT_EQ(PlanRead(CommTimeouts{MaxDword, 0, 0, 0, 0}, 10).ending, Ending::WhatIsThere);

    const ReadPlan first = PlanRead(CommTimeouts{MaxDword, MaxDword, 500, 0, 0}, 10);
    EXPECT_EQ(first.ending, Ending::FirstArrivals);
    EXPECT_EQ(first.total, 500u);

    // Outside the exact combinations the values keep their plain meaning.
    const ReadPlan constantMax = PlanRead(CommTimeouts{MaxDword, MaxDword, MaxDword, 0, 0}, 2);
    EXPECT_EQ(constantMax.ending, Ending::AllBytes);
    EXPECT_EQ(constantMax.total, 3ull * MaxDword);
    EXPECT_EQ(PlanRead(CommTimeouts{MaxDword, MaxDword, 0, 0, 0}, 2).ending, Ending::AllBytes);
    EXPECT_EQ(PlanRead(CommTimeouts{MaxDword, 0, 1, 0, 0}, 2).ending, Ending::AllBytes);
    EXPECT_EQ(PlanRead(CommTimeouts{MaxDword, 0, 1, 0, 0}, 2).interval, MaxDword);
}

TEST(PlanRead, LargeProductsDoNotWrap) {
    const ReadPlan plan = PlanRead(CommTimeouts{0, MaxDword, MaxDword, 0, 0}, MaxDword);
    EXPECT_EQ(plan.total, std::uint64_t{MaxDword} * MaxDword + MaxDword);
}

TEST(PlanWrite, MultiplierTimesCountPlusConstant) {
    EXPECT_EQ(PlanWrite(CommTimeouts{0, 0, 0, 0, 100}, 130), 100u);
    EXPECT_EQ(PlanWrite(CommTimeouts{0, 0, 0, 2, 5}, 10), 25u);
    EXPECT_FALSE(PlanWrite(CommTimeouts{9, 9, 9, 0, 0}, 10)) << "read values do not limit writes";
    EXPECT_EQ(PlanWrite(CommTimeouts{0, 0, 0, MaxDword, 0}, MaxDword),
              std::uint64_t{MaxDword} * MaxDword);
}

}  // namespace
}  // namespace platform::posix
