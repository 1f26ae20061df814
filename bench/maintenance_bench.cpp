// The maintenance runs over a clinic of 10,000 demo patients, beside the same writes made as plain
// statements (run it with the demo data of the other benchmarks, $PELORIN_BENCH_DATA).
//
// BM_Maintenance/1        "Настройка номеров курсов ПУВА терапии" through the table engine: every
//                         patient made current, his details following, two checked register posts.
// BM_Maintenance/5        "Подбивка всех дат через ПУВА лечение": totals and links for everybody.
// BM_Maintenance/6        "Чистка пустых полей…": every examination of every patient posted.
// BM_MaintenanceFloor/1   the first and last course of each patient read and the two register
//                         updates made with bound statements, in the same batches.
// BM_MaintenanceFloor/5   each patient's procedures and examinations read, the totals and links
//                         worked out in memory and written with one bound update per register
//                         record, procedure and examination the run writes, in the same batches.
// BM_MaintenanceFloor/6   one bound update per examination, in the same batches.
//
// Each iteration works on a fresh copy of the demo file, made outside the measured time.
#include "appcontext.h"
#include "benchdata.h"
#include "dialogs.h"
#include "fieldvalue.h"
#include "maintenance.h"
#include "puva_links.h"
#include "session.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace pelorin;

namespace {

constexpr int kBatch = 200;

// The writes of "Подбивка всех дат через ПУВА лечение" for one patient with plain statements: the
// dose, last date and number of the procedures on the register record, every procedure's link to
// the examination its date reaches, and the examinations' links back.
struct TotalsAndLinks
{
    QSqlQuery procedures, exams, registerUpdate, procedureUpdate, examLink, examClear;

    explicit TotalsAndLinks(QSqlDatabase &sql)
        : procedures(sql), exams(sql), registerUpdate(sql), procedureUpdate(sql), examLink(sql), examClear(sql)
    {
        procedures.setForwardOnly(true);
        exams.setForwardOnly(true);
        procedures.prepare(QStringLiteral("SELECT %1, Nom_proc, Date, Id_kurs, Power1, Time1, Power2, Time2, Power3, "
                                          "Time3 FROM lech_puva WHERE ID_man = ? ORDER BY %1")
                               .arg(QString::fromLatin1(db::kHiddenRowKey)));
        exams.prepare(QStringLiteral("SELECT ID, Date FROM osmotr_1 WHERE ID_man = ? ORDER BY ID"));
        registerUpdate.prepare(
            QStringLiteral("UPDATE register SET Doza = ?, Dat_posl = ?, Puv_posl = ? WHERE ID_man = ?"));
        procedureUpdate.prepare(
            QStringLiteral("UPDATE lech_puva SET Osmotr = ? WHERE %1 = ?").arg(QString::fromLatin1(db::kHiddenRowKey)));
        examLink.prepare(QStringLiteral("UPDATE osmotr_1 SET PUVA = ?, PUVA_k = ?, PUVA_p = ? WHERE ID = ?"));
        examClear.prepare(QStringLiteral("UPDATE osmotr_1 SET PUVA = NULL WHERE ID = ?"));
    }

    void run(qint64 patient)
    {
        struct Procedure
        {
            qint64 key, number, course;
            QDate date;
            QVariant link;
        };
        // A blank date counts as the earliest of all, as in the run.
        auto dateOf = [](const QVariant &stored) {
            const QVariant v = db::fromStorage(db::FieldType::Date, stored);
            return v.isValid() ? v.toDate() : QDate(1, 1, 1);
        };
        std::vector<Procedure> list;
        qint64 dose = 0;
        QVariant lastDate;
        procedures.addBindValue(patient);
        procedures.exec();
        while (procedures.next()) {
            for (int unit = 0; unit < 3; ++unit)
                dose += procedures.value(4 + 2 * unit).toLongLong() * procedures.value(5 + 2 * unit).toLongLong();
            lastDate = db::fromStorage(db::FieldType::Date, procedures.value(2));
            list.push_back({procedures.value(0).toLongLong(), procedures.value(1).toLongLong(),
                            procedures.value(3).toLongLong(), dateOf(procedures.value(2)), QVariant()});
        }
        std::vector<std::pair<qint64, QDate>> examList;
        exams.addBindValue(patient);
        exams.exec();
        while (exams.next())
            examList.emplace_back(exams.value(0).toLongLong(), dateOf(exams.value(1)));

        registerUpdate.addBindValue(dose);
        registerUpdate.addBindValue(db::toStorage(db::FieldType::Date, lastDate));
        registerUpdate.addBindValue(list.empty() ? 0 : list.back().number);
        registerUpdate.addBindValue(patient);
        registerUpdate.exec();

        const size_t m = list.size(), n = examList.size();
        std::vector<int> linkedBy(n, -1); // the last procedure pointing at each examination
        if (m >= 2 && n >= 1) {
            size_t p = 0;
            for (size_t i = 0; i < n; ++i) {
                while (examList[i].second > list[p].date && p + 1 < m)
                    ++p;
                list[p].link = QString::number(i + 1);
            }
            for (size_t p = 0; p < m; ++p) {
                if (list[p].link.isValid())
                    linkedBy[size_t(list[p].link.toInt() - 1)] = int(p);
            }
        }
        for (const Procedure &p : list) {
            procedureUpdate.addBindValue(p.link);
            procedureUpdate.addBindValue(p.key);
            procedureUpdate.exec();
        }
        if (m >= 2) {
            for (size_t i = 0; i < n; ++i) {
                if (linkedBy[i] < 0) {
                    examClear.addBindValue(examList[i].first);
                    examClear.exec();
                    continue;
                }
                const Procedure &p = list[size_t(linkedBy[i])];
                examLink.addBindValue(treatment::autoLinkText(p.number, p.course));
                examLink.addBindValue(p.course);
                examLink.addBindValue(p.number);
                examLink.addBindValue(examList[i].first);
                examLink.exec();
            }
        }
    }
};

// A copy of the demo file in a folder that lives as long as the object.
struct DemoCopy
{
    QTemporaryDir dir;
    bool ok;

