#include "recordview.h"

#include "fieldvalue.h"
#include "table.h"

namespace pelorin::db {

bool RecordView::b(const QString &name) const
{
    return valueAsBoolean(value(name));
}

QString RecordView::s(const QString &name) const
{
    return valueAsString(FieldType::String, value(name));
}

qint64 RecordView::i(const QString &name) const
{
    return valueAsInteger(value(name));
}

double RecordView::f(const QString &name) const
{
    return valueAsFloat(value(name));
}

QDate RecordView::d(const QString &name) const
{
    return valueAsDate(value(name));
}

RecordView RecordView::fromHash(QHash<QString, QVariant> values)
{
    return RecordView{[values = std::move(values)](const QString &name) { return values.value(name); }};
}

RecordView RecordView::fromTable(const Table &table)
{
    return RecordView{[&table](const QString &name) { return table.value(name); }};
}

} // namespace pelorin::db
