#include "puva_editor.h"

#include "changelog.h"
#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "puva_exposure.h"
#include "puva_links.h"
#include "puva_ops.h"
#include "settings.h"
#include "table.h"

#include <memory>

namespace pelorin::treatment {

namespace {

bool postIfModified(db::Table &t)
{
    t.updateRecord();
    return !t.modified() || t.post();
}

void editUnlessModified(db::Table &t)
{
    if (!t.isEditing())
        t.edit();
}

// One listed row as a record, without moving the cursor.
PuvaRecord rowOf(const db::Table &t, int row)
{
    auto values = std::make_shared<const std::vector<QVariant>>(t.recordAt(row));
    return PuvaRecord{[values, &t](const QString &name) {
        const int index = t.fieldIndex(name);
        return index >= 0 && size_t(index) < values->size() ? values->at(size_t(index)) : QVariant();
    }};
}

} // namespace

PuvaEditorOps::PuvaEditorOps(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, db::ChangeLog &log)
    : m_dm1(dm1), m_dm2(dm2), m_settings(settings), m_log(log)
{
}

bool PuvaEditorOps::apply()
{
    db::Table &puva = *m_dm2.lech_puva;
    const int place = puva.recNo();
    const bool ok = postIfModified(puva);
    if (ok && place > 0)
        puva.setRecNo(place);
    return ok;
}

void PuvaEditorOps::warnExposure(int row)
{
    db::Table &puva = *m_dm2.lech_puva;
    const PuvaRecord settings = row >= 0 ? rowOf(puva, row) : PuvaRecord::fromHash({});
    const PuvaExposure withNew = withProcedure(lifetimeExposure(*m_dm1.register_), settings);
    const QString warning = exposureWarning(withNew, thresholdsOf(m_settings));
    if (!warning.isEmpty())
        Dialogs::instance().message(warning, QStringLiteral("Внимание!"), Dialogs::Kind::Warning);
}

bool PuvaEditorOps::addProcedure()
{
    db::Table &puva = *m_dm2.lech_puva;
    // Posted first, so that the figures count the procedure being edited as it will stand.
    if (!puva.checkBrowseMode())
        return false;
    warnExposure(puva.recordCount() - 1);
    return treatment::addProcedure(puva);
}

bool PuvaEditorOps::startCourse()
{
    db::Table &puva = *m_dm2.lech_puva;
    if (!puva.checkBrowseMode())
        return false;
    warnExposure(puva.isEmpty() ? -1 : 0);
    return treatment::startCourse(puva);
}

void PuvaEditorOps::closing()
{
    db::Table &puva = *m_dm2.lech_puva;
    db::Table &exams = *m_dm2.osmotr1;
    db::Table &reg = *m_dm1.register_;
    db::Table &diagnoz = *m_dm2.diagnoz;
    const db::ProtectionSuspension suspended(m_settings);
    // Totals, links and course numbers reach the file together.
    const db::Transaction transaction(m_dm1.database());
    puva.checkBrowseMode();

    // Every examination of the patient takes part in the linking, archived or not.
    bool archiveLifted = false;
    if (m_settings.examArchive) {
        m_settings.examArchiveSuspended = true;
        archiveLifted = true;
        exams.setFilter(QString());
    }

    const int procedures = puva.recordCount();
    if (diagnoz.recordCount() % 2 == 1 && procedures >= 1) {
        const qint64 course = puva.asInteger(QStringLiteral("Id_kurs"));
        diagnoz.last();
        editUnlessModified(diagnoz);
        // The before-post rule of the diagnoses stamps the course its place gives over this value.
        diagnoz.setValue(QStringLiteral("Kurs"), course);
        diagnoz.post();
        m_log.note(QStringLiteral("У последнего диагноза заменен номер курса на значение ") + QString::number(course));
    }

    const bool index = procedures <= kIndexingWithoutQuestion ||
                       Dialogs::instance().question(kIndexingQuestion, QStringLiteral("Внимание!")) == Dialogs::Answer::Yes;
    if (index) {
        Dialogs::instance().beep();
        if (showWait)
            showWait(true);
        if (hideGrids)
            hideGrids(true);
        updateDoseDateNumber(reg, puva, m_settings, ProtectionMode::Suspended);
        linkProcedures(puva, exams);
        postIfModified(exams);
        if (hideGrids)
            hideGrids(false);
        Dialogs::instance().beep();
        if (showWait)
            showWait(false);
    }

    if (reg.asInteger(QStringLiteral("NKurs_posl_post")) == 0 && procedures >= 1 && !reg.isEmpty()) {
        const int former = puva.recNo();
        puva.last();
        const qint64 last = puva.asInteger(QStringLiteral("Id_kurs"));
        puva.setRecNo(former);
        editUnlessModified(reg);
        reg.setValue(QStringLiteral("NKurs_posl_post"), last);
        reg.post();
    }

    if (archiveLifted && m_settings.examArchiveSuspended) {
        m_settings.examArchive = true;
        m_settings.examArchiveSuspended = false;
        if (reapplyExamArchive)
            reapplyExamArchive();
        m_settings.notifyChanged();
    }
}

bool PuvaEditorOps::applyAndClose(const std::function<void()> &close)
{
    db::Table &puva = *m_dm2.lech_puva;
    db::Table &reg = *m_dm1.register_;
    // Each refusal has already been told to the doctor once; the editor stays open with the procedure.
    if (!puva.updateRecord())
        return false;
    const db::Transaction transaction(m_dm1.database());
    if (!puva.checkBrowseMode())
        return false;
    puva.setFilter(QString());
    const db::ProtectionSuspension suspended(m_settings);
    if (close)
        close();
    closing();
    postIfModified(*m_dm2.osmotr1);
    if (reg.isEmpty())
        return true;
    qint64 first = 0;
    qint64 last = 0;
    if (!puva.isEmpty()) {
        const int former = puva.recNo();
        puva.first();
        first = puva.asInteger(QStringLiteral("Id_kurs"));
        puva.last();
        last = puva.asInteger(QStringLiteral("Id_kurs"));
        puva.setRecNo(former);
    }
    editUnlessModified(reg);
    reg.setValue(QStringLiteral("Born_Day"), first);
    reg.post();
    editUnlessModified(reg);
    reg.setValue(QStringLiteral("ID_age_cat"), last);
    reg.post();
    return true;
}

bool PuvaEditorOps::bulkSet(const BulkSettings &rows, QString *error)
{
    db::Table &puva = *m_dm2.lech_puva;
    auto stop = [&](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    struct Step
    {
        const BulkRow &row;
        const char *field;
        bool number;
        const char *invalid;
    };
    const Step steps[] = {
        {rows.power, "Power1", true, "Не выбрана мощность установки."},
        {rows.unit, "Type1", false, nullptr},
        {rows.tablets, "Tabl", true, "Количество таблеток должно быть целым числом."},
        {rows.sensitiser, "Type_prep", false, nullptr},
        {rows.kind, "Type_kurs", false, nullptr},
    };
    if (!puva.checkBrowseMode())
        return stop(puva.lastError());
    for (const Step &step : steps) {
        if (!step.row.on)
            continue;
        QVariant value = step.row.value;
        if (step.number) {
            bool ok = false;
            const qint64 n = step.row.value.trimmed().toLongLong(&ok);
            if (!ok)
                return stop(QString::fromUtf8(step.invalid));
            value = n;
        }
        for (puva.first(); !puva.eof(); puva.next()) {
            editUnlessModified(puva);
            puva.setValue(QString::fromLatin1(step.field), value);
            if (!puva.post())
                return stop(puva.lastError());
        }
    }
    return true;
}

} // namespace pelorin::treatment
