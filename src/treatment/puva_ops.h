#pragma once

#include <QDate>
#include <QtGlobal>
#include <optional>

namespace pelorin::db {
class RunSettings;
class Table;
} // namespace pelorin::db

// Data operations on the PUVA procedures of the current patient (table lech_puva, a detail of the
// register): creating a procedure, starting a course, deleting a procedure, and bringing the
// register's total dose, last procedure date and last procedure number up to date. They work on
// the procedures listed at the moment, in creation order, within whatever filter is set.
namespace pelorin::treatment {

// The settings a new procedure takes over from an earlier one.
inline constexpr const char *kCarriedFields[] = {"Type_kurs", "Type_prep", "Tabl",  "Type1", "Power1", "Time1",
                                                 "Type2",     "Power2",    "Time2", "Type3", "Power3", "Time3"};

// "Добавить новую процедуру.": posts pending changes of the current procedure, then appends and
// posts a procedure with the settings and course of the last listed one, Nom_proc = its Nom_proc + 1
// and Date = today; with no procedure listed: Nom_proc 1, course 0, empty settings. False when the
// pending changes or the new record could not be posted.
bool addProcedure(db::Table &lech_puva);

// "Начать новый курс." (after the question was answered Yes): appends and posts a procedure with
// the settings of the first listed procedure, Nom_proc = 1, Id_kurs = course of the last listed one
// + 1 and Date = today; with no procedure listed: course 1, empty settings.
bool startCourse(db::Table &lech_puva);

// Deletes the current procedure (an unposted new one is dropped); false when there is none.
bool deleteProcedure(db::Table &lech_puva);

// What the listed procedures give the register.
struct ProcedureTotals
{
    qint64 dose = 0;      // sum of the calculated Doza, hundredths of a joule
    int count = 0;        // procedures listed
    QDate lastDate;       // Date of the last listed procedure; invalid when blank or none
    qint64 lastNumber = 0; // Nom_proc of the last listed procedure; 0 when none
};

// Walks the listed procedures (after posting pending changes) and returns to the former record.
// nullopt when pending changes could not be posted. The calculated fields (installPuvaCalc) have
// to be installed for the dose.
std::optional<ProcedureTotals> procedureTotals(db::Table &lech_puva);

// How the register record is posted.
enum class ProtectionMode {
    Checked,  // the protection rule runs as for any post (maintenance run over all patients)
    Suspended // the rule's "временное выключение" flag is set while the register is posted
};

// The total dose: the register's Doza takes the sum over all of the patient's procedures (the
// filter is lifted for the sum and set again afterwards) and the register is posted, as when a
// course view is chosen.
bool updateTotalDose(db::Table &reg, db::Table &lech_puva, db::RunSettings &settings,
                     ProtectionMode mode = ProtectionMode::Suspended);

// The total dose of the listed procedures into Doza, with Dat_posl = Date and Puv_posl = Nom_proc of
// the last listed procedure, and the register posted, as when the editor closes or in the maintenance
// run. With no procedure listed Doza and Puv_posl become 0 and Dat_posl blank.
bool updateDoseDateNumber(db::Table &reg, db::Table &lech_puva, db::RunSettings &settings,
                          ProtectionMode mode = ProtectionMode::Suspended);

} // namespace pelorin::treatment
