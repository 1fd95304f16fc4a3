// The files as another program reads them: libsndfile parses the header on
// its own and decodes G.711 with its own tables.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "g711.h"
#include "tone_file_writer.h"
#include "tone_test_support.h"
#include "wave_format.h"

namespace {

using tonegen::SampleFormat;

struct Case {
    SampleFormat format;
    int libsndfileEncoding;
    std::int32_t rate;
    std::int16_t (*expected)(std::int16_t sample);  // what reading gives back
};

std::int16_t Same(std::int16_t sample) {
    return sample;
}
std::int16_t ThroughMuLaw(std::int16_t sample) {
    return tonegen::DecodeMuLaw(tonegen::EncodeMuLaw(sample));
}
std::int16_t ThroughALaw(std::int16_t sample) {
    return tonegen::DecodeALaw(tonegen::EncodeALaw(sample));
}

TEST(WaveFilesReadByLibsndfile, FormatRateFramesAndSamples) {
    const Case cases[] = {
        {SampleFormat::MuLaw, SF_FORMAT_ULAW, 8000, ThroughMuLaw},
        {SampleFormat::ALaw, SF_FORMAT_ALAW, 11025, ThroughALaw},
        {SampleFormat::Pcm16, SF_FORMAT_PCM_16, 192000, Same},
    };
    // The whole 16-bit range in steps of 7, an odd count: 9,363 samples.
    std::vector<std::int16_t> samples;
    for (int x = INT16_MIN; x <= INT16_MAX; x += 7) {
        samples.push_back(static_cast<std::int16_t>(x));
    }
    const auto count = static_cast<std::int32_t>(samples.size());
    quenbrix_test::ScratchDirectory dir;
    for (const Case& tested : cases) {
        const std::filesystem::path path = dir / ("f" + std::to_string(tested.rate) + ".wav");
        {
            tonegen::ToneFileWriter writer;
            ASSERT_EQ(writer.Create(path), std::nullopt);
            ASSERT_EQ(tonegen::WriteWaveHeader(writer, count, tested.format, tested.rate),
                      tonegen::HeaderOutcome::Written);
            ASSERT_TRUE(writer.AppendBlock(samples, tested.format));
            ASSERT_TRUE(tonegen::WriteWaveEnd(writer, count, tested.format));
            ASSERT_EQ(writer.Finish(), std::nullopt);
        }
        const std::uintmax_t bytesPerSample = tonegen::BytesPerSample(tested.format);
        const std::uintmax_t dataBytes = bytesPerSample * samples.size();
        EXPECT_EQ(std::filesystem::file_size(path),
                  static_cast<std::uintmax_t>(tonegen::WaveHeaderSize(tested.format)) + dataBytes +
                      dataBytes % 2);

        SF_INFO info{};
        const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(
            sf_open(path.c_str(), SFM_READ, &info), sf_close);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(info.format, SF_FORMAT_WAV | tested.libsndfileEncoding) << tested.rate;
        EXPECT_EQ(info.samplerate, tested.rate);
        EXPECT_EQ(info.channels, 1);
        EXPECT_EQ(info.frames, count);
        std::vector<short> read(samples.size() + 1);
        ASSERT_EQ(sf_read_short(file.get(), read.data(), static_cast<sf_count_t>(read.size())),
                  count);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            ASSERT_EQ(read[i], tested.expected(samples[i])) << tested.rate << " " << samples[i];
        }
        // libsndfile marks what it finds odd in a header with "***". It marks
        // every odd data size, which RIFF allows: the pad byte after the data
        // is left out of the chunk's size.
        std::string log(4096, '\0');
        sf_command(file.get(), SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
        log.resize(log.find('\0'));
        const std::string_view oddDataNote =
            "*** 'data' chunk should be an even number of bytes in length.\n";
        if (const std::size_t note = log.find(oddDataNote); note != std::string::npos) {
            log.erase(note, oddDataNote.size());
        }
        EXPECT_EQ(log.find("***"), std::string::npos) << log;
    }
}

}  // namespace
