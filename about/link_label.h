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
    static constexpr QColor kIdleBackground{255, 192, 192};
    static constexpr QColor kCoveredBackground{192, 255, 192};
    static constexpr QColor kTextColour{0, 0, 192};

    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    void SetCovered(bool covered);
    [[nodiscard]] bool IsCovered() const { return covered_; }

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
