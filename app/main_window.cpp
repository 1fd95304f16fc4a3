#include "main_window.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <exception>
#include <utility>

#include "about_window.h"
#include "digit_box.h"
#include "program_application.h"
#include "sound_player.h"
#include "taskbar_hint.h"
#include "ui_resources.h"
#include "wait_pointer.h"

namespace {

const QColor kFaceGrey(224, 224, 224);
const QColor kBoxYellow(255, 255, 192);

// 8.25 pt and 12 pt at 96 DPI.
constexpr int kSmallText = 11;
constexpr int kLargeText = 16;

// The volume is a signed 16-bit amplitude; the bar starts high enough for
// "Créer" at start to be heard.
constexpr int kVolumeLowest = 0;
constexpr int kVolumeHighest = 32767;
constexpr int kVolumeStart = 20000;

std::filesystem::path ToPath(const QString& directory) {
    return {QFile::encodeName(directory).toStdString()};
}

QLabel* MakeLabel(const QString& text, const ui::TwipsRect& place, Qt::Alignment alignment,
                  QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);  // keeps the runs of blanks
    label->setWordWrap(true);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setFont(ui::ProgramFont(kSmallText, true));
    label->setGeometry(place.toPixels());
    return label;
}

DigitBox* MakeBox(const QString& text, const ui::TwipsRect& place, int pixelSize,
                  const QString& accessibleName, QWidget* parent) {
    auto* box = new DigitBox(text, parent);
    box->setFont(ui::ProgramFont(pixelSize, true));
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, kBoxYellow);
    box->setPalette(palette);
    box->setGeometry(place.toPixels());
    box->setAccessibleName(accessibleName);
    return box;
}

