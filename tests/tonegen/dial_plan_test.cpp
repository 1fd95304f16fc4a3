#include "tonegen/dial_plan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

#include "dial_samples.h"
#include "tone_parameters.h"
#include "tone_test_support.h"

namespace {

using tonegen::DialLayout;
using tonegen::DialStep;
using tonegen::DialTimings;
using tonegen::Failure;
using tonegen::FailureKind;

// The steps as text: the keys, and ',' for a pause.
std::string Spelled(const std::vector<DialStep>& steps) {
    std::string text;
    for (const DialStep& step : steps) {
        text += step.key ? step.key->key : ',';
    }
    return text;
}

std::string ParsedOrError(std::string_view text) {
    const auto parsed = tonegen::ParseDialString(text);
    if (const auto* failure = std::get_if<Failure>(&parsed)) {
        return "error: " + failure->description;
    }
    return Spelled(std::get<std::vector<DialStep>>(parsed));
}

Failure Refusal(std::string_view text) {
    const auto parsed = tonegen::ParseDialString(text);
    EXPECT_TRUE(std::holds_alternative<Failure>(parsed)) << text;
    return std::holds_alternative<Failure>(parsed) ? std::get<Failure>(parsed)
                                                   : Failure{FailureKind::File, ""};
}

TEST(DialString, KeysCommasAndAPastedNumberAsWritten) {
    EXPECT_EQ(ParsedOrError("01 23-45 (67)"), "01234567");
    EXPECT_EQ(ParsedOrError("0.12.34\t56"), "0123456");
    EXPECT_EQ(ParsedOrError("a#*dB,c"), "A#*DB,C");
    EXPECT_EQ(ParsedOrError(",,9"), ",,9");
    EXPECT_EQ(ParsedOrError(","), ",");  // only a pause: a silent file
}

TEST(DialString, AnyOtherCharacterIsRefusedWithItsPositionInCharacters) {
    const Failure letter = Refusal("12x4");
    EXPECT_EQ(letter.kind, FailureKind::TypeMismatch);
    EXPECT_NE(letter.description.find("«\u00A0x\u00A0» en position 3,"), std::string::npos)
        << letter.description;

    // An en dash from a word processor: three bytes, one character, shown whole.
    const Failure dash = Refusal("(01) 23\u201345");
    EXPECT_NE(dash.description.find("«\u00A0\u2013\u00A0» en position 8,"), std::string::npos)
        << dash.description;

    EXPECT_NE(Refusal("+33 1").description.find("«\u00A0+\u00A0» en position 1,"),
              std::string::npos);
    EXPECT_NE(Refusal("1é").description.find("«\u00A0é\u00A0» en position 2,"), std::string::npos);
    // A byte that is no UTF-8 is one character, shown as U+FFFD.
    EXPECT_NE(Refusal("12\xFF").description.find("«\u00A0\uFFFD\u00A0» en position 3,"),
              std::string::npos);
}

TEST(DialString, NothingToDialIsRefused) {
    for (const std::string_view text : {"", " - . ( ) "}) {
        const Failure failure = Refusal(text);
        EXPECT_EQ(failure.kind, FailureKind::TypeMismatch);
        EXPECT_NE(failure.description.find("Le numéro à composer"), std::string::npos)
            << failure.description;
    }
}

TEST(DialTimings, EachLiesBetween1And60000Milliseconds) {
    EXPECT_EQ(tonegen::CheckDialTimings({}), std::nullopt);
    EXPECT_EQ(tonegen::CheckDialTimings({1, 1, 1}), std::nullopt);
    EXPECT_EQ(tonegen::CheckDialTimings({60000, 60000, 60000}), std::nullopt);
    const struct {
        DialTimings timings;
        std::string_view names;
    } refused[] = {
        {{0, 100, 2000}, "La durée des tonalités (0 ms)"},
        {{100, 60001, 2000}, "La durée des silences entre les touches (60\u00A0001 ms)"},
        {{100, 100, -5}, "La durée des pauses (-5 ms)"},
    };
    for (const auto& [timings, names] : refused) {
        const std::optional<Failure> failure = tonegen::CheckDialTimings(timings);
        ASSERT_TRUE(failure.has_value()) << names;
        EXPECT_EQ(failure->kind, FailureKind::Overflow);
        EXPECT_TRUE(failure->description.starts_with(names)) << failure->description;
        EXPECT_NE(failure->description.find("entre 1 et 60\u00A0000 ms"), std::string::npos);
    }
}

TEST(DialTimings, TonesOrGapsUnder40MillisecondsAreWarnedAbout) {
    EXPECT_EQ(tonegen::DialTimingWarning({}), std::nullopt);
    EXPECT_EQ(tonegen::DialTimingWarning({40, 40, 1}), std::nullopt);  // pauses do not count
    const std::optional<std::string> tone = tonegen::DialTimingWarning({39, 40, 2000});
    ASSERT_TRUE(tone.has_value());
    EXPECT_NE(tone->find("des tonalités de 39 ms sont"), std::string::npos) << *tone;
    EXPECT_NE(tone->find("Q.24"), std::string::npos) << *tone;
    EXPECT_NE(tone->find("décodeurs"), std::string::npos) << *tone;
    const std::optional<std::string> both = tonegen::DialTimingWarning({30, 10, 2000});
    ASSERT_TRUE(both.has_value());
    EXPECT_NE(both->find("des tonalités de 30 ms et des silences de 10 ms entre les touches"),
              std::string::npos)
        << *both;
}

std::vector<DialStep> Steps(std::string_view text) {
    return std::get<std::vector<DialStep>>(tonegen::ParseDialString(text));
}

DialLayout Layout(std::string_view text, const DialTimings& timings, std::int32_t rate) {
    const std::optional<DialLayout> layout = tonegen::LayOutDial(Steps(text), timings, rate);
    EXPECT_TRUE(layout.has_value()) << text << " at " << rate;
    return layout.value_or(DialLayout{});
}

// "[first sample, count, key]" for each segment, "_" for silence, then the total.
std::string Described(const DialLayout& layout) {
    std::string text;
    for (const auto& segment : layout.segments) {
        text += "[" + std::to_string(segment.firstSample) + " " +
                std::to_string(segment.sampleCount) + " " + (segment.key ? segment.key->key : '_') +
                "] ";
    }
    return text + "= " + std::to_string(layout.sampleCount);
}

TEST(DialLayout, ExactLengthsWithHalvesRoundedToEven) {
    // 44.1 samples a millisecond: every boundary is whole.
    EXPECT_EQ(Described(Layout("1", {}, 44100)), "[0 4410 1] [4410 4410 _] = 8820");
    // 8 samples a millisecond.
    EXPECT_EQ(Described(Layout("#", {40, 60, 2000}, 8000)), "[0 320 #] [320 480 _] = 800");
    // At 11,025 Hz a millisecond is 11.025 samples. The boundaries of "1,2"
    // lie at 100, 200, 2200, 2300 and 2400 ms: 1,102.5 (even: 1,102), 2,205,
    // 24,255, 25,357.5 (even: 25,358) and 26,460 samples.
    EXPECT_EQ(Described(Layout("1,2", {}, 11025)),
              "[0 1102 1] [1102 1103 _] [2205 22050 _] [24255 1103 2] [25358 1102 _] = 26460");
    EXPECT_EQ(Described(Layout(",", {}, 192000)), "[0 384000 _] = 384000");
}

TEST(DialLayout, ThousandKeysDoNotDrift) {
    const DialLayout layout = Layout(std::string(1000, '5'), {70, 30, 2000}, 11025);
    // 100,000 ms × 11.025 = 1,102,500 samples; rounding each 70 ms tone
    // (771.75: 772) and 30 ms gap (330.75: 331) alone would make 1,103,000.
    EXPECT_EQ(layout.sampleCount, 1'102'500);
    ASSERT_EQ(layout.segments.size(), 2000U);
    std::int64_t milliseconds = 0;
    std::int64_t end = 0;
    int ties = 0;
    for (std::size_t i = 0; i < layout.segments.size(); ++i) {
        const tonegen::DialSegment& segment = layout.segments[i];
        ASSERT_EQ(segment.firstSample, end) << i;
        ASSERT_EQ(segment.key.has_value(), i % 2 == 0) << i;
        end += segment.sampleCount;
        milliseconds += i % 2 == 0 ? 70 : 30;
        // The end is the integer nearest to milliseconds × 11,025 / 1,000, the
        // even one on a tie: |1000 × end - 11025 × milliseconds| <= 500.
        const std::int64_t offBy = 1000 * end - 11025 * milliseconds;
        ASSERT_LE(std::abs(offBy), 500) << i;
        if (std::abs(offBy) == 500) {
            ++ties;
            ASSERT_EQ(end % 2, 0) << i;
        }
    }
    // A gap ends at a whole 100 ms, 1,102.5 samples: a half for every odd one.
    EXPECT_EQ(ties, 500);
}

TEST(DialLayout, RatesAndTimingsOutOfRangeGiveNoLayout) {
    const std::vector<DialStep> steps = Steps("123");
    EXPECT_FALSE(tonegen::LayOutDial(steps, {}, 7999).has_value());
    EXPECT_FALSE(tonegen::LayOutDial(steps, {}, 192001).has_value());
    EXPECT_FALSE(tonegen::LayOutDial(steps, {0, 100, 2000}, 44100).has_value());
    EXPECT_TRUE(tonegen::LayOutDial(steps, {}, 8000).has_value());
}

TEST(DialKeySamples, At44100AKeyHasTheConstantsOfItsOwnFile) {
    for (const tonegen::DtmfKey& key : tonegen::kDtmfKeys) {
        // The window's key "1" is 1209 Hz as frequency 1 with 697 Hz.
        const auto own = tonegen::ReadToneParameters(
            {std::to_string(key.highHertz), std::to_string(key.lowHertz), "1", 20000});
        ASSERT_TRUE(std::holds_alternative<tonegen::ToneParameters>(own));
        const tonegen::SampleConstants expected = std::get<tonegen::ToneParameters>(own).constants;
        const tonegen::SampleConstants dialled = tonegen::DialKeyConstants(key, 44100, 20000);
        EXPECT_EQ(dialled.phaseStep1, expected.phaseStep1) << key.key;
        EXPECT_EQ(dialled.phaseStep2, expected.phaseStep2) << key.key;
        EXPECT_EQ(dialled.amplitude, expected.amplitude) << key.key;
    }
}

}  // namespace
