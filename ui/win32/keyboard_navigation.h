// The window's keys, as a form without a default or cancel button has them:
// Tab and Shift+Tab walk the tab stops in the layout's order, Space (the
// button's own key) and Enter press the focused button, Esc does nothing.
// The dialog manager (IsDialogMessage) is not used: it follows the stacking
// order, which the layout sets for overlapping labels, and turns Enter and
// Esc into default and cancel commands.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace ui::win32 {

class KeyboardNavigation {
  public:
    // `tabStops`: the controls that can take the focus now, in order.
    KeyboardNavigation(HWND window, std::function<std::vector<HWND>()> tabStops)
        : window_(window), tabStops_(std::move(tabStops)) {}

    // True when the message was one of these keys and has been handled.
    bool Handle(const MSG& message);

    // Moves the focus one tab stop forwards (+1) or backwards (-1).
    void MoveFocus(int step);

  private:
    HWND window_;
    std::function<std::vector<HWND>()> tabStops_;
};

// Whether `control` is a push button (not a check box).
bool IsPushButton(HWND control);

}  // namespace ui::win32
