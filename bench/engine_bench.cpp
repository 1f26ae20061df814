// Patient switch and start-up opening on a clinic of 10,000 demo patients.
//
// BM_PatientSwitch     makes another patient current through the table objects: every detail
//                      table is repositioned and the calculated fields of its current record are
//                      read once.
// BM_PatientSwitchFloor fetches the same rows with plain prepared statements on the same
//                      connection, reading every column: the least any switch can cost.
// BM_OpenAll           opens the database file and both data modules, as the start-up does.
// BM_OpenFloor         opens the file and reads the register with one plain statement.
//
// The demo database is generated once into $PELORIN_BENCH_DATA (default: bench-data beside the
// program) and reused by later runs.
#include "benchdata.h"
#include "database.h"
#include "datamodules.h"
#include "demo.h"
#include "elements.h"
#include "osmotr_calc.h"
#include "register.h"
#include "settings.h"
#include "table.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <benchmark/benchmark.h>

#include <random>

using namespace pelorin;
using pelorin::bench::benchFolder;
using pelorin::bench::ensureDemo;

namespace {


struct Clinic
{
    db::Database database;
    db::RunSettings settings;
    std::unique_ptr<db::DM1> dm1;
    std::unique_ptr<db::DM2> dm2;

    bool open()
    {
        QString error;
        if (!database.open(benchFolder(), &error))
            return false;
        dm1 = std::make_unique<db::DM1>(database);
        dm2 = std::make_unique<db::DM2>(database, *dm1);
        db::installRegisterCalc(*dm1->register_, settings);
        examination::installOsmotrCalc(*dm2->osmotr1);
        examination::installElementCalc(*dm2->osmotr_elem);
        return dm1->open(&error) && dm2->open(&error);
    }
};

// Reads every calculated field of the current record of each table once.
void readCurrentRecords(const std::vector<db::Table *> &tables)
{
    for (db::Table *t : tables) {
        for (int i = t->storedFieldCount(); i < t->fieldCount(); ++i)
            benchmark::DoNotOptimize(t->value(i));
        benchmark::DoNotOptimize(t->value(0));
    }
}

void BM_PatientSwitch(benchmark::State &state)
{
    Clinic clinic;
    if (!clinic.open()) {
        state.SkipWithError("cannot open the demo database");
        return;
    }
    std::vector<db::Table *> tables = clinic.dm1->tables();
    tables.insert(tables.end(), clinic.dm2->tables().begin(), clinic.dm2->tables().end());
    db::Table &reg = *clinic.dm1->register_;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(1, reg.recordCount());
    for (auto _ : state) {
        reg.setRecNo(pick(random));
        readCurrentRecords(tables);
    }
}
BENCHMARK(BM_PatientSwitch)->Unit(benchmark::kMicrosecond);

void BM_PatientSwitchFloor(benchmark::State &state)
{
    Clinic clinic;
    if (!clinic.open()) {
        state.SkipWithError("cannot open the demo database");
        return;
    }
    QSqlDatabase &sql = clinic.database.sql();
    // One prepared statement per table, keyed the way the tables follow their masters.
    struct Statement
    {
        std::unique_ptr<QSqlQuery> query;
        bool byExamination;
        bool examinations;
        int columns;
    };
    std::vector<Statement> statements;
    std::vector<qint64> patientIds;
    {
        QSqlQuery ids(sql);
        ids.exec(QStringLiteral("SELECT ID_man FROM register"));
        while (ids.next())
            patientIds.push_back(ids.value(0).toLongLong());
    }
    for (const db::TableDef &t : db::allTables()) {
        if (!*t.linkField)
            continue;
        const bool byExam = QLatin1String(t.masterObject) == QLatin1String("osmotr1");
        auto q = std::make_unique<QSqlQuery>(sql);
        q->prepare(QStringLiteral("SELECT * FROM %1 WHERE %2=? ORDER BY %3")
                       .arg(db::quoteIdentifier(QString::fromLatin1(t.sqlName)),
                            db::quoteIdentifier(QString::fromLatin1(t.linkField)),
                            db::quoteIdentifier(t.rowKeyColumn())));
        q->setForwardOnly(true);
        int columns = 0;
        for (const db::FieldDef &f : t.fields)
            columns += f.calculated ? 0 : 1;
        const bool exams = QLatin1String(t.sqlName) == QLatin1String("osmotr_1");
        statements.push_back({std::move(q), byExam, exams, columns + (t.hasAutoIncKey() ? 0 : 1)});
    }
    QSqlQuery patient(sql);
    patient.prepare(QStringLiteral("SELECT * FROM register WHERE ID_man=?"));
    const int registerColumns = 50;
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> pick(0, patientIds.size() - 1);
    for (auto _ : state) {
        const qint64 id = patientIds[pick(random)];
        patient.bindValue(0, id);
        patient.exec();
        while (patient.next())
            for (int i = 0; i < registerColumns; ++i)
                benchmark::DoNotOptimize(patient.value(i));
        qint64 firstExam = 0;
        for (Statement &s : statements) {
            if (s.byExamination && !firstExam)
                continue;
            s.query->bindValue(0, s.byExamination ? firstExam : id);
            s.query->exec();
            bool first = true;
            while (s.query->next()) {
                for (int i = 0; i < s.columns; ++i)
                    benchmark::DoNotOptimize(s.query->value(i));
                if (first && s.examinations)
                    firstExam = s.query->value(0).toLongLong();
                first = false;
            }
            s.query->finish();
        }
    }
}
BENCHMARK(BM_PatientSwitchFloor)->Unit(benchmark::kMicrosecond);

void BM_OpenAll(benchmark::State &state)
{
    for (auto _ : state) {
        Clinic clinic;
        if (!clinic.open()) {
            state.SkipWithError("cannot open the demo database");
            return;
        }
        benchmark::DoNotOptimize(clinic.dm1->register_->recordCount());
    }
}
BENCHMARK(BM_OpenAll)->Unit(benchmark::kMillisecond);

void BM_OpenFloor(benchmark::State &state)
{
    for (auto _ : state) {
        db::Database database;
        QString error;
        if (!database.open(benchFolder(), &error)) {
            state.SkipWithError("cannot open the demo database");
            return;
        }
        QSqlQuery q(database.sql());
        q.setForwardOnly(true);
        q.exec(QStringLiteral("SELECT * FROM register"));
        int rows = 0;
        const int columns = q.record().count();
        while (q.next()) {
            for (int i = 0; i < columns; ++i)
                benchmark::DoNotOptimize(q.value(i));
            ++rows;
        }
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_OpenFloor)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!ensureDemo())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
