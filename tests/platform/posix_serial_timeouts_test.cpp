#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "serial_port_fixture.h"

namespace platformtest {
namespace {

using namespace std::chrono_literals;
using platform::CommTimeouts;
using platform::PortHandle;

constexpr std::uint32_t MaxDword = 0xFFFFFFFF;
// Upper bounds only catch a wait that runs far too long or never ends; they
// leave seconds of room for a loaded machine.
constexpr long long Slack = 3000;

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first = 0) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

class PosixSerialReadTimeouts : public SerialPortTest {};

TEST_F(PosixSerialReadTimeouts, AShortReadEndsAtTheTotalLimitWithWhatCame) {
    const PortHandle port = OpenConfigured(115200, CommTimeouts{0, 1, 200, 0, 0});
    const auto sent = Bytes(100, 1);
    pty.Send(sent);
    ASSERT_TRUE(WaitUntilQueued(port, 100));

    std::vector<std::uint8_t> buffer(129, 0xEE);
    std::uint32_t count = 0;
    bool ok = false;
    const long long ms =
        MillisecondsFor([&] { ok = serial.ReadFile(port, buffer.data(), 129, count); });
    EXPECT_TRUE(ok) << "a timed-out read is no failure of the line";
    EXPECT_EQ(count, 100u);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), buffer.begin()));
    EXPECT_TRUE(std::all_of(buffer.begin() + 100, buffer.end(), [](auto b) { return b == 0xEE; }))
        << "bytes beyond those delivered keep what they held";
    EXPECT_GE(ms, 200 + 129);
    EXPECT_LT(ms, 200 + 129 + Slack);
}

TEST_F(PosixSerialReadTimeouts, TheLinksReadEndsOneGapAfterTheLastByte) {
    const PortHandle port = OpenConfigured();
    pty.Send(Bytes(100));
    ASSERT_TRUE(WaitUntilQueued(port, 100));
    std::vector<std::uint8_t> buffer(129);
    std::uint32_t count = 0;
    const long long ms = MillisecondsFor([&] { serial.ReadFile(port, buffer.data(), 129, count); });
    EXPECT_EQ(count, 100u);
    EXPECT_GE(ms, 150);
    EXPECT_LT(ms, 329 + Slack);
}

TEST_F(PosixSerialReadTimeouts, TheGapCountsOnlyOnceTheFirstByteIsIn) {
    const PortHandle port = OpenConfigured(115200, CommTimeouts{50, 0, 400, 0, 0});
    std::uint8_t buffer[4];
    std::uint32_t count = 99;
    const long long ms = MillisecondsFor([&] { serial.ReadFile(port, buffer, 4, count); });
    EXPECT_EQ(count, 0u);
    EXPECT_GE(ms, 400) << "no byte, so only the total limit applies";
    EXPECT_LT(ms, 400 + Slack);
}

TEST_F(PosixSerialReadTimeouts, EachByteRestartsTheGap) {
    // Four bytes 250 ms apart: each gap is well inside 600 ms, all of them
    // together are not.
    const PortHandle port = OpenConfigured(115200, CommTimeouts{600, 0, 0, 0, 0});
    std::thread farEnd([&] {
        for (std::uint8_t b = 1; b <= 4; ++b) {
            pty.Send({b});
            std::this_thread::sleep_for(250ms);
        }
    });
    std::uint8_t buffer[8] = {};
    std::uint32_t count = 0;
    EXPECT_TRUE(serial.ReadFile(port, buffer, 8, count));
    farEnd.join();
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(buffer[3], 4);
}

TEST_F(PosixSerialReadTimeouts, AllZeroWaitsForTheWholeCount) {
    const PortHandle port = OpenConfigured(115200, CommTimeouts{0, 0, 0, 0, 0});
    std::thread farEnd([&] {
        pty.Send({7});
        std::this_thread::sleep_for(300ms);
        pty.Send({8, 9});
    });
    std::uint8_t buffer[3] = {};
    std::uint32_t count = 0;
    const long long ms =
        MillisecondsFor([&] { EXPECT_TRUE(serial.ReadFile(port, buffer, 3, count)); });
    farEnd.join();
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(buffer[2], 9);
    EXPECT_GE(ms, 300);
}

