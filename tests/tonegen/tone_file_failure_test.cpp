// Each way a run can fail: its kind, its message, what it leaves behind, and
// that the caller is never told of samples for a run that made none.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "group_digits.h"
#include "tone_test_support.h"
#include "tonegen/message_text.h"
#include "tonegen/tone_file.h"

namespace {

using quenbrix_test::ReadFileBytes;
using quenbrix_test::SampleAt;
using quenbrix_test::ScratchDirectory;
using tonegen::FailureKind;
using tonegen::RunResult;

class ToneFileFailure : public testing::Test {
  protected:
    RunResult Run(std::string_view f1, std::string_view f2, std::string_view duration,
                  std::int16_t amplitude = 20000) {
        return tonegen::CreateToneFile(
            dir_.path(), {std::string(f1), std::string(f2), std::string(duration), amplitude},
            {[this] { ++notifications_; }, nullptr});
    }
    // An old file from an earlier run, so that "nothing left" is tested too.
    void PlantOldFile() { std::ofstream(dir_.ToneFile()) << "ancien fichier"; }
    bool ToneFileExists() const { return std::filesystem::exists(dir_.ToneFile()); }

    ScratchDirectory dir_;
    int notifications_ = 0;
};

void ExpectFailure(const RunResult& result, FailureKind kind, std::string_view mentions) {
    ASSERT_TRUE(result.has_value()) << "the run was expected to fail";
    EXPECT_EQ(result->kind, kind) << result->description;
    EXPECT_NE(result->description.find(mentions), std::string::npos) << result->description;
}

TEST_F(ToneFileFailure, FrequencyTextsThatAreNotNumbersLeaveNoFile) {
    PlantOldFile();
    ExpectFailure(Run("12a", "697", "1"), FailureKind::TypeMismatch,
                  "La fréquence 1 «\u00A012a\u00A0»");
    EXPECT_FALSE(ToneFileExists());
    ExpectFailure(Run("1209", "inf", "1"), FailureKind::TypeMismatch,
                  "La fréquence 2 «\u00A0inf\u00A0»");
    EXPECT_FALSE(ToneFileExists());
    EXPECT_EQ(notifications_, 0);
}

TEST_F(ToneFileFailure, FrequencyBeyondTheDoubleRangeIsAnOverflow) {
    PlantOldFile();
    ExpectFailure(Run("1e309", "697", "1"), FailureKind::Overflow, "fréquence 1");
    EXPECT_FALSE(ToneFileExists());
    EXPECT_EQ(notifications_, 0);
    // The largest double itself is accepted and fails only in the samples.
    ExpectFailure(Run("1.7976931348623157e308", "697", "1"), FailureKind::FloatingPoint,
                  "fréquence 1");
}

TEST_F(ToneFileFailure, EmptyOrNonNumericDurationIsATypeMismatch) {
    PlantOldFile();
    ExpectFailure(Run("1209", "697", ""), FailureKind::TypeMismatch, "La durée est vide");
    EXPECT_FALSE(ToneFileExists());
    ExpectFailure(Run("1209", "697", "une seconde"), FailureKind::TypeMismatch,
                  "«\u00A0une seconde\u00A0»");
    EXPECT_FALSE(ToneFileExists());
    EXPECT_EQ(notifications_, 0);
}

TEST_F(ToneFileFailure, DurationOutsideInt32OrNegativeIsRefusedBeforeTheFile) {
    PlantOldFile();
    // The message names the longest duration that really works.
    ExpectFailure(Run("1209", "697", "2147483648"), FailureKind::Overflow,
                  "la durée maximale est de 24\u00A0347 secondes");
    EXPECT_FALSE(ToneFileExists());
    for (const char* negative : {"-1", "-99999999999"}) {
        ExpectFailure(Run("1209", "697", negative), FailureKind::Overflow, "nulle ou positive");
        EXPECT_FALSE(ToneFileExists());
    }
    // Rounds to zero: not negative, an empty file.
    EXPECT_EQ(Run("1209", "697", "-0.4"), std::nullopt);
    EXPECT_EQ(std::filesystem::file_size(dir_.ToneFile()), 44U);
    EXPECT_EQ(notifications_, 0);
}

TEST_F(ToneFileFailure, SampleCountOverflowFrom48696SecondsLeavesNoFile) {
    PlantOldFile();
    ExpectFailure(Run("1209", "697", "48696"), FailureKind::Overflow, "48\u00A0696 secondes");
    EXPECT_FALSE(ToneFileExists());
    EXPECT_EQ(notifications_, 0);
}

TEST_F(ToneFileFailure, RiffSizeOverflowFrom24348To48695SecondsLeavesRiffAlone) {
    for (const char* seconds : {"24348", "48695"}) {
        PlantOldFile();
        ExpectFailure(Run("1209", "697", seconds), FailureKind::Overflow, "24\u00A0347");
        const std::vector<std::uint8_t> bytes = ReadFileBytes(dir_.ToneFile());
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "RIFF") << seconds;
    }
    EXPECT_EQ(notifications_, 0);
    // The file was closed: the next run deletes and rewrites it.
    EXPECT_EQ(Run("1209", "697", "1"), std::nullopt);
    EXPECT_EQ(std::filesystem::file_size(dir_.ToneFile()), 88244U);
}

