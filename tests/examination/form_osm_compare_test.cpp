#include "form_osm_compare.h"
#include "laptopscreen.h"

#include "clinicfixture.h"
#include "form_osm_img.h"
#include "layoutaudit.h"
#include "photobox.h"
#include "programfolder.h"
#include "table.h"
#include "windowfit.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QWheelEvent>

#include <QtTest>

using namespace pelorin;
using namespace pelorin::examination;

namespace {

constexpr QSize kPhotoSize{400, 300};

// Patient with card 1234: an examination of 10.01.2025 with a blue photo, one of 01.02.2025
// (SCORAD 42) with a green and a yellow photo, and the current one of 01.03.2025 (PASI 3,6) with
// a red and a magenta photo, the red one in the photo box. All photos are 400 x 300.
struct CompareClinic : testing::ClinicFixture
{
    QTemporaryDir program;
    std::unique_ptr<PhotoBox> box;
    qint64 january = 0;
    qint64 current = 0;

    CompareClinic()
    {
        folder::setRoot(program.path());
        QDir(program.path()).mkpath(QStringLiteral("foto/1234"));
        append(reg(), {{"Last_Name", QStringLiteral("Сравнёнов")}, {"Amb_karta", 1234}});
        january = exam(QDate(2025, 1, 10));
        photo(QStringLiteral("blue.jpg"), Qt::blue);
        exam(QDate(2025, 2, 1), {{"B1", 30}, {"B2", 2}, {"B3", 2}, {"B4", 1}, {"B5", 1}, {"B6", 1}, {"B7", 1},
                                 {"B8", 5}, {"B9", 3}});
        photo(QStringLiteral("green.jpg"), Qt::green);
        photo(QStringLiteral("yellow.jpg"), Qt::yellow);
        current = exam(QDate(2025, 3, 1), {{"Bb41", 2}, {"Bb42", 1}, {"Bb43", 1}, {"Bb44", 3}});
        photo(QStringLiteral("red.jpg"), Qt::red);
        photo(QStringLiteral("magenta.jpg"), Qt::magenta);
        photos().first();
        box = std::make_unique<PhotoBox>(*dm1, *dm2);
        box->resize(box->sizeHint());
        box->show();
    }
    ~CompareClinic()
    {
        box.reset();
        folder::setRoot(QString());
    }

    db::Table &exams() { return *dm2->osmotr1; }
    db::Table &photos() { return *dm2->osmotr_img; }
    qint64 exam(const QDate &date, const QVariantMap &fields = {})
    {
        QVariantMap all = fields;
        all.insert(QStringLiteral("Date"), date);
        append(exams(), all);
        return exams().asInteger("ID");
    }
    // A photo of the current examination; colour Qt::transparent leaves its file unwritten.
    void photo(const QString &name, QColor colour)
    {
        if (colour != Qt::transparent) {
            QImage image(kPhotoSize, QImage::Format_RGB32);
            image.fill(colour);
            if (!image.save(program.filePath(QStringLiteral("foto/1234/") + name), "JPG", 95))
                qFatal("cannot write %s", qPrintable(name));
        }
        append(photos(), {{"Link", QString(QStringLiteral("foto\\1234\\") + name)}});
    }

    QPushButton *compareButton() const { return box->findChild<QPushButton *>(QStringLiteral("ButtonCompare")); }
    // Opens the window by the box's button, laid out as it opens.
    Form_osm_compare *open()
    {
        QPushButton *b = compareButton();
        if (!b || !b->isEnabled())
            return nullptr;
        QTest::mouseClick(b, Qt::LeftButton);
        Form_osm_compare *w = box->compareWindow();
        if (!QTest::qWaitForWindowExposed(w))
            return nullptr;
        QCoreApplication::processEvents();
        return w;
    }
};

template<typename T = QWidget>
T *child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QString::fromLatin1(name));
}

// The colour in the middle of a pane's picture, by its strongest channels.
QString colourOf(const ComparePane *pane)
{
    const QImage &image = pane->image();
    if (image.isNull())
        return QStringLiteral("none");
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    const bool r = c.red() > 150, g = c.green() > 150, b = c.blue() > 150;
    if (r && g && !b)
        return QStringLiteral("yellow");
    if (r && b && !g)
        return QStringLiteral("magenta");
    return r ? QStringLiteral("red") : g ? QStringLiteral("green") : b ? QStringLiteral("blue") : QStringLiteral("?");
}

