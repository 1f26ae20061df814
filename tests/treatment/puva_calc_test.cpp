#include "puva_calc.h"
#include "calctable.h"

#include "clinicfixture.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::treatment;


namespace {

const QVariant yes(true);

} // namespace

class PuvaCalcTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void doses_data();
    void doses();
    void psens_data();
    void psens();
    void oslozn_data();
    void oslozn();
    void osmotr1_data();
    void osmotr1();
    void calculatedOnTable();
};

void PuvaCalcTest::doses_data()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<qint64>("doza1");
    QTest::addColumn<qint64>("doza");
    QTest::addColumn<QString>("doza1Txt");
    QTest::addColumn<QString>("dozaText");

    QTest::newRow("all blank") << Record{} << qint64(0) << qint64(0) << "0,00"
                               << "0,00";
    QTest::newRow("powers without times") << Record{{"Power1", 25}, {"Power2", 30}} << qint64(0) << qint64(0) << "0,00"
                                          << "0,00";
    QTest::newRow("times without powers") << Record{{"Time1", 25}, {"Time3", 30}} << qint64(0) << qint64(0) << "0,00"
                                          << "0,00";
    QTest::newRow("15 x 7") << Record{{"Power1", 15}, {"Time1", 7}} << qint64(105) << qint64(105) << "1,05"
                            << "1,05";
    QTest::newRow("25 x 10") << Record{{"Power1", 25}, {"Time1", 10}} << qint64(250) << qint64(250) << "2,50"
                             << "2,50";
    QTest::newRow("three units") << Record{{"Power1", 25}, {"Time1", 10}, {"Power2", 25},
                                           {"Time2", 4},   {"Power3", 1}, {"Time3", 5}}
                                 << qint64(250) << qint64(355) << "2,50"
                                 << "3,55";
    QTest::newRow("unit 2 with power, time 0")
        << Record{{"Power1", 20}, {"Time1", 3}, {"Power2", 40}, {"Time2", 0}} << qint64(60) << qint64(60) << "0,60"
        << "0,60";
    QTest::newRow("large") << Record{{"Power1", 99}, {"Time1", 160}} << qint64(15840) << qint64(15840) << "158,40"
                           << "158,40";
}

void PuvaCalcTest::doses()
{
    QFETCH(Record, record);
    QFETCH(qint64, doza1);
    QFETCH(qint64, doza);
    QFETCH(QString, doza1Txt);
    QFETCH(QString, dozaText);
    const auto r = PuvaRecord::fromHash(record);
    QCOMPARE(unitDose(r, 1), doza1);
    QCOMPARE(procedureDose(r), doza);
    QCOMPARE(unitDose(r, 1) + unitDose(r, 2) + unitDose(r, 3), doza);
    QCOMPARE(unitDoseText(r, 1), doza1Txt);
    QCOMPARE(procedureDoseText(r), dozaText);
}

void PuvaCalcTest::psens_data()
{
    QTest::addColumn<double>("weight");
    QTest::addColumn<qint64>("ammifurin");
    QTest::addColumn<qint64>("oxsoralen");

    QTest::newRow("no weight") << 0.0 << qint64(0) << qint64(0);
    QTest::newRow("70 kg") << 70.0 << qint64(84) << qint64(42);
    QTest::newRow("72.5 kg counts as 72") << 72.5 << qint64(86) << qint64(43);
    QTest::newRow("73.5 kg counts as 74") << 73.5 << qint64(89) << qint64(44);
    QTest::newRow("72.6 kg counts as 73") << 72.6 << qint64(88) << qint64(44);
    QTest::newRow("1 kg") << 1.0 << qint64(1) << qint64(1);
    QTest::newRow("2 kg") << 2.0 << qint64(2) << qint64(1);
}

void PuvaCalcTest::psens()
{
    QFETCH(double, weight);
    QFETCH(qint64, ammifurin);
    QFETCH(qint64, oxsoralen);
    QCOMPARE(psens1Mg(weight), ammifurin);
    QCOMPARE(psens2Mg(weight), oxsoralen);
}

