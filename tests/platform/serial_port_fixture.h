// A PosixSerial whose COM33 is the slave of a pseudo-terminal the test drives.
#pragma once

#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <cstdint>

#include "platform/posix/posix_serial.h"
#include "pseudo_terminal.h"
#include "tests/support/fake_sysfs.h"

namespace platformtest {

// The time-outs the device link sets.
inline constexpr platform::CommTimeouts LinkTimeouts{150, 1, 200, 0, 100};
inline constexpr const char* PortPath = R"(\\.\COM33)";

class SerialPortTest : public testing::Test {
  protected:
    SerialPortTest() { tree.AddTty("ttyUSB0", "cp210x", pty.SlavePath()); }

    // Opens COM33 and configures it as the device link does.
    platform::PortHandle OpenConfigured(std::uint32_t rate = 115200,
                                        const platform::CommTimeouts& timeouts = LinkTimeouts);

    // Waits (up to 5 s) until the port reports at least `count` bytes waiting;
    // the pty hands bytes over asynchronously.
    bool WaitUntilQueued(platform::PortHandle port, std::uint32_t count);

    // The line settings as the kernel holds them, read through the master.
    termios LineAsSeenByMaster() const;

    PseudoTerminal pty;
    testsupport::FakeSysfs tree;
    platform::posix::PosixSerial serial{tree.DevRoot()};
};

// Milliseconds spent in `action`.
template <typename Action>
long long MillisecondsFor(Action&& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

}  // namespace platformtest
