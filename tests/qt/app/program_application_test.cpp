// The application object: failures outside the "Créer" step end the program
// with a message naming them; Qt's own texts are French.
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <stdexcept>
#include <string>
#include <vector>

#include "main_window.h"
#include "program_application.h"
#include "test_support.h"
#include "ui_resources.h"

namespace {

// An object whose event handler fails the way a broken library would.
class FailingObject final : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            throw std::runtime_error("libcanberra.so.0 introuvable");
        }
        return QObject::event(event);
    }
};

// Runs the event loop until the program ends, or fails after 10 s.
int RunProgram() {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(10000);
    return QCoreApplication::exec();
}

}  // namespace

class ProgramApplicationTest final : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { ui::loadProgramFonts(); }

    void failureInAnEventHandlerEndsWithAMessage() {
        FailingObject failing;
        BoxWatcher boxes;
        QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
        QCOMPARE(RunProgram(), 1);
        QCOMPARE(boxes.count, 1);
        QCOMPARE(boxes.seen.title, QStringLiteral("Erreur"));
        QCOMPARE(boxes.seen.icon, QMessageBox::Critical);
        QVERIFY2(boxes.seen.text.contains(QStringLiteral("libcanberra.so.0 introuvable")),
                 qPrintable(boxes.seen.text));
    }

    void failingReplayEndsWithAMessage() {
        QTemporaryDir dir;
        RecordingPlayer player;
        player.failWith = "lecteur de son injoignable";
        MainWindow window(Folder(dir.path()), player);
        window.show();
        BoxWatcher boxes;
        QTimer::singleShot(0, &window, [&window] {
            window.findChild<QPushButton*>(QStringLiteral("cmdrejoue"))->click();
        });
        QCOMPARE(RunProgram(), 1);
        QCOMPARE(player.played.size(), 1);
        QCOMPARE(boxes.count, 1);
        QCOMPARE(boxes.seen.title, QStringLiteral("Erreur"));
        QVERIFY(boxes.seen.text.contains(QStringLiteral("lecteur de son injoignable")));
    }

    void ordinaryEventsEndNormally() {
        QObject plain;
        BoxWatcher boxes;
        QCoreApplication::postEvent(&plain, new QEvent(QEvent::User));
        QTimer::singleShot(50, qApp, [] { QCoreApplication::exit(0); });
        QCOMPARE(RunProgram(), 0);
        QCOMPARE(boxes.count, 0);
    }

    void carriesProductNameAndVersion() {
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quenbrix"));
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.00"));
    }

    // main() below hands the application Qt's own options: none may act.
    void commandLineChangesNothing() {
        QCOMPARE(QCoreApplication::arguments().size(), 1);
        QCOMPARE(QGuiApplication::layoutDirection(), Qt::LeftToRight);
        QVERIFY(QApplication::style()->name() != QLatin1String("windows"));
        QWidget window;
        window.setWindowTitle(QStringLiteral("Quenbrix"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowHandle()->title(), QStringLiteral("Quenbrix"));
        QVERIFY(window.geometry().size() != QSize(123, 45));
    }

    void qtTextsAreFrench() {
        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions()) {
            texts.append(action->text());
        }
        QVERIFY2(texts.join(QLatin1Char('|')).contains(QStringLiteral("Co&ller")),
                 qPrintable(texts.join(QLatin1Char('|'))));
    }
};

int main(int argc, char** argv) {
    std::vector<std::string> options{"-reverse", "-style",           "windows",   "-qwindowtitle",
                                     "Autre",    "-qwindowgeometry", "123x45+0+0"};
    std::vector<char*> withQtOptions(argv, argv + argc);
    for (std::string& option : options) {
        withQtOptions.push_back(option.data());
    }
    int count = static_cast<int>(withQtOptions.size());
    withQtOptions.push_back(nullptr);
    ProgramApplication application(count, withQtOptions.data());
    ProgramApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "program_application_test.moc"
