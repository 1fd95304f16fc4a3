// Where the running program lies: test.wav is written and played there.
#pragma once

#include <filesystem>

// The folder of the executable, from the link the kernel keeps to it, byte
// for byte: a folder name that is no valid text in the user's encoding stays
// the folder it is. `executableLink` is that link; tests hand another one.
std::filesystem::path programDirectory(
    const std::filesystem::path& executableLink = "/proc/self/exe");
