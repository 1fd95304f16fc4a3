// Helpers of the Win32 window tests, which run in-process on Wine's null
// graphics driver: a player that records, message boxes answered and
// remembered, keys and characters delivered through the program's own
// message loop.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program.h"
#include "sound_player.h"

namespace quenbrix_test {

// Records "stop" and "play <path>", in order; refuses every name while
// refusing is set.
class RecordingPlayer final : public win32::SoundPlayer {
  public:
    bool Play(const std::filesystem::path& file) override;
    void Stop() override;

    std::vector<std::wstring> calls;
    bool refusing = false;
};

struct ShownBox {
    std::wstring title;
    std::wstring text;
    bool errorIcon = false;
};

// Answers every message box of this thread with OK as soon as it is shown.
class MessageBoxWatcher {
  public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    [[nodiscard]] static const std::vector<ShownBox>& Shown();

  private:
    HHOOK hook_;
};

// A key pressed and released with the focus where it is, through the
// program's loop (so that Tab, Enter and Escape work as the user sees them).
void PressKey(win32::Program& program, UINT virtualKey);
// Characters typed into the focused control.
void Type(win32::Program& program, std::wstring_view characters);
// A mouse message at a point of the window's client area.
void Mouse(win32::Program& program, HWND window, UINT message, POINT point);

std::wstring WindowText(HWND window);
RECT ClientRectOnScreen(HWND window);
// The client area as the window paints it.
class PaintedClient {
  public:
    explicit PaintedClient(HWND window);
    ~PaintedClient();
    PaintedClient(const PaintedClient&) = delete;
    PaintedClient& operator=(const PaintedClient&) = delete;

    [[nodiscard]] COLORREF At(POINT point) const;

  private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

}  // namespace quenbrix_test
