#include "osmotr_ops.h"

#include "changelog.h"
#include "clock.h"
#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "protection.h"
#include "register.h"
#include "schema.h"
#include "settings.h"
#include "table.h"
#include "texts.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::db;
using pelorin::examination::OsmotrOps;

namespace {

// Thursday, 20 March 2025, 09:05:07.
const QDateTime kNow(QDate(2025, 3, 20), QTime(9, 5, 7));
const QDate kToday = kNow.date();
const QString kCheckStamp = QStringLiteral("четверг, Март 20, 2025,  ,  09:05:07");
const QString kDecisionStamp = QStringLiteral("четверг, Март 20, 2025, 09:05:07");

const QString kDeleteQuestion = QStringLiteral("ask: Внимание!: Вы уверены что хотите удалить осмотр?");
const QString kAgeQuestion =
    QStringLiteral("ask: Внимание!: Сработала защита по давности. \rВы уверены что хотите внести изменения?");

QString check(const QString &name)
{
    return kCheckStamp + QStringLiteral(" - Проверка на защищенность данных со стороны ") + name;
}

QString decision(const QString &message)
{
    return kDecisionStamp + QStringLiteral(" - ") + message;
}

// The fields a copy does not carry over, with what the copy holds in them instead.
// Blank: an invalid QVariant.
QMap<QString, QVariant> copyResets()
{
    QMap<QString, QVariant> resets;
    for (int region = 1; region <= 4; ++region) {
        for (int score = 1; score <= 4; ++score)
            resets.insert(QStringLiteral("Bb%1%2").arg(region).arg(score), QVariant());
    }
    resets.insert(QStringLiteral("PUVA"), QVariant());
    resets.insert(QStringLiteral("Ob"), false);
    for (const char *name : {"Ob_ndate", "Ob_date", "Ob_result", "Ob_pr_a10", "Ob_pr_a20"})
        resets.insert(QLatin1String(name), QVariant());
    for (int i : {11, 12, 13, 14, 15, 16, 21, 22, 23, 24, 25, 26, 27, 28, 29, 210, 211, 212, 213, 214})
        resets.insert(QStringLiteral("Ob_pr_a%1").arg(i), false);
    return resets;
}

// A value no fresh record holds, different for every field, that fits the field.
QVariant distinctValue(const FieldDef &f, int salt)
{
    switch (f.type) {
    case FieldType::Boolean:
        return true;
    case FieldType::Integer:
    case FieldType::Short:
        return 1 + salt % 9;
    case FieldType::Float:
        return 1.5 + salt;
    case FieldType::String:
        return QStringLiteral("т%1").arg(salt).left(f.width);
    case FieldType::Memo:
        return QStringLiteral("описание %1").arg(salt);
    case FieldType::Date:
        return QDate(2024, 1, 1).addDays(salt);
    case FieldType::AutoInc:
        break;
    }
    return {};
}

// A fresh database wired as at start-up: register calculation, protection on every table, then
// the examination hooks over it; one patient registered today, current in the list.
struct Fixture
{
    QTemporaryDir dir;
    Database db;
    RunSettings settings;
    ChangeLog log;
    std::unique_ptr<DM1> dm1;
    std::unique_ptr<DM2> dm2;
    std::unique_ptr<Protection> protection;
    std::unique_ptr<OsmotrOps> ops;
    QStringList waits;
    qsizetype mark = 0;

    Fixture()
    {
        QString error;
        if (!db.open(dir.path(), &error))
            qFatal("open failed: %s", qPrintable(error));
        dm1 = std::make_unique<DM1>(db);
        dm2 = std::make_unique<DM2>(db, *dm1);
        if (!dm1->open(&error) || !dm2->open(&error))
            qFatal("modules failed: %s", qPrintable(error));
        installRegisterCalc(*dm1->register_, settings);
        protection = std::make_unique<Protection>(*dm1, *dm2, settings, log);
        protection->install();
        ops = std::make_unique<OsmotrOps>(*dm1, *dm2, settings, log, *protection);
        ops->install();
        ops->showWait = [this](bool visible) { waits << (visible ? QStringLiteral("show") : QStringLiteral("hide")); };

        append(*dm1->register_, {{"Last_Name", QStringLiteral("Петров")}, {"Reg_date", kToday}});
    }

