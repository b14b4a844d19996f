#include "serial_port_fixture.h"

#include <stdexcept>

namespace platformtest {

platform::PortHandle SerialPortTest::OpenConfigured(std::uint32_t rate,
                                                    const platform::CommTimeouts& timeouts) {
    const platform::PortHandle port = serial.CreateFile(PortPath);
    if (port == platform::InvalidHandle)
        throw std::runtime_error("COM33 did not open");
    platform::LineSettings line;
    if (!serial.GetCommState(port, line))
        throw std::runtime_error("GetCommState failed");
    line.BaudRate = rate;
    line.ByteSize = 8;
    line.Parity = platform::EvenParity;
    line.StopBits = platform::OneStopBit;
    if (!serial.SetCommState(port, line))
        throw std::runtime_error("SetCommState failed");
    if (!serial.SetCommTimeouts(port, timeouts))
        throw std::runtime_error("timeouts refused");
    return port;
}

bool SerialPortTest::WaitUntilQueued(platform::PortHandle port, std::uint32_t count) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::uint32_t waiting = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (serial.ClearCommError(port, waiting) && waiting >= count)
            return true;
        serial.Sleep(1);
    }
    return false;
}

termios SerialPortTest::LineAsSeenByMaster() const {
    termios line{};
    if (::tcgetattr(pty.Master(), &line) != 0)
        throw std::runtime_error("tcgetattr on master");
    return line;
}

}  // namespace platformtest
