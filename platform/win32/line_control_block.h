// The control block a port is set to: the line settings asked for, raw bytes
// both ways, and everything else as the port was found.
#pragma once

#include <windows.h>

#include "platform/serial_api.h"

namespace platform::win32 {

// SetCommState takes the whole block, so whatever an earlier program left in
// it stays unless cleared here: fNull would drop every 0x00 byte read back,
// fErrorChar would replace bytes that arrive with a parity error, and
// fAbortOnError or fDsrSensitivity would fail or drop reads. XON/XOFF would
// swallow 0x11 and 0x13, which occur in frames and blocks. A terminal program
// that used handshaking leaves fOutxCtsFlow or fOutxDsrFlow set, and on a
// cable that does not drive those lines every write would wait for its
// time-out. What the port drives on DTR and RTS stays as found.
DCB LineControlBlock(const DCB& found, const LineSettings& wanted);

}  // namespace platform::win32
