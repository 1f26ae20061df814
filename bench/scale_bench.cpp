// The main window of a large clinic beside the usual one (run with QT_QPA_PLATFORM=offscreen).
//
// Clinics: "10k" the demo clinic of the other benchmarks (10,000 patients); "100k" 100,000 demo
// patients in $PELORIN_BENCH_DATA_100K (default bench-data-100k beside the benchmark programs,
// generated on first use: about a minute and 940 MB); "10k-server" and "100k-server" the same
// clinics moved to PostgreSQL, when $PELORIN_BENCH_PG and $PELORIN_BENCH_PG_100K name them
// (pelorin-cli migrate --from ... --to ...).
//
// BM_MainWindowUp/<clinic>  from the accepted password to the shown main window; the counter
//                           rss_MB is what the process holds with the main window up.
// BM_TabChange/<clinic>     an alphabet tab with the patient archive on, as in shell_bench.
// BM_GridScroll/<clinic>    one page down in the patient grid, the viewport painted.
#include "application.h"
#include "benchdata.h"
#include "demo.h"
#include "dialogs.h"
#include "dbgrid.h"
#include "form1.h"
#include "programfolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <functional>
#include <malloc.h>

using namespace pelorin;

namespace {

using bench::ensureLargeDemo;
using bench::largeFolder;

// Megabytes the process holds now, after the allocator has given back what it can.
double residentMegabytes()
{
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

struct Clinic
{
    QString name;
    QStringList arguments; // after the program name
};

std::unique_ptr<app::Application> startProgram(const Clinic &clinic, ScriptedDialogs &dialogs)
{
    dialogs.answers = {QStringLiteral("zlk")};
    auto a = std::make_unique<app::Application>(QStringList{QStringLiteral("pelorin")} + clinic.arguments);
    if (a->start() != app::Application::Start::Running)
        return nullptr;
    QCoreApplication::processEvents();
    return a;
}

void mainWindowUp(benchmark::State &state, const Clinic &clinic)
{
    ScriptedDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    double rss = 0;
    for (auto _ : state) {
        auto a = startProgram(clinic, dialogs);
        if (!a) {
            state.SkipWithError("start-up failed");
            break;
        }
        state.PauseTiming();
        rss = std::max(rss, residentMegabytes());
        a.reset();
        state.ResumeTiming();
    }
    state.counters["rss_MB"] = rss;
    Dialogs::setInstance(nullptr);
}

// Runs `measure` with the main window of the clinic up.
void withMainWindow(benchmark::State &state, const Clinic &clinic, const std::function<void(app::Application &)> &measure)
{
    ScriptedDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    auto a = startProgram(clinic, dialogs);
    if (a)
        measure(*a);
    else
        state.SkipWithError("start-up failed");
    a.reset();
    Dialogs::setInstance(nullptr);
}

void tabChange(benchmark::State &state, const Clinic &clinic)
{
    withMainWindow(state, clinic, [&state](app::Application &a) {
        a.context().settings.patientArchive = true;
        int tab = 1;
        for (auto _ : state) {
            a.form1()->selectTab(tab);
            tab = tab % 29 + 1;
            benchmark::DoNotOptimize(a.context().dm1->register_->recordCount());
        }
    });
}

void gridScroll(benchmark::State &state, const Clinic &clinic)
{
    withMainWindow(state, clinic, [&state](app::Application &a) {
        QAbstractItemView &view = *a.form1()->patientGrid();
        QScrollBar *bar = view.verticalScrollBar();
        for (auto _ : state) {
            bar->setValue(bar->value() + bar->pageStep() > bar->maximum() ? 0 : bar->value() + bar->pageStep());
            benchmark::DoNotOptimize(view.viewport()->grab());
        }
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
    if (!bench::ensureDemo() || !ensureLargeDemo()) {
        std::fprintf(stderr, "the demo clinics could not be written\n");
        return 1;
    }
    // Each server clinic gets a seat folder of its own for the seat's lock.
    QTemporaryDir seat10, seat100;
    std::vector<Clinic> clinics = {
        {QStringLiteral("10k"), {QStringLiteral("--data"), bench::benchFolder()}},
        {QStringLiteral("100k"), {QStringLiteral("--data"), largeFolder()}},
    };
    if (const QString url = qEnvironmentVariable("PELORIN_BENCH_PG"); !url.isEmpty())
        clinics.push_back({QStringLiteral("10k-server"), {QStringLiteral("--db"), url, QStringLiteral("--data"), seat10.path()}});
    if (const QString url = qEnvironmentVariable("PELORIN_BENCH_PG_100K"); !url.isEmpty())
        clinics.push_back({QStringLiteral("100k-server"), {QStringLiteral("--db"), url, QStringLiteral("--data"), seat100.path()}});
    for (const Clinic &c : clinics) {
        const std::string name = c.name.toStdString();
        benchmark::RegisterBenchmark(("BM_MainWindowUp/" + name).c_str(), mainWindowUp, c)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
        benchmark::RegisterBenchmark(("BM_TabChange/" + name).c_str(), tabChange, c)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_GridScroll/" + name).c_str(), gridScroll, c)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
