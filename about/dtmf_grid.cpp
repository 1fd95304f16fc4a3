#include "dtmf_grid.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QString>
#include <array>
#include <cmath>

namespace about {
namespace {

constexpr QColor kBackground{248, 248, 248};
constexpr QColor kBand{210, 208, 201};
constexpr QColor kShadow{128, 128, 128};
constexpr QColor kBoxDark{128, 128, 128};
constexpr QColor kBoxLight{200, 200, 200};
constexpr int kBandWidth = 3;

// Inclusive pixel spans, from the picture's top-left corner.
struct Span {
    int first;
    int last;
};
constexpr std::array<Span, 4> kColumns{{{49, 96}, {98, 145}, {148, 194}, {197, 244}}};
constexpr std::array<Span, 4> kRows{{{25, 43}, {46, 64}, {66, 84}, {87, 105}}};
constexpr Span kHeaderColumn{6, 46};
constexpr Span kHeaderRow{5, 23};
constexpr std::array<const char*, 4> kColumnHeaders{"1209 Hz", "1336 Hz", "1477 Hz", "1633 Hz"};
constexpr std::array<const char*, 4> kRowHeaders{"697 Hz", "770 Hz", "852 Hz", "941 Hz"};

QRect Box(Span x, Span y) {
    return {QPoint(x.first, y.first), QPoint(x.last, y.last)};
}

// A sunken cell: dark on the top and left, light on the bottom and right.
void DrawBox(QPainter& painter, const QRect& box) {
    painter.fillRect(box.left(), box.top(), box.width(), 1, kBoxDark);
    painter.fillRect(box.left(), box.top(), 1, box.height(), kBoxDark);
    painter.fillRect(box.left() + 1, box.bottom(), box.width() - 1, 1, kBoxLight);
    painter.fillRect(box.right(), box.top() + 1, 1, box.height() - 1, kBoxLight);
}

QString SerifFamily() {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(
            QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"));
        const QString name =
            id >= 0 ? QFontDatabase::applicationFontFamilies(id).value(0) : QString();
        return name.isEmpty() ? QStringLiteral("Serif") : name;
    }();
    return family;
}

}  // namespace

DtmfGrid::DtmfGrid(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth, kHeight);
}

QImage DtmfGrid::Render(qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QImage image(static_cast<int>(std::ceil(kWidth * ratio)),
                 static_cast<int>(std::ceil(kHeight * ratio)), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(kBackground);

    QPainter painter(&image);
    // Light from the top left: a beige band there, a shadow offset by the
    // band's width along the right and bottom.
    painter.fillRect(0, 0, kWidth, kBandWidth, kBand);
    painter.fillRect(0, 0, kBandWidth, kHeight, kBand);
    painter.fillRect(kWidth - kBandWidth, kBandWidth, kBandWidth, kHeight - kBandWidth, kShadow);
    painter.fillRect(kBandWidth, kHeight - kBandWidth, kWidth - kBandWidth, kBandWidth, kShadow);

    QFont serif(SerifFamily());
    serif.setStyleHint(QFont::Serif);
    serif.setPixelSize(12);
    painter.setFont(serif);
    painter.setPen(Qt::black);
    const auto header = [&painter](const QRect& box, const char* text) {
        DrawBox(painter, box);
        painter.drawText(box.adjusted(1, 1, -1, -1), Qt::AlignCenter, QString::fromLatin1(text));
    };
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        header(Box(kColumns[i], kHeaderRow), kColumnHeaders[i]);
    }
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        header(Box(kHeaderColumn, kRows[i]), kRowHeaders[i]);
    }
    for (const Span& row : kRows) {
        for (const Span& column : kColumns) {
            DrawBox(painter, Box(column, row));
        }
    }
    return image;
}

void DtmfGrid::paintEvent(QPaintEvent* /*event*/) {
    const qreal ratio = devicePixelRatioF();
    if (cache_.isNull() || !qFuzzyCompare(cache_.devicePixelRatio(), ratio)) {
        cache_ = Render(ratio);
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), cache_);
}

}  // namespace about
