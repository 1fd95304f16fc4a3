// quenbrix-tone --dtmf: one file per key, each one recognised as its key by an
// independent decoder (multimon-ng), which also shows that the pairs are right.
#include <gtest/gtest.h>

#include <map>

#include "child_process.h"
#include "multimon_keys.h"
#include "tone_test_support.h"
#include "tonegen/tone_file.h"

namespace {

using quenbrix_test::ChildProcess;
using quenbrix_test::ChildResult;
using quenbrix_test::ReadFileBytes;
using quenbrix_test::ScratchDirectory;
namespace fs = std::filesystem;

const std::string kTone = QUENBRIX_TONE_BINARY;

// The keys multimon-ng reports, in order, one "DTMF: k" line each.
std::string Decode(const fs::path& file) {
    const ChildResult run =
        ChildProcess::Run(QUENBRIX_MULTIMON_NG, {"-q", "-c", "-a", "DTMF", "-t", "wav", file});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return quenbrix_test::MultimonKeys(run.out);
}

TEST(DtmfCli, EveryKeysFileIsDecodedAsThatKey) {
    ScratchDirectory scratch;
    const ChildResult run =
        ChildProcess::Run(kTone, {"--dtmf", "0123456789*#abcd", "-d", scratch.path()});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    const std::map<std::string, char> files = {
        {"dtmf-0.wav", '0'}, {"dtmf-1.wav", '1'}, {"dtmf-2.wav", '2'},    {"dtmf-3.wav", '3'},
        {"dtmf-4.wav", '4'}, {"dtmf-5.wav", '5'}, {"dtmf-6.wav", '6'},    {"dtmf-7.wav", '7'},
        {"dtmf-8.wav", '8'}, {"dtmf-9.wav", '9'}, {"dtmf-A.wav", 'A'},    {"dtmf-B.wav", 'B'},
        {"dtmf-C.wav", 'C'}, {"dtmf-D.wav", 'D'}, {"dtmf-hash.wav", '#'}, {"dtmf-star.wav", '*'},
    };
    std::vector<std::string> names;
    for (const auto& [name, key] : files) {
        names.push_back(name);
        const auto bytes = ReadFileBytes(scratch / name);
        EXPECT_EQ(bytes.size(), 88244u) << name;  // one second by default
        EXPECT_EQ(Decode(scratch / name), std::string(1, key)) << name;
    }
    EXPECT_EQ(scratch.Entries(), names);  // sorted the same way; no staging left
}

// Guards the decoder check itself: a single tone and a wrong pair are no key.
TEST(DtmfCli, DecoderRefusesWhatIsNoKey) {
    ScratchDirectory scratch;
    const ChildResult single = ChildProcess::Run(
        kTone, {"--f1", "1209", "--f2", "1209", "--seconds", "1", "-o", scratch / "single.wav"});
    ASSERT_EQ(single.exitStatus, 0) << single.err;
    EXPECT_EQ(Decode(scratch / "single.wav"), "");
    const ChildResult wrong = ChildProcess::Run(
        kTone, {"--f1", "1100", "--f2", "697", "--seconds", "1", "-o", scratch / "wrong.wav"});
    ASSERT_EQ(wrong.exitStatus, 0) << wrong.err;
    EXPECT_EQ(Decode(scratch / "wrong.wav"), "");
}

TEST(DtmfCli, FilesEqualTheCoreForTheKeysPairAndDuration) {
    ScratchDirectory scratch;
    const ChildResult run = ChildProcess::Run(
        kTone, {"--dtmf", "5d5", "--seconds", "2", "--amplitude", "1000", "-d", scratch.path()});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    // "5" twice makes one file; "d" makes the upper-case name.
    EXPECT_EQ(scratch.Entries(), (std::vector<std::string>{"dtmf-5.wav", "dtmf-D.wav"}));
    const fs::path core = scratch / "core";
    fs::create_directories(core);
    ASSERT_FALSE(
        tonegen::CreateToneFile(core, {"1336", "770", "2", 1000}, {[] {}, nullptr}).has_value());
    EXPECT_EQ(ReadFileBytes(scratch / "dtmf-5.wav"), ReadFileBytes(tonegen::ToneFilePath(core)));
    ASSERT_FALSE(
        tonegen::CreateToneFile(core, {"1633", "941", "2", 1000}, {[] {}, nullptr}).has_value());
    EXPECT_EQ(ReadFileBytes(scratch / "dtmf-D.wav"), ReadFileBytes(tonegen::ToneFilePath(core)));
}

TEST(DtmfCli, MissingFoldersAreCreatedAndAFailureKeepsOldFiles) {
    ScratchDirectory scratch;
    const fs::path folder = scratch / "sons" / "touches";
    const ChildResult made = ChildProcess::Run(kTone, {"--dtmf", "1", "-d", folder});
    EXPECT_EQ(made.exitStatus, 0) << made.err;
    EXPECT_EQ(fs::file_size(folder / "dtmf-1.wav"), 88244u);

    // Keys are written in order; the first failure stops the run with status 1.
    fs::create_directory(folder / "dtmf-3.wav");
    const ChildResult run = ChildProcess::Run(kTone, {"--dtmf", "234", "-d", folder});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(run.err.starts_with("quenbrix-tone : échec de la création de «\u00A0" +
                                    (folder / "dtmf-3.wav").string() +
                                    "\u00A0»\nErreur de fichier : "))
        << run.err;
    EXPECT_EQ(fs::file_size(folder / "dtmf-2.wav"), 88244u);
    EXPECT_TRUE(fs::is_empty(folder / "dtmf-3.wav"));
    EXPECT_FALSE(fs::exists(folder / "dtmf-4.wav"));
}

}  // namespace
