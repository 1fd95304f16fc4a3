// Opening the maker's site in the user's browser.
#pragma once

#include <string>

namespace win32 {

// Hands the address to the shell, which starts the user's browser as a
// program of its own, shown minimised with the focus, and returns at once.
// False when nothing could be started.
bool OpenInBrowser(const std::wstring& address);

}  // namespace win32
