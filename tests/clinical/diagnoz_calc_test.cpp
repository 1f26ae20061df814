#include "diagnoz_calc.h"
#include "calctable.h"

#include "clinicfixture.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::clinical;


namespace {

const QVariant yes(true);

} // namespace

class DiagnozCalcTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void list_data();
    void list();
    void textType_data();
    void textType();
    void kursCalk_data();
    void kursCalk();
    void calculatedOnTable_data();
    void calculatedOnTable();
};

void DiagnozCalcTest::list_data()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing") << Record{} << QString();
    QTest::newRow("worked example")
        << Record{{"B1", yes}, {"A1_3", yes}, {"112", yes}, {"113", yes}, {"21", yes}, {"30", 2}}
        << QStringLiteral("псориаз, бляшечная форма, локализованный ( ладоней, подошв ),  стадия обострения, "
                          "средней тяжести. ");
    QTest::newRow("only B1") << Record{{"B1", yes}} << QStringLiteral("псориаз. ");
    QTest::newRow("only B2") << Record{{"B2", yes}} << QStringLiteral("атопический дерматит. ");
    QTest::newRow("only C1") << Record{{"C1", "Угревая болезнь"}} << QStringLiteral("Угревая болезнь ");
    QTest::newRow("B2 and C1") << Record{{"B2", yes}, {"C1", "Угревая болезнь"}}
                               << QStringLiteral("атопический дерматит; Угревая болезнь.");
    QTest::newRow("C1 before a form without B1") << Record{{"A1_2", yes}, {"C1", "Угревая болезнь"}}
                                                 << QStringLiteral("Угревая болезнь псориаз, каплевидная форма. ");
    QTest::newRow("C1 of one blank with B1") << Record{{"B1", yes}, {"C1", " "}} << QStringLiteral("псориаз;  .");
    QTest::newRow("spread plaque") << Record{{"B1", yes}, {"A1_3", yes}, {"12", yes}}
                                   << QStringLiteral("псориаз, распространенно - бляшечная форма. ");
    QTest::newRow("spread without plaque")
        << Record{{"B1", yes}, {"12", yes}, {"13", yes}} << QStringLiteral("псориаз, распространенный, диффузный. ");
    QTest::newRow("psoriasis forms in order")
        << Record{{"A1_12", yes}, {"A1_11", yes}, {"A1_10", yes}, {"A1_9", yes}, {"A1_8", yes}, {"A1_7", yes},
                  {"A1_6", yes},  {"A1_5", yes},  {"A1_4", yes},  {"A1_3", yes}, {"A1_2", yes}, {"A1_1", yes}}
        << QStringLiteral("псориаз, фолликулярня форма, каплевидная форма, бляшечная форма, экссудативная форма, "
                          "себорейная форма, эритродермическая форма, артропатическая форма, пустулезная форма, "
                          "ладоней и подошв, ногтей, волосистой части головы, складок. ");
    QTest::newRow("atopic forms in order")
        << Record{{"B1_5", yes}, {"B1_4", yes}, {"B1_3", yes}, {"B1_2", yes}, {"B1_1", yes}}
        << QStringLiteral("атопический дерматит, экссудативная  форма, эритерматозно-сквамозная  форма, "
                          "эритерматозно-сквамозная  форма с лихенификацией, лихеноидная  форма, "
                          "пругигоподобная  форма. ");
    QTest::newRow("all sites") << Record{{"111", yes}, {"112", yes},  {"113", yes}, {"114", yes},
                                         {"115", yes}, {"116", yes},  {"117", yes}, {"118", yes},
                                         {"119", yes}, {"1110", yes}, {"1111", yes}}
                               << QStringLiteral(
                                      "локализованный ( волосистой части головы, ладоней, подошв, ногтей, складок, "
                                      "коленных суставов, локтевых суставов, лица, шеи, стоп, кистей рук ). ");
    QTest::newRow("one site, diffuse") << Record{{"B2", yes}, {"118", yes}, {"13", yes}}
                                       << QStringLiteral("атопический дерматит, локализованный ( лица ), диффузный. ");
    QTest::newRow("all stages") << Record{{"26", yes}, {"25", yes}, {"24", yes}, {"23", yes}, {"22", yes}, {"21", yes}}
                                << QStringLiteral(
                                       " стадия обострения, стадия подострая, хроническая стадия, стационарная стадия, "
                                       "стадия регресса высыпаний, стадия ремиссии. ");
    QTest::newRow("severity 1") << Record{{"B1", yes}, {"30", 1}} << QStringLiteral("псориаз, лёгкое течение. ");
    QTest::newRow("severity 3") << Record{{"B1", yes}, {"30", 3}} << QStringLiteral("псориаз, тяжелое течение. ");
    QTest::newRow("severity 4 adds nothing") << Record{{"B1", yes}, {"30", 4}} << QStringLiteral("псориаз. ");
    QTest::newRow("effect 1") << Record{{"B1", yes}, {"40", 1}}
                              << QStringLiteral("псориаз, клиническое выздоровление. ");
    QTest::newRow("effect 2") << Record{{"B1", yes}, {"40", 2}} << QStringLiteral("псориаз, значительное улучшение. ");
    QTest::newRow("effect 3") << Record{{"B1", yes}, {"40", 3}} << QStringLiteral("псориаз, улучшение. ");
    QTest::newRow("effect 4") << Record{{"B1", yes}, {"40", 4}} << QStringLiteral("псориаз, без улучшения. ");
    QTest::newRow("effect 5 adds nothing") << Record{{"B1", yes}, {"40", 5}} << QStringLiteral("псориаз. ");
    QTest::newRow("severity, effect and another disease")
        << Record{{"B1", yes}, {"A1_1", yes}, {"30", 2}, {"40", 3}, {"C1", "Угревая болезнь"}}
        << QStringLiteral("псориаз, фолликулярня форма, средней тяжести, улучшение; Угревая болезнь.");
    QTest::newRow("both diseases") << Record{{"B1", yes}, {"B2", yes}, {"B1_4", yes}}
                                   << QStringLiteral("псориаз, атопический дерматит, лихеноидная  форма. ");
}

