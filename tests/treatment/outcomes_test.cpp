#include "outcomes.h"

#include "clinicfixture.h"
#include "osmotr_calc.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::treatment;

namespace {

using Fields = QVariantMap;

QDate d(int day, int month, int year = 2025)
{
    return QDate(year, month, day);
}

// PASI from the legs alone: 0.4 × (erythema + infiltration + scaling) × area score.
Fields pasi(int erythema, int infiltration, int scaling, int area)
{
    return {{"Bb31", erythema}, {"Bb32", infiltration}, {"Bb33", scaling}, {"Bb34", area}};
}

// SCORAD from the extent, one intensity, itch and sleep: B1/5 + 7·(B2+B3)/2 + B8 + B9, rounded half to even.
Fields scorad(int extent, int erythema, int oedema, int itch, int sleep)
{
    return {{"B1", extent}, {"B2", erythema}, {"B3", oedema}, {"B8", itch}, {"B9", sleep}};
}

const Fields kPasi28_8 = pasi(4, 4, 4, 6);
const Fields kPasi20 = pasi(4, 3, 3, 5);
const Fields kPasi16 = pasi(4, 4, 2, 4);
const Fields kPasi12 = pasi(2, 2, 2, 5);
const Fields kPasi10 = pasi(2, 2, 1, 5);
const Fields kPasi8 = pasi(2, 2, 1, 4);
const Fields kPasi6 = pasi(1, 1, 1, 5);
const Fields kPasi4 = pasi(2, 2, 1, 2);
const Fields kPasi2 = pasi(2, 2, 1, 1);
const Fields kPasiClear = pasi(0, 0, 0, 0);
const Fields kScorad32 = scorad(50, 2, 2, 5, 3);
const Fields kScorad16 = scorad(20, 2, 0, 5, 0);
const Fields kScorad8 = scorad(10, 1, 0, 2, 0); // 7.5, rounded to the even 8

struct Procedure
{
    qint64 course;
    QDate date;
    int power;
    int time;
};

struct Exam
{
    QDate date;
    Fields scores;
};

// One patient per case of the definitions, each named by what it shows.
struct OutcomeClinic : testing::ClinicFixture
{
    QHash<QString, qint64> patients;

    void patient(const QString &name, int card, const QList<Procedure> &procedures, const QList<Exam> &exams)
    {
        append(reg(), {{"Last_Name", name}, {"First_Name", "Тест"}, {"Amb_karta", card}});
        patients.insert(name, reg().asInteger("ID_man"));
        int number = 0;
        for (const Procedure &p : procedures) {
            Fields f{{"Id_kurs", p.course}, {"Nom_proc", ++number}, {"Power1", p.power}, {"Time1", p.time}};
            if (p.date.isValid())
                f.insert("Date", p.date);
            append(*dm2->lech_puva, f);
        }
        number = 0;
        for (const Exam &e : exams) {
            Fields f = e.scores;
            f.insert("Date", e.date);
            f.insert("Nom_osm", ++number);
            append(*dm2->osmotr1, f);
        }
    }

