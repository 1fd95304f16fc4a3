// quenbrix-tone --dial, --rate, --format and --level, run as a script runs
// them: a dialled file's keys are the --dtmf files' own samples, its lengths
// follow the millisecond timings at any rate, and an outside decoder hears
// the keys in order in the telephone formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "child_process.h"
#include "multimon_keys.h"
#include "tone_test_support.h"
#include "tonegen/message_text.h"

namespace {

using quenbrix_test::ChildProcess;
using quenbrix_test::ChildResult;
using quenbrix_test::ReadFileBytes;
using quenbrix_test::ReadInt32LittleEndian;
using quenbrix_test::SampleAt;
using quenbrix_test::ScratchDirectory;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const std::string kTone = QUENBRIX_TONE_BINARY;

std::string Q(std::string_view text) {
    return tonegen::QuoteInput(text);
}

// Runs quenbrix-tone and expects success with nothing on stdout.
std::string RunTone(const std::vector<std::string>& args) {
    const ChildResult run = ChildProcess::Run(kTone, args);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "");
    return run.err;
}

// The keys multimon-ng hears in a file, after sox has made it the raw 16-bit
// 22,050 Hz stream the decoder reads.
std::string DecodeKeys(const fs::path& wave, const fs::path& raw) {
    const ChildResult convert =
        ChildProcess::Run(QUENBRIX_SOX, {wave.string(), "-t", "raw", "-e", "signed", "-b", "16",
                                         "-r", "22050", "-c", "1", raw.string()});
    EXPECT_EQ(convert.exitStatus, 0) << convert.err;
    const ChildResult run =
        ChildProcess::Run(QUENBRIX_MULTIMON_NG, {"-q", "-a", "DTMF", "-t", "raw", raw.string()});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return quenbrix_test::MultimonKeys(run.out);
}

TEST(DialCli, EachKeyIsTheStartOfItsDtmfFileAndGapsAreSilent) {
    ScratchDirectory scratch;
    const std::string keys = "0123456789*#ABCD";
    EXPECT_EQ(RunTone({"--dial", keys, "-o", (scratch / "dial.wav").string()}), "");
    EXPECT_EQ(RunTone({"--dtmf", keys, "-d", (scratch / "keys").string()}), "");
    const Bytes dial = ReadFileBytes(scratch / "dial.wav");
    // 100 ms of tone and 100 ms of gap a key at 44,100 Hz: 4,410 samples each.
    constexpr std::size_t kStretch = 4410;
    constexpr std::size_t kDataSize = kStretch * 2 * 16 * 2;  // bytes, tone and gap, 16 keys
    ASSERT_EQ(dial.size(), 44 + kDataSize);
    EXPECT_EQ(ReadInt32LittleEndian(dial, 40), kDataSize);
    for (std::size_t k = 0; k != keys.size(); ++k) {
        const std::string name = keys[k] == '*'   ? "star"
                                 : keys[k] == '#' ? "hash"
                                                  : std::string(1, keys[k]);
        const Bytes own = ReadFileBytes(scratch / "keys" / ("dtmf-" + name + ".wav"));
        const auto start = dial.begin() + 44 + static_cast<std::ptrdiff_t>(4 * kStretch * k);
        const auto gap = start + static_cast<std::ptrdiff_t>(2 * kStretch);
        EXPECT_TRUE(std::equal(start, gap, own.begin() + 44)) << "key " << keys[k];
        EXPECT_TRUE(std::all_of(gap, gap + static_cast<std::ptrdiff_t>(2 * kStretch),
                                [](std::uint8_t byte) { return byte == 0; }))
            << "gap after " << keys[k];
    }
}

