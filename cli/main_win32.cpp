// quenbrix-tone on Windows: the arguments arrive as UTF-16 and go on as
// UTF-8, like everything else in the program; the messages leave as UTF-8
// bytes, and a console shows them as text.
#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "output_target.h"
#include "tone_command.h"
#include "tonegen/tone_file.h"

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, converted.data(), size, nullptr, nullptr);
    converted.resize(converted.size() - 1);  // the terminating zero
    return converted;
}

// A console shows text given as UTF-16 (WriteConsoleW) whatever its code
// page; bytes written into it are read in that code page, which garbles the
// accents ("Ã©chec") unless it happens to be UTF-8. A file or a pipe gets
// the UTF-8 bytes as they are.
bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetConsoleMode(handle, &mode) != 0;
}

// The bytes up to the last whole UTF-8 character: a character cut by the
// pipe waits for the rest of its bytes.
std::size_t WholeCharacters(std::string_view bytes) {
    const std::size_t last = std::min<std::size_t>(4, bytes.size());
    for (std::size_t back = 1; back <= last; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0U) != 0x80U) {
            const std::size_t length = byte >= 0xF0U   ? 4
                                       : byte >= 0xE0U ? 3
                                       : byte >= 0xC0U ? 2
                                                       : 1;
            return length > back ? bytes.size() - back : bytes.size();
        }
    }
    return bytes.size();
}

void ShowOnConsole(HANDLE console, std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    const int size = static_cast<int>(bytes.size());
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    text.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, text.data(), size)));
    DWORD written = 0;
    for (std::size_t done = 0; done < text.size(); done += written) {
        if (::WriteConsoleW(console, text.data() + done, static_cast<DWORD>(text.size() - done),
                            &written, nullptr) == 0 ||
            written == 0) {
            return;  // a closed console must not stop the run
        }
    }
}

// While it lives, what the C runtime writes on one standard stream that is
// a console goes through a pipe to a thread that shows it with
// WriteConsoleW. Any other stream is left as it is.
class ConsoleText {
  public:
    ConsoleText(std::FILE* stream, int fd) : stream_(stream), fd_(fd) {
        if (!IsConsole(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)))) {
            return;
        }
        // A copy of the console's handle: the stream's own one is closed
        // when the pipe takes its place.
        saved_ = ::_dup(fd);
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (saved_ < 0 || ::CreatePipe(&readEnd, &writeEnd, nullptr, 0) == 0) {
            Forget();
            return;
        }
        const int pipeFd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(writeEnd), _O_TEXT);
        if (pipeFd < 0 || ::_dup2(pipeFd, fd) != 0) {
            // The console as before, bytes and all.
            if (pipeFd < 0) {
                ::CloseHandle(writeEnd);
            } else {
                ::_close(pipeFd);
            }
            ::CloseHandle(readEnd);
            Forget();
            return;
        }
        ::_close(pipeFd);  // the stream's descriptor now holds the pipe alone
        try {
            relay_ =
                std::thread(Relay, readEnd, reinterpret_cast<HANDLE>(::_get_osfhandle(saved_)));
        } catch (const std::system_error&) {
            ::_dup2(saved_, fd);  // no thread to read the pipe: the console as before
            ::CloseHandle(readEnd);
            Forget();
        }
    }

    ~ConsoleText() {
        if (!relay_.joinable()) {
            return;
        }
        (void)std::fflush(stream_);
        // The console comes back and the pipe's last writer goes, which ends
        // the relay once it has shown everything through the copy.
        ::_dup2(saved_, fd_);
        relay_.join();
        Forget();
    }

    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;
    ConsoleText(ConsoleText&&) = delete;
    ConsoleText& operator=(ConsoleText&&) = delete;

  private:
    void Forget() {
        if (saved_ >= 0) {
            ::_close(saved_);
            saved_ = -1;
        }
    }

    static void Relay(HANDLE readEnd, HANDLE console) {
        std::string pending;
        std::vector<char> buffer(4096);
        DWORD read = 0;
        while (::ReadFile(readEnd, buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                          nullptr) != 0 &&
               read > 0) {
            pending.append(buffer.data(), read);
            const std::size_t whole = WholeCharacters(pending);
            ShowOnConsole(console, std::string_view(pending).substr(0, whole));
            pending.erase(0, whole);
        }
        ShowOnConsole(console, pending);
        ::CloseHandle(readEnd);
    }

    std::FILE* stream_;
    int fd_;
    int saved_ = -1;
    std::thread relay_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    quenbrix_cli::OutputTarget::RememberConsoleOutput(
        IsConsole(reinterpret_cast<HANDLE>(::_get_osfhandle(_fileno(stdout)))));
    const ConsoleText output(stdout, _fileno(stdout));
    const ConsoleText errors(stderr, _fileno(stderr));
    tonegen::IgnoreFileSizeSignal();
    try {
        std::vector<std::string> texts;
        for (int i = 1; i < argc; ++i) {
            texts.push_back(Utf8(argv[i]));
        }
        const std::vector<std::string_view> args(texts.begin(), texts.end());
        return quenbrix_cli::ToneCommand::Run(args);
    } catch (const std::exception& error) {
        // Only resource exhaustion (memory) gets here.
        (void)std::fprintf(stderr, "quenbrix-tone : erreur interne : %s\n", error.what());
        return quenbrix_cli::kExitRunFailure;
    }
}
