#include "check.h"
#include "demo.h"
#include "report.h"

#include "database.h"
#include "programfolder.h"
#include "schema.h"

#include <QFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::cli;

namespace {

// A fixed day, so that every run of the tests builds the same demonstration.
const QDate kToday(2025, 3, 14);

DemoOptions demoOptions(int patients, quint32 seed, bool append = false)
{
    DemoOptions o;
    o.patients = patients;
    o.seed = seed;
    o.append = append;
    o.today = kToday;
    return o;
}

QVariantList column(QSqlDatabase &db, const QString &sql)
{
    QVariantList out;
    QSqlQuery q(db);
    if (!q.exec(sql))
        qWarning() << sql << q.lastError().text();
    while (q.next())
        out << q.value(0);
    return out;
}

qint64 count(QSqlDatabase &db, const QString &table)
{
    const QVariantList v = column(db, QStringLiteral("SELECT count(*) FROM %1").arg(db::quoteIdentifier(table)));
    return v.isEmpty() ? -1 : v.first().toLongLong();
}

// Every stored value of every table, in the order of creation.
QStringList dump(QSqlDatabase &db)
{
    QStringList lines;
    for (const db::TableDef &t : db::allTables()) {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                   .arg(db::quoteIdentifier(QString::fromLatin1(t.sqlName)), db::quoteIdentifier(t.rowKeyColumn())));
        while (q.next()) {
            QStringList values{QString::fromLatin1(t.sqlName)};
            for (int i = 0; i < q.record().count(); ++i)
                values << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            lines << values.join(QLatin1Char('|'));
        }
    }
    return lines;
}

QStringList schemaText(const QString &path)
{
    QStringList out;
    {
        QSqlDatabase peek = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("schema-peek"));
        peek.setDatabaseName(path);
        peek.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (peek.open()) {
            QSqlQuery q(peek);
            q.exec(QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY name"));
            while (q.next())
                out << q.value(0).toString() + q.value(1).toString() + q.value(2).toString();
            q.exec(QStringLiteral("PRAGMA user_version"));
            if (q.next())
                out << q.value(0).toString();
        }
        peek.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("schema-peek"));
    return out;
}

// Takes a file of the current layout back to the one before: the fields and columns the last upgrade
// brought are dropped and the version lowered, as a backup of the month before would be.
bool undoLastLayout(const QString &folder)
{
    bool ok = true;
    {
        QSqlDatabase file = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("undo-layout"));
        file.setDatabaseName(QDir(folder).filePath(db::Database::fileName()));
        ok = file.open();
        QSqlQuery q(file);
        QStringList undo;
        for (const db::TableDef &t : db::allTables()) {
            for (const db::FieldDef &f : t.fields) {
                if (!f.calculated && f.layout == db::kSchemaVersion)
                    undo << QStringLiteral("ALTER TABLE %1 DROP COLUMN %2")
                                .arg(db::quoteIdentifier(QString::fromLatin1(t.sqlName)),
                                     db::quoteIdentifier(QString::fromLatin1(f.name)));
            }
        }
        // Layout 3 named the seat of each journal row.
        undo << QStringLiteral("ALTER TABLE audit_log DROP COLUMN Seat")
             << QStringLiteral("PRAGMA user_version=%1").arg(db::kSchemaVersion - 1)
             << QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)");
        for (const QString &sql : std::as_const(undo)) {
            if (!q.exec(sql)) {
                qWarning() << sql << q.lastError().text();
                ok = false;
            }
        }
        q.finish();
        file.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("undo-layout"));
    return ok;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The documents of one patient as "pelorin-cli report" prints them.
QString reportTexts(const QString &folder, const QString &patient)
{
    QString all;
    for (const char *mode : {"full-card", "extract-all", "last-exam"}) {
        QString text, ignored;
        QTemporaryDir out;
        QTextStream o(&text), e(&ignored);
        const int code = runReport({"--data", folder, "--patient", patient, "--mode", mode, "--out", out.path()}, o, e);
        all += QStringLiteral("%1 %2\n%3\n").arg(QString::fromLatin1(mode)).arg(code).arg(text);
    }
    return all;
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initIsIdempotent();
    void initRefusesCorruptFile();

    void demoIsDeterministic_data();
    void demoIsDeterministic();
    void demoRefusesNonEmptyRegister();
    void demoLinksAreClean();
    void demoCoversEveryAlphabetTab();
    void demoDoseIsSumOfProcedureDoses();
    void demoFollowsRegisterRules();

    void checkFindsOrphan_data();
    void checkFindsOrphan();
    void checkChangesNothing_data();
    void checkChangesNothing();
    void checkFindsPhotoRowsAndFilesThatDoNotMatch();
    void checkHoldsEveryLinkAgainstThePhotoFolder_data();
    void checkHoldsEveryLinkAgainstThePhotoFolder();
    void checkTakesThePhotoFolderAsTheProgramDoes_data();
    void checkTakesThePhotoFolderAsTheProgramDoes();
    void everyCommandRefusesWordsAlike_data();
    void everyCommandRefusesWordsAlike();
    void pathThatIsNotUtf8IsRefused();

    void previousLayoutIsReadAsItIs();
    void previousLayoutWithoutItsOwnFieldIsRefused();
};

