#include "photos.h"

#include "clinicfixture.h"
#include "dialogs.h"
#include "programfolder.h"
#include "table.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::examination;

namespace {

const QString kMissingPhoto = QStringLiteral(
    "message: Внимание!: Ошибка! Фотография не найдена!\r\nВозможно, вы удалили или перенесли фотограции из "
    "системной папки программы.\r\nПожалуйста, запишите их обратно или удалите эту запись и создайте новую.");
const QString kDeleteQuestion = QStringLiteral("ask: Внимание!: Вы уверены что хотите удалить фотографию?");
const QString kOpen = QStringLiteral("open: Открыть рисунок");

// Patient with card 1234 and two examinations (numbers 1 and 2), the second current; a program
// folder with an empty foto\ and a folder of pictures to choose from.
struct PhotoClinic : testing::ClinicFixture
{
    QTemporaryDir program;
    QTemporaryDir pictures;
    std::unique_ptr<PhotoOps> ops;
    qint64 exam1 = 0;
    qint64 exam2 = 0;

    PhotoClinic()
    {
        folder::setRoot(program.path());
        QDir(program.path()).mkdir(QStringLiteral("foto"));
        append(reg(), {{"Last_Name", QStringLiteral("Снимков")}, {"Amb_karta", 1234}});
        append(exams(), {{"Date", QDate(2025, 3, 1)}, {"Nom_osm", 1}});
        exam1 = exams().asInteger("ID");
        append(exams(), {{"Date", QDate(2025, 3, 8)}, {"Nom_osm", 2}});
        exam2 = exams().asInteger("ID");
        ops = std::make_unique<PhotoOps>(*dm1, *dm2);
    }
    ~PhotoClinic() { folder::setRoot(QString()); }

    db::Table &exams() { return *dm2->osmotr1; }
    db::Table &photos() { return *dm2->osmotr_img; }

    // A picture file of the given format and colour; returns its path.
    QString picture(const QString &name, const char *format, QColor colour = Qt::green, QSize size = {40, 30})
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(colour);
        const QString path = pictures.filePath(name);
        if (!image.save(path, format))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString textFile(const QString &name)
    {
        const QString path = pictures.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write("not a picture at all") < 0)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString fotoPath(const QString &relative) const { return program.filePath(QStringLiteral("foto/") + relative); }
    int storedRows() { return stored(QStringLiteral("SELECT COUNT(*) FROM osmotr_img")).toInt(); }
    QStringList links()
    {
        QStringList result;
        const int link = photos().fieldIndex(QStringLiteral("Link"));
        for (int row = 0; row < photos().recordCount(); ++row)
            result << photos().valueAt(row, link).toString();
        return result;
    }
    bool add(ScriptedDialogs &dialogs, const QString &file)
    {
        dialogs.answers << file;
        return ops->addPhoto();
    }
};

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray formatOf(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.format();
}

} // namespace

class PhotosTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pathsAndLinks_data();
    void pathsAndLinks();
    void linkResolvesAgainstTheProgramFolder();

    void noPhotosShowsNothing();
    void rowWithoutItsFileShowsThePlaceholder();
    void firstPhotoMakesThePatientsFolder();
    void laterPhotosOfAnyExaminationShareTheFolder();
    void addStandsOnTheNewLastPhoto();
    void addCancelledOrMissingFileStoresNothing_data();
    void addCancelledOrMissingFileStoresNothing();
    void addWithoutStoredExaminationAsksNothing();
    void bmpAndPngBecomeRealJpegs_data();
    void bmpAndPngBecomeRealJpegs();
    void jpegIsCopiedByteForByte();
    void largeOrTruncatedJpegs_data();
    void largeOrTruncatedJpegs();
    void unreadablePictureLeavesNoRow();
    void folderThatCannotBeMadeLeavesNoRow();
    void copyThatCannotBeWrittenLeavesNoRow();

    void changeOnAnExaminationWithoutPhotosAddsTheFirst();
    void changeReplacesTheCopyAndEndsOnTheLast();
    void changeAfterRenumberingWritesUnderTheNewNumbers();
    void changeOfAMissingFileShowsTheThreeLineMessage();
    void changeWithUnreadablePictureChangesNothing();
    void changeKeepsTheTypedDescription();

    void deleteAnsweredNoKeepsEverything();
    void deleteRemovesFileAndRowAndGoesToFirst();
    void deletingTheOnlyPhotoLeavesNone();
    void deleteOfARowWithoutItsFile();
    void deleteOnAnEmptyListAsksNothing();
    void linkLeadingOutOfThePhotoFolderIsNeverTouched_data();
    void linkLeadingOutOfThePhotoFolderIsNeverTouched();

    void folderOfAPatientWithoutPhotos();
    void folderOfAPatientWithPhotos();
};