    Table &exams() { return *dm2->osmotr1; }
    Table &elements() { return *dm2->osmotr_elem; }
    Table &photos() { return *dm2->osmotr_img; }

    void append(Table &t, const QVariantMap &fields = {})
    {
        t.append();
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            if (!t.setValue(it.key(), it.value()))
                qFatal("cannot set %s", qPrintable(it.key()));
        }
        if (!t.post())
            qFatal("post to %s failed", qPrintable(t.tableName()));
    }

    // An examination with its elements, left current.
    qint64 addExam(const QVariantMap &fields, int elementCount = 0)
    {
        append(exams(), fields);
        exams().last();
        for (int i = 0; i < elementCount; ++i)
            append(elements(), {{"Name_elem", QStringLiteral("папула %1").arg(i + 1)}, {"Nom_elem", i + 1}});
        return exams().asInteger(QStringLiteral("ID"));
    }

    void markLog() { mark = log.lines().size(); }
    QStringList newLines() const { return log.lines().mid(mark); }

    int count(const QString &sql)
    {
        QSqlQuery q(db.sql());
        if (!q.exec(sql) || !q.next())
            qFatal("query failed: %s", qPrintable(sql));
        return q.value(0).toInt();
    }
    int storedElements(qint64 examId)
    {
        return count(QStringLiteral("SELECT COUNT(*) FROM osmotr_elem WHERE ID_elem = %1").arg(examId));
    }
    int storedPhotos(qint64 examId)
    {
        return count(QStringLiteral("SELECT COUNT(*) FROM osmotr_img WHERE Id_man = %1").arg(examId));
    }

    QList<qint64> numbers()
    {
        QList<qint64> result;
        const int nom = exams().fieldIndex(QStringLiteral("Nom_osm"));
        for (int row = 0; row < exams().recordCount(); ++row)
            result << exams().valueAt(row, nom).toLongLong();
        return result;
    }

    bool moveToExam(qint64 id) { return exams().locate(QStringLiteral("ID"), id); }
};

} // namespace

class OsmotrOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanupTestCase();

    void dinamikaItemsAreTheFiveTexts();
    void newExamination_data();
    void newExamination();
    void newExaminationLogsBothChecks();
    void copyCarriesExactlyTheListedFields_data();
    void copyCarriesExactlyTheListedFields();
    void copyWithoutElementsHasNone();
    void copyOfAnEmptyListGetsOnlyTheResets();
    void deleteAnsweredNoStillRenumbers_data();
    void deleteAnsweredNoStillRenumbers();
    void deleteAnsweredYesRemovesElementsAndPhotoRows();
    void deleteOnAnEmptyListOnlyRenumbers();
    void renumberingNumbersOnlyTheVisible();
    void renumberingAsksTheProtectionOncePerExamination();
    void storeReturnsToTheRememberedRecord_data();
    void storeReturnsToTheRememberedRecord();
    void refusedStoreStillReturnsToTheRememberedRecord();
    void pickedDateThenNoLeavesTheStoredDate();
    void pickedDateThenYesStoresIt();
    void pickedDinamikaIsStoredAtOnce();
    void showAllLiftsTheArchive();
};

void OsmotrOpsTest::init()
{
    clock::setFixedNow(kNow);
}

void OsmotrOpsTest::cleanupTestCase()
{
    clock::reset();
}

void OsmotrOpsTest::dinamikaItemsAreTheFiveTexts()
{
    const QStringList expected{QStringLiteral(" "), QStringLiteral("Отрицательная"), QStringLiteral("Без динамики"),
                               QStringLiteral("Положительная"), QStringLiteral("Полный регресс высыпаний")};
    QCOMPARE(examination::dinamikaItems(), expected);
}

void OsmotrOpsTest::newExamination_data()
{
    QTest::addColumn<int>("existing");
    QTest::newRow("first examination") << 0;
    QTest::newRow("after one") << 1;
    QTest::newRow("after three") << 3;
}

