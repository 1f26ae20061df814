#include "photobox.h"

#include "clinicfixture.h"
#include "dbcontrols.h"
#include "dialogs.h"
#include "form_osm_img.h"
#include "picturebox.h"
#include "programfolder.h"
#include "table.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include "uitest.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::examination;

namespace {

using pelorin::testing::typeText;

const QString kMissingPhoto = QStringLiteral(
    "message: Внимание!: Ошибка! Фотография не найдена!\r\nВозможно, вы удалили или перенесли фотограции из "
    "системной папки программы.\r\nПожалуйста, запишите их обратно или удалите эту запись и создайте новую.");

// Patient with card 1234, an examination of 01.03.2025 without photos and a current one of
// 08.03.2025; the photo box and the full-size window over them, with the folder viewer recorded.
struct BoxClinic : testing::ClinicFixture
{
    QTemporaryDir program;
    QTemporaryDir pictures;
    std::unique_ptr<Form_osm_img> fullSize;
    std::unique_ptr<PhotoBox> box;
    QList<QUrl> opened;
    qint64 exam1 = 0;

    BoxClinic()
    {
        folder::setRoot(program.path());
        QDir(program.path()).mkdir(QStringLiteral("foto"));
        append(reg(), {{"Last_Name", QStringLiteral("Снимков")}, {"Amb_karta", 1234}});
        append(exams(), {{"Date", QDate(2025, 3, 1)}, {"Nom_osm", 1}});
        exam1 = exams().asInteger("ID");
        append(exams(), {{"Date", QDate(2025, 3, 8)}, {"Nom_osm", 2}});
        settings.photoWidth = 600;
        settings.photoHeight = 400;
        fullSize = std::make_unique<Form_osm_img>(settings);
        box = std::make_unique<PhotoBox>(*dm1, *dm2);
        box->setFullSizeWindow(fullSize.get());
        box->setFolderOpener([this](const QUrl &url) {
            opened << url;
            return true;
        });
        box->resize(box->sizeHint());
        box->show();
    }
    ~BoxClinic()
    {
        box.reset();
        fullSize.reset();
        folder::setRoot(QString());
    }

    db::Table &exams() { return *dm2->osmotr1; }
    db::Table &photos() { return *dm2->osmotr_img; }
    template<typename T = QWidget>
    T *child(const char *name) const
    {
        return box->findChild<T *>(QString::fromLatin1(name));
    }
    QString caption() const { return child<QLabel>("Label81")->text(); }
    bool previewShown() const { return child("Image6")->isVisibleTo(box.get()); }
    bool placeholderShown() const { return child("Image12")->isVisibleTo(box.get()); }
    QString picture(const QString &name, QColor colour, QSize size = {40, 30})
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = pictures.filePath(name);
        if (!image.save(path, "JPG", 95))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    void click(const char *name)
    {
        auto *b = child<QAbstractButton>(name);
        QVERIFY(b);
        QVERIFY(b->isEnabled());
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void addByButton(ScriptedDialogs &dialogs, const QString &file)
    {
        dialogs.answers << file;
        click("Button23");
    }
};

} // namespace

class PhotoBoxTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controlsByTheirNames();
    void emptyExaminationShowsNeitherPicture();
    void addedPhotoIsPreviewedWithItsDescription();
    void missingFileShowsThePlaceholderAndRefusesChange();
    void placeholderClickDoesNothing();
    void examinationChangeFollowsItsPhotos();
    void navigatorBrowsesThePhotos();
    void changeShowsTheNewPicture();
    void deleteTheOnlyPhotoLeavesNoPicture();
    void openFolderShowsThePatientsFolder();
    void openFolderWithoutFolderShowsTheMessage();
    void fullSizeWindowIsSizedFromTheSettings();
    void largePictureIsShrunkSmallOneKeepsItsSize();
    void screenshot();
};

