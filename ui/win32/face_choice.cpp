#include "ui/win32/face_choice.h"

#include <algorithm>
#include <cwctype>

namespace ui::win32 {

namespace {

// Face names are compared as the system does: without regard to case.
bool SameName(std::wstring_view a, std::wstring_view b) {
    return std::ranges::equal(a, b, [](wchar_t x, wchar_t y) {
        return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
    });
}

bool DrawsCyrillicAt(const InstalledFace& face, int characterHeight) {
    return face.charset == RUSSIAN_CHARSET &&
           (face.scalable || std::ranges::find(face.characterHeights, characterHeight) !=
                                 face.characterHeights.end());
}

}  // namespace

std::vector<std::wstring> CandidateFaces(std::wstring_view family) {
    std::vector<std::wstring> faces{std::wstring(family)};
    if (SameName(family, L"MS Sans Serif"))
        faces.emplace_back(L"Microsoft Sans Serif");
    return faces;
}

std::wstring ChooseTextFace(std::span<const InstalledFace> installed, std::wstring_view family,
                            int characterHeight) {
    for (const std::wstring& candidate : CandidateFaces(family)) {
        const bool usable = std::ranges::any_of(installed, [&](const InstalledFace& face) {
            return SameName(face.name, candidate) && DrawsCyrillicAt(face, characterHeight);
        });
        if (usable)
            return candidate;
    }
    return std::wstring(family);
}

}  // namespace ui::win32
