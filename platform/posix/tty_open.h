// Opening a serial device node the way both the channel and the probe need.
#pragma once

#include <functional>
#include <string>

namespace platform::posix {

enum class TtyUse { Shared, Exclusive };

// Told the node's path and the errno value when a port that exists cannot be
// opened: access denied, held by another program, or refused by its driver.
// Most port names have no port behind them, so absence is not reported.
using OpenFailureReport = std::function<void(const std::string& path, int error)>;

// Whether an open failed only because there is no port: no such node, or no
// device behind it.
bool IsAbsence(int error);

// Opens `path` for reading and writing without making it the controlling
// terminal, without waiting for carrier and closed across exec. With
// TtyUse::Exclusive the port is also claimed so that no other program can use
// it at the same time. Returns the descriptor, or -1 with nothing left open
// and errno saying why (EBUSY when another program holds the port); a failure
// other than absence also goes to `report`, when one is given.
int OpenTty(const std::string& path, TtyUse use, const OpenFailureReport& report = {});

}  // namespace platform::posix
