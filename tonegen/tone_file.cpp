#include "tonegen/tone_file.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

#include "file_system.h"
#include "sample_kernel.h"
#include "tone_file_writer.h"
#include "tone_parameters.h"
#include "tone_run.h"
#include "tonegen/message_text.h"
#include "wave_format.h"

namespace tonegen {
namespace {

constexpr std::int32_t kBlockLength = 512;

// The output is open: header, then the samples block by block. Returns the
// failure that ended the writing, if any; the caller finishes the output.
std::optional<Failure> WriteToneData(ToneFileWriter& writer, KernelPath path,
                                     const ToneParameters& parameters, const ToneInputs& inputs,
                                     const ToneProgress& progress) {
    const std::int32_t sampleCount = parameters.sampleCount;
    const HeaderOutcome header = WriteWaveHeader(writer, sampleCount);
    if (header == HeaderOutcome::SizeOverflow) {
        return FileTooLargeFailure(parameters.seconds);
    }
    if (header != HeaderOutcome::Written) {
        return writer.failure();
    }
    // One block for the whole run, reused; the last one is cut to its length.
    std::array<std::int16_t, kBlockLength> block{};
    std::int32_t i = 0;
    while (i != sampleCount) {
        const std::int32_t length = std::min(kBlockLength, sampleCount - i);
        std::int32_t j = 0;
        if (i == 0) {
            // Sample 0 alone first, so that the caller hears of the run's
            // progress right after the first sample is stored.
            const KernelOutcome first =
                ComputeSamples(path, parameters.constants, 0, 1, block.data());
            if (first.fault != SampleFault::None) {
                return SampleFailure(first.fault, 0, inputs);
            }
            j = 1;
            if (progress.onFirstSample) {
                progress.onFirstSample();
            }
        }
        const KernelOutcome rest =
            ComputeSamples(path, parameters.constants, i + j, length - j, block.data() + j);
        if (rest.fault != SampleFault::None) {
            return SampleFailure(rest.fault, i + j + rest.computed, inputs);
        }
        if (!writer.AppendBlock(std::span(block).first(static_cast<std::size_t>(length)))) {
            return writer.failure();
        }
        if (__builtin_add_overflow(i, length, &i)) {
            return SampleCountFailure(parameters.seconds);
        }
        if (progress.onBlockWritten) {
            progress.onBlockWritten(i, sampleCount);
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
    std::filesystem::path::string_type text = programDirectory.native();
    text += std::filesystem::path::preferred_separator;
    text += std::filesystem::path(kToneFileName).native();
    return text;
}

RunResult WriteToneWithKernel(
    KernelPath path, const ToneInputs& inputs, const ToneProgress& progress,
    const std::function<std::optional<Failure>(ToneFileWriter&)>& openOutput) {
    const std::variant<ToneParameters, Failure> parameters = ReadToneParameters(inputs);
    if (const auto* failure = std::get_if<Failure>(&parameters)) {
        return *failure;
    }
    ToneFileWriter writer;
    if (auto failure = openOutput(writer)) {
        return failure;
    }
    const std::optional<Failure> writing =
        WriteToneData(writer, path, std::get<ToneParameters>(parameters), inputs, progress);
    // Whatever was complete before a failure still reaches the output; a
    // write error met on the way is the earlier failure and wins.
    if (auto finishing = writer.Finish()) {
        return finishing;
    }
    return writing;
}

RunResult WriteToneFile(const std::filesystem::path& path, const ToneInputs& inputs,
                        const ToneProgress& progress) {
    return WriteToneWithKernel(FastestKernelPath(), inputs, progress,
                               [&path](ToneFileWriter& writer) { return writer.Create(path); });
}

RunResult WriteToneFile(NativeFile output, const std::filesystem::path& shownPath,
                        const ToneInputs& inputs, const ToneProgress& progress) {
    return WriteToneWithKernel(FastestKernelPath(), inputs, progress,
                               [output, &shownPath](ToneFileWriter& writer) {
                                   writer.Adopt(output, shownPath);
                                   return std::optional<Failure>();
                               });
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
    // The old file goes first, before any input is read, so that a failing
    // run never leaves the previous tone to be played as if it were new.
    const std::filesystem::path filePath = ToneFilePath(programDirectory);
    if (const int error = file_system::DeleteIfPresent(filePath); error != 0) {
        return MakeFileFailure("supprimer l'ancien fichier", filePath, error);
    }
    const ToneInputs inputs{std::string(frequency1Text), std::string(frequency2Text),
                            std::string(durationText), amplitude};
    return WriteToneWithKernel(
        path, inputs, {onFirstSample, nullptr},
        [&filePath](ToneFileWriter& writer) { return writer.Create(filePath); });
}

void IgnoreFileSizeSignal() {
    file_system::IgnoreFileSizeSignal();
}

}  // namespace tonegen
