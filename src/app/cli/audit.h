#pragma once

#include <QStringList>

class QTextStream;

// "pelorin-cli audit": prints the permanent journal of changes kept in the database, for every patient
// or one, for a range of days, and checks its hash chain over all of it.
namespace pelorin::cli {

QString auditUsage();

// 0 when the journal's chain is whole; 1 when it is broken, or the arguments or the file refused.
int runAudit(const QStringList &words, QTextStream &out, QTextStream &err);

} // namespace pelorin::cli