void CliTest::initIsIdempotent()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("data"));

    const InitResult first = initDatabase(folder);
    QVERIFY2(first.ok, qPrintable(first.error));
    QVERIFY(first.created);
    QCOMPARE(first.exitCode(), kExitOk);
    const QStringList schema = schemaText(first.filePath);
    QVERIFY(!schema.isEmpty());

    const InitResult second = initDatabase(folder);
    QVERIFY2(second.ok, qPrintable(second.error));
    QVERIFY(!second.created);
    QCOMPARE(second.exitCode(), kExitOk);
    QCOMPARE(schemaText(second.filePath), schema);
    QVERIFY(describeInit(second).join(QLatin1Char('\n')).contains(QStringLiteral("ничего не изменено")));

    db::Database database;
    QString error;
    QVERIFY2(database.open(folder, &error), qPrintable(error));
    for (const db::TableDef &t : db::allTables())
        QCOMPARE(count(database.sql(), QString::fromLatin1(t.sqlName)), 0);
}

void CliTest::initRefusesCorruptFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(db::Database::fileName()));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();

    const InitResult r = initDatabase(dir.path());
    QVERIFY(!r.ok);
    QCOMPARE(r.exitCode(), kExitFailure);
    QVERIFY(r.error.contains(db::Database::fileName()));
    QCOMPARE(describeInit(r), QStringList{r.error});
}

void CliTest::demoIsDeterministic_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("seed 1") << quint32(1);
    QTest::newRow("seed 42") << quint32(42);
    QTest::newRow("seed 4294967295") << quint32(4294967295u);
}

void CliTest::demoIsDeterministic()
{
    QFETCH(quint32, seed);
    QStringList dumps[2];
    QList<QPair<QString, qint64>> records[2];
    for (int run = 0; run < 2; ++run) {
        QTemporaryDir dir;
        db::Database database;
        QString error;
        QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
        const DemoResult r = generateDemo(database.sql(), demoOptions(12, seed));
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.patients, 12);
        QCOMPARE(r.records.size(), qsizetype(db::allTables().size()));
        records[run] = r.records;
        dumps[run] = dump(database.sql());
        for (const auto &[table, written] : r.records)
            QCOMPARE(count(database.sql(), table), written);
    }
    QCOMPARE(records[0], records[1]);
    QCOMPARE(dumps[0].first(), dumps[1].first()); // the same first patient
    QCOMPARE(dumps[0], dumps[1]);

    // Another seed gives other patients.
    QTemporaryDir dir;
    db::Database database;
    QString error;
    QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
    QVERIFY(generateDemo(database.sql(), demoOptions(12, seed + 1)).ok);
    QVERIFY(dump(database.sql()) != dumps[0]);
}

void CliTest::demoRefusesNonEmptyRegister()
{
    QTemporaryDir dir;
    db::Database database;
    QString error;
    QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
    QSqlDatabase &db = database.sql();
    QVERIFY(generateDemo(db, demoOptions(5, 3)).ok);
    const QStringList before = dump(db);

    const DemoResult refused = generateDemo(db, demoOptions(5, 4));
    QVERIFY(!refused.ok);
    QVERIFY(refused.refused);
    QVERIFY(refused.error.contains(QStringLiteral("--append")));
    QCOMPARE(dump(db), before);

    const DemoResult appended = generateDemo(db, demoOptions(5, 4, true));
    QVERIFY2(appended.ok, qPrintable(appended.error));
    QCOMPARE(count(db, QStringLiteral("register")), 10);
    // Card numbers stay unique and grow with the key; running numbers go on from the register's count.
    const QVariantList cards = column(db, QStringLiteral("SELECT Amb_karta FROM register ORDER BY ID_man"));
    const QVariantList numbers = column(db, QStringLiteral("SELECT Number FROM register ORDER BY ID_man"));
    for (int i = 0; i < cards.size(); ++i) {
        QCOMPARE(numbers.at(i).toInt(), i + 1);
        if (i > 0)
            QVERIFY(cards.at(i).toInt() > cards.at(i - 1).toInt());
    }
    QVERIFY(checkDatabase(database).clean());
}

