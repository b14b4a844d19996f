// Port names and the device nodes that stand behind them.
//
// A port keeps its name whatever else is plugged in because the mapping is a
// fixed table, not an enumeration order:
//   COM1  - COM32  -> ttyS0   - ttyS31
//   COM33 - COM64  -> ttyUSB0 - ttyUSB31
//   COM65 - COM96  -> ttyACM0 - ttyACM31
//   COM97 - COM250 -> nothing, never present
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// The port number in a Windows device path "\\.\COMn": the exact prefix, then
// decimal digits without a sign or leading zeros and nothing after them.
std::optional<unsigned> PortNumberFromDevicePath(std::string_view path);

// The device node name ("ttyUSB0") of a port number; empty outside the table.
std::optional<std::string> NodeNameForPort(unsigned portNumber);

// The port number of a device node name ("ttyUSB0" -> 33); empty for any node
// that the table does not name, including spellings such as "ttyS01".
std::optional<unsigned> PortNumberForNode(std::string_view nodeName);

// "COM" followed by the number, as Windows names the port.
std::string PortName(unsigned portNumber);

// The device node name behind a Windows device path, when it has one.
std::optional<std::string> NodeNameForDevicePath(std::string_view path);

}  // namespace platform::posix
