// The arguments of quenbrix-tone --check, read like the tone options (GNU
// getopt_long, French messages) but on their own table: no tone option
// means anything here.
#include <getopt.h>

#include <array>
#include <charconv>
#include <system_error>

#include "command_line.h"
#include "option_scanner.h"
#include "tonegen/message_text.h"

namespace quenbrix_cli {

namespace {

constexpr int kHelp = 'h';
constexpr int kCheck = 256;
constexpr int kChannel = 257;
constexpr int kMinLevel = 258;
constexpr int kMaxTwistNormal = 259;
constexpr int kMaxTwistReverse = 260;
constexpr int kExpect = 261;
constexpr int kJson = 262;
constexpr int kVersion = 263;

constexpr std::array<option, 10> kCheckOptions{{
    {"check", no_argument, nullptr, kCheck},
    {"channel", required_argument, nullptr, kChannel},
    {"min-level", required_argument, nullptr, kMinLevel},
    {"max-twist-normal", required_argument, nullptr, kMaxTwistNormal},
    {"max-twist-reverse", required_argument, nullptr, kMaxTwistReverse},
    {"expect", required_argument, nullptr, kExpect},
    {"json", no_argument, nullptr, kJson},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
}};

std::string Quoted(std::string_view text) {
    return tonegen::QuoteInput(text);
}

// A plain decimal number ("-40", "7.5"): no blanks, no exponent, no locale.
std::optional<double> ParseDecimal(std::string_view text, double low, double high) {
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

class CheckScanner : public OptionScanner {
  public:
    explicit CheckScanner(std::span<const std::string_view> args)
        : OptionScanner(args, kCheckOptions) {}

    ParsedCheck Run() {
        ScanOptions(":h", [this](int code) { Take(code); });
        if (help_) {
            return HelpRequest{};
        }
        if (version_) {
            return VersionRequest{};
        }
        if (FirstError()) {
            return UsageError{*FirstError()};
        }
        CheckRequest request;
        for (int i = optind; i < ArgumentCount(); ++i) {
            const std::string name(Argument(i));
            if (name.empty()) {
                return UsageError{"un nom de fichier à vérifier est vide."};
            }
            if (name == "-" && HasStandardInput(request)) {
                return UsageError{"l'entrée standard " + Quoted("-") +
                                  " ne peut être lue qu'une fois."};
            }
            request.files.emplace_back(std::u8string(name.begin(), name.end()));
        }
        if (request.files.empty()) {
            return UsageError{"aucun fichier à vérifier après " + Quoted("--check") + "."};
        }
        return Build(std::move(request));
    }

  private:
    static bool HasStandardInput(const CheckRequest& request) {
        for (const auto& file : request.files) {
            if (file == "-") {
                return true;
            }
        }
        return false;
    }

    void Take(int code) {
        switch (code) {
            case '?':
            case ':':
                Refuse(code);
                return;
            case kHelp:
                help_ = true;
                return;
            case kVersion:
                version_ = true;
                return;
            case kCheck:
                return;
            case kJson:
                json_ = true;
                return;
            default:
                RememberValue(code);
                return;
        }
    }

    void Refuse(int code) {
        std::string_view typed = Argument(optind - 1);
        typed = typed.substr(0, typed.find('='));
        if (optopt == kHelp || optopt == kVersion || optopt == kCheck || optopt == kJson) {
            Fail("l'option " + Quoted(LongName(optopt)) + " ne prend pas de valeur.");
        } else if (code == ':') {
            Fail("l'option " + Quoted(LongName(optopt)) + " attend une valeur.");
        } else if (optopt != 0) {
            Fail("option inconnue " + Quoted(std::string("-") + static_cast<char>(optopt)) +
                 " avec " + Quoted("--check") + ".");
        } else {
            Fail("option inconnue ou ambiguë " + Quoted(typed) + " avec " + Quoted("--check") +
                 ".");
        }
    }

    ParsedCheck Build(CheckRequest request) const {
        request.json = json_;
        if (Has(kChannel)) {
            const auto channel = ParseDecimal(Text(kChannel), 1, 65535);
            if (!channel || *channel != static_cast<double>(static_cast<int>(*channel))) {
                return UsageError{"canal invalide " + Quoted(Text(kChannel)) +
                                  " : un nombre entier de 1 à 65535 est attendu."};
            }
            request.channel = static_cast<int>(*channel);
        }
        const std::array<std::tuple<int, double*, double, double, const char*>, 3> limits{{
            {kMinLevel, &request.minLevelDbfs, -200.0, 0.0, "un niveau en dBFS de -200 à 0"},
            {kMaxTwistNormal, &request.maxTwistNormalDb, 0.0, 60.0, "un écart en dB de 0 à 60"},
            {kMaxTwistReverse, &request.maxTwistReverseDb, 0.0, 60.0, "un écart en dB de 0 à 60"},
        }};
        for (const auto& [code, target, low, high, expected] : limits) {
            if (Has(code)) {
                const auto value = ParseDecimal(Text(code), low, high);
                if (!value) {
                    return UsageError{"valeur invalide " + Quoted(Text(code)) + " pour " +
                                      Quoted(LongName(code)) + " : " + expected + " est attendu."};
                }
                *target = *value;
            }
        }
        if (Has(kExpect)) {
            std::string keys;
            std::string_view typed = Text(kExpect);
            while (!typed.empty()) {
                const std::size_t length = tonegen::Utf8CharacterLength(typed);
                const auto key = length == 1 ? tonegen::FindDtmfKey(typed[0]) : std::nullopt;
                if (!key) {
                    return UsageError{"touche inconnue " + Quoted(typed.substr(0, length)) +
                                      " après " + Quoted("--expect") +
                                      " : les touches sont 0123456789*#ABCD."};
                }
                keys += key->key;
                typed.remove_prefix(length);
            }
            request.expectedKeys = keys;
        }
        return request;
    }

    bool help_ = false;
    bool version_ = false;
    bool json_ = false;
};

}  // namespace

bool RequestsCheck(std::span<const std::string_view> args) {
    for (const std::string_view arg : args) {
        if (arg == "--") {
            return false;
        }
        // "--ch" and "--c" could also be --channel.
        const std::string_view name = arg.substr(0, arg.find('='));
        if (name.size() >= 5 && std::string_view("--check").starts_with(name)) {
            return true;
        }
    }
    return false;
}

ParsedCheck ParseCheck(std::span<const std::string_view> args) {
    return CheckScanner(args).Run();
}

}  // namespace quenbrix_cli
