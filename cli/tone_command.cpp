#include "tone_command.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <type_traits>
#include <variant>

#include "command_line.h"
#include "dtmf_key.h"
#include "interrupt_cleanup.h"
#include "staged_tone_writer.h"

namespace quenbrix_cli {

namespace {

void Print(std::FILE* stream, const std::string& text) {
    // Nothing is left to tell the user if the terminal itself refuses.
    (void)std::fputs(text.c_str(), stream);
    (void)std::fflush(stream);
}

int ReportFailure(const std::filesystem::path& target, const tonegen::Failure& failure) {
    Print(stderr, "quenbrix-tone : échec de la création de « " + target.string() + " »\n" +
                      std::string(tonegen::KindName(failure.kind)) + " : " + failure.description +
                      "\n");
    return kExitRunFailure;
}

// The bar only makes sense for a person watching a terminal; scripts that
// capture stderr get nothing but messages.
int ProgressFd() {
    return ::isatty(STDERR_FILENO) == 1 ? STDERR_FILENO : -1;
}

int RunTone(const ToneRequest& request) {
    InterruptCleanup cleanup;
    StagedToneWriter writer(cleanup, ProgressFd());
    const auto failure =
        writer.Write(request.output, request.frequency1Text, request.frequency2Text,
                     request.durationText, request.amplitude);
    return failure ? ReportFailure(request.output, *failure) : kExitSuccess;
}

int RunDtmf(const DtmfRequest& request) {
    InterruptCleanup cleanup;
    StagedToneWriter writer(cleanup, ProgressFd());
    std::string done;  // a key typed twice names the same file: write it once
    for (const char typed : request.keys) {
        const auto key = DtmfKeypad::Find(typed);
        if (!key || done.find(key->key) != std::string::npos) {
            continue;
        }
        done += key->key;
        const std::filesystem::path target = request.directory / key->fileName;
        const auto failure =
            writer.Write(target, key->column, key->row, request.durationText, request.amplitude);
        if (failure) {
            return ReportFailure(target, *failure);
        }
    }
    return kExitSuccess;
}

}  // namespace

int ToneCommand::Run(std::span<const std::string_view> args) {
    const ParsedCommand command = CommandLine::Parse(args);
    return std::visit(
        [](const auto& parsed) -> int {
            using T = std::decay_t<decltype(parsed)>;
            if constexpr (std::is_same_v<T, HelpRequest>) {
                Print(stdout, CommandLine::HelpText());
                return kExitSuccess;
            } else if constexpr (std::is_same_v<T, VersionRequest>) {
                Print(stdout, CommandLine::VersionText());
                return kExitSuccess;
            } else if constexpr (std::is_same_v<T, UsageError>) {
                Print(stderr, "quenbrix-tone : " + parsed.message +
                                  "\nSaisissez « quenbrix-tone --help » pour plus "
                                  "d'informations.\n");
                return kExitBadUsage;
            } else if constexpr (std::is_same_v<T, ToneRequest>) {
                return RunTone(parsed);
            } else {
                return RunDtmf(parsed);
            }
        },
        command);
}

}  // namespace quenbrix_cli
