#include "dynamics.h"

#include "clinicfixture.h"
#include "osmotr_calc.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::examination;

namespace {

using Range = QPair<double, double>;

// One patient; examinations are added by each test, with the calculated fields of start-up.
struct ChartClinic : testing::ClinicFixture
{
    ChartClinic()
    {
        installOsmotrCalc(exams());
        append(reg(), {{"Last_Name", QStringLiteral("Динамиков")}});
    }
    db::Table &exams() { return *dm2->osmotr1; }
    void exam(const QDate &date, const QVariantMap &fields = {})
    {
        QVariantMap all = fields;
        if (date.isValid())
            all.insert(QStringLiteral("Date"), date);
        append(exams(), all);
    }
};

QList<QDate> datesOf(const QList<DynamicsPoint> &points)
{
    QList<QDate> dates;
    for (const DynamicsPoint &p : points)
        dates << p.date;
    return dates;
}

QList<QVariant> valuesOf(const QList<DynamicsPoint> &points)
{
    QList<QVariant> values;
    for (const DynamicsPoint &p : points)
        values << (p.value ? QVariant(*p.value) : QVariant());
    return values;
}

} // namespace

class DynamicsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dinamFromTheCourseText_data();
    void dinamFromTheCourseText();
    void dinamIsCalculatedForEveryRow();
    void fourteenItemsInTheirOrder_data();
    void fourteenItemsInTheirOrder();
    void startsOnScoradWithItsOwnRange();
    void picks_data();
    void picks();
    void partialTypingChangesNothing();
    void pointsAreInDateOrder();
    void sameDateKeepsTheTableOrder();
    void blankValuesAreGaps();
    void segmentsSplitAtGaps_data();
    void segmentsSplitAtGaps();
    void examinationWithoutDateIsLeftOut();
    void noExaminationsNoPoints();
    void pointsFollowTheFilterAndThePatient();
    void calculatedIndicesAreDrawn();
};

void DynamicsTest::dinamFromTheCourseText_data()
{
    QTest::addColumn<QString>("dinamika");
    QTest::addColumn<QVariant>("dinam");
    QTest::newRow("negative") << QStringLiteral("Отрицательная") << QVariant(-1);
    QTest::newRow("none") << QStringLiteral("Без динамики") << QVariant(0);
    QTest::newRow("positive") << QStringLiteral("Положительная") << QVariant(1);
    QTest::newRow("full regression") << QStringLiteral("Полный регресс высыпаний") << QVariant(2);
    QTest::newRow("full regression, 20 characters") << QStringLiteral("Полный регресс высып") << QVariant(2);
    QTest::newRow("blank") << QString() << QVariant();
    QTest::newRow("typed text") << QStringLiteral("Улучшение") << QVariant();
    QTest::newRow("other case") << QStringLiteral("положительная") << QVariant();
    QTest::newRow("trailing blank") << QStringLiteral("Положительная ") << QVariant();
    QTest::newRow("cut elsewhere") << QStringLiteral("Полный регресс") << QVariant();
}

void DynamicsTest::dinamFromTheCourseText()
{
    QFETCH(QString, dinamika);
    QFETCH(QVariant, dinam);
    const std::optional<int> d = examination::dinam(dinamika);
    QCOMPARE(d ? QVariant(*d) : QVariant(), dinam);
}

void DynamicsTest::dinamIsCalculatedForEveryRow()
{
    ChartClinic c;
    c.exam(QDate(2025, 1, 1), {{"Dinamika", QStringLiteral("Полный регресс высыпаний")}});
    c.exam(QDate(2025, 1, 2), {{"Dinamika", QStringLiteral("Отрицательная")}});
    c.exam(QDate(2025, 1, 3));
    const int dinam = c.exams().fieldIndex(QStringLiteral("Dinam"));
    QCOMPARE(c.exams().valueAt(0, dinam).toInt(), 2);
    QCOMPARE(c.exams().valueAt(1, dinam).toInt(), -1);
    QVERIFY(!c.exams().valueAt(2, dinam).isValid());
    c.exams().first();
    QCOMPARE(c.exams().asInteger("Dinam"), 2);
    c.exams().last();
    QVERIFY(c.exams().isNull("Dinam"));
}

