#include "ui_resources.h"

#include <QFontDatabase>
#include <QPainter>
#include <QString>
#include <cmath>

namespace ui {
namespace {

const QString& ProgramFamily() {
    static const QString family = [] {
        QString name;
        for (const char* file :
             {":/fonts/LiberationSans-Regular.ttf", ":/fonts/LiberationSans-Bold.ttf"}) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
            if (id >= 0 && name.isEmpty()) {
                name = QFontDatabase::applicationFontFamilies(id).value(0);
            }
        }
        return name.isEmpty() ? QStringLiteral("Sans Serif") : name;
    }();
    return family;
}

}  // namespace

void LoadProgramFonts() {
    (void)ProgramFamily();
}

QRect ToPixels(const forms::TwipsRect& place) {
    return {forms::TwipsToPixelsAt96Dpi(place.left), forms::TwipsToPixelsAt96Dpi(place.top),
            forms::TwipsToPixelsAt96Dpi(place.width), forms::TwipsToPixelsAt96Dpi(place.height)};
}

QPoint ToPixels(const forms::TwipsPoint& point) {
    return {forms::TwipsToPixelsAt96Dpi(point.x), forms::TwipsToPixelsAt96Dpi(point.y)};
}

Qt::Alignment ToAlignment(forms::TextAlign align) {
    switch (align) {
        case forms::TextAlign::Centre:
            return Qt::AlignHCenter;
        case forms::TextAlign::Right:
            return Qt::AlignRight;
        case forms::TextAlign::Left:
            break;
    }
    return Qt::AlignLeft;
}

QFont ProgramFont(const forms::FontSpec& spec) {
    QFont font = ProgramFont(forms::FontPixelsAt96Dpi(spec), spec.bold);
    font.setUnderline(spec.underline);
    return font;
}

QFont ProgramFont(int pixelSize, bool bold) {
    QFont font(ProgramFamily());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QPixmap ProgramIconPixmap() {
    return QPixmap(QStringLiteral(":/pictures/quenbrix.xpm"));
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int factor : {1, 2, 3, 4}) {
        QImage size = ProgramIconImage(factor);
        size.setDevicePixelRatio(1);  // a larger icon, not a sharper 32 x 32
        icon.addPixmap(QPixmap::fromImage(size));
    }
    return icon;
}

QImage ProgramIconImage(qreal devicePixelRatio) {
    const QImage picture = ProgramIconPixmap().toImage();
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const auto side = static_cast<int>(std::lround(picture.width() * ratio));
    QImage scaled = picture.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    scaled.setDevicePixelRatio(ratio);
    return scaled;
}

void DrawFocusMark(QPainter& painter, const QRect& inside, const QPalette& colours) {
    painter.save();
    QPen ring(colours.color(QPalette::Highlight));
    ring.setWidth(1);
    ring.setJoinStyle(Qt::MiterJoin);
    painter.setPen(ring);
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(inside.adjusted(0, 0, -1, -1));
    painter.restore();
}

}  // namespace ui
