#include "tonegen/tone_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

#include "dial_samples.h"
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

// A stretch of a file: a tone counted from its own phase 0, or silence.
struct RunSegment {
    std::int32_t sampleCount = 0;
    std::optional<SampleConstants> tone;  // empty for silence
};

// Everything a run writes, in order. The window's file is one tone segment
// at 44,100 Hz in 16-bit PCM; a dialled number alternates tones and silence.
struct RunPlan {
    std::vector<RunSegment> segments;
    std::int32_t sampleCount = 0;  // the segments' total
    std::int32_t sampleRate = kSamplesPerSecond;
    SampleFormat format = SampleFormat::Pcm16;
};

// How a run names its failures: the header cannot hold the file, or sample
// index (counted from its segment's start) could not be computed.
struct RunFailures {
    std::function<Failure()> tooLarge;
    std::function<Failure(SampleFault, std::int32_t index)> sample;
};

// The output is open: header, then the samples block by block, then the pad
// byte the format may need. Returns the failure that ended the writing, if
// any; the caller finishes the output.
std::optional<Failure> WriteRunData(ToneFileWriter& writer, KernelChoice kernel,
                                    const RunPlan& plan, const ToneProgress& progress,
                                    const RunFailures& failures) {
    const std::int32_t sampleCount = plan.sampleCount;
    const HeaderOutcome header = WriteWaveHeader(writer, sampleCount, plan.format, plan.sampleRate);
    if (header == HeaderOutcome::SizeOverflow) {
        return failures.tooLarge();
    }
    if (header != HeaderOutcome::Written) {
        return writer.FirstFailure();
    }
    // One block for the whole run, reused; the last one is cut to its length.
    std::array<std::int16_t, kBlockLength> block{};
    auto segment = plan.segments.begin();
    std::int32_t inSegment = 0;  // samples of *segment already done
    std::int32_t i = 0;
    while (i != sampleCount) {
        const std::int32_t length = std::min(kBlockLength, sampleCount - i);
        for (std::int32_t j = 0; j != length;) {
            while (inSegment == segment->sampleCount) {
                ++segment;
                inSegment = 0;
            }
            // Sample 0 alone first, so that the caller hears of the run's
            // progress right after the first sample is stored.
            const bool first = i + j == 0;
            const std::int32_t count =
                first ? 1 : std::min(length - j, segment->sampleCount - inSegment);
            if (segment->tone) {
                const KernelOutcome outcome =
                    ComputeSamples(kernel, *segment->tone, inSegment, count, block.data() + j);
                if (outcome.fault != SampleFault::None) {
                    return failures.sample(outcome.fault, inSegment + outcome.computed);
                }
            } else {
                std::fill_n(block.begin() + j, count, std::int16_t{0});
            }
            j += count;
            inSegment += count;
            if (first && progress.onFirstSample) {
                progress.onFirstSample();
            }
        }
        if (!writer.AppendBlock(std::span(block).first(static_cast<std::size_t>(length)),
                                plan.format)) {
            return writer.FirstFailure();
        }
        i += length;  // at most sampleCount, itself an int32
        if (progress.onBlockWritten) {
            progress.onBlockWritten(i, sampleCount);
        }
    }
    if (!WriteWaveEnd(writer, sampleCount, plan.format)) {
        return writer.FirstFailure();
    }
    return std::nullopt;
}

// Prepares the output with openOutput, writes the plan into it and finishes it.
RunResult WriteRun(KernelChoice kernel, const RunPlan& plan, const ToneProgress& progress,
                   const RunFailures& failures,
                   const std::function<std::optional<Failure>(ToneFileWriter&)>& openOutput) {
    ToneFileWriter writer;
    if (auto failure = openOutput(writer)) {
        return failure;
    }
    const std::optional<Failure> writing = WriteRunData(writer, kernel, plan, progress, failures);
    // Whatever was complete before a failure still reaches the output; a
    // write error met on the way is the earlier failure and wins.
    if (auto finishing = writer.Finish()) {
        return finishing;
    }
    return writing;
}

