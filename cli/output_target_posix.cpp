#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "output_target.h"
#include "tonegen/message_text.h"

namespace quenbrix_cli {

namespace fs = std::filesystem;
using tonegen::Failure;

namespace {

// The signals whose default effect ends the program. While a temporary file
// has a name, their handler removes it first; a signal the caller ignores
// (nohup, a background job) stays ignored.
constexpr std::array kEndingSignals = {SIGHUP,  SIGINT,  SIGQUIT,  SIGTERM, SIGPIPE,
                                       SIGALRM, SIGUSR1, SIGUSR2,  SIGPOLL, SIGPROF,
                                       SIGXCPU, SIGABRT, SIGVTALRM};

// What the handler may read: plain storage, no allocation.
std::array<char, PATH_MAX> gPendingName{};
volatile std::sig_atomic_t gPendingArmed = 0;

void RemovePendingAndEnd(int signal) {
    if (gPendingArmed != 0) {
        ::unlink(gPendingName.data());
    }
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    ::sigaction(signal, &defaultAction, nullptr);
    // Blocked while the handler runs: it ends the program with its ordinary
    // effect as soon as the handler returns, so the shell still sees it.
    (void)::raise(signal);
}

sigset_t EndingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kEndingSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

// Holds the ending signals back while a name comes or goes, so that a signal
// never finds a file that the handler does not know of.
class SignalsHeld {
  public:
    SignalsHeld() {
        const sigset_t set = EndingSignals();
        ::sigprocmask(SIG_BLOCK, &set, &previous_);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t previous_{};
};

// Called with the signals held.
void ArmPending(const fs::path& name) {
    static bool installed = false;
    if (!installed) {
        installed = true;
        for (const int signal : kEndingSignals) {
            struct sigaction current {};
            if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
                continue;
            }
            struct sigaction action {};
            action.sa_handler = RemovePendingAndEnd;
            action.sa_mask = EndingSignals();
            ::sigaction(signal, &action, nullptr);
        }
    }
    const std::string& text = name.native();
    // A name the system accepted is shorter than PATH_MAX.
    const std::size_t length = std::min(text.size(), gPendingName.size() - 1);
    std::memcpy(gPendingName.data(), text.data(), length);
    gPendingName[length] = '\0';
    gPendingArmed = 1;
}

fs::path HiddenName(const fs::path& folder) {
    static std::random_device device;
    constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    std::string name = ".quenbrix-tone-";
    for (int i = 0; i < 8; ++i) {
        name += kLetters[pick(device)];
    }
    return folder / name;
}

// Links an unnamed file under name. AT_EMPTY_PATH needs a capability that
// ordinary users lack; /proc gives the same to everyone.
int LinkUnnamed(int fd, const fs::path& name) {
    if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
        return 0;
    }
    if (errno != ENOENT && errno != EPERM) {
        return errno;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0
                                                                                            : errno;
}

// The file a path names once its links are followed, also when the last one
// points to a file that does not exist yet.
fs::path FollowLinks(fs::path path) {
    std::error_code error;
    for (int hop = 0; hop < 40 && fs::is_symlink(path, error); ++hop) {
        const fs::path next = fs::read_symlink(path, error);
        if (error) {
            break;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// The new file only needs the folder to be writable; the user must still be
// allowed to write the file it replaces. 0, or why not.
int WriteRefusal(const fs::path& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

int ConnectSocket(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.native().size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

}  // namespace

struct OutputTarget::State {
    fs::path shown;  // the target as typed, for messages
    int fd = -1;
    bool ownsFd = true;
    bool newFile = false;    // made beside the target, moved there in Commit
    bool unnamed = false;    // O_TMPFILE: no name until linked
    fs::path destination;    // the file the target names, links followed
    fs::path folder;         // where it lies
    bool replacing = false;  // destination exists
    struct stat old {};      // its permissions and owner
    fs::path pending;        // a temporary name while it exists

    Failure Fail(int error) const { return tonegen::MakeFileFailure("écrire", shown, error); }

    std::optional<Failure> OpenStream(const struct stat& status) {
        if (S_ISSOCK(status.st_mode)) {
            fd = ConnectSocket(shown);
        } else {
            // A FIFO waits here for its reader, as a shell redirection does.
            do {
                fd = ::open(shown.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            } while (fd < 0 && errno == EINTR);
        }
        if (fd < 0) {
            return tonegen::MakeFileFailure("ouvrir", shown, errno);
        }
        return std::nullopt;
    }

    std::optional<Failure> CreateNewFile(const OutputTarget::Options& options) {
        newFile = true;
        folder = destination.has_parent_path() ? destination.parent_path() : ".";
        if (options.unnamedFile) {
            fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            if (fd >= 0) {
                unnamed = true;
                return std::nullopt;
            }
            // Older kernels and some file systems have no unnamed files.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                return Fail(errno);
            }
        }
        const int error = NamePending([this](const fs::path& name) {
            fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            return fd >= 0 ? 0 : errno;
        });
        return error == 0 ? std::nullopt : std::optional(Fail(error));
    }

    // Makes a file under a fresh hidden name beside the target, with the
    // signals held until the handler knows the name.
    int NamePending(const std::function<int(const fs::path&)>& make) {
        const SignalsHeld held;
        int error = 0;
        do {
            pending = HiddenName(folder);
            error = make(pending);
        } while (error == EEXIST || error == EINTR);
        if (error != 0) {
            pending.clear();
            return error;
        }
        ArmPending(pending);
        return 0;
    }

    void DropPending() {
        const SignalsHeld held;
        gPendingArmed = 0;
        pending.clear();
    }
};

OutputTarget::OutputTarget(std::unique_ptr<State> state) : state_(std::move(state)) {}

OutputTarget::~OutputTarget() {
    if (state_->fd >= 0 && state_->ownsFd) {
        ::close(state_->fd);
    }
    if (!state_->pending.empty()) {
        ::unlink(state_->pending.c_str());
        state_->DropPending();
    }
}

tonegen::NativeFile OutputTarget::Output() const {
    return state_->fd;
}

std::optional<Failure> OutputTarget::CreateFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        return tonegen::MakeFileFailure("créer le dossier", folder, error.value());
    }
    return std::nullopt;
}

int OutputTarget::StandardOutputError() {
    return errno;
}

std::variant<std::unique_ptr<OutputTarget>, Failure> OutputTarget::Open(const fs::path& target,
                                                                        Options options) {
    auto state = std::make_unique<State>();
    state->shown = target;
    std::optional<Failure> failure;
    struct stat status {};
    if (target == "-") {
        state->fd = STDOUT_FILENO;
        state->ownsFd = false;
    } else if (const bool exists = ::stat(target.c_str(), &status) == 0;
               !exists && errno != ENOENT) {
        failure = state->Fail(errno);
    } else if (exists && S_ISDIR(status.st_mode)) {
        failure = state->Fail(EISDIR);
    } else if (exists && !S_ISREG(status.st_mode)) {
        failure = state->OpenStream(status);
    } else if (const int refused = exists ? WriteRefusal(target) : 0; refused != 0) {
        failure = state->Fail(refused);
    } else {
        state->replacing = exists;
        state->old = status;
        state->destination = FollowLinks(target);
        failure = state->CreateNewFile(options);
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
    // Durable before the name moves, so that a crash cannot leave the
    // target's name on an empty file.
    if (::fsync(state.fd) != 0) {
        return state.Fail(errno);
    }
    if (state.replacing) {
        // Owner first: changing it may clear the set-user-ID bits.
        (void)::fchown(state.fd, state.old.st_uid, state.old.st_gid);
        if (::fchmod(state.fd, state.old.st_mode & 07777) != 0) {
            return state.Fail(errno);
        }
    }
    // A link cannot replace a file, a rename can, in one step: the unnamed
    // file first takes a hidden name.
    if (state.unnamed) {
        if (const int error = state.NamePending(
                [&state](const fs::path& name) { return LinkUnnamed(state.fd, name); });
            error != 0) {
            return state.Fail(error);
        }
    }
    if (::rename(state.pending.c_str(), state.destination.c_str()) != 0) {
        return state.Fail(errno);
    }
    state.DropPending();
    state.newFile = false;
    if (const int fd = ::open(state.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
    return std::nullopt;
}

}  // namespace quenbrix_cli
