#include "wave_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tone_test_support.h"

namespace {

using quenbrix_test::ReadInt32LittleEndian;
using tonegen::HeaderOutcome;

// Keeps everything in memory; refuses bytes once a byte budget is used up.
class MemorySink final : public tonegen::ByteSink {
  public:
    explicit MemorySink(std::size_t budget = SIZE_MAX) : budget_(budget) {}
    bool Append(std::span<const std::uint8_t> data) override {
        if (bytes.size() + data.size() > budget_) {
            return false;
        }
        bytes.insert(bytes.end(), data.begin(), data.end());
        return true;
    }
    std::vector<std::uint8_t> bytes;

  private:
    std::size_t budget_;
};

TEST(WaveHeader, OneSecondHasTheRiffHeaderPlayersExpect) {
    MemorySink sink;
    ASSERT_EQ(tonegen::WriteWaveHeader(sink, 44100), HeaderOutcome::Written);
    const std::vector<std::uint8_t> expected = {
        0x52, 0x49, 0x46, 0x46, 0xAC, 0x58, 0x01, 0x00, 0x57, 0x41, 0x56, 0x45, 0x66, 0x6D, 0x74,
        0x20, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x88, 0x58,
        0x01, 0x00, 0x02, 0x00, 0x10, 0x00, 0x64, 0x61, 0x74, 0x61, 0x88, 0x58, 0x01, 0x00};
    EXPECT_EQ(sink.bytes, expected);
    EXPECT_EQ(ReadInt32LittleEndian(sink.bytes, 4), 88236);
    EXPECT_EQ(ReadInt32LittleEndian(sink.bytes, 40), 88200);
}

TEST(WaveHeader, NoSamplesGivesSizes36And0) {
    MemorySink sink;
    ASSERT_EQ(tonegen::WriteWaveHeader(sink, 0), HeaderOutcome::Written);
    ASSERT_EQ(sink.bytes.size(), 44U);
    EXPECT_EQ(ReadInt32LittleEndian(sink.bytes, 4), 36);
    EXPECT_EQ(ReadInt32LittleEndian(sink.bytes, 40), 0);
    EXPECT_EQ(std::string(sink.bytes.begin() + 36, sink.bytes.begin() + 40), "data");
}

TEST(WaveHeader, LongestFileFitsAndOneSecondMoreLeavesOnlyRiff) {
    MemorySink longest;
    ASSERT_EQ(tonegen::WriteWaveHeader(longest, 1'073'702'700), HeaderOutcome::Written);
    EXPECT_EQ(ReadInt32LittleEndian(longest.bytes, 4), 2'147'405'436);
    EXPECT_EQ(ReadInt32LittleEndian(longest.bytes, 40), 2'147'405'400);

    MemorySink tooLong;
    EXPECT_EQ(tonegen::WriteWaveHeader(tooLong, 1'073'746'800), HeaderOutcome::SizeOverflow);
    EXPECT_EQ(std::string(tooLong.bytes.begin(), tooLong.bytes.end()), "RIFF");
}

TEST(WaveHeader, SizeLimitIsExactlyWhere2NPlus36LeavesInt32) {
    EXPECT_EQ(tonegen::RiffChunkSize(1'073'741'805), 2'147'483'646);
    EXPECT_EQ(tonegen::RiffChunkSize(1'073'741'806), std::nullopt);  // 2N fits, +36 does not
    EXPECT_EQ(tonegen::DataChunkSize(1'073'741'823), 2'147'483'646);
    EXPECT_EQ(tonegen::DataChunkSize(1'073'741'824), std::nullopt);
    EXPECT_EQ(tonegen::BytesPerSecond(), 88200);
}

TEST(WaveHeader, RefusingSinkStopsTheHeaderWhereItRefused) {
    MemorySink sink(10);
    EXPECT_EQ(tonegen::WriteWaveHeader(sink, 44100), HeaderOutcome::SinkFailed);
    EXPECT_EQ(sink.bytes.size(), 8U);  // "RIFF" and the size; "WAVEfmt " did not fit

    MemorySink none(0);
    EXPECT_EQ(tonegen::WriteWaveHeader(none, 44100), HeaderOutcome::SinkFailed);
    EXPECT_TRUE(none.bytes.empty());
}

TEST(LittleEndianWriters, LowByteComesFirstAndSignIsTwosComplement) {
    MemorySink sink;
    ASSERT_TRUE(tonegen::AppendInt16LittleEndian(sink, -2));
    ASSERT_TRUE(tonegen::AppendInt16LittleEndian(sink, 0x1234));
    ASSERT_TRUE(tonegen::AppendInt32LittleEndian(sink, -2'147'483'647 - 1));
    ASSERT_TRUE(tonegen::AppendInt32LittleEndian(sink, 0x01020304));
    const std::vector<std::uint8_t> expected = {0xFE, 0xFF, 0x34, 0x12, 0x00, 0x00,
                                                0x00, 0x80, 0x04, 0x03, 0x02, 0x01};
    EXPECT_EQ(sink.bytes, expected);
}

using tonegen::SampleFormat;

// The whole file: header, samples, pad byte.
std::vector<std::uint8_t> WaveFile(SampleFormat format, std::int32_t rate,
                                   const std::vector<std::int16_t>& samples) {
    MemorySink sink;
    const auto count = static_cast<std::int32_t>(samples.size());
    EXPECT_EQ(tonegen::WriteWaveHeader(sink, count, format, rate), HeaderOutcome::Written);
    std::vector<std::uint8_t> bytes(samples.size() * tonegen::kLargestSampleSize);
    EXPECT_TRUE(sink.Append(tonegen::EncodeSamples(format, samples, bytes)));
    EXPECT_TRUE(tonegen::WriteWaveEnd(sink, count, format));
    return sink.bytes;
}

TEST(WaveHeader, G711HasAnExtendedFormatChunkAFactChunkAndAPadByte) {
    // Silence, -1 (just below it) and silence again: µ-law codes
    // 0xFF, 0x7F, 0xFF; an odd data size, so a pad byte the RIFF size counts.
    const std::vector<std::uint8_t> expected = {
        'R', 'I', 'F', 'F', 54,  0,   0,   0,   'W',  'A',  'V',  'E',  'f',  'm',  't', ' ',
        18,  0,   0,   0,   7,   0,   1,   0,   0x40, 0x1F, 0,    0,    0x40, 0x1F, 0,   0,
        1,   0,   8,   0,   0,   0,   'f', 'a', 'c',  't',  4,    0,    0,    0,    3,   0,
        0,   0,   'd', 'a', 't', 'a', 3,   0,   0,    0,    0xFF, 0x7F, 0xFF, 0};
    EXPECT_EQ(WaveFile(SampleFormat::MuLaw, 8000, {0, -1, 0}), expected);
    EXPECT_EQ(tonegen::WaveHeaderSize(SampleFormat::MuLaw), 58);

    // A-law at 44,100 Hz: tag 6; two samples need no pad byte.
    const std::vector<std::uint8_t> alaw = WaveFile(SampleFormat::ALaw, 44100, {0, -1});
    ASSERT_EQ(alaw.size(), 60U);
    EXPECT_EQ(ReadInt32LittleEndian(alaw, 4), 52);
    EXPECT_EQ(quenbrix_test::ReadInt16LittleEndian(alaw, 20), 6);
    EXPECT_EQ(ReadInt32LittleEndian(alaw, 24), 44100);
    EXPECT_EQ(ReadInt32LittleEndian(alaw, 28), 44100);
    EXPECT_EQ(ReadInt32LittleEndian(alaw, 46), 2);  // fact
    EXPECT_EQ(ReadInt32LittleEndian(alaw, 54), 2);  // data
    EXPECT_EQ(alaw[58], 0xD5);
    EXPECT_EQ(alaw[59], 0x55);

    // 16-bit PCM at another rate: 2 bytes a sample, no pad byte.
    const std::vector<std::uint8_t> pcm = WaveFile(SampleFormat::Pcm16, 192000, {-2, 0x1234, 7});
    ASSERT_EQ(pcm.size(), 50U);
    EXPECT_EQ(ReadInt32LittleEndian(pcm, 4), 42);
    EXPECT_EQ(ReadInt32LittleEndian(pcm, 24), 192000);
    EXPECT_EQ(ReadInt32LittleEndian(pcm, 28), 384000);
    EXPECT_EQ(ReadInt32LittleEndian(pcm, 40), 6);
    EXPECT_EQ(std::vector<std::uint8_t>(pcm.begin() + 44, pcm.end()),
              (std::vector<std::uint8_t>{0xFE, 0xFF, 0x34, 0x12, 7, 0}));
}

TEST(WaveHeader, G711HoldsAboutTwiceAsManySamplesAsPcm) {
    EXPECT_EQ(tonegen::LongestSampleCount(SampleFormat::Pcm16), 1'073'741'805);
    for (const SampleFormat format : {SampleFormat::MuLaw, SampleFormat::ALaw}) {
        // 50 header bytes after the size field, N data bytes, 1 pad byte when N is odd.
        EXPECT_EQ(tonegen::LongestSampleCount(format), 2'147'483'596);
        EXPECT_EQ(tonegen::RiffChunkSize(2'147'483'595, format), 2'147'483'646);
        EXPECT_EQ(tonegen::RiffChunkSize(2'147'483'596, format), 2'147'483'646);
        EXPECT_EQ(tonegen::RiffChunkSize(2'147'483'597, format), std::nullopt);
        EXPECT_EQ(tonegen::DataChunkSize(INT32_MAX, format), INT32_MAX);

        MemorySink longest;
        ASSERT_EQ(tonegen::WriteWaveHeader(longest, 2'147'483'596, format, 8000),
                  HeaderOutcome::Written);
        EXPECT_EQ(ReadInt32LittleEndian(longest.bytes, 46), 2'147'483'596);
        MemorySink tooLong;
        EXPECT_EQ(tonegen::WriteWaveHeader(tooLong, 2'147'483'597, format, 8000),
                  HeaderOutcome::SizeOverflow);
        EXPECT_EQ(std::string(tooLong.bytes.begin(), tooLong.bytes.end()), "RIFF");
    }
}

TEST(WaveHeader, APadByteRefusedIsReported) {
    MemorySink full(0);
    EXPECT_FALSE(tonegen::WriteWaveEnd(full, 3, SampleFormat::ALaw));
    EXPECT_TRUE(tonegen::WriteWaveEnd(full, 4, SampleFormat::ALaw));
    EXPECT_TRUE(tonegen::WriteWaveEnd(full, 3, SampleFormat::Pcm16));
}

}  // namespace
