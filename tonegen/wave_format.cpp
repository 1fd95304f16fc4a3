#include "wave_format.h"

#include <array>
#include <cmath>
#include <limits>

namespace tonegen {
namespace {

constexpr std::int32_t kFormatChunkSize = 16;  // the PCM format chunk's body
constexpr std::int16_t kFormatTagPcm = 1;
constexpr std::int16_t kChannelCount = 1;
constexpr std::int16_t kBitsPerSample = 16;
constexpr std::int16_t kBlockAlign = 2;  // one mono 16-bit sample
constexpr std::int32_t kSampleRateField = 44100;
// The header bytes that follow the RIFF size field: "WAVEfmt " (8), the
// format chunk size (4), its 16-byte body, "data" (4) and the data size (4).
constexpr std::int32_t kHeaderBytesAfterRiffSize = 36;

}  // namespace

bool AppendInt16LittleEndian(ByteSink& sink, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    const std::array<std::uint8_t, 2> bytes = {static_cast<std::uint8_t>(bits & 0xFFU),
                                               static_cast<std::uint8_t>(bits >> 8U)};
    return sink.Append(bytes);
}

bool AppendInt32LittleEndian(ByteSink& sink, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    const std::array<std::uint8_t, 4> bytes = {
        static_cast<std::uint8_t>(bits & 0xFFU), static_cast<std::uint8_t>((bits >> 8U) & 0xFFU),
        static_cast<std::uint8_t>((bits >> 16U) & 0xFFU), static_cast<std::uint8_t>(bits >> 24U)};
    return sink.Append(bytes);
}

bool AppendAsciiText(ByteSink& sink, std::string_view text) {
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    return sink.Append(bytes);
}

std::optional<std::int32_t> DataChunkSize(std::int32_t sampleCount) {
    std::int32_t size = 0;
    if (__builtin_mul_overflow(sampleCount, 2, &size)) {
        return std::nullopt;
    }
    return size;
}

std::optional<std::int32_t> RiffChunkSize(std::int32_t sampleCount) {
    const std::optional<std::int32_t> dataSize = DataChunkSize(sampleCount);
    std::int32_t size = 0;
    if (!dataSize || __builtin_add_overflow(*dataSize, kHeaderBytesAfterRiffSize, &size)) {
        return std::nullopt;
    }
    return size;
}

std::int32_t BytesPerSecond() {
    // Evaluated in double as players do; the result is exactly 88,200.
    const double rate = static_cast<double>(kBitsPerSample) / 8.0 * kSampleRateField;
    return static_cast<std::int32_t>(std::lround(rate));
}

HeaderOutcome WriteWaveHeader(ByteSink& sink, std::int32_t sampleCount) {
    if (!AppendAsciiText(sink, "RIFF")) {
        return HeaderOutcome::SinkFailed;
    }
    const std::optional<std::int32_t> riffSize = RiffChunkSize(sampleCount);
    if (!riffSize) {
        return HeaderOutcome::SizeOverflow;
    }
    const bool fieldsUpToData =
        AppendInt32LittleEndian(sink, *riffSize) && AppendAsciiText(sink, "WAVEfmt ") &&
        AppendInt32LittleEndian(sink, kFormatChunkSize) &&
        AppendInt16LittleEndian(sink, kFormatTagPcm) &&
        AppendInt16LittleEndian(sink, kChannelCount) &&
        AppendInt32LittleEndian(sink, kSampleRateField) &&
        AppendInt32LittleEndian(sink, BytesPerSecond()) &&
        AppendInt16LittleEndian(sink, kBlockAlign) &&
        AppendInt16LittleEndian(sink, kBitsPerSample) && AppendAsciiText(sink, "data");
    if (!fieldsUpToData) {
        return HeaderOutcome::SinkFailed;
    }
    const std::optional<std::int32_t> dataSize = DataChunkSize(sampleCount);
    if (!dataSize) {
        return HeaderOutcome::SizeOverflow;  // unreachable once the RIFF size fitted
    }
    return AppendInt32LittleEndian(sink, *dataSize) ? HeaderOutcome::Written
                                                    : HeaderOutcome::SinkFailed;
}

}  // namespace tonegen
