// The screenshot program as "make screenshots" runs it: both windows at
// 100 % and 200 %, the larger pictures drawn sharp rather than blown up.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool Run(const QString& folder, const QString& scale, QString* output) {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(QUENBRIX_SCREENSHOTS_TOOL), {folder});
    const bool ended = tool.waitForFinished(60000);
    *output = QString::fromLocal8Bit(tool.readAllStandardOutput() + tool.readAllStandardError());
    return ended && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

}  // namespace

class ScreenshotsTest : public QObject {
    Q_OBJECT

  private slots:
    void bothScales() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // A folder that does not exist yet, with a blank and an accent.
        const QString folder = dir.filePath(QStringLiteral("captures d'écran"));
        QString output;
        QVERIFY2(Run(folder, QStringLiteral("1"), &output), qPrintable(output));
        QVERIFY2(Run(folder, QStringLiteral("2"), &output), qPrintable(output));

        const QDir out(folder);
        const QImage main1(out.filePath(QStringLiteral("main-window.png")));
        const QImage main2(out.filePath(QStringLiteral("main-window@2x.png")));
        const QImage about1(out.filePath(QStringLiteral("about-window.png")));
        const QImage about2(out.filePath(QStringLiteral("about-window@2x.png")));
        QCOMPARE(main1.size(), QSize(335, 212));
        QCOMPARE(main2.size(), QSize(670, 424));
        QCOMPARE(about1.size(), QSize(376, 530));
        QCOMPARE(about2.size(), QSize(752, 1060));

        // The grid's first body cell starts at window pixel (113, 305): its
        // dark corner is one pixel at 100 %, two by two device pixels at
        // 200 %, with the background right outside it.
        const QRgb corner = about1.pixel(113, 305);
        QVERIFY(qGray(corner) < 160);
        QCOMPARE(about1.pixel(112, 305), qRgb(248, 248, 248));
        for (int dy = 0; dy < 2; ++dy) {
            for (int dx = 0; dx < 2; ++dx) {
                QCOMPARE(about2.pixel(226 + dx, 610 + dy), corner);
            }
        }
        QCOMPARE(about2.pixel(225, 610), qRgb(248, 248, 248));
        // The grey separator: one pixel, then two.
        QCOMPARE(about1.pixel(100, 467), qRgb(128, 128, 128));
        QCOMPARE(about2.pixel(200, 934), qRgb(128, 128, 128));
        QCOMPARE(about2.pixel(200, 935), qRgb(128, 128, 128));
        QCOMPARE(about2.pixel(200, 936), qRgb(255, 255, 255));

        // The program icon at 200 %: every picture pixel a block of two by
        // two device pixels, the same colour as at 100 %.
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb pixel = about1.pixel(17 + x, 17 + y);
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        QCOMPARE(about2.pixel(34 + 2 * x + dx, 34 + 2 * y + dy), pixel);
                    }
                }
            }
        }
        // "A propos": one flat grey face from top to bottom, no gradient,
        // left of its caption, at both scales.
        for (int y = 11; y <= 24; ++y) {
            QCOMPARE(main1.pixel(12, y), qRgb(224, 224, 224));
            QCOMPARE(main2.pixel(24, 2 * y), qRgb(224, 224, 224));
        }

        // A folder that cannot be made is reported, not passed over.
        QFile blocker(dir.filePath(QStringLiteral("fichier")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!Run(blocker.fileName() + QStringLiteral("/sous-dossier"), QStringLiteral("1"),
                     &output));
        QVERIFY2(output.contains(QStringLiteral("Impossible de créer le dossier")),
                 qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(ScreenshotsTest)
#include "screenshots_test.moc"
