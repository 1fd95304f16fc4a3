#include "number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {

using tonegen::NumberStatus;
using tonegen::ParseDurationText;
using tonegen::ParseFrequencyText;

double FrequencyOf(std::string_view text) {
    const tonegen::FrequencyNumber number = ParseFrequencyText(text);
    EXPECT_EQ(number.status, NumberStatus::Ok) << text;
    return number.value;
}

std::int32_t SecondsOf(std::string_view text) {
    const tonegen::DurationNumber number = ParseDurationText(text);
    EXPECT_EQ(number.status, NumberStatus::Ok) << text;
    return number.seconds;
}

TEST(FrequencyText, DigitStringsAreTheDecimalNumberTheySpell) {
    EXPECT_EQ(FrequencyOf("1209"), 1209.0);
    EXPECT_EQ(FrequencyOf("0000697"), 697.0);
    EXPECT_EQ(FrequencyOf("0"), 0.0);
    // Twenty digits: beyond any integer type, still the nearest double.
    EXPECT_EQ(FrequencyOf("12345678901234567890"), 12345678901234567890.0);
    const std::string longDigits = std::string(400, '0') + "440";
    EXPECT_EQ(FrequencyOf(longDigits), 440.0);
    EXPECT_EQ(FrequencyOf("1" + std::string(300, '0')), 1e300);
}

TEST(FrequencyText, EmptyIsZeroButBlanksAloneAreNotANumber) {
    EXPECT_EQ(FrequencyOf(""), 0.0);
    EXPECT_EQ(ParseFrequencyText(" ").status, NumberStatus::NotANumber);
    EXPECT_EQ(ParseFrequencyText("\t").status, NumberStatus::NotANumber);
}

TEST(FrequencyText, PastedFormsWithBlanksSignSeparatorAndExponent) {
    EXPECT_EQ(FrequencyOf("  1209\t"), 1209.0);
    EXPECT_EQ(FrequencyOf("+697"), 697.0);
    EXPECT_EQ(FrequencyOf("-697"), -697.0);
    EXPECT_EQ(FrequencyOf("697.5"), 697.5);
    EXPECT_EQ(FrequencyOf("697,5"), 697.5);
    EXPECT_EQ(FrequencyOf("697."), 697.0);
    EXPECT_EQ(FrequencyOf(",5"), 0.5);
    EXPECT_EQ(FrequencyOf("1.2e3"), 1200.0);
    EXPECT_EQ(FrequencyOf("12E-1"), 1.2);
    EXPECT_EQ(FrequencyOf("0.1"), 0.1);  // correctly rounded, like a literal
}

TEST(FrequencyText, EverythingElseIsNotANumber) {
    for (const char* text :
         {"abc",   "12a",        "inf",          "nan",  "infinity", "0x10", "1.2.3", "1,2,3",
          "1 209", "--5",        "+-5",          ".",    ",",        "e5",   "1e",    "1e+",
          "5..",   "1\u00A0209", "\u0661\u0662", "１２", "1_000",    "+",    "-"}) {
        EXPECT_EQ(ParseFrequencyText(text).status, NumberStatus::NotANumber) << text;
    }
}

TEST(FrequencyText, BeyondTheDoubleRangeIsAnOverflowTinyIsZero) {
    EXPECT_EQ(FrequencyOf("1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_EQ(ParseFrequencyText("1.7976931348623159e308").status, NumberStatus::OutOfRange);
    EXPECT_EQ(ParseFrequencyText("1e309").status, NumberStatus::OutOfRange);
    EXPECT_EQ(ParseFrequencyText("-1e309").status, NumberStatus::OutOfRange);
    EXPECT_EQ(ParseFrequencyText("1" + std::string(400, '0')).status, NumberStatus::OutOfRange);
    EXPECT_EQ(ParseFrequencyText("1e99999999999999999999999").status, NumberStatus::OutOfRange);

    EXPECT_EQ(FrequencyOf("1e-400"), 0.0);
    EXPECT_EQ(FrequencyOf("1e-99999999999999999999999"), 0.0);
    EXPECT_EQ(FrequencyOf("0e99999999999999999999999"), 0.0);
    EXPECT_EQ(FrequencyOf("4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(FrequencyOf("1e-310"), 1e-310);
}

TEST(FrequencyText, DoesNotFollowTheProcessLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    // French writes 697,5: under that locale both separators must still work.
    if (std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "no fr_FR.UTF-8 locale installed";
    }
    EXPECT_EQ(FrequencyOf("697.5"), 697.5);
    EXPECT_EQ(FrequencyOf("697,5"), 697.5);
    EXPECT_EQ(SecondsOf("2,5"), 2);
    static_cast<void>(std::setlocale(LC_NUMERIC, previous.c_str()));
}

TEST(DurationText, DigitStringsAndRangeLimits) {
    EXPECT_EQ(SecondsOf("1"), 1);
    EXPECT_EQ(SecondsOf("0"), 0);
    EXPECT_EQ(SecondsOf("00000000000000000000000001"), 1);
    EXPECT_EQ(SecondsOf("2147483647"), 2147483647);
    EXPECT_EQ(ParseDurationText("2147483648").status, NumberStatus::OutOfRange);
    EXPECT_EQ(ParseDurationText("99999999999999999999").status, NumberStatus::OutOfRange);
    EXPECT_EQ(SecondsOf("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDurationText("-2147483649").status, NumberStatus::OutOfRange);
    EXPECT_EQ(ParseDurationText("1e10").status, NumberStatus::OutOfRange);
    EXPECT_EQ(SecondsOf("2.147483647e9"), 2147483647);
}

TEST(DurationText, EmptyAndNonNumbersAreRefused) {
    for (const char* text : {"", " ", "abc", "1s", "inf", "1 0", "0x1", "1.2.3", "e1"}) {
        EXPECT_EQ(ParseDurationText(text).status, NumberStatus::NotANumber) << text;
    }
}

TEST(DurationText, FractionsRoundToNearestHalvesToEven) {
    EXPECT_EQ(SecondsOf("2.5"), 2);
    EXPECT_EQ(SecondsOf("3.5"), 4);
    EXPECT_EQ(SecondsOf("3,49999"), 3);
    EXPECT_EQ(SecondsOf("2.50000000000000000001"), 3);
    EXPECT_EQ(SecondsOf("0.5"), 0);
    EXPECT_EQ(SecondsOf("0.51"), 1);
    EXPECT_EQ(SecondsOf("0.05e1"), 0);
    EXPECT_EQ(SecondsOf("-0.4"), 0);
    EXPECT_EQ(SecondsOf("-1.5"), -2);
    EXPECT_EQ(SecondsOf("15e-1"), 2);
    EXPECT_EQ(SecondsOf("0.000001"), 0);
    EXPECT_EQ(SecondsOf("1e-99999999999999999999"), 0);
}

TEST(DurationText, ExactDecimalNotADoubleDecidesTheRounding) {
    // As a double this is 2147483646.5 exactly and would round to even, down.
    EXPECT_EQ(SecondsOf("2147483646.5000000001"), 2147483647);
    EXPECT_EQ(SecondsOf("2147483646.5"), 2147483646);
    EXPECT_EQ(ParseDurationText("2147483647.5").status, NumberStatus::OutOfRange);
    EXPECT_EQ(SecondsOf("2147483647.4999999999999"), 2147483647);
    EXPECT_EQ(SecondsOf("-2147483648.5"), INT32_MIN);  // the even neighbour is in range
    EXPECT_EQ(ParseDurationText("-2147483648.5000001").status, NumberStatus::OutOfRange);
}

}  // namespace
