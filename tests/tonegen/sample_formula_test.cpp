#include "sample_formula.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "sample_kernel.h"
#include "tone_test_support.h"

namespace {

using tonegen::ComputeSample;
using tonegen::SampleConstants;
using tonegen::SampleFault;
using tonegen::SampleFromFloor;

SampleConstants ConstantsFor(double frequency1, double frequency2, double amplitude) {
    return {frequency1 / 44100.0 * 6.28, frequency2 / 44100.0 * 6.28, amplitude};
}

TEST(SampleFormula, FirstTwelveSamplesOfTheDefaultTone) {
    const SampleConstants constants = ConstantsFor(1209.0, 697.0, 20000.0);
    const std::array<std::int16_t, 12> expected = {0,     2704,  5348,  7872,  10222, 12345,
                                                   14198, 15741, 16945, 17789, 18260, 18357};
    for (std::int32_t i = 0; i < 12; ++i) {
        const tonegen::SampleResult result = ComputeSample(constants, i);
        EXPECT_EQ(result.fault, SampleFault::None);
        EXPECT_EQ(result.sample, expected[static_cast<std::size_t>(i)]) << "sample " << i;
    }
    // Samples 2, 4, 6 and 10 sit exactly halfway and go to the even side.
    for (const std::int32_t i : {2, 4, 6, 10}) {
        const double x1 = (1209.0 / 44100.0 * 6.28) * i;
        const double x2 = (697.0 / 44100.0 * 6.28) * i;
        const double k = std::floor(
            20000.0 * (tonegen::CorrectlyRoundedSine(x1) + tonegen::CorrectlyRoundedSine(x2)));
        EXPECT_NE(std::fmod(k, 2.0), 0.0) << "sample " << i << " is expected to be a tie";
    }
}

TEST(SampleFormula, HalvingRoundsTiesToEvenAndChecksTheRange) {
    const std::array<std::pair<double, std::int16_t>, 10> cases = {{{5.0, 2},
                                                                    {7.0, 4},
                                                                    {-1.0, 0},
                                                                    {-3.0, -2},
                                                                    {4.0, 2},
                                                                    {-0.0, 0},
                                                                    {65534.0, 32767},
                                                                    {65533.0, 32766},
                                                                    {-65536.0, -32768},
                                                                    {-65537.0, -32768}}};
    for (const auto& [k, sample] : cases) {
        const tonegen::SampleResult result = SampleFromFloor(k);
        EXPECT_EQ(result.fault, SampleFault::None) << k;
        EXPECT_EQ(result.sample, sample) << k;
    }
    for (const double k : {65535.0, -65538.0, 1e9, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(SampleFromFloor(k).fault, SampleFault::SampleOutOfRange) << k;
    }
}

TEST(SampleFormula, SampleZeroIsZeroAndSilenceStaysSilent) {
    EXPECT_EQ(ComputeSample(ConstantsFor(1e300, 1e300, -32768.0), 0).sample, 0);
    const SampleConstants silent = ConstantsFor(1209.0, 697.0, 0.0);
    const SampleConstants noTone = ConstantsFor(0.0, 0.0, 32767.0);
    for (std::int32_t i = 0; i < 1000; ++i) {
        EXPECT_EQ(ComputeSample(silent, i).sample, 0);
        EXPECT_EQ(ComputeSample(noTone, i).sample, 0);
    }
}

TEST(SampleFormula, PhaseBeyondTheDoubleRangeIsAFaultNamingItsFrequency) {
    // (W × 6.28) × i overflows once i passes DBL_MAX / (W × 6.28).
    const SampleConstants high1 = ConstantsFor(1e308, 697.0, 20000.0);
    const double step = high1.phaseStep1;
    const auto last = static_cast<std::int32_t>(std::numeric_limits<double>::max() / step);
    std::int32_t firstBad = last;
    while (std::isfinite(step * static_cast<double>(firstBad))) {
        ++firstBad;
    }
    EXPECT_EQ(ComputeSample(high1, firstBad - 1).fault, SampleFault::None);
    EXPECT_EQ(ComputeSample(high1, firstBad).fault, SampleFault::Phase1NotFinite);

    EXPECT_EQ(ComputeSample(ConstantsFor(697.0, 1e308, 1.0), firstBad).fault,
              SampleFault::Phase2NotFinite);
    // x2 is computed first, so it is the one reported when both overflow.
    EXPECT_EQ(ComputeSample(ConstantsFor(1e308, 1e308, 1.0), firstBad).fault,
              SampleFault::Phase2NotFinite);
}

TEST(SampleFormula, MatchesTheFormulaWrittenOutForManyIndices) {
    for (const std::int32_t start : {0, 1'000'000, 600'000'000, 1'073'702'700 - 4096}) {
        for (std::int32_t i = start; i < start + 4096; ++i) {
            ASSERT_EQ(ComputeSample(ConstantsFor(1209.0, 697.0, 20000.0), i).sample,
                      quenbrix_test::ExpectedSample(1209.0, 697.0, 20000.0, i))
                << "sample " << i;
        }
    }
}

}  // namespace
