// SSE2 is part of every x86-64 processor; no check is needed.
#include <emmintrin.h>
#include <sleef.h>

#include "sample_kernel_simd.h"

namespace tonegen::simd {

void FloorsSse2(const FloorInput& input, std::int32_t first, std::int32_t count, double* floors,
                std::uint8_t* trusted) {
    const __m128d step1 = _mm_set1_pd(input.phaseStep1);
    const __m128d step2 = _mm_set1_pd(input.phaseStep2);
    const __m128d amplitude = _mm_set1_pd(input.amplitude);
    const __m128d low = _mm_set1_pd(input.margin);
    const __m128d high = _mm_set1_pd(1.0 - input.margin);
    const __m128d limit = _mm_set1_pd(input.phaseLimit);
    const __m128d signBit = _mm_set1_pd(-0.0);
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d lanes = _mm_set_pd(1.0, 0.0);
    const bool silent = input.amplitude == 0.0;
    for (std::int32_t n = 0; n < count; n += kSse2Lanes) {
        const __m128d index = _mm_add_pd(_mm_set1_pd(static_cast<double>(first + n)), lanes);
        const __m128d x2 = _mm_mul_pd(step2, index);
        const __m128d x1 = _mm_mul_pd(step1, index);
        const __m128d s = _mm_add_pd(Sleef_sind2_u10sse2(x1), Sleef_sind2_u10sse2(x2));
        const __m128d p = _mm_mul_pd(amplitude, s);
        // SSE2 has no floor: truncate (|P| ≤ 65,536 fits int32), then step
        // down where truncation went up. Out-of-range or NaN lanes give junk
        // that the fraction test below refuses.
        const __m128d truncated = _mm_cvtepi32_pd(_mm_cvttpd_epi32(p));
        const __m128d k = _mm_sub_pd(truncated, _mm_and_pd(_mm_cmpgt_pd(truncated, p), one));
        const __m128d fraction = _mm_sub_pd(p, k);
        __m128d ok = _mm_and_pd(_mm_cmple_pd(_mm_andnot_pd(signBit, x1), limit),
                                _mm_cmple_pd(_mm_andnot_pd(signBit, x2), limit));
        // |P| must also be small enough for the truncation above.
        ok = _mm_and_pd(ok, _mm_cmple_pd(_mm_andnot_pd(signBit, p), _mm_set1_pd(1e9)));
        if (!silent) {
            ok = _mm_and_pd(ok,
                            _mm_and_pd(_mm_cmpge_pd(fraction, low), _mm_cmple_pd(fraction, high)));
        }
        _mm_storeu_pd(floors + n, k);
        const int mask = _mm_movemask_pd(ok);
        trusted[n] = static_cast<std::uint8_t>(mask & 1);
        trusted[n + 1] = static_cast<std::uint8_t>((mask >> 1) & 1);
    }
}

}  // namespace tonegen::simd
