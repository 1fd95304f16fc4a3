#include "tonegen/tone_file.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <array>
#include <cerrno>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tone_file_with_kernel.h"
#include "tone_test_support.h"
#include "tonegen/message_text.h"

namespace {

using quenbrix_test::ExpectedSample;
using quenbrix_test::ReadFileBytes;
using quenbrix_test::ReadInt32LittleEndian;
using quenbrix_test::SampleAt;
using quenbrix_test::ScratchDirectory;
using tonegen::KernelChoice;

// The runs of this file go through every sample kernel this machine has.
class ToneFileRun : public testing::TestWithParam<KernelChoice> {
  protected:
    void SetUp() override {
        if (!tonegen::KernelAvailable(GetParam())) {
            GTEST_SKIP() << "kernel not available here";
        }
    }

    tonegen::RunResult Run(std::string_view f1, std::string_view f2, std::string_view duration,
                           std::int16_t amplitude) {
        return tonegen::CreateToneFileWithKernel(
            GetParam(), dir_.path(),
            {std::string(f1), std::string(f2), std::string(duration), amplitude},
            {[this] { ++notifications_; }, nullptr});
    }

    std::vector<std::uint8_t> ToneBytes() const { return ReadFileBytes(dir_.ToneFile()); }

    ScratchDirectory dir_;
    int notifications_ = 0;
};

void ExpectHeaderFor(const std::vector<std::uint8_t>& bytes, std::int32_t sampleCount) {
    ASSERT_GE(bytes.size(), 44U);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(ReadInt32LittleEndian(bytes, 4), 2 * sampleCount + 36);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(ReadInt32LittleEndian(bytes, 24), 44100);
    EXPECT_EQ(ReadInt32LittleEndian(bytes, 28), 88200);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(ReadInt32LittleEndian(bytes, 40), 2 * sampleCount);
}

TEST_P(ToneFileRun, OneSecondOfTheDefaultToneIsTheFormulaSampleForSample) {
    ASSERT_EQ(Run("1209", "697", "1", 20000), std::nullopt);
    const std::vector<std::uint8_t> bytes = ToneBytes();
    ASSERT_EQ(bytes.size(), 88244U);
    ExpectHeaderFor(bytes, 44100);
    for (std::size_t i = 0; i < 44100; ++i) {
        ASSERT_EQ(SampleAt(bytes, i),
                  ExpectedSample(1209.0, 697.0, 20000.0, static_cast<std::int32_t>(i)))
            << "sample " << i;
    }
    const std::array<std::int16_t, 12> firstTwelve = {0,     2704,  5348,  7872,  10222, 12345,
                                                      14198, 15741, 16945, 17789, 18260, 18357};
    for (std::size_t i = 0; i < firstTwelve.size(); ++i) {
        EXPECT_EQ(SampleAt(bytes, i), firstTwelve[i]);
    }
    EXPECT_EQ(notifications_, 1);
}

TEST_P(ToneFileRun, FullBlocksOnlyFor128SecondsAndNothingAfterTheLastSample) {
    ASSERT_EQ(Run("1209", "697", "128", 32767), std::nullopt);
    const std::vector<std::uint8_t> bytes = ToneBytes();
    ASSERT_EQ(bytes.size(), 44U + 2U * 5'644'800U);
    ExpectHeaderFor(bytes, 5'644'800);
    // Around every block boundary of the last blocks, and the very last one.
    for (std::int32_t i = 5'644'800 - 2048; i < 5'644'800; ++i) {
        ASSERT_EQ(SampleAt(bytes, static_cast<std::size_t>(i)),
                  ExpectedSample(1209.0, 697.0, 32767.0, i))
            << "sample " << i;
    }
    EXPECT_EQ(notifications_, 1);
}

TEST_P(ToneFileRun, EmptyFrequencyIsSilenceAndEqualFrequenciesAddUp) {
    ASSERT_EQ(Run("", "697", "1", 20000), std::nullopt);
    std::vector<std::uint8_t> bytes = ToneBytes();
    ASSERT_EQ(bytes.size(), 88244U);
    for (std::int32_t i = 0; i < 44100; ++i) {
        ASSERT_EQ(SampleAt(bytes, static_cast<std::size_t>(i)),
                  ExpectedSample(0.0, 697.0, 20000.0, i));
    }

    ASSERT_EQ(Run("697", "697", "1", 16000), std::nullopt);
    bytes = ToneBytes();
    std::int16_t loudest = 0;
    for (std::int32_t i = 0; i < 44100; ++i) {
        const std::int16_t sample = SampleAt(bytes, static_cast<std::size_t>(i));
        ASSERT_EQ(sample, ExpectedSample(697.0, 697.0, 16000.0, i));
        loudest = std::max(loudest, sample);
    }
    // One tone at twice the amplitude of each sine: peaks near A, not A / 2.
    EXPECT_GT(loudest, 15900);
}

TEST_P(ToneFileRun, SilentInputsStillGiveTheFullLength) {
    for (const auto& [f1, f2, amplitude] :
         {std::tuple{"", "", std::int16_t{32767}}, std::tuple{"1209", "697", std::int16_t{0}}}) {
        ASSERT_EQ(Run(f1, f2, "2", amplitude), std::nullopt);
        const std::vector<std::uint8_t> bytes = ToneBytes();
        ASSERT_EQ(bytes.size(), 44U + 2U * 88200U);
        for (std::size_t i = 0; i < 88200; ++i) {
            ASSERT_EQ(SampleAt(bytes, i), 0) << "sample " << i;
        }
    }
}

TEST_P(ToneFileRun, NegativeAmplitudeMirrorsTheTone) {
    ASSERT_EQ(Run("1209", "697", "1", -32768), std::nullopt);
    const std::vector<std::uint8_t> bytes = ToneBytes();
    for (std::int32_t i = 0; i < 44100; ++i) {
        ASSERT_EQ(SampleAt(bytes, static_cast<std::size_t>(i)),
                  ExpectedSample(1209.0, 697.0, -32768.0, i));
    }
}

TEST_P(ToneFileRun, ZeroSecondsIsAValidEmptyFileWithoutNotification) {
    ASSERT_EQ(Run("1209", "697", "0", 20000), std::nullopt);
    const std::vector<std::uint8_t> bytes = ToneBytes();
    ASSERT_EQ(bytes.size(), 44U);
    ExpectHeaderFor(bytes, 0);
    EXPECT_EQ(notifications_, 0);
}

TEST_P(ToneFileRun, SameInputsTwiceGiveTheSameBytesWhateverWasThere) {
    ASSERT_EQ(Run("1209", "697", "3", 20000), std::nullopt);
    const std::vector<std::uint8_t> longer = ToneBytes();
    ASSERT_EQ(Run("941", "1336", "1", 20000), std::nullopt);
    const std::vector<std::uint8_t> first = ToneBytes();
    ASSERT_EQ(Run("941", "1336", "1", 20000), std::nullopt);
    EXPECT_EQ(ToneBytes(), first);
    EXPECT_EQ(first.size(), 88244U);
    EXPECT_NE(longer.size(), first.size());
    EXPECT_EQ(notifications_, 3);
}

TEST_P(ToneFileRun, PlantedSymbolicLinkIsReplacedAndItsTargetKept) {
#if defined(_WIN32)
    GTEST_SKIP() << "MinGW's library makes no symbolic links on Windows";
#endif
    const std::filesystem::path target = dir_.path() / "précieux.txt";
    std::ofstream(target) << "ne pas écraser";
    std::filesystem::create_symlink(target, dir_.ToneFile());
    ASSERT_EQ(Run("1209", "697", "1", 20000), std::nullopt);
    EXPECT_FALSE(std::filesystem::is_symlink(dir_.ToneFile()));
    EXPECT_EQ(std::filesystem::file_size(dir_.ToneFile()), 88244U);
    const std::vector<std::uint8_t> kept = ReadFileBytes(target);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "ne pas écraser");
}

