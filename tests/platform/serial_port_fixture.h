// The far end of a serial line, played by the test on a pseudo-terminal's
// master, and a PosixSerial whose COM33 is that pseudo-terminal's slave.
#pragma once

#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "device_tree/device_tree.h"
#include "platform/posix/posix_serial.h"

namespace platformtest {

class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal() { CloseMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int Master() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    void Send(const std::vector<std::uint8_t>& bytes);
    // Whatever arrives within `limit`, up to `count` bytes.
    std::vector<std::uint8_t> Receive(std::size_t count, std::chrono::milliseconds limit);
    // Hangs up the line, as a device that went away.
    void CloseMaster();

  private:
    int master_ = -1;
    std::string slavePath_;
};

// Descriptors this process has open, from /proc/self/fd.
int OpenDescriptorCount();

inline constexpr platform::CommTimeouts LinkTimeouts{150, 1, 200, 0, 100};
inline constexpr const char* PortPath = R"(\\.\COM33)";

class SerialPortTest : public testing::Test {
  protected:
    SerialPortTest() { tree.AddTty("ttyUSB0", "cp210x", pty.SlavePath()); }

    // Opens COM33 and configures it as the device link does.
    platform::PortHandle OpenConfigured(std::uint32_t rate = 115200,
                                        const platform::CommTimeouts& timeouts = LinkTimeouts);
    // Waits up to 5 s for `count` bytes to be waiting: a pty hands them over
    // asynchronously.
    bool WaitUntilQueued(platform::PortHandle port, std::uint32_t count);

    PseudoTerminal pty;
    device_tree::DeviceTree tree;
    platform::posix::PosixSerial serial{tree.DevRoot()};
};

template <typename Action>
long long MillisecondsFor(Action&& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    const auto spent = std::chrono::steady_clock::now() - start;
    return std::chrono::duration_cast<std::chrono::milliseconds>(spent).count();
}

}  // namespace platformtest
