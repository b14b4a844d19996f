// Serial ports that are not there: the standard PC serial driver keeps ttyS0
// to ttyS31 whether or not a UART answers behind them, and Windows lists no
// such port.
#pragma once

#include <optional>
#include <string_view>

namespace platform::posix {

// Only the standard PC serial driver's ports can be placeholders; asking any
// other tty would open it (and, on a USB bridge, raise its modem lines) for
// nothing.
bool MayBePlaceholder(std::string_view node);

// The UART type that the serial core reports for an open tty (TIOCGSERIAL),
// or nothing when the tty is not a serial-core port (a pseudo-terminal, a USB
// modem).
std::optional<int> SerialCoreUartType(int fd);

// A placeholder is a ttyS port whose UART type is known to be unknown. A port
// whose type cannot be read is taken as real: nothing says it is not there.
bool IsPlaceholder(std::string_view node, std::optional<int> uartType);

}  // namespace platform::posix
