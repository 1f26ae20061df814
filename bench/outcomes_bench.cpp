// Treatment outcomes of a whole clinic: the figures the window "Итоги лечения" and pelorin-cli
// outcomes show, beside the same figures computed by the database alone.
//
// Clinics: "10k" the demo clinic of the other benchmarks; "100k" the 100,000 demo patients of
// scale_bench ($PELORIN_BENCH_DATA_100K, default bench-data-100k beside the benchmark programs;
// generated on first use).
//
// BM_Outcomes/<clinic>            every course of every patient: its dose, PASI and SCORAD before
//                                 and after, the thresholds and the remission, and the yearly summary.
// BM_OutcomesFloor/<clinic>       the same courses and the same yearly figures (counts, shares
//                                 reaching PASI 75 and SCORAD 50, the three medians) in one plain SQL
//                                 statement: the least the figures cost on this storage. Before it runs,
//                                 its yearly figures are checked against the program's.
// BM_WindowFirstFigures/<clinic>  "Итоги лечения" opened: made, shown, its first period computed and
//                                 its tables and charts filled (run with QT_QPA_PLATFORM=offscreen).
#include "benchdata.h"
#include "database.h"
#include "demo.h"
#include "form_outcomes.h"
#include "outcomes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <benchmark/benchmark.h>

#include <cstdio>

using namespace pelorin;

