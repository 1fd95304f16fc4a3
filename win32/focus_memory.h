// A plain window, unlike a dialog, does not give the focus back to the
// control that had it when the user comes back to the window; this does.
#pragma once

#include <windows.h>

namespace win32 {

class FocusMemory {
  public:
    // The control that gets the focus when the window is first activated.
    void Start(HWND control) { control_ = control; }
    // For WM_ACTIVATE: remembers the focused control when the window goes
    // inactive, gives it the focus back when the window comes back.
    void OnActivate(HWND window, WPARAM state);
    // For WM_SETFOCUS on the window itself.
    void Restore() const;

  private:
    HWND control_ = nullptr;
};

}  // namespace win32