void CliTest::demoLinksAreClean()
{
    QTemporaryDir dir;
    db::Database database;
    QString error;
    QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
    const DemoResult r = generateDemo(database.sql(), demoOptions(20, 7));
    QVERIFY2(r.ok, qPrintable(r.error));

    const CheckResult c = checkDatabase(database);
    QVERIFY(c.integrityProblems.isEmpty());
    QVERIFY(c.orphans.isEmpty());
    QVERIFY(c.clean());
    QCOMPARE(c.exitCode(), kExitOk);
    QCOMPARE(c.tablesChecked, 18);
    QCOMPARE(c.recordsChecked, r.totalRecords() - r.recordsOf(QStringLiteral("register")));
    QCOMPARE(r.recordsOf(QStringLiteral("osmotr_img")), 0);
}

void CliTest::demoCoversEveryAlphabetTab()
{
    QTemporaryDir dir;
    db::Database database;
    QString error;
    QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
    QVERIFY(generateDemo(database.sql(), demoOptions(29, 11)).ok);
    QSet<QString> letters;
    for (const QVariant &v : column(database.sql(), QStringLiteral("SELECT Last_Name FROM register")))
        letters.insert(v.toString().left(1));
    // The letter tabs "А" to "Я" of the patient list; there are none for Й, Ъ, Ы, Ь.
    const QString tabs = QStringLiteral("АБВГДЕЁЖЗИКЛМНОПРСТУФХЦЧШЩЭЮЯ");
    for (const QChar c : tabs)
        QVERIFY2(letters.contains(QString(c)), qPrintable(QString(c)));
}

void CliTest::demoDoseIsSumOfProcedureDoses()
{
    QTemporaryDir dir;
    db::Database database;
    QString error;
    QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
    QSqlDatabase &db = database.sql();
    QVERIFY(generateDemo(db, demoOptions(25, 5)).ok);

    // The register's dose is the sum of Power × Time over the three units of every procedure;
    // the last visit, its procedure number and the course numbers come from the first and last procedures.
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral(
        "SELECT r.ID_man, r.Doza, r.Dat_posl, r.Puv_posl, r.Born_Day, r.ID_age_cat, "
        " (SELECT sum(coalesce(p.Power1, 0) * coalesce(p.Time1, 0) + coalesce(p.Power2, 0) * coalesce(p.Time2, 0)"
        "           + coalesce(p.Power3, 0) * coalesce(p.Time3, 0)) FROM lech_puva p WHERE p.ID_man = r.ID_man),"
        " (SELECT p.Date FROM lech_puva p WHERE p.ID_man = r.ID_man ORDER BY p._rowkey DESC LIMIT 1),"
        " (SELECT p.Nom_proc FROM lech_puva p WHERE p.ID_man = r.ID_man ORDER BY p._rowkey DESC LIMIT 1),"
        " (SELECT p.Id_kurs FROM lech_puva p WHERE p.ID_man = r.ID_man ORDER BY p._rowkey LIMIT 1),"
        " (SELECT p.Id_kurs FROM lech_puva p WHERE p.ID_man = r.ID_man ORDER BY p._rowkey DESC LIMIT 1) "
        "FROM register r")));
    int patients = 0;
    while (q.next()) {
        ++patients;
        const QString who = QStringLiteral("ID_man %1").arg(q.value(0).toLongLong());
        QVERIFY2(q.value(1).toLongLong() > 0, qPrintable(who));
        QVERIFY2(q.value(1).toLongLong() == q.value(6).toLongLong(), qPrintable(who));
        QVERIFY2(q.value(2) == q.value(7), qPrintable(who));
        QVERIFY2(q.value(3) == q.value(8), qPrintable(who));
        QVERIFY2(q.value(4) == q.value(9), qPrintable(who));
        QVERIFY2(q.value(5) == q.value(10), qPrintable(who));
    }
    QCOMPARE(patients, 25);

    // Within a course the dose grows from procedure to procedure, and procedures fall on working days.
    QSqlQuery p(db);
    QVERIFY(p.exec(QStringLiteral("SELECT ID_man, Id_kurs, Nom_proc, Power1 * Time1, Date FROM lech_puva "
                                  "ORDER BY ID_man, _rowkey")));
    qint64 man = -1;
    int course = -1;
    int number = 0;
    qint64 dose = 0;
    while (p.next()) {
        const QDate date = QDate::fromString(p.value(4).toString(), Qt::ISODate);
        QVERIFY(date.isValid() && date.dayOfWeek() <= 5);
        QVERIFY(date <= kToday);
        if (p.value(0).toLongLong() != man || p.value(1).toInt() != course) {
            man = p.value(0).toLongLong();
            course = p.value(1).toInt();
            QCOMPARE(p.value(2).toInt(), 1);
        } else {
            QCOMPARE(p.value(2).toInt(), number + 1);
            QVERIFY(p.value(3).toLongLong() > dose);
        }
        number = p.value(2).toInt();
        dose = p.value(3).toLongLong();
    }
}

