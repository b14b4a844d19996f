// The device list of a setup class from SetupAPI, and the presence probe of a
// COM port by opening it.
#pragma once

#include <utility>

#include "platform/ports_registry.h"
#include "platform/win32/open_failure_report.h"

namespace platform::win32 {

class SetupApiPortsRegistry final : public PortsRegistry {
  public:
    // A probed port that is there but will not open is reported to `report`.
    explicit SetupApiPortsRegistry(OpenFailureReport report = {}) : report_(std::move(report)) {}

    // The class's present devices with their friendly names and descriptions,
    // each read as single-byte text into a 257-byte buffer; a property that
    // is missing or does not fit reads as empty.
    bool PresentDevices(const ClassGuid& deviceClass, std::vector<DeviceNames>& devices) override;

    // Opens the port for no access at all, which still fails while another
    // program holds it, and closes it again at once.
    bool ProbePort(const std::string& path) override;

  private:
    OpenFailureReport report_;
};

}  // namespace platform::win32
