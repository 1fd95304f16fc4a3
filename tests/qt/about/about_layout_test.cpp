// The About window as built: every control in its place, every
// text character for character, and every text fitting its label.
#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "about_form.h"
#include "about_window.h"
#include "link_label.h"
#include "ui_resources.h"

using about::AboutWindow;

namespace {

QRect Twips(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

const QString kSiteUrl = QStringLiteral(QUENBRIX_TEST_SITE_URL);

QString ExpectedHost() {
    return QUrl(kSiteUrl).host();
}

QString ExpectedDomain() {
    QString host = ExpectedHost();
    if (host.startsWith(QLatin1String("www."))) {
        host.remove(0, 4);
    }
    return host;
}

// Where a text lands in a label of the window: the label's own rectangle
// with its text wrapped the way the label draws it.
QRect TextRect(const QLabel* label) {
    const QFontMetrics metrics(label->font());
    return metrics.boundingRect(label->contentsRect(),
                                static_cast<int>(label->alignment()) | Qt::TextWordWrap,
                                label->text());
}

}  // namespace

class AboutLayoutTest : public QObject {
    Q_OBJECT

  private:
    AboutWindow* window_ = nullptr;

    QLabel* Label(const char* name) const {
        auto* label = window_->findChild<QLabel*>(QString::fromLatin1(name));
        if (label == nullptr) {
            qWarning("no label %s", name);
        }
        return label;
    }

  private slots:
    void init() {
        window_ = new AboutWindow();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }

    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    void window() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("À propos"));
        QCOMPARE(window_->objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(window_->size(), QSize(376, 530));
        QCOMPARE(window_->minimumSize(), QSize(376, 530));
        QCOMPARE(window_->maximumSize(), QSize(376, 530));
        QCOMPARE(window_->geometry().topLeft(), QPoint(156, 129));
        QVERIFY(window_->parentWidget() == nullptr);
        QVERIFY(!window_->isModal());
        QVERIFY(window_->testAttribute(Qt::WA_DeleteOnClose));
        const Qt::WindowFlags flags = window_->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        const QImage shot = window_->grab().toImage();
        QCOMPARE(shot.pixelColor(2, 2), QColor(Qt::white));
        QCOMPARE(shot.pixelColor(370, 300), QColor(Qt::white));
    }

    // Every label of the form where the form puts it, in its font; pixels
    // are twips / 15 and points * 96 / 72 at 100 %. The texts that depend on
    // the build's site settings are derived from those settings here.
    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<int>("horizontal");

