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

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

template <typename Widget>
Widget* Place(Widget* widget, const forms::Control& control) {
    widget->setObjectName(Text(control.name));
    widget->setFont(ui::ProgramFont(control.font));
    widget->setGeometry(ui::ToPixels(control.place));
    return widget;
}

QLabel* MakeLabel(const forms::Control& control, QWidget* parent) {
    auto* label = Place(new QLabel(Text(control.text), parent), control);
    label->setTextFormat(Qt::PlainText);  // keeps the runs of blanks
    label->setWordWrap(true);
    label->setAlignment(ui::ToAlignment(control.align) | Qt::AlignTop);
    return label;
}

DigitBox* MakeBox(const forms::Control& control, std::string_view accessibleName, QWidget* parent) {
    auto* box = Place(new DigitBox(Text(control.text), parent), control);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ui::ToColour(form::kBoxBackground));
    box->setPalette(palette);
    box->setAccessibleName(Text(accessibleName));
    return box;
}

template <typename Button = QPushButton>
Button* MakeButton(const forms::Control& control, QWidget* parent) {
    auto* button = Place(new Button(Text(control.text), parent), control);
    button->setAccessibleName(button->text());
    // No default button in this window, but Enter still presses the button
    // that has the focus, as Space does.
    button->setAutoDefault(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

// To Qt a plain widget is a "filler"; this one is the program's main window.
QAccessibleInterface* AccessibleFor(const QString& /*className*/, QObject* object) {
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
    QAccessible::installFactory(&AccessibleFor);
    setObjectName(QStringLiteral("Form1"));
    // A narrow title bar with the close box alone, and no task-bar button.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // Qt leaves tool windows out of "the last window closed"; this one is the
    // program's main window and must count.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(Text(form::kTitle));
    setAccessibleName(QStringLiteral("Quenbrix"));  // the title without its run of blanks
    setWindowIcon(ui::ProgramIcon());

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ui::ToColour(form::kFace));
    setPalette(palette);
    setAutoFillBackground(true);

    setFixedSize(forms::TwipsToPixelsAt96Dpi(form::kClientWidth),
                 forms::TwipsToPixelsAt96Dpi(form::kClientHeight));
    buildControls();

    KeepOffTaskbar(*this);
    refuseMinimising(*this);
    // The whole window, frame included, is centred on the screen.
    if (const QScreen* screen = this->screen()) {
        const QMargins frame = ExpectedFrameMargins(*this);
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
    cmdAide_ = MakeButton<FlatButton>(form::kCmdAide, this);
    QPalette face = cmdAide_->palette();
    face.setColor(QPalette::Button, ui::ToColour(form::kFace));
    cmdAide_->setPalette(face);

    txtFreq1_ = MakeBox(form::kTxtFreq1, form::kFrequency1Name, this);
    txtFreq2_ = MakeBox(form::kTxtFreq2, form::kFrequency2Name, this);
    label1_ = MakeLabel(form::kLabel1, this);
    label2_ = MakeLabel(form::kLabel2, this);
    text5_ = MakeBox(form::kText5, form::kDurationName, this);
    label5_ = MakeLabel(form::kLabel5, this);

    volumeScroll_ = Place(new VolumeBar(this), form::kVolumescroll);
    volumeScroll_->setRange(form::kVolumeLowest, form::kVolumeHighest);
    volumeScroll_->setSingleStep(form::kVolumeSmallStep);
    volumeScroll_->setPageStep(form::kVolumeLargeStep);
    volumeScroll_->setValue(form::kVolumeStart);
    volumeScroll_->setAccessibleName(Text(form::kVolumeName));
    label6_ = MakeLabel(form::kLabel6, this);

    command1_ = MakeButton(form::kCommand1, this);
    cmdRejoue_ = MakeButton(form::kCmdrejoue, this);

    QWidget* previous = nullptr;
    for (const forms::Control* control : form::kTabOrder) {
        auto* widget = findChild<QWidget*>(Text(control->name), Qt::FindDirectChildrenOnly);
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }

    connect(command1_, &QPushButton::clicked, this, &MainWindow::createAndPlay);
    connect(cmdRejoue_, &QPushButton::clicked, this, &MainWindow::replay);
    connect(cmdAide_, &QPushButton::clicked, this, &about::ShowAboutWindow);
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
        const tonegen::RunResult failure =
            makeToneFile_(programDirectory_, frequency1.toStdString(), frequency2.toStdString(),
                          duration.toStdString(), amplitude, [&pointer] { pointer.show(); });
        pointer.restore();

        if (failure.has_value()) {
            showError(QString::fromStdString(failure->description));
            return;
        }
        player_.play(toneFilePath());
    } catch (const std::exception& unexpected) {
        showError(Text(forms::program_texts::kUnexpectedFailureStart) +
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
    QMessageBox box(QMessageBox::Critical, Text(forms::program_texts::kErrorTitle), description,
                    QMessageBox::Ok, this);
    box.exec();
    // Window managers do not give the keyboard back by themselves to a
    // window that stays off the task bar.
    activateWindow();
}
