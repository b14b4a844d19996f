// Single-byte text as device names and interface paths carry it.
#pragma once

#include <string>
#include <string_view>

namespace devlink {

// Upper-cases the ASCII letters a to z only; every other byte, Cyrillic
// letters of the Windows-1251 code page included, stays as it is.
std::string AsciiUpper(std::string_view text);

}  // namespace devlink
