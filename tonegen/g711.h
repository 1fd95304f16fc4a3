// G.711 companding, bit for bit as ITU-T G.191's software tools do it, the
// reference that telephone equipment and test suites are held to.
#pragma once

#include <cstdint>

namespace tonegen {

// A negative sample x is coded as its one's complement -1 - x, so that x and
// -1 - x get codes that differ only in the sign bit (encoders that negate
// instead give other µ-law codes for some negative samples).
std::uint8_t EncodeMuLaw(std::int16_t sample);
std::uint8_t EncodeALaw(std::int16_t sample);

// The middle of the code's interval, on the 16-bit scale.
std::int16_t DecodeMuLaw(std::uint8_t code);
std::int16_t DecodeALaw(std::uint8_t code);

}  // namespace tonegen
