#include "anamnesis_calc.h"
#include "calctable.h"

#include "clinicfixture.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::anamnesis;

namespace {

const QVariant yes(true);

// A record with every Boolean field of the table ticked: checks the order of all the phrases at once and,
// on the real tables, that every field name the texts read exists.
void tickAll(db::Table &t)
{
    for (int i = 0; i < t.storedFieldCount(); ++i) {
        if (t.fieldDef(i).type == db::FieldType::Boolean)
            QVERIFY(t.setValue(i, true));
    }
}

Record allTicked(const db::TableDef &def)
{
    Record r;
    for (const db::FieldDef &f : def.fields) {
        if (f.type == db::FieldType::Boolean)
            r.insert(QString::fromLatin1(f.name), yes);
    }
    return r;
}

const QString kAllTriggersButA1_15 = QStringLiteral(
    "пищевые продукты, шерсть животных, пыльца растений, пыль, плесень, прием лекарств, зима, лето, весна, осень, "
    "потение, расчесывание кожи, синтетическая одежда, химические раздражающие средства, перенесенная инфекция, "
    "обострение хронических заболеваний, стресс, отрицательные эмоции, нарушение сна, беременность, ");

// 520 characters: the summary keeps its first 500.
const QString kAllObostrLech = QStringLiteral(
    "гемодез, гемосорбция, плазмоферез, антигистаминные препараты (per os, в инъекциях), седативные препараты, "
    "метотрескат, сандимун, кортикостероиды per os, кортикостероиды в инъекциях, креон, фестал, мезим форте, "
    "энтеросгель, лактофильтрум, имуномодуляторы, витамины, фитосборы, гомеопатические средства, "
    "наружно - мази/кремы/лосьоны, содержащие кортикостероиды, дёготь, нафталан, кальципотриол, дитранол, "
    "салициловую кислоту, мочевину, цинк, ПУВА, Ре-ПУВА, Ме-ПУВА, СФТ, иглорефлексотерапия, лечебные ванны, "
    "грязелечение. ");

const QString kAllZalobi = QStringLiteral(
    "высыпания на голове, верхних конечностях, нижних конечностях, туловище; боль в области высыпаний, "
    "чувство стянутости, зуд, жжение, сухость, шелушение, трещины, покраснение, мокнутие кожи; боль в суставах, "
    "изменение формы ногтей, изменение формы суставов, выпадение волос;  головокружение, головная боль, "
    "потеря аппетита, повышение температуры, ухудшение общего состояния, снижение массы тела, нарушение сна. ");

const QString kAllRanlech = QStringLiteral(
    "стационарное, амбулаторное, стандартное. седативные препараты, иммуномодуляторы, витамины, фитосборы, "
    "ПУВА-терапия, иммунодепрессанты, гомеопатические препараты, физиотерапевтическое. наружные препараты, "
    "содержащие нестероидные ср-ва, стероидные ср-ва. ");

// Every disease of one relative, in the grid's order.
const QString kAllDiseases = QStringLiteral("псориаз, бронхиальная астма, атопический ринит, атопический конъюктивит, "
                                            "поллиноз, атопический дерматит. ");

} // namespace

class AnamnesisCalcTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void zabStart_data();
    void zabStart();
    void zabObostrPrich_data();
    void zabObostrPrich();
    void zabRanlech_data();
    void zabRanlech();
    void zabObostrLech_data();
    void zabObostrLech();
    void zabZalobi_data();
    void zabZalobi();
    void lifeList1_data();
    void lifeList1();
    void lifeList2_data();
    void lifeList2();
    void lifeList3_data();
    void lifeList3();
    void lifeList4_data();
    void lifeList4();
    void lifeList5_data();
    void lifeList5();
    void lifeList6_data();
    void lifeList6();
    void lifeList7_data();
    void lifeList7();
    void lifeList8_data();
    void lifeList8();
    void lifeList9_data();
    void lifeList9();
    void lifeList10_data();
    void lifeList10();
    void lifeSem_data();
    void lifeSem();
    void installedOnTables();
};

// ---------------------------------------------------------------- onset and exacerbation triggers

