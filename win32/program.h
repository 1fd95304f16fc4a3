// The program's two windows and its message loop. The About window is made
// on the first "A propos" and kept for the program's life; its window is
// built at each opening. The program ends when its last window has closed.
#pragma once

#include <windows.h>

#include <filesystem>

#include "about_window.h"
#include "main_window.h"

namespace win32 {

class Program {
  public:
    Program(std::filesystem::path programDirectory, SoundPlayer& player,
            MainWindow::ToneFileMaker makeToneFile, AboutWindow::SiteOpener openSite);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Shows the main window.
    void Start();
    // Runs until the last window has closed; the exit code.
    int Run();
    // Handles what is waiting in the queue; false once the program has ended.
    bool HandlePending();

    [[nodiscard]] MainWindow& Main() { return main_; }
    [[nodiscard]] AboutWindow& About() { return about_; }

  private:
    void Dispatch(MSG& message);
    void OpenAbout();
    void WindowClosed(const Window& closing);

    // Owns both windows without showing itself: owned windows get no
    // task-bar button, and neither window owns the other.
    HWND owner_ = nullptr;
    MainWindow main_;
    AboutWindow about_;
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace win32
