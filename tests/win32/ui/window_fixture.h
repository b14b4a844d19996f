// The real Win32 main window on stand-in platform objects.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "stand_ins/counting_serial_api.h"
#include "stand_ins/fixed_ports_registry.h"
#include "ui/win32/main_window.h"

namespace win32_ui_test {

using app::Control;

class CountingNotifications : public platform::DeviceNotifications {
  public:
    int registrations = 0;
    bool RegisterDeviceNotificationA() override { return ++registrations, true; }
};

// A control's wide text, readable in a failure message.
inline std::string Narrow(std::wstring_view wide) {
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

// Left, top, right and bottom in the parent's client area.
inline std::array<LONG, 4> Place(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        window = std::make_unique<ui::win32::MainWindow>(
            GetModuleHandleW(nullptr), serial, registry, &notifications, [this](HWND handle) {
                attachedBeforeCreate = handle, registrationsAtAttach = notifications.registrations;
            });
    }
    void TearDown() override {
        window.reset();
        // Nothing a test left queued, a quit above all, may reach the next.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    HWND H(Control control) { return window->View().Handle(control); }
    bool Shown(Control control) { return GetWindowLongW(H(control), GWL_STYLE) & WS_VISIBLE; }
    void Click(Control button) { SendMessageW(H(button), BM_CLICK, 0, 0); }
    void Show() {
        window->Show(SW_SHOWNORMAL);
        SetForegroundWindow(window->Handle());
        window->View().ProcessPendingMessages();
    }
    bool QuitQueued() {
        MSG message;
        return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }
    // Opens the pretend port the way a successful connection leaves it.
    void PretendConnected() {
        auto& state = window->Logic().State();
        state.PortHandle = serial.CreateFileA(serial.presentPath);
        state.PortOpen = state.Connected = true;
    }

    stand_ins::CountingSerialApi serial;
    stand_ins::FixedPortsRegistry registry;
    CountingNotifications notifications;
    HWND attachedBeforeCreate = nullptr;
    int registrationsAtAttach = -1;
    std::unique_ptr<ui::win32::MainWindow> window;
};

}  // namespace win32_ui_test
