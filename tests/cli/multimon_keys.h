// What multimon-ng's DTMF decoder heard, read from its output.
#pragma once

#include <cstddef>
#include <string>

namespace quenbrix_test {

// The keys in order, one "DTMF: k" line each.
inline std::string MultimonKeys(const std::string& output) {
    std::string keys;
    for (std::size_t at = output.find("DTMF: "); at != std::string::npos;
         at = output.find("DTMF: ", at + 1)) {
        keys += output.at(at + 6);
    }
    return keys;
}

}  // namespace quenbrix_test
