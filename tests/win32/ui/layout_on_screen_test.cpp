// Every control of the generated table, created for real: its ID, class,
// place, font and texts; and how the coloured texts and glyphs come out.
#include <richedit.h>

#include <string>
#include <vector>

#include "ui/win32/text.h"
#include "ui/win32/update_main_layout.h"
#include "window_fixture.h"

namespace win32_ui_test {
namespace {

using ui::win32::Narrow;
using ui::win32::Widen;
using ui::win32::layout::ControlSpec;
using ui::win32::layout::Kind;

std::wstring ClassOf(HWND control) {
    wchar_t name[64] = {};
    GetClassNameW(control, name, 64);
    return name;
}

const wchar_t* ExpectedClass(Kind kind) {
    switch (kind) {
        case Kind::Label:
        case Kind::Glyph:
        case Kind::Picture:
            return L"Static";
        case Kind::List:
            return L"ListBox";
        case Kind::Button:
        case Kind::CheckBox:
            return L"Button";
        case Kind::ProgressBar:
            return PROGRESS_CLASSW;
        case Kind::RichText:
            return MSFTEDIT_CLASS;
        default:
            return L"KestrunPane";
    }
}

std::wstring Text(HWND control, Kind kind) {
    std::wstring text(4096, L'\0');
    if (kind == Kind::RichText) {
        GETTEXTEX how{static_cast<DWORD>(text.size() * 2), GT_USECRLF, 1200, nullptr, nullptr};
        text.resize(SendMessageW(control, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how),
                                 reinterpret_cast<LPARAM>(text.data())));
    } else if (kind == Kind::List) {
        text.clear();
        for (int i = 0; i < SendMessageW(control, LB_GETCOUNT, 0, 0); ++i) {
            wchar_t line[256] = {};
            SendMessageW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
            text += (i ? L"\r\n" : L"") + std::wstring(line);
        }
    } else {
        text.resize(GetWindowTextW(control, text.data(), static_cast<int>(text.size())));
    }
    return text;
}

std::wstring Joined(const ControlSpec& spec) {
    if (spec.lines.empty())
        return Widen(spec.text);
    std::wstring text;
    for (std::size_t i = 0; i < spec.lines.size(); ++i)
        text += (i ? L"\r\n" : L"") + Widen(spec.lines[i]);
    return text;
}

using LayoutOnScreen = WindowTest;

TEST_F(LayoutOnScreen, EveryControlIsCreatedAsTheTableSays) {
    for (const ControlSpec& spec : ui::win32::layout::kControls) {
        SCOPED_TRACE(std::string(spec.name));
        const Control control = *app::ControlByName(spec.name);
        const HWND handle = H(control);
        const HWND parent = GetParent(handle);
        EXPECT_EQ(GetDlgItem(parent, ui::win32::layout::ControlId(control)), handle);
        EXPECT_EQ(parent,
                  spec.parent == "TForm1" ? window->Handle() : H(*app::ControlByName(spec.parent)));
        EXPECT_EQ(lstrcmpiW(ClassOf(handle).c_str(), ExpectedClass(spec.kind)), 0)
            << Narrow(ClassOf(handle));
        RECT place;
        GetWindowRect(handle, &place);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, spec.x);
        EXPECT_EQ(place.top, spec.y);
        EXPECT_EQ(place.right - place.left, spec.width);
        EXPECT_EQ(place.bottom - place.top, spec.height);

        if (spec.kind >= Kind::RichText) {
            if (spec.kind == Kind::RichText) {
                EXPECT_EQ(Text(handle, spec.kind), Joined(spec));
                CHARFORMATW format{};
                format.cbSize = sizeof(format);
                SendMessageW(handle, EM_GETCHARFORMAT, SCF_DEFAULT,
                             reinterpret_cast<LPARAM>(&format));
                EXPECT_EQ(format.yHeight, spec.font.pixelHeight * 15);  // twips at 96 DPI
            }
            continue;
        }
        LOGFONTW font{};
        const auto hfont = reinterpret_cast<HFONT>(SendMessageW(handle, WM_GETFONT, 0, 0));
        ASSERT_EQ(GetObjectW(hfont, sizeof(font), &font), int{sizeof(font)});
        EXPECT_EQ(font.lfHeight, -spec.font.pixelHeight);
        EXPECT_EQ(font.lfWeight >= FW_BOLD, spec.font.bold);
        if (spec.kind == Kind::Glyph)
            continue;  // below
        EXPECT_EQ(font.lfFaceName, Widen(spec.font.family));
        EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET);
        if (spec.kind == Kind::List) {
            EXPECT_EQ(SendMessageW(handle, LB_GETITEMHEIGHT, 0, 0), spec.itemHeight);
        }
        if (control != Control::ListBoxVer) {  // start-up rewrites two of its lines
            EXPECT_EQ(Text(handle, spec.kind), Joined(spec));
        }
    }
    EXPECT_EQ(SendMessageW(H(Control::BarWrite), PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageW(H(Control::BarWrite), PBM_GETRANGE, FALSE, 0), 100);
}

