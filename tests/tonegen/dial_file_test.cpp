// A dialled number written by the run every file goes through: into an open
// output with its progress, each key the sample formula from its own phase 0,
// and refused before any file is touched when the format cannot hold it.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <string>
#include <vector>

#include "tone_test_support.h"
#include "tonegen/tone_file.h"

namespace {

using quenbrix_test::ExpectedSample;
using quenbrix_test::ReadFileBytes;
using quenbrix_test::ReadInt32LittleEndian;
using quenbrix_test::SampleAt;
using quenbrix_test::ScratchDirectory;

TEST(WriteDialFile, KeysFollowTheFormulaFromPhaseZeroWithProgressPerBlock) {
    ScratchDirectory dir;
#if defined(_WIN32)
    HANDLE output = CreateFileW((dir / "numero.wav").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
#else
    const int output = ::open((dir / "numero.wav").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(output, 0);
#endif
    std::vector<std::int32_t> done;
    int firstSamples = 0;
    const tonegen::ToneProgress progress{[&firstSamples] { ++firstSamples; },
                                         [&done](std::int32_t samples, std::int32_t total) {
                                             EXPECT_EQ(total, 17640);
                                             done.push_back(samples);
                                         }};
    tonegen::DialRequest request;
    request.dialText = "1#";
    EXPECT_EQ(tonegen::WriteDialFile(output, "numero.wav", request, progress), std::nullopt);
#if defined(_WIN32)
    CloseHandle(output);
#else
    ::close(output);
#endif
    // Two keys of 100 ms and 100 ms of gap at 44,100 Hz: 17,640 samples, 34
    // full blocks and one of 232.
    ASSERT_EQ(done.size(), 35U);
    EXPECT_EQ(done.front(), 512);
    EXPECT_EQ(done.back(), 17640);
    EXPECT_EQ(firstSamples, 1);
    const std::vector<std::uint8_t> bytes = ReadFileBytes(dir / "numero.wav");
    ASSERT_EQ(bytes.size(), 44 + 2 * 17640U);
    EXPECT_EQ(ReadInt32LittleEndian(bytes, 40), 2 * 17640);
    for (std::int32_t i = 0; i != 4410; ++i) {
        ASSERT_EQ(SampleAt(bytes, static_cast<std::size_t>(i)), ExpectedSample(1209, 697, 20000, i))
            << i;
        ASSERT_EQ(SampleAt(bytes, static_cast<std::size_t>(8820 + i)),
                  ExpectedSample(1477, 941, 20000, i))
            << i;
        ASSERT_EQ(SampleAt(bytes, static_cast<std::size_t>(4410 + i)), 0) << i;
        ASSERT_EQ(SampleAt(bytes, static_cast<std::size_t>(13230 + i)), 0) << i;
    }
}

// The size fields hold (2^31 - 1 - 36) / 2 = 1,073,741,805 PCM samples and
// 2^31 - 1 - 50 - 1 = 2,147,483,596 G.711 ones (an even count, the pad byte
// of an odd one would not fit): 5,592 s and 11,184 s at 192,000 Hz.
TEST(CheckDialRequest, RefusesWhatTheFormatCannotHoldAndBadValuesBeforeAnyFile) {
    static_assert(tonegen::kLongestSeconds == 24347);
    static_assert(tonegen::LongestSeconds(tonegen::SampleFormat::MuLaw, 8000) == 268435);
    tonegen::DialRequest request;
    request.sampleRate = 192000;
    request.timings.pauseMilliseconds = 60000;
    request.dialText = std::string(94, ',');  // 5,640 s
    const std::optional<tonegen::Failure> pcm = tonegen::CheckDialRequest(request);
    ASSERT_TRUE(pcm.has_value());
    EXPECT_EQ(pcm->kind, tonegen::FailureKind::Overflow);
    EXPECT_NE(pcm->description.find("trop long"), std::string::npos) << pcm->description;
    EXPECT_NE(pcm->description.find("592 secondes"), std::string::npos) << pcm->description;
    request.format = tonegen::SampleFormat::MuLaw;
    EXPECT_EQ(tonegen::CheckDialRequest(request), std::nullopt);
    request.dialText = std::string(187, ',');  // 11,220 s
    EXPECT_TRUE(tonegen::CheckDialRequest(request).has_value());

    tonegen::DialRequest bad;
    bad.dialText = "12#x";
    EXPECT_NE(tonegen::CheckDialRequest(bad)->description.find("position 4"), std::string::npos);
    bad.dialText = "1";
    bad.sampleRate = 7999;
    EXPECT_NE(tonegen::CheckDialRequest(bad)->description.find("échantillonnage"),
              std::string::npos);
    bad.sampleRate = 8000;
    bad.amplitude = -1;
    EXPECT_TRUE(tonegen::CheckDialRequest(bad).has_value());

    // A tone file's longest duration follows its format and rate too.
    tonegen::ToneInputs tone{"1209", "697", "268436", 20000, 8000, tonegen::SampleFormat::MuLaw};
    const std::optional<tonegen::Failure> tooLong = tonegen::CheckToneInputs(tone);
    ASSERT_TRUE(tooLong.has_value());
    EXPECT_NE(tooLong->description.find("435 secondes"), std::string::npos) << tooLong->description;
    tone.durationText = "268435";
    EXPECT_EQ(tonegen::CheckToneInputs(tone), std::nullopt);
}

}  // namespace
