// The vector parts of the sample kernels, one per instruction set, each in a
// source file of its own compiled for that instruction set. They store the
// samples they can vouch for and mark the others; every marked sample is left
// to the exact formula. This header holds no code, so that no copy of a
// function compiled for a wider instruction set can end up shared with the
// rest of the program.
#pragma once

#include <cstdint>

namespace tonegen::simd {

// The vector sine is within kVectorSineError of the sine for every |x| up to
// kVectorSineLimit (see sample_kernel_vector.h for the bound).
inline constexpr double kVectorSineLimit = 0x1p32;
inline constexpr double kVectorSineError = 0x1.4p-36;

struct VectorInput {
    double phaseStep1;
    double phaseStep2;
    double amplitude;
    // A sample is trusted only when A × S lies at least this far from an
    // integer, both phases are at most kVectorSineLimit in magnitude, and
    // the sample fits 16 bits.
    double margin;
    // False when the caller has made sure that every phase of the stretch
    // is within kVectorSineLimit: the per-sample test is then skipped.
    bool checkPhases;
};

// For samples first .. first + count - 1 (count a multiple of the lane
// count): out[n] is the sample computed with the vector sine, and bit
// n % lanes of untrusted[n / lanes] is set where out[n] is not certainly the
// exact formula's sample (out[n] then holds no meaningful value).
void SamplesSse2(const VectorInput& input, std::int32_t first, std::int32_t count,
                 std::int16_t* out, std::uint8_t* untrusted);
void SamplesAvx2(const VectorInput& input, std::int32_t first, std::int32_t count,
                 std::int16_t* out, std::uint8_t* untrusted);
void SamplesAvx512(const VectorInput& input, std::int32_t first, std::int32_t count,
                   std::int16_t* out, std::uint8_t* untrusted);

// The vector sine alone, for the tests: out[n] = sine of x[n], count a
// multiple of the lane count.
void SinesSse2(const double* x, std::int32_t count, double* out);
void SinesAvx2(const double* x, std::int32_t count, double* out);
void SinesAvx512(const double* x, std::int32_t count, double* out);

inline constexpr std::int32_t kSse2Lanes = 2;
inline constexpr std::int32_t kAvx2Lanes = 4;
inline constexpr std::int32_t kAvx512Lanes = 8;

}  // namespace tonegen::simd
