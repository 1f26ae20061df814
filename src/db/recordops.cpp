#include "recordops.h"

#include "table.h"

namespace pelorin::db {

bool applyPending(Table &table)
{
    if (!table.isEditing())
        return true;
    // Text still being typed counts as a change.
    table.updateRecord();
    if (table.isEditing() && table.modified())
        return table.post();
    if (table.isEditing())
        table.cancel();
    return true;
}

bool storePickedDate(Table &table, const QString &field, const QDate &date)
{
    if (table.isEmpty())
        return false;
    if (table.state() == TableState::Browse)
        table.edit();
    if (!table.isEditing())
        return false;
    table.setValue(field, date);
    return table.post();
}

} // namespace pelorin::db