TEST_P(ToneFileRun, FailingRunLeavesTheSameFileAndMessageAsTheScalarPath) {
    for (const auto& [f1, f2] : {std::pair{"1e308", "697"}, std::pair{"852", "9e307"}}) {
        const tonegen::RunResult scalar = tonegen::CreateToneFileWithKernel(
            KernelChoice::Scalar, dir_.path(), {std::string(f1), std::string(f2), "1", 20000});
        ASSERT_TRUE(scalar.has_value());
        const std::vector<std::uint8_t> scalarBytes = ToneBytes();
        const tonegen::RunResult result = Run(f1, f2, "1", 20000);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->kind, tonegen::FailureKind::FloatingPoint);
        EXPECT_EQ(result->description, scalar->description);
        EXPECT_EQ(ToneBytes(), scalarBytes);
        EXPECT_GT(scalarBytes.size(), 44U);  // some blocks made it before the failure
    }
    EXPECT_EQ(notifications_, 2);
}

INSTANTIATE_TEST_SUITE_P(AllKernels, ToneFileRun,
                         testing::Values(KernelChoice::Scalar, KernelChoice::Sse2,
                                         KernelChoice::Avx2, KernelChoice::Avx512),
                         [](const testing::TestParamInfo<KernelChoice>& param) {
                             return std::string(tonegen::KernelName(param.param));
                         });

