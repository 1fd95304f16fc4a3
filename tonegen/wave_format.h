// The RIFF/WAVE layout of the files: mono, in one of three sample formats,
// all numbers little-endian.
//
// 16-bit PCM (test.wav): a 44-byte header, "RIFF", size, "WAVEfmt ", the
// 16-byte PCM format chunk, "data", size, then the samples.
// G.711 µ-law and A-law: a 58-byte header, as players of non-PCM data expect
// it: the format chunk has 18 bytes (an empty extension size at its end) and
// a "fact" chunk holds the sample count before "data"; one byte a sample,
// then a pad byte when the count is odd, as RIFF wants every chunk to end on
// an even offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "byte_sink.h"
#include "sample_formula.h"
#include "tonegen/sample_format.h"

namespace tonegen {

inline constexpr std::int32_t kWaveHeaderSize = 44;  // 16-bit PCM

// Little-endian writers, one per field width.
[[nodiscard]] bool AppendInt16LittleEndian(ByteSink& sink, std::int16_t value);
[[nodiscard]] bool AppendInt32LittleEndian(ByteSink& sink, std::int32_t value);
// The ASCII bytes of a text field, without length or terminator.
[[nodiscard]] bool AppendAsciiText(ByteSink& sink, std::string_view text);

// The sizes of a file of sampleCount samples. Each is empty when it, or a size
// it is made of, leaves int32.
//
// Bytes per sample × N.
std::optional<std::int32_t> DataChunkSize(std::int32_t sampleCount,
                                          SampleFormat format = SampleFormat::Pcm16);
// 1 after a data chunk of odd size, else 0; the data size does not count it.
std::int32_t DataPaddingSize(std::int32_t dataChunkSize);
// The file length minus the 8 bytes of "RIFF" and this field itself: the
// header bytes after it (36 in PCM, 50 in G.711), the data and its padding.
std::optional<std::int32_t> RiffChunkSize(std::int32_t sampleCount,
                                          SampleFormat format = SampleFormat::Pcm16);
// Block align × sample rate.
std::optional<std::int32_t> BytesPerSecond(SampleFormat format = SampleFormat::Pcm16,
                                           std::int32_t sampleRate = kSamplesPerSecond);
// 44 or 58.
std::int32_t WaveHeaderSize(SampleFormat format);

enum class HeaderOutcome {
    Written,       // the whole header went to the sink
    SizeOverflow,  // a size field cannot hold its value: only "RIFF" went to the sink
    SinkFailed,    // the sink refused bytes; it knows why
};

// Writes the header fields in file order. The sizes are computed once "RIFF"
// has been written and before any of them is, so an oversized N leaves exactly
// "RIFF" behind. The samples follow (EncodeSamples), then WriteWaveEnd.
[[nodiscard]] HeaderOutcome WriteWaveHeader(ByteSink& sink, std::int32_t sampleCount,
                                            SampleFormat format = SampleFormat::Pcm16,
                                            std::int32_t sampleRate = kSamplesPerSecond);

// The pad byte after a data chunk of odd size; nothing otherwise.
[[nodiscard]] bool WriteWaveEnd(ByteSink& sink, std::int32_t sampleCount, SampleFormat format);

inline constexpr std::size_t kLargestSampleSize = 2;  // bytes, in any format
std::size_t BytesPerSample(SampleFormat format);

// The file's bytes for samples, stored into the front of bytes, which holds at
// least samples.size() × BytesPerSample(format); returns that front part.
std::span<const std::uint8_t> EncodeSamples(SampleFormat format,
                                            std::span<const std::int16_t> samples,
                                            std::span<std::uint8_t> bytes);

}  // namespace tonegen
