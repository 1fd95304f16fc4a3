#include "flat_button.h"

#include <QPainter>

#include "ui_resources.h"

namespace {

// The bevel's shades, lightest to darkest.
constexpr QColor kHighlight(255, 255, 255);
constexpr QColor kShadow(128, 128, 128);
constexpr QColor kDarkShadow(64, 64, 64);

// One pixel along the top and left sides of `box`, another along the
// bottom and right sides.
void edge(QPainter& painter, const QRect& box, const QColor& topLeft, const QColor& bottomRight) {
    painter.fillRect(box.left(), box.top(), box.width() - 1, 1, topLeft);
    painter.fillRect(box.left(), box.top(), 1, box.height() - 1, topLeft);
    painter.fillRect(box.left(), box.bottom(), box.width(), 1, bottomRight);
    painter.fillRect(box.right(), box.top(), 1, box.height(), bottomRight);
}

}  // namespace

FlatButton::FlatButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

void FlatButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect box = rect();
    const QColor face = palette().color(QPalette::Button);
    painter.fillRect(box, face);
    const bool down = isDown() || isChecked();
    if (down) {
        // Pressed: sunken, the caption one pixel down and right.
        edge(painter, box, kDarkShadow, kHighlight);
        edge(painter, box.adjusted(1, 1, -1, -1), kShadow, face);
    } else {
        edge(painter, box, kHighlight, kDarkShadow);
        edge(painter, box.adjusted(1, 1, -1, -1), face, kShadow);
    }
    const QRect caption = box.translated(down ? 1 : 0, down ? 1 : 0);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.setFont(font());
    painter.drawText(caption, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        ui::drawFocusMark(painter, box.adjusted(3, 3, -3, -3), palette());
    }
}
