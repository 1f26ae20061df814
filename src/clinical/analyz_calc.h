#pragma once

#include "recordview.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

namespace pelorin::db {
class Table;
}

// Calculated fields of the blood test table analyz: the Russian summary of one test record in its
// blood, stool and other-methods parts, and the whole of it.
namespace pelorin::clinical {

using AnalyzRecord = db::RecordView;

namespace analyz_width {
inline constexpr int List1 = 500;
inline constexpr int List2 = 500;
inline constexpr int List3 = 500;
inline constexpr int List = 1000;
} // namespace analyz_width

// The three parts uncut: the whole summary is built from them before any is cut to its field.
QString bloodPart(const AnalyzRecord &r);
QString stoolPart(const AnalyzRecord &r);
QString otherPart(const AnalyzRecord &r);

// Clinical, biochemical, IgE, allergen-specific IgE, helminth antibodies, cellular immunity, interleukins.
QString analyzList1(const AnalyzRecord &r);
// Stool tests.
QString analyzList2(const AnalyzRecord &r);
// Abdominal ultrasound and specialists' consultations.
QString analyzList3(const AnalyzRecord &r);
// Blood, stool and other parts one after the other.
QString analyzList(const AnalyzRecord &r);

// Registers the calculation of List1, List2, List3 and List on the blood test table.
void installAnalyzCalc(db::Table &analyz);

} // namespace pelorin::clinical
