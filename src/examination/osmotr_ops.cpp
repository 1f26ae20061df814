#include "osmotr_ops.h"

#include "changelog.h"
#include "clock.h"
#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "protection.h"
#include "schema.h"
#include "settings.h"
#include "table.h"

#include <QVariant>
#include <vector>

namespace pelorin::examination {

using db::FieldType;
using db::Table;

namespace {

const QString kCaption = QStringLiteral("Внимание!");
const QString kDeleteQuestion = QStringLiteral("Вы уверены что хотите удалить осмотр?");

// Stored fields of an examination from A1 on, and of an element from Name_elem on, are what a
// copy carries: everything but the keys, the link, the date and the ordinal.
const QString kFirstCopiedExamField = QStringLiteral("A1");
const QString kFirstCopiedElementField = QStringLiteral("Name_elem");

QStringList pasiScoreFields()
{
    QStringList names;
    for (int region = 1; region <= 4; ++region) {
        for (int score = 1; score <= 4; ++score)
            names << QStringLiteral("Bb%1%2").arg(region).arg(score);
    }
    return names;
}

QStringList exacerbationTriggerFields()
{
    QStringList names;
    for (int i = 11; i <= 16; ++i)
        names << QStringLiteral("Ob_pr_a%1").arg(i);
    for (int i = 21; i <= 29; ++i)
        names << QStringLiteral("Ob_pr_a%1").arg(i);
    for (int i = 210; i <= 214; ++i)
        names << QStringLiteral("Ob_pr_a%1").arg(i);
    return names;
}

// A new examination, plain or copied, starts without data of the last exacerbation.
void resetExacerbation(Table &exams)
{
    exams.setValue(QStringLiteral("Ob"), false);
    for (const char *name : {"Ob_ndate", "Ob_date", "Ob_result", "Ob_pr_a10", "Ob_pr_a20"})
        exams.setValue(QLatin1String(name), QVariant());
    for (const QString &name : exacerbationTriggerFields())
        exams.setValue(name, false);
}

// Every field but the first is visited; only the Boolean ones are set.
void setBooleansFalse(Table &t)
{
    for (int i = 1; i < t.storedFieldCount(); ++i) {
        if (t.fieldDef(i).type == FieldType::Boolean)
            t.setValue(i, false);
    }
}

// The stored values of the current record from one field on; blanks when there is no record.
std::vector<QVariant> keepValues(const Table &t, int from)
{
    std::vector<QVariant> kept;
    for (int i = from; i < t.storedFieldCount(); ++i)
        kept.push_back(t.value(i));
    return kept;
}

void writeValues(Table &t, int from, const std::vector<QVariant> &kept)
{
    for (size_t k = 0; k < kept.size(); ++k)
        t.setValue(from + int(k), kept[k]);
}

bool deleteAll(Table &t)
{
    while (!t.isEmpty()) {
        if (!t.deleteRecord())
            return false;
    }
    return true;
}

} // namespace

QStringList dinamikaItems()
{
    return {QStringLiteral(" "), QStringLiteral("Отрицательная"), QStringLiteral("Без динамики"),
            QStringLiteral("Положительная"), QStringLiteral("Полный регресс высыпаний")};
}

OsmotrOps::OsmotrOps(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, db::ChangeLog &log,
                     db::Protection &protection)
    : m_dm1(dm1), m_dm2(dm2), m_settings(settings), m_log(log), m_protection(protection)
{
}

void OsmotrOps::install()
{
    Table &exams = *m_dm2.osmotr1;
    exams.beforePost = [this](Table &t) {
        m_rememberedRecNo = t.recNo();
        m_protection.checkTable(t);
    };
    // The engine files a stored examination under its place in the index; the list stays on the
    // row at the position the user was working on.
    exams.afterPost = [this](Table &t) {
        // Already there: moving away and back would only read the examination's details twice.
        if (t.recNo() == m_rememberedRecNo)
            return;
        t.first();
        t.moveBy(m_rememberedRecNo - 1);
    };
}

void OsmotrOps::wait(bool visible)
{
    if (showWait)
        showWait(visible);
}

bool OsmotrOps::newExamination()
{
    Dialogs &dialogs = Dialogs::instance();
    Table &exams = *m_dm2.osmotr1;
    Table &elements = *m_dm2.osmotr_elem;

    // 1.
    dialogs.beep();
    wait(true);

    const db::Transaction transaction(m_dm1.database());
    // 2.-6. The count is taken before the new row is stored.
    const int examCount = exams.recordCount();
    exams.append();
    exams.setValue(QStringLiteral("Date"), clock::today());
    exams.setValue(QStringLiteral("Nom_osm"), examCount + 1);
    setBooleansFalse(exams);
    resetExacerbation(exams);

    // 7.
    if (!exams.post()) {
        wait(false);
        return false;
    }
    exams.last();

    // 8. The element is numbered from the examination count, as the element windows always showed it.
    elements.append();
    elements.setValue(QStringLiteral("Name_elem"), QStringLiteral(" "));
    elements.setValue(QStringLiteral("Nom_elem"), exams.recordCount() + 1);
    setBooleansFalse(elements);
    if (!elements.post()) {
        wait(false);
        return false;
    }

    // 9.
    dialogs.beep();
    wait(false);
    return true;
}

bool OsmotrOps::newExaminationCopy()
{
    Dialogs &dialogs = Dialogs::instance();
    Table &exams = *m_dm2.osmotr1;
    Table &elements = *m_dm2.osmotr_elem;
    const int firstExamField = exams.fieldIndex(kFirstCopiedExamField);
    const int firstElementField = elements.fieldIndex(kFirstCopiedElementField);

    // 1.
    dialogs.beep();
    wait(true);

    const db::Transaction transaction(m_dm1.database());
    // 2. The elements of the examination current in the list, which need not be the latest one.
    std::vector<std::vector<QVariant>> keptElements;
    elements.first();
    while (!elements.eof()) {
        keptElements.push_back(keepValues(elements, firstElementField));
        elements.next();
    }

    // 3. With no examination in the list the kept values are blanks.
    const std::vector<QVariant> keptExam = keepValues(exams, firstExamField);

    // 4.
    const int examCount = exams.recordCount();
    exams.append();
    exams.setValue(QStringLiteral("Date"), clock::today());
    exams.setValue(QStringLiteral("Nom_osm"), examCount + 1);
    if (!exams.post()) {
        wait(false);
        return false;
    }
    exams.last();

    // 5.
    const qint64 newId = exams.asInteger(QStringLiteral("ID"));
    for (const std::vector<QVariant> &kept : keptElements) {
        elements.append();
        elements.setValue(QStringLiteral("ID_elem"), newId);
        elements.setValue(QStringLiteral("Nom_elem"), exams.recordCount() + 1);
        writeValues(elements, firstElementField, kept);
        if (!elements.post()) {
            wait(false);
            return false;
        }
    }

    // 6. PASI is scored anew, the PUVA link text belongs to the old examination only, and an
    // exacerbation is recorded afresh.
    exams.edit();
    writeValues(exams, firstExamField, keptExam);
    for (const QString &name : pasiScoreFields())
        exams.setValue(name, QVariant());
    exams.setValue(QStringLiteral("PUVA"), QString());
    resetExacerbation(exams);
    if (!exams.post()) {
        wait(false);
        return false;
    }

    // 7.
    dialogs.beep();
    wait(false);
    return true;
}

bool OsmotrOps::deleteExamination()
{
    Dialogs &dialogs = Dialogs::instance();
    Table &exams = *m_dm2.osmotr1;
    const db::Transaction transaction(m_dm1.database());

    // 1.-3. The photo files stay in the photo folder; only their rows go.
    if (!exams.isEmpty() && dialogs.ask(kDeleteQuestion, kCaption, Dialogs::Kind::Confirmation)) {
        dialogs.beep();
        wait(true);
        if (!deleteAll(*m_dm2.osmotr_elem) || !deleteAll(*m_dm2.osmotr_img) || !exams.deleteRecord()) {
            wait(false);
            return false;
        }
    }

    // 4. Also after a No.
    dialogs.beep();
    wait(true);
    if (!renumber()) {
        wait(false);
        return false;
    }
    dialogs.beep();
    wait(false);
    return true;
}

bool OsmotrOps::renumber()
{
    Table &exams = *m_dm2.osmotr1;
    const int count = exams.recordCount();
    exams.first();
    for (int k = 1; k <= count; ++k) {
        if (!exams.modified())
            exams.edit();
        exams.setValue(QStringLiteral("Nom_osm"), k);
        if (!exams.post())
            return false;
        exams.next();
    }
    return true;
}

void OsmotrOps::pickDate(const QDate &date)
{
    Table &exams = *m_dm2.osmotr1;
    exams.edit();
    exams.setValue(QStringLiteral("Date"), date);
}

bool OsmotrOps::pickDinamika(const QString &text)
{
    Table &exams = *m_dm2.osmotr1;
    exams.edit();
    exams.setValue(QStringLiteral("Dinamika"), text);
    return exams.post();
}

bool OsmotrOps::apply()
{
    Table &exams = *m_dm2.osmotr1;
    return !exams.modified() || exams.post();
}

void OsmotrOps::discard()
{
    Table &exams = *m_dm2.osmotr1;
    if (exams.modified())
        exams.cancel();
}

void OsmotrOps::showAll()
{
    const bool archiveWasOn = m_settings.examArchive;
    m_settings.examArchive = false;
    m_settings.examArchiveSuspended = false;
    m_settings.notifyChanged();
    if (archiveWasOn)
        m_dm2.osmotr1->setFilter(QString());
}

} // namespace pelorin::examination
