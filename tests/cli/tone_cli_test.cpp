// quenbrix-tone --f1 --f2 --seconds -o, run as a child process like a script would.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "child_process.h"
#include "tone_file.h"
#include "tone_test_support.h"

namespace {

using namespace std::chrono_literals;
using quenbrix_test::ChildProcess;
using quenbrix_test::ChildResult;
using quenbrix_test::ReadFileBytes;
using quenbrix_test::ScratchDirectory;
namespace fs = std::filesystem;

const std::string kTone = QUENBRIX_TONE_BINARY;
const std::string kHelpHint = "Saisissez « quenbrix-tone --help » pour plus d'informations.\n";

// What the window's "Créer" writes for these inputs, made by the core directly.
std::vector<std::uint8_t> CoreBytes(const ScratchDirectory& scratch, std::string_view f1,
                                    std::string_view f2, std::string_view seconds,
                                    std::int16_t amplitude) {
    const fs::path dir = scratch / "core";
    fs::create_directories(dir);
    const auto failure = tonegen::CreateToneFile(dir, f1, f2, seconds, amplitude, [] {});
    EXPECT_FALSE(failure.has_value()) << failure->description;
    return ReadFileBytes(tonegen::ToneFilePath(dir));
}

tonegen::Failure CoreFailure(const ScratchDirectory& scratch, std::string_view f1,
                             std::string_view f2, std::string_view seconds) {
    const fs::path dir = scratch / "core-failure";
    fs::create_directories(dir);
    auto failure = tonegen::CreateToneFile(dir, f1, f2, seconds, 20000, [] {});
    EXPECT_TRUE(failure.has_value());
    return failure.value_or(tonegen::Failure{tonegen::FailureKind::File, "<succeeded>"});
}

std::vector<std::uint8_t> GoodOldFile() {
    return {'o', 'l', 'd', ' ', 'g', 'o', 'o', 'd', ' ', 'f', 'i', 'l', 'e'};
}

// The scratch directory holds nothing but these names: no staging directory left.
void ExpectOnly(const ScratchDirectory& scratch, const std::vector<std::string>& names) {
    EXPECT_EQ(scratch.Entries(), names);
}

TEST(ToneCliBytes, EqualTheCoreForTheWindowsInitialInputs) {
    ScratchDirectory scratch;
    const fs::path out = scratch / "sortie.wav";
    const ChildResult run =
        ChildProcess::Run(kTone, {"--f1", "1209", "--f2", "697", "--seconds", "1", "-o", out});
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");  // stderr is a pipe here: no progress bar

    const auto bytes = ReadFileBytes(out);
    ASSERT_EQ(bytes.size(), 88244u);
    EXPECT_EQ(quenbrix_test::ReadInt32LittleEndian(bytes, 4), 88236);
    EXPECT_EQ(quenbrix_test::ReadInt32LittleEndian(bytes, 40), 88200);
    // The default amplitude is the scroll bar's initial 20000.
    const std::int16_t first[] = {0,     2704,  5348,  7872,  10222, 12345,
                                  14198, 15741, 16945, 17789, 18260, 18357};
    for (std::size_t i = 0; i < std::size(first); ++i) {
        EXPECT_EQ(quenbrix_test::SampleAt(bytes, i), first[i]) << "sample " << i;
    }
    EXPECT_EQ(bytes, CoreBytes(scratch, "1209", "697", "1", 20000));
    ExpectOnly(scratch, {"core", "sortie.wav"});
}

TEST(ToneCliBytes, EqualTheCoreForOtherInputsAndOptionForms) {
    struct Case {
        std::vector<std::string> args;
        std::string f1, f2, seconds;
        std::int16_t amplitude;
    };
    const std::vector<Case> cases = {
        {{"--f1=440", "--f2=440", "--seconds=2", "--amplitude=32767"}, "440", "440", "2", 32767},
        {{"--f1", "", "--f2", "1000", "--seconds", "1", "--amplitude", "0"}, "", "1000", "1", 0},
        {{"--f1", "", "--f2", "", "--seconds", "1"}, "", "", "1", 20000},
        {{"--f1", "3000", "--f2", "50", "--seconds", "0", "--amplitude", "123"},
         "3000",
         "50",
         "0",
         123},
    };
    for (const Case& c : cases) {
        ScratchDirectory scratch;
        auto args = c.args;
        args.insert(args.end(), {"--output", scratch / "a.wav"});
        const ChildResult run = ChildProcess::Run(kTone, args);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(ReadFileBytes(scratch / "a.wav"),
                  CoreBytes(scratch, c.f1, c.f2, c.seconds, c.amplitude))
            << c.f1 << " " << c.f2 << " " << c.seconds;
    }
}

TEST(ToneCliReplace, SuccessReplacesAnOldFileCompletely) {
    ScratchDirectory scratch;
    const fs::path out = scratch / "a.wav";
    quenbrix_test::WriteFileBytes(out, std::vector<std::uint8_t>(300000, 0x55));
    const auto kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(out, kept);
    const ChildResult run =
        ChildProcess::Run(kTone, {"--f1", "697", "--f2", "1209", "--seconds", "1", "-o", out});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(out), CoreBytes(scratch, "697", "1209", "1", 20000));
    EXPECT_EQ(fs::status(out).permissions(), kept);
    ExpectOnly(scratch, {"a.wav", "core"});
}

