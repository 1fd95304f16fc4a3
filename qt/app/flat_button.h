// A push button drawn in the graphical style: its face is one flat colour,
// the palette's Button colour, inside a bevel of its own, whatever the
// desktop's style paints for buttons.
#pragma once

#include <QPushButton>

class FlatButton final : public QPushButton {
    Q_OBJECT

  public:
    explicit FlatButton(const QString& text, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};