void PuvaCalcTest::oslozn_data()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing") << Record{} << QString();
    QTest::newRow("unit 1 never noted") << Record{{"Type1", "П-54"}, {"Power1", 25}, {"Time1", 4}} << QString();
    QTest::newRow("worked example")
        << Record{{"Type2", "П-54"}, {"Power2", 25}, {"Time2", 4}, {"Zud", yes}, {"Other", "сухость"}}
        << QStringLiteral("П-54 1,00 Дж, зуд, сухость. ");
    QTest::newRow("only interrupted") << Record{{"Lech_prervano", yes}} << QStringLiteral("лечение прервано. ");
    QTest::newRow("unit 2 power without time") << Record{{"Type2", "П-54"}, {"Power2", 25}} << QString();
    QTest::newRow("unit 3 time without power") << Record{{"Type3", "УФ"}, {"Time3", 5}} << QString();
    QTest::newRow("units 2 and 3") << Record{{"Type2", "П-54"}, {"Power2", 25}, {"Time2", 4},
                                             {"Type3", "УВ-3"}, {"Power3", 15}, {"Time3", 7}}
                                   << QStringLiteral("П-54 1,00 Дж, УВ-3 1,05 Дж. ");
    QTest::newRow("unit without name") << Record{{"Power3", 15}, {"Time3", 7}} << QStringLiteral(" 1,05 Дж. ");
    QTest::newRow("all side effects in order")
        << Record{{"Lech_prervano", yes}, {"Nar_orient", yes}, {"Gol_bol", yes}, {"Golovokr", yes},
                  {"Rvota", yes},         {"Toshnota", yes},   {"Zud", yes},     {"Eritema", yes}}
        << QStringLiteral("эритема, зуд, тошнота, рвота, головокружение, головная боль, "
                          "нарушение ориентации в пространстве, лечение прервано. ");
    QTest::newRow("only other") << Record{{"Other", "сухость кожи"}} << QStringLiteral("сухость кожи. ");
    QTest::newRow("other of one blank") << Record{{"Other", " "}} << QStringLiteral(" . ");

    // 25 + 25 + 116 + 100 + 2 characters go past the short buffer: it keeps 255, closes at 254
    // and the field keeps 250, so the close mark is lost.
    const QString other = QString(100, QLatin1Char('x'));
    const Record full{{"Type2", "ABCDEFGHIJ"}, {"Power2", 9999},       {"Time2", 9999},   {"Type3", "ABCDEFGHIJ"},
                      {"Power3", 9999},        {"Time3", 9999},        {"Eritema", yes},  {"Zud", yes},
                      {"Toshnota", yes},       {"Rvota", yes},         {"Golovokr", yes}, {"Gol_bol", yes},
                      {"Nar_orient", yes},     {"Lech_prervano", yes}, {"Other", other}};
    const QString all =
        QStringLiteral("ABCDEFGHIJ 999800,01 Дж, ABCDEFGHIJ 999800,01 Дж, эритема, зуд, тошнота, рвота, "
                       "головокружение, головная боль, нарушение ориентации в пространстве, "
                       "лечение прервано, ") +
        other + QStringLiteral("  ");
    QTest::newRow("longer than the buffer") << full << all.left(250);
}

void PuvaCalcTest::oslozn()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(treatment::oslozn(PuvaRecord::fromHash(record)), expected);
}

void PuvaCalcTest::osmotr1_data()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no examination") << Record{} << QString();
    QTest::newRow("examination 3") << Record{{"Osmotr", "3"}} << QStringLiteral("+");
}

void PuvaCalcTest::osmotr1()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(treatment::osmotr1(PuvaRecord::fromHash(record)), expected);
}

// The handler fills every field of the procedure table, with the weight taken from the register.
void PuvaCalcTest::calculatedOnTable()
{
    testing::ClinicFixture f;
    db::Table &puva = *f.dm2->lech_puva;
    installPuvaCalc(puva);
    f.append(f.reg(), {{"Last_Name", "Иванов"}, {"Ves", 72.5}});
    f.append(puva, {{"Type1", "П-54"},
                    {"Power1", 15},
                    {"Time1", 7},
                    {"Type2", "П-54"},
                    {"Power2", 25},
                    {"Time2", 4},
                    {"Zud", true},
                    {"Other", "сухость"},
                    {"Osmotr", "2"}});

    QCOMPARE(puva.recordCount(), 1);
    QCOMPARE(puva.asInteger("Doza1"), qint64(105));
    QCOMPARE(puva.asInteger("Doza2"), qint64(100));
    QCOMPARE(puva.asInteger("Doza3"), qint64(0));
    QCOMPARE(puva.asInteger("Doza"), qint64(205));
    QCOMPARE(puva.asString("Doza1_txt"), QStringLiteral("1,05"));
    QCOMPARE(puva.asString("Doza2_txt"), QStringLiteral("1,00"));
    QCOMPARE(puva.asString("Doza3_txt"), QStringLiteral("0,00"));
    QCOMPARE(puva.asString("Doza_text"), QStringLiteral("2,05"));
    QCOMPARE(puva.asInteger("psens_1_mg"), qint64(86));
    QCOMPARE(puva.asInteger("psens_2_mg"), qint64(43));
    QCOMPARE(puva.asString("Oslozn"), QStringLiteral("П-54 1,00 Дж, зуд, сухость. "));
    QCOMPARE(puva.asString("Osmotr1"), QStringLiteral("+"));

    // A change of the record is seen at once.
    puva.edit();
    puva.setValue("Time1", 10);
    puva.setValue("Power1", 25);
    QCOMPARE(puva.asString("Doza_text"), QStringLiteral("3,50"));
    puva.cancel();

    // Without a weight the photosensitiser doses are 0.
    f.reg().edit();
    f.reg().setValue("Ves", QVariant());
    QVERIFY(f.reg().post());
    puva.invalidateCalc();
    QCOMPARE(puva.asInteger("psens_1_mg"), qint64(0));
    QCOMPARE(puva.asInteger("psens_2_mg"), qint64(0));
}

QTEST_GUILESS_MAIN(PuvaCalcTest)
#include "puva_calc_test.moc"
