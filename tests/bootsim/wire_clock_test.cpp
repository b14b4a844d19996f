#include "tools/bootsim/wire_clock.h"

#include <gtest/gtest.h>

namespace bootsim {
namespace {

using namespace std::chrono_literals;
using Clock = WireClock::Clock;

const Clock::time_point T0 = Clock::time_point{} + 10s;

TEST(WireClockTest, ByteTimeIsElevenBitsRoundedUp) {
    EXPECT_EQ(WireClock(115200).ByteTime(), 95'487ns);   // 95486.1 ns
    EXPECT_EQ(WireClock(9600).ByteTime(), 1'145'834ns);  // 1145833.3 ns
    EXPECT_EQ(WireClock(11).ByteTime(), 1s);
    EXPECT_EQ(WireClock(0).ByteTime(), 0ns);
}

TEST(WireClockTest, BytesReadTogetherArriveOneByteTimeApart) {
    WireClock wire(9600);
    const auto byte = wire.ByteTime();
    EXPECT_EQ(wire.Arrival(T0), T0 + byte);
    EXPECT_EQ(wire.Arrival(T0), T0 + 2 * byte);
    EXPECT_EQ(wire.Arrival(T0), T0 + 3 * byte);
}

TEST(WireClockTest, AByteSeenAfterTheLineWentQuietArrivesOneByteTimeLater) {
    WireClock wire(9600);
    const auto byte = wire.ByteTime();
    wire.Arrival(T0);
    EXPECT_EQ(wire.Arrival(T0 + 50ms), T0 + 50ms + byte);
    // Seen before its predecessor had finished: it queues behind it.
    EXPECT_EQ(wire.Arrival(T0 + 50ms + byte / 2), T0 + 50ms + 2 * byte);
}

TEST(WireClockTest, DeparturesQueueBehindEachOtherAndIgnoreArrivals) {
    WireClock wire(115200);
    const auto byte = wire.ByteTime();
    wire.Arrival(T0 + 1s);  // the other direction has no say
    EXPECT_EQ(wire.Departure(T0), T0 + byte);
    EXPECT_EQ(wire.Departure(T0), T0 + 2 * byte);
    EXPECT_EQ(wire.Departure(T0 + 10ms), T0 + 10ms + byte);
}

TEST(WireClockTest, UnpacedLineStillKeepsTheOrder) {
    WireClock wire(0);
    EXPECT_EQ(wire.Departure(T0 + 5ms), T0 + 5ms);
    EXPECT_EQ(wire.Departure(T0), T0 + 5ms) << "an earlier wish cannot overtake";
    EXPECT_EQ(wire.Arrival(T0), T0);
}

}  // namespace
}  // namespace bootsim