// The picture point at a pane's centre, as fractions of the picture.
QPointF centreOf(const ComparePane *pane)
{
    const QRectF r = pane->pictureRect();
    return {(pane->width() / 2.0 - r.x()) / r.width(), (pane->height() / 2.0 - r.y()) / r.height()};
}

void wheel(QWidget *w, int notches, QPointF at = {})
{
    if (at.isNull())
        at = QPointF(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

void drag(QWidget *w, QPoint by)
{
    const QPoint from = w->rect().center();
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + by), w->mapToGlobal(QPointF(from + by)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, Qt::LeftButton, {}, from + by);
}

} // namespace

class FormOsmCompareTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttonFollowsTheCurrentExaminationsPhotos();
    void opensWithTheBoxsPhotoBesideTheNearestEarlierOne();
    void thumbnailClickChangesTheRightSide();
    void missingFilesAreSaidSo();
    void noEarlierExaminationIsSaidSo();
    void bothSidesMoveTogether_data();
    void bothSidesMoveTogether();
    void differentSizesAreLinedUpByFractions();
    void wheelKeepsThePointUnderTheMouse();
    void everyWayOfClosingTakesTheSameSteps_data();
    void everyWayOfClosingTakesTheSameSteps();
    void fitsTheSmallestScreen();
    void screenshot();
};

void FormOsmCompareTest::buttonFollowsTheCurrentExaminationsPhotos()
{
    CompareClinic c;
    QPushButton *b = c.compareButton();
    QVERIFY(b);
    QCOMPARE(b->text(), QStringLiteral("Сравнить"));
    QVERIFY(b->isEnabled());
    c.exam(QDate(2025, 3, 5));
    QVERIFY(!b->isEnabled());
    // A photo whose file is gone is still compared.
    c.photo(QStringLiteral("gone.jpg"), Qt::transparent);
    QVERIFY(b->isEnabled());
    c.photos().deleteRecord();
    QVERIFY(!b->isEnabled());
    c.exams().first();
    QVERIFY(b->isEnabled());
}

void FormOsmCompareTest::opensWithTheBoxsPhotoBesideTheNearestEarlierOne()
{
    CompareClinic c;
    Form_osm_compare *w = c.open();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QVERIFY(w->isModal());
    QCOMPARE(w->objectName(), QStringLiteral("Form_osm_compare"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Пелорин. Сравнение снимков."));
    QCOMPARE(colourOf(w->currentPane()), QStringLiteral("red"));
    QCOMPARE(colourOf(w->earlierPane()), QStringLiteral("yellow"));
    QCOMPARE(child<QLabel>(w, "LabelCurrent")->text(),
             QStringLiteral("Текущий осмотр 01.03.2025: SCORAD — · PASI 3,6"));
    QCOMPARE(child<QLabel>(w, "LabelEarlier")->text(),
             QStringLiteral("Прежний осмотр 01.02.2025: SCORAD 42 · PASI —"));
    auto *strip = child<QListWidget>(w, "ThumbStrip");
    QVERIFY(strip);
    QCOMPARE(strip->viewMode(), QListView::IconMode);
    QCOMPARE(strip->flow(), QListView::LeftToRight);
    QStringList labels;
    for (int i = 0; i < strip->count(); ++i)
        labels << strip->item(i)->text();
    QCOMPARE(labels, (QStringList{QStringLiteral("10.01.2025\nSCORAD — · PASI —"),
                                  QStringLiteral("01.02.2025\nSCORAD 42 · PASI —"),
                                  QStringLiteral("01.02.2025\nSCORAD 42 · PASI —")}));
    QCOMPARE(strip->currentRow(), 2);
    const std::pair<const char *, const char *> buttons[] = {
        {"ButtonZoomIn", "Крупнее"}, {"ButtonZoomOut", "Мельче"}, {"ButtonFit", "По размеру окна"},
        {"ButtonClose", "Закрыть"}};
    for (const auto &[name, text] : buttons)
        QCOMPARE(child<QPushButton>(w, name)->text(), QString::fromUtf8(text));
    QVERIFY(!w->currentPane()->toolTip().isEmpty());

    // The photo box's cursors stayed where they were; the next opening follows the box.
    QCOMPARE(c.exams().asInteger("ID"), c.current);
    QCOMPARE(c.photos().recNo(), 1);
    w->reject();
    c.photos().last();
    w = c.open();
    QCOMPARE(colourOf(w->currentPane()), QStringLiteral("magenta"));
}

void FormOsmCompareTest::thumbnailClickChangesTheRightSide()
{
    CompareClinic c;
    Form_osm_compare *w = c.open();
    QVERIFY(w);
    auto *strip = child<QListWidget>(w, "ThumbStrip");
    const std::pair<int, const char *> clicks[] = {{0, "blue"}, {1, "green"}, {2, "yellow"}};
    for (const auto &[row, colour] : clicks) {
        QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->visualItemRect(strip->item(row)).center());
        QCOMPARE(w->pickedPhoto(), row);
        QCOMPARE(colourOf(w->earlierPane()), QLatin1String(colour));
        QCOMPARE(colourOf(w->currentPane()), QStringLiteral("red"));
    }
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->visualItemRect(strip->item(0)).center());
    QCOMPARE(child<QLabel>(w, "LabelEarlier")->text(),
             QStringLiteral("Прежний осмотр 10.01.2025: SCORAD — · PASI —"));
}

