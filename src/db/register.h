#pragma once

#include <QDate>
#include <QString>
#include <functional>

namespace pelorin::db {

class ChangeLog;
class Database;
class DM1;
class DM2;
class RunSettings;
class Table;

// Age category of a patient: the difference of the years of registration and birth, and for a
// patient born in the year of his registration the difference of today's month and the birth month.
// Only years and months count, never whole dates. Blank dates are passed as the zero date.
QString ageCategory(const QDate &born, const QDate &registered, const QDate &today);

// The calculated fields of the register for the record being calculated: Doza_txt, Vozrast_cat,
// List_other, Dat_per_pos, Posl_post, Dat_posl_pos, the status flag, flag_day, flagold, flagoldstr
// and Dat_posl_vip. Today is clock::today(); the archive day count is read from the settings at
// every calculation.
void calculateRegister(Table &reg, const RunSettings &settings);
void installRegisterCalc(Table &reg, const RunSettings &settings);

// The register's own events: moving to another patient lifts the course view of lech_puva.
void installRegisterEvents(DM1 &dm1, DM2 &dm2);

// "Записать в базу": asks, then forces everything posted so far through to the database file.
// False when the user declined or the database refused.
bool flushAll(Database &database);

// "Автоматическая простановка дат первой регистрации и последней выписки": for every patient of
// the list, the registration date from his first diagnosis event and the discharge date from his
// last one when it is a discharge. Stops with a message at the first patient without diagnoses;
// the patients before him keep their new dates. False when it stopped.
bool autoAdmissionDates(DM1 &dm1, DM2 &dm2);

// Creating and deleting a patient with all his records.
class PatientOps
{
public:
    // Neither operation writes a line of its own: the posts of a new patient are logged by the
    // tables' protection handlers, and a deletion is not logged at all.
    PatientOps(DM1 &dm1, DM2 &dm2, RunSettings &settings, ChangeLog &log);

    // Switches protection and archives off, creates the register record and the placeholder
    // records of the anamnesis, examination, element, blood test and drug tables, and leaves the
    // new patient current. showRegistrationCard is called before the register record is created,
    // for the main window to switch to the registration card. False when a post failed (the
    // engine has shown its message); the records posted before it stay.
    bool newPatient(const std::function<void()> &showRegistrationCard = {});

    // Deletes the current patient and every record of his in every table, after the question.
    // Refused when the list shows only him. The examination archive and a course view do not
    // hide anything from the deletion; photo files stay on disk.
    bool deletePatient();

private:
    DM1 &m_dm1;
    DM2 &m_dm2;
    RunSettings &m_settings;
};

} // namespace pelorin::db
