#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>

#include "browser.h"
#include "program.h"
#include "program_directory.h"
#include "tonegen/tone_file.h"
#include "wave_file_player.h"
#include "window.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
    // Per-monitor awareness and the current common controls come from the
    // program's manifest (quenbrix.manifest).

    // Held until the program ends: the installer and the uninstaller look
    // for it and wait until the program is closed.
    HANDLE running = CreateMutexW(nullptr, FALSE, QUENBRIX_RUNNING_MUTEX);

    // The shell's browser start wants COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    int exitCode = 1;
    try {
        win32::WaveFilePlayer player;
        win32::Program program(win32::ProgramDirectory(), player, tonegen::CreateToneFile,
                               win32::OpenInBrowser);
        program.Start();
        exitCode = program.Run();
    } catch (const std::exception& failure) {
        win32::EndAfterFailure(failure.what());
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    if (running != nullptr) {
        CloseHandle(running);
    }
    return exitCode;
}
