#include "photocompare.h"

#include "clinicfixture.h"
#include "osmotr_calc.h"
#include "programfolder.h"
#include "table.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::examination;

namespace {

using Fields = QHash<QString, QVariant>;

// SCORAD 42: B1/5 = 6, 7 * 8 / 2 = 28, itch and sleep 8.
const QVariantMap kScorad42{{"B1", 30}, {"B2", 2}, {"B3", 2}, {"B4", 1}, {"B5", 1}, {"B6", 1},
                            {"B7", 1},  {"B8", 5}, {"B9", 3}};
// PASI 3,6: trunk only, 0.3 * (2 + 1 + 1) * 3.
const QVariantMap kPasi3_6{{"Bb41", 2}, {"Bb42", 1}, {"Bb43", 1}, {"Bb44", 3}};

QVariantMap merged(QVariantMap a, const QVariantMap &b)
{
    a.insert(b);
    return a;
}

// Patient with card 1234 in a program folder of its own; examinations and photos are added by each
// test, a photo's file only when the test writes it.
struct CompareClinic : testing::ClinicFixture
{
    QTemporaryDir program;

    CompareClinic()
    {
        folder::setRoot(program.path());
        installOsmotrCalc(exams());
        append(reg(), {{"Last_Name", QStringLiteral("Сравнёнов")}, {"Amb_karta", 1234}});
    }
    ~CompareClinic() { folder::setRoot(QString()); }

    db::Table &exams() { return *dm2->osmotr1; }
    db::Table &photos() { return *dm2->osmotr_img; }

    // Appends an examination and makes it current; returns its key.
    qint64 exam(const QDate &date, const QVariantMap &fields = {})
    {
        QVariantMap all = fields;
        if (date.isValid())
            all.insert(QStringLiteral("Date"), date);
        append(exams(), all);
        return exams().asInteger("ID");
    }
    // Appends a photo to the current examination, its file written unless `written` is false.
    qint64 photo(const QString &name, bool written = true, const QString &text = {})
    {
        const QString link = QStringLiteral("foto\\1234\\") + name;
        if (written) {
            QDir(program.path()).mkpath(QStringLiteral("foto/1234"));
            QImage image(8, 6, QImage::Format_RGB32);
            image.fill(Qt::gray);
            if (!image.save(program.filePath(QStringLiteral("foto/1234/") + name), "JPG"))
                qFatal("cannot write %s", qPrintable(name));
        }
        append(photos(), {{"Link", link}, {"Text", text}});
        return photos().asInteger("Id");
    }
    void goToExam(qint64 id)
    {
        if (!exams().locate(QStringLiteral("ID"), id))
            qFatal("no examination %lld", id);
    }
};

QStringList linksOf(const QList<ComparePhoto> &photos)
{
    QStringList links;
    for (const ComparePhoto &p : photos)
        links << p.link;
    return links;
}

} // namespace

class PhotoCompareTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void earlierExamination_data();
    void earlierExamination();
    void labelShowsTheScoredIndices_data();
    void labelShowsTheScoredIndices();
    void earlierPhotosOldestFirstAndTheNearestLastIsPicked();
    void theCurrentPhotoIsTheOneTheBoxShows();
    void sameDateCountsOnlyWhenMadeBefore();
    void examinationsWithoutPhotosAreLeftOut();
    void noEarlierExaminationOffersNothing();
    void currentExaminationWithoutPhotoHasNoLeftSide();
    void missingFilesAreOfferedAndMarked();
    void otherPatientsPhotosAreNotOffered();
    void gatheringMovesNoCursor();
    void texts();
};

void PhotoCompareTest::earlierExamination_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<qint64>("id");
    QTest::addColumn<bool>("earlier");
    // The current examination: 10.03.2025, key 5.
    QTest::newRow("earlier date, later key") << QDate(2025, 3, 9) << qint64(9) << true;
    QTest::newRow("same date, made before") << QDate(2025, 3, 10) << qint64(4) << true;
    QTest::newRow("same date, made after") << QDate(2025, 3, 10) << qint64(6) << false;
    QTest::newRow("itself") << QDate(2025, 3, 10) << qint64(5) << false;
    QTest::newRow("later date, earlier key") << QDate(2025, 3, 11) << qint64(1) << false;
    QTest::newRow("no date") << QDate() << qint64(1) << false;
}

