// The main window on the offscreen platform: its layout, the digit filter
// driven by real key and input-method events, the keyboard, the "Créer" and
// "Rejouer" steps, the pointer and the end of the program.
#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopedPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "main_form.h"
#include "main_window.h"
#include "program_directory.h"
#include "test_support.h"
#include "ui_resources.h"

namespace {

// A stand-in for the generation run that records its inputs.
struct FakeRun {
    int calls = 0;
    std::filesystem::path directory;
    QString frequency1, frequency2, duration;
    int amplitude = -1;
    std::function<tonegen::RunResult(const std::function<void()>&)> body;

    MainWindow::ToneFileMaker maker() {
        return [this](const std::filesystem::path& dir, const tonegen::ToneInputs& inputs,
                      const tonegen::ToneProgress& progress) {
            ++calls;
            directory = dir;
            frequency1 = QString::fromStdString(inputs.frequency1Text);
            frequency2 = QString::fromStdString(inputs.frequency2Text);
            duration = QString::fromStdString(inputs.durationText);
            amplitude = inputs.amplitude;
            if (body) {
                return body(progress.onFirstSample);
            }
            progress.onFirstSample();
            return tonegen::RunResult{};
        };
    }
};

template <typename T>
T* Child(QWidget& window, const char* name) {
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) {
        qFatal("no control named %s", name);
    }
    return child;
}

// Types a little script into a widget with real key events: plain characters
// are typed as such, <...> names a key.
void Type(QWidget* target, const QString& script) {
    const QStringList tokens = script.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& token : tokens) {
        static const QMap<QString, QPair<Qt::Key, Qt::KeyboardModifiers>> named = {
            {"<BS>", {Qt::Key_Backspace, Qt::NoModifier}},
            {"<Del>", {Qt::Key_Delete, Qt::NoModifier}},
            {"<Enter>", {Qt::Key_Return, Qt::NoModifier}},
            {"<KpEnter>", {Qt::Key_Enter, Qt::KeypadModifier}},
            {"<Esc>", {Qt::Key_Escape, Qt::NoModifier}},
            {"<Home>", {Qt::Key_Home, Qt::NoModifier}},
            {"<End>", {Qt::Key_End, Qt::NoModifier}},
            {"<Left>", {Qt::Key_Left, Qt::NoModifier}},
            {"<Right>", {Qt::Key_Right, Qt::NoModifier}},
            {"<SelAll>", {Qt::Key_End, Qt::ShiftModifier}},
            {"<Space>", {Qt::Key_Space, Qt::NoModifier}},
            {"<^A>", {Qt::Key_A, Qt::ControlModifier}},
            {"<^C>", {Qt::Key_C, Qt::ControlModifier}},
            {"<^V>", {Qt::Key_V, Qt::ControlModifier}},
            {"<^X>", {Qt::Key_X, Qt::ControlModifier}},
            {"<^Z>", {Qt::Key_Z, Qt::ControlModifier}},
            {"<^H>", {Qt::Key_H, Qt::ControlModifier}},
        };
        if (named.contains(token)) {
            const auto& [key, mods] = named.value(token);
            QTest::keyClick(target, key, mods);
        } else if (token == QLatin1String("<Blank>")) {
            QTest::keyClick(target, ' ');
        } else {
            // Characters beyond Latin-1 have no key code of their own in
            // QTest; send the key event with its text as a layout would.
            for (const QChar c : token) {
                if (c.unicode() < 0x80) {
                    QTest::keyClick(target, c.toLatin1());
                } else {
                    QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c),
                                        Qt::NoModifier);
                }
            }
        }
    }
}

}  // namespace

class MainWindowTest final : public QObject {
    Q_OBJECT

  private:
    QScopedPointer<QTemporaryDir> dir_;
    RecordingPlayer player_;
    FakeRun run_;