TEST_F(ToneFileFailure, PhaseOverflowKeepsTheHeaderAndTheBlocksBeforeTheFailingOne) {
    const double step = 1e308 / 44100.0 * 6.28;
    std::int32_t firstBad = 0;
    while (std::isfinite(step * static_cast<double>(firstBad))) {
        ++firstBad;
    }
    for (const bool second : {false, true}) {
        notifications_ = 0;
        const RunResult result = second ? Run("697", "1e308", "1") : Run("1e308", "697", "1");
        ExpectFailure(
            result, FailureKind::FloatingPoint,
            second ? "fréquence 2 «\u00A01e308\u00A0»" : "fréquence 1 «\u00A01e308\u00A0»");
        EXPECT_NE(result->description.find(tonegen::GroupDigits(firstBad)), std::string::npos)
            << result->description;
        const std::vector<std::uint8_t> bytes = ReadFileBytes(dir_.ToneFile());
        const auto blocksBefore = static_cast<std::size_t>(firstBad / 512);
        ASSERT_EQ(bytes.size(), 44U + 1024U * blocksBefore);
        EXPECT_EQ(quenbrix_test::ReadInt32LittleEndian(bytes, 40), 88200);  // header for N
        const std::size_t last = 512 * blocksBefore - 1;
        EXPECT_EQ(SampleAt(bytes, last),
                  quenbrix_test::ExpectedSample(second ? 697.0 : 1e308, second ? 1e308 : 697.0,
                                                20000.0, static_cast<std::int32_t>(last)));
        EXPECT_EQ(notifications_, 1);
    }
}

TEST_F(ToneFileFailure, LargestFrequencyFailsAtTheSampleWhereItsPhaseOverflows) {
    // DBL_MAX / 44,100 × 6.28 × i overflows from i = 7,023: 13 whole blocks
    // are in the file, the 14th is lost.
    ExpectFailure(Run("1.7976931348623157e308", "", "1"), FailureKind::FloatingPoint,
                  "échantillon n° 7\u00A0023 ");
    EXPECT_EQ(std::filesystem::file_size(dir_.ToneFile()), 44U + 13U * 1024U);
    EXPECT_EQ(notifications_, 1);
}

TEST_F(ToneFileFailure, DirectoryNamedTestWavCannotBeDeleted) {
    std::filesystem::create_directory(dir_.ToneFile());
    std::ofstream(dir_.ToneFile() / "dedans.txt") << "contenu";
    const RunResult result = Run("1209", "697", "1");
    ExpectFailure(result, FailureKind::File, "supprimer l'ancien fichier");
    EXPECT_NE(result->description.find("c'est un dossier"), std::string::npos);
    EXPECT_NE(result->description.find(quenbrix_test::PathText(dir_.ToneFile())),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(dir_.ToneFile()));
    EXPECT_TRUE(std::filesystem::exists(dir_.ToneFile() / "dedans.txt"));
    EXPECT_EQ(notifications_, 0);
}

