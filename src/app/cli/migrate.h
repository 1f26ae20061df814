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

// Rows written by one statement when the caller does not say (the tests make it small to cross
// its boundaries with a few patients).
inline constexpr int kRowsPerInsert = 5000;

MigrateResult migrateClinic(const QString &folder, const QString &alias, int rowsPerStatement = 0);

QString migrateUsage();
int runMigrate(const QStringList &words, QTextStream &out, QTextStream &err);

} // namespace pelorin::cli
