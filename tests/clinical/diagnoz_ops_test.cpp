#include "diagnoz_ops.h"

#include "clinicfixture.h"
#include "clock.h"
#include "diagnoz_calc.h"
#include "dialogs.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::clinical;

namespace {

const QDate kToday(2025, 6, 1);

struct Clinic : testing::ClinicFixture
{
    db::Table &diagnoz;
    db::Table &exams;
    DiagnozOps ops;

    explicit Clinic(int bornDay = 1)
        : diagnoz(*dm2->diagnoz), exams(*dm2->osmotr1), ops(*dm1, *dm2, settings, log, *protection)
    {
        clock::setFixedToday(kToday);
        installDiagnozCalc(diagnoz);
        ops.install();
        append(reg(), {{"Last_Name", "Иванов"}, {"Born_Day", bornDay}, {"Reg_date", QDate(2024, 12, 1)},
                       {"Dat_posl_post", QDate(2020, 1, 1)}, {"ID_age_cat", 77}, {"Vip_date", QDate(2020, 2, 2)}});
    }
    ~Clinic() { clock::reset(); }

    void addEvents(const QStringList &statuses)
    {
        int day = 0;
        for (const QString &s : statuses)
            append(diagnoz, {{"Text", s}, {"Data", QDate(2025, 1, 1).addDays(10 * day++)}});
    }

    QStringList column(const char *field)
    {
        QStringList out;
        for (diagnoz.first(); !diagnoz.eof(); diagnoz.next())
            out << diagnoz.asString(QString::fromLatin1(field));
        return out;
    }
};

} // namespace

class DiagnozOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chain_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("added");
        QTest::newRow("none") << QStringList{} << kFirstAdmission;
        QTest::newRow("after first admission") << QStringList{kFirstAdmission} << kDischarge;
        QTest::newRow("after discharge") << QStringList{kFirstAdmission, kDischarge} << kAdmission;
        QTest::newRow("after admission") << QStringList{kFirstAdmission, kDischarge, kAdmission} << kDischarge;
        QTest::newRow("after a status outside the chain") << QStringList{"Консультация"} << QString();
    }

    void chain()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, added);
        ScopedScriptedDialogs dialogs; // no examination: nothing asked
        Clinic c;
        c.addEvents(before);
        QVERIFY(c.ops.newEvent());
        QCOMPARE(c.diagnoz.recordCount(), before.size() + 1);
        QCOMPARE(c.diagnoz.asString("Text"), added);
        QCOMPARE(c.diagnoz.asDate("Data"), kToday);
        QVERIFY(dialogs.transcript.filter("ask:").isEmpty());
    }

    void kursStoredOnPost_data()
    {
        QTest::addColumn<int>("bornDay");
        QTest::addColumn<QList<int>>("kurs");
        QTest::newRow("Born_Day 0") << 0 << QList<int>{0, 0, 0, 0, 0};
        QTest::newRow("Born_Day 3") << 3 << QList<int>{3, 3, 4, 4, 5};
    }

    // A new event is stored with the course of its place, not the value it shows while unstored.
    void kursStoredOnPost()
    {
        QFETCH(int, bornDay);
        QFETCH(QList<int>, kurs);
        ScopedScriptedDialogs dialogs;
        Clinic c(bornDay);
        for (int i = 0; i < 5; ++i)
            QVERIFY(c.ops.newEvent());
        QList<int> stored;
        QSqlQuery q(c.db.sql());
        q.exec("SELECT \"Kurs\" FROM diagnoz ORDER BY \"ID\"");
        while (q.next())
            stored << q.value(0).toInt();
        QCOMPARE(stored, kurs);
        c.diagnoz.append();
        QCOMPARE(c.diagnoz.asInteger("kurs_calk"), bornDay ? bornDay - 1 : 0);
        c.diagnoz.cancel();
    }

    void postRulesAndLogLines()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.addEvents({kFirstAdmission});
        c.log.append("start");
        c.diagnoz.edit();
        QCOMPARE(c.log.lines().last().section(" - ", 1), QStringLiteral("Событие после редактирования текста"));
        c.diagnoz.setValue("B1", true);
        QVERIFY(c.diagnoz.post());
        const QStringList lines = c.log.lines().mid(c.log.lines().indexOf("start"));
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines[2].endsWith(" - Проверка на защищенность данных со стороны diagnoz"));
        QCOMPARE(lines[3].section(" - ", 1), QStringLiteral("Событие добавки номера курса."));
        QCOMPARE(lines[4].section(" - ", 1), QStringLiteral("Значение диагноза добавлено: псориаз. "));
        QCOMPARE(c.stored("SELECT \"Text1\" FROM diagnoz").toString(), QStringLiteral("псориаз. "));
    }

    void endOfCourseQuestion_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QDate>("eventDate");
        QTest::addColumn<int>("endKurs");
        QTest::newRow("yes") << "yes" << QDate(2025, 5, 20) << 2;
        QTest::newRow("no") << "no" << kToday << 0;
    }

    void endOfCourseQuestion()
    {
        QFETCH(QString, answer);
        QFETCH(QDate, eventDate);
        QFETCH(int, endKurs);
        ScopedScriptedDialogs dialogs;
        dialogs.answers = {answer};
        Clinic c;
        c.addEvents({kFirstAdmission});
        c.append(c.exams, {{"Nom_osm", 1}, {"Date", QDate(2025, 5, 1)}});
        c.append(c.exams, {{"Nom_osm", 2}, {"Date", QDate(2025, 5, 20)}});
        QVERIFY(c.ops.newEvent());
        QCOMPARE(dialogs.transcript.filter("ask:").value(0),
                 QStringLiteral("ask: Внимание!: Этот диагноз при выписке ставится на последнем (20.05.2025) осмотре?"));
        QCOMPARE(c.diagnoz.asDate("Data"), eventDate);
        QCOMPARE(c.stored("SELECT \"End_kurs\" FROM osmotr_1 WHERE \"Nom_osm\" = 2").toInt(), endKurs);
        QCOMPARE(c.stored("SELECT count(*) FROM osmotr_1 WHERE \"End_kurs\" IS NOT NULL").toInt(), endKurs ? 1 : 0);
    }

    void deleteKeepsTheListFromEmptying_data()
    {
        QTest::addColumn<int>("events");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("message");
        QTest::newRow("two, yes") << 2 << "yes" << QStringList{kFirstAdmission} << false;
        QTest::newRow("one, no") << 1 << "no" << QStringList{kFirstAdmission} << false;
        QTest::newRow("one, yes") << 1 << "yes" << QStringList{kFirstAdmission} << true;
    }

    void deleteKeepsTheListFromEmptying()
    {
        QFETCH(int, events);
        QFETCH(QString, answer);
        QFETCH(QStringList, after);
        QFETCH(bool, message);
        ScopedScriptedDialogs dialogs;
        dialogs.answers = {answer};
        Clinic c;
        c.addEvents(QStringList{kFirstAdmission, kDischarge}.mid(0, events));
        c.diagnoz.last();
        c.ops.deleteEvent();
        QCOMPARE(c.column("Text"), after);
        QCOMPARE(dialogs.transcript.filter(QStringLiteral("message: Внимание!: ") + kRecreatedMessage).size(), message ? 1 : 0);
        QCOMPARE(dialogs.transcript.filter(kDeleteQuestion).size(), 1);
    }

    void clearButtons_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("severity 2") << "30" << 2 << true;
        QTest::newRow("severity out of range") << "30" << 4 << false;
        QTest::newRow("effect 4") << "40" << 4 << true;
        QTest::newRow("effect 0") << "40" << 0 << false;
    }

    void clearButtons()
    {
        QFETCH(QString, field);
        QFETCH(int, value);
        QFETCH(bool, cleared);
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.append(c.diagnoz, {{field, value}, {"Text", kFirstAdmission}});
        const bool done = field == "30" ? c.ops.clearSeverity() : c.ops.clearEffect();
        QCOMPARE(done, cleared);
        QCOMPARE(c.stored(QStringLiteral("SELECT \"%1\" FROM diagnoz").arg(field)).toInt(), cleared ? 0 : value);
    }

    void closeCopiesIntoRegister_data()
    {
        QTest::addColumn<int>("events");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QDate>("datPoslPost");
        QTest::addColumn<int>("nkurs");
        QTest::addColumn<QDate>("vipDate");
        QTest::addColumn<int>("ageCat");
        // Born_Day 3; events dated 1, 11, 21 January: courses 3, 3, 4.
        QTest::newRow("one event") << 1 << "диагноз один, ниче не делаем" << QDate(2020, 1, 1) << 3 << QDate() << 77;
        QTest::newRow("two events") << 2 << "копируем последний статус диагноза" << QDate(2025, 1, 1) << 3
                                    << QDate(2025, 1, 11) << 3;
        QTest::newRow("three events") << 3 << "диагнозов несколько, берем предпоследний." << QDate(2025, 1, 21) << 4
                                      << QDate(2025, 1, 11) << 3;
    }

    void closeCopiesIntoRegister()
    {
        QFETCH(int, events);
        QFETCH(QString, line);
        QFETCH(QDate, datPoslPost);
        QFETCH(int, nkurs);
        QFETCH(QDate, vipDate);
        QFETCH(int, ageCat);
        ScopedScriptedDialogs dialogs;
        dialogs.answers = {"no", "no", "no"};
        Clinic c(3);
        c.addEvents(QStringList{kFirstAdmission, kDischarge, kAdmission}.mid(0, events));
        c.settings.protectionOn = true; // registered long ago: without the suspension it would ask
        c.diagnoz.first();
        c.diagnoz.edit();
        c.diagnoz.setValue("B2", true); // not applied: dropped
        c.ops.closeWindow();
        QVERIFY(dialogs.transcript.filter("ask:").isEmpty());
        QCOMPARE(c.log.lines().filter(line).size(), 1);
        QCOMPARE(c.diagnoz.recNo(), 1);
        QCOMPARE(c.stored("SELECT count(*) FROM diagnoz WHERE \"B2\" = 1").toInt(), 0);
        QCOMPARE(c.reg().value("Dat_posl_post").toDate(), datPoslPost);
        QCOMPARE(c.reg().asInteger("NKurs_posl_post"), nkurs);
        QCOMPARE(c.reg().value("Vip_date").toDate(), vipDate);
        QCOMPARE(c.reg().asInteger("ID_age_cat"), ageCat);
        QCOMPARE(c.stored("SELECT \"NKurs_posl_post\" FROM register").toInt(), nkurs);
        QVERIFY(!c.settings.protectionSuspended);
    }

    void closeWithoutEventsKeepsRegister()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.ops.closeWindow();
        QCOMPARE(c.reg().value("Vip_date").toDate(), QDate(2020, 2, 2));
        QCOMPARE(c.reg().asInteger("ID_age_cat"), 77);
    }

    void quickFirst_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("psoriasis");
        QTest::addColumn<QString>("other");
        QTest::addColumn<QString>("list");
        QTest::newRow("new, psoriasis") << false << true << QString() << "псориаз. ";
        QTest::newRow("existing atopic, other typed") << true << false << "Угревая болезнь"
                                                      << "атопический дерматит; Угревая болезнь.";
    }

    void quickFirst()
    {
        QFETCH(bool, existing);
        QFETCH(bool, psoriasis);
        QFETCH(QString, other);
        QFETCH(QString, list);
        ScopedScriptedDialogs dialogs;
        Clinic c;
        if (existing)
            c.append(c.diagnoz, {{"B2", true}, {"Text", kDischarge}, {"Data", kToday}});
        QVERIFY(c.ops.quickFirst(psoriasis, false, other));
        c.diagnoz.first();
        QCOMPARE(c.diagnoz.recordCount(), 1);
        QCOMPARE(c.diagnoz.asString("Text"), kFirstAdmission);
        QCOMPARE(c.diagnoz.asDate("Data"), QDate(2024, 12, 1));
        QCOMPARE(c.diagnoz.asString("List"), list);
    }
};

QTEST_GUILESS_MAIN(DiagnozOpsTest)
#include "diagnoz_ops_test.moc"
