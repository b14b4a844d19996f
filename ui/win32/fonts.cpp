#include "ui/win32/fonts.h"

#include <algorithm>

#include "ui/win32/text.h"

namespace ui::win32 {

FontSet::~FontSet() {
    for (const Entry& entry : fonts_)
        DeleteObject(entry.font);
}

HFONT FontSet::Get(const layout::Font& font) {
    return Get(Widen(font.family), font.pixelHeight, font.bold,
               font.symbol ? SYMBOL_CHARSET : RUSSIAN_CHARSET);
}

HFONT FontSet::Get(std::wstring_view family, int pixelHeight, bool bold, BYTE charset) {
    const auto found = std::find_if(fonts_.begin(), fonts_.end(), [&](const Entry& e) {
        return e.family == family && e.pixelHeight == pixelHeight && e.bold == bold &&
               e.charset == charset;
    });
    if (found != fonts_.end())
        return found->font;

    LOGFONTW description{};
    // Negative: the character height, as the layout gives it, not the cell's.
    description.lfHeight = -pixelHeight;
    description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = charset;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    family.copy(description.lfFaceName, LF_FACESIZE - 1);
    const HFONT font = CreateFontIndirectW(&description);
    fonts_.push_back({std::wstring(family), pixelHeight, bold, charset, font});
    return font;
}

bool HasGlyph(HFONT font, std::wstring_view family, wchar_t character) {
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    WORD glyph = 0xFFFF;
    const bool found =
        lstrcmpiW(std::wstring(family).c_str(), face) == 0 &&
        GetGlyphIndicesW(dc, &character, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR &&
        glyph != 0xFFFF;
    SelectObject(dc, previous);
    DeleteDC(dc);
    return found;
}

}  // namespace ui::win32