void CliTest::demoFollowsRegisterRules()
{
    QTemporaryDir dir;
    db::Database database;
    QString error;
    QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
    QSqlDatabase &db = database.sql();
    QVERIFY(generateDemo(db, demoOptions(40, 9)).ok);

    const QStringList anamnesis = {QStringLiteral("anamnez_zab"),
                                   QStringLiteral("anamnez_zab_start"),
                                   QStringLiteral("anamnez_zab_ranlech"),
                                   QStringLiteral("anamnez_zab_obostr_prich"),
                                   QStringLiteral("anamnez_zab_obostr_lech"),
                                   QStringLiteral("anamnez_zab_zalobi"),
                                   QStringLiteral("anamnez_life"),
                                   QStringLiteral("anamnez_life_zab"),
                                   QStringLiteral("anamnez_life_sem")};
    int discharged = 0;
    int inTreatment = 0;
    int archived = 0;
    QSqlQuery r(db);
    QVERIFY(r.exec(QStringLiteral("SELECT ID_man, Sex, Father_Name, Vip_date, Reg_date, NKurs_posl_post, Born_dat "
                                  "FROM register ORDER BY ID_man")));
    QDate previousRegistration;
    while (r.next()) {
        const qint64 man = r.value(0).toLongLong();
        const QString who = QStringLiteral("ID_man %1").arg(man);
        const QString sex = r.value(1).toString();
        QVERIFY2(sex == QStringLiteral("Мужской") || sex == QStringLiteral("Женский"), qPrintable(who));
        const QString father = r.value(2).toString();
        QVERIFY2(sex == QStringLiteral("Мужской") ? father.endsWith(QStringLiteral("ич"))
                                                  : father.endsWith(QStringLiteral("на")),
                 qPrintable(who));
        const QDate registered = QDate::fromString(r.value(4).toString(), Qt::ISODate);
        QVERIFY2(QDate::fromString(r.value(6).toString(), Qt::ISODate) < registered, qPrintable(who));
        // Keys follow the registration dates.
        QVERIFY2(!previousRegistration.isValid() || previousRegistration <= registered, qPrintable(who));
        previousRegistration = registered;

        for (const QString &table : anamnesis) {
            QSqlQuery a(db);
            a.prepare(QStringLiteral("SELECT count(*) FROM %1 WHERE ID_man = ?").arg(db::quoteIdentifier(table)));
            a.addBindValue(man);
            QVERIFY(a.exec() && a.next());
            QVERIFY2(a.value(0).toInt() == 1, qPrintable(who + QLatin1Char(' ') + table));
        }

        // Diagnosis events: admission, discharge, admission ... with the course number of their pair.
        QSqlQuery d(db);
        d.prepare(QStringLiteral("SELECT Text, Kurs, Data, Text1 FROM diagnoz WHERE ID_man = ? ORDER BY ID"));
        d.addBindValue(man);
        QVERIFY(d.exec());
        int place = 0;
        QString lastText;
        QString lastDate;
        while (d.next()) {
            ++place;
            const QString expected = place == 1 ? QStringLiteral("Диагноз при первом поступлении")
                                     : place % 2 ? QStringLiteral("Диагноз при поступлении")
                                                 : QStringLiteral("Диагноз при выписке");
            QCOMPARE(d.value(0).toString(), expected);
            QCOMPARE(d.value(1).toInt(), (place + 1) / 2);
            QVERIFY(!d.value(3).toString().isEmpty());
            if (place == 1)
                QCOMPARE(d.value(2).toString(), r.value(4).toString());
            lastText = d.value(0).toString();
            lastDate = d.value(2).toString();
        }
        QVERIFY2(place >= 1, qPrintable(who));
        QCOMPARE(r.value(5).toInt(), (place + 1) / 2);
        // Blank discharge date while the last event is an admission, else the discharge's date.
        if (lastText == QStringLiteral("Диагноз при выписке")) {
            QCOMPARE(r.value(3).toString(), lastDate);
            ++discharged;
            if (QDate::fromString(lastDate, Qt::ISODate).daysTo(kToday) >= 150)
                ++archived;
        } else {
            QVERIFY2(r.value(3).isNull(), qPrintable(who));
            ++inTreatment;
        }

        QSqlQuery stays(db);
        stays.prepare(QStringLiteral("SELECT count(*), count(Vip_date) FROM post_vip WHERE ID_man = ?"));
        stays.addBindValue(man);
        QVERIFY(stays.exec() && stays.next());
        QCOMPARE(stays.value(0).toInt(), (place + 1) / 2);
        QCOMPARE(stays.value(1).toInt(), place / 2);
    }
    // Some patients are in treatment, some discharged long enough ago for the archive to hide them.
    QVERIFY(inTreatment > 0);
    QVERIFY(archived > 0);
    QVERIFY(discharged > archived);

    // Examinations are numbered 1..n per patient; elements belong to them.
    QCOMPARE(column(db, QStringLiteral("SELECT count(*) FROM osmotr_1 o WHERE Nom_osm <> "
                                       "(SELECT count(*) FROM osmotr_1 x WHERE x.ID_man = o.ID_man AND x.ID <= o.ID)"))
                 .value(0)
                 .toInt(),
             0);
    QCOMPARE(column(db, QStringLiteral("SELECT count(*) FROM osmotr_1 o WHERE NOT EXISTS "
                                       "(SELECT 1 FROM osmotr_elem e WHERE e.ID_elem = o.ID)"))
                 .value(0)
                 .toInt(),
             0);
}

