#include "ui/win32/fonts.h"

#include <algorithm>
#include <iterator>

#include "ui/win32/utf16.h"

namespace ui::win32 {

FontSet::~FontSet() {
    for (const Entry& entry : fonts_)
        DeleteObject(entry.font);
}

namespace {

int CALLBACK AddFace(const LOGFONTW* description, const TEXTMETRICW* metrics, DWORD type,
                     LPARAM context) {
    auto& faces = *reinterpret_cast<std::vector<InstalledFace>*>(context);
    const bool scalable = (type & RASTER_FONTTYPE) == 0;
    // A raster face comes once per size, a scalable one once per style.
    auto face = std::ranges::find_if(faces, [&](const InstalledFace& f) {
        return f.name == description->lfFaceName && f.charset == description->lfCharSet &&
               f.scalable == scalable;
    });
    if (face == faces.end())
        face = faces.insert(faces.end(),
                            {description->lfFaceName, description->lfCharSet, scalable, {}});
    if (!scalable)
        face->characterHeights.push_back(
            static_cast<int>(metrics->tmHeight - metrics->tmInternalLeading));
    return 1;
}

}  // namespace

std::vector<InstalledFace> ListCyrillicFaces(std::span<const std::wstring> names) {
    std::vector<InstalledFace> faces;
    const HDC dc = GetDC(nullptr);
    for (const std::wstring& name : names) {
        LOGFONTW wanted{};
        wanted.lfCharSet = RUSSIAN_CHARSET;
        name.copy(wanted.lfFaceName, LF_FACESIZE - 1);
        EnumFontFamiliesExW(dc, &wanted, AddFace, reinterpret_cast<LPARAM>(&faces), 0);
    }
    ReleaseDC(nullptr, dc);
    return faces;
}

HFONT FontSet::Get(const layout::Font& font, FaceKind kind) {
    const std::wstring family = Widen(font.family);
    if (font.symbol)
        return Get(family, font.pixelHeight, font.bold, SYMBOL_CHARSET);
    std::vector<std::wstring> unlisted;
    for (std::wstring& name : CandidateFaces(family)) {
        if (std::ranges::find(listedNames_, name) == listedNames_.end())
            unlisted.push_back(std::move(name));
    }
    if (!unlisted.empty()) {
        std::ranges::move(ListCyrillicFaces(unlisted), std::back_inserter(installed_));
        std::ranges::move(unlisted, std::back_inserter(listedNames_));
    }
    return Get(ChooseTextFace(installed_, family, font.pixelHeight, kind), font.pixelHeight,
               font.bold, RUSSIAN_CHARSET);
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
