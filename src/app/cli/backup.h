#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// "pelorin-cli backup" and "pelorin-cli restore": a checked copy of the database by hand, also while
// the program runs, and putting such a copy back in place of the database while it does not.
namespace pelorin::cli {

// The usage lines of both commands, for the tool's help.
QString backupUsage();

// The words after "backup": --data DIR --to FILE. 0 when the copy was written and passed its check,
// 1 when the arguments, the database or the copy refused; FILE is never replaced.
int runBackup(const QStringList &words, QTextStream &out, QTextStream &err);

// The words after "restore": --data DIR --from FILE. 0 when FILE is the database now, 1 when the
// arguments refused, the program has the folder open, or FILE is not a sound database of the program.
int runRestore(const QStringList &words, QTextStream &out, QTextStream &err);

} // namespace pelorin::cli
