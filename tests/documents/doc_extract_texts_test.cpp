#include "extract_texts.h"

#include "analyz_calc.h"
#include "anamnesis_calc.h"
#include "clinicfixture.h"
#include "diagnoz_calc.h"
#include "puva_calc.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::documents;

namespace {

using Fields = QVariantMap;
// Records of one patient by table object name; a table that is not named has no record.
using Records = QMap<QString, Fields>;

struct Patient : testing::ClinicFixture
{
    explicit Patient(const Fields &particulars = {})
    {
        anamnesis::installAnamnesisCalc(*dm1);
        clinical::installDiagnozCalc(*dm2->diagnoz);
        clinical::installAnalyzCalc(*dm2->analyz);
        append(reg(), particulars);
    }

    void add(const Records &records)
    {
        for (auto it = records.begin(); it != records.end(); ++it) {
            db::Table *t = dm1->table(it.key());
            QVERIFY2(t, qPrintable(it.key()));
            append(*t, it.value());
        }
    }

    void bloodTests(const QList<Fields> &tests)
    {
        for (const Fields &f : tests)
            append(*dm2->analyz, f);
    }
};

// The anamnesis tables a new patient gets, all blank.
Records blankAnamnesis()
{
    Records r;
    for (const char *name :
         {"anamnez_zab", "anamnez_zab_start", "anamnez_zab_ranlech", "anamnez_zab_obostr_prich",
          "anamnez_zab_obostr_lech", "anamnez_zab_zalobi", "anamnez_life", "anamnez_life_zab", "anamnez_life_sem"})
        r.insert(QString::fromLatin1(name), {});
    return r;
}

Records withAnamnesis(const Records &filled)
{
    Records r = blankAnamnesis();
    for (auto it = filled.begin(); it != filled.end(); ++it)
        r.insert(it.key(), it.value());
    return r;
}

const QString lifeAllFalse = QStringLiteral(
    "Характер питания - гиппоаллергенный. Бытовые условия и режим - гиппоаллергенные. Вредных привычек нет. "
    "Домашних животных нет. Травм и(или) операций не было. Гепатитом не болел(а). \n");

const QString diseaseTitle = QStringLiteral("\nАнамнез заболевания. \n");
const QString lifeTitle = QStringLiteral("\nАнамнез жизни.\n");
const QString nothingInLife =
    QStringLiteral("Сопутствующих заболеваний нет. Семейный анамнез не отягощен. ") + lifeAllFalse;

} // namespace

Q_DECLARE_METATYPE(Records)

class ExtractTextsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void header_data();
    void header();
    void anamnesis_data();
    void anamnesis();
    void exposureLine_data();
    void exposureLine();
};

void ExtractTextsTest::header_data()
{
    QTest::addColumn<Fields>("particulars");
    QTest::addColumn<QStringList>("diagnoses");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("expected");

    QTest::newRow("full particulars, diagnosis of the first event")
        << Fields{{"Amb_karta", 1207},
                  {"Last_Name", QStringLiteral("Иванова")},
                  {"First_Name", QStringLiteral("Мария")},
                  {"Father_Name", QStringLiteral("Петровна")},
                  {"Born_dat", QDate(1980, 3, 5)},
                  {"Ves", 72.5},
                  {"Live_place_region", QStringLiteral("Московская обл.")},
                  {"Life_place_gorod", QStringLiteral("Химки")},
                  {"Adress", QStringLiteral("ул. Мира, 5")},
                  {"Telephone_home", QStringLiteral("123-45-67")}}
        << QStringList{QStringLiteral("B1"), QStringLiteral("B2")}
        << QStringLiteral("Дата поступления на начальный курс - 01.03.2025 Пациент в данное время находится на "
                          "лечении.\n")
        << QStringLiteral("Выписка из амбулаторной карты № 1207\n\n"
                          "Иванова Мария Петровна\n"
                          "Дата рождения: 05.03.1980 . Вес - 72,5 кг.\n"
                          "Место жительства: Московская обл. Химки ул. Мира, 5 .\n"
                          "Телефон - 123-45-67\n\n"
                          "Дата поступления на начальный курс - 01.03.2025 Пациент в данное время находится на "
                          "лечении.\n\n"
                          "Диагноз: псориаз. \n");

    QTest::newRow("no address, weight, diagnosis or note: the blanks stay")
        << Fields{{"Last_Name", QStringLiteral("Петров")}} << QStringList{} << QString()
        << QStringLiteral("Выписка из амбулаторной карты № \n\n"
                          "Петров  \n"
                          "Дата рождения:  . Вес -  кг.\n"
                          "Место жительства:    .\n"
                          "Телефон - \n\n"
                          "\n"
                          "Диагноз: \n");
}

