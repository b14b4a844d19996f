#include "platform/posix/line_termios.h"

#include <gtest/gtest.h>

#include "platform/posix/baud_rates.h"

namespace platform::posix {
namespace {

// What a Linux tty looks like when first opened: cooked, echoing, XON/XOFF on.
termios FreshTty() {
    termios t{};
    t.c_iflag = ICRNL | IXON | IXANY | IMAXBEL | BRKINT | INPCK | PARMRK;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS7 | CREAD | HUPCL | CSTOPB | PARODD | PARENB;
    t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | IEXTEN | ECHOCTL | ECHOKE;
    t.c_cc[VINTR] = 3;
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 5;
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    return t;
}

constexpr LineSettings EightEvenOne{115200, 8, EvenParity, OneStopBit};

TEST(LineTermios, AsksForEightDataBitsEvenParityOneStopBit) {
    const auto wanted = LineTermios(FreshTty(), EightEvenOne);
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_NE(wanted->c_cflag & PARENB, 0u);
    EXPECT_EQ(wanted->c_cflag & (PARODD | CMSPAR | CSTOPB), 0u);
    EXPECT_EQ(wanted->c_cflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});
    EXPECT_EQ(cfgetispeed(&*wanted), speed_t{B115200});
    EXPECT_EQ(cfgetospeed(&*wanted), speed_t{B115200});
}

TEST(LineTermios, MakesEveryByteValueTravelUnchanged) {
    const auto wanted = LineTermios(FreshTty(), EightEvenOne);
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->c_iflag & (IXON | IXOFF | IXANY), 0u) << "XON/XOFF would eat 0x11 and 0x13";
    EXPECT_EQ(wanted->c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | BRKINT), 0u);
    EXPECT_EQ(wanted->c_iflag & (INPCK | PARMRK), 0u) << "parity errors must not insert bytes";
    EXPECT_EQ(wanted->c_oflag & OPOST, 0u);
    EXPECT_EQ(wanted->c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(wanted->c_cc[VMIN], 0);
    EXPECT_EQ(wanted->c_cc[VTIME], 0);
    EXPECT_TRUE(RawModeInPlace(*wanted, B115200));
}

TEST(LineTermios, KeepsHardwareFlowControlAndOtherSettingsAsFound) {
    for (const bool rtsCts : {false, true}) {
        termios current = FreshTty();
        if (rtsCts)
            current.c_cflag |= CRTSCTS;
        const auto wanted = LineTermios(current, EightEvenOne);
        ASSERT_TRUE(wanted);
        EXPECT_EQ((wanted->c_cflag & CRTSCTS) != 0, rtsCts);
        EXPECT_EQ(wanted->c_cflag & HUPCL, tcflag_t{HUPCL}) << "modem lines on close";
        EXPECT_EQ(wanted->c_cc[VINTR], 3);
        EXPECT_EQ(wanted->c_cc[VSTART], 0x11);
    }
}

struct FrameCase {
    LineSettings settings;
    bool supported;
};

class FrameSettings : public testing::TestWithParam<FrameCase> {};

TEST_P(FrameSettings, SupportedFramesReadBackAsAsked) {
    const FrameCase& c = GetParam();
    const auto wanted = LineTermios(FreshTty(), c.settings);
    ASSERT_EQ(wanted.has_value(), c.supported);
    if (!wanted)
        return;
    const LineSettings back = LineSettingsOf(*wanted);
    EXPECT_EQ(back.BaudRate, c.settings.BaudRate);
    EXPECT_EQ(back.ByteSize, c.settings.ByteSize);
    EXPECT_EQ(back.Parity, c.settings.Parity);
    EXPECT_EQ(back.StopBits, c.settings.StopBits);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameSettings,
    testing::Values(FrameCase{{9600, 8, 0, 0}, true}, FrameCase{{9600, 8, 1, 0}, true},
                    FrameCase{{9600, 8, 2, 0}, true}, FrameCase{{9600, 8, 3, 0}, true},
                    FrameCase{{9600, 8, 4, 0}, true}, FrameCase{{9600, 7, 2, 2}, true},
                    FrameCase{{9600, 5, 0, 0}, true}, FrameCase{{9600, 6, 1, 2}, true},
                    FrameCase{{115200, 8, 5, 0}, false}, FrameCase{{115200, 8, 2, 1}, false},
                    FrameCase{{115200, 8, 2, 3}, false}, FrameCase{{115200, 4, 2, 0}, false},
                    FrameCase{{115200, 9, 2, 0}, false}, FrameCase{{115201, 8, 2, 0}, false},
                    FrameCase{{0, 8, 2, 0}, false}));

TEST(RawModeInPlace, AcceptsADriverThatDroppedParity) {
    auto actual = LineTermios(FreshTty(), EightEvenOne);
    ASSERT_TRUE(actual);
    actual->c_cflag &= ~PARENB;  // what a pseudo-terminal does
    EXPECT_TRUE(RawModeInPlace(*actual, B115200));
}

TEST(RawModeInPlace, RefusesWhatWouldCorruptOrStallTheLine) {
    const auto good = LineTermios(FreshTty(), EightEvenOne);
    ASSERT_TRUE(good);
    const auto refused = [&](auto change) {
        termios t = *good;
        change(t);
        return !RawModeInPlace(t, B115200);
    };
    EXPECT_TRUE(refused([](termios& t) { cfsetospeed(&t, B9600); }));
    EXPECT_TRUE(refused([](termios& t) { cfsetispeed(&t, B9600); }));
    EXPECT_TRUE(refused([](termios& t) { t.c_lflag |= ICANON; }));
    EXPECT_TRUE(refused([](termios& t) { t.c_lflag |= ECHO; }));
    EXPECT_TRUE(refused([](termios& t) { t.c_iflag |= IXON; }));
    EXPECT_TRUE(refused([](termios& t) { t.c_iflag |= ICRNL; }));
    EXPECT_TRUE(refused([](termios& t) { t.c_oflag |= OPOST; }));
    EXPECT_TRUE(refused([](termios& t) { t.c_cflag &= ~CREAD; }));
    EXPECT_TRUE(refused([](termios& t) { t.c_cc[VMIN] = 1; }));
}

TEST(BaudRates, EveryOfferedRateHasItsOwnConstant) {
    for (const std::uint32_t rate :
         {50u, 300u, 9600u, 19200u, 57600u, 115200u, 230400u, 921600u, 4000000u}) {
        const auto speed = SpeedForRate(rate);
        ASSERT_TRUE(speed) << rate;
        EXPECT_EQ(RateForSpeed(*speed), rate);
    }
    EXPECT_FALSE(SpeedForRate(0)) << "B0 would hang up the line";
    EXPECT_FALSE(SpeedForRate(14400));
    EXPECT_FALSE(SpeedForRate(115201));
}

}  // namespace
}  // namespace platform::posix
