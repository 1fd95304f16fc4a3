#include "about_window.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <array>

#include "about_config.h"
#include "dtmf_grid.h"
#include "link_label.h"
#include "taskbar_hint.h"
#include "ui_resources.h"

namespace about {
namespace {

using ui::TwipsRect;

constexpr int kDefaultPixelSize = 11;  // 8.25 pt
constexpr int kTitlePixelSize = 18;    // 13.5 pt
constexpr int kStarPixelSize = 16;     // 12 pt
constexpr QPoint kOpenPosition{156, 129};
constexpr QSize kClientSize{376, 530};

constexpr char kT1[] =
    "   Ce logiciel permet de créer des fichiers Wav correspondant aux valeurs DTMF normalisées "
    "(Voir ci-dessous) ou...à d'autres valeurs personnalisées.";
constexpr char kT2[] =
    "  En effet, en changeant la valeur du quartz des Circuits décodeurs,-SSI 202, MT 8870 ou "
    "autres- il est possible de modifier la valeur des couples de fréquences pour obtenir ses "
    "propres codes et garantir la confidentialité.";
constexpr char kT3Start[] =
    "  Les fichiers ainsi créés (fichier Test.wav dans le répertoire du programme) remplaceront "
    "alors les fichiers WAV utilisés par le logiciel de codage: par exemple \"Ardelune\" sur le "
    "site ";
constexpr char kT4[] =
    "  \"Dual Tone Modulated Frequencies\" .Ce sont des paires de fréquences utilisées en "
    "téléphonie  pour le contrôle des relais et boÎtes vocales";
constexpr char kT5[] =
    "Il est possible de créer une fréquence unique ,1750 Hz par exemple,  en utilisant la même "
    "valeur pour les fréquences 1 et 2. ";

struct KeyLabel {
    const char* name;
    const char* key;
    int column;
    int row;
};
constexpr std::array<KeyLabel, 16> kKeys{{
    {"Label3", "1", 0, 0},
    {"Label4", "2", 1, 0},
    {"Label5", "3", 2, 0},
    {"Label6", "A", 3, 0},
    {"Label7", "4", 0, 1},
    {"Label8", "5", 1, 1},
    {"Label9", "6", 2, 1},
    {"Label10", "B", 3, 1},
    {"Label11", "7", 0, 2},
    {"Label12", "8", 1, 2},
    {"Label13", "9", 2, 2},
    {"Label14", "C", 3, 2},
    {"Label15", "*", 0, 3},
    {"Label16", "0", 1, 3},
    {"Label17", "#", 2, 3},
    {"Label18", "D", 3, 3},
}};
constexpr std::array<int, 4> kKeyLefts{1680, 2520, 3240, 3960};
constexpr std::array<int, 4> kKeyWidths{735, 615, 615, 615};
constexpr std::array<int, 4> kKeyTops{4636, 4920, 5280, 5520};
constexpr int kKeyHeight = 255;

QFont Bold(bool underline = false) {
    QFont font = ui::ProgramFont(kDefaultPixelSize, true);
    font.setUnderline(underline);
    return font;
}

// Every control covers its rectangle: a move over it must neither reach the
// window, where it would count as bare background, nor be lost for lack of
// mouse tracking.
void MakeCovering(QWidget* control) {
    control->setMouseTracking(true);
    control->setAttribute(Qt::WA_NoMousePropagation);
}

QLabel* AddLabel(QWidget* window, const char* name, TwipsRect place, const QString& text,
                 const QFont& font, Qt::Alignment horizontal = Qt::AlignLeft) {
    auto* label = new QLabel(text, window);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(horizontal | Qt::AlignTop);
    label->setFont(font);
    label->setGeometry(place.toPixels());
    MakeCovering(label);
    return label;
}

QPointer<AboutWindow>& OpenWindow() {
    static QPointer<AboutWindow> window;
    return window;
}

}  // namespace

QUrl AboutWindow::SiteUrl() {
    return QUrl(QString::fromUtf8(config::kSiteUrl), QUrl::StrictMode);
}

QString AboutWindow::SiteHost() {
    return SiteUrl().host();
}

QString AboutWindow::SiteDomain() {
    const QString host = SiteHost();
    return host.startsWith(QLatin1String("www.")) ? host.mid(4) : host;
}

QString AboutWindow::Credit() {
    return QString::fromUtf8(config::kAuthor) + QStringLiteral(" 2006");
}

AboutWindow::AboutWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    ui::LoadProgramFonts();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("À propos"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setFont(ui::ProgramFont(kDefaultPixelSize));
    setMouseTracking(true);
    setGeometry(QRect(kOpenPosition, kClientSize));
    setFixedSize(kClientSize);
    // A transient dialog without an owner would still get a task-bar button
    // from some desktops; ask for none.
    KeepOffTaskbar(*this);

    // Creation order is stacking order: later controls lie in front.
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setGeometry(TwipsRect{240, 240, 510, 510}.toPixels());
    icon->setFrameStyle(QFrame::Box | QFrame::Plain);
    icon->setLineWidth(1);
    icon->setBackgroundRole(QPalette::Base);
    icon->setAutoFillBackground(true);
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    icon->setPixmap(ui::ProgramIconPixmap());
    icon->setFocusPolicy(Qt::StrongFocus);
    icon->setAccessibleName(QStringLiteral("Icône de Quenbrix"));
    MakeCovering(icon);

    AddLabel(this, "Label1", {1440, 120, 3015, 375}, QStringLiteral("Quenbrix"),
             ui::ProgramFont(kTitlePixelSize, true), Qt::AlignHCenter);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("cmdOK"));
    ok_->setGeometry(TwipsRect{4800, 240, 780, 345}.toPixels());
    ok_->setDefault(true);
    ok_->setAccessibleName(ok_->text());
    MakeCovering(ok_);
    connect(ok_, &QPushButton::clicked, this, &QWidget::close);