void CliTest::checkFindsOrphan_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("linkField");
    QTest::addColumn<QVariant>("link"); // invalid: a blank link
    QTest::addColumn<QString>("master");

    QTest::newRow("element without examination")
        << QStringLiteral("osmotr_elem") << QStringLiteral("ID_elem") << QVariant(999999) << QStringLiteral("osmotr_1");
    QTest::newRow("procedure without patient")
        << QStringLiteral("lech_puva") << QStringLiteral("ID_man") << QVariant(999999) << QStringLiteral("register");
    QTest::newRow("procedure with blank link")
        << QStringLiteral("lech_puva") << QStringLiteral("ID_man") << QVariant() << QStringLiteral("register");
    QTest::newRow("photo without examination")
        << QStringLiteral("osmotr_img") << QStringLiteral("Id_man") << QVariant(5) << QStringLiteral("osmotr_1");
    QTest::newRow("family anamnesis without patient") << QStringLiteral("anamnez_life_sem") << QStringLiteral("ID_man")
                                                      << QVariant(424242) << QStringLiteral("register");
    QTest::newRow("prescription with blank link")
        << QStringLiteral("lech_lekar") << QStringLiteral("Id_man") << QVariant() << QStringLiteral("register");
}

void CliTest::checkFindsOrphan()
{
    QFETCH(QString, table);
    QFETCH(QString, linkField);
    QFETCH(QVariant, link);
    QFETCH(QString, master);

    QTemporaryDir dir;
    db::Database database;
    QString error;
    QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
    QSqlDatabase &db = database.sql();
    QVERIFY(generateDemo(db, demoOptions(6, 2)).ok);
    QVERIFY(checkDatabase(database).clean());

    // An examination key that does not exist: one past the highest.
    QVariant value = link;
    if (master == QLatin1String("osmotr_1") && link.isValid())
        value = column(db, QStringLiteral("SELECT max(ID) + 1 FROM osmotr_1")).value(0);
    QSqlQuery q(db);
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (?)")
                          .arg(db::quoteIdentifier(table), db::quoteIdentifier(linkField))));
    q.addBindValue(value.isValid() ? value : QVariant(QMetaType::fromType<qlonglong>()));
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));

    const CheckResult c = checkDatabase(database);
    QVERIFY(c.integrityProblems.isEmpty());
    QCOMPARE(c.orphans.size(), 1);
    const Orphan &o = c.orphans.first();
    QCOMPARE(o.table, table);
    QCOMPARE(o.linkField, linkField);
    QCOMPARE(o.masterTable, master);
    QCOMPARE(o.blankLink(), !link.isValid());
    if (link.isValid())
        QCOMPARE(o.link.toLongLong(), value.toLongLong());
    QCOMPARE(c.exitCode(), kExitFindings);

    const QStringList lines = describeCheck(c);
    QVERIFY(lines.first().startsWith(table + QLatin1Char(',')));
    QCOMPARE(lines.first().contains(QStringLiteral("пустое")), !link.isValid());
    QVERIFY(lines.last().contains(QStringLiteral("Записей без пациента или осмотра: 1")));
}

void CliTest::checkChangesNothing_data()
{
    QTest::addColumn<QString>("file"); // "sound", "empty", "foreign"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("words");
    QTest::newRow("sound file") << "sound" << kExitOk << QStringLiteral("нарушений нет");
    QTest::newRow("empty file") << "empty" << kExitFindings << QStringLiteral("повреждён");
    QTest::newRow("another program's file") << "foreign" << kExitFindings << QStringLiteral("повреждён");
}

void CliTest::checkChangesNothing()
{
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    QFETCH(QString, words);
    QTemporaryDir dir;
    const QString path = dir.filePath(db::Database::fileName());
    if (file == QLatin1String("sound")) {
        QVERIFY(initDatabase(dir.path()).ok);
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // Not a database at all: an office document, say.
        if (file == QLatin1String("foreign"))
            f.write(QByteArray("PK\x03\x04") + QByteArray(4000, 'x'));
    }
    auto content = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = content();
    const CheckResult c = checkFolder(dir.path(), QString());
    QCOMPARE(c.exitCode(), exitCode);
    QVERIFY2(describeCheck(c).join(QLatin1Char(' ')).contains(words), qPrintable(describeCheck(c).join(' ')));
    QCOMPARE(content(), before);
}

