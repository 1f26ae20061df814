// The clinic of 10,000 demo patients on a local PostgreSQL server beside the same in the file, in the
// same run: the patient switch and the full card. The server database is named by
// $PELORIN_BENCH_PG (postgresql://…) and must hold the demo clinic, moved there with
//     pelorin-cli migrate --from build/bench/bench-data --to "$PELORIN_BENCH_PG"
// Without it the server halves are skipped.
//
// BM_PatientSwitch/0|1  another patient made current through the program's tables (every rule
//                       installed), the current record of each table read: file | server.
// BM_FullCard/0|1       "Подготовить данные к печати." in the mode "Полная карта" for one patient,
//                       as pelorin-cli report runs it, the workbook written: file | server.
#include "appcontext.h"
#include "benchdata.h"
#include "dialogs.h"
#include "programfolder.h"
#include "report.h"
#include "session.h"
#include "table.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <benchmark/benchmark.h>

#include <random>

using namespace pelorin;

namespace {

QString server()
{
    return qEnvironmentVariable("PELORIN_BENCH_PG");
}

bool openProgram(app::AppContext &ctx, bool onServer)
{
    QString error;
    const bool open = onServer ? ctx.database.openServer(server(), &error, db::Database::OpenMode::Existing)
                               : ctx.database.open(bench::benchFolder(), &error, db::Database::OpenMode::Existing);
    if (!open)
        return false;
    ctx.dm1 = std::make_unique<db::DM1>(ctx.database);
    ctx.dm2 = std::make_unique<db::DM2>(ctx.database, *ctx.dm1);
    return app::openDataModule(ctx, 1, &error) && app::openDataModule(ctx, 2, &error);
}

void BM_PatientSwitch(benchmark::State &state)
{
    const bool onServer = state.range(0) != 0;
    if (onServer && server().isEmpty()) {
        state.SkipWithError("PELORIN_BENCH_PG is not set");
        return;
    }
    app::AppContext ctx;
    if (!openProgram(ctx, onServer)) {
        state.SkipWithError("cannot open the demo clinic");
        return;
    }
    std::vector<db::Table *> tables = ctx.dm1->tables();
    tables.insert(tables.end(), ctx.dm2->tables().begin(), ctx.dm2->tables().end());
    db::Table &reg = *ctx.dm1->register_;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(1, reg.recordCount());
    for (auto _ : state) {
        reg.setRecNo(pick(random));
        for (db::Table *t : tables) {
            for (int i = t->storedFieldCount(); i < t->fieldCount(); ++i)
                benchmark::DoNotOptimize(t->value(i));
        }
    }
}
BENCHMARK(BM_PatientSwitch)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_FullCard(benchmark::State &state)
{
    const bool onServer = state.range(0) != 0;
    if (onServer && server().isEmpty()) {
        state.SkipWithError("PELORIN_BENCH_PG is not set");
        return;
    }
    QTemporaryDir out;
    const QStringList where = onServer ? QStringList{QStringLiteral("--db"), server()}
                                       : QStringList{QStringLiteral("--data"), bench::benchFolder()};
    for (auto _ : state) {
        QString text, said;
        QTextStream o(&text), e(&said);
        const int code = cli::runReport(where + QStringList{QStringLiteral("--patient"), QStringLiteral("5000"),
                                                            QStringLiteral("--mode"), QStringLiteral("full-card"),
                                                            QStringLiteral("--out"), out.path()},
                                        o, e);
        if (code != 0) {
            state.SkipWithError(qPrintable(said));
            break;
        }
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_FullCard)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
    ScriptedDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    if (!bench::ensureDemo())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Dialogs::setInstance(nullptr);
    return 0;
}
