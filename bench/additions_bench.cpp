// What the lifetime PUVA exposure and the permanent journal of changes add to the two things a doctor
// does most, on the demo clinic of 10,000 patients (the demo data of the other benchmarks,
// $PELORIN_BENCH_DATA). Both sides of each pair run in the same process on the same file.
//
// BM_PatientSwitch/0  another patient made current through the tables with every rule the program
//                     installs, the current record of each table read: the switch as it was.
// BM_PatientSwitch/1  the same, plus the PUVA page's exposure figures read for the new patient.
//                     The photo comparison adds nothing to a switch: it reads only when its window
//                     is opened.
// BM_Post/0           one change of the registration card stored: the protection's check line and
//                     the post, without the journal.
// BM_Post/1           the same with the journal keeping the line in the post's own commit.
//
// The posts work on a copy of the demo file, made outside the measured time.
#include "appcontext.h"
#include "benchdata.h"
#include "dialogs.h"
#include "puva_exposure.h"
#include "session.h"
#include "table.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>

using namespace pelorin;

namespace {

struct Program
{
    QTemporaryDir dir;
    app::AppContext ctx;

    // On the shared demo file, or on a copy of it for a benchmark that writes.
    bool open(bool copy)
    {
        if (copy && !bench::copyDemoTo(dir.path()))
            return false;
        QString error;
        if (!ctx.database.open(copy ? dir.path() : bench::benchFolder(), &error, db::Database::OpenMode::Existing))
            return false;
        ctx.dm1 = std::make_unique<db::DM1>(ctx.database);
        ctx.dm2 = std::make_unique<db::DM2>(ctx.database, *ctx.dm1);
        return app::openDataModule(ctx, 1, &error) && app::openDataModule(ctx, 2, &error);
    }
};

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
    const bool exposure = state.range(0) != 0;
    Program p;
    if (!p.open(false)) {
        state.SkipWithError("cannot open the demo database");
        return;
    }
    std::vector<db::Table *> tables = p.ctx.dm1->tables();
    tables.insert(tables.end(), p.ctx.dm2->tables().begin(), p.ctx.dm2->tables().end());
    db::Table &reg = *p.ctx.dm1->register_;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(1, reg.recordCount());
    for (auto _ : state) {
        reg.setRecNo(pick(random));
        readCurrentRecords(tables);
        if (exposure) {
            const treatment::PuvaExposure figures = treatment::lifetimeExposure(reg);
            benchmark::DoNotOptimize(
                treatment::exposureLabelText(figures, treatment::thresholdsOf(p.ctx.settings)));
        }
    }
}
BENCHMARK(BM_PatientSwitch)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_Post(benchmark::State &state)
{
    const bool journal = state.range(0) != 0;
    ScriptedDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    Program p;
    if (!p.open(true)) {
        state.SkipWithError("cannot copy the demo database");
        Dialogs::setInstance(nullptr);
        return;
    }
    if (!journal)
        p.ctx.audit.reset();
    db::Table &reg = *p.ctx.dm1->register_;
    reg.setRecNo(reg.recordCount() / 2);
    int n = 0;
    for (auto _ : state) {
        reg.edit();
        reg.setValue(QStringLiteral("Telephone_home"), QString::number(1000000 + (n++ % 1000)));
        if (!reg.post()) {
            state.SkipWithError("the post was refused");
            break;
        }
    }
    Dialogs::setInstance(nullptr);
}
BENCHMARK(BM_Post)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!bench::ensureDemo())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
