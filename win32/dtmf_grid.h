// The DTMF reference table of the About window, drawn with GDI from the
// forms' grid facts: empty bevelled cells with the row and column
// frequencies as headers. The key characters are labels laid over it.
#pragma once

#include <windows.h>

#include "program_fonts.h"

namespace win32 {

// Draws the 250 x 111 picture (at 96 dots per inch; scaled with the fonts'
// resolution, every line staying whole pixels wide) with its top-left corner
// at the rectangle's.
void PaintDtmfGrid(HDC dc, const RECT& place, ProgramFonts& fonts);

}  // namespace win32
