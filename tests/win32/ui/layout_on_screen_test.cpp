// Every control of the generated table, created for real: its ID, class,
// place, font and texts; and how the coloured texts and glyphs come out.
#include <richedit.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "ui/win32/face_choice.h"
#include "ui/win32/update_main_layout.h"
#include "ui/win32/utf16.h"
#include "window_fixture.h"

namespace win32_ui_test {
namespace {

using ui::win32::Widen;
using ui::win32::layout::Kind;
using ui::win32::layout::LayoutControl;

std::wstring ClassOf(HWND control) {
    wchar_t name[64] = {};
    GetClassNameW(control, name, 64);
    return name;
}

// The window class of each kind, in the order of layout::Kind.
const wchar_t* const kClassOfKind[] = {L"Static",      L"Static",       L"ListBox",     L"Button",
                                       L"Button",      PROGRESS_CLASSW, MSFTEDIT_CLASS, L"Static",
                                       L"KestrunPane", L"KestrunPane",  L"KestrunPane"};

// A list's lines, or a control's text; lines end in CR LF either way.
std::wstring Text(HWND control, Kind kind) {
    std::wstring text(4096, L'\0');
    const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    const LRESULT lines = kind == Kind::List ? SendMessageW(control, LB_GETCOUNT, 0, 0) : 0;
    for (WPARAM i = 0; static_cast<LRESULT>(i) < lines; ++i) {
        wchar_t line[256] = {};
        SendMessageW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        text += (i ? L"\r\n" : L"") + std::wstring(line);
    }
    return text;
}

std::wstring Joined(const LayoutControl& entry) {
    if (entry.lines.empty())
        return Widen(entry.text);
    std::wstring text;
    for (std::size_t i = 0; i < entry.lines.size(); ++i)
        text += (i ? L"\r\n" : L"") + Widen(entry.lines[i]);
    return text;
}

using LayoutOnScreen = WindowTest;

TEST_F(LayoutOnScreen, EveryControlIsCreatedAsTheTableSays) {
    for (const LayoutControl& entry : ui::win32::layout::kControls) {
        SCOPED_TRACE(std::string(entry.name));
        const Control control = *app::ControlByName(entry.name);
        const HWND handle = H(control);
        const HWND parent = GetParent(handle);
        EXPECT_EQ(GetDlgItem(parent, ui::win32::layout::ControlId(control)), handle);
        EXPECT_EQ(parent, entry.parent == "TForm1" ? window->Handle()
                                                   : H(*app::ControlByName(entry.parent)));
        EXPECT_EQ(lstrcmpiW(ClassOf(handle).c_str(), kClassOfKind[static_cast<int>(entry.kind)]), 0)
            << Narrow(ClassOf(handle));
        EXPECT_EQ(Place(handle), (std::array<LONG, 4>{entry.x, entry.y, entry.x + entry.width,
                                                      entry.y + entry.height}));

        if (entry.kind >= Kind::RichText) {
            if (entry.kind == Kind::RichText) {
                EXPECT_EQ(Text(handle, entry.kind), Joined(entry));
                CHARFORMATW format{};
                format.cbSize = sizeof(format);
                SendMessageW(handle, EM_GETCHARFORMAT, SCF_DEFAULT,
                             reinterpret_cast<LPARAM>(&format));
                EXPECT_EQ(format.yHeight, entry.font.pixelHeight * 15);  // twips at 96 DPI
            }
            continue;
        }
        LOGFONTW font{};
        const auto hfont = reinterpret_cast<HFONT>(SendMessageW(handle, WM_GETFONT, 0, 0));
        ASSERT_EQ(GetObjectW(hfont, sizeof(font), &font), int{sizeof(font)});
        EXPECT_EQ(font.lfHeight, -entry.font.pixelHeight);
        EXPECT_EQ(font.lfWeight >= FW_BOLD, entry.font.bold);
        if (entry.kind == Kind::Glyph) {
            // Wingdings' code where the font has it, else the layout's own
            // font and character: Wine's Wingdings has the tick, not the cross.
            const std::wstring code(1, static_cast<wchar_t>(0xF000 + entry.symbolCode));
            const bool symbol = Text(handle, entry.kind) == code;
            EXPECT_EQ(font.lfFaceName, Widen(symbol ? entry.font.family : entry.fallbackFamily));
            EXPECT_TRUE(symbol || Text(handle, entry.kind) == Widen(entry.text));
            EXPECT_TRUE(symbol || entry.symbolCode != 0xFC);
            continue;
        }
        const auto candidates = ui::win32::CandidateFaces(Widen(entry.font.family));
        EXPECT_NE(std::ranges::find(candidates, font.lfFaceName), candidates.end())
            << Narrow(font.lfFaceName);
        EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET);
        if (entry.kind == Kind::List) {
            EXPECT_EQ(SendMessageW(handle, LB_GETITEMHEIGHT, 0, 0), entry.itemHeight);
        }
        if (control != Control::ListBoxVer) {  // start-up rewrites two of its lines
            EXPECT_EQ(Text(handle, entry.kind), Joined(entry));
        }
    }
}

// Counts the pixels of `color` (give or take anti-aliasing) where `control`
// lies, as its parent shows them on the screen.
int PixelsOf(HWND control, COLORREF color) {
    const auto [left, top, right, bottom] = Place(control);
    const HWND parent = GetParent(control);
    RedrawWindow(GetAncestor(control, GA_ROOT), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const HDC screen = GetDC(parent);
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const COLORREF p = GetPixel(screen, x, y);
            count += std::abs(GetRValue(p) - GetRValue(color)) +
                         std::abs(GetGValue(p) - GetGValue(color)) +
                         std::abs(GetBValue(p) - GetBValue(color)) <
                     40;
        }
    }
    ReleaseDC(parent, screen);
    return count;
}

TEST_F(LayoutOnScreen, ColouredTextsAndGlyphsShowInTheirColours) {
    Show();
    for (const LayoutControl& entry : ui::win32::layout::kControls) {
        if (!entry.hasColor)
            continue;
        SCOPED_TRACE(std::string(entry.name));
        const Control control = *app::ControlByName(entry.name);
        window->View().SetActivePage(*app::ControlByName(entry.parent));
        for (Control other : {Control::lbWriteOn, Control::lbWriteOK, Control::lbWriteErr,
                              Control::lbVerifyOn, Control::lbVerifyOK, Control::lbVerifyErr})
            window->View().SetVisible(other, false);
        window->View().SetVisible(control, true);
        const COLORREF color = RGB(entry.color.red, entry.color.green, entry.color.blue);
        // A 64-pixel glyph has far more ink than a bold 16-pixel word.
        EXPECT_GT(PixelsOf(H(control), color), entry.kind == Kind::Glyph ? 150 : 20);
    }
    // The error lies over the write row's ОК and hides it.
    window->View().SetVisible(Control::lbWriteOK, true);
    ASSERT_GT(PixelsOf(H(Control::lbWriteOK), RGB(0, 128, 0)), 0);
    window->View().SetVisible(Control::lbWriteErr, true);
    EXPECT_EQ(PixelsOf(H(Control::lbWriteOK), RGB(0, 128, 0)), 0);
}

}  // namespace
}  // namespace win32_ui_test
