// Every sample kernel against the scalar formula, sample for sample, including
// where it stops and why.
#include "sample_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using tonegen::ComputeSamples;
using tonegen::KernelOutcome;
using tonegen::KernelPath;
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

class SampleKernel : public testing::TestWithParam<KernelPath> {
  protected:
    void SetUp() override {
        if (!tonegen::KernelPathAvailable(GetParam())) {
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
            ComputeSamples(KernelPath::Scalar, constants, first, count, expected.data());
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
            ComputeSamples(KernelPath::Scalar, constants, 0, 1 << 16, out.data());
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
// where the two sines' last-bit differences would change the floor.
TEST_P(SampleKernel, ProductsOnAndBesideWholeNumbers) {
    const SampleConstants base = ConstantsFor(1209.0, 697.0, 1.0);
    int constructed = 0;
    for (std::int32_t i = 3; i < 400'000'000 && constructed < 3000; i += 131'071) {
        const double x2 = base.phaseStep2 * static_cast<double>(i);
        const double x1 = base.phaseStep1 * static_cast<double>(i);
        const double s = std::sin(x1) + std::sin(x2);
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

// The scalar path is the reference itself and is not compared with itself.
INSTANTIATE_TEST_SUITE_P(VectorKernels, SampleKernel,
                         testing::Values(KernelPath::Sse2, KernelPath::Avx2, KernelPath::Avx512),
                         [](const testing::TestParamInfo<KernelPath>& param) {
                             return std::string(tonegen::KernelPathName(param.param));
                         });

TEST(KernelChoice, FastestPathIsAvailableAndScalarAlwaysIs) {
    EXPECT_TRUE(tonegen::KernelPathAvailable(KernelPath::Scalar));
    EXPECT_TRUE(tonegen::KernelPathAvailable(tonegen::FastestKernelPath()));
#if defined(__x86_64__)
    if (tonegen::KernelPathAvailable(KernelPath::Sse2)) {
        EXPECT_NE(tonegen::FastestKernelPath(), KernelPath::Scalar);
    }
#endif
}

}  // namespace
