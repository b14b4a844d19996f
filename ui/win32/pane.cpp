#include "ui/win32/pane.h"

namespace ui::win32 {

namespace {

constexpr wchar_t kPaneClass[] = L"KestrunPane";

LRESULT CALLBACK PaneProcedure(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
            return SendMessageW(GetAncestor(pane, GA_ROOT), message, wParam, lParam);
        default:
            return DefWindowProcW(pane, message, wParam, lParam);
    }
}

}  // namespace

const wchar_t* PaneClass(HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(instance, kPaneClass, &existing)) {
        WNDCLASSEXW paneClass{};
        paneClass.cbSize = sizeof(paneClass);
        paneClass.lpfnWndProc = PaneProcedure;
        paneClass.hInstance = instance;
        paneClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        paneClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        paneClass.lpszClassName = kPaneClass;
        RegisterClassExW(&paneClass);
    }
    return kPaneClass;
}

}  // namespace ui::win32
