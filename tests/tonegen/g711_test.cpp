#include "g711.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <utility>

namespace {

// The quantizers as ITU-T G.711 tabulates them: eight segments of sixteen
// intervals each, every segment given by its lower end point and its step, on
// the recommendation's own scale of magnitudes.
struct Segment {
    int start;
    int step;
};

struct Law {
    Segment At(int s) const { return segments.at(static_cast<std::size_t>(s)); }

    std::array<Segment, 8> segments;
    int scale;  // 16-bit magnitudes per unit of the recommendation's scale
    // The lower decision value of interval k (0 to 15) of segment s.
    int (*decisionValue)(const Law& law, int s, int k);
    // The character signal of the interval, with the sign bit set for
    // non-negative samples.
    std::uint8_t (*character)(bool nonNegative, int s, int k);
};

// Table 1 (A-law): magnitudes up to 4,096, steps 2, 2, 4, ... 128; the
// character signal is the sign, 3 segment bits and 4 interval bits, with the
// even bits inverted.
const Law kALaw = {
    {{{0, 2}, {32, 2}, {64, 4}, {128, 8}, {256, 16}, {512, 32}, {1024, 64}, {2048, 128}}},
    32768 / 4096,
    [](const Law& law, int s, int k) { return law.At(s).start + k * law.At(s).step; },
    [](bool nonNegative, int s, int k) {
        return static_cast<std::uint8_t>(((nonNegative ? 128 : 0) + 16 * s + k) ^ 0b0101'0101);
    },
};

// Table 2 (µ-law): magnitudes up to 8,159; in segment 1 the first interval is
// [0, 1) and the others 2 wide (decision values 1, 3, ... 29), later segments
// start at 31, 95, ... 4063 with steps 4 to 256. The segment and interval bits
// are sent inverted.
const Law kMuLaw = {
    {{{0, 2}, {31, 4}, {95, 8}, {223, 16}, {479, 32}, {991, 64}, {2015, 128}, {4063, 256}}},
    32768 / 8192,
    [](const Law& law, int s, int k) {
        if (s == 0) {
            return k == 0 ? 0 : 2 * k - 1;
        }
        return law.At(s).start + k * law.At(s).step;
    },
    [](bool nonNegative, int s, int k) {
        return static_cast<std::uint8_t>((nonNegative ? 128 : 0) + 127 - (16 * s + k));
    },
};

struct Interval {
    int segment;
    int interval;
};

// The interval whose decision value is the last one at or below the sample's
// magnitude: the segment first, then the interval in it. Below zero the scale
// mirrors about -1/2, as G.191 codes it: the magnitude of x is -1 - x.
Interval Quantize(const Law& law, int sample) {
    const int magnitude = sample >= 0 ? sample : -1 - sample;
    const auto reaches = [&](int s, int k) {
        return law.decisionValue(law, s, k) * law.scale <= magnitude;
    };
    Interval found{0, 0};
    while (found.segment < 7 && reaches(found.segment + 1, 0)) {
        ++found.segment;
    }
    while (found.interval < 15 && reaches(found.segment, found.interval + 1)) {
        ++found.interval;
    }
    return found;
}

// Every sample's code, from the tables alone, index x + 32,768.
using CodeTable = std::array<std::uint8_t, 65536>;

CodeTable ExpectedCodes(const Law& law) {
    CodeTable codes{};
    for (int x = INT16_MIN; x <= INT16_MAX; ++x) {
        const Interval at = Quantize(law, x);
        codes.at(static_cast<std::size_t>(x - INT16_MIN)) =
            law.character(x >= 0, at.segment, at.interval);
    }
    return codes;
}

using Encoder = std::uint8_t (*)(std::int16_t);
using Decoder = std::int16_t (*)(std::uint8_t);

struct Codec {
    const char* name;
    const Law* law;
    Encoder encode;
    Decoder decode;
    CodeTable expected;
    std::uint8_t Expected(int sample) const {
        return expected.at(static_cast<std::size_t>(sample - INT16_MIN));
    }
};

const std::array<Codec, 2> kCodecs = {{
    {"A-law", &kALaw, tonegen::EncodeALaw, tonegen::DecodeALaw, ExpectedCodes(kALaw)},
    {"µ-law", &kMuLaw, tonegen::EncodeMuLaw, tonegen::DecodeMuLaw, ExpectedCodes(kMuLaw)},
}};

TEST(G711, EverySampleGetsTheCodeOfItsInterval) {
    for (const Codec& codec : kCodecs) {
        int wrong = 0;
        for (int x = INT16_MIN; x <= INT16_MAX; ++x) {
            const std::uint8_t code = codec.encode(static_cast<std::int16_t>(x));
            if (code != codec.Expected(x) && ++wrong <= 5) {
                ADD_FAILURE() << codec.name << " " << x << ": " << int{code} << ", expected "
                              << int{codec.Expected(x)};
            }
        }
        EXPECT_EQ(wrong, 0) << codec.name;
    }
}

TEST(G711, EveryCodeDecodesToTheMiddleOfItsInterval) {
    for (const Codec& codec : kCodecs) {
        // The samples that give each code, from the table alone.
        std::map<int, std::pair<int, int>> samplesOfCode;
        for (int x = INT16_MIN; x <= INT16_MAX; ++x) {
            const auto [it, first] = samplesOfCode.try_emplace(codec.Expected(x), x, x);
            it->second.second = x;
        }
        ASSERT_EQ(samplesOfCode.size(), 256U) << codec.name;
        for (const auto& [code, range] : samplesOfCode) {
            const auto [lowest, highest] = range;
            const int decoded = codec.decode(static_cast<std::uint8_t>(code));
            const int step =
                codec.law->At(Quantize(*codec.law, lowest).segment).step * codec.law->scale;
            // Within half a step of the middle: 2 × |decoded - middle| <= step.
            EXPECT_LE(std::abs(2 * decoded - (lowest + highest)), step)
                << codec.name << " code " << code << " gave " << decoded << " for " << lowest
                << " to " << highest;
            // µ-law's negative zero decodes to 0, which codes as positive zero.
            if (!(codec.law == &kMuLaw && code == 0x7F)) {
                EXPECT_EQ(codec.encode(static_cast<std::int16_t>(decoded)), code)
                    << codec.name << " " << code;
            }
        }
    }
}

TEST(G711, OnesComplementPairsDifferOnlyInTheSignBitAndSilenceIsStandard) {
    for (const Codec& codec : kCodecs) {
        for (int x = 0; x <= INT16_MAX; ++x) {
            const std::uint8_t positive = codec.encode(static_cast<std::int16_t>(x));
            const std::uint8_t negative = codec.encode(static_cast<std::int16_t>(-1 - x));
            ASSERT_EQ(positive ^ negative, 0x80) << codec.name << " " << x;
        }
    }
    EXPECT_EQ(tonegen::EncodeMuLaw(0), 0xFF);
    EXPECT_EQ(tonegen::EncodeALaw(0), 0xD5);
    EXPECT_EQ(tonegen::DecodeMuLaw(0xFF), 0);
}

}  // namespace