TEST(ToneFilePath, AppendsTheFileNameAsPlainText) {
#if defined(_WIN32)
    EXPECT_EQ(tonegen::ToneFilePath(L"C:\\Quenbrix").native(), L"C:\\Quenbrix\\test.wav");
    EXPECT_EQ(tonegen::ToneFilePath(L"C:\\").native(), L"C:\\\\test.wav");
    EXPECT_EQ(tonegen::ToneFilePath(L"C:\\Dossier é 日本").native(),
              L"C:\\Dossier é 日本\\test.wav");
#else
    EXPECT_EQ(tonegen::ToneFilePath("/opt/Quenbrix").native(), "/opt/Quenbrix/test.wav");
    EXPECT_EQ(tonegen::ToneFilePath("/").native(), "//test.wav");
    EXPECT_EQ(tonegen::ToneFilePath("/home/zoé/Mes sons").native(), "/home/zoé/Mes sons/test.wav");
#endif
}

TEST(ToneFileKinds, EachKindHasItsFrenchName) {
    EXPECT_EQ(tonegen::KindName(tonegen::FailureKind::TypeMismatch), "Incompatibilité de type");
    EXPECT_EQ(tonegen::KindName(tonegen::FailureKind::Overflow), "Dépassement de capacité");
    EXPECT_EQ(tonegen::KindName(tonegen::FailureKind::FloatingPoint),
              "Erreur de calcul en virgule flottante");
    EXPECT_EQ(tonegen::KindName(tonegen::FailureKind::File), "Erreur de fichier");
}

TEST(ToneFileDefaultKernel, PublicEntryWritesTheSameFileAsTheScalarPath) {
    ScratchDirectory dir;
    ASSERT_EQ(tonegen::CreateToneFile(dir.path(), {"852", "1477", "1", 32767}), std::nullopt);
    const std::vector<std::uint8_t> fast = ReadFileBytes(dir.ToneFile());
    ASSERT_EQ(tonegen::CreateToneFileWithKernel(KernelChoice::Scalar, dir.path(),
                                                {"852", "1477", "1", 32767}),
              std::nullopt);
    EXPECT_EQ(ReadFileBytes(dir.ToneFile()), fast);
}

