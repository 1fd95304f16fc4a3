// The vector sine shared by the instruction-set files. Include it only from
// them: every function here is a template over an instruction-set type that
// each file declares in an unnamed namespace, so every copy stays private to
// the file that compiled it for its instruction set.
//
// sin(x) for |x| ≤ kVectorSineLimit = 2^32:
// 1. n = x/π rounded to a whole number (by adding 1.5 × 2^52, which also
//    leaves n's parity in the last bit), |n| < 2^31.
// 2. y = x - n π (Cody and Waite). With a fused multiply-add,
//    x - n × kPi1 is exact (both are multiples of 2^-52 and the difference is
//    below 2), and one more rounding follows with kPi2: |error| ≤ 2^-53 + 2^-78.
//    Without it, π is split into two 22-bit parts whose products with n are
//    exact; x - n kPi22High is exact (Sterbenz), x - n (kPi22High + kPi22Mid)
//    is a multiple of 2^-52 below 2 and so exact as well, and the last part
//    adds one rounding: |error| ≤ 2^-53 + 2^-64. |y| ≤ π/2 + 2^-19.
// 3. sin(x) = (-1)^n p(y) with p(y) = y + y^3 P(y^2), P of degree 4 chosen
//    to minimise the largest |p(y) - sin(y)| on |y| ≤ π/2 + 2^-18 (Remez);
//    with the coefficients below that largest error is 2^-35.735.
//    Horner's rule in double adds at most 2^-51 (fused or not), and the
//    error of y at most 2^-53 more.
// So the result is within 2^-35.734 < kVectorSineError = 1.25 × 2^-36 of
// sin(x); the margin of the sample kernels rests on that bound. (A degree
// higher would gain 8 bits for one more operation per sine; the margin
// makes the exact path cheaper than that operation.)
#pragma once

#include <cstdint>

#include "sample_kernel_simd.h"

namespace tonegen::simd {

inline constexpr double kInversePi = 0x1.45f306dc9c883p-2;
inline constexpr double kRoundingShifter = 0x1.8p52;
// π = kPi1 + kPi2 to 2^-108.
inline constexpr double kPi1 = 0x1.921fb54442d18p+1;
inline constexpr double kPi2 = 0x1.1a62633145c07p-53;
// π = kPi22High + kPi22Mid + kPi22Low to 2^-102, the first two of 22 bits.
inline constexpr double kPi22High = 0x1.921fbp+1;
inline constexpr double kPi22Mid = 0x1.5110bp-21;
inline constexpr double kPi22Low = 0x1.18469898cc517p-43;
// P(z) = kSine3 + z (kSine5 + z (kSine7 + z (kSine9 + z kSine11))).
inline constexpr double kSine3 = -0x1.55555540a5fcfp-3;
inline constexpr double kSine5 = 0x1.11110af9040d2p-7;
inline constexpr double kSine7 = -0x1.a017816c3aca7p-13;
inline constexpr double kSine9 = 0x1.7166ff46c2202p-19;
inline constexpr double kSine11 = -0x1.99aed82efbd76p-26;

// Isa provides the vector type V and Set, Add, Sub, Mul, MulAdd (a b + c),
// NegMulAdd (c - a b), kFused (whether MulAdd rounds once), and
// FlipSignIfOdd(r, shifted), which negates r where the last bit of shifted
// is set.
template <class Isa>
typename Isa::V VectorSine(typename Isa::V x) {
    using V = typename Isa::V;
    const V shifted = Isa::MulAdd(x, Isa::Set(kInversePi), Isa::Set(kRoundingShifter));
    const V n = Isa::Sub(shifted, Isa::Set(kRoundingShifter));
    V y;
    if constexpr (Isa::kFused) {
        y = Isa::NegMulAdd(n, Isa::Set(kPi2), Isa::NegMulAdd(n, Isa::Set(kPi1), x));
    } else {
        y = Isa::Sub(x, Isa::Mul(n, Isa::Set(kPi22High)));
        y = Isa::Sub(y, Isa::Mul(n, Isa::Set(kPi22Mid)));
        y = Isa::Sub(y, Isa::Mul(n, Isa::Set(kPi22Low)));
    }
    const V z = Isa::Mul(y, y);
    V p = Isa::MulAdd(Isa::Set(kSine11), z, Isa::Set(kSine9));
    p = Isa::MulAdd(p, z, Isa::Set(kSine7));
    p = Isa::MulAdd(p, z, Isa::Set(kSine5));
    p = Isa::MulAdd(p, z, Isa::Set(kSine3));
    return Isa::FlipSignIfOdd(Isa::MulAdd(Isa::Mul(y, z), p, y), shifted);
}

// The vector sine over an array, for the tests.
template <class Isa>
void VectorSines(const double* x, std::int32_t count, double* out) {
    for (std::int32_t n = 0; n < count; n += Isa::kLanes) {
        Isa::Store(out + n, VectorSine<Isa>(Isa::Load(x + n)));
    }
}

}  // namespace tonegen::simd
