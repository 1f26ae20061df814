#pragma once

#include "recordview.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

namespace pelorin::db {
class Table;
}

// Calculated field of the recommendations table recomend: the recommendations as one Russian text.
namespace pelorin::clinical {

using RecomendRecord = db::RecordView;

namespace recomend_width {
inline constexpr int List = 1000;
} // namespace recomend_width

// The phrases of the ticked recommendations, or the standard ones, then the drugs and the remarks.
QString recomendList(const RecomendRecord &r);

// Registers the calculation of List on the recommendations table.
void installRecomendCalc(db::Table &recomend);

} // namespace pelorin::clinical
