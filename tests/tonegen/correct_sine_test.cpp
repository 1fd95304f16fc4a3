// The program's sine against MPFR's correctly rounded one, over the whole
// double range, the phases that tone files reach, the neighbourhoods of the
// multiples of π/2, and the published hardest cases.
#include "correct_sine.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tone_test_support.h"

namespace {

using quenbrix_test::ReferenceSine;
using tonegen::CorrectlyRoundedSine;

// The sanitized build checks a tenth of the random arguments.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kShare = 10;
#else
constexpr int kShare = 1;
#endif

constexpr std::int32_t kLongestSampleCount = 1'073'702'700;

std::string Hex(double x) {
    std::array<char, 40> text{};
    static_cast<void>(std::snprintf(text.data(), text.size(), "%a", x));
    return text.data();
}

class Number {
  public:
    explicit Number(mpfr_prec_t bits) { mpfr_init2(value_, bits); }
    ~Number() { mpfr_clear(value_); }
    Number(const Number&) = delete;
    Number& operator=(const Number&) = delete;
    mpfr_ptr get() { return value_; }

  private:
    mpfr_t value_;
};

// Counts the arguments whose sine differs from MPFR's, reporting the first.
class Checker {
  public:
    void Check(double x) {
        ++checked_;
        const double expected = ReferenceSine(x);
        const double actual = CorrectlyRoundedSine(x);
        if (std::bit_cast<std::uint64_t>(actual) != std::bit_cast<std::uint64_t>(expected) &&
            !(std::isnan(actual) && std::isnan(expected)) && ++wrong_ <= 5) {
            ADD_FAILURE() << "sin(" << Hex(x) << "): " << Hex(actual) << " instead of "
                          << Hex(expected);
        }
    }
    ~Checker() { EXPECT_EQ(wrong_, 0) << "of " << checked_ << " arguments"; }
    Checker() = default;
    Checker(const Checker&) = delete;
    Checker& operator=(const Checker&) = delete;

