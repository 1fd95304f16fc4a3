// What every window of the program shares: its class is registered once,
// the system's messages reach the object's HandleMessage, no C++ exception
// crosses the system's code, and the window paints its client area itself.
// The top-level windows share more: see FormWindow.
#pragma once

#include <windows.h>

#include "focus_memory.h"

namespace win32 {

class Window {
  public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    // Empty while the window is not open.
    [[nodiscard]] HWND Handle() const { return handle_; }

  protected:
    struct ClassSpec {
        const wchar_t* name;
        HBRUSH background;  // owned by the class from now on; may be null
    };
    // Creates the window with this object behind it.
    HWND Create(const ClassSpec& windowClass, DWORD exStyle, DWORD style, HWND owner,
                const wchar_t* title);

    // A window's own messages come first; it hands the others to this,
    // which paints and leaves the rest to the system.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    // The whole client area, on the screen or in a picture of the window.
    virtual void PaintClient(HDC dc) = 0;
    // For WM_PAINT: straight onto the screen unless the window says otherwise.
    virtual void OnPaint();

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
};

// A top-level window laid out from the forms: its frame is sized for the
// forms' client area, WM_PAINT covers that whole area, the focus goes back
// to the control that had it when the window comes back, and a move to a
// monitor of another resolution lays it out again.
class FormWindow : public Window {
  public:
    // The window's frame; the client area's size in the forms' twips.
    struct Frame {
        DWORD style;
        DWORD exStyle;
        int clientWidth;
        int clientHeight;
    };

    explicit FormWindow(const Frame& frame) : frame_(frame) {}

    // The window's size for its client area at a resolution.
    [[nodiscard]] SIZE WindowSize(int dpi) const;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The fonts and the controls at the new resolution, the window at the
    // place the system suggests.
    virtual void OnDpiChanged(int dpi, const RECT& suggested) = 0;

    // The window's place for its client area's top-left corner on the
    // screen, at a resolution.
    [[nodiscard]] RECT FrameAt(POINT corner, int dpi) const;
    // Shows the window in front with the focus on control, which gets it
    // back whenever the window comes back.
    void ShowWithFocusOn(HWND control);

  private:
    Frame frame_;
    FocusMemory focus_;
};

// A failure that no handler expects: says what it is, then ends the program
// (once, however many handlers fail while the box is open).
void EndAfterFailure(const char* what);

}  // namespace win32
