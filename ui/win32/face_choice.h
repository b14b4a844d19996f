// Which installed face draws the window's Russian texts at a given size.
// Kept apart from the system calls that list the faces, so that the choice
// can be checked against any machine's fonts.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ui::win32 {

// One face as the system lists it for one character set.
struct InstalledFace {
    std::wstring name;
    BYTE charset = DEFAULT_CHARSET;
    bool scalable = false;
    // A raster face's sizes, as character heights (cell height less internal
    // leading: what a negative lfHeight asks for).
    std::vector<int> characterHeights;
};

// The faces worth asking for when the layout names `family`, best first:
// the family itself and, for the bitmap "MS Sans Serif", its TrueType twin
// "Microsoft Sans Serif" (same design and widths, every Windows since 2000).
std::vector<std::wstring> CandidateFaces(std::wstring_view family);

// What may draw a control's text.
enum class FaceKind {
    // Any face: the control hands its font to GDI as it is.
    Any,
    // Outline faces only. A rich edit box keeps no font of ours: it rebuilds
    // its fonts from the face name, size and character set alone, so only
    // the name can keep it off a bitmap face. It also places characters
    // through Uniscribe, which, under Wine at least, gives every non-ASCII
    // character of a bitmap face the default glyph's width: Russian words
    // drawn on top of each other.
    Outline,
};

// The face to put in the LOGFONT for the layout's `family` at
// `characterHeight` pixels: the first candidate that has the Cyrillic set at
// that size (a raster face only at its own sizes), else `family` itself,
// leaving the choice to the system's font mapper. Without this, the mapper
// weighs the character set above the face name and, on a PC whose bitmap
// "MS Sans Serif" is Western only, picks a face of quite other widths.
// For outline faces only, the first candidate listed as scalable with the
// Cyrillic set; else the first one with no Cyrillic bitmap at that size
// (which the mapper would take over any outline face), left to the mapper.
std::wstring ChooseTextFace(std::span<const InstalledFace> installed, std::wstring_view family,
                            int characterHeight, FaceKind kind = FaceKind::Any);

}  // namespace ui::win32
