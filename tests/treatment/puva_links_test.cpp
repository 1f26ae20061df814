#include "puva_links.h"

#include "clinicfixture.h"
#include "dialogs.h"
#include "puva_calc.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::treatment;

using Dates = QList<QDate>;
Q_DECLARE_METATYPE(Dates)

namespace {

QDate march(int day)
{
    return day ? QDate(2025, 3, day) : QDate();
}

Dates marchDays(std::initializer_list<int> days)
{
    Dates out;
    for (int d : days)
        out << march(d);
    return out;
}

struct Clinic : testing::ClinicFixture
{
    db::Table &puva;
    db::Table &exams;

    Clinic() : puva(*dm2->lech_puva), exams(*dm2->osmotr1)
    {
        installPuvaCalc(puva);
        append(reg(), {{"Last_Name", "Иванов"}});
    }

    // Procedures of course 1 numbered 1..m; examinations numbered 1..n in list order.
    void add(const Dates &procedures, const Dates &examinations, int course = 1)
    {
        int number = 0;
        for (const QDate &d : procedures)
            append(puva, {{"Id_kurs", course}, {"Nom_proc", ++number}, {"Date", d.isValid() ? QVariant(d) : QVariant()}});
        number = 0;
        for (const QDate &d : examinations)
            append(exams, {{"Nom_osm", ++number}, {"Date", d.isValid() ? QVariant(d) : QVariant()}});
    }

    QStringList column(db::Table &t, const char *field)
    {
        QStringList out;
        for (t.first(); !t.eof(); t.next())
            out << t.asString(QString::fromLatin1(field));
        return out;
    }
};

} // namespace

class PuvaLinksTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void texts()
    {
        QCOMPARE(autoLinkText(5, 2), QStringLiteral("5 курс 2"));
        QCOMPARE(handLinkText(5, 2), QStringLiteral("5пр. 2к."));
    }

    void automatic_data()
    {
        QTest::addColumn<Dates>("procedures");
        QTest::addColumn<Dates>("examinations");
        QTest::addColumn<QStringList>("osmotr");
        QTest::addColumn<QStringList>("puva");

        QTest::newRow("1, 3, 5, 8 March; examined 1 and 6 March")
            << marchDays({1, 3, 5, 8}) << marchDays({1, 6}) << QStringList{"1", "", "", "2"}
            << QStringList{"1 курс 1", "4 курс 1"};
        QTest::newRow("examined between two procedures falls on the later")
            << marchDays({1, 3}) << marchDays({2}) << QStringList{"", "1"} << QStringList{"2 курс 1"};
        QTest::newRow("single procedure gets no link") << marchDays({1}) << marchDays({1}) << QStringList{""}
                                                       << QStringList{""};
        QTest::newRow("two examinations after the last procedure")
            << marchDays({1, 3}) << marchDays({1, 10, 12}) << QStringList{"1", "3"}
            << QStringList{"1 курс 1", "", "2 курс 1"};
        QTest::newRow("examinations before the first procedure fall on it")
            << marchDays({5, 8}) << marchDays({1, 2}) << QStringList{"2", ""} << QStringList{"", "1 курс 1"};
        QTest::newRow("no examination") << marchDays({1, 3}) << Dates{} << QStringList{"", ""} << QStringList{};
        QTest::newRow("undated examination counts as earliest")
            << marchDays({1, 3}) << marchDays({0, 3}) << QStringList{"1", "2"} << QStringList{"1 курс 1", "2 курс 1"};
        QTest::newRow("undated procedure is passed by a dated examination")
            << marchDays({0, 4}) << marchDays({2}) << QStringList{"", "1"} << QStringList{"2 курс 1"};
    }

    void automatic()
    {
        QFETCH(Dates, procedures);
        QFETCH(Dates, examinations);
        QFETCH(QStringList, osmotr);
        QFETCH(QStringList, puva);
        Clinic c;
        c.add(procedures, examinations);
        QVERIFY(linkProcedures(c.puva, c.exams));
        QCOMPARE(c.column(c.puva, "Osmotr"), osmotr);
        QCOMPARE(c.column(c.exams, "PUVA"), puva);
        // The link is stored, not only shown.
        QCOMPARE(c.stored(QStringLiteral("SELECT count(*) FROM lech_puva WHERE \"Osmotr\" IS NOT NULL")).toInt(),
                 int(osmotr.size() - osmotr.count(QString())));
    }

    void automaticNumbersAndStaleLinks()
    {
        Clinic c;
        c.add(marchDays({1, 3}), marchDays({1, 10, 12}), 2);
        // An old link of the second examination loses its text, keeps its numbers.
        c.exams.setRecNo(2);
        c.exams.edit();
        c.exams.setValue("PUVA", "7пр. 1к.");
        c.exams.setValue("PUVA_k", 1);
        c.exams.setValue("PUVA_p", 7);
        QVERIFY(c.exams.post());
        QVERIFY(linkProcedures(c.puva, c.exams));
        QCOMPARE(c.column(c.exams, "PUVA"), (QStringList{"1 курс 2", "", "2 курс 2"}));
        QCOMPARE(c.column(c.exams, "PUVA_k"), (QStringList{"2", "1", "2"}));
        QCOMPARE(c.column(c.exams, "PUVA_p"), (QStringList{"1", "7", "2"}));
    }

    void automaticOnlyListedProcedures()
    {
        Clinic c;
        c.add(marchDays({1, 3}), marchDays({2}), 1);
        c.add(marchDays({10, 12}), {}, 2);
        c.puva.setFilter("Id_kurs = 2");
        c.puva.first();
        c.puva.edit();
        c.puva.setValue("Osmotr", "9");
        QVERIFY(c.puva.post());
        QVERIFY(linkProcedures(c.puva, c.exams));
        // Course 2 relinked over the one examination; course 1 untouched.
        QCOMPARE(c.column(c.puva, "Osmotr"), (QStringList{"1", ""}));
        c.puva.setFilter(QString());
        QCOMPARE(c.column(c.puva, "Osmotr"), (QStringList{"", "", "1", ""}));
        QCOMPARE(c.column(c.exams, "PUVA"), (QStringList{"1 курс 2"}));
    }

    void handLinks()
    {
        Clinic c;
        c.add(marchDays({1, 3, 5}), marchDays({1, 4}));
        c.exams.last();
        c.puva.setRecNo(2);
        QVERIFY(linkCurrentPair(c.puva, c.exams));
        QCOMPARE(c.puva.recNo(), 2);
        QCOMPARE(c.puva.asString("Osmotr"), QStringLiteral("2"));
        QCOMPARE(c.exams.asString("PUVA"), QStringLiteral("2пр. 1к."));

        QVERIFY(unlinkProcedure(c.puva, c.exams));
        QVERIFY(c.puva.isNull("Osmotr"));
        QCOMPARE(c.exams.recNo(), 1);

        c.exams.last();
        QVERIFY(unlinkExamination(c.exams));
        QVERIFY(c.exams.isNull("PUVA"));
    }

    void handLinkNumberOutsideTheListIsLeftOut()
    {
        Clinic c;
        c.add(marchDays({1}), marchDays({1, 2}));
        // One procedure: the walk itself makes no link, so a hand link to examination 5 of a list
        // of two must not land on some other examination.
        c.puva.first();
        c.puva.edit();
        c.puva.setValue("Osmotr", "5");
        QVERIFY(c.puva.post());
        QVERIFY(linkProcedures(c.puva, c.exams));
        QCOMPARE(c.column(c.exams, "PUVA"), (QStringList{"", ""}));
    }
};

QTEST_GUILESS_MAIN(PuvaLinksTest)
#include "puva_links_test.moc"
