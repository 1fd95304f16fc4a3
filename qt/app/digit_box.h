// A single-line text box that takes typed digits only.
#pragma once

#include <QLineEdit>

class DigitBox final : public QLineEdit {
    Q_OBJECT

  public:
    explicit DigitBox(const QString& text, QWidget* parent = nullptr);

    // What remains of typed text once every character but 0-9 is dropped.
    [[nodiscard]] static QString keepDigits(const QString& typed);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};
