#pragma once

// Shared pieces of the calculated-field tests: a record is a hash of field name -> value (missing
// fields are blank), and most tables have one record column and one expected-text column.
#include <QHash>
#include <QString>
#include <QVariant>
#include <QtTest>

using Record = QHash<QString, QVariant>;
Q_DECLARE_METATYPE(Record)

namespace pelorin::testing {

inline void addTextColumns()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<QString>("expected");
}

} // namespace pelorin::testing
