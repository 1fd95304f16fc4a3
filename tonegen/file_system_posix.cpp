#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "file_system.h"

namespace tonegen::file_system {

namespace {

// Whether a run holds the file at path while writing it. A link, a missing
// or unreadable file, a file system without locks: nothing says so.
bool HeldByAnotherRun(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct flock probe {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    const bool held = ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

}  // namespace

int DeleteIfPresent(const std::filesystem::path& path) {
    if (HeldByAnotherRun(path)) {
        return EBUSY;
    }
    // unlink removes a symbolic link itself and refuses a directory.
    if (::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) {
        return 0;
    }
    const int error = errno;
    // A read-only file system or a folder that cannot be searched refuses
    // even when there is no old file: that is not a failed delete.
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? error : 0;
}

int CreateNewFile(const std::filesystem::path& path, WriteStyle /*style*/, NativeFile& created) {
    // O_EXCL: anything found under the name now was put there by someone else
    // and must not be overwritten. O_NOFOLLOW: never write through a link.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return errno;
    }
    created = fd;
    return 0;
}

int HoldWhileWriting(NativeFile file) {
    struct flock whole {};  // from offset 0 to wherever the file will end
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (::fcntl(file, F_OFD_SETLK, &whole) != 0 && (errno == EAGAIN || errno == EACCES)) {
        return EBUSY;
    }
    // Another run may have deleted the file between its creation and the
    // lock: writing on would report a file that no longer exists.
    struct stat status {};
    if (::fstat(file, &status) == 0 && status.st_nlink == 0) {
        return EBUSY;
    }
    return 0;
}

bool WritesAtOffsets(NativeFile file, std::uint64_t& offset) {
    struct stat status {};
    if (::fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;  // a pipe, a socket, a terminal, a device
    }
    const int flags = ::fcntl(file, F_GETFL);
    // Opened for appending, every write goes to the end whatever its offset.
    if (flags < 0 || (flags & O_APPEND) != 0) {
        return false;
    }
    // Before the end, bytes that follow would be left as they are by
    // sequential writes but cut after a failure.
    const off_t position = ::lseek(file, 0, SEEK_CUR);
    if (position < 0 || position != status.st_size) {
        return false;
    }
    offset = static_cast<std::uint64_t>(position);
    return true;
}

int WriteAll(NativeFile file, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(file, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            // An output that its owner made non-blocking (a pipe shared with
            // another program) is full for now: wait as a blocking write
            // would. A reader that left makes the next write fail.
            if (errno == EAGAIN) {  // EWOULDBLOCK on Linux too
                pollfd output{file, POLLOUT, 0};
                if (::poll(&output, 1, -1) < 0 && errno != EINTR) {
                    return errno;
                }
                continue;
            }
            return errno;
        }
        if (written == 0) {
            return EIO;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return 0;
}

int CloseFile(NativeFile file) {
    // Linux releases the descriptor even when close reports an error, so it
    // is never retried; EINTR loses nothing.
    return ::close(file) == 0 || errno == EINTR ? 0 : errno;
}

void IgnoreFileSizeSignal() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    (void)::sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace tonegen::file_system
