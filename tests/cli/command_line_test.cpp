// The argument reader: every accepted form beside the forms it must refuse.
#include "command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "dtmf_key.h"

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

TEST(CommandLineTone, ReadsTextsUnchangedWithBothOptionForms) {
    const auto parsed = ParseArgs({"--f1", " 12,5", "--f2=", "--seconds=1e1", "-o", "out.wav"});
    const auto* tone = std::get_if<ToneRequest>(&parsed);
    ASSERT_NE(tone, nullptr) << UsageMessage(parsed);
    EXPECT_EQ(tone->frequency1Text, " 12,5");
    EXPECT_EQ(tone->frequency2Text, "");
    EXPECT_EQ(tone->durationText, "1e1");
    EXPECT_EQ(tone->amplitude, 20000);
    EXPECT_EQ(tone->output, "out.wav");

    // A value that looks like an option is still the value of the option before it.
    const auto dashed = ParseArgs({"--f1", "-5", "--f2", "697", "--seconds", "1", "-oout.wav"});
    const auto* dashedTone = std::get_if<ToneRequest>(&dashed);
    ASSERT_NE(dashedTone, nullptr) << UsageMessage(dashed);
    EXPECT_EQ(dashedTone->frequency1Text, "-5");
    EXPECT_EQ(dashedTone->output, "out.wav");
}

TEST(CommandLineTone, RefusesMissingRepeatedAndForeignOptions) {
    EXPECT_EQ(UsageMessage(ParseArgs({"--f1", "1", "--seconds", "1", "-o", "x"})),
              "il manque l'option « --f2 ».");
    EXPECT_EQ(UsageMessage(ParseArgs({"--f1", "1", "--f2", "1", "--seconds", "1"})),
              "il manque l'option « --output ».");
    EXPECT_EQ(
        UsageMessage(ParseArgs({"--f1", "1", "--f1=2", "--f2", "1", "--seconds", "1", "-o", "x"})),
        "l'option « --f1 » est donnée plus d'une fois.");
    EXPECT_EQ(
        UsageMessage(ParseArgs({"--f1", "1", "--f2", "1", "--seconds", "1", "-o", "x", "-d", "y"})),
        "l'option « -d » ne sert qu'avec « --dtmf ».");
    EXPECT_EQ(UsageMessage(ParseArgs({"--frequence", "1"})), "option inconnue « --frequence ».");
    EXPECT_EQ(UsageMessage(ParseArgs({"fichier.wav"})), "argument inattendu « fichier.wav ».");
    EXPECT_EQ(UsageMessage(ParseArgs({"--f1"})), "l'option « --f1 » attend une valeur.");
    EXPECT_EQ(UsageMessage(ParseArgs({"--f1", "1", "--f2", "1", "--seconds", "1", "-o", ""})),
              "le nom du fichier de sortie (« -o ») est vide.");
    EXPECT_EQ(UsageMessage(ParseArgs({})), "aucune option donnée.");
}

TEST(CommandLineAmplitude, AcceptsTheScrollBarRangeOnly) {
    for (const auto& [text, expected] :
         std::vector<std::pair<std::string_view, int>>{{"0", 0}, {"32767", 32767}, {"007", 7}}) {
        const auto parsed =
            ParseArgs({"--f1", "1", "--f2", "1", "--seconds", "1", "--amplitude", text, "-o", "x"});
        const auto* tone = std::get_if<ToneRequest>(&parsed);
        ASSERT_NE(tone, nullptr) << text << ": " << UsageMessage(parsed);
        EXPECT_EQ(tone->amplitude, expected) << text;
    }
    for (const std::string_view text :
         {"32768", "-1", "+5", "", " 5", "5.0", "99999999999999999999"}) {
        const auto parsed =
            ParseArgs({"--f1", "1", "--f2", "1", "--seconds", "1", "--amplitude", text, "-o", "x"});
        EXPECT_EQ(UsageMessage(parsed), "amplitude invalide « " + std::string(text) +
                                            " » : un nombre entier de 0 à 32767 est attendu.");
    }
}

TEST(CommandLineDtmf, DefaultsToOneSecondAndKeepsKeysAsTyped) {
    const auto parsed = ParseArgs({"--dtmf", "1a*#", "--directory=sons"});
    const auto* dtmf = std::get_if<DtmfRequest>(&parsed);
    ASSERT_NE(dtmf, nullptr) << UsageMessage(parsed);
    EXPECT_EQ(dtmf->keys, "1a*#");
    EXPECT_EQ(dtmf->durationText, "1");
    EXPECT_EQ(dtmf->amplitude, 20000);
    EXPECT_EQ(dtmf->directory, "sons");

    const auto timed = ParseArgs({"--dtmf=D", "--seconds", "3", "--amplitude", "100", "-d", "."});
    const auto* timedDtmf = std::get_if<DtmfRequest>(&timed);
    ASSERT_NE(timedDtmf, nullptr) << UsageMessage(timed);
    EXPECT_EQ(timedDtmf->durationText, "3");
    EXPECT_EQ(timedDtmf->amplitude, 100);
}

TEST(CommandLineDtmf, RefusesUnknownKeysAndToneOptions) {
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "12E", "-d", "."})),
              "touche inconnue « E » : les touches sont 0123456789*#ABCD.");
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "", "-d", "."})),
              "aucune touche après « --dtmf ».");
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "1"})),
              "il manque l'option « -d » (le dossier des fichiers).");
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "1", "-d", ".", "-o", "x.wav"})),
              "l'option « --output » ne sert pas avec « --dtmf ».");
    EXPECT_EQ(UsageMessage(ParseArgs({"--dtmf", "1", "-d", ".", "--f1", "5"})),
              "l'option « --f1 » ne sert pas avec « --dtmf ».");
}

TEST(CommandLineInformation, HelpAndVersionWinOverOtherArguments) {
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(ParseArgs({"--bogus", "--help"})));
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(ParseArgs({"-h"})));
    EXPECT_TRUE(std::holds_alternative<VersionRequest>(ParseArgs({"--version"})));
    EXPECT_EQ(UsageMessage(ParseArgs({"--version=2"})),
              "l'option « --version » ne prend pas de valeur.");
    EXPECT_EQ(CommandLine::VersionText(), "quenbrix-tone (Quenbrix) 1.00\n");
}

TEST(DtmfKeypadTest, GivesTheStandardPairsColumnFirst) {
    const auto one = DtmfKeypad::Find('1');
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(one->column, "1209");
    EXPECT_EQ(one->row, "697");
    const auto d = DtmfKeypad::Find('d');
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->key, 'D');
    EXPECT_EQ(d->column, "1633");
    EXPECT_EQ(d->row, "941");
    EXPECT_EQ(d->fileName, "dtmf-D.wav");
    EXPECT_EQ(DtmfKeypad::Find('*')->fileName, "dtmf-star.wav");
    EXPECT_EQ(DtmfKeypad::Find('#')->fileName, "dtmf-hash.wav");
    EXPECT_EQ(DtmfKeypad::Find('0')->row, "941");
    for (const char refused : {'e', 'E', ' ', '\0', '+'}) {
        EXPECT_FALSE(DtmfKeypad::Find(refused).has_value()) << int{refused};
    }
}

}  // namespace
}  // namespace quenbrix_cli
