// libsndfile as the Windows build makes it from Debian's source package,
// linked statically and run under Wine: the WAV encodings a recording comes
// in are written with the bytes RIFF/WAVE and G.711 prescribe and read back
// sample for sample, and a file that is no sound file is refused.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// G.711 µ-law decoding of one code, to 16-bit samples (ITU-T G.191's
// ulaw_expand, scaled by 4): the code is inverted, its 4-bit mantissa with
// the bias 33 is shifted by its 3-bit segment, the top bit is the sign.
int MuLawSample(unsigned code) {
    const unsigned inverted = ~code & 0xFFu;
    const int magnitude = ((static_cast<int>(inverted & 0x0Fu) << 3) + 0x84)
                          << ((inverted & 0x70u) >> 4);
    return (inverted & 0x80u) != 0 ? 0x84 - magnitude : magnitude - 0x84;
}

// Every µ-law code but 0x7F, whose value (a negative zero) encodes as 0xFF:
// samples each encoding below holds exactly.
std::vector<unsigned> MuLawCodes() {
    std::vector<unsigned> codes;
    for (unsigned code = 0; code < 256; ++code) {
        if (code != 0x7F) {
            codes.push_back(code);
        }
    }
    return codes;
}

struct Encoding {
    const char* name;
    int subtype;
    unsigned formatTag;  // WAVE_FORMAT_PCM 1, IEEE_FLOAT 3, MULAW 7
    unsigned bitsPerSample;
    // The data chunk's bytes for the sample of one µ-law code, in a mono file.
    std::vector<unsigned char> (*bytes)(unsigned code);
};

std::vector<unsigned char> LittleEndian(std::uint32_t value, int width) {
    std::vector<unsigned char> out;
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
    return out;
}

const Encoding kEncodings[] = {
    {"PCM 16 bits", SF_FORMAT_PCM_16, 1, 16,
     [](unsigned code) { return LittleEndian(static_cast<std::uint32_t>(MuLawSample(code)), 2); }},
    {"PCM 24 bits", SF_FORMAT_PCM_24, 1, 24,
     [](unsigned code) {
         return LittleEndian(static_cast<std::uint32_t>(MuLawSample(code)) << 8, 3);
     }},
    {"float", SF_FORMAT_FLOAT, 3, 32,
     [](unsigned code) {
         const float value = static_cast<float>(MuLawSample(code)) / 32768.0f;
         return LittleEndian(std::bit_cast<std::uint32_t>(value), 4);
     }},
    {"µ-law", SF_FORMAT_ULAW, 7, 8,
     [](unsigned code) { return std::vector<unsigned char>{static_cast<unsigned char>(code)}; }},
};

std::vector<unsigned char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Field(const std::vector<unsigned char>& file, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | file.at(at + static_cast<std::size_t>(i));
    }
    return value;
}

// The contents of the first chunk with this id, walking the RIFF chunks
// (each padded to an even size).
std::vector<unsigned char> Chunk(const std::vector<unsigned char>& file, std::string_view id) {
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        const std::size_t size = Field(file, at + 4, 4);
        if (std::string_view(reinterpret_cast<const char*>(&file[at]), 4) == id) {
            const auto begin = file.begin() + static_cast<std::ptrdiff_t>(at + 8);
            return {begin,
                    begin + static_cast<std::ptrdiff_t>(std::min(size, file.size() - at - 8))};
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

class SndfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("quenbrix-sndfile-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
};

TEST_F(SndfileTest, WritesEachWavEncodingAsRiffSaysAndReadsItBack) {
    const std::vector<unsigned> codes = MuLawCodes();
    std::vector<int> samples;   // libsndfile's int samples: 16-bit values in the top bits
    std::vector<float> values;  // the same, read back as floats in [-1, 1)
    for (const unsigned code : codes) {
        samples.push_back(static_cast<int>(static_cast<unsigned>(MuLawSample(code)) << 16));
        values.push_back(static_cast<float>(MuLawSample(code)) / 32768.0f);
    }
    for (const Encoding& encoding : kEncodings) {
        SCOPED_TRACE(encoding.name);
        const fs::path path = folder_ / "tone.wav";
        SF_INFO info{};
        info.samplerate = 8000;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | encoding.subtype;
        SNDFILE* out = sf_open(path.string().c_str(), SFM_WRITE, &info);
        ASSERT_NE(out, nullptr) << sf_strerror(nullptr);
        // Ints go into a float file unscaled unless asked; the other
        // encodings take the top bits.
        sf_command(out, SFC_SET_SCALE_INT_FLOAT_WRITE, nullptr, SF_TRUE);
        EXPECT_EQ(sf_write_int(out, samples.data(), static_cast<sf_count_t>(samples.size())),
                  static_cast<sf_count_t>(samples.size()));
        ASSERT_EQ(sf_close(out), 0);

        const std::vector<unsigned char> file = ReadAll(path);
        const std::vector<unsigned char> format = Chunk(file, "fmt ");
        ASSERT_GE(format.size(), 16u);
        EXPECT_EQ(Field(format, 0, 2), encoding.formatTag);
        EXPECT_EQ(Field(format, 14, 2), encoding.bitsPerSample);
        std::vector<unsigned char> expected;
        for (const unsigned code : codes) {
            const std::vector<unsigned char> bytes = encoding.bytes(code);
            expected.insert(expected.end(), bytes.begin(), bytes.end());
        }
        EXPECT_EQ(Chunk(file, "data"), expected);

        SF_INFO read{};
        SNDFILE* in = sf_open(path.string().c_str(), SFM_READ, &read);
        ASSERT_NE(in, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(read.format, info.format);
        EXPECT_EQ(read.samplerate, 8000);
        ASSERT_EQ(read.frames, static_cast<sf_count_t>(values.size()));
        std::vector<float> back(values.size() + 1, 2.0f);
        EXPECT_EQ(sf_read_float(in, back.data(), static_cast<sf_count_t>(back.size())),
                  static_cast<sf_count_t>(values.size()));
        back.pop_back();
        EXPECT_EQ(back, values);
        EXPECT_EQ(sf_close(in), 0);
        fs::remove(path);
    }
}

TEST_F(SndfileTest, RefusesAFileThatIsNoSound) {
    const fs::path path = folder_ / "notes.wav";
    std::ofstream(path, std::ios::binary) << "RIFF but not a WAVE file at all\r\n";
    SF_INFO info{};
    EXPECT_EQ(sf_open(path.string().c_str(), SFM_READ, &info), nullptr);
    EXPECT_NE(sf_error(nullptr), SF_ERR_NO_ERROR);
    EXPECT_STRNE(sf_strerror(nullptr), "");
}

}  // namespace
