#include "wide_text.h"

#include <windows.h>

#include <limits>
#include <stdexcept>

namespace win32 {
namespace {

int Length(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("texte trop long");
    }
    return static_cast<int>(size);
}

}  // namespace

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int length = Length(utf8.size());
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), count);
    return wide;
}

std::string Utf8(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int length = Length(utf16.size());
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, narrow.data(), count, nullptr, nullptr);
    return narrow;
}

}  // namespace win32
