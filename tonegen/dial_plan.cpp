#include "tonegen/dial_plan.h"

#include <string>

#include "dial_samples.h"
#include "group_digits.h"
#include "tonegen/message_text.h"
#include "tonegen/sample_format.h"

namespace tonegen {
namespace {

constexpr std::string_view kWhatToType =
    "les touches sont 0 à 9, *, # et A à D, une virgule fait une pause ; les espaces, tirets, "
    "points et parenthèses sont ignorés.";

// What people write between the digits of a telephone number.
bool IsSeparator(std::string_view character) {
    return character == " " || character == "\t" || character == "-" || character == "." ||
           character == "(" || character == ")";
}

Failure NotAKeyFailure(std::string_view character, std::int64_t position) {
    return {FailureKind::TypeMismatch,
            "Le numéro à composer contient " + QuoteInput(character) + " en position " +
                GroupDigits(position) + ", qui n'est pas une touche : " + std::string(kWhatToType)};
}

Failure NoKeyFailure(std::string_view text) {
    const std::string what =
        text.empty() ? "Le numéro à composer est vide"
                     : "Le numéro à composer " + QuoteInput(text) + " ne contient aucune touche";
    return {FailureKind::TypeMismatch, what + " : " + std::string(kWhatToType)};
}

std::optional<Failure> CheckMilliseconds(std::int32_t milliseconds, std::string_view what) {
    if (milliseconds >= kShortestDialMilliseconds && milliseconds <= kLongestDialMilliseconds) {
        return std::nullopt;
    }
    return Failure{FailureKind::Overflow,
                   "La durée " + std::string(what) + " (" + GroupDigits(milliseconds) +
                       " ms) est hors limites : elle doit être comprise entre " +
                       GroupDigits(kShortestDialMilliseconds) + " et " +
                       GroupDigits(kLongestDialMilliseconds) + " ms."};
}

// Sample round(milliseconds × rate / 1000), halves to even, in integers.
std::optional<std::int64_t> SampleAtMillisecond(std::int64_t milliseconds,
                                                std::int32_t sampleRate) {
    std::int64_t scaled = 0;
    if (__builtin_mul_overflow(milliseconds, std::int64_t{sampleRate}, &scaled)) {
        return std::nullopt;
    }
    std::int64_t sample = scaled / 1000;
    const std::int64_t remainder = scaled % 1000;
    if (remainder > 500 || (remainder == 500 && sample % 2 != 0)) {
        ++sample;
    }
    return sample;
}

}  // namespace

std::variant<std::vector<DialStep>, Failure> ParseDialString(std::string_view text) {
    std::vector<DialStep> steps;
    std::int64_t position = 0;
    for (std::string_view rest = text; !rest.empty();) {
        const std::string_view character = rest.substr(0, Utf8CharacterLength(rest));
        rest.remove_prefix(character.size());
        ++position;
        if (IsSeparator(character)) {
            continue;
        }
        if (character == ",") {
            steps.push_back({});
            continue;
        }
        const std::optional<DtmfKey> key =
            character.size() == 1 ? FindDtmfKey(character[0]) : std::nullopt;
        if (!key) {
            return NotAKeyFailure(character, position);
        }
        steps.push_back({key});
    }
    if (steps.empty()) {
        return NoKeyFailure(text);
    }
    return steps;
}

std::optional<Failure> CheckDialTimings(const DialTimings& timings) {
    if (auto failure = CheckMilliseconds(timings.toneMilliseconds, "des tonalités")) {
        return failure;
    }
    if (auto failure =
            CheckMilliseconds(timings.gapMilliseconds, "des silences entre les touches")) {
        return failure;
    }
    return CheckMilliseconds(timings.pauseMilliseconds, "des pauses");
}

std::optional<std::string> DialTimingWarning(const DialTimings& timings) {
    std::string shortOnes;
    if (timings.toneMilliseconds < kShortestAcceptedMilliseconds) {
        shortOnes = "des tonalités de " + GroupDigits(timings.toneMilliseconds) + " ms";
    }
    if (timings.gapMilliseconds < kShortestAcceptedMilliseconds) {
        shortOnes += (shortOnes.empty() ? "" : " et ") + std::string("des silences de ") +
                     GroupDigits(timings.gapMilliseconds) + " ms entre les touches";
    }
    if (shortOnes.empty()) {
        return std::nullopt;
    }
    return "Attention : " + shortOnes + " sont en dessous des " +
           GroupDigits(kShortestAcceptedMilliseconds) +
           " ms de la recommandation UIT-T Q.24 ; certains décodeurs DTMF risquent de manquer "
           "des touches.";
}

std::optional<DialLayout> LayOutDial(const std::vector<DialStep>& steps, const DialTimings& timings,
                                     std::int32_t sampleRate) {
    if (sampleRate < kLowestSampleRate || sampleRate > kHighestSampleRate ||
        CheckDialTimings(timings)) {
        return std::nullopt;
    }
    DialLayout layout;
    layout.segments.reserve(2 * steps.size());
    // Every boundary comes from the milliseconds elapsed since the start, never
    // from the lengths before it, so rounding cannot pile up.
    std::int64_t elapsed = 0;
    const auto append = [&](std::int32_t milliseconds, std::optional<DtmfKey> key) {
        if (__builtin_add_overflow(elapsed, milliseconds, &elapsed)) {
            return false;
        }
        const std::optional<std::int64_t> end = SampleAtMillisecond(elapsed, sampleRate);
        if (!end) {
            return false;
        }
        layout.segments.push_back({layout.sampleCount, *end - layout.sampleCount, key});
        layout.sampleCount = *end;
        return true;
    };
    for (const DialStep& step : steps) {
        const bool laidOut = step.key ? append(timings.toneMilliseconds, step.key) &&
                                            append(timings.gapMilliseconds, std::nullopt)
                                      : append(timings.pauseMilliseconds, std::nullopt);
        if (!laidOut) {
            return std::nullopt;
        }
    }
    return layout;
}

SampleConstants DialKeyConstants(const DtmfKey& key, std::int32_t sampleRate, double amplitude) {
    const auto rate = static_cast<double>(sampleRate);
    return {static_cast<double>(key.highHertz) / rate * kPhaseFactor,
            static_cast<double>(key.lowHertz) / rate * kPhaseFactor, amplitude};
}

}  // namespace tonegen
