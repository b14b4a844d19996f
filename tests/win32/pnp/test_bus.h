// The test bus from user mode: installing its driver in a prefix, and
// plugging in and pulling out a USB serial bridge on it, as a person does
// with the programmer's cable. Every call throws std::runtime_error when the
// system refuses or does not follow within its time.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace testbus {

struct UsbId {
    std::uint16_t vendor;
    std::uint16_t product;
};

// The friendly name the bridge's port gets, as its own driver would give it.
std::wstring PortName(const std::wstring& port);

// Copies the driver file, installs its service and a root device for the
// bus, and waits until the bus answers. Once per prefix.
void Install(const std::wstring& driverFile);

// Reports the device on the bus and waits until its USB device interface is
// active. The device joins the Ports class with PortName(port) as its
// friendly name; the system keeps both for later plugs, so a device plugged
// once before gets them before its arrival is announced. Returns the time
// from the request to the active interface.
std::chrono::microseconds Plug(UsbId device, const std::wstring& port);

// Takes the device off the bus and waits until its interface is gone.
std::chrono::microseconds Unplug(UsbId device);

}  // namespace testbus
