#include "wait_pointer.h"

#include <QCoreApplication>
#include <QEventLoop>

WaitPointer::WaitPointer(QWidget* window) : window_(window) {}

WaitPointer::~WaitPointer() {
    restore();
}

void WaitPointer::show() {
    if (shown_ || window_.isNull()) {
        return;
    }
    shown_ = true;
    // Text boxes carry their own I-beam, which would win over the window's
    // pointer; each control with a pointer of its own gets the hourglass too.
    QList<QWidget*> widgets = window_->findChildren<QWidget*>();
    widgets.prepend(window_.data());
    for (QWidget* widget : widgets) {
        const bool own = widget->testAttribute(Qt::WA_SetCursor);
        saved_.append({widget, own, widget->cursor()});
        widget->setCursor(Qt::WaitCursor);
    }
    // The run blocks the event loop: let the pending cursor and paint work
    // reach the display server, but handle no key or mouse input.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WaitPointer::restore() {
    if (!shown_) {
        return;
    }
    shown_ = false;
    for (const Saved& entry : saved_) {
        if (entry.widget.isNull()) {
            continue;
        }
        if (entry.hadOwnCursor) {
            entry.widget->setCursor(entry.cursor);
        } else {
            entry.widget->unsetCursor();
        }
    }
    saved_.clear();
}
