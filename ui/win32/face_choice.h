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

// The face to put in the LOGFONT for the layout's `family` at
// `characterHeight` pixels: the first candidate that has the Cyrillic set at
// that size (a raster face only at its own sizes), else `family` itself,
// leaving the choice to the system's font mapper. Without this, the mapper
// weighs the character set above the face name and, on a PC whose bitmap
// "MS Sans Serif" is Western only, picks a face of quite other widths.
std::wstring ChooseTextFace(std::span<const InstalledFace> installed, std::wstring_view family,
                            int characterHeight);

}  // namespace ui::win32
