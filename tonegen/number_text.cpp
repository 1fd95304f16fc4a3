#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <optional>
#include <string>
#include <system_error>

namespace tonegen {
namespace {

// Exponents are clamped far beyond anything that changes the outcome, so that
// a pasted "1e99999999999999999999" needs no big integers.
constexpr std::int64_t kExponentClamp = 1'000'000'000;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view TakeDigits(std::string_view& text) {
    std::size_t count = 0;
    while (count < text.size() && IsDigit(text[count])) {
        ++count;
    }
    const std::string_view digits = text.substr(0, count);
    text.remove_prefix(count);
    return digits;
}

// A decimal number reduced to its significant digits: value = ±0.D × 10^scale,
// with D starting and ending with a non-zero digit (D is empty for zero).
struct Decimal {
    bool negative = false;
    std::string significand;
    std::int64_t scale = 0;
};

std::optional<Decimal> ScanDecimal(std::string_view text) {
    text = TrimBlanks(text);
    Decimal number;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        number.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::string_view integerDigits = TakeDigits(text);
    std::string_view fractionDigits;
    if (!text.empty() && (text.front() == '.' || text.front() == ',')) {
        text.remove_prefix(1);
        fractionDigits = TakeDigits(text);
    }
    if (integerDigits.empty() && fractionDigits.empty()) {
        return std::nullopt;
    }
    std::int64_t exponent = 0;
    if (!text.empty() && (text.front() == 'e' || text.front() == 'E')) {
        text.remove_prefix(1);
        bool exponentNegative = false;
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            exponentNegative = text.front() == '-';
            text.remove_prefix(1);
        }
        const std::string_view exponentDigits = TakeDigits(text);
        if (exponentDigits.empty()) {
            return std::nullopt;
        }
        for (const char c : exponentDigits) {
            exponent = std::min(exponent * 10 + (c - '0'), kExponentClamp);
        }
        if (exponentNegative) {
            exponent = -exponent;
        }
    }
    if (!text.empty()) {
        return std::nullopt;
    }

    while (!integerDigits.empty() && integerDigits.front() == '0') {
        integerDigits.remove_prefix(1);
    }
    while (!fractionDigits.empty() && fractionDigits.back() == '0') {
        fractionDigits.remove_suffix(1);
    }
    std::int64_t scale = static_cast<std::int64_t>(integerDigits.size());
    if (integerDigits.empty()) {
        while (!fractionDigits.empty() && fractionDigits.front() == '0') {
            fractionDigits.remove_prefix(1);
            --scale;
        }
    }
    number.significand.reserve(integerDigits.size() + fractionDigits.size());
    number.significand.append(integerDigits).append(fractionDigits);
    while (!number.significand.empty() && number.significand.back() == '0') {
        number.significand.pop_back();
    }
    if (!number.significand.empty()) {
        // A text length plus the clamp stays far inside int64.
        number.scale = scale + exponent;
    }
    return number;
}

}  // namespace

FrequencyNumber ParseFrequencyText(std::string_view text) {
    if (text.empty()) {
        return {NumberStatus::Ok, 0.0};
    }
    const std::optional<Decimal> number = ScanDecimal(text);
    if (!number) {
        return {NumberStatus::NotANumber, 0.0};
    }
    const double zero = number->negative ? -0.0 : 0.0;
    if (number->significand.empty()) {
        return {NumberStatus::Ok, zero};
    }
    // The largest double is below 10^309 and the smallest subnormal above
    // 10^-325: past these scales the outcome is known without converting.
    if (number->scale > 310) {
        return {NumberStatus::OutOfRange, 0.0};
    }
    if (number->scale < -330) {
        return {NumberStatus::Ok, zero};
    }
    // std::from_chars is locale-independent and rounds correctly.
    const std::string normalised = std::string(number->negative ? "-" : "") + "0." +
                                   number->significand + "e" + std::to_string(number->scale);
    double value = 0.0;
    const char* const first = normalised.data();
    const char* const last = first + normalised.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range) {
        // Out of range either way: too large is an overflow, too small is zero.
        return number->scale > 0 ? FrequencyNumber{NumberStatus::OutOfRange, 0.0}
                                 : FrequencyNumber{NumberStatus::Ok, zero};
    }
    if (error != std::errc{} || end != last) {
        return {NumberStatus::NotANumber, 0.0};
    }
    return {NumberStatus::Ok, value};
}

DurationNumber ParseDurationText(std::string_view text) {
    const std::optional<Decimal> number = ScanDecimal(text);
    if (!number) {
        return {NumberStatus::NotANumber, 0};
    }
    const std::string& digits = number->significand;
    // Ten integer digits at most hold 2,147,483,648; more are out of range.
    if (number->scale > 10) {
        return {NumberStatus::OutOfRange, 0};
    }
    std::int64_t whole = 0;
    std::size_t pos = 0;
    for (std::int64_t place = 0; place < number->scale; ++place, ++pos) {
        whole = whole * 10 + (pos < digits.size() ? digits[pos] - '0' : 0);
    }
    // Rounding on the exact digits: "2147483646.5000000001" is above the half.
    if (number->scale >= 0 && pos < digits.size()) {
        const char first = digits[pos];
        const bool moreAfterFirst = digits.find_first_not_of('0', pos + 1) != std::string::npos;
        const bool roundUp = first > '5' || (first == '5' && (moreAfterFirst || (whole & 1) != 0));
        if (roundUp) {
            ++whole;
        }
    }
    const std::int64_t value = number->negative ? -whole : whole;
    if (value < INT32_MIN || value > INT32_MAX) {
        return {NumberStatus::OutOfRange, 0};
    }
    return {NumberStatus::Ok, static_cast<std::int32_t>(value)};
}

}  // namespace tonegen