TEST(ToneCliReplace, SymbolicLinkIsFollowedAndKept) {
    ScratchDirectory scratch;
    fs::create_directories(scratch / "real");
    quenbrix_test::WriteFileBytes(scratch / "real" / "t.wav", GoodOldFile());
    fs::create_symlink("real/t.wav", scratch / "link.wav");
    const ChildResult run = ChildProcess::Run(
        kTone, {"--f1", "1", "--f2", "2", "--seconds", "1", "-o", scratch / "link.wav"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(scratch / "link.wav"));
    EXPECT_EQ(ReadFileBytes(scratch / "real" / "t.wav"), CoreBytes(scratch, "1", "2", "1", 20000));
    EXPECT_EQ(fs::directory_iterator(scratch / "real")->path().filename(), "t.wav");
}

// Each failure kind of the run: exit status 1, its name and the core's own
// sentence on stderr, and the good old file untouched with nothing left beside it.
TEST(ToneCliFailure, EachKindKeepsTheOldFileAndReportsKindAndDescription) {
    struct Case {
        std::string f1, f2, seconds;
        tonegen::FailureKind kind;
    };
    const std::string hugeFrequency = "1" + std::string(308, '0');  // 1e308 Hz
    const std::vector<Case> cases = {
        {"abc", "697", "1", tonegen::FailureKind::TypeMismatch},
        {"1209", "697", "", tonegen::FailureKind::TypeMismatch},
        {"1209", "697", "30000", tonegen::FailureKind::Overflow},  // after "RIFF"
        {"1209", "697", "50000", tonegen::FailureKind::Overflow},  // before the file
        {"1209", "697", "99999999999", tonegen::FailureKind::Overflow},
        {"1" + std::string(400, '0'), "697", "1", tonegen::FailureKind::Overflow},
        {hugeFrequency, "697", "1", tonegen::FailureKind::FloatingPoint},
    };
    for (const Case& c : cases) {
        ScratchDirectory scratch;
        const fs::path out = scratch / "bon.wav";
        quenbrix_test::WriteFileBytes(out, GoodOldFile());
        const ChildResult run = ChildProcess::Run(
            kTone, {"--f1", c.f1, "--f2", c.f2, "--seconds", c.seconds, "-o", out});
        const tonegen::Failure expected = CoreFailure(scratch, c.f1, c.f2, c.seconds);
        EXPECT_EQ(expected.kind, c.kind) << c.f1.substr(0, 12) << " " << c.seconds;
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitStatus, 1) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "quenbrix-tone : échec de la création de « " + out.string() + " »\n" +
                               std::string(tonegen::KindName(c.kind)) + " : " +
                               expected.description + "\n");
        EXPECT_EQ(ReadFileBytes(out), GoodOldFile()) << c.seconds;
        ExpectOnly(scratch, {"bon.wav", "core-failure"});
    }
}

