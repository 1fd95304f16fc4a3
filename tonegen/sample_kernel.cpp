#include "sample_kernel.h"

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
    return path == KernelPath::Scalar;
}

KernelPath FastestKernelPath() {
    return KernelPath::Scalar;
}

KernelOutcome ComputeSamples(KernelPath path, const SampleConstants& constants, std::int32_t first,
                             std::int32_t count, std::int16_t* out) {
    switch (path) {
        case KernelPath::Scalar:
        case KernelPath::Sse2:
        case KernelPath::Avx2:
        case KernelPath::Avx512:
            break;
    }
    return ComputeScalar(constants, first, count, out);
}

}  // namespace tonegen