void FormOsmCompareTest::missingFilesAreSaidSo()
{
    CompareClinic c;
    c.exams().first();
    c.photo(QStringLiteral("lost-january.jpg"), Qt::transparent);
    c.exams().last();
    c.photo(QStringLiteral("lost-now.jpg"), Qt::transparent);
    c.photos().last();
    Form_osm_compare *w = c.open();
    QVERIFY(w);
    QCOMPARE(w->currentPane()->message(),
             missingPhotoFileText(c.program.filePath(QStringLiteral("foto/1234/lost-now.jpg"))));
    QVERIFY(w->currentPane()->image().isNull());

    auto *strip = child<QListWidget>(w, "ThumbStrip");
    QCOMPARE(strip->count(), 4);
    QCOMPARE(strip->item(1)->text(), QStringLiteral("10.01.2025\nSCORAD — · PASI —"));
    // The lost file's card is grey where a photo's is the photo.
    const QImage lost = strip->item(1)->icon().pixmap(Form_osm_compare::kThumbSize).toImage();
    const QImage kept = strip->item(0)->icon().pixmap(Form_osm_compare::kThumbSize).toImage();
    QCOMPARE(lost.pixelColor(2, 2), QColor(224, 224, 224));
    QVERIFY(kept.pixelColor(60, 45).blue() > 150);
    QVERIFY(Form_osm_compare::thumbnail(w->comparison().earlier.at(1)) !=
            Form_osm_compare::thumbnail(w->comparison().earlier.at(0)));
    w->pickPhoto(1);
    QCOMPARE(w->earlierPane()->message(),
             missingPhotoFileText(c.program.filePath(QStringLiteral("foto/1234/lost-january.jpg"))));

    // A file that is there but is no picture.
    QFile junk(c.program.filePath(QStringLiteral("foto/1234/blue.jpg")));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    w->reject();
    w = c.open();
    w->pickPhoto(0);
    QCOMPARE(w->earlierPane()->message(),
             unreadablePhotoFileText(c.program.filePath(QStringLiteral("foto/1234/blue.jpg"))));
}

void FormOsmCompareTest::noEarlierExaminationIsSaidSo()
{
    CompareClinic c;
    c.exams().first();
    Form_osm_compare *w = c.open();
    QVERIFY(w);
    QCOMPARE(colourOf(w->currentPane()), QStringLiteral("blue"));
    QCOMPARE(w->earlierPane()->message(), QStringLiteral("Нет снимков прежних осмотров."));
    QCOMPARE(child<QLabel>(w, "LabelEarlier")->text(), QStringLiteral("Прежний осмотр"));
    auto *strip = child<QListWidget>(w, "ThumbStrip");
    QCOMPARE(strip->count(), 0);
    QVERIFY(!strip->isEnabled());
    QCOMPARE(w->pickedPhoto(), -1);
}

void FormOsmCompareTest::bothSidesMoveTogether_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<bool>("centred");
    const QStringList in{QStringLiteral("in")};
    QTest::newRow("in") << in << 1.25 << true;
    QTest::newRow("in, in, out") << QStringList{"in", "in", "out"} << 1.25 << true;
    QTest::newRow("out at the fit stays") << QStringList{"out"} << 1.0 << true;
    QTest::newRow("wheel up on the left") << QStringList{"wheel+left", "wheel+left"} << 1.5625 << true;
    QTest::newRow("wheel down on the right") << QStringList{"in", "in", "wheel-right"} << 1.25 << true;
    QTest::newRow("drag the right") << QStringList{"in", "in", "drag-right"} << 1.5625 << false;
    QTest::newRow("drag the left") << QStringList{"in", "drag-left"} << 1.25 << false;
    QTest::newRow("fit after all") << QStringList{"in", "in", "drag-left", "fit"} << 1.0 << true;
}