namespace {

using bench::ensureLargeDemo;
using bench::largeFolder;

QString folderOf(int clinic)
{
    return clinic == 0 ? bench::benchFolder() : largeFolder();
}

bool openClinic(int clinic, db::Database &database)
{
    if (!(clinic == 0 ? bench::ensureDemo() : ensureLargeDemo()))
        return false;
    QString error;
    if (!database.open(folderOf(clinic), &error, db::Database::OpenMode::ReadOnly)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    return true;
}

// --- The floor's SQL, written out here on its own so that it shares nothing with the program.

QString z(const QString &alias, const QString &field)
{
    return QStringLiteral("COALESCE(%1.\"%2\", 0)").arg(alias, field);
}

// "Bb" + region digit + score digit.
QString bb(int region, int score)
{
    return QStringLiteral("Bb") + QString::number(region) + QString::number(score);
}

// PASI × 10 of an examination row.
QString pasi(const QString &o)
{
    auto region = [&](int digit, int weight) {
        return QStringLiteral("%1 * (%2 + %3 + %4) * %5")
            .arg(weight)
            .arg(z(o, bb(digit, 1)), z(o, bb(digit, 2)), z(o, bb(digit, 3)), z(o, bb(digit, 4)));
    };
    return QStringLiteral("(%1 + %2 + %3 + %4)").arg(region(1, 1), region(2, 2), region(4, 3), region(3, 4));
}

QString filled(const QString &o, const QStringList &fields)
{
    QStringList q;
    for (const QString &f : fields)
        q << QStringLiteral("%1.\"%2\"").arg(o, f);
    return QStringLiteral("(COALESCE(%1) IS NOT NULL)").arg(q.join(QLatin1Char(',')));
}

QString pasiFilled(const QString &o)
{
    QStringList f;
    for (int r = 1; r <= 4; ++r)
        for (int s = 1; s <= 4; ++s)
            f << bb(r, s);
    return filled(o, f);
}

QString scoradFilled(const QString &o)
{
    return filled(o, {"B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8", "B9"});
}

// SCORAD × 10: round(B1/5 + 7·B/2 + C) halves to even, 0 when B and C are 0.
QString scorad(const QString &o)
{
    const QString b = QStringLiteral("(%1+%2+%3+%4+%5+%6)")
                          .arg(z(o, "B2"), z(o, "B3"), z(o, "B4"), z(o, "B5"), z(o, "B6"), z(o, "B7"));
    const QString c = QStringLiteral("(%1+%2)").arg(z(o, "B8"), z(o, "B9"));
    const QString t = QStringLiteral("(2*%1 + 35*%2 + 10*%3)").arg(z(o, "B1"), b, c);
    return QStringLiteral("(CASE WHEN %1 + %2 = 0 THEN 0 ELSE 10 * (%3 / 10 + CASE WHEN %3 % 10 > 5 OR "
                          "(%3 % 10 = 5 AND (%3 / 10) % 2 = 1) THEN 1 ELSE 0 END) END)")
        .arg(b, c, t);
}

// Baseline: the last visit of the 14 days up to the start with the index above 0, else the first such
// visit within the course.
QString baseline(const QString &index)
{
    return QStringLiteral(
               "COALESCE((SELECT o.\"ID\" FROM osmotr_1 o WHERE o.\"ID_man\" = c.m "
               "AND o.\"Date\" >= date(c.s, '-14 days') "
               "AND o.\"Date\" <= c.s AND %1 > 0 ORDER BY o.\"Date\" DESC, o.\"ID\" DESC LIMIT 1), "
               "(SELECT o.\"ID\" FROM osmotr_1 o WHERE o.\"ID_man\" = c.m AND o.\"Date\" >= c.s AND o.\"Date\" <= c.e "
               "AND %1 > 0 ORDER BY o.\"Date\", o.\"ID\" LIMIT 1))")
        .arg(index);
}

// Outcome: after the baseline's visit, the first visit of the 14 days from the end with the index filled
// in, else the last such visit within the course after the baseline's day.
QString outcome(const QString &filledIndex, const QString &b, const QString &bd)
{
    return QStringLiteral(
               "COALESCE((SELECT o.\"ID\" FROM osmotr_1 o WHERE o.\"ID_man\" = m AND s IS NOT NULL AND o.\"Date\" >= e "
               "AND o.\"Date\" <= date(e, '+14 days') AND %1 AND (%2 IS NULL OR o.\"Date\" > %3 OR "
               "(o.\"Date\" = %3 AND o.\"ID\" > %2)) ORDER BY o.\"Date\", o.\"ID\" LIMIT 1), "
               "(SELECT o.\"ID\" FROM osmotr_1 o WHERE %2 IS NOT NULL AND o.\"ID_man\" = m AND o.\"Date\" > %3 "
               "AND o.\"Date\" >= s AND o.\"Date\" <= e AND %1 ORDER BY o.\"Date\" DESC, o.\"ID\" DESC LIMIT 1))")
        .arg(filledIndex, b, bd);
}

// 1000 × (b − o) / b rounded half to even: tenths of a percent; none without both visits (`key` is
// the outcome visit's key: its scores read as 0 when there is none).
QString improvement(const QString &b, const QString &o, const QString &key)
{
    const QString x = QStringLiteral("(1000.0 * (%1 - %2) / %1)").arg(b, o);
    const QString fl = QStringLiteral("(CAST(%1 AS INTEGER) - (%1 < CAST(%1 AS INTEGER)))").arg(x);
    return QStringLiteral("(CASE WHEN %1 IS NULL OR %2 IS NULL THEN NULL WHEN %3 - %4 > 0.5 THEN %4 + 1 "
                          "WHEN %3 - %4 < 0.5 THEN %4 ELSE %4 + (%4 % 2 != 0) END)")
        .arg(b, key, x, fl);
}

QString median(const QString &value, const QString &where)
{
    return QStringLiteral(
               "(SELECT y, AVG(v) AS v FROM (SELECT y, %1 AS v, ROW_NUMBER() OVER (PARTITION BY y ORDER BY %1) "
               "AS rn, COUNT(*) OVER (PARTITION BY y) AS cnt FROM r WHERE %2) WHERE rn IN ((cnt + 1) / 2, "
               "(cnt + 2) / 2) GROUP BY y)")
        .arg(value, where);
}

QString floorSql()
{
    const QString dose = QStringLiteral("%1 * %2 + %3 * %4 + %5 * %6")
                             .arg(z("p", "Power1"), z("p", "Time1"), z("p", "Power2"), z("p", "Time2"),
                                  z("p", "Power3"), z("p", "Time3"));
    return QStringLiteral(
               "WITH g AS (SELECT p.\"ID_man\" AS m, COALESCE(p.\"Id_kurs\", 0) AS k, COUNT(*) AS n, SUM(%1) AS d, "
               "MIN(p._rowkey) AS fk, MAX(p._rowkey) AS lk FROM lech_puva p WHERE p.\"ID_man\" IS NOT NULL "
               "GROUP BY 1, 2), "
               "c AS (SELECT g.m, g.k, g.n, g.d, f.\"Date\" AS s, l.\"Date\" AS e, "
               "LEAD(f.\"Date\") OVER (PARTITION BY g.m ORDER BY g.k) AS ns FROM g "
               "JOIN lech_puva f ON f._rowkey = g.fk JOIN lech_puva l ON l._rowkey = g.lk "
               "JOIN register reg ON reg.\"ID_man\" = g.m), "
               "cb AS (SELECT c.*, %2 AS pb, %3 AS sb FROM c WHERE c.e IS NOT NULL), "
               "cd AS (SELECT cb.*, bp.\"Date\" AS pbd, %4 AS pbv, bs.\"Date\" AS sbd, %5 AS sbv FROM cb "
               "LEFT JOIN osmotr_1 bp ON bp.\"ID\" = cb.pb LEFT JOIN osmotr_1 bs ON bs.\"ID\" = cb.sb), "
               "co AS (SELECT cd.*, %6 AS po, %7 AS so FROM cd), "
               "r AS MATERIALIZED (SELECT co.m, co.n, co.d, substr(co.e, 1, 4) AS y, "
               "julianday(co.ns) - julianday(co.e) AS rem, %8 AS pi, %9 AS si FROM co "
               "LEFT JOIN osmotr_1 op ON op.\"ID\" = co.po LEFT JOIN osmotr_1 os ON os.\"ID\" = co.so), "
               "a AS (SELECT y, COUNT(*) AS courses, COUNT(DISTINCT m) AS patients, "
               "SUM(pi IS NOT NULL OR si IS NOT NULL) AS withData, SUM(pi IS NOT NULL) AS withPasi, "
               "SUM(pi >= 750) AS pasi75, SUM(si IS NOT NULL) AS withScorad, SUM(si >= 500) AS scorad50 "
               "FROM r GROUP BY y) "
               "SELECT a.*, mp.v, md.v, mr.v FROM a LEFT JOIN %10 mp ON mp.y = a.y LEFT JOIN %11 md ON md.y = a.y "
               "LEFT JOIN %12 mr ON mr.y = a.y ORDER BY a.y")
        .arg(dose, baseline(pasi("o")), baseline(scorad("o")), pasi("bp"), scorad("bs"),
             outcome(pasiFilled("o"), "pb", "pbd"), outcome(scoradFilled("o"), "sb", "sbd"),
             improvement("pbv", pasi("op"), "co.po"), improvement("sbv", scorad("os"), "co.so"))
        .arg(median("n", "pi >= 750"), median("d", "pi >= 750"), median("rem", "rem IS NOT NULL"));
}

// The floor's yearly rows: year, courses, patients, with data, with PASI, PASI 75, with SCORAD,
// SCORAD 50, the three medians.
QList<QVariantList> runFloor(db::Database &database, QString *error)
{
    QList<QVariantList> rows;
    QSqlQuery q(database.sql());
    q.setForwardOnly(true);
    if (!q.exec(floorSql())) {
        *error = q.lastError().text();
        return rows;
    }
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < 11; ++i)
            row << q.value(i);
        rows << row;
    }
    return rows;
}

