// Why a port that is there would not open, for whoever supports the user: the
// window says only "НЕ УСТАНОВЛЕНО". Most port names have no port behind
// them, so absence is not reported.
#pragma once

#include <functional>
#include <string>

namespace platform::win32 {

// The path asked for and the system's error code.
using OpenFailureReport = std::function<void(const std::string& path, unsigned long error)>;

// Hands a failed CreateFile's error to `report`, unless it only means that
// nothing is there; reads the error at once, before anything else can change it.
void ReportOpenFailure(const OpenFailureReport& report, const std::string& path);

// The program's report: one line, "kestrun.ports: cannot open PATH: MESSAGE",
// to the debugger (OutputDebugStringW), where a debugger or a debug-output
// viewer shows it. It has no console, and the window does not show it.
void ReportToDebugger(const std::string& path, unsigned long error);

}  // namespace platform::win32
