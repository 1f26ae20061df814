#include "course_diary.h"

#include "report_fixture.h"
#include "table.h"

#include <QtTest>
#include <functional>
#include <memory>

using namespace pelorin;
using namespace pelorin::documents;

namespace {

using Fields = QVariantMap;

using testing::march;

// One patient whose first course is course 1, with the calculated texts the diary reads.
struct Patient : testing::ClinicFixture
{
    Patient()
    {
        clinical::installDiagnozCalc(*dm2->diagnoz);
        examination::installOsmotrCalc(*dm2->osmotr1);
        examination::installElementCalc(*dm2->osmotr_elem);
        treatment::installPuvaCalc(*dm2->lech_puva);
        clinical::installRecomendCalc(*dm2->recomend);
        append(reg(), {{"Last_Name", QStringLiteral("Дневникова")}, {"Born_Day", 1}});
    }

    // Admissions and discharges alternate in the order they are added.
    void event(const QDate &date, const QString &diagnosis = QStringLiteral("псориаз. "))
    {
        append(*dm2->diagnoz, {{"Data", date}, {"Text1", diagnosis}});
    }

    void exam(const QDate &date, Fields fields = {}, const QList<Fields> &elements = {})
    {
        fields.insert(QStringLiteral("Date"), date);
        append(*dm2->osmotr1, fields);
        for (const Fields &e : elements)
            append(*dm2->osmotr_elem, e);
    }

    // The dose is Power1 × Time1 hundredths; with Power1 = 1 it is the exposure time itself.
    void procedure(const QDate &date, int number, int course, int dose, const Fields &extra = {})
    {
        Fields fields{{"Date", date},
                      {"Nom_proc", number},
                      {"Id_kurs", course},
                      {"Type1", QStringLiteral("П-54")},
                      {"Power1", 1},
                      {"Time1", dose},
                      {"Type_prep", QStringLiteral("Аммифурин")}};
        fields.insert(extra);
        append(*dm2->lech_puva, fields);
    }

    void drug(const QDate &date, const QString &lek, const QString &recept)
    {
        append(*dm2->lech_lekar, {{"Data", date}, {"Lek", lek}, {"Recept", recept}});
    }

