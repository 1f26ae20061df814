#include "analyz_calc.h"
#include "calctable.h"
#include "recomend_calc.h"

#include "clinicfixture.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::clinical;

namespace {

const QVariant yes(true);

const QString kAllNegative =
    QStringLiteral("описторхии - отрицательные, трихинелла - отрицательные, эхинококк - отрицательные, "
                   "токсокара - отрицательные, лямблии - отрицательные. ");

} // namespace

class ClinicalCalcTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void analyzList1_data();
    void analyzList1();
    void analyzList2_data();
    void analyzList2();
    void analyzList3_data();
    void analyzList3();
    void analyzList_data();
    void analyzList();
    void recomendList_data();
    void recomendList();
    void installedOnTables();
};

// ---------------------------------------------------------------- analyz: blood part

void ClinicalCalcTest::analyzList1_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing ticked") << Record{} << QString();
    QTest::newRow("values without their check box") << Record{{"B11", "12"}, {"B21", "5"}, {"B3", "100"}} << QString();
    QTest::newRow("clinical normal despite values") << Record{{"B1", yes}, {"C1", yes}, {"B11", "12"}, {"B13", "6,1"}}
                                                    << QStringLiteral("Клинический анализ крови: норма.");
    QTest::newRow("clinical ESR and leukocytes")
        << Record{{"B1", yes}, {"B11", "12"}, {"B13", "6,1"}}
        << QStringLiteral("Клинический анализ крови: СОЭ -12мм\\ч, лейкоциты -6,1х 10^9/л. ");
    QTest::newRow("clinical heading alone") << Record{{"B1", yes}} << QStringLiteral("Клинический анализ крови: ");
    QTest::newRow("normal flags without their check boxes") << Record{{"C1", yes}, {"C2", yes}} << QString();
    QTest::newRow("clinical remark alone keeps its own stop")
        << Record{{"B1", yes}, {"B14", QStringLiteral("тромбоциты 250")}}
        << QStringLiteral("Клинический анализ крови: тромбоциты 250. ");
    QTest::newRow("biochemical heading alone") << Record{{"B2", yes}} << QStringLiteral("Биохимический анализ крови: ");
    QTest::newRow("clinical all values and remark")
        << Record{{"B1", yes}, {"B11", "7"}, {"B12", "4"}, {"B13", "5"}, {"B14", "тромбоциты в норме"}}
        << QStringLiteral("Клинический анализ крови: СОЭ -7мм\\ч, эозинофилы -4%, лейкоциты -5х 10^9/л, "
                          "тромбоциты в норме. ");
    QTest::newRow("clinical normal runs into biochemical normal")
        << Record{{"B1", yes}, {"C1", yes}, {"B2", yes}, {"C2", yes}}
        << QStringLiteral("Клинический анализ крови: норма.Биохимический анализ крови: норма. ");
    QTest::newRow("biochemical all values")
        << Record{{"B2", yes},   {"B21", "5,2"}, {"B22", "1,1"},        {"B23", "15"},
                  {"B24", "20"}, {"B25", "22"},  {"B26", "глюкоза 4,5"}}
        << QStringLiteral("Биохимический анализ крови: холестерин -5,2ммоль/л, триглицериды -1,1ммоль/л, "
                          "общий билирубин -15ммоль/л, АлАТ -20ед., АсАТ -22ед., глюкоза 4,5. ");
    // The unit's own stop stays, and the closing stop follows it.
    QTest::newRow("biochemical ending in a unit with a stop")
        << Record{{"B2", yes}, {"B24", "40"}, {"B25", "38"}}
        << QStringLiteral("Биохимический анализ крови: АлАТ -40ед., АсАТ -38ед.. ");
    QTest::newRow("biochemical normal despite values")
        << Record{{"B2", yes}, {"C2", yes}, {"B21", "9"}} << QStringLiteral("Биохимический анализ крови: норма. ");
    QTest::newRow("total IgE empty value")
        << Record{{"B31", yes}} << QStringLiteral("Общий иммуноглобулин Е:  Ме/мл. ");
    QTest::newRow("total IgE value") << Record{{"B31", yes}, {"B3", "250"}}
                                     << QStringLiteral("Общий иммуноглобулин Е: 250 Ме/мл. ");
    QTest::newRow("allergen epidermal high")
        << Record{{"B4", yes}, {"I2", QStringLiteral("высокий уровень")}}
        << QStringLiteral("Аллергенспецифические иммуноглобулины Е: Эпидермальный - высокий уровень. ");
    QTest::newRow("allergen heading alone, blank picks skipped")
        << Record{{"B4", yes}, {"I1", " "}, {"I6", " "}} << QStringLiteral("Аллергенспецифические иммуноглобулины Е: ");
    QTest::newRow("allergen every group and remark")
        << Record{{"B4", yes},
                  {"I1", QStringLiteral("норма")},
                  {"I2", QStringLiteral("низкий уровень")},
                  {"I3", QStringLiteral("средний уровень")},
                  {"I4", QStringLiteral("высокий уровень")},
                  {"I5", QStringLiteral("норма")},
                  {"I6", QStringLiteral("свой текст")},
                  {"B42", QStringLiteral("к пыльце березы")}}
        << QStringLiteral("Аллергенспецифические иммуноглобулины Е: Бытовой - норма. Эпидермальный - низкий уровень. "
                          "Пищевой - средний уровень. Пыльцевой - высокий уровень. Грибковый - норма. "
                          "Бактериальный - свой текст. к пыльце березы. ");
    QTest::newRow("helminths all negative")
        << Record{{"B5", yes}} << QString(QStringLiteral("Антитела к антигенам гельминтов: ") + kAllNegative);
    QTest::newRow("helminths two positive and remark")
        << Record{{"B5", yes}, {"B51", yes}, {"B55", yes}, {"B56", QStringLiteral("повторить через месяц")}}
        << QStringLiteral("Антитела к антигенам гельминтов: описторхии - положительные, трихинелла - отрицательные, "
                          "эхинококк - отрицательные, токсокара - отрицательные, лямблии - положительные, "
                          "повторить через месяц. ");
    QTest::newRow("helminth results without B5") << Record{{"B51", yes}, {"B56", "x"}} << QString();
    QTest::newRow("cellular both lymphocyte values")
        << Record{{"B6", yes}, {"B611", "30"}, {"B612", "1,8"}}
        << QStringLiteral("Исследование клеточного иммунитета: лимфоциты -30%, абс. зн-е: 1,8. ");
    QTest::newRow("cellular per cent only") << Record{{"B6", yes}, {"B611", "30"}, {"B62", "70"}}
                                            << QStringLiteral("Исследование клеточного иммунитета: лимфоциты -30%, "
                                                              "CD3 -70. ");
    QTest::newRow("cellular absolute only") << Record{{"B6", yes}, {"B612", "1,8"}}
                                            << QStringLiteral("Исследование клеточного иммунитета: лимфоциты - абс. "
                                                              "зн-е 1,8. ");
    QTest::newRow("cellular CD markers and remark")
        << Record{{"B6", yes},   {"B62", "70"}, {"B63", "40"},  {"B64", "25"},
                  {"B65", "12"}, {"B66", "15"}, {"B67", "1,6"}, {"B68", QStringLiteral("без особенностей")}}
        << QStringLiteral("Исследование клеточного иммунитета: CD3 -70, CD4 -40, CD8 -25, CD19 -12, CD16 -15, "
                          "CD4\\CD8 -1,6, без особенностей. ");
    QTest::newRow("cellular heading alone")
        << Record{{"B6", yes}} << QStringLiteral("Исследование клеточного иммунитета: ");
    QTest::newRow("interleukins some") << Record{{"B7", yes}, {"B71", "2"}, {"B74", "8,5"}}
                                       << QStringLiteral("Интерлейкины: #1 -2, #4 -8,5. ");
    QTest::newRow("interleukins all and remark")
        << Record{{"B7", yes},  {"B71", "1"}, {"B72", "2"}, {"B73", "3"},
                  {"B74", "4"}, {"B75", "5"}, {"B76", "6"}, {"B77", QStringLiteral("повышен")}}
        << QStringLiteral("Интерлейкины: #1 -1, #2 -2, #3 -3, #4 -4, #5 -5, #6 -6, повышен. ");
    QTest::newRow("interleukins heading alone") << Record{{"B7", yes}} << QStringLiteral("Интерлейкины: ");
    QTest::newRow("blocks in order")
        << Record{{"B7", yes}, {"B71", "1"}, {"B5", yes}, {"B31", yes}, {"B3", "90"}, {"B1", yes}, {"B12", "9"}}
        << QString(QStringLiteral("Клинический анализ крови: эозинофилы -9%. Общий иммуноглобулин Е: 90 Ме/мл. "
                                  "Антитела к антигенам гельминтов: ") +
                   kAllNegative + QStringLiteral("Интерлейкины: #1 -1. "));
    QTest::newRow("stool and other parts not here")
        << Record{{"B9", yes}, {"B8", yes}, {"D2", QStringLiteral("осмотр ЛОР")}} << QString();
    QTest::newRow("cut to 500") << Record{{"B1", yes}, {"B14", QString(200, QLatin1Char('a'))},
                                          {"B2", yes}, {"B26", QString(200, QLatin1Char('b'))},
                                          {"B4", yes}, {"B42", QString(200, QLatin1Char('c'))}}
                                << QString(QStringLiteral("Клинический анализ крови: ") +
                                           QString(200, QLatin1Char('a')) + QStringLiteral(". ") +
                                           QStringLiteral("Биохимический анализ крови: ") +
                                           QString(200, QLatin1Char('b')) + QStringLiteral(". ") +
                                           QStringLiteral("Аллергенспецифические иммуноглобулины Е: ") +
                                           QString(200, QLatin1Char('c')))
                                       .left(500);
}

