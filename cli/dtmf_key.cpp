#include "dtmf_key.h"

#include <array>

namespace quenbrix_cli {

namespace {

// Frequencies stay texts: the core converts them exactly as it converts the
// window's boxes, whose initial "1209" and "697" are the pair of key 1.
constexpr std::array<DtmfKey, 16> kKeys{{
    {'1', "1209", "697", "dtmf-1.wav"},
    {'2', "1336", "697", "dtmf-2.wav"},
    {'3', "1477", "697", "dtmf-3.wav"},
    {'A', "1633", "697", "dtmf-A.wav"},
    {'4', "1209", "770", "dtmf-4.wav"},
    {'5', "1336", "770", "dtmf-5.wav"},
    {'6', "1477", "770", "dtmf-6.wav"},
    {'B', "1633", "770", "dtmf-B.wav"},
    {'7', "1209", "852", "dtmf-7.wav"},
    {'8', "1336", "852", "dtmf-8.wav"},
    {'9', "1477", "852", "dtmf-9.wav"},
    {'C', "1633", "852", "dtmf-C.wav"},
    {'*', "1209", "941", "dtmf-star.wav"},
    {'0', "1336", "941", "dtmf-0.wav"},
    {'#', "1477", "941", "dtmf-hash.wav"},
    {'D', "1633", "941", "dtmf-D.wav"},
}};

}  // namespace

std::optional<DtmfKey> DtmfKeypad::Find(char typed) {
    // Only ASCII a-d fold; the locale must not decide what a key is.
    const char key = (typed >= 'a' && typed <= 'd') ? static_cast<char>(typed - 'a' + 'A') : typed;
    for (const DtmfKey& candidate : kKeys) {
        if (candidate.key == key) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace quenbrix_cli
