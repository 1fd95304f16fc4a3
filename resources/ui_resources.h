// What both windows share: the carried font, the program icon and the
// conversion of the design's twips to pixels.
#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRect>

namespace ui {

// The design is laid out in twips; 15 twips make one pixel at 96 DPI, and
// Qt's own high-DPI scaling takes it from there.
constexpr int TwipsToPixels(int twips) {
    return twips / 15;
}

// A rectangle given in twips as left, top, width, height.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
    [[nodiscard]] QRect toPixels() const {
        return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                TwipsToPixels(height)};
    }
};

// Registers the carried faces with Qt; call once after QApplication exists.
// Safe to call again.
void LoadProgramFonts();

// The program's sans-serif face at a pixel size (8.25 pt = 11 px, 12 pt = 16 px,
// 13.5 pt = 18 px at 96 DPI).
QFont ProgramFont(int pixelSize, bool bold = false);

// The 32 x 32 telephone picture, and the same as a window icon.
QPixmap ProgramIconPixmap();
QIcon ProgramIcon();

}  // namespace ui