void PhotoCompareTest::earlierExamination()
{
    QFETCH(QDate, date);
    QFETCH(qint64, id);
    QFETCH(bool, earlier);
    QCOMPARE(isEarlierExamination(date, id, QDate(2025, 3, 10), 5), earlier);
    // An undated current examination has nothing before it.
    QVERIFY(!isEarlierExamination(date, id, QDate(), 5));
}

void PhotoCompareTest::labelShowsTheScoredIndices_data()
{
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<QString>("label");
    QTest::newRow("nothing scored") << QVariantMap{} << QStringLiteral("12.03.2025\nSCORAD — · PASI —");
    QTest::newRow("SCORAD only") << kScorad42 << QStringLiteral("12.03.2025\nSCORAD 42 · PASI —");
    QTest::newRow("PASI only, decimal comma") << kPasi3_6 << QStringLiteral("12.03.2025\nSCORAD — · PASI 3,6");
    QTest::newRow("both") << merged(kScorad42, kPasi3_6) << QStringLiteral("12.03.2025\nSCORAD 42 · PASI 3,6");
    // Zeros typed in are a score: clear skin.
    QTest::newRow("scored as zero") << QVariantMap{{"B1", 0}, {"Bb14", 0}}
                                    << QStringLiteral("12.03.2025\nSCORAD 0 · PASI 0");
}

void PhotoCompareTest::labelShowsTheScoredIndices()
{
    QFETCH(QVariantMap, fields);
    QFETCH(QString, label);
    // Straight from a record, and through a stored examination.
    ComparePhoto p;
    p.date = QDate(2025, 3, 12);
    p.indices = examIndices(OsmotrRecord::fromHash(Fields(fields.begin(), fields.end())));
    QCOMPARE(p.label(), label);

    CompareClinic c;
    c.exam(QDate(2025, 3, 12), fields);
    c.photo(QStringLiteral("a.jpg"));
    c.exam(QDate(2025, 3, 20));
    c.photo(QStringLiteral("b.jpg"));
    const PhotoComparison cmp = gatherPhotoComparison(*c.dm2);
    QCOMPARE(cmp.earlier.size(), 1);
    QCOMPARE(cmp.earlier.first().label(), label);
    QCOMPARE(cmp.earlier.first().caption(), QString(label).replace(QLatin1Char('\n'), QStringLiteral(": ")));
}

void PhotoCompareTest::earlierPhotosOldestFirstAndTheNearestLastIsPicked()
{
    CompareClinic c;
    // Made out of date order: the order of dates wins over the order of making.
    const qint64 february = c.exam(QDate(2025, 2, 1), kScorad42);
    c.photo(QStringLiteral("feb1.jpg"));
    c.photo(QStringLiteral("feb2.jpg"));
    c.exam(QDate(2025, 1, 10));
    c.photo(QStringLiteral("jan1.jpg"));
    c.exam(QDate(2025, 3, 1), kPasi3_6);
    c.photo(QStringLiteral("now.jpg"));

    const PhotoComparison cmp = gatherPhotoComparison(*c.dm2);
    QCOMPARE(linksOf(cmp.earlier), (QStringList{QStringLiteral("foto\\1234\\jan1.jpg"),
                                                QStringLiteral("foto\\1234\\feb1.jpg"),
                                                QStringLiteral("foto\\1234\\feb2.jpg")}));
    QCOMPARE(cmp.defaultPick, 2);
    const ComparePhoto &picked = cmp.earlier.at(cmp.defaultPick);
    QCOMPARE(picked.examId, february);
    QCOMPARE(picked.date, QDate(2025, 2, 1));
    QCOMPARE(picked.label(), QStringLiteral("01.02.2025\nSCORAD 42 · PASI —"));
    QCOMPARE(picked.file, c.program.filePath(QStringLiteral("foto/1234/feb2.jpg")));
    QVERIFY(picked.fileExists);
    QCOMPARE(cmp.current->label(), QStringLiteral("01.03.2025\nSCORAD — · PASI 3,6"));
}

