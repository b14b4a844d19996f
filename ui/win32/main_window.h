// The updater's main window: creates the window and its controls from the
// layout table and binds their events to TForm1.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/Update_Main.h"
#include "app/window_geometry.h"
#include "app/window_guards.h"
#include "ui/win32/fonts.h"
#include "ui/win32/keyboard_navigation.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/win32_view.h"

namespace ui::win32 {

class MainWindow {
  public:
    // Runs with the new window's handle before the creation handler, which
    // registers for device notices on that window.
    using AttachWindow = std::function<void(HWND)>;

    // Creates the window (hidden) and its controls, the window logic, and
    // runs the creation handler. Throws when the layout does not match the
    // logic's controls or the system refuses a window.
    MainWindow(HINSTANCE instance, platform::SerialApi& serial, platform::PortsRegistry& registry,
               platform::DeviceNotifications* notifications, const AttachWindow& attach = {});
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND Handle() const { return window_; }
    app::TForm1& Logic() { return *logic_; }
    Win32View& View() { return *view_; }
    bool Closed() const { return close_.Closed(); }

    void Show(int showCommand);
    // The message loop with the idle event until the window has closed;
    // returns the program's exit code.
    int Run();

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnClick(app::Control button);
    LRESULT ColorControl(HDC dc, HWND control);
    void DrawPicture(const DRAWITEMSTRUCT& item);
    void DrawListLine(const DRAWITEMSTRUCT& item);
    void KeepPageAreaAnchored();
    void RestoreFocus();
    // Runs the close handler once and hides the window.
    void RunCloseHandlerOnce();
    // Every way of closing the window: the close handler, then the end of the
    // message loop.
    void CloseWindow();
    void Idle();

    HINSTANCE instance_;
    HWND window_ = nullptr;
    FontSet fonts_;
    HBITMAP logo_ = nullptr;
    std::unique_ptr<KeyboardNavigation> keys_;
    MessageLoop loop_;
    std::unique_ptr<Win32View> view_;
    std::unique_ptr<app::TForm1> logic_;
    // PageControl1's place as laid out.
    app::Rect pageArea_;
    HWND lastFocus_ = nullptr;
    app::CloseOnce close_;
    app::NotReentered idle_;
};

}  // namespace ui::win32
