#include "command_line.h"

#include <optional>
#include <string>

#include "dtmf_key.h"
#include "quenbrix_version.h"

namespace quenbrix_cli {

namespace {

enum class Option { F1, F2, Seconds, Amplitude, Output, Dtmf, Directory, Help, Version };

struct OptionName {
    std::string_view name;
    Option option;
    bool takesValue;
};

constexpr OptionName kOptions[] = {
    {"--f1", Option::F1, true},           {"--f2", Option::F2, true},
    {"--seconds", Option::Seconds, true}, {"--amplitude", Option::Amplitude, true},
    {"--output", Option::Output, true},   {"-o", Option::Output, true},
    {"--dtmf", Option::Dtmf, true},       {"--directory", Option::Directory, true},
    {"-d", Option::Directory, true},      {"--help", Option::Help, false},
    {"-h", Option::Help, false},          {"--version", Option::Version, false},
};

// Help and Version come last and store no value.
constexpr auto kOptionCount = static_cast<std::size_t>(Option::Help);

std::string Quoted(std::string_view text) {
    return "« " + std::string(text) + " »";
}

const OptionName* FindOption(std::string_view name) {
    for (const OptionName& candidate : kOptions) {
        if (candidate.name == name) {
            return &candidate;
        }
    }
    return nullptr;
}

// The scroll bar only ever gives 0..32767; a script gets the same range and
// plain digits, so that no sign or blank is silently read as something else.
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
        if (value > 32767) {
            return std::nullopt;
        }
    }
    return static_cast<std::int16_t>(value);
}

class Scanner {
  public:
    explicit Scanner(std::span<const std::string_view> args) : args_(args) {}

    ParsedCommand Run() {
        for (std::size_t i = 0; i < args_.size(); ++i) {
            i = ScanOne(i);
        }
        if (help_) {
            return HelpRequest{};
        }
        if (version_) {
            return VersionRequest{};
        }
        if (error_) {
            return UsageError{*error_};
        }
        return Build();
    }

  private:
    void Fail(std::string message) {
        if (!error_) {
            error_ = std::move(message);
        }
    }