void DynamicsTest::fourteenItemsInTheirOrder_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("max");
    const struct
    {
        const char *text;
        const char *field;
        double max;
    } rows[] = {
        {"Индекс SCORAD", "ind3", 103},
        {"Площадь распространения", "B1", 100},
        {"Активность воспаления", "ind1", 18},
        {"Интенсивность эритемы", "B2", 3},
        {"Интенсивность отека\\папулы", "B3", 3},
        {"Интенсивность экскориации", "B4", 3},
        {"Интенсивность лихенификации", "B5", 3},
        {"Интенсивность корок\\мокнутий", "B6", 3},
        {"Интенсивность сухости кожи", "B7", 3},
        {"Зуд", "B8", 10},
        {"Нарушение сна", "B9", 10},
        {"Интенсивность зуда", "ind2", 20},
        {"Индекс PASI", "index1", 72},
        {"Динамика течения заболевания", "Dinam", 1},
    };
    int i = 0;
    for (const auto &r : rows) {
        QTest::newRow(r.field) << i++ << QString::fromUtf8(r.text) << QString::fromLatin1(r.field) << r.max;
    }
}

void DynamicsTest::fourteenItemsInTheirOrder()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(double, max);
    QCOMPARE(dynamicsItems().size(), 14);
    QCOMPARE(dynamicsItemTexts().at(index), text);
    const DynamicsItem &item = dynamicsItems().at(index);
    QCOMPARE(item.text, text);
    QCOMPARE(item.field, field);
    QCOMPARE(item.axisMax, max);
    if (field == QLatin1String("Dinam")) {
        QCOMPARE(item.title, QStringLiteral("Динамика течения заболевания в относительных единицах"));
        QCOMPARE(item.axisMin, std::optional<double>(-1));
    } else {
        QCOMPARE(item.title, text);
        QVERIFY(!item.axisMin);
    }
    // One backslash character between the two words.
    if (text.contains(QLatin1Char('\\')))
        QCOMPARE(text.count(QLatin1Char('\\')), 1);
}

void DynamicsTest::startsOnScoradWithItsOwnRange()
{
    const DynamicsChoice choice;
    QCOMPARE(choice.field(), QStringLiteral("ind3"));
    QCOMPARE(choice.title(), QStringLiteral("Индекс SCORAD"));
    QCOMPARE(choice.axisMin(), -6.18);
    QCOMPARE(choice.axisMax(), 96.82);
}

// A sequence of picks and the state after the last one.
void DynamicsTest::picks_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("title");
    QTest::addColumn<Range>("range");
    QTest::newRow("SCORAD after start") << QStringList{"Индекс SCORAD"} << "ind3" << "Индекс SCORAD" << Range(-6.18, 103);
    QTest::newRow("area") << QStringList{"Площадь распространения"} << "B1" << "Площадь распространения"
                          << Range(-6.18, 100);
    QTest::newRow("oedema, with its backslash") << QStringList{"Интенсивность отека\\папулы"} << "B3"
                                                << "Интенсивность отека\\папулы" << Range(-6.18, 3);
    QTest::newRow("PASI") << QStringList{"Индекс PASI"} << "index1" << "Индекс PASI" << Range(-6.18, 72);
    QTest::newRow("course") << QStringList{"Динамика течения заболевания"} << "Dinam"
                            << "Динамика течения заболевания в относительных единицах" << Range(-1, 1);
    QTest::newRow("itch after the course keeps -1")
        << QStringList{"Динамика течения заболевания", "Зуд"} << "B8" << "Зуд" << Range(-1, 10);
    QTest::newRow("minimum stays -1 for good")
        << QStringList{"Динамика течения заболевания", "Зуд", "Индекс SCORAD", "Интенсивность зуда"} << "ind2"
        << "Интенсивность зуда" << Range(-1, 20);
    QTest::newRow("unknown text after a pick")
        << QStringList{"Нарушение сна", "Нарушение"} << "B9" << "Нарушение сна" << Range(-6.18, 10);
}

