// The system's list of serial-port devices, as the port search needs it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A device setup class GUID in its 16-byte Windows layout.
struct ClassGuid {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::array<std::uint8_t, 8> Data4;
    friend bool operator==(const ClassGuid&, const ClassGuid&) = default;
};

// GUID_DEVCLASS_PORTS {4D36E978-E325-11CE-BFC1-08002BE10318}: serial and
// parallel ports, the class whose devices carry a COM port name.
inline constexpr ClassGuid PortsClassGuid{
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// One present device of a class, with the two registry properties the search
// reads. Either may be empty.
struct DeviceNames {
    std::string FriendlyName;
    std::string Description;
};

class PortsRegistry {
  public:
    virtual ~PortsRegistry() = default;

    // The present devices of `deviceClass`, in the system's enumeration order.
    // False when the system refuses the list (no device information set).
    virtual bool PresentDevices(const ClassGuid& deviceClass,
                                std::vector<DeviceNames>& devices) = 0;

    // Whether the port with the Windows device path `path` ("\\.\COMn") is
    // present and can be opened at this moment. Nothing stays open.
    virtual bool ProbePort(const std::string& path) = 0;
};

}  // namespace platform
