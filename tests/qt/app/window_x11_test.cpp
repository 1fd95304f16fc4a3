// The main window on a real X server (Xvfb): what the window manager is
// told, the pointer the server shows during a run, and real X key input,
// where the offscreen platform cannot tell. CTest runs it on a private X
// server, without and with a window manager (openbox).
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <cstdlib>

#include "main_window.h"
#include "test_support.h"
#include "ui_resources.h"

namespace {}  // namespace

class WindowX11Test final : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    RecordingPlayer player_;
    int runs_ = 0;
    std::function<tonegen::RunResult(const std::function<void()>&)> body_;

    std::unique_ptr<MainWindow> makeWindow() {
        runs_ = 0;
        body_ = nullptr;
        player_.played.clear();
        auto window = std::make_unique<MainWindow>(
            Folder(dir_.path()), player_,
            [this](const std::filesystem::path&, const tonegen::ToneInputs&,
                   const tonegen::ToneProgress& progress) {
                ++runs_;
                if (body_) {
                    return body_(progress.onFirstSample);
                }
                return tonegen::RunResult{};
            });
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            qWarning("window not exposed");
        }
        return window;
    }

  private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ui::loadProgramFonts();
    }

    void toolFrameFixedSizeNoTaskbar() {
        auto window = makeWindow();
        const QString props =
            Run(QStringLiteral("xprop"), {"-id", QString::number(window->winId())});
        QVERIFY2(props.contains(QRegularExpression(
                     "_NET_WM_WINDOW_TYPE\\(ATOM\\) = _NET_WM_WINDOW_TYPE_UTILITY")),
                 qPrintable(props));
        QVERIFY(props.contains(QRegularExpression("_NET_WM_STATE\\(ATOM\\) = .*SKIP_TASKBAR")));
        QVERIFY(props.contains(QStringLiteral("program specified minimum size: 335 by 212")));
        QVERIFY(props.contains(QStringLiteral("program specified maximum size: 335 by 212")));
        QVERIFY(props.contains(QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"") +
                               QString(39, QLatin1Char(' ')) + QStringLiteral("Quenbrix\"")));
        QVERIFY(props.contains(QStringLiteral("Icon (32 x 32)")));
        // Motif hints: no minimise or maximise, a close box. Qt leaves the
        // resize function on; the equal minimum and maximum sizes above are
        // what keeps window managers from resizing.
        const QRegularExpression motif(
            "_MOTIF_WM_HINTS\\(_MOTIF_WM_HINTS\\) = (\\w+), (\\w+), (\\w+)");
        const QRegularExpressionMatch hints = motif.match(props);
        QVERIFY(hints.hasMatch());
        const uint functions = hints.captured(2).toUInt(nullptr, 16);
        const uint decorations = hints.captured(3).toUInt(nullptr, 16);
        QCOMPARE(functions & 0x08u, 0u);    // minimise
        QCOMPARE(functions & 0x10u, 0u);    // maximise
        QVERIFY(functions & 0x20u);         // close
        QCOMPARE(decorations & 0x20u, 0u);  // minimise box
        QCOMPARE(decorations & 0x40u, 0u);  // maximise box

        // Where it stands, frame included: desktop_x11_test.
        const QString info =
            Run(QStringLiteral("xwininfo"), {"-id", QString::number(window->winId())});
        QVERIFY(info.contains(QRegularExpression(QStringLiteral("Width:\\s+335\\b"))));
        QVERIFY(info.contains(QRegularExpression(QStringLiteral("Height:\\s+212\\b"))));
    }

    // The pointer over a text box is the box's I-beam; the platform window
    // must carry the hourglass during the run and the I-beam again after.
    void hourglassReachesTheServer() {
        auto window = makeWindow();
        auto* box = window->findChild<QLineEdit*>(QStringLiteral("TxtFreq1"));
        QCursor::setPos(box->mapToGlobal(box->rect().center()));
        QTRY_COMPARE(window->windowHandle()->cursor().shape(), Qt::IBeamCursor);
        Qt::CursorShape during = Qt::BlankCursor;
        body_ = [&](const std::function<void()>& notify) {
            notify();
            during = window->windowHandle()->cursor().shape();
            return tonegen::RunResult{tonegen::Failure{tonegen::FailureKind::File, "x"}};
        };
        BoxWatcher boxes;
        window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QCOMPARE(during, Qt::WaitCursor);
        QCOMPARE(boxes.count, 1);
        QTRY_COMPARE(window->windowHandle()->cursor().shape(), Qt::IBeamCursor);
    }

    // Keys the user presses while the run blocks are held back by the X
    // server and Qt, and handled only once the run is over.
    void keysDuringTheRunWaitForItsEnd() {
        auto window = makeWindow();
        QTRY_VERIFY(window->isActiveWindow());
        auto* box = window->findChild<QLineEdit*>(QStringLiteral("TxtFreq1"));
        box->setFocus();
        box->end(false);
        QString textDuringRun;
        body_ = [&](const std::function<void()>& notify) {
            Run(QStringLiteral("xdotool"), {"key", "--delay", "0", "5"});
            notify();
            QTest::qSleep(100);
            notify();
            textDuringRun = box->text();
            return tonegen::RunResult{};
        };
        window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QCOMPARE(runs_, 1);
        QCOMPARE(textDuringRun, QStringLiteral("1209"));
        QTRY_COMPARE(box->text(), QStringLiteral("12095"));
    }

    // X11 hands over Delete as DEL (127) and Ctrl+letters as control
    // characters; the filter must treat them as on any keyboard.
    void realKeyboardInput_data() {
        QTest::addColumn<QStringList>("xdotoolKeys");
        QTest::addColumn<QString>("expected");
        QTest::newRow("digits and letters")
            << QStringList{"1", "a", "period", "2", "space"} << "120912";
        QTest::newRow("backspace refused") << QStringList{"BackSpace", "BackSpace"} << "1209";
        QTest::newRow("delete erases") << QStringList{"Home", "Delete"} << "209";
        QTest::newRow("ctrl+v refused") << QStringList{"ctrl+v"} << "1209";
        QTest::newRow("ctrl+x refused") << QStringList{"shift+Home", "ctrl+x"} << "1209";
        QTest::newRow("return refused") << QStringList{"Return", "KP_Enter"} << "1209";
        QTest::newRow("keypad digits") << QStringList{"KP_7", "KP_Subtract"} << "12097";
    }

    void realKeyboardInput() {
        QFETCH(QStringList, xdotoolKeys);
        QFETCH(QString, expected);
        auto window = makeWindow();
        QTRY_VERIFY(window->isActiveWindow());
        auto* box = window->findChild<QLineEdit*>(QStringLiteral("TxtFreq1"));
        box->setFocus();
        box->end(false);
        QGuiApplication::clipboard()->setText(QStringLiteral("99"));
        // A last digit typed at the end marks the moment every earlier key
        // has been handled, however slowly a loaded machine delivers them.
        Run(QStringLiteral("xdotool"),
            QStringList{"key", "--delay", "20"} + xdotoolKeys + QStringList{"End", "0"});
        QTRY_COMPARE(box->text(), expected + QLatin1Char('0'));
        QCOMPARE(runs_, 0);
    }
};

// CTest starts this program on a private X server.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    WindowX11Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_x11_test.moc"