void PhotosTest::pathsAndLinks_data()
{
    QTest::addColumn<qint64>("card");
    QTest::addColumn<qint64>("exam");
    QTest::addColumn<qint64>("id");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("folder");
    QTest::newRow("card 1234, examination 3, key 57")
        << qint64(1234) << qint64(3) << qint64(57) << QStringLiteral("foto\\1234\\осмотр3-фото57.jpg")
        << QStringLiteral("foto/1234");
    QTest::newRow("card 1234, examination 2, key 15")
        << qint64(1234) << qint64(2) << qint64(15) << QStringLiteral("foto\\1234\\осмотр2-фото15.jpg")
        << QStringLiteral("foto/1234");
    QTest::newRow("blank card reads 0") << qint64(0) << qint64(1) << qint64(1)
                                        << QStringLiteral("foto\\0\\осмотр1-фото1.jpg") << QStringLiteral("foto/0");
    QTest::newRow("no leading zeros") << qint64(70) << qint64(10) << qint64(100)
                                      << QStringLiteral("foto\\70\\осмотр10-фото100.jpg") << QStringLiteral("foto/70");
}

void PhotosTest::pathsAndLinks()
{
    QFETCH(qint64, card);
    QFETCH(qint64, exam);
    QFETCH(qint64, id);
    QFETCH(QString, link);
    QFETCH(QString, folder);
    folder::setRoot(QStringLiteral("/prog"));
    QCOMPARE(photoLink(card, exam, id), link);
    QCOMPARE(photoFolderLink(card) + QLatin1Char('\\') + photoFileName(exam, id), link);
    QCOMPARE(photoFolderPath(card), QStringLiteral("/prog/") + folder);
    QCOMPARE(photoFilePath(link), QStringLiteral("/prog/") + QString(link).replace(QLatin1Char('\\'), QLatin1Char('/')));
    folder::setRoot(QString());
}

void PhotosTest::linkResolvesAgainstTheProgramFolder()
{
    folder::setRoot(QStringLiteral("/prog/"));
    QCOMPARE(photoFilePath(QString()), QString());
    QCOMPARE(photoFilePath(QStringLiteral("foto\\9\\осмотр1-фото2.jpg")), QStringLiteral("/prog/foto/9/осмотр1-фото2.jpg"));
    folder::setRoot(QString());
}

void PhotosTest::noPhotosShowsNothing()
{
    PhotoClinic c;
    const PhotoDisplay d = c.ops->display();
    QCOMPARE(d.caption, QStringLiteral("Фотографий нет."));
    QCOMPARE(d.picture, PhotoDisplay::Picture::None);
    QCOMPARE(c.ops->currentFile(), QString());
}

void PhotosTest::rowWithoutItsFileShowsThePlaceholder()
{
    PhotoClinic c;
    c.append(c.photos(), {{"Link", QStringLiteral("foto\\1234\\осмотр2-фото1.jpg")}});
    const PhotoDisplay d = c.ops->display();
    QCOMPARE(d.caption, QStringLiteral("Фотография № 1 из 1"));
    QCOMPARE(d.picture, PhotoDisplay::Picture::Placeholder);
    QCOMPARE(c.ops->currentFile(), QString());
}

