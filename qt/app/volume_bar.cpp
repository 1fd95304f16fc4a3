#include "volume_bar.h"

#include <QPainter>

#include "ui_resources.h"

VolumeBar::VolumeBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    // The value grows from left to right, whatever the layout direction, and
    // Right and Page Up raise it.
    setLayoutDirection(Qt::LeftToRight);
    setInvertedAppearance(false);
    setInvertedControls(false);
    setFocusPolicy(Qt::StrongFocus);
}

void VolumeBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        ui::drawFocusMark(painter, rect(), palette());
    }
}
