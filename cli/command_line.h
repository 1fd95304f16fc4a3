// The arguments of quenbrix-tone, read the GNU way (getopt_long: --option=value,
// unambiguous abbreviations, "--") with French messages. Every value is
// checked here, so that a request that reaches the writing is one the tone
// core accepts, and bad usage is known before any file is touched.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tonegen/dtmf_keys.h"
#include "tonegen/tone_file.h"

namespace quenbrix_cli {

// One file from two frequency texts: --f1 --f2 --seconds [--amplitude] -o.
struct ToneRequest {
    tonegen::ToneInputs inputs;
    std::filesystem::path output;  // "-" is standard output
};

// One file per telephone key: --dtmf KEYS [--seconds] [--amplitude] -d.
struct DtmfRequest {
    std::vector<tonegen::DtmfKey> keys;  // in the order typed, each once
    std::string durationText = "1";
    std::int16_t amplitude = tonegen::kDefaultAmplitude;
    std::filesystem::path directory;
    std::int32_t sampleRate = tonegen::kSamplesPerSecond;
    tonegen::SampleFormat format = tonegen::SampleFormat::Pcm16;
};

// One file dialling a number: --dial TOUCHES [--tone-ms] [--gap-ms]
// [--pause-ms] [--amplitude | --level] -o.
struct DialFileRequest {
    tonegen::DialRequest dial;
    std::filesystem::path output;  // "-" is standard output
};

struct HelpRequest {};
struct VersionRequest {};

// Bad usage: the French sentence that says what is wrong.
struct UsageError {
    std::string message;
};

using ParsedCommand = std::variant<ToneRequest, DtmfRequest, HelpRequest, VersionRequest,
                                   UsageError, DialFileRequest>;

// What came out of recordings: --check FILE... [--channel N] [--min-level DBFS]
// [--max-twist-normal DB] [--max-twist-reverse DB] [--expect KEYS] [--json].
// Read apart from the tone options, by ParseCheck(), when RequestsCheck().
struct CheckRequest {
    std::vector<std::filesystem::path> files;  // "-" is standard input
    int channel = 1;                           // counted from 1
    double minLevelDbfs = -35.0;
    double maxTwistNormalDb = 8.0;
    double maxTwistReverseDb = 4.0;
    std::optional<std::string> expectedKeys;  // upper case
    bool json = false;
};

using ParsedCheck = std::variant<CheckRequest, HelpRequest, VersionRequest, UsageError>;

// Whether the arguments ask for --check (spelled out or abbreviated).
bool RequestsCheck(std::span<const std::string_view> args);
ParsedCheck ParseCheck(std::span<const std::string_view> args);

class CommandLine {
  public:
    // args excludes the program name.
    static ParsedCommand Parse(std::span<const std::string_view> args);

    // The text of --help.
    static std::string HelpText();
    // The text of --version.
    static std::string VersionText();
};

// The inputs of the file for one key: the column (high) frequency is
// frequency 1, as the window's initial 1209 and 697 make key 1.
tonegen::ToneInputs DtmfInputs(const tonegen::DtmfKey& key, const DtmfRequest& request);

// dtmf-1.wav, dtmf-A.wav, dtmf-star.wav, dtmf-hash.wav: names that need no
// quoting in a shell.
std::string DtmfFileName(const tonegen::DtmfKey& key);

// --format's names, in the order --help lists them: pcm16, ulaw, alaw.
struct FormatName {
    std::string_view name;
    tonegen::SampleFormat format;
};
inline constexpr std::array<FormatName, 3> kFormatNames{{
    {"pcm16", tonegen::SampleFormat::Pcm16},
    {"ulaw", tonegen::SampleFormat::MuLaw},
    {"alaw", tonegen::SampleFormat::ALaw},
}};

// The amplitude of a level in dBFS: round(32,767 × 10^(dBFS / 20)).
std::int16_t AmplitudeOfLevel(double decibels);
inline constexpr double kLowestLevel = -90.0;  // dBFS: amplitude 1
inline constexpr double kHighestLevel = 0.0;

}  // namespace quenbrix_cli
