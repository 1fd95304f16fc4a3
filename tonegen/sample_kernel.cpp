#include "sample_kernel.h"

#include <algorithm>
#include <array>
#include <cstring>

#if QUENBRIX_HAVE_SLEEF_X86
#include "sample_kernel_simd.h"
#endif

namespace tonegen {
namespace {

KernelOutcome ComputeScalar(const SampleConstants& constants, std::int32_t first,
                            std::int32_t count, std::int16_t* out) {
    for (std::int32_t n = 0; n < count; ++n) {
        const SampleResult result = ComputeSample(constants, first + n);
        if (result.fault != SampleFault::None) {
            return {n, result.fault};
        }
        out[n] = result.sample;
    }
    return {count, SampleFault::None};
}

#if QUENBRIX_HAVE_SLEEF_X86

// When may the vector floor stand in for the scalar one?
//
// Both paths compute x1 and x2 with the same double multiplications, so the
// phases are identical; only the sines differ. glibc's sin and SLEEF's
// *_u10 sines are each within 1 ULP of the true sine, and a sine lies in
// [-1, 1] where 1 ULP is at most 2^-52, so the two sines of one phase differ
// by at most 2 × 2^-52, and the two sums S by at most
//   2 × (2 × 2^-52)      the two pairs of sines
// + 2 × 2^-52            rounding each sum (|S| ≤ 2, half an ULP ≤ 2^-52)
// = 6 × 2^-52 ≈ 1.4e-15.
// P = A × S with |A| ≤ 32,768 then differs by at most 32,768 × 1.4e-15
// + 2 × 2^-37 (rounding each product, |P| ≤ 65,536) ≈ 6e-11.
// If the vector P lies at least kMargin = 2^-20 ≈ 9.5e-7 away from every
// integer, the scalar P lies strictly between the same two integers and both
// floors agree: a safety factor above 15,000 over the bound. Anything closer,
// any non-finite value, and any phase beyond kPhaseLimit is recomputed with
// the scalar formula, which also raises the faults at the right sample.
// (P − floor(P) is exact, or off by one rounding far below the margin.)
// With A = 0 both products are ±0 whatever the finite sines are, so the
// vector code skips the margin test there: silence never needs the scalar.
constexpr double kMargin = 0x1p-20;
// SLEEF documents its 1-ULP bound up to 1e299; the vector path keeps to a
// range far inside it that still covers every frequency a person can hear
// over the longest file (phases up to about 3e9).
constexpr double kPhaseLimit = 1e14;

using VectorFunction = void (*)(const simd::VectorInput&, std::int32_t, std::int32_t, std::int16_t*,
                                std::uint8_t*);

KernelOutcome ComputeVector(VectorFunction samplesOf, std::int32_t lanes,
                            const SampleConstants& constants, std::int32_t first,
                            std::int32_t count, std::int16_t* out) {
    constexpr std::int32_t kChunk = 512;
    std::array<std::uint8_t, kChunk> trusted{};
    const simd::VectorInput input{constants.phaseStep1, constants.phaseStep2, constants.amplitude,
                                  kMargin, kPhaseLimit};
    std::int32_t done = 0;
    while (done < count) {
        const std::int32_t remaining = count - done;
        const std::int32_t vectorCount = std::min(remaining, kChunk) / lanes * lanes;
        if (vectorCount == 0) {
            const KernelOutcome tail =
                ComputeScalar(constants, first + done, remaining, out + done);
            return {done + tail.computed, tail.fault};
        }
        samplesOf(input, first + done, vectorCount, out + done, trusted.data());
        // Untrusted samples are rare (about one in half a million for real
        // tones); find them with memchr and redo them in order.
        const std::uint8_t* const begin = trusted.data();
        const std::uint8_t* const end = begin + vectorCount;
        for (const std::uint8_t* at = begin; at < end; ++at) {
            at = static_cast<const std::uint8_t*>(
                std::memchr(at, 0, static_cast<std::size_t>(end - at)));
            if (at == nullptr) {
                break;
            }
            const std::int32_t n = done + static_cast<std::int32_t>(at - begin);
            const SampleResult result = ComputeSample(constants, first + n);
            if (result.fault != SampleFault::None) {
                return {n, result.fault};
            }
            out[n] = result.sample;
        }
        done += vectorCount;
    }
    return {count, SampleFault::None};
}

#endif

}  // namespace

std::string_view KernelPathName(KernelPath path) {
    switch (path) {
        case KernelPath::Scalar:
            return "scalar";
        case KernelPath::Sse2:
            return "sse2";
        case KernelPath::Avx2:
            return "avx2";
        case KernelPath::Avx512:
            return "avx512";
    }
    return "unknown";
}

bool KernelPathAvailable(KernelPath path) {
    switch (path) {
        case KernelPath::Scalar:
            return true;
#if QUENBRIX_HAVE_SLEEF_X86
        case KernelPath::Sse2:
            return __builtin_cpu_supports("sse2");  // every x86-64 has it
        case KernelPath::Avx2:
            // SLEEF's AVX2 sine uses fused multiply-add as well.
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case KernelPath::Avx512:
            return __builtin_cpu_supports("avx512f");
#else
        case KernelPath::Sse2:
        case KernelPath::Avx2:
        case KernelPath::Avx512:
            return false;
#endif
    }
    return false;
}

KernelPath FastestKernelPath() {
    for (const KernelPath path : {KernelPath::Avx512, KernelPath::Avx2, KernelPath::Sse2}) {
        if (KernelPathAvailable(path)) {
            return path;
        }
    }
    return KernelPath::Scalar;
}

KernelOutcome ComputeSamples(KernelPath path, const SampleConstants& constants, std::int32_t first,
                             std::int32_t count, std::int16_t* out) {
#if QUENBRIX_HAVE_SLEEF_X86
    switch (path) {
        case KernelPath::Avx512:
            return ComputeVector(simd::SamplesAvx512, simd::kAvx512Lanes, constants, first, count,
                                 out);
        case KernelPath::Avx2:
            return ComputeVector(simd::SamplesAvx2, simd::kAvx2Lanes, constants, first, count, out);
        case KernelPath::Sse2:
            return ComputeVector(simd::SamplesSse2, simd::kSse2Lanes, constants, first, count, out);
        case KernelPath::Scalar:
            break;
    }
#else
    static_cast<void>(path);
#endif
    return ComputeScalar(constants, first, count, out);
}

}  // namespace tonegen