    OutcomeClinic()
    {
        // Each procedure 25 × 4 = 1,00 J/cm² unless said otherwise.
        patient("База 9 дней до", 101, {{1, d(10, 3), 25, 4}, {1, d(12, 3), 25, 4}, {1, d(14, 3), 25, 4}},
                {{d(20, 2), kPasi28_8}, {d(1, 3), kPasi20}, {d(20, 3), kPasi4}});
        patient("База 18 дней до", 102, {{1, d(10, 3), 25, 6}, {1, d(12, 3), 25, 6}, {1, d(14, 3), 25, 6}},
                {{d(20, 2), kPasi20}, {d(12, 3), kPasi16}, {d(28, 3), kPasi4}});
        patient("Ноль перед курсом", 103,
                {{1, d(10, 3), 25, 4}, {1, d(11, 3), 25, 4}, {1, d(12, 3), 25, 4}, {1, d(14, 3), 25, 4}},
                {{d(1, 3), kPasi8}, {d(9, 3), kPasiClear}, {d(20, 3), kPasiClear}});
        patient("Нет итога", 104, {{1, d(10, 3), 25, 4}, {1, d(12, 3), 25, 4}, {1, d(14, 3), 25, 4}},
                {{d(5, 3), kPasi10}, {d(12, 3), {}}, {d(30, 3), kPasi2}});
        patient("Ухудшение", 105, {{1, d(10, 3), 25, 4}, {1, d(14, 3), 25, 4}},
                {{d(8, 3), kScorad8}, {d(15, 3), kScorad32}});
        patient("Одна процедура", 106, {{1, d(10, 3), 30, 7}}, {{d(10, 3), kPasi10}, {d(17, 3), kPasi6}});
        patient("Через Новый год", 107, {{1, d(22, 12), 25, 4}, {1, d(29, 12), 25, 4}, {1, d(12, 1, 2026), 25, 4}},
                {{d(20, 12), kPasi20}, {d(15, 1, 2026), kPasi10}});
        patient("Два курса", 108, {{1, d(1, 2), 25, 4}, {1, d(3, 2), 25, 4}, {2, d(5, 5), 25, 4}, {2, d(7, 5), 25, 4}},
                {{d(30, 1), kScorad32}, {d(4, 2), kScorad8}, {d(5, 5), kScorad32}, {d(10, 5), kScorad16}});
        patient("Итог внутри курса", 109, {{1, d(1, 4), 25, 4}, {1, d(5, 4), 25, 4}, {1, d(10, 4), 25, 4}},
                {{d(1, 4), kPasi20}, {d(5, 4), kPasi12}, {d(8, 4), kPasi8}});
        patient("Один осмотр", 110, {{1, d(10, 3), 25, 4}}, {{d(10, 3), kPasi10}});
        // Procedures, but no course ending in any period: the procedures' dates are blank.
        patient("Без дат", 111, {{1, QDate(), 25, 4}}, {});
    }

    TreatmentOutcomes outcomes(const QDate &from = {}, const QDate &to = {})
    {
        TreatmentOutcomes result;
        QString error;
        if (!computeOutcomes(db, from, to, &result, &error))
            qFatal("outcomes: %s", qPrintable(error));
        return result;
    }
};

// "20 → 4: 80,0" or "нет данных", as one line of the course table reads it.
QString indexLine(const IndexOutcome &o)
{
    auto value = [](std::optional<qint64> v) { return v ? cellText(double(*v) / 10.0) : QStringLiteral("-"); };
    const QString improvement = o.improvement ? QString::number(double(*o.improvement) / 10.0, 'f', 1).replace('.', ',')
                                              : QString::fromUtf8(kNoData);
    return QStringLiteral("%1 → %2: %3").arg(value(o.baseline), value(o.outcome), improvement);
}

QString reachedLine(const CourseOutcome &c)
{
    QStringList reached;
    for (int p : {50, 75, 90}) {
        if (c.pasi.reaches(p).value_or(false))
            reached << QStringLiteral("PASI %1").arg(p);
    }
    for (int p : {50, 75}) {
        if (c.scorad.reaches(p).value_or(false))
            reached << QStringLiteral("SCORAD %1").arg(p);
    }
    return reached.join(QStringLiteral(", "));
}

} // namespace

class OutcomesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void course_data();
    void course();
    void coursesOutsideThePeriodAreLeftOut();
    void remissionRunsToANextCourseOutsideThePeriod();
    void yearlySummary();
    void indicesAreTheExaminationsOwn_data();
    void indicesAreTheExaminationsOwn();
    void tables();
    void csv();
    void summaryTextLinesUp();
};

