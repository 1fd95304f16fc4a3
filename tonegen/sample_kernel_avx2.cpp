// Compiled with -mavx2 -mfma: reached only after the processor was checked.
#include <immintrin.h>

#include "sample_kernel_simd.h"
#include "sample_kernel_vector.h"

namespace tonegen::simd {
namespace {

struct Avx2 {
    using V = __m256d;
    static constexpr std::int32_t kLanes = kAvx2Lanes;
    static constexpr bool kFused = true;
    static V Set(double value) { return _mm256_set1_pd(value); }
    static V Load(const double* from) { return _mm256_loadu_pd(from); }
    static void Store(double* to, V value) { _mm256_storeu_pd(to, value); }
    static V Add(V a, V b) { return _mm256_add_pd(a, b); }
    static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
    static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
    static V MulAdd(V a, V b, V c) { return _mm256_fmadd_pd(a, b, c); }
    static V NegMulAdd(V a, V b, V c) { return _mm256_fnmadd_pd(a, b, c); }
    static V FlipSignIfOdd(V r, V shifted) {
        const __m256i sign = _mm256_slli_epi64(_mm256_castpd_si256(shifted), 63);
        return _mm256_xor_pd(r, _mm256_castsi256_pd(sign));
    }
};

template <bool kCheckPhases>
void Samples(const VectorInput& input, std::int32_t first, std::int32_t count, std::int16_t* out,
             std::uint8_t* untrusted) {
    const __m256d step1 = _mm256_set1_pd(input.phaseStep1);
    const __m256d step2 = _mm256_set1_pd(input.phaseStep2);
    const __m256d amplitude = _mm256_set1_pd(input.amplitude);
    const __m256d low = _mm256_set1_pd(input.margin);
    const __m256d high = _mm256_set1_pd(1.0 - input.margin);
    const __m256d limit = _mm256_set1_pd(kVectorSineLimit);
    const __m256d signBit = _mm256_set1_pd(-0.0);
    const __m256d lanes = _mm256_set_pd(3.0, 2.0, 1.0, 0.0);
    const __m128i oneBit = _mm_set1_epi32(1);
    const __m128i belowInt16 = _mm_set1_epi32(-32769);
    const __m128i aboveInt16 = _mm_set1_epi32(32767);
    const bool silent = input.amplitude == 0.0;
    for (std::int32_t n = 0; n < count; n += kAvx2Lanes) {
        const __m256d index = _mm256_add_pd(_mm256_set1_pd(static_cast<double>(first + n)), lanes);
        const __m256d x2 = _mm256_mul_pd(step2, index);
        const __m256d x1 = _mm256_mul_pd(step1, index);
        const __m256d s = _mm256_add_pd(VectorSine<Avx2>(x1), VectorSine<Avx2>(x2));
        const __m256d p = _mm256_mul_pd(amplitude, s);
        const __m256d k = _mm256_floor_pd(p);
        const __m256d fraction = _mm256_sub_pd(p, k);
        __m256d ok = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
        if constexpr (kCheckPhases) {
            ok = _mm256_and_pd(_mm256_cmp_pd(_mm256_andnot_pd(signBit, x1), limit, _CMP_LE_OQ),
                               _mm256_cmp_pd(_mm256_andnot_pd(signBit, x2), limit, _CMP_LE_OQ));
        }
        if (!silent) {
            ok = _mm256_and_pd(ok, _mm256_and_pd(_mm256_cmp_pd(fraction, low, _CMP_GE_OQ),
                                                 _mm256_cmp_pd(fraction, high, _CMP_LE_OQ)));
        }
        // K / 2 rounded half to even, as in the scalar formula.
        const __m128i whole = _mm256_cvtpd_epi32(k);
        const __m128i half = _mm_srai_epi32(whole, 1);
        const __m128i sample =
            _mm_add_epi32(half, _mm_and_si128(_mm_and_si128(whole, half), oneBit));
        const __m128i outside =
            _mm_or_si128(_mm_cmpgt_epi32(belowInt16, sample), _mm_cmpgt_epi32(sample, aboveInt16));
        const int mask = _mm256_movemask_pd(ok) & ~_mm_movemask_ps(_mm_castsi128_ps(outside));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + n), _mm_packs_epi32(sample, sample));
        untrusted[n / kAvx2Lanes] = static_cast<std::uint8_t>(~static_cast<unsigned>(mask) & 0xFU);
    }
}

}  // namespace

void SamplesAvx2(const VectorInput& input, std::int32_t first, std::int32_t count,
                 std::int16_t* out, std::uint8_t* untrusted) {
    if (input.checkPhases) {
        Samples<true>(input, first, count, out, untrusted);
    } else {
        Samples<false>(input, first, count, out, untrusted);
    }
}

void SinesAvx2(const double* x, std::int32_t count, double* out) {
    VectorSines<Avx2>(x, count, out);
}

}  // namespace tonegen::simd
