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

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Every control covers its rectangle: a move over it must neither reach the
// window, where it would count as bare background, nor be lost for lack of
// mouse tracking.
void MakeCovering(QWidget* control) {
    control->setMouseTracking(true);
    control->setAttribute(Qt::WA_NoMousePropagation);
}

template <typename Widget>
Widget* Place(Widget* widget, std::string_view name, const forms::TwipsRect& place,
              const forms::FontSpec& font) {
    widget->setObjectName(Text(name));
    widget->setFont(ui::ProgramFont(font));
    widget->setGeometry(ui::ToPixels(place));
    return widget;
}

QLabel* AddLabel(QWidget* window, const forms::Control& control, const QString& text) {
    auto* label = Place(new QLabel(text, window), control.name, control.place, control.font);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(ui::ToAlignment(control.align) | Qt::AlignTop);
    MakeCovering(label);
    return label;
}

QLabel* AddLabel(QWidget* window, const forms::Control& control) {
    return AddLabel(window, control, Text(control.text));
}

QPointer<AboutWindow>& OpenWindow() {
    static QPointer<AboutWindow> window;
    return window;
}

}  // namespace

QUrl AboutWindow::SiteUrl() {
    return QUrl(Text(form::SiteUrl()), QUrl::StrictMode);
}

AboutWindow::AboutWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    ui::LoadProgramFonts();
    InstallAccessibility();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(Text(form::kTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ui::ToColour(form::kFace));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setFont(ui::ProgramFont(form::kDefaultFont));
    setMouseTracking(true);
    const QSize clientSize(forms::TwipsToPixelsAt96Dpi(form::kClientWidth),
                           forms::TwipsToPixelsAt96Dpi(form::kClientHeight));
    setGeometry(QRect(ui::ToPixels(form::kOpenPosition), clientSize));
    setFixedSize(clientSize);
    // A transient dialog without an owner would still get a task-bar button
    // from some desktops; ask for none.
    KeepOffTaskbar(*this);
    refuseMinimising(*this);

    // Creation order is stacking order: later controls lie in front.
    auto* icon =
        Place(new IconBox(this), form::kPicIcon.name, form::kPicIcon.place, form::kPicIcon.font);
    icon->setAccessibleName(QStringLiteral("Icône de Quenbrix"));
    MakeCovering(icon);

    AddLabel(this, form::kLabel1);

    ok_ = Place(new QPushButton(Text(form::kCmdOK.text), this), form::kCmdOK.name,
                form::kCmdOK.place, form::kCmdOK.font);
    ok_->setDefault(true);
    ok_->setAccessibleName(ok_->text());
    MakeCovering(ok_);
    connect(ok_, &QPushButton::clicked, this, &QWidget::close);

    AddLabel(this, form::kLabel21);
    AddLabel(this, form::kLabel26);
    AddLabel(this, form::kLabel19);
    AddLabel(this, form::kLabel20, QString::fromStdString(form::T3Text()));
    AddLabel(this, form::kLabel25);
    AddLabel(this, form::kLabel2);

    auto* grid =
        Place(new DtmfGrid(this), form::kImage1.name, form::kImage1.place, form::kImage1.font);
    grid->setAccessibleName(QStringLiteral("Tableau des paires de fréquences DTMF"));
    MakeCovering(grid);

    for (std::size_t index = 0; index < tonegen::kDtmfKeys.size(); ++index) {
        const form::KeyLabel key = form::KeyLabelAt(index);
        AddLabel(this,
                 forms::Control{key.name,
                                forms::ControlKind::Label,
                                key.place,
                                {},
                                key.font,
                                forms::TextAlign::Centre},
                 QString(QLatin1Char(key.key)));
    }

    AddLabel(this, form::kLabel27);
    AddLabel(this, form::kLabel28);
    AddLabel(this, form::kLabel23, QString::fromStdString(form::CreditText()));
    AddLabel(this, form::kLabel24);

    link_ = Place(new LinkLabel(QString::fromStdString(form::LinkText()), this),
                  form::kLblqimbo.name, form::kLblqimbo.place, form::kLblqimbo.font);
    link_->setWordWrap(true);
    link_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Named as it reads; where it leads is its description.
    link_->setAccessibleName(link_->text().trimmed());
    link_->setAccessibleDescription(SiteUrl().toString());
    connect(link_, &LinkLabel::clicked, this, &AboutWindow::OpenSite);

    setTabOrder(ok_, icon);
    ok_->setFocus();
}

void AboutWindow::paintEvent(QPaintEvent* /*event*/) {
    // The separator above the credit line. Ends are exclusive, and a wide
    // line grows downwards, so the white one never covers the grey one.
    QPainter painter(this);
    for (const form::Line& line : {form::kGreyLine, form::kWhiteLine}) {
        const QPoint from = ui::ToPixels(line.from);
        const QPoint to = ui::ToPixels(line.to);
        painter.fillRect(QRect(from, QPoint(to.x() - 1, to.y() + line.pixelWidth - 1)),
                         ui::ToColour(line.colour));
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
        link_->SetCovered(false);
    }
    event->accept();
}

void AboutWindow::OpenSite() {
    // The opener starts the browser detached and returns at once.
    const QUrl site = SiteUrl();
    if (QDesktopServices::openUrl(site)) {
        return;
    }
    auto* box =
        new QMessageBox(QMessageBox::Critical, Text(forms::program_texts::kErrorTitle),
                        QString::fromStdString(form::SiteOpenFailureText()), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("openFailure"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void ShowAboutWindow() {
    QPointer<AboutWindow>& open = OpenWindow();
    if (open.isNull()) {
        open = new AboutWindow();
    }
    AboutWindow* window = open.data();
    if (window == nullptr) {
        return;
    }
    QWidget* opener = QApplication::activeWindow();
    if (opener != nullptr && opener != window) {
        window->ReturnKeyboardTo(opener);
    }
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace about
