#pragma once

#include <QStringList>

class QTextStream;

// "pelorin-cli outcomes": the treatment outcomes of the clinic's PUVA courses. The yearly summary
// goes to standard output as a text table; the course table, when asked, to a CSV file and, with the
// summary, to a spreadsheet filled from the program's form.
namespace pelorin::cli {

QString outcomesUsage();

// 0 when the figures were printed and every file asked for written; 2 when the arguments, the
// database or a file refused.
int runOutcomes(const QStringList &words, QTextStream &out, QTextStream &err);

} // namespace pelorin::cli
