#include "tone_parameters.h"

#include <cmath>
#include <optional>
#include <string>

#include "group_digits.h"
#include "number_text.h"
#include "tonegen/message_text.h"
#include "wave_format.h"

namespace tonegen {
namespace {

std::string LongestDuration(const ToneInputs& inputs) {
    return "la durée maximale est de " +
           GroupDigits(LongestSeconds(inputs.format, inputs.sampleRate)) + " secondes";
}

Failure FrequencyFailure(int which, std::string_view text, NumberStatus status) {
    const std::string name = "La fréquence " + std::to_string(which) + " " + QuoteInput(text);
    if (status == NumberStatus::OutOfRange) {
        return {FailureKind::Overflow,
                name + " dépasse le plus grand nombre que le programme sait représenter."};
    }
    return {FailureKind::TypeMismatch,
            name + " n'est pas un nombre. Saisissez une fréquence en hertz, par exemple 1209."};
}

// A number out of the signed 32-bit range: beyond it on either side.
bool SpellsNegative(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    return first != std::string_view::npos && text[first] == '-';
}

std::optional<Failure> ReadDuration(const ToneInputs& inputs, std::int32_t& seconds) {
    const std::string_view text = inputs.durationText;
    if (text.empty()) {
        return Failure{FailureKind::TypeMismatch,
                       "La durée est vide. Saisissez un nombre entier de secondes, par exemple 1."};
    }
    const DurationNumber number = ParseDurationText(text);
    if (number.status == NumberStatus::NotANumber) {
        return Failure{FailureKind::TypeMismatch,
                       "La durée " + QuoteInput(text) +
                           " n'est pas un nombre. Saisissez un nombre entier de secondes, "
                           "par exemple 1."};
    }
    const bool negative =
        number.status == NumberStatus::OutOfRange ? SpellsNegative(text) : number.seconds < 0;
    if (negative) {
        return Failure{FailureKind::Overflow, "La durée " + QuoteInput(text) +
                                                  " est négative : elle doit être nulle ou "
                                                  "positive."};
    }
    if (number.status == NumberStatus::OutOfRange) {
        return Failure{
            FailureKind::Overflow,
            "La durée " + QuoteInput(text) + " est trop longue : " + LongestDuration(inputs) + "."};
    }
    seconds = number.seconds;
    return std::nullopt;
}

Failure TooLongFailure(std::int32_t seconds, std::string_view why, std::int32_t longest) {
    return {FailureKind::Overflow, "La durée de " + GroupDigits(seconds) +
                                       " secondes est trop longue : " + std::string(why) + ". " +
                                       "La durée maximale est de " + GroupDigits(longest) +
                                       " secondes."};
}

// W = F / rate, then the step W × 6.28 shared by every sample.
std::optional<double> PhaseStep(double frequency, std::int32_t sampleRate) {
    const double w = frequency / static_cast<double>(sampleRate);
    const double step = w * kPhaseFactor;
    if (!std::isfinite(w) || !std::isfinite(step)) {
        return std::nullopt;
    }
    return step;
}

// "la fréquence 1 « 1209 »", or with a capital to open a sentence.
std::string FrequencyName(bool first, const ToneInputs& inputs, bool sentenceStart = false) {
    return std::string(sentenceStart ? "La" : "la") + " fréquence " + (first ? "1 " : "2 ") +
           QuoteInput(first ? inputs.frequency1Text : inputs.frequency2Text);
}

}  // namespace

std::variant<ToneParameters, Failure> ReadToneParameters(const ToneInputs& inputs) {
    if (auto failure = CheckSampleRate(inputs.sampleRate)) {
        return *failure;
    }
    const FrequencyNumber frequency1 = ParseFrequencyText(inputs.frequency1Text);
    if (frequency1.status != NumberStatus::Ok) {
        return FrequencyFailure(1, inputs.frequency1Text, frequency1.status);
    }
    const FrequencyNumber frequency2 = ParseFrequencyText(inputs.frequency2Text);
    if (frequency2.status != NumberStatus::Ok) {
        return FrequencyFailure(2, inputs.frequency2Text, frequency2.status);
    }
    ToneParameters parameters;
    if (auto failure = ReadDuration(inputs, parameters.seconds)) {
        return *failure;
    }
    if (__builtin_mul_overflow(parameters.seconds, inputs.sampleRate, &parameters.sampleCount)) {
        return TooLongFailure(parameters.seconds,
                              "le nombre d'échantillons dépasse " + GroupDigits(INT32_MAX),
                              LongestSeconds(inputs.format, inputs.sampleRate));
    }
    const std::optional<double> step1 = PhaseStep(frequency1.value, inputs.sampleRate);
    const std::optional<double> step2 = PhaseStep(frequency2.value, inputs.sampleRate);
    if (!step1 || !step2) {
        return SampleFailure(step1 ? SampleFault::Phase2NotFinite : SampleFault::Phase1NotFinite, 0,
                             inputs);
    }
    parameters.constants = {*step1, *step2, static_cast<double>(inputs.amplitude)};
    return parameters;
}

Failure PhaseRangeFailure(bool firstFrequency, std::int32_t index, const ToneInputs& inputs) {
    return Failure{FailureKind::FloatingPoint,
                   FrequencyName(firstFrequency, inputs, true) +
                       " est trop haute : la phase de l'échantillon n° " + GroupDigits(index) +
                       " dépasserait la plage des nombres à virgule flottante. Choisissez une "
                       "fréquence plus basse."};
}

Failure FileTooLargeFailure(std::int32_t seconds, SampleFormat format, std::int32_t sampleRate) {
    return TooLongFailure(seconds, "le fichier WAVE dépasserait sa taille maximale de 2 Go",
                          LongestSeconds(format, sampleRate));
}

Failure DialTooLongFailure(std::int64_t sampleCount, SampleFormat format, std::int32_t sampleRate) {
    return {FailureKind::Overflow,
            "Le numéro à composer est trop long pour les champs de taille du fichier WAVE en " +
                std::string(FormatName(format)) + " : il durerait " +
                GroupDigits(sampleCount / sampleRate) +
                " secondes, le fichier dépasserait sa taille maximale de 2 Go. La durée maximale "
                "à " +
                GroupDigits(sampleRate) + " Hz est de " +
                GroupDigits(LongestSeconds(format, sampleRate)) + " secondes."};
}

std::optional<Failure> CheckSampleRate(std::int32_t sampleRate) {
    if (sampleRate >= kLowestSampleRate && sampleRate <= kHighestSampleRate) {
        return std::nullopt;
    }
    return Failure{FailureKind::Overflow,
                   "La fréquence d'échantillonnage de " + GroupDigits(sampleRate) +
                       " Hz est hors limites : elle doit être comprise entre " +
                       GroupDigits(kLowestSampleRate) + " et " + GroupDigits(kHighestSampleRate) +
                       " Hz."};
}

std::string_view FormatName(SampleFormat format) {
    switch (format) {
        case SampleFormat::MuLaw:
            return "µ-law";
        case SampleFormat::ALaw:
            return "A-law";
        case SampleFormat::Pcm16:
            break;
    }
    return "PCM 16 bits";
}

std::optional<std::string> FoldingWarning(const ToneInputs& inputs) {
    std::string high;
    int count = 0;
    for (const bool first : {true, false}) {
        const FrequencyNumber frequency =
            ParseFrequencyText(first ? inputs.frequency1Text : inputs.frequency2Text);
        // A tone at or above half the rate folds back below it: the file
        // sounds at another pitch than the one asked for.
        if (frequency.status == NumberStatus::Ok &&
            std::fabs(frequency.value) * 2.0 >= static_cast<double>(inputs.sampleRate)) {
            high += (count++ == 0 ? "" : " et ") + FrequencyName(first, inputs);
        }
    }
    if (count == 0) {
        return std::nullopt;
    }
    const std::string half =
        GroupDigits(inputs.sampleRate / 2) + (inputs.sampleRate % 2 != 0 ? ",5" : "");
    return "Attention : " + high +
           (count == 1 ? " atteint ou dépasse" : " atteignent ou dépassent") +
           " la moitié de la fréquence d'échantillonnage (" + half + " Hz) : " +
           (count == 1 ? "elle sera entendue repliée, plus grave"
                       : "elles seront entendues repliées, plus graves") +
           " que demandé.";
}

Failure SampleFailure(SampleFault fault, std::int32_t index, const ToneInputs& inputs) {
    const std::string where = "Le calcul de l'échantillon n° " + GroupDigits(index) + " a échoué";
    switch (fault) {
        case SampleFault::Phase1NotFinite:
        case SampleFault::Phase2NotFinite:
            return {FailureKind::FloatingPoint,
                    where + " : la phase de " +
                        FrequencyName(fault == SampleFault::Phase1NotFinite, inputs) +
                        " dépasse la plage des nombres à virgule flottante. Choisissez une "
                        "fréquence plus basse."};
        case SampleFault::SampleOutOfRange:
            return {FailureKind::Overflow,
                    where +
                        " : la valeur dépasse la plage d'un échantillon de 16 bits. "
                        "Choisissez une amplitude plus faible."};
        case SampleFault::ResultNotFinite:
        case SampleFault::None:
            break;
    }
    return {FailureKind::FloatingPoint,
            where + " : le résultat n'est pas un nombre fini. Vérifiez les fréquences."};
}

}  // namespace tonegen
