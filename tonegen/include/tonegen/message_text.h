// Pieces of the French sentences shown to the user. Every text they return is
// valid UTF-8, whatever bytes they are given.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "tonegen/failure.h"

namespace tonegen {

// A typed or pasted text between French quotes: control characters become
// blanks, bytes that are not UTF-8 become U+FFFD, and a text longer than 40
// characters is cut after the 40th (never inside a character) and marked "…".
std::string QuoteInput(std::string_view text);

// A path in full between French quotes, cleaned the same way.
std::string QuotePath(const std::filesystem::path& path);

// How many bytes the first character of text takes: 1 to 4 for a valid UTF-8
// sequence, 1 for a byte that starts none.
std::size_t Utf8CharacterLength(std::string_view text);

// Why the system refused, as the end of a French sentence ("le disque est
// plein"): an errno value, or a GetLastError() value on Windows.
std::string FileErrorReason(int systemError);

// "Impossible d'<action> « <path> » : <reason>." (or "de <action>" before a
// consonant).
Failure MakeFileFailure(std::string_view action, const std::filesystem::path& path,
                        int systemError);

}  // namespace tonegen
