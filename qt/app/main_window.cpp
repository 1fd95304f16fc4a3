#include "main_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <exception>
#include <utility>

#include "about_window.h"
#include "digit_box.h"
#include "flat_button.h"
#include "frame_margins.h"
#include "main_form.h"
#include "minimise_refusal.h"
#include "program_application.h"
#include "program_texts.h"
#include "sound_player.h"
#include "taskbar_hint.h"
#include "ui_resources.h"
#include "volume_bar.h"
#include "wait_pointer.h"

namespace {

namespace form = forms::main_form;

DigitBox* makeBox(const forms::Control& control, std::string_view accessibleName, QWidget* parent) {
    auto* box = ui::placeControl(new DigitBox(ui::fromUtf8(control.text), parent), control);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ui::toColour(form::kBoxBackground));
    box->setPalette(palette);
    box->setAccessibleName(ui::fromUtf8(accessibleName));
    return box;
}

template <typename Button = QPushButton>
Button* makeButton(const forms::Control& control, QWidget* parent) {
    auto* button = ui::placeControl(new Button(ui::fromUtf8(control.text), parent), control);
    button->setAccessibleName(button->text());
    // No default button in this window, but Enter still presses the button
    // that has the focus, as Space does.
    button->setAutoDefault(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

// To Qt a plain widget is a "filler"; this one is the program's main window.
QAccessibleInterface* accessibleFor(const QString& /*className*/, QObject* object) {
    if (auto* window = qobject_cast<MainWindow*>(object)) {
        return new QAccessibleWidget(window, QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path programDirectory, SoundPlayer& player,
                       ToneFileMaker makeToneFile, QWidget* parent)
    : QWidget(parent),
      programDirectory_(std::move(programDirectory)),
      player_(player),
      makeToneFile_(std::move(makeToneFile)) {
    QAccessible::installFactory(&accessibleFor);
    setObjectName(QStringLiteral("Form1"));
    // A narrow title bar with the close box alone, and no task-bar button.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // Qt leaves tool windows out of "the last window closed"; this one is the
    // program's main window and must count.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(ui::fromUtf8(form::kTitle));
    setAccessibleName(QStringLiteral("Quenbrix"));  // the title without its run of blanks
    setWindowIcon(ui::programIcon());

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ui::toColour(form::kFace));
    setPalette(palette);
    setAutoFillBackground(true);

    setFixedSize(forms::TwipsToPixelsAt96Dpi(form::kClientWidth),
                 forms::TwipsToPixelsAt96Dpi(form::kClientHeight));
    buildControls();

    keepOffTaskbar(*this);
    refuseMinimising(*this);
    // The whole window, frame included, is centred on the screen.
    if (const QScreen* screen = this->screen()) {
        const QMargins frame = expectedFrameMargins(*this);
        const QRect outer = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter,
                                                size().grownBy(frame), screen->availableGeometry());
        setGeometry(outer.marginsRemoved(frame));
    }
    command1_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Window managers leave a window that stays off the task bar inactive
    // when it opens; the keyboard must be on "Créer" at once.
    if (!event->spontaneous()) {
        activateWindow();
    }
}

void MainWindow::buildControls() {
    // Its face is the window's grey, drawn flat.
    cmdAide_ = makeButton<FlatButton>(form::kCmdAide, this);
    QPalette face = cmdAide_->palette();
    face.setColor(QPalette::Button, ui::toColour(form::kFace));
    cmdAide_->setPalette(face);

    txtFreq1_ = makeBox(form::kTxtFreq1, form::kFrequency1Name, this);
    txtFreq2_ = makeBox(form::kTxtFreq2, form::kFrequency2Name, this);
    label1_ = ui::makeLabel(form::kLabel1, ui::fromUtf8(form::kLabel1.text), this);
    label2_ = ui::makeLabel(form::kLabel2, ui::fromUtf8(form::kLabel2.text), this);
    text5_ = makeBox(form::kText5, form::kDurationName, this);
    label5_ = ui::makeLabel(form::kLabel5, ui::fromUtf8(form::kLabel5.text), this);

    volumeScroll_ = ui::placeControl(new VolumeBar(this), form::kVolumescroll);
    volumeScroll_->setRange(form::kVolumeLowest, form::kVolumeHighest);
    volumeScroll_->setSingleStep(form::kVolumeSmallStep);
    volumeScroll_->setPageStep(form::kVolumeLargeStep);
    volumeScroll_->setValue(form::kVolumeStart);
    volumeScroll_->setAccessibleName(ui::fromUtf8(form::kVolumeName));
    label6_ = ui::makeLabel(form::kLabel6, ui::fromUtf8(form::kLabel6.text), this);

    command1_ = makeButton(form::kCommand1, this);
    cmdRejoue_ = makeButton(form::kCmdrejoue, this);

    QWidget* previous = nullptr;
    for (const forms::Control* control : form::kTabOrder) {
        auto* widget = findChild<QWidget*>(ui::fromUtf8(control->name), Qt::FindDirectChildrenOnly);
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }

    connect(command1_, &QPushButton::clicked, this, &MainWindow::createAndPlay);
    connect(cmdRejoue_, &QPushButton::clicked, this, &MainWindow::replay);
    connect(cmdAide_, &QPushButton::clicked, this, &about::showAboutWindow);
}

std::filesystem::path MainWindow::toneFilePath() const {
    return tonegen::ToneFilePath(programDirectory_);
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
            programDirectory_,
            {frequency1.toStdString(), frequency2.toStdString(), duration.toStdString(), amplitude},
            {[&pointer] { pointer.show(); }, nullptr});
        pointer.restore();

        if (failure.has_value()) {
            showError(QString::fromStdString(failure->description));
            return;
        }
        player_.play(toneFilePath());
    } catch (const std::exception& unexpected) {
        showError(ui::fromUtf8(forms::program_texts::kUnexpectedFailureStart) +
                  QString::fromLocal8Bit(unexpected.what()));
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
    QMessageBox box(QMessageBox::Critical, ui::fromUtf8(forms::program_texts::kErrorTitle),
                    description, QMessageBox::Ok, this);
    box.exec();
    // Window managers do not give the keyboard back by themselves to a
    // window that stays off the task bar.
    activateWindow();
}
