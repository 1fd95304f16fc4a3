#include "icon_set.h"

#include <QPainter>

namespace icons {

namespace {

void Put16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(QByteArray& out, qint64 value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

// One image as the icon format stores it: a bitmap header giving twice the
// height (colour rows, then mask rows), bottom-up BGRA rows, then the mask.
QByteArray BitmapEntry(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();
    const int maskStride = ((width + 31) / 32) * 4;
    QByteArray out;
    Put32(out, 40);
    Put32(out, width);
    Put32(out, 2 * static_cast<qint64>(height));
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, 0);   // no compression
    Put32(out, static_cast<qint64>(width) * height * 4 + static_cast<qint64>(maskStride) * height);
    for (int unused = 0; unused < 4; ++unused) {
        Put32(out, 0);  // resolution and palette fields
    }
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            out.append(static_cast<char>(qBlue(pixel)));
            out.append(static_cast<char>(qGreen(pixel)));
            out.append(static_cast<char>(qRed(pixel)));
            out.append(static_cast<char>(qAlpha(pixel)));
        }
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < width; ++x) {
            if (qAlpha(image.pixel(x, y)) == 0) {
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out.append(row);
    }
    return out;
}

}  // namespace

QImage Scaled(const QImage& art, int size) {
    const int factor = std::max(1, std::min(size / art.width(), size / art.height()));
    QImage out(size, size, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    const QImage enlarged = art.convertToFormat(QImage::Format_ARGB32)
                                .scaled(art.width() * factor, art.height() * factor,
                                        Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage((size - enlarged.width()) / 2, (size - enlarged.height()) / 2, enlarged);
    return out;
}

QByteArray IcoFile(const QList<QImage>& images) {
    QByteArray out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // icon, not cursor
    Put16(out, static_cast<int>(images.size()));
    QList<QByteArray> entries;
    qint64 offset = 6 + 16 * images.size();
    for (const QImage& image : images) {
        entries.append(BitmapEntry(image));
        // Sizes of 256 and more are written as 0.
        out.append(static_cast<char>(image.width() >= 256 ? 0 : image.width()));
        out.append(static_cast<char>(image.height() >= 256 ? 0 : image.height()));
        out.append('\0');  // not a palette image
        out.append('\0');  // reserved
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, entries.last().size());
        Put32(out, offset);
        offset += entries.last().size();
    }
    for (const QByteArray& entry : entries) {
        out.append(entry);
    }
    return out;
}

}  // namespace icons