void PhotoBoxTest::controlsByTheirNames()
{
    BoxClinic c;
    QVERIFY(c.child<QLabel>("Label81"));
    QVERIFY(c.child<PictureBox>("Image6"));
    QVERIFY(c.child<PictureBox>("Image12"));
    QVERIFY(c.child<ui::DBMemo>("DBMemo23"));
    QVERIFY(c.child("DBNavigator1"));
    for (const char *nb : {"nbFirst", "nbPrior", "nbNext", "nbLast"})
        QVERIFY2(c.child("DBNavigator1")->findChild<QToolButton *>(QLatin1String(nb)), nb);
    const std::pair<const char *, const char *> buttons[] = {
        {"Button21", "Изменить фотографию"},
        {"Button23", "Добавить фотографию"},
        {"Button22", "Удалить фотографию"},
        {"Button24", "Открыть папку с фотографиями"},
    };
    for (const auto &[name, text] : buttons)
        QCOMPARE(c.child<QPushButton>(name)->text(), QString::fromUtf8(text));
    // One place for both pictures, 161 x 201 when there is room, smaller only when there is not.
    QCOMPARE(c.child("PhotoPlace")->size(), QSize(161, 201));
    QCOMPARE(c.child("PhotoPlace")->maximumSize(), QSize(161, 201));
    QCOMPARE(c.child("Image6")->parentWidget(), c.child("PhotoPlace"));
    QCOMPARE(c.child("Image12")->parentWidget(), c.child("PhotoPlace"));
    QCOMPARE(c.child("Image6")->toolTip(), QStringLiteral("Нажмите для просмотра полноразмерного рисунка."));
    QCOMPARE(c.child<ui::DBMemo>("DBMemo23")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(c.child<ui::DBMemo>("DBMemo23")->fieldName(), QStringLiteral("Text"));
}

void PhotoBoxTest::emptyExaminationShowsNeitherPicture()
{
    BoxClinic c;
    QCOMPARE(c.caption(), QStringLiteral("Фотографий нет."));
    QVERIFY(!c.previewShown());
    QVERIFY(!c.placeholderShown());
}

void PhotoBoxTest::addedPhotoIsPreviewedWithItsDescription()
{
    BoxClinic c;
    ScopedScriptedDialogs dialogs;
    c.addByButton(dialogs, c.picture(QStringLiteral("a.jpg"), Qt::blue));
    QCOMPARE(c.caption(), QStringLiteral("Фотография № 1 из 1"));
    QVERIFY(c.previewShown());
    QVERIFY(!c.placeholderShown());
    QCOMPARE(c.child<PictureBox>("Image6")->image().size(), QSize(40, 30));
    QCOMPARE(c.child("Image6")->geometry(), QRect(0, 0, 161, 201));
    // Scaled to the box keeping its proportions, centred.
    QCOMPARE(c.child<PictureBox>("Image6")->pictureRect(), QRect(0, 40, 161, 120));

    auto *memo = c.child<ui::DBMemo>("DBMemo23");
    memo->setFocus();
    typeText(memo, QStringLiteral("локти"));
    c.addByButton(dialogs, c.picture(QStringLiteral("b.jpg"), Qt::green));
    QCOMPARE(c.caption(), QStringLiteral("Фотография № 2 из 2"));
    QCOMPARE(memo->toPlainText(), QString());
    QCOMPARE(c.stored(QStringLiteral("SELECT Text FROM osmotr_img ORDER BY Id LIMIT 1")).toString(),
             QStringLiteral("локти"));
}

void PhotoBoxTest::missingFileShowsThePlaceholderAndRefusesChange()
{
    BoxClinic c;
    c.append(c.photos(), {{"Link", QStringLiteral("foto\\1234\\осмотр2-фото1.jpg")}});
    QCOMPARE(c.caption(), QStringLiteral("Фотография № 1 из 1"));
    QVERIFY(!c.previewShown());
    QVERIFY(c.placeholderShown());
    QVERIFY(c.child<PictureBox>("Image12")->hasImage());
    QCOMPARE(c.child("Image12")->geometry(), QRect(QPoint(0, 0), c.child("PhotoPlace")->size()));
    ScopedScriptedDialogs dialogs;
    c.click("Button21");
    QCOMPARE(dialogs.transcript, QStringList{kMissingPhoto});
}

void PhotoBoxTest::placeholderClickDoesNothing()
{
    BoxClinic c;
    c.append(c.photos(), {{"Link", QStringLiteral("foto\\1234\\осмотр2-фото1.jpg")}});
    QTest::mouseClick(c.child("Image12"), Qt::LeftButton);
    c.box->showFullSize();
    QVERIFY(!c.fullSize->isVisible());
}

void PhotoBoxTest::examinationChangeFollowsItsPhotos()
{
    BoxClinic c;
    ScopedScriptedDialogs dialogs;
    c.addByButton(dialogs, c.picture(QStringLiteral("a.jpg"), Qt::blue));
    c.addByButton(dialogs, c.picture(QStringLiteral("b.jpg"), Qt::blue));
    c.exams().first();
    QCOMPARE(c.caption(), QStringLiteral("Фотографий нет."));
    QVERIFY(!c.previewShown());
    QVERIFY(!c.placeholderShown());
    c.exams().last();
    // Back on its first photo.
    QCOMPARE(c.caption(), QStringLiteral("Фотография № 1 из 2"));
    QVERIFY(c.previewShown());
}

void PhotoBoxTest::navigatorBrowsesThePhotos()
{
    BoxClinic c;
    ScopedScriptedDialogs dialogs;
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        c.addByButton(dialogs, c.picture(QLatin1String(name), Qt::blue));
    QWidget *nav = c.child("DBNavigator1");
    auto button = [nav](const char *name) { return nav->findChild<QToolButton *>(QLatin1String(name)); };
    QVERIFY(!button("nbNext")->isEnabled());
    QVERIFY(!button("nbLast")->isEnabled());
    QTest::mouseClick(button("nbFirst"), Qt::LeftButton);
    QCOMPARE(c.caption(), QStringLiteral("Фотография № 1 из 3"));
    QVERIFY(!button("nbPrior")->isEnabled());
    QTest::mouseClick(button("nbNext"), Qt::LeftButton);
    QCOMPARE(c.caption(), QStringLiteral("Фотография № 2 из 3"));
    QVERIFY(button("nbPrior")->isEnabled() && button("nbNext")->isEnabled());
    QTest::mouseClick(button("nbLast"), Qt::LeftButton);
    QCOMPARE(c.caption(), QStringLiteral("Фотография № 3 из 3"));
    QTest::mouseClick(button("nbPrior"), Qt::LeftButton);
    QCOMPARE(c.caption(), QStringLiteral("Фотография № 2 из 3"));
}

void PhotoBoxTest::changeShowsTheNewPicture()
{
    BoxClinic c;
    ScopedScriptedDialogs dialogs;
    c.addByButton(dialogs, c.picture(QStringLiteral("a.jpg"), Qt::blue));
    dialogs.answers << c.picture(QStringLiteral("red.jpg"), Qt::red, QSize(30, 60));
    c.click("Button21");
    QCOMPARE(c.caption(), QStringLiteral("Фотография № 1 из 1"));
    const QImage shown = c.child<PictureBox>("Image6")->image();
    QCOMPARE(shown.size(), QSize(30, 60));
    QVERIFY(shown.pixelColor(15, 30).red() > 200);
}

void PhotoBoxTest::deleteTheOnlyPhotoLeavesNoPicture()
{
    BoxClinic c;
    ScopedScriptedDialogs dialogs;
    c.addByButton(dialogs, c.picture(QStringLiteral("a.jpg"), Qt::blue));
    dialogs.answers << QStringLiteral("yes");
    c.click("Button22");
    QCOMPARE(c.caption(), QStringLiteral("Фотографий нет."));
    QVERIFY(!c.previewShown());
    QVERIFY(!c.placeholderShown());
}

void PhotoBoxTest::openFolderShowsThePatientsFolder()
{
    BoxClinic c;
    ScopedScriptedDialogs dialogs;
    c.addByButton(dialogs, c.picture(QStringLiteral("a.jpg"), Qt::blue));
    dialogs.transcript.clear();
    c.click("Button24");
    QCOMPARE(c.opened.size(), 1);
    QCOMPARE(c.opened.first(), QUrl::fromLocalFile(c.program.filePath(QStringLiteral("foto/1234/"))));
    QVERIFY(dialogs.transcript.isEmpty());
}

void PhotoBoxTest::openFolderWithoutFolderShowsTheMessage()
{
    BoxClinic c;
    ScopedScriptedDialogs dialogs;
    c.click("Button24");
    QVERIFY(c.opened.isEmpty());
    QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("message: Внимание!: Ошибка! Фотография не найдена!")});
}

