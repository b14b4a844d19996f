#include <fcntl.h>
#include <unistd.h>

#include <numeric>
#include <vector>

#include "serial_port_fixture.h"

namespace platformtest {
namespace {

using platform::InvalidHandle;
using platform::LineSettings;
using platform::PortHandle;

constexpr tcflag_t CookedInput = IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP;
constexpr tcflag_t CookedLocal = ICANON | ECHO | ISIG | IEXTEN;

class PosixSerialLine : public SerialPortTest {
  protected:
    // Changes the tty's settings behind the port's back, as another program
    // or the kernel's defaults might have left them.
    void Preset(PortHandle port, tcflag_t cflagOn, tcflag_t cflagOff) {
        termios line{};
        ASSERT_EQ(::tcgetattr(static_cast<int>(port), &line), 0);
        line.c_cflag = (line.c_cflag | cflagOn) & ~cflagOff;
        ASSERT_EQ(::tcsetattr(static_cast<int>(port), TCSANOW, &line), 0);
    }
};

TEST_F(PosixSerialLine, RateAndRawModeAreInPlaceOnBothSidesOfTheLine) {
    for (const std::uint32_t rate : {115200u, 9600u}) {
        const PortHandle port = OpenConfigured(rate);
        const speed_t speed = rate == 115200 ? B115200 : B9600;

        termios slave{};
        ASSERT_EQ(::tcgetattr(static_cast<int>(port), &slave), 0);
        for (const termios& line : {slave, LineAsSeenByMaster()}) {
            EXPECT_EQ(cfgetospeed(&line), speed) << rate;
            EXPECT_EQ(cfgetispeed(&line), speed) << rate;
            EXPECT_EQ(line.c_iflag & CookedInput, 0u);
            EXPECT_EQ(line.c_iflag & (INPCK | PARMRK), 0u);
            EXPECT_EQ(line.c_oflag & OPOST, 0u);
            EXPECT_EQ(line.c_lflag & CookedLocal, 0u);
            EXPECT_EQ(line.c_cflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});
            EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t{CS8});
            EXPECT_EQ(line.c_cc[VMIN], 0);
            EXPECT_EQ(line.c_cc[VTIME], 0);
        }
        ASSERT_TRUE(serial.CloseHandle(port));
    }
}

TEST_F(PosixSerialLine, StopBitsAndHardwareFlowControl) {
    for (const bool rtsCts : {true, false}) {
        const PortHandle port = serial.CreateFile(PortPath);
        ASSERT_NE(port, InvalidHandle);
        Preset(port, CSTOPB | (rtsCts ? CRTSCTS : 0), rtsCts ? 0 : CRTSCTS);
        LineSettings line;
        ASSERT_TRUE(serial.GetCommState(port, line));
        EXPECT_EQ(line.StopBits, 2) << "GetCommState reports the tty as it is";

        line.BaudRate = 115200;
        line.ByteSize = 8;
        line.Parity = platform::EvenParity;
        line.StopBits = platform::OneStopBit;
        ASSERT_TRUE(serial.SetCommState(port, line)) << "the pty's dropped parity is no failure";

        const termios actual = LineAsSeenByMaster();
        EXPECT_EQ(actual.c_cflag & CSTOPB, 0u);
        EXPECT_EQ((actual.c_cflag & CRTSCTS) != 0, rtsCts) << "flow control stays as found";
        ASSERT_TRUE(serial.GetCommState(port, line));
        EXPECT_EQ(line.BaudRate, 115200u);
        EXPECT_EQ(line.ByteSize, 8);
        EXPECT_EQ(line.StopBits, platform::OneStopBit);
        ASSERT_TRUE(serial.CloseHandle(port));
    }
}

TEST_F(PosixSerialLine, UnsupportedSettingsFailAndChangeNothing) {
    const PortHandle port = OpenConfigured(9600);
    const termios before = LineAsSeenByMaster();
    for (const LineSettings refused :
         {LineSettings{115201, 8, 2, 0}, LineSettings{0, 8, 2, 0}, LineSettings{115200, 8, 2, 1},
          LineSettings{115200, 9, 2, 0}}) {
        EXPECT_FALSE(serial.SetCommState(port, refused)) << refused.BaudRate;
    }
    const termios after = LineAsSeenByMaster();
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}

TEST_F(PosixSerialLine, AFreshTtyWithXonXoffStillCarriesEveryByteBothWays) {
    const PortHandle probe = serial.CreateFile(PortPath);
    ASSERT_NE(probe, InvalidHandle);
    termios fresh{};
    ASSERT_EQ(::tcgetattr(static_cast<int>(probe), &fresh), 0);
    ASSERT_NE(fresh.c_iflag & IXON, 0u) << "premise: a new pty starts with XON/XOFF on";
    ASSERT_TRUE(serial.CloseHandle(probe));

    const PortHandle port = OpenConfigured(115200, platform::CommTimeouts{0, 0, 3000, 0, 3000});
    // XOFF and XON first, then every byte value, CR and LF among them.
    std::vector<std::uint8_t> all{0x13, 0x11};
    all.resize(2 + 256);
    std::iota(all.begin() + 2, all.end(), std::uint8_t{0});

    pty.Send(all);
    std::vector<std::uint8_t> received(all.size(), 0xEE);
    std::uint32_t count = 0;
    EXPECT_TRUE(
        serial.ReadFile(port, received.data(), static_cast<std::uint32_t>(received.size()), count));
    EXPECT_EQ(count, all.size());
    EXPECT_EQ(received, all);

    // After an XOFF from the far end an XON/XOFF tty would hold our output.
    pty.Send({0x13});
    ASSERT_TRUE(WaitUntilQueued(port, 1));
    ASSERT_TRUE(serial.WriteFile(port, all.data(), static_cast<std::uint32_t>(all.size()), count));
    EXPECT_EQ(count, all.size());
    EXPECT_EQ(pty.Receive(all.size(), std::chrono::seconds(3)), all) << "nothing dropped";
    EXPECT_TRUE(pty.Receive(1, std::chrono::milliseconds(100)).empty()) << "nothing added";
}

}  // namespace
}  // namespace platformtest
