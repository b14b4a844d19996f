#include "platform/posix/line_termios.h"

#include <gtest/gtest.h>

namespace platform::posix {
namespace {

// A Linux tty as first opened: cooked, echoing, XON/XOFF on, odd 7-bit frame.
termios FreshTty() {
    termios t{};
    t.c_iflag = ICRNL | IXON | IXANY | BRKINT | INPCK | PARMRK;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS7 | CREAD | HUPCL | CSTOPB | PARODD | PARENB;
    t.c_lflag = ISIG | ICANON | ECHO | IEXTEN;
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VMIN] = 1;
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    return t;
}

constexpr LineSettings EightEvenOne{115200, 8, EvenParity, OneStopBit};

// What is asked of the driver; a pseudo-terminal's read-back would hide parity.
TEST(LineTermios, AsksForRawEightEvenOneAtTheRate) {
    const auto wanted = LineTermios(FreshTty(), EightEvenOne);
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB),
              tcflag_t{CS8 | PARENB});
    EXPECT_EQ(wanted->c_cflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});
    EXPECT_EQ(wanted->c_iflag & (INPCK | PARMRK), 0u) << "parity errors must not insert bytes";
    EXPECT_EQ(wanted->c_iflag & (IXON | IXANY), 0u) << "XON/XOFF would eat 0x11 and 0x13";
    EXPECT_EQ(cfgetispeed(&*wanted), speed_t{B115200});
    EXPECT_TRUE(RawModeInPlace(*wanted, B115200));
    EXPECT_FALSE(RawModeInPlace(*wanted, B9600));
}

TEST(LineTermios, TurnsRtsCtsOffAndKeepsOtherSettingsAsFound) {
    for (const bool rtsCts : {false, true}) {
        termios current = FreshTty();
        if (rtsCts)
            current.c_cflag |= CRTSCTS;
        const auto wanted = LineTermios(current, EightEvenOne);
        ASSERT_TRUE(wanted);
        EXPECT_EQ(wanted->c_cflag & CRTSCTS, 0u);
        EXPECT_NE(wanted->c_cflag & HUPCL, 0u);
        EXPECT_EQ(wanted->c_cc[VSTART], 0x11);
    }
}

TEST(LineTermios, FramesWithoutATermiosFormAreRefused) {
    for (const LineSettings refused :
         {LineSettings{115201, 8, 2, 0}, LineSettings{0, 8, 2, 0}, LineSettings{9600, 8, 2, 1},
          LineSettings{9600, 9, 2, 0}, LineSettings{9600, 7, 2, 0}, LineSettings{9600, 8, 3, 0}}) {
        EXPECT_FALSE(LineTermios(FreshTty(), refused)) << refused.BaudRate;
    }
}

TEST(RawModeInPlace, JudgesTheRateAndRawModeNotTheFrame) {
    const auto good = LineTermios(FreshTty(), EightEvenOne);
    ASSERT_TRUE(good);
    const auto inPlaceAfter = [&](auto change) {
        termios t = *good;
        change(t);
        return RawModeInPlace(t, B115200);
    };
    EXPECT_TRUE(inPlaceAfter([](termios& t) { t.c_cflag &= ~tcflag_t{PARENB}; }))
        << "as a pty does";
    EXPECT_FALSE(inPlaceAfter([](termios& t) { cfsetispeed(&t, B9600); }));
    EXPECT_FALSE(inPlaceAfter([](termios& t) { t.c_lflag |= ICANON; }));
    EXPECT_FALSE(inPlaceAfter([](termios& t) { t.c_iflag |= IXON; }));
    EXPECT_FALSE(inPlaceAfter([](termios& t) { t.c_oflag |= OPOST; }));
    EXPECT_FALSE(inPlaceAfter([](termios& t) { t.c_cc[VMIN] = 1; }));
}

}  // namespace
}  // namespace platform::posix
