// Turning the texts of the input boxes into numbers, independently of the
// process locale.
//
// Accepted forms (anything else is not a number):
//   - a plain ASCII digit string, any length, leading zeros allowed: the
//     decimal number it spells ("1209", "0007");
//   - blanks (spaces, tabs) before and after the number;
//   - one leading sign, "+" or "-";
//   - one decimal separator, "." or ",", with digits on at least one side
//     ("12.5", "12,5", "12.", ",5");
//   - an exponent after the digits: "e" or "E", an optional sign, and at least
//     one digit ("1.2e3", "5E-1").
// Refused: blanks inside the number, two separators or signs, letters
// ("inf", "nan", hexadecimal), thousands separators, non-ASCII digits, and a
// text of blanks only.
#pragma once

#include <cstdint>
#include <string_view>

namespace tonegen {

enum class NumberStatus {
    Ok,
    NotANumber,  // the text is none of the accepted forms
    OutOfRange,  // a number, but too large for the target type
};

struct FrequencyNumber {
    NumberStatus status = NumberStatus::NotANumber;
    double value = 0.0;
};

// An empty text is 0 Hz. The number is rounded to the nearest double; beyond
// the largest double it is out of range, and a number too small for the
// double range becomes a subnormal or zero.
FrequencyNumber ParseFrequencyText(std::string_view text);

struct DurationNumber {
    NumberStatus status = NumberStatus::NotANumber;
    std::int32_t seconds = 0;
};

// An empty text is not a number. The exact decimal value is rounded to the
// nearest integer, halves to the even neighbour; outside the signed 32-bit
// range it is out of range.
DurationNumber ParseDurationText(std::string_view text);

}  // namespace tonegen