void PhotosTest::firstPhotoMakesThePatientsFolder()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(!QFileInfo::exists(c.fotoPath(QStringLiteral("1234"))));
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    const qint64 id = c.photos().asInteger("Id");
    const QString link = QStringLiteral("foto\\1234\\осмотр2-фото%1.jpg").arg(id);
    QCOMPARE(c.photos().asString("Link"), link);
    QCOMPARE(c.photos().asInteger("Id_man"), c.exam2);
    QVERIFY(QFileInfo(c.fotoPath(QStringLiteral("1234/осмотр2-фото%1.jpg").arg(id))).isFile());
    QCOMPARE(c.stored(QStringLiteral("SELECT Link FROM osmotr_img")).toString(), link);
    QCOMPARE(dialogs.transcript, QStringList{kOpen});
    const PhotoDisplay d = c.ops->display();
    QCOMPARE(d.caption, QStringLiteral("Фотография № 1 из 1"));
    QCOMPARE(d.picture, PhotoDisplay::Picture::Preview);
    QCOMPARE(d.file, c.fotoPath(QStringLiteral("1234/осмотр2-фото%1.jpg").arg(id)));
}

void PhotosTest::laterPhotosOfAnyExaminationShareTheFolder()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    QVERIFY(c.exams().locate(QStringLiteral("ID"), c.exam1));
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("b.jpg"), "JPG")));
    const qint64 id = c.photos().asInteger("Id");
    QCOMPARE(c.photos().asString("Link"), QStringLiteral("foto\\1234\\осмотр1-фото%1.jpg").arg(id));
    QCOMPARE(QDir(c.fotoPath(QStringLiteral("1234"))).entryList(QDir::Files).size(), 2);
    QCOMPARE(QDir(c.fotoPath(QString())).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"1234"});
}

void PhotosTest::addStandsOnTheNewLastPhoto()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        QVERIFY(c.add(dialogs, c.picture(QLatin1String(name), "JPG")));
    c.photos().first();
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("d.jpg"), "JPG")));
    QCOMPARE(c.photos().recordCount(), 4);
    QCOMPARE(c.photos().recNo(), 4);
    QCOMPARE(c.ops->display().caption, QStringLiteral("Фотография № 4 из 4"));
    QCOMPARE(c.photos().asString("Link"), c.links().last());
}

void PhotosTest::addCancelledOrMissingFileStoresNothing_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("cancelled") << QString();
    QTest::newRow("no such file") << QStringLiteral("/nonexistent/picture.jpg");
}

void PhotosTest::addCancelledOrMissingFileStoresNothing()
{
    QFETCH(QString, answer);
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("b.jpg"), "JPG")));
    c.photos().first();
    dialogs.transcript.clear();
    QVERIFY(!c.add(dialogs, answer));
    QCOMPARE(c.storedRows(), 2);
    // Only the final move to the last photo happens.
    QCOMPARE(c.photos().recNo(), 2);
    QCOMPARE(dialogs.transcript, QStringList{kOpen});
}

void PhotosTest::addWithoutStoredExaminationAsksNothing()
{
    PhotoClinic c;
    c.append(c.reg(), {{"Last_Name", QStringLiteral("Безосмотров")}, {"Amb_karta", 77}});
    QVERIFY(c.exams().isEmpty());
    ScopedScriptedDialogs dialogs;
    QVERIFY(!c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    QVERIFY(dialogs.transcript.isEmpty());
    QCOMPARE(c.storedRows(), 0);
}

void PhotosTest::bmpAndPngBecomeRealJpegs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("bmp") << QStringLiteral("скан.bmp") << QByteArray("BMP");
    QTest::newRow("png") << QStringLiteral("a.png") << QByteArray("PNG");
    QTest::newRow("png named .jpg") << QStringLiteral("fake.jpg") << QByteArray("PNG");
}

