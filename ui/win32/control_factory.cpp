#include "ui/win32/control_factory.h"

#include <commctrl.h>
#include <richedit.h>

#include <stdexcept>
#include <string>

#include "ui/win32/pane.h"
#include "ui/win32/update_main_layout.h"
#include "ui/win32/utf16.h"

namespace ui::win32 {

namespace {

using layout::Align;
using layout::Kind;
using layout::LayoutControl;
using layout::ScrollBar;

// Msftedit's control where the system has it (every Windows since XP SP1),
// else the older Riched20 one with the same messages. The library stays
// loaded for the life of the process, as its window class needs.
const wchar_t* RichEditClass() {
    static const wchar_t* const name = [] {
        if (LoadLibraryW(L"Msftedit.dll") != nullptr)
            return MSFTEDIT_CLASS;
        LoadLibraryW(L"Riched20.dll");
        return RICHEDIT_CLASSW;
    }();
    return name;
}

// The welcome text offers nothing to do with it: no context menu.
LRESULT CALLBACK WithoutContextMenu(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR) {
    if (message == WM_CONTEXTMENU)
        return 0;
    return DefSubclassProc(control, message, wParam, lParam);
}

DWORD ScrollStyle(const LayoutControl& entry) {
    DWORD style = 0;
    if (entry.horizontal != ScrollBar::Off)
        style |= WS_HSCROLL;
    if (entry.vertical != ScrollBar::Off)
        style |= WS_VSCROLL;
    return style;
}

DWORD StaticAlignment(Align align) {
    switch (align) {
        case Align::Right:
            return SS_RIGHT;
        case Align::Center:
            return SS_CENTER;
        case Align::Left:
            break;
    }
    return SS_LEFTNOWORDWRAP;
}

struct WindowKind {
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
};

WindowKind KindOf(const LayoutControl& entry, HINSTANCE instance) {
    switch (entry.kind) {
        case Kind::Label:
        case Kind::Glyph:
            return {L"STATIC", SS_NOPREFIX | StaticAlignment(entry.align), 0};
        case Kind::Picture:
            return {L"STATIC", SS_OWNERDRAW, 0};
        case Kind::List: {
            // Drawn by the window, as static text: no focus mark on a line.
            DWORD style = WS_TABSTOP | LBS_NOSEL | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED |
                          LBS_HASSTRINGS | ScrollStyle(entry);
            if (entry.vertical == ScrollBar::On)
                style |= LBS_DISABLENOSCROLL;
            return {L"LISTBOX", style, 0};
        }
        case Kind::Button:
            return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
        case Kind::CheckBox:
            return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
        case Kind::ProgressBar:
            return {PROGRESS_CLASSW, 0, 0};
        case Kind::RichText: {
            DWORD style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ScrollStyle(entry);
            if (entry.readOnly)
                style |= ES_READONLY;
            if (entry.horizontal == ScrollBar::On || entry.vertical == ScrollBar::On)
                style |= ES_DISABLENOSCROLL;
            return {RichEditClass(), style, WS_EX_CLIENTEDGE};
        }
        case Kind::PageArea:
        case Kind::Page:
        case Kind::Panel:
            return {PaneClass(instance), WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    }
    throw std::logic_error("window layout: unknown control kind");
}

// The tick and the cross: the symbol font's character where the font is
// there and has it; otherwise the layout's own font and character, so that
// a system with a reduced Wingdings (Wine's lacks the cross) still shows one.
void SetGlyph(HWND control, const LayoutControl& entry, FontSet& fonts) {
    const HFONT symbolFont = fonts.Get(entry.font);
    // Symbol fonts map their codes to U+F000 and up.
    std::wstring text(1, static_cast<wchar_t>(0xF000 + entry.symbolCode));
    HFONT font = symbolFont;
    if (!HasGlyph(symbolFont, Widen(entry.font.family), text[0])) {
        const std::wstring own = Widen(entry.text);
        const std::wstring family = Widen(entry.fallbackFamily);
        const HFONT ownFont =
            fonts.Get(family, entry.font.pixelHeight, entry.font.bold, DEFAULT_CHARSET);
        if (!own.empty() && HasGlyph(ownFont, family, own[0])) {
            text = own;
            font = ownFont;
        }
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowTextW(control, text.c_str());
}

void Fill(HWND control, const LayoutControl& entry, FontSet& fonts) {
    if (entry.kind == Kind::Glyph) {
        SetGlyph(control, entry, fonts);
        return;
    }
    // A list box measures its lines by its font, so the font comes first.
    // The rich edit box keeps only the face's name of the font it is given.
    const FaceKind faces = entry.kind == Kind::RichText ? FaceKind::Outline : FaceKind::Any;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.Get(entry.font, faces)),
                 FALSE);
    switch (entry.kind) {
        case Kind::Label:
        case Kind::Button:
            SetWindowTextW(control, Widen(entry.text).c_str());
            break;
        case Kind::CheckBox:
            SetWindowTextW(control, Widen(entry.text).c_str());
            SendMessageW(control, BM_SETCHECK, entry.checked ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case Kind::List:
            for (std::string_view line : entry.lines)
                SendMessageW(control, LB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(Widen(line).c_str()));
            SendMessageW(control, LB_SETITEMHEIGHT, 0, MAKELPARAM(entry.itemHeight, 0));
            break;
        case Kind::RichText: {
            std::wstring text;
            for (std::size_t i = 0; i < entry.lines.size(); ++i) {
                if (i > 0)
                    text += L"\r\n";
                text += Widen(entry.lines[i]);
            }
            // Lines wrap at the box's width, as in the layout.
            SendMessageW(control, EM_SETTARGETDEVICE, 0, 0);
            SetWindowTextW(control, text.c_str());
            SetWindowSubclass(control, WithoutContextMenu, 0, 0);
            break;
        }
        case Kind::ProgressBar:
            SendMessageW(control, PBM_SETRANGE32, static_cast<WPARAM>(entry.minimum),
                         static_cast<LPARAM>(entry.maximum));
            SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(entry.value), 0);
            break;
        default:
            break;
    }
}

}  // namespace

ControlHandles CreateControls(HWND window, HINSTANCE instance, FontSet& fonts) {
    // Throws unless every name below is a control of the logic, once.
    layout::IndexControls(layout::kControls);
    ControlHandles handles{};
    const auto handleOf = [&](std::string_view name) -> HWND& {
        return handles[static_cast<std::size_t>(*app::ControlByName(name))];
    };

    // The generator lists a control after its parent.
    for (const LayoutControl& entry : layout::kControls) {
        const HWND parent = entry.parent == layout::kWindow.name ? window : handleOf(entry.parent);
        if (parent == nullptr)
            throw std::logic_error("window layout: " + std::string(entry.name) +
                                   " comes before its parent");
        const WindowKind kind = KindOf(entry, instance);
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style;
        if (entry.visible && entry.kind != Kind::Page)
            style |= WS_VISIBLE;
        const int id = layout::ControlId(*app::ControlByName(entry.name));
        const HWND control =
            CreateWindowExW(kind.extendedStyle, kind.className, L"", style, entry.x, entry.y,
                            entry.width, entry.height, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (control == nullptr)
            throw std::runtime_error("cannot create the control " + std::string(entry.name));
        handleOf(entry.name) = control;
        Fill(control, entry, fonts);
    }

    // A new child goes below its siblings; lifting each to the top in layout
    // order leaves the last one laid out on top, as the layout stacks them.
    for (const LayoutControl& entry : layout::kControls) {
        SetWindowPos(handleOf(entry.name), HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return handles;
}

}  // namespace ui::win32
