#include "tone_command.h"

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

#include "command_line.h"
#if QUENBRIX_HAVE_TONECHECK
#include "check_command.h"
#endif
#include "output_target.h"
#include "progress_bar.h"
#include "tonegen/message_text.h"

namespace quenbrix_cli {

namespace {

namespace fs = std::filesystem;

// Messages go out whole; if even standard error refuses, nothing is left to
// tell the user.
void PrintError(const std::string& text) {
    (void)std::fputs(text.c_str(), stderr);
    (void)std::fflush(stderr);
}

// --help and --version: a reader may rely on the text, so a failed write
// (a full disk, a closed pipe) is a failure of the command.
int PrintOutput(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) {
        return kExitSuccess;
    }
    PrintError("quenbrix-tone : impossible d'écrire sur la sortie standard : " +
               tonegen::FileErrorReason(OutputTarget::StandardOutputError()) + ".\n");
    return kExitRunFailure;
}

int ReportFailure(const fs::path& target, const tonegen::Failure& failure) {
    PrintError("quenbrix-tone : échec de la création de " + tonegen::QuotePath(target) + "\n" +
               std::string(tonegen::KindName(failure.kind)) + " : " + failure.description + "\n");
    return kExitRunFailure;
}

// The bar only makes sense for a person watching a terminal; scripts that
// capture stderr get nothing but messages.
int ProgressFd() {
    return ::isatty(STDERR_FILENO) == 1 ? STDERR_FILENO : -1;
}

// The file is written by write into the opened output, with the progress
// that feeds the bar.
using FileWrite = std::function<tonegen::RunResult(
    tonegen::NativeFile output, const fs::path& shownPath, const tonegen::ToneProgress& progress)>;

tonegen::RunResult WriteOne(const fs::path& target, const FileWrite& write) {
    auto opened = OutputTarget::Open(target);
    if (auto* failure = std::get_if<tonegen::Failure>(&opened)) {
        return *failure;
    }
    const auto& output = std::get<std::unique_ptr<OutputTarget>>(opened);
    ProgressBar bar(ProgressFd(), ProgressBar::Label(target));
    tonegen::RunResult result = write(
        output->Output(), target,
        {nullptr, [&bar](std::int32_t done, std::int32_t total) { bar.Update(done, total); }});
    if (!result) {
        result = output->Commit();
    }
    bar.Finish(!result);
    if (!result && !output->Warning().empty()) {
        PrintError("quenbrix-tone : " + output->Warning() + "\n");
    }
    return result;
}

int PrintUsageError(const std::string& message) {
    PrintError("quenbrix-tone : " + message +
               "\nSaisissez « quenbrix-tone --help » pour plus d'informations.\n");
    return kExitBadUsage;
}

// As compressors do: binary bytes would only garble the screen, and a
// redirection was most likely forgotten. The exit status, or nothing.
std::optional<int> RefuseTerminal(const fs::path& output) {
    if (output == "-" && OutputTarget::StandardOutputIsTerminal()) {
        return PrintUsageError(
            "la sortie standard est un terminal : le fichier Wav n'y est pas écrit. Redirigez-la "
            "vers un fichier ou un programme (" +
            tonegen::QuoteInput("-o - | aplay") + ").");
    }
    return std::nullopt;
}

tonegen::RunResult WriteOne(const fs::path& target, const tonegen::ToneInputs& inputs) {
    return WriteOne(target, [&inputs](tonegen::NativeFile output, const fs::path& shownPath,
                                      const tonegen::ToneProgress& progress) {
        return tonegen::WriteToneFile(output, shownPath, inputs, progress);
    });
}

// A warning does not stop the file: it tells what it will sound like.
void PrintWarning(const std::optional<std::string>& warning) {
    if (warning) {
        PrintError("quenbrix-tone : " + *warning + "\n");
    }
}

int RunTone(const ToneRequest& request) {
    if (const auto refused = RefuseTerminal(request.output)) {
        return *refused;
    }
    PrintWarning(tonegen::FoldingWarning(request.inputs));
    const auto failure = WriteOne(request.output, request.inputs);
    return failure ? ReportFailure(request.output, *failure) : kExitSuccess;
}

int RunDtmf(const DtmfRequest& request) {
    if (const auto failure = OutputTarget::CreateFolder(request.directory)) {
        return ReportFailure(request.directory, *failure);
    }
    for (const tonegen::DtmfKey& key : request.keys) {
        const fs::path target = request.directory / DtmfFileName(key);
        if (const auto failure = WriteOne(target, DtmfInputs(key, request))) {
            return ReportFailure(target, *failure);
        }
    }
    return kExitSuccess;
}

int RunDial(const DialFileRequest& request) {
    if (const auto refused = RefuseTerminal(request.output)) {
        return *refused;
    }
    PrintWarning(tonegen::DialTimingWarning(request.dial.timings));
    const auto failure =
        WriteOne(request.output, [&request](tonegen::NativeFile output, const fs::path& shownPath,
                                            const tonegen::ToneProgress& progress) {
            return tonegen::WriteDialFile(output, shownPath, request.dial, progress);
        });
    return failure ? ReportFailure(request.output, *failure) : kExitSuccess;
}

int Answer(const HelpRequest&) {
    return PrintOutput(CommandLine::HelpText());
}
int Answer(const VersionRequest&) {
    return PrintOutput(CommandLine::VersionText());
}
int Answer(const UsageError& error) {
    return PrintUsageError(error.message);
}

}  // namespace

int ToneCommand::Run(std::span<const std::string_view> args) {
#if QUENBRIX_HAVE_TONECHECK
    if (RequestsCheck(args)) {
        return std::visit(
            [](const auto& parsed) -> int {
                using T = std::decay_t<decltype(parsed)>;
                if constexpr (std::is_same_v<T, CheckRequest>) {
                    return RunCheck(parsed);
                } else {
                    return Answer(parsed);
                }
            },
            ParseCheck(args));
    }
#endif
    return std::visit(
        [](const auto& parsed) -> int {
            using T = std::decay_t<decltype(parsed)>;
            if constexpr (std::is_same_v<T, HelpRequest> || std::is_same_v<T, VersionRequest> ||
                          std::is_same_v<T, UsageError>) {
                return Answer(parsed);
            } else if constexpr (std::is_same_v<T, ToneRequest>) {
                return RunTone(parsed);
            } else if constexpr (std::is_same_v<T, DialFileRequest>) {
                return RunDial(parsed);
            } else {
                return RunDtmf(parsed);
            }
        },
        CommandLine::Parse(args));
}

}  // namespace quenbrix_cli
