// The logic's UTF-8 texts and the wide texts of the Windows calls.
#pragma once

#include <string>
#include <string_view>

namespace ui::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace ui::win32
