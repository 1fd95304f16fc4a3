// What every window of the program shares: its class is registered once,
// the system's messages reach the object's HandleMessage, and no C++
// exception crosses the system's code.
#pragma once

#include <windows.h>

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

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
};

// A failure that no handler expects: says what it is, then ends the program
// (once, however many handlers fail while the box is open).
void EndAfterFailure(const char* what);

}  // namespace win32
