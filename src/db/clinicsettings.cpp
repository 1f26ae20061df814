#include "clinicsettings.h"

#include "database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace pelorin::db {

QVariant ClinicSettings::value(Database &database, const QString &name, const QVariant &fallback)
{
    if (!database.isOpen())
        return fallback;
    QSqlQuery q(database.sql());
    q.prepare(QStringLiteral("SELECT Value FROM clinic_settings WHERE Name = ?"));
    q.addBindValue(name);
    if (!q.exec() || !q.next() || q.value(0).isNull())
        return fallback;
    return q.value(0);
}

bool ClinicSettings::setValue(Database &database, const QString &name, const QVariant &value, QString *error)
{
    QSqlQuery q(database.sql());
    q.prepare(QStringLiteral("INSERT INTO clinic_settings (Name, Value) VALUES (?, ?) "
                             "ON CONFLICT(Name) DO UPDATE SET Value = excluded.Value"));
    q.addBindValue(name);
    q.addBindValue(value.toString());
    if (q.exec())
        return true;
    if (error)
        *error = QStringLiteral("Не удалось сохранить настройку «%1»: %2.").arg(name, describeEngineError(q.lastError().text()));
    return false;
}

} // namespace pelorin::db