void PhotosTest::bmpAndPngBecomeRealJpegs()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(c.add(dialogs, c.picture(name, format.constData(), QColor(0, 0, 255), QSize(64, 48))));
    const QString copy = photoFilePath(c.photos().asString("Link"));
    QVERIFY(copy.endsWith(QLatin1String(".jpg")));
    QCOMPARE(fileBytes(copy).left(3), QByteArray("\xFF\xD8\xFF"));
    QCOMPARE(formatOf(copy), QByteArray("jpeg"));
    const QImage image(copy);
    QCOMPARE(image.size(), QSize(64, 48));
    const QColor centre = image.pixelColor(32, 24);
    QVERIFY2(centre.blue() > 200 && centre.red() < 60 && centre.green() < 60, qPrintable(centre.name()));
}

void PhotosTest::jpegIsCopiedByteForByte()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    const QString chosen = c.picture(QStringLiteral("IMG_0001.JPG"), "JPG");
    QVERIFY(c.add(dialogs, chosen));
    QCOMPARE(fileBytes(photoFilePath(c.photos().asString("Link"))), fileBytes(chosen));
}

void PhotosTest::largeOrTruncatedJpegs_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("truncated");
    QTest::addColumn<QString>("answer"); // to the question on a truncated picture
    QTest::addColumn<bool>("added");
    // A current phone's photo is larger than Qt reads by default.
    QTest::newRow("48 megapixels") << QSize(8000, 6000) << false << QString() << true;
    QTest::newRow("cut short, added all the same") << QSize(400, 300) << true << "yes" << true;
    QTest::newRow("cut short, not added") << QSize(400, 300) << true << "no" << false;
}

void PhotosTest::largeOrTruncatedJpegs()
{
    QFETCH(QSize, size);
    QFETCH(bool, truncated);
    QFETCH(QString, answer);
    QFETCH(bool, added);
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QImage image(size, QImage::Format_RGB32);
    // Noise, so that a cut leaves a part of the picture out.
    for (int y = 0; y < size.height(); y += 1 + 60 * (size.width() > 1000))
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7 + y * 3) % 256, (x * y) % 256, (x + y) % 256));
    const QString path = c.pictures.filePath(QStringLiteral("IMG_0002.JPG"));
    QVERIFY(image.save(path, "JPG"));
    if (truncated) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.resize(f.size() / 2));
    }
    dialogs.answers << path;
    if (!answer.isEmpty())
        dialogs.answers << answer;
    QCOMPARE(c.ops->addPhoto(), added);
    const QString question = QStringLiteral("ask: Внимание!: Рисунок повреждён: прочитан не полностью. Добавить всё равно?");
    QCOMPARE(dialogs.transcript.contains(question), truncated);
    QCOMPARE(c.storedRows(), added ? 1 : 0);
    if (added)
        QCOMPARE(fileBytes(photoFilePath(c.photos().asString("Link"))), fileBytes(path));
    // Shown at the preview's size, whatever the photo's own.
    const QImage preview = readPicture(path, QSize(1024, 1024));
    QVERIFY(!preview.isNull());
    QVERIFY(preview.width() <= 1024 && preview.height() <= 1024);
}

void PhotosTest::unreadablePictureLeavesNoRow()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(!c.add(dialogs, c.textFile(QStringLiteral("broken.jpg"))));
    QCOMPARE(c.storedRows(), 0);
    QVERIFY(c.photos().isEmpty());
    QVERIFY(!c.photos().isEditing());
    QCOMPARE(dialogs.transcript.size(), 2);
    QVERIFY2(dialogs.transcript[1].startsWith(QStringLiteral("message: Внимание!: Не удалось прочитать рисунок ")),
             qPrintable(dialogs.transcript[1]));
    QVERIFY(!QFileInfo::exists(c.fotoPath(QStringLiteral("1234"))));
    QCOMPARE(c.ops->display().caption, QStringLiteral("Фотографий нет."));
}

