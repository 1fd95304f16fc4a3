#include "dtmf_grid.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QString>
#include <cmath>

#include "about_form.h"
#include "ui_resources.h"

namespace about {
namespace {

namespace grid = forms::about_form::grid;
using grid::Span;

QRect Box(Span x, Span y) {
    return {QPoint(x.first, y.first), QPoint(x.last, y.last)};
}

// A sunken cell: dark on the top and left, light on the bottom and right.
void DrawBox(QPainter& painter, const QRect& box) {
    painter.fillRect(box.left(), box.top(), box.width(), 1, ui::ToColour(grid::kCellDark));
    painter.fillRect(box.left(), box.top(), 1, box.height(), ui::ToColour(grid::kCellDark));
    painter.fillRect(box.left() + 1, box.bottom(), box.width() - 1, 1,
                     ui::ToColour(grid::kCellLight));
    painter.fillRect(box.right(), box.top() + 1, 1, box.height() - 1,
                     ui::ToColour(grid::kCellLight));
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
    image.fill(ui::ToColour(grid::kBackground));

    QPainter painter(&image);
    // Light from the top left: a beige band there, a shadow offset by the
    // band's width along the right and bottom.
    const QColor band = ui::ToColour(grid::kBand);
    const QColor shadow = ui::ToColour(grid::kShadow);
    constexpr int kBandWidth = grid::kBandWidth;
    painter.fillRect(0, 0, kWidth, kBandWidth, band);
    painter.fillRect(0, 0, kBandWidth, kHeight, band);
    painter.fillRect(kWidth - kBandWidth, kBandWidth, kBandWidth, kHeight - kBandWidth, shadow);
    painter.fillRect(kBandWidth, kHeight - kBandWidth, kWidth - kBandWidth, kBandWidth, shadow);

    QFont serif(SerifFamily());
    serif.setStyleHint(QFont::Serif);
    serif.setPixelSize(grid::kHeaderPixelSize);
    painter.setFont(serif);
    painter.setPen(Qt::black);
    const auto header = [&painter](const QRect& box, int hertz) {
        DrawBox(painter, box);
        painter.drawText(box.adjusted(1, 1, -1, -1), Qt::AlignCenter,
                         QString::fromStdString(forms::about_form::FrequencyHeader(hertz)));
    };
    for (std::size_t i = 0; i < grid::kColumns.size(); ++i) {
        header(Box(grid::kColumns[i], grid::kHeaderRow), tonegen::kDtmfColumnFrequencies[i]);
    }
    for (std::size_t i = 0; i < grid::kRows.size(); ++i) {
        header(Box(grid::kHeaderColumn, grid::kRows[i]), tonegen::kDtmfRowFrequencies[i]);
    }
    for (const Span& row : grid::kRows) {
        for (const Span& column : grid::kColumns) {
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
