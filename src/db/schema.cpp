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
        // Rows are only ever appended; ID is never reused, so a gap or a smaller last ID than the
        // sequence remembers shows a removed row even where the hash chain was rewritten after it.
        QStringLiteral("CREATE TABLE IF NOT EXISTS audit_log (ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "Stamp TEXT NOT NULL, ID_man INTEGER, Tabl TEXT, Text TEXT NOT NULL, "
                       "Hash TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS audit_log_ID_man ON audit_log (ID_man)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS audit_log_Stamp ON audit_log (Stamp)"),
    };
}

} // namespace pelorin::db
