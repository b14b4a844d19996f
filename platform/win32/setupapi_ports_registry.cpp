#include "platform/win32/setupapi_ports_registry.h"

#include <windows.h>
// <setupapi.h> needs <windows.h> before it.
#include <setupapi.h>

#include <array>
#include <cstring>

#include "platform/win32/class_guid.h"

namespace platform::win32 {

namespace {

constexpr DWORD PropertyBufferSize = 257;

std::string Property(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    std::array<char, PropertyBufferSize> buffer{};
    DWORD dataType = 0;
    DWORD requiredSize = 0;
    // A name longer than the buffer fails the call; what the buffer may hold
    // then is not defined, so it counts as no name at all.
    if (!::SetupDiGetDeviceRegistryPropertyA(set, &device, property, &dataType,
                                             reinterpret_cast<BYTE*>(buffer.data()),
                                             PropertyBufferSize, &requiredSize))
        return {};
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

}  // namespace

bool SetupApiPortsRegistry::PresentDevices(const ClassGuid& deviceClass,
                                           std::vector<DeviceNames>& devices) {
    devices.clear();
    const GUID guid = ToGuid(deviceClass);
    // The devices of the Ports setup class, every COM port among them. With
    // DIGCF_DEVICEINTERFACE the same GUID would be read as a device-interface
    // class instead (the serial bus enumerator's), which only some serial
    // drivers register: a bridge whose driver does not would never be found
    // by its name, and Wine lists nothing at all that way.
    const HDEVINFO set = ::SetupDiGetClassDevsA(&guid, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return false;
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device{};
        // The record's own size in this build (32 bytes in the 64-bit
        // program, 28 in the 32-bit one); any other value is refused.
        device.cbSize = sizeof(device);
        if (!::SetupDiEnumDeviceInfo(set, index, &device))
            break;
        devices.push_back(
            {Property(set, device, SPDRP_FRIENDLYNAME), Property(set, device, SPDRP_DEVICEDESC)});
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return true;
}

bool SetupApiPortsRegistry::ProbePort(const std::string& path) {
    const HANDLE port = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        ReportOpenFailure(report_, path);
        return false;
    }
    ::CloseHandle(port);
    return true;
}

}  // namespace platform::win32
