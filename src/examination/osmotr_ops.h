#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

namespace pelorin::db {
class ChangeLog;
class DM1;
class DM2;
class Protection;
class RunSettings;
class Table;
} // namespace pelorin::db

namespace pelorin::examination {

// Texts of the pick list of the course of the disease (ComboBox11), in their order. The list is
// the same for every patient; the chosen text is stored in osmotr1.Dinamika.
QStringList dinamikaItems();

// The examination record operations of the examination panel: creating, copying, deleting,
// dating and storing examinations, and the write hooks of osmotr1 that every store passes.
class OsmotrOps
{
public:
    OsmotrOps(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, db::ChangeLog &log, db::Protection &protection);

    // Sets osmotr1's beforePost (remember the record number, then the protection rule) and
    // afterPost (back to the remembered record number). Replaces the handler Protection::install
    // put there, so it is called after it.
    void install();

    // The wait window: called with true to show it and false to hide it. Unset, nothing is shown.
    std::function<void(bool)> showWait;

    // "Новый осмотр": a dated examination with every Boolean false and one placeholder element.
    // False when a post failed; the engine has shown its message and the operation stops there.
    bool newExamination();
    // "Новый осмотр (копия прошлого)": a new examination carrying the current one's findings and
    // lesion elements, without PASI scores, PUVA link text, exacerbation data and photos.
    bool newExaminationCopy();
    // "Удалить осмотр.": after the question, the current examination with its elements and photo
    // rows; then, also after a No, the visible examinations are numbered 1..n again.
    bool deleteExamination();
    // Numbers the examinations of the view 1..n in their order, each stored on its own.
    bool renumber();

    // The date picker: the current examination goes into edit state with the picked date; the
    // next store keeps it, "No" drops it.
    void pickDate(const QDate &date);
    // The course of the disease picked in ComboBox11, stored at once.
    bool pickDinamika(const QString &text);
    // "Yes": stores the examination when it has unsaved changes.
    bool apply();
    // "No": drops the unsaved changes of the examination.
    void discard();
    // "Show all": both examination archive switches off; the archive filter goes with the first.
    void showAll();

    // The record number remembered by the last store, for the return after it.
    int rememberedRecNo() const { return m_rememberedRecNo; }

private:
    void wait(bool visible);

    db::DM1 &m_dm1;
    db::DM2 &m_dm2;
    db::RunSettings &m_settings;
    db::ChangeLog &m_log;
    db::Protection &m_protection;
    int m_rememberedRecNo = 0;
};

} // namespace pelorin::examination
