#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace pelorin::db {
class DM1;
class DM2;
} // namespace pelorin::db

// The operations of the anamnesis that do more than edit a field: the onset calculator "Рассчитать" and the
// transfer of the complaints into the patient's first examination. They walk the tables of the data modules
// and ask and tell through Dialogs, so that windows only call them.
namespace pelorin::anamnesis {

// ---- the pick lists of the anamnesis, in the order they offer their items

// Age at the first manifestations (DBComboBox5).
QStringList onsetAgeItems();
// Unit of "the disease began this many ... ago" (DBComboBox22): days, months, years.
QStringList onsetUnitItems();
// Unit of the remission and of the last exacerbation: weeks, months, years.
QStringList spanUnitItems();
// Result of a treatment.
QStringList treatmentResultItems();
// "1" .. "to" as text.
QStringList numberItems(int from, int to);

// ---- onset calculator

// What the calculator works out: the onset date and the plain differences of its year, month and day from the
// birth date (nothing carried between them, so months and days may be negative).
struct Onset
{
    QDate date;
    qint64 years = 0;
    qint64 months = 0;
    qint64 days = 0;
};

// The onset date: today minus count days, count x 30.5 days (rounded, halves to even) or count x 365 days by
// the unit text; a unit that is none of the three items leaves it today.
Onset computeOnset(const QDate &today, const QDate &born, qint64 count, const QString &unit);
// The age item for an onset at `years` of age; nullopt for a negative age or one of 100000 years and more.
std::optional<QString> onsetAgeItem(qint64 years);
// The message that reports the calculation.
QString onsetMessage(const Onset &onset);

inline const QString kOnsetPeriodError = QStringLiteral("Неправильно  указан период начала заболевания");

// "Рассчитать": posts pending changes of anamnez_zab, then, when the birth date, the count and its unit are all
// given, writes the age item into anamnez_zab.Zalobi, posts it and shows the calculation.
void calculateOnset(db::DM1 &dm1);

// ---- complaints into the first examination

// "Применить" of the complaints window: asks whether to carry the complaints into the first examination when
// the patient has none (the answer changes nothing), calls closeWindow, posts the complaints, then copies them
// into the first examination (creating it when there is none).
void applyComplaints(db::DM1 &dm1, db::DM2 &dm2, const std::function<void()> &closeWindow);

// The copy itself: the patient's first examination becomes number 1 dated with the registration date and takes
// the complaints; afterwards the examination that was current is current again. False when there is no patient
// or the examination could not be posted.
bool transferComplaints(db::DM1 &dm1, db::DM2 &dm2);

} // namespace pelorin::anamnesis
