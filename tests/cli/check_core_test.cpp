// The checker in-process: what it finds must not depend on how the sound is
// cut into reads, a read failure must reach the caller, and the JSON strings
// of --json must stay valid whatever bytes a file name holds.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "check_report.h"
#include "tonecheck/dtmf_check.h"

namespace {

constexpr int kRate = 8000;

// Keys 1, 9 and # of 100 ms after 60 ms of silence each, sines with 2 pi.
std::vector<float> ThreeKeys() {
    const std::array<std::pair<double, double>, 3> pairs{{{697, 1209}, {852, 1477}, {941, 1477}}};
    std::vector<float> sound;
    for (const auto& [low, high] : pairs) {
        sound.resize(sound.size() + kRate * 60 / 1000, 0.0F);
        for (int n = 0; n < kRate / 10; ++n) {
            const double t = static_cast<double>(n) / kRate;
            sound.push_back(static_cast<float>(0.25 * std::sin(2 * std::numbers::pi * low * t) +
                                               0.25 * std::sin(2 * std::numbers::pi * high * t)));
        }
    }
    sound.resize(sound.size() + kRate * 60 / 1000, 0.0F);
    return sound;
}

// Gives the sound as asked, up to failAfter samples, where reading fails.
class BreakingSource final : public tonecheck::SampleSource {
  public:
    BreakingSource(std::vector<float> sound, std::size_t failAfter)
        : sound_(std::move(sound)), limit_(std::min(failAfter, sound_.size())) {}
    int SampleRate() const override { return kRate; }
    std::size_t Read(std::span<float> samples) override {
        const std::size_t count = std::min(samples.size(), limit_ - at_);
        std::copy_n(sound_.begin() + static_cast<std::ptrdiff_t>(at_), count, samples.begin());
        at_ += count;
        return count;
    }
    std::optional<tonegen::Failure> ReadFailure() const override {
        if (at_ < sound_.size()) {
            return tonegen::Failure{tonegen::FailureKind::File, "lecture interrompue"};
        }
        return std::nullopt;
    }

  private:
    std::vector<float> sound_;
    std::size_t limit_;
    std::size_t at_ = 0;
};

TEST(CheckCore, FindsTheSameKeysWhateverTheFeedSize) {
    const std::vector<float> sound = ThreeKeys();
    std::vector<tonecheck::FoundKey> reference;
    for (const std::size_t feed :
         {sound.size(), std::size_t{1}, std::size_t{37}, std::size_t{4096}}) {
        tonecheck::DtmfDetector detector(kRate, {});
        for (std::size_t at = 0; at < sound.size(); at += feed) {
            detector.Feed(std::span(sound).subspan(at, std::min(feed, sound.size() - at)));
        }
        const tonecheck::CheckResult result = detector.Finish();
        ASSERT_EQ(result.KeyString(), "19#") << feed;
        EXPECT_NEAR(result.keys[1].startMs, 60 + 160 + 0.0, 2.0);
        EXPECT_NEAR(result.keys[1].lowHertz, 852.0, 0.1);
        EXPECT_NEAR(result.keys[1].highLevelDbfs, 20 * std::log10(0.25), 0.2);
        if (reference.empty()) {
            reference = result.keys;
            continue;
        }
        for (std::size_t i = 0; i < reference.size(); ++i) {
            EXPECT_EQ(result.keys[i].startMs, reference[i].startMs) << feed;
            EXPECT_EQ(result.keys[i].endMs, reference[i].endMs) << feed;
            EXPECT_EQ(result.keys[i].highHertz, reference[i].highHertz) << feed;
        }
    }
}

TEST(CheckCore, AReadFailureIsTheResult) {
    BreakingSource whole(ThreeKeys(), SIZE_MAX);
    const auto read = tonecheck::CheckSource(whole, {});
    ASSERT_TRUE(std::holds_alternative<tonecheck::CheckResult>(read));
    EXPECT_EQ(std::get<tonecheck::CheckResult>(read).KeyString(), "19#");

    BreakingSource broken(ThreeKeys(), 2000);
    const auto failed = tonecheck::CheckSource(broken, {});
    ASSERT_TRUE(std::holds_alternative<tonegen::Failure>(failed));
    EXPECT_EQ(std::get<tonegen::Failure>(failed).description, "lecture interrompue");
}

TEST(CheckCore, JsonStringsEscapeWhatJsonForbids) {
    EXPECT_EQ(quenbrix_cli::JsonString("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(quenbrix_cli::JsonString("\n\t\x01\x1f"), R"("\n\t\u0001\u001f")");
    // Valid UTF-8 stays; a byte that starts no character becomes U+FFFD.
    EXPECT_EQ(quenbrix_cli::JsonString("é\xff"), "\"é\uFFFD\"");
}

}  // namespace
