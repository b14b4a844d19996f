// The Windows device path of a serial port: "\\.\" followed by the port name
// ("COM" and the port's number). The link forms it; each platform resolves it.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline constexpr std::string_view DevicePathPrefix = "\\\\.\\";

inline std::string DevicePath(std::string_view portName) {
    std::string path(DevicePathPrefix);
    path += portName;
    return path;
}

}  // namespace platform
