// The site link at the foot of the About window: an opaque label whose
// background tells whether the pointer has last been over it (green) or over
// the window's bare background (pink).
#pragma once

#include <QColor>
#include <QLabel>

namespace about {

class LinkLabel : public QLabel {
    Q_OBJECT

  public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    void setCovered(bool covered);
    [[nodiscard]] bool isCovered() const { return covered_; }

    // What a click does, for the screen reader's press action.
    void press() { emit clicked(); }

  signals:
    // A left press and release both over the label.
    void clicked();

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool covered_ = false;
    bool pressed_ = false;
};

}  // namespace about
