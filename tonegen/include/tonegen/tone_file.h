// Making a tone file: two frequency texts, a duration text and an amplitude
// become a mono 16-bit PCM RIFF/WAVE file at 44,100 samples/s.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tonegen/failure.h"

namespace tonegen {

// What the user gives for one file. The texts are UTF-8 and are converted the
// same way as the window's boxes: the frequencies in hertz (empty is 0 Hz),
// the duration in whole seconds.
struct ToneInputs {
    std::string frequency1Text;
    std::string frequency2Text;
    std::string durationText;
    std::int16_t amplitude = 0;
};

// How far a run has come, for a wait pointer or a progress bar.
struct ToneProgress {
    // Once, right after the first sample has been computed; never for a run
    // that fails before its samples or has none.
    std::function<void()> onFirstSample;
    // After each block of samples (512, the last one shorter) has gone to the
    // output: the samples done so far out of the file's total.
    std::function<void(std::int32_t done, std::int32_t total)> onBlockWritten;
};

#if defined(_WIN32)
using NativeFile = void*;  // a HANDLE
#else
using NativeFile = int;  // a file descriptor
#endif

// The file name the window program writes, and its full path inside a
// directory: the name is appended as plain text after one separator.
inline constexpr std::string_view kToneFileName = "test.wav";
std::filesystem::path ToneFilePath(const std::filesystem::path& programDirectory);

// Refuses, before any file is touched, inputs with which a run cannot
// succeed: a text that is not a number, a value out of range, a duration too
// long for the file's 32-bit size fields, a phase that leaves the double
// range before the last sample. Empty when only the file system can still
// make the run fail (for an amplitude of -32,768 a loud sample may still
// overflow during the run).
[[nodiscard]] std::optional<Failure> CheckToneInputs(const ToneInputs& inputs);

// Converts the inputs and writes the tone file at path, creating it: never
// opens, follows or replaces anything already there. The file is closed on
// return; after a failure it holds what was written before the failure.
[[nodiscard]] RunResult WriteToneFile(const std::filesystem::path& path, const ToneInputs& inputs,
                                      const ToneProgress& progress = {});

// The same into an output the caller has opened (standard output, a pipe, a
// device, an unnamed file): written from where it stands, never sought back,
// and left open. shownPath names it in messages.
[[nodiscard]] RunResult WriteToneFile(NativeFile output, const std::filesystem::path& shownPath,
                                      const ToneInputs& inputs, const ToneProgress& progress = {});

// The "Créer" run: deletes an existing test.wav in programDirectory (a link
// itself, never its target), then writes the new one as WriteToneFile does.
// onFirstSample is ToneProgress::onFirstSample.
[[nodiscard]] RunResult CreateToneFile(const std::filesystem::path& programDirectory,
                                       std::string_view frequency1Text,
                                       std::string_view frequency2Text,
                                       std::string_view durationText, std::int16_t amplitude,
                                       const std::function<void()>& onFirstSample);

// A file-size limit (ulimit -f) then makes a write fail with its ordinary
// error instead of a signal that ends the program. Called once at start by
// every program that writes tone files.
void IgnoreFileSizeSignal();

}  // namespace tonegen
