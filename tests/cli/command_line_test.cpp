// The argument reader: every accepted form beside the forms it must refuse.
#include "command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace quenbrix_cli {
namespace {

ParsedCommand ParseArgs(std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> list(args);
    return CommandLine::Parse(list);
}

std::string UsageMessage(const ParsedCommand& parsed) {
    const auto* error = std::get_if<UsageError>(&parsed);
    return error != nullptr ? error->message : std::string("<no usage error>");
}

// « text » with the no-break spaces of French typography.
std::string Q(std::string_view text) {
    return "«\u00A0" + std::string(text) + "\u00A0»";
}

TEST(CommandLineTone, ReadsTextsUnchangedInEveryGnuForm) {
    const auto parsed =
        ParseArgs({"--f1", " 12,5", "--f2=", "--seconds=1e1", "-o", "Dossier é 日本/out.wav"});
    const auto* tone = std::get_if<ToneRequest>(&parsed);
    ASSERT_NE(tone, nullptr) << UsageMessage(parsed);
    EXPECT_EQ(tone->inputs.frequency1Text, " 12,5");
    EXPECT_EQ(tone->inputs.frequency2Text, "");
    EXPECT_EQ(tone->inputs.durationText, "1e1");
    EXPECT_EQ(tone->inputs.amplitude, 20000);
    // The arguments are UTF-8 on every system, whatever the locale's code page.
    EXPECT_EQ(tone->output, std::filesystem::path(u8"Dossier é 日本/out.wav"));

    // A value that looks like an option is still the value of the option
    // before it; abbreviations, an attached -o value, "-" and "--".
    const auto gnu =
        ParseArgs({"--f1", "-5", "--f=697", "--sec", "1", "--amp=7", "-o-", "--", "--f1"});
    EXPECT_EQ(UsageMessage(gnu), "l'option " + Q("--f") + " est ambiguë (--f1, --f2, --format).");
    const auto abbreviated = ParseArgs({"--f1", "-5", "--f2=697", "--sec", "1", "--amp=7", "-o-"});
    const auto* short_ = std::get_if<ToneRequest>(&abbreviated);
    ASSERT_NE(short_, nullptr) << UsageMessage(abbreviated);
    EXPECT_EQ(short_->inputs.frequency1Text, "-5");
    EXPECT_EQ(short_->inputs.amplitude, 7);
    EXPECT_EQ(short_->output, "-");
    EXPECT_EQ(
        UsageMessage(ParseArgs({"--f1", "1", "--f2", "2", "--sec", "1", "-o", "x", "--", "--f1"})),
        "argument inattendu " + Q("--f1") + ".");
}

TEST(CommandLineTone, RefusesMissingRepeatedAndForeignOptions) {
    EXPECT_EQ(UsageMessage(ParseArgs({"--f1", "1", "--seconds", "1", "-o", "x"})),
              "il manque l'option " + Q("--f2") + ".");
    EXPECT_EQ(UsageMessage(ParseArgs({"--f1", "1", "--f2", "1", "--seconds", "1"})),
              "il manque l'option " + Q("--output") + ".");
    EXPECT_EQ(
        UsageMessage(ParseArgs({"--f1", "1", "--f1=2", "--f2", "1", "--seconds", "1", "-o", "x"})),
        "l'option " + Q("--f1") + " est donnée plus d'une fois.");
    EXPECT_EQ(
        UsageMessage(ParseArgs({"--f1", "1", "--f2", "1", "--seconds", "1", "-o", "x", "-d", "y"})),
        "l'option " + Q("-d") + " ne sert qu'avec " + Q("--dtmf") + ".");
    EXPECT_EQ(UsageMessage(ParseArgs({"--frequence", "1"})),
              "option inconnue " + Q("--frequence") + ".");
    EXPECT_EQ(UsageMessage(ParseArgs({"-x"})), "option inconnue " + Q("-x") + ".");
    EXPECT_EQ(UsageMessage(ParseArgs({"fichier.wav"})),
              "argument inattendu " + Q("fichier.wav") + ".");
    EXPECT_EQ(UsageMessage(ParseArgs({"--f1"})), "l'option " + Q("--f1") + " attend une valeur.");
    EXPECT_EQ(UsageMessage(ParseArgs({"--f2", "1", "-o"})),
              "l'option " + Q("-o") + " attend une valeur.");
    EXPECT_EQ(UsageMessage(ParseArgs({"--f1", "1", "--f2", "1", "--seconds", "1", "-o", ""})),
              "le nom du fichier de sortie (" + Q("-o") + ") est vide.");
    EXPECT_EQ(UsageMessage(ParseArgs({})), "aucune option donnée.");
}

// Values are checked with the core's own conversions before anything runs.
TEST(CommandLineValues, RefusesWhatTheCoreWouldRefuse) {
    for (const auto& [f1, seconds, mentions] :
         {std::tuple{"abc", "1", "n'est pas un nombre"}, std::tuple{"1", "", "La durée est vide"},
          std::tuple{"1", "30000", "24\u00A0347 secondes"},
          std::tuple{"1e308", "1", "trop haute"}}) {
        const std::string message =
            UsageMessage(ParseArgs({"--f1", f1, "--f2", "1", "--seconds", seconds, "-o", "x"}));
        EXPECT_NE(message.find(mentions), std::string::npos) << message;
    }
    for (const std::string_view text :
         {"32768", "-1", "+5", "", " 5", "5.0", "99999999999999999999"}) {
        const auto parsed =
            ParseArgs({"--f1", "1", "--f2", "1", "--seconds", "1", "--amplitude", text, "-o", "x"});
        EXPECT_EQ(UsageMessage(parsed), "amplitude invalide " + Q(text) +
                                            " : un nombre entier de 0 à 32767 est attendu.");
    }
    const auto loudest =
        ParseArgs({"--f1", "1", "--f2", "1", "--seconds", "1", "--amplitude", "32767", "-o", "x"});
    ASSERT_TRUE(std::holds_alternative<ToneRequest>(loudest)) << UsageMessage(loudest);
    EXPECT_EQ(std::get<ToneRequest>(loudest).inputs.amplitude, 32767);
}

TEST(CommandLineDtmf, DefaultsToOneSecondAndKeepsEachKeyOnce) {
    const auto parsed = ParseArgs({"--dtmf", "1a*#1", "--dir=sons"});
    const auto* dtmf = std::get_if<DtmfRequest>(&parsed);
    ASSERT_NE(dtmf, nullptr) << UsageMessage(parsed);
    std::string keys;
    for (const tonegen::DtmfKey& key : dtmf->keys) {
        keys += key.key;
    }
    EXPECT_EQ(keys, "1A*#");
    EXPECT_EQ(dtmf->durationText, "1");
    EXPECT_EQ(dtmf->amplitude, 20000);
    EXPECT_EQ(dtmf->directory, "sons");
    const tonegen::ToneInputs one = DtmfInputs(dtmf->keys[0], *dtmf);
    EXPECT_EQ(one.frequency1Text, "1209");
    EXPECT_EQ(one.frequency2Text, "697");
    EXPECT_EQ(DtmfFileName(dtmf->keys[1]), "dtmf-A.wav");
    EXPECT_EQ(DtmfFileName(dtmf->keys[2]), "dtmf-star.wav");
    EXPECT_EQ(DtmfFileName(dtmf->keys[3]), "dtmf-hash.wav");

    const auto timed = ParseArgs({"--dtmf=D", "--seconds", "3", "--amplitude", "100", "-d", "."});
    const auto* timedDtmf = std::get_if<DtmfRequest>(&timed);
    ASSERT_NE(timedDtmf, nullptr) << UsageMessage(timed);
    EXPECT_EQ(timedDtmf->durationText, "3");
    EXPECT_EQ(timedDtmf->amplitude, 100);
}

TEST(CommandLineDtmf, RefusesUnknownKeysWholeAndToneOptions) {
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "12E", "-d", "."})),
              "touche inconnue " + Q("E") + " : les touches sont 0123456789*#ABCD.");
    // A key outside ASCII is quoted whole, and a byte that is no UTF-8 as U+FFFD.
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "1é", "-d", "."})),
              "touche inconnue " + Q("é") + " : les touches sont 0123456789*#ABCD.");
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "1\xE9", "-d", "."})),
              "touche inconnue " + Q("\uFFFD") + " : les touches sont 0123456789*#ABCD.");
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "", "-d", "."})),
              "aucune touche après " + Q("--dtmf") + ".");
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "1"})),
              "il manque l'option " + Q("-d") + " (le dossier des fichiers).");
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "1", "-d", ".", "-o", "x.wav"})),
              "l'option " + Q("--output") + " ne sert pas avec " + Q("--dtmf") + ".");
    EXPECT_NE(UsageMessage(ParseArgs({"--dtmf", "1", "-d", ".", "--seconds", "deux"}))
                  .find("n'est pas un nombre"),
              std::string::npos);
}

TEST(CommandLineInformation, HelpAndVersionWinOverOtherArguments) {
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(ParseArgs({"--bogus", "--help"})));
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(ParseArgs({"-h"})));
    EXPECT_TRUE(std::holds_alternative<VersionRequest>(ParseArgs({"--vers"})));
    EXPECT_EQ(UsageMessage(ParseArgs({"--version=2"})),
              "l'option " + Q("--version") + " ne prend pas de valeur.");
    EXPECT_EQ(CommandLine::VersionText(), "quenbrix-tone (Quenbrix) 1.00\nLicence MIT.\n");
}

}  // namespace
}  // namespace quenbrix_cli