void ClinicalCalcTest::analyzList1()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(clinical::analyzList1(AnalyzRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- analyz: stool part

void ClinicalCalcTest::analyzList2_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing ticked") << Record{} << QString();
    QTest::newRow("helminth eggs normal") << Record{{"B9", yes}} << QStringLiteral("Кал на яйца гельминтов: норма. ");
    QTest::newRow("helminth eggs normal, description ignored")
        << Record{{"B9", yes}, {"B92", QStringLiteral("аскариды")}}
        << QStringLiteral("Кал на яйца гельминтов: норма. ");
    QTest::newRow("helminth eggs found") << Record{{"B9", yes}, {"B91", yes}, {"B92", QStringLiteral("аскариды")}}
                                         << QStringLiteral("Кал на яйца гельминтов: аскариды. ");
    QTest::newRow("found without description")
        << Record{{"B9", yes}, {"B91", yes}} << QStringLiteral("Кал на яйца гельминтов: . ");
    QTest::newRow("protozoa found") << Record{{"B10_0", yes}, {"B10_1", yes}, {"B10_2", QStringLiteral("лямблии")}}
                                    << QStringLiteral("Кал на патогенные простейшие: лямблии. ");
    QTest::newRow("bacteriological normal")
        << Record{{"B11_0", yes}} << QStringLiteral("Бактериологическое исследование кала: норма. ");
    QTest::newRow("all three")
        << Record{{"B9", yes}, {"B10_0", yes}, {"B11_0", yes}, {"B11_1", yes}, {"B11_2", QStringLiteral("дисбиоз")}}
        << QStringLiteral("Кал на яйца гельминтов: норма. Кал на патогенные простейшие: норма. "
                          "Бактериологическое исследование кала: дисбиоз. ");
    QTest::newRow("results without their check box")
        << Record{{"B91", yes}, {"B10_1", yes}, {"B11_2", "x"}} << QString();
}

void ClinicalCalcTest::analyzList2()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(clinical::analyzList2(AnalyzRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- analyz: other methods part

void ClinicalCalcTest::analyzList3_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing ticked") << Record{} << QString();
    QTest::newRow("ultrasound normal") << Record{{"B8", yes}, {"B82", QStringLiteral("не читается")}}
                                       << QStringLiteral("УЗИ органов брюшной полости: патологических изменений нет. ");
    QTest::newRow("ultrasound deviation") << Record{{"B8", yes}, {"B81", yes}, {"B82", QStringLiteral("гепатомегалия")}}
                                          << QStringLiteral("УЗИ органов брюшной полости: гепатомегалия. ");
    QTest::newRow("consultations alone, as typed") << Record{{"D2", QStringLiteral("Консультация гастроэнтеролога")}}
                                                   << QStringLiteral("Консультация гастроэнтеролога");
    QTest::newRow("ultrasound then consultations")
        << Record{{"B8", yes}, {"D2", QStringLiteral("ЛОР: здоров.")}}
        << QStringLiteral("УЗИ органов брюшной полости: патологических изменений нет. ЛОР: здоров.");
    QTest::newRow("blood and stool not here") << Record{{"B1", yes}, {"B9", yes}} << QString();
}

void ClinicalCalcTest::analyzList3()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(clinical::analyzList3(AnalyzRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- analyz: whole summary

void ClinicalCalcTest::analyzList_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing ticked") << Record{} << QString();
    QTest::newRow("consultations alone") << Record{{"D2", QStringLiteral("Осмотр окулиста")}}
                                         << QStringLiteral("Осмотр окулиста");
    QTest::newRow("stool part only") << Record{{"B9", yes}} << QStringLiteral("Кал на яйца гельминтов: норма. ");
    QTest::newRow("every part normal")
        << Record{{"B1", yes}, {"C1", yes}, {"B2", yes}, {"C2", yes}, {"B10_0", yes}, {"B8", yes}}
        << QStringLiteral("Клинический анализ крови: норма.Биохимический анализ крови: норма. "
                          "Кал на патогенные простейшие: норма. УЗИ органов брюшной полости: патологических "
                          "изменений нет. ");
    QTest::newRow("clinical normal runs into stool")
        << Record{{"B1", yes}, {"C1", yes}, {"B9", yes}}
        << QStringLiteral("Клинический анализ крови: норма.Кал на яйца гельминтов: норма. ");
    QTest::newRow("blood, stool, other")
        << Record{{"B31", yes},
                  {"B3", "120"},
                  {"B11_0", yes},
                  {"B8", yes},
                  {"B81", yes},
                  {"B82", QStringLiteral("холецистит")},
                  {"D2", QStringLiteral("гастроэнтеролог")}}
        << QStringLiteral("Общий иммуноглобулин Е: 120 Ме/мл. Бактериологическое исследование кала: норма. "
                          "УЗИ органов брюшной полости: холецистит. гастроэнтеролог");
    // The blood part alone is longer than its own field; the whole keeps what List1 lost.
    const QString longBlood = QStringLiteral("Клинический анализ крови: ") + QString(200, QLatin1Char('a')) +
                              QStringLiteral(". Биохимический анализ крови: ") + QString(200, QLatin1Char('b')) +
                              QStringLiteral(". Аллергенспецифические иммуноглобулины Е: ") +
                              QString(200, QLatin1Char('c')) + QStringLiteral(". ");
    QTest::newRow("long blood part kept whole")
        << Record{{"B1", yes}, {"B14", QString(200, QLatin1Char('a'))},
                  {"B2", yes}, {"B26", QString(200, QLatin1Char('b'))},
                  {"B4", yes}, {"B42", QString(200, QLatin1Char('c'))},
                  {"B9", yes}}
        << QString(longBlood + QStringLiteral("Кал на яйца гельминтов: норма. "));
    QTest::newRow("cut to 1000") << Record{{"B1", yes},
                                           {"B14", QString(200, QLatin1Char('a'))},
                                           {"B2", yes},
                                           {"B26", QString(200, QLatin1Char('b'))},
                                           {"B4", yes},
                                           {"B42", QString(200, QLatin1Char('c'))},
                                           {"B5", yes},
                                           {"B56", QString(200, QLatin1Char('d'))},
                                           {"D2", QString(200, QLatin1Char('e'))}}
                                 << QString(longBlood + QStringLiteral("Антитела к антигенам гельминтов: ") +
                                            kAllNegative.chopped(2) + QStringLiteral(", ") +
                                            QString(200, QLatin1Char('d')) + QStringLiteral(". ") +
                                            QString(200, QLatin1Char('e')))
                                        .left(1000);
}

void ClinicalCalcTest::analyzList()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    const AnalyzRecord r = AnalyzRecord::fromHash(record);
    QCOMPARE(clinical::analyzList(r), expected);
    if (expected.size() < analyz_width::List)
        QCOMPARE(clinical::analyzList(r), bloodPart(r) + stoolPart(r) + otherPart(r));
}

// ---------------------------------------------------------------- recomend

void ClinicalCalcTest::recomendList_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing set") << Record{} << QString();
    QTest::newRow("unread flags and texts") << Record{{"A6", yes}, {"B8", yes}, {"B13", yes}, {"L1", "x"}} << QString();
    QTest::newRow("spa under both") << Record{{"A4", yes}, {"B6", yes}}
                                    << QStringLiteral("Санаторно-курортное лечение. Санаторно-курортное лечение. ");
    QTest::newRow("standard drops phrases, drug follows")
        << Record{{"S", yes}, {"B1", yes}, {"Lek", QStringLiteral("Цетиризин 10 мг")}}
        << QStringLiteral("Стандартные рекомендации. Цетиризин 10 мг ");
    QTest::newRow("standard alone") << Record{{"S", yes}} << QStringLiteral("Стандартные рекомендации. ");
    QTest::newRow("every psoriasis phrase")
        << Record{{"A1", yes}, {"A2", yes}, {"A3", yes}, {"A4", yes}, {"A5", yes}}
        << QStringLiteral("Занятия спортом, физкультурой не противопоказаны. Не рекомендуются контактные виды спорта. "
                          "Избегать травм. Устанить факторы, провоцирующие обострение псориаза. При обострении "
                          "псориаза: индивидуальная терапия. Санаторно-курортное лечение. Наблюдение у дерматолога "
                          "по месту жительства. ");
    QTest::newRow("every atopic phrase")
        << Record{{"B1", yes}, {"B2", yes}, {"B3", yes}, {"B4", yes}, {"B5", yes}, {"B6", yes}, {"B7", yes}}
        << QStringLiteral("Соблюдение гипоаллергенной диеты. Элиминационный режим. Уход за кожей. Занятия спортом, "
                          "физкультурой не противопоказаны. При обострении атонического дерматита: индивидуальная "
                          "терапия. Санаторно-курортное лечение. Наблюдение у дерматолога по месту жительства. ");
    QTest::newRow("psoriasis before atopic") << Record{{"B2", yes}, {"A5", yes}}
                                             << QStringLiteral("Наблюдение у дерматолога по месту жительства. "
                                                               "Элиминационный режим. ");
    QTest::newRow("remark alone, as typed")
        << Record{{"Komm", QStringLiteral("Контроль через месяц")}} << QStringLiteral("Контроль через месяц");
    QTest::newRow("drug alone") << Record{{"Lek", QStringLiteral("Эмоленты")}} << QStringLiteral("Эмоленты ");
    QTest::newRow("phrase, drug and remark")
        << Record{{"B3", yes}, {"Lek", QStringLiteral("Эмоленты")}, {"Komm", QStringLiteral("Контроль.")}}
        << QStringLiteral("Уход за кожей. Эмоленты Контроль.");
    QTest::newRow("standard with remark") << Record{{"S", yes}, {"A1", yes}, {"Komm", QStringLiteral("Диета.")}}
                                          << QStringLiteral("Стандартные рекомендации. Диета.");
    const QString allPhrases =
        QStringLiteral("Занятия спортом, физкультурой не противопоказаны. Не рекомендуются контактные виды спорта. "
                       "Избегать травм. Устанить факторы, провоцирующие обострение псориаза. При обострении "
                       "псориаза: индивидуальная терапия. Санаторно-курортное лечение. Наблюдение у дерматолога "
                       "по месту жительства. Соблюдение гипоаллергенной диеты. Элиминационный режим. Уход за кожей. "
                       "Занятия спортом, физкультурой не противопоказаны. При обострении атонического дерматита: "
                       "индивидуальная терапия. Санаторно-курортное лечение. Наблюдение у дерматолога по месту "
                       "жительства. ");
    Record everything{{"Lek", QString(255, QLatin1Char('l'))}, {"Komm", QString(200, QLatin1Char('k'))}};
    for (const char *f : {"A1", "A2", "A3", "A4", "A5", "B1", "B2", "B3", "B4", "B5", "B6", "B7"})
        everything.insert(QLatin1String(f), yes);
    QTest::newRow("cut to 1000") << everything
                                 << QString(allPhrases + QString(255, QLatin1Char('l')) + QStringLiteral(" ") +
                                            QString(200, QLatin1Char('k')))
                                        .left(1000);
}

void ClinicalCalcTest::recomendList()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(clinical::recomendList(RecomendRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- on the real tables

void ClinicalCalcTest::installedOnTables()
{
    testing::ClinicFixture f;
    installAnalyzCalc(*f.dm2->analyz);
    installRecomendCalc(*f.dm2->recomend);
    f.append(f.reg(), {{QStringLiteral("Last_Name"), QStringLiteral("Обследованный")}});

    db::Table &a = *f.dm2->analyz;
    f.append(a, {{"Data", QDate(2025, 3, 5)},
                 {"B1", true},
                 {"B11", "12"},
                 {"B13", "6,1"},
                 {"B9", true},
                 {"B8", true},
                 {"D2", QStringLiteral("ЛОР")}});
    const QString blood = QStringLiteral("Клинический анализ крови: СОЭ -12мм\\ч, лейкоциты -6,1х 10^9/л. ");
    const QString stool = QStringLiteral("Кал на яйца гельминтов: норма. ");
    const QString other = QStringLiteral("УЗИ органов брюшной полости: патологических изменений нет. ЛОР");
    QCOMPARE(a.asString("List1"), blood);
    QCOMPARE(a.asString("List2"), stool);
    QCOMPARE(a.asString("List3"), other);
    QCOMPARE(a.asString("List"), blood + stool + other);

    // A change shows in the texts at once, before it is posted; an empty text leaves its field blank.
    a.edit();
    a.setValue("C1", true);
    a.setValue("B9", false);
    QCOMPARE(a.asString("List1"), QStringLiteral("Клинический анализ крови: норма."));
    QVERIFY(a.isNull("List2"));
    a.cancel();
    QCOMPARE(a.asString("List2"), stool);

    // The blood part cut to its field, the whole keeping the rest.
    a.edit();
    a.setValue("B14", QString(200, QLatin1Char('a')));
    a.setValue("B2", true);
    a.setValue("B26", QString(200, QLatin1Char('b')));
    a.setValue("B4", true);
    a.setValue("B42", QString(200, QLatin1Char('c')));
    QVERIFY(a.post());
    QCOMPARE(a.asString("List1").size(), 500);
    QVERIFY(a.asString("List").endsWith(stool + other));

    f.append(a);
    QVERIFY(a.isNull("List"));
    QVERIFY(a.isNull("List1"));

    db::Table &r = *f.dm2->recomend;
    f.append(r, {{"Data", QDate(2025, 3, 5)}, {"S", true}, {"B1", true}, {"Lek", QStringLiteral("Цетиризин")}});
    QCOMPARE(r.asString("List"), QStringLiteral("Стандартные рекомендации. Цетиризин "));
    r.edit();
    r.setValue("S", false);
    QCOMPARE(r.asString("List"), QStringLiteral("Соблюдение гипоаллергенной диеты. Цетиризин "));
    r.cancel();
    f.append(r);
    QVERIFY(r.isNull("List"));
}

QTEST_GUILESS_MAIN(ClinicalCalcTest)
#include "clinical_calc_test.moc"
