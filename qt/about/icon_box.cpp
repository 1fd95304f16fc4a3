#include "icon_box.h"

#include <QPainter>

#include "ui_resources.h"

namespace about {

IconBox::IconBox(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setPixmap(ui::programIconPixmap());
    setFocusPolicy(Qt::StrongFocus);
}

void IconBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    drawFrame(&painter);
    // Whole device pixels per picture pixel: Qt's own scaling would blur it.
    const qreal ratio = devicePixelRatioF();
    if (picture_.isNull() || !qFuzzyCompare(picture_.devicePixelRatio(), ratio)) {
        picture_ = ui::programIconImage(ratio);
    }
    const QRect inside = contentsRect();
    painter.drawImage(inside.topLeft(), picture_);
    if (hasFocus()) {
        ui::drawFocusMark(painter, inside, palette());
    }
}

}  // namespace about
