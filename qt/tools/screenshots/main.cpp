// quenbrix_screenshots DIR: writes the client areas of the program's windows
// into DIR as PNG, named main-window.png and about-window.png, or with "@2x"
// before the extension when run at twice the scale (QT_SCALE_FACTOR=2).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTextStream>
#include <cmath>

#include "about_window.h"
#include "main_window.h"
#include "silent_player.h"
#include "ui_resources.h"

namespace {

bool save(QWidget& window, const QDir& folder, const QString& name, QTextStream& err) {
    window.show();
    QCoreApplication::processEvents();
    const QPixmap shot = window.grab();
    const long ratio = std::lround(shot.devicePixelRatio());
    const QString file =
        folder.filePath(ratio > 1 ? QStringLiteral("%1@%2x.png").arg(name).arg(ratio)
                                  : QStringLiteral("%1.png").arg(name));
    if (!shot.save(file, "PNG")) {
        err << "Impossible d'écrire " << QDir::toNativeSeparators(file) << ".\n";
        return false;
    }
    QTextStream(stdout) << QDir::toNativeSeparators(file) << " (" << shot.width() << " x "
                        << shot.height() << ")\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        err << "Usage : quenbrix_screenshots DOSSIER\n";
        return 2;
    }
    const QDir folder(args.at(1));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        err << "Impossible de créer le dossier " << QDir::toNativeSeparators(folder.path())
            << ".\n";
        return 1;
    }
    ui::loadProgramFonts();

    // The main window as it starts; its folder is never written to, since
    // no tone is made.
    SilentPlayer player;
    MainWindow main(QFile::encodeName(QDir::tempPath()).toStdString(), player);
    about::AboutWindow about;
    const bool saved = save(main, folder, QStringLiteral("main-window"), err) &&
                       save(about, folder, QStringLiteral("about-window"), err);
    return saved ? 0 : 1;
}