TEST_F(ToneFileFailure, FileCannotBeCreatedInAMissingOrNonDirectory) {
    const std::filesystem::path missing = dir_.path() / "absent";
    RunResult result = tonegen::CreateToneFile(missing, {"1209", "697", "1", 20000});
    ExpectFailure(result, FailureKind::File, "n'existe pas");
    EXPECT_NE(result->description.find(quenbrix_test::PathText(missing / "test.wav")),
              std::string::npos);

    const std::filesystem::path plainFile = dir_.path() / "fichier";
    std::ofstream(plainFile) << "pas un dossier";
    result = tonegen::CreateToneFile(plainFile, {"1209", "697", "1", 20000});
    ExpectFailure(result, FailureKind::File, "n'est pas un dossier");
    // With no old file, a delete refused for the name itself is not reported
    // as one: creating the file names the real problem.
    const std::filesystem::path tooLong = dir_.path() / std::string(300, 'x');
    result = tonegen::CreateToneFile(tooLong, {"1209", "697", "1", 20000});
    ExpectFailure(result, FailureKind::File, "Impossible de créer le fichier");
#if defined(_WIN32)  // a name longer than any Windows folder can have is no folder there
    EXPECT_NE(result->description.find("n'existe pas"), std::string::npos) << result->description;
#else
    EXPECT_NE(result->description.find("trop long"), std::string::npos) << result->description;
#endif
    // A text error still comes first: conversions precede the file.
    ExpectFailure(tonegen::CreateToneFile(missing, {"x", "697", "1", 20000}),
                  FailureKind::TypeMismatch, "fréquence 1");
}

