// The arguments of quenbrix-tone, read by hand so that every value reaches the
// tone core exactly as typed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace quenbrix_cli {

// The scroll bar of the window starts here, so a script gets the same loudness.
inline constexpr std::int16_t kDefaultAmplitude = 20000;

// One file from two frequency texts: --f1 --f2 --seconds [--amplitude] -o.
struct ToneRequest {
    std::string frequency1Text;
    std::string frequency2Text;
    std::string durationText;
    std::int16_t amplitude = kDefaultAmplitude;
    std::filesystem::path output;
};

// One file per telephone key: --dtmf KEYS [--seconds] [--amplitude] -d.
struct DtmfRequest {
    std::string keys;  // checked: each one of 0123456789*#ABCD, any case
    std::string durationText = "1";
    std::int16_t amplitude = kDefaultAmplitude;
    std::filesystem::path directory;
};

struct HelpRequest {};
struct VersionRequest {};

// Bad usage: the French sentence that says what is wrong.
struct UsageError {
    std::string message;
};

using ParsedCommand =
    std::variant<ToneRequest, DtmfRequest, HelpRequest, VersionRequest, UsageError>;

class CommandLine {
  public:
    // args excludes the program name.
    static ParsedCommand Parse(std::span<const std::string_view> args);

    // The text of --help.
    static std::string HelpText();
    // The text of --version.
    static std::string VersionText();
};

}  // namespace quenbrix_cli
