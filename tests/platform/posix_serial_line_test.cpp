#include <numeric>
#include <vector>

#include "serial_port_fixture.h"

namespace platformtest {
namespace {

using platform::LineSettings;
using platform::PortHandle;

class PosixSerialLine : public SerialPortTest {
  protected:
    termios Line(PortHandle port) const {
        termios line{};
        EXPECT_EQ(::tcgetattr(static_cast<int>(port), &line), 0);
        return line;
    }
};

// The tty keeps its settings from one open to the next: the preset stands for
// what an earlier program left.
TEST_F(PosixSerialLine, RateAndRawModeReadBackOnBothEndsWithFlowControlOff) {
    for (const bool rtsCts : {true, false}) {
        const PortHandle port = serial.CreateFileA(PortPath);
        termios preset = Line(port);
        preset.c_cflag = (preset.c_cflag | CSTOPB) & ~CRTSCTS;
        preset.c_cflag |= rtsCts ? CRTSCTS : 0;
        ASSERT_EQ(::tcsetattr(static_cast<int>(port), TCSANOW, &preset), 0);
        LineSettings line;
        ASSERT_TRUE(serial.GetCommState(port, line));
        EXPECT_EQ(line.StopBits, 2) << "reported as the tty has it";

        const std::uint32_t rate = rtsCts ? 115200 : 9600;
        line = {rate, 8, platform::EvenParity, platform::OneStopBit};
        ASSERT_TRUE(serial.SetCommState(port, line)) << "the pty dropping parity is no failure";

        for (const termios& actual : {Line(port), Line(pty.Master())}) {
            EXPECT_EQ(cfgetospeed(&actual), rtsCts ? B115200 : B9600);
            EXPECT_EQ(cfgetispeed(&actual), rtsCts ? B115200 : B9600);
            EXPECT_EQ(actual.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INPCK | PARMRK), 0u);
            EXPECT_EQ(actual.c_oflag & OPOST, 0u);
            EXPECT_EQ(actual.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
            EXPECT_EQ(actual.c_cflag & (CSIZE | CSTOPB | CREAD | CLOCAL),
                      tcflag_t{CS8 | CREAD | CLOCAL});
            EXPECT_EQ(actual.c_cflag & CRTSCTS, 0u);
            EXPECT_EQ(actual.c_cc[VMIN] + actual.c_cc[VTIME], 0);
        }
        ASSERT_TRUE(serial.GetCommState(port, line));
        EXPECT_EQ(line.BaudRate, rate);
        EXPECT_EQ(line.StopBits, platform::OneStopBit);
        ASSERT_TRUE(serial.CloseHandle(port));
    }
}

TEST_F(PosixSerialLine, UnsupportedSettingsFailAndChangeNothing) {
    const PortHandle port = OpenConfigured(9600);
    const termios before = Line(port);
    EXPECT_FALSE(serial.SetCommState(port, LineSettings{115201, 8, 2, 0}));
    EXPECT_FALSE(serial.SetCommState(port, LineSettings{115200, 8, 2, 1}));
    const termios after = Line(port);
    EXPECT_EQ(cfgetospeed(&after), speed_t{B9600});
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}

TEST_F(PosixSerialLine, AFreshTtyWithXonXoffStillCarriesEveryByteBothWays) {
    const PortHandle probe = serial.CreateFileA(PortPath);
    ASSERT_NE(Line(probe).c_iflag & IXON, 0u) << "premise: a new pty starts with XON/XOFF on";
    ASSERT_TRUE(serial.CloseHandle(probe));

    const PortHandle port = OpenConfigured(115200, platform::CommTimeouts{0, 0, 3000, 0, 3000});
    // XOFF and XON first, then every byte value, CR and LF among them.
    std::vector<std::uint8_t> all(2 + 256);
    all[0] = 0x13;
    all[1] = 0x11;
    std::iota(all.begin() + 2, all.end(), std::uint8_t{0});
    const auto size = static_cast<std::uint32_t>(all.size());

    pty.Send(all);
    std::vector<std::uint8_t> received(all.size());
    std::uint32_t count = 0;
    EXPECT_TRUE(serial.ReadFile(port, received.data(), size, count));
    EXPECT_EQ(received, all);

    // After the far end's XOFF an XON/XOFF tty would hold our output back.
    ASSERT_TRUE(serial.WriteFile(port, all.data(), size, count));
    EXPECT_EQ(pty.Receive(all.size(), std::chrono::seconds(3)), all);
    EXPECT_TRUE(pty.Receive(1, std::chrono::milliseconds(100)).empty()) << "nothing added";
}

}  // namespace
}  // namespace platformtest