    DemoCopy() : ok(bench::copyDemoTo(dir.path())) {}
};

void BM_Maintenance(benchmark::State &state)
{
    ScriptedDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    for (auto _ : state) {
        state.PauseTiming();
        DemoCopy copy;
        app::AppContext ctx;
        QString error;
        if (!copy.ok || !ctx.database.open(copy.dir.path(), &error, db::Database::OpenMode::Existing)) {
            state.SkipWithError("no demo copy");
            break;
        }
        ctx.dm1 = std::make_unique<db::DM1>(ctx.database);
        ctx.dm2 = std::make_unique<db::DM2>(ctx.database, *ctx.dm1);
        if (!app::openDataModule(ctx, 1, &error) || !app::openDataModule(ctx, 2, &error)) {
            state.SkipWithError("modules did not open");
            break;
        }
        ctx.dm1->register_->setOrderField(QStringLiteral("Last_Name"));
        ctx.dm1->register_->first();
        app::Maintenance maintenance(*ctx.dm1, *ctx.dm2, ctx.settings, ctx.log);
        maintenance.batchSize = kBatch;
        state.ResumeTiming();
        const app::MaintenanceResult result = maintenance.run(app::MaintenanceRun(state.range(0)));
        state.PauseTiming();
        if (result.done != bench::kPatients || !result.failures.isEmpty())
            state.SkipWithError("the run did not walk every patient");
        state.counters["patients"] = result.done;
        state.ResumeTiming();
    }
    Dialogs::setInstance(nullptr);
}
BENCHMARK(BM_Maintenance)->Arg(1)->Arg(5)->Arg(6)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_MaintenanceFloor(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        DemoCopy copy;
        db::Database database;
        QString error;
        if (!copy.ok || !database.open(copy.dir.path(), &error, db::Database::OpenMode::Existing)) {
            state.SkipWithError("no demo copy");
            break;
        }
        QSqlDatabase &sql = database.sql();
        state.ResumeTiming();
        QSqlQuery patients(sql);
        patients.setForwardOnly(true);
        patients.exec(QStringLiteral("SELECT ID_man FROM register ORDER BY Last_Name"));
        std::vector<qint64> ids;
        while (patients.next())
            ids.push_back(patients.value(0).toLongLong());
        QSqlQuery courses(sql), update(sql), exams(sql);
        TotalsAndLinks totals(sql);
        courses.prepare(QStringLiteral("SELECT Id_kurs FROM lech_puva WHERE ID_man = ? ORDER BY rowid"));
        exams.prepare(QStringLiteral("SELECT ID FROM osmotr_1 WHERE ID_man = ? ORDER BY ID"));
        if (state.range(0) == 1)
            update.prepare(QStringLiteral("UPDATE register SET Born_Day = ?, ID_age_cat = ? WHERE ID_man = ?"));
        else if (state.range(0) == 6)
            update.prepare(QStringLiteral(
                "UPDATE osmotr_1 SET Ob = 0, Ob_ndate = NULL, Ob_date = NULL, Ob_result = NULL, Ob_pr_a10 = NULL, "
                "Ob_pr_a20 = NULL, Ob_pr_a11 = 0, Ob_pr_a12 = 0, Ob_pr_a13 = 0, Ob_pr_a14 = 0, Ob_pr_a15 = 0, "
                "Ob_pr_a16 = 0, Ob_pr_a21 = 0, Ob_pr_a22 = 0, Ob_pr_a23 = 0, Ob_pr_a24 = 0, Ob_pr_a25 = 0, "
                "Ob_pr_a26 = 0, Ob_pr_a27 = 0, Ob_pr_a28 = 0, Ob_pr_a29 = 0, Ob_pr_a210 = 0, Ob_pr_a211 = 0, "
                "Ob_pr_a212 = 0, Ob_pr_a213 = 0, Ob_pr_a214 = 0 WHERE ID = ?"));
        int inBatch = 0;
        sql.transaction();
        for (const qint64 id : ids) {
            if (state.range(0) == 5) {
                totals.run(id);
            } else if (state.range(0) == 1) {
                courses.addBindValue(id);
                courses.exec();
                qint64 first = 0, last = 0;
                bool any = false;
                while (courses.next()) {
                    last = courses.value(0).toLongLong();
                    if (!any)
                        first = last;
                    any = true;
                }
                update.addBindValue(first);
                update.addBindValue(last);
                update.addBindValue(id);
                update.exec();
            } else {
                exams.addBindValue(id);
                exams.exec();
                std::vector<qint64> rows;
                while (exams.next())
                    rows.push_back(exams.value(0).toLongLong());
                for (const qint64 row : rows) {
                    update.addBindValue(row);
                    update.exec();
                }
            }
            if (++inBatch >= kBatch) {
                inBatch = 0;
                sql.commit();
                sql.transaction();
            }
        }
        sql.commit();
        state.PauseTiming();
        state.counters["patients"] = double(ids.size());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MaintenanceFloor)->Arg(1)->Arg(5)->Arg(6)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

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
