// The digit filter of the main window's three boxes: a character typed into
// the box goes in only if it is one of the ten digits. Backspace, Enter and
// the characters that Ctrl+C, Ctrl+V, Ctrl+X and Ctrl+Z deliver are refused
// with the rest; keys that deliver no character (Delete, the arrows, Home,
// End) and the context menu's paste are left alone.
#pragma once

#include <windows.h>

namespace win32 {

class DigitBox {
  public:
    // Makes an existing EDIT control filter what is typed into it, until it
    // is destroyed.
    static void Attach(HWND edit);

  private:
    static LRESULT CALLBACK Filter(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR data);
};

}  // namespace win32
