// Why a port would not open goes to the debugger, where a supporter reads it;
// a port that is not there says nothing.
#include "platform/win32/open_failure_report.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/setupapi_ports_registry.h"
#include "platform/win32/win32_serial.h"

namespace {

// OutputDebugString raises these for a debugger; the first handler to see
// them is a vectored one of the process's own.
constexpr DWORD DebugPrintAnsi = 0x40010006;
constexpr DWORD DebugPrintWide = 0x4001000A;

std::vector<std::string> printed;

LONG CALLBACK TakeDebugPrint(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (record.NumberParameters >= 2 && record.ExceptionCode == DebugPrintAnsi)
        printed.emplace_back(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
    if (record.NumberParameters >= 2 && record.ExceptionCode == DebugPrintWide) {
        const auto* wide = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
        printed.emplace_back(wide, wide + wcslen(wide));  // the lines are ASCII up to the message
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST(OpenFailureReport, APortThatWillNotOpenIsToldToTheDebuggerAndAnAbsentOneIsNot) {
    void* handler = AddVectoredExceptionHandler(1, TakeDebugPrint);
    platform::win32::Win32Serial serial(platform::win32::ReportToDebugger);
    platform::win32::SetupApiPortsRegistry registry(platform::win32::ReportToDebugger);

    // A folder opens for neither, as a port held by another program does not.
    const std::string folder = "C:\\windows";
    EXPECT_EQ(serial.CreateFileA(folder), platform::InvalidHandle);
    EXPECT_FALSE(registry.ProbePort(folder));
    EXPECT_FALSE(registry.ProbePort("\\\\.\\COM199"));
    EXPECT_EQ(serial.CreateFileA("\\\\.\\COM199"), platform::InvalidHandle);
    RemoveVectoredExceptionHandler(handler);

    ASSERT_GE(printed.size(), 2u);
    for (const std::string& line : printed)
        EXPECT_EQ(line.rfind("kestrun.ports: cannot open C:\\windows: ", 0), 0u) << line;
}

}  // namespace
