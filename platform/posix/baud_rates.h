// The line rates a Linux tty can be set to through termios.
#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>

namespace platform::posix {

// The termios speed constant for a rate in bits per second; empty for a rate
// that has no constant (arbitrary rates are not offered).
std::optional<speed_t> SpeedForRate(std::uint32_t bitsPerSecond);

// The rate in bits per second of a termios speed constant; empty for none.
std::optional<std::uint32_t> RateForSpeed(speed_t speed);

}  // namespace platform::posix
