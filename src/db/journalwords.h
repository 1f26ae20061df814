#pragma once

#include "auditlog.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

namespace pelorin::db {

// The journal's rows told as a doctor tells them: the patient by his card number and surname
// ("карта 1074, Тихонов"), the record by what it is ("осмотр", "процедура ПУВА"), never by keys
// and table names. The log window and pelorin-cli audit speak alike through it.
class JournalWords
{
public:
    explicit JournalWords(const QSqlDatabase &sql) : m_sql(sql) {}

    // "карта 1074, Тихонов"; "пациент не указан" for none; a patient removed since is said so.
    QString patient(const QVariant &id);
    // "осмотр" for osmotr_1 and so on; an unknown table by its own name, none as empty text.
    static QString record(const QString &table);
    // The patient, the record and (on a server) the seat, joined by "; ".
    QString place(const AuditEntry &entry);

private:
    QSqlDatabase m_sql;
    QHash<qint64, QString> m_names; // a journal speaks of few patients many times
};

} // namespace pelorin::db
