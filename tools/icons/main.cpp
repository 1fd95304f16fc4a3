// quenbrix_icons ART NAME DIR: writes the menu icons DIR/hicolor/NxN/apps/NAME.png
// and the Windows icon DIR/NAME.ico from the pixel art ART (XPM).
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTextStream>

#include "icon_set.h"

int main(int argc, char** argv) {
    QTextStream err(stderr);
    if (argc != 4) {
        err << "usage: quenbrix_icons ART NAME DIR\n";
        return 2;
    }
    const QString artPath = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const QDir out(QString::fromLocal8Bit(argv[3]));
    const QImage art(artPath);
    if (art.isNull()) {
        err << "cannot read the picture " << artPath << "\n";
        return 1;
    }
    for (const int size : icons::kMenuSizes) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        const QString file = out.filePath(folder + "/" + name + ".png");
        if (!out.mkpath(folder) || !icons::Scaled(art, size).save(file, "PNG")) {
            err << "cannot write " << file << "\n";
            return 1;
        }
    }
    QList<QImage> windowsImages;
    for (const int size : icons::kWindowsSizes) {
        windowsImages.append(icons::Scaled(art, size));
    }
    QFile ico(out.filePath(name + ".ico"));
    const QByteArray bytes = icons::IcoFile(windowsImages);
    if (!ico.open(QIODevice::WriteOnly | QIODevice::Truncate) || ico.write(bytes) != bytes.size() ||
        !ico.flush()) {
        err << "cannot write " << ico.fileName() << ": " << ico.errorString() << "\n";
        return 1;
    }
    return 0;
}
