#pragma once

#include <QString>

namespace pelorin::db {
class ChangeLog;
class DM1;
class DM2;
class Protection;
class RunSettings;
class Table;
} // namespace pelorin::db

// The operations on the diagnosis events of the current patient: the table's edit and post rules,
// a new event continuing the chain, deletion, clearing severity and effect, the copy of the latest
// admission and discharge into the register, and the quick first diagnosis.
namespace pelorin::clinical {

inline const QString kFirstAdmission = QStringLiteral("Диагноз при первом поступлении");
inline const QString kAdmission = QStringLiteral("Диагноз при поступлении");
inline const QString kDischarge = QStringLiteral("Диагноз при выписке");
inline const QString kDeleteQuestion = QStringLiteral("Вы уверены что хотите удалить поставленый диагноз?");
inline const QString kRecreatedMessage =
    QStringLiteral("Диагноз удален, и вместо него создан новый (при первом поступлении).");

// The status that follows `last` in the chain; empty for a status outside the chain.
QString nextStatus(const QString &last);

class DiagnozOps
{
public:
    DiagnozOps(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, db::ChangeLog &log, db::Protection &protection);

    // afterEdit: Text1 takes the sentence. beforePost: Kurs takes the course the event's place
    // gives, Text1 the sentence, then the protection rule and the log lines. Replaces the handler
    // the protection installed.
    void install();

    // "Новое событие\диагноз". A new discharge asks whether it is set on the last examination; Yes
    // dates it with that examination and marks the examination as the end of the course.
    bool newEvent();
    // "Удалить событие\диагноз": after the question; a list left empty gets a first-admission event
    // and the message. False when nothing was deleted.
    bool deleteEvent();
    // The "Х" buttons: severity (field 30) and effect (field 40) back to 0 when set.
    bool clearSeverity();
    bool clearEffect();
    // "Применить".
    bool apply();

    // The window closing: unsaved changes dropped, the copy below with the protection's questions
    // off, the list back on its first event.
    void closeWindow();
    // The latest admission and discharge into the register, with the log lines, for the current
    // patient; the register posted if changed. Also the maintenance run over all patients.
    static bool copyToRegister(db::DM1 &dm1, db::DM2 &dm2, db::ChangeLog &log);

    // "Применить" of the quick window: the first event (a new one when there is none) becomes the
    // first admission with the ticked diseases, the other disease when typed, and the
    // registration date.
    bool quickFirst(bool psoriasis, bool atopic, const QString &other);

private:
    bool clearChoice(const QString &field, int highest);

    db::DM1 &m_dm1;
    db::DM2 &m_dm2;
    db::RunSettings &m_settings;
    db::ChangeLog &m_log;
    db::Protection &m_protection;
};

} // namespace pelorin::clinical
