// "Подготовить данные к печати." for a patient with a long history: 10 courses of 20 procedures,
// 100 examinations with their elements, 20 diagnosis events, prescriptions, blood tests and
// recommendations, on a fresh database file and a program folder of its own.
//
// BM_FullCard           "Полная амбулаторная карта": the composition over the whole history and
//                       karta1.xlsx written to reports/.
// BM_AllCoursesExtract  "Выписка по всем курсам": the extract with the total dose and the discharge
//                       summary written from vipiska.docx.
// BM_ReadRowsFloor      the patient's rows of every table the documents read, fetched with plain
//                       SELECT statements: the least any document of this patient can cost.
#include "analyz_calc.h"
#include "anamnesis_calc.h"
#include "clinicfixture.h"
#include "diagnoz_calc.h"
#include "dialogs.h"
#include "documentviewer.h"
#include "elements.h"
#include "osmotr_calc.h"
#include "puva_calc.h"
#include "recomend_calc.h"
#include "report_files.h"
#include "report_fixture.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QSqlRecord>
#include <benchmark/benchmark.h>

using namespace pelorin;
using namespace pelorin::documents;

namespace {

constexpr int kCourses = 10;
constexpr int kProceduresPerCourse = 20;
constexpr int kExamsPerCourse = 10;
const QDate kFirstDay(2020, 1, 10);

// Nothing is shown and nothing is kept.
class QuietDialogs : public ScriptedDialogs
{
public:
    void beep() override {}
};

struct LongHistory : testing::ClinicFixture
{
    testing::ProgramFolderFixture program;
    testing::RecordWriter write{*dm1, *dm2};

    LongHistory()
    {
        documents::installDocumentTexts(*dm1, *dm2);
        write.patient({{"Amb_karta", 1020},
                       {"Last_Name", QStringLiteral("Абрамов")},
                       {"First_Name", QStringLiteral("Евгений")},
                       {"Father_Name", QStringLiteral("Андреевич")},
                       {"Ves", 72.5},
                       {"Adress", QStringLiteral("ул. Жуковского, д. 51, кв. 14")},
                       {"Reg_date", kFirstDay}});
        for (int course = 1; course <= kCourses; ++course) {
            const QDate start = kFirstDay.addDays((course - 1) * 60);
            // Admission, then the course's examinations and procedures in date order, then discharge.
            write.event(start, QStringLiteral("псориаз вульгарный, распространенный, прогрессирующая стадия. "));
            write.add(*dm2->lech_lekar, {{"Data", start},
                                         {"Lek", QStringLiteral("Наружно: Мазь салициловая 2%")},
                                         {"Recept", QStringLiteral("2 раза в день на очаги")}});
            write.add(*dm2->analyz, {{"Data", start}});
            for (int e = 0; e < kExamsPerCourse; ++e) {
                write.exam(start.addDays(4 * e), {{"B8", 30 - e}, {"Ob", e == 0}});
                for (int k = 0; k < 2; ++k)
                    write.add(*dm2->osmotr_elem,
                              {{"Name_elem", k ? QStringLiteral("Бляшки") : QStringLiteral("Папулы")}});
            }
            for (int p = 1; p <= kProceduresPerCourse; ++p)
                write.procedure(start.addDays(2 * p - 1), p, course, 50 + 10 * p,
                                p % 7 ? QString() : QStringLiteral("эритема"));
            const QDate end = start.addDays(2 * kProceduresPerCourse);
            write.event(end, QStringLiteral("псориаз вульгарный, стадия регресса. "));
            write.add(*dm2->recomend, {{"Data", end}});
        }
    }

    ReportInput input(ReportMode mode) const
    {
        ReportInput in;
        in.mode = mode;
        in.today = kFirstDay.addYears(2);
        return in;
    }
};

void runReport(benchmark::State &state, ReportMode mode)
{
    QuietDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    office::RecordingDocumentViewer viewer;
    office::DocumentViewer::setInstance(&viewer);
    LongHistory p;
    PlainTextArea area;
    for (auto _ : state) {
        const ReportFilesResult r = prepareReport(*p.dm1, *p.dm2, p.input(mode), area, {});
        if (!r.ok) {
            state.SkipWithError(qPrintable(r.message));
            break;
        }
        state.PauseTiming();
        for (const QString &written : {r.cardPath, r.summaryPath}) {
            if (!written.isEmpty())
                QFile::remove(written);
        }
        viewer.opened.clear();
        state.ResumeTiming();
    }
    state.counters["entries"] = double(area.entries.size());
    office::DocumentViewer::setInstance(nullptr);
    Dialogs::setInstance(nullptr);
}

void BM_FullCard(benchmark::State &state)
{
    runReport(state, ReportMode::FullCard);
}
BENCHMARK(BM_FullCard)->Unit(benchmark::kMillisecond);

void BM_AllCoursesExtract(benchmark::State &state)
{
    runReport(state, ReportMode::AllCoursesExtract);
}
BENCHMARK(BM_AllCoursesExtract)->Unit(benchmark::kMillisecond);

void BM_ReadRowsFloor(benchmark::State &state)
{
    LongHistory p;
    const qint64 patient = p.reg().asInteger(QStringLiteral("ID_man"));
    QSqlDatabase sql = p.db.sql();
    QList<QSqlQuery> queries;
    for (const char *statement :
         {"SELECT * FROM register WHERE ID_man = ?", "SELECT * FROM anamnez_zab WHERE ID_man = ?",
          "SELECT * FROM anamnez_zab_start WHERE ID_man = ?", "SELECT * FROM anamnez_zab_ranlech WHERE ID_man = ?",
          "SELECT * FROM anamnez_zab_obostr_prich WHERE ID_man = ?",
          "SELECT * FROM anamnez_zab_obostr_lech WHERE ID_man = ?", "SELECT * FROM anamnez_zab_zalobi WHERE ID_man = ?",
          "SELECT * FROM anamnez_life WHERE ID_man = ?", "SELECT * FROM anamnez_life_zab WHERE ID_man = ?",
          "SELECT * FROM anamnez_life_sem WHERE ID_man = ?", "SELECT * FROM osmotr_1 WHERE ID_man = ?",
          "SELECT e.* FROM osmotr_elem e JOIN osmotr_1 o ON e.ID_elem = o.ID WHERE o.ID_man = ?",
          "SELECT * FROM lech_puva WHERE ID_man = ?", "SELECT * FROM diagnoz WHERE ID_man = ?",
          "SELECT * FROM analyz WHERE Id_man = ?", "SELECT * FROM lech_lekar WHERE Id_man = ?",
          "SELECT * FROM recomend WHERE Id_man = ?"}) {
        QSqlQuery q(sql);
        q.setForwardOnly(true);
        if (!q.prepare(QString::fromLatin1(statement))) {
            state.SkipWithError(statement);
            return;
        }
        queries << q;
    }
    qint64 values = 0;
    for (auto _ : state) {
        values = 0;
        for (QSqlQuery &q : queries) {
            q.addBindValue(patient);
            q.exec();
            while (q.next()) {
                const int columns = q.record().count();
                for (int c = 0; c < columns; ++c)
                    benchmark::DoNotOptimize(q.value(c));
                values += columns;
            }
        }
    }
    state.counters["values"] = double(values);
}
BENCHMARK(BM_ReadRowsFloor)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