void OsmotrOpsTest::newExamination()
{
    QFETCH(int, existing);
    Fixture f;
    ScopedScriptedDialogs dialogs;
    for (int i = 0; i < existing; ++i)
        f.addExam({{"Date", kToday.addDays(-10 + i)}, {"Nom_osm", i + 1}}, 1);
    f.exams().first();

    QVERIFY(f.ops->newExamination());

    Table &exams = f.exams();
    QCOMPARE(exams.recordCount(), existing + 1);
    QCOMPARE(exams.recNo(), existing + 1);
    QCOMPARE(exams.state(), TableState::Browse);
    QCOMPARE(exams.asDate(QStringLiteral("Date")), kToday);
    QCOMPARE(exams.asInteger(QStringLiteral("Nom_osm")), existing + 1);
    QCOMPARE(exams.asInteger(QStringLiteral("ID_man")), f.dm1->register_->asInteger(QStringLiteral("ID_man")));
    for (int i = 0; i < exams.storedFieldCount(); ++i) {
        if (exams.fieldDef(i).type != FieldType::Boolean)
            continue;
        const QByteArray name = exams.fieldDef(i).name;
        QVERIFY2(exams.value(i) == QVariant(false), name.constData());
    }
    for (const char *name : {"Ob_ndate", "Ob_date", "Ob_result", "Ob_pr_a10", "Ob_pr_a20", "PUVA", "B1", "Bb11"})
        QVERIFY2(exams.isNull(QLatin1String(name)), name);

    const qint64 id = exams.asInteger(QStringLiteral("ID"));
    QCOMPARE(f.storedElements(id), 1);
    Table &elements = f.elements();
    QCOMPARE(elements.recordCount(), 1);
    QCOMPARE(elements.asString(QStringLiteral("Name_elem")), QStringLiteral(" "));
    // Numbered from the examination count after the new one is stored.
    QCOMPARE(elements.asInteger(QStringLiteral("Nom_elem")), existing + 2);
    QCOMPARE(elements.asInteger(QStringLiteral("ID_elem")), id);
    for (int i = 1; i < elements.storedFieldCount(); ++i) {
        if (elements.fieldDef(i).type == FieldType::Boolean)
            QVERIFY2(elements.value(i) == QVariant(false), elements.fieldDef(i).name);
    }

    QCOMPARE(dialogs.transcript, QStringList({QStringLiteral("beep"), QStringLiteral("beep")}));
    QCOMPARE(f.waits, QStringList({QStringLiteral("show"), QStringLiteral("hide")}));
}

void OsmotrOpsTest::newExaminationLogsBothChecks()
{
    Fixture f;
    ScopedScriptedDialogs dialogs;
    f.markLog();
    QVERIFY(f.ops->newExamination());
    QCOMPARE(f.newLines(), QStringList({check(QStringLiteral("osmotr")), check(QStringLiteral("osmotr_elem"))}));
}

void OsmotrOpsTest::copyCarriesExactlyTheListedFields_data()
{
    QTest::addColumn<bool>("sourceIsFirst");
    QTest::newRow("latest examination") << false;
    QTest::newRow("earlier examination") << true;
}

