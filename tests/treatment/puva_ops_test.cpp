#include "puva_ops.h"

#include "clinicfixture.h"
#include "clock.h"
#include "dialogs.h"
#include "puva_calc.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::treatment;

// (course, procedure number) pairs in creation order.
using Numbers = QList<QPair<int, int>>;
Q_DECLARE_METATYPE(Numbers)
using Indexes = QList<int>;
Q_DECLARE_METATYPE(Indexes)

namespace {

const QDate kToday(2025, 3, 1);

struct Clinic : testing::ClinicFixture
{
    db::Table &puva;

    Clinic() : puva(*dm2->lech_puva)
    {
        clock::setFixedToday(kToday);
        installPuvaCalc(puva);
        append(reg(), {{"Last_Name", "Иванов"}, {"Ves", 70}, {"Reg_date", kToday}});
    }
    ~Clinic() { clock::reset(); }

    void addNumbered(const Numbers &numbers)
    {
        for (const auto &[course, number] : numbers)
            append(puva, {{"Id_kurs", course}, {"Nom_proc", number}, {"Date", QDate(2025, 1, 10)}});
    }

    Numbers numbers()
    {
        Numbers out;
        for (puva.first(); !puva.eof(); puva.next())
            out.append({int(puva.asInteger("Id_kurs")), int(puva.asInteger("Nom_proc"))});
        return out;
    }
};

const QVariantMap kFirstSettings{{"Type_kurs", "ПУВА"}, {"Type_prep", "Аммифурин"}, {"Tabl", 4},
                                 {"Type1", "П-54"},     {"Power1", 15},             {"Time1", 7},
                                 {"Type2", "УФ-2"},     {"Power2", 25},             {"Time2", 4},
                                 {"Type3", "УФ-3"},     {"Power3", 1},              {"Time3", 5}};
const QVariantMap kLaterSettings{{"Type_kurs", "РеПУВА"}, {"Type_prep", "Оксорален"}, {"Tabl", 6},
                                 {"Type1", "ОН-7"},       {"Power1", 30},             {"Time1", 12},
                                 {"Type2", "П-60"},       {"Power2", 20},             {"Time2", 2},
                                 {"Type3", "П-61"},       {"Power3", 3},              {"Time3", 9}};

QVariantMap merged(QVariantMap base, const QVariantMap &more)
{
    for (auto it = more.begin(); it != more.end(); ++it)
        base.insert(it.key(), it.value());
    return base;
}

void compareSettings(db::Table &t, const QVariantMap &expected)
{
    for (const char *name : kCarriedFields) {
        const QString field = QString::fromLatin1(name);
        QVERIFY2(t.value(field) == expected.value(field), qPrintable(field));
    }
}

void compareEmptyExtras(db::Table &t)
{
    for (const char *name : {"Eritema", "Zud", "Toshnota", "Rvota", "Golovokr", "Gol_bol", "Nar_orient",
                             "Lech_prervano"})
        QVERIFY2(!t.asBoolean(QString::fromLatin1(name)), name);
    QVERIFY(t.asString("Other").isEmpty());
    QVERIFY(t.asString("Osmotr").isEmpty());
    QVERIFY(t.isNull("ID"));
}

} // namespace

class PuvaOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addNumbering_data();
    void addNumbering();
    void startNumbering_data();
    void startNumbering();
    void coursesInSequence();
    void firstProcedureOfPatient();
    void addCopiesLastProcedure();
    void startCopiesFirstProcedure();
    void addPostsPendingChanges();
    void deleteProcedure();
    void totalDose_data();
    void totalDose();
    void totalDoseListedOnly();
    void totalDoseLiftsFilter();
    void totalDoseSuspendsProtection();
    void totalDoseChecked();
};

