// The program's texts are UTF-8; Windows takes and gives UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

}  // namespace win32