// At 11,025 Hz a boundary t ms into the file falls on t × 11.025 samples:
// 20 ms on 220.5, 60 on 661.5, 180 on 1,984.5 and 220 on 2,425.5 round to
// the even neighbours 220, 662, 1,984 and 2,426; 160 ms is 1,764 exactly.
TEST(DialCli, LengthsFollowTheMillisecondsAtEveryRateAndFormat) {
    ScratchDirectory scratch;
    const fs::path pcm = scratch / "pcm.wav";
    const fs::path mulaw = scratch / "mulaw.wav";
    const std::vector<std::string> timings = {"--tone-ms",  "20",  "--gap-ms", "40",
                                              "--pause-ms", "100", "--rate",   "11025"};
    auto args = timings;
    args.insert(args.end(), {"--dial", "1,2", "-o", pcm.string()});
    const std::string warning = RunTone(args);
    EXPECT_NE(warning.find("Attention : des tonalités de 20 ms"), std::string::npos) << warning;
    EXPECT_NE(warning.find("Q.24"), std::string::npos) << warning;
    args.back() = mulaw.string();
    args.insert(args.end(), {"--format", "ulaw"});
    RunTone(args);

    const Bytes pcmBytes = ReadFileBytes(pcm);
    ASSERT_EQ(pcmBytes.size(), 44 + 2 * 2426u);
    // Standard output takes the same bytes as a file.
    args.resize(args.size() - 2);  // back to PCM
    args.back() = "-";
    const ChildResult piped = ChildProcess::Run(kTone, args);
    EXPECT_EQ(piped.exitStatus, 0) << piped.err;
    EXPECT_EQ(Bytes(piped.out.begin(), piped.out.end()), pcmBytes);
    EXPECT_EQ(ReadInt32LittleEndian(pcmBytes, 24), 11025);
    const Bytes mulawBytes = ReadFileBytes(mulaw);
    ASSERT_EQ(mulawBytes.size(), 58 + 2426u);
    EXPECT_EQ(ReadInt32LittleEndian(mulawBytes, 46), 2426);  // the fact chunk's count
    // Silence from 220 to 1,764, then key 2 from its own phase 0: the start
    // of its --dtmf file at the same rate.
    for (std::size_t i = 220; i != 1764; ++i) {
        ASSERT_EQ(SampleAt(pcmBytes, i), 0) << i;
        ASSERT_EQ(mulawBytes[58 + i], 0xFF) << i;  // µ-law's zero
    }
    EXPECT_NE(SampleAt(pcmBytes, 219), 0);
    RunTone({"--dtmf", "2", "--rate", "11025", "-d", scratch.path().string()});
    const Bytes key2 = ReadFileBytes(scratch / "dtmf-2.wav");
    constexpr std::ptrdiff_t kKey2 = 44 + 1764 * std::ptrdiff_t{2};
    constexpr std::ptrdiff_t kKey2End = 44 + 1984 * std::ptrdiff_t{2};
    EXPECT_TRUE(
        std::equal(pcmBytes.begin() + kKey2, pcmBytes.begin() + kKey2End, key2.begin() + 44));
    EXPECT_NE(SampleAt(pcmBytes, 1983), 0);
    for (std::size_t i = 1984; i != 2426; ++i) {
        ASSERT_EQ(SampleAt(pcmBytes, i), 0) << i;
    }

    // 2 ms then 1 ms: 22.05 and 33.075 round to 22 and 33 samples, an odd
    // count that A-law follows with a pad byte its data size leaves out.
    const fs::path odd = scratch / "odd.wav";
    RunTone({"--dial", "9", "--tone-ms", "2", "--gap-ms", "1", "--rate", "11025", "--format",
             "alaw", "-o", odd.string()});
    const Bytes oddBytes = ReadFileBytes(odd);
    ASSERT_EQ(oddBytes.size(), 58 + 33 + 1u);
    EXPECT_EQ(ReadInt32LittleEndian(oddBytes, 4), 58 + 33 + 1 - 8);
    EXPECT_EQ(ReadInt32LittleEndian(oddBytes, 54), 33);
    EXPECT_EQ(oddBytes[58 + 22], 0xD5);  // A-law's zero
    EXPECT_EQ(oddBytes.back(), 0);

    // Defaults: 100 ms, 100 ms and a 2 s comma at 8,000 Hz are 800, 800 and
    // 16,000 samples.
    const fs::path pauses = scratch / "pauses.wav";
    RunTone({"--dial", "1,,2", "--rate", "8000", "-o", pauses.string()});
    EXPECT_EQ(ReadFileBytes(pauses).size(), 44 + 2 * (2 * 1600 + 2 * 16000u));
}

TEST(DialCli, MultimonHearsTheKeysInOrderInMuLawAndALaw) {
    ScratchDirectory scratch;
    const fs::path mulaw = scratch / "menu.wav";
    RunTone({"--dial", "123,456#*", "--rate", "8000", "--format", "ulaw", "-o", mulaw.string()});
    EXPECT_EQ(DecodeKeys(mulaw, scratch / "menu.raw"), "123456#*");
    const fs::path alaw = scratch / "keys.wav";
    RunTone({"--dial", "0 98-7 (ABCD)", "--rate", "16000", "--format", "alaw", "--level", "-10",
             "-o", alaw.string()});
    EXPECT_EQ(DecodeKeys(alaw, scratch / "keys.raw"), "0987ABCD");
}

