#include <windows.h>

#include <mutex>
#include <random>
#include <string>
#include <utility>

#include "output_target.h"
#include "tonegen/message_text.h"

namespace quenbrix_cli {

namespace fs = std::filesystem;
using tonegen::Failure;

namespace {

// ERROR_DIRECTORY_NOT_SUPPORTED, which MinGW-w64's headers lack; the core
// says "c'est un dossier" for it, as for EISDIR elsewhere.
constexpr DWORD kErrorIsFolder = 336;

// The hidden file being written, for the console's Ctrl+C handler, which
// the system runs on a thread of its own.
std::mutex gPendingLock;
std::wstring gPendingName;

BOOL WINAPI RemovePendingAndEnd(DWORD /*event*/) {
    const std::lock_guard lock(gPendingLock);
    if (!gPendingName.empty()) {
        // The writer opened it sharing deletion: it goes when the program ends.
        ::DeleteFileW(gPendingName.c_str());
        gPendingName.clear();
    }
    return FALSE;  // the system's own handling then ends the program
}

fs::path HiddenName(const fs::path& folder) {
    static std::random_device device;
    constexpr std::wstring_view kLetters =
        L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    std::wstring name = L".quenbrix-tone-";
    for (int i = 0; i < 8; ++i) {
        name += kLetters[pick(device)];
    }
    return folder / name;
}

// A file marked this way is deleted by the system when its last handle
// closes, which also happens when the program is ended from outside (the
// Task Manager, TerminateProcess), where no code of ours runs.
bool MarkForDeletion(HANDLE file, bool marked) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = marked ? TRUE : FALSE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition) != 0;
}

bool IsStream(HANDLE file) {
    const DWORD type = ::GetFileType(file);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

}  // namespace

struct OutputTarget::State {
    fs::path shown;  // the target as typed, for messages
    HANDLE file = INVALID_HANDLE_VALUE;
    bool ownsFile = true;
    bool newFile = false;    // made beside the target, moved there in Commit
    bool replacing = false;  // the target exists
    fs::path destination;    // the target in full: a drive and a folder
    fs::path pending;        // the new file's hidden name while it exists

    [[nodiscard]] Failure Fail(DWORD error) const {
        return tonegen::MakeFileFailure("écrire", shown, static_cast<int>(error));
    }

    // Makes the new file under a fresh hidden name beside the target, marked
    // for deletion until Commit; the Ctrl+C handler knows the name before the
    // file exists.
    std::optional<Failure> CreateNewFile() {
        static const bool handlerInstalled =
            ::SetConsoleCtrlHandler(RemovePendingAndEnd, TRUE) != FALSE;
        (void)handlerInstalled;
        newFile = true;
        // In full: Wine's ReplaceFileW finds no folder in a bare "x.wav".
        std::error_code unresolved;
        destination = fs::absolute(shown, unresolved);
        if (unresolved) {
            destination = shown;
        }
        const fs::path folder = destination.parent_path();
        for (;;) {
            const std::lock_guard lock(gPendingLock);
            pending = HiddenName(folder);
            file = ::CreateFileW(pending.c_str(), GENERIC_WRITE | DELETE,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                gPendingName = pending.native();
                if (!MarkForDeletion(file, true)) {
                    const DWORD error = ::GetLastError();
                    ::CloseHandle(std::exchange(file, INVALID_HANDLE_VALUE));
                    ::DeleteFileW(pending.c_str());
                    gPendingName.clear();
                    pending.clear();
                    return Fail(error);
                }
                return std::nullopt;
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                pending.clear();
                return Fail(error);
            }
        }
    }

    void DropPending() {
        const std::lock_guard lock(gPendingLock);
        gPendingName.clear();
        pending.clear();
    }
};

OutputTarget::OutputTarget(std::unique_ptr<State> state) : state_(std::move(state)) {}

OutputTarget::~OutputTarget() {
    if (state_->file != INVALID_HANDLE_VALUE && state_->ownsFile) {
        ::CloseHandle(state_->file);
    }
    if (!state_->pending.empty()) {
        ::DeleteFileW(state_->pending.c_str());
        state_->DropPending();
    }
}

