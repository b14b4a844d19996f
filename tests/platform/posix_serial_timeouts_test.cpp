#include <algorithm>
#include <numeric>
#include <thread>
#include <vector>

#include "serial_port_fixture.h"

namespace platformtest {
namespace {

using namespace std::chrono_literals;
using platform::CommTimeouts;
using platform::PortHandle;

// Upper bounds only catch a wait that runs far too long; they leave seconds
// of room for a loaded machine.
constexpr long long Slack = 3000;

class PosixSerialTimeouts : public SerialPortTest {
  protected:
    // Reads `count` bytes into `buffer`; returns the milliseconds it took.
    long long TimedRead(PortHandle port, std::vector<std::uint8_t>& buffer, std::uint32_t count) {
        return MillisecondsFor([&] {
            EXPECT_TRUE(serial.ReadFile(port, buffer.data(), count, delivered))
                << "a timed-out read is no failure of the line";
        });
    }
    std::uint32_t delivered = 0;
};

TEST_F(PosixSerialTimeouts, AShortReadEndsAtTheTotalLimitWithWhatCame) {
    const PortHandle port = OpenConfigured(115200, CommTimeouts{0, 1, 200, 0, 0});
    std::vector<std::uint8_t> sent(100);
    std::iota(sent.begin(), sent.end(), std::uint8_t{1});
    pty.Send(sent);
    ASSERT_TRUE(WaitUntilQueued(port, 100));

    std::vector<std::uint8_t> buffer(129, 0xEE);
    const long long ms = TimedRead(port, buffer, 129);
    EXPECT_EQ(delivered, 100u);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), buffer.begin()));
    EXPECT_EQ(std::count(buffer.begin() + 100, buffer.end(), 0xEE), 29)
        << "bytes beyond those delivered keep what they held";
    EXPECT_GE(ms, 200 + 129);
    EXPECT_LT(ms, 200 + 129 + Slack);
}

TEST_F(PosixSerialTimeouts, TheGapCountsOnlyFromTheFirstByteAndRestartsWithEach) {
    std::vector<std::uint8_t> buffer(129);
    const PortHandle port = OpenConfigured();
    pty.Send(std::vector<std::uint8_t>(100, 0x55));
    ASSERT_TRUE(WaitUntilQueued(port, 100));
    const long long linkRead = TimedRead(port, buffer, 129);
    EXPECT_EQ(delivered, 100u);
    EXPECT_GE(linkRead, 150);
    EXPECT_LT(linkRead, 329 + Slack);

    ASSERT_TRUE(serial.SetCommTimeouts(port, CommTimeouts{50, 0, 400, 0, 0}));
    EXPECT_GE(TimedRead(port, buffer, 4), 400) << "no byte: only the total limit applies";
    EXPECT_EQ(delivered, 0u);

    // Four bytes 250 ms apart: each gap is well inside 600 ms, all together not.
    ASSERT_TRUE(serial.SetCommTimeouts(port, CommTimeouts{600, 0, 0, 0, 0}));
    std::thread farEnd([&] {
        for (std::uint8_t b = 1; b <= 4; ++b) {
            pty.Send({b});
            std::this_thread::sleep_for(250ms);
        }
    });
    TimedRead(port, buffer, 8);
    farEnd.join();
    EXPECT_EQ(delivered, 4u);
}

TEST_F(PosixSerialTimeouts, NoLimitsWaitForTheCountAndZeroCountsReturnAtOnce) {
    std::vector<std::uint8_t> buffer(10, 0xEE);
    const PortHandle port = OpenConfigured(115200, CommTimeouts{});
    std::thread farEnd([&] {
        pty.Send({7});
        std::this_thread::sleep_for(300ms);
        pty.Send({8, 9});
    });
    EXPECT_GE(TimedRead(port, buffer, 3), 300) << "all zero: wait for the whole count";
    farEnd.join();
    EXPECT_EQ(delivered, 3u);

    buffer.assign(10, 0xEE);
    pty.Send({5});
    ASSERT_TRUE(WaitUntilQueued(port, 1));
    TimedRead(port, buffer, 0);
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_TRUE(serial.WriteFile(port, buffer.data(), 0, delivered));
    EXPECT_TRUE(pty.Receive(1, 50ms).empty());
}

TEST_F(PosixSerialTimeouts, AVanishedFarEndFailsInsteadOfWaitingForever) {
    const PortHandle port = OpenConfigured(115200, CommTimeouts{});
    std::thread farEnd([&] {
        std::this_thread::sleep_for(100ms);
        pty.CloseMaster();
    });
    std::uint8_t buffer[4];
    std::uint32_t count = 0;
    EXPECT_FALSE(serial.ReadFile(port, buffer, 4, count));
    farEnd.join();
    EXPECT_FALSE(serial.WriteFile(port, buffer, 4, count));
}

TEST_F(PosixSerialTimeouts, AWriteEndsAtItsLimitOrWhenAllIsTaken) {
    const PortHandle port = OpenConfigured();
    std::vector<std::uint8_t> block(256 * 1024);
    std::iota(block.begin(), block.end(), std::uint8_t{0});
    const auto size = static_cast<std::uint32_t>(block.size());
    std::uint32_t written = 0;
    const long long ms =
        MillisecondsFor([&] { EXPECT_TRUE(serial.WriteFile(port, block.data(), size, written)); });
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, size) << "nobody reads, and the pty's queue is far smaller";
    EXPECT_GE(ms, 100);
    EXPECT_LT(ms, 100 + Slack);

    pty.Receive(size, 500ms);  // empty the queue again
    ASSERT_TRUE(serial.SetCommTimeouts(port, CommTimeouts{}));
    std::vector<std::uint8_t> received;
    std::thread farEnd([&] { received = pty.Receive(size, 10s); });
    EXPECT_TRUE(serial.WriteFile(port, block.data(), size, written));
    farEnd.join();
    EXPECT_EQ(written, size);
    EXPECT_EQ(received, block);
}

}  // namespace
}  // namespace platformtest
