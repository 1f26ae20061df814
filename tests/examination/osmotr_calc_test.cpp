#include "osmotr_calc.h"
#include "calctable.h"

#include "database.h"
#include "datamodules.h"
#include "table.h"
#include "texts.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::examination;


namespace {

const QVariant yes(true);

// "отсутствует" for every grade of one region, before its closing mark.
QString noFindings(const QString &region)
{
    return region + QStringLiteral("эритема отсутствует, инфильтрация отсутствует, шелушение отсутствует");
}

const QString kNoPasi = QStringLiteral("На элементах высыпания ") + noFindings(QStringLiteral("на голове - ")) +
                        QStringLiteral("; ") + noFindings(QStringLiteral("на туловище - ")) + QStringLiteral("; ") +
                        noFindings(QStringLiteral("на руках - ")) + QStringLiteral("; ") +
                        noFindings(QStringLiteral("на ногах - ")) + QStringLiteral(". ");

} // namespace

class OsmotrCalcTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void obostrenie_data();
    void obostrenie();
    void opisPASI_data();
    void opisPASI();
    void dateTxt_data();
    void dateTxt();
    void simp_data();
    void simp();
    void listZalob_data();
    void listZalob();
    void listZalob1_data();
    void listZalob1();
    void kozaOpisanie_data();
    void kozaOpisanie();
    void listProizv_data();
    void listProizv();
    void listProizvList_data();
    void listProizvList();
    void indices_data();
    void indices();
    void installedOnTable();
};

// ---------------------------------------------------------------- obostrenie

void OsmotrCalcTest::obostrenie_data()
{
    testing::addTextColumns();
    QTest::newRow("no data") << Record{} << QString();
    QTest::newRow("Ob not ticked, triggers ignored")
        << Record{{"Ob_pr_a11", yes}, {"Ob_ndate", 2}, {"Ob_pr_lech", "мази"}} << QString();
    QTest::newRow("ticked, all blank") << Record{{"Ob", yes}}
                                       << QStringLiteral(
                                              "Начало последнего обострения:   назад. Лечение не проводилось. ");
    QTest::newRow("treatment without result")
        << Record{{"Ob", yes},        {"Ob_ndate", 3},    {"Ob_date", "месяц(а\\ев)"},
                  {"Ob_pr_a11", yes}, {"Ob_pr_a15", yes}, {"Ob_pr_lech", "мази"}}
        << QStringLiteral("Начало последнего обострения: 3 месяц(а\\ев) назад. "
                          "Начало обострения провоцировали: пищевые продукты, пыль. Принято лечение: мази. ");
    QTest::newRow("treatment with result")
        << Record{{"Ob", yes},
                  {"Ob_ndate", 2},
                  {"Ob_date", "недель(я\\и)"},
                  {"Ob_pr_lech", "антигистаминные"},
                  {"Ob_result", "кратковременный"}}
        << QStringLiteral("Начало последнего обострения: 2 недель(я\\и) назад. "
                          "Принято лечение: антигистаминные. Результат от лечения кратковременный. ");
    QTest::newRow("winter only: no trigger sentence")
        << Record{{"Ob", yes}, {"Ob_ndate", 1}, {"Ob_date", "год(а)\\лет"}, {"Ob_pr_a21", yes}}
        << QStringLiteral("Начало последнего обострения: 1 год(а)\\лет назад. Лечение не проводилось. ");
    QTest::newRow("all non-allergen boxes still nothing")
        << Record{{"Ob", yes},         {"Ob_pr_a21", yes},  {"Ob_pr_a22", yes},  {"Ob_pr_a23", yes},
                  {"Ob_pr_a24", yes},  {"Ob_pr_a25", yes},  {"Ob_pr_a26", yes},  {"Ob_pr_a27", yes},
                  {"Ob_pr_a28", yes},  {"Ob_pr_a29", yes},  {"Ob_pr_a210", yes}, {"Ob_pr_a211", yes},
                  {"Ob_pr_a212", yes}, {"Ob_pr_a213", yes}, {"Ob_pr_a214", yes}}
        << QStringLiteral("Начало последнего обострения:   назад. Лечение не проводилось. ");
    QTest::newRow("every allergen and both free texts")
        << Record{{"Ob", yes},        {"Ob_pr_a11", yes},
                  {"Ob_pr_a12", yes}, {"Ob_pr_a13", yes},
                  {"Ob_pr_a14", yes}, {"Ob_pr_a15", yes},
                  {"Ob_pr_a16", yes}, {"Ob_pr_a10", "кошка"},
                  {"Ob_pr_a22", yes}, {"Ob_pr_a20", "стресс на работе"}}
        << QStringLiteral("Начало последнего обострения:   назад. Начало обострения провоцировали: пищевые продукты, "
                          "пыльца растений, плесень, шерсть животных, пыль, прием лекарств, кошка, стресс на работе. "
                          "Лечение не проводилось. ");
    QTest::newRow("non-allergen free text alone")
        << Record{{"Ob", yes}, {"Ob_pr_a20", "сауна"}}
        << QStringLiteral("Начало последнего обострения:   назад. Начало обострения провоцировали: сауна. "
                          "Лечение не проводилось. ");
    QTest::newRow("blank allergen text counts")
        << Record{{"Ob", yes}, {"Ob_pr_a10", " "}}
        << QStringLiteral("Начало последнего обострения:   назад. Начало обострения провоцировали:  . "
                          "Лечение не проводилось. ");
    QTest::newRow("treatment of one space is none, result ignored")
        << Record{{"Ob", yes}, {"Ob_pr_lech", " "}, {"Ob_result", "стойкий положительный"}}
        << QStringLiteral("Начало последнего обострения:   назад. Лечение не проводилось. ");
    QTest::newRow("result of one space is a result")
        << Record{{"Ob", yes}, {"Ob_pr_lech", "ПУВА"}, {"Ob_result", " "}}
        << QStringLiteral("Начало последнего обострения:   назад. Принято лечение: ПУВА. Результат от лечения  . ");
}