void OsmotrOpsTest::copyCarriesExactlyTheListedFields()
{
    QFETCH(bool, sourceIsFirst);
    Fixture f;
    ScopedScriptedDialogs dialogs;
    Table &exams = f.exams();
    Table &elements = f.elements();

    // The source holds a value of its own in every stored field from A1 on, two elements filled
    // the same way and a photo.
    const auto fillSource = [&](int nom) {
        exams.append();
        exams.setValue(QStringLiteral("Date"), kToday.addDays(-7));
        exams.setValue(QStringLiteral("Nom_osm"), nom);
        for (int i = exams.fieldIndex(QStringLiteral("A1")); i < exams.storedFieldCount(); ++i)
            QVERIFY(exams.setValue(i, distinctValue(exams.fieldDef(i), i)));
        QVERIFY(exams.post());
        exams.last();
        for (int e = 0; e < 2; ++e) {
            elements.append();
            elements.setValue(QStringLiteral("Nom_elem"), e + 1);
            for (int i = elements.fieldIndex(QStringLiteral("Name_elem")); i < elements.storedFieldCount(); ++i) {
                const FieldDef &def = elements.fieldDef(i);
                // Every other location unticked, so the order of the copies shows.
                const QVariant v =
                    def.type == FieldType::Boolean ? QVariant((i + e) % 2 == 0) : distinctValue(def, i + 100 * e);
                QVERIFY(elements.setValue(i, v));
            }
            QVERIFY(elements.post());
        }
        f.append(f.photos(), {{"Link", QStringLiteral("foto/1.jpg")}, {"Text", QStringLiteral("спина")}});
    };
    fillSource(1);
    const qint64 sourceId = exams.asInteger(QStringLiteral("ID"));
    f.addExam({{"Date", kToday.addDays(-3)}, {"Nom_osm", 2}}, 1);
    if (sourceIsFirst) {
        QVERIFY(f.moveToExam(sourceId));
    } else {
        // The latest one carries the same values as the first.
        exams.last();
        exams.edit();
        for (int i = exams.fieldIndex(QStringLiteral("A1")); i < exams.storedFieldCount(); ++i)
            exams.setValue(i, distinctValue(exams.fieldDef(i), i));
        QVERIFY(exams.post());
    }
    const qint64 chosenId = exams.asInteger(QStringLiteral("ID"));
    const std::vector<QVariant> source = exams.recordAt(exams.recNo() - 1);
    std::vector<std::vector<QVariant>> sourceElements;
    for (int row = 0; row < elements.recordCount(); ++row)
        sourceElements.push_back(elements.recordAt(row));

    QVERIFY(f.ops->newExaminationCopy());

    QCOMPARE(exams.recordCount(), 3);
    QCOMPARE(exams.recNo(), 3);
    const qint64 copyId = exams.asInteger(QStringLiteral("ID"));
    QVERIFY(copyId != chosenId);
    QCOMPARE(exams.asDate(QStringLiteral("Date")), kToday);
    QCOMPARE(exams.asInteger(QStringLiteral("Nom_osm")), 3);
    QCOMPARE(exams.asInteger(QStringLiteral("ID_man")), f.dm1->register_->asInteger(QStringLiteral("ID_man")));

    const QMap<QString, QVariant> resets = copyResets();
    int carried = 0;
    int reset = 0;
    for (int i = exams.fieldIndex(QStringLiteral("A1")); i < exams.storedFieldCount(); ++i) {
        const QString name = QLatin1String(exams.fieldDef(i).name);
        if (resets.contains(name)) {
            QVERIFY2(exams.value(i) == resets.value(name), qPrintable(name));
            ++reset;
        } else {
            QVERIFY2(exams.value(i) == source[size_t(i)], qPrintable(name));
            ++carried;
        }
    }
    QCOMPARE(reset, resets.size());
    QCOMPARE(carried, exams.storedFieldCount() - 4 - int(resets.size()));
    // The list shows the source's course and procedure numbers beside an empty PUVA text.
    for (const char *name : {"Dinamika", "PUVA_k", "PUVA_p", "End_kurs", "B1", "B9", "Zal_other", "Teze_kl_simp"})
        QVERIFY2(!exams.isNull(QLatin1String(name)), name);
    QCOMPARE(exams.asString(QStringLiteral("PUVA")), QString());

    // The elements in their order, numbered from the examination count.
    const int elementCount = int(sourceElements.size());
    QCOMPARE(elementCount, sourceIsFirst ? 2 : 1);
    QCOMPARE(f.storedElements(copyId), elementCount);
    QCOMPARE(elements.recordCount(), elementCount);
    const int firstElementField = elements.fieldIndex(QStringLiteral("Name_elem"));
    for (int row = 0; row < elementCount; ++row) {
        const std::vector<QVariant> copy = elements.recordAt(row);
        QCOMPARE(copy[size_t(elements.fieldIndex(QStringLiteral("ID_elem")))].toLongLong(), copyId);
        QCOMPARE(copy[size_t(elements.fieldIndex(QStringLiteral("Nom_elem")))].toLongLong(), 4);
        for (int i = firstElementField; i < elements.storedFieldCount(); ++i)
            QVERIFY2(copy[size_t(i)] == sourceElements[size_t(row)][size_t(i)], elements.fieldDef(i).name);
    }

    // Photos stay with their examination; the source is untouched.
    QCOMPARE(f.storedPhotos(copyId), 0);
    QCOMPARE(f.storedElements(chosenId), int(sourceElements.size()));
    QVERIFY(f.moveToExam(chosenId));
    QCOMPARE(exams.recordAt(exams.recNo() - 1), source);
    QCOMPARE(dialogs.beeps, 2);
}

