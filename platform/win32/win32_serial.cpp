#include "platform/win32/win32_serial.h"

#include <windows.h>

#include "platform/win32/line_control_block.h"
#include "platform/win32/port_handle.h"

namespace platform::win32 {

PortHandle Win32Serial::CreateFileA(const std::string& path) {
    const HANDLE port = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        ReportOpenFailure(report_, path);
    return ToPortHandle(port);
}

bool Win32Serial::SetupComm(PortHandle port, std::uint32_t inQueue, std::uint32_t outQueue) {
    return ::SetupComm(ToHandle(port), inQueue, outQueue) != FALSE;
}

bool Win32Serial::GetCommState(PortHandle port, LineSettings& settings) {
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!::GetCommState(ToHandle(port), &dcb))
        return false;
    settings.BaudRate = dcb.BaudRate;
    settings.ByteSize = dcb.ByteSize;
    settings.Parity = dcb.Parity;
    settings.StopBits = dcb.StopBits;
    return true;
}

bool Win32Serial::SetCommState(PortHandle port, const LineSettings& settings) {
    DCB found{};
    found.DCBlength = sizeof(found);
    if (!::GetCommState(ToHandle(port), &found))
        return false;
    DCB wanted = LineControlBlock(found, settings);
    return ::SetCommState(ToHandle(port), &wanted) != FALSE;
}

bool Win32Serial::GetCommTimeouts(PortHandle port, CommTimeouts& timeouts) {
    COMMTIMEOUTS current{};
    if (!::GetCommTimeouts(ToHandle(port), &current))
        return false;
    timeouts.ReadIntervalTimeout = current.ReadIntervalTimeout;
    timeouts.ReadTotalTimeoutMultiplier = current.ReadTotalTimeoutMultiplier;
    timeouts.ReadTotalTimeoutConstant = current.ReadTotalTimeoutConstant;
    timeouts.WriteTotalTimeoutMultiplier = current.WriteTotalTimeoutMultiplier;
    timeouts.WriteTotalTimeoutConstant = current.WriteTotalTimeoutConstant;
    return true;
}

bool Win32Serial::SetCommTimeouts(PortHandle port, const CommTimeouts& timeouts) {
    COMMTIMEOUTS wanted{};
    wanted.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    wanted.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    wanted.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    wanted.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    wanted.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    return ::SetCommTimeouts(ToHandle(port), &wanted) != FALSE;
}

bool Win32Serial::SetCommMask(PortHandle port, std::uint32_t mask) {
    return ::SetCommMask(ToHandle(port), mask) != FALSE;
}

bool Win32Serial::ClearCommError(PortHandle port, std::uint32_t& inQueue) {
    inQueue = 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(ToHandle(port), &errors, &status))
        return false;
    inQueue = status.cbInQue;
    return true;
}

bool Win32Serial::ReadFile(PortHandle port, std::uint8_t* buffer, std::uint32_t count,
                           std::uint32_t& bytesRead) {
    DWORD done = 0;
    const BOOL ok = ::ReadFile(ToHandle(port), buffer, count, &done, nullptr);
    bytesRead = done;
    return ok != FALSE;
}

bool Win32Serial::WriteFile(PortHandle port, const std::uint8_t* buffer, std::uint32_t count,
                            std::uint32_t& bytesWritten) {
    DWORD done = 0;
    const BOOL ok = ::WriteFile(ToHandle(port), buffer, count, &done, nullptr);
    bytesWritten = done;
    return ok != FALSE;
}

bool Win32Serial::CloseHandle(PortHandle port) {
    return ::CloseHandle(ToHandle(port)) != FALSE;
}

bool Win32Serial::PurgeInput(PortHandle port) {
    return ::PurgeComm(ToHandle(port), PURGE_RXCLEAR) != FALSE;
}

void Win32Serial::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace platform::win32
