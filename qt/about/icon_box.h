// The About window's icon box: a one-pixel frame line around the program
// icon on the window background colour. It takes the keyboard and shows it.
#pragma once

#include <QImage>
#include <QLabel>

namespace about {

class IconBox : public QLabel {
    Q_OBJECT

  public:
    explicit IconBox(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;  // for the last device pixel ratio painted at
};

}  // namespace about
