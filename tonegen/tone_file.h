// Making the tone file test.wav: two frequency texts, a duration text and an
// amplitude become a mono 16-bit PCM RIFF/WAVE file at 44,100 samples/s.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tonegen {

enum class FailureKind {
    TypeMismatch,   // a text is not a number
    Overflow,       // a value does not fit its integer width or the double range
    FloatingPoint,  // a sample computation gave an infinite or invalid value
    File,           // the file system refused to delete, create or write
};

// A failure as it leaves the core: its kind and a French sentence for the user.
struct Failure {
    FailureKind kind;
    std::string description;  // UTF-8
};

// Empty on success.
using RunResult = std::optional<Failure>;

// The French name of a failure kind ("Dépassement de capacité", ...).
std::string_view KindName(FailureKind kind);

// The file name the program writes, and its full path inside a directory.
inline constexpr std::string_view kToneFileName = "test.wav";
std::filesystem::path ToneFilePath(const std::filesystem::path& programDirectory);

// Deletes an existing test.wav in programDirectory, converts the texts, writes
// the new file and closes it. onFirstSample is called once, right after the
// first sample has been computed; it is never called for a run that fails
// before the samples or has none. Texts are UTF-8.
[[nodiscard]] RunResult CreateToneFile(const std::filesystem::path& programDirectory,
                                       std::string_view frequency1Text,
                                       std::string_view frequency2Text,
                                       std::string_view durationText, std::int16_t amplitude,
                                       const std::function<void()>& onFirstSample);

}  // namespace tonegen