TEST_F(ToneFileFailure, ReadOnlyDirectoryKeepsTheOldFileOrGetsNone) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows folders have no permission bits to take away";
#else
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permission bits do not stop root; covered by the directory cases";
    }
    PlantOldFile();
    std::filesystem::permissions(
        dir_.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const RunResult withOld = Run("1209", "697", "1");
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
    ExpectFailure(withOld, FailureKind::File, "l'accès est refusé");
    const std::vector<std::uint8_t> old = ReadFileBytes(dir_.ToneFile());
    EXPECT_EQ(std::string(old.begin(), old.end()), "ancien fichier");

    std::filesystem::remove(dir_.ToneFile());
    std::filesystem::permissions(
        dir_.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const RunResult withoutOld = Run("1209", "697", "1");
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
    ExpectFailure(withoutOld, FailureKind::File, "créer le fichier");
    EXPECT_FALSE(ToneFileExists());
    EXPECT_EQ(notifications_, 0);
#endif
}

// The run happens in a child whose file size limit makes write fail with
// EFBIG, as a full disk would; kind, notification count and message come back
// through a pipe.
TEST_F(ToneFileFailure, WriteFailureIsReportedAndLeavesTheFileCutShort) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no file size limit to make a write fail";
#else
    constexpr rlim_t kLimit = 10'000;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        tonegen::IgnoreFileSizeSignal();
        const rlimit limit{kLimit, kLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int notified = 0;
        const RunResult result = tonegen::CreateToneFile(dir_.path(), {"1209", "697", "1", 20000},
                                                         {[&notified] { ++notified; }, nullptr});
        std::string report = result ? std::to_string(static_cast<int>(result->kind)) + "\n" +
                                          std::to_string(notified) + "\n" + result->description
                                    : "ok";
        const ssize_t written = ::write(fds[1], report.data(), report.size());
        ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string report;
    char chunk[512];
    ssize_t got = 0;
    while ((got = ::read(fds[0], chunk, sizeof chunk)) > 0) {
        report.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ASSERT_NE(report, "ok");
    EXPECT_EQ(report.substr(0, 2), std::to_string(static_cast<int>(FailureKind::File)) + "\n");
    EXPECT_EQ(report.substr(2, 2), "1\n");
    EXPECT_NE(report.find("Impossible d'écrire le fichier"), std::string::npos) << report;
    EXPECT_NE(report.find("taille maximale"), std::string::npos) << report;
    EXPECT_NE(report.find(dir_.ToneFile().native()), std::string::npos) << report;
    const std::vector<std::uint8_t> bytes = ReadFileBytes(dir_.ToneFile());
    EXPECT_EQ(bytes.size(), kLimit);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
#endif
}

TEST(FileFailureText, SystemReasonsInFrench) {
#if defined(_WIN32)
    // GetLastError() values.
    EXPECT_EQ(tonegen::FileErrorReason(ERROR_DISK_FULL), "le disque est plein");
    EXPECT_EQ(tonegen::FileErrorReason(ERROR_WRITE_PROTECT), "le support est en lecture seule");
    EXPECT_NE(tonegen::FileErrorReason(ERROR_ACCESS_DENIED).find("accès est refusé"),
              std::string::npos);
    // A file held open by a player is in use, not a matter of rights.
    EXPECT_NE(tonegen::FileErrorReason(ERROR_SHARING_VIOLATION).find("en cours d'utilisation"),
              std::string::npos);
    EXPECT_NE(
        tonegen::FileErrorReason(ERROR_NOT_SAME_DEVICE).find(std::to_string(ERROR_NOT_SAME_DEVICE)),
        std::string::npos);
#else
    EXPECT_EQ(tonegen::FileErrorReason(ENOSPC), "le disque est plein");
    EXPECT_EQ(tonegen::FileErrorReason(EROFS), "le support est en lecture seule");
    EXPECT_NE(tonegen::FileErrorReason(EACCES).find("accès est refusé"), std::string::npos);
    EXPECT_NE(tonegen::FileErrorReason(EDQUOT).find("quota"), std::string::npos);
    EXPECT_NE(tonegen::FileErrorReason(EIO).find("entrée-sortie"), std::string::npos);
    // An unexpected error still names its number.
    EXPECT_NE(tonegen::FileErrorReason(EXDEV).find(std::to_string(EXDEV)), std::string::npos);
#endif
}

TEST(FileFailureText, QuotedInputsAreShortenedAndFlattened) {
    EXPECT_EQ(tonegen::QuoteInput("12a"), "«\u00A012a\u00A0»");
    const std::string quoted = tonegen::QuoteInput(std::string(1000, '9'));
    EXPECT_LT(quoted.size(), 60U);
    EXPECT_NE(quoted.find("…"), std::string::npos);
    EXPECT_EQ(tonegen::QuoteInput("a\nb\u0085c"), "«\u00A0a b c\u00A0»");
    // Bytes that are not UTF-8 (Latin-1 "é", a cut sequence, a surrogate).
    EXPECT_EQ(tonegen::QuoteInput("\xE9t\xC3"), "«\u00A0\uFFFDt\uFFFD\u00A0»");
    EXPECT_EQ(tonegen::QuoteInput("\xED\xA0\x80"), "«\u00A0\uFFFD\uFFFD\uFFFD\u00A0»");
    EXPECT_EQ(tonegen::Utf8CharacterLength("é1"), 2U);
    EXPECT_EQ(tonegen::Utf8CharacterLength("\xE9"
                                           "1"),
              1U);
    // Cut between characters, never inside one.
    EXPECT_EQ(tonegen::QuoteInput(std::string(39, 'x') + "éé"),
              "«\u00A0" + std::string(39, 'x') + "é…\u00A0»");
    EXPECT_EQ(tonegen::GroupDigits(48696), "48\u00A0696");
    EXPECT_EQ(tonegen::GroupDigits(-2147483648LL), "-2\u00A0147\u00A0483\u00A0648");
    EXPECT_EQ(tonegen::GroupDigits(999), "999");
}

}  // namespace
