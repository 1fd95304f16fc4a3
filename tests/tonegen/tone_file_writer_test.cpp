#include "tone_file_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "g711.h"
#include "tone_test_support.h"

namespace {

using quenbrix_test::ReadFileBytes;
using quenbrix_test::ScratchDirectory;
using tonegen::ToneFileWriter;

TEST(ToneFileWriter, BytesAcrossManyBufferFillsArriveInOrder) {
    ScratchDirectory dir;
    std::vector<std::int16_t> samples(100'000);
    std::iota(samples.begin(), samples.end(), std::int16_t{-30000});
    {
        ToneFileWriter writer;
        ASSERT_EQ(writer.Create(dir.ToneFile()), std::nullopt);
        const std::vector<std::uint8_t> head = {'R', 'I', 'F', 'F', 1, 2, 3};
        ASSERT_TRUE(writer.Append(head));
        for (std::size_t at = 0; at < samples.size(); at += 512) {
            const std::size_t count = std::min<std::size_t>(512, samples.size() - at);
            ASSERT_TRUE(writer.AppendBlock(std::span(samples).subspan(at, count)));
        }
        ASSERT_EQ(writer.Finish(), std::nullopt);
        EXPECT_FALSE(writer.AppendBlock(samples));  // closed: nothing more goes in
    }
    const std::vector<std::uint8_t> bytes = ReadFileBytes(dir.ToneFile());
    ASSERT_EQ(bytes.size(), 7U + 2U * samples.size());
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(quenbrix_test::ReadInt16LittleEndian(bytes, 7 + 2 * i), samples[i]) << i;
    }
}

TEST(ToneFileWriter, G711BlocksArriveAsOneCodeASampleInOrder) {
    ScratchDirectory dir;
    // More than two of the largest write buffers, in blocks longer and
    // shorter than the writer's own steps.
    std::vector<std::int16_t> samples(600'001);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<int>(i * 7919 % 65536) - 32768);
    }
    {
        ToneFileWriter writer;
        ASSERT_EQ(writer.Create(dir.ToneFile()), std::nullopt);
        for (std::size_t at = 0; at < samples.size(); at += 1500) {
            const std::size_t count = std::min<std::size_t>(1500, samples.size() - at);
            ASSERT_TRUE(writer.AppendBlock(std::span(samples).subspan(at, count),
                                           tonegen::SampleFormat::ALaw));
        }
        ASSERT_EQ(writer.Finish(), std::nullopt);
        EXPECT_FALSE(writer.AppendBlock(samples, tonegen::SampleFormat::MuLaw));
    }
    const std::vector<std::uint8_t> bytes = ReadFileBytes(dir.ToneFile());
    ASSERT_EQ(bytes.size(), samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(bytes[i], tonegen::EncodeALaw(samples[i])) << i;
    }
}

TEST(ToneFileWriter, NeverOpensAnExistingFileOrALink) {
    ScratchDirectory dir;
    std::ofstream(dir.ToneFile()) << "déjà là";
    ToneFileWriter writer;
    const std::optional<tonegen::Failure> failure = writer.Create(dir.ToneFile());
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, tonegen::FailureKind::File);
    EXPECT_NE(failure->description.find("créer le fichier"), std::string::npos);
    const std::vector<std::uint8_t> kept = ReadFileBytes(dir.ToneFile());
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "déjà là");
    EXPECT_FALSE(writer.AppendBlock(std::vector<std::int16_t>(4)));
    const std::optional<tonegen::Failure> closing = writer.Finish();
    ASSERT_TRUE(closing.has_value());  // the first failure stays the answer
    EXPECT_EQ(closing->description, failure->description);

#if !defined(_WIN32)  // MinGW's library makes no symbolic links; CREATE_NEW refuses any name
    std::filesystem::remove(dir.ToneFile());
    std::filesystem::create_symlink(dir.path() / "cible", dir.ToneFile());
    ToneFileWriter throughLink;
    EXPECT_TRUE(throughLink.Create(dir.ToneFile()).has_value());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "cible"));
#endif
}

}  // namespace
