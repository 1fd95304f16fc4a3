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
#include <QString>
#include <QWidget>
#include <string_view>

class QLabel;
class QPainter;

#include "form_units.h"

namespace ui {

// Twips become pixels at 96 DPI; Qt's own high-DPI scaling takes it from there.
QRect toPixels(const forms::TwipsRect& place);
QPoint toPixels(const forms::TwipsPoint& point);

constexpr QColor toColour(forms::Colour colour) {
    return {colour.red, colour.green, colour.blue};
}

Qt::Alignment toAlignment(forms::TextAlign align);

// A text of the forms, which hold UTF-8, as Qt's.
QString fromUtf8(std::string_view utf8);

// Registers the carried faces with Qt; call once after QApplication exists.
// Safe to call again.
void loadProgramFonts();

// The program's sans-serif face at a pixel size (8.25 pt = 11 px, 12 pt = 16 px,
// 13.5 pt = 18 px at 96 DPI).
QFont programFont(int pixelSize, bool bold = false);
// The same face for a font of the forms.
QFont programFont(const forms::FontSpec& font);

// A control's widget named, set in its font and placed as the form says.
template <typename Widget>
Widget* placeControl(Widget* widget, const forms::Control& control) {
    widget->setObjectName(fromUtf8(control.name));
    widget->setFont(programFont(control.font));
    widget->setGeometry(toPixels(control.place));
    return widget;
}

// A label of the forms showing `text`: plain text, so that runs of blanks
// stay, wrapped at word boundaries, aligned as the form says from the top.
QLabel* makeLabel(const forms::Control& control, const QString& text, QWidget* parent);

// The 32 x 32 telephone picture, and the same as a window icon (also at
// two, three and four times the size, every pixel a square block).
QPixmap programIconPixmap();
QIcon programIcon();
// The picture for a screen of the given device pixel ratio: every pixel
// made a block of whole device pixels, so that it stays sharp at 200 %;
// nearest pixels at ratios that are no whole number.
QImage programIconImage(qreal devicePixelRatio);

// The mark of the control that has the keyboard: a ring in the highlight
// colour along the inside of `inside`, one pixel wide at 100 %.
void drawFocusMark(QPainter& painter, const QRect& inside, const QPalette& colours);

}  // namespace ui
