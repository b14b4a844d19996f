// The seam's device class as the GUID that SetupAPI takes.
#pragma once

#include <windows.h>

#include <cstring>

#include "platform/ports_registry.h"

namespace platform::win32 {

inline GUID ToGuid(const ClassGuid& deviceClass) {
    GUID guid{};
    guid.Data1 = deviceClass.Data1;
    guid.Data2 = deviceClass.Data2;
    guid.Data3 = deviceClass.Data3;
    std::memcpy(guid.Data4, deviceClass.Data4.data(), sizeof(guid.Data4));
    return guid;
}

}  // namespace platform::win32
