#include "staged_tone_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "errno_text.h"
#include "progress_bar.h"

namespace quenbrix_cli {

namespace {

using tonegen::Failure;
using tonegen::FailureKind;
namespace fs = std::filesystem;

std::string Quoted(const fs::path& path) {
    return "« " + path.string() + " »";
}

Failure FileFailure(std::string description) {
    return Failure{FailureKind::File, std::move(description)};
}

// A symbolic link is followed, as a shell redirection would: the file it
// points to is the one replaced, and the link stays.
fs::path ResolveTarget(const fs::path& target) {
    std::error_code error;
    if (fs::is_symlink(target, error)) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (!error) {
            return resolved;
        }
    }
    return target;
}

// The core names its own file in its messages; the user knows only the target.
std::string Retarget(std::string description, const std::string& staged,
                     const std::string& target) {
    for (std::size_t at = description.find(staged); at != std::string::npos;
         at = description.find(staged, at + target.size())) {
        description.replace(at, staged.size(), target);
    }
    return description;
}

// Makes the data durable before the rename publishes it, so that a crash
// cannot leave the target name on an empty file. Returns 0 or the errno.
int SyncFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

void SyncDirectory(const fs::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

tonegen::RunResult StagedToneWriter::Write(const fs::path& requestedTarget,
                                           std::string_view frequency1Text,
                                           std::string_view frequency2Text,
                                           std::string_view durationText, std::int16_t amplitude) {
    const fs::path target = ResolveTarget(requestedTarget);
    std::error_code error;
    if (fs::is_directory(target, error)) {
        return FileFailure("Impossible d'écrire " + Quoted(requestedTarget) +
                           " : c'est un dossier.");
    }
    fs::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }

    std::string pattern = (folder / kStagingPrefix).string() + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int stagingError = 0;
    cleanup_.Track([&] {
        if (::mkdtemp(buffer.data()) == nullptr) {
            stagingError = errno;
            return fs::path();
        }
        return fs::path(buffer.data());
    });
    if (stagingError != 0) {
        return FileFailure("Impossible d'écrire " + Quoted(requestedTarget) +
                           " : création d'un fichier temporaire dans le dossier " + Quoted(folder) +
                           " impossible (" + ErrnoText::Reason(stagingError) + ").");
    }
    const fs::path staging(buffer.data());
    const fs::path staged = tonegen::ToneFilePath(staging);
    // Whatever way this function is left (an exception included), the staging
    // directory goes and the interrupt handler forgets it.
    const std::unique_ptr<const fs::path, std::function<void(const fs::path*)>> discard(
        &staging, [this](const fs::path* directory) {
            cleanup_.Track([directory] {
                std::error_code ignored;
                fs::remove_all(*directory, ignored);
                return fs::path();
            });
        });

    tonegen::RunResult result;
    {
        std::optional<ProgressBar> bar;
        if (progressFd_ >= 0) {
            bar.emplace(progressFd_, staged, requestedTarget.filename().string());
        }
        result = tonegen::CreateToneFile(staging, frequency1Text, frequency2Text, durationText,
                                         amplitude, [] {});
        if (bar) {
            bar->Finish(!result);
        }
    }
    if (result) {
        result->description =
            Retarget(std::move(result->description), staged.string(), requestedTarget.string());
        return result;
    }

    if (const int syncError = SyncFile(staged); syncError != 0) {
        return FileFailure("Impossible d'écrire " + Quoted(requestedTarget) + " (" +
                           ErrnoText::Reason(syncError) + ").");
    }
    // Replacing a file keeps its permissions, as an editor saving it would.
    if (const auto old = fs::status(target, error); !error && fs::is_regular_file(old)) {
        fs::permissions(staged, old.permissions(), error);
    }
    int renameError = 0;
    cleanup_.Track([&] {
        if (std::rename(staged.c_str(), target.c_str()) != 0) {
            renameError = errno;
        }
        return staging;  // still to be removed, empty or not
    });
    if (renameError != 0) {
        return FileFailure("Impossible de remplacer " + Quoted(requestedTarget) + " (" +
                           ErrnoText::Reason(renameError) + ").");
    }
    SyncDirectory(folder);
    return std::nullopt;
}

}  // namespace quenbrix_cli
