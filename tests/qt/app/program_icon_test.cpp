// The program icon and the carried face: what both windows take from the
// shared resources.
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QSet>
#include <QTest>

#include "ui_resources.h"

class ProgramIconTest final : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { ui::loadProgramFonts(); }

    void iconIsA16ColourTelephoneOnTransparency() {
        const QImage icon =
            ui::programIconPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(32, 32));
        QSet<QRgb> colours;
        int yellow = 0;
        int black = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb pixel = icon.pixel(x, y);
                colours.insert(pixel);
                if (qAlpha(pixel) == 255 && qRed(pixel) > 200 && qGreen(pixel) > 200 &&
                    qBlue(pixel) < 80) {
                    ++yellow;
                }
                black += (pixel == qRgb(0, 0, 0)) ? 1 : 0;
            }
        }
        QVERIFY2(colours.size() <= 16, qPrintable(QString::number(colours.size())));
        QVERIFY(yellow > 200);  // mostly a yellow body
        QVERIFY(black > 100);   // outline and keys
        // the surround is transparent: corners and the edges' middles
        for (const QPoint p : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31),
                               QPoint(15, 0), QPoint(0, 15), QPoint(31, 15)}) {
            QCOMPARE(qAlpha(icon.pixel(p)), 0);
        }
        QVERIFY(!ui::programIcon().isNull());
    }

    // Nine black keys in three rows of three, inside the yellow body.
    void keypadHasThreeByThreeKeys() {
        const QImage icon =
            ui::programIconPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        auto isKey = [&icon](int x, int y) { return icon.pixel(x, y) == qRgb(0, 0, 0); };
        // Count runs of black pixels along each row of the body, away from
        // the outline, and the rows that carry keys.
        QList<int> keyRows;
        for (int y = 14; y < 27; ++y) {
            int runs = 0;
            for (int x = 8; x < 24; ++x) {
                if (isKey(x, y) && !isKey(x - 1, y)) {
                    ++runs;
                }
            }
            if (runs > 0) {
                QCOMPARE(runs, 3);
                if (keyRows.isEmpty() || keyRows.last() != y - 1) {
                    keyRows.append(y);
                } else {
                    keyRows.last() = y;
                }
            }
        }
        QCOMPARE(keyRows.size(), 3);
    }

    void carriedFaceIsUsed() {
        const QFont font = ui::programFont(11, true);
        QCOMPARE(font.pixelSize(), 11);
        QVERIFY(font.bold());
        QVERIFY(QFontDatabase::families().contains(QFontInfo(font).family()));
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(ui::toPixels(forms::TwipsRect{1080, 600, 855, 405}), QRect(72, 40, 57, 27));
        QCOMPARE(forms::TwipsToPixelsAt96Dpi(2900), 193);
        QCOMPARE(forms::TwipsToPixelsAtDpi(2900, 192), 387);  // 200 %: rounded, not twice 193
    }
};

QTEST_MAIN(ProgramIconTest)
#include "program_icon_test.moc"
