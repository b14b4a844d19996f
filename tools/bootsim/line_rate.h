// Line rates as numbers of bits per second, and the termios speed codes that
// stand for them.
#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>

namespace bootsim {

// 0 for B0 and for codes without a standard rate.
std::uint32_t RateOfSpeed(speed_t speed);
std::optional<speed_t> SpeedOfRate(std::uint32_t rate);

// The output rate currently set on the terminal behind `fd`, 0 when unknown.
// On a pty master this reads the slave's settings, i.e. what the host chose.
std::uint32_t CurrentRate(int fd);

}  // namespace bootsim