    void recommendation(const QDate &date, const QString &remark)
    {
        append(*dm2->recomend, {{"Data", date}, {"Komm", remark}});
    }
};

using Build = std::function<void(Patient &)>;

const Fields papule{{"Name_elem", QStringLiteral("папула")}, {"Razmer_ot", 0.5}, {"Razmer_do", 1}};

// Admission on 1 March with the first examination and two drugs, twelve procedures from 3 to 14 March
// (the sixth with erythema, the twelfth of 1,05 J), a control examination on 8 March and the discharge
// with its examination and a recommendation on 15 March.
void twelveProcedureCourse(Patient &p)
{
    p.event(march(1), QStringLiteral("псориаз, бляшечная форма. "));
    p.event(march(15), QStringLiteral("псориаз, стадия регресса. "));
    p.exam(march(1), {{"B8", 5}, {"AAA", QStringLiteral("сухая")}, {"Dinamika", QStringLiteral("Положительная")}},
           {papule});
    p.exam(march(8), {{"A2_3", true}, {"A2_4", true}, {"Dinamika", QStringLiteral("Положительная")}});
    p.exam(march(15),
           {{"Zalob", QStringLiteral("Жалоб нет")}, {"Dinamika", QStringLiteral("Полный регресс высыпаний")}});
    p.drug(march(1), QStringLiteral("Наружно: Дайвобет"), QStringLiteral("2 раза в день"));
    p.drug(march(1), QStringLiteral("Аевит"), QStringLiteral("по 1 капсуле"));
    for (int n = 1; n <= 12; ++n)
        p.procedure(march(2 + n), n, 1, n == 12 ? 105 : 100, n == 6 ? Fields{{"Eritema", true}} : Fields{});
    p.recommendation(march(15), QStringLiteral("Избегать инсоляции."));
}

const QString admissionDayText = QStringLiteral(
    "Произведен осмотр.\n"
    "Объективно: Индекс SCORAD - 5. \nКожа сухая. На коже - папула размером от 0,5 до 1см,  \n"
    "Назначено лечение: \nПУВА-терапия. \nНаружно: Дайвобет - 2 раза в день.\nВнутрь: Аевит - по 1 капсуле.\n");
const QString controlDayText = QStringLiteral("Произведен осмотр. Процедура №6 курса №1 ПУВА-терапии. \n"
                                              "Жалобы: зуд, жжение кожи. \n"
                                              "Объективно: В динамике - улучшение. \n"
                                              "На полученной процедуре ПУВА №6 курса №1 : эритема. \n");
const QString dischargeDayText = QStringLiteral(
    "Произведен осмотр. Процедура №12 курса №1 ПУВА-терапии. \n"
    "Жалоб нет.\n"
    "Объективно: Полный регресс высыпаний. \n"
    "\nПациент выписан после 12 процедуры 1 курса ПУВА-терапии с диагнозом: псориаз, стадия регресса. \n"
    "\nПроведено лечение:\n"
    "ПУВА-терапия  с препаратом \"Аммифурин\" (Курс №1), количество процедур: 12, доза УФА: 12,05Дж\\см2.\n"
    "Наружно: Дайвобет - 2 раза в день (C 01.03.2025).\n"
    "Внутрь: Аевит - по 1 капсуле (C 01.03.2025).\n"
    "Рекомендовано: Избегать инсоляции.\n");

// An examination of no findings on a day that is not the first: its heading and the complaints.
const QString plainExamText = QStringLiteral("Произведен осмотр. Процедура № курса № ПУВА-терапии. \nЖалобы: нет.\n");

QStringList rendered(const std::vector<CellWrite> &cells)
{
    QStringList out;
    for (const CellWrite &c : cells) {
        const QString value = c.value.typeId() == QMetaType::Double
                                  ? QStringLiteral("double ") + QString::number(c.value.toDouble())
                                  : c.value.toString();
        out << QStringLiteral("%1/%2/%3: %4").arg(c.sheet).arg(c.row).arg(c.column).arg(value);
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Build)

class DiaryTextsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entries_data();
    void entries();
    void dynamics_data();
    void dynamics();
    void courseOnTheCard();
    void procedureRowsAcrossCourses();
    void totalDoseLine_data();
    void totalDoseLine();
};

void DiaryTextsTest::entries_data()
{
    QTest::addColumn<Build>("build");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<qint64>("totalDose");

    QTest::newRow("course of twelve procedures, 1205 hundredths")
        << Build(twelveProcedureCourse) << march(1) << march(15)
        << QStringList{admissionDayText, QStringLiteral("8 марта 2025 г. ") + controlDayText,
                       QStringLiteral("15 марта 2025 г. ") + dischargeDayText}
        << qint64(1205);

    QTest::newRow("period opening on an admission day: no admission, complaints, procedure or date")
        << Build([](Patient &p) {
               p.event(march(1));
               p.exam(march(1), {{"A2_3", true}});
               p.procedure(march(1), 1, 1, 100);
           })
        << march(1) << march(2)
        << QStringList{QStringLiteral("Произведен осмотр.\nНазначено лечение: \nПУВА-терапия. \n"),
                       QStringLiteral("2 марта 2025 г. \nПроведено лечение:\nПУВА-терапия  с препаратом "
                                      "\"Аммифурин\" (Курс №1), количество процедур: 1, доза УФА: 1,00Дж\\см2.\n")}
        << qint64(100);

    QTest::newRow("first admission after the start day, its dynamics left out")
        << Build([](Patient &p) {
               p.event(march(1));
               p.exam(march(1), {{"Dinamika", QStringLiteral("Положительная")}});
           })
        << QDate(2025, 2, 28) << march(2)
        << QStringList{QStringLiteral("1 марта 2025 г. Пациент поступил впервые на курс ПУВА-терапии с диагнозом: "
                                      "псориаз. \n") +
                       plainExamText}
        << qint64(0);

    QTest::newRow("readmission to the second course empties the drug lines")
        << Build([](Patient &p) {
               p.event(QDate(2025, 2, 1));
               p.event(QDate(2025, 2, 20));
               p.event(march(1), QStringLiteral("псориаз, стадия обострения. "));
               p.drug(QDate(2025, 2, 26), QStringLiteral("Аевит"), QStringLiteral("по 1 капсуле"));
           })
        << QDate(2025, 2, 25) << march(1)
        << QStringList{QStringLiteral("26 февраля 2025 г. Назначено лечение: \nВнутрь: Аевит - по 1 капсуле.\n"),
                       QStringLiteral("1 марта 2025 г. Пациент поступил повторно на 2 курс ПУВА-терапии с "
                                      "диагнозом: псориаз, стадия обострения. \n")}
        << qint64(0);

    QTest::newRow("day with only a drug prescription, its line kept for the last day")
        << Build([](Patient &p) { p.drug(march(5), QStringLiteral("Аевит"), QStringLiteral("по 1 капсуле")); })
        << march(1) << march(10)
        << QStringList{QStringLiteral("5 марта 2025 г. Назначено лечение: \nВнутрь: Аевит - по 1 капсуле.\n"),
                       QStringLiteral("10 марта 2025 г. Внутрь: Аевит - по 1 капсуле (C 05.03.2025).\n")}
        << qint64(0);

    QTest::newRow("recommendation on a day closing no course blocks the later one")
        << Build([](Patient &p) {
               p.event(march(1));
               p.event(march(10));
               p.recommendation(march(5), QStringLiteral("Избегать инсоляции."));
               p.recommendation(march(10), QStringLiteral("Наблюдение у дерматолога."));
           })
        << march(1) << march(12)
        << QStringList{QStringLiteral("10 марта 2025 г. \nПациент выписан после 0 процедуры 1 курса ПУВА-терапии "
                                      "с диагнозом: псориаз. \n")}
        << qint64(0);

    QTest::newRow("one-day period on a discharge day: no course summary")
        << Build([](Patient &p) {
               p.event(march(1));
               p.event(march(10));
               p.procedure(march(10), 7, 1, 150);
           })
        << march(10) << march(10)
        << QStringList{QStringLiteral("\nПациент выписан после 1 процедуры 1 курса ПУВА-терапии с диагнозом: "
                                      "псориаз. \n")}
        << qint64(150);

    QTest::newRow("elements named empty or blank: no findings line") << Build([](Patient &p) {
        p.exam(march(5), {},
               {Fields{{"Razmer_ot", 1}, {"Razmer_do", 2}},
                Fields{{"Name_elem", QStringLiteral(" ")}, {"Razmer_ot", 1}, {"Razmer_do", 2}}});
    }) << march(1) << march(5) << QStringList{QStringLiteral("5 марта 2025 г. ") + plainExamText}
                                                                     << qint64(0);

    QTest::newRow("findings in their order")
        << Build([](Patient &p) {
               p.exam(march(5),
                      {{"Ob", true},
                       {"Ob_ndate", 2},
                       {"Ob_date", QStringLiteral("недели")},
                       {"Dinamika", QStringLiteral("Отрицательная")},
                       {"B8", 5},
                       {"Bb41", 2},
                       {"Bb42", 2},
                       {"Bb43", 2},
                       {"Bb44", 3},
                       {"AAA", QStringLiteral("сухая")},
                       {"A1", true},
                       {"C11", QStringLiteral("ногти не изменены")}},
                      {papule});
           })
        << march(1) << march(6)
        << QStringList{QStringLiteral("5 марта 2025 г. ") + plainExamText +
                       QStringLiteral(
                           "Начало последнего обострения: 2 недели назад. Лечение не проводилось. \n"
                           "Объективно: В динамике - ухудшение. Индекс SCORAD - 5. \nИндекс PASI - 5,4. \n"
                           "Кожа сухая. На коже - папула размером от 0,5 до 1см,  \n"
                           "На элементах высыпания на голове - эритема отсутствует, инфильтрация отсутствует, "
                           "шелушение отсутствует; на туловище - эритема умеренная, инфильтрация умеренная, "
                           "шелушение умеренное; на руках - эритема отсутствует, инфильтрация отсутствует, "
                           "шелушение отсутствует; на ногах - эритема отсутствует, инфильтрация отсутствует, "
                           "шелушение отсутствует. "
                           "Определяются дополнительные клинические симптомы: ладонный ихтиоз. "
                           "Производные кожи: ногти не изменены\n")}
        << qint64(0);

    QTest::newRow("end before start: no day is walked")
        << Build(twelveProcedureCourse) << march(15) << march(1) << QStringList{} << qint64(0);
}

void DiaryTextsTest::entries()
{
    QFETCH(Build, build);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QStringList, expected);
    QFETCH(qint64, totalDose);

