// Both windows together: "A propos" opens the About window from the main
// window, neither owns the other, and the program runs until the last of
// them has closed, whichever closes first.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <vector>

#include "about_window.h"
#include "main_window.h"
#include "sound_player.h"

namespace {

class RecordingPlayer final : public SoundPlayer {
  public:
    void play(const std::filesystem::path& path) override { played.push_back(path); }
    std::vector<std::filesystem::path> played;
};

QWidget* OpenAboutWindow() {
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("frmAbout") && w->isVisible()) {
            if (found != nullptr) {
                return nullptr;  // more than one is a fault too
            }
            found = w;
        }
    }
    return found;
}

}  // namespace

class WithMainWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir folder_;

  private slots:
    void initTestCase() { QVERIFY(folder_.isValid()); }

    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            w->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void aProposOpensOneWindowWithoutOwner() {
        RecordingPlayer player;
        MainWindow main(QFile::encodeName(folder_.path()).toStdString(), player);
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        auto* aide = main.findChild<QPushButton*>(QStringLiteral("CmdAide"));
        QVERIFY(aide != nullptr);
        QTest::mouseClick(aide, Qt::LeftButton);
        QWidget* about = OpenAboutWindow();
        QVERIFY(about != nullptr);
        QVERIFY(about->parentWidget() == nullptr);
        QVERIFY(!about->isModal());
        QTest::mouseClick(aide, Qt::LeftButton);
        QCOMPARE(OpenAboutWindow(), about);

        // The main window stays usable beside it and can come in front.
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QVERIFY(about->isVisible());
        auto* replay = main.findChild<QPushButton*>(QStringLiteral("cmdrejoue"));
        QVERIFY(replay != nullptr);
        QTest::mouseClick(replay, Qt::LeftButton);
        QCOMPARE(player.played.size(), 1);
        QVERIFY(player.played.front() == main.toneFilePath());
    }

    void programEndsAfterTheLastWindow_data() {
        QTest::addColumn<bool>("mainFirst");
        QTest::newRow("main window closed first") << true;
        QTest::newRow("About window closed first") << false;
    }

    void programEndsAfterTheLastWindow() {
        QFETCH(bool, mainFirst);
        QVERIFY(QApplication::quitOnLastWindowClosed());
        RecordingPlayer player;
        auto* main = new MainWindow(QFile::encodeName(folder_.path()).toStdString(), player);
        main->setAttribute(Qt::WA_DeleteOnClose);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QTest::mouseClick(main->findChild<QPushButton*>(QStringLiteral("CmdAide")), Qt::LeftButton);
        QPointer<QWidget> about = OpenAboutWindow();
        QVERIFY(about);
        QPointer<QWidget> mainAlive = main;

        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        bool othersOpenAfterFirst = false;
        bool runningAfterFirst = false;
        // The event loop is the program's: it must end by itself once both
        // windows are closed, and not before.
        // Timers die with this object, so none outlives the locals it uses.
        QObject steps;
        QTimer::singleShot(0, &steps, [&] {
            QWidget* first = mainFirst ? static_cast<QWidget*>(mainAlive) : about.data();
            QWidget* second = mainFirst ? about.data() : static_cast<QWidget*>(mainAlive);
            first->close();
            QTimer::singleShot(50, &steps, [&, second] {
                othersOpenAfterFirst = second->isVisible() && lastClosed.isEmpty();
                runningAfterFirst = true;
                second->close();
            });
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(7); });
        watchdog.start(5000);

        const int status = QCoreApplication::exec();
        QCOMPARE(status, 0);
        QVERIFY2(runningAfterFirst, "the program ended with the first window");
        QVERIFY(othersOpenAfterFirst);
        QCOMPARE(lastClosed.count(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(about.isNull());
        QVERIFY(mainAlive.isNull());
    }
};

QTEST_MAIN(WithMainWindowTest)
#include "with_main_window_test.moc"