void DiagnozCalcTest::list()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(diagnozList(DiagnozRecord::fromHash(record)), expected);
}

void DiagnozCalcTest::textType_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first admission") << QStringLiteral("Диагноз при первом поступлении")
                                     << QStringLiteral("Поступил впервые");
    QTest::newRow("admission") << QStringLiteral("Диагноз при поступлении") << QStringLiteral("Поступил");
    QTest::newRow("discharge") << QStringLiteral("Диагноз при выписке") << QStringLiteral("Выписан");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("other") << QStringLiteral("Диагноз") << QString();
}

void DiagnozCalcTest::textType()
{
    QFETCH(QString, status);
    QFETCH(QString, expected);
    QCOMPARE(diagnozTextType(DiagnozRecord::fromHash({{"Text", status}})), expected);
}

void DiagnozCalcTest::kursCalk_data()
{
    QTest::addColumn<qint64>("bornDay");
    QTest::addColumn<int>("place");
    QTest::addColumn<qint64>("expected");
    for (int place : {-1, 1, 2, 3, 7})
        QTest::addRow("Born_Day 0, place %d", place) << qint64(0) << place << qint64(0);
    const qint64 courses[] = {3, 3, 4, 4, 5};
    for (int place = 1; place <= 5; ++place)
        QTest::addRow("Born_Day 3, place %d", place) << qint64(3) << place << courses[place - 1];
    QTest::newRow("Born_Day 3, not stored") << qint64(3) << -1 << qint64(2);
    QTest::newRow("Born_Day 1, not stored") << qint64(1) << -1 << qint64(0);
}

void DiagnozCalcTest::kursCalk()
{
    QFETCH(qint64, bornDay);
    QFETCH(int, place);
    QFETCH(qint64, expected);
    QCOMPARE(clinical::kursCalk(bornDay, place), expected);
}

void DiagnozCalcTest::calculatedOnTable_data()
{
    QTest::addColumn<int>("bornDay");
    QTest::addColumn<QList<qint64>>("courses");
    QTest::addColumn<qint64>("appended");
    QTest::newRow("Born_Day 0") << 0 << QList<qint64>{0, 0, 0, 0, 0} << qint64(0);
    QTest::newRow("Born_Day 3") << 3 << QList<qint64>{3, 3, 4, 4, 5} << qint64(2);
}

// Five events of one patient: the course numbers follow the places, an event being appended
// counts as not placed, and another patient's events do not shift the places.
void DiagnozCalcTest::calculatedOnTable()
{
    QFETCH(int, bornDay);
    QFETCH(QList<qint64>, courses);
    QFETCH(qint64, appended);

    testing::ClinicFixture f;
    db::Table &diagnoz = *f.dm2->diagnoz;
    installDiagnozCalc(diagnoz);

    f.append(f.reg(), {{"Last_Name", "Петров"}, {"Born_Day", 1}});
    f.append(diagnoz, {{"Text", "Диагноз при первом поступлении"}, {"B2", true}});

    f.append(f.reg(), {{"Last_Name", "Иванов"}, {"Born_Day", bornDay}});
    const QStringList statuses = {"Диагноз при первом поступлении", "Диагноз при выписке", "Диагноз при поступлении",
                                  "Диагноз при выписке", "Диагноз при поступлении"};
    for (const QString &status : statuses)
        f.append(diagnoz, {{"Text", status}, {"B1", true}});
    QCOMPARE(diagnoz.recordCount(), 5);

    const int kurs = diagnoz.fieldIndex("kurs_calk");
    for (int row = 0; row < 5; ++row)
        QCOMPARE(diagnoz.valueAt(row, kurs).toLongLong(), courses[row]);
    diagnoz.first();
    for (int row = 0; row < 5; ++row, diagnoz.next()) {
        QCOMPARE(diagnoz.asInteger("kurs_calk"), courses[row]);
        QCOMPARE(diagnoz.asString("List"), QStringLiteral("псориаз. "));
    }
    diagnoz.setRecNo(2);
    QCOMPARE(diagnoz.asString("Text_type"), QStringLiteral("Выписан"));
    diagnoz.setRecNo(5);
    QCOMPARE(diagnoz.asString("Text_type"), QStringLiteral("Поступил"));

    diagnoz.append();
    QCOMPARE(diagnoz.asInteger("kurs_calk"), appended);
    QCOMPARE(diagnoz.asString("List"), QString());
    diagnoz.setValue("B1", true);
    diagnoz.setValue("21", true);
    QCOMPARE(diagnoz.asString("List"), QStringLiteral("псориаз,  стадия обострения. "));
    QVERIFY(diagnoz.post());
    QCOMPARE(diagnoz.recNo(), 6);
    QCOMPARE(diagnoz.asInteger("kurs_calk"), bornDay == 0 ? qint64(0) : qint64(bornDay + 2));
}

QTEST_GUILESS_MAIN(DiagnozCalcTest)
#include "diagnoz_calc_test.moc"
