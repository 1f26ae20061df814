#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

namespace pelorin::db {

class Table;

// Read-only view of one record for the calculated fields, so that each text is a pure function
// that tests can feed from a hash. Reads follow the tables' blank rules: a blank field is empty
// text, 0, false or the zero date.
struct RecordView
{
    std::function<QVariant(const QString &)> value; // invalid QVariant for a blank or unknown field

    bool b(const QString &name) const;
    QString s(const QString &name) const; // text and number fields; a number reads as its digits
    qint64 i(const QString &name) const;
    double f(const QString &name) const;
    QDate d(const QString &name) const; // 30.12.1899 for blank

    // A record given as field name -> value (names as the table spells them); missing fields are blank.
    static RecordView fromHash(QHash<QString, QVariant> values);
    // The record the table is reading: its current row, or the row being calculated.
    static RecordView fromTable(const Table &table);
};

} // namespace pelorin::db