    Patient p;
    build(p);
    const DiaryResult diary = runCourseDiary(*p.dm2, start, end, {});
    QCOMPARE(diary.entries, expected);
    QCOMPARE(diary.totalDose, totalDose);
    QVERIFY(diary.cells.empty());
}

void DiaryTextsTest::dynamics_data()
{
    QTest::addColumn<QString>("dinamika");
    QTest::addColumn<QString>("sentence");

    QTest::newRow("-1") << QStringLiteral("Отрицательная") << QStringLiteral("В динамике - ухудшение. ");
    QTest::newRow("0") << QStringLiteral("Без динамики") << QStringLiteral("В динамике - без изменений. ");
    QTest::newRow("1") << QStringLiteral("Положительная") << QStringLiteral("В динамике - улучшение. ");
    QTest::newRow("2, cut form") << QStringLiteral("Полный регресс высып")
                                 << QStringLiteral("Полный регресс высыпаний. ");
    QTest::newRow("not given") << QString() << QString();
}

void DiaryTextsTest::dynamics()
{
    QFETCH(QString, dinamika);
    QFETCH(QString, sentence);

    Patient p;
    p.exam(march(5), {{"Dinamika", dinamika}});
    const DiaryResult diary = runCourseDiary(*p.dm2, march(4), march(6), {});
    QString expected = QStringLiteral("5 марта 2025 г. ") + plainExamText;
    if (!sentence.isEmpty())
        expected += QStringLiteral("Объективно: ") + sentence + QStringLiteral("\n");
    QCOMPARE(diary.entries, QStringList{expected});
}

