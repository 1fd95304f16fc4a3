// Making a tone file: two frequency texts, a duration text and an amplitude
// become a mono RIFF/WAVE file, 16-bit PCM at kSamplesPerSecond samples/s
// unless the caller asks for another rate or format; and a dialled number as
// one file of keys, gaps and pauses.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "tonegen/dial_plan.h"
#include "tonegen/failure.h"
#include "tonegen/sample_format.h"

namespace tonegen {

// The window program's files: mono, 16-bit PCM, at this rate.
inline constexpr std::int32_t kSamplesPerSecond = 44100;

// The amplitude's range (the volume scroll bar's) and where it starts: loud
// enough for the first "Créer" to be heard.
inline constexpr std::int16_t kLowestAmplitude = 0;
inline constexpr std::int16_t kHighestAmplitude = std::numeric_limits<std::int16_t>::max();
inline constexpr std::int16_t kDefaultAmplitude = 20000;

// The longest whole-second duration of the window's files: the last one whose
// file the RIFF size field can still count.
inline constexpr std::int32_t kLongestSeconds =
    LongestSeconds(SampleFormat::Pcm16, kSamplesPerSecond);

// What the user gives for one file. The texts are UTF-8 and are converted the
// same way as the window's boxes: the frequencies in hertz (empty is 0 Hz),
// the duration in whole seconds. The window's files keep the rate and format
// given here by default.
struct ToneInputs {
    std::string frequency1Text;
    std::string frequency2Text;
    std::string durationText;
    std::int16_t amplitude = 0;
    std::int32_t sampleRate = kSamplesPerSecond;  // kLowestSampleRate to kHighestSampleRate
    SampleFormat format = SampleFormat::Pcm16;
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
// While it writes, the file is held so that a second run in the same folder
// cannot delete it: that run fails with "le fichier est en cours
// d'utilisation", as it does on Windows.
[[nodiscard]] RunResult CreateToneFile(const std::filesystem::path& programDirectory,
                                       const ToneInputs& inputs, const ToneProgress& progress = {});

// A French warning when a frequency lies at or above half the sample rate:
// the file is still made, but that tone folds back to a lower pitch.
[[nodiscard]] std::optional<std::string> FoldingWarning(const ToneInputs& inputs);

// What the user gives for a dialled number in one file.
struct DialRequest {
    std::string dialText;  // as ParseDialString reads it
    DialTimings timings;
    std::int16_t amplitude = kDefaultAmplitude;
    std::int32_t sampleRate = kSamplesPerSecond;
    SampleFormat format = SampleFormat::Pcm16;
};

// Refuses, before any file is touched, a request with which a run cannot
// succeed: a character that is no key, a timing or a rate out of range, an
// amplitude below 0, a number too long for the format's 32-bit size fields.
[[nodiscard]] std::optional<Failure> CheckDialRequest(const DialRequest& request);

// Writes the dialled number into an output the caller has opened, as
// WriteToneFile does: each key's two tones from phase 0, computed as every
// other file's samples are, then its gap; a comma's pause. Silence is sample
// value 0 in the file's format.
[[nodiscard]] RunResult WriteDialFile(NativeFile output, const std::filesystem::path& shownPath,
                                      const DialRequest& request,
                                      const ToneProgress& progress = {});

// The run as a window calls it: CreateToneFile in the programs, a stand-in in
// the tests that need to stop inside a run.
using ToneFileMaker =
    std::function<RunResult(const std::filesystem::path& programDirectory, const ToneInputs& inputs,
                            const ToneProgress& progress)>;

// A file-size limit (ulimit -f) then makes a write fail with its ordinary
// error instead of a signal that ends the program. Called once at start by
// every program that writes tone files.
void IgnoreFileSizeSignal();

}  // namespace tonegen
