#if defined(_WIN32)

#include <windows.h>

#include <algorithm>

#include "file_system.h"

namespace tonegen::file_system {

int DeleteIfPresent(const std::filesystem::path& path) {
    // DeleteFileW removes a symbolic link itself and refuses a directory.
    if (::DeleteFileW(path.c_str()) != 0) {
        return 0;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        return 0;
    }
    return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? 0
                                                                         : static_cast<int>(error);
}

int CreateNewFile(const std::filesystem::path& path, WriteStyle style, NativeFile& created) {
    // CREATE_NEW never opens an existing name, a link included. Other
    // programs may read the file meanwhile (a player), not write or delete it.
    const DWORD flags =
        FILE_ATTRIBUTE_NORMAL | (style == WriteStyle::Overlapped ? FILE_FLAG_OVERLAPPED : DWORD{0});
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return static_cast<int>(::GetLastError());
    }
    created = file;
    return 0;
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

#endif