void PuvaOpsTest::addNumbering_data()
{
    QTest::addColumn<Numbers>("existing");
    QTest::addColumn<int>("course");
    QTest::addColumn<int>("number");

    QTest::newRow("no procedure") << Numbers{} << 0 << 1;
    QTest::newRow("course 1, one procedure") << Numbers{{1, 1}} << 1 << 2;
    QTest::newRow("course 1, three procedures") << Numbers{{1, 1}, {1, 2}, {1, 3}} << 1 << 4;
    QTest::newRow("course 2 after course 1") << Numbers{{1, 1}, {1, 2}, {2, 1}} << 2 << 2;
    QTest::newRow("course 3") << Numbers{{1, 1}, {2, 1}, {2, 2}, {3, 1}, {3, 2}} << 3 << 3;
    QTest::newRow("course 0 of a first add") << Numbers{{0, 1}} << 0 << 2;
    QTest::newRow("last in creation order, not the highest") << Numbers{{3, 5}, {1, 2}} << 1 << 3;
    QTest::newRow("edited numbers taken as they are") << Numbers{{2, 17}} << 2 << 18;
}

void PuvaOpsTest::addNumbering()
{
    QFETCH(Numbers, existing);
    QFETCH(int, course);
    QFETCH(int, number);
    Clinic c;
    c.addNumbered(existing);

    QVERIFY(addProcedure(c.puva));
    QCOMPARE(c.puva.state(), db::TableState::Browse);
    QCOMPARE(c.puva.recordCount(), existing.size() + 1);
    QCOMPARE(c.puva.recNo(), c.puva.recordCount());
    QCOMPARE(c.puva.asInteger("Id_kurs"), qint64(course));
    QCOMPARE(c.puva.asInteger("Nom_proc"), qint64(number));
    QCOMPARE(c.puva.asDate("Date"), kToday);
    Numbers expected = existing;
    expected.append({course, number});
    QCOMPARE(c.numbers(), expected);
}

void PuvaOpsTest::startNumbering_data()
{
    QTest::addColumn<Numbers>("existing");
    QTest::addColumn<int>("course");

    QTest::newRow("no procedure") << Numbers{} << 1;
    QTest::newRow("after course 0") << Numbers{{0, 1}, {0, 2}} << 1;
    QTest::newRow("after course 1") << Numbers{{1, 1}, {1, 2}} << 2;
    QTest::newRow("after course 2") << Numbers{{1, 1}, {2, 1}, {2, 2}} << 3;
    QTest::newRow("after course 3") << Numbers{{1, 1}, {2, 1}, {3, 1}, {3, 4}} << 4;
    QTest::newRow("course of the last, not the highest") << Numbers{{5, 1}, {2, 3}} << 3;
}

void PuvaOpsTest::startNumbering()
{
    QFETCH(Numbers, existing);
    QFETCH(int, course);
    Clinic c;
    c.addNumbered(existing);

    QVERIFY(startCourse(c.puva));
    QCOMPARE(c.puva.recNo(), c.puva.recordCount());
    QCOMPARE(c.puva.asInteger("Id_kurs"), qint64(course));
    QCOMPARE(c.puva.asInteger("Nom_proc"), qint64(1));
    QCOMPARE(c.puva.asDate("Date"), kToday);
    Numbers expected = existing;
    expected.append({course, 1});
    QCOMPARE(c.numbers(), expected);
}

