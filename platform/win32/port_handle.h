// A port handle of the seam and the Windows HANDLE it stands for are the same
// bits: INVALID_HANDLE_VALUE is -1 on both sides.
#pragma once

#include <windows.h>

#include "platform/serial_api.h"

namespace platform::win32 {

inline HANDLE ToHandle(PortHandle port) {
    return reinterpret_cast<HANDLE>(port);
}

inline PortHandle ToPortHandle(HANDLE handle) {
    return reinterpret_cast<PortHandle>(handle);
}

}  // namespace platform::win32