void PhotoCompareTest::theCurrentPhotoIsTheOneTheBoxShows()
{
    CompareClinic c;
    c.exam(QDate(2025, 2, 1));
    c.photo(QStringLiteral("old.jpg"));
    const qint64 now = c.exam(QDate(2025, 3, 1));
    const qint64 first = c.photo(QStringLiteral("now1.jpg"), true, QStringLiteral("локти"));
    c.photo(QStringLiteral("now2.jpg"));
    c.photos().first();

    const PhotoComparison cmp = gatherPhotoComparison(*c.dm2);
    QVERIFY(cmp.current);
    QCOMPARE(cmp.current->photoId, first);
    QCOMPARE(cmp.current->examId, now);
    QCOMPARE(cmp.current->link, QStringLiteral("foto\\1234\\now1.jpg"));
    QCOMPARE(cmp.current->file, c.program.filePath(QStringLiteral("foto/1234/now1.jpg")));
    QCOMPARE(cmp.current->description, QStringLiteral("локти"));
    QVERIFY(cmp.current->fileExists);
}

void PhotoCompareTest::sameDateCountsOnlyWhenMadeBefore()
{
    CompareClinic c;
    c.exam(QDate(2025, 3, 1));
    c.photo(QStringLiteral("morning.jpg"));
    const qint64 noon = c.exam(QDate(2025, 3, 1));
    c.photo(QStringLiteral("noon.jpg"));
    c.exam(QDate(2025, 3, 1));
    c.photo(QStringLiteral("evening.jpg"));
    c.exam(QDate(2025, 3, 2));
    c.photo(QStringLiteral("tomorrow.jpg"));
    c.goToExam(noon);

    const PhotoComparison cmp = gatherPhotoComparison(*c.dm2);
    QCOMPARE(cmp.current->link, QStringLiteral("foto\\1234\\noon.jpg"));
    QCOMPARE(linksOf(cmp.earlier), QStringList{QStringLiteral("foto\\1234\\morning.jpg")});
    QCOMPARE(cmp.defaultPick, 0);
}

void PhotoCompareTest::examinationsWithoutPhotosAreLeftOut()
{
    CompareClinic c;
    c.exam(QDate(2025, 1, 1));
    c.photo(QStringLiteral("jan.jpg"));
    // The nearest earlier examination has no photo: the pick falls on the one before it.
    c.exam(QDate(2025, 2, 1));
    c.exam(QDate(2025, 3, 1));
    c.photo(QStringLiteral("now.jpg"));

    const PhotoComparison cmp = gatherPhotoComparison(*c.dm2);
    QCOMPARE(linksOf(cmp.earlier), QStringList{QStringLiteral("foto\\1234\\jan.jpg")});
    QCOMPARE(cmp.defaultPick, 0);
}

void PhotoCompareTest::noEarlierExaminationOffersNothing()
{
    CompareClinic c;
    c.exam(QDate(2025, 3, 1));
    c.photo(QStringLiteral("now.jpg"));
    // Later examinations and undated ones are not earlier.
    c.exam(QDate(2025, 4, 1));
    c.photo(QStringLiteral("april.jpg"));
    c.exam(QDate());
    c.photo(QStringLiteral("undated.jpg"));
    c.exams().first();

    const PhotoComparison cmp = gatherPhotoComparison(*c.dm2);
    QVERIFY(cmp.current);
    QVERIFY(cmp.earlier.isEmpty());
    QCOMPARE(cmp.defaultPick, -1);
}

void PhotoCompareTest::currentExaminationWithoutPhotoHasNoLeftSide()
{
    CompareClinic c;
    c.exam(QDate(2025, 2, 1));
    c.photo(QStringLiteral("old.jpg"));
    c.exam(QDate(2025, 3, 1));

    const PhotoComparison cmp = gatherPhotoComparison(*c.dm2);
    QVERIFY(!cmp.current);
    QCOMPARE(cmp.earlier.size(), 1);

    // Nor has a patient without examinations anything at all.
    CompareClinic empty;
    const PhotoComparison none = gatherPhotoComparison(*empty.dm2);
    QVERIFY(!none.current);
    QVERIFY(none.earlier.isEmpty());
    QCOMPARE(none.defaultPick, -1);
}

