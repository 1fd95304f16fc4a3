// What the About window does: one window at a time, brought to the front or
// rebuilt afresh, the ways it closes, the link's colours under the mouse and
// its click reaching the desktop's URL opener.
#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include "about_window.h"
#include "link_label.h"

using about::AboutWindow;
using about::LinkLabel;

namespace {

const QColor kPink(255, 192, 192);
const QColor kGreen(192, 255, 192);

QList<QWidget*> AboutWindows() {
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("frmAbout") &&
            !w->testAttribute(Qt::WA_WState_Hidden) && w->isVisible()) {
            found.append(w);
        }
    }
    return found;
}

// Records what the desktop would have opened, in place of a browser.
class UrlRecorder : public QObject {
    Q_OBJECT

  public:
    QList<QUrl> opened;

  public slots:
    void open(const QUrl& url) { opened.append(url); }
};

}  // namespace

class AboutBehaviourTest : public QObject {
    Q_OBJECT

  private:
    UrlRecorder recorder_;
    QString scheme_;

    static AboutWindow* Open() {
        about::showAboutWindow();
        const QList<QWidget*> windows = AboutWindows();
        return windows.size() == 1 ? qobject_cast<AboutWindow*>(windows.first()) : nullptr;
    }

    static void Discard() {
        // Closed windows are deleted on the next turn of the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    static LinkLabel* Link(QWidget* window) {
        return window->findChild<LinkLabel*>(QStringLiteral("lblqimbo"));
    }

    static QColor LinkColour(QWidget* window) {
        return Link(window)->palette().color(QPalette::Window);
    }

    // A real move of the pointer to a point of the window, delivered by the
    // platform to whatever lies under it.
    static void MoveTo(QWidget* window, QPoint at) {
        // The platform reports no move to where the pointer already is.
        if (QCursor::pos() == window->mapToGlobal(at)) {
            QCursor::setPos(0, 0);
        }
        QTest::mouseMove(window, at);
        QCoreApplication::processEvents();
    }

