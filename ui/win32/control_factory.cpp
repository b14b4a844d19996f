#include "ui/win32/control_factory.h"

#include <commctrl.h>
#include <richedit.h>

#include <stdexcept>
#include <string>

#include "ui/win32/pane.h"
#include "ui/win32/text.h"
#include "ui/win32/update_main_layout.h"

namespace ui::win32 {

namespace {

using layout::Align;
using layout::ControlSpec;
using layout::Kind;
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

DWORD ScrollStyle(const ControlSpec& spec) {
    DWORD style = 0;
    if (spec.horizontal != ScrollBar::Off)
        style |= WS_HSCROLL;
    if (spec.vertical != ScrollBar::Off)
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

WindowKind KindOf(const ControlSpec& spec, HINSTANCE instance) {
    switch (spec.kind) {
        case Kind::Label:
        case Kind::Glyph:
            return {L"STATIC", SS_NOPREFIX | StaticAlignment(spec.align), 0};
        case Kind::Picture:
            return {L"STATIC", SS_OWNERDRAW, 0};
        case Kind::List: {
            // Drawn by the window, as static text: no focus mark on a line.
            DWORD style = WS_TABSTOP | LBS_NOSEL | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED |
                          LBS_HASSTRINGS | ScrollStyle(spec);
            if (spec.vertical == ScrollBar::On)
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
            DWORD style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ScrollStyle(spec);
            if (spec.readOnly)
                style |= ES_READONLY;
            if (spec.horizontal == ScrollBar::On || spec.vertical == ScrollBar::On)
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
void SetGlyph(HWND control, const ControlSpec& spec, FontSet& fonts) {
    const HFONT symbolFont = fonts.Get(spec.font);
    // Symbol fonts map their codes to U+F000 and up.
    std::wstring text(1, static_cast<wchar_t>(0xF000 + spec.symbolCode));
    HFONT font = symbolFont;
    if (!HasGlyph(symbolFont, Widen(spec.font.family), text[0])) {
        const std::wstring own = Widen(spec.text);
        const std::wstring family = Widen(spec.fallbackFamily);
        const HFONT ownFont =
            fonts.Get(family, spec.font.pixelHeight, spec.font.bold, DEFAULT_CHARSET);
        if (!own.empty() && HasGlyph(ownFont, family, own[0])) {
            text = own;
            font = ownFont;
        }
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowTextW(control, text.c_str());
}

void Fill(HWND control, const ControlSpec& spec, FontSet& fonts) {
    if (spec.kind == Kind::Glyph) {
        SetGlyph(control, spec, fonts);
        return;
    }
    // A list box measures its lines by its font, so the font comes first.
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.Get(spec.font)), FALSE);
    switch (spec.kind) {
        case Kind::Label:
        case Kind::Button:
            SetWindowTextW(control, Widen(spec.text).c_str());
            break;
        case Kind::CheckBox:
            SetWindowTextW(control, Widen(spec.text).c_str());
            SendMessageW(control, BM_SETCHECK, spec.checked ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case Kind::List:
            for (std::string_view line : spec.lines)
                SendMessageW(control, LB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(Widen(line).c_str()));
            SendMessageW(control, LB_SETITEMHEIGHT, 0, MAKELPARAM(spec.itemHeight, 0));
            break;
        case Kind::RichText: {
            std::wstring text;
            for (std::size_t i = 0; i < spec.lines.size(); ++i) {
                if (i > 0)
                    text += L"\r\n";
                text += Widen(spec.lines[i]);
            }
            // Lines wrap at the box's width, as in the layout.
            SendMessageW(control, EM_SETTARGETDEVICE, 0, 0);
            SetWindowTextW(control, text.c_str());
            SetWindowSubclass(control, WithoutContextMenu, 0, 0);
            break;
        }
        case Kind::ProgressBar:
            SendMessageW(control, PBM_SETRANGE32, static_cast<WPARAM>(spec.minimum),
                         static_cast<LPARAM>(spec.maximum));
            SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(spec.value), 0);
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
    for (const ControlSpec& spec : layout::kControls) {
        const HWND parent = spec.parent == layout::kWindow.name ? window : handleOf(spec.parent);
        if (parent == nullptr)
            throw std::logic_error("window layout: " + std::string(spec.name) +
                                   " comes before its parent");
        const WindowKind kind = KindOf(spec, instance);
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style;
        if (spec.visible && spec.kind != Kind::Page)
            style |= WS_VISIBLE;
        const int id = layout::ControlId(*app::ControlByName(spec.name));
        const HWND control = CreateWindowExW(
            kind.extendedStyle, kind.className, L"", style, spec.x, spec.y, spec.width, spec.height,
            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (control == nullptr)
            throw std::runtime_error("cannot create the control " + std::string(spec.name));
        handleOf(spec.name) = control;
        Fill(control, spec, fonts);
    }

    // A new child goes below its siblings; lifting each to the top in layout
    // order leaves the last one laid out on top, as the layout stacks them.
    for (const ControlSpec& spec : layout::kControls) {
        SetWindowPos(handleOf(spec.name), HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return handles;
}

}  // namespace ui::win32