void CliTest::checkFindsPhotoRowsAndFilesThatDoNotMatch()
{
    QTemporaryDir data;
    QTemporaryDir program;
    db::Database database;
    QString error;
    QVERIFY2(database.open(data.path(), &error), qPrintable(error));
    QSqlQuery q(database.sql());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO register (ID_man, Last_Name) VALUES (1, 'Антонов')")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO osmotr_1 (ID, ID_man, Nom_osm) VALUES (1, 1, 1)")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO osmotr_img (Id, Id_man, Link) VALUES (1, 1, 'foto\\12\\осмотр1-фото1.jpg')")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO osmotr_img (Id, Id_man, Link) VALUES (2, 1, NULL)")));
    QVERIFY(QDir(program.path()).mkpath(QStringLiteral("foto/12")));
    for (const char *name : {"foto/12/осмотр1-фото1.jpg", "foto/12/осмотр1-фото9.jpg"}) {
        QFile f(QDir(program.path()).filePath(QString::fromUtf8(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const CheckResult c = checkDatabase(database, program.path());
    QCOMPARE(c.photosWithoutLink, QList<qint64>{2});
    QCOMPARE(c.strayPhotoFiles, QStringList{QStringLiteral("foto\\12\\осмотр1-фото9.jpg")});
    QCOMPARE(c.exitCode(), kExitFindings);
    const QString text = describeCheck(c).join(QLatin1Char('\n'));
    QVERIFY2(text.contains(QStringLiteral("osmotr_img, Id = 2: поле Link пустое")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("foto\\12\\осмотр1-фото9.jpg: файл фотографии не указан")), qPrintable(text));
}

void CliTest::checkHoldsEveryLinkAgainstThePhotoFolder_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("finding"); // empty when the row is sound
    QTest::newRow("copy in place") << "foto\\12\\осмотр1-фото1.jpg" << "";
    QTest::newRow("copy lost") << "foto\\12\\осмотр1-фото2.jpg" << "файла фотографии «foto\\12\\осмотр1-фото2.jpg» нет";
    QTest::newRow("folder lost") << "foto\\13\\осмотр1-фото1.jpg" << "файла фотографии «foto\\13\\осмотр1-фото1.jpg» нет";
    QTest::newRow("dot-dot out") << "foto\\..\\..\\victim.txt" << "ведёт за пределы папки фотографий";
    QTest::newRow("not under foto") << "victim.txt" << "ведёт за пределы папки фотографий";
    QTest::newRow("absolute path") << "/etc/hostname" << "ведёт за пределы папки фотографий";
    QTest::newRow("a link pointing out") << "foto\\12\\ссылка.jpg" << "ведёт за пределы папки фотографий";
}

void CliTest::checkHoldsEveryLinkAgainstThePhotoFolder()
{
    QFETCH(QString, link);
    QFETCH(QString, finding);
    QTemporaryDir data;
    QTemporaryDir program;
    db::Database database;
    QString error;
    QVERIFY2(database.open(data.path(), &error), qPrintable(error));
    QSqlQuery q(database.sql());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO register (ID_man, Last_Name) VALUES (1, 'Антонов')")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO osmotr_1 (ID, ID_man, Nom_osm) VALUES (1, 1, 1)")));
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO osmotr_img (Id, Id_man, Link) VALUES (1, 1, ?)")));
    q.addBindValue(link);
    QVERIFY(q.exec());
    QVERIFY(QDir(program.path()).mkpath(QStringLiteral("foto/12")));
    QFile copy(program.filePath(QStringLiteral("foto/12/осмотр1-фото1.jpg")));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(QStringLiteral("/etc/hostname"), program.filePath(QStringLiteral("foto/12/ссылка.jpg"))));
    const CheckResult c = checkDatabase(database, program.path());
    const QString text = describeCheck(c).join(QLatin1Char('\n'));
    QCOMPARE(c.photosOutside.size() + c.photosMissing.size(), finding.isEmpty() ? 0 : 1);
    // The copy and the planted link are files no row names, but for the one this row names.
    const bool namesAFile = link.contains(QStringLiteral("ссылка")) || link.endsWith(QStringLiteral("12\\осмотр1-фото1.jpg"));
    QCOMPARE(c.strayPhotoFiles.size(), namesAFile ? 1 : 2);
    if (!finding.isEmpty())
        QVERIFY2(text.contains(QStringLiteral("osmotr_img, Id = 1: ")) && text.contains(finding), qPrintable(text));
}

void CliTest::checkTakesThePhotoFolderAsTheProgramDoes_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("--photos") << "option";
    QTest::newRow("PELORIN_PHOTOS") << "environment";
}