// 32,767 × 10^(-6 / 20) = 16,422.4 and 32,767 × 10^(-90 / 20) = 1.04.
TEST(DialCli, LevelGivesTheAmplitudeOfItsDecibels) {
    ScratchDirectory scratch;
    const auto make = [&](const std::string& name, const std::string& option,
                          const std::string& value) {
        RunTone({"--f1", "1000", "--f2", "", "--seconds", "1", option, value, "-o",
                 (scratch / name).string()});
        return ReadFileBytes(scratch / name);
    };
    EXPECT_EQ(make("level6.wav", "--level", "-6"), make("amp16422.wav", "--amplitude", "16422"));
    EXPECT_EQ(make("level0.wav", "--level", "0"), make("amp32767.wav", "--amplitude", "32767"));
    EXPECT_EQ(make("level90.wav", "--level", "-90"), make("amp1.wav", "--amplitude", "1"));
    EXPECT_NE(make("level6.5.wav", "--level", "-6.5"),
              make("amp16422.wav", "--amplitude", "16422"));
}

TEST(DialCli, RateAndFormatLeaveTodaysFilesAloneAndWarnOfFolding) {
    ScratchDirectory scratch;
    RunTone({"--f1", "1209", "--f2", "697", "--seconds", "1", "-o", (scratch / "a.wav").string()});
    RunTone({"--f1", "1209", "--f2", "697", "--seconds", "1", "--rate", "44100", "--format",
             "pcm16", "-o", (scratch / "b.wav").string()});
    EXPECT_EQ(ReadFileBytes(scratch / "a.wav"), ReadFileBytes(scratch / "b.wav"));

    const std::string warning = RunTone({"--f1", "5000", "--f2", "697", "--seconds", "1", "--rate",
                                         "8000", "-o", (scratch / "c.wav").string()});
    EXPECT_NE(warning.find("fréquence 1 " + Q("5000") + " atteint ou dépasse la moitié"),
              std::string::npos)
        << warning;
    EXPECT_NE(warning.find("000 Hz) : elle sera entendue repli"), std::string::npos) << warning;
    EXPECT_EQ(ReadFileBytes(scratch / "c.wav").size(), 44 + 2 * 8000u);
}

TEST(DialCli, UsageErrorsExitWithTwoAndWriteNothing) {
    ScratchDirectory scratch;
    const std::string out = (scratch / "out.wav").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--dial", "12x4", "-o", out}, Q("x") + " en position 3"},
        {{"--dial", "1", "--format", "mp3", "-o", out}, "format inconnu " + Q("mp3")},
        {{"--dial", "1", "--rate", "7999", "-o", out}, "fréquence d'échantillonnage invalide"},
        {{"--dial", "1", "--rate", "192001", "-o", out}, Q("192001")},
        {{"--f1", "1", "--f2", "2", "--seconds", "1", "--rate", "44.1k", "-o", out}, Q("44.1k")},
        {{"--dial", "1", "--level", "-6", "--amplitude", "100", "-o", out}, "n'en donnez qu'une"},
        {{"--dtmf", "1", "--level", "-91", "-d", scratch.path().string()}, "niveau invalide"},
        {{"--dial", "1", "--tone-ms", "0", "-o", out},
         "durée invalide " + Q("0") + " pour " + Q("--tone-ms")},
        {{"--dial", "1", "--gap-ms", "60001", "-o", out}, Q("60001")},
        {{"--dial", "1", "--pause-ms", "1.5", "-o", out}, Q("1.5")},
        {{"--dial", "1", "--tone-ms", "-5", "-o", out}, Q("-5")},
        {{"--f1", "1", "--f2", "2", "--seconds", "1", "--gap-ms", "50", "-o", out}, "--dial"},
        {{"--dial", "1", "--seconds", "1", "-o", out}, Q("--seconds") + " ne sert pas"},
    };
    for (const auto& [args, expected] : cases) {
        const ChildResult run = ChildProcess::Run(kTone, args);
        EXPECT_EQ(run.exitStatus, 2) << args[1];
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
    }
    EXPECT_TRUE(scratch.Entries().empty());
}

}  // namespace
