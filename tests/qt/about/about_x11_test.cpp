// The About window on a real X server (Xvfb): what the window manager is told
// about its frame and place, and the link's colours under real pointer
// motion from the server. CTest runs it on a private X server, without and
// with a window manager (openbox).
#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "about_window.h"
#include "link_label.h"

namespace {

QString WindowProperties(QWidget* window) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId())});
    if (!xprop.waitForFinished(20000) || xprop.exitCode() != 0) {
        qWarning("xprop failed: %s", xprop.readAllStandardError().constData());
    }
    return QString::fromUtf8(xprop.readAllStandardOutput());
}

}  // namespace

class AboutX11Test : public QObject {
    Q_OBJECT

  private:
    static about::AboutWindow* Open() {
        about::showAboutWindow();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmAbout") && w->isVisible()) {
                return qobject_cast<about::AboutWindow*>(w);
            }
        }
        return nullptr;
    }

  private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb")); }

    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            w->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void dialogFrameFixedPlaceNoOwner() {
        about::AboutWindow* window = Open();
        QVERIFY(window != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QString props = WindowProperties(window);
        QVERIFY2(props.contains(QRegularExpression(
                     QStringLiteral("_NET_WM_WINDOW_TYPE\\(ATOM\\) = _NET_WM_WINDOW_TYPE_DIALOG"))),
                 qPrintable(props));
        // Transient for the program's group leader, not for the main
        // window: no owner, and task bars leave such dialogs out.
        QVERIFY(props.contains(QStringLiteral("WM_TRANSIENT_FOR(WINDOW): window id #")));
        QVERIFY2(props.contains(QRegularExpression(QStringLiteral(
                     "_NET_WM_STATE\\(ATOM\\) = [^\\n]*_NET_WM_STATE_SKIP_TASKBAR"))),
                 qPrintable(props));
        QVERIFY(props.contains(QStringLiteral("user specified location: 156, 129")));
        QVERIFY(props.contains(QStringLiteral("window gravity: Static")));
        QVERIFY(props.contains(QStringLiteral("program specified minimum size: 376 by 530")));
        QVERIFY(props.contains(QStringLiteral("program specified maximum size: 376 by 530")));
        QVERIFY(props.contains(QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"À propos\"")));
    }

    void linkColoursUnderRealPointer() {
        about::AboutWindow* window = Open();
        QVERIFY(window != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* link = window->findChild<about::LinkLabel*>(QStringLiteral("lblqimbo"));
        QWidget* visit = window->findChild<QWidget*>(QStringLiteral("Label24"));
        QVERIFY(link != nullptr && visit != nullptr);
        // The server moves its pointer and reports the motion like a mouse.
        const auto moveTo = [window](QPoint at) {
            QCursor::setPos(window->mapToGlobal(at));
            QTRY_COMPARE(QCursor::pos(), window->mapToGlobal(at));
            QTest::qWait(50);
        };
        moveTo(link->geometry().center());
        QTRY_VERIFY(link->isCovered());
        moveTo(QPoint(visit->x() + 10, visit->y() + 8));
        moveTo(QPoint(150, 70));
        moveTo(QPoint(window->width() + 40, 200));
        QVERIFY2(link->isCovered(), "turned pink over a label or outside the window");
        moveTo(QPoint(360, 500));
        QTRY_VERIFY(!link->isCovered());
    }
};

// CTest starts this program on a private X server.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    AboutX11Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "about_x11_test.moc"
