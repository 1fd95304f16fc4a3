// The vector parts of the sample kernels, one per instruction set, each in a
// source file of its own compiled for that instruction set. They only compute
// floors and say which ones can be trusted; everything else, and every
// untrusted sample, is left to the scalar formula. This header deliberately
// holds no inline code, so that no instruction-set-specific copy of a shared
// function can end up in the program.
#pragma once

#include <cstdint>

namespace tonegen::simd {

struct FloorInput {
    double phaseStep1;
    double phaseStep2;
    double amplitude;
    // A floor is trusted only when A × S lies at least this far from an
    // integer, and both phases are at most phaseLimit in magnitude.
    double margin;
    double phaseLimit;
};

// For samples first .. first + count - 1 (count a multiple of the lane
// count): floors[n] = floor(A × S) with the vector sine, trusted[n] = 1 when
// that floor is certainly the scalar formula's, 0 otherwise.
void FloorsSse2(const FloorInput& input, std::int32_t first, std::int32_t count, double* floors,
                std::uint8_t* trusted);
void FloorsAvx2(const FloorInput& input, std::int32_t first, std::int32_t count, double* floors,
                std::uint8_t* trusted);
void FloorsAvx512(const FloorInput& input, std::int32_t first, std::int32_t count, double* floors,
                  std::uint8_t* trusted);

inline constexpr std::int32_t kSse2Lanes = 2;
inline constexpr std::int32_t kAvx2Lanes = 4;
inline constexpr std::int32_t kAvx512Lanes = 8;

}  // namespace tonegen::simd
