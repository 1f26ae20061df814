// Closing the PUVA editor for a patient with a full course history: 30 procedures in two courses,
// 12 examinations and an odd list of diagnoses, on a fresh database file.
//
// BM_EditorClosing       the closing run as the editor does it: the last diagnosis posted again,
//                        the register's totals, the links rebuilt on both sides, each post
//                        through the table objects, their hooks and the protection check.
// BM_EditorClosingFloor  the same number of row writes as plain prepared UPDATE statements, each
//                        its own commit as the table objects write them: the least the closing
//                        can cost on this storage.
#include "clinicfixture.h"
#include "diagnoz_calc.h"
#include "diagnoz_ops.h"
#include "dialogs.h"
#include "puva_calc.h"
#include "puva_editor.h"
#include "table.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <benchmark/benchmark.h>

using namespace pelorin;

namespace {

constexpr int kProcedures = 30;
constexpr int kExaminations = 12;

// The indexing question is answered Yes; nothing is shown.
class YesDialogs : public ScriptedDialogs
{
public:
    Answer question(const QString &, const QString &) override { return Answer::Yes; }
};

struct Patient : testing::ClinicFixture
{
    std::unique_ptr<clinical::DiagnozOps> diagnoses;
    std::unique_ptr<treatment::PuvaEditorOps> editor;

    Patient()
    {
        treatment::installPuvaCalc(*dm2->lech_puva);
        clinical::installDiagnozCalc(*dm2->diagnoz);
        diagnoses = std::make_unique<clinical::DiagnozOps>(*dm1, *dm2, settings, log, *protection);
        diagnoses->install();
        editor = std::make_unique<treatment::PuvaEditorOps>(*dm1, *dm2, settings, log);
        append(reg(), {{"Last_Name", "Иванов"}, {"Ves", 72.5}, {"Reg_date", QDate(2025, 1, 10)}});
        for (int i = 0; i < kProcedures; ++i)
            append(*dm2->lech_puva, {{"Id_kurs", i < 15 ? 1 : 2}, {"Nom_proc", i % 15 + 1}, {"Power1", 25},
                                     {"Time1", 2 + i / 3}, {"Date", QDate(2025, 2, 1).addDays(2 * i)}});
        for (int i = 0; i < kExaminations; ++i)
            append(*dm2->osmotr1, {{"Nom_osm", i + 1}, {"Date", QDate(2025, 1, 30).addDays(5 * i)}});
        for (int i = 0; i < 3; ++i)
            append(*dm2->diagnoz, {{"Text", "Диагноз при поступлении"}, {"Data", QDate(2025, 2, 1)}, {"B1", true}});
    }
};

void BM_EditorClosing(benchmark::State &state)
{
    YesDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    Patient p;
    for (auto _ : state)
        p.editor->closing();
    Dialogs::setInstance(nullptr);
}
BENCHMARK(BM_EditorClosing)->Unit(benchmark::kMillisecond);

void BM_EditorClosingFloor(benchmark::State &state)
{
    Patient p;
    QSqlDatabase sql = p.db.sql();
    QSqlQuery procedure(sql);
    procedure.prepare(QStringLiteral("UPDATE lech_puva SET Osmotr = ? WHERE _rowkey = ?"));
    QSqlQuery exam(sql);
    exam.prepare(QStringLiteral("UPDATE osmotr_1 SET PUVA = ?, PUVA_k = ?, PUVA_p = ? WHERE ID = ?"));
    QSqlQuery other(sql);
    QList<qint64> procedures;
    QList<qint64> exams;
    QSqlQuery keys(sql);
    keys.exec(QStringLiteral("SELECT _rowkey FROM lech_puva ORDER BY _rowkey"));
    while (keys.next())
        procedures << keys.value(0).toLongLong();
    keys.exec(QStringLiteral("SELECT ID FROM osmotr_1 ORDER BY ID"));
    while (keys.next())
        exams << keys.value(0).toLongLong();
    for (auto _ : state) {
        other.exec(QStringLiteral("UPDATE diagnoz SET Kurs = 2 WHERE ID = (SELECT max(ID) FROM diagnoz)"));
        other.exec(QStringLiteral("UPDATE register SET Doza = 1, Puv_posl = 15"));
        // Every procedure emptied; each examination emptied and its procedure linked; each link
        // written on the examination side.
        for (qint64 key : procedures) {
            procedure.addBindValue(QVariant());
            procedure.addBindValue(key);
            procedure.exec();
        }
        for (int i = 0; i < exams.size(); ++i) {
            exam.addBindValue(QVariant());
            exam.addBindValue(QVariant());
            exam.addBindValue(QVariant());
            exam.addBindValue(exams[i]);
            exam.exec();
            procedure.addBindValue(QString::number(i + 1));
            procedure.addBindValue(procedures[std::min<int>(2 * i, int(procedures.size()) - 1)]);
            procedure.exec();
        }
        for (int i = 0; i < exams.size(); ++i) {
            exam.addBindValue(QStringLiteral("1 курс 1"));
            exam.addBindValue(1);
            exam.addBindValue(1);
            exam.addBindValue(exams[i]);
            exam.exec();
        }
    }
}
BENCHMARK(BM_EditorClosingFloor)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
