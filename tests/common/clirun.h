#pragma once

// A command of pelorin-cli run inside the test: its exit code and what it wrote to each stream.
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace pelorin::testing {

struct CliRun
{
    int code = -1;
    QString out;
    QString err;
};

using CliCommand = int (*)(const QStringList &words, QTextStream &out, QTextStream &err);

inline CliRun runCli(CliCommand command, const QStringList &words)
{
    CliRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = command(words, out, err);
    out.flush();
    err.flush();
    return r;
}

} // namespace pelorin::testing