  private:
    long wrong_ = 0;
    long checked_ = 0;
};

TEST(CorrectlyRoundedSine, MatchesMpfrOverTheWholeDoubleRange) {
    // Random bit patterns: every exponent, both signs, subnormals included.
    std::mt19937_64 random(1);
    Checker checker;
    for (int n = 0; n < 2'000'000 / kShare;) {
        const auto x = std::bit_cast<double>(random());
        if (std::isfinite(x)) {
            checker.Check(x);
            ++n;
        }
    }
}

TEST(CorrectlyRoundedSine, MatchesMpfrOnThePhasesOfToneFiles) {
    // (F / 44100 × 6.28) × i for audible frequencies over the longest file,
    // up to about 3.4e9 rad, then any phase below 2^32.
    std::mt19937_64 random(2);
    std::uniform_real_distribution<double> frequency(0.0, 22050.0);
    std::uniform_int_distribution<std::int32_t> index(0, kLongestSampleCount - 1);
    std::uniform_real_distribution<double> phase(0.0, 0x1p32);
    Checker checker;
    for (int n = 0; n < 6'000'000 / kShare; ++n) {
        checker.Check(frequency(random) / 44100.0 * 6.28 * static_cast<double>(index(random)));
    }
    for (int n = 0; n < 2'000'000 / kShare; ++n) {
        checker.Check(phase(random));
    }
}

TEST(CorrectlyRoundedSine, MatchesMpfrNextToMultiplesOfHalfPi) {
    // There the sine's leading bits cancel in the reduction: the doubles
    // nearest to k π/2 and their neighbours, for k up to 2^1020.
    Number product(2200);
    Number halfPi(2200);
    mpfr_const_pi(halfPi.get(), MPFR_RNDN);
    mpfr_div_2ui(halfPi.get(), halfPi.get(), 1, MPFR_RNDN);
    std::mt19937_64 random(3);
    Checker checker;
    for (int n = 0; n < 200'000 / kShare; ++n) {
        const double k = n < 100'000 / kShare ? static_cast<double>(n + 1)
                                              : std::ldexp(static_cast<double>(random() >> 11U),
                                                           static_cast<int>(random() % 968));
        mpfr_mul_d(product.get(), halfPi.get(), k, MPFR_RNDN);
        double x = mpfr_get_d(product.get(), MPFR_RNDN);
        for (int step = 0; step < 3; ++step) {
            x = std::nextafter(x, 0.0);
        }
        for (int step = 0; step < 7; ++step) {
            checker.Check(x);
            x = std::nextafter(x, std::numeric_limits<double>::infinity());
        }
    }
}

// How many bits after the rounding bit of sin(x) repeat, whether they lead
// to a midpoint between two doubles or to a double.
double IdenticalBitsAfterRoundingBit(double x) {
    Number in(53);
    Number sine(400);
    mpfr_set_d(in.get(), x, MPFR_RNDN);
    mpfr_sin(sine.get(), in.get(), MPFR_RNDN);
    mpfr_abs(sine.get(), sine.get(), MPFR_RNDN);
    // Scale to [2^52, 2^53): the fraction is where the sine lies between two doubles.
    mpfr_mul_2si(sine.get(), sine.get(), 52 - (mpfr_get_exp(sine.get()) - 1), MPFR_RNDN);
    mpfr_frac(sine.get(), sine.get(), MPFR_RNDN);
    const double fraction = mpfr_get_d(sine.get(), MPFR_RNDN);
    const double distance = std::min({std::fabs(fraction - 0.5), fraction, 1.0 - fraction});
    return -std::log2(distance) - 1.0;
}

double DistanceToMultipleOfHalfPi(double x) {
    Number quotient(2200);
    Number halfPi(2200);
    mpfr_const_pi(halfPi.get(), MPFR_RNDN);
    mpfr_div_2ui(halfPi.get(), halfPi.get(), 1, MPFR_RNDN);
    mpfr_set_d(quotient.get(), x, MPFR_RNDN);
    mpfr_div(quotient.get(), quotient.get(), halfPi.get(), MPFR_RNDN);
    mpfr_frac(quotient.get(), quotient.get(), MPFR_RNDN);  // x > 0: in [0, 1)
    if (mpfr_cmp_d(quotient.get(), 0.5) > 0) {
        mpfr_ui_sub(quotient.get(), 1, quotient.get(), MPFR_RNDN);
    }
    mpfr_mul(quotient.get(), quotient.get(), halfPi.get(), MPFR_RNDN);
    return mpfr_get_d(quotient.get(), MPFR_RNDN);
}

TEST(CorrectlyRoundedSine, PublishedHardestCases) {
    // Hardest-to-round sines: x = 8980155785351021 × 2^-54 (65 bits repeat),
    // from V. Lefèvre's thesis, "Moyens arithmétiques pour un calcul fiable"
    // (ENS Lyon, 2000); and cases of 48 to 57 repeated bits from the worst
    // cases published by V. Lefèvre and J.-M. Muller, "Worst cases for correct
    // rounding of the elementary functions in double precision" (ARITH 15,
    // 2001; V. Lefèvre's testlibm lists, 2020 update).
    const std::vector<double> hardest = {
        0x1.fe767739d0f6dp-2, 0x1.1c63df63d59dp-2,  0x1.3b727649b9393p+0, 0x1.54b3504c6b4a3p-1,
        0x1.0102947e7003bp-3, 0x1.1398b2271821p+0,  0x1.043e268ba402ap+1, 0x1.05f9d4d29a671p-1,
        0x1.065665ef772cbp-1, 0x1.19b39fb3a447ep-2, 0x1.00e730f98fd44p-9, 0x1.0e149764d2605p-8,
        0x1.2daf8e028c6c9p+0, 0x1.306705e372fb7p+1, 0x1.23f40dccdef72p+0, 0x1.4fe4ec9e946a4p-2,
    };
    Checker checker;
    for (const double x : hardest) {
        EXPECT_GE(IdenticalBitsAfterRoundingBit(x), 47.0) << Hex(x) << " is not a hard case";
        for (const double sign : {1.0, -1.0}) {
            checker.Check(sign * x);
            EXPECT_EQ(tonegen::sine_detail::AccurateSine(x), ReferenceSine(x)) << Hex(x);
        }
    }
    // Doubles very close to a multiple of π/2, where the reduction cancels the
    // most (J.-M. Muller, "Elementary Functions", ch. 11):
    // 6381956970095103 × 2^797, the closest of all (2^-60.9 away), and the
    // 53-bit integer 6134899525417045 (2^-53.2 away).
    for (const double x : {0x1.6ac5b262ca1ffp+849, 6134899525417045.0}) {
        EXPECT_LT(DistanceToMultipleOfHalfPi(x), 0x1p-53) << Hex(x);
        checker.Check(x);
        checker.Check(-x);
    }
}

TEST(CorrectlyRoundedSine, ZerosTinyHugeAndNonFiniteValues) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(CorrectlyRoundedSine(0.0)), 0U);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(CorrectlyRoundedSine(-0.0)),
              std::bit_cast<std::uint64_t>(-0.0));
    for (const double x :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_TRUE(std::isnan(CorrectlyRoundedSine(x))) << x;
    }
    // Around 2^-26, where sin(x) = x stops; the smallest and largest doubles.
    Checker checker;
    for (const double base : {0x1p-26, 0x1.fffffffffffffp-27, 0x1p-25, 0x1p-1022,
                              std::numeric_limits<double>::denorm_min(),
                              std::numeric_limits<double>::max(), 1.0, 0x1p32}) {
        double x = base;
        for (int step = 0; step < 4; ++step) {
            x = std::nextafter(x, 0.0);
        }
        for (int step = 0; step < 9; ++step) {
            checker.Check(x);
            checker.Check(-x);
            x = std::nextafter(x, std::numeric_limits<double>::infinity());
        }
    }
}

