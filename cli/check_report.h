// How quenbrix-tone --check shows what it found: French lines for people,
// JSON for scripts. Numbers are written with a point whatever the locale.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tonecheck/dtmf_check.h"
#include "tonecheck/sound_file_source.h"

namespace quenbrix_cli {

struct CheckedFile {
    std::filesystem::path shown;  // "-" for standard input
    int channel = 1;
    tonecheck::SoundFileFacts facts;
    std::optional<tonecheck::CheckResult> result;  // empty after a failure
    std::optional<std::string> failure;            // the French sentence
    std::optional<std::string> expectedKeys;
};

// Whether the keys found are those expected (true when nothing is expected).
bool MeetsExpectation(const CheckedFile& file);

// The French report of one file, ending with a newline.
std::string TextReport(const CheckedFile& file);

// One JSON object for the file, without a trailing newline.
std::string JsonReport(const CheckedFile& file);

// A JSON string literal: quotes, backslashes and control characters escaped,
// bytes that are not UTF-8 replaced by U+FFFD.
std::string JsonString(std::string_view text);

// The name as shown: "entrée standard" for "-".
std::string ShownName(const std::filesystem::path& path);

}  // namespace quenbrix_cli