QPushButton* MakeButton(const QString& text, const ui::TwipsRect& place, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFont(ui::ProgramFont(kSmallText, true));
    button->setGeometry(place.toPixels());
    button->setAccessibleName(text);
    // No default button in this window, but Enter still presses the button
    // that has the focus, as Space does.
    button->setAutoDefault(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

}  // namespace

MainWindow::MainWindow(QString programDirectory, SoundPlayer& player, ToneFileMaker makeToneFile,
                       QWidget* parent)
    : QWidget(parent),
      programDirectory_(std::move(programDirectory)),
      player_(player),
      makeToneFile_(std::move(makeToneFile)) {
    setObjectName(QStringLiteral("Form1"));
    // A narrow title bar with the close box alone, and no task-bar button.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // Qt leaves tool windows out of "the last window closed"; this one is the
    // program's main window and must count.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(QString(39, QLatin1Char(' ')) + QStringLiteral("Quenbrix"));
    setWindowIcon(ui::ProgramIcon());

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kFaceGrey);
    setPalette(palette);
    setAutoFillBackground(true);

    setFixedSize(ui::TwipsToPixels(5025), ui::TwipsToPixels(3180));
    buildControls();

    if (const QScreen* screen = this->screen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    }
    KeepOffTaskbar(*this);
    command1_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::buildControls() {
    cmdAide_ = MakeButton(QStringLiteral("A propos"), {120, 120, 1095, 300}, this);
    cmdAide_->setObjectName(QStringLiteral("CmdAide"));
    QPalette face = cmdAide_->palette();
    face.setColor(QPalette::Button, kFaceGrey);
    cmdAide_->setPalette(face);

    txtFreq1_ = MakeBox(QStringLiteral("1209"), {1080, 600, 855, 405}, kLargeText,
                        QStringLiteral("Fréquence 1 (Hz)"), this);
    txtFreq1_->setObjectName(QStringLiteral("TxtFreq1"));
    txtFreq2_ = MakeBox(QStringLiteral("697"), {3000, 600, 855, 405}, kLargeText,
                        QStringLiteral("Fréquence 2 (Hz)"), this);
    txtFreq2_->setObjectName(QStringLiteral("TxtFreq2"));

    label1_ =
        MakeLabel(QStringLiteral("Fréquence 1  (Hz)"), {840, 1080, 1575, 255}, Qt::AlignLeft, this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label2_ =
        MakeLabel(QStringLiteral("Fréquence 2 (Hz)"), {2760, 1080, 1575, 255}, Qt::AlignLeft, this);
    label2_->setObjectName(QStringLiteral("Label2"));

    text5_ = MakeBox(QStringLiteral("1"), {3960, 1635, 375, 285}, kSmallText,
                     QStringLiteral("Durée (secondes)"), this);
    text5_->setObjectName(QStringLiteral("Text5"));
    label5_ =
        MakeLabel(QStringLiteral("Durée (Sec):"), {2640, 1665, 1215, 255}, Qt::AlignRight, this);
    label5_->setObjectName(QStringLiteral("Label5"));

    volumeScroll_ = new QScrollBar(Qt::Horizontal, this);
    volumeScroll_->setObjectName(QStringLiteral("Volumescroll"));
    volumeScroll_->setRange(kVolumeLowest, kVolumeHighest);
    volumeScroll_->setSingleStep(1);
    volumeScroll_->setPageStep(1);
    volumeScroll_->setValue(kVolumeStart);
    // Qt turns scroll-bar keys round for the vertical case; this bar grows
    // from left to right, so Right and Page Up must raise it.
    volumeScroll_->setInvertedControls(false);
    volumeScroll_->setFocusPolicy(Qt::StrongFocus);
    volumeScroll_->setGeometry(ui::TwipsRect{600, 1680, 1575, 135}.toPixels());
    volumeScroll_->setAccessibleName(QStringLiteral("Volume"));
    label6_ = MakeLabel(QStringLiteral("-    Volume    +"), {600, 1920, 1575, 255},
                        Qt::AlignHCenter, this);
    label6_->setObjectName(QStringLiteral("Label6"));

    command1_ = MakeButton(QStringLiteral("Créer"), {840, 2400, 1215, 375}, this);
    command1_->setObjectName(QStringLiteral("Command1"));
    cmdRejoue_ = MakeButton(QStringLiteral("Rejouer"), {2900, 2400, 1095, 375}, this);
    cmdRejoue_->setObjectName(QStringLiteral("cmdrejoue"));

    QWidget::setTabOrder(command1_, txtFreq1_);
    QWidget::setTabOrder(txtFreq1_, text5_);
    QWidget::setTabOrder(text5_, cmdRejoue_);
    QWidget::setTabOrder(cmdRejoue_, volumeScroll_);
    QWidget::setTabOrder(volumeScroll_, txtFreq2_);
    QWidget::setTabOrder(txtFreq2_, cmdAide_);

    connect(command1_, &QPushButton::clicked, this, &MainWindow::createAndPlay);
    connect(cmdRejoue_, &QPushButton::clicked, this, &MainWindow::replay);
    connect(cmdAide_, &QPushButton::clicked, this, &about::ShowAboutWindow);
}

QString MainWindow::toneFilePath() const {
    return QFile::decodeName(tonegen::ToneFilePath(ToPath(programDirectory_)).c_str());
}

void MainWindow::createAndPlay() {
    // The one handler that reports its failures in the error box, whatever
    // they are; nothing may leave a slot.
    try {
        const QByteArray frequency1 = txtFreq1_->text().toUtf8();
        const QByteArray frequency2 = txtFreq2_->text().toUtf8();
        const QByteArray duration = text5_->text().toUtf8();
        // The bar's range is that of a non-negative 16-bit value.
        const auto amplitude = static_cast<std::int16_t>(volumeScroll_->value());

        WaitPointer pointer(this);
        const tonegen::RunResult failure = makeToneFile_(
            ToPath(programDirectory_), frequency1.toStdString(), frequency2.toStdString(),
            duration.toStdString(), amplitude, [&pointer] { pointer.show(); });
        pointer.restore();

        if (failure.has_value()) {
            showError(QString::fromStdString(failure->description));
            return;
        }
        player_.play(toneFilePath());
    } catch (const std::exception& unexpected) {
        showError(QStringLiteral("Erreur inattendue : %1")
                      .arg(QString::fromLocal8Bit(unexpected.what())));
    }
}

void MainWindow::replay() {
    try {
        player_.play(toneFilePath());
    } catch (const std::exception& unexpected) {
        ProgramApplication::failAndQuit(QString::fromLocal8Bit(unexpected.what()));
    }
}

void MainWindow::showError(const QString& description) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Erreur"), description, QMessageBox::Ok,
                    this);
    box.exec();
}
