// Small pieces every window of the program needs the same way: the forms'
// colours as GDI takes them, a child window's text, a child moved to its
// pixel rectangle.
#pragma once

#include <windows.h>

#include <string>

#include "form_units.h"

namespace win32 {

[[nodiscard]] COLORREF ToColorref(forms::Colour colour);

// The whole text of a window or control, however long.
[[nodiscard]] std::wstring Text(HWND window);

// Moves and sizes a child without changing its place in the tab order.
void Place(HWND child, const RECT& place);

}  // namespace win32
