// Opening a serial device node the way both the channel and the probe need.
#pragma once

#include <string>

namespace platform::posix {

enum class TtyUse { Shared, Exclusive };

// Opens `path` for reading and writing without making it the controlling
// terminal, without waiting for carrier and closed across exec. With
// TtyUse::Exclusive the port is also claimed so that no other program can use
// it at the same time. Returns the descriptor, or -1 with nothing left open.
int OpenTty(const std::string& path, TtyUse use);

}  // namespace platform::posix
