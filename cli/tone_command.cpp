#include "tone_command.h"

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

#include "command_line.h"
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
    ProgressBar bar(ProgressFd(), target == "-" ? "sortie standard" : target.filename().string());
    tonegen::RunResult result = write(
        output->Output(), target,
        {nullptr, [&bar](std::int32_t done, std::int32_t total) { bar.Update(done, total); }});
    if (!result) {
        result = output->Commit();
    }
    bar.Finish(!result);
    return result;
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
    PrintWarning(tonegen::DialTimingWarning(request.dial.timings));
    const auto failure =
        WriteOne(request.output, [&request](tonegen::NativeFile output, const fs::path& shownPath,
                                            const tonegen::ToneProgress& progress) {
            return tonegen::WriteDialFile(output, shownPath, request.dial, progress);
        });
    return failure ? ReportFailure(request.output, *failure) : kExitSuccess;
}

}  // namespace

int ToneCommand::Run(std::span<const std::string_view> args) {
    const ParsedCommand command = CommandLine::Parse(args);
    return std::visit(
        [](const auto& parsed) -> int {
            using T = std::decay_t<decltype(parsed)>;
            if constexpr (std::is_same_v<T, HelpRequest>) {
                return PrintOutput(CommandLine::HelpText());
            } else if constexpr (std::is_same_v<T, VersionRequest>) {
                return PrintOutput(CommandLine::VersionText());
            } else if constexpr (std::is_same_v<T, UsageError>) {
                PrintError("quenbrix-tone : " + parsed.message +
                           "\nSaisissez « quenbrix-tone --help » pour plus d'informations.\n");
                return kExitBadUsage;
            } else if constexpr (std::is_same_v<T, ToneRequest>) {
                return RunTone(parsed);
            } else if constexpr (std::is_same_v<T, DialFileRequest>) {
                return RunDial(parsed);
            } else {
                return RunDtmf(parsed);
            }
        },
        command);
}

}  // namespace quenbrix_cli