void PhotosTest::folderThatCannotBeMadeLeavesNoRow()
{
    PhotoClinic c;
    // A file where the patient's folder should go.
    QFile blocker(c.fotoPath(QStringLiteral("1234")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ScopedScriptedDialogs dialogs;
    QVERIFY(!c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    QCOMPARE(c.storedRows(), 0);
    QVERIFY(c.photos().isEmpty());
    QCOMPARE(dialogs.transcript.size(), 2);
    QVERIFY2(dialogs.transcript[1].startsWith(
                 QStringLiteral("message: Внимание!: Не удалось создать папку для фотографий пациента ")),
             qPrintable(dialogs.transcript[1]));
}

void PhotosTest::copyThatCannotBeWrittenLeavesNoRow()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    const qint64 next = c.photos().asInteger("Id") + 1;
    // A folder where the next copy should be written.
    QVERIFY(QDir().mkpath(c.fotoPath(QStringLiteral("1234/осмотр2-фото%1.jpg").arg(next))));
    dialogs.transcript.clear();
    QVERIFY(!c.add(dialogs, c.picture(QStringLiteral("b.bmp"), "BMP")));
    QCOMPARE(c.storedRows(), 1);
    QCOMPARE(c.photos().recordCount(), 1);
    QVERIFY(!c.photos().isEditing());
    QCOMPARE(dialogs.transcript.size(), 2);
    QVERIFY2(dialogs.transcript[1].startsWith(QStringLiteral("message: Внимание!: Не удалось записать фотографию в файл ")),
             qPrintable(dialogs.transcript[1]));
    QCOMPARE(c.ops->display().caption, QStringLiteral("Фотография № 1 из 1"));
    QCOMPARE(c.ops->display().picture, PhotoDisplay::Picture::Preview);
}

void PhotosTest::changeOnAnExaminationWithoutPhotosAddsTheFirst()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    dialogs.answers << c.picture(QStringLiteral("a.bmp"), "BMP");
    QVERIFY(c.ops->changePhoto());
    QCOMPARE(c.storedRows(), 1);
    const qint64 id = c.photos().asInteger("Id");
    QCOMPARE(c.photos().asString("Link"), QStringLiteral("foto\\1234\\осмотр2-фото%1.jpg").arg(id));
    QCOMPARE(formatOf(c.fotoPath(QStringLiteral("1234/осмотр2-фото%1.jpg").arg(id))), QByteArray("jpeg"));
    QCOMPARE(c.ops->display().caption, QStringLiteral("Фотография № 1 из 1"));
    QCOMPARE(dialogs.transcript, QStringList{kOpen});
}

void PhotosTest::changeReplacesTheCopyAndEndsOnTheLast()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        QVERIFY(c.add(dialogs, c.picture(QLatin1String(name), "JPG", Qt::green)));
    c.photos().first();
    const QString link = c.photos().asString("Link");
    const QString red = c.picture(QStringLiteral("red.jpg"), "JPG", Qt::red);
    dialogs.answers << red;
    QVERIFY(c.ops->changePhoto());
    QCOMPARE(c.photos().recNo(), 3);
    QCOMPARE(c.links().first(), link);
    QCOMPARE(fileBytes(photoFilePath(link)), fileBytes(red));
    QCOMPARE(c.storedRows(), 3);
    QCOMPARE(QDir(c.fotoPath(QStringLiteral("1234"))).entryList(QDir::Files).size(), 3);
}

void PhotosTest::changeAfterRenumberingWritesUnderTheNewNumbers()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    const QString oldLink = c.photos().asString("Link");
    const qint64 id = c.photos().asInteger("Id");
    c.exams().edit();
    c.exams().setValue("Nom_osm", 5);
    QVERIFY(c.exams().post());
    QCOMPARE(c.photos().asString("Link"), oldLink);
    dialogs.answers << c.picture(QStringLiteral("b.jpg"), "JPG");
    QVERIFY(c.ops->changePhoto());
    QCOMPARE(c.photos().asString("Link"), QStringLiteral("foto\\1234\\осмотр5-фото%1.jpg").arg(id));
    // The old copy stays where it was.
    QVERIFY(QFileInfo(photoFilePath(oldLink)).isFile());
    QVERIFY(QFileInfo(photoFilePath(c.photos().asString("Link"))).isFile());
}

