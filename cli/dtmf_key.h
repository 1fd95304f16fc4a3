// The sixteen telephone keys and their standard frequency pairs.
#pragma once

#include <optional>
#include <string_view>

namespace quenbrix_cli {

struct DtmfKey {
    char key;                   // '0'..'9', '*', '#', 'A'..'D'
    std::string_view column;    // the high frequency, typed as frequency 1
    std::string_view row;       // the low frequency, typed as frequency 2
    std::string_view fileName;  // dtmf-1.wav, dtmf-star.wav, dtmf-hash.wav, dtmf-A.wav ...
};

class DtmfKeypad {
  public:
    // The key for a typed character; letters in either case. Empty for any other character.
    static std::optional<DtmfKey> Find(char typed);
};

}  // namespace quenbrix_cli
