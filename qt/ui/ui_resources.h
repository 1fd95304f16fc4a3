// What both Qt windows share: the carried font, the program icon and the
// conversion of the forms' twips, fonts and colours to Qt's.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QRect>

class QPainter;

#include "form_units.h"

namespace ui {

// Twips become pixels at 96 DPI; Qt's own high-DPI scaling takes it from there.
QRect ToPixels(const forms::TwipsRect& place);
QPoint ToPixels(const forms::TwipsPoint& point);

constexpr QColor ToColour(forms::Colour colour) {
    return {colour.red, colour.green, colour.blue};
}

Qt::Alignment ToAlignment(forms::TextAlign align);

// Registers the carried faces with Qt; call once after QApplication exists.
// Safe to call again.
void LoadProgramFonts();

// The program's sans-serif face at a pixel size (8.25 pt = 11 px, 12 pt = 16 px,
// 13.5 pt = 18 px at 96 DPI).
QFont ProgramFont(int pixelSize, bool bold = false);
// The same face for a font of the forms.
QFont ProgramFont(const forms::FontSpec& font);

// The 32 x 32 telephone picture, and the same as a window icon (also at
// two, three and four times the size, every pixel a square block).
QPixmap ProgramIconPixmap();
QIcon ProgramIcon();
// The picture for a screen of the given device pixel ratio: every pixel
// made a block of whole device pixels, so that it stays sharp at 200 %;
// nearest pixels at ratios that are no whole number.
QImage ProgramIconImage(qreal devicePixelRatio);

// The mark of the control that has the keyboard: a ring in the highlight
// colour along the inside of `inside`, one pixel wide at 100 %.
void DrawFocusMark(QPainter& painter, const QRect& inside, const QPalette& colours);

}  // namespace ui
