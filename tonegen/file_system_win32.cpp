#include <windows.h>

#include <algorithm>

#include "file_system.h"

namespace tonegen::file_system {

namespace {

// Windows says "path not found" for a file that stands where a folder of the
// path should be; the nearest part of the path that exists tells which.
DWORD RefinePathNotFound(const std::filesystem::path& path) {
    for (std::filesystem::path part = path.parent_path(); part.has_relative_path();
         part = part.parent_path()) {
        const DWORD attributes = ::GetFileAttributesW(part.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ERROR_PATH_NOT_FOUND
                                                                : ERROR_DIRECTORY;
        }
    }
    return ERROR_PATH_NOT_FOUND;
}

}  // namespace

int DeleteIfPresent(const std::filesystem::path& path) {
    // DeleteFileW removes a symbolic link itself and refuses a directory.
    if (::DeleteFileW(path.c_str()) != 0) {
        return 0;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        return 0;
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return 0;
    }
    // Windows refuses a folder as it refuses a file without the right to
    // delete it; the user is told which.
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kErrorIsFolder : static_cast<int>(error);
}

int CreateNewFile(const std::filesystem::path& path, WriteStyle style, NativeFile& created) {
    // CREATE_NEW never opens an existing name, a link included. Other
    // programs may read the file meanwhile (a player), not write or delete it.
    const DWORD flags =
        FILE_ATTRIBUTE_NORMAL | (style == WriteStyle::Overlapped ? FILE_FLAG_OVERLAPPED : DWORD{0});
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return static_cast<int>(error == ERROR_PATH_NOT_FOUND ? RefinePathNotFound(path) : error);
    }
    created = file;
    return 0;
}

int HoldWhileWriting(NativeFile /*file*/) {
    return 0;  // opened without FILE_SHARE_DELETE: nobody can delete it meanwhile
}

bool WritesAtOffsets(NativeFile /*file*/, std::uint64_t& /*offset*/) {
    return false;
}

int WriteAll(NativeFile file, std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kLargestWrite = std::size_t{1} << 30;
    while (!bytes.empty()) {
        const auto count = static_cast<DWORD>(std::min(bytes.size(), kLargestWrite));
        DWORD written = 0;
        if (::WriteFile(file, bytes.data(), count, &written, nullptr) == 0) {
            return static_cast<int>(::GetLastError());
        }
        if (written == 0) {
            return static_cast<int>(ERROR_WRITE_FAULT);
        }
        bytes = bytes.subspan(written);
    }
    return 0;
}

int CloseFile(NativeFile file) {
    return ::CloseHandle(file) != 0 ? 0 : static_cast<int>(::GetLastError());
}

void IgnoreFileSizeSignal() {
    // Windows has no file-size signal: a write beyond a limit simply fails.
}

}  // namespace tonegen::file_system