    AddLabel(this, "Label21", {1440, 480, 3015, 255},
             QStringLiteral("Création de doubles tonalités"), Bold(), Qt::AlignHCenter);
    AddLabel(this, "Label26", {120, 960, 5415, 735}, QString::fromUtf8(kT1), Bold());
    AddLabel(this, "Label19", {120, 1560, 5535, 855}, QString::fromUtf8(kT2), Bold());
    AddLabel(this, "Label20", {120, 2400, 5295, 855}, QString::fromUtf8(kT3Start) + SiteDomain(),
             Bold());
    AddLabel(this, "Label25", {2520, 3240, 855, 255}, QStringLiteral("DTMF"), Bold(true),
             Qt::AlignHCenter);
    AddLabel(this, "Label2", {120, 3480, 5415, 615}, QString::fromUtf8(kT4), Bold());

    auto* grid = new DtmfGrid(this);
    grid->setObjectName(QStringLiteral("Image1"));
    grid->setGeometry(TwipsRect{960, 4200, 3750, 1665}.toPixels());
    MakeCovering(grid);

    for (const KeyLabel& key : kKeys) {
        const auto column = static_cast<std::size_t>(key.column);
        const auto row = static_cast<std::size_t>(key.row);
        const bool star = key.key[0] == '*';
        AddLabel(this, key.name, {kKeyLefts[column], kKeyTops[row], kKeyWidths[column], kKeyHeight},
                 QString::fromLatin1(key.key),
                 ui::ProgramFont(star ? kStarPixelSize : kDefaultPixelSize), Qt::AlignHCenter);
    }

    AddLabel(this, "Label27", {2520, 6000, 735, 255}, QStringLiteral("1750 Hz"), Bold(true));
    AddLabel(this, "Label28", {360, 6240, 5175, 615}, QString::fromUtf8(kT5), Bold());
    AddLabel(this, "Label23", {840, 7440, 1575, 255}, Credit(), Bold());
    AddLabel(this, "Label24", {2760, 7440, 1335, 255}, QStringLiteral("Visitez le site "), Bold());

    link_ = new LinkLabel(QLatin1Char(' ') + SiteHost(), this);
    link_->setObjectName(QStringLiteral("lblqimbo"));
    link_->setGeometry(TwipsRect{3960, 7440, 1215, 255}.toPixels());
    link_->setFont(Bold());
    link_->setWordWrap(true);
    link_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    link_->setAccessibleName(SiteUrl().toString());
    link_->setAccessibleDescription(QStringLiteral("Ouvre le site dans le navigateur"));
    connect(link_, &LinkLabel::clicked, this, &AboutWindow::OpenSite);

    setTabOrder(ok_, icon);
    ok_->setFocus();
}

void AboutWindow::paintEvent(QPaintEvent* /*event*/) {
    // The separator above the credit line: a grey line with a white one
    // under it, which only shows on a background that is not white.
    // Ends are exclusive, and the wide white line grows downwards so that
    // it never covers the grey one.
    using ui::TwipsToPixels;
    QPainter painter(this);
    painter.fillRect(QRect(QPoint(TwipsToPixels(120), TwipsToPixels(7005)),
                           QPoint(TwipsToPixels(5520) - 1, TwipsToPixels(7005))),
                     QColor(128, 128, 128));
    painter.fillRect(QRect(QPoint(TwipsToPixels(120), TwipsToPixels(7020)),
                           QPoint(TwipsToPixels(5535) - 1, TwipsToPixels(7020) + 1)),
                     QColor(255, 255, 255));
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
    auto* box = new QMessageBox(
        QMessageBox::Critical, QStringLiteral("Erreur"),
        QStringLiteral("Impossible d'ouvrir l'adresse %1 : aucun navigateur n'a pu être lancé.")
            .arg(site.toString()),
        QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("openFailure"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void ShowAboutWindow() {
    QPointer<AboutWindow>& window = OpenWindow();
    if (window.isNull()) {
        window = new AboutWindow();
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace about