void CliTest::checkTakesThePhotoFolderAsTheProgramDoes()
{
    QFETCH(QString, how);
    QTemporaryDir data;
    QTemporaryDir shared;
    {
        db::Database database;
        QString error;
        QVERIFY2(database.open(data.path(), &error), qPrintable(error));
        QSqlQuery q(database.sql());
        QVERIFY(q.exec(QStringLiteral("INSERT INTO register (ID_man, Last_Name) VALUES (1, 'Антонов')")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO osmotr_1 (ID, ID_man, Nom_osm) VALUES (1, 1, 1)")));
        QVERIFY(q.exec(QStringLiteral(
            "INSERT INTO osmotr_img (Id, Id_man, Link) VALUES (1, 1, 'foto\\12\\осмотр1-фото1.jpg'), "
            "(2, 1, 'foto\\12\\осмотр1-фото2.jpg')")));
    }
    QVERIFY(QDir(shared.path()).mkpath(QStringLiteral("foto/12")));
    QFile copy(shared.filePath(QStringLiteral("foto/12/осмотр1-фото1.jpg")));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    QProcess tool;
    QStringList args{QStringLiteral("check"), QStringLiteral("--data"), data.path()};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (how == QLatin1String("option"))
        args << QStringLiteral("--photos") << shared.path();
    else
        environment.insert(QStringLiteral("PELORIN_PHOTOS"), shared.path());
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(PELORIN_PROGRAM_DIR "/pelorin-cli"), args);
    QVERIFY(tool.waitForFinished(60000));
    const QString out = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    QCOMPARE(tool.exitCode(), kExitFindings);
    // Only the second copy is lost: the first is found in the shared folder.
    QVERIFY2(out.contains(QStringLiteral("osmotr_img, Id = 2: файла фотографии")), qPrintable(out));
    QVERIFY2(!out.contains(QStringLiteral("Id = 1:")), qPrintable(out));
}

void CliTest::everyCommandRefusesWordsAlike_data()
{
    // The words after pelorin-cli (DATA: a data folder with a database), and what the refusal says;
    // every one ends with 2 and the command's own usage.
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("complaint");
    QTest::addColumn<QString>("usage"); // a line of the command's own usage
    QTest::newRow("init: unknown option") << QStringList{"init", "--data", "DATA", "--bogus", "1"}
                                          << "неизвестный параметр «--bogus»" << "pelorin-cli init";
    QTest::newRow("demo: --patients twice") << QStringList{"demo", "--data", "DATA", "--patients", "3", "--patients", "4"}
                                            << "параметр --patients указан дважды" << "pelorin-cli demo";
    QTest::newRow("check: --data twice") << QStringList{"check", "--data", "DATA", "--data=DATA"}
                                         << "параметр --data указан дважды" << "pelorin-cli check";
    QTest::newRow("backup: --to twice") << QStringList{"backup", "--data", "DATA", "--to", "DATA/a", "--to", "DATA/b"}
                                        << "параметр --to указан дважды" << "pelorin-cli backup";
    QTest::newRow("restore: --from twice")
        << QStringList{"restore", "--data", "DATA", "--from", "DATA/a", "--from=DATA/b"}
        << "параметр --from указан дважды" << "pelorin-cli restore";
    QTest::newRow("restore: unknown option") << QStringList{"restore", "--data", "DATA", "--to", "DATA/a"}
                                             << "неизвестный параметр «--to»" << "pelorin-cli restore";
    QTest::newRow("audit: --patient twice") << QStringList{"audit", "--data", "DATA", "--patient", "1", "--patient", "2"}
                                            << "параметр --patient указан дважды" << "pelorin-cli audit";
    QTest::newRow("maintain: --run twice") << QStringList{"maintain", "--data", "DATA", "--run", "1", "--run", "2"}
                                           << "параметр --run указан дважды" << "pelorin-cli maintain";
    QTest::newRow("migrate: --from twice")
        << QStringList{"migrate", "--from", "DATA", "--from", "DATA", "--to", "postgresql://u@h/b"}
        << "параметр --from указан дважды" << "pelorin-cli migrate";
    QTest::newRow("report: --mode twice")
        << QStringList{"report", "--data", "DATA", "--patient", "1", "--mode", "full-card", "--mode", "exam"}
        << "параметр --mode указан дважды" << "pelorin-cli report";
}

void CliTest::everyCommandRefusesWordsAlike()
{
    QFETCH(QStringList, words);
    QFETCH(QString, complaint);
    QFETCH(QString, usage);
    QTemporaryDir data;
    QVERIFY(initDatabase(data.path()).ok);
    for (QString &w : words)
        w.replace(QStringLiteral("DATA"), data.path());
    QProcess tool;
    tool.start(QStringLiteral(PELORIN_PROGRAM_DIR "/pelorin-cli"), words);
    QVERIFY(tool.waitForFinished(60000));
    const QString err = QString::fromUtf8(tool.readAllStandardError());
    QCOMPARE(tool.exitCode(), 2);
    QVERIFY2(err.startsWith(QStringLiteral("Ошибка: ") + complaint), qPrintable(err));
    QVERIFY2(err.contains(usage), qPrintable(err));
    // restore tells its own usage, not backup's.
    if (usage.endsWith(QLatin1String("restore")))
        QVERIFY2(!err.contains(QStringLiteral("pelorin-cli backup")), qPrintable(err));
    QVERIFY(QFileInfo(data.filePath(QStringLiteral("a"))).exists() == false);
}

void CliTest::pathThatIsNotUtf8IsRefused()
{
    QTemporaryDir parent;
    // The folder "клиника\xff": its name as bytes, which no text of the program can name again.
    QProcess tool;
    tool.setWorkingDirectory(parent.path());
    tool.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$0\" init --data \"$(printf 'data\\377')\""),
                                           QStringLiteral(PELORIN_PROGRAM_DIR "/pelorin-cli")});
    QVERIFY(tool.waitForFinished(60000));
    const QString err = QString::fromUtf8(tool.readAllStandardError());
    QCOMPARE(tool.exitCode(), 2);
    QVERIFY2(err.contains(QStringLiteral("не в кодировке UTF-8")) && err.contains(QStringLiteral("data%FF")),
             qPrintable(err));
    // Nothing was made, neither under that name nor under another one.
    QCOMPARE(QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

void CliTest::previousLayoutIsReadAsItIs()
{
    // A backup of last month: made by the program before its last layout, read by report and check
    // as it is, with the fields it does not have yet blank and nothing written into it.
    // The forms of the card are those of the program folder.
    folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
    const auto restore = qScopeGuard([] { folder::setRoot(QString()); });
    QTemporaryDir dir;
    QString patient;
    {
        db::Database database;
        QString error;
        QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
        const DemoResult r = generateDemo(database.sql(), demoOptions(6, 3));
        QVERIFY2(r.ok, qPrintable(r.error));
        patient = column(database.sql(), QStringLiteral("SELECT min(ID_man) FROM register")).value(0).toString();
    }
    const QString current = reportTexts(dir.path(), patient);
    QVERIFY(current.startsWith(QStringLiteral("full-card 0\n")));
    QVERIFY(undoLastLayout(dir.path()));

    const QString path = dir.filePath(db::Database::fileName());
    const QByteArray before = fileBytes(path);
    QCOMPARE(reportTexts(dir.path(), patient), current);
    const CheckResult check = checkFolder(dir.path(), dir.path());
    QVERIFY2(check.openError.isEmpty(), qPrintable(check.openError));
    QVERIFY(check.integrityProblems.isEmpty() && check.orphans.isEmpty());
    QVERIFY(check.recordsChecked > 0);
    {
        db::Database database;
        QString error;
        QVERIFY2(database.open(dir.path(), &error, db::Database::OpenMode::ReadOnly), qPrintable(error));
        for (const db::TableDef &t : db::allTables()) {
            for (const db::FieldDef &f : t.fields) {
                if (f.calculated || f.layout < db::kSchemaVersion)
                    continue;
                const QVariantList values = column(database.sql(), QStringLiteral("SELECT %1 FROM %2")
                                                                       .arg(db::quoteIdentifier(QString::fromLatin1(f.name)),
                                                                            db::quoteIdentifier(QString::fromLatin1(t.sqlName))));
                for (const QVariant &v : values)
                    QVERIFY2(v.isNull(), f.name);
            }
        }
    }
    QCOMPARE(fileBytes(path), before);
}

void CliTest::previousLayoutWithoutItsOwnFieldIsRefused()
{
    // An older layout excuses only what came after it: a field it had and lost is a damaged file.
    QTemporaryDir dir;
    QVERIFY(initDatabase(dir.path()).ok);
    QVERIFY(undoLastLayout(dir.path()));
    {
        QSqlDatabase file = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lose-field"));
        file.setDatabaseName(dir.filePath(db::Database::fileName()));
        QVERIFY(file.open());
        QSqlQuery q(file);
        QVERIFY(q.exec(QStringLiteral("ALTER TABLE register DROP COLUMN Email")));
        q.finish();
        file.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("lose-field"));
    db::Database database;
    QString error;
    QVERIFY(!database.open(dir.path(), &error, db::Database::OpenMode::ReadOnly));
    QVERIFY2(error.contains(QStringLiteral("В таблице register нет поля Email")), qPrintable(error));
    QCOMPARE(checkFolder(dir.path(), dir.path()).exitCode(), kExitFindings);
}

QTEST_GUILESS_MAIN(CliTest)
#include "cli_test.moc"