void FormOsmCompareTest::bothSidesMoveTogether()
{
    QFETCH(QStringList, steps);
    QFETCH(double, zoom);
    QFETCH(bool, centred);
    CompareClinic c;
    Form_osm_compare *w = c.open();
    QVERIFY(w);
    ComparePane *left = w->currentPane();
    ComparePane *right = w->earlierPane();
    QCOMPARE(left->size(), right->size());
    for (const QString &step : steps) {
        if (step == QLatin1String("in"))
            QTest::mouseClick(child<QPushButton>(w, "ButtonZoomIn"), Qt::LeftButton);
        else if (step == QLatin1String("out"))
            child<QPushButton>(w, "ButtonZoomOut")->click();
        else if (step == QLatin1String("fit"))
            QTest::mouseClick(child<QPushButton>(w, "ButtonFit"), Qt::LeftButton);
        else if (step.startsWith(QLatin1String("wheel")))
            wheel(step.endsWith(QLatin1String("left")) ? left : right, step.contains(QLatin1Char('+')) ? 1 : -1);
        else if (step.startsWith(QLatin1String("drag")))
            drag(step.endsWith(QLatin1String("left")) ? left : right, QPoint(-60, -40));
    }
    QCOMPARE(w->view().zoom(), zoom);
    // The same photo size in panes of one size: the same place on both sides.
    QCOMPARE(left->pictureRect(), right->pictureRect());
    QCOMPARE(centreOf(left), centreOf(right));
    const QRectF r = left->pictureRect();
    // Fitted, 400 x 300 fills the pane's width or height.
    const double fit = std::min(left->width() / 400.0, left->height() / 300.0);
    QCOMPARE(r.size(), QSizeF(400 * fit * zoom, 300 * fit * zoom));
    if (centred) {
        QCOMPARE(centreOf(left), QPointF(0.5, 0.5));
    } else {
        // The picture followed the hand: 60 px left and 40 px up from where it was centred.
        QCOMPARE(r.center(), QPointF(left->width() / 2.0 - 60, left->height() / 2.0 - 40));
    }
    QCOMPARE(child<QPushButton>(w, "ButtonZoomOut")->isEnabled(), zoom > 1.0);
}

void FormOsmCompareTest::differentSizesAreLinedUpByFractions()
{
    CompareClinic c;
    // A smaller, taller photo of the same place a month before.
    QImage small(150, 200, QImage::Format_RGB32);
    small.fill(Qt::cyan);
    QVERIFY(small.save(c.program.filePath(QStringLiteral("foto/1234/yellow.jpg")), "JPG"));
    Form_osm_compare *w = c.open();
    QVERIFY(w);
    child<QPushButton>(w, "ButtonZoomIn")->click();
    child<QPushButton>(w, "ButtonZoomIn")->click();
    drag(w->currentPane(), QPoint(40, 25));
    const QPointF l = centreOf(w->currentPane());
    const QPointF r = centreOf(w->earlierPane());
    QVERIFY(l != QPointF(0.5, 0.5));
    QVERIFY(qAbs(l.x() - r.x()) < 1e-9 && qAbs(l.y() - r.y()) < 1e-9);
    // Each fits its own pane before the zoom: the taller one by its height.
    const double fitTall = std::min(w->earlierPane()->width() / 150.0, w->earlierPane()->height() / 200.0);
    QCOMPARE(w->earlierPane()->pictureRect().height(), 200 * fitTall * 1.5625);
}

void FormOsmCompareTest::wheelKeepsThePointUnderTheMouse()
{
    CompareClinic c;
    Form_osm_compare *w = c.open();
    QVERIFY(w);
    ComparePane *left = w->currentPane();
    const QPointF at(left->width() / 4.0, left->height() / 3.0);
    auto pointUnder = [&] {
        const QRectF r = left->pictureRect();
        return QPointF((at.x() - r.x()) / r.width(), (at.y() - r.y()) / r.height());
    };
    const QPointF before = pointUnder();
    wheel(left, 2, at);
    QCOMPARE(w->view().zoom(), 1.5625);
    QVERIFY2(qAbs(pointUnder().x() - before.x()) < 1e-9 && qAbs(pointUnder().y() - before.y()) < 1e-9,
             qPrintable(QStringLiteral("%1,%2 -> %3,%4")
                            .arg(before.x()).arg(before.y()).arg(pointUnder().x()).arg(pointUnder().y())));
    // The other side went to the same place.
    QCOMPARE(centreOf(w->earlierPane()), centreOf(left));
    QVERIFY(centreOf(left).x() < 0.5 && centreOf(left).y() < 0.5);
}

