#include "sample_kernel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#if QUENBRIX_VECTOR_KERNELS
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

#if QUENBRIX_VECTOR_KERNELS

// When may the vector floor stand in for the exact one?
//
// Both paths compute x1 and x2 with the same double multiplications, so the
// phases are identical; only the sines differ. The correctly rounded sine is
// within half an ULP, at most 2^-54, of the true sine, and the vector sine
// within kVectorSineError = 1.25 × 2^-36 (sample_kernel_vector.h) for phases
// up to kVectorSineLimit = 2^32, so the two sines of one phase differ by at
// most 1.25 × 2^-36 + 2^-54, and the two sums S by at most
//   2 × (1.25 × 2^-36 + 2^-54)  the two pairs of sines
// + 2 × 2^-53                  rounding each sum (|S| ≤ 2, half an ULP ≤ 2^-53)
// < 1.26 × 2^-35.
// P = A × S with |A| ≤ 32,768 then differs by at most 2^15 × 1.26 × 2^-35
// + 2 × 2^-37 (rounding each product, |P| ≤ 65,536) < 1.27 × 2^-20.
// If the vector P lies at least kMargin = 2^-16 away from every integer, the
// exact P lies strictly between the same two integers and both floors agree:
// a safety factor above 12 over the bound. Anything closer (one sample in
// about 30,000), any non-finite value, and any phase beyond kVectorSineLimit
// is recomputed with the exact formula, which also raises the faults at the
// right sample.
// (P − floor(P) is exact, or off by one rounding far below the margin.)
// With A = 0 both products are ±0 whatever the finite sines are, so the
// vector code skips the margin test there: silence never needs the exact path.
constexpr double kMargin = 0x1p-16;

using VectorFunction = void (*)(const simd::VectorInput&, std::int32_t, std::int32_t, std::int16_t*,
                                std::uint8_t*);

// Whether every phase of samples first .. last lies within the vector sine's
// range: |(W × 6.28) × i| never decreases with |i|, so the two ends decide.
bool PhasesWithinVectorRange(const SampleConstants& constants, std::int32_t first,
                             std::int32_t last) {
    for (const double step : {constants.phaseStep1, constants.phaseStep2}) {
        for (const std::int32_t index : {first, last}) {
            if (!(std::fabs(step * static_cast<double>(index)) <= simd::kVectorSineLimit)) {
                return false;
            }
        }
    }
    return true;
}

// Chunks of 2,048 samples: 4 KiB of samples and at most 1 KiB of marks, well
// inside the first-level cache.
constexpr std::int32_t kChunk = 2048;

KernelOutcome ComputeVector(VectorFunction samplesOf, std::int32_t lanes,
                            const SampleConstants& constants, std::int32_t first,
                            std::int32_t count, std::int16_t* out) {
    std::array<std::uint8_t, kChunk / simd::kSse2Lanes> untrusted{};
    simd::VectorInput input{constants.phaseStep1, constants.phaseStep2, constants.amplitude,
                            kMargin, true};
    std::int32_t done = 0;
    while (done < count) {
        const std::int32_t remaining = count - done;
        const std::int32_t vectorCount = std::min(remaining, kChunk) / lanes * lanes;
        if (vectorCount == 0) {
            const KernelOutcome tail =
                ComputeScalar(constants, first + done, remaining, out + done);
            return {done + tail.computed, tail.fault};
        }
        input.checkPhases =
            !PhasesWithinVectorRange(constants, first + done, first + done + vectorCount - 1);
        samplesOf(input, first + done, vectorCount, out + done, untrusted.data());
        // Untrusted samples are rare (about one in 30,000 for real tones):
        // skip eight groups at a time while none is marked, and redo the
        // marked ones in order.
        const std::int32_t groups = vectorCount / lanes;
        for (std::int32_t group = 0; group < groups; ++group) {
            if (group % 8 == 0 && group + 8 <= groups) {
                std::uint64_t eight = 0;
                std::memcpy(&eight, untrusted.data() + group, sizeof eight);
                if (eight == 0) {
                    group += 7;
                    continue;
                }
            }
            const unsigned marks = untrusted[static_cast<std::size_t>(group)];
            for (std::int32_t lane = 0; lane < lanes; ++lane) {
                if (((marks >> static_cast<unsigned>(lane)) & 1U) == 0) {
                    continue;
                }
                const std::int32_t n = done + group * lanes + lane;
                const SampleResult result = ComputeSample(constants, first + n);
                if (result.fault != SampleFault::None) {
                    return {n, result.fault};
                }
                out[n] = result.sample;
            }
        }
        done += vectorCount;
    }
    return {count, SampleFault::None};
}

#endif

}  // namespace

std::string_view KernelName(KernelChoice kernel) {
    switch (kernel) {
        case KernelChoice::Scalar:
            return "scalar";
        case KernelChoice::Sse2:
            return "sse2";
        case KernelChoice::Avx2:
            return "avx2";
        case KernelChoice::Avx512:
            return "avx512";
    }
    return "unknown";
}

bool KernelAvailable(KernelChoice kernel) {
    switch (kernel) {
        case KernelChoice::Scalar:
            return true;
#if QUENBRIX_VECTOR_KERNELS
        case KernelChoice::Sse2:
            return __builtin_cpu_supports("sse2");  // every x86-64 has it
        case KernelChoice::Avx2:
            // The AVX2 sine uses fused multiply-add as well.
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case KernelChoice::Avx512:
            return __builtin_cpu_supports("avx512f");
#else
        case KernelChoice::Sse2:
        case KernelChoice::Avx2:
        case KernelChoice::Avx512:
            return false;
#endif
    }
    return false;
}

KernelChoice FastestKernel() {
    for (const KernelChoice kernel :
         {KernelChoice::Avx512, KernelChoice::Avx2, KernelChoice::Sse2}) {
        if (KernelAvailable(kernel)) {
            return kernel;
        }
    }
    return KernelChoice::Scalar;
}

KernelOutcome ComputeSamples(KernelChoice kernel, const SampleConstants& constants,
                             std::int32_t first, std::int32_t count, std::int16_t* out) {
#if QUENBRIX_VECTOR_KERNELS
    switch (kernel) {
        case KernelChoice::Avx512:
            return ComputeVector(simd::SamplesAvx512, simd::kAvx512Lanes, constants, first, count,
                                 out);
        case KernelChoice::Avx2:
            return ComputeVector(simd::SamplesAvx2, simd::kAvx2Lanes, constants, first, count, out);
        case KernelChoice::Sse2:
            return ComputeVector(simd::SamplesSse2, simd::kSse2Lanes, constants, first, count, out);
        case KernelChoice::Scalar:
            break;
    }
#else
    static_cast<void>(kernel);
#endif
    return ComputeScalar(constants, first, count, out);
}

}  // namespace tonegen
