// Both windows on a real X server, with openbox managing them or with no
// window manager at all: who has the keyboard at start, after the error box
// and after the About window; neither window staying minimised; the
// whole frame centred; the main window in front once clicked. Keys are real
// X key presses, which go where the X server's focus is.
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "about_window.h"
#include "main_window.h"
#include "test_support.h"
#include "ui_resources.h"

namespace {

void Key(const char* key) {
    Run(QStringLiteral("xdotool"), {"key", "--clearmodifiers", QString::fromLatin1(key)});
}

bool HasWindowManager() {
    return Run(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"})
        .contains(QStringLiteral("window id"));
}

// What the window manager draws around a window: left, right, top, bottom.
QMargins FrameExtents(const QWidget* window) {
    const QRegularExpressionMatch found =
        QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"))
            .match(Run(QStringLiteral("xprop"),
                       {"-id", QString::number(window->winId()), "_NET_FRAME_EXTENTS"}));
    if (!found.hasMatch()) {
        return {};
    }
    return {found.captured(1).toInt(), found.captured(3).toInt(), found.captured(2).toInt(),
            found.captured(4).toInt()};
}

// The client area on the screen, as the X server has it.
QRect ClientOnScreen(const QWidget* window) {
    const QString info = Run(QStringLiteral("xwininfo"), {"-id", QString::number(window->winId())});
    const auto field = [&info](const char* name) {
        return QRegularExpression(QString::fromLatin1(name) + QStringLiteral(":\\s+(-?\\d+)"))
            .match(info)
            .captured(1)
            .toInt();
    };
    return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
            field("Height")};
}

// Calls `changed` on every window state change of `window` while it lives.
class StateWatcher final : public QObject {
  public:
    StateWatcher(QWidget& window, std::function<void()> changed)
        : window_(window), changed_(std::move(changed)) {
        window_.installEventFilter(this);
    }
    ~StateWatcher() override { window_.removeEventFilter(this); }
    StateWatcher(const StateWatcher&) = delete;
    StateWatcher& operator=(const StateWatcher&) = delete;

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange) {
            changed_();
        }
        return false;
    }

  private:
    QWidget& window_;
    std::function<void()> changed_;
};

// Client windows from bottom to top, as the window manager stacks them.
QList<WId> Stacking() {
    QList<WId> ids;
    const QString list = Run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST_STACKING"});
    for (const QRegularExpressionMatch& id :
         QRegularExpression(QStringLiteral("0x[0-9a-f]+")).globalMatch(list)) {
        ids.append(id.captured().toULong(nullptr, 16));
    }
    return ids;
}

about::AboutWindow* OpenAboutWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* about = qobject_cast<about::AboutWindow*>(widget); about && about->isVisible()) {
            return about;
        }
    }
    return nullptr;
}

}  // namespace