// The dialled number's steps and their layout, or why it cannot be made.
std::variant<RunPlan, Failure> PlanDial(const DialRequest& request) {
    if (auto failure = CheckSampleRate(request.sampleRate)) {
        return *failure;
    }
    if (auto failure = CheckDialTimings(request.timings)) {
        return *failure;
    }
    if (request.amplitude < 0) {
        return Failure{FailureKind::Overflow, "L'amplitude " + std::to_string(request.amplitude) +
                                                  " est négative : elle doit être comprise entre " +
                                                  std::to_string(kLowestAmplitude) + " et " +
                                                  std::to_string(kHighestAmplitude) + "."};
    }
    auto steps = ParseDialString(request.dialText);
    if (auto* failure = std::get_if<Failure>(&steps)) {
        return *failure;
    }
    const std::optional<DialLayout> layout =
        LayOutDial(std::get<std::vector<DialStep>>(steps), request.timings, request.sampleRate);
    if (!layout || layout->sampleCount > LongestSampleCount(request.format)) {
        // Only a string of hundreds of millions of keys leaves 64 bits.
        return DialTooLongFailure(layout ? layout->sampleCount : INT64_MAX, request.format,
                                  request.sampleRate);
    }
    RunPlan plan;
    plan.sampleCount = static_cast<std::int32_t>(layout->sampleCount);
    plan.sampleRate = request.sampleRate;
    plan.format = request.format;
    plan.segments.reserve(layout->segments.size());
    const auto amplitude = static_cast<double>(request.amplitude);
    for (const DialSegment& segment : layout->segments) {
        RunSegment run{static_cast<std::int32_t>(segment.sampleCount), std::nullopt};
        if (segment.key) {
            run.tone = DialKeyConstants(*segment.key, request.sampleRate, amplitude);
        }
        plan.segments.push_back(run);
    }
    return plan;
}

}  // namespace

std::optional<Failure> CheckToneInputs(const ToneInputs& inputs) {
    const std::variant<ToneParameters, Failure> read = ReadToneParameters(inputs);
    if (const auto* failure = std::get_if<Failure>(&read)) {
        return *failure;
    }
    const auto& parameters = std::get<ToneParameters>(read);
    if (!RiffChunkSize(parameters.sampleCount, inputs.format)) {
        return FileTooLargeFailure(parameters.seconds, inputs.format, inputs.sampleRate);
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
    const std::variant<ToneParameters, Failure> read = ReadToneParameters(inputs);
    if (const auto* failure = std::get_if<Failure>(&read)) {
        return *failure;
    }
    const auto& parameters = std::get<ToneParameters>(read);
    const RunPlan plan{{{parameters.sampleCount, parameters.constants}},
                       parameters.sampleCount,
                       inputs.sampleRate,
                       inputs.format};
    const RunFailures failures{
        [&] { return FileTooLargeFailure(parameters.seconds, inputs.format, inputs.sampleRate); },
        [&](SampleFault fault, std::int32_t index) { return SampleFailure(fault, index, inputs); }};
    return WriteRun(kernel, plan, progress, failures, openOutput);
}

std::optional<Failure> CheckDialRequest(const DialRequest& request) {
    const std::variant<RunPlan, Failure> plan = PlanDial(request);
    if (const auto* failure = std::get_if<Failure>(&plan)) {
        return *failure;
    }
    return std::nullopt;
}

RunResult WriteDialFile(NativeFile output, const std::filesystem::path& shownPath,
                        const DialRequest& request, const ToneProgress& progress) {
    const std::variant<RunPlan, Failure> planned = PlanDial(request);
    if (const auto* failure = std::get_if<Failure>(&planned)) {
        return *failure;
    }
    const auto& plan = std::get<RunPlan>(planned);
    // A key's samples stay within 2 × 32,767 / 2 and its phases within the
    // double range whatever the count: these failures only name what the
    // kernels could report.
    const RunFailures failures{
        [&] { return DialTooLongFailure(plan.sampleCount, plan.format, plan.sampleRate); },
        [&](SampleFault fault, std::int32_t index) {
            return SampleFailure(fault, index, ToneInputs{});
        }};
    return WriteRun(FastestKernel(), plan, progress, failures,
                    [output, &shownPath](ToneFileWriter& writer) {
                        writer.Adopt(output, shownPath);
                        return std::optional<Failure>();
                    });
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
