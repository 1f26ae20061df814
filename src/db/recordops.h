#pragma once

#include <QDate>
#include <QString>

namespace pelorin::db {

class Table;

// "Применить" of an editing window: what the controls still hold is written to the record, a
// changed record is posted and an edit that changed nothing is dropped. False when the post failed.
bool applyPending(Table &table);

// A date picked in a calendar beside a record: stored at once in `field`; unsaved changes of the
// record go with it. False when there is no record or the post failed.
bool storePickedDate(Table &table, const QString &field, const QDate &date);

} // namespace pelorin::db
