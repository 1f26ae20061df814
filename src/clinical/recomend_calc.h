#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

namespace pelorin::db {
class Table;
}

// Calculated field of the recommendations table recomend: the recommendations as one Russian text.
namespace pelorin::clinical {

// Read-only view of one recommendations record. A blank field reads as empty text or false.
struct RecomendRecord
{
    std::function<QVariant(const QString &)> value; // invalid QVariant for a blank or unknown field

    bool b(const QString &name) const;
    QString s(const QString &name) const;

    // A record given as field name -> value (names as the table spells them); missing fields are blank.
    static RecomendRecord fromHash(QHash<QString, QVariant> values);
    // The record the table is reading: its current row, or the row being calculated.
    static RecomendRecord fromTable(const db::Table &table);
};

namespace recomend_width {
inline constexpr int List = 1000;
} // namespace recomend_width

// The phrases of the ticked recommendations, or the standard ones, then the drugs and the remarks.
QString recomendList(const RecomendRecord &r);

// Registers the calculation of List on the recommendations table.
void installRecomendCalc(db::Table &recomend);

} // namespace pelorin::clinical
