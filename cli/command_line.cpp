#include "command_line.h"
#include "option_scanner.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "quenbrix_version.h"
#include "tonegen/message_text.h"

namespace quenbrix_cli {

namespace {

// Arguments are UTF-8 on every system (wmain converts them on Windows); a
// path made from them must not go through the locale's code page.
std::filesystem::path Utf8Path(const std::string& text) {
    return {std::u8string(text.begin(), text.end())};
}

// getopt_long's codes: options with a one-letter form use that letter, the
// others numbers past every character.
constexpr int kOutput = 'o';
constexpr int kDirectory = 'd';
constexpr int kHelp = 'h';
constexpr int kFrequency1 = 256;
constexpr int kFrequency2 = 257;
constexpr int kSeconds = 258;
constexpr int kAmplitude = 259;
constexpr int kDtmf = 260;
constexpr int kVersion = 261;
constexpr int kDial = 262;
constexpr int kToneMs = 263;
constexpr int kGapMs = 264;
constexpr int kPauseMs = 265;
constexpr int kRate = 266;
constexpr int kFormat = 267;
constexpr int kLevel = 268;

constexpr std::array<option, 17> kLongOptions{{
    {"f1", required_argument, nullptr, kFrequency1},
    {"f2", required_argument, nullptr, kFrequency2},
    {"seconds", required_argument, nullptr, kSeconds},
    {"amplitude", required_argument, nullptr, kAmplitude},
    {"output", required_argument, nullptr, kOutput},
    {"dtmf", required_argument, nullptr, kDtmf},
    {"directory", required_argument, nullptr, kDirectory},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"dial", required_argument, nullptr, kDial},
    {"tone-ms", required_argument, nullptr, kToneMs},
    {"gap-ms", required_argument, nullptr, kGapMs},
    {"pause-ms", required_argument, nullptr, kPauseMs},
    {"rate", required_argument, nullptr, kRate},
    {"format", required_argument, nullptr, kFormat},
    {"level", required_argument, nullptr, kLevel},
    {nullptr, 0, nullptr, 0},
}};
// The leading ':' makes a missing value its own case.
constexpr const char* kShortOptions = ":o:d:h";

std::string Quoted(std::string_view text) {
    return tonegen::QuoteInput(text);
}

// "pcm16, ulaw ou alaw".
std::string FormatList() {
    std::string list;
    for (std::size_t i = 0; i != kFormatNames.size(); ++i) {
        list += (i == 0                         ? ""
                 : i + 1 == kFormatNames.size() ? " ou "
                                                : ", ") +
                std::string(kFormatNames[i].name);
    }
    return list;
}

// A script gets the scroll bar's range, in plain digits, so that no sign or
// blank is silently read as something else.
std::optional<std::int16_t> ParseAmplitude(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > tonegen::kHighestAmplitude) {
            return std::nullopt;
        }
    }
    return static_cast<std::int16_t>(value);
}

// Plain digits from lowest to highest, as for the amplitude.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text, std::int32_t lowest,
                                             std::int32_t highest) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > highest) {
            return std::nullopt;
        }
    }
    if (value < lowest) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