void OsmotrCalcTest::obostrenie()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(examination::obostrenie(OsmotrRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- opisPASI

void OsmotrCalcTest::opisPASI_data()
{
    testing::addTextColumns();
    QTest::newRow("no scores") << Record{} << kNoPasi;
    QTest::newRow("zeros as blanks") << Record{{"Bb11", 0}, {"Bb12", 0}, {"Bb13", 0}, {"Bb14", 0}, {"Bb33", 0}}
                                     << kNoPasi;
    QTest::newRow("area scores do not show") << Record{{"Bb14", 6}, {"Bb24", 3}} << kNoPasi;
    QTest::newRow("every grade, regions in text order")
        << Record{{"Bb11", 1}, {"Bb12", 2}, {"Bb13", 3}, {"Bb41", 4}, {"Bb42", 4}, {"Bb43", 4},
                  {"Bb21", 0}, {"Bb22", 1}, {"Bb23", 2}, {"Bb31", 3}, {"Bb32", 2}, {"Bb33", 1}}
        << QStringLiteral("На элементах высыпания на голове - эритема легкая, инфильтрация умеренная, "
                          "шелушение выраженное; на туловище - эритема оч. выраженная, инфильтрация оч. выраженная, "
                          "шелушение оч. выраженное; на руках - эритема отсутствует, инфильтрация легкая, "
                          "шелушение умеренное; на ногах - эритема выраженная, инфильтрация умеренная, "
                          "шелушение легкое. ");
    // An out-of-range code adds nothing, so the closing mark lands on the last letter of the word before it.
    QTest::newRow("out-of-range last grade")
        << Record{{"Bb33", 5}, {"Bb13", -1}}
        << QStringLiteral("На элементах высыпания на голове - эритема отсутствует, инфильтрация отсутствует, "
                          "шелушени; на туловище - ") +
               noFindings(QString()) + QStringLiteral("; на руках - ") + noFindings(QString()) +
               QStringLiteral("; на ногах - эритема отсутствует, инфильтрация отсутствует, шелушени. ");
}

void OsmotrCalcTest::opisPASI()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(examination::opisPASI(OsmotrRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- Date_txt

void OsmotrCalcTest::dateTxt_data()
{
    testing::addTextColumns();
    QTest::newRow("date") << Record{{"Date", QDate(2025, 3, 5)}} << QStringLiteral("05.03.2025");
    QTest::newRow("end of year") << Record{{"Date", QDate(2024, 12, 31)}} << QStringLiteral("31.12.2024");
    QTest::newRow("blank reads as the zero date") << Record{} << QStringLiteral("30.12.1899");
}

void OsmotrCalcTest::dateTxt()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(examination::dateTxt(OsmotrRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- simp

void OsmotrCalcTest::simp_data()
{
    testing::addTextColumns();
    QTest::newRow("no signs") << Record{} << QString();
    QTest::newRow("one sign") << Record{{"A1", yes}} << QStringLiteral("ладонный ихтиоз. ");
    QTest::newRow("the same, alone") << Record{{"Teze_kl_simp", yes}} << QStringLiteral("те же");
    QTest::newRow("the same, with signs")
        << Record{{"Teze_kl_simp", yes}, {"A1", yes}, {"A22", yes}, {"Kl_sim_other", "сыпь"}}
        << QStringLiteral("те же");
    QTest::newRow("blank dermographism") << Record{{"A4", " "}} << QStringLiteral("  дермографизм. ");
    QTest::newRow("dermographism and pale face")
        << Record{{"A4", "белый"}, {"A5", "бледный"}} << QStringLiteral("белый дермографизм, бледный цвет кожи лица. ");
    QTest::newRow("congestive erythema") << Record{{"A5", "застойная эритема"}}
                                         << QStringLiteral("на коже лица застойная эритема. ");
    QTest::newRow("blank face colour adds nothing") << Record{{"A5", " "}} << QString();
    QTest::newRow("IgE keeps the space before its comma")
        << Record{{"A11", "120"}} << QStringLiteral("уровень IgE в крови - 120 . ");
    QTest::newRow("IgE in the middle")
        << Record{{"A10", yes}, {"A11", "120"}, {"A12", yes}}
        << QStringLiteral("трещины за ушами, уровень IgE в крови - 120 , шелушение на волосистой части головы. ");
    QTest::newRow("thimble sign") << Record{{"A22", yes}} << QStringLiteral("феномен \"наперстка\". ");
    QTest::newRow("other text alone") << Record{{"Kl_sim_other", "зуд"}} << QStringLiteral(" зуд. ");
    QTest::newRow("other text after signs")
        << Record{{"A2", yes}, {"A3", yes}, {"Kl_sim_other", "зуд"}} << QStringLiteral("хейлит, эритродермия,  зуд. ");
    QTest::newRow("hidden hands-and-feet box still prints")
        << Record{{"A7", yes}, {"A13", yes}} << QStringLiteral("локализация на кистях и стопах. ");
    QTest::newRow("psoriatic signs in order")
        << Record{{"A21", yes}, {"A16", yes}, {"A19", yes}, {"A17", yes}, {"A20", yes}, {"A18", yes}}
        << QStringLiteral("положительный с-м Кебнера, положительный с-м Воронова, положительный с-м Пельнова, "
                          "положительный с-м стеаринового пятна, положительный с-м терминальной пленки, "
                          "положительный с-м точечного кровотечения. ");
    QTest::newRow("atopic signs in order")
        << Record{{"A9", yes}, {"A14", yes}, {"A6", yes}, {"A2", yes}, {"A8", yes}, {"A1", yes}, {"A4", "красный"}}
        << QStringLiteral("ладонный ихтиоз, хейлит, трещины в углах рта, красный дермографизм, "
                          "вторичное инфицирование кожи, суборбитальные складки, увеличение лимфоузлов. ");
    // Every sign at once is longer than the field.
    const QString all = QStringLiteral(
        "ладонный ихтиоз, хейлит, трещины в углах рта, красный дермографизм, на коже лица застойная эритема, "
        "вторичное инфицирование кожи, локализация на кистях и стопах, суборбитальные складки, "
        "увеличение лимфоузлов, трещины за ушами, уровень IgE в крови - 95 , "
        "шелушение на волосистой части головы, эритродермия, положительный с-м Кебнера, положительный с-м Воронова, "
        "положительный с-м Пельнова, положительный с-м стеаринового пятна, положительный с-м терминальной пленки, "
        "положительный с-м точечного кровотечения, феномен \"наперстка\",  прочее. ");
    QTest::newRow("every sign, cut to 300") << Record{{"A1", yes},
                                                      {"A2", yes},
                                                      {"A14", yes},
                                                      {"A4", "красный"},
                                                      {"A5", "застойная эритема"},
                                                      {"A6", yes},
                                                      {"A7", yes},
                                                      {"A8", yes},
                                                      {"A9", yes},
                                                      {"A10", yes},
                                                      {"A11", "95"},
                                                      {"A12", yes},
                                                      {"A3", yes},
                                                      {"A16", yes},
                                                      {"A17", yes},
                                                      {"A18", yes},
                                                      {"A19", yes},
                                                      {"A20", yes},
                                                      {"A21", yes},
                                                      {"A22", yes},
                                                      {"Kl_sim_other", "прочее"}}
                                            << all.left(300);
}

void OsmotrCalcTest::simp()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(examination::simp(OsmotrRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- List_zalob

void OsmotrCalcTest::listZalob_data()
{
    testing::addTextColumns();
    QTest::newRow("no complaints") << Record{} << QStringLiteral("нет.");
    QTest::newRow("no complaints, blank short text") << Record{{"Zalob", " "}} << QStringLiteral("нет.");
    QTest::newRow("no complaints, short text")
        << Record{{"Zalob", "усиление симптомов"}} << QStringLiteral("усиление симптомов");
    QTest::newRow("the same replaces the list")
        << Record{{"Zalob", "те же"}, {"A2_3", yes}, {"A1_1", yes}, {"Zal_other", "отёки"}} << QStringLiteral("те же");
    QTest::newRow("blank short text keeps the list")
        << Record{{"Zalob", " "}, {"A2_3", yes}} << QStringLiteral("зуд кожи. ");
    QTest::newRow("itch and burning") << Record{{"A2_3", yes}, {"A2_4", yes}} << QStringLiteral("зуд, жжение кожи. ");
    QTest::newRow("every skin complaint")
        << Record{{"A2_1", yes}, {"A2_2", yes}, {"A2_3", yes}, {"A2_4", yes}, {"A2_5", yes},
                  {"A2_6", yes}, {"A2_7", yes}, {"A2_8", yes}, {"A2_9", yes}}
        << QStringLiteral("боль в области высыпаний, чувство стянутости, зуд, жжение, сухость, шелушение, трещины, "
                          "покраснение, мокнутие кожи. ");
    QTest::newRow("dizziness alone") << Record{{"A1_1", yes}} << QStringLiteral(" головокружение. ");
    QTest::newRow("every general complaint")
        << Record{{"A1_7", yes}, {"A1_6", yes}, {"A1_5", yes}, {"A1_4", yes},
                  {"A1_3", yes}, {"A1_2", yes}, {"A1_1", yes}}
        << QStringLiteral(" головокружение, повышение температуры, головная боль, ухудшение общего состояния, "
                          "потеря аппетита, снижение массы тела, нарушение сна. ");
    QTest::newRow("sites only") << Record{{"A2_10", yes}, {"A2_13", yes}}
                                << QStringLiteral("высыпания на голове, туловище. ");
    QTest::newRow("every site") << Record{{"A2_10", yes}, {"A2_11", yes}, {"A2_12", yes}, {"A2_13", yes}}
                                << QStringLiteral(
                                       "высыпания на голове, верхних конечностях, нижних конечностях, туловище. ");
    QTest::newRow("other group")
        << Record{{"A3_1", yes}, {"A3_2", yes}, {"A3_3", yes}, {"A3_4", yes}}
        << QStringLiteral("изменение формы ногтей, выпадение волос, изменение формы суставов, боль в суставах. ");
    QTest::newRow("all four groups")
        << Record{{"A2_11", yes}, {"A2_1", yes}, {"A3_2", yes}, {"A3_4", yes}, {"A1_3", yes}}
        << QStringLiteral("высыпания на верхних конечностях; боль в области высыпаний кожи; "
                          "выпадение волос, боль в суставах;  головная боль. ");
    QTest::newRow("other text after groups")
        << Record{{"A2_3", yes}, {"Zal_other", "отёки"}} << QStringLiteral("зуд кожи; отёки.");
    QTest::newRow("other text after all groups")
        << Record{{"A2_12", yes}, {"A2_9", yes}, {"A3_3", yes}, {"A1_2", yes}, {"Zal_other", "слабость"}}
        << QStringLiteral("высыпания на нижних конечностях; мокнутие кожи; изменение формы суставов;  "
                          "повышение температуры; слабость.");
    QTest::newRow("other text alone") << Record{{"Zal_other", "отёки"}} << QStringLiteral("отёки.");
    QTest::newRow("other text of one space") << Record{{"Zal_other", " "}} << QStringLiteral(" .");
    QTest::newRow("short text wins over other text")
        << Record{{"Zalob", "уменьшение симптомов"}, {"Zal_other", "отёки"}} << QStringLiteral("уменьшение симптомов");
    QTest::newRow("reserved box adds nothing") << Record{{"A3_5", yes}} << QStringLiteral("нет.");
}

void OsmotrCalcTest::listZalob()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(examination::listZalob(OsmotrRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- List_zalob1

void OsmotrCalcTest::listZalob1_data()
{
    testing::addTextColumns();
    QTest::newRow("no complaints, no exacerbation") << Record{} << QStringLiteral("нет. ");
    QTest::newRow("complaints, no exacerbation") << Record{{"A2_3", yes}} << QStringLiteral("зуд кожи.  ");
    QTest::newRow("exacerbation data not ticked")
        << Record{{"Zalob", "те же"}, {"Ob_pr_a11", yes}, {"Ob_pr_lech", "мази"}} << QStringLiteral("те же ");
    QTest::newRow("complaints and exacerbation")
        << Record{{"A2_3", yes}, {"Ob", yes}, {"Ob_ndate", 2}, {"Ob_date", "недель(я\\и)"}, {"Ob_pr_a12", yes}}
        << QStringLiteral("зуд кожи.  Начало последнего обострения: 2 недель(я\\и) назад. "
                          "Начало обострения провоцировали: пыльца растений. Лечение не проводилось. ");
    QTest::newRow("no complaints and exacerbation")
        << Record{{"Ob", yes}, {"Ob_pr_lech", "крем"}, {"Ob_result", "не отмечается"}}
        << QStringLiteral("нет. Начало последнего обострения:   назад. Принято лечение: крем. "
                          "Результат от лечения не отмечается. ");
}

void OsmotrCalcTest::listZalob1()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(examination::listZalob1(OsmotrRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- koza_opisanie

void OsmotrCalcTest::kozaOpisanie_data()
{
    testing::addTextColumns();
    QTest::newRow("neither") << Record{} << QString();
    QTest::newRow("both") << Record{{"AAA", "умеренной влажности"}, {"AAA1", "бледно-розового цвета"}}
                          << QStringLiteral("Кожа умеренной влажности, бледно-розового цвета. ");
    QTest::newRow("moisture only") << Record{{"AAA", "повышенной сухости"}}
                                   << QStringLiteral("Кожа повышенной сухости. ");
    QTest::newRow("colour only") << Record{{"AAA1", "иктеричная"}} << QStringLiteral("Кожа иктеричная. ");
    QTest::newRow("colour in quotes") << Record{{"AAA1", "\"грязного\" оттенка"}}
                                      << QStringLiteral("Кожа \"грязного\" оттенка. ");
    QTest::newRow("blank moisture counts")
        << Record{{"AAA", " "}, {"AAA1", "бледная"}} << QStringLiteral("Кожа  , бледная. ");
    QTest::newRow("both blank") << Record{{"AAA", " "}, {"AAA1", " "}} << QStringLiteral("Кожа  ,  . ");
    QTest::newRow("reserved field adds nothing") << Record{{"AAA2", "что-то"}} << QString();
}

void OsmotrCalcTest::kozaOpisanie()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(examination::kozaOpisanie(OsmotrRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- List_proizv

void OsmotrCalcTest::listProizv_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing") << Record{} << QString();
    QTest::newRow("skin alone is not an appendage") << Record{{"AAA", "повышенной сухости"}} << QString();
    QTest::newRow("diffuse hair loss") << Record{{"C", yes}, {"C12", "Диффузное"}}
                                       << QStringLiteral("Диффузное выпадение волос. ");
    QTest::newRow("hair loss without its kind") << Record{{"C", yes}} << QStringLiteral(" выпадение волос. ");
    QTest::newRow("kind without hair loss") << Record{{"C12", "Очаговое"}} << QString();
    QTest::newRow("finger nails, onycholysis before paronychia")
        << Record{{"C7", yes}, {"C9", yes}, {"C3", yes}, {"C6", yes}}
        << QStringLiteral("Ногтевые пластинки изменены на руках: точечные углубления, онихолизис, паронихии, "
                          "поперечные\\продольные борозды. ");
    QTest::newRow("toe nails") << Record{{"C8_", yes}}
                               << QStringLiteral("Ногтевые пластинки изменены на ногах: папулы ногтевого ложа. ");
    QTest::newRow("every nail change on both, cut to 300")
        << Record{{"C3", yes},  {"C4", yes},  {"C5", yes},  {"C6", yes},  {"C7", yes},  {"C8", yes},  {"C9", yes},
                  {"C3_", yes}, {"C4_", yes}, {"C5_", yes}, {"C6_", yes}, {"C7_", yes}, {"C8_", yes}, {"C9_", yes}}
        << QStringLiteral("Ногтевые пластинки изменены на руках: точечные углубления, подногтевой гиперкератоз, "
                          "гипертрофия эпонихиума, онихолизис, паронихии, поперечные\\продольные борозды, "
                          "папулы ногтевого ложа. Ногтевые пластинки изменены на ногах: точечные углубления, "
                          "подногтевой гиперкератоз, гипертрофия эпонихиума, онихолизис, паронихии, "
                          "поперечные\\продольные борозды, папулы ногтевого ложа. ")
               .left(300);
    QTest::newRow("colour and other run together")
        << Record{{"C10", "желтоватый"}, {"C11", "ломкость"}} << QStringLiteral("Цвет - желтоватыйломкость");
    QTest::newRow("blank colour") << Record{{"C10", " "}} << QStringLiteral("Цвет -  ");
    QTest::newRow("other alone") << Record{{"C11", "ломкость волос"}} << QStringLiteral("ломкость волос");
    QTest::newRow("hair, both nails, colour")
        << Record{{"C", yes}, {"C12", "Очаговое"}, {"C4", yes}, {"C6_", yes}, {"C5_", yes}, {"C10", "белый"}}
        << QStringLiteral("Очаговое выпадение волос. Ногтевые пластинки изменены на руках: подногтевой гиперкератоз. "
                          "Ногтевые пластинки изменены на ногах: гипертрофия эпонихиума, паронихии. Цвет - белый");
    QTest::newRow("reserved boxes add nothing") << Record{{"C1", yes}, {"C2", yes}, {"Teze_pr_kozi", yes}} << QString();
}

void OsmotrCalcTest::listProizv()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(examination::listProizv(OsmotrRecord::fromHash(record)), expected);
}

void OsmotrCalcTest::listProizvList_data()
{
    testing::addTextColumns();
    QTest::newRow("nothing") << Record{} << QString();
    QTest::newRow("skin only") << Record{{"AAA1", "бледная"}} << QStringLiteral("Кожа бледная. ");
    QTest::newRow("appendages only") << Record{{"C", yes}} << QStringLiteral(" выпадение волос. ");
    QTest::newRow("skin then appendages")
        << Record{{"AAA", "повышенной влажности"}, {"AAA1", "гиперемированная"}, {"C3_", yes}, {"C11", "ломкость"}}
        << QStringLiteral("Кожа повышенной влажности, гиперемированная. "
                          "Ногтевые пластинки изменены на ногах: точечные углубления. ломкость");
    QTest::newRow("cut to 250") << Record{{"AAA", "а"}, {"C11", QString(255, QLatin1Char('x'))}}
                                << QString(QStringLiteral("Кожа а. ") + QString(242, QLatin1Char('x')));
}

void OsmotrCalcTest::listProizvList()
{
    QFETCH(Record, record);
    QFETCH(QString, expected);
    QCOMPARE(examination::listProizvList(OsmotrRecord::fromHash(record)), expected);
}

// ---------------------------------------------------------------- indices

void OsmotrCalcTest::indices_data()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<qint64>("b");
    QTest::addColumn<qint64>("c");
    QTest::addColumn<qint64>("scorad");
    QTest::addColumn<QString>("pasi"); // as the program shows it

    QTest::newRow("empty") << Record{} << qint64(0) << qint64(0) << qint64(0) << QStringLiteral("0");
    QTest::newRow("extent alone is no SCORAD")
        << Record{{"B1", 50}} << qint64(0) << qint64(0) << qint64(0) << QStringLiteral("0");
    QTest::newRow("5.5 rounds up to 6") << Record{{"B1", 10}, {"B2", 1}} << qint64(1) << qint64(0) << qint64(6)
                                        << QStringLiteral("0");
    QTest::newRow("6.5 rounds down to 6") << Record{{"B1", 10}, {"B2", 1}, {"B3", 0}, {"B8", 1}} << qint64(1)
                                          << qint64(1) << qint64(6) << QStringLiteral("0");
    QTest::newRow("4.5 rounds down to 4")
        << Record{{"B1", 5}, {"B7", 1}} << qint64(1) << qint64(0) << qint64(4) << QStringLiteral("0");
    QTest::newRow("3.5 rounds up to 4") << Record{{"B4", 1}} << qint64(1) << qint64(0) << qint64(4)
                                        << QStringLiteral("0");
    QTest::newRow("10.5 rounds down to 10")
        << Record{{"B5", 1}, {"B6", 2}} << qint64(3) << qint64(0) << qint64(10) << QStringLiteral("0");
    QTest::newRow("8.4 rounds down") << Record{{"B1", 7}, {"B2", 2}} << qint64(2) << qint64(0) << qint64(8)
                                     << QStringLiteral("0");
    QTest::newRow("itch alone") << Record{{"B8", 3}} << qint64(0) << qint64(3) << qint64(3) << QStringLiteral("0");
    QTest::newRow("sleep loss with extent")
        << Record{{"B1", 12}, {"B9", 2}} << qint64(0) << qint64(2) << qint64(4) << QStringLiteral("0");
    QTest::newRow("maximum SCORAD") << Record{{"B1", 100}, {"B2", 3}, {"B3", 3},  {"B4", 3}, {"B5", 3},
                                              {"B6", 3},   {"B7", 3}, {"B8", 10}, {"B9", 10}}
                                    << qint64(18) << qint64(20) << qint64(103) << QStringLiteral("0");
    QTest::newRow("PASI trunk only") << Record{{"Bb41", 2}, {"Bb42", 2}, {"Bb43", 2}, {"Bb44", 3}} << qint64(0)
                                     << qint64(0) << qint64(0) << QStringLiteral("5,4");
    QTest::newRow("PASI legs only") << Record{{"Bb31", 2}, {"Bb32", 2}, {"Bb33", 2}, {"Bb34", 3}} << qint64(0)
                                    << qint64(0) << qint64(0) << QStringLiteral("7,2");
    QTest::newRow("PASI head only") << Record{{"Bb11", 1}, {"Bb12", 1}, {"Bb13", 1}, {"Bb14", 1}} << qint64(0)
                                    << qint64(0) << qint64(0) << QStringLiteral("0,3");
    QTest::newRow("PASI arms without area")
        << Record{{"Bb21", 4}, {"Bb22", 4}, {"Bb23", 4}} << qint64(0) << qint64(0) << qint64(0) << QStringLiteral("0");
    QTest::newRow("PASI mixed") << Record{{"Bb11", 1}, {"Bb14", 2}, {"Bb21", 2}, {"Bb22", 1},
                                          {"Bb24", 1}, {"Bb43", 3}, {"Bb44", 1}}
                                << qint64(0) << qint64(0) << qint64(0) << QStringLiteral("1,7");
    Record maxPasi;
    for (const char *region : {"1", "2", "3", "4"}) {
        for (const char *score : {"1", "2", "3"})
            maxPasi.insert(QStringLiteral("Bb") + QLatin1String(region) + QLatin1String(score), 4);
        maxPasi.insert(QStringLiteral("Bb") + QLatin1String(region) + QStringLiteral("4"), 6);
    }
    QTest::newRow("maximum PASI") << maxPasi << qint64(0) << qint64(0) << qint64(0) << QStringLiteral("72");
}

void OsmotrCalcTest::indices()
{
    QFETCH(Record, record);
    QFETCH(qint64, b);
    QFETCH(qint64, c);
    QFETCH(qint64, scorad);
    QFETCH(QString, pasi);
    const OsmotrRecord r = OsmotrRecord::fromHash(record);
    QCOMPARE(ind1(r), b);
    QCOMPARE(ind2(r), c);
    QCOMPARE(ind3(r), scorad);
    QCOMPARE(text::floatToText(index1(r)), pasi);
}

// ---------------------------------------------------------------- on the real table

void OsmotrCalcTest::installedOnTable()
{
    QTemporaryDir dir;
    db::Database database;
    QString error;
    QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
    db::DM1 dm1(database);
    db::DM2 dm2(database, dm1);
    QVERIFY2(dm1.open(&error) && dm2.open(&error), qPrintable(error));

    db::Table &reg = *dm1.register_;
    reg.append();
    reg.setValue("Last_Name", QStringLiteral("Осмотренный"));
    QVERIFY(reg.post());

    db::Table &o = *dm2.osmotr1;
    installOsmotrCalc(o);
    o.append();
    o.setValue("Date", QDate(2025, 3, 5));
    o.setValue("A2_3", true);
    o.setValue("A2_4", true);
    o.setValue("B1", 10);
    o.setValue("B2", 1);
    o.setValue("B8", 1);
    o.setValue("Bb41", 2);
    o.setValue("Bb42", 2);
    o.setValue("Bb43", 2);
    o.setValue("Bb44", 3);
    o.setValue("AAA", QStringLiteral("а"));
    o.setValue("C11", QString(255, QLatin1Char('x')));
    QVERIFY(o.post());
    QCOMPARE(o.recordCount(), 1);

    QCOMPARE(o.asString("Date_txt"), QStringLiteral("05.03.2025"));
    QCOMPARE(o.asString("List_zalob"), QStringLiteral("зуд, жжение кожи. "));
    QCOMPARE(o.asString("List_zalob1"), QStringLiteral("зуд, жжение кожи.  "));
    QVERIFY(o.isNull("obostrenie"));
    QVERIFY(o.isNull("simp"));
    QCOMPARE(o.asInteger("ind1"), qint64(1));
    QCOMPARE(o.asInteger("ind2"), qint64(1));
    QCOMPARE(o.asInteger("ind3"), qint64(6));
    QCOMPARE(text::floatToText(o.asFloat("index1")), QStringLiteral("5,4"));
    QVERIFY(
        o.asString("opisPASI").startsWith(QStringLiteral("На элементах высыпания на голове - эритема отсутствует")));
    QCOMPARE(o.asString("koza_opisanie"), QStringLiteral("Кожа а. "));
    QCOMPARE(o.asString("List_proizv"), QString(255, QLatin1Char('x')));
    QCOMPARE(o.asString("List_proizv_list").size(), 250);
    QVERIFY(o.isNull("Dinam"));

    // A change of the record shows in its texts at once, before it is stored.
    o.edit();
    o.setValue("Zalob", QStringLiteral("те же"));
    o.setValue("Teze_kl_simp", true);
    QCOMPARE(o.asString("List_zalob"), QStringLiteral("те же"));
    QCOMPARE(o.asString("simp"), QStringLiteral("те же"));
    o.cancel();
    QCOMPARE(o.asString("List_zalob"), QStringLiteral("зуд, жжение кожи. "));
}

QTEST_GUILESS_MAIN(OsmotrCalcTest)
#include "osmotr_calc_test.moc"
