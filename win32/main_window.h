// Form1, the window the program opens with: two frequencies, a duration and
// a volume make test.wav, which is then played. A tool window without a
// task-bar button, centred on the screen, laid out from the forms' twips at
// the resolution of the monitor it is on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "form_units.h"
#include "gdi_object.h"
#include "program_fonts.h"
#include "tonegen/tone_file.h"
#include "wait_pointer.h"
#include "window.h"
#include "windowless_controls.h"

namespace win32 {

class SoundPlayer;

class MainWindow final : public FormWindow {
  public:
    using ToneFileMaker = tonegen::ToneFileMaker;

    // What the window asks of the rest of the program.
    struct Links {
        std::function<void()> openAbout;
        std::function<void()> closed;
    };

    MainWindow(std::filesystem::path programDirectory, SoundPlayer& player,
               ToneFileMaker makeToneFile, Links links);

    // Builds the window, centres it and shows it with the focus on "Créer".
    void Open(HWND owner);

    // A windowed control (box, button, scroll bar) of the forms' main window.
    [[nodiscard]] HWND ControlHandle(const forms::Control& control) const;
    [[nodiscard]] std::filesystem::path ToneFilePath() const;
    [[nodiscard]] int Dpi() const { return fonts_.Scale().Dpi(); }

    // "Créer": writes test.wav from the inputs, then plays it or shows why not.
    void CreateAndPlay();
    // "Rejouer": plays test.wav again, whether or not it exists.
    void Replay();

  private:
    struct Child {
        const forms::Control* control;
        HWND handle;
    };

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCreate();
    void OnCommand(int id, int code, HWND control);
    void OnScroll(int request);
    LRESULT OnControlColour(HDC dc, UINT message);
    void OnDrawButton(const DRAWITEMSTRUCT& item);
    void OnDpiChanged(int dpi, const RECT& suggested) override;
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDefaultButton() const;

    void PaintClient(HDC dc) override;
    void LayOut(ProgramFonts& fonts);
    [[nodiscard]] const Child* FindChild(HWND handle) const;
    void ShowError(const std::wstring& text);
    void PlayToneFile();

    std::filesystem::path programDirectory_;
    SoundPlayer& player_;
    ToneFileMaker makeToneFile_;
    Links links_;

    std::vector<Child> children_;
    WindowlessControls labels_;
    ProgramFonts fonts_;
    GdiObject<HBRUSH> faceBrush_;
    GdiObject<HBRUSH> boxBrush_;
    WaitPointer wait_;
};

}  // namespace win32