// A level in dBFS: an optional minus sign, digits, optionally a point and
// decimals, as "-6" or "-3.5"; read the same whatever the locale.
std::optional<double> ParseLevel(std::string_view text) {
    const std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
    const std::size_t point = digits.find('.');
    const std::string_view whole = digits.substr(0, point);
    const std::string_view decimals =
        point == std::string_view::npos ? std::string_view() : digits.substr(point + 1);
    const auto allDigits = [](std::string_view part) {
        return part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (whole.empty() || whole.size() > 3 || !allDigits(whole) ||
        (point != std::string_view::npos && (decimals.empty() || decimals.size() > 2)) ||
        !allDigits(decimals)) {
        return std::nullopt;
    }
    double value = 0.0;
    for (const char c : whole) {
        value = value * 10.0 + (c - '0');
    }
    double scale = 1.0;
    for (const char c : decimals) {
        scale /= 10.0;
        value += (c - '0') * scale;
    }
    if (text.starts_with('-')) {
        value = -value;
    }
    if (value < kLowestLevel || value > kHighestLevel) {
        return std::nullopt;
    }
    return value;
}

class Scanner : public OptionScanner {
  public:
    explicit Scanner(std::span<const std::string_view> args) : OptionScanner(args, kLongOptions) {}

    ParsedCommand Run() {
        ScanOptions(kShortOptions, [this](int code) { Take(code); });
        if (optind < ArgumentCount()) {
            Fail("argument inattendu " + Quoted(Argument(optind)) + ".");
        }
        if (help_) {
            return HelpRequest{};
        }
        if (version_) {
            return VersionRequest{};
        }
        if (FirstError()) {
            return UsageError{*FirstError()};
        }
        if (Has(kDial)) {
            return BuildDial();
        }
        for (const int dialOnly : {kToneMs, kGapMs, kPauseMs}) {
            if (Has(dialOnly)) {
                return UsageError{"l'option " + Quoted(LongName(dialOnly)) + " ne sert qu'avec " +
                                  Quoted("--dial") + "."};
            }
        }
        return Has(kDtmf) ? BuildDtmf() : BuildTone();
    }

  private:
    void Take(int code) {
        switch (code) {
            case '?':
                RefuseOption();
                return;
            case ':':
                // The BSD getopt_long of MinGW answers ':' for "--version=2" too.
                if (optopt == kHelp || optopt == kVersion) {
                    RefuseOption();
                    return;
                }
                Fail("l'option " + Quoted(TypedName(optopt)) + " attend une valeur.");
                return;
            case kHelp:
                help_ = true;
                return;
            case kVersion:
                version_ = true;
                return;
            default:
                RememberValue(code);
                return;
        }
    }

    // The name as typed: "-o" or "--output" (abbreviations spelled out).
    std::string TypedName(int code) const {
        const std::string_view arg = Argument(optind - 1);
        if (code < 256 && !arg.starts_with("--")) {
            return std::string("-") + static_cast<char>(code);
        }
        return LongName(code);
    }

    void RefuseOption() {
        if (optopt == kHelp || optopt == kVersion) {
            Fail("l'option " + Quoted(LongName(optopt)) + " ne prend pas de valeur.");
            return;
        }
        if (optopt != 0) {
            Fail("option inconnue " + Quoted(std::string("-") + static_cast<char>(optopt)) + ".");
            return;
        }
        // An unknown or ambiguous long option; getopt_long has gone past it.
        std::string_view name = Argument(optind - 1);
        name = name.substr(0, name.find('='));
        std::string candidates;
        for (const option& candidate : kLongOptions) {
            if (candidate.name != nullptr &&
                ("--" + std::string(candidate.name)).starts_with(name)) {
                candidates += (candidates.empty() ? "" : ", ") + LongName(candidate.val);
            }
        }
        if (candidates.find(',') != std::string::npos) {
            Fail("l'option " + Quoted(name) + " est ambiguë (" + candidates + ").");
        } else {
            Fail("option inconnue " + Quoted(name) + ".");
        }
    }

    std::optional<UsageError> ReadAmplitude(std::int16_t& amplitude) const {
        if (Has(kLevel)) {
            if (Has(kAmplitude)) {
                return UsageError{"les options " + Quoted("--amplitude") + " et " +
                                  Quoted("--level") +
                                  " donnent toutes deux le volume : n'en donnez qu'une."};
            }
            const auto level = ParseLevel(Text(kLevel));
            if (!level) {
                return UsageError{"niveau invalide " + Quoted(Text(kLevel)) +
                                  " : un nombre de décibels de " +
                                  std::to_string(static_cast<int>(kLowestLevel)) + " à " +
                                  std::to_string(static_cast<int>(kHighestLevel)) +
                                  " (dBFS, deux décimales au plus, par exemple -6) est attendu."};
            }
            amplitude = AmplitudeOfLevel(*level);
            return std::nullopt;
        }
        if (Has(kAmplitude)) {
            const auto parsed = ParseAmplitude(Text(kAmplitude));
            if (!parsed) {
                return UsageError{"amplitude invalide " + Quoted(Text(kAmplitude)) +
                                  " : un nombre entier de " +
                                  std::to_string(tonegen::kLowestAmplitude) + " à " +
                                  std::to_string(tonegen::kHighestAmplitude) + " est attendu."};
            }
            amplitude = *parsed;
        }
        return std::nullopt;
    }

    // --rate and --format, for every kind of file.
    std::optional<UsageError> ReadRateAndFormat(std::int32_t& sampleRate,
                                                tonegen::SampleFormat& format) const {
        if (Has(kRate)) {
            const auto rate = ParseWholeNumber(Text(kRate), tonegen::kLowestSampleRate,
                                               tonegen::kHighestSampleRate);
            if (!rate) {
                return UsageError{"fréquence d'échantillonnage invalide " + Quoted(Text(kRate)) +
                                  " : un nombre entier de hertz de " +
                                  std::to_string(tonegen::kLowestSampleRate) + " à " +
                                  std::to_string(tonegen::kHighestSampleRate) + " est attendu."};
            }
            sampleRate = *rate;
        }
        if (Has(kFormat)) {
            const auto named =
                std::ranges::find(kFormatNames, std::string_view(Text(kFormat)), &FormatName::name);
            if (named == kFormatNames.end()) {
                return UsageError{"format inconnu " + Quoted(Text(kFormat)) + " : " + FormatList() +
                                  " est attendu."};
            }
            format = named->format;
        }
        return std::nullopt;
    }

    ParsedCommand BuildDial() const {
        for (const int other : {kFrequency1, kFrequency2, kSeconds, kDtmf, kDirectory}) {
            if (Has(other)) {
                return UsageError{"l'option " + Quoted(LongName(other)) + " ne sert pas avec " +
                                  Quoted("--dial") + "."};
            }
        }
        if (!Has(kOutput)) {
            return UsageError{"il manque l'option " + Quoted("-o") + " (le fichier à écrire)."};
        }
        DialFileRequest request;
        request.dial.dialText = Text(kDial);
        const std::array<std::pair<int, std::int32_t*>, 3> timings{{
            {kToneMs, &request.dial.timings.toneMilliseconds},
            {kGapMs, &request.dial.timings.gapMilliseconds},
            {kPauseMs, &request.dial.timings.pauseMilliseconds},
        }};
        for (const auto& [code, milliseconds] : timings) {
            if (!Has(code)) {
                continue;
            }
            const auto value = ParseWholeNumber(Text(code), tonegen::kShortestDialMilliseconds,
                                                tonegen::kLongestDialMilliseconds);
            if (!value) {
                return UsageError{
                    "durée invalide " + Quoted(Text(code)) + " pour " + Quoted(LongName(code)) +
                    " : un nombre entier de millisecondes de " +
                    std::to_string(tonegen::kShortestDialMilliseconds) + " à " +
                    std::to_string(tonegen::kLongestDialMilliseconds) + " est attendu."};
            }
            *milliseconds = *value;
        }
        if (auto error = ReadAmplitude(request.dial.amplitude)) {
            return *error;
        }
        if (auto error = ReadRateAndFormat(request.dial.sampleRate, request.dial.format)) {
            return *error;
        }
        if (Text(kOutput).empty()) {
            return UsageError{"le nom du fichier de sortie (" + Quoted("-o") + ") est vide."};
        }
        if (auto failure = tonegen::CheckDialRequest(request.dial)) {
            return UsageError{failure->description};
        }
        request.output = Utf8Path(Text(kOutput));
        return request;
    }

    ParsedCommand BuildTone() const {
        if (Has(kDirectory)) {
            return UsageError{"l'option " + Quoted("-d") + " ne sert qu'avec " + Quoted("--dtmf") +
                              "."};
        }
        for (const int required : {kFrequency1, kFrequency2, kSeconds, kOutput}) {
            if (!Has(required)) {
                return UsageError{"il manque l'option " + Quoted(LongName(required)) + "."};
            }
        }
        ToneRequest request;
        request.inputs = {Text(kFrequency1), Text(kFrequency2), Text(kSeconds),
                          tonegen::kDefaultAmplitude};
        if (auto error = ReadAmplitude(request.inputs.amplitude)) {
            return *error;
        }
        if (auto error = ReadRateAndFormat(request.inputs.sampleRate, request.inputs.format)) {
            return *error;
        }
        if (Text(kOutput).empty()) {
            return UsageError{"le nom du fichier de sortie (" + Quoted("-o") + ") est vide."};
        }
        if (auto failure = tonegen::CheckToneInputs(request.inputs)) {
            return UsageError{failure->description};
        }
        request.output = Utf8Path(Text(kOutput));
        return request;
    }

    ParsedCommand BuildDtmf() const {
        for (const int toneOnly : {kFrequency1, kFrequency2, kOutput}) {
            if (Has(toneOnly)) {
                return UsageError{"l'option " + Quoted(LongName(toneOnly)) + " ne sert pas avec " +
                                  Quoted("--dtmf") + "."};
            }
        }
        if (!Has(kDirectory)) {
            return UsageError{"il manque l'option " + Quoted("-d") + " (le dossier des fichiers)."};
        }
        DtmfRequest request;
        std::string_view keys = Text(kDtmf);
        if (keys.empty()) {
            return UsageError{"aucune touche après " + Quoted("--dtmf") + "."};
        }
        while (!keys.empty()) {
            const std::size_t length = tonegen::Utf8CharacterLength(keys);
            const auto key = length == 1 ? tonegen::FindDtmfKey(keys[0]) : std::nullopt;
            if (!key) {
                return UsageError{"touche inconnue " + Quoted(keys.substr(0, length)) +
                                  " : les touches sont 0123456789*#ABCD."};
            }
            // A key typed twice names the same file: it is written once.
            bool seen = false;
            for (const tonegen::DtmfKey& earlier : request.keys) {
                seen = seen || earlier.key == key->key;
            }
            if (!seen) {
                request.keys.push_back(*key);
            }
            keys.remove_prefix(length);
        }
        if (Has(kSeconds)) {
            request.durationText = Text(kSeconds);
        }
        if (auto error = ReadAmplitude(request.amplitude)) {
            return *error;
        }
        if (auto error = ReadRateAndFormat(request.sampleRate, request.format)) {
            return *error;
        }
        if (Text(kDirectory).empty()) {
            return UsageError{"le nom du dossier (" + Quoted("-d") + ") est vide."};
        }
        request.directory = Utf8Path(Text(kDirectory));
        for (const tonegen::DtmfKey& key : request.keys) {
            if (auto failure = tonegen::CheckToneInputs(DtmfInputs(key, request))) {
                return UsageError{failure->description};
            }
        }
        return request;
    }

    bool help_ = false;
    bool version_ = false;
};

}  // namespace