// Two programs pressing "Créer" in the same folder: the second must neither
// delete the file the first is still writing nor let the first report a file
// that no longer exists.
TEST(CreateToneFile, ASecondRunLeavesTheFileBeingWrittenAlone) {
    ScratchDirectory dir;
    const tonegen::ToneInputs first{"1209", "697", "2", 20000};
    std::optional<tonegen::RunResult> second;
    const tonegen::ToneProgress progress{
        nullptr, [&](std::int32_t done, std::int32_t /*total*/) {
            if (!second && done >= 44100) {
                second = tonegen::CreateToneFile(dir.path(), {"941", "1336", "1", 1000});
            }
        }};
    ASSERT_EQ(tonegen::CreateToneFile(dir.path(), first, progress), std::nullopt);
    ASSERT_TRUE(second.has_value());
    ASSERT_TRUE(second->has_value());
    EXPECT_EQ((*second)->kind, tonegen::FailureKind::File);
    EXPECT_NE((*second)->description.find("en cours d'utilisation"), std::string::npos)
        << (*second)->description;
    const std::vector<std::uint8_t> bytes = ReadFileBytes(dir.ToneFile());
    ASSERT_EQ(bytes.size(), 44U + 2U * 88200U);
    EXPECT_EQ(SampleAt(bytes, 88199), ExpectedSample(1209, 697, 20000, 88199));

    // Once the first run has closed its file, the next one replaces it.
    ASSERT_EQ(tonegen::CreateToneFile(dir.path(), {"941", "1336", "1", 1000}), std::nullopt);
    EXPECT_EQ(ReadFileBytes(dir.ToneFile()).size(), 44U + 2U * 44100U);
}

// The entry every caller but "Créer" uses: a file created at a given path, or
// an output the caller opened, with progress block by block.
TEST(WriteToneFile, CreatesOnlyANewFileAndReportsEveryBlock) {
    ScratchDirectory dir;
    std::vector<std::int32_t> done;
    int firstSamples = 0;
    const tonegen::ToneProgress progress{[&firstSamples] { ++firstSamples; },
                                         [&done](std::int32_t samples, std::int32_t total) {
                                             EXPECT_EQ(total, 44100);
                                             done.push_back(samples);
                                         }};
    const tonegen::ToneInputs inputs{"1209", "697", "1", 20000};
    ASSERT_EQ(tonegen::WriteToneFile(dir / "a.wav", inputs, progress), std::nullopt);
    ASSERT_EQ(done.size(), 87U);  // 86 full blocks and one of 68 samples
    EXPECT_EQ(done.front(), 512);
    EXPECT_EQ(done[85], 86 * 512);
    EXPECT_EQ(done.back(), 44100);
    EXPECT_EQ(firstSamples, 1);
    ASSERT_EQ(tonegen::CreateToneFile(dir.path(), {"1209", "697", "1", 20000}), std::nullopt);
    EXPECT_EQ(ReadFileBytes(dir / "a.wav"), ReadFileBytes(dir.ToneFile()));

    // An existing name, or a link, is never opened: the file stays as it was.
    const tonegen::RunResult again = tonegen::WriteToneFile(dir / "a.wav", {"1", "2", "3", 5});
    ASSERT_TRUE(again.has_value());
    EXPECT_NE(again->description.find("Impossible de créer le fichier"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "a.wav"), ReadFileBytes(dir.ToneFile()));
#if !defined(_WIN32)  // MinGW's library makes no symbolic links
    std::filesystem::create_symlink(dir / "absent.wav", dir / "lien.wav");
    EXPECT_TRUE(tonegen::WriteToneFile(dir / "lien.wav", inputs).has_value());
    EXPECT_FALSE(std::filesystem::exists(dir / "absent.wav"));
#endif
}