void FormOsmCompareTest::everyWayOfClosingTakesTheSameSteps_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Esc") << QStringLiteral("esc");
    QTest::newRow("Закрыть") << QStringLiteral("button");
    QTest::newRow("title bar") << QStringLiteral("close");
}

void FormOsmCompareTest::everyWayOfClosingTakesTheSameSteps()
{
    QFETCH(QString, way);
    CompareClinic c;
    Form_osm_compare *w = c.open();
    QVERIFY(w);
    child<QPushButton>(w, "ButtonZoomIn")->click();
    QSignalSpy finished(w, &QDialog::finished);
    if (way == QLatin1String("esc"))
        QTest::keyClick(w, Qt::Key_Escape);
    else if (way == QLatin1String("button"))
        QTest::mouseClick(child<QPushButton>(w, "ButtonClose"), Qt::LeftButton);
    else
        QVERIFY(w->close());
    QVERIFY(!w->isVisible());
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
    // The photos are let go and the view is back at the fit.
    QVERIFY(w->currentPane()->image().isNull());
    QVERIFY(w->earlierPane()->image().isNull());
    QCOMPARE(child<QListWidget>(w, "ThumbStrip")->count(), 0);
    QCOMPARE(w->view().zoom(), 1.0);
    // And it opens again as new.
    QCOMPARE(c.open(), w);
    QCOMPARE(colourOf(w->earlierPane()), QStringLiteral("yellow"));
    QCOMPARE(child<QListWidget>(w, "ThumbStrip")->count(), 3);
}

void FormOsmCompareTest::fitsTheSmallestScreen()
{
    CompareClinic c;
    Form_osm_compare *w = c.open();
    QVERIFY(w);
    // It opens at its own size, title bar included within the screen's free height.
    QCOMPARE(w->size(), Form_osm_compare::kOpeningSize);
    QVERIFY(w->width() <= ui::kSmallestScreen.width());
    QVERIFY(w->height() + ui::kAssumedTitleBar <= ui::kSmallestScreen.height());
    const QStringList faults = ui::layoutFaults(w);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    // The strip shows its thumbnails and their two lines whole, above its scroll bar.
    auto *strip = child<QListWidget>(w, "ThumbStrip");
    QVERIFY(strip->visualItemRect(strip->item(0)).bottom() <= strip->viewport()->height());
}

void FormOsmCompareTest::screenshot()
{
    const QString dir = qEnvironmentVariable("PELORIN_SHOTS");
    if (dir.isEmpty())
        QSKIP("PELORIN_SHOTS names no folder for pictures");
    CompareClinic c;
    // Something like skin, so the zoom shows.
    QImage skin(1200, 900, QImage::Format_RGB32);
    for (int y = 0; y < skin.height(); ++y)
        for (int x = 0; x < skin.width(); ++x)
            skin.setPixelColor(x, y, QColor(220 - y / 8, 170 - x / 10, 140 + (x + y) / 30));
    QVERIFY(skin.save(c.program.filePath(QStringLiteral("foto/1234/red.jpg")), "JPG"));
    QVERIFY(skin.mirrored(true, false).save(c.program.filePath(QStringLiteral("foto/1234/yellow.jpg")), "JPG"));
    c.exams().first();
    c.photo(QStringLiteral("lost.jpg"), Qt::transparent);
    c.exams().last();
    Form_osm_compare *w = c.open();
    QVERIFY(w);
    QVERIFY(w->grab().save(dir + QStringLiteral("/form_osm_compare.png")));
    child<QPushButton>(w, "ButtonZoomIn")->click();
    child<QPushButton>(w, "ButtonZoomIn")->click();
    drag(w->earlierPane(), QPoint(80, 50));
    QVERIFY(w->grab().save(dir + QStringLiteral("/form_osm_compare_zoomed.png")));
    w->pickPhoto(1);
    QVERIFY(w->grab().save(dir + QStringLiteral("/form_osm_compare_missing.png")));
    c.box->resize(420, 300);
    QVERIFY(c.box->grab().save(dir + QStringLiteral("/photobox_compare.png")));
}

int main(int argc, char *argv[])
{
    return testing::runOnLaptopScreen<FormOsmCompareTest>(argc, argv);
}

#include "form_osm_compare_test.moc"