TEST(ToneCliFailure, FolderProblemsAreFileFailuresNamingTheFile) {
    ScratchDirectory scratch;
    const fs::path missing = scratch / "absent" / "a.wav";
    const ChildResult noFolder =
        ChildProcess::Run(kTone, {"--f1", "1", "--f2", "2", "--seconds", "1", "-o", missing});
    EXPECT_EQ(noFolder.exitStatus, 1);
    EXPECT_EQ(noFolder.err, "quenbrix-tone : échec de la création de « " + missing.string() +
                                " »\n" +
                                std::string(tonegen::KindName(tonegen::FailureKind::File)) +
                                " : Impossible d'écrire « " + missing.string() +
                                " » : création d'un fichier temporaire dans le dossier « " +
                                (scratch / "absent").string() +
                                " » impossible (dossier ou fichier introuvable).\n");

    fs::create_directories(scratch / "dossier.wav");
    const ChildResult folder = ChildProcess::Run(
        kTone, {"--f1", "1", "--f2", "2", "--seconds", "1", "-o", scratch / "dossier.wav"});
    EXPECT_EQ(folder.exitStatus, 1);
    EXPECT_NE(folder.err.find("Erreur de fichier : Impossible d'écrire « " +
                              (scratch / "dossier.wav").string() + " » : c'est un dossier."),
              std::string::npos)
        << folder.err;
    EXPECT_TRUE(fs::is_empty(scratch / "dossier.wav"));
    ExpectOnly(scratch, {"dossier.wav"});
}

TEST(ToneCliUsage, BadUsageExitsWithTwoAndWritesNothing) {
    ScratchDirectory scratch;
    const std::string out = scratch / "a.wav";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "aucune option donnée."},
        {{"--f1", "1", "--f2", "2", "-o", out}, "il manque l'option « --seconds »."},
        {{"--f1", "1", "--f2", "2", "--seconds", "1", "--amplitude", "40000", "-o", out},
         "amplitude invalide « 40000 » : un nombre entier de 0 à 32767 est attendu."},
        {{"--f1", "1", "--f2", "2", "--seconds", "1", "-o", out, "encore"},
         "argument inattendu « encore »."},
        {{"--dtmf", "1x", "-d", scratch.path()},
         "touche inconnue « x » : les touches sont 0123456789*#ABCD."},
    };
    for (const auto& [args, message] : cases) {
        const ChildResult run = ChildProcess::Run(kTone, args);
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitStatus, 2) << message;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "quenbrix-tone : " + message + "\n" + kHelpHint);
    }
    ExpectOnly(scratch, {});
}

TEST(ToneCliUsage, HelpAndVersionGoToStandardOutput) {
    const ChildResult help = ChildProcess::Run(kTone, {"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_TRUE(help.out.starts_with("Usage : quenbrix-tone --f1 HZ --f2 HZ --seconds S"))
        << help.out;
    EXPECT_NE(help.out.find("--dtmf TOUCHES"), std::string::npos);

    const ChildResult version = ChildProcess::Run(kTone, {"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "quenbrix-tone (Quenbrix) 1.00\n");
}

// An interrupted run is still a failed run: the old file stays and the
// staging directory goes, and the signal still ends the program.
TEST(ToneCliInterrupt, SignalDuringARunKeepsTheOldFileAndRemovesTheStaging) {
    for (const int signal : {SIGTERM, SIGINT}) {
        ScratchDirectory scratch;
        const fs::path out = scratch / "bon.wav";
        quenbrix_test::WriteFileBytes(out, GoodOldFile());
        // 20,000 s would be 1.7 GB; the run is stopped after its first megabyte.
        ChildProcess child(kTone, {"--f1", "1209", "--f2", "697", "--seconds", "20000", "-o", out});
        bool started = false;
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (!started && std::chrono::steady_clock::now() < deadline) {
            for (const auto& entry : fs::directory_iterator(scratch.path())) {
                std::error_code error;
                const auto size = fs::file_size(entry.path() / "test.wav", error);
                started = started || (!error && size > 1'000'000);
            }
            std::this_thread::sleep_for(2ms);
        }
        ASSERT_TRUE(started) << "the run never got going";
        child.Signal(signal);
        const ChildResult run = child.Wait();
        EXPECT_FALSE(run.exited) << run.err;
        EXPECT_EQ(run.signal, signal);
        EXPECT_EQ(ReadFileBytes(out), GoodOldFile());
        ExpectOnly(scratch, {"bon.wav"});
    }
}

}  // namespace
