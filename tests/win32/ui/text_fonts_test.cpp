// The face chosen for the Russian texts from the faces a machine lists, and
// every text of the real window fitting its control in the font it got.
#include <richedit.h>

#include "ui/win32/face_choice.h"
#include "ui/win32/update_main_layout.h"
#include "ui/win32/utf16.h"
#include "window_fixture.h"

namespace win32_ui_test {
namespace {

using ui::win32::InstalledFace;
using ui::win32::layout::Kind;

TEST(FaceChoice, TakesTheFirstCandidateWithCyrillicAtTheSize) {
    const InstalledFace cyrillic{L"MS Sans Serif", RUSSIAN_CHARSET, false, {11, 13, 16}};
    const InstalledFace western{L"MS Sans Serif", ANSI_CHARSET, false, {11, 13, 16}};
    const InstalledFace twin{L"microsoft sans serif", RUSSIAN_CHARSET, true, {}};
    const struct {
        std::vector<InstalledFace> installed;
        int height;
        const wchar_t* face;
    } cases[] = {
        {{cyrillic, twin}, 11, L"MS Sans Serif"},         // a Russian PC
        {{cyrillic, twin}, 15, L"Microsoft Sans Serif"},  // between its bitmap sizes
        {{western, twin}, 11, L"Microsoft Sans Serif"},   // an English PC
        {{western}, 11, L"MS Sans Serif"},                // neither: left to the mapper
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ui::win32::ChooseTextFace(c.installed, L"MS Sans Serif", c.height), c.face)
            << c.installed.size() << " faces, " << c.height << " px";
    }
}

using TextFit = WindowTest;

TEST_F(TextFit, EveryTextFitsItsControlWithNoLetterMissing) {
    for (const auto& entry : ui::win32::layout::kControls) {
        if (entry.kind != Kind::Label && entry.kind != Kind::Button && entry.kind != Kind::CheckBox)
            continue;
        SCOPED_TRACE(std::string(entry.name));
        const HWND control = H(*app::ControlByName(entry.name));
        std::wstring text(1024, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), 1024)));
        const HDC dc = GetDC(control);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));

        // Where and how the control draws it: a push button 2 pixels inside
        // its frame; a check box after the 13-pixel box and half a digit; a
        // static text wrapped at words unless left-aligned.
        RECT room;
        GetClientRect(control, &room);
        INT digit = 0;
        GetCharWidth32W(dc, L'0', L'0', &digit);
        UINT format = DT_SINGLELINE;
        if (entry.kind == Kind::Button)
            InflateRect(&room, -2, -2);
        else if (entry.kind == Kind::CheckBox)
            room.right -= 13 + digit / 2;
        else
            format = entry.align == ui::win32::layout::Align::Left ? DT_NOPREFIX | DT_EXPANDTABS
                                                                   : DT_NOPREFIX | DT_WORDBREAK;
        RECT needed{0, 0, room.right - room.left, 0};
        DrawTextW(dc, text.c_str(), -1, &needed, format | DT_CALCRECT);
        EXPECT_LE(needed.right, room.right - room.left) << Narrow(text);
        EXPECT_LE(needed.bottom, room.bottom - room.top) << Narrow(text);

        std::vector<WORD> glyphs(text.size());
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS);
        for (std::size_t i = 0; i < text.size(); ++i) {
            EXPECT_TRUE(glyphs[i] != 0xFFFF || text[i] == L'\r' || text[i] == L'\n')
                << "no glyph for U+" << std::hex << int{text[i]};
        }

        ReleaseDC(control, dc);
    }
}

// The rich edit box keeps only the character format of the font it got: its
// first line, Latin and Russian, must take the width that format's font gives.
TEST_F(TextFit, RichTextLaysRussianOutAtItsFontsWidths) {
    const HWND box = H(Control::RichEdit1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    SendMessageW(box, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    const HDC dc = GetDC(box);
    SelectObject(
        dc, CreateFontW(-format.yHeight * GetDeviceCaps(dc, LOGPIXELSY) / 1440, 0, 0, 0, FW_NORMAL,
                        0, 0, 0, format.bCharSet, 0, 0, 0, 0, format.szFaceName));
    const std::wstring line = ui::win32::Widen(ui::win32::layout::kRichEdit1Lines[0]);
    POINTL from{}, to{};
    SendMessageW(box, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&from), 0);
    SendMessageW(box, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&to), std::ssize(line));
    SIZE extent{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
    EXPECT_NEAR(to.x - from.x, extent.cx, 1) << Narrow(format.szFaceName);
    DeleteObject(SelectObject(dc, GetStockObject(SYSTEM_FONT)));
    ReleaseDC(box, dc);
}

}  // namespace
}  // namespace win32_ui_test
