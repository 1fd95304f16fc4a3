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

QRect ToPixels(const forms::TwipsRect& place) {
    return {forms::TwipsToPixels(place.left), forms::TwipsToPixels(place.top),
            forms::TwipsToPixels(place.width), forms::TwipsToPixels(place.height)};
}

QPoint ToPixels(const forms::TwipsPoint& point) {
    return {forms::TwipsToPixels(point.x), forms::TwipsToPixels(point.y)};
}

Qt::Alignment ToAlignment(forms::TextAlign align) {
    switch (align) {
        case forms::TextAlign::Centre:
            return Qt::AlignHCenter;
        case forms::TextAlign::Right:
            return Qt::AlignRight;
        case forms::TextAlign::Left:
            break;
    }
    return Qt::AlignLeft;
}

QFont ProgramFont(const forms::FontSpec& spec) {
    QFont font = ProgramFont(forms::FontPixelsAt96Dpi(spec), spec.bold);
    font.setUnderline(spec.underline);
    return font;
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
