// A paced device is never faster than the wire it models. Every bound here is
// a lower bound: a slow machine can only make an exchange take longer.
#include <gtest/gtest.h>

#include <chrono>

#include "session_fixture.h"

namespace bootsim_test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// 11 bits per byte: start, 8 data, parity, stop.
Clock::duration WireTime(std::size_t bytes, std::uint32_t baud) {
    return std::chrono::nanoseconds(bytes * 11 * 1'000'000'000ull / baud);
}

using PacingTest = Session;

TEST_F(PacingTest, WriteMemoryTakesAtLeastItsWireTime) {
    bootsim::Options options;
    options.paceBaud = 115200;
    Start(options);
    Synchronise();

    const auto start = Clock::now();
    ASSERT_TRUE(WriteBlock(0x9000, Pattern(128, 7)));
    const auto took = Clock::now() - start;
    // 31 CE, ACK, address frame, ACK, 130-byte data frame, ACK.
    EXPECT_GE(took, WireTime(2 + 1 + 5 + 1 + 130 + 1, 115200));
}

TEST_F(PacingTest, ReadMemoryTakesAtLeastItsWireTime) {
    bootsim::Options options;
    options.paceBaud = 115200;
    Start(options);
    Synchronise();

    const auto start = Clock::now();
    ASSERT_TRUE(ReadBlock(0x9000, 128));
    const auto took = Clock::now() - start;
    // 11 EE, ACK, address frame, ACK, 7F 80, ACK and 128 bytes.
    EXPECT_GE(took, WireTime(2 + 1 + 5 + 1 + 2 + 129, 115200));
}

TEST_F(PacingTest, SlowRatePacesEveryByteOfAnAnswer) {
    bootsim::Options options;
    options.paceBaud = 9600;
    Start(options);

    auto start = Clock::now();
    Synchronise();
    EXPECT_GE(Clock::now() - start, WireTime(2, 9600));

    start = Clock::now();
    client->Send(CommandFrame(0x00));
    const Bytes first = client->Receive(1);
    const auto firstAt = Clock::now();
    const Bytes rest = client->Receive(14);
    const auto lastAt = Clock::now();
    ASSERT_EQ(first.size() + rest.size(), 15u);
    EXPECT_GE(firstAt - start, WireTime(3, 9600));
    // The remaining 14 bytes cannot come faster than 14 byte times after the
    // first one was readable.
    EXPECT_GE(lastAt - start, WireTime(17, 9600));
}

TEST_F(PacingTest, RequestIsHandledOnlyOnceItsLastByteWouldHaveArrived) {
    bootsim::Options options;
    options.paceBaud = 9600;
    Start(options);
    Synchronise();
    ASSERT_EQ(Exchange(CommandFrame(0x31), 1), Bytes{Ack});
    ASSERT_EQ(Exchange(AddressFrame(0x9000), 1), Bytes{Ack});

    const auto start = Clock::now();
    EXPECT_EQ(Exchange(DataFrame(Bytes(128, 0)), 1), Bytes{Ack});
    // 130 bytes at 9600 baud are about 149 ms on the wire.
    EXPECT_GE(Clock::now() - start, WireTime(131, 9600));
}

TEST_F(PacingTest, WriteDelayHoldsBackTheFinalAck) {
    bootsim::Options options;
    options.writeDelay = 150ms;
    Start(options);
    Synchronise();
    ASSERT_EQ(Exchange(CommandFrame(0x31), 1), Bytes{Ack});
    ASSERT_EQ(Exchange(AddressFrame(0x9000), 1), Bytes{Ack});
    const auto start = Clock::now();
    EXPECT_EQ(Exchange(DataFrame(Bytes(128, 0)), 1), Bytes{Ack});
    EXPECT_GE(Clock::now() - start, 150ms);
}

}  // namespace
}  // namespace bootsim_test