    // Returns the index of the last argument consumed.
    std::size_t ScanOne(std::size_t i) {
        const std::string_view arg = args_[i];
        std::string_view name = arg;
        std::optional<std::string_view> inlineValue;
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
            }
        } else if (arg.size() > 2 && arg[0] == '-' && (arg[1] == 'o' || arg[1] == 'd')) {
            name = arg.substr(0, 2);
            inlineValue = arg.substr(2);
        }

        const OptionName* option = FindOption(name);
        if (option == nullptr) {
            if (arg.starts_with("-") && arg != "-") {
                Fail("option inconnue " + Quoted(name) + ".");
            } else {
                Fail("argument inattendu " + Quoted(arg) + ".");
            }
            return i;
        }
        if (!option->takesValue) {
            if (inlineValue) {
                Fail("l'option " + Quoted(name) + " ne prend pas de valeur.");
            } else if (option->option == Option::Help) {
                help_ = true;
            } else {
                version_ = true;
            }
            return i;
        }

        std::string_view value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args_.size()) {
            value = args_[++i];
        } else {
            Fail("l'option " + Quoted(name) + " attend une valeur.");
            return i;
        }
        const auto slot = static_cast<std::size_t>(option->option);
        if (values_[slot]) {
            Fail("l'option " + Quoted(option->name) + " est donnée plus d'une fois.");
        } else {
            values_[slot] = std::string(value);
        }
        return i;
    }

    const std::optional<std::string>& Value(Option option) const {
        return values_[static_cast<std::size_t>(option)];
    }

    // Empty when the option is absent or the amplitude is valid.
    std::optional<UsageError> ReadAmplitude(std::int16_t& amplitude) const {
        if (const auto& text = Value(Option::Amplitude)) {
            const auto parsed = ParseAmplitude(*text);
            if (!parsed) {
                return UsageError{"amplitude invalide " + Quoted(*text) +
                                  " : un nombre entier de 0 à 32767 est attendu."};
            }
            amplitude = *parsed;
        }
        return std::nullopt;
    }

    ParsedCommand Build() const {
        if (Value(Option::Dtmf)) {
            return BuildDtmf();
        }
        return BuildTone();
    }

    ParsedCommand BuildTone() const {
        if (Value(Option::Directory)) {
            return UsageError{"l'option « -d » ne sert qu'avec « --dtmf »."};
        }
        for (const Option required : {Option::F1, Option::F2, Option::Seconds, Option::Output}) {
            if (!Value(required)) {
                return UsageError{"il manque l'option " + Quoted(NameOf(required)) + "."};
            }
        }
        ToneRequest request;
        request.frequency1Text = *Value(Option::F1);
        request.frequency2Text = *Value(Option::F2);
        request.durationText = *Value(Option::Seconds);
        if (auto error = ReadAmplitude(request.amplitude)) {
            return *error;
        }
        if (Value(Option::Output)->empty()) {
            return UsageError{"le nom du fichier de sortie (« -o ») est vide."};
        }
        request.output = *Value(Option::Output);
        return request;
    }

    ParsedCommand BuildDtmf() const {
        for (const Option tonesOnly : {Option::F1, Option::F2, Option::Output}) {
            if (Value(tonesOnly)) {
                return UsageError{"l'option " + Quoted(NameOf(tonesOnly)) +
                                  " ne sert pas avec « --dtmf »."};
            }
        }
        if (!Value(Option::Directory)) {
            return UsageError{"il manque l'option « -d » (le dossier des fichiers)."};
        }
        DtmfRequest request;
        const std::string& keys = *Value(Option::Dtmf);
        if (keys.empty()) {
            return UsageError{"aucune touche après « --dtmf »."};
        }
        for (const char c : keys) {
            if (!DtmfKeypad::Find(c)) {
                return UsageError{"touche inconnue " + Quoted(std::string_view(&c, 1)) +
                                  " : les touches sont 0123456789*#ABCD."};
            }
        }
        request.keys = keys;
        if (const auto& seconds = Value(Option::Seconds)) {
            request.durationText = *seconds;
        }
        if (auto error = ReadAmplitude(request.amplitude)) {
            return *error;
        }
        if (Value(Option::Directory)->empty()) {
            return UsageError{"le nom du dossier (« -d ») est vide."};
        }
        request.directory = *Value(Option::Directory);
        return request;
    }

    static std::string_view NameOf(Option option) {
        for (const OptionName& candidate : kOptions) {
            if (candidate.option == option) {
                return candidate.name;
            }
        }
        return {};
    }

    std::span<const std::string_view> args_;
    std::optional<std::string> values_[kOptionCount];
    std::optional<std::string> error_;
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

std::string CommandLine::HelpText() {
    return "Usage : quenbrix-tone --f1 HZ --f2 HZ --seconds S [--amplitude A] -o FICHIER\n"
           "   ou : quenbrix-tone --dtmf TOUCHES [--seconds S] [--amplitude A] -d DOSSIER\n"
           "\n"
           "Crée des fichiers Wav (mono, 16 bits, 44100 Hz) contenant la somme de deux\n"
           "sinusoïdes, octet pour octet comme le bouton « Créer » de " QUENBRIX_PRODUCT_NAME
           ".\n"
           "\n"
           "  --f1 HZ           fréquence 1 en hertz (vide : 0 Hz)\n"
           "  --f2 HZ           fréquence 2 en hertz (vide : 0 Hz)\n"
           "  --seconds S       durée en secondes entières (1 par défaut avec --dtmf)\n"
           "  --amplitude A     volume de 0 à 32767 (20000 par défaut)\n"
           "  -o, --output FICHIER\n"
           "                    fichier à écrire ; un fichier existant n'est remplacé\n"
           "                    qu'une fois le nouveau complet\n"
           "  --dtmf TOUCHES    un fichier par touche parmi 0123456789*#ABCD (majuscules\n"
           "                    ou minuscules), avec sa paire de fréquences normalisée\n"
           "  -d, --directory DOSSIER\n"
           "                    dossier des fichiers dtmf-1.wav ... dtmf-star.wav,\n"
           "                    dtmf-hash.wav, dtmf-A.wav ...\n"
           "  -h, --help        affiche cette aide\n"
           "  --version         affiche la version\n"
           "\n"
           "Les options s'écrivent aussi --option=valeur.\n"
           "Code de sortie : 0 réussite, 1 échec de la création, 2 mauvaise utilisation.\n";
}

std::string CommandLine::VersionText() {
    return "quenbrix-tone (" QUENBRIX_PRODUCT_NAME ") " QUENBRIX_VERSION "\n";
}

}  // namespace quenbrix_cli
