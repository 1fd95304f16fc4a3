// The hourglass over a whole window for the length of a blocking run: the
// run handles no messages, so the pointer is set at once and the window's
// WM_SETCURSOR asks Showing() in case one comes through.
#pragma once

#include <windows.h>

namespace win32 {

class WaitPointer {
  public:
    WaitPointer() = default;
    ~WaitPointer() { Restore(); }
    WaitPointer(const WaitPointer&) = delete;
    WaitPointer& operator=(const WaitPointer&) = delete;

    void Show(HWND window);
    // Gives the pointer back to the control under it. Safe to call twice.
    void Restore();

    [[nodiscard]] bool Showing() const { return showing_; }

  private:
    HWND window_ = nullptr;
    bool showing_ = false;
};

}  // namespace win32
