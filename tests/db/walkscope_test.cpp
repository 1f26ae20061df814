#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "schema.h"
#include "table.h"
#include "testserver.h"

#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace pelorin;
using namespace pelorin::db;

namespace {

// Five patients: examinations with their elements, procedures, and one patient with nothing at all.
struct Clinic
{
    QTemporaryDir dir;
    Database db;
    std::unique_ptr<DM1> dm1;
    std::unique_ptr<DM2> dm2;
    std::vector<qint64> patients;

    Clinic()
    {
        QString error;
        if (!pelorin::testing::openTestDatabase(db, dir.path(), &error))
            qFatal("open failed: %s", qPrintable(error));
        dm1 = std::make_unique<DM1>(db);
        dm2 = std::make_unique<DM2>(db, *dm1);
        if (!dm1->open(&error) || !dm2->open(&error))
            qFatal("modules failed: %s", qPrintable(error));
        const QStringList names{QStringLiteral("Борисов"), QStringLiteral("Алексеев"), QStringLiteral("Пустов"),
                                QStringLiteral("Громов"), QStringLiteral("Дымов")};
        for (int p = 0; p < int(names.size()); ++p) {
            Table &r = *dm1->register_;
            r.append();
            r.setValue("Last_Name", names[p]);
            r.post();
            patients.push_back(r.asInteger("ID_man"));
            if (names[p] == QStringLiteral("Пустов"))
                continue;
            for (int e = 0; e <= p % 3; ++e) {
                Table &o = *dm2->osmotr1;
                o.append();
                o.setValue("Date", QDate(2024, 1 + p, 1 + e));
                o.post();
                for (int k = 0; k < e + 1; ++k) {
                    Table &el = *dm2->osmotr_elem;
                    el.append();
                    el.setValue("Name_elem", QStringLiteral("%1-%2-%3").arg(p).arg(e).arg(k));
                    el.post();
                }
            }
            Table &puva = *dm2->lech_puva;
            for (int k = 0; k < 2; ++k) {
                puva.append();
                puva.setValue("Data", QDate(2024, 1 + p, 10 + k));
                puva.setValue("Id_kurs", k + 1);
                puva.post();
            }
        }
        // The walks go in the order of the list, not of the keys.
        dm1->register_->setOrderField(QStringLiteral("Last_Name"));
    }

    // Everything a walk over the register sees of each patient's examinations, their elements and
    // procedures, patient by patient.
    QStringList walk()
    {
        QStringList seen;
        Table &r = *dm1->register_;
        Table &o = *dm2->osmotr1;
        Table &el = *dm2->osmotr_elem;
        Table &puva = *dm2->lech_puva;
        for (r.first(); !r.eof(); r.next()) {
            QString line = r.asString("Last_Name") + QLatin1Char(':');
            for (o.first(); !o.eof(); o.next()) {
                line += QStringLiteral(" осмотр %1 [").arg(o.asDate("Date").toString(Qt::ISODate));
                for (el.first(); !el.eof(); el.next())
                    line += el.asString("Name_elem") + QLatin1Char(' ');
                line += QLatin1Char(']');
            }
            line += QStringLiteral(" процедур %1").arg(puva.recordCount());
            for (puva.first(); !puva.eof(); puva.next())
                line += QLatin1Char(' ') + puva.asString("Id_kurs");
            seen << line;
        }
        return seen;
    }
};

} // namespace

class WalkScopeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void walkSeesTheSameRowsInFewStatements_data();
    void walkSeesTheSameRowsInFewStatements();
    void masterEventsAreTheSame();
    void writesInsideTheWalkAreSeen();
    void writesThroughAnotherTableObjectAreSeen();
    void masterWithoutDetailsTakesNewRecords();
    void tablesHaveTheirRowsAfterTheWalk();
};

void WalkScopeTest::walkSeesTheSameRowsInFewStatements_data()
{
    QTest::addColumn<int>("batch");
    QTest::newRow("one patient a statement") << 1;
    QTest::newRow("two patients a statement") << 2;
    QTest::newRow("everybody in one statement") << 256;
}

void WalkScopeTest::walkSeesTheSameRowsInFewStatements()
{
    QFETCH(int, batch);
    Clinic c;
    const QStringList plain = c.walk();
    QCOMPARE(plain.size(), 5);
    QVERIFY(plain.join(QLatin1Char('\n')).contains(QStringLiteral("Пустов: процедур 0")));
    WalkScope scope(*c.dm1->register_, batch);
    QCOMPARE(c.walk(), plain);
    QVERIFY(scope.batchReads() > 0);
    if (batch == 256) {
        // The examinations and procedures of everybody at once, the elements of every examination at
        // once; a second walk over the same patients is served from that read.
        QCOMPARE(scope.batchReads(), 3);
        QCOMPARE(c.walk(), plain);
        QCOMPARE(scope.batchReads(), 3);
    }
}

void WalkScopeTest::masterEventsAreTheSame()
{
    Clinic c;
    QStringList log;
    Table &r = *c.dm1->register_;
    r.afterScroll = [&log](Table &t) { log << t.asString("Last_Name"); };
    auto walk = [&] {
        log.clear();
        for (r.first(); !r.eof(); r.next())
            log << QString::number(c.dm2->osmotr1->recordCount());
        return log;
    };
    const QStringList plain = walk();
    WalkScope scope(r);
    QCOMPARE(walk(), plain);
}

