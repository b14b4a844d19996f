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
                            int characterHeight, FaceKind kind) {
    const auto listed = [&](const std::wstring& candidate, auto&& usable) {
        return std::ranges::any_of(installed, [&](const InstalledFace& face) {
            return SameName(face.name, candidate) && usable(face);
        });
    };
    const auto drawsCyrillic = [&](const InstalledFace& face) {
        return DrawsCyrillicAt(face, characterHeight) && (kind == FaceKind::Any || face.scalable);
    };
    const auto cyrillicBitmap = [&](const InstalledFace& face) {
        return !face.scalable && DrawsCyrillicAt(face, characterHeight);
    };
    const std::vector<std::wstring> candidates = CandidateFaces(family);
    for (const std::wstring& candidate : candidates) {
        if (listed(candidate, drawsCyrillic))
            return candidate;
    }
    if (kind == FaceKind::Outline) {
        for (const std::wstring& candidate : candidates) {
            if (!listed(candidate, cyrillicBitmap))
                return candidate;
        }
    }
    return std::wstring(family);
}

}  // namespace ui::win32
