#include "g711.h"

#include <algorithm>
#include <bit>

namespace tonegen {
namespace {

// The magnitude that G.191 codes: x itself, or -1 - x (all bits inverted)
// below zero, which keeps -32,768 in range.
unsigned Magnitude(std::int16_t sample) {
    const int value = sample;
    return static_cast<unsigned>(value < 0 ? ~value : value);
}

constexpr unsigned kSignBit = 0x80U;

}  // namespace

std::uint8_t EncodeMuLaw(std::int16_t sample) {
    // The 14 most significant bits plus the bias 33 put every segment's
    // start on a power of two, so the leading one gives the segment.
    constexpr unsigned kBias = 33;
    constexpr unsigned kClip = 0x1FFF;
    const unsigned biased = std::min((Magnitude(sample) >> 2U) + kBias, kClip);
    const auto segment = static_cast<unsigned>(std::bit_width(biased >> 6U));  // 0 to 7
    const unsigned interval = (biased >> (segment + 1U)) & 0x0FU;
    unsigned code = ~((segment << 4U) | interval) & 0x7FU;
    if (sample >= 0) {
        code |= kSignBit;
    }
    return static_cast<std::uint8_t>(code);
}

std::uint8_t EncodeALaw(std::int16_t sample) {
    unsigned value = Magnitude(sample) >> 4U;  // the 12 most significant bits
    if (value >= 16U) {
        // Segments 1 to 7 double in width; the leading one is implied.
        const auto segment = static_cast<unsigned>(std::bit_width(value >> 4U));  // 1 to 7
        value = (segment << 4U) | ((value >> (segment - 1U)) & 0x0FU);
    }
    if (sample >= 0) {
        value |= kSignBit;
    }
    return static_cast<std::uint8_t>(value ^ 0x55U);
}

std::int16_t DecodeMuLaw(std::uint8_t code) {
    const unsigned inverted = ~static_cast<unsigned>(code);
    const unsigned segment = (inverted >> 4U) & 0x07U;
    const unsigned interval = inverted & 0x0FU;
    // ((2 × interval + 33) << segment) × 4 - 132: the interval's middle, the
    // bias taken back off.
    const int magnitude = static_cast<int>(((2U * interval + 33U) << (segment + 2U)) - 132U);
    return static_cast<std::int16_t>((code & kSignBit) != 0U ? magnitude : -magnitude);
}

std::int16_t DecodeALaw(std::uint8_t code) {
    const unsigned value = static_cast<unsigned>(code) ^ 0x55U;
    const unsigned segment = (value >> 4U) & 0x07U;
    unsigned magnitude = ((value & 0x0FU) << 4U) + 8U;
    if (segment > 0U) {
        magnitude = (magnitude + 0x100U) << (segment - 1U);
    }
    const auto signedMagnitude = static_cast<int>(magnitude);
    return static_cast<std::int16_t>((value & kSignBit) != 0U ? signedMagnitude : -signedMagnitude);
}

}  // namespace tonegen
