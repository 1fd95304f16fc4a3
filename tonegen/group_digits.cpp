#include "group_digits.h"

#include <string_view>

namespace tonegen {
namespace {

// French groups thousands with a no-break space, which keeps a number on one line.
constexpr std::string_view kNoBreakSpace = "\u00A0";

}  // namespace

std::string GroupDigits(std::int64_t value) {
    const bool negative = value < 0;
    // Through unsigned so that the most negative value has a magnitude too.
    std::uint64_t magnitude =
        negative ? 0U - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits;
    int inGroup = 0;
    do {
        if (inGroup == 3) {
            digits.insert(0, kNoBreakSpace);
            inGroup = 0;
        }
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10U));
        magnitude /= 10U;
        ++inGroup;
    } while (magnitude != 0U);
    return negative ? "-" + digits : digits;
}

}  // namespace tonegen