        namespace form = forms::about_form;
        const auto add = [](const forms::Control& control, const QString& text) {
            const QString name = ui::fromUtf8(control.name);
            const forms::TwipsRect& p = control.place;
            QTest::newRow(qPrintable(name + QLatin1Char(' ') + text.left(12)))
                << name << Twips(p.left, p.top, p.width, p.height) << text
                << qRound(control.font.centiPoints / 100.0 * 96 / 72) << control.font.bold
                << control.font.underline
                << int(control.align == forms::TextAlign::Centre ? Qt::AlignHCenter
                                                                 : Qt::AlignLeft);
        };
        for (const forms::Control* label :
             {&form::kLabel1, &form::kLabel21, &form::kLabel26, &form::kLabel19, &form::kLabel25,
              &form::kLabel2, &form::kLabel27, &form::kLabel28, &form::kLabel24}) {
            add(*label, ui::fromUtf8(label->text));
        }
        add(form::kLabel20, ui::fromUtf8(form::kReplacedFilesTextStart) + ExpectedDomain());
        add(form::kLabel23, QString::fromUtf8(QUENBRIX_TEST_AUTHOR) + QStringLiteral(" 2006"));
        add(form::kLblqimbo, QLatin1Char(' ') + ExpectedHost());
        // The keys lie over the grid, centred in their cells.
        for (std::size_t i = 0; i < tonegen::kDtmfKeys.size(); ++i) {
            const form::KeyLabel key = form::KeyLabelAt(i);
            add(forms::Control{key.name,
                               forms::ControlKind::Label,
                               key.place,
                               {},
                               key.font,
                               forms::TextAlign::Centre},
                QString(QLatin1Char(key.key)));
        }
    }

    void controls() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(QString, text);
        QFETCH(int, pixelSize);
        QFETCH(bool, bold);
        QFETCH(bool, underline);
        QFETCH(int, horizontal);

        auto* label = window_->findChild<QLabel*>(name);
        QVERIFY(label != nullptr);
        QCOMPARE(label->geometry(), place);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->font().pixelSize(), pixelSize);
        QCOMPARE(label->font().bold(), bold);
        QCOMPARE(label->font().underline(), underline);
        QCOMPARE(static_cast<int>(label->alignment() & Qt::AlignHorizontal_Mask), horizontal);
        QVERIFY(label->wordWrap());
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);

        // Wrapped at word boundaries, the whole text must lie inside the
        // label, else its end would be cut off. A single line may lose the
        // bottom of its line box (the "*" is taller than its label) as long
        // as the characters themselves show whole.
        const QRect used = TextRect(label);
        const QFontMetrics metrics(label->font());
        const bool fits =
            label->contentsRect().contains(used) ||
            (used.height() < 2 * metrics.lineSpacing() && used.width() <= label->width() &&
             metrics.ascent() + metrics.tightBoundingRect(text).bottom() < label->height());
        QVERIFY2(fits, qPrintable(QStringLiteral("text needs %1 x %2 at %3,%4")
                                      .arg(used.width())
                                      .arg(used.height())
                                      .arg(used.x())
                                      .arg(used.y())));
        // The front-most control at the label's text is the label itself.
        QCOMPARE(window_->childAt(label->geometry().topLeft() + used.center()), label);
    }

    void partlyCoveredLabelStaysReadable() {
        // The link lies over the end of "Visitez le site ": the words must
        // end before it.
        QLabel* visit = Label("Label24");
        QLabel* link = Label("lblqimbo");
        QVERIFY(visit && link);
        QVERIFY(visit->geometry().intersects(link->geometry()));
        const QFontMetrics metrics(visit->font());
        const int wordsEnd = visit->x() + metrics.boundingRect(visit->text().trimmed()).right();
        QVERIFY2(wordsEnd < link->x(), qPrintable(QString::number(wordsEnd)));
        QCOMPARE(window_->childAt(link->x() + 2, link->y() + 8), link);
        QCOMPARE(window_->childAt(link->x() - 2, link->y() + 8), visit);
    }

    void keysInsideTheirCells() {
        QWidget* grid = window_->findChild<QWidget*>(QStringLiteral("Image1"));
        QVERIFY(grid != nullptr);
        const forms::TwipsRect& image = forms::about_form::kImage1.place;
        QCOMPARE(grid->geometry(), Twips(image.left, image.top, image.width, image.height));
        QCOMPARE(grid->geometry().size(), QSize(250, 111));
        namespace picture = forms::about_form::grid;
        for (std::size_t i = 0; i < tonegen::kDtmfKeys.size(); ++i) {
            QLabel* key = Label(qPrintable(QStringLiteral("Label%1").arg(i + 3)));
            QVERIFY(key != nullptr);
            // The inside of the cell box, in window pixels.
            const picture::PixelRect box =
                picture::Box(picture::kColumns[i % 4], picture::kRows[i / 4]);
            const QRect cell = QRect(box.left + 1, box.top + 1, box.width - 2, box.height - 2)
                                   .translated(grid->pos());
            // The ink of the character as the label draws it: centred across
            // the label, on the first line's baseline.
            const QFontMetrics metrics(key->font());
            const QRect ink = metrics.tightBoundingRect(key->text());
            const int penX = key->x() + (key->width() - metrics.horizontalAdvance(key->text())) / 2;
            const QRect placed = ink.translated(penX, key->y() + metrics.ascent());
            QVERIFY2(cell.contains(placed), qPrintable(key->text()));
            // The key label lies in front of the picture.
            QCOMPARE(window_->childAt(placed.center()), key);
        }
    }

    void iconBoxAndButton() {
        auto* icon = window_->findChild<QLabel*>(QStringLiteral("picIcon"));
        QVERIFY(icon != nullptr);
        QCOMPARE(icon->geometry(), Twips(240, 240, 510, 510));
        QCOMPARE(icon->geometry().size(), QSize(34, 34));
        QCOMPARE(icon->lineWidth(), 1);
        // The 32 x 32 picture starts just inside the one-pixel frame.
        QCOMPARE(icon->contentsRect(), QRect(1, 1, 32, 32));
        QCOMPARE(icon->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QCOMPARE(icon->pixmap().size(), QSize(32, 32));
        // On screen: the frame line, then the picture from the first pixel
        // inside it, over the box's own background.
        const QImage shot = window_->grab().toImage();
        const QImage picture = icon->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QVERIFY(qGray(shot.pixel(16, 16)) < 128);
        QVERIFY(qGray(shot.pixel(49, 49)) < 128);
        int opaque = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb expected = picture.pixel(x, y);
                const QRgb seen = shot.pixel(17 + x, 17 + y);
                if (qAlpha(expected) == 255) {
                    ++opaque;
                    QCOMPARE(seen, expected);
                } else if (qAlpha(expected) == 0) {
                    QCOMPARE(QColor(seen), icon->palette().color(QPalette::Base));
                }
            }
        }
        QVERIFY2(opaque > 100, "the icon box shows no picture");

        auto* ok = window_->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        QVERIFY(ok != nullptr);
        QCOMPARE(ok->geometry(), Twips(4800, 240, 780, 345));
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QCOMPARE(ok->font().pixelSize(), 11);
        QVERIFY(!ok->font().bold());
    }

    void linkLook() {
        auto* link = window_->findChild<about::LinkLabel*>(QStringLiteral("lblqimbo"));
        QVERIFY(link != nullptr);
        QVERIFY(link->autoFillBackground());
        QCOMPARE(link->palette().color(QPalette::Window), QColor(255, 192, 192));
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 192));
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        // The pink shows where the label lies, with the blue text on it.
        const QImage shot = window_->grab().toImage();
        const QRect r = link->geometry();
        QCOMPARE(shot.pixelColor(r.right() - 1, r.bottom() - 1), QColor(255, 192, 192));
        bool blue = false;
        for (int x = r.left(); x <= r.right() && !blue; ++x) {
            for (int y = r.top(); y <= r.bottom() && !blue; ++y) {
                const QColor c = shot.pixelColor(x, y);
                blue = c.blue() > 150 && c.red() < 100 && c.green() < 100;
            }
        }
        QVERIFY2(blue, "no blue text on the link");
    }

    void separatorLines() {
        // Only the grey line shows; the white one under it vanishes on the
        // white background and must not paint over the grey one.
        const QImage shot = window_->grab().toImage();
        for (const int x : {8, 100, 367}) {
            QCOMPARE(shot.pixelColor(x, 467), QColor(128, 128, 128));
            QCOMPARE(shot.pixelColor(x, 466), QColor(Qt::white));
            QCOMPARE(shot.pixelColor(x, 468), QColor(Qt::white));
            QCOMPARE(shot.pixelColor(x, 469), QColor(Qt::white));
        }
        QCOMPARE(shot.pixelColor(7, 467), QColor(Qt::white));
        QCOMPARE(shot.pixelColor(369, 467), QColor(Qt::white));
        // Lines are no controls.
        QCOMPARE(window_->childAt(100, 467), nullptr);
    }

    void focusAndTabOrder() {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        auto* ok = window_->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        auto* icon = window_->findChild<QLabel*>(QStringLiteral("picIcon"));
        QCOMPARE(QApplication::focusWidget(), ok);
        const QImage iconWithout = icon->grab().toImage();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), icon);
        QVERIFY2(icon->grab().toImage() != iconWithout, "the icon box shows no focus");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ok);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), icon);
    }

    void accessibleNames() {
        auto* ok = window_->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(ok);
        QVERIFY(button != nullptr);
        QCOMPARE(button->text(QAccessible::Name), QStringLiteral("OK"));
        QCOMPARE(button->role(), QAccessible::Button);

        // Named as it reads, leading to the site.
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(Label("lblqimbo"));
        QVERIFY(link != nullptr);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), ExpectedHost());
        QCOMPARE(QUrl(link->text(QAccessible::Description)), QUrl(kSiteUrl));
        QVERIFY(link->actionInterface() != nullptr);
        QCOMPARE(link->actionInterface()->actionNames(),
                 QStringList{QAccessibleActionInterface::pressAction()});

        QCOMPARE(QAccessible::queryAccessibleInterface(window_)->role(), QAccessible::Dialog);
        // The grid is a 4 x 4 table; each cell lies under the key label
        // that shows its key, and reads that key first.
        QAccessibleInterface* grid =
            QAccessible::queryAccessibleInterface(window_->findChild<QWidget*>("Image1"));
        QCOMPARE(grid->role(), QAccessible::Table);
        QAccessibleTableInterface* table = grid->tableInterface();
        QVERIFY(table != nullptr);
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(table->columnCount(), 4);
        int keys = 0;
        for (const QLabel* key : window_->findChildren<QLabel*>()) {
            const QPoint centre = key->mapToGlobal(key->rect().center());
            if (key->text().size() != 1 || !grid->rect().contains(centre)) {
                continue;
            }
            QAccessibleInterface* cell = grid->childAt(centre.x(), centre.y());
            QVERIFY2(cell != nullptr && cell->tableCellInterface() != nullptr,
                     qPrintable(key->text()));
            QVERIFY2(cell->text(QAccessible::Name).startsWith(key->text() + QStringLiteral(" : ")),
                     qPrintable(cell->text(QAccessible::Name)));
            QAccessibleTableCellInterface* place = cell->tableCellInterface();
            QCOMPARE(table->cellAt(place->rowIndex(), place->columnIndex()), cell);
            QCOMPARE(place->columnHeaderCells().size(), 1);
            QCOMPARE(place->rowHeaderCells().size(), 1);
            ++keys;
        }
        QCOMPARE(keys, 16);
        QAccessibleInterface* icon =
            QAccessible::queryAccessibleInterface(window_->findChild<QWidget*>("picIcon"));
        QVERIFY(!icon->text(QAccessible::Name).isEmpty());
    }
};

QTEST_MAIN(AboutLayoutTest)
#include "about_layout_test.moc"