void PhotosTest::changeOfAMissingFileShowsTheThreeLineMessage()
{
    PhotoClinic c;
    c.append(c.photos(), {{"Link", QStringLiteral("foto\\1234\\осмотр2-фото1.jpg")}, {"Text", QStringLiteral("спина")}});
    ScopedScriptedDialogs dialogs;
    dialogs.answers << c.picture(QStringLiteral("a.jpg"), "JPG");
    QVERIFY(!c.ops->changePhoto());
    QCOMPARE(dialogs.transcript, QStringList{kMissingPhoto});
    QCOMPARE(c.links(), QStringList{QStringLiteral("foto\\1234\\осмотр2-фото1.jpg")});
    QVERIFY(!QFileInfo::exists(c.fotoPath(QStringLiteral("1234"))));
}

void PhotosTest::changeWithUnreadablePictureChangesNothing()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    const QString link = c.photos().asString("Link");
    const QByteArray before = fileBytes(photoFilePath(link));
    dialogs.answers << c.textFile(QStringLiteral("broken.bmp"));
    QVERIFY(!c.ops->changePhoto());
    QCOMPARE(c.links(), QStringList{link});
    QCOMPARE(fileBytes(photoFilePath(link)), before);

    // On an examination without photos nothing is added either.
    QVERIFY(c.exams().locate(QStringLiteral("ID"), c.exam1));
    dialogs.answers << c.textFile(QStringLiteral("broken2.bmp"));
    QVERIFY(!c.ops->changePhoto());
    QVERIFY(c.photos().isEmpty());
    QCOMPARE(c.storedRows(), 1);
}

void PhotosTest::changeKeepsTheTypedDescription()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    c.photos().edit();
    c.photos().setValue("Text", QStringLiteral("локти, до лечения"));
    dialogs.answers << c.picture(QStringLiteral("b.jpg"), "JPG");
    QVERIFY(c.ops->changePhoto());
    QCOMPARE(c.stored(QStringLiteral("SELECT Text FROM osmotr_img")).toString(), QStringLiteral("локти, до лечения"));
}

void PhotosTest::deleteAnsweredNoKeepsEverything()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    dialogs.transcript.clear();
    dialogs.answers << QStringLiteral("no");
    QVERIFY(!c.ops->deletePhoto());
    QCOMPARE(dialogs.transcript, QStringList{kDeleteQuestion});
    QCOMPARE(c.storedRows(), 1);
    QVERIFY(QFileInfo(photoFilePath(c.photos().asString("Link"))).isFile());
}

void PhotosTest::deleteRemovesFileAndRowAndGoesToFirst()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        QVERIFY(c.add(dialogs, c.picture(QLatin1String(name), "JPG")));
    const QStringList before = c.links();
    c.photos().setRecNo(2);
    dialogs.answers << QStringLiteral("yes");
    QVERIFY(c.ops->deletePhoto());
    QCOMPARE(c.links(), (QStringList{before[0], before[2]}));
    QVERIFY(!QFileInfo::exists(photoFilePath(before[1])));
    QVERIFY(QFileInfo::exists(photoFilePath(before[0])));
    QCOMPARE(c.photos().recNo(), 1);
    QCOMPARE(c.ops->display().caption, QStringLiteral("Фотография № 1 из 2"));
}

void PhotosTest::deletingTheOnlyPhotoLeavesNone()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    dialogs.answers << QStringLiteral("yes");
    QVERIFY(c.ops->deletePhoto());
    QCOMPARE(c.storedRows(), 0);
    QCOMPARE(c.ops->display().caption, QStringLiteral("Фотографий нет."));
    QCOMPARE(c.ops->display().picture, PhotoDisplay::Picture::None);
    // The patient's folder stays, empty.
    QVERIFY(QDir(c.fotoPath(QStringLiteral("1234"))).isEmpty());
}