void AnamnesisCalcTest::zabStart_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing checked") << Record{} << QString();
    QTest::newRow("unticked boxes") << Record{{"Allerg_pil", false}, {"A1_1", false}} << QString();
    QTest::newRow("allergic other only") << Record{{"Allerg_other", "мёд"}} << QStringLiteral("мёд. ");
    QTest::newRow("example") << Record{{"Allerg_pil", yes}, {"A1_1", yes}, {"A1_11", yes}}
                             << QStringLiteral("пыль, зима, стресс. ");
    QTest::newRow("A1_15 at the start") << Record{{"A1_15", yes}} << QStringLiteral("ни с чем не связывает. ");
    QTest::newRow("non-allergic other only") << Record{{"Neallerg_other", "переезд"}} << QStringLiteral("переезд. ");
    QTest::newRow("both others around the boxes")
        << Record{{"Allerg_lek", yes}, {"Allerg_other", "мёд"}, {"A1_14", yes}, {"Neallerg_other", "переезд"}}
        << QStringLiteral("прием лекарств, мёд, беременность, переезд. ");
    QTest::newRow("number order, not text order")
        << Record{{"A1_10", yes}, {"A1_2", yes}, {"A1_13", yes}}
        << QStringLiteral("лето, обострение хронических заболеваний, нарушение сна. ");
    QTest::newRow("allergic fields in field order")
        << Record{{"Allerg_plesen", yes}, {"Allerg_eda", yes}, {"Allerg_piltsa", yes}, {"Allerg_zivotnie", yes}}
        << QStringLiteral("пищевые продукты, шерсть животных, пыльца растений, плесень. ");
    Record all = allTicked(*db::findTableByObject(QStringLiteral("anamnez_zab_start")));
    QTest::newRow("everything") << all << kAllTriggersButA1_15 + QStringLiteral("ни с чем не связывает. ");
    all.insert(QStringLiteral("Allerg_other"), QString(30, QLatin1Char('x')));
    all.insert(QStringLiteral("Neallerg_other"), QString(200, QLatin1Char('y')));
    const QString full = kAllTriggersButA1_15 + QStringLiteral("ни с чем не связывает, ");
    const QString allergicEnd = QStringLiteral("прием лекарств, ");
    const int cut = int(full.indexOf(allergicEnd)) + int(allergicEnd.size());
    const QString longText = full.left(cut) + QString(30, QLatin1Char('x')) + QStringLiteral(", ") + full.mid(cut) +
                             QString(200, QLatin1Char('y')) + QStringLiteral(". ");
    QVERIFY(longText.size() > 500);
    QTest::newRow("cut to 500") << all << longText.left(500);
}

void AnamnesisCalcTest::zabStart()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(zabStartList(AnamnezRecord::fromHash(record)), expected);
}

void AnamnesisCalcTest::zabObostrPrich_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing checked") << Record{} << QString();
    QTest::newRow("A1_15 is childbirth") << Record{{"A1_15", yes}} << QStringLiteral("роды. ");
    QTest::newRow("example") << Record{{"Allerg_pil", yes}, {"A1_1", yes}, {"A1_11", yes}}
                             << QStringLiteral("пыль, зима, стресс. ");
    QTest::newRow("A1_12 has no box but still counts")
        << Record{{"A1_12", yes}} << QStringLiteral("отрицательные эмоции. ");
    QTest::newRow("blank other is not empty") << Record{{"Allerg_other", " "}} << QStringLiteral(" . ");
    QTest::newRow("everything") << allTicked(*db::findTableByObject(QStringLiteral("anamnez_zab_obostr_prich")))
                                << kAllTriggersButA1_15 + QStringLiteral("роды. ");
}

