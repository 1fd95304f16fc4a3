// The volume scroll bar: a plain horizontal bar that shows when it has the
// keyboard, which most styles do not.
#pragma once

#include <QScrollBar>

class VolumeBar final : public QScrollBar {
    Q_OBJECT

  public:
    explicit VolumeBar(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};
