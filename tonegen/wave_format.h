// The RIFF/WAVE layout of test.wav: a 44-byte header (mono, 16-bit PCM,
// 44,100 samples/s) followed by the samples, all numbers little-endian.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "byte_sink.h"

namespace tonegen {

inline constexpr std::int32_t kWaveHeaderSize = 44;

// Little-endian writers, one per field width.
[[nodiscard]] bool AppendInt16LittleEndian(ByteSink& sink, std::int16_t value);
[[nodiscard]] bool AppendInt32LittleEndian(ByteSink& sink, std::int32_t value);
// The ASCII bytes of a text field, without length or terminator.
[[nodiscard]] bool AppendAsciiText(ByteSink& sink, std::string_view text);

// 2 × N: two bytes per mono 16-bit sample. Empty when it leaves int32.
std::optional<std::int32_t> DataChunkSize(std::int32_t sampleCount);
// 2 × N + 36: the file length minus the 8 bytes of "RIFF" and this field
// itself, that is the 36 header bytes after it plus the data. Empty when a
// step leaves int32.
std::optional<std::int32_t> RiffChunkSize(std::int32_t sampleCount);
// The byte rate as players compute it: bits per sample / 8 × sample rate.
std::int32_t BytesPerSecond();

enum class HeaderOutcome {
    Written,       // all 44 bytes went to the sink
    SizeOverflow,  // 2 × N + 36 does not fit: only "RIFF" went to the sink
    SinkFailed,    // the sink refused bytes; it knows why
};

// Writes the twelve header fields in file order. Each size is computed only
// after the identifier in front of it has been written, so an oversized N
// leaves exactly "RIFF" behind.
[[nodiscard]] HeaderOutcome WriteWaveHeader(ByteSink& sink, std::int32_t sampleCount);

}  // namespace tonegen
