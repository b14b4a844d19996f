// kestrun-updater.exe: writes the firmware it carries into a GPS Kestrun
// through the Arbalink programmer. It takes no command line and keeps no
// settings.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <exception>

#include "platform/win32/setupapi_ports_registry.h"
#include "platform/win32/timer_resolution.h"
#include "platform/win32/win32_serial.h"
#include "platform/win32/window_device_notifications.h"
#include "ui/win32/main_window.h"
#include "ui/win32/utf16.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    // Every wait on the device is counted in 1 ms sleeps; at the system's
    // default 15.6 ms tick each would last up to that long.
    const platform::win32::TimerResolution timer;
    platform::win32::Win32Serial serial(platform::win32::ReportToDebugger);
    platform::win32::SetupApiPortsRegistry registry(platform::win32::ReportToDebugger);
    platform::win32::WindowDeviceNotifications notifications;
    try {
        ui::win32::MainWindow window(
            instance, serial, registry, &notifications,
            [&notifications](HWND handle) { notifications.AttachWindow(handle); });
        window.Show(showCommand);
        return window.Run();
    } catch (const std::exception& error) {
        // Only a layout that does not fit the program, or a system that
        // refuses windows, gets here.
        MessageBoxW(nullptr, ui::win32::Widen(error.what()).c_str(), L"kestrun-updater",
                    MB_ICONERROR | MB_OK);
        return EXIT_FAILURE;
    }
}