void AnamnesisCalcTest::zabObostrPrich()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(zabObostrPrichList(AnamnezRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- treatment before

void AnamnesisCalcTest::zabRanlech_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing checked") << Record{} << QString();
    QTest::newRow("example") << Record{{"A1_1", yes}, {"A2_4_1", yes}, {"A2_1_1", yes}}
                             << QStringLiteral("стационарное. витамины, ПУВА-терапия. ");
    QTest::newRow("no treatment wins") << Record{{"Lech", yes}, {"A1_1", yes}} << QStringLiteral("не проводилось.");
    QTest::newRow("no treatment wins over other")
        << Record{{"Lech", yes}, {"Other", "мази"}} << QStringLiteral("не проводилось.");
    QTest::newRow("other only") << Record{{"Other", "мази"}} << QStringLiteral("мази.");
    QTest::newRow("kind and other") << Record{{"A1_2", yes}, {"Other", "мази"}}
                                    << QStringLiteral("амбулаторное. мази.");
    QTest::newRow("standard is a kind") << Record{{"A2_7_1", yes}, {"A1_1", yes}}
                                        << QStringLiteral("стационарное, стандартное. ");
    QTest::newRow("methods in their own order")
        << Record{{"A2_3_1", yes}, {"A2_2_1", yes}, {"A2_1_2", yes}, {"A2_5_1", yes}, {"A2_3_4", yes}, {"A2_3_3", yes}}
        << QStringLiteral("седативные препараты, иммуномодуляторы, фитосборы, иммунодепрессанты, "
                          "гомеопатические препараты, физиотерапевтическое. ");
    QTest::newRow("unused boxes say nothing")
        << Record{{"A1_3", yes}, {"A2_3_2", yes}, {"A3_2", yes}, {"A4_1", yes}, {"A5_5", yes}} << QString();
    QTest::newRow("steroid only") << Record{{"A3_1", yes}}
                                  << QStringLiteral("наружные препараты, содержащие стероидные ср-ва. ");
    QTest::newRow("external after methods, before other")
        << Record{{"A2_6_1", yes}, {"A2_4_1", yes}, {"Other", "мази"}}
        << QStringLiteral("витамины. наружные препараты, содержащие нестероидные ср-ва. мази.");
    QTest::newRow("methods only") << Record{{"A2_1_1", yes}} << QStringLiteral("ПУВА-терапия. ");
    QTest::newRow("every part")
        << Record{{"A1_2", yes}, {"A2_4_1", yes}, {"A2_6_1", yes}, {"A3_1", yes}, {"Other", "мази"}}
        << QStringLiteral("амбулаторное. витамины. наружные препараты, содержащие нестероидные ср-ва, стероидные "
                          "ср-ва. мази.");
    QTest::newRow("everything but no treatment") << [] {
        Record r = allTicked(*db::findTableByObject(QStringLiteral("anamnez_zab_ranlech")));
        r.remove(QStringLiteral("Lech"));
        return r;
    }() << kAllRanlech;
}

void AnamnesisCalcTest::zabRanlech()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(zabRanlechList(AnamnezRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- treatment of the last exacerbation

void AnamnesisCalcTest::zabObostrLech_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing checked") << Record{} << QString();
    QTest::newRow("example")
        << Record{{"A1_1", yes}, {"A2_1_1", yes}, {"A4_2", yes}, {"A4_8", yes}}
        << QStringLiteral("гемодез, антигистаминные препараты (per os), наружно - мази/кремы/лосьоны, содержащие "
                          "дёготь, цинк. ");
    QTest::newRow("injections only") << Record{{"A2_1_2", yes}}
                                     << QStringLiteral("антигистаминные препараты (в инъекциях). ");
    QTest::newRow("both antihistamines")
        << Record{{"A2_1_1", yes}, {"A2_1_2", yes}, {"A2_2_1", yes}}
        << QStringLiteral("антигистаминные препараты (per os, в инъекциях), седативные препараты. ");
    QTest::newRow("no treatment wins") << Record{{"Lech", yes}, {"A3_1", yes}, {"Other", "мази"}}
                                       << QStringLiteral("не проводилось.");
    QTest::newRow("other only, after a blank") << Record{{"Other", "мази"}} << QStringLiteral(" мази. ");
    QTest::newRow("other after phrases: two blanks")
        << Record{{"A3_1", yes}, {"Other", "мази"}} << QStringLiteral("ПУВА,  мази. ");
    QTest::newRow("enzymes, sorbents, then immunomodulators")
        << Record{{"A2_7_1", yes}, {"A2_4_1", yes}, {"A5_5", yes}, {"A5_1", yes}, {"A2_3_2", yes}}
        << QStringLiteral("сандимун, креон, лактофильтрум, имуномодуляторы, гомеопатические средства. ");
    QTest::newRow("ointments only") << Record{{"A4_1", yes}}
                                    << QStringLiteral("наружно - мази/кремы/лосьоны, содержащие кортикостероиды. ");
    QTest::newRow("ointments before light")
        << Record{{"A3_7", yes}, {"A4_6", yes}, {"A3_4", yes}}
        << QStringLiteral("наружно - мази/кремы/лосьоны, содержащие салициловую кислоту, СФТ, грязелечение. ");
    QTest::newRow("everything but no treatment") << [] {
        Record r = allTicked(*db::findTableByObject(QStringLiteral("anamnez_zab_obostr_lech")));
        r.remove(QStringLiteral("Lech"));
        return r;
    }() << kAllObostrLech.left(500);
}

void AnamnesisCalcTest::zabObostrLech()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(zabObostrLechList(AnamnezRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- complaints

void AnamnesisCalcTest::zabZalobi_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing") << Record{} << QStringLiteral("Жалоб нет");
    QTest::newRow("other only") << Record{{"Other", "слабость"}} << QStringLiteral("слабость.");
    QTest::newRow("example") << Record{{"A2_8", yes}, {"A2_3", yes}, {"A1_2", yes}}
                             << QStringLiteral("высыпания на голове; зуд кожи;  головная боль. ");
    QTest::newRow("sites") << Record{{"A2_8", yes}, {"A2_11", yes}}
                           << QStringLiteral("высыпания на голове, туловище. ");
    QTest::newRow("skin") << Record{{"A2_3", yes}, {"A2_4", yes}} << QStringLiteral("зуд, жжение кожи. ");
    QTest::newRow("dryness between burning and scaling")
        << Record{{"A2_5", yes}, {"A1_4", yes}, {"A2_4", yes}, {"A2_12", yes}}
        << QStringLiteral("жжение, сухость, шелушение, трещины кожи. ");
    QTest::newRow("joints") << Record{{"A3_1", yes}} << QStringLiteral("боль в суставах. ");
    QTest::newRow("general keeps its leading blank") << Record{{"A1_2", yes}} << QStringLiteral(" головная боль. ");
    QTest::newRow("sleep is general, last")
        << Record{{"A3_5", yes}, {"A1_1", yes}} << QStringLiteral(" головокружение, нарушение сна. ");
    QTest::newRow("other after the groups")
        << Record{{"A2_3", yes}, {"Other", "слабость"}} << QStringLiteral("зуд кожи; слабость.");
    QTest::newRow("everything") << allTicked(*db::findTableByObject(QStringLiteral("anamnez_zab_zalobi")))
                                << kAllZalobi;
    QTest::newRow("sites and general, no skin")
        << Record{{"A2_10", yes}, {"A1_7", yes}}
        << QStringLiteral("высыпания на нижних конечностях;  снижение массы тела. ");
    QTest::newRow("joints and other") << Record{{"A3_4", yes}, {"Other", "слабость"}}
                                      << QStringLiteral("выпадение волос; слабость.");
    Record everything = allTicked(*db::findTableByObject(QStringLiteral("anamnez_zab_zalobi")));
    const QString longOther(255, QLatin1Char('x'));
    everything.insert(QStringLiteral("Other"), longOther);
    QString withOther = kAllZalobi;
    withOther.chop(2);
    withOther += QStringLiteral("; ") + longOther + QStringLiteral(".");
    QVERIFY(withOther.size() > 500);
    QTest::newRow("everything and other, cut to 500") << everything << withOther.left(500);
}

void AnamnesisCalcTest::zabZalobi()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(zabZalobiList(AnamnezRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- accompanying diseases

namespace {

// One text of the accompanying diseases checked against the row's expected value.
void checkLifeList(QString (*list)(const AnamnezRecord &))
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(list(AnamnezRecord::fromHash(record)), expected);
}

} // namespace

void AnamnesisCalcTest::lifeList1_data()
{
    testing::addTextColumns();
    QTest::newRow("blank") << Record{} << QString();
    QTest::newRow("example: the Latin c of caries")
        << Record{{"A1_1", yes}, {"A2_1", yes}}
        << QStringLiteral("тонзиллит, карие") + QLatin1Char('c') + QStringLiteral(". ");
    QTest::newRow("one") << Record{{"A1_4", yes}} << QStringLiteral("отит. ");
    QTest::newRow("field order") << Record{{"A2_2", yes}, {"A1_3", yes}, {"A1_2", yes}}
                                 << QStringLiteral("гайморит, аденоидит, парадонтоз. ");
    QTest::newRow("all") << Record{{"A1_1", yes}, {"A1_2", yes}, {"A1_3", yes},
                                   {"A1_4", yes}, {"A2_1", yes}, {"A2_2", yes}}
                         << QStringLiteral("тонзиллит, гайморит, аденоидит, отит, кариеc, парадонтоз. ");
    QTest::newRow("boxes of other groups") << Record{{"A3_1", yes}, {"A12_1", yes}} << QString();
}

void AnamnesisCalcTest::lifeList1()
{
    checkLifeList(anamnesis::lifeList1);
}

void AnamnesisCalcTest::lifeList2_data()
{
    testing::addTextColumns();
    QTest::newRow("blank") << Record{} << QString();
    QTest::newRow("other only") << Record{{"A10_5_1", "мёд"}} << QStringLiteral("мёд. ");
    QTest::newRow("boxes, then other") << Record{{"A12_5", yes}, {"A10_5_1", "мёд"}, {"A12_2", yes}}
                                       << QStringLiteral("пыльца растений, пыль, мёд. ");
    QTest::newRow("all") << Record{{"A12_1", yes}, {"A12_2", yes}, {"A12_3", yes},    {"A12_4", yes},
                                   {"A12_5", yes}, {"A12_6", yes}, {"A10_5_1", "мёд"}}
                         << QStringLiteral("пищевые продукты, пыльца растений, плесень, шерсть животных, пыль, "
                                           "прием лекарств, мёд. ");
}

void AnamnesisCalcTest::lifeList2()
{
    checkLifeList(anamnesis::lifeList2);
}

void AnamnesisCalcTest::lifeList3_data()
{
    testing::addTextColumns();
    QTest::newRow("blank") << Record{} << QString();
    QTest::newRow("pancreatitis last") << Record{{"A11_1", yes}, {"A3_8", yes}, {"A3_1", yes}}
                                       << QStringLiteral("гастрит, ДЖВП, панкреатит. ");
    QTest::newRow("pancreatitis alone") << Record{{"A11_1", yes}} << QStringLiteral("панкреатит. ");
    QTest::newRow("all") << Record{{"A3_1", yes}, {"A3_2", yes}, {"A3_3", yes}, {"A3_4", yes}, {"A3_5", yes},
                                   {"A3_6", yes}, {"A3_7", yes}, {"A3_8", yes}, {"A11_1", yes}}
                         << QStringLiteral("гастрит, дуоденит, гастродуоденит, дизбиоз кишечника, желчекаменная "
                                           "болезнь, холецистит, гепатит, ДЖВП, панкреатит. ");
}

void AnamnesisCalcTest::lifeList3()
{
    checkLifeList(anamnesis::lifeList3);
}

void AnamnesisCalcTest::lifeList4_data()
{
    testing::addTextColumns();
    QTest::newRow("blank") << Record{} << QString();
    QTest::newRow("one") << Record{{"A4_3", yes}} << QStringLiteral("невротические реакции. ");
    QTest::newRow("all") << Record{{"A4_1", yes}, {"A4_2", yes}, {"A4_3", yes}}
                         << QStringLiteral("вегето-сосудистая дистония, органические поражения ЦНС, "
                                           "невротические реакции. ");
}

void AnamnesisCalcTest::lifeList4()
{
    checkLifeList(anamnesis::lifeList4);
}

void AnamnesisCalcTest::lifeList5_data()
{
    testing::addTextColumns();
    QTest::newRow("blank") << Record{} << QString();
    QTest::newRow("example") << Record{{"A5_1", yes}, {"A5_1_1", 2}, {"A5_1_2", 4}}
                             << QStringLiteral("частые ОРВИ ( от 2 до 4 раз в год). ");
    QTest::newRow("blank frequency counts as 0")
        << Record{{"A5_1", yes}} << QStringLiteral("частые ОРВИ ( от 0 до 0 раз в год). ");
    QTest::newRow("frequency without the box") << Record{{"A5_1_1", 2}, {"A5_1_2", 4}} << QString();
    QTest::newRow("bronchitis") << Record{{"A5_2", yes}} << QStringLiteral("рецидивирующие бронхиты. ");
    QTest::newRow("infections, then bronchitis")
        << Record{{"A5_2", yes}, {"A5_1", yes}, {"A5_1_1", 10}, {"A5_1_2", 20}}
        << QStringLiteral("частые ОРВИ ( от 10 до 20 раз в год), рецидивирующие бронхиты. ");
    QTest::newRow("glomerulonephritis is not respiratory") << Record{{"A5_3", yes}} << QString();
}

void AnamnesisCalcTest::lifeList5()
{
    checkLifeList(anamnesis::lifeList5);
}

void AnamnesisCalcTest::lifeList6_data()
{
    testing::addTextColumns();
    QTest::newRow("blank") << Record{} << QString();
    QTest::newRow("glomerulonephritis alone") << Record{{"A5_3", yes}} << QStringLiteral("гломерулонефрит. ");
    QTest::newRow("glomerulonephritis last") << Record{{"A5_3", yes}, {"A6_1", yes}, {"A6_2", yes}, {"A6_3", yes}}
                                             << QStringLiteral("пиелонефрит, мочекаменная болезнь, цистит, "
                                                               "гломерулонефрит. ");
}

void AnamnesisCalcTest::lifeList6()
{
    checkLifeList(anamnesis::lifeList6);
}

void AnamnesisCalcTest::lifeList7_data()
{
    testing::addTextColumns();
    QTest::newRow("blank") << Record{} << QString();
    QTest::newRow("one") << Record{{"A7_3", yes}} << QStringLiteral("лямблиоз. ");
    QTest::newRow("all") << Record{{"A7_1", yes}, {"A7_2", yes}, {"A7_3", yes}, {"A7_4", yes}}
                         << QStringLiteral("энтеробиоз, аскоридоз, лямблиоз, описторхоз. ");
}

void AnamnesisCalcTest::lifeList7()
{
    checkLifeList(anamnesis::lifeList7);
}

void AnamnesisCalcTest::lifeList8_data()
{
    testing::addTextColumns();
    QTest::newRow("blank") << Record{} << QString();
    QTest::newRow("one") << Record{{"A8_3", yes}} << QStringLiteral("ихтиоз. ");
    QTest::newRow("all") << Record{{"A8_1", yes}, {"A8_2", yes}, {"A8_3", yes}, {"A8_4", yes}}
                         << QStringLiteral("псориаз, атопический дерматит, ихтиоз, пиодермия. ");
}

void AnamnesisCalcTest::lifeList8()
{
    checkLifeList(anamnesis::lifeList8);
}

void AnamnesisCalcTest::lifeList9_data()
{
    testing::addTextColumns();
    QTest::newRow("blank") << Record{} << QString();
    QTest::newRow("conjunctivitis with н") << Record{{"A9_3", yes}} << QStringLiteral("атопический конъюнктивит. ");
    QTest::newRow("all") << Record{{"A9_1", yes}, {"A9_2", yes}, {"A9_3", yes}, {"A9_4", yes}}
                         << QStringLiteral("бронхиальная астма, атопический ринит, атопический конъюнктивит, "
                                           "поллиноз. ");
}

void AnamnesisCalcTest::lifeList9()
{
    checkLifeList(anamnesis::lifeList9);
}

void AnamnesisCalcTest::lifeList10_data()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("expected");
    const QString male = QStringLiteral("Мужской");
    const QString female = QStringLiteral("Женский");
    QTest::newRow("blank") << Record{} << male << QString();
    QTest::newRow("other only") << Record{{"Other", "часто болеет"}} << male << QStringLiteral("часто болеет. ");
    QTest::newRow("hepatitis, man") << Record{{"Gepatit", yes}} << male << QStringLiteral("болел гепатитом. ");
    QTest::newRow("hepatitis, woman") << Record{{"Gepatit", yes}} << female << QStringLiteral("болела гепатитом. ");
    QTest::newRow("hepatitis, sex not chosen") << Record{{"Gepatit", yes}} << QString() << QString();
    QTest::newRow("hepatitis, sex not chosen, with injuries")
        << Record{{"Gepatit", yes}, {"Travm", yes}} << QString() << QStringLiteral("были операции или травмы. ");
    QTest::newRow("all") << Record{{"Travm", yes}, {"Gepatit", yes}, {"Other", "часто болеет"}} << female
                         << QStringLiteral("были операции или травмы, болела гепатитом, часто болеет. ");
    const QString longOther(255, QLatin1Char('z'));
    QTest::newRow("cut to 255") << Record{{"Travm", yes}, {"Other", longOther}} << male
                                << QString(QStringLiteral("были операции или травмы, ") + longOther).left(255);
}

void AnamnesisCalcTest::lifeList10()
{
    QFETCH(Record, record);
    QFETCH(QString, sex);
    QFETCH(QString, expected);
    QCOMPARE(anamnesis::lifeList10(AnamnezRecord::fromHash(record), sex), expected);
}

// ---------------------------------------------------------------- relatives' diseases

void AnamnesisCalcTest::lifeSem_data()
{
    testing::addTextColumns();
    QTest::newRow("blank") << Record{} << QString();
    QTest::newRow("example") << Record{{"A10", yes}, {"A23", yes}}
                             << QStringLiteral(" У матери - псориаз.   У отца - бронхиальная астма.  ");
    QTest::newRow("other only, no full stop") << Record{{"Other", "среди родственников есть больные псориазом"}}
                                              << QStringLiteral("среди родственников есть больные псориазом");
    QTest::newRow("all six diseases of the sister")
        << Record{{"A17", yes}, {"A27", yes}, {"A37", yes}, {"A47", yes}, {"A57", yes}, {"A67", yes}}
        << QStringLiteral(" У сестры - ") + kAllDiseases + QStringLiteral(" ");
    QTest::newRow("grandparents in order, then other")
        << Record{{"A45", yes}, {"A64", yes}, {"A51", yes}, {"A32", yes}, {"Other", "нет"}}
        << QStringLiteral(" У бабушки (линия по матери) - поллиноз.   У дедушки (линия по матери) - атопический "
                          "ринит.   У бабушки (линия по отцу) - атопический дерматит.   У дедушки (линия по отцу) - "
                          "атопический конъюктивит.  нет");
    QTest::newRow("brother") << Record{{"A16", yes}, {"A66", yes}}
                             << QStringLiteral(" У брата - псориаз, атопический дерматит.  ");
    Record everyone = allTicked(*db::findTableByObject(QStringLiteral("anamnez_life_sem")));
    const QString full =
        QStringLiteral(" У матери - ") + kAllDiseases +
        QStringLiteral("  У бабушки (линия по "
                       "матери) - ") +
        kAllDiseases + QStringLiteral("  У дедушки (линия по матери) - ") + kAllDiseases +
        QStringLiteral("  У отца - ") + kAllDiseases + QStringLiteral("  У бабушки (линия по отцу) - ") + kAllDiseases +
        QStringLiteral("  У дедушки (линия по отцу) - ") + kAllDiseases + QStringLiteral("  У брата - ") +
        kAllDiseases + QStringLiteral("  У сестры - ") + kAllDiseases + QStringLiteral(" ");
    QVERIFY(full.size() > 500);
    QTest::newRow("everyone, cut to 500") << everyone << full.left(500);
}

void AnamnesisCalcTest::lifeSem()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(lifeSemList(AnamnezRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- on the real tables

void AnamnesisCalcTest::installedOnTables()
{
    testing::ClinicFixture f;
    installAnamnesisCalc(*f.dm1);
    db::DM1 &dm1 = *f.dm1;
    f.append(f.reg(), {{QStringLiteral("Last_Name"), QStringLiteral("Белова")}});
    f.append(*dm1.anamnez_zab);
    f.append(*dm1.anamnez_life);

    // Blank records, as created with the patient.
    for (db::Table *t :
         {dm1.anamnez_zab_start, dm1.anamnez_zab_obostr_prich, dm1.anamnez_zab_ranlech, dm1.anamnez_zab_obostr_lech,
          dm1.anamnez_zab_zalobi, dm1.anamnez_life_zab, dm1.anamnez_life_sem})
        f.append(*t);
    QCOMPARE(dm1.anamnez_zab_start->asString(QStringLiteral("List")), QString());
    QCOMPARE(dm1.anamnez_zab_zalobi->asString(QStringLiteral("List")), QStringLiteral("Жалоб нет"));
    QCOMPARE(dm1.anamnez_life_zab->asString(QStringLiteral("list10")), QString());
    QCOMPARE(dm1.anamnez_life_sem->asString(QStringLiteral("List")), QString());

    // Every box ticked: each field the texts read exists in its table.
    const auto tickAndPost = [](db::Table &t) {
        t.edit();
        tickAll(t);
        QVERIFY(t.post());
    };
    tickAndPost(*dm1.anamnez_zab_start);
    QCOMPARE(dm1.anamnez_zab_start->asString(QStringLiteral("List")),
             kAllTriggersButA1_15 + QStringLiteral("ни с чем не связывает. "));
    tickAndPost(*dm1.anamnez_zab_obostr_prich);
    QCOMPARE(dm1.anamnez_zab_obostr_prich->asString(QStringLiteral("List")),
             kAllTriggersButA1_15 + QStringLiteral("роды. "));
    tickAndPost(*dm1.anamnez_zab_zalobi);
    QCOMPARE(dm1.anamnez_zab_zalobi->asString(QStringLiteral("List")), kAllZalobi);

    for (db::Table *t : {dm1.anamnez_zab_ranlech, dm1.anamnez_zab_obostr_lech}) {
        tickAndPost(*t);
        QCOMPARE(t->asString(QStringLiteral("List")), QStringLiteral("не проводилось."));
        t->edit();
        t->setValue(QStringLiteral("Lech"), false);
        QVERIFY(t->post());
    }
    QCOMPARE(dm1.anamnez_zab_ranlech->asString(QStringLiteral("List")), kAllRanlech);
    QCOMPARE(dm1.anamnez_zab_obostr_lech->asString(QStringLiteral("List")), kAllObostrLech.left(500));

    // The accompanying diseases, with the hepatitis phrase following the register's sex.
    db::Table &zab = *dm1.anamnez_life_zab;
    zab.edit();
    tickAll(zab);
    zab.setValue(QStringLiteral("A5_1_1"), 2);
    zab.setValue(QStringLiteral("A5_1_2"), 4);
    zab.setValue(QStringLiteral("Other"), QStringLiteral("часто болеет"));
    QVERIFY(zab.post());
    QCOMPARE(zab.asString(QStringLiteral("list1")),
             QStringLiteral("тонзиллит, гайморит, аденоидит, отит, кариеc, парадонтоз. "));
    QCOMPARE(zab.asString(QStringLiteral("list5")),
             QStringLiteral("частые ОРВИ ( от 2 до 4 раз в год), рецидивирующие бронхиты. "));
    QCOMPARE(zab.asString(QStringLiteral("list6")),
             QStringLiteral("пиелонефрит, мочекаменная болезнь, цистит, гломерулонефрит. "));
    QCOMPARE(zab.asString(QStringLiteral("list10")), QStringLiteral("были операции или травмы, часто болеет. "));
    f.reg().edit();
    f.reg().setValue(QStringLiteral("Sex"), QStringLiteral("Женский"));
    QCOMPARE(zab.asString(QStringLiteral("list10")),
             QStringLiteral("были операции или травмы, болела гепатитом, часто болеет. "));
    QVERIFY(f.reg().post());
    QCOMPARE(zab.asString(QStringLiteral("list10")),
             QStringLiteral("были операции или травмы, болела гепатитом, часто болеет. "));

    db::Table &sem = *dm1.anamnez_life_sem;
    sem.edit();
    sem.setValue(QStringLiteral("A10"), true);
    sem.setValue(QStringLiteral("A23"), true);
    QVERIFY(sem.post());
    QCOMPARE(sem.asString(QStringLiteral("List")),
             QStringLiteral(" У матери - псориаз.   У отца - бронхиальная астма.  "));

    // The texts are never stored.
    QCOMPARE(f.stored(QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('anamnez_life_sem') WHERE name = 'List'"))
                 .toInt(),
             0);
}

QTEST_GUILESS_MAIN(AnamnesisCalcTest)
#include "anamnesis_calc_test.moc"