void PuvaOpsTest::coursesInSequence()
{
    Clinic c;
    QVERIFY(startCourse(c.puva));
    QVERIFY(addProcedure(c.puva));
    QVERIFY(addProcedure(c.puva));
    QVERIFY(startCourse(c.puva));
    QVERIFY(addProcedure(c.puva));
    QVERIFY(startCourse(c.puva));
    QVERIFY(addProcedure(c.puva));
    QVERIFY(addProcedure(c.puva));
    QCOMPARE(c.numbers(), (Numbers{{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {3, 1}, {3, 2}, {3, 3}}));
    QCOMPARE(c.stored("SELECT COUNT(*) FROM lech_puva").toInt(), 8);
}

void PuvaOpsTest::firstProcedureOfPatient()
{
    {
        Clinic c;
        QVERIFY(addProcedure(c.puva));
        QCOMPARE(c.puva.recordCount(), 1);
        QCOMPARE(c.puva.asInteger("Nom_proc"), qint64(1));
        QCOMPARE(c.puva.asInteger("Id_kurs"), qint64(0));
        QCOMPARE(c.puva.asDate("Date"), kToday);
        QCOMPARE(c.puva.asInteger("ID_man"), c.reg().asInteger("ID_man"));
        compareSettings(c.puva, {});
        compareEmptyExtras(c.puva);
    }
    {
        Clinic c;
        QVERIFY(startCourse(c.puva));
        QCOMPARE(c.puva.recordCount(), 1);
        QCOMPARE(c.puva.asInteger("Nom_proc"), qint64(1));
        QCOMPARE(c.puva.asInteger("Id_kurs"), qint64(1));
        QCOMPARE(c.puva.asInteger("ID_man"), c.reg().asInteger("ID_man"));
        compareSettings(c.puva, {});
        compareEmptyExtras(c.puva);
    }
}

void PuvaOpsTest::addCopiesLastProcedure()
{
    Clinic c;
    const QVariantMap extras{{"Zud", true},    {"Eritema", true}, {"Lech_prervano", true},
                             {"Other", "сухость"}, {"Osmotr", "2"},   {"Nar_orient", true}};
    c.append(c.puva, merged(merged(kFirstSettings, extras), {{"Id_kurs", 1}, {"Nom_proc", 1}}));
    c.append(c.puva, merged(merged(kLaterSettings, extras), {{"Id_kurs", 1}, {"Nom_proc", 2}}));
    c.puva.first();

    QVERIFY(addProcedure(c.puva));
    QCOMPARE(c.puva.recNo(), 3);
    compareSettings(c.puva, kLaterSettings);
    compareEmptyExtras(c.puva);
    QCOMPARE(c.puva.asInteger("Doza"), qint64(30 * 12 + 20 * 2 + 3 * 9));
    QCOMPARE(c.stored("SELECT \"Type1\" FROM lech_puva WHERE \"Nom_proc\" = 3").toString(), QStringLiteral("ОН-7"));
}

void PuvaOpsTest::startCopiesFirstProcedure()
{
    Clinic c;
    c.append(c.puva, merged(kFirstSettings, {{"Id_kurs", 1}, {"Nom_proc", 1}, {"Zud", true}}));
    c.append(c.puva, merged(kLaterSettings, {{"Id_kurs", 1}, {"Nom_proc", 2}}));
    c.append(c.puva, merged(kLaterSettings, {{"Id_kurs", 3}, {"Nom_proc", 1}}));

    QVERIFY(startCourse(c.puva));
    QCOMPARE(c.puva.recNo(), 4);
    QCOMPARE(c.puva.asInteger("Id_kurs"), qint64(4));
    QCOMPARE(c.puva.asInteger("Nom_proc"), qint64(1));
    compareSettings(c.puva, kFirstSettings);
    compareEmptyExtras(c.puva);
}

void PuvaOpsTest::addPostsPendingChanges()
{
    Clinic c;
    c.addNumbered({{1, 1}});
    c.puva.edit();
    c.puva.setValue("Nom_proc", 7);
    c.puva.setValue("Type1", "П-54");

    QVERIFY(addProcedure(c.puva));
    QCOMPARE(c.numbers(), (Numbers{{1, 7}, {1, 8}}));
    QCOMPARE(c.stored("SELECT \"Nom_proc\" FROM lech_puva WHERE \"Nom_proc\" = 7").toInt(), 7);
    c.puva.last();
    QCOMPARE(c.puva.asString("Type1"), QStringLiteral("П-54"));
}

void PuvaOpsTest::deleteProcedure()
{
    Clinic c;
    QVERIFY(!treatment::deleteProcedure(c.puva));
    c.addNumbered({{1, 1}, {1, 2}, {1, 3}});
    c.puva.setRecNo(2);
    QVERIFY(treatment::deleteProcedure(c.puva));
    QCOMPARE(c.numbers(), (Numbers{{1, 1}, {1, 3}}));
    QCOMPARE(c.stored("SELECT COUNT(*) FROM lech_puva").toInt(), 2);

    // An unposted new record is dropped.
    c.puva.append();
    QVERIFY(treatment::deleteProcedure(c.puva));
    QCOMPARE(c.puva.state(), db::TableState::Browse);
    QCOMPARE(c.puva.recordCount(), 2);

    // Numbering goes on from the last procedure left.
    c.puva.last();
    QVERIFY(treatment::deleteProcedure(c.puva));
    QVERIFY(addProcedure(c.puva));
    QCOMPARE(c.numbers(), (Numbers{{1, 1}, {1, 2}}));
}

void PuvaOpsTest::totalDose_data()
{
    QTest::addColumn<Numbers>("doses");   // (power, time) of unit 1
    QTest::addColumn<Indexes>("deleted"); // 1-based places, deleted in this order after the adds
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("totalText");
    QTest::addColumn<int>("lastNumber");

    QTest::newRow("no procedure") << Numbers{} << Indexes{} << qint64(0) << "0,00" << 0;
    QTest::newRow("one procedure") << Numbers{{15, 7}} << Indexes{} << qint64(105) << "1,05" << 1;
    QTest::newRow("three procedures") << Numbers{{15, 7}, {25, 10}, {30, 12}} << Indexes{} << qint64(715) << "7,15"
                                      << 3;
    QTest::newRow("zero power or time") << Numbers{{0, 7}, {25, 0}, {20, 5}} << Indexes{} << qint64(100) << "1,00"
                                          << 3;
    QTest::newRow("middle deleted") << Numbers{{15, 7}, {25, 10}, {30, 12}} << Indexes{2} << qint64(465) << "4,65"
                                    << 3;
    QTest::newRow("last deleted") << Numbers{{15, 7}, {25, 10}, {30, 12}} << Indexes{3} << qint64(355) << "3,55"
                                  << 2;
    QTest::newRow("all deleted") << Numbers{{15, 7}, {25, 10}} << Indexes{1, 1} << qint64(0) << "0,00" << 0;
}

void PuvaOpsTest::totalDose()
{
    QFETCH(Numbers, doses);
    QFETCH(Indexes, deleted);
    QFETCH(qint64, total);
    QFETCH(QString, totalText);
    QFETCH(int, lastNumber);
    Clinic c;
    for (const auto &[power, time] : doses) {
        QVERIFY(addProcedure(c.puva));
        c.puva.edit();
        c.puva.setValue("Power1", power);
        c.puva.setValue("Time1", time);
        QVERIFY(c.puva.post());
    }
    for (int place : deleted) {
        c.puva.setRecNo(place);
        QVERIFY(treatment::deleteProcedure(c.puva));
    }
    c.puva.first();
    const int former = c.puva.recNo();

    QVERIFY(updateDoseDateNumber(c.reg(), c.puva, c.settings));
    QCOMPARE(c.reg().state(), db::TableState::Browse);
    QCOMPARE(c.reg().asInteger("Doza"), total);
    QCOMPARE(c.reg().asString("Doza_txt"), totalText);
    QCOMPARE(c.reg().asInteger("Puv_posl"), qint64(lastNumber));
    if (lastNumber > 0)
        QCOMPARE(c.reg().asDate("Dat_posl"), kToday);
    else
        QVERIFY(c.reg().isNull("Dat_posl"));
    QCOMPARE(c.stored("SELECT \"Doza\" FROM register").toLongLong(), total);
    QCOMPARE(c.puva.recNo(), former);
    QVERIFY(!c.settings.protectionSuspended);

    QVERIFY(updateTotalDose(c.reg(), c.puva, c.settings));
    QCOMPARE(c.reg().asInteger("Doza"), total);
}

void PuvaOpsTest::totalDoseListedOnly()
{
    Clinic c;
    c.append(c.puva, {{"Id_kurs", 1}, {"Nom_proc", 1}, {"Power1", 10}, {"Time1", 10}, {"Date", QDate(2025, 1, 5)}});
    c.append(c.puva, {{"Id_kurs", 2}, {"Nom_proc", 1}, {"Power1", 20}, {"Time1", 10}, {"Date", QDate(2025, 2, 5)}});
    c.append(c.puva, {{"Id_kurs", 2}, {"Nom_proc", 2}, {"Power1", 30}, {"Time1", 10}, {"Date", QDate(2025, 2, 6)}});
    c.append(c.puva, {{"Id_kurs", 3}, {"Nom_proc", 1}, {"Power1", 40}, {"Time1", 10}, {"Date", QDate(2025, 2, 20)}});
    QVERIFY(c.puva.setFilter("Id_kurs = 2"));

    QVERIFY(updateDoseDateNumber(c.reg(), c.puva, c.settings));
    QCOMPARE(c.reg().asInteger("Doza"), qint64(500));
    QCOMPARE(c.reg().asDate("Dat_posl"), QDate(2025, 2, 6));
    QCOMPARE(c.reg().asInteger("Puv_posl"), qint64(2));
    QCOMPARE(c.puva.filter(), QStringLiteral("Id_kurs = 2"));
}

void PuvaOpsTest::totalDoseLiftsFilter()
{
    Clinic c;
    c.append(c.puva, {{"Id_kurs", 1}, {"Nom_proc", 1}, {"Power1", 10}, {"Time1", 10}});
    c.append(c.puva, {{"Id_kurs", 2}, {"Nom_proc", 1}, {"Power1", 20}, {"Time1", 10}});
    c.append(c.puva, {{"Id_kurs", 2}, {"Nom_proc", 2}, {"Power1", 30}, {"Time1", 10}});
    QVERIFY(c.puva.setFilter("Id_kurs < 2"));
    QCOMPARE(c.puva.recordCount(), 1);

    QVERIFY(updateTotalDose(c.reg(), c.puva, c.settings));
    QCOMPARE(c.reg().asInteger("Doza"), qint64(600));
    QCOMPARE(c.reg().asString("Doza_txt"), QStringLiteral("6,00"));
    QCOMPARE(c.puva.filter(), QStringLiteral("Id_kurs < 2"));
    QCOMPARE(c.puva.recordCount(), 1);
    QCOMPARE(c.stored("SELECT \"Doza\" FROM register").toLongLong(), qint64(600));
}

void PuvaOpsTest::totalDoseSuspendsProtection()
{
    Clinic c;
    c.reg().edit();
    c.reg().setValue("Reg_date", QDate(2020, 1, 1));
    QVERIFY(c.reg().post());
    c.addNumbered({{1, 1}});
    c.puva.edit();
    c.puva.setValue("Power1", 25);
    c.puva.setValue("Time1", 10);
    c.puva.setValue("Date", kToday);
    QVERIFY(c.puva.post());
    c.settings.protectionOn = true;

    ScopedScriptedDialogs dialogs;
    dialogs.answers = {"no", "no", "no"};
    QVERIFY(updateTotalDose(c.reg(), c.puva, c.settings));
    QVERIFY(updateDoseDateNumber(c.reg(), c.puva, c.settings));
    QVERIFY2(dialogs.transcript.isEmpty(), qPrintable(dialogs.transcript.join('\n')));
    QCOMPARE(c.stored("SELECT \"Doza\" FROM register").toLongLong(), qint64(250));
    QCOMPARE(c.stored("SELECT \"Puv_posl\" FROM register").toLongLong(), qint64(1));
    QVERIFY(!c.settings.protectionSuspended);
}

void PuvaOpsTest::totalDoseChecked()
{
    Clinic c;
    c.reg().edit();
    c.reg().setValue("Reg_date", QDate(2020, 1, 1));
    c.reg().setValue("Doza", 7);
    QVERIFY(c.reg().post());
    c.append(c.puva, {{"Id_kurs", 1}, {"Nom_proc", 1}, {"Power1", 25}, {"Time1", 10}, {"Date", kToday}});
    c.settings.protectionOn = true;

    ScopedScriptedDialogs dialogs;
    dialogs.answers = {"no"};
    updateDoseDateNumber(c.reg(), c.puva, c.settings, ProtectionMode::Checked);
    QVERIFY(!dialogs.transcript.filter("ask").isEmpty());
    c.reg().cancel();
    QCOMPARE(c.stored("SELECT \"Doza\" FROM register").toLongLong(), qint64(7));
}

QTEST_GUILESS_MAIN(PuvaOpsTest)
#include "puva_ops_test.moc"
