#pragma once

// The demo clinic the benchmarks share: 10,000 generated patients in $PELORIN_BENCH_DATA
// (default: bench-data beside the benchmark programs), generated once and reused.
#include "database.h"
#include "demo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace pelorin::bench {

inline constexpr int kPatients = 10000;

inline QString benchFolder()
{
    const QString env = qEnvironmentVariable("PELORIN_BENCH_DATA");
    return env.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("bench-data"))
                         : env;
}

// A demo clinic of `patients` in `folder`, generated on first use and kept for later runs.
inline bool ensureDemoIn(const QString &folder, int patients)
{
    if (QFile::exists(QDir(folder).absoluteFilePath(db::Database::fileName())))
        return true;
    db::Database database;
    QString error;
    if (!database.open(folder, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    cli::DemoOptions options;
    options.patients = patients;
    options.seed = 42;
    options.today = QDate(2026, 12, 10);
    const cli::DemoResult result = cli::generateDemo(database.sql(), options);
    if (!result.ok)
        std::fprintf(stderr, "%s\n", qPrintable(result.error));
    return result.ok;
}

inline bool ensureDemo()
{
    return ensureDemoIn(benchFolder(), kPatients);
}

// The clinic of 100,000 patients of the scale benchmarks.
inline constexpr int kLargeClinic = 100000;

inline QString largeFolder()
{
    const QString env = qEnvironmentVariable("PELORIN_BENCH_DATA_100K");
    return env.isEmpty()
               ? QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("bench-data-100k"))
               : env;
}

inline bool ensureLargeDemo()
{
    return ensureDemoIn(largeFolder(), kLargeClinic);
}

// Copies the demo file into `folder`, its write-ahead log written in first, for a benchmark that
// changes what it runs on.
inline bool copyDemoTo(const QString &folder)
{
    {
        db::Database source;
        QString error;
        if (!source.open(benchFolder(), &error) || !source.flush(&error))
            return false;
    }
    return QFile::copy(QDir(benchFolder()).absoluteFilePath(db::Database::fileName()),
                       QDir(folder).absoluteFilePath(db::Database::fileName()));
}

} // namespace pelorin::bench