class DesktopX11Test final : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    RecordingPlayer player_;
    int runs_ = 0;
    int failingRuns_ = 0;

    // Shown as the program shows it, nothing more: no activation asked here.
    std::unique_ptr<MainWindow> makeWindow() {
        runs_ = 0;
        failingRuns_ = 0;
        player_.played.clear();
        auto window = std::make_unique<MainWindow>(
            Folder(dir_.path()), player_,
            [this](const std::filesystem::path&, const tonegen::ToneInputs&,
                   const tonegen::ToneProgress&) {
                ++runs_;
                if (failingRuns_ > 0) {
                    --failingRuns_;
                    return tonegen::RunResult{tonegen::Failure{tonegen::FailureKind::File, "x"}};
                }
                return tonegen::RunResult{};
            });
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            qWarning("window not exposed");
        }
        return window;
    }

    static QPushButton* Button(QWidget& window, const char* name) {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    }

  private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ui::loadProgramFonts();
        qInfo("%s", HasWindowManager() ? "with a window manager" : "without a window manager");
    }

    void cleanup() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<about::AboutWindow*>(widget) != nullptr) {
                widget->close();
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::qWait(100);
    }

    void startsWithTheKeyboardOnCreer() {
        auto window = makeWindow();
        QTRY_VERIFY(window->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), Button(*window, "Command1"));
        Key("space");
        QTRY_COMPARE(runs_, 1);
    }

    void keyboardComesBackAfterTheErrorBox() {
        auto window = makeWindow();
        QTRY_VERIFY(window->isActiveWindow());
        failingRuns_ = 1;
        // The box must have the keyboard itself: Enter, a real key, answers it.
        bool answered = false;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->isActiveWindow() && !answered) {
                answered = true;
                Key("Return");
            }
        });
        answer.start(20);
        Key("space");
        QTRY_VERIFY(answered);
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        QTRY_VERIFY(window->isActiveWindow());
        Key("space");
        QTRY_COMPARE(runs_, 2);
        QCOMPARE(player_.played.size(), 1);
    }

    void keyboardComesBackAfterTheAboutWindow() {
        auto window = makeWindow();
        QTRY_VERIFY(window->isActiveWindow());
        Button(*window, "CmdAide")->click();
        about::AboutWindow* about = OpenAboutWindow();
        QVERIFY(about != nullptr);
        QTRY_VERIFY(about->isActiveWindow());
        Key("Escape");
        QTRY_VERIFY(OpenAboutWindow() == nullptr);
        QTRY_VERIFY(window->isActiveWindow());
        Key("space");
        QTRY_COMPARE(runs_, 1);
    }

    // Neither window can be maximised nor stay minimised, whatever the
    // window manager offers: openbox gives every dialog and utility window a
    // minimise box, and a minimised window comes back at once.
    void neitherWindowStaysMinimised() {
        if (!HasWindowManager()) {
            QSKIP("minimising is the window manager's");
        }
        auto window = makeWindow();
        QTRY_VERIFY(window->isActiveWindow());
        Button(*window, "CmdAide")->click();
        about::AboutWindow* about = OpenAboutWindow();
        QVERIFY(about != nullptr);
        QTRY_VERIFY(about->isActiveWindow());
        for (QWidget* shown : {static_cast<QWidget*>(about), static_cast<QWidget*>(window.get())}) {
            const QString id = QString::number(shown->winId());
            QTRY_VERIFY(Run(QStringLiteral("xprop"), {"-id", id, "_NET_WM_ALLOWED_ACTIONS"})
                            .contains(QStringLiteral("_NET_WM_ACTION_CLOSE")));
            QVERIFY(!Run(QStringLiteral("xprop"), {"-id", id, "_NET_WM_ALLOWED_ACTIONS"})
                         .contains(QStringLiteral("MAXIMIZE")));
            bool minimised = false;
            StateWatcher watcher(
                *shown, [&minimised, shown] { minimised = minimised || shown->isMinimized(); });
            Run(QStringLiteral("xdotool"), {"windowminimize", id});
            QTRY_VERIFY(minimised);
            QTRY_VERIFY(!shown->isMinimized());
            QTRY_VERIFY(Run(QStringLiteral("xwininfo"), {"-id", id})
                            .contains(QStringLiteral("IsViewable")));
        }
    }

    // The window with its frame, not its client area alone, is centred, in
    // the X server's pixels; CTest also runs this at 200 % (QT_SCALE_FACTOR),
    // where Qt's pixels are two of the server's and a frame side may fall
    // half-way.
    void wholeFrameIsCentred() {
        auto window = makeWindow();
        QTRY_VERIFY(window->isActiveWindow());
        const QMargins frame = FrameExtents(window.get());
        if (HasWindowManager()) {
            QVERIFY2(frame.top() > frame.bottom(), "openbox draws a title bar");
        }
        const QRectF outer = ClientOnScreen(window.get()).marginsAdded(frame);
        const qreal ratio = window->devicePixelRatioF();
        const QRectF screen = window->screen()->geometry();
        const QPointF centre = screen.center() * ratio;
        QVERIFY2(qAbs(outer.center().x() - centre.x()) <= ratio &&
                     qAbs(outer.center().y() - centre.y()) <= ratio,
                 qPrintable(QStringLiteral("frame centre %1,%2, screen centre %3,%4")
                                .arg(outer.center().x())
                                .arg(outer.center().y())
                                .arg(centre.x())
                                .arg(centre.y())));
    }

    // The About window has no owner: a click on the main window brings the
    // main window in front of it.
    void clickedMainWindowComesInFront() {
        if (!HasWindowManager()) {
            QSKIP("stacking is the window manager's");
        }
        auto window = makeWindow();
        Button(*window, "CmdAide")->click();
        about::AboutWindow* about = OpenAboutWindow();
        QVERIFY(about != nullptr);
        QTRY_VERIFY(about->isActiveWindow());
        QTRY_COMPARE(Stacking().value(Stacking().size() - 1), about->winId());
        // A bare spot of the main window that the About window leaves free.
        const QRect client = ClientOnScreen(window.get());
        const QPoint spot(client.right() - 8, client.top() + 8);
        QVERIFY(!about->frameGeometry().contains(spot));
        Run(QStringLiteral("xdotool"),
            {"mousemove", QString::number(spot.x()), QString::number(spot.y()), "click", "1"});
        QTRY_VERIFY(window->isActiveWindow());
        QTRY_COMPARE(Stacking().value(Stacking().size() - 1), window->winId());
        QVERIFY(about->isVisible());
    }
};

// CTest starts this program on a private X server, with or without openbox.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    DesktopX11Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "desktop_x11_test.moc"
