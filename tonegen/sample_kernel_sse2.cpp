// SSE2 is part of every x86-64 processor; no check is needed.
#include <emmintrin.h>

#include <cstring>

#include "sample_kernel_simd.h"
#include "sample_kernel_vector.h"

namespace tonegen::simd {
namespace {

struct Sse2 {
    using V = __m128d;
    static constexpr std::int32_t kLanes = kSse2Lanes;
    static constexpr bool kFused = false;
    static V Set(double value) { return _mm_set1_pd(value); }
    static V Load(const double* from) { return _mm_loadu_pd(from); }
    static void Store(double* to, V value) { _mm_storeu_pd(to, value); }
    static V Add(V a, V b) { return _mm_add_pd(a, b); }
    static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
    static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
    static V MulAdd(V a, V b, V c) { return _mm_add_pd(_mm_mul_pd(a, b), c); }
    static V NegMulAdd(V a, V b, V c) { return _mm_sub_pd(c, _mm_mul_pd(a, b)); }
    static V FlipSignIfOdd(V r, V shifted) {
        const __m128i sign = _mm_slli_epi64(_mm_castpd_si128(shifted), 63);
        return _mm_xor_pd(r, _mm_castsi128_pd(sign));
    }
};

template <bool kCheckPhases>
void Samples(const VectorInput& input, std::int32_t first, std::int32_t count, std::int16_t* out,
             std::uint8_t* untrusted) {
    const __m128d step1 = _mm_set1_pd(input.phaseStep1);
    const __m128d step2 = _mm_set1_pd(input.phaseStep2);
    const __m128d amplitude = _mm_set1_pd(input.amplitude);
    const __m128d low = _mm_set1_pd(input.margin);
    const __m128d high = _mm_set1_pd(1.0 - input.margin);
    const __m128d limit = _mm_set1_pd(kVectorSineLimit);
    const __m128d signBit = _mm_set1_pd(-0.0);
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d truncatable = _mm_set1_pd(1e9);
    const __m128d lanes = _mm_set_pd(1.0, 0.0);
    const __m128i oneBit = _mm_set1_epi32(1);
    const __m128i belowInt16 = _mm_set1_epi32(-32769);
    const __m128i aboveInt16 = _mm_set1_epi32(32767);
    const bool silent = input.amplitude == 0.0;
    for (std::int32_t n = 0; n < count; n += kSse2Lanes) {
        const __m128d index = _mm_add_pd(_mm_set1_pd(static_cast<double>(first + n)), lanes);
        const __m128d x2 = _mm_mul_pd(step2, index);
        const __m128d x1 = _mm_mul_pd(step1, index);
        const __m128d s = _mm_add_pd(VectorSine<Sse2>(x1), VectorSine<Sse2>(x2));
        const __m128d p = _mm_mul_pd(amplitude, s);
        // SSE2 has no floor: truncate, then step down where truncation went
        // up. Lanes too large for int32, or NaN, are refused below.
        const __m128i truncatedWhole = _mm_cvttpd_epi32(p);
        const __m128d truncated = _mm_cvtepi32_pd(truncatedWhole);
        const __m128d stepDown = _mm_and_pd(_mm_cmpgt_pd(truncated, p), one);
        const __m128d k = _mm_sub_pd(truncated, stepDown);
        const __m128d fraction = _mm_sub_pd(p, k);
        __m128d ok = _mm_cmple_pd(_mm_andnot_pd(signBit, p), truncatable);
        if constexpr (kCheckPhases) {
            ok = _mm_and_pd(ok, _mm_and_pd(_mm_cmple_pd(_mm_andnot_pd(signBit, x1), limit),
                                           _mm_cmple_pd(_mm_andnot_pd(signBit, x2), limit)));
        }
        if (!silent) {
            ok = _mm_and_pd(ok,
                            _mm_and_pd(_mm_cmpge_pd(fraction, low), _mm_cmple_pd(fraction, high)));
        }
        const __m128i whole = _mm_cvttpd_epi32(k);  // k is whole: exact
        const __m128i half = _mm_srai_epi32(whole, 1);
        const __m128i sample =
            _mm_add_epi32(half, _mm_and_si128(_mm_and_si128(whole, half), oneBit));
        const __m128i outside =
            _mm_or_si128(_mm_cmpgt_epi32(belowInt16, sample), _mm_cmpgt_epi32(sample, aboveInt16));
        const int mask = _mm_movemask_pd(ok) & ~_mm_movemask_ps(_mm_castsi128_ps(outside));
        const int packed = _mm_cvtsi128_si32(_mm_packs_epi32(sample, sample));
        std::memcpy(out + n, &packed, sizeof packed);
        untrusted[n / kSse2Lanes] = static_cast<std::uint8_t>(~static_cast<unsigned>(mask) & 0x3U);
    }
}

}  // namespace

void SamplesSse2(const VectorInput& input, std::int32_t first, std::int32_t count,
                 std::int16_t* out, std::uint8_t* untrusted) {
    if (input.checkPhases) {
        Samples<true>(input, first, count, out, untrusted);
    } else {
        Samples<false>(input, first, count, out, untrusted);
    }
}

void SinesSse2(const double* x, std::int32_t count, double* out) {
    VectorSines<Sse2>(x, count, out);
}

}  // namespace tonegen::simd
