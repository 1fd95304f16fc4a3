// Compiled with -mavx512f: reached only after the processor was checked.
#include <immintrin.h>

#include "sample_kernel_simd.h"
#include "sample_kernel_vector.h"

namespace tonegen::simd {
namespace {

struct Avx512 {
    using V = __m512d;
    static constexpr std::int32_t kLanes = kAvx512Lanes;
    static constexpr bool kFused = true;
    static V Set(double value) { return _mm512_set1_pd(value); }
    static V Load(const double* from) { return _mm512_loadu_pd(from); }
    static void Store(double* to, V value) { _mm512_storeu_pd(to, value); }
    static V Add(V a, V b) { return _mm512_add_pd(a, b); }
    static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
    static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
    static V MulAdd(V a, V b, V c) { return _mm512_fmadd_pd(a, b, c); }
    static V NegMulAdd(V a, V b, V c) { return _mm512_fnmadd_pd(a, b, c); }
    static V FlipSignIfOdd(V r, V shifted) {
        const __m512i bits = _mm512_castpd_si512(shifted);
        // Masked forms, all lanes on, for the reasons given at the floor below.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-conversion"
        const __m512i sign = _mm512_mask_slli_epi64(bits, 0xFF, bits, 63);
#pragma GCC diagnostic pop
        return _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(r), sign));
    }
};

template <bool kCheckPhases>
void Samples(const VectorInput& input, std::int32_t first, std::int32_t count, std::int16_t* out,
             std::uint8_t* untrusted) {
    const __m512d step1 = _mm512_set1_pd(input.phaseStep1);
    const __m512d step2 = _mm512_set1_pd(input.phaseStep2);
    const __m512d amplitude = _mm512_set1_pd(input.amplitude);
    const __m512d low = _mm512_set1_pd(input.margin);
    const __m512d high = _mm512_set1_pd(1.0 - input.margin);
    const __m512d limit = _mm512_set1_pd(kVectorSineLimit);
    const __m512d lanes = _mm512_set_pd(7.0, 6.0, 5.0, 4.0, 3.0, 2.0, 1.0, 0.0);
    const __m256i oneBit = _mm256_set1_epi32(1);
    const __m256i belowInt16 = _mm256_set1_epi32(-32769);
    const __m256i aboveInt16 = _mm256_set1_epi32(32767);
    const bool silent = input.amplitude == 0.0;
    for (std::int32_t n = 0; n < count; n += kAvx512Lanes) {
        // Whole numbers below 2^31 plus 0..7: exact, the same doubles as (double)i.
        const __m512d index = _mm512_add_pd(_mm512_set1_pd(static_cast<double>(first + n)), lanes);
        const __m512d x2 = _mm512_mul_pd(step2, index);
        const __m512d x1 = _mm512_mul_pd(step1, index);
        const __m512d s = _mm512_add_pd(VectorSine<Avx512>(x1), VectorSine<Avx512>(x2));
        const __m512d p = _mm512_mul_pd(amplitude, s);
        // The masked form, all lanes on: the plain one trips GCC 12's
        // maybe-uninitialized warning inside its own header, and without
        // optimisation the masked one is a macro whose casts trip
        // -Wsign-conversion.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-conversion"
        const __m512d k =
            _mm512_mask_roundscale_pd(p, 0xFF, p, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
#pragma GCC diagnostic pop
        const __m512d fraction = _mm512_sub_pd(p, k);
        // Ordered comparisons: NaN and infinite values are never trusted.
        auto ok = static_cast<__mmask8>(0xFF);
        if constexpr (kCheckPhases) {
            ok = static_cast<__mmask8>(_mm512_cmp_pd_mask(_mm512_abs_pd(x1), limit, _CMP_LE_OQ) &
                                       _mm512_cmp_pd_mask(_mm512_abs_pd(x2), limit, _CMP_LE_OQ));
        }
        if (!silent) {
            ok = static_cast<__mmask8>(ok & _mm512_cmp_pd_mask(fraction, low, _CMP_GE_OQ) &
                                       _mm512_cmp_pd_mask(fraction, high, _CMP_LE_OQ));
        }
        // K / 2 rounded half to even: floor(K / 2), plus one where K is odd
        // and that floor is odd. K is whole, so the conversion is exact.
        const __m256i whole = _mm512_mask_cvtpd_epi32(oneBit, 0xFF, k);
        const __m256i half = _mm256_srai_epi32(whole, 1);
        const __m256i sample =
            _mm256_add_epi32(half, _mm256_and_si256(_mm256_and_si256(whole, half), oneBit));
        const __m256i outside = _mm256_or_si256(_mm256_cmpgt_epi32(belowInt16, sample),
                                                _mm256_cmpgt_epi32(sample, aboveInt16));
        ok = static_cast<__mmask8>(ok & ~_mm256_movemask_ps(_mm256_castsi256_ps(outside)));
        // Pack to 16 bits (in range wherever trusted) and keep the two
        // 64-bit halves that hold the eight samples in order.
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(sample, sample), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), _mm256_castsi256_si128(packed));
        untrusted[n / kAvx512Lanes] = static_cast<std::uint8_t>(~static_cast<unsigned>(ok));
    }
}

}  // namespace

void SamplesAvx512(const VectorInput& input, std::int32_t first, std::int32_t count,
                   std::int16_t* out, std::uint8_t* untrusted) {
    if (input.checkPhases) {
        Samples<true>(input, first, count, out, untrusted);
    } else {
        Samples<false>(input, first, count, out, untrusted);
    }
}

void SinesAvx512(const double* x, std::int32_t count, double* out) {
    VectorSines<Avx512>(x, count, out);
}

}  // namespace tonegen::simd
