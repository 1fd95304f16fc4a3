// The folder that holds the running program, where test.wav is written.
#pragma once

#include <filesystem>

namespace win32 {

// Without a trailing separator, except for the root folder of a drive
// ("C:\"). Long and non-ANSI names are kept as they are.
std::filesystem::path ProgramDirectory();

}  // namespace win32