  private slots:
    void initTestCase() {
        scheme_ = AboutWindow::siteUrl().scheme();
        QVERIFY(scheme_ == QLatin1String("http") || scheme_ == QLatin1String("https"));
        QDesktopServices::setUrlHandler(scheme_, &recorder_, "open");
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(scheme_); }

    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            w->close();
        }
        Discard();
        recorder_.opened.clear();
    }

    void singleWindowBroughtToFront() {
        AboutWindow* first = Open();
        QVERIFY(first != nullptr);
        const QPointer<AboutWindow> firstAlive(first);
        QVERIFY(QTest::qWaitForWindowActive(first));
        QCOMPARE(first->geometry().topLeft(), QPoint(156, 129));

        // Another window takes the front; "A propos" again brings the same
        // About window back instead of opening a second one.
        QWidget other;
        other.setGeometry(100, 100, 300, 300);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!first->isActiveWindow());

        AboutWindow* second = Open();
        QVERIFY(second != nullptr);
        const QPointer<AboutWindow> secondAlive(second);
        QCOMPARE(second, first);
        QCOMPARE(AboutWindows().size(), 1);
        QVERIFY(QTest::qWaitForWindowActive(first));
        QCOMPARE(QApplication::activeWindow(), first);
    }

    void closing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK clicked") << "click";
        QTest::newRow("Enter on OK") << "enter";
        QTest::newRow("Enter from the icon box") << "enter-icon";
        QTest::newRow("keypad Enter") << "keypad";
        QTest::newRow("Escape on OK") << "escape";
        QTest::newRow("Escape from the icon box") << "escape-icon";
        QTest::newRow("close box") << "closebox";
        QTest::newRow("space on OK") << "space";
    }

    void closing() {
        QFETCH(QString, how);
        AboutWindow* window = Open();
        QVERIFY(window != nullptr);
        const QPointer<AboutWindow> windowAlive(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto* ok = window->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        auto* icon = window->findChild<QLabel*>(QStringLiteral("picIcon"));
        QCOMPARE(QApplication::focusWidget(), ok);
        if (how.endsWith(QLatin1String("-icon"))) {
            QTest::keyClick(ok, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), icon);
        }
        QWidget* focus = QApplication::focusWidget();
        if (how == QLatin1String("click")) {
            QTest::mouseClick(ok, Qt::LeftButton);
        } else if (how.startsWith(QLatin1String("enter"))) {
            QTest::keyClick(focus, Qt::Key_Return);
        } else if (how == QLatin1String("keypad")) {
            QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
        } else if (how.startsWith(QLatin1String("escape"))) {
            QTest::keyClick(focus, Qt::Key_Escape);
        } else if (how == QLatin1String("space")) {
            QTest::keyClick(focus, Qt::Key_Space);
        } else {
            window->windowHandle()->close();
        }
        QVERIFY(AboutWindows().isEmpty());
        Discard();
        QVERIFY2(windowAlive.isNull(), "the closed window was kept");
    }

    void otherKeysDoNotClose() {
        AboutWindow* window = Open();
        QVERIFY(window != nullptr);
        const QPointer<AboutWindow> windowAlive(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        for (const Qt::Key key : {Qt::Key_A, Qt::Key_Tab, Qt::Key_Left, Qt::Key_F1}) {
            QTest::keyClick(QApplication::focusWidget(), key);
        }
        Discard();
        QVERIFY(windowAlive);
        QVERIFY(window->isVisible());
    }

    void hoverColours() {
        AboutWindow* window = Open();
        QVERIFY(window != nullptr);
        const QPointer<AboutWindow> windowAlive(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QLabel* link = Link(window);
        QWidget* visit = window->findChild<QWidget*>(QStringLiteral("Label24"));
        QCOMPARE(LinkColour(window), kPink);

        // Onto the link: green. Straight on to "Visitez le site": still green.
        MoveTo(window, link->geometry().center());
        QCOMPARE(LinkColour(window), kGreen);
        MoveTo(window, QPoint(visit->x() + 10, visit->y() + 8));
        QCOMPARE(LinkColour(window), kGreen);

        // Over every other kind of control: still green.
        const QList<QPoint> covered = {
            {30, 30},    // the icon box
            {340, 25},   // the OK button
            {120, 15},   // the title, a transparent label
            {150, 70},   // text T1, transparent
            {70, 300},   // the grid picture, beside the keys
            {150, 315},  // a key label over the picture
            {40, 440},   // the single-tone paragraph
            {70, 500},   // the credit line
        };
        for (const QPoint& at : covered) {
            MoveTo(window, at);
            QVERIFY2(LinkColour(window) == kGreen,
                     qPrintable(QStringLiteral("turned pink at %1,%2").arg(at.x()).arg(at.y())));
        }

        // The separator lines are no controls: the background there counts.
        MoveTo(window, QPoint(100, 467));
        QCOMPARE(LinkColour(window), kPink);

        // Green again, then on to bare white background: pink.
        MoveTo(window, link->geometry().center());
        QCOMPARE(LinkColour(window), kGreen);
        MoveTo(window, QPoint(360, 500));
        QCOMPARE(LinkColour(window), kPink);
    }

    void leavingTheWindowKeepsGreen() {
        AboutWindow* window = Open();
        QVERIFY(window != nullptr);
        const QPointer<AboutWindow> windowAlive(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QLabel* link = Link(window);
        MoveTo(window, link->geometry().center());
        QCOMPARE(LinkColour(window), kGreen);
        // Out through the bottom edge, which the link nearly touches, and
        // far away: nothing reacts to leaving.
        MoveTo(window, QPoint(link->geometry().center().x(), window->height() + 5));
        MoveTo(window, QPoint(-100, -100));
        QCOMPARE(LinkColour(window), kGreen);
        // A move from outside the window that still reaches it, as while a
        // button is held, is no move over the background.
        QMouseEvent outside(QEvent::MouseMove, QPointF(200, window->height() + 20),
                            window->mapToGlobal(QPointF(200, window->height() + 20)), Qt::NoButton,
                            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &outside);
        QCOMPARE(LinkColour(window), kGreen);
    }

    void movesOverLabelsDoNotReachTheBackground() {
        // Delivered straight to a label, with or without a button held, a
        // move must not be passed on to the window as a background move.
        AboutWindow* window = Open();
        QVERIFY(window != nullptr);
        const QPointer<AboutWindow> windowAlive(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        Link(window)->setCovered(true);
        for (const char* name : {"Label24", "Label26", "Label15", "Image1", "picIcon", "cmdOK"}) {
            auto* control = window->findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY(control != nullptr);
            for (const Qt::MouseButtons held :
                 {Qt::MouseButtons(), Qt::MouseButtons(Qt::RightButton)}) {
                QMouseEvent move(QEvent::MouseMove, QPointF(3, 3),
                                 control->mapToGlobal(QPointF(3, 3)), Qt::NoButton, held,
                                 Qt::ShiftModifier);
                QApplication::sendEvent(control, &move);
                QVERIFY2(LinkColour(window) == kGreen, name);
            }
        }
        // The same move delivered to the window itself is background.
        QMouseEvent bare(QEvent::MouseMove, QPointF(360, 500),
                         window->mapToGlobal(QPointF(360, 500)), Qt::NoButton, Qt::MouseButtons(),
                         Qt::ControlModifier);
        QApplication::sendEvent(window, &bare);
        QCOMPARE(LinkColour(window), kPink);
    }

    void linkClickOpensTheSite() {
        AboutWindow* window = Open();
        QVERIFY(window != nullptr);
        const QPointer<AboutWindow> windowAlive(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QLabel* link = Link(window);
        MoveTo(window, link->geometry().center());
        QCOMPARE(LinkColour(window), kGreen);

        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(recorder_.opened.size(), 2);
        QCOMPARE(recorder_.opened.at(0), QUrl(QStringLiteral(QUENBRIX_TEST_SITE_URL)));
        QCOMPARE(recorder_.opened.at(1), QUrl(QStringLiteral(QUENBRIX_TEST_SITE_URL)));
        // The window stays open and as it was.
        Discard();
        QVERIFY(windowAlive && window->isVisible());
        QCOMPARE(LinkColour(window), kGreen);
        QVERIFY(window->findChildren<QMessageBox*>().isEmpty());

        // Only a full left click counts: a right click, or a press on the
        // link released elsewhere, opens nothing.
        QTest::mouseClick(link, Qt::RightButton);
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, Qt::NoModifier, QPoint(-20, 5));
        QCOMPARE(recorder_.opened.size(), 2);
        QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("Label24")), Qt::LeftButton);
        QCOMPARE(recorder_.opened.size(), 2);

        // A screen reader's press action is a click.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(link);
        QVERIFY(accessible != nullptr && accessible->actionInterface() != nullptr);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(recorder_.opened.size(), 3);
        QCOMPARE(recorder_.opened.at(2), QUrl(QStringLiteral(QUENBRIX_TEST_SITE_URL)));
    }

    void linkFailureIsReported() {
        AboutWindow* window = Open();
        QVERIFY(window != nullptr);
        const QPointer<AboutWindow> windowAlive(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // A handler that cannot be called makes the opener report failure.
        QDesktopServices::setUrlHandler(scheme_, &recorder_, "missing");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(".*missing.*")));
        QTest::mouseClick(Link(window), Qt::LeftButton);
        QDesktopServices::setUrlHandler(scheme_, &recorder_, "open");
        QVERIFY(recorder_.opened.isEmpty());

        // The failure is told, naming the address, without blocking, and
        // the About window stays.
        auto* box = window->findChild<QMessageBox*>(QStringLiteral("openFailure"));
        QVERIFY(box != nullptr);
        QVERIFY(box->isVisible());
        QCOMPARE(box->windowTitle(), QStringLiteral("Erreur"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QVERIFY(box->text().contains(AboutWindow::siteUrl().toString()));
        QVERIFY(box->text().startsWith(QStringLiteral("Impossible d'ouvrir")));
        box->close();
        Discard();
        QVERIFY(windowAlive && window->isVisible());
    }

    void reopenedWindowIsPink() {
        AboutWindow* first = Open();
        QVERIFY(first != nullptr);
        const QPointer<AboutWindow> firstAlive(first);
        QVERIFY(QTest::qWaitForWindowExposed(first));
        MoveTo(first, Link(first)->geometry().center());
        QCOMPARE(LinkColour(first), kGreen);
        auto* ok = first->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        QTest::mouseClick(ok, Qt::LeftButton);
        Discard();
        QVERIFY(firstAlive.isNull());

        AboutWindow* second = Open();
        QVERIFY(second != nullptr);
        const QPointer<AboutWindow> secondAlive(second);
        QCOMPARE(LinkColour(second), kPink);
        QVERIFY(!Link(second)->isCovered());
        QCOMPARE(second->geometry().topLeft(), QPoint(156, 129));
    }
};

QTEST_MAIN(AboutBehaviourTest)
#include "about_behaviour_test.moc"
