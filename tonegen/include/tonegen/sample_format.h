// How the samples of a file are stored, the sample rates a file may have, and
// the RIFF/WAVE size rules that follow from the format: kept here as
// constants so that the limits derived from them hold at compile time.
#pragma once

#include <cstdint>
#include <limits>

namespace tonegen {

enum class SampleFormat {
    Pcm16,  // signed 16-bit little-endian: the window's test.wav
    MuLaw,  // G.711 µ-law, one byte a sample: North American and Japanese telephony
    ALaw,   // G.711 A-law, one byte a sample: European telephony
};

// From the narrowband telephone rate to the highest rate common sound cards play.
inline constexpr std::int32_t kLowestSampleRate = 8000;
inline constexpr std::int32_t kHighestSampleRate = 192000;

// The bytes of one mono sample in the data chunk (the block align).
constexpr std::int32_t SampleBytes(SampleFormat format) {
    return format == SampleFormat::Pcm16 ? 2 : 1;
}

// Players of non-PCM data expect an 18-byte format chunk (an empty extension
// size at its end) and a "fact" chunk holding the sample count.
constexpr bool HasFactChunk(SampleFormat format) {
    return format != SampleFormat::Pcm16;
}

inline constexpr std::int32_t kFactChunkSize = 4;  // the sample count

// The body of the format chunk: 16 bytes for PCM, 2 more for the extension
// size that every other format carries.
constexpr std::int32_t FormatChunkSize(SampleFormat format) {
    return HasFactChunk(format) ? 18 : 16;
}

// The header bytes that follow the RIFF size field: "WAVE" (4), "fmt " and its
// size (8) and body, "fact", its size and body (12) when there is one, "data"
// and its size (8).
constexpr std::int32_t HeaderBytesAfterRiffSize(SampleFormat format) {
    const std::int32_t factChunk = HasFactChunk(format) ? 8 + kFactChunkSize : 0;
    return 4 + 8 + FormatChunkSize(format) + factChunk + 8;
}

// The most samples whose file the signed 32-bit RIFF size still holds: that
// size counts the header bytes after it, the data and the pad byte after data
// of odd size. 1,073,741,805 in PCM, 2,147,483,596 in G.711.
constexpr std::int32_t LongestSampleCount(SampleFormat format) {
    const std::int32_t room =
        std::numeric_limits<std::int32_t>::max() - HeaderBytesAfterRiffSize(format);
    const std::int32_t bytes = SampleBytes(format);
    std::int32_t count = room / bytes;
    if ((count * bytes) % 2 != 0 && count * bytes == room) {
        --count;  // its pad byte would not fit
    }
    return count;
}

// The longest whole-second file at a rate.
constexpr std::int32_t LongestSeconds(SampleFormat format, std::int32_t sampleRate) {
    return LongestSampleCount(format) / sampleRate;
}

}  // namespace tonegen
