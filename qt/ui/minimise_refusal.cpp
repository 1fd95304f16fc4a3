#include "minimise_refusal.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

class MinimiseRefusal final : public QObject {
  public:
    explicit MinimiseRefusal(QWidget& window) : QObject(&window), window_(window) {
        // Once the state change is over: changing the state inside its own
        // notification is lost on some platforms.
        restore_.setSingleShot(true);
        restore_.setInterval(0);
        connect(&restore_, &QTimer::timeout, this, [this] {
            if (window_.isMinimized()) {
                window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
                window_.show();
                window_.activateWindow();
            }
        });
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::WindowStateChange &&
            window_.isMinimized()) {
            restore_.start();
        }
        return false;
    }

  private:
    QWidget& window_;
    QTimer restore_;
};

}  // namespace

void refuseMinimising(QWidget& window) {
    new MinimiseRefusal(window);  // owned by the window
}
