#include "ui_resources.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QString>
#include <cmath>

namespace ui {
namespace {

const QString& programFamily() {
    static const QString kFamily = [] {
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
    return kFamily;
}

}  // namespace

void loadProgramFonts() {
    (void)programFamily();
}

QRect toPixels(const forms::TwipsRect& place) {
    return {forms::TwipsToPixelsAt96Dpi(place.left), forms::TwipsToPixelsAt96Dpi(place.top),
            forms::TwipsToPixelsAt96Dpi(place.width), forms::TwipsToPixelsAt96Dpi(place.height)};
}

QPoint toPixels(const forms::TwipsPoint& point) {
    return {forms::TwipsToPixelsAt96Dpi(point.x), forms::TwipsToPixelsAt96Dpi(point.y)};
}

Qt::Alignment toAlignment(forms::TextAlign align) {
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

QString fromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QLabel* makeLabel(const forms::Control& control, const QString& text, QWidget* parent) {
    auto* label = placeControl(new QLabel(text, parent), control);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(toAlignment(control.align) | Qt::AlignTop);
    return label;
}

QFont programFont(const forms::FontSpec& spec) {
    QFont font = programFont(forms::FontPixelsAt96Dpi(spec), spec.bold);
    font.setUnderline(spec.underline);
    return font;
}

QFont programFont(int pixelSize, bool bold) {
    QFont font(programFamily());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QPixmap programIconPixmap() {
    return QPixmap(QStringLiteral(":/pictures/quenbrix.xpm"));
}

QIcon programIcon() {
    QIcon icon;
    for (const int factor : {1, 2, 3, 4}) {
        QImage size = programIconImage(factor);
        size.setDevicePixelRatio(1);  // a larger icon, not a sharper 32 x 32
        icon.addPixmap(QPixmap::fromImage(size));
    }
    return icon;
}

QImage programIconImage(qreal devicePixelRatio) {
    const QImage picture = programIconPixmap().toImage();
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const auto side = static_cast<int>(std::lround(picture.width() * ratio));
    QImage scaled = picture.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    scaled.setDevicePixelRatio(ratio);
    return scaled;
}

void drawFocusMark(QPainter& painter, const QRect& inside, const QPalette& colours) {
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