TEST(WriteToneFile, WritesIntoAnOpenOutputFromWhereItStands) {
    ScratchDirectory dir;
    ASSERT_EQ(tonegen::CreateToneFile(dir.path(), {"941", "1336", "1", 1000}), std::nullopt);
#if defined(_WIN32)
    const auto write = [](HANDLE file, const char* text, DWORD size) {
        DWORD written = 0;
        return WriteFile(file, text, size, &written, nullptr) != FALSE ? written : 0;
    };
    HANDLE fd = CreateFileW((dir / "ouvert.wav").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(fd, INVALID_HANDLE_VALUE);
    const auto close = CloseHandle;
    const char* const kBadHandleReason = "erreur système 6 (";
#else
    const int fd = ::open((dir / "ouvert.wav").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    const auto write = ::write;
    const auto close = ::close;
    const std::string kBadHandleReason = tonegen::FileErrorReason(EBADF);
#endif
    ASSERT_EQ(write(fd, "avant", 5), 5);
    EXPECT_EQ(tonegen::WriteToneFile(fd, "sortie", {"941", "1336", "1", 1000}), std::nullopt);
    EXPECT_EQ(write(fd, "après", 6), 6);  // still open: the caller closes it
    close(fd);
    std::vector<std::uint8_t> expected = {'a', 'v', 'a', 'n', 't'};
    const std::vector<std::uint8_t> tone = ReadFileBytes(dir.ToneFile());
    expected.insert(expected.end(), tone.begin(), tone.end());
    const std::string after = "après";
    expected.insert(expected.end(), after.begin(), after.end());
    EXPECT_EQ(ReadFileBytes(dir / "ouvert.wav"), expected);

    const tonegen::RunResult closed = tonegen::WriteToneFile(fd, "sortie", {"1", "2", "1", 5});
    ASSERT_TRUE(closed.has_value());
    EXPECT_EQ(closed->description.rfind("Impossible d'écrire le fichier «\u00A0sortie\u00A0» : " +
                                            std::string(kBadHandleReason),
                                        0),
              0U)
        << closed->description;
}

// The check that callers make before touching any file refuses exactly what
// the run would refuse later, with the same kind.
TEST(CheckToneInputs, RefusesWhatTheRunWouldRefuseAfterCreatingItsFile) {
    EXPECT_EQ(tonegen::CheckToneInputs({"1209", "697", "24347", 32767}), std::nullopt);
    EXPECT_EQ(tonegen::CheckToneInputs({"", "", "0", 0}), std::nullopt);
    ScratchDirectory dir;
    for (const auto& [f1, f2, seconds] :
         {std::tuple{"1209", "697", "24348"}, std::tuple{"1209", "697", "48696"},
          std::tuple{"12x", "697", "1"}, std::tuple{"1e308", "697", "1"},
          std::tuple{"697", "9e307", "1"}, std::tuple{"1e307", "1e308", "1"}}) {
        const tonegen::ToneInputs inputs{std::string(f1), std::string(f2), std::string(seconds),
                                         20000};
        const std::optional<tonegen::Failure> checked = tonegen::CheckToneInputs(inputs);
        const tonegen::RunResult run = tonegen::CreateToneFile(
            dir.path(), {std::string(f1), std::string(f2), std::string(seconds), 20000});
        ASSERT_TRUE(checked.has_value()) << f1 << " " << f2 << " " << seconds;
        ASSERT_TRUE(run.has_value());
        EXPECT_EQ(checked->kind, run->kind) << run->description;
        if (run->kind != tonegen::FailureKind::FloatingPoint) {
            EXPECT_EQ(checked->description, run->description);
            continue;
        }
        // The same sample and the same frequency as the run's failure.
        for (const std::regex& part :
             {std::regex("n° [0-9\u00A0]+"), std::regex("fréquence [12]")}) {
            std::smatch predicted;
            std::smatch met;
            ASSERT_TRUE(std::regex_search(checked->description, predicted, part));
            ASSERT_TRUE(std::regex_search(run->description, met, part));
            EXPECT_EQ(predicted.str(), met.str()) << checked->description << "\n"
                                                  << run->description;
        }
    }
}

}  // namespace
