// Reading where a wave file's samples lie: the program's own files, the
// variants other writers make, and what is no wave file at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "tone_test_support.h"
#include "tonegen/tone_file.h"
#include "wave_layout.h"

namespace {

using quenbrix_test::ScratchDirectory;

std::string Le16(std::uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string Le32(std::uint32_t v) {
    return Le16(static_cast<std::uint16_t>(v & 0xFFFF)) + Le16(static_cast<std::uint16_t>(v >> 16));
}

std::string Chunk(const std::string& id, const std::string& body) {
    std::string chunk = id + Le32(static_cast<std::uint32_t>(body.size())) + body;
    if (body.size() % 2 == 1) {
        chunk += '\0';
    }
    return chunk;
}

std::string Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                   std::uint16_t bits) {
    const auto align = static_cast<std::uint16_t>(channels * (bits / 8));
    return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
}

std::string Riff(const std::string& chunks) {
    return "RIFF" + Le32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

std::optional<WaveLayout> LayoutOf(const std::filesystem::path& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<WaveLayout> layout = readWaveLayout(fd);
    close(fd);
    return layout;
}

std::optional<WaveLayout> LayoutOf(const ScratchDirectory& dir, const std::string& bytes) {
    const std::filesystem::path path = dir / "son.wav";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return LayoutOf(path);
}

TEST(WaveLayout, TheProgramsOwnFiles) {
    ScratchDirectory dir;
    for (const auto& [seconds, samples] : {std::pair{"0", 0U}, std::pair{"2", 88200U}}) {
        ASSERT_EQ(
            tonegen::CreateToneFile(dir.path(), {"1209", "697", seconds, 20000}, {[] {}, nullptr}),
            std::nullopt);
        const std::optional<WaveLayout> layout = LayoutOf(dir.ToneFile());
        ASSERT_TRUE(layout.has_value()) << seconds;
        EXPECT_EQ(layout->encoding, SampleEncoding::Signed16);
        EXPECT_EQ(layout->channels, 1);
        EXPECT_EQ(layout->sampleRate, 44100U);
        EXPECT_EQ(layout->frameBytes, 2U);
        EXPECT_EQ(layout->dataOffset, 44U);
        EXPECT_EQ(layout->dataBytes, 2U * samples);
    }
}

TEST(WaveLayout, OtherWritersVariants) {
    ScratchDirectory dir;
    // A list chunk of odd size before the samples, and a chunk after them.
    std::optional<WaveLayout> layout =
        LayoutOf(dir, Riff(Chunk("fmt ", Format(1, 2, 48000, 24)) + Chunk("LIST", "abc") +
                           Chunk("data", std::string(12, '\1')) + Chunk("id3 ", "xyzw")));
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->encoding, SampleEncoding::Signed24);
    EXPECT_EQ(layout->channels, 2);
    EXPECT_EQ(layout->frameBytes, 6U);
    EXPECT_EQ(layout->dataOffset, 12U + 24 + 12 + 8);
    EXPECT_EQ(layout->dataBytes, 12U);

    // Extensible float; the data announced longer than what is there, and
    // not a whole number of frames: what is there, in whole frames.
    const std::string extensible = Format(0xFFFE, 1, 44100, 32) + Le16(22) + Le16(32) + Le32(4) +
                                   Le16(3) +
                                   std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
    layout = LayoutOf(
        dir, Riff(Chunk("fmt ", extensible)) + "data" + Le32(4000) + std::string(10, '\0'));
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->encoding, SampleEncoding::Float32);
    EXPECT_EQ(layout->dataBytes, 8U);

    layout = LayoutOf(dir, Riff(Chunk("fmt ", Format(7, 1, 8000, 8)) + Chunk("data", "ab")));
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->encoding, SampleEncoding::MuLaw);
}

TEST(WaveLayout, NoWaveFile) {
    ScratchDirectory dir;
    const std::string pcm = Chunk("fmt ", Format(1, 1, 44100, 16));
    const std::string data = Chunk("data", "abcd");
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"what an overflowing run leaves", "RIFF"},
        {"big-endian RIFX", "RIFX" + Riff(pcm + data).substr(4)},
        {"not WAVE", "RIFF" + Le32(4) + "AVI "},
        {"no format before the data", Riff(data + pcm)},
        {"no data chunk", Riff(pcm)},
        {"ADPCM", Riff(Chunk("fmt ", Format(2, 1, 44100, 4)) + data)},
        {"block align that does not fit",
         Riff(Chunk("fmt ", Format(1, 1, 44100, 16).replace(12, 2, Le16(3))) + data)},
        {"no channel", Riff(Chunk("fmt ", Format(1, 0, 44100, 16)) + data)},
        {"short format chunk", Riff(Chunk("fmt ", Format(1, 1, 44100, 16).substr(0, 14)) + data)},
    };
    for (const auto& [name, bytes] : cases) {
        EXPECT_FALSE(LayoutOf(dir, bytes).has_value()) << name;
    }
    const int folder = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    EXPECT_FALSE(readWaveLayout(folder).has_value());
    close(folder);
}

}  // namespace
