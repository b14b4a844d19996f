// The serial-port calls of the seam, each forwarded to the Windows call of the
// same name on a synchronous (non-overlapped) COM port handle.
#pragma once

#include <utility>

#include "platform/serial_api.h"
#include "platform/win32/open_failure_report.h"

namespace platform::win32 {

class Win32Serial final : public SerialApi {
  public:
    // A port that is there but will not open is reported to `report`.
    explicit Win32Serial(OpenFailureReport report = {}) : report_(std::move(report)) {}

    // Read and write access, the port's own sharing rules (a COM port admits
    // one opener whatever the share mode says), no overlapped I/O.
    PortHandle CreateFileA(const std::string& path) override;
    bool SetupComm(PortHandle port, std::uint32_t inQueue, std::uint32_t outQueue) override;
    bool GetCommState(PortHandle port, LineSettings& settings) override;
    // Sets the rate and the frame in the port's current DCB and makes the
    // line raw with no output handshake (LineControlBlock).
    bool SetCommState(PortHandle port, const LineSettings& settings) override;
    bool GetCommTimeouts(PortHandle port, CommTimeouts& timeouts) override;
    bool SetCommTimeouts(PortHandle port, const CommTimeouts& timeouts) override;
    bool SetCommMask(PortHandle port, std::uint32_t mask) override;
    bool ClearCommError(PortHandle port, std::uint32_t& inQueue) override;
    bool ReadFile(PortHandle port, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& bytesRead) override;
    bool WriteFile(PortHandle port, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& bytesWritten) override;
    bool CloseHandle(PortHandle port) override;
    bool PurgeInput(PortHandle port) override;
    // As fine as the system timer runs: hold a TimerResolution for 1 ms steps.
    void Sleep(std::uint32_t milliseconds) override;

  private:
    OpenFailureReport report_;
};

}  // namespace platform::win32
