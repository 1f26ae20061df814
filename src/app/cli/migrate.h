#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QTextStream;

// "pelorin-cli migrate": moves a clinic from the file of its data folder to an empty database on a
// PostgreSQL server, in one transaction, and checks that every table arrived whole.
namespace pelorin::cli {

struct MigrateResult
{
    bool ok = false;
    QString error;                          // Russian, when not ok: nothing was written to the server
    QList<QPair<QString, qint64>> counts;   // table → rows moved, in the order of the tables
};

MigrateResult migrateClinic(const QString &folder, const QString &alias);

QString migrateUsage();
int runMigrate(const QStringList &words, QTextStream &out, QTextStream &err);

} // namespace pelorin::cli