void DiaryTextsTest::courseOnTheCard()
{
    Patient p;
    twelveProcedureCourse(p);
    const DiaryResult diary = runCourseDiary(*p.dm2, march(1), march(15), {true, true}, 2, 3);

    QStringList expected{
        QStringLiteral("3/2/2: 1 марта 2025 г.\n") + admissionDayText,
    };
    for (int n = 1; n <= 12; ++n) {
        const int row = 2 + n;
        const QString prefix = QStringLiteral("4/%1/").arg(row);
        expected << prefix + QStringLiteral("1: %1").arg(n) << prefix + QStringLiteral("2: 1")
                 << prefix + QStringLiteral("3: %1.03.2025").arg(2 + n, 2, 10, QLatin1Char('0'))
                 << prefix + QStringLiteral("4: П-54") << prefix + QStringLiteral("5: %1").arg(n == 12 ? 105 : 100)
                 << prefix + (n == 12 ? QStringLiteral("6: double 1.05") : QStringLiteral("6: double 1"))
                 << prefix + QStringLiteral("7: Аммифурин")
                 << prefix + (n == 6 ? QStringLiteral("8: эритема. ") : QStringLiteral("8: "));
        if (n == 6)
            expected << QStringLiteral("3/3/2: 8 марта 2025 г.\n") + controlDayText;
    }
    expected << QStringLiteral("3/4/2: 15 марта 2025 г.\n") + dischargeDayText;

    QCOMPARE(rendered(diary.cells), expected);
    QCOMPARE(diary.sheet3Row, 5);
    QCOMPARE(diary.sheet4Row, 15);
    QCOMPARE(diary.entries.size(), 3);

    // The walks stay where they stopped: on the last record of each, except the recommendation,
    // which stays on the one it wrote, and the prescriptions, which stop on the last they read.
    QCOMPARE(p.dm2->diagnoz->recNo(), 2);
    QCOMPARE(p.dm2->osmotr1->recNo(), 3);
    QCOMPARE(p.dm2->lech_puva->recNo(), 12);
    QCOMPARE(p.dm2->lech_lekar->recNo(), 2);
    QCOMPARE(p.dm2->recomend->recNo(), 1);
}

