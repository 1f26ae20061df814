#pragma once

#include "recordview.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

namespace pelorin::db {
class Table;
}

// Calculated fields of the PUVA procedure table lech_puva: the UVA doses and their texts, the
// photosensitiser doses for the patient's weight and the note of extra units and side effects.
// Each is a pure function of one procedure record (the weight comes from the register).
namespace pelorin::treatment {

using PuvaRecord = db::RecordView;

// Widths of the calculated text fields; the text functions return their text already cut to them.
namespace width {
inline constexpr int Doza_unit_txt = 10; // Doza1_txt, Doza2_txt, Doza3_txt
inline constexpr int Doza_text = 50;
inline constexpr int Oslozn = 250;
inline constexpr int Osmotr1 = 10;
} // namespace width

// Dose on one unit (1..3) = Power × Time, hundredths of a joule; a blank power or time counts as 0.
qint64 unitDose(const PuvaRecord &r, int unit);
// Dose of the procedure: the sum of the three units.
qint64 procedureDose(const PuvaRecord &r);
// Unit dose as "2,50".
QString unitDoseText(const PuvaRecord &r, int unit);
// Procedure dose as "2,50".
QString procedureDoseText(const PuvaRecord &r);

// Photosensitiser doses for a weight in kg: the weight rounded half to even, then × 1.2 for
// "Аммифурин" and × 0.6 for "Оксорален", rounded the same way.
qint64 psens1Mg(double weight);
qint64 psens2Mg(double weight);

// Note: units 2 and 3 with their doses, the side effects, interruption and the free text.
QString oslozn(const PuvaRecord &r);
// "+" when the procedure is linked to an examination.
QString osmotr1(const PuvaRecord &r);

// Registers the calculation of all the fields above on the procedure table; the weight is read
// from its master, the register (0 without one).
void installPuvaCalc(db::Table &lech_puva);

} // namespace pelorin::treatment
