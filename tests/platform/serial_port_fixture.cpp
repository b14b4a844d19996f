#include "serial_port_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace platformtest {

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        throw std::runtime_error("cannot create a pseudo-terminal");
    }
    slavePath_ = ::ptsname(master_);
}

void PseudoTerminal::CloseMaster() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void PseudoTerminal::Send(const std::vector<std::uint8_t>& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::write(master_, bytes.data() + sent, bytes.size() - sent);
        if (n <= 0)
            throw std::runtime_error("pty write failed");
        sent += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PseudoTerminal::Receive(std::size_t count,
                                                  std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    std::vector<std::uint8_t> received(count);
    std::size_t got = 0;
    while (got < count) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd entry{master_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
            break;
        const ssize_t n = ::read(master_, received.data() + got, count - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    received.resize(got);
    return received;
}

int OpenDescriptorCount() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<int>(std::distance(begin(fds), end(fds)));
}

platform::PortHandle SerialPortTest::OpenConfigured(std::uint32_t rate,
                                                    const platform::CommTimeouts& timeouts) {
    const platform::PortHandle port = serial.CreateFileA(PortPath);
    platform::LineSettings line;
    if (port == platform::InvalidHandle || !serial.GetCommState(port, line))
        throw std::runtime_error("COM33 did not open");
    line = {rate, 8, platform::EvenParity, platform::OneStopBit};
    if (!serial.SetCommState(port, line) || !serial.SetCommTimeouts(port, timeouts))
        throw std::runtime_error("COM33 refused its settings");
    return port;
}

bool SerialPortTest::WaitUntilQueued(platform::PortHandle port, std::uint32_t count) {
    std::uint32_t waiting = 0;
    for (int i = 0; i < 5000; ++i) {
        if (serial.ClearCommError(port, waiting) && waiting >= count)
            return true;
        serial.Sleep(1);
    }
    return false;
}

}  // namespace platformtest