TEST_F(PosixSerialReadTimeouts, WhatIsThereReturnsAtOnce) {
    const PortHandle port = OpenConfigured(115200, CommTimeouts{MaxDword, 0, 0, 0, 0});
    std::uint8_t buffer[10] = {};
    std::uint32_t count = 99;
    EXPECT_LT(MillisecondsFor([&] { EXPECT_TRUE(serial.ReadFile(port, buffer, 10, count)); }),
              Slack);
    EXPECT_EQ(count, 0u);

    pty.Send(Bytes(5, 1));
    ASSERT_TRUE(WaitUntilQueued(port, 5));
    EXPECT_TRUE(serial.ReadFile(port, buffer, 10, count));
    EXPECT_EQ(count, 5u);
}

TEST_F(PosixSerialReadTimeouts, FirstArrivalsEndTheWait) {
    const PortHandle port = OpenConfigured(115200, CommTimeouts{MaxDword, MaxDword, 5000, 0, 0});
    std::thread farEnd([&] {
        std::this_thread::sleep_for(100ms);
        pty.Send({1, 2});
    });
    std::uint8_t buffer[10] = {};
    std::uint32_t count = 0;
    const long long ms =
        MillisecondsFor([&] { EXPECT_TRUE(serial.ReadFile(port, buffer, 10, count)); });
    farEnd.join();
    EXPECT_GE(count, 1u);
    EXPECT_LT(ms, 5000) << "the first bytes, not the constant, end the read";

    ASSERT_TRUE(serial.SetCommTimeouts(port, CommTimeouts{MaxDword, MaxDword, 100, 0, 0}));
    std::uint32_t rest = 0;
    serial.ReadFile(port, buffer, 10, rest);  // a second byte may have come apart
    const long long empty =
        MillisecondsFor([&] { EXPECT_TRUE(serial.ReadFile(port, buffer, 10, count)); });
    EXPECT_EQ(count, 0u) << "nothing came within the constant";
    EXPECT_GE(empty, 100);
}

TEST_F(PosixSerialReadTimeouts, ZeroCountsDoNothing) {
    const PortHandle port = OpenConfigured();
    pty.Send({5});
    ASSERT_TRUE(WaitUntilQueued(port, 1));
    std::uint8_t buffer[1] = {0xEE};
    std::uint32_t count = 99;
    EXPECT_TRUE(serial.ReadFile(port, buffer, 0, count));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_TRUE(serial.WriteFile(port, buffer, 0, count));
    EXPECT_EQ(count, 0u);
    std::uint32_t waiting = 0;
    EXPECT_TRUE(serial.ClearCommError(port, waiting));
    EXPECT_EQ(waiting, 1u);
    EXPECT_TRUE(pty.Receive(1, 50ms).empty());
}

TEST_F(PosixSerialReadTimeouts, AVanishedFarEndFailsInsteadOfWaitingForever) {
    const PortHandle port = OpenConfigured(115200, CommTimeouts{0, 0, 0, 0, 0});
    std::thread farEnd([&] {
        std::this_thread::sleep_for(100ms);
        pty.CloseMaster();
    });
    std::uint8_t buffer[4];
    std::uint32_t count = 0;
    EXPECT_FALSE(serial.ReadFile(port, buffer, 4, count));
    farEnd.join();
    EXPECT_FALSE(serial.WriteFile(port, buffer, 4, count));
    EXPECT_TRUE(serial.CloseHandle(port));
}

class PosixSerialWriteTimeouts : public SerialPortTest {};

TEST_F(PosixSerialWriteTimeouts, AWriteNobodyTakesEndsAtTheLimit) {
    const PortHandle port = OpenConfigured();
    const auto block = Bytes(256 * 1024);
    std::uint32_t written = 0;
    bool ok = false;
    const long long ms = MillisecondsFor([&] {
        ok =
            serial.WriteFile(port, block.data(), static_cast<std::uint32_t>(block.size()), written);
    });
    EXPECT_TRUE(ok) << "a timed-out write is no failure of the line";
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, block.size()) << "the pty's queue is far smaller than the block";
    EXPECT_GE(ms, 100);
    EXPECT_LT(ms, 100 + Slack);
}

TEST_F(PosixSerialWriteTimeouts, AWriteLargerThanTheQueueGoesOutWhole) {
    const PortHandle port = OpenConfigured(115200, CommTimeouts{0, 0, 0, 0, 0});
    const auto block = Bytes(200 * 1024);
    std::vector<std::uint8_t> received;
    std::thread farEnd([&] { received = pty.Receive(block.size(), 10s); });
    std::uint32_t written = 0;
    EXPECT_TRUE(
        serial.WriteFile(port, block.data(), static_cast<std::uint32_t>(block.size()), written));
    farEnd.join();
    EXPECT_EQ(written, block.size());
    EXPECT_EQ(received, block);
}

}  // namespace
}  // namespace platformtest
