// The hourglass over a whole window for the length of a blocking run.
#pragma once

#include <QCursor>
#include <QList>
#include <QPointer>
#include <QWidget>

class WaitPointer final {
  public:
    explicit WaitPointer(QWidget* window);
    ~WaitPointer();
    WaitPointer(const WaitPointer&) = delete;
    WaitPointer& operator=(const WaitPointer&) = delete;

    // Puts the hourglass on the window and every control in it, and makes it
    // reach the screen although the event loop is blocked.
    void show();
    // Gives every control its own pointer back. Safe to call more than once.
    void restore();

  private:
    struct Saved {
        QPointer<QWidget> widget;
        bool hadOwnCursor;
        QCursor cursor;
    };

    QPointer<QWidget> window_;
    QList<Saved> saved_;
    bool shown_ = false;
};