void OutcomesTest::course_data()
{
    QTest::addColumn<QString>("patient");
    QTest::addColumn<int>("course");
    QTest::addColumn<QString>("dates");
    QTest::addColumn<int>("procedures");
    QTest::addColumn<QString>("dose");
    QTest::addColumn<QString>("pasi");
    QTest::addColumn<QString>("scorad");
    QTest::addColumn<QString>("reached");
    QTest::addColumn<QString>("remission");

    // The 28,8 of 18 days before the start is too old; the 20 of 9 days before is the baseline.
    QTest::newRow("baseline within 14 days") << "База 9 дней до" << 1 << "10.03.2025-14.03.2025" << 3 << "3,00"
                                             << "20 → 4: 80,0"
                                             << "- → -: нет данных"
                                             << "PASI 50, PASI 75"
                                             << "";
    // Nothing within 14 days before: the first examination inside the course; 14 days after still counts.
    QTest::newRow("baseline outside 14 days") << "База 18 дней до" << 1 << "10.03.2025-14.03.2025" << 3 << "4,50"
                                              << "16 → 4: 75,0"
                                              << "- → -: нет данных"
                                              << "PASI 50, PASI 75"
                                              << "";
    // A baseline of 0 is passed over; an outcome of 0 is clear skin.
    QTest::newRow("index 0 at baseline") << "Ноль перед курсом" << 1 << "10.03.2025-14.03.2025" << 4 << "4,00"
                                         << "8 → 0: 100,0"
                                         << "- → -: нет данных"
                                         << "PASI 50, PASI 75, PASI 90"
                                         << "";
    // The visit inside the course has no PASI filled in, the one after comes 16 days late.
    QTest::newRow("no outcome examination") << "Нет итога" << 1 << "10.03.2025-14.03.2025" << 3 << "3,00"
                                            << "10 → -: нет данных"
                                            << "- → -: нет данных"
                                            << ""
                                            << "";
    QTest::newRow("worsening") << "Ухудшение" << 1 << "10.03.2025-14.03.2025" << 2 << "2,00"
                               << "- → -: нет данных"
                               << "8 → 32: -300,0"
                               << ""
                               << "";
    // The visit of the procedure's day is the baseline and cannot be the outcome as well.
    QTest::newRow("single procedure") << "Одна процедура" << 1 << "10.03.2025-10.03.2025" << 1 << "2,10"
                                      << "10 → 6: 40,0"
                                      << "- → -: нет данных"
                                      << ""
                                      << "";
    QTest::newRow("course crossing a year's end") << "Через Новый год" << 1 << "22.12.2025-12.01.2026" << 3 << "3,00"
                                                  << "20 → 10: 50,0"
                                                  << "- → -: нет данных"
                                                  << "PASI 50"
                                                  << "";
    QTest::newRow("two courses: the first") << "Два курса" << 1 << "01.02.2025-03.02.2025" << 2 << "2,00"
                                            << "- → -: нет данных"
                                            << "32 → 8: 75,0"
                                            << "SCORAD 50, SCORAD 75"
                                            << "91";
    QTest::newRow("two courses: the second") << "Два курса" << 2 << "05.05.2025-07.05.2025" << 2 << "2,00"
                                             << "- → -: нет данных"
                                             << "32 → 16: 50,0"
                                             << "SCORAD 50"
                                             << "";
    // No visit after the end: the last visit of the course after the baseline's day.
    QTest::newRow("outcome inside the course") << "Итог внутри курса" << 1 << "01.04.2025-10.04.2025" << 3 << "3,00"
                                               << "20 → 8: 60,0"
                                               << "- → -: нет данных"
                                               << "PASI 50"
                                               << "";
    // The one visit is the baseline; nothing after it tells the outcome.
    QTest::newRow("one visit for a single procedure") << "Один осмотр" << 1 << "10.03.2025-10.03.2025" << 1 << "1,00"
                                                      << "10 → -: нет данных"
                                                      << "- → -: нет данных"
                                                      << ""
                                                      << "";
}