tonegen::NativeFile OutputTarget::Output() const {
    return state_->file;
}

std::variant<std::unique_ptr<OutputTarget>, Failure> OutputTarget::Open(const fs::path& target,
                                                                        Options /*options*/) {
    auto state = std::make_unique<State>();
    state->shown = target;
    std::optional<Failure> failure;
    if (target == "-") {
        // Written with WriteFile: no text mode changes a byte on the way.
        state->file = ::GetStdHandle(STD_OUTPUT_HANDLE);
        state->ownsFile = false;
        if (state->file == nullptr || state->file == INVALID_HANDLE_VALUE) {
            failure = state->Fail(ERROR_INVALID_HANDLE);
        }
    } else if (const DWORD attributes = ::GetFileAttributesW(target.c_str());
               attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        failure = state->Fail(kErrorIsFolder);
    } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        // Moving a new file over it would be refused after the whole run.
        failure = state->Fail(ERROR_ACCESS_DENIED);
    } else {
        // A device or a pipe ("NUL", "\\.\pipe\...") is written into; a file
        // is replaced by a new one, and a missing one is made the same way.
        HANDLE existing = ::CreateFileW(target.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = ::GetLastError();
        if (existing != INVALID_HANDLE_VALUE && IsStream(existing)) {
            state->file = existing;
        } else if (existing != INVALID_HANDLE_VALUE) {
            ::CloseHandle(existing);
            state->replacing = true;
            failure = state->CreateNewFile();
        } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            failure = state->CreateNewFile();  // a missing folder is named there
        } else {
            failure = state->Fail(error);  // in use by another program, ...
        }
    }
    if (failure) {
        return *std::move(failure);
    }
    return std::unique_ptr<OutputTarget>(new OutputTarget(std::move(state)));
}

std::optional<Failure> OutputTarget::Commit() {
    State& state = *state_;
    if (!state.newFile) {
        return std::nullopt;
    }
    // On the disk before the name moves, so that a crash cannot leave the
    // target's name on an empty file.
    if (::FlushFileBuffers(state.file) == 0) {
        return state.Fail(::GetLastError());
    }
    {
        // Until the move below, Ctrl+C waits for it or deletes the file itself.
        const std::lock_guard lock(gPendingLock);
        // Unmarked first, or closing the handle would delete the file.
        if (!MarkForDeletion(state.file, false)) {
            return state.Fail(::GetLastError());
        }
        ::CloseHandle(std::exchange(state.file, INVALID_HANDLE_VALUE));
        // Only the name was hidden.
        ::SetFileAttributesW(state.pending.c_str(), FILE_ATTRIBUTE_NORMAL);
        // A replaced file keeps its attributes and permissions.
        const BOOL moved =
            state.replacing
                ? ::ReplaceFileW(state.destination.c_str(), state.pending.c_str(), nullptr,
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                : ::MoveFileExW(state.pending.c_str(), state.destination.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (moved == 0) {
            return state.Fail(::GetLastError());
        }
        gPendingName.clear();
    }
    state.pending.clear();
    state.newFile = false;
    return std::nullopt;
}

std::optional<Failure> OutputTarget::CreateFolder(const fs::path& folder) {
    // Each missing folder from the top down; an existing one is fine.
    fs::path made;
    for (const fs::path& part : folder) {
        made /= part;
        if (!made.has_relative_path() || ::CreateDirectoryW(made.c_str(), nullptr) != 0) {
            continue;
        }
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(made.c_str());
        if (error != ERROR_ALREADY_EXISTS || attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return tonegen::MakeFileFailure(
                "créer le dossier", folder,
                static_cast<int>(error == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : error));
        }
    }
    return std::nullopt;
}

namespace {
bool gConsoleOutput = false;  // set once by wmain, before any thread starts
}  // namespace

void OutputTarget::RememberConsoleOutput(bool console) {
    gConsoleOutput = console;
}

bool OutputTarget::StandardOutputIsTerminal() {
    return gConsoleOutput;
}

int OutputTarget::StandardOutputError() {
    // The C runtime keeps the system's own error beside errno.
    return static_cast<int>(_doserrno);
}

}  // namespace quenbrix_cli