    // A window on a fresh temporary directory whose name has a blank and an
    // accent, with the real generation run unless `fake` is set.
    std::unique_ptr<MainWindow> makeWindow(bool fake) {
        dir_.reset(new QTemporaryDir(QDir::tempPath() + QStringLiteral("/Quenbrix é XXXXXX")));
        player_.played.clear();
        player_.failWith = nullptr;
        run_ = FakeRun{};
        auto window =
            fake ? std::make_unique<MainWindow>(Folder(dir_->path()), player_, run_.maker())
                 : std::make_unique<MainWindow>(Folder(dir_->path()), player_);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get())) {
            qWarning("window did not become active");
        }
        return window;
    }

  private slots:
    void initTestCase() { ui::loadProgramFonts(); }

    // ---- start ----------------------------------------------------------

    // Every start looks the same: a fixed tool window with the DTMF key "1",
    // the volume high enough to be heard and the keyboard on "Créer".
    void startsWithTheFixedInitialValues() {
        auto window = makeWindow(true);
        QCOMPARE(window->windowTitle(), QString(39, QLatin1Char(' ')) + QStringLiteral("Quenbrix"));
        QCOMPARE(window->size(), QSize(335, 212));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->windowFlags().testFlag(Qt::Tool));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!window->windowIcon().isNull());
        QCOMPARE(window->palette().color(QPalette::Window), QColor(224, 224, 224));

        QCOMPARE(Child<QLineEdit>(*window, "TxtFreq1")->text(), QStringLiteral("1209"));
        QCOMPARE(Child<QLineEdit>(*window, "TxtFreq2")->text(), QStringLiteral("697"));
        QCOMPARE(Child<QLineEdit>(*window, "Text5")->text(), QStringLiteral("1"));
        auto* volume = Child<QScrollBar>(*window, "Volumescroll");
        QCOMPARE(volume->orientation(), Qt::Horizontal);
        QCOMPARE(volume->minimum(), 0);
        QCOMPARE(volume->maximum(), 32767);
        QCOMPARE(volume->value(), 20000);
        QCOMPARE(volume->singleStep(), 1);
        QCOMPARE(volume->pageStep(), 1);
        QCOMPARE(QApplication::focusWidget(), Child<QWidget>(*window, "Command1"));

        // No default button: once the focus is in a box, no button answers Enter.
        Child<QLineEdit>(*window, "TxtFreq1")->setFocus();
        for (const char* name : {"Command1", "cmdrejoue", "CmdAide"}) {
            auto* button = Child<QPushButton>(*window, name);
            QVERIFY2(!button->isDefault(), name);
            QVERIFY2(!button->text().contains(QLatin1Char('&')), name);  // no access key
        }
        QCOMPARE(Child<QPushButton>(*window, "CmdAide")->palette().color(QPalette::Button),
                 QColor(224, 224, 224));
        for (const char* name : {"TxtFreq1", "TxtFreq2", "Text5"}) {
            auto* box = Child<QLineEdit>(*window, name);
            QCOMPARE(box->palette().color(QPalette::Base), QColor(255, 255, 192));
            QCOMPARE(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
            // No length limit: a pasted text of any length is kept, and a
            // typed digit still goes in after it.
            box->setText(QString(40000, QLatin1Char('7')));
            box->setFocus();
            box->end(false);
            QTest::keyClick(box, Qt::Key_1);
            QCOMPARE(box->text().size(), 40001);
        }
    }

    // Whatever brought the keyboard to a control, something on screen
    // shows it there.
    void everyFocusableControlShowsTheKeyboard() {
        auto window = makeWindow(true);
        const QStringList names = {"Command1",     "TxtFreq1", "Text5",  "cmdrejoue",
                                   "Volumescroll", "TxtFreq2", "CmdAide"};
        for (const QString& name : names) {
            auto* control = Child<QWidget>(*window, name.toLatin1().constData());
            auto* other = Child<QWidget>(
                *window, name == QLatin1String("Command1") ? "cmdrejoue" : "Command1");
            other->setFocus(Qt::MouseFocusReason);
            const QImage without = control->grab().toImage();
            control->setFocus(Qt::MouseFocusReason);
            QCOMPARE(QApplication::focusWidget(), control);
            QVERIFY2(control->grab().toImage() != without, qPrintable(name));
        }
    }

    // Every control of the form where the form puts it, in its font and
    // with its text; pixels are twips / 15 and points * 96 / 72 at 100 %.
    void placesEveryControl_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<bool>("bold");
        for (const forms::Control* control : forms::main_form::kControls) {
            const QString name = ui::fromUtf8(control->name);
            const forms::TwipsRect& place = control->place;
            QTest::newRow(qPrintable(name))
                << name << QRect(place.left, place.top, place.width, place.height)
                << ui::fromUtf8(control->text)
                << qRound(control->font.centiPoints / 100.0 * 96 / 72) << control->font.bold;
        }
    }

    void placesEveryControl() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(QString, text);
        QFETCH(int, pixelSize);
        QFETCH(bool, bold);
        auto window = makeWindow(true);
        auto* control = Child<QWidget>(*window, name.toLatin1().constData());
        QCOMPARE(control->geometry(),
                 QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        if (!text.isEmpty()) {  // the bar shows no text
            QCOMPARE(control->font().pixelSize(), pixelSize);
            QCOMPARE(control->font().bold(), bold);
            QCOMPARE(QFontInfo(control->font()).family(), ui::programFont(11).family());
        }
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), text);
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), text);
        }
    }

    // Labels cut what does not fit and wrap at blanks: every text must stand
    // on one line inside its control, with the carried face.
    void everyTextFitsItsControl_data() { placesEveryControl_data(); }

    void everyTextFitsItsControl() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        if (text.isEmpty()) {
            return;  // the scroll bar shows no text
        }
        auto window = makeWindow(true);
        auto* control = Child<QWidget>(*window, name.toLatin1().constData());
        const QFontMetrics metrics(control->font());
        const int width = metrics.horizontalAdvance(text);
        QRect room = control->contentsRect();
        if (qobject_cast<QPushButton*>(control) != nullptr ||
            qobject_cast<QLineEdit*>(control) != nullptr) {
            room.adjust(4, 2, -4, -2);  // frame and bevel
        }
        QVERIFY2(width <= room.width(),
                 qPrintable(QStringLiteral("%1 px of text in %2 px").arg(width).arg(room.width())));
        QVERIFY2(
            metrics.height() <= room.height(),
            qPrintable(
                QStringLiteral("%1 px high in %2 px").arg(metrics.height()).arg(room.height())));
    }

    void namesEveryInputForScreenReaders_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<int>("role");
        QTest::newRow("TxtFreq1") << "TxtFreq1"
                                  << "Fréquence 1 (Hz)" << int(QAccessible::EditableText);
        QTest::newRow("TxtFreq2") << "TxtFreq2"
                                  << "Fréquence 2 (Hz)" << int(QAccessible::EditableText);
        QTest::newRow("Text5") << "Text5"
                               << "Durée (secondes)" << int(QAccessible::EditableText);
        QTest::newRow("Volumescroll") << "Volumescroll"
                                      << "Volume" << int(QAccessible::ScrollBar);
        QTest::newRow("Command1") << "Command1"
                                  << "Créer" << int(QAccessible::Button);
        QTest::newRow("cmdrejoue") << "cmdrejoue"
                                   << "Rejouer" << int(QAccessible::Button);
        QTest::newRow("CmdAide") << "CmdAide"
                                 << "A propos" << int(QAccessible::Button);
        QTest::newRow("the window") << "Form1"
                                    << "Quenbrix" << int(QAccessible::Window);
    }

    void namesEveryInputForScreenReaders() {
        QFETCH(QString, name);
        QFETCH(QString, spoken);
        QFETCH(int, role);
        auto window = makeWindow(true);
        QWidget* widget = name == QLatin1String("Form1")
                              ? window.get()
                              : Child<QWidget>(*window, name.toLatin1().constData());
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(iface != nullptr);
        QCOMPARE(iface->text(QAccessible::Name), spoken);
        QCOMPARE(int(iface->role()), role);
    }

    // ---- digit filter ---------------------------------------------------

    void digitFilter_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        // typed digits go in, everything else that types a character is refused
        QTest::newRow("digits appended") << "TxtFreq1"
                                         << ""
                                         << "1 2 3"
                                         << "123";
        QTest::newRow("1 2 point 5") << "TxtFreq1"
                                     << ""
                                     << "1 2 . 5"
                                     << "125";
        QTest::newRow("zero alone") << "Text5"
                                    << ""
                                    << "0"
                                    << "0";
        QTest::newRow("leading zeros") << "TxtFreq2"
                                       << ""
                                       << "0 0 7"
                                       << "007";
        QTest::newRow("letter") << "TxtFreq1"
                                << ""
                                << "4 a B 2"
                                << "42";
        QTest::newRow("minus and plus") << "TxtFreq2"
                                        << ""
                                        << "- 3 +"
                                        << "3";
        QTest::newRow("comma") << "Text5"
                               << ""
                               << "1 , 5"
                               << "15";
        QTest::newRow("blank") << "TxtFreq1"
                               << ""
                               << "1 <Blank> 2"
                               << "12";
        QTest::newRow("accented letter") << "TxtFreq1"
                                         << ""
                                         << "5 é ½ 6"
                                         << "56";
        QTest::newRow("exponent") << "TxtFreq1"
                                  << ""
                                  << "1 e 3"
                                  << "13";
        // editing keys that deliver a control character are refused
        QTest::newRow("backspace erases nothing") << "TxtFreq1"
                                                  << "1209"
                                                  << "<End> <BS> <BS>"
                                                  << "1209";
        QTest::newRow("ctrl+H is a backspace") << "Text5"
                                               << "1"
                                               << "<End> <^H>"
                                               << "1";
        QTest::newRow("enter") << "Text5"
                               << "1"
                               << "<Enter> <KpEnter>"
                               << "1";
        QTest::newRow("escape") << "Text5"
                                << "1"
                                << "<Esc>"
                                << "1";
        QTest::newRow("ctrl+Z after typing") << "TxtFreq2"
                                             << "697"
                                             << "<End> 5 <^Z>"
                                             << "6975";
        QTest::newRow("ctrl+X on a selection") << "TxtFreq2"
                                               << "697"
                                               << "<Home> <SelAll> <^X>"
                                               << "697";
        QTest::newRow("ctrl+A then a digit") << "TxtFreq2"
                                             << "697"
                                             << "<End> <^A> 1"
                                             << "6971";
        // keys without a character keep working
        QTest::newRow("delete erases") << "TxtFreq1"
                                       << "1209"
                                       << "<Home> <Del>"
                                       << "209";
        QTest::newRow("delete empties") << "Text5"
                                        << "1"
                                        << "<Home> <SelAll> <Del>"
                                        << "";
        QTest::newRow("arrows move the caret") << "TxtFreq1"
                                               << "1209"
                                               << "<Home> <Right> 5"
                                               << "15209";
        QTest::newRow("home and end") << "TxtFreq1"
                                      << "1209"
                                      << "<Home> 7 <End> 8"
                                      << "712098";
        QTest::newRow("left") << "TxtFreq1"
                              << "12"
                              << "<End> <Left> 0"
                              << "102";
        QTest::newRow("digit replaces selection") << "TxtFreq1"
                                                  << "1209"
                                                  << "<Home> <SelAll> 4"
                                                  << "4";
        QTest::newRow("refused key keeps selection") << "TxtFreq1"
                                                     << "1209"
                                                     << "<Home> <SelAll> x 4"
                                                     << "4";
    }

    void digitFilter() {
        QFETCH(QString, box);
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        auto window = makeWindow(true);
        auto* edit = Child<QLineEdit>(*window, box.toLatin1().constData());
        edit->setText(start);
        edit->setFocus();
        Type(edit, keys);
        QCOMPARE(edit->text(), expected);
        QCOMPARE(run_.calls, 0);  // Enter in a box presses nothing
        QVERIFY(player_.played.isEmpty());
    }

    void clipboardShortcutsDoNothing() {
        auto window = makeWindow(true);
        auto* edit = Child<QLineEdit>(*window, "TxtFreq1");
        QApplication::clipboard()->setText(QStringLiteral("555"));
        edit->setFocus();
        Type(edit, QStringLiteral("<End> <^V>"));
        QCOMPARE(edit->text(), QStringLiteral("1209"));
        Type(edit, QStringLiteral("<Home> <SelAll> <^C> <^X>"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("555"));
        QCOMPARE(edit->text(), QStringLiteral("1209"));
        QCOMPARE(edit->selectedText(), QStringLiteral("1209"));  // selection untouched
    }

    // The menu the box shows: its entries work, pasting unfiltered, and it
    // names none of the shortcuts the box refuses.
    void contextMenuPastesUnfilteredWithoutShortcuts() {
        auto window = makeWindow(true);
        auto* edit = Child<QLineEdit>(*window, "TxtFreq2");
        QApplication::clipboard()->setText(QStringLiteral("-1,5e3 x"));
        edit->setFocus();
        edit->selectAll();
        QStringList texts;
        QTimer::singleShot(0, edit, [&texts] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QAction* paste = nullptr;
            for (QAction* action : menu == nullptr ? QList<QAction*>() : menu->actions()) {
                texts.append(action->text());
                if (action->text() == QCoreApplication::translate("QLineEdit", "&Paste")) {
                    paste = action;
                }
            }
            if (paste != nullptr && paste->isEnabled()) {
                paste->activate(QAction::Trigger);
            }
            if (menu != nullptr) {
                menu->close();
            }
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                edit->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(edit, &event);
        QVERIFY(!texts.isEmpty());
        QCOMPARE(edit->text(), QStringLiteral("-1,5e3 x"));
        for (const QString& text : texts) {
            QVERIFY2(!text.contains(QLatin1Char('\t')) && !text.contains(QLatin1String("Ctrl")),
                     qPrintable(text));
        }
    }

    void inputMethodTextIsFiltered_data() {
        QTest::addColumn<QString>("commit");
        QTest::addColumn<int>("replaceFrom");
        QTest::addColumn<int>("replaceLength");
        QTest::addColumn<QString>("expected");
        QTest::newRow("digits") << "42" << 0 << 0 << "120942";
        QTest::newRow("mixed") << "4a2" << 0 << 0 << "120942";
        QTest::newRow("full-width digits") << "４２" << 0 << 0 << "1209";
        QTest::newRow("letters only") << "abc" << 0 << 0 << "1209";
        QTest::newRow("refused with replacement") << "x" << -2 << 2 << "1209";
        QTest::newRow("digit with replacement") << "5" << -2 << 2 << "125";
    }

    void inputMethodTextIsFiltered() {
        QFETCH(QString, commit);
        QFETCH(int, replaceFrom);
        QFETCH(int, replaceLength);
        QFETCH(QString, expected);
        auto window = makeWindow(true);
        auto* edit = Child<QLineEdit>(*window, "TxtFreq1");
        edit->setFocus();
        edit->end(false);
        QInputMethodEvent preedit(QStringLiteral("x"), {});
        QApplication::sendEvent(edit, &preedit);
        QInputMethodEvent event;
        event.setCommitString(commit, replaceFrom, replaceLength);
        QApplication::sendEvent(edit, &event);
        QCOMPARE(edit->text(), expected);
    }

    // ---- keyboard -------------------------------------------------------

    // Tab goes round the controls in the program's fixed order, which
    // follows no reading order, and Shift+Tab goes back.
    void tabVisitsTheFixedOrder() {
        auto window = makeWindow(true);
        const QStringList order = {"TxtFreq1", "Text5",   "cmdrejoue", "Volumescroll",
                                   "TxtFreq2", "CmdAide", "Command1"};
        QStringList visited;
        for (int step = 0; step < order.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(visited, order);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("CmdAide"));
    }

    void enterAndEscape_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("plays");
        QTest::newRow("Enter at start runs Créer") << "Command1" << int(Qt::Key_Return) << 1 << 1;
        QTest::newRow("keypad Enter on Créer") << "Command1" << int(Qt::Key_Enter) << 1 << 1;
        QTest::newRow("Space on Créer") << "Command1" << int(Qt::Key_Space) << 1 << 1;
        QTest::newRow("Escape on Créer") << "Command1" << int(Qt::Key_Escape) << 0 << 0;
        QTest::newRow("Enter on Rejouer") << "cmdrejoue" << int(Qt::Key_Return) << 0 << 1;
        QTest::newRow("Escape on Rejouer") << "cmdrejoue" << int(Qt::Key_Escape) << 0 << 0;
        QTest::newRow("Enter in a box") << "TxtFreq1" << int(Qt::Key_Return) << 0 << 0;
        QTest::newRow("Escape in a box") << "Text5" << int(Qt::Key_Escape) << 0 << 0;
        QTest::newRow("Enter on the bar") << "Volumescroll" << int(Qt::Key_Return) << 0 << 0;
        QTest::newRow("Escape on the bar") << "Volumescroll" << int(Qt::Key_Escape) << 0 << 0;
    }

    void enterAndEscape() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, runs);
        QFETCH(int, plays);
        auto window = makeWindow(true);
        auto* target = Child<QWidget>(*window, focus.toLatin1().constData());
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(run_.calls, runs);
        QCOMPARE(player_.played.size(), plays);
        QVERIFY(window->isVisible());  // Escape does not close it either
    }

    void volumeMovesByOneAndStaysInRange() {
        auto window = makeWindow(true);
        auto* volume = Child<QScrollBar>(*window, "Volumescroll");
        volume->setFocus();
        QTest::keyClick(volume, Qt::Key_Right);  // towards "+"
        QCOMPARE(volume->value(), 20001);
        QTest::keyClick(volume, Qt::Key_PageUp);
        QCOMPARE(volume->value(), 20002);
        QTest::keyClick(volume, Qt::Key_Left);  // towards "-"
        QTest::keyClick(volume, Qt::Key_Left);
        QTest::keyClick(volume, Qt::Key_PageDown);
        QCOMPARE(volume->value(), 19999);
        // a click in the track beside the thumb moves by the large step alone
        const QPoint nearRightEnd(volume->width() - 20, volume->height() / 2);
        QTest::mouseClick(volume, Qt::LeftButton, Qt::NoModifier, nearRightEnd);
        QCOMPARE(volume->value(), 20000);
        QTest::keyClick(volume, Qt::Key_End);
        QCOMPARE(volume->value(), 32767);
        QTest::keyClick(volume, Qt::Key_Right);
        QCOMPARE(volume->value(), 32767);
        window->findChild<QPushButton*>("Command1")->click();
        QCOMPARE(run_.amplitude, 32767);
        QTest::keyClick(volume, Qt::Key_Home);
        QCOMPARE(volume->value(), 0);
        window->findChild<QPushButton*>("Command1")->click();
        QCOMPARE(run_.amplitude, 0);
    }

    // ---- "Créer" and "Rejouer" ------------------------------------------

    void createPassesTheInputsAndPlaysTheFile() {
        auto window = makeWindow(true);
        Child<QLineEdit>(*window, "TxtFreq1")->setText(QStringLiteral("1477"));
        Child<QLineEdit>(*window, "TxtFreq2")->setText(QStringLiteral(""));
        Child<QLineEdit>(*window, "Text5")->setText(QStringLiteral("3"));
        Child<QScrollBar>(*window, "Volumescroll")->setValue(1234);
        QTest::mouseClick(Child<QPushButton>(*window, "Command1"), Qt::LeftButton);
        QCOMPARE(run_.calls, 1);
        QCOMPARE(QFile::decodeName(run_.directory.c_str()), dir_->path());
        QCOMPARE(run_.frequency1, QStringLiteral("1477"));
        QCOMPARE(run_.frequency2, QString());
        QCOMPARE(run_.duration, QStringLiteral("3"));
        QCOMPARE(run_.amplitude, 1234);
        QCOMPARE(player_.played, QStringList{dir_->path() + QStringLiteral("/test.wav")});
    }

    // With the real generation run: the file beside the program, one second
    // of the DTMF pair at the bar's starting amplitude.
    void createWritesTestWavAtStart() {
        auto window = makeWindow(false);
        const QString path = dir_->path() + QStringLiteral("/test.wav");
        BoxWatcher boxes;
        QTest::keyClick(Child<QWidget>(*window, "Command1"), Qt::Key_Space);
        QCOMPARE(boxes.count, 0);
        QCOMPARE(player_.played, QStringList{path});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 88244);
        QCOMPARE(bytes.left(4), QByteArray("RIFF"));
        auto sample = [&bytes](int i) {
            return static_cast<qint16>(static_cast<quint8>(bytes[44 + 2 * i]) |
                                       (static_cast<quint8>(bytes[45 + 2 * i]) << 8));
        };
        // the first samples for 1209 Hz + 697 Hz at amplitude 20000
        QCOMPARE(sample(0), qint16(0));
        QCOMPARE(sample(1), qint16(2704));
        QCOMPARE(sample(11), qint16(18357));
        QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
    }

    // A folder whose name is no UTF-8 (a Latin-1 "é"): the program finds it
    // byte for byte, writes and plays test.wav in it, and a failure names it
    // with U+FFFD in place of the odd byte.
    void folderNamedInAnotherEncoding() {
        QTemporaryDir scratch;
        const std::filesystem::path folder = Folder(scratch.path()) /
                                             "lat1\xe9"
                                             "dir";
        const std::filesystem::path link = Folder(scratch.path()) / "exe";
        std::filesystem::create_directory(folder);
        std::filesystem::create_symlink(folder / "quenbrix", link);
        QVERIFY(programDirectory(link) == folder);

        RecordingPlayer player;
        MainWindow window(folder, player);
        window.show();
        BoxWatcher boxes;
        Child<QPushButton>(window, "Command1")->click();
        QCOMPARE(boxes.count, 0);
        QVERIFY(std::filesystem::is_regular_file(folder / "test.wav"));
        QVERIFY(player.lastPath == folder / "test.wav");

        std::filesystem::remove(folder / "test.wav");
        std::filesystem::create_directories(folder / "test.wav" / "in the way");
        Child<QPushButton>(window, "Command1")->click();
        QCOMPARE(boxes.count, 1);
        QVERIFY2(boxes.seen.text.contains(QStringLiteral("lat1\uFFFDdir/test.wav")),
                 qPrintable(boxes.seen.text));
    }

    void emptyDurationShowsTheErrorBoxAndPlaysNothing() {
        auto window = makeWindow(false);
        auto* duration = Child<QLineEdit>(*window, "Text5");
        duration->setFocus();
        Type(duration, QStringLiteral("<Home> <SelAll> <Del>"));
        QCOMPARE(duration->text(), QString());
        BoxWatcher boxes;
        Child<QPushButton>(*window, "Command1")->click();
        QCOMPARE(boxes.count, 1);
        QCOMPARE(boxes.seen.title, QStringLiteral("Erreur"));
        QCOMPARE(boxes.seen.icon, QMessageBox::Critical);
        QCOMPARE(boxes.seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        QVERIFY(!boxes.seen.text.trimmed().isEmpty());
        QVERIFY(player_.played.isEmpty());
        QVERIFY(!QFile::exists(dir_->path() + QStringLiteral("/test.wav")));
    }

    void failureShowsTheRunsDescription() {
        auto window = makeWindow(true);
        const std::string description =
            "Incompatibilité de type : la durée « » n'est pas un nombre.";
        run_.body = [&](const std::function<void()>&) {
            return tonegen::RunResult{
                tonegen::Failure{tonegen::FailureKind::TypeMismatch, description}};
        };
        BoxWatcher boxes;
        Child<QPushButton>(*window, "Command1")->click();
        QCOMPARE(boxes.count, 1);
        QCOMPARE(boxes.seen.text, QString::fromStdString(description));
        QCOMPARE(boxes.seen.title, QStringLiteral("Erreur"));
        QVERIFY(player_.played.isEmpty());
    }

    void failingPlayerInCreerReachesTheErrorBox() {
        auto window = makeWindow(true);
        player_.failWith = "bibliothèque de son absente";
        BoxWatcher boxes;
        Child<QPushButton>(*window, "Command1")->click();
        QCOMPARE(boxes.count, 1);
        QCOMPARE(boxes.seen.title, QStringLiteral("Erreur"));
        QVERIFY(boxes.seen.text.contains(QStringLiteral("bibliothèque de son absente")));
    }

    void replayWithoutFileAsksForThePathAndSaysNothing() {
        auto window = makeWindow(true);
        QVERIFY(!QFile::exists(dir_->path() + QStringLiteral("/test.wav")));
        BoxWatcher boxes;
        QTest::mouseClick(Child<QPushButton>(*window, "cmdrejoue"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(*window, "cmdrejoue"), Qt::LeftButton);
        QCOMPARE(player_.played, QStringList(2, dir_->path() + QStringLiteral("/test.wav")));
        QCOMPARE(boxes.count, 0);
        QCOMPARE(run_.calls, 0);
    }

    // ---- pointer --------------------------------------------------------

    void hourglassOnlyOnceTheFirstSampleExists_data() {
        QTest::addColumn<bool>("notifies");
        QTest::addColumn<bool>("fails");
        QTest::newRow("success") << true << false;
        QTest::newRow("failure after the first sample") << true << true;
        QTest::newRow("failure before any sample") << false << true;
    }

    void hourglassOnlyOnceTheFirstSampleExists() {
        QFETCH(bool, notifies);
        QFETCH(bool, fails);
        auto window = makeWindow(true);
        QList<QWidget*> all = window->findChildren<QWidget*>();
        all.prepend(window.get());
        auto shapes = [&all] {
            QList<Qt::CursorShape> seen;
            for (QWidget* w : all) {
                seen.append(w->cursor().shape());
            }
            return seen;
        };
        const QList<Qt::CursorShape> before = shapes();
        QVERIFY(before.contains(Qt::IBeamCursor));  // the boxes keep their I-beam
        QList<Qt::CursorShape> beforeNotice, afterNotice;
        run_.body = [&](const std::function<void()>& notify) {
            beforeNotice = shapes();
            if (notifies) {
                notify();
            }
            afterNotice = shapes();
            return fails ? tonegen::RunResult{tonegen::Failure{tonegen::FailureKind::File, "x"}}
                         : tonegen::RunResult{};
        };
        QList<Qt::CursorShape> whileBoxOpen;
        BoxWatcher boxes([&] { whileBoxOpen = shapes(); });
        Child<QPushButton>(*window, "Command1")->click();
        QCOMPARE(beforeNotice, before);
        if (notifies) {
            QCOMPARE(afterNotice, QList<Qt::CursorShape>(all.size(), Qt::WaitCursor));
        } else {
            QCOMPARE(afterNotice, before);
        }
        QCOMPARE(shapes(), before);
        QCOMPARE(boxes.count, fails ? 1 : 0);
        if (fails) {
            QCOMPARE(whileBoxOpen, before);  // the pointer is back before the box shows
        }
    }

    // ---- end of the program ---------------------------------------------

    void programEndsWithItsLastWindow_data() {
        QTest::addColumn<bool>("otherWindowOpen");
        QTest::newRow("main window alone") << false;
        QTest::newRow("an About-like window still open") << true;
    }

    void programEndsWithItsLastWindow() {
        QFETCH(bool, otherWindowOpen);
        auto window = makeWindow(true);
        QWidget other;  // built like the About window: no parent, a dialog
        other.setWindowFlags(Qt::Dialog);
        if (otherWindowOpen) {
            other.show();
        }
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        bool runningAfterMainClosed = false;
        bool timedOut = false;
        QTimer::singleShot(0, window.get(), [&] { window->close(); });
        QTimer::singleShot(100, &other, [&] {
            runningAfterMainClosed = true;
            other.close();
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [&] {
            timedOut = true;
            QCoreApplication::exit(2);
        });
        watchdog.start(5000);
        const int code = QCoreApplication::exec();
        QCOMPARE(code, 0);
        QVERIFY(!timedOut);
        QCOMPARE(lastClosed.count(), 1);
        QCOMPARE(runningAfterMainClosed, otherWindowOpen);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
