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

QRect toRect(const grid::PixelRect& area) {
    return {area.left, area.top, area.width, area.height};
}

QString serifFamily() {
    static const QString kFamily = [] {
        const int id = QFontDatabase::addApplicationFont(
            QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"));
        const QString name =
            id >= 0 ? QFontDatabase::applicationFontFamilies(id).value(0) : QString();
        return name.isEmpty() ? QStringLiteral("Serif") : name;
    }();
    return kFamily;
}

}  // namespace

DtmfGrid::DtmfGrid(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth, kHeight);
}

QImage DtmfGrid::renderImage(qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QImage image(static_cast<int>(std::ceil(kWidth * ratio)),
                 static_cast<int>(std::ceil(kHeight * ratio)), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(ui::toColour(grid::kBackground));

    QPainter painter(&image);
    for (const grid::Fill& fill : grid::Fills()) {
        painter.fillRect(toRect(fill.area), ui::toColour(fill.colour));
    }
    QFont serif(serifFamily());
    serif.setStyleHint(QFont::Serif);
    serif.setPixelSize(grid::kHeaderPixelSize);
    painter.setFont(serif);
    painter.setPen(Qt::black);
    for (const grid::HeaderText& header : grid::Headers()) {
        painter.drawText(toRect(header.inside), Qt::AlignCenter,
                         QString::fromStdString(header.text));
    }
    return image;
}

void DtmfGrid::paintEvent(QPaintEvent* /*event*/) {
    const qreal ratio = devicePixelRatioF();
    if (cache_.isNull() || !qFuzzyCompare(cache_.devicePixelRatio(), ratio)) {
        cache_ = renderImage(ratio);
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), cache_);
}

}  // namespace about
