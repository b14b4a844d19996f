// The Windows serial-port calls on a Linux tty.
//
// A port name resolves through the fixed table of port_names.h to a node
// below the device-node root ("/dev" in the program; tests use a folder of
// links to pseudo-terminals). A handle is the descriptor number of the open
// tty; calls on a handle that this object did not open, or has closed, fail
// without touching any descriptor. Handles still open when the object goes
// away are closed then. A port that exists but does not open goes to the
// optional `report`, so the user can learn why the device was not found.
#pragma once

#include <time.h>

#include <map>
#include <string>

#include "platform/posix/tty_open.h"
#include "platform/serial_api.h"

namespace platform::posix {

class PosixSerial final : public SerialApi {
  public:
    explicit PosixSerial(std::string deviceRoot, OpenFailureReport report = {});
    ~PosixSerial() override;
    PosixSerial(const PosixSerial&) = delete;
    PosixSerial& operator=(const PosixSerial&) = delete;

    PortHandle CreateFileA(const std::string& path) override;
    // Linux sizes its own queues: accepted with no effect.
    bool SetupComm(PortHandle port, std::uint32_t inQueue, std::uint32_t outQueue) override;
    bool GetCommState(PortHandle port, LineSettings& settings) override;
    // Succeeds when the rate and raw binary mode are in place afterwards; the
    // frame is asked for but a driver that forces its own (a pseudo-terminal
    // is always 8N1) does not fail it.
    bool SetCommState(PortHandle port, const LineSettings& settings) override;
    bool GetCommTimeouts(PortHandle port, CommTimeouts& timeouts) override;
    bool SetCommTimeouts(PortHandle port, const CommTimeouts& timeouts) override;
    // No event waits are offered: accepted with no effect.
    bool SetCommMask(PortHandle port, std::uint32_t mask) override;
    bool ClearCommError(PortHandle port, std::uint32_t& inQueue) override;
    // As on Windows, a read or write that its time-outs end early succeeds
    // with the shorter count; failure means the line itself failed.
    bool ReadFile(PortHandle port, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& bytesRead) override;
    bool WriteFile(PortHandle port, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& bytesWritten) override;
    bool CloseHandle(PortHandle port) override;
    bool PurgeInput(PortHandle port) override;
    void Sleep(std::uint32_t milliseconds) override;

  private:
    struct OpenPort {
        CommTimeouts timeouts;
    };

    OpenPort* Find(PortHandle port);
    static void Close(int fd);

    std::string deviceRoot_;
    OpenFailureReport report_;
    std::map<int, OpenPort> ports_;
    timespec lastSleepEnd_{};
};

}  // namespace platform::posix
