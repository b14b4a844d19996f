// The Windows USB device-interface path of a serial device, composed from the
// properties udev reports for its tty node.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

using UdevProperties = std::map<std::string, std::string>;

struct UsbIds {
    std::uint16_t Vendor = 0;
    std::uint16_t Product = 0;
    friend bool operator==(const UsbIds&, const UsbIds&) = default;
};

// Vendor and product as udev and sysfs write them: exactly four hex digits,
// either case. Anything else is no identity at all.
std::optional<UsbIds> ParseUsbIds(std::string_view vendor, std::string_view product);

// ID_VENDOR_ID and ID_MODEL_ID, when both are valid and the device is on USB.
// Ids that udev reports for another bus (ID_BUS other than "usb") are not a
// USB identity.
std::optional<UsbIds> UsbIdsFromProperties(const UdevProperties& properties);

// `\\?\USB#VID_vvvv&PID_pppp#serial#{a5dcbf10-6530-11d2-901f-00c04fb951ed}`.
// The ids come from the properties, or from `fallbackIds` (the USB parent's)
// where the properties carry none; without either there is no path. The serial
// is ID_SERIAL_SHORT, else the device node's name, else the last part of
// DEVPATH, kept to plain characters.
std::optional<std::string> ComposeInterfacePath(const UdevProperties& properties,
                                                std::optional<UsbIds> fallbackIds);

}  // namespace platform::posix