void OutcomesTest::course()
{
    QFETCH(QString, patient);
    QFETCH(int, course);
    OutcomeClinic clinic;
    const TreatmentOutcomes result = clinic.outcomes();
    const qint64 id = clinic.patients.value(patient);
    const auto found = std::find_if(result.courses.begin(), result.courses.end(),
                                    [&](const CourseOutcome &c) { return c.patientId == id && c.course == course; });
    QVERIFY(found != result.courses.end());
    const CourseOutcome &c = *found;
    QCOMPARE(c.patient, patient + QStringLiteral(" Тест"));
    QTEST(QString(c.start.toString("dd.MM.yyyy") + '-' + c.end.toString("dd.MM.yyyy")), "dates");
    QTEST(c.procedures, "procedures");
    QTEST(text::doseText(c.dose), "dose");
    QTEST(indexLine(c.pasi), "pasi");
    QTEST(indexLine(c.scorad), "scorad");
    QTEST(reachedLine(c), "reached");
    QTEST(c.remission ? QString::number(*c.remission) : QString(), "remission");
}

void OutcomesTest::coursesOutsideThePeriodAreLeftOut()
{
    OutcomeClinic clinic;
    // Every course but the blank-dated one; in patient order, then by course number.
    const TreatmentOutcomes all = clinic.outcomes();
    QCOMPARE(all.courses.size(), 11);
    QCOMPARE(all.courses.first().card, QVariant(101));
    QCOMPARE(all.courses.last().patientId, clinic.patients.value("Один осмотр"));

    // The course is counted in the year and the period of its end.
    const TreatmentOutcomes y2026 = clinic.outcomes(d(1, 1, 2026), d(31, 12, 2026));
    QCOMPARE(y2026.courses.size(), 1);
    QCOMPARE(y2026.courses.first().patientId, clinic.patients.value("Через Новый год"));
    QCOMPARE(y2026.years.size(), 1);
    QCOMPARE(y2026.years.first().year, 2026);

    // Both ends are in the period.
    const TreatmentOutcomes day = clinic.outcomes(d(10, 3), d(10, 3));
    QCOMPARE(day.courses.size(), 2);
    QCOMPARE(day.courses.first().patientId, clinic.patients.value("Одна процедура"));
    QCOMPARE(day.courses.last().patientId, clinic.patients.value("Один осмотр"));
    QCOMPARE(clinic.outcomes(d(11, 5), d(21, 12)).courses.size(), 0);
}

void OutcomesTest::remissionRunsToANextCourseOutsideThePeriod()
{
    OutcomeClinic clinic;
    const TreatmentOutcomes result = clinic.outcomes({}, d(31, 3));
    const auto first = std::find_if(result.courses.begin(), result.courses.end(), [&](const CourseOutcome &c) {
        return c.patientId == clinic.patients.value("Два курса");
    });
    QVERIFY(first != result.courses.end());
    QCOMPARE(first->course, 1);
    QCOMPARE(first->remission, std::optional<qint64>(91));
    QCOMPARE(result.total.medianRemission, std::optional<double>(91));
}

