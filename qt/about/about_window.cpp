#include "about_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

#include "about_accessibility.h"
#include "about_form.h"
#include "dtmf_grid.h"
#include "icon_box.h"
#include "link_label.h"
#include "minimise_refusal.h"
#include "program_texts.h"
#include "taskbar_hint.h"
#include "ui_resources.h"

namespace about {
namespace {

namespace form = forms::about_form;

// Every control covers its rectangle: a move over it must neither reach the
// window, where it would count as bare background, nor be lost for lack of
// mouse tracking.
void makeCovering(QWidget* control) {
    control->setMouseTracking(true);
    control->setAttribute(Qt::WA_NoMousePropagation);
}

QLabel* addLabel(QWidget* window, const forms::Control& control, const QString& text) {
    QLabel* label = ui::makeLabel(control, text, window);
    makeCovering(label);
    return label;
}

QLabel* addLabel(QWidget* window, const forms::Control& control) {
    return addLabel(window, control, ui::fromUtf8(control.text));
}

QPointer<AboutWindow>& openWindow() {
    static QPointer<AboutWindow> window;
    return window;
}

}  // namespace

QUrl AboutWindow::siteUrl() {
    return QUrl(ui::fromUtf8(form::SiteUrl()), QUrl::StrictMode);
}

AboutWindow::AboutWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    ui::loadProgramFonts();
    installAccessibility();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(ui::fromUtf8(form::kTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ui::toColour(form::kFace));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setFont(ui::programFont(form::kDefaultFont));
    setMouseTracking(true);
    const QSize clientSize(forms::TwipsToPixelsAt96Dpi(form::kClientWidth),
                           forms::TwipsToPixelsAt96Dpi(form::kClientHeight));
    setGeometry(QRect(ui::toPixels(form::kOpenPosition), clientSize));
    setFixedSize(clientSize);
    // A transient dialog without an owner would still get a task-bar button
    // from some desktops; ask for none.
    keepOffTaskbar(*this);
    refuseMinimising(*this);

    // Creation order is stacking order: later controls lie in front.
    auto* icon = ui::placeControl(new IconBox(this), form::kPicIcon);
    icon->setAccessibleName(QStringLiteral("Icône de Quenbrix"));
    makeCovering(icon);

    addLabel(this, form::kLabel1);

    ok_ = ui::placeControl(new QPushButton(ui::fromUtf8(form::kCmdOK.text), this), form::kCmdOK);
    ok_->setDefault(true);
    ok_->setAccessibleName(ok_->text());
    makeCovering(ok_);
    connect(ok_, &QPushButton::clicked, this, &QWidget::close);

    addLabel(this, form::kLabel21);
    addLabel(this, form::kLabel26);
    addLabel(this, form::kLabel19);
    addLabel(this, form::kLabel20, QString::fromStdString(form::ReplacedFilesText()));
    addLabel(this, form::kLabel25);
    addLabel(this, form::kLabel2);

    auto* grid = ui::placeControl(new DtmfGrid(this), form::kImage1);
    grid->setAccessibleName(QStringLiteral("Tableau des paires de fréquences DTMF"));
    makeCovering(grid);

    for (std::size_t index = 0; index < tonegen::kDtmfKeys.size(); ++index) {
        const form::KeyLabel key = form::KeyLabelAt(index);
        addLabel(this,
                 forms::Control{key.name,
                                forms::ControlKind::Label,
                                key.place,
                                {},
                                key.font,
                                forms::TextAlign::Centre},
                 QString(QLatin1Char(key.key)));
    }

    addLabel(this, form::kLabel27);
    addLabel(this, form::kLabel28);
    addLabel(this, form::kLabel23, QString::fromStdString(form::CreditText()));
    addLabel(this, form::kLabel24);

    link_ = ui::placeControl(new LinkLabel(QString::fromStdString(form::LinkText()), this),
                             form::kLblqimbo);
    link_->setWordWrap(true);
    link_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Named as it reads; where it leads is its description.
    link_->setAccessibleName(link_->text().trimmed());
    link_->setAccessibleDescription(siteUrl().toString());
    connect(link_, &LinkLabel::clicked, this, &AboutWindow::openSite);

    setTabOrder(ok_, icon);
    ok_->setFocus();
}

void AboutWindow::paintEvent(QPaintEvent* /*event*/) {
    // The separator above the credit line. Ends are exclusive, and a wide
    // line grows downwards, so the white one never covers the grey one.
    QPainter painter(this);
    for (const form::Line& line : {form::kGreyLine, form::kWhiteLine}) {
        const QPoint from = ui::toPixels(line.from);
        const QPoint to = ui::toPixels(line.to);
        painter.fillRect(QRect(from, QPoint(to.x() - 1, to.y() + line.pixelWidth - 1)),
                         ui::toColour(line.colour));
    }
}

void AboutWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // Window managers do not hand the keyboard back by themselves to a
    // window that stays off the task bar; the window "A propos" was pressed
    // in gets it, unless the user has gone on to another one.
    const QWidget* active = QApplication::activeWindow();
    QWidget* opener = opener_.data();
    if (opener != nullptr && opener->isVisible() && (active == nullptr || active == this)) {
        opener->activateWindow();
    }
}

void AboutWindow::keyPressEvent(QKeyEvent* event) {
    // "OK" is both the default and the cancel button, wherever the focus is.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            ok_->click();
            event->accept();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void AboutWindow::mouseMoveEvent(QMouseEvent* event) {
    // Only moves that reach the window itself land on bare background; the
    // controls keep theirs. While a button is held the window also gets moves
    // from outside its client area, which are not over the background.
    if (rect().contains(event->position().toPoint())) {
        link_->setCovered(false);
    }
    event->accept();
}

void AboutWindow::openSite() {
    // The opener starts the browser detached and returns at once.
    const QUrl site = siteUrl();
    if (QDesktopServices::openUrl(site)) {
        return;
    }
    auto* box =
        new QMessageBox(QMessageBox::Critical, ui::fromUtf8(forms::program_texts::kErrorTitle),
                        QString::fromStdString(form::SiteOpenFailureText()), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("openFailure"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void showAboutWindow() {
    QPointer<AboutWindow>& open = openWindow();
    if (open.isNull()) {
        open = new AboutWindow();
    }
    AboutWindow* window = open.data();
    QWidget* opener = QApplication::activeWindow();
    if (opener != nullptr && opener != window) {
        window->returnKeyboardTo(opener);
    }
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace about