void PhotoCompareTest::missingFilesAreOfferedAndMarked()
{
    CompareClinic c;
    c.exam(QDate(2025, 2, 1));
    c.photo(QStringLiteral("kept.jpg"));
    c.photo(QStringLiteral("lost.jpg"), false);
    c.exam(QDate(2025, 3, 1));
    c.photo(QStringLiteral("now-lost.jpg"), false);

    const PhotoComparison cmp = gatherPhotoComparison(*c.dm2);
    QVERIFY(!cmp.current->fileExists);
    QCOMPARE(cmp.current->file, c.program.filePath(QStringLiteral("foto/1234/now-lost.jpg")));
    QCOMPARE(cmp.earlier.size(), 2);
    QVERIFY(cmp.earlier.at(0).fileExists);
    QVERIFY(!cmp.earlier.at(1).fileExists);
    // The missing one is still the default: the window says its file is gone.
    QCOMPARE(cmp.defaultPick, 1);
}

void PhotoCompareTest::otherPatientsPhotosAreNotOffered()
{
    CompareClinic c;
    c.append(c.reg(), {{"Last_Name", QStringLiteral("Чужой")}, {"Amb_karta", 99}});
    c.exam(QDate(2025, 1, 1));
    c.photo(QStringLiteral("stranger.jpg"));
    c.reg().first();
    QCOMPARE(c.reg().asString("Last_Name"), QStringLiteral("Сравнёнов"));
    c.exam(QDate(2025, 2, 1));
    c.photo(QStringLiteral("own.jpg"));
    c.exam(QDate(2025, 3, 1));
    c.photo(QStringLiteral("now.jpg"));

    const PhotoComparison cmp = gatherPhotoComparison(*c.dm2);
    QCOMPARE(linksOf(cmp.earlier), QStringList{QStringLiteral("foto\\1234\\own.jpg")});
}

void PhotoCompareTest::gatheringMovesNoCursor()
{
    CompareClinic c;
    c.exam(QDate(2025, 1, 1));
    c.photo(QStringLiteral("a.jpg"));
    c.photo(QStringLiteral("b.jpg"));
    const qint64 current = c.exam(QDate(2025, 3, 1));
    c.photo(QStringLiteral("c.jpg"));
    c.photo(QStringLiteral("d.jpg"));
    c.photo(QStringLiteral("e.jpg"));
    c.photos().setRecNo(2);
    int moves = 0;
    QObject::connect(&c.exams(), &db::Table::currentChanged, [&moves] { ++moves; });
    QObject::connect(&c.photos(), &db::Table::currentChanged, [&moves] { ++moves; });

    const PhotoComparison cmp = gatherPhotoComparison(*c.dm2);
    QCOMPARE(cmp.earlier.size(), 2);
    QCOMPARE(cmp.current->link, QStringLiteral("foto\\1234\\d.jpg"));
    QCOMPARE(moves, 0);
    QCOMPARE(c.exams().asInteger("ID"), current);
    QCOMPARE(c.photos().recNo(), 2);
}

void PhotoCompareTest::texts()
{
    QCOMPARE(noEarlierPhotosText(), QStringLiteral("Нет снимков прежних осмотров."));
    QCOMPARE(noCurrentPhotoText(), QStringLiteral("У текущего осмотра нет снимка."));
    QCOMPARE(missingPhotoFileText(QStringLiteral("/clinic/foto/1234/a.jpg")),
             QStringLiteral("Файл не найден:\n") + QDir::toNativeSeparators(QStringLiteral("/clinic/foto/1234/a.jpg")));
    QVERIFY(unreadablePhotoFileText(QStringLiteral("x.jpg")).startsWith(QStringLiteral("Не удалось прочитать снимок")));
}

QTEST_GUILESS_MAIN(PhotoCompareTest)
#include "photo_compare_test.moc"
