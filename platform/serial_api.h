// The operating system's serial-port calls, as the device link uses them.
//
// The link is written against the Windows communications API; this interface
// names exactly those calls so that the Win32 implementation is a one-to-one
// forwarding layer and the POSIX one stands in for them. Every call reports
// failure by its result and never throws. Names are those of the real
// functions, never of the A/W macros of <windows.h> (CreateFile,
// RegisterDeviceNotification), which would rename a method spelled like them.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// An open port, as CreateFileA would return it. Values are chosen by the
// implementation; only InvalidHandle has a fixed meaning.
using PortHandle = std::intptr_t;
inline constexpr PortHandle InvalidHandle = -1;

// The line-setting fields of the Windows DCB record that the link changes:
// the rate, 8 data bits, even parity, one stop bit. An implementation keeps
// every other setting of the port as it found it, with two exceptions:
// software flow control (XON/XOFF) is always off, since 0x11 and 0x13 are
// data on this line; and output waits for no handshake line (CTS, DSR), which
// a programmer cable need not drive. The lines the port drives stay as found.
struct LineSettings {
    std::uint32_t BaudRate = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
};

inline constexpr std::uint8_t NoParity = 0;
inline constexpr std::uint8_t EvenParity = 2;
inline constexpr std::uint8_t OneStopBit = 0;

// The Windows COMMTIMEOUTS record, in milliseconds, with its Windows meaning
// for the values the link sets: a read of n bytes ends when they are all in,
// after multiplier * n + constant ms, or after the interval passes between
// two received bytes; a write ends when all is accepted or after
// multiplier * n + constant ms.
struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

class SerialApi {
  public:
    virtual ~SerialApi() = default;

    // Opens the port with the Windows device path `path` ("\\.\COMn") for
    // reading and writing, for this program alone. Returns InvalidHandle when
    // no such port exists, another program holds it, or it cannot be opened.
    virtual PortHandle CreateFileA(const std::string& path) = 0;
    virtual bool SetupComm(PortHandle port, std::uint32_t inQueue, std::uint32_t outQueue) = 0;
    virtual bool GetCommState(PortHandle port, LineSettings& settings) = 0;
    // Fails when the port cannot run at the rate in raw binary mode.
    virtual bool SetCommState(PortHandle port, const LineSettings& settings) = 0;
    virtual bool GetCommTimeouts(PortHandle port, CommTimeouts& timeouts) = 0;
    virtual bool SetCommTimeouts(PortHandle port, const CommTimeouts& timeouts) = 0;
    virtual bool SetCommMask(PortHandle port, std::uint32_t mask) = 0;
    // Stands for ClearCommError: the count of received bytes not yet read.
    virtual bool ClearCommError(PortHandle port, std::uint32_t& inQueue) = 0;
    // A read or write that its time-outs end early succeeds with the shorter
    // count, as on Windows; failure means the line itself failed.
    virtual bool ReadFile(PortHandle port, std::uint8_t* buffer, std::uint32_t count,
                          std::uint32_t& bytesRead) = 0;
    virtual bool WriteFile(PortHandle port, const std::uint8_t* buffer, std::uint32_t count,
                           std::uint32_t& bytesWritten) = 0;
    virtual bool CloseHandle(PortHandle port) = 0;
    // Discards everything in the driver's input queue (PurgeComm with PURGE_RXCLEAR).
    virtual bool PurgeInput(PortHandle port) = 0;
    // The link only ever sleeps for 1 ms, between two looks at the input
    // queue. It means "until the next 1 ms beat", as a system timer tick
    // does: a run of polls keeps a steady 1 ms rhythm rather than adding each
    // wake-up's lateness to the next sleep.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace platform
