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

QStringList extraTablesSql(int version)
{
    if (version != 2)
        return {};
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS clinic_settings (Name TEXT PRIMARY KEY NOT NULL, Value TEXT)"),
        // Rows are only ever appended, so their IDs run without a gap. Neither an index nor
        // AUTOINCREMENT: every post writes a row here, and each would add a page to its commit.
        QStringLiteral("CREATE TABLE IF NOT EXISTS audit_log (ID INTEGER PRIMARY KEY, "
                       "Stamp TEXT NOT NULL, ID_man INTEGER, Tabl TEXT, Text TEXT NOT NULL, "
                       "Hash TEXT NOT NULL)"),
    };
}

} // namespace pelorin::db
