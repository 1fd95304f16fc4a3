// Where the sound of a RIFF/WAVE file lies and how its samples are stored,
// read from the file's chunks, so that a player can stream the sample bytes
// from disk as they are, however long the file.
#pragma once

#include <cstdint>
#include <optional>

enum class SampleEncoding { Unsigned8, Signed16, Signed24, Signed32, Float32, ALaw, MuLaw };

struct WaveLayout {
    SampleEncoding encoding = SampleEncoding::Signed16;
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 0;
    std::uint32_t frameBytes = 2;  // one sample of every channel
    std::uint64_t dataOffset = 0;
    // Whole frames only, and no more than the file really holds: a file cut
    // short by a full disk plays what it has.
    std::uint64_t dataBytes = 0;
};

// The layout of the regular file open as `fd`, or nothing when it is no wave
// file of uncompressed or G.711 samples. Reads the chunk headers only.
std::optional<WaveLayout> readWaveLayout(int fd);
