// quenbrix-tone on Windows: the arguments arrive as UTF-16 and go on as
// UTF-8, like everything else in the program.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The messages are UTF-8; the console shows them as such.
    ::SetConsoleOutputCP(CP_UTF8);
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
