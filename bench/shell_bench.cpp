// The main window on a clinic of 10,000 demo patients (run with QT_QPA_PLATFORM=offscreen).
//
// BM_MainWindowUp      from the accepted password to the shown main window: every window, both
//                      data modules, the reference lists and the drug tree.
// BM_TabChange         an alphabet tab with the patient archive on: the register refiltered, the
//                      details following the new current patient, the grid reset.
// BM_TabChangeFloor    the same filter text parsed and evaluated over the same rows by the filter
//                      alone, with nothing following it: the engine's own floor.
// BM_GridScroll        one page down in the patient grid and the viewport painted.
// BM_GridScrollFloor   the same in a QTableView over a QStandardItemModel holding the same texts.
// BM_MaintenanceButton "Перебрать всех пациентов." of the maintenance window (its button 1 or 5)
//                      clicked with the main window up: the run of maintenance_bench plus every
//                      bound control following the patients and the wait window counting; on a
//                      copy of the demo file.
//
// The demo database is shared with engine_bench ($PELORIN_BENCH_DATA, default bench-data).
#include "application.h"
#include "benchdata.h"
#include "archive.h"
#include "clock.h"
#include "dbgrid.h"
#include "demo.h"
#include "dialogs.h"
#include "filter.h"
#include "form1.h"
#include "programfolder.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QPushButton>
#include <benchmark/benchmark.h>

using namespace pelorin;
using pelorin::bench::benchFolder;
using pelorin::bench::ensureDemo;

namespace {


std::unique_ptr<app::Application> startProgram(ScriptedDialogs &dialogs)
{
    dialogs.answers = {QStringLiteral("zlk")};
    auto a = std::make_unique<app::Application>(
        QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), benchFolder()});
    if (a->start() != app::Application::Start::Running)
        return nullptr;
    return a;
}

void BM_MainWindowUp(benchmark::State &state)
{
    ScriptedDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    for (auto _ : state) {
        auto a = startProgram(dialogs);
        if (!a) {
            state.SkipWithError("start-up failed");
            break;
        }
        QCoreApplication::processEvents();
        state.PauseTiming();
        a.reset();
        state.ResumeTiming();
    }
    Dialogs::setInstance(nullptr);
}
BENCHMARK(BM_MainWindowUp)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TabChange(benchmark::State &state)
{
    ScriptedDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    auto a = startProgram(dialogs);
    if (!a) {
        state.SkipWithError("start-up failed");
        return;
    }
    a->context().settings.patientArchive = true;
    int tab = 1;
    for (auto _ : state) {
        a->form1()->selectTab(tab);
        tab = tab % 29 + 1;
        benchmark::DoNotOptimize(a->context().dm1->register_->recordCount());
    }
    a.reset();
    Dialogs::setInstance(nullptr);
}
BENCHMARK(BM_TabChange)->Unit(benchmark::kMillisecond);

void BM_TabChangeFloor(benchmark::State &state)
{
    db::Database database;
    QString error;
    if (!database.open(benchFolder(), &error)) {
        state.SkipWithError("cannot open the demo database");
        return;
    }
    db::DM1 dm1(database);
    if (!dm1.open(&error)) {
        state.SkipWithError("cannot open the register");
        return;
    }
    db::Table &reg = *dm1.register_;
    std::vector<std::vector<QVariant>> rows;
    for (int i = 0; i < reg.recordCount(); ++i)
        rows.push_back(reg.recordAt(i));
    const auto lookup = [&reg](const QString &name) -> std::optional<db::Filter::FieldInfo> {
        const int i = reg.fieldIndex(name);
        if (i < 0)
            return std::nullopt;
        return db::Filter::FieldInfo{i, reg.fieldDef(i).type};
    };
    int tab = 1;
    for (auto _ : state) {
        const QString text = app::alphabetTabFilter(tab, 0) + QStringLiteral(" AND ") +
                             app::patientArchiveClause(150, QDate(2026, 12, 10));
        tab = tab % 29 + 1;
        auto filter = db::Filter::parse(text, lookup, &error);
        int shown = 0;
        for (const auto &row : rows)
            shown += filter->matches(row.data()) ? 1 : 0;
        benchmark::DoNotOptimize(shown);
    }
}
BENCHMARK(BM_TabChangeFloor)->Unit(benchmark::kMillisecond);

// One page down per iteration (back to the top at the end), painting the viewport each time.
void scrollPages(benchmark::State &state, QAbstractItemView &view)
{
    QScrollBar *bar = view.verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->pageStep() > bar->maximum() ? 0 : bar->value() + bar->pageStep());
        benchmark::DoNotOptimize(view.viewport()->grab());
    }
}

void BM_GridScroll(benchmark::State &state)
{
    ScriptedDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    auto a = startProgram(dialogs);
    if (!a) {
        state.SkipWithError("start-up failed");
        return;
    }
    scrollPages(state, *a->form1()->patientGrid());
    a.reset();
    Dialogs::setInstance(nullptr);
}
BENCHMARK(BM_GridScroll)->Unit(benchmark::kMillisecond);

void BM_GridScrollFloor(benchmark::State &state)
{
    ScriptedDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    auto a = startProgram(dialogs);
    if (!a) {
        state.SkipWithError("start-up failed");
        return;
    }
    ui::DBGrid *grid = a->form1()->patientGrid();
    QAbstractItemModel *source = grid->model();
    QStandardItemModel plain(source->rowCount(), source->columnCount());
    for (int r = 0; r < source->rowCount(); ++r)
        for (int c = 0; c < source->columnCount(); ++c)
            plain.setItem(r, c, new QStandardItem(source->index(r, c).data().toString()));
    QTableView view;
    view.setModel(&plain);
    view.resize(grid->size());
    view.show();
    scrollPages(state, view);
    a.reset();
    Dialogs::setInstance(nullptr);
}
BENCHMARK(BM_GridScrollFloor)->Unit(benchmark::kMillisecond);

} // namespace

void BM_MaintenanceButton(benchmark::State &state)
{
    ScriptedDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir copy;
        if (!bench::copyDemoTo(copy.path())) {
            state.SkipWithError("demo file not readable");
            break;
        }
        dialogs.answers = {QStringLiteral("zlk")};
        auto a = std::make_unique<app::Application>(
            QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), copy.path()});
        if (a->start() != app::Application::Start::Running) {
            state.SkipWithError("start-up failed");
            break;
        }
        QWidget *sys = a->window(QStringLiteral("Form_sys"));
        sys->show();
        QCoreApplication::processEvents();
        auto *button = sys->findChild<QPushButton *>(QStringLiteral("Button%1").arg(state.range(0)));
        state.ResumeTiming();
        // The question naming the list walked, then the closing line.
        dialogs.answers << QStringLiteral("yes");
        button->click();
        state.PauseTiming();
        a.reset();
        state.ResumeTiming();
    }
    Dialogs::setInstance(nullptr);
}
BENCHMARK(BM_MaintenanceButton)->Arg(1)->Arg(5)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
    clock::setFixedToday(QDate(2026, 12, 10));
    if (!ensureDemo())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
