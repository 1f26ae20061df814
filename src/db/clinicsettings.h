#pragma once

#include <QString>
#include <QVariant>

namespace pelorin::db {

class Database;

// Settings a clinic sets once and keeps from run to run, unlike the run settings: they live in the
// database file (table clinic_settings, name → text), so every copy of the program working on that
// file sees the same values. A file without the table (read-only, older layout) gives the fallbacks.
class ClinicSettings
{
public:
    static QVariant value(Database &database, const QString &name, const QVariant &fallback = {});
    // False with a Russian message in *error when the file refused the write.
    static bool setValue(Database &database, const QString &name, const QVariant &value, QString *error = nullptr);
};

} // namespace pelorin::db
