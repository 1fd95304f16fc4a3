#include "link_label.h"

#include <QMouseEvent>
#include <QPalette>

#include "about_form.h"
#include "ui_resources.h"

namespace about {

namespace form = forms::about_form;

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    // Every move over the label counts, not only those with a button held.
    setMouseTracking(true);
    // A move over the link is the link's own business; passed on to the
    // window it would count as bare background.
    setAttribute(Qt::WA_NoMousePropagation);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, ui::toColour(form::kLinkText));
    colours.setColor(QPalette::Window, ui::toColour(form::kLinkIdle));
    setPalette(colours);
}

void LinkLabel::setCovered(bool covered) {
    if (covered == covered_) {
        return;
    }
    covered_ = covered;
    QPalette colours = palette();
    colours.setColor(QPalette::Window,
                     covered ? ui::toColour(form::kLinkCovered) : ui::toColour(form::kLinkIdle));
    setPalette(colours);
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
    setCovered(true);
    event->accept();
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        emit clicked();
    }
}

}  // namespace about