void DiaryTextsTest::procedureRowsAcrossCourses()
{
    Patient p;
    p.event(march(1));
    p.event(march(5));
    p.event(march(20));
    p.procedure(march(2), 1, 1, 150);
    p.procedure(march(3), 2, 1, 150, {{"Zud", true}});
    p.procedure(march(21), 1, 2, 1240, {{"Type1", QStringLiteral("П-60")}, {"Type_prep", QStringLiteral("Оксорален")}});

    const DiaryResult diary = runCourseDiary(*p.dm2, march(1), march(31), {false, true});
    QCOMPARE(rendered(diary.cells),
             (QStringList{QStringLiteral("4/3/1: 1"),          QStringLiteral("4/3/2: 1"),
                          QStringLiteral("4/3/3: 02.03.2025"), QStringLiteral("4/3/4: П-54"),
                          QStringLiteral("4/3/5: 150"),        QStringLiteral("4/3/6: double 1.5"),
                          QStringLiteral("4/3/7: Аммифурин"),  QStringLiteral("4/3/8: "),
                          QStringLiteral("4/4/1: 2"),          QStringLiteral("4/4/2: 1"),
                          QStringLiteral("4/4/3: 03.03.2025"), QStringLiteral("4/4/4: П-54"),
                          QStringLiteral("4/4/5: 150"),        QStringLiteral("4/4/6: double 1.5"),
                          QStringLiteral("4/4/7: Аммифурин"),  QStringLiteral("4/4/8: зуд. "),
                          QStringLiteral("4/5/1: 1"),          QStringLiteral("4/5/2: 2"),
                          QStringLiteral("4/5/3: 21.03.2025"), QStringLiteral("4/5/4: П-60"),
                          QStringLiteral("4/5/5: 1240"),       QStringLiteral("4/5/6: double 12.4"),
                          QStringLiteral("4/5/7: Оксорален"),  QStringLiteral("4/5/8: ")}));
    QCOMPARE(diary.sheet4Row, 6);
    QCOMPARE(diary.sheet3Row, 3);
    QCOMPARE(diary.totalDose, qint64(1540));
    // The second course is still open on the last day: its summary names the course of the walk record.
    QCOMPARE(
        diary.entries.last(),
        QStringLiteral("31 марта 2025 г. \nПроведено лечение:\nПУВА-терапия  с препаратом \"Оксорален\" (Курс №2), "
                       "количество процедур: 1, доза УФА: 12,40Дж\\см2.\n"));
}

void DiaryTextsTest::totalDoseLine_data()
{
    QTest::addColumn<qint64>("dose");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << qint64(0) << QStringLiteral("Суммарная доза УФА: 0,00Дж\\см2\n");
    QTest::newRow("hundredths below ten") << qint64(105) << QStringLiteral("Суммарная доза УФА: 1,05Дж\\см2\n");
    QTest::newRow("whole tens") << qint64(1240) << QStringLiteral("Суммарная доза УФА: 12,40Дж\\см2\n");
}

void DiaryTextsTest::totalDoseLine()
{
    QFETCH(qint64, dose);
    QFETCH(QString, expected);
    QCOMPARE(documents::totalDoseLine(dose), expected);
}

QTEST_GUILESS_MAIN(DiaryTextsTest)
#include "doc_diary_texts_test.moc"