void DynamicsTest::picks()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, field);
    QFETCH(QString, title);
    QFETCH(Range, range);
    DynamicsChoice choice;
    for (const QString &t : texts)
        choice.pick(t);
    QCOMPARE(choice.field(), field);
    QCOMPARE(choice.title(), title);
    QCOMPARE(choice.axisMin(), range.first);
    QCOMPARE(choice.axisMax(), range.second);
}

void DynamicsTest::partialTypingChangesNothing()
{
    DynamicsChoice choice;
    QVERIFY(!choice.pick(QStringLiteral("З")));
    QVERIFY(!choice.pick(QStringLiteral("Зу")));
    QVERIFY(!choice.pick(QStringLiteral("зуд")));
    QVERIFY(!choice.pick(QStringLiteral("Зуд ")));
    QCOMPARE(choice.field(), QStringLiteral("ind3"));
    QCOMPARE(choice.axisMax(), 96.82);
    QVERIFY(choice.pick(QStringLiteral("Зуд")));
    QCOMPARE(choice.field(), QStringLiteral("B8"));
    QCOMPARE(choice.axisMin(), -6.18);
}

void DynamicsTest::pointsAreInDateOrder()
{
    ChartClinic c;
    c.exam(QDate(2025, 3, 15), {{"B8", 3}});
    c.exam(QDate(2025, 1, 10), {{"B8", 9}});
    c.exam(QDate(2025, 2, 1), {{"B8", 6}});
    const QList<DynamicsPoint> points = dynamicsPoints(c.exams(), QStringLiteral("B8"));
    QCOMPARE(datesOf(points), (QList<QDate>{QDate(2025, 1, 10), QDate(2025, 2, 1), QDate(2025, 3, 15)}));
    QCOMPARE(valuesOf(points), (QList<QVariant>{9.0, 6.0, 3.0}));
}

void DynamicsTest::sameDateKeepsTheTableOrder()
{
    ChartClinic c;
    c.exam(QDate(2025, 2, 1), {{"B1", 40}});
    c.exam(QDate(2025, 1, 1), {{"B1", 50}});
    c.exam(QDate(2025, 2, 1), {{"B1", 30}});
    QCOMPARE(valuesOf(dynamicsPoints(c.exams(), QStringLiteral("B1"))), (QList<QVariant>{50.0, 40.0, 30.0}));
}

void DynamicsTest::blankValuesAreGaps()
{
    ChartClinic c;
    c.exam(QDate(2025, 1, 1), {{"B8", 8}, {"Dinamika", QStringLiteral("Без динамики")}});
    c.exam(QDate(2025, 1, 8), {{"Dinamika", QStringLiteral("что-то своё")}});
    c.exam(QDate(2025, 1, 15), {{"B8", 0}, {"Dinamika", QStringLiteral("Полный регресс высыпаний")}});
    QCOMPARE(valuesOf(dynamicsPoints(c.exams(), QStringLiteral("B8"))), (QList<QVariant>{8.0, QVariant(), 0.0}));
    QCOMPARE(valuesOf(dynamicsPoints(c.exams(), QStringLiteral("Dinam"))), (QList<QVariant>{0.0, QVariant(), 2.0}));
    // The calculated sums are never blank: an unscored examination is drawn at 0.
    QCOMPARE(valuesOf(dynamicsPoints(c.exams(), QStringLiteral("ind3"))).at(1), QVariant(0.0));
}

