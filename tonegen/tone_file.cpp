#include "tonegen/tone_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>

#include "file_system.h"
#include "sample_kernel.h"
#include "tone_file_with_kernel.h"
#include "tone_file_writer.h"
#include "tone_parameters.h"
#include "tonegen/message_text.h"
#include "wave_format.h"

namespace tonegen {
namespace {

constexpr std::int32_t kBlockLength = 512;

// The first sample index below count whose phase step × i is not finite, or
// count when there is none. |step × i| grows with i, so a bisection finds it.
std::int32_t FirstInfinitePhase(double step, std::int32_t count) {
    if (count == 0 || std::isfinite(step * static_cast<double>(count - 1))) {
        return count;
    }
    std::int32_t finite = 0;  // step × 0 is finite
    std::int32_t infinite = count - 1;
    while (infinite - finite > 1) {
        const std::int32_t middle = finite + (infinite - finite) / 2;
        (std::isfinite(step * static_cast<double>(middle)) ? finite : infinite) = middle;
    }
    return infinite;
}

// The output is open: header, then the samples block by block. Returns the
// failure that ended the writing, if any; the caller finishes the output.
std::optional<Failure> WriteToneData(ToneFileWriter& writer, KernelChoice kernel,
                                     const ToneParameters& parameters, const ToneInputs& inputs,
                                     const ToneProgress& progress) {
    const std::int32_t sampleCount = parameters.sampleCount;
    const HeaderOutcome header = WriteWaveHeader(writer, sampleCount);
    if (header == HeaderOutcome::SizeOverflow) {
        return FileTooLargeFailure(parameters.seconds);
    }
    if (header != HeaderOutcome::Written) {
        return writer.FirstFailure();
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
                ComputeSamples(kernel, parameters.constants, 0, 1, block.data());
            if (first.fault != SampleFault::None) {
                return SampleFailure(first.fault, 0, inputs);
            }
            j = 1;
            if (progress.onFirstSample) {
                progress.onFirstSample();
            }
        }
        const KernelOutcome rest =
            ComputeSamples(kernel, parameters.constants, i + j, length - j, block.data() + j);
        if (rest.fault != SampleFault::None) {
            return SampleFailure(rest.fault, i + j + rest.computed, inputs);
        }
        if (!writer.AppendBlock(std::span(block).first(static_cast<std::size_t>(length)))) {
            return writer.FirstFailure();
        }
        i += length;  // at most sampleCount, itself an int32
        if (progress.onBlockWritten) {
            progress.onBlockWritten(i, sampleCount);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<Failure> CheckToneInputs(const ToneInputs& inputs) {
    const std::variant<ToneParameters, Failure> read = ReadToneParameters(inputs);
    if (const auto* failure = std::get_if<Failure>(&read)) {
        return *failure;
    }
    const auto& parameters = std::get<ToneParameters>(read);
    if (!RiffChunkSize(parameters.sampleCount)) {
        return FileTooLargeFailure(parameters.seconds);
    }
    // A sample checks the phase of frequency 2 first, as the run does.
    const std::int32_t bad1 =
        FirstInfinitePhase(parameters.constants.phaseStep1, parameters.sampleCount);
    const std::int32_t bad2 =
        FirstInfinitePhase(parameters.constants.phaseStep2, parameters.sampleCount);
    if (bad1 == parameters.sampleCount && bad2 == parameters.sampleCount) {
        return std::nullopt;
    }
    const bool first = bad1 < bad2;
    return PhaseRangeFailure(first, first ? bad1 : bad2, inputs);
}

std::filesystem::path ToneFilePath(const std::filesystem::path& programDirectory) {
    std::filesystem::path::string_type text = programDirectory.native();
    text += std::filesystem::path::preferred_separator;
    text += std::filesystem::path(kToneFileName).native();
    return text;
}

RunResult WriteToneWithKernel(
    KernelChoice kernel, const ToneInputs& inputs, const ToneProgress& progress,
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
        WriteToneData(writer, kernel, std::get<ToneParameters>(parameters), inputs, progress);
    // Whatever was complete before a failure still reaches the output; a
    // write error met on the way is the earlier failure and wins.
    if (auto finishing = writer.Finish()) {
        return finishing;
    }
    return writing;
}

RunResult WriteToneFile(const std::filesystem::path& path, const ToneInputs& inputs,
                        const ToneProgress& progress) {
    return WriteToneWithKernel(FastestKernel(), inputs, progress,
                               [&path](ToneFileWriter& writer) { return writer.Create(path); });
}

RunResult WriteToneFile(NativeFile output, const std::filesystem::path& shownPath,
                        const ToneInputs& inputs, const ToneProgress& progress) {
    return WriteToneWithKernel(FastestKernel(), inputs, progress,
                               [output, &shownPath](ToneFileWriter& writer) {
                                   writer.Adopt(output, shownPath);
                                   return std::optional<Failure>();
                               });
}

RunResult CreateToneFile(const std::filesystem::path& programDirectory, const ToneInputs& inputs,
                         const ToneProgress& progress) {
    return CreateToneFileWithKernel(FastestKernel(), programDirectory, inputs, progress);
}

RunResult CreateToneFileWithKernel(KernelChoice kernel,
                                   const std::filesystem::path& programDirectory,
                                   const ToneInputs& inputs, const ToneProgress& progress) {
    // The old file goes first, before any input is read, so that a failing
    // run never leaves the previous tone to be played as if it were new. A
    // file another run is still writing is not deleted: that run holds it.
    const std::filesystem::path filePath = ToneFilePath(programDirectory);
    if (const int error = file_system::DeleteIfPresent(filePath); error != 0) {
        return MakeFileFailure("supprimer l'ancien fichier", filePath, error);
    }
    return WriteToneWithKernel(kernel, inputs, progress, [&filePath](ToneFileWriter& writer) {
        return writer.Create(filePath);
    });
}

void IgnoreFileSizeSignal() {
    file_system::IgnoreFileSizeSignal();
}

}  // namespace tonegen
