#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
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
#include <vector>

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

// The kernel follows at most this many symbolic links in one path.
constexpr int kMaxLinkHops = 40;

// What the handler may read: plain storage, no allocation. The name lies in
// the folder open as gPendingFolder, so that the folder's length never adds
// to the temporary name's.
std::array<char, NAME_MAX + 1> gPendingName{};
volatile std::sig_atomic_t gPendingFolder = -1;
volatile std::sig_atomic_t gPendingArmed = 0;

void RemovePendingAndEnd(int signal) {
    if (gPendingArmed != 0) {
        ::unlinkat(gPendingFolder, gPendingName.data(), 0);
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

// Called with the signals held; name is one of HiddenName's. The handler is
// checked at every name, so that a disposition set since the last one (by a
// child after fork, say) cannot leave a name behind.
void ArmPending(int folder, const std::string& name) {
    for (const int signal : kEndingSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 &&
            (current.sa_handler == SIG_IGN || current.sa_handler == RemovePendingAndEnd)) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = RemovePendingAndEnd;
        action.sa_mask = EndingSignals();
        ::sigaction(signal, &action, nullptr);
    }
    const std::size_t length = std::min(name.size(), gPendingName.size() - 1);
    std::memcpy(gPendingName.data(), name.data(), length);
    gPendingName[length] = '\0';
    gPendingFolder = folder;
    gPendingArmed = 1;
}

std::string HiddenName() {
    static std::random_device device;
    constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    std::string name = ".quenbrix-tone-";
    for (int i = 0; i < 8; ++i) {
        name += kLetters[pick(device)];
    }
    return name;
}

std::string ProcSelfFd(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Links an unnamed file under name in folder. AT_EMPTY_PATH needs a
// capability that ordinary users lack; /proc gives the same to everyone.
int LinkUnnamed(int fd, int folder, const std::string& name) {
    if (::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0) {
        return 0;
    }
    if (errno != ENOENT && errno != EPERM) {
        return errno;
    }
    return ::linkat(AT_FDCWD, ProcSelfFd(fd).c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0
               ? 0
               : errno;
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

// "root (groupe root)", numbers where the system knows no name.
std::string OwnerText(uid_t userId, gid_t groupId) {
    std::vector<char> buffer(16384);
    const std::size_t half = buffer.size() / 2;
    passwd user{};
    passwd* userFound = nullptr;
    struct group groupEntry {};
    struct group* groupFound = nullptr;
    const bool userKnown =
        ::getpwuid_r(userId, &user, buffer.data(), half, &userFound) == 0 && userFound != nullptr;
    const bool groupKnown =
        ::getgrgid_r(groupId, &groupEntry, buffer.data() + half, half, &groupFound) == 0 &&
        groupFound != nullptr;
    return (userKnown ? std::string(user.pw_name) : std::to_string(userId)) + " (groupe " +
           (groupKnown ? std::string(groupEntry.gr_name) : std::to_string(groupId)) + ")";
}

}  // namespace

struct OutputTarget::State {
    enum class Way {
        Stream,   // written from where it stands, nothing to do afterwards
        NewFile,  // made beside the destination, moved there in Commit
        InPlace,  // the destination itself, emptied when opened
    };

    State() = default;
    ~State() {
        if (fd >= 0 && ownsFd) {
            ::close(fd);
        }
        if (!pending.empty()) {
            ::unlinkat(folder, pending.c_str(), 0);
            DropPending();
        }
        if (folder >= 0) {
            ::close(folder);
        }
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    fs::path shown;  // the target as typed, for messages
    int fd = -1;
    bool ownsFd = true;
    Way way = Way::Stream;
    bool unnamed = false;    // O_TMPFILE: no name until linked
    int folder = -1;         // the folder of the file the target names
    std::string name;        // that file's name in it, links followed
    bool replacing = false;  // the file exists
    struct stat old {};      // its permissions and owner
    std::string pending;     // a temporary name in folder while it exists

    Failure Fail(int error) const { return tonegen::MakeFileFailure("écrire", shown, error); }

    // A closed standard output, or one open for reading only, would refuse
    // the first write.
    std::optional<Failure> UseStandardOutput() {
        const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
        if (flags < 0) {
            return Fail(errno);
        }
        if ((flags & O_ACCMODE) == O_RDONLY) {
            return Fail(EBADF);
        }
        fd = STDOUT_FILENO;
        ownsFd = false;
        return std::nullopt;
    }

    std::optional<Failure> OpenPath(const OutputTarget::Options& options) {
        struct stat status {};
        const bool exists = ::stat(shown.c_str(), &status) == 0;
        if (!exists && errno != ENOENT) {
            return Fail(errno);
        }
        if (exists && S_ISDIR(status.st_mode)) {
            return Fail(EISDIR);
        }
        if (exists && !S_ISREG(status.st_mode)) {
            return OpenStream(status);
        }
        if (const int error = FindDestination(); error != 0) {
            return Fail(error);
        }
        replacing = exists;
        old = status;
        if (exists) {
            // The new file only needs the folder to be writable; the user
            // must still be allowed to write the file it replaces.
            if (::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) != 0) {
                return Fail(errno);
            }
            if (!RenameCanReplace()) {
                return OpenInPlace();
            }
        }
        return CreateNewFile(options);
    }

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

    // Opens the folder of the file the target names, its links followed,
    // each one from the folder that holds it: however deep the folders, no
    // call on the file or its temporary takes a longer path than the target.
    int FindDestination() {
        fs::path path = shown;
        for (int hop = 0;; ++hop) {
            const fs::path parent = path.parent_path();
            const int next =
                ::openat(folder >= 0 ? folder : AT_FDCWD, parent.empty() ? "." : parent.c_str(),
                         O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (next < 0) {
                return errno;
            }
            if (folder >= 0) {
                ::close(folder);
            }
            folder = next;
            name = path.filename().native();
            if (name.empty() || name == "." || name == "..") {
                return EISDIR;
            }
            std::array<char, PATH_MAX> link{};
            const ssize_t length = ::readlinkat(folder, name.c_str(), link.data(), link.size());
            if (length < 0) {
                // EINVAL: not a link; ENOENT: the file is still to be made.
                return errno == EINVAL || errno == ENOENT ? 0 : errno;
            }
            if (static_cast<std::size_t>(length) == link.size()) {
                return ENAMETOOLONG;
            }
            if (hop == kMaxLinkHops) {
                return ELOOP;
            }
            path = std::string(link.data(), static_cast<std::size_t>(length));
        }
    }

    // Whether renaming a new file over the old one can work. It cannot over
    // a file mounted on its own, nor in a folder with the sticky bit (/tmp)
    // over another user's file, unless the folder is the user's.
    bool RenameCanReplace() const {
        struct statx file {};
        if (::statx(folder, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &file) == 0 &&
            (file.stx_attributes_mask & file.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0) {
            return false;
        }
        struct stat folderStatus {};
        if (::fstat(folder, &folderStatus) != 0 || (folderStatus.st_mode & S_ISVTX) == 0) {
            return true;
        }
        // Root may do it anyway (CAP_FOWNER).
        const uid_t user = ::geteuid();
        return user == 0 || user == old.st_uid || user == folderStatus.st_uid;
    }

    std::optional<Failure> CreateNewFile(const OutputTarget::Options& options) {
        way = Way::NewFile;
        if (options.unnamedFile) {
            fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            // Linked in Commit through /proc where the process lacks the
            // capability of AT_EMPTY_PATH: without /proc, a hidden name
            // from the start, rather than a failure after the whole run.
            if (fd >= 0 && ::access(ProcSelfFd(fd).c_str(), F_OK) == 0) {
                unnamed = true;
                return std::nullopt;
            }
            if (fd >= 0) {
                ::close(fd);
                fd = -1;
            } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                // Older kernels and some file systems have no unnamed files.
                return FolderRefused(errno);
            }
        }
        const int error = NamePending([this](const std::string& hidden) {
            fd = ::openat(folder, hidden.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            return fd >= 0 ? 0 : errno;
        });
        return error == 0 ? std::nullopt : FolderRefused(error);
    }

    // A folder where the user may not make files still lets a file the user
    // may write be written in place.
    std::optional<Failure> FolderRefused(int error) {
        if (replacing && (error == EACCES || error == EPERM || error == EROFS)) {
            return OpenInPlace();
        }
        return Fail(error);
    }

    // As a shell redirection: the old content is gone from here on.
    std::optional<Failure> OpenInPlace() {
        way = Way::InPlace;
        do {
            fd = ::openat(folder, name.c_str(),
                          O_WRONLY | O_TRUNC | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        return fd >= 0 ? std::nullopt : std::optional(Fail(errno));
    }

    // Makes a file under a fresh hidden name in the folder, with the signals
    // held until the handler knows the name.
    int NamePending(const std::function<int(const std::string&)>& make) {
        const SignalsHeld held;
        int error = 0;
        do {
            pending = HiddenName();
            error = make(pending);
        } while (error == EEXIST || error == EINTR);
        if (error != 0) {
            pending.clear();
            return error;
        }
        ArmPending(folder, pending);
        return 0;
    }

    void DropPending() {
        const SignalsHeld held;
        gPendingArmed = 0;
        pending.clear();
    }

    // Gives the new file the old one's owner where the user may; says so
    // otherwise.
    std::string KeepOwner() const {
        if (::fchown(fd, old.st_uid, old.st_gid) == 0) {
            return {};
        }
        const int error = errno;
        // A group the user belongs to can still be kept.
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        struct stat now {};
        if (::fstat(fd, &now) != 0) {
            now.st_uid = ::geteuid();
            now.st_gid = ::getegid();
        }
        return "attention : impossible de rendre à " + tonegen::QuotePath(shown) +
               " son propriétaire " + OwnerText(old.st_uid, old.st_gid) + " : " +
               tonegen::FileErrorReason(error) + " ; le fichier appartient désormais à " +
               OwnerText(now.st_uid, now.st_gid) + ".";
    }
};

OutputTarget::OutputTarget(std::unique_ptr<State> state) : state_(std::move(state)) {}

// A new file not committed goes with the state.
OutputTarget::~OutputTarget() = default;

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

bool OutputTarget::StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

int OutputTarget::StandardOutputError() {
    return errno;
}

std::variant<std::unique_ptr<OutputTarget>, Failure> OutputTarget::Open(const fs::path& target,
                                                                        Options options) {
    auto state = std::make_unique<State>();
    state->shown = target;
    std::optional<Failure> failure =
        target == "-" ? state->UseStandardOutput() : state->OpenPath(options);
    if (failure) {
        return *std::move(failure);
    }
    return std::unique_ptr<OutputTarget>(new OutputTarget(std::move(state)));
}

std::optional<Failure> OutputTarget::Commit() {
    State& state = *state_;
    if (state.way == State::Way::Stream) {
        return std::nullopt;
    }
    // Durable before the name moves, so that a crash cannot leave the
    // target's name on an empty file; in place, the last chance to hear of
    // a write that never reached the disk.
    if (::fsync(state.fd) != 0) {
        return state.Fail(errno);
    }
    if (state.way == State::Way::InPlace) {
        state.way = State::Way::Stream;
        return std::nullopt;
    }
    if (state.replacing) {
        // Owner first: changing it may clear the set-user-ID bits.
        warning_ = state.KeepOwner();
        if (::fchmod(state.fd, state.old.st_mode & 07777) != 0) {
            return state.Fail(errno);
        }
    }
    // A link cannot replace a file, a rename can, in one step: the unnamed
    // file first takes a hidden name.
    if (state.unnamed) {
        if (const int error = state.NamePending([&state](const std::string& hidden) {
                return LinkUnnamed(state.fd, state.folder, hidden);
            });
            error != 0) {
            return state.Fail(error);
        }
    }
    if (::renameat(state.folder, state.pending.c_str(), state.folder, state.name.c_str()) != 0) {
        return state.Fail(errno);
    }
    state.DropPending();
    state.way = State::Way::Stream;
    // O_PATH cannot be synced; a folder the user may not read stays unsynced.
    if (const int fd = ::openat(state.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
    return std::nullopt;
}

}  // namespace quenbrix_cli
