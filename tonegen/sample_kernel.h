// Computing a stretch of consecutive samples. Every kernel gives exactly the
// samples of ComputeSample, and stops at the same first faulty sample.
#pragma once

#include <cstdint>
#include <string_view>

#include "sample_formula.h"

namespace tonegen {

enum class KernelChoice {
    Scalar,  // ComputeSample one sample after the other
    Sse2,    // two samples at a time
    Avx2,    // four samples at a time
    Avx512,  // eight samples at a time
};

std::string_view KernelName(KernelChoice kernel);

// Whether this build and this processor can run the kernel.
bool KernelAvailable(KernelChoice kernel);

// The fastest kernel available here.
KernelChoice FastestKernel();

struct KernelOutcome {
    std::int32_t computed = 0;              // samples stored, from the first one on
    SampleFault fault = SampleFault::None;  // why sample first + computed failed
};

// Stores samples first .. first + count - 1 into out[0 .. count - 1], or stops
// at the first sample that fails; the samples before it are stored. The kernel
// must be available; first + count must not exceed INT32_MAX.
KernelOutcome ComputeSamples(KernelChoice kernel, const SampleConstants& constants,
                             std::int32_t first, std::int32_t count, std::int16_t* out);

}  // namespace tonegen
