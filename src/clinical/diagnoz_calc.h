#pragma once

#include "recordview.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

namespace pelorin::db {
class Table;
}

// Calculated fields of the diagnosis table diagnoz: the diagnosis sentence, the short event label
// and the course number the event's place in the patient's list gives.
namespace pelorin::clinical {

using DiagnozRecord = db::RecordView;

namespace diagnoz_width {
inline constexpr int List = 300;
inline constexpr int Text_type = 50;
} // namespace diagnoz_width

// The diagnosis sentence: disease and forms, spread, stage, severity, effect and another disease.
QString diagnozList(const DiagnozRecord &r);
// "Поступил впервые", "Поступил" or "Выписан" for the three statuses, empty for any other Text.
QString diagnozTextType(const DiagnozRecord &r);
// Course number of the event at 1-based place (-1 for an event not stored yet) when the patient's
// first course is bornDay; 0 when bornDay is 0.
qint64 kursCalk(qint64 bornDay, int place);

// Registers List, Text_type and kurs_calk on the diagnosis table. The course number reads Born_Day
// from the master (the register) and the event's place from the rows the table shows.
void installDiagnozCalc(db::Table &diagnoz);

} // namespace pelorin::clinical
