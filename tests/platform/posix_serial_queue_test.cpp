#include <signal.h>
#include <sys/time.h>

#include <vector>

#include "serial_port_fixture.h"

namespace platformtest {
namespace {

using namespace std::chrono_literals;
using platform::CommTimeouts;
using platform::PortHandle;

class PosixSerialQueue : public SerialPortTest {
  protected:
    std::uint32_t Waiting(PortHandle port) {
        std::uint32_t waiting = 0xDEAD;
        EXPECT_TRUE(serial.ClearCommError(port, waiting));
        return waiting;
    }

    // After a purge, whatever the far end sends next must be the first thing
    // read: an old byte surfacing later would come before it.
    void ExpectOnlyNewBytesArrive(PortHandle port) {
        pty.Send({0x5A});
        ASSERT_TRUE(serial.SetCommTimeouts(port, CommTimeouts{0, 0, 3000, 0, 0}));
        std::uint8_t first = 0;
        std::uint32_t count = 0;
        ASSERT_TRUE(serial.ReadFile(port, &first, 1, count));
        ASSERT_EQ(count, 1u);
        EXPECT_EQ(first, 0x5A);
        ASSERT_TRUE(serial.SetCommTimeouts(port, CommTimeouts{0, 0, 200, 0, 0}));
        std::uint8_t more[64];
        EXPECT_TRUE(serial.ReadFile(port, more, sizeof more, count));
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
}

TEST_F(PosixSerialQueue, ACountThatCannotBeTakenIsZero) {
    const PortHandle port = OpenConfigured();
    ASSERT_TRUE(serial.CloseHandle(port));
    std::uint32_t waiting = 0xDEAD;
    EXPECT_FALSE(serial.ClearCommError(port, waiting));
    EXPECT_EQ(waiting, 0u);
}

TEST_F(PosixSerialQueue, PurgeDiscardsEverythingWaiting) {
    const PortHandle port = OpenConfigured();
    pty.Send(std::vector<std::uint8_t>(10, 0x11));
    ASSERT_TRUE(WaitUntilQueued(port, 10));
    EXPECT_TRUE(serial.PurgeInput(port));
    EXPECT_EQ(Waiting(port), 0u);
    ExpectOnlyNewBytesArrive(port);
}

TEST_F(PosixSerialQueue, ABacklogBeyondTheVisibleQueueIsPurgedWhole) {
    const PortHandle port = OpenConfigured();
    pty.Send(std::vector<std::uint8_t>(6000, 0x1F));
    ASSERT_TRUE(WaitUntilQueued(port, 1));
    // Let the kernel move what it will into the line discipline's queue.
    std::uint32_t visible = 0;
    for (int i = 0; i < 2000 && visible != Waiting(port); ++i) {
        visible = Waiting(port);
        serial.Sleep(5);
    }
    EXPECT_LT(visible, 6000u) << "premise: the tty shows only part of a large backlog";

    EXPECT_TRUE(serial.PurgeInput(port));
    ExpectOnlyNewBytesArrive(port);
}

volatile sig_atomic_t alarms = 0;

TEST(PosixSerialSleep, SleepsAtLeastTheTimeAskedEvenWhenSignalled) {
    platform::posix::PosixSerial serial("/nonexistent");
    EXPECT_GE(MillisecondsFor([&] { serial.Sleep(20); }), 20);
    EXPECT_LT(MillisecondsFor([&] { serial.Sleep(0); }), 1000);

    struct sigaction onAlarm {};
    onAlarm.sa_handler = [](int) { alarms = alarms + 1; };
    sigemptyset(&onAlarm.sa_mask);
    onAlarm.sa_flags = 0;  // no SA_RESTART: the sleep sees EINTR
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
