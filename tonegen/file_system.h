// Every file-system call of the tone core, behind one small seam: POSIX calls
// in file_system_posix.cpp, Win32 calls in file_system_win32.cpp. Errors are
// the system's own numbers (errno, or GetLastError() on Windows), 0 for none;
// FileErrorReason turns them into French.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "tonegen/tone_file.h"

namespace tonegen::file_system {

#if defined(_WIN32)
// ERROR_DIRECTORY_NOT_SUPPORTED, which MinGW-w64's headers lack: given for a
// folder that stands where the file to delete should be.
inline constexpr int kErrorIsFolder = 336;
#endif

// Deletes the file or link at path (a link itself, never its target). A name
// that is not there, or a delete that fails while nothing can be seen under
// that name, leaves nothing to report: creating the file says what is wrong.
// A file that another run holds (HoldWhileWriting) is not deleted: "in use".
[[nodiscard]] int DeleteIfPresent(const std::filesystem::path& path);

// Holds a file just created against a second run that would delete it while
// it is being written, until the file is closed. POSIX: an open-file-
// description lock, which DeleteIfPresent respects (a file system without
// such locks holds nothing). Windows needs nothing: a file open without
// FILE_SHARE_DELETE cannot be deleted. "In use" when another run deleted
// the file between its creation and this call.
[[nodiscard]] int HoldWhileWriting(NativeFile file);

enum class WriteStyle {
    Sequential,  // each write waits until the system has the bytes
    Overlapped,  // Windows: opened for overlapped writes, which only they can use
};

// Creates path for writing: never opens an existing name, never follows a link.
[[nodiscard]] int CreateNewFile(const std::filesystem::path& path, WriteStyle style,
                                NativeFile& created);

// Whether writes at explicit offsets from offset on leave file as sequential
// writes would: a regular file, not in append mode, standing at its end.
// Windows: never for a handle opened by someone else, which may not be open
// for overlapped writes.
[[nodiscard]] bool WritesAtOffsets(NativeFile file, std::uint64_t& offset);

// Writes all of bytes, going on after partial writes and interruptions.
[[nodiscard]] int WriteAll(NativeFile file, std::span<const std::uint8_t> bytes);

// Closes the file; an error means that written data may be lost.
[[nodiscard]] int CloseFile(NativeFile file);

void IgnoreFileSizeSignal();

}  // namespace tonegen::file_system