void ExtractTextsTest::header()
{
    QFETCH(Fields, particulars);
    QFETCH(QStringList, diagnoses);
    QFETCH(QString, note);
    QFETCH(QString, expected);

    Patient p(particulars);
    for (const QString &disease : diagnoses)
        p.append(*p.dm2->diagnoz, {{disease, true}});
    p.dm2->diagnoz->last();
    QCOMPARE(extractHeader(*p.dm1, *p.dm2, note), expected);
    if (!diagnoses.isEmpty())
        QCOMPARE(p.dm2->diagnoz->recNo(), 1);
}

void ExtractTextsTest::anamnesis_data()
{
    QTest::addColumn<Records>("records");
    QTest::addColumn<QList<Fields>>("bloodTests");
    QTest::addColumn<QString>("expected");

    const QString noTreatment = QStringLiteral("не проводилось.");

    QTest::newRow("blank anamnesis of a new patient")
        << blankAnamnesis() << QList<Fields>{}
        << QStringLiteral("Жалобы при обращении: Жалоб нет\n") + diseaseTitle +
               QStringLiteral("Первые проявления заболевания возникли в возрасте \n") + lifeTitle + nothingInLife;

    QTest::newRow("no anamnesis records at all") << Records{} << QList<Fields>{}
                                                 << QStringLiteral("Жалобы при обращении: \n") + diseaseTitle +
                                                        QStringLiteral("Первые проявления заболевания возникли в "
                                                                       "возрасте \n") +
                                                        lifeTitle + nothingInLife;

    QTest::newRow("every sentence")
        << withAnamnesis({{"anamnez_zab_zalobi", {{"A2_3", true}}},
                          {"anamnez_zab",
                           {{"NachZabCount", 5},
                            {"NachZabText", QStringLiteral("лет")},
                            {"Ran_lech_rez", QStringLiteral("стойкий положительный")},
                            {"Prodolz_remis_ot_ind", 2},
                            {"Prodolz_remis_ot_name", QStringLiteral("мес.")},
                            {"Prodolz_remis_do_ind", 6},
                            {"Prodolz_remis_do_name", QStringLiteral("мес.")},
                            {"Posl_obostr_ind", 3},
                            {"Posl_obostr_name", QStringLiteral("недели")},
                            {"Posl_obostr_rez", QStringLiteral("улучшение")}}},
                          {"anamnez_zab_start", {{"A1_1", true}}},
                          {"anamnez_zab_ranlech", {{"Lech", true}}},
                          {"anamnez_zab_obostr_prich", {{"A1_3", true}}},
                          {"anamnez_zab_obostr_lech", {{"Lech", true}}},
                          {"anamnez_life",
                           {{"Pitanie", true}, {"Bitovie", true}, {"Vrednie_privichki", true}, {"Dom_zivotnie", true}}},
                          {"anamnez_life_zab", {{"A1_1", true}, {"Travm", true}, {"Gepatit", true}}},
                          {"anamnez_life_sem", {{"Other", QStringLiteral("у матери псориаз")}}}})
        << QList<Fields>{{{"Data", QDate(2025, 1, 10)}, {"D2", QStringLiteral("Консультация терапевта.")}},
                         {{"Data", QDate(2025, 1, 12)}, {"B8", true}}}
        << QStringLiteral("Жалобы при обращении: зуд кожи. \n") + diseaseTitle +
               QStringLiteral("Первые проявления заболевания возникли 5 лет назад. \n"
                              "Начало заболевания провоцировали: зима. \n"
                              "Ранее проводимое лечение: не проводилось.\n"
                              "Результат от лечения стойкий положительный. \n"
                              "Продолжительность ремиссии от 2 мес. до 6 мес..\n"
                              "Провоцируют обострение: весна. \n"
                              "Начало последнего обострения 3 недели назад.\n"
                              "Проведено лечение: не проводилось.\n"
                              "Результат от лечения улучшение\n") +
               lifeTitle +
               QStringLiteral("Сопутствующие заболевания: тонзиллит. были операции или травмы. \n"
                              "Семейный анамнез: у матери псориаз\n"
                              "Характер питания - обычный. Бытовые условия и режим - обычные. "
                              "Присутствуют вредные привычки. Присутствуют домашние животные. "
                              "Были травмы и(или) операции. Болел(а) гепатитом. \n"
                              "Проведено обследование: \n"
                              "10.01.2025: Консультация терапевта.\n"
                              "12.01.2025: УЗИ органов брюшной полости: патологических изменений нет. \n");

    QTest::newRow("lists of up to four characters and short results count as empty")
        << withAnamnesis({{"anamnez_zab",
                           {{"Zalobi", QStringLiteral("12 лет")},
                            {"Ran_lech_rez", QStringLiteral("хор")},
                            {"Posl_obostr_rez", QStringLiteral("плохо")}}},
                          {"anamnez_zab_start", {{"Neallerg_other", QStringLiteral("х")}}},
                          {"anamnez_zab_ranlech", {{"Other", QStringLiteral("УФО")}}},
                          {"anamnez_zab_obostr_prich", {{"Neallerg_other", QStringLiteral("ОР")}}},
                          {"anamnez_zab_obostr_lech", {{"Other", QStringLiteral("Х")}}}})
        << QList<Fields>{}
        << QStringLiteral("Жалобы при обращении: Жалоб нет\n") + diseaseTitle +
               QStringLiteral("Первые проявления заболевания возникли в возрасте 12 лет\n"
                              "Результат от лечения плохо\n") +
               lifeTitle + nothingInLife;

    QTest::newRow("remission lengths while Remis is ticked")
        << withAnamnesis({{"anamnez_zab",
                           {{"Remis", true},
                            {"Prodolz_remis_ot_ind", 2},
                            {"Prodolz_remis_ot_name", QStringLiteral("мес.")},
                            {"Prodolz_remis_do_ind", 6},
                            {"Prodolz_remis_do_name", QStringLiteral("мес.")}}}})
        << QList<Fields>{}
        << QStringLiteral("Жалобы при обращении: Жалоб нет\n") + diseaseTitle +
               QStringLiteral("Первые проявления заболевания возникли в возрасте \nРемиссия отсутствует.\n") +
               lifeTitle + nothingInLife;

    QTest::newRow("remission length without its upper unit")
        << withAnamnesis({{"anamnez_zab",
                           {{"Prodolz_remis_ot_ind", 2},
                            {"Prodolz_remis_ot_name", QStringLiteral("мес.")},
                            {"Prodolz_remis_do_ind", 6}}}})
        << QList<Fields>{}
        << QStringLiteral("Жалобы при обращении: Жалоб нет\n") + diseaseTitle +
               QStringLiteral("Первые проявления заболевания возникли в возрасте \n") + lifeTitle + nothingInLife;

    QTest::newRow("first blood test without a date: none listed")
        << blankAnamnesis()
        << QList<Fields>{{{"D2", QStringLiteral("Консультация терапевта.")}},
                         {{"Data", QDate(2025, 1, 12)}, {"B8", true}}}
        << QStringLiteral("Жалобы при обращении: Жалоб нет\n") + diseaseTitle +
               QStringLiteral("Первые проявления заболевания возникли в возрасте \n") + lifeTitle + nothingInLife;
}

