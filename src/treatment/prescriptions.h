#pragma once

#include <QDate>
#include <QString>

namespace pelorin::db {
class DM2;
class RunSettings;
class Table;
} // namespace pelorin::db

namespace pelorin::treatment {

// The prefix of a local (external) treatment's drug text.
inline constexpr char16_t kLocalPrefix[] = u"Наружно: ";

// Prescribes a drug to the current patient from the drug window: posts a prescription with
// unsaved changes, reuses the empty placeholder record when it is the patient's only one
// (otherwise inserts a new record), fills the date and, when a node has been clicked, the drug
// ("Наружно: " + drug for local treatment) and the way of use, posts it through the protection
// rule, then re-sorts the patient's prescriptions (window variant) with the protection questions
// suspended. False when a post was refused; nothing is re-sorted then.
bool prescribe(db::DM2 &dm2, db::RunSettings &settings, const QDate &date, const QString &drugText,
               const QString &dosageText, bool localTreatment, bool nodeClicked);

// Rewrites the current patient's prescriptions in date order, local treatment after the internal
// drugs of the same day. The drug text is kept whole and the comment is carried over. The new
// records are appended before the old ones are deleted, so a failed post loses nothing. False
// when a post failed; the list is then as before.
bool resortWindow(db::Table &lech_lekar);

// The system panel's re-sort: a beep, the patient's prescriptions rewritten by date (records of
// the same date swap places at every run), a beep. Each appended record logs its protection check,
// but the questions are suspended for the rewrite: a No there would have dropped a prescription
// that had already been taken off the list.
bool resortPanel(db::Table &lech_lekar, db::RunSettings &settings);

// "Удалить текущее.": asks, on Yes deletes the current prescription when there is one; then, when
// the patient has no prescription left (whatever the answer), posts one empty placeholder record.
// True when the answer was Yes.
bool deletePrescription(db::Table &lech_lekar);

} // namespace pelorin::treatment