// Counts the pixels of `color` (give or take anti-aliasing) where `control`
// lies, as its parent shows them on the screen.
int PixelsOf(HWND control, COLORREF color) {
    RECT r;
    GetWindowRect(control, &r);
    const HWND parent = GetParent(control);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(GetAncestor(control, GA_ROOT), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const HDC screen = GetDC(parent);
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
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
    for (const ControlSpec& spec : ui::win32::layout::kControls) {
        if (!spec.hasColor)
            continue;
        SCOPED_TRACE(std::string(spec.name));
        const Control control = *app::ControlByName(spec.name);
        window->View().SetActivePage(*app::ControlByName(spec.parent));
        for (Control other : {Control::lbWriteOn, Control::lbWriteOK, Control::lbWriteErr,
                              Control::lbVerifyOn, Control::lbVerifyOK, Control::lbVerifyErr})
            window->View().SetVisible(other, false);
        window->View().SetVisible(control, true);
        const COLORREF color = RGB(spec.color.red, spec.color.green, spec.color.blue);
        // A 64-pixel glyph has far more ink than a bold 16-pixel word.
        EXPECT_GT(PixelsOf(H(control), color), spec.kind == Kind::Glyph ? 150 : 20);
    }
    // The error lies over the write row's ОК and hides it.
    window->View().SetVisible(Control::lbWriteOK, true);
    ASSERT_GT(PixelsOf(H(Control::lbWriteOK), RGB(0, 128, 0)), 0);
    window->View().SetVisible(Control::lbWriteErr, true);
    EXPECT_EQ(PixelsOf(H(Control::lbWriteOK), RGB(0, 128, 0)), 0);
}

TEST_F(LayoutOnScreen, GlyphsAreWingdingsWhereItHasThemAndTheLayoutsFontElsewhere) {
    for (Control glyph :
         {Control::txtConnOK, Control::txtConnFail, Control::txtWriteOK, Control::txtWriteFail}) {
        const ControlSpec& spec = window->View().Spec(glyph);
        SCOPED_TRACE(std::string(spec.name));
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(H(glyph), WM_GETFONT, 0, 0)), sizeof(font),
                   &font);
        const std::wstring symbol(1, static_cast<wchar_t>(0xF000 + spec.symbolCode));
        if (Text(H(glyph), spec.kind) == symbol) {
            EXPECT_STREQ(font.lfFaceName, L"Wingdings");
            EXPECT_EQ(font.lfCharSet, SYMBOL_CHARSET);
        } else {
            EXPECT_EQ(Text(H(glyph), spec.kind), Widen(spec.text));
            EXPECT_EQ(font.lfFaceName, Widen(spec.fallbackFamily));
        }
    }
    // Every Wingdings has the tick, Wine's reduced one included.
    EXPECT_EQ(Text(H(Control::txtConnOK), Kind::Glyph), std::wstring(1, wchar_t{0xF0FC}));
}

}  // namespace
}  // namespace win32_ui_test
