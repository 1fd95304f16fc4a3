#include "minimise_refusal.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

class MinimiseRefusal final : public QObject {
  public:
    explicit MinimiseRefusal(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::WindowStateChange &&
            window_.isMinimized()) {
            // Once the state change is over: changing the state inside its
            // own notification is lost on some platforms.
            QTimer::singleShot(0, this, [this] {
                if (window_.isMinimized()) {
                    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
                    window_.show();
                    window_.activateWindow();
                }
            });
        }
        return false;
    }

  private:
    QWidget& window_;
};

}  // namespace

void refuseMinimising(QWidget& window) {
    new MinimiseRefusal(window);  // owned by the window
}