void OutcomesTest::yearlySummary()
{
    OutcomeClinic clinic;
    const TreatmentOutcomes result = clinic.outcomes();
    QCOMPARE(result.years.size(), 2);

    // 2025: ten courses of nine patients; the two courses without an outcome have no data. PASI in five,
    // three of them reaching 75 (3 procedures and 3,00 J; 3 and 4,50; 4 and 4,00); SCORAD in three,
    // two reaching 50; one remission of 91 days.
    const YearSummary &y2025 = result.years.at(0);
    QCOMPARE(y2025.year, 2025);
    QCOMPARE(y2025.courses, 10);
    QCOMPARE(y2025.patients, 9);
    QCOMPARE(y2025.withData, 8);
    QCOMPARE(y2025.withPasi, 5);
    QCOMPARE(y2025.pasi75, 3);
    QCOMPARE(y2025.sharePasi75(), std::optional<double>(60.0));
    QCOMPARE(y2025.withScorad, 3);
    QCOMPARE(y2025.scorad50, 2);
    QCOMPARE(y2025.shareScorad50(), std::optional<double>(66.7));
    QCOMPARE(y2025.medianProcedures, std::optional<double>(3));
    QCOMPARE(y2025.medianDose, std::optional<double>(400));
    QCOMPARE(y2025.medianRemission, std::optional<double>(91));

    // 2026: one course, PASI 50 only; no SCORAD, no course reaching PASI 75, no remission.
    const YearSummary &y2026 = result.years.at(1);
    QCOMPARE(y2026.year, 2026);
    QCOMPARE(y2026.courses, 1);
    QCOMPARE(y2026.patients, 1);
    QCOMPARE(y2026.sharePasi75(), std::optional<double>(0.0));
    QCOMPARE(y2026.shareScorad50(), std::nullopt);
    QCOMPARE(y2026.medianProcedures, std::nullopt);
    QCOMPARE(y2026.medianDose, std::nullopt);
    QCOMPARE(y2026.medianRemission, std::nullopt);

    const YearSummary &total = result.total;
    QCOMPARE(total.year, 0);
    QCOMPARE(total.courses, 11);
    QCOMPARE(total.patients, 10);
    QCOMPARE(total.withData, 9);
    QCOMPARE(total.withPasi, 6);
    QCOMPARE(total.sharePasi75(), std::optional<double>(50.0));
    QCOMPARE(total.shareScorad50(), std::optional<double>(66.7));
    QCOMPARE(summaryTexts(total), QStringList({"Всего", "11", "10", "9", "6", "50,0", "3", "66,7", "3", "4,00", "91"}));
}

// The outcome reads PASI and SCORAD from their scores in the file; they must be the values the
// examination shows, rounding of SCORAD and the float noise of PASI included.
void OutcomesTest::indicesAreTheExaminationsOwn_data()
{
    QTest::addColumn<Fields>("scores");
    QTest::newRow("PASI of the trunk") << Fields{{"Bb41", 2}, {"Bb42", 2}, {"Bb43", 2}, {"Bb44", 3}};
    QTest::newRow("PASI of every region") << Fields{
        {"Bb11", 1}, {"Bb12", 2}, {"Bb13", 3}, {"Bb14", 4}, {"Bb21", 4}, {"Bb22", 3}, {"Bb23", 2}, {"Bb24", 1},
        {"Bb31", 3}, {"Bb32", 3}, {"Bb33", 3}, {"Bb34", 6}, {"Bb41", 1}, {"Bb42", 0}, {"Bb43", 4}, {"Bb44", 2}};
    QTest::newRow("SCORAD half to even down") << Fields{{"B1", 10}, {"B2", 1}, {"B3", 0}, {"B8", 1}};
    QTest::newRow("SCORAD half to even up") << Fields{{"B1", 10}, {"B2", 1}, {"B8", 2}};
    QTest::newRow("SCORAD extent alone") << Fields{{"B1", 50}};
    QTest::newRow("SCORAD maximum") << Fields{{"B1", 100}, {"B2", 3}, {"B3", 3},  {"B4", 3}, {"B5", 3},
                                              {"B6", 3},   {"B7", 3}, {"B8", 10}, {"B9", 10}};
}

