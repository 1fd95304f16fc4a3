// Every sample kernel against the scalar formula, sample for sample, including
// where it stops and why.
#include "sample_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "correct_sine.h"
#if defined(__x86_64__)
#include "sample_kernel_simd.h"
#endif

namespace {

using tonegen::ComputeSamples;
using tonegen::KernelChoice;
using tonegen::KernelOutcome;
using tonegen::SampleConstants;

// Sanitized builds run the same cases over shorter stretches.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::int32_t kStretch = 1 << 10;
constexpr std::int32_t kLongStretch = 1 << 14;
#else
constexpr std::int32_t kStretch = 1 << 13;
constexpr std::int32_t kLongStretch = 1 << 20;
#endif

constexpr std::int32_t kLongestSampleCount = 1'073'702'700;

SampleConstants ConstantsFor(double frequency1, double frequency2, double amplitude) {
    return {frequency1 / 44100.0 * 6.28, frequency2 / 44100.0 * 6.28, amplitude};
}

class SampleKernel : public testing::TestWithParam<KernelChoice> {
  protected:
    void SetUp() override {
        if (!tonegen::KernelAvailable(GetParam())) {
            GTEST_SKIP() << "kernel not available here";
        }
    }

    // Runs the kernel and the scalar path over the same stretch and expects
    // the same samples, the same stop and the same fault.
    static void ExpectSameAsScalar(const SampleConstants& constants, std::int32_t first,
                                   std::int32_t count, const std::string& what) {
        std::vector<std::int16_t> expected(static_cast<std::size_t>(count));
        std::vector<std::int16_t> actual(static_cast<std::size_t>(count), -12345);
        const KernelOutcome scalar =
            ComputeSamples(KernelChoice::Scalar, constants, first, count, expected.data());
        const KernelOutcome kernel =
            ComputeSamples(GetParam(), constants, first, count, actual.data());
        ASSERT_EQ(kernel.computed, scalar.computed) << what;
        ASSERT_EQ(kernel.fault, scalar.fault) << what;
        for (std::size_t n = 0; n < static_cast<std::size_t>(scalar.computed); ++n) {
            ASSERT_EQ(actual[n], expected[n])
                << what << ", sample " << first + static_cast<std::int32_t>(n);
        }
    }
};

TEST_P(SampleKernel, DefaultToneOverTheWholeIndexRange) {
    const SampleConstants constants = ConstantsFor(1209.0, 697.0, 20000.0);
    for (const std::int32_t first :
         {0, 44100 * 600, 300'000'000, 600'000'000, kLongestSampleCount - kLongStretch}) {
        ExpectSameAsScalar(constants, first, kLongStretch, "from " + std::to_string(first));
    }
    // Odd starts and lengths leave lanes over for the scalar tail.
    ExpectSameAsScalar(constants, 1, 511, "first block after sample 0");
    ExpectSameAsScalar(constants, 12345, 77, "odd stretch");
}

TEST_P(SampleKernel, SpecialAndRandomFrequenciesAndAmplitudes) {
    std::vector<std::pair<double, double>> pairs = {
        {0.0, 0.0},     {0.0, 697.0},     {697.0, 697.0}, {-1209.0, 697.0},
        {20000.0, 1.0}, {1e-310, 5e-324}, {1e9, 3.3e9},   {1e12, 7e13},
    };
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> audible(0.0, 22050.0);
    std::uniform_real_distribution<double> wide(0.0, 1e7);
    for (int n = 0; n < 6; ++n) {
        pairs.emplace_back(audible(random), audible(random));
        pairs.emplace_back(wide(random), audible(random));
    }
    std::uniform_int_distribution<std::int32_t> start(0, kLongestSampleCount - kStretch);
    for (const auto& [f1, f2] : pairs) {
        for (const double amplitude : {0.0, 1.0, 20000.0, 32767.0, -32768.0}) {
            const SampleConstants constants = ConstantsFor(f1, f2, amplitude);
            const std::string what = std::to_string(f1) + " Hz + " + std::to_string(f2) +
                                     " Hz, A = " + std::to_string(amplitude);
            ExpectSameAsScalar(constants, 0, kStretch, what + " from 0");
            const std::int32_t first = start(random);
            ExpectSameAsScalar(constants, first, kStretch, what + " from " + std::to_string(first));
        }
    }
}

TEST_P(SampleKernel, PhaseOverflowStopsAtTheSameSampleWithTheSameFault) {
    for (const auto& [f1, f2] : {std::pair{1e308, 697.0}, std::pair{697.0, 1e308},
                                 std::pair{1.7976931348623157e308, 1e308}, std::pair{5e307, 0.0}}) {
        const SampleConstants constants = ConstantsFor(f1, f2, 20000.0);
        std::vector<std::int16_t> out(1 << 16);
        const KernelOutcome scalar =
            ComputeSamples(KernelChoice::Scalar, constants, 0, 1 << 16, out.data());
        ASSERT_NE(scalar.fault, tonegen::SampleFault::None);  // the case must reach the fault
        ExpectSameAsScalar(constants, 0, 1 << 16, std::to_string(f1) + " + " + std::to_string(f2));
    }
}

TEST_P(SampleKernel, SampleOutOfRangeAtMostNegativeAmplitude) {
    // floor(-32,768 × S) / 2 leaves int16 only where S is within a rounding of
    // -2; an amplitude just below it makes that common, and both paths must
    // stop at the same sample.
    const SampleConstants constants = ConstantsFor(1209.0, 1209.0, -40000.0);
    ExpectSameAsScalar(constants, 0, kStretch, "A = -40000");
}

// A × S placed on, or one rounding either side of, a whole number: the cases
// where the vector sine's small error would change the floor, and which only
// the margin sends to the exact path (with a margin of 0 this test fails).
TEST_P(SampleKernel, ProductsOnAndBesideWholeNumbers) {
    const SampleConstants base = ConstantsFor(1209.0, 697.0, 1.0);
    int constructed = 0;
    for (std::int32_t i = 3; i < 400'000'000 && constructed < 3000; i += 131'071) {
        const double x2 = base.phaseStep2 * static_cast<double>(i);
        const double x1 = base.phaseStep1 * static_cast<double>(i);
        const double s = tonegen::CorrectlyRoundedSine(x1) + tonegen::CorrectlyRoundedSine(x2);
        if (std::fabs(s) < 0.5) {
            continue;
        }
        for (const double whole : {1.0, 3.0, 1000.0, 16383.0, 32767.0}) {
            const double exact = whole / s;
            for (const double amplitude :
                 {exact, std::nextafter(exact, 0.0), std::nextafter(exact, 1e9),
                  std::nextafter(std::nextafter(exact, 0.0), 0.0)}) {
                const SampleConstants constants{base.phaseStep1, base.phaseStep2, amplitude};
                ASSERT_LT(std::fabs(amplitude * s - whole), 1e-9);
                ExpectSameAsScalar(constants, i, 8, "sample " + std::to_string(i));
                ++constructed;
            }
        }
    }
    EXPECT_GE(constructed, 3000);
}

TEST_P(SampleKernel, StretchCrossingTheVectorSineRange) {
    // 66,150 Hz: the phase (W × 6.28) × i passes 2^32 near sample 455,700,000;
    // the stretch around it mixes vector and exact samples in one call.
    const SampleConstants constants = ConstantsFor(66150.0, 697.0, 32767.0);
    const auto crossing = static_cast<std::int32_t>(0x1p32 / constants.phaseStep1);
    ExpectSameAsScalar(constants, crossing - kStretch / 2, kStretch, "across 2^32 rad");
}

#if defined(__x86_64__)
using SineFunction = void (*)(const double*, std::int32_t, double*);

SineFunction VectorSineOf(KernelChoice kernel) {
    switch (kernel) {
        case KernelChoice::Sse2:
            return tonegen::simd::SinesSse2;
        case KernelChoice::Avx2:
            return tonegen::simd::SinesAvx2;
        case KernelChoice::Avx512:
            return tonegen::simd::SinesAvx512;
        case KernelChoice::Scalar:
            break;
    }
    return nullptr;
}

// The margin of the vector kernels rests on this bound: the vector sine is
// within kVectorSineError of the sine, so within that plus half an ULP of
// the correctly rounded one.
TEST_P(SampleKernel, VectorSineStaysWithinItsErrorBound) {
    constexpr double kLimit = tonegen::simd::kVectorSineLimit;
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> anyPhase(-kLimit, kLimit);
    std::uniform_real_distribution<double> smallPhase(-8.0, 8.0);
    std::vector<double> x;
    for (int n = 0; n < kLongStretch; ++n) {
        x.push_back(n % 2 == 0 ? anyPhase(random) : smallPhase(random));
    }
    // Next to the multiples of π/2, where the reduction leaves least, and at
    // the ends of the range.
    for (std::int64_t k = 1; k < std::int64_t{1} << 31; k += k / 3 + 1) {
        double near = static_cast<double>(k) * 1.5707963267948966;
        for (int step = 0; step < 8 && std::fabs(near) <= kLimit; ++step) {
            x.push_back(near);
            x.push_back(-near);
            near = std::nextafter(near, 0.0);
        }
    }
    for (const double end : {kLimit, std::nextafter(kLimit, 0.0), 0x1p-1074, 0.0}) {
        x.push_back(end);
        x.push_back(-end);
    }
    x.resize((x.size() + 7) / 8 * 8, 1.0);
    std::vector<double> sines(x.size());
    VectorSineOf(GetParam())(x.data(), static_cast<std::int32_t>(x.size()), sines.data());
    const double allowed = tonegen::simd::kVectorSineError + 0x1p-54;
    for (std::size_t n = 0; n < x.size(); ++n) {
        ASSERT_LE(std::fabs(sines[n] - tonegen::CorrectlyRoundedSine(x[n])), allowed)
            << "x = " << x[n];
    }
}
#endif

// The scalar path is the reference itself and is not compared with itself.
INSTANTIATE_TEST_SUITE_P(VectorKernels, SampleKernel,
                         testing::Values(KernelChoice::Sse2, KernelChoice::Avx2,
                                         KernelChoice::Avx512),
                         [](const testing::TestParamInfo<KernelChoice>& param) {
                             return std::string(tonegen::KernelName(param.param));
                         });

TEST(KernelChoice, FastestPathIsAvailableAndScalarAlwaysIs) {
    EXPECT_TRUE(tonegen::KernelAvailable(KernelChoice::Scalar));
    EXPECT_TRUE(tonegen::KernelAvailable(tonegen::FastestKernel()));
#if defined(__x86_64__)
    if (tonegen::KernelAvailable(KernelChoice::Sse2)) {
        EXPECT_NE(tonegen::FastestKernel(), KernelChoice::Scalar);
    }
#endif
}

}  // namespace
