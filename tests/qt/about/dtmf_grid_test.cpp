// The grid picture, checked pixel by pixel against its drawing rules at 100 %
// and 200 %, at the boxes' places that the forms give.
#include <QApplication>
#include <QImage>
#include <QTest>

#include "about_form.h"
#include "dtmf_grid.h"

using about::DtmfGrid;

namespace {

const QRgb kBackground = qRgb(248, 248, 248);
const QRgb kBand = qRgb(210, 208, 201);
const QRgb kShadow = qRgb(128, 128, 128);

namespace grid = forms::about_form::grid;
const grid::Span* const kColumns = grid::kColumns.data();
const grid::Span* const kRows = grid::kRows.data();
const grid::Span kHeaderColumn = grid::kHeaderColumn;
const grid::Span kHeaderRow = grid::kHeaderRow;

// A logical pixel of an image drawn at a device pixel ratio; at 2x every
// device pixel of the logical one must agree, or the picture is blurred.
QRgb Logical(const QImage& image, int x, int y) {
    const int ratio = static_cast<int>(image.devicePixelRatio());
    const QRgb first = image.pixel(x * ratio, y * ratio);
    for (int dy = 0; dy < ratio; ++dy) {
        for (int dx = 0; dx < ratio; ++dx) {
            if (image.pixel(x * ratio + dx, y * ratio + dy) != first) {
                return qRgba(0, 0, 0, 0);  // never a colour of the picture
            }
        }
    }
    return first;
}

bool IsDark(QRgb c) {
    return qGray(c) < 64;
}

}  // namespace

class DtmfGridTest : public QObject {
    Q_OBJECT

  private slots:
    void picture_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("200 %") << 2.0;
    }

    void picture() {
        QFETCH(qreal, ratio);
        const QImage image = DtmfGrid::renderImage(ratio);
        QCOMPARE(image.devicePixelRatio(), ratio);
        QCOMPARE(image.size(), QSize(250, 111) * ratio);

        // Bands: beige along the left and top, grey shadow along the right
        // and bottom, each three pixels, then the background.
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(Logical(image, i, 60), kBand);
            QCOMPARE(Logical(image, 120, i), kBand);
            QCOMPARE(Logical(image, 249 - i, 60), kShadow);
            QCOMPARE(Logical(image, 120, 110 - i), kShadow);
        }
        QCOMPARE(Logical(image, 3, 60), kBackground);
        QCOMPARE(Logical(image, 120, 3), kBackground);
        QCOMPARE(Logical(image, 246, 60), kBackground);
        QCOMPARE(Logical(image, 120, 107), kBackground);

        // The corner left of the header row and above the header column has
        // no box and no text.
        for (int y = kHeaderRow.first; y <= kHeaderRow.last; ++y) {
            for (int x = kHeaderColumn.first; x <= kHeaderColumn.last; ++x) {
                QCOMPARE(Logical(image, x, y), kBackground);
            }
        }
    }

    void boxes_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<bool>("header");
        for (const qreal ratio : {1.0, 2.0}) {
            const QByteArray scale = ratio > 1 ? " @2x" : "";
            for (int c = 0; c < 4; ++c) {
                QTest::addRow("header column %d%s", c, scale.constData())
                    << ratio << kColumns[c].first << kHeaderRow.first << kColumns[c].last
                    << kHeaderRow.last << true;
            }
            for (int r = 0; r < 4; ++r) {
                QTest::addRow("header row %d%s", r, scale.constData())
                    << ratio << kHeaderColumn.first << kRows[r].first << kHeaderColumn.last
                    << kRows[r].last << true;
                for (int c = 0; c < 4; ++c) {
                    QTest::addRow("cell %d,%d%s", r, c, scale.constData())
                        << ratio << kColumns[c].first << kRows[r].first << kColumns[c].last
                        << kRows[r].last << false;
                }
            }
        }
    }

    void boxes() {
        QFETCH(qreal, ratio);
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, right);
        QFETCH(int, bottom);
        QFETCH(bool, header);
        const QImage image = DtmfGrid::renderImage(ratio);

        // Outline: darker on top and left than on bottom and right, and
        // background just outside it.
        const QRgb topLeft = Logical(image, left, top);
        const QRgb bottomRight = Logical(image, right, bottom);
        QVERIFY(qAlpha(topLeft) == 255 && qAlpha(bottomRight) == 255);
        QVERIFY2(qGray(topLeft) < qGray(bottomRight), "the box is not sunken");
        QVERIFY(qGray(bottomRight) < qGray(kBackground));
        for (int x = left; x < right; ++x) {
            QCOMPARE(Logical(image, x, top), topLeft);
            QCOMPARE(Logical(image, x + 1, bottom), bottomRight);
        }
        for (int y = top; y < bottom; ++y) {
            QCOMPARE(Logical(image, left, y), topLeft);
            QCOMPARE(Logical(image, right, y + 1), bottomRight);
        }
        QCOMPARE(Logical(image, left - 1, (top + bottom) / 2), kBackground);
        QCOMPARE(Logical(image, right + 1, (top + bottom) / 2), kBackground);
        QCOMPARE(Logical(image, (left + right) / 2, top - 1), kBackground);
        QCOMPARE(Logical(image, (left + right) / 2, bottom + 1), kBackground);

        // Body cells are empty, the keys are labels of the window; header
        // cells hold black text that stays inside the box.
        int dark = 0;
        for (int y = top + 1; y < bottom; ++y) {
            for (int x = left + 1; x < right; ++x) {
                const int ratioInt = static_cast<int>(ratio);
                for (int d = 0; d < ratioInt * ratioInt; ++d) {
                    const QRgb device =
                        image.pixel(x * ratioInt + d % ratioInt, y * ratioInt + d / ratioInt);
                    if (!header) {
                        QCOMPARE(device, kBackground);
                    } else if (IsDark(device)) {
                        ++dark;
                    }
                }
            }
        }
        if (header) {
            QVERIFY2(dark > 20 * ratio * ratio, "no header text in the box");
        }
    }
};

QTEST_MAIN(DtmfGridTest)
#include "dtmf_grid_test.moc"
