// The inputs of a run converted and checked, and the French sentences of the
// failures that the inputs can cause.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "sample_formula.h"
#include "tonegen/failure.h"
#include "tonegen/tone_file.h"

namespace tonegen {

struct ToneParameters {
    std::int32_t seconds = 0;
    std::int32_t sampleCount = 0;  // N = seconds × the sample rate
    SampleConstants constants;
};

// The rate, frequency 1, frequency 2, the duration, the sample count, then the phase
// steps: the order in which a run meets its failures before creating its file.
std::variant<ToneParameters, Failure> ReadToneParameters(const ToneInputs& inputs);

// The size fields of the header cannot hold the file.
Failure FileTooLargeFailure(std::int32_t seconds, SampleFormat format = SampleFormat::Pcm16,
                            std::int32_t sampleRate = kSamplesPerSecond);
// The same for a dialled number of sampleCount samples.
Failure DialTooLongFailure(std::int64_t sampleCount, SampleFormat format, std::int32_t sampleRate);
// A rate outside kLowestSampleRate to kHighestSampleRate.
std::optional<Failure> CheckSampleRate(std::int32_t sampleRate);
// "PCM 16 bits", "µ-law", "A-law".
std::string_view FormatName(SampleFormat format);
// The phase of one frequency would leave the double range at sample index.
Failure PhaseRangeFailure(bool firstFrequency, std::int32_t index, const ToneInputs& inputs);
// Sample number index could not be computed.
Failure SampleFailure(SampleFault fault, std::int32_t index, const ToneInputs& inputs);

}  // namespace tonegen
