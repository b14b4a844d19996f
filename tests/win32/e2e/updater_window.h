// The updater's window seen from another process, as a user sees it: which
// controls show, which are enabled, where the bars stand; and its buttons
// pressed. Every control carries the ID 1000 + its app::Control index.
#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "app/view.h"

namespace e2e {

using Milliseconds = std::chrono::milliseconds;

class UpdaterWindow {
  public:
    // Starts the program and waits until its window shows with every
    // control in it; throws when it does not within `limit`.
    UpdaterWindow(const std::wstring& program, Milliseconds limit);
    // A program still running is ended: nothing may outlive the run.
    ~UpdaterWindow();
    UpdaterWindow(const UpdaterWindow&) = delete;
    UpdaterWindow& operator=(const UpdaterWindow&) = delete;

    // Shows on the screen: the control and all that hold it are visible.
    bool Visible(app::Control control) const;
    bool Enabled(app::Control control) const;
    int Position(app::Control progressBar) const;

    // Clicks a button, which must be showing and enabled as for a user; it
    // returns at once, while the program handles the click.
    void Press(app::Control button);

    // Polls every millisecond until `done` holds; false when `limit` passed first.
    static bool WaitUntil(const std::function<bool()>& done, Milliseconds limit);

    // A message to the window as another program sends or posts it. Send
    // returns false when the window did not answer.
    bool Send(UINT message, WPARAM wParam, LPARAM lParam) const;
    bool Post(UINT message, WPARAM wParam, LPARAM lParam) const;

    // Returns once the program is back in its message loop, done with
    // everything sent to it so far.
    void Sync() const;
    // Sync, and then Wine has had the time to put the result on the screen.
    void Settle() const;

    // The window's client area on the screen: what the program draws,
    // without the frame, which the window manager would draw.
    RECT ClientArea() const;

    // The program's exit code once it has ended, or nothing after `limit`.
    std::optional<DWORD> WaitForExit(Milliseconds limit);

  private:
    HWND Handle(app::Control control) const;

    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    std::array<HWND, app::kControlCount> controls_{};
};

}  // namespace e2e
