#include "main_window.h"
#include "program_application.h"
#include "program_directory.h"
#include "pulse_player.h"
#include "tonegen/tone_file.h"
#include "ui_resources.h"

int main(int argc, char** argv) {
    tonegen::IgnoreFileSizeSignal();
    ProgramApplication application(argc, argv);
    ui::loadProgramFonts();
    PulsePlayer player;
    // Resolved once: test.wav lives beside the executable.
    MainWindow window(programDirectory(), player);
    window.show();
    return ProgramApplication::exec();
}
