#include "platform/win32/open_failure_report.h"

#include <windows.h>

#include <string>

namespace platform::win32 {

void ReportOpenFailure(const OpenFailureReport& report, const std::string& path) {
    const DWORD error = ::GetLastError();
    if (report && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        report(path, error);
}

void ReportToDebugger(const std::string& path, unsigned long error) {
    std::wstring line = L"kestrun.ports: cannot open ";
    // Port paths are ASCII; a path of another kind still reads as it was asked for.
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring widePath(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), widePath.data(),
                          length);
    line += widePath + L": ";

    wchar_t message[512] = {};
    DWORD written = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, error, 0, message, 512, nullptr);
    // The system's messages end with a line break of their own.
    while (written > 0 && (message[written - 1] == L'\n' || message[written - 1] == L'\r'))
        --written;
    line += written > 0 ? std::wstring(message, written) : L"error " + std::to_wstring(error);
    line += L"\n";
    ::OutputDebugStringW(line.c_str());
}

}  // namespace platform::win32