void PhotoBoxTest::fullSizeWindowIsSizedFromTheSettings()
{
    BoxClinic c;
    ScopedScriptedDialogs dialogs;
    c.addByButton(dialogs, c.picture(QStringLiteral("a.jpg"), Qt::blue, QSize(320, 240)));
    QTest::mouseClick(c.child("Image6"), Qt::LeftButton);
    Form_osm_img &w = *c.fullSize;
    QVERIFY(w.isVisible());
    QVERIFY(!w.isModal());
    QCOMPARE(w.objectName(), QStringLiteral("Form_osm_img"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Размер фото: 320х240"));
    QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    auto *image = w.findChild<PictureBox *>(QStringLiteral("Image1"));
    QVERIFY(image);
    QCOMPARE(image->size(), QSize(600, 400));
    QCOMPARE(w.size(), QSize(600, 400));

    // The settings are read each time the window is shown.
    w.hide();
    c.settings.photoWidth = 500;
    c.settings.photoHeight = 350;
    QTest::mouseClick(c.child("Image6"), Qt::LeftButton);
    QCOMPARE(image->size(), QSize(500, 350));
    QCOMPARE(w.size(), QSize(500, 350));
}

void PhotoBoxTest::largePictureIsShrunkSmallOneKeepsItsSize()
{
    BoxClinic c;
    ScopedScriptedDialogs dialogs;
    c.addByButton(dialogs, c.picture(QStringLiteral("small.jpg"), Qt::blue, QSize(100, 50)));
    c.addByButton(dialogs, c.picture(QStringLiteral("large.jpg"), Qt::blue, QSize(1200, 1200)));
    auto *image = c.fullSize->findChild<PictureBox *>(QStringLiteral("Image1"));
    c.photos().first();
    c.box->showFullSize();
    QCOMPARE(image->pictureRect(), QRect(250, 175, 100, 50));
    c.photos().last();
    c.box->showFullSize();
    QCOMPARE(c.fullSize->windowTitle(), QStringLiteral("Размер фото: 1200х1200"));
    QCOMPARE(image->pictureRect(), QRect(100, 0, 400, 400));
}

void PhotoBoxTest::screenshot()
{
    const QString dir = qEnvironmentVariable("PELORIN_SHOTS");
    if (dir.isEmpty())
        QSKIP("PELORIN_SHOTS names no folder for pictures");
    BoxClinic c;
    ScopedScriptedDialogs dialogs;
    QImage photo(600, 800, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixelColor(x, y, QColor(220 - y / 8, 170 - x / 8, 140 + (x + y) / 20));
    const QString path = c.pictures.filePath(QStringLiteral("skin.jpg"));
    QVERIFY(photo.save(path, "JPG"));
    c.addByButton(dialogs, path);
    c.addByButton(dialogs, c.picture(QStringLiteral("b.jpg"), Qt::darkCyan));
    c.photos().first();
    c.photos().edit();
    c.photos().setValue("Text", QStringLiteral("Бляшки на разгибательной поверхности локтей, до лечения."));
    QVERIFY(c.photos().post());
    c.box->resize(420, 300);
    QVERIFY(c.box->grab().save(dir + QStringLiteral("/photobox.png")));
    c.box->showFullSize();
    QVERIFY(c.fullSize->grab().save(dir + QStringLiteral("/form_osm_img.png")));
    c.append(c.photos(), {{"Link", QStringLiteral("foto\\1234\\осмотр2-фото99.jpg")}});
    c.box->resize(300, 150);
    QVERIFY(c.box->grab().save(dir + QStringLiteral("/photobox_missing.png")));
}

QTEST_MAIN(PhotoBoxTest)
#include "photobox_test.moc"
