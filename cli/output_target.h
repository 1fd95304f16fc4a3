// Where quenbrix-tone writes one file, and how the finished file gets there.
// Everything that depends on the system (opening the target, the temporary
// file, moving it into place, cleaning up after a signal) is behind this one
// class: output_target_posix.cpp here, a Win32 twin beside it.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "tonegen/failure.h"
#include "tonegen/tone_file.h"

namespace quenbrix_cli {

class OutputTarget {
  public:
    struct Options {
        // An unnamed file (O_TMPFILE) where the file system has one; false
        // always takes the hidden temporary name that is used elsewhere.
        bool unnamedFile = true;
    };

    // "-" is standard output, and an existing pipe, socket or device is
    // written into: the header is known before the first sample, so a stream
    // needs no going back. A regular file, or a link to one, is replaced by a
    // new file made beside it, and a missing one is created the same way; it
    // takes the target's name only in Commit. An existing file that no new
    // file can replace (its folder is protected, say) is written in place,
    // as a shell redirection would write it. A target that the user may not
    // write is refused, as a shell redirection would refuse it. Everything
    // that can be known to fail is refused here, before any sample exists.
    static std::variant<std::unique_ptr<OutputTarget>, tonegen::Failure> Open(
        const std::filesystem::path& target, Options options);
    static std::variant<std::unique_ptr<OutputTarget>, tonegen::Failure> Open(
        const std::filesystem::path& target) {
        return Open(target, Options{});
    }

    // A new file not committed is removed; nothing is left behind.
    ~OutputTarget();
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;
    OutputTarget(OutputTarget&&) = delete;
    OutputTarget& operator=(OutputTarget&&) = delete;

    [[nodiscard]] tonegen::NativeFile Output() const;

    // Makes a folder and the missing folders above it (--dtmf -d).
    [[nodiscard]] static std::optional<tonegen::Failure> CreateFolder(
        const std::filesystem::path& folder);

    // Why the last write on standard output failed, as tonegen's
    // FileErrorReason takes it.
    [[nodiscard]] static int StandardOutputError();

    // Whether standard output is a terminal or a console, where a file's
    // bytes would only garble the screen.
    [[nodiscard]] static bool StandardOutputIsTerminal();
#if defined(_WIN32)
    // Windows: main() gives its console streams to pipes that show them as
    // text, so it tells beforehand whether standard output was a console.
    static void RememberConsoleOutput(bool console);
#endif

    // After a complete write: makes the new file durable, gives it the old
    // file's permissions and moves it over the target.
    [[nodiscard]] std::optional<tonegen::Failure> Commit();

    // What a successful Commit could not keep of the old file (its owner),
    // as a French sentence for standard error; empty when it kept all.
    [[nodiscard]] const std::string& Warning() const {
        return warning_;
    }

    struct State;

  private:
    explicit OutputTarget(std::unique_ptr<State> state);

    std::unique_ptr<State> state_;
    std::string warning_;
};

}  // namespace quenbrix_cli
