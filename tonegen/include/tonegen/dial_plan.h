// Dialling a number into one file: the keys of a dial string one after the
// other, each its two tones then a gap of silence, a comma a longer pause.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tonegen/dtmf_keys.h"
#include "tonegen/failure.h"

namespace tonegen {

// One thing to dial: a key, or a pause where the string has a comma.
struct DialStep {
    std::optional<DtmfKey> key;  // empty for a pause
};

// The keys 0-9, *, # and A-D (either case) and commas, in order. Blanks, '-',
// '.', '(' and ')' are skipped, so that a number can be pasted as it is
// written: "01 23-45 (67)". Any other character is refused with its position
// (counted in characters, from 1), and so is a string without key or comma.
std::variant<std::vector<DialStep>, Failure> ParseDialString(std::string_view text);

// Whole milliseconds.
struct DialTimings {
    std::int32_t toneMilliseconds = 100;    // each key's two tones
    std::int32_t gapMilliseconds = 100;     // the silence after each key
    std::int32_t pauseMilliseconds = 2000;  // the silence of a comma
};

inline constexpr std::int32_t kShortestDialMilliseconds = 1;
inline constexpr std::int32_t kLongestDialMilliseconds = 60000;
// ITU-T Q.24: a receiver must accept keys of at least 40 ms separated by at
// least 40 ms; shorter ones may be missed.
inline constexpr std::int32_t kShortestAcceptedMilliseconds = 40;

// Refuses a timing outside 1 to 60,000 ms, naming it.
std::optional<Failure> CheckDialTimings(const DialTimings& timings);

// A French warning when tones or gaps are shorter than decoders must accept;
// the file is still made.
std::optional<std::string> DialTimingWarning(const DialTimings& timings);

// A stretch of the file: a key's tones, or silence (a gap or a pause).
struct DialSegment {
    std::int64_t firstSample = 0;
    std::int64_t sampleCount = 0;
    std::optional<DtmfKey> key;  // empty for silence
};

struct DialLayout {
    std::vector<DialSegment> segments;  // in order, each starting where the last ended
    std::int64_t sampleCount = 0;       // of the whole file
};

// Where every tone and silence lies at sampleRate samples per second. A
// stretch that starts t ms into the file starts at sample t × rate / 1000
// rounded to the nearest integer, halves to even, so that the lengths never
// drift from the timings however long the string. Empty when the rate lies
// outside kLowestSampleRate to kHighestSampleRate, or for a string so long
// (hundreds of millions of keys) that the sample numbers leave 64 bits. The
// caller holds the count to what the file's format allows.
std::optional<DialLayout> LayOutDial(const std::vector<DialStep>& steps, const DialTimings& timings,
                                     std::int32_t sampleRate);

}  // namespace tonegen
