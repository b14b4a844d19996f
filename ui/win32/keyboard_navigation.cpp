#include "ui/win32/keyboard_navigation.h"

#include <algorithm>

namespace ui::win32 {

bool IsPushButton(HWND control) {
    wchar_t className[16] = {};
    if (control == nullptr || GetClassNameW(control, className, 16) == 0 ||
        lstrcmpiW(className, L"Button") != 0) {
        return false;
    }
    const auto type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool KeyboardNavigation::Handle(const MSG& message) {
    // With no control focused (a disabled one loses the focus) keys come to
    // the active window as system keys without the Alt flag.
    const bool altHeld = (message.lParam & (1 << 29)) != 0;
    if ((message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) || altHeld)
        return false;
    if (message.hwnd != window_ && !IsChild(window_, message.hwnd))
        return false;

    switch (message.wParam) {
        case VK_TAB:
            // Ctrl+Tab would switch pages in a page control; pages change
            // only through the program, so it does nothing here.
            if (GetKeyState(VK_CONTROL) >= 0)
                MoveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : +1);
            return true;
        case VK_RETURN: {
            // A held key repeats: each repeat would press again and skip a
            // page. Bit 30 says the key was already down.
            if ((message.lParam & (1 << 30)) != 0)
                return true;
            const HWND focus = GetFocus();
            if (!IsPushButton(focus) || !IsChild(window_, focus))
                return false;
            SendMessageW(focus, BM_CLICK, 0, 0);
            return true;
        }
        case VK_ESCAPE:
            return true;
        default:
            return false;
    }
}

void KeyboardNavigation::MoveFocus(int step) {
    const std::vector<HWND> stops = tabStops_();
    if (stops.empty())
        return;
    const auto count = static_cast<int>(stops.size());
    const auto found = std::find(stops.begin(), stops.end(), GetFocus());
    const int current =
        found != stops.end() ? static_cast<int>(found - stops.begin()) : (step > 0 ? -1 : 0);
    SetFocus(stops[static_cast<std::size_t>(((current + step) % count + count) % count)]);
    // Focus marks show from the first keyboard move on, as in a dialog.
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

}  // namespace ui::win32
