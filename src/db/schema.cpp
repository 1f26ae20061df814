#include "schema.h"

namespace pelorin::db {

bool TableDef::hasAutoIncKey() const
{
    for (const FieldDef &f : fields) {
        if (f.type == FieldType::AutoInc)
            return true;
    }
    return false;
}

QString TableDef::rowKeyColumn() const
{
    return hasAutoIncKey() ? QString::fromLatin1(keyField) : QString::fromLatin1(kHiddenRowKey);
}

const TableDef *findTableBySql(const QString &sqlName)
{
    for (const TableDef &t : allTables()) {
        if (sqlName == QLatin1String(t.sqlName))
            return &t;
    }
    return nullptr;
}

const TableDef *findTableByObject(const QString &objectName)
{
    for (const TableDef &t : allTables()) {
        if (objectName == QLatin1String(t.objectName))
            return &t;
    }
    return nullptr;
}

} // namespace pelorin::db
