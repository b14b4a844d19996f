#include "platform/posix/line_termios.h"

#include "platform/posix/baud_rates.h"

namespace platform::posix {

namespace {

// Input processing that would change, drop or add bytes. IXON in particular
// is on in a fresh Linux tty and would swallow every 0x11 and 0x13, both of
// which the device link sends and receives as data. INPCK and PARMRK stay off
// so a parity error is delivered as the byte that came, as on Windows.
constexpr tcflag_t CookedInput =
    BRKINT | INLCR | IGNCR | ICRNL | IUCLC | ISTRIP | IXON | IXOFF | IXANY | INPCK | PARMRK;
constexpr tcflag_t CookedLocal = ICANON | ECHO | ECHONL | ISIG | IEXTEN;

// The device link asks for 8 data bits, no or even parity and one stop bit;
// nothing else is offered.
std::optional<tcflag_t> FrameFlags(const LineSettings& settings) {
    if (settings.ByteSize != 8 || settings.StopBits != OneStopBit)
        return std::nullopt;
    switch (settings.Parity) {
        case NoParity:
            return tcflag_t{CS8};
        case EvenParity:
            return tcflag_t{CS8 | PARENB};
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<termios> LineTermios(const termios& current, const LineSettings& settings) {
    const auto speed = SpeedForRate(settings.BaudRate);
    const auto frame = FrameFlags(settings);
    if (!speed || !frame)
        return std::nullopt;

    termios wanted = current;
    wanted.c_iflag &= ~CookedInput;
    wanted.c_oflag &= ~tcflag_t{OPOST};
    wanted.c_lflag &= ~CookedLocal;
    // RTS/CTS is turned off as XON/XOFF is: a terminal program that used it
    // leaves it set, and on a cable that does not drive CTS every write would
    // wait for its time-out. HUPCL is left alone: it decides what the modem
    // lines do on close.
    wanted.c_cflag &= ~tcflag_t{CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS};
    wanted.c_cflag |= *frame | CREAD | CLOCAL;
    wanted.c_cc[VMIN] = 0;
    wanted.c_cc[VTIME] = 0;
    cfsetispeed(&wanted, *speed);
    cfsetospeed(&wanted, *speed);
    return wanted;
}

bool RawModeInPlace(const termios& actual, speed_t speed) {
    return cfgetospeed(&actual) == speed && cfgetispeed(&actual) == speed &&
           (actual.c_iflag & CookedInput) == 0 && (actual.c_oflag & OPOST) == 0 &&
           (actual.c_lflag & CookedLocal) == 0 &&
           (actual.c_cflag & (CREAD | CLOCAL)) == (CREAD | CLOCAL) && actual.c_cc[VMIN] == 0 &&
           actual.c_cc[VTIME] == 0;
}

LineSettings LineSettingsOf(const termios& actual) {
    LineSettings settings;
    settings.BaudRate = RateForSpeed(cfgetospeed(&actual)).value_or(0);
    switch (actual.c_cflag & CSIZE) {
        case CS5:
            settings.ByteSize = 5;
            break;
        case CS6:
            settings.ByteSize = 6;
            break;
        case CS7:
            settings.ByteSize = 7;
            break;
        default:
            settings.ByteSize = 8;
            break;
    }
    if ((actual.c_cflag & PARENB) == 0) {
        settings.Parity = 0;
    } else if ((actual.c_cflag & CMSPAR) != 0) {
        settings.Parity = (actual.c_cflag & PARODD) != 0 ? 3 : 4;
    } else {
        settings.Parity = (actual.c_cflag & PARODD) != 0 ? 1 : EvenParity;
    }
    settings.StopBits = (actual.c_cflag & CSTOPB) != 0 ? 2 : OneStopBit;
    return settings;
}

}  // namespace platform::posix
