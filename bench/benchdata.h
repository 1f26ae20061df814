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

inline bool ensureDemo()
{
    const QString folder = benchFolder();
    if (QFile::exists(QDir(folder).absoluteFilePath(db::Database::fileName())))
        return true;
    db::Database database;
    QString error;
    if (!database.open(folder, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    cli::DemoOptions options;
    options.patients = kPatients;
    options.seed = 42;
    options.today = QDate(2026, 12, 10);
    const cli::DemoResult result = cli::generateDemo(database.sql(), options);
    if (!result.ok)
        std::fprintf(stderr, "%s\n", qPrintable(result.error));
    return result.ok;
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
