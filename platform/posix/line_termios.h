// The translation between the Windows line settings and a tty's termios.
//
// Kept free of any descriptor so that what is asked of the driver can be
// checked exactly, apart from what a particular driver makes of it.
#pragma once

#include <termios.h>

#include <optional>

#include "platform/serial_api.h"

namespace platform::posix {

// The termios to ask for: `current` with the requested rate and frame, raw
// binary input and output, reads that never block (VMIN = VTIME = 0), the
// receiver on and modem status ignored. Flow control is always turned off,
// software and hardware (RTS/CTS); everything else stays as found.
// Empty for a rate without a termios constant and for any frame but 8N1 and
// 8E1, the only ones the device link asks for.
std::optional<termios> LineTermios(const termios& current, const LineSettings& settings);

// Whether `actual`, as read back from the driver, runs at `speed` in and out
// and in the raw mode that LineTermios asks for. The frame is not judged:
// some drivers, pseudo-terminals among them, force their own.
bool RawModeInPlace(const termios& actual, speed_t speed);

// The four Windows fields as `actual` has them. A rate without a Windows
// number reads as 0.
LineSettings LineSettingsOf(const termios& actual);

}  // namespace platform::posix
