// The sixteen telephone keys and their standard frequency pairs (ITU-T Q.23):
// one row frequency below 1 kHz and one column frequency above it. The About
// window's table and quenbrix-tone's --dtmf both read this one table.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace tonegen {

inline constexpr std::array<int, 4> kDtmfRowFrequencies{697, 770, 852, 941};
inline constexpr std::array<int, 4> kDtmfColumnFrequencies{1209, 1336, 1477, 1633};

struct DtmfKey {
    char key;       // '0'..'9', '*', '#', 'A'..'D'
    int lowHertz;   // the row frequency
    int highHertz;  // the column frequency
};

// Row by row, as the keys lie on a telephone with the extra column A-D.
inline constexpr std::array<DtmfKey, 16> kDtmfKeys{{
    {'1', 697, 1209},
    {'2', 697, 1336},
    {'3', 697, 1477},
    {'A', 697, 1633},
    {'4', 770, 1209},
    {'5', 770, 1336},
    {'6', 770, 1477},
    {'B', 770, 1633},
    {'7', 852, 1209},
    {'8', 852, 1336},
    {'9', 852, 1477},
    {'C', 852, 1633},
    {'*', 941, 1209},
    {'0', 941, 1336},
    {'#', 941, 1477},
    {'D', 941, 1633},
}};

// Where a key lies in the 4 x 4 table (row of its low, column of its high frequency).
constexpr std::size_t DtmfRow(const DtmfKey& key) {
    std::size_t row = 0;
    while (row < kDtmfRowFrequencies.size() && kDtmfRowFrequencies[row] != key.lowHertz) {
        ++row;
    }
    return row;
}
constexpr std::size_t DtmfColumn(const DtmfKey& key) {
    std::size_t column = 0;
    while (column < kDtmfColumnFrequencies.size() &&
           kDtmfColumnFrequencies[column] != key.highHertz) {
        ++column;
    }
    return column;
}

// The key for a typed character, letters a-d in either case; ASCII only, so
// that no locale decides what a key is.
constexpr std::optional<DtmfKey> FindDtmfKey(char typed) {
    const char key = (typed >= 'a' && typed <= 'd') ? static_cast<char>(typed - 'a' + 'A') : typed;
    for (const DtmfKey& candidate : kDtmfKeys) {
        if (candidate.key == key) {
            return candidate;
        }
    }
    return std::nullopt;
}

// Every pair is one row and one column frequency, and the table is laid out row by row.
static_assert([] {
    for (std::size_t i = 0; i < kDtmfKeys.size(); ++i) {
        if (DtmfRow(kDtmfKeys[i]) != i / 4 || DtmfColumn(kDtmfKeys[i]) != i % 4) {
            return false;
        }
    }
    return true;
}());

}  // namespace tonegen