void PhotosTest::deleteOfARowWithoutItsFile()
{
    PhotoClinic c;
    c.append(c.photos(), {{"Link", QStringLiteral("foto\\1234\\осмотр2-фото1.jpg")}});
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("yes");
    QVERIFY(c.ops->deletePhoto());
    QCOMPARE(dialogs.transcript, QStringList{kDeleteQuestion});
    QCOMPARE(c.storedRows(), 0);
}

void PhotosTest::deleteOnAnEmptyListAsksNothing()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("yes");
    QVERIFY(!c.ops->deletePhoto());
    QVERIFY(dialogs.transcript.isEmpty());
}

void PhotosTest::folderOfAPatientWithoutPhotos()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QCOMPARE(c.ops->folderToOpen(), QString());
    QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("message: Внимание!: Ошибка! Фотография не найдена!")});
}

void PhotosTest::folderOfAPatientWithPhotos()
{
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    QVERIFY(c.add(dialogs, c.picture(QStringLiteral("a.jpg"), "JPG")));
    dialogs.transcript.clear();
    QCOMPARE(c.ops->folderToOpen(), c.fotoPath(QStringLiteral("1234/")));
    QVERIFY(dialogs.transcript.isEmpty());
}

void PhotosTest::linkLeadingOutOfThePhotoFolderIsNeverTouched_data()
{
    // A Link changed in the database to name a file outside foto\ (victim.txt beside the program
    // folder, or in it).
    QTest::addColumn<QString>("link");
    QTest::newRow("dot-dot out of the program folder") << "foto\\..\\..\\%1";
    QTest::newRow("dot-dot into the program folder") << "foto\\1234\\..\\..\\victim.txt";
    QTest::newRow("not under foto") << "victim.txt";
    QTest::newRow("absolute path") << "<absolute>";
    QTest::newRow("a link in the photo folder") << "foto\\1234\\осмотр2-фото1.jpg";
}

void PhotosTest::linkLeadingOutOfThePhotoFolderIsNeverTouched()
{
    QFETCH(QString, link);
    PhotoClinic c;
    ScopedScriptedDialogs dialogs;
    // The file the link is aimed at: beside the program folder, or in it.
    const bool beside = link.contains(QStringLiteral("%1"));
    const QString victim = beside ? c.program.path() + QStringLiteral("-victim.txt")
                                  : c.program.filePath(QStringLiteral("victim.txt"));
    if (beside)
        link = link.arg(QFileInfo(victim).fileName());
    QFile f(victim);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("not a photo") == 11);
    f.close();
    if (link == QLatin1String("<absolute>"))
        link = QDir::toNativeSeparators(QFileInfo(victim).absoluteFilePath());
    if (link.endsWith(QLatin1String(".jpg"))) {
        QVERIFY(QDir().mkpath(c.fotoPath(QStringLiteral("1234"))));
        QVERIFY(QFile::link(victim, c.fotoPath(QStringLiteral("1234/осмотр2-фото1.jpg"))));
    }
    c.photos().append();
    QVERIFY(c.photos().post());
    c.photos().edit();
    c.photos().setValue("Link", link);
    QVERIFY(c.photos().post());

    QCOMPARE(photoFilePath(link), QString());
    QCOMPARE(c.ops->display().picture, PhotoDisplay::Picture::Placeholder);
    QCOMPARE(c.ops->currentFile(), QString());
    dialogs.answers << QStringLiteral("yes");
    QVERIFY(c.ops->deletePhoto());
    QCOMPARE(c.storedRows(), 0);
    QCOMPARE(fileBytes(victim), QByteArray("not a photo"));
    if (beside)
        QFile::remove(victim);
}

QTEST_GUILESS_MAIN(PhotosTest)
#include "photos_test.moc"
