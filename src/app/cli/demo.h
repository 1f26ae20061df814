#pragma once

#include <QDate>
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>

// Demonstration data: a register of made-up patients with their anamnesis, PUVA courses,
// examinations, diagnoses, blood tests, prescriptions and recommendations, filled in the way
// the program's own operations would have left them. The same seed always gives the same data.
namespace pelorin::cli {

struct DemoOptions
{
    int patients = 60;
    quint32 seed = 1;
    // Without it a register that already holds patients is left alone.
    bool append = false;
    // The day the demonstration lives on; an invalid date means clock::today().
    QDate today;
};

struct DemoResult
{
    bool ok = false;
    // The register already held patients and append was not asked for; nothing was written.
    bool refused = false;
    QString error;
    int patients = 0;
    // Records written per table (database table names), in the order of the data modules.
    QList<QPair<QString, qint64>> records;

    qint64 recordsOf(const QString &table) const;
    qint64 totalRecords() const;
};

// Writes the demonstration in one transaction; on any failure nothing stays written.
DemoResult generateDemo(QSqlDatabase &db, const DemoOptions &options);

// Russian lines describing what was written (or why nothing was).
QStringList describeDemo(const DemoResult &result);

} // namespace pelorin::cli
