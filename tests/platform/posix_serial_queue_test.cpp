#include <signal.h>
#include <sys/time.h>

#include <vector>

#include "serial_port_fixture.h"

namespace platformtest {
namespace {

using platform::CommTimeouts;
using platform::PortHandle;

class PosixSerialQueue : public SerialPortTest {
  protected:
    std::uint32_t Waiting(PortHandle port) {
        std::uint32_t waiting = 0xDEAD;
        serial.ClearCommError(port, waiting);
        return waiting;
    }

    // After a purge the next byte sent must be the first and only one read:
    // an old byte surfacing later would come before it or after it.
    void ExpectOnlyNewBytesArrive(PortHandle port) {
        pty.Send({0x5A});
        ASSERT_TRUE(serial.SetCommTimeouts(port, CommTimeouts{0, 0, 2000, 0, 0}));
        std::uint8_t read[64] = {};
        std::uint32_t count = 0;
        ASSERT_TRUE(serial.ReadFile(port, read, 1, count));
        EXPECT_EQ(read[0], 0x5A);
        ASSERT_TRUE(serial.SetCommTimeouts(port, CommTimeouts{0, 0, 200, 0, 0}));
        EXPECT_TRUE(serial.ReadFile(port, read, sizeof read, count));
        EXPECT_EQ(count, 0u);
    }
};

TEST_F(PosixSerialQueue, CountsReceivedBytesNotYetRead) {
    const PortHandle port = OpenConfigured();
    EXPECT_EQ(Waiting(port), 0u);
    pty.Send(std::vector<std::uint8_t>(10, 0x79));
    ASSERT_TRUE(WaitUntilQueued(port, 10));
    EXPECT_EQ(Waiting(port), 10u);
    std::uint8_t buffer[4];
    std::uint32_t count = 0;
    ASSERT_TRUE(serial.ReadFile(port, buffer, 4, count));
    EXPECT_EQ(Waiting(port), 6u);

    ASSERT_TRUE(serial.CloseHandle(port));
    std::uint32_t waiting = 0xDEAD;
    EXPECT_FALSE(serial.ClearCommError(port, waiting));
    EXPECT_EQ(waiting, 0u) << "a count that cannot be taken is 0";
}

TEST_F(PosixSerialQueue, PurgeDiscardsABacklogBeyondTheVisibleQueue) {
    const PortHandle port = OpenConfigured();
    pty.Send(std::vector<std::uint8_t>(10, 0x11));
    ASSERT_TRUE(WaitUntilQueued(port, 10));
    EXPECT_TRUE(serial.PurgeInput(port));
    EXPECT_EQ(Waiting(port), 0u);
    ExpectOnlyNewBytesArrive(port);

    pty.Send(std::vector<std::uint8_t>(6000, 0x1F));
    ASSERT_TRUE(WaitUntilQueued(port, 1));
    std::uint32_t visible = 0;
    for (int i = 0; i < 1000 && visible != Waiting(port); ++i) {
        visible = Waiting(port);
        serial.Sleep(10);
    }
    EXPECT_LT(visible, 6000u) << "premise: the tty shows only part of a large backlog";
    EXPECT_TRUE(serial.PurgeInput(port));
    ExpectOnlyNewBytesArrive(port);
}

volatile sig_atomic_t alarms = 0;

TEST(PosixSerialSleep, SleepsAtLeastTheTimeAskedEvenWhenSignalled) {
    platform::posix::PosixSerial serial("/nonexistent");
    struct sigaction onAlarm {};
    onAlarm.sa_handler = [](int) { alarms = alarms + 1; };
    sigemptyset(&onAlarm.sa_mask);  // and no SA_RESTART: the sleep sees EINTR
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGALRM, &onAlarm, &previous), 0);
    itimerval every5ms{{0, 5000}, {0, 5000}};
    ASSERT_EQ(::setitimer(ITIMER_REAL, &every5ms, nullptr), 0);

    const long long ms = MillisecondsFor([&] { serial.Sleep(100); });

    itimerval off{};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &previous, nullptr);
    EXPECT_GT(alarms, 1) << "premise: the sleep was interrupted";
    EXPECT_GE(ms, 100);
}

}  // namespace
}  // namespace platformtest