// Arguments from 2^-26 up for the two steps taken alone.
double RandomStepArgument(std::mt19937_64& random) {
    switch (random() % 3) {
        case 0:
            return std::ldexp(1.0 + static_cast<double>(random() >> 12U) * 0x1p-52,
                              static_cast<int>(random() % 1050) - 26);
        case 1:
            return static_cast<double>(random() >> 11U) * 0x1p-21;  // below 2^32
        default:
            return static_cast<double>(random() >> 11U) * 0x1p-50;  // below 8
    }
}

TEST(CorrectlyRoundedSine, QuickStepStaysWithinItsErrorBound) {
    // The rounding test trusts the bound: it must hold everywhere, including
    // where the quick step's reduction or table gets least room.
    Number in(53);
    Number error(400);
    std::mt19937_64 random(4);
    int outside = 0;
    for (int n = 0; n < 1'000'000 / kShare; ++n) {
        const double x = RandomStepArgument(random);
        const tonegen::sine_detail::SineEstimate estimate = tonegen::sine_detail::QuickSine(x);
        mpfr_set_d(in.get(), x, MPFR_RNDN);
        mpfr_sin(error.get(), in.get(), MPFR_RNDN);
        mpfr_sub_d(error.get(), error.get(), estimate.high, MPFR_RNDN);
        mpfr_sub_d(error.get(), error.get(), estimate.low, MPFR_RNDN);
        if (!(std::fabs(mpfr_get_d(error.get(), MPFR_RNDU)) <= estimate.errorBound) &&
            ++outside <= 5) {
            ADD_FAILURE() << "sin(" << Hex(x) << "): error " << mpfr_get_d(error.get(), MPFR_RNDU)
                          << " beyond " << estimate.errorBound;
        }
    }
    EXPECT_EQ(outside, 0);
}

TEST(CorrectlyRoundedSine, AccurateStepAloneMatchesMpfr) {
    std::mt19937_64 random(5);
    int wrong = 0;
    for (int n = 0; n < 200'000 / kShare; ++n) {
        const double x = RandomStepArgument(random);
        if (tonegen::sine_detail::AccurateSine(x) != ReferenceSine(x) && ++wrong <= 5) {
            ADD_FAILURE() << "sin(" << Hex(x) << ")";
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
