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

}  // namespace
