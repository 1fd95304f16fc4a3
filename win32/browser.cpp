#include "browser.h"

#include <windows.h>
// After windows.h, which they need.
#include <shellapi.h>

namespace win32 {

bool OpenInBrowser(const std::wstring& address) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWMINIMIZED));
    return result > 32;  // smaller values are error codes
}

}  // namespace win32