ParsedCommand CommandLine::Parse(std::span<const std::string_view> args) {
    if (args.empty()) {
        return UsageError{"aucune option donnée."};
    }
    return Scanner(args).Run();
}

tonegen::ToneInputs DtmfInputs(const tonegen::DtmfKey& key, const DtmfRequest& request) {
    return {std::to_string(key.highHertz),
            std::to_string(key.lowHertz),
            request.durationText,
            request.amplitude,
            request.sampleRate,
            request.format};
}

std::int16_t AmplitudeOfLevel(double decibels) {
    return static_cast<std::int16_t>(
        std::lround(tonegen::kHighestAmplitude * std::pow(10.0, decibels / 20.0)));
}

std::string DtmfFileName(const tonegen::DtmfKey& key) {
    const std::string name = key.key == '*'   ? "star"
                             : key.key == '#' ? "hash"
                                              : std::string(1, key.key);
    return "dtmf-" + name + ".wav";
}

std::string CommandLine::HelpText() {
    const std::string rate = std::to_string(tonegen::kSamplesPerSecond);
    const std::string longest = std::to_string(tonegen::kLongestSeconds);
    const std::string amplitudes = std::to_string(tonegen::kLowestAmplitude) + " à " +
                                   std::to_string(tonegen::kHighestAmplitude) + " (" +
                                   std::to_string(tonegen::kDefaultAmplitude) + " par défaut)";
    const std::string rates = std::to_string(tonegen::kLowestSampleRate) + " à " +
                              std::to_string(tonegen::kHighestSampleRate);
    const std::string levels = std::to_string(static_cast<int>(kLowestLevel)) + " à " +
                               std::to_string(static_cast<int>(kHighestLevel));
    const tonegen::DialTimings timings;
    const auto milliseconds = [](std::int32_t value) {
        return std::to_string(value) + " ms par défaut";
    };
    std::string formats;
    for (const FormatName& named : kFormatNames) {
        formats += (formats.empty() ? "" : "|") + std::string(named.name);
    }
    return "Usage : quenbrix-tone --f1 HZ --f2 HZ --seconds S [--amplitude A] -o FICHIER\n"
           "   ou : quenbrix-tone --dtmf TOUCHES [--seconds S] [--amplitude A] -d DOSSIER\n"
           "   ou : quenbrix-tone --dial TOUCHES [--tone-ms MS] [--gap-ms MS]\n"
           "                      [--pause-ms MS] [--amplitude A] -o FICHIER\n"
#if QUENBRIX_HAVE_TONECHECK
           "   ou : quenbrix-tone --check [--expect TOUCHES] [--json] FICHIER...\n"
#endif
           "\n"
           "Crée des fichiers Wav mono (16 bits à " +
           rate +
           " Hz par défaut) contenant la somme de\n"
           "deux sinusoïdes, octet pour octet comme le bouton « Créer » de " QUENBRIX_PRODUCT_NAME
           ",\n"
           "ou des touches de téléphone.\n"
           "\n"
           "  --f1 HZ           fréquence 1 en hertz (vide : 0 Hz)\n"
           "  --f2 HZ           fréquence 2 en hertz (vide : 0 Hz)\n"
           "  --seconds S       durée en secondes entières, au plus " +
           longest + " à " + rate +
           " Hz\n"
           "                    (1 par défaut avec --dtmf)\n"
           "  --amplitude A     volume de " +
           amplitudes +
           "\n"
           "  --level DBFS      le volume en décibels sous le maximum, de " +
           levels +
           "\n"
           "                    (-6 : la moitié) ; à la place de --amplitude\n"
           "  -o, --output FICHIER\n"
           "                    fichier à écrire, « - » pour la sortie standard (pas un\n"
           "                    terminal) ; un fichier existant n'est remplacé qu'une\n"
           "                    fois le nouveau complet, ou écrit sur place quand son\n"
           "                    dossier ne permet pas de le remplacer ; un tube ou un\n"
           "                    périphérique est écrit tel quel\n"
           "  --dtmf TOUCHES    un fichier par touche parmi 0123456789*#ABCD (majuscules\n"
           "                    ou minuscules), avec sa paire de fréquences normalisée\n"
           "  -d, --directory DOSSIER\n"
           "                    dossier des fichiers dtmf-1.wav ... dtmf-star.wav,\n"
           "                    dtmf-hash.wav, dtmf-A.wav ..., créé s'il manque\n"
           "  --dial TOUCHES    un seul fichier qui compose les touches dans l'ordre ;\n"
           "                    une virgule fait une pause ; espaces, tirets, points et\n"
           "                    parenthèses sont ignorés (--dial '01 23,45')\n"
           "  --tone-ms MS      durée de chaque touche (" +
           milliseconds(timings.toneMilliseconds) +
           ")\n"
           "  --gap-ms MS       silence après chaque touche (" +
           milliseconds(timings.gapMilliseconds) +
           ")\n"
           "  --pause-ms MS     pause d'une virgule (" +
           milliseconds(timings.pauseMilliseconds) +
           ")\n"
           "                    millisecondes entières de " +
           std::to_string(tonegen::kShortestDialMilliseconds) + " à " +
           std::to_string(tonegen::kLongestDialMilliseconds) +
           " ;\n"
           "                    sous " +
           std::to_string(tonegen::kShortestAcceptedMilliseconds) +
           " ms (UIT-T Q.24), un avertissement\n"
           "  --rate HZ         fréquence d'échantillonnage, de " +
           rates +
           "\n"
           "                    (" +
           rate +
           " par défaut)\n"
           "  --format " +
           formats +
           "\n"
           "                    PCM 16 bits (par défaut) ou G.711 µ-law ou A-law,\n"
           "                    8 bits, pour la téléphonie\n"
#if QUENBRIX_HAVE_TONECHECK
           "\n"
           "Vérification d'enregistrements (Wav de tout codage, AIFF, FLAC, Ogg...) :\n"
           "  --check FICHIER... les touches DTMF de chaque fichier (« - » : l'entrée\n"
           "                    standard), avec leurs instants, fréquences mesurées et\n"
           "                    niveaux ; sans touche, ses deux tonalités les plus fortes\n"
           "  --channel N       canal lu, à partir de 1 (1 par défaut)\n"
           "  --min-level DBFS  niveau minimal de chaque tonalité (-35 par défaut)\n"
           "  --max-twist-normal DB\n"
           "                    groupe haut au plus DB plus faible (8 par défaut)\n"
           "  --max-twist-reverse DB\n"
           "                    groupe haut au plus DB plus fort (4 par défaut)\n"
           "  --expect TOUCHES  réussite seulement si ce sont exactement ces touches\n"
           "  --json            le même résultat en JSON\n"
           "\n"
#endif
           "  -h, --help        affiche cette aide\n"
           "  --version         affiche la version\n"
           "\n"
           "Les options longues s'écrivent aussi --option=valeur et s'abrègent tant\n"
           "qu'il n'y a pas d'ambiguïté (--sec=2).\n"
           "Code de sortie : 0 réussite, 1 échec de la création, 2 mauvaise utilisation\n"
           "(option ou valeur refusée, sortie standard sur un terminal ; aucun fichier\n"
           "n'est alors touché).\n"
#if QUENBRIX_HAVE_TONECHECK
           "Avec --check : 1 si un fichier n'a pu être lu ou n'a pas les touches\n"
           "attendues ; les fichiers suivants sont tout de même vérifiés.\n"
#endif
        ;
}

std::string CommandLine::VersionText() {
    return "quenbrix-tone (" QUENBRIX_PRODUCT_NAME ") " QUENBRIX_VERSION
           "\n"
           "Licence MIT.\n";
}

}  // namespace quenbrix_cli
