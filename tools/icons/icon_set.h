// The program's pixel-art icon at the sizes desktops ask for, and as a
// Windows icon file, without any smoothing: every size shows the same pixels.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace icons {

// The sizes of the menu icons (hicolor NxN).
inline constexpr int kMenuSizes[] = {32, 48, 64, 128, 256};
// The sizes the Windows icon file holds.
inline constexpr int kWindowsSizes[] = {32, 48, 64};

// The art enlarged by the largest whole factor that fits a size x size
// square, each pixel repeated, centred on a transparent surround.
QImage Scaled(const QImage& art, int size);

// An .ico file holding each image as an uncompressed 32-bit bitmap with its
// transparency mask, which every Windows version and resource compiler reads.
QByteArray IcoFile(const QList<QImage>& images);

}  // namespace icons