void WalkScopeTest::writesInsideTheWalkAreSeen()
{
    Clinic c;
    Table &r = *c.dm1->register_;
    Table &o = *c.dm2->osmotr1;
    WalkScope scope(r);
    // Алексеев, first in the list: one examination changed, one added.
    r.first();
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Алексеев"));
    const int before = o.recordCount();
    o.first();
    o.edit();
    o.setValue("Date", QDate(2023, 5, 5));
    QVERIFY(o.post());
    o.append();
    o.setValue("Date", QDate(2025, 1, 1));
    QVERIFY(o.post());
    // Борисов, next: his examination deleted.
    r.next();
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Борисов"));
    QCOMPARE(o.recordCount(), 1);
    QVERIFY(o.deleteRecord());
    // Back on both: the walk sees what it wrote, read anew.
    r.first();
    QCOMPARE(o.recordCount(), before + 1);
    QVERIFY(o.locate(QStringLiteral("Date"), QDate(2023, 5, 5)));
    QVERIFY(o.locate(QStringLiteral("Date"), QDate(2025, 1, 1)));
    r.next();
    QVERIFY(o.isEmpty());
}

void WalkScopeTest::writesThroughAnotherTableObjectAreSeen()
{
    Clinic c;
    Table &r = *c.dm1->register_;
    // Every patient's examinations are read at the first move.
    WalkScope scope(r);
    r.first();
    QCOMPARE(c.dm2->osmotr1->recordCount(), 2);
    QCOMPARE(scope.batchReads(), 1);
    // Another object on the examinations changes Громов's and removes Дымов's only one.
    Table other(c.db, *findTableByObject(QStringLiteral("osmotr1")));
    QVERIFY(other.open());
    const qint64 gromov = c.patients[3], dymov = c.patients[4];
    QVERIFY(other.locate(QStringLiteral("ID_man"), gromov));
    other.edit();
    other.setValue("Date", QDate(2022, 2, 2));
    QVERIFY(other.post());
    QVERIFY(other.locate(QStringLiteral("ID_man"), dymov));
    QVERIFY(other.deleteRecord());
    QVERIFY(other.locate(QStringLiteral("ID_man"), dymov));
    QVERIFY(other.deleteRecord());
    QVERIFY(r.locate(QStringLiteral("ID_man"), gromov));
    QVERIFY(c.dm2->osmotr1->locate(QStringLiteral("Date"), QDate(2022, 2, 2)));
    QVERIFY(r.locate(QStringLiteral("ID_man"), dymov));
    QVERIFY(c.dm2->osmotr1->isEmpty());
    QVERIFY(c.dm2->osmotr_elem->isEmpty());
}

void WalkScopeTest::masterWithoutDetailsTakesNewRecords()
{
    Clinic c;
    Table &r = *c.dm1->register_;
    Table &o = *c.dm2->osmotr1;
    Table &el = *c.dm2->osmotr_elem;
    WalkScope scope(r);
    QVERIFY(r.locate(QStringLiteral("Last_Name"), QStringLiteral("Пустов")));
    QVERIFY(o.isEmpty());
    QVERIFY(o.eof());
    QCOMPARE(o.recNo(), 0);
    QVERIFY(el.isEmpty());
    o.append();
    o.setValue("Date", QDate(2024, 7, 7));
    QVERIFY(o.post());
    QCOMPARE(o.asInteger("ID_man"), c.patients[2]);
    el.append();
    el.setValue("Name_elem", QStringLiteral("новый"));
    QVERIFY(el.post());
    r.first();
    QVERIFY(r.locate(QStringLiteral("Last_Name"), QStringLiteral("Пустов")));
    QCOMPARE(o.recordCount(), 1);
    QCOMPARE(el.asString("Name_elem"), QStringLiteral("новый"));
}

void WalkScopeTest::tablesHaveTheirRowsAfterTheWalk()
{
    Clinic c;
    Table &r = *c.dm1->register_;
    int moves = 0;
    {
        WalkScope scope(r);
        for (r.first(); !r.eof(); r.next())
            ++moves;
        QVERIFY(r.locate(QStringLiteral("Last_Name"), QStringLiteral("Громов")));
        // Nothing of the details was looked at: nothing of them was read.
        QCOMPARE(scope.batchReads(), 0);
    }
    QCOMPARE(moves, 5);
    // Signals a window would rely on no longer wait for a look: the rows are there.
    QSignalSpy rows(c.dm2->osmotr1, &Table::rowsChanged);
    QCOMPARE(c.dm2->osmotr1->recordCount(), 1);
    QCOMPARE(c.dm2->osmotr1->asInteger("ID_man"), c.patients[3]);
    QCOMPARE(c.dm2->osmotr_elem->asString("Name_elem"), QStringLiteral("3-0-0"));
    QCOMPARE(rows.count(), 0);
}

QTEST_GUILESS_MAIN(WalkScopeTest)
#include "walkscope_test.moc"