void OsmotrOpsTest::copyWithoutElementsHasNone()
{
    Fixture f;
    ScopedScriptedDialogs dialogs;
    f.addExam({{"Date", kToday.addDays(-5)}, {"Nom_osm", 1}, {"A1", true}});
    f.markLog();

    QVERIFY(f.ops->newExaminationCopy());

    QCOMPARE(f.exams().recordCount(), 2);
    QCOMPARE(f.storedElements(f.exams().asInteger(QStringLiteral("ID"))), 0);
    QCOMPARE(f.elements().recordCount(), 0);
    QVERIFY(f.exams().asBoolean(QStringLiteral("A1")));
    // The new row, then its kept values: two stores, two checks.
    QCOMPARE(f.newLines(), QStringList({check(QStringLiteral("osmotr")), check(QStringLiteral("osmotr"))}));
}

void OsmotrOpsTest::copyOfAnEmptyListGetsOnlyTheResets()
{
    Fixture f;
    ScopedScriptedDialogs dialogs;
    QVERIFY(f.ops->newExaminationCopy());

    Table &exams = f.exams();
    QCOMPARE(exams.recordCount(), 1);
    QCOMPARE(exams.asDate(QStringLiteral("Date")), kToday);
    QCOMPARE(exams.asInteger(QStringLiteral("Nom_osm")), 1);
    const QMap<QString, QVariant> resets = copyResets();
    for (int i = exams.fieldIndex(QStringLiteral("A1")); i < exams.storedFieldCount(); ++i) {
        const QString name = QLatin1String(exams.fieldDef(i).name);
        QVERIFY2(exams.value(i) == resets.value(name), qPrintable(name));
    }
    QCOMPARE(f.elements().recordCount(), 0);
    // No message: only the two beeps.
    QCOMPARE(dialogs.transcript, QStringList({QStringLiteral("beep"), QStringLiteral("beep")}));
}

void OsmotrOpsTest::deleteAnsweredNoStillRenumbers_data()
{
    QTest::addColumn<QList<int>>("stored");
    QTest::newRow("repeated and gapped") << QList<int>{5, 5, 9};
    QTest::newRow("already in order") << QList<int>{1, 2, 3};
    QTest::newRow("blank numbers") << QList<int>{0, 0};
}

void OsmotrOpsTest::deleteAnsweredNoStillRenumbers()
{
    QFETCH(QList<int>, stored);
    Fixture f;
    for (int i = 0; i < stored.size(); ++i) {
        QVariantMap fields{{"Date", kToday.addDays(-stored.size() + i)}};
        if (stored[i])
            fields.insert(QStringLiteral("Nom_osm"), stored[i]);
        f.addExam(fields, 1);
    }
    f.exams().first();
    f.markLog();
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("no");

    QVERIFY(f.ops->deleteExamination());

    QList<qint64> expected;
    for (int k = 1; k <= stored.size(); ++k)
        expected << k;
    QCOMPARE(f.numbers(), expected);
    QCOMPARE(f.count(QStringLiteral("SELECT COUNT(*) FROM osmotr_1")), int(stored.size()));
    QCOMPARE(f.count(QStringLiteral("SELECT COUNT(*) FROM osmotr_1 WHERE Nom_osm <= %1").arg(stored.size())),
             int(stored.size()));
    QCOMPARE(dialogs.transcript, QStringList({kDeleteQuestion, QStringLiteral("beep"), QStringLiteral("beep")}));
    QCOMPARE(f.waits, QStringList({QStringLiteral("show"), QStringLiteral("hide")}));
    // One store, and one check, per examination.
    QCOMPARE(f.newLines(), QStringList(QList<QString>(stored.size(), check(QStringLiteral("osmotr")))));
    // The walk ends past the last one; each store came back to its own row.
    QCOMPARE(f.exams().recNo(), int(stored.size()));
}

