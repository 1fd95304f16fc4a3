#include "wave_format.h"

#include <algorithm>
#include <array>

#include "g711.h"

namespace tonegen {
namespace {

// What the format chunk says about one format besides its block align.
struct FormatFields {
    std::int16_t formatTag;
    std::int16_t bitsPerSample;
};

constexpr FormatFields kPcm16 = {1, 16};
constexpr FormatFields kMuLaw = {7, 8};
constexpr FormatFields kALaw = {6, 8};

constexpr FormatFields FieldsOf(SampleFormat format) {
    switch (format) {
        case SampleFormat::MuLaw:
            return kMuLaw;
        case SampleFormat::ALaw:
            return kALaw;
        case SampleFormat::Pcm16:
            break;
    }
    return kPcm16;
}

constexpr std::int16_t kChannelCount = 1;
constexpr std::int16_t kExtensionSize = 0;  // cbSize: nothing follows in the chunk

constexpr std::int16_t BlockAlign(SampleFormat format) {
    return static_cast<std::int16_t>(SampleBytes(format));
}

static_assert(HeaderBytesAfterRiffSize(SampleFormat::Pcm16) + 8 == kWaveHeaderSize);

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

std::optional<std::int32_t> DataChunkSize(std::int32_t sampleCount, SampleFormat format) {
    std::int32_t size = 0;
    if (__builtin_mul_overflow(sampleCount, BlockAlign(format), &size)) {
        return std::nullopt;
    }
    return size;
}

std::int32_t DataPaddingSize(std::int32_t dataChunkSize) {
    return dataChunkSize % 2 == 0 ? 0 : 1;
}

std::optional<std::int32_t> RiffChunkSize(std::int32_t sampleCount, SampleFormat format) {
    const std::optional<std::int32_t> dataSize = DataChunkSize(sampleCount, format);
    std::int32_t size = 0;
    if (!dataSize || __builtin_add_overflow(*dataSize, DataPaddingSize(*dataSize), &size) ||
        __builtin_add_overflow(size, HeaderBytesAfterRiffSize(format), &size)) {
        return std::nullopt;
    }
    return size;
}

std::optional<std::int32_t> BytesPerSecond(SampleFormat format, std::int32_t sampleRate) {
    std::int32_t rate = 0;
    if (__builtin_mul_overflow(sampleRate, BlockAlign(format), &rate)) {
        return std::nullopt;
    }
    return rate;
}

std::int32_t WaveHeaderSize(SampleFormat format) {
    return 8 + HeaderBytesAfterRiffSize(format);
}

HeaderOutcome WriteWaveHeader(ByteSink& sink, std::int32_t sampleCount, SampleFormat format,
                              std::int32_t sampleRate) {
    if (!AppendAsciiText(sink, "RIFF")) {
        return HeaderOutcome::SinkFailed;
    }
    const std::optional<std::int32_t> riffSize = RiffChunkSize(sampleCount, format);
    const std::optional<std::int32_t> dataSize = DataChunkSize(sampleCount, format);
    const std::optional<std::int32_t> bytesPerSecond = BytesPerSecond(format, sampleRate);
    if (!riffSize || !dataSize || !bytesPerSecond) {
        return HeaderOutcome::SizeOverflow;
    }
    const FormatFields fields = FieldsOf(format);
    bool written = AppendInt32LittleEndian(sink, *riffSize) && AppendAsciiText(sink, "WAVEfmt ") &&
                   AppendInt32LittleEndian(sink, FormatChunkSize(format)) &&
                   AppendInt16LittleEndian(sink, fields.formatTag) &&
                   AppendInt16LittleEndian(sink, kChannelCount) &&
                   AppendInt32LittleEndian(sink, sampleRate) &&
                   AppendInt32LittleEndian(sink, *bytesPerSecond) &&
                   AppendInt16LittleEndian(sink, BlockAlign(format)) &&
                   AppendInt16LittleEndian(sink, fields.bitsPerSample);
    if (HasFactChunk(format)) {
        written = written && AppendInt16LittleEndian(sink, kExtensionSize) &&
                  AppendAsciiText(sink, "fact") && AppendInt32LittleEndian(sink, kFactChunkSize) &&
                  AppendInt32LittleEndian(sink, sampleCount);
    }
    written = written && AppendAsciiText(sink, "data") && AppendInt32LittleEndian(sink, *dataSize);
    return written ? HeaderOutcome::Written : HeaderOutcome::SinkFailed;
}

bool WriteWaveEnd(ByteSink& sink, std::int32_t sampleCount, SampleFormat format) {
    const std::optional<std::int32_t> dataSize = DataChunkSize(sampleCount, format);
    if (!dataSize || DataPaddingSize(*dataSize) == 0) {
        return true;
    }
    constexpr std::array<std::uint8_t, 1> kPadByte = {0};
    return sink.Append(kPadByte);
}

std::size_t BytesPerSample(SampleFormat format) {
    return static_cast<std::size_t>(BlockAlign(format));
}

std::span<const std::uint8_t> EncodeSamples(SampleFormat format,
                                            std::span<const std::int16_t> samples,
                                            std::span<std::uint8_t> bytes) {
    switch (format) {
        case SampleFormat::MuLaw:
            std::ranges::transform(samples, bytes.begin(), EncodeMuLaw);
            return bytes.first(samples.size());
        case SampleFormat::ALaw:
            std::ranges::transform(samples, bytes.begin(), EncodeALaw);
            return bytes.first(samples.size());
        case SampleFormat::Pcm16:
            break;
    }
    std::size_t at = 0;
    for (const std::int16_t sample : samples) {
        const auto bits = static_cast<std::uint16_t>(sample);
        bytes[at++] = static_cast<std::uint8_t>(bits & 0xFFU);
        bytes[at++] = static_cast<std::uint8_t>(bits >> 8U);
    }
    return bytes.first(at);
}

}  // namespace tonegen
