#include "tone_file.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <span>

#include "message_text.h"
#include "number_text.h"
#include "sample_formula.h"
#include "sample_kernel.h"
#include "tone_file_writer.h"
#include "tone_run.h"
#include "wave_format.h"

namespace tonegen {
namespace {

constexpr std::int32_t kBlockLength = 512;

// The longest duration whose file still fits the 32-bit RIFF size.
constexpr std::int32_t kLongestSeconds = 24347;

std::optional<Failure> DeleteOldFile(const std::filesystem::path& path) {
    // unlink removes a symbolic link itself, never its target, and refuses a
    // directory. No file, or no such directory at all, leaves nothing to do:
    // creating the file reports the real problem later.
    if (::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) {
        return std::nullopt;
    }
    return MakeFileFailure("supprimer l'ancien fichier", path, errno);
}

Failure FrequencyFailure(int which, std::string_view text, NumberStatus status) {
    const std::string name = "La fréquence " + std::to_string(which) + " " + QuoteInput(text);
    if (status == NumberStatus::OutOfRange) {
        return {FailureKind::Overflow,
                name + " dépasse le plus grand nombre que le programme sait représenter."};
    }
    return {FailureKind::TypeMismatch,
            name + " n'est pas un nombre. Saisissez une fréquence en hertz, par exemple 1209."};
}

std::optional<Failure> ReadFrequency(int which, std::string_view text, double& value) {
    const FrequencyNumber number = ParseFrequencyText(text);
    if (number.status != NumberStatus::Ok) {
        return FrequencyFailure(which, text, number.status);
    }
    value = number.value;
    return std::nullopt;
}

std::optional<Failure> ReadDuration(std::string_view text, std::int32_t& seconds) {
    if (text.empty()) {
        return Failure{FailureKind::TypeMismatch,
                       "La durée est vide. Saisissez un nombre entier de secondes, par exemple 1."};
    }
    const DurationNumber number = ParseDurationText(text);
    if (number.status == NumberStatus::NotANumber) {
        return Failure{FailureKind::TypeMismatch,
                       "La durée " + QuoteInput(text) +
                           " n'est pas un nombre. Saisissez un nombre entier de secondes, "
                           "par exemple 1."};
    }
    if (number.status == NumberStatus::OutOfRange) {
        return Failure{FailureKind::Overflow, "La durée " + QuoteInput(text) +
                                                  " dépasse la plus grande valeur admise, " +
                                                  GroupDigits(INT32_MAX) + " secondes."};
    }
    if (number.seconds < 0) {
        return Failure{FailureKind::Overflow, "La durée " + QuoteInput(text) +
                                                  " est négative : elle doit être nulle ou "
                                                  "positive."};
    }
    seconds = number.seconds;
    return std::nullopt;
}

Failure TooLongFailure(std::int32_t seconds, std::string_view what) {
    return {FailureKind::Overflow, "La durée de " + GroupDigits(seconds) +
                                       " secondes est trop longue : " + std::string(what) +
                                       ". La durée maximale est de " +
                                       GroupDigits(kLongestSeconds) + " secondes."};
}

Failure SampleFailure(SampleFault fault, std::int32_t index, std::string_view frequency1Text,
                      std::string_view frequency2Text) {
    const std::string where = "Le calcul de l'échantillon n° " + GroupDigits(index) + " a échoué";
    switch (fault) {
        case SampleFault::Phase1NotFinite:
        case SampleFault::Phase2NotFinite: {
            const bool first = fault == SampleFault::Phase1NotFinite;
            return {FailureKind::FloatingPoint,
                    where + " : la phase de la fréquence " + (first ? "1 " : "2 ") +
                        QuoteInput(first ? frequency1Text : frequency2Text) +
                        " dépasse la plage des nombres à virgule flottante. Choisissez une "
                        "fréquence plus basse."};
        }
        case SampleFault::SampleOutOfRange:
            return {FailureKind::Overflow,
                    where +
                        " : la valeur dépasse la plage d'un échantillon de 16 bits. "
                        "Choisissez une amplitude plus faible."};
        case SampleFault::ResultNotFinite:
        case SampleFault::None:
            break;
    }
    return {FailureKind::FloatingPoint,
            where + " : le résultat n'est pas un nombre fini. Vérifiez les fréquences."};
}

// Step 6: W = F / 44,100, then the step W × 6.28 shared by every sample.
std::optional<double> PhaseStep(double frequency) {
    const double w = frequency / kSampleRate;
    const double step = w * kPhaseFactor;
    if (!std::isfinite(w) || !std::isfinite(step)) {
        return std::nullopt;
    }
    return step;
}

Failure HeaderFailure(HeaderOutcome outcome, std::int32_t seconds, const ToneFileWriter& writer) {
    if (outcome == HeaderOutcome::SizeOverflow) {
        return TooLongFailure(seconds, "le fichier WAVE dépasserait sa taille maximale de 2 Go");
    }
    return *writer.failure();
}

// The file is open: header, samples block by block. Returns the failure that
// ended the writing, if any; the caller closes the file either way.
std::optional<Failure> WriteToneData(ToneFileWriter& writer, std::span<std::int16_t> block,
                                     KernelPath path, const SampleConstants& constants,
                                     std::int32_t seconds, std::int32_t sampleCount,
                                     std::string_view frequency1Text,
                                     std::string_view frequency2Text,
                                     const std::function<void()>& onFirstSample) {
    const HeaderOutcome header = WriteWaveHeader(writer, sampleCount);
    if (header != HeaderOutcome::Written) {
        return HeaderFailure(header, seconds, writer);
    }
    std::int32_t i = 0;
    while (i != sampleCount) {
        const std::int32_t length = std::min(kBlockLength, sampleCount - i);
        std::int32_t j = 0;
        if (i == 0) {
            // Sample 0 alone first, so that the caller hears of the run's
            // progress right after the first sample is stored.
            const KernelOutcome first = ComputeSamples(path, constants, 0, 1, block.data());
            if (first.fault != SampleFault::None) {
                return SampleFailure(first.fault, 0, frequency1Text, frequency2Text);
            }
            j = 1;
            if (onFirstSample) {
                onFirstSample();
            }
        }
        const KernelOutcome rest =
            ComputeSamples(path, constants, i + j, length - j, block.data() + j);
        if (rest.fault != SampleFault::None) {
            return SampleFailure(rest.fault, i + j + rest.computed, frequency1Text, frequency2Text);
        }
        if (!writer.AppendSamples(block.first(static_cast<std::size_t>(length)))) {
            return writer.failure();
        }
        if (__builtin_add_overflow(i, length, &i)) {
            return TooLongFailure(seconds, "le nombre d'échantillons dépasse la limite");
        }
    }
    return std::nullopt;
}

}  // namespace

std::string_view KindName(FailureKind kind) {
    switch (kind) {
        case FailureKind::TypeMismatch:
            return "Incompatibilité de type";
        case FailureKind::Overflow:
            return "Dépassement de capacité";
        case FailureKind::FloatingPoint:
            return "Erreur de calcul en virgule flottante";
        case FailureKind::File:
            return "Erreur de fichier";
    }
    return "Erreur";
}

std::filesystem::path ToneFilePath(const std::filesystem::path& programDirectory) {
    return std::filesystem::path(programDirectory.native() + "/" + std::string(kToneFileName));
}

RunResult CreateToneFile(const std::filesystem::path& programDirectory,
                         std::string_view frequency1Text, std::string_view frequency2Text,
                         std::string_view durationText, std::int16_t amplitude,
                         const std::function<void()>& onFirstSample) {
    return CreateToneFileWithKernel(FastestKernelPath(), programDirectory, frequency1Text,
                                    frequency2Text, durationText, amplitude, onFirstSample);
}

RunResult CreateToneFileWithKernel(KernelPath path, const std::filesystem::path& programDirectory,
                                   std::string_view frequency1Text, std::string_view frequency2Text,
                                   std::string_view durationText, std::int16_t amplitude,
                                   const std::function<void()>& onFirstSample) {
    const std::filesystem::path filePath = ToneFilePath(programDirectory);
    if (auto failure = DeleteOldFile(filePath)) {
        return failure;
    }
    double frequency1 = 0.0;
    double frequency2 = 0.0;
    std::int32_t seconds = 0;
    if (auto failure = ReadFrequency(1, frequency1Text, frequency1)) {
        return failure;
    }
    if (auto failure = ReadFrequency(2, frequency2Text, frequency2)) {
        return failure;
    }
    if (auto failure = ReadDuration(durationText, seconds)) {
        return failure;
    }
    std::int32_t sampleCount = 0;
    if (__builtin_mul_overflow(seconds, kSamplesPerSecond, &sampleCount)) {
        return TooLongFailure(seconds,
                              "le nombre d'échantillons dépasse " + GroupDigits(INT32_MAX));
    }
    const std::optional<double> step1 = PhaseStep(frequency1);
    const std::optional<double> step2 = PhaseStep(frequency2);
    if (!step1 || !step2) {
        return SampleFailure(step1 ? SampleFault::Phase2NotFinite : SampleFault::Phase1NotFinite, 0,
                             frequency1Text, frequency2Text);
    }
    const SampleConstants constants{*step1, *step2, static_cast<double>(amplitude)};

    std::array<std::int16_t, kBlockLength> sampleBlock{};
    ToneFileWriter writer(filePath);
    if (auto failure = writer.Create()) {
        return failure;
    }
    const std::optional<Failure> writing =
        WriteToneData(writer, sampleBlock, path, constants, seconds, sampleCount, frequency1Text,
                      frequency2Text, onFirstSample);
    // Whatever was complete before a failure still reaches the file; a write
    // error met on the way is the earlier failure and wins.
    const std::optional<Failure> closing = writer.Close();
    if (closing) {
        return closing;
    }
    return writing;
}

}  // namespace tonegen
