#include "platform/win32/line_control_block.h"

namespace platform::win32 {

DCB LineControlBlock(const DCB& found, const LineSettings& wanted) {
    DCB dcb = found;
    dcb.DCBlength = sizeof(dcb);
    dcb.BaudRate = wanted.BaudRate;
    dcb.ByteSize = wanted.ByteSize;
    dcb.Parity = wanted.Parity;
    dcb.StopBits = wanted.StopBits;
    // Windows supports no other mode; a driver may still report it clear.
    dcb.fBinary = TRUE;
    dcb.fNull = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    return dcb;
}

}  // namespace platform::win32
