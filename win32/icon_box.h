// picIcon of the About window: the program icon in a box with a one-pixel
// frame on the system's window colour. It takes the focus, by Tab or by a
// click, and does nothing else.
#pragma once

#include <windows.h>

#include "window.h"

namespace win32 {

class IconBox final : public Window {
  public:
    IconBox() = default;
    ~IconBox() override;
    IconBox(const IconBox&) = delete;
    IconBox& operator=(const IconBox&) = delete;

    // A child of parent; placed by the parent.
    HWND Open(HWND parent);
    // The frame's width for a resolution (one pixel at 96 dots per inch);
    // the icon fills what the frame leaves.
    void SetDpi(int dpi);

  private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintClient(HDC dc) override;

    HICON icon_ = nullptr;  // the 32-pixel art
    int frame_ = 1;
};

}  // namespace win32
