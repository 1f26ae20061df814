#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// "pelorin-cli backup" and "pelorin-cli restore": a checked copy of the database by hand, also while
// the program runs, and putting such a copy back in place of the database while it does not.
namespace pelorin::cli {

// The usage lines of each command, for its own refusals and together for the tool's help.
QString backupUsage();
QString restoreUsage();

// The words after "backup": --data DIR --to FILE. 0 when the copy was written and passed its check,
// 1 when the database or the copy refused, 2 when the arguments did; FILE is never replaced.
int runBackup(const QStringList &words, QTextStream &out, QTextStream &err);

// The words after "restore": --data DIR --from FILE. 0 when FILE is the database now, 2 when the
// arguments refused, 1 when the program has the folder open, FILE is the database itself or not a
// sound database of the program.
int runRestore(const QStringList &words, QTextStream &out, QTextStream &err);

} // namespace pelorin::cli
