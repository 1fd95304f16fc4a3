// The value of one sample, operation by operation in binary64 with the
// correctly rounded sine, so that every machine gives the same bytes. Every
// kernel must give exactly what ComputeSample gives: this is the reference.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "correct_sine.h"
#include "tonegen/tone_file.h"

namespace tonegen {

// The phase advances by 6.28 rad per period, not by 2π: every tone sounds at
// 0.99949 × its frequency (1209 Hz gives 1208.39 Hz), well inside the ±1.5 %
// that DTMF receivers accept. Files made for the same inputs keep sounding
// the same as they always have, which the equipment they test relies on.
inline constexpr double kPhaseFactor = 6.28;
static_assert(std::bit_cast<std::uint64_t>(kPhaseFactor) == 0x40191EB851EB851FULL,
              "the phase factor must be the double nearest to 6.28");

// What stays the same for every sample of a run. The steps are W × 6.28,
// computed once: (W × 6.28) × i is then the same double for every i.
struct SampleConstants {
    double phaseStep1 = 0.0;
    double phaseStep2 = 0.0;
    double amplitude = 0.0;
};

enum class SampleFault : std::uint8_t {
    None,
    Phase1NotFinite,   // (W1 × 6.28) × i left the double range
    Phase2NotFinite,   // (W2 × 6.28) × i left the double range
    ResultNotFinite,   // A × S is infinite or NaN
    SampleOutOfRange,  // K / 2 rounds outside the signed 16-bit range
};

struct SampleResult {
    std::int16_t sample = 0;
    SampleFault fault = SampleFault::None;
};

// K = floor(A × S) is a whole number of at most 2 × 32,768 in magnitude, so
// K / 2 rounded half to even is done on integers: the result cannot depend on
// the floating-point rounding mode of the process.
inline SampleResult SampleFromFloor(double floorValue) {
    if (!(floorValue >= -131072.0 && floorValue <= 131072.0)) {
        return {0, SampleFault::SampleOutOfRange};
    }
    const auto k = static_cast<std::int32_t>(floorValue);
    std::int32_t half = k >> 1;  // floor(k / 2)
    if ((k & 1) != 0 && (half & 1) != 0) {
        half += 1;  // k / 2 lies halfway: take the even neighbour
    }
    if (half < INT16_MIN || half > INT16_MAX) {
        return {0, SampleFault::SampleOutOfRange};
    }
    return {static_cast<std::int16_t>(half), SampleFault::None};
}

// x2 = (W2 × 6.28) × i; x1 = (W1 × 6.28) × i; S = sin(x1) + sin(x2);
// P = A × S; K = floor(P); Sample = K / 2 rounded half to even.
// Only the two phases can leave the double range (the sine of a finite value and
// everything after it stay finite), but P is checked as well because a
// non-finite phase would have turned it into NaN anyway.
inline SampleResult ComputeSample(const SampleConstants& constants, std::int32_t index) {
    const auto i = static_cast<double>(index);
    const double x2 = constants.phaseStep2 * i;
    if (!std::isfinite(x2)) {
        return {0, SampleFault::Phase2NotFinite};
    }
    const double x1 = constants.phaseStep1 * i;
    if (!std::isfinite(x1)) {
        return {0, SampleFault::Phase1NotFinite};
    }
    const double s = CorrectlyRoundedSine(x1) + CorrectlyRoundedSine(x2);
    const double p = constants.amplitude * s;
    if (!std::isfinite(p)) {
        return {0, SampleFault::ResultNotFinite};
    }
    return SampleFromFloor(std::floor(p));
}

}  // namespace tonegen