void OsmotrOpsTest::deleteAnsweredYesRemovesElementsAndPhotoRows()
{
    Fixture f;
    const QString photoFile = f.dir.filePath(QStringLiteral("2.jpg"));
    {
        QFile file(photoFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("jpeg");
    }
    QList<qint64> ids;
    for (int i = 0; i < 3; ++i) {
        ids << f.addExam({{"Date", kToday.addDays(-30 + i)}, {"Nom_osm", i + 1}}, 2);
        f.append(f.photos(), {{"Link", i == 1 ? photoFile : QStringLiteral("foto/x.jpg")}});
    }
    QVERIFY(f.moveToExam(ids[1]));
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("yes");

    QVERIFY(f.ops->deleteExamination());

    QCOMPARE(f.count(QStringLiteral("SELECT COUNT(*) FROM osmotr_1 WHERE ID = %1").arg(ids[1])), 0);
    QCOMPARE(f.storedElements(ids[1]), 0);
    QCOMPARE(f.storedPhotos(ids[1]), 0);
    for (qint64 kept : {ids[0], ids[2]}) {
        QCOMPARE(f.storedElements(kept), 2);
        QCOMPARE(f.storedPhotos(kept), 1);
    }
    QVERIFY(QFile::exists(photoFile));
    QCOMPARE(f.numbers(), QList<qint64>({1, 2}));
    QCOMPARE(f.count(QStringLiteral("SELECT Nom_osm FROM osmotr_1 WHERE ID = %1").arg(ids[2])), 2);
    QCOMPARE(dialogs.transcript,
             QStringList({kDeleteQuestion, QStringLiteral("beep"), QStringLiteral("beep"), QStringLiteral("beep")}));
}

void OsmotrOpsTest::deleteOnAnEmptyListOnlyRenumbers()
{
    Fixture f;
    ScopedScriptedDialogs dialogs;
    f.markLog();
    QVERIFY(f.ops->deleteExamination());
    QCOMPARE(dialogs.transcript, QStringList({QStringLiteral("beep"), QStringLiteral("beep")}));
    QVERIFY(f.newLines().isEmpty());
}

void OsmotrOpsTest::renumberingNumbersOnlyTheVisible()
{
    Fixture f;
    const qint64 archived = f.addExam({{"Date", kToday.addDays(-400)}, {"Nom_osm", 1}});
    f.addExam({{"Date", kToday.addDays(-20)}, {"Nom_osm", 2}});
    f.addExam({{"Date", kToday.addDays(-10)}, {"Nom_osm", 3}});
    f.addExam({{"Date", kToday.addDays(-5)}, {"Nom_osm", 4}});
    QVERIFY(f.exams().setFilter(QStringLiteral("( Date > '") + text::shortDate(kToday.addDays(-150)) +
                                QStringLiteral("' )")));
    QCOMPARE(f.exams().recordCount(), 3);
    f.exams().last();
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("yes");

    QVERIFY(f.ops->deleteExamination());

    QCOMPARE(f.numbers(), QList<qint64>({1, 2}));
    QCOMPARE(f.count(QStringLiteral("SELECT Nom_osm FROM osmotr_1 WHERE ID = %1").arg(archived)), 1);
    // A new examination counts the visible ones only, so the number repeats the archived one's.
    f.exams().setFilter(QStringLiteral("( Date > '") + text::shortDate(kToday.addDays(-15)) + QStringLiteral("' )"));
    QVERIFY(f.ops->newExamination());
    QCOMPARE(f.exams().asInteger(QStringLiteral("Nom_osm")), 2);
}

void OsmotrOpsTest::renumberingAsksTheProtectionOncePerExamination()
{
    Fixture f;
    const qint64 a = f.addExam({{"Date", kToday.addDays(-40)}, {"Nom_osm", 7}});
    const qint64 b = f.addExam({{"Date", kToday.addDays(-31)}, {"Nom_osm", 8}});
    const qint64 c = f.addExam({{"Date", kToday.addDays(-30)}, {"Nom_osm", 9}});
    f.settings.protectionOn = true;
    f.settings.protectionDays = 30;
    f.markLog();
    ScopedScriptedDialogs dialogs;
    // Keep them all; refuse the new number of the oldest, accept the next one's.
    dialogs.answers << QStringLiteral("no") << QStringLiteral("no") << QStringLiteral("yes");

    QVERIFY(f.ops->deleteExamination());

    const auto nomOf = [&](qint64 id) {
        return f.count(QStringLiteral("SELECT Nom_osm FROM osmotr_1 WHERE ID = %1").arg(id));
    };
    QCOMPARE(nomOf(a), 7);
    QCOMPARE(nomOf(b), 2);
    QCOMPARE(nomOf(c), 3);
    QCOMPARE(f.numbers(), QList<qint64>({7, 2, 3}));
    QCOMPARE(dialogs.transcript,
             QStringList({kDeleteQuestion, QStringLiteral("beep"), QStringLiteral("beep"), kAgeQuestion,
                          QStringLiteral("beep"), kAgeQuestion, QStringLiteral("beep")}));
    QCOMPARE(f.newLines(), QStringList({check(QStringLiteral("osmotr")),
                                        decision(QStringLiteral(" Отменяем изменения после проверки на дату осмотра.")),
                                        decision(QStringLiteral("Найдено изменение в osmotr - отменяем.")),
                                        check(QStringLiteral("osmotr")), check(QStringLiteral("osmotr"))}));
}

void OsmotrOpsTest::storeReturnsToTheRememberedRecord_data()
{
    QTest::addColumn<bool>("inserting");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("expectedOrdinal"); // which of the three first examinations is current after, 0 = the new one
    QTest::newRow("edit of the first") << false << 1 << 1;
    QTest::newRow("edit of the second") << false << 2 << 2;
    QTest::newRow("edit of the last") << false << 3 << 3;
    // An inserted row is filed last by its key; the list stays on the position it was entered at.
    QTest::newRow("insert before the second") << true << 2 << 2;
    QTest::newRow("insert before the first") << true << 1 << 1;
}

void OsmotrOpsTest::storeReturnsToTheRememberedRecord()
{
    QFETCH(bool, inserting);
    QFETCH(int, position);
    QFETCH(int, expectedOrdinal);
    Fixture f;
    QList<qint64> ids;
    for (int i = 0; i < 3; ++i)
        ids << f.addExam({{"Date", kToday.addDays(-3 + i)}, {"Nom_osm", i + 1}});
    Table &exams = f.exams();
    exams.setRecNo(position);
    if (inserting) {
        exams.insert();
        exams.setValue(QStringLiteral("Date"), kToday);
    } else {
        exams.edit();
        exams.setValue(QStringLiteral("A11"), QStringLiteral("120"));
    }
    QCOMPARE(exams.recNo(), position);

    QVERIFY(exams.post());

    QCOMPARE(f.ops->rememberedRecNo(), position);
    QCOMPARE(exams.recNo(), position);
    QCOMPARE(exams.asInteger(QStringLiteral("ID")), ids[expectedOrdinal - 1]);
    if (inserting)
        QCOMPARE(exams.recordCount(), 4);
}

void OsmotrOpsTest::refusedStoreStillReturnsToTheRememberedRecord()
{
    Fixture f;
    QList<qint64> ids;
    for (int i = 0; i < 3; ++i)
        ids << f.addExam({{"Date", kToday.addDays(-60 + i)}, {"Nom_osm", i + 1}, {"A11", QStringLiteral("50")}});
    f.settings.protectionOn = true;
    f.exams().setRecNo(2);
    f.exams().edit();
    f.exams().setValue(QStringLiteral("A11"), QStringLiteral("900"));
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("no");

    QVERIFY(f.ops->apply());

    QCOMPARE(f.exams().recNo(), 2);
    QCOMPARE(f.exams().asInteger(QStringLiteral("ID")), ids[1]);
    QCOMPARE(f.exams().asString(QStringLiteral("A11")), QStringLiteral("50"));
    QCOMPARE(f.exams().state(), TableState::Browse);
}

void OsmotrOpsTest::pickedDateThenNoLeavesTheStoredDate()
{
    Fixture f;
    const qint64 id = f.addExam({{"Date", kToday.addDays(-2)}, {"Nom_osm", 1}});
    f.markLog();
    f.ops->pickDate(kToday.addDays(-9));
    QCOMPARE(f.exams().state(), TableState::Edit);
    QCOMPARE(f.exams().asDate(QStringLiteral("Date")), kToday.addDays(-9));

    f.ops->discard();

    QCOMPARE(f.exams().state(), TableState::Browse);
    QCOMPARE(f.exams().asDate(QStringLiteral("Date")), kToday.addDays(-2));
    f.exams().refresh();
    QVERIFY(f.moveToExam(id));
    QCOMPARE(f.exams().asDate(QStringLiteral("Date")), kToday.addDays(-2));
    QVERIFY(f.newLines().isEmpty());
}

void OsmotrOpsTest::pickedDateThenYesStoresIt()
{
    Fixture f;
    f.addExam({{"Date", kToday.addDays(-2)}, {"Nom_osm", 1}});
    f.addExam({{"Date", kToday.addDays(-1)}, {"Nom_osm", 2}});
    f.exams().first();
    f.markLog();
    f.ops->pickDate(kToday.addDays(-9));

    QVERIFY(f.ops->apply());

    QCOMPARE(f.exams().state(), TableState::Browse);
    QCOMPARE(f.exams().recNo(), 1);
    QCOMPARE(f.exams().asDate(QStringLiteral("Date")), kToday.addDays(-9));
    QCOMPARE(f.newLines(), QStringList({check(QStringLiteral("osmotr"))}));
    // Nothing pending: "Yes" stores nothing and logs nothing.
    QVERIFY(f.ops->apply());
    QCOMPARE(f.newLines().size(), 1);
}

void OsmotrOpsTest::pickedDinamikaIsStoredAtOnce()
{
    Fixture f;
    const qint64 id = f.addExam({{"Date", kToday}, {"Nom_osm", 1}});
    f.markLog();
    QVERIFY(f.ops->pickDinamika(QStringLiteral("Полный регресс высыпаний")));
    QCOMPARE(f.exams().state(), TableState::Browse);
    QCOMPARE(f.count(QStringLiteral("SELECT COUNT(*) FROM osmotr_1 WHERE ID = %1 AND Dinamika = "
                                    "'Полный регресс высыпаний'")
                         .arg(id)),
             1);
    QCOMPARE(f.newLines(), QStringList({check(QStringLiteral("osmotr"))}));
}

void OsmotrOpsTest::showAllLiftsTheArchive()
{
    Fixture f;
    f.addExam({{"Date", kToday.addDays(-400)}, {"Nom_osm", 1}});
    f.settings.examArchive = true;
    f.settings.examArchiveSuspended = true;
    QVERIFY(f.exams().setFilter(QStringLiteral("( Date > '") + text::shortDate(kToday.addDays(-150)) +
                                QStringLiteral("' )")));
    QCOMPARE(f.exams().recordCount(), 0);

    f.ops->showAll();

    QVERIFY(!f.settings.examArchive);
    QVERIFY(!f.settings.examArchiveSuspended);
    QVERIFY(f.exams().filter().isEmpty());
    QCOMPARE(f.exams().recordCount(), 1);
}

QTEST_GUILESS_MAIN(OsmotrOpsTest)
#include "osmotr_ops_test.moc"
