// How the samples of a file are stored, and the sample rates a file may have.
#pragma once

#include <cstdint>

namespace tonegen {

enum class SampleFormat {
    Pcm16,  // signed 16-bit little-endian: the window's test.wav
    MuLaw,  // G.711 µ-law, one byte a sample: North American and Japanese telephony
    ALaw,   // G.711 A-law, one byte a sample: European telephony
};

// From the narrowband telephone rate to the highest rate common sound cards play.
inline constexpr std::int32_t kLowestSampleRate = 8000;
inline constexpr std::int32_t kHighestSampleRate = 192000;

}  // namespace tonegen