void DynamicsTest::segmentsSplitAtGaps_data()
{
    QTest::addColumn<QList<QVariant>>("values");
    QTest::addColumn<QList<int>>("lengths");
    QTest::newRow("no gap") << QList<QVariant>{1, 2, 3} << QList<int>{3};
    QTest::newRow("gap in the middle") << QList<QVariant>{1, 2, QVariant(), 4, 5} << QList<int>{2, 2};
    QTest::newRow("gaps at both ends") << QList<QVariant>{QVariant(), 2, 3, QVariant()} << QList<int>{2};
    QTest::newRow("a lone value") << QList<QVariant>{1, QVariant(), 3, QVariant(), QVariant(), 6, 7}
                                  << QList<int>{1, 1, 2};
    QTest::newRow("all blank") << QList<QVariant>{QVariant(), QVariant()} << QList<int>{};
    QTest::newRow("nothing") << QList<QVariant>{} << QList<int>{};
}

void DynamicsTest::segmentsSplitAtGaps()
{
    QFETCH(QList<QVariant>, values);
    QFETCH(QList<int>, lengths);
    QList<DynamicsPoint> points;
    QDate d(2025, 1, 1);
    for (const QVariant &v : values) {
        points.append({d, v.isValid() ? std::optional<double>(v.toDouble()) : std::nullopt});
        d = d.addDays(7);
    }
    QList<int> got;
    for (const QList<DynamicsPoint> &s : dynamicsSegments(points)) {
        got << int(s.size());
        for (const DynamicsPoint &p : s)
            QVERIFY(p.value.has_value());
    }
    QCOMPARE(got, lengths);
}

void DynamicsTest::examinationWithoutDateIsLeftOut()
{
    ChartClinic c;
    c.exam(QDate(2025, 1, 1), {{"B2", 1}});
    c.exam(QDate(), {{"B2", 2}});
    c.exam(QDate(2025, 1, 9), {{"B2", 3}});
    QCOMPARE(valuesOf(dynamicsPoints(c.exams(), QStringLiteral("B2"))), (QList<QVariant>{1.0, 3.0}));
}

void DynamicsTest::noExaminationsNoPoints()
{
    ChartClinic c;
    QVERIFY(dynamicsPoints(c.exams(), QStringLiteral("ind3")).isEmpty());
    QVERIFY(dynamicsPoints(c.exams(), QStringLiteral("no such field")).isEmpty());
}

void DynamicsTest::pointsFollowTheFilterAndThePatient()
{
    ChartClinic c;
    c.exam(QDate(2024, 1, 1), {{"B9", 4}});
    c.exam(QDate(2025, 1, 1), {{"B9", 5}});
    QVERIFY(c.exams().setFilter(QStringLiteral("Date > '01.06.2024'")));
    QCOMPARE(valuesOf(dynamicsPoints(c.exams(), QStringLiteral("B9"))), (QList<QVariant>{5.0}));
    QVERIFY(c.exams().setFilter(QString()));
    c.append(c.reg(), {{"Last_Name", QStringLiteral("Другой")}});
    QVERIFY(dynamicsPoints(c.exams(), QStringLiteral("B9")).isEmpty());
    c.reg().first();
    QCOMPARE(dynamicsPoints(c.exams(), QStringLiteral("B9")).size(), 2);
}

void DynamicsTest::calculatedIndicesAreDrawn()
{
    ChartClinic c;
    // SCORAD: B1/5 + 7*(B2..B7)/2 + B8 + B9 = 50/5 + 7*6/2 + 3 + 2 = 36.
    c.exam(QDate(2025, 1, 1), {{"B1", 50}, {"B2", 1}, {"B3", 1}, {"B4", 1}, {"B5", 1}, {"B6", 1}, {"B7", 1},
                               {"B8", 3}, {"B9", 2}});
    const QList<DynamicsPoint> scorad = dynamicsPoints(c.exams(), QStringLiteral("ind3"));
    QCOMPARE(valuesOf(scorad), (QList<QVariant>{36.0}));
    QCOMPARE(valuesOf(dynamicsPoints(c.exams(), QStringLiteral("ind1"))), (QList<QVariant>{6.0}));
    QCOMPARE(valuesOf(dynamicsPoints(c.exams(), QStringLiteral("ind2"))), (QList<QVariant>{5.0}));
}

QTEST_GUILESS_MAIN(DynamicsTest)
#include "dynamics_test.moc"