void ExtractTextsTest::anamnesis()
{
    QFETCH(Records, records);
    QFETCH(QList<Fields>, bloodTests);
    QFETCH(QString, expected);

    Patient p({{"Last_Name", QStringLiteral("Анамнезова")}});
    p.add(records);
    p.bloodTests(bloodTests);
    QCOMPARE(anamnesisBlock(*p.dm1, *p.dm2), expected);
}

void ExtractTextsTest::exposureLine_data()
{
    QTest::addColumn<QList<Fields>>("procedures");
    QTest::addColumn<QString>("courseView"); // the filter a course view left on lech_puva
    QTest::addColumn<QString>("expected");

    const Fields course1{{"Id_kurs", 1}, {"Power1", 25}, {"Time1", 10}};
    const Fields course2{{"Id_kurs", 2}, {"Power1", 30}, {"Time1", 12}};
    const Fields noTime{{"Id_kurs", 2}, {"Power1", 30}};

    QTest::newRow("no procedure")
        << QList<Fields>{} << QString()
        << QStringLiteral("За все курсы проведено процедур ПУВА: 0, суммарная доза УФА: 0,00 Дж/см².\n");
    QTest::newRow("two courses, one listed by the course view")
        << QList<Fields>{course1, course1, course2} << QStringLiteral("Id_kurs = 2")
        << QStringLiteral("За все курсы проведено процедур ПУВА: 3, суммарная доза УФА: 8,60 Дж/см².\n");
    QTest::newRow("a procedure without its time")
        << QList<Fields>{course1, noTime} << QString()
        << QStringLiteral("За все курсы проведено процедур ПУВА: 2, суммарная доза УФА: 2,50 Дж/см² "
                          "(доза неизвестна у 1 процедуры).\n");
}

void ExtractTextsTest::exposureLine()
{
    QFETCH(QList<Fields>, procedures);
    QFETCH(QString, courseView);
    QFETCH(QString, expected);

    Patient p({{"Last_Name", QStringLiteral("Облученный")}});
    treatment::installPuvaCalc(*p.dm2->lech_puva);
    for (const Fields &f : procedures)
        p.append(*p.dm2->lech_puva, f);
    QVERIFY(p.dm2->lech_puva->setFilter(courseView));
    QCOMPARE(documents::exposureLine(*p.dm1), expected);
}

QTEST_GUILESS_MAIN(ExtractTextsTest)
#include "doc_extract_texts_test.moc"
