#include "ui_resources.h"

#include <QFontDatabase>
#include <QString>

namespace ui {
namespace {

const QString& ProgramFamily() {
    static const QString family = [] {
        QString name;
        for (const char* file :
             {":/fonts/LiberationSans-Regular.ttf", ":/fonts/LiberationSans-Bold.ttf"}) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
            if (id >= 0 && name.isEmpty()) {
                name = QFontDatabase::applicationFontFamilies(id).value(0);
            }
        }
        return name.isEmpty() ? QStringLiteral("Sans Serif") : name;
    }();
    return family;
}

}  // namespace

void LoadProgramFonts() {
    (void)ProgramFamily();
}

QFont ProgramFont(int pixelSize, bool bold) {
    QFont font(ProgramFamily());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QPixmap ProgramIconPixmap() {
    return QPixmap(QStringLiteral(":/pictures/quenbrix.xpm"));
}

QIcon ProgramIcon() {
    return QIcon(ProgramIconPixmap());
}

}  // namespace ui
