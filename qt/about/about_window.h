// The About window: what the program is for, the DTMF key pairs, a credit
// line and a link to the maker's site. It holds no data; closing it discards
// it, and the next opening builds a fresh one.
#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>

class QPushButton;

namespace about {

class LinkLabel;

class AboutWindow : public QWidget {
    Q_OBJECT

  public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // The site behind the link.
    [[nodiscard]] static QUrl siteUrl();

    // The window that gets the keyboard back when this one closes.
    void returnKeyboardTo(QWidget* window) { opener_ = window; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void openSite();

    LinkLabel* link_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPointer<QWidget> opener_;
};

// Opens the About window, or brings the open one back: restored if it was
// minimised, in front, with the keyboard.
void showAboutWindow();

}  // namespace about
