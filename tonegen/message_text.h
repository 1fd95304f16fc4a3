// Pieces of the French sentences the run returns to the user.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "tone_file.h"

namespace tonegen {

// A typed or pasted text between French quotes, shortened when it is long so
// that a pasted page does not flood the error box.
std::string QuoteInput(std::string_view text);

// A path in full between French quotes.
std::string QuotePath(const std::filesystem::path& path);

// 48696 → "48 696" (with a no-break space between the groups).
std::string GroupDigits(std::int64_t value);

// Why the system refused, as the end of a French sentence ("le disque est
// plein"), for an errno value.
std::string FileErrorReason(int errorNumber);

// "Impossible de <action> « <path> » : <reason>."
Failure MakeFileFailure(std::string_view action, const std::filesystem::path& path,
                        int errorNumber);

}  // namespace tonegen
