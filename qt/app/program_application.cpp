#include "program_application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <array>
#include <exception>

#include "program_texts.h"
#include "quenbrix_version.h"
#include "ui_resources.h"

namespace {

// The program reads no command line: Qt gets the program's name alone, so
// that options such as -reverse, -style or -qwindowtitle change nothing.
struct NameOnly {
    int argc = 1;
    std::array<char*, 2> argv{};
};

NameOnly& nameOnlyArguments(int argc, char** argv) {
    static char fallback[] = "quenbrix";
    static NameOnly arguments;
    arguments.argv[0] = argc > 0 && argv[0] != nullptr ? argv[0] : fallback;
    return arguments;
}

}  // namespace

ProgramApplication::ProgramApplication(int& argc, char** argv)
    : QApplication(nameOnlyArguments(argc, argv).argc, nameOnlyArguments(argc, argv).argv.data()) {
    setApplicationName(QStringLiteral(QUENBRIX_PRODUCT_NAME));
    setApplicationVersion(QStringLiteral(QUENBRIX_VERSION));
    // Lets Wayland compositors find the menu entry and its icon.
    setDesktopFileName(QStringLiteral(QUENBRIX_APP_ID));
    if (qtTexts_.load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(&qtTexts_);
    }
}

bool ProgramApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
        failAndQuit(QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        failAndQuit(QStringLiteral("cause inconnue"));
    }
    return true;
}

void ProgramApplication::failAndQuit(const QString& description) {
    // One message is enough: events handled while it is open may fail too.
    const QString boxName = QStringLiteral("FatalFailureBox");
    bool alreadyShown = false;
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        alreadyShown = alreadyShown || (widget->objectName() == boxName && widget->isVisible());
    }
    if (!alreadyShown) {
        QMessageBox box(QMessageBox::Critical, ui::fromUtf8(forms::program_texts::kErrorTitle),
                        ui::fromUtf8(forms::program_texts::kFatalFailureStart) + description,
                        QMessageBox::Ok);
        box.setObjectName(boxName);
        box.exec();
    }
    QCoreApplication::exit(1);
}