void OutcomesTest::indicesAreTheExaminationsOwn()
{
    QFETCH(Fields, scores);
    testing::ClinicFixture clinic;
    examination::installOsmotrCalc(*clinic.dm2->osmotr1);
    clinic.append(clinic.reg(), {{"Last_Name", "Индексы"}});
    clinic.append(*clinic.dm2->lech_puva, {{"Id_kurs", 1}, {"Date", d(10, 3)}});
    // The same scores before the course and as its outcome, so both are read.
    Fields before = scores;
    before.insert("Date", d(10, 3));
    clinic.append(*clinic.dm2->osmotr1, before);
    Fields after = scores;
    after.insert("Date", d(11, 3));
    clinic.append(*clinic.dm2->osmotr1, after);

    TreatmentOutcomes result;
    QVERIFY(computeOutcomes(clinic.db, {}, {}, &result));
    QCOMPARE(result.courses.size(), 1);
    const CourseOutcome &c = result.courses.first();
    const double pasi = clinic.dm2->osmotr1->value("index1").toDouble();
    const qint64 scoradValue = clinic.dm2->osmotr1->value("ind3").toLongLong();
    QCOMPARE(c.pasi.outcome.has_value(), scores.firstKey().startsWith("Bb"));
    QCOMPARE(c.scorad.outcome.has_value(), !scores.firstKey().startsWith("Bb"));
    if (c.pasi.outcome) {
        QCOMPARE(text::floatToText(double(*c.pasi.outcome) / 10.0), text::floatToText(pasi));
        QCOMPARE(c.pasi.improvement, std::optional<qint64>(0));
    } else {
        QCOMPARE(*c.scorad.outcome, scoradValue * 10);
        QCOMPARE(c.scorad.improvement, scoradValue > 0 ? std::optional<qint64>(0) : std::nullopt);
    }
}

void OutcomesTest::tables()
{
    OutcomeClinic clinic;
    const TreatmentOutcomes result = clinic.outcomes();
    QCOMPARE(courseCells(result.courses.first()).size(), courseColumns().size());
    QCOMPARE(summaryCells(result.total).size(), summaryColumns().size());
    QCOMPARE(courseTexts(result.courses.first()),
             QStringList({"База 9 дней до Тест", "101", "1", "10.03.2025", "14.03.2025", "3", "3,00", "20", "4", "80,0",
                          "", "", "нет данных", "да", "да", "нет", "", "", ""}));
    // The cells sort as numbers and dates; the improvement column holds its text where there is none.
    const QVariantList cells = courseCells(result.courses.first());
    QCOMPARE(cells.at(3), QVariant(d(10, 3)));
    QCOMPARE(cells.at(6), QVariant(3.0));
    QCOMPARE(cells.at(9), QVariant(80.0));
    QCOMPARE(cells.at(12), QVariant(QString::fromUtf8(kNoData)));
    QCOMPARE(summaryTexts(result.years.first()).first(), QStringLiteral("2025"));
}

void OutcomesTest::csv()
{
    OutcomeClinic clinic;
    const TreatmentOutcomes result = clinic.outcomes(d(1, 1, 2026), {});
    const QList<QByteArray> lines = coursesCsv(result.courses).split('\n');
    QCOMPARE(lines.size(), 3); // the columns, one course, the closing line feed
    QCOMPARE(QString::fromUtf8(lines.at(0)), courseColumns().join(';'));
    QCOMPARE(QString::fromUtf8(lines.at(1)),
             QStringLiteral("Через Новый год Тест;107;1;22.12.2025;12.01.2026;3;3,00;20;10;50,0;;;нет данных;"
                            "да;нет;нет;;;"));
    QVERIFY(lines.at(2).isEmpty());

    // A name with the separator is quoted.
    CourseOutcome odd;
    odd.patient = QStringLiteral("Иванов; \"младший\"");
    QVERIFY(coursesCsv({odd}).split('\n').at(1).startsWith("\"Иванов; \"\"младший\"\"\";"));
}

void OutcomesTest::summaryTextLinesUp()
{
    OutcomeClinic clinic;
    const QStringList lines = summaryText(clinic.outcomes()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4); // the columns, 2025, 2026, the total
    QVERIFY(lines.at(0).startsWith(QStringLiteral("Год")));
    QVERIFY(lines.at(1).startsWith(QStringLiteral("2025")));
    QVERIFY(lines.at(3).startsWith(QStringLiteral("Всего")));
    // Right-aligned columns end together.
    QCOMPARE(lines.at(1).size(), lines.at(0).size());
    QCOMPARE(lines.at(3).size(), lines.at(0).size());
}

QTEST_GUILESS_MAIN(OutcomesTest)
#include "outcomes_test.moc"
