#include "maintenance.h"

#include "changelog.h"
#include "database.h"
#include "datamodules.h"
#include "diagnoz_ops.h"
#include "dialogs.h"
#include "puva_links.h"
#include "puva_ops.h"
#include "settings.h"
#include "table.h"

#include <optional>

namespace pelorin::app {

namespace {

const QString kIdMan = QStringLiteral("ID_man");

// The last-exacerbation fields of an examination that the cleaning empties or unticks.
const char *const kBlankedFields[] = {"Ob_ndate", "Ob_date", "Ob_result", "Ob_pr_a10", "Ob_pr_a20"};
const char *const kUntickedFields[] = {
    "Ob",        "Ob_pr_a11", "Ob_pr_a12", "Ob_pr_a13",  "Ob_pr_a14",  "Ob_pr_a15",  "Ob_pr_a16",  "Ob_pr_a21",
    "Ob_pr_a22", "Ob_pr_a23", "Ob_pr_a24", "Ob_pr_a25",  "Ob_pr_a26",  "Ob_pr_a27",  "Ob_pr_a28",  "Ob_pr_a29",
    "Ob_pr_a210", "Ob_pr_a211", "Ob_pr_a212", "Ob_pr_a213", "Ob_pr_a214"};

void editUnlessEditing(db::Table &t)
{
    if (!t.isEditing())
        t.edit();
}

} // namespace

Maintenance::Maintenance(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, db::ChangeLog &log)
    : m_dm1(dm1), m_dm2(dm2), m_settings(settings), m_log(log)
{
}

MaintenanceResult Maintenance::run(MaintenanceRun which)
{
    MaintenanceResult result;
    db::Table &reg = *m_dm1.register_;
    // A record being edited is stored before the walk moves away from it, or the walk does not start.
    if (QString refusal; !storeEdits(&refusal)) {
        result.failures << refusal;
        return result;
    }
    result.patients = reg.recordCount();
    if (result.patients == 0)
        return result;

    // The patients as listed now, each walked once, even when a post moves one out of the list.
    const int idIndex = reg.fieldIndex(kIdMan);
    std::vector<qint64> patients;
    patients.reserve(size_t(result.patients));
    for (int row = 0; row < result.patients; ++row)
        patients.push_back(reg.valueAt(row, idIndex).toLongLong());
    const qint64 former = reg.asInteger(kIdMan);

    // A course view shows part of the procedures: every run counts all of them.
    m_dm2.lech_puva->setFilter(QString());
    // The totals, the links and the cleaning cover every examination, archived or not.
    bool archiveLifted = false;
    if ((which == MaintenanceRun::ProcedureTotals || which == MaintenanceRun::ClearExacerbation) &&
        m_settings.examArchive) {
        m_settings.examArchiveSuspended = true;
        m_dm2.osmotr1->setFilter(QString());
        archiveLifted = true;
    }

    // Every patient's details would cost a statement per table at each move; the walk reads them for
    // a few hundred patients at a time instead.
    db::WalkScope walk(reg);
    std::optional<db::Transaction> batch;
    batch.emplace(m_dm1.database());
    // The patients of the batch not yet committed: a batch the file refuses takes them all back.
    QStringList inBatch;
    int place = 0; // where the next patient is expected in the list
    for (const qint64 id : patients) {
        if (place < reg.recordCount() && reg.valueAt(place, idIndex).toLongLong() == id) {
            if (reg.recNo() != place + 1)
                reg.setRecNo(place + 1);
        } else if (!reg.locate(kIdMan, id)) {
            continue; // deleted meanwhile: nothing to rebuild
        }
        if (reg.asInteger(kIdMan) != id) {
            result.failures << QStringLiteral("Не удалось перейти к пациенту № %1.").arg(id);
            break;
        }
        place = reg.recNo() - 1;
        const QString who = reg.asString(QStringLiteral("Last_Name")) + QLatin1Char(' ') +
                            reg.asString(QStringLiteral("First_Name")) + QStringLiteral(" (№ ") + QString::number(id) +
                            QLatin1Char(')');
        const bool ok = runForPatient(which);
        // A record the file refused is given up, so the walk goes on to the next patient.
        QString refused;
        for (db::Table *t : {m_dm2.osmotr1, m_dm2.lech_puva, m_dm2.diagnoz, &reg}) {
            if (t->isEditing()) {
                if (refused.isEmpty())
                    refused = t->lastError();
                t->cancel();
            }
        }
        if (!ok || !refused.isEmpty())
            result.failures << who + QStringLiteral(": ") +
                                   (refused.isEmpty() ? QStringLiteral("не все записи сохранены.") : refused);
        ++result.done;
        inBatch << who;
        // The patient stayed in the list: the next one follows him.
        if (reg.recNo() - 1 == place && reg.asInteger(kIdMan) == id)
            ++place;
        if (progress)
            progress(result.done, result.patients);
        if (inBatch.size() >= batchSize) {
            if (!batch->commit()) {
                result.stopped = true;
                break;
            }
            result.stored += int(inBatch.size());
            inBatch.clear();
            batch.emplace(m_dm1.database());
        }
    }
    if (!result.stopped) {
        if (batch->commit())
            result.stored += int(inBatch.size());
        else
            result.stopped = true;
    }
    batch.reset();
    if (result.stopped) {
        // What the tables hold in memory is no longer what the file holds.
        reg.refresh();
        result.rolledBack = inBatch;
        result.failures << QStringLiteral("Файл базы данных не принял изменения; обход остановлен. Сохранены "
                                          "изменения пациентов: %1 из %2; изменения этих %3 отменены, обход нужно "
                                          "повторить:")
                               .arg(result.stored)
                               .arg(result.patients)
                               .arg(inBatch.size());
        result.failures << inBatch;
    }

    // The doctor comes back to the patient he was on.
    if (!reg.locate(kIdMan, former))
        reg.first();
    if (archiveLifted && m_settings.examArchiveSuspended) {
        m_settings.examArchiveSuspended = false;
        if (reapplyExamArchive)
            reapplyExamArchive();
        m_settings.notifyChanged();
    }
    return result;
}

std::vector<db::Table *> Maintenance::tables() const
{
    std::vector<db::Table *> all = m_dm1.tables();
    all.insert(all.end(), m_dm2.tables().begin(), m_dm2.tables().end());
    return all;
}

bool Maintenance::storeEdits(QString *refusal) const
{
    for (db::Table *t : tables()) {
        if (!t->checkBrowseMode()) {
            if (refusal)
                *refusal = QStringLiteral("Запись таблицы %1 не сохранена; обход не начат.").arg(t->tableName());
            return false;
        }
    }
    return true;
}

bool Maintenance::runForPatient(MaintenanceRun which)
{
    switch (which) {
    case MaintenanceRun::CourseNumbers:
        return courseNumbers();
    case MaintenanceRun::DischargeDates:
        return dischargeDate();
    case MaintenanceRun::RepostDiagnoses:
        return repostDiagnoses();
    case MaintenanceRun::CopyCourses:
        return clinical::DiagnozOps::copyToRegister(m_dm1, m_dm2, m_log);
    case MaintenanceRun::ProcedureTotals:
        return procedureTotals();
    case MaintenanceRun::ClearExacerbation:
        return clearExacerbation();
    }
    return false;
}

bool Maintenance::courseNumbers()
{
    db::Table &reg = *m_dm1.register_;
    db::Table &puva = *m_dm2.lech_puva;
    qint64 first = 0;
    qint64 last = 0;
    if (!puva.isEmpty()) {
        puva.first();
        first = puva.asInteger(QStringLiteral("Id_kurs"));
        puva.last();
        last = puva.asInteger(QStringLiteral("Id_kurs"));
    }
    editUnlessEditing(reg);
    reg.setValue(QStringLiteral("Born_Day"), first);
    if (!reg.post())
        return false;
    editUnlessEditing(reg);
    reg.setValue(QStringLiteral("ID_age_cat"), last);
    return reg.post();
}

bool Maintenance::dischargeDate()
{
    db::Table &reg = *m_dm1.register_;
    db::Table &diagnoz = *m_dm2.diagnoz;
    if (diagnoz.isEmpty())
        return true;
    diagnoz.last();
    if (diagnoz.asString(QStringLiteral("Text")) != clinical::kDischarge)
        return true;
    editUnlessEditing(reg);
    reg.setValue(QStringLiteral("Vip_date"), diagnoz.value(QStringLiteral("Data")));
    return reg.post();
}

bool Maintenance::repostDiagnoses()
{
    db::Table &diagnoz = *m_dm2.diagnoz;
    for (diagnoz.first(); !diagnoz.eof(); diagnoz.next()) {
        diagnoz.edit();
        if (!diagnoz.post())
            return false;
    }
    return true;
}

bool Maintenance::procedureTotals()
{
    db::Table &exams = *m_dm2.osmotr1;
    Dialogs::instance().beep();
    bool ok = treatment::updateDoseDateNumber(*m_dm1.register_, *m_dm2.lech_puva, m_settings,
                                              treatment::ProtectionMode::Checked);
    ok = treatment::linkProcedures(*m_dm2.lech_puva, exams) && ok;
    exams.updateRecord();
    if (exams.modified())
        ok = exams.post() && ok;
    Dialogs::instance().beep();
    return ok;
}

bool Maintenance::clearExacerbation()
{
    db::Table &exams = *m_dm2.osmotr1;
    Dialogs::instance().beep();
    for (exams.first(); !exams.eof(); exams.next()) {
        exams.edit();
        for (const char *field : kUntickedFields)
            exams.setValue(QString::fromLatin1(field), false);
        for (const char *field : kBlankedFields)
            exams.setValue(QString::fromLatin1(field), QVariant());
        if (!exams.post())
            return false;
    }
    return true;
}

} // namespace pelorin::app
