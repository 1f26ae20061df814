#pragma once

#include <QString>
#include <QSet>
#include <QStringList>
#include <span>

namespace pelorin::db {

enum class FieldType { AutoInc, Integer, Short, Float, String, Boolean, Date, Memo };

struct FieldDef
{
    const char *name;
    FieldType type;
    int width; // characters for String, 0 otherwise
    bool calculated;
    // Quantities that cannot be below zero (a weight, a lamp's power, an exposure time, a tablet count)
    // are refused there, with a message naming the field by its caption.
    bool nonNegative = false;
    const char *caption = nullptr; // Russian name of the field in messages; the field name without one
    // The layout version that brought the field. A file of an older layout lacks it until it is first
    // opened for writing; read as it is, it shows the field blank.
    int layout = 1;
};

struct TableDef
{
    const char *sqlName;      // table in the database file: register, osmotr_1, post_vip ...
    const char *objectName;   // table object in its data module: register, osmotr1, post_vipis ...
    const char *keyField;     // AutoInc key, or the one-record-per-patient key; empty for lech_puva
    const char *linkField;    // detail link field, empty for the register
    const char *masterObject; // object name of the master table
    const char *masterField;  // key field of the master the link follows
    const char *linkIndex;    // name of the secondary index on the link field
    int dataModule;           // 1 = DM1, 2 = DM2
    std::span<const FieldDef> fields;

    bool hasAutoIncKey() const;
    // Rows of tables without an AutoInc key are ordered by a hidden key of their own.
    QString rowKeyColumn() const;
};

// The nineteen tables in the order of their data modules.
std::span<const TableDef> allTables();
const TableDef *findTableBySql(const QString &sqlName);
const TableDef *findTableByObject(const QString &objectName);

// Hidden AUTOINCREMENT column of tables whose key is not an AutoInc field.
inline constexpr const char *kHiddenRowKey = "_rowkey";
// Hidden row version of every table on a server: raised by each change, so that a seat posting a
// row another seat changed since it was read is refused instead of overwriting it.
inline constexpr const char *kRowVersion = "_rowver";

// Version of the table layout written into PRAGMA user_version (on a server: the table pelorin_version).
// 1: the nineteen tables. 2: the clinic's kept settings (clinic_settings) and the permanent change
// journal (audit_log) beside them. 3: the journal's rows name their seat (audit_log.Seat).
// A new layout raises the number, brings its own tables and columns in layoutUpgradeSql(), and marks
// every stored field it adds to the nineteen tables with its number (FieldDef::layout).
inline constexpr int kSchemaVersion = 3;

// The upgrade hook of each layout: the statements that bring a file of layout version-1 to `version`,
// for the program's own tables beside the nineteen (clinic_settings: Name TEXT key, Value TEXT;
// audit_log: see auditlog.h) and their columns. The fields a layout adds to the nineteen tables are
// added from their declarations (FieldDef::layout), not here.
// On a PostgreSQL server (`server` set) the keys are identity columns instead.
QStringList layoutUpgradeSql(int version, bool server = false);

// Stored fields of the table missing from a file of the given layout version (`present`: its column
// names in lower case) that an upgrade would bring: read as blank while the file is read as it is.
// A missing field of the file's own layout or an earlier one makes the file unfit: *unfit names it.
QStringList fieldsReadAsBlank(const TableDef &table, const QSet<QString> &present, int version, QString *unfit);

} // namespace pelorin::db
