// The vector parts of the sample kernels, one per instruction set, each in a
// source file of its own compiled for that instruction set. They store the
// samples they can vouch for and mark the others; every marked sample is left
// to the scalar formula. This header deliberately holds no inline code, so
// that no instruction-set-specific copy of a shared function can end up in
// the program.
#pragma once

#include <cstdint>

namespace tonegen::simd {

struct VectorInput {
    double phaseStep1;
    double phaseStep2;
    double amplitude;
    // A sample is trusted only when A × S lies at least this far from an
    // integer, both phases are at most phaseLimit in magnitude, and the
    // sample fits 16 bits.
    double margin;
    double phaseLimit;
};

// For samples first .. first + count - 1 (count a multiple of the lane
// count): out[n] is the sample computed with the vector sine and trusted[n]
// is 1 when it is certainly the scalar formula's sample; where trusted[n] is
// 0, out[n] holds no meaningful value.
void SamplesSse2(const VectorInput& input, std::int32_t first, std::int32_t count,
                 std::int16_t* out, std::uint8_t* trusted);
void SamplesAvx2(const VectorInput& input, std::int32_t first, std::int32_t count,
                 std::int16_t* out, std::uint8_t* trusted);
void SamplesAvx512(const VectorInput& input, std::int32_t first, std::int32_t count,
                   std::int16_t* out, std::uint8_t* trusted);

inline constexpr std::int32_t kSse2Lanes = 2;
inline constexpr std::int32_t kAvx2Lanes = 4;
inline constexpr std::int32_t kAvx512Lanes = 8;

}  // namespace tonegen::simd
