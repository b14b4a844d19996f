#include "platform/posix/udev_interface_path.h"

#include <cstdio>

namespace platform::posix {

namespace {

constexpr std::string_view UsbInterfaceClassSuffix = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
// "\\?\USB#VID_vvvv&PID_pppp#"
constexpr std::size_t PathPrefixLength = 26;
// The whole path must fit the 255 characters of a notice record's name area,
// or the class GUID at its end would be cut off.
constexpr std::size_t MaxSerialLength = 255 - PathPrefixLength - UsbInterfaceClassSuffix.size();

std::optional<std::uint16_t> ParseHex16(std::string_view text) {
    if (text.size() != 4)
        return std::nullopt;
    std::uint16_t value = 0;
    for (char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = static_cast<std::uint16_t>(value * 16 + digit);
    }
    return value;
}

std::string_view Property(const UdevProperties& properties, const std::string& key) {
    const auto it = properties.find(key);
    return it == properties.end() ? std::string_view() : std::string_view(it->second);
}

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The serial comes from the device's own descriptor, so any device can claim
// any text. Windows keeps an instance id to plain printable characters; we go
// further and also drop the path's own separators, so that a serial can never
// forge another vendor and product into the path (no '&', '#' or '\').
std::string SanitisedSerial(std::string_view serial) {
    std::string result;
    for (char c : serial.substr(0, MaxSerialLength)) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                           (c >= 'a' && c <= 'z') || c == '-' || c == '_' || c == '.' || c == '+' ||
                           c == ':' || c == '=' || c == '@';
        result += plain ? c : '_';
    }
    return result;
}

}  // namespace

std::optional<UsbIds> ParseUsbIds(std::string_view vendor, std::string_view product) {
    const std::optional<std::uint16_t> v = ParseHex16(vendor);
    const std::optional<std::uint16_t> p = ParseHex16(product);
    if (!v || !p)
        return std::nullopt;
    return UsbIds{*v, *p};
}

std::optional<UsbIds> UsbIdsFromProperties(const UdevProperties& properties) {
    const std::string_view bus = Property(properties, "ID_BUS");
    if (!bus.empty() && bus != "usb")
        return std::nullopt;
    return ParseUsbIds(Property(properties, "ID_VENDOR_ID"), Property(properties, "ID_MODEL_ID"));
}

std::optional<std::string> ComposeInterfacePath(const UdevProperties& properties,
                                                std::optional<UsbIds> fallbackIds) {
    std::optional<UsbIds> ids = UsbIdsFromProperties(properties);
    if (!ids)
        ids = fallbackIds;
    if (!ids)
        return std::nullopt;

    std::string serial = SanitisedSerial(Property(properties, "ID_SERIAL_SHORT"));
    if (serial.empty())
        serial = SanitisedSerial(BaseName(Property(properties, "DEVNAME")));
    if (serial.empty())
        serial = SanitisedSerial(BaseName(Property(properties, "DEVPATH")));
    if (serial.empty())
        return std::nullopt;

    char prefix[PathPrefixLength + 1];
    std::snprintf(prefix, sizeof prefix, "\\\\?\\USB#VID_%04X&PID_%04X#", unsigned{ids->Vendor},
                  unsigned{ids->Product});
    std::string path(prefix);
    path += serial;
    path += UsbInterfaceClassSuffix;
    return path;
}

}  // namespace platform::posix
