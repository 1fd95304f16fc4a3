// quenbrix-tone: makes the window program's tone files from a script.
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

#include "tone_command.h"
#include "tonegen/tone_file.h"

int main(int argc, char** argv) {
    tonegen::IgnoreFileSizeSignal();
    try {
        const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        return quenbrix_cli::ToneCommand::Run(args);
    } catch (const std::exception& error) {
        // Only resource exhaustion (memory) gets here.
        (void)std::fprintf(stderr, "quenbrix-tone : erreur interne : %s\n", error.what());
        return quenbrix_cli::kExitRunFailure;
    }
}
