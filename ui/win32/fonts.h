// The fonts of the window's controls, created once and kept for the
// window's life.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "ui/win32/face_choice.h"
#include "ui/win32/layout_types.h"

namespace ui::win32 {

class FontSet {
  public:
    FontSet() = default;
    ~FontSet();
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;

    // The layout's texts are Russian. A font of a single code page, such as
    // the bitmap "MS Sans Serif", draws them only in its Cyrillic variant, so
    // text fonts ask for the Cyrillic character set, in the face that
    // ChooseTextFace picks from what this machine has at that size.
    // A symbol font asks for the symbol set, where characters go by code.
    HFONT Get(const layout::Font& font, FaceKind kind = FaceKind::Any);
    HFONT Get(std::wstring_view family, int pixelHeight, bool bold, BYTE charset);

  private:
    struct Entry {
        std::wstring family;
        int pixelHeight;
        bool bold;
        BYTE charset;
        HFONT font;
    };
    std::vector<Entry> fonts_;
    // The Cyrillic faces of the candidates listed so far, listed once each.
    std::vector<std::wstring> listedNames_;
    std::vector<InstalledFace> installed_;
};

// The faces of `names` that the system has with the Cyrillic character set,
// with every size of a raster face.
std::vector<InstalledFace> ListCyrillicFaces(std::span<const std::wstring> names);

// Whether the system gave `font` the face `family` asked for and that face
// has a glyph for `character`.
bool HasGlyph(HFONT font, std::wstring_view family, wchar_t character);

}  // namespace ui::win32