// Where the floor and the program part; empty when they agree on every year.
QString disagreement(const QList<QVariantList> &floor, const treatment::TreatmentOutcomes &program)
{
    if (floor.size() != program.years.size())
        return QStringLiteral("years: floor %1, program %2").arg(floor.size()).arg(program.years.size());
    for (qsizetype i = 0; i < floor.size(); ++i) {
        const QVariantList &f = floor.at(i);
        const treatment::YearSummary &y = program.years.at(i);
        const QList<qint64> counts{y.year,     y.courses, y.patients,   y.withData,
                                   y.withPasi, y.pasi75,  y.withScorad, y.scorad50};
        for (int c = 0; c < counts.size(); ++c) {
            if (f.at(c).toLongLong() != counts.at(c))
                return QStringLiteral("year %1, figure %2: floor %3, program %4")
                    .arg(y.year)
                    .arg(c)
                    .arg(f.at(c).toString())
                    .arg(counts.at(c));
        }
        const std::optional<double> medians[] = {y.medianProcedures, y.medianDose, y.medianRemission};
        for (int c = 0; c < 3; ++c) {
            const QVariant v = f.at(8 + c);
            if (v.isNull() != !medians[c].has_value() || (medians[c] && std::abs(v.toDouble() - *medians[c]) > 1e-9))
                return QStringLiteral("year %1, median %2: floor %3, program %4")
                    .arg(y.year)
                    .arg(c)
                    .arg(v.toString())
                    .arg(medians[c].value_or(-1));
        }
    }
    return {};
}

void BM_Outcomes(benchmark::State &state)
{
    db::Database database;
    if (!openClinic(int(state.range(0)), database)) {
        state.SkipWithError("no clinic");
        return;
    }
    qsizetype courses = 0;
    for (auto _ : state) {
        treatment::TreatmentOutcomes result;
        if (!treatment::computeOutcomes(database, {}, {}, &result)) {
            state.SkipWithError("outcomes failed");
            return;
        }
        courses = result.courses.size();
    }
    state.counters["courses"] = double(courses);
}
BENCHMARK(BM_Outcomes)->Arg(0)->Arg(1)->ArgName("clinic_10k_100k")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OutcomesFloor(benchmark::State &state)
{
    db::Database database;
    if (!openClinic(int(state.range(0)), database)) {
        state.SkipWithError("no clinic");
        return;
    }
    QString error;
    {
        treatment::TreatmentOutcomes program;
        if (!treatment::computeOutcomes(database, {}, {}, &program, &error)) {
            state.SkipWithError("outcomes failed");
            return;
        }
        const QList<QVariantList> floor = runFloor(database, &error);
        const QString differs = error.isEmpty() ? disagreement(floor, program) : error;
        if (!differs.isEmpty()) {
            std::fprintf(stderr, "floor and program differ: %s\n", qPrintable(differs));
            state.SkipWithError("floor and program differ");
            return;
        }
    }
    for (auto _ : state) {
        const QList<QVariantList> floor = runFloor(database, &error);
        benchmark::DoNotOptimize(floor.size());
    }
}
BENCHMARK(BM_OutcomesFloor)->Arg(0)->Arg(1)->ArgName("clinic_10k_100k")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowFirstFigures(benchmark::State &state)
{
    db::Database database;
    if (!openClinic(int(state.range(0)), database)) {
        state.SkipWithError("no clinic");
        return;
    }
    for (auto _ : state) {
        app::Form_outcomes window(database);
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.outcomes().courses.size());
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowFirstFigures)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("clinic_10k_100k")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
