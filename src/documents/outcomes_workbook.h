#pragma once

#include <QDate>
#include <QString>

namespace pelorin::treatment {
struct TreatmentOutcomes;
}

// The treatment outcomes as a spreadsheet: the yearly summary on the first sheet, the courses on the
// second, filled into the shipped form itogi.xlsx. The window and pelorin-cli outcomes write it alike.
namespace pelorin::documents {

// sourses/reports/itogi.xlsx of the program folder.
QString outcomesTemplatePath();

// "за период с 01.01.2025 по 31.12.2025", "с 01.01.2025", "по 31.12.2025", "за всё время".
QString periodText(const QDate &from, const QDate &to);

// Fills a copy of the template and writes it to `path` (through a temporary file, readable by its
// owner and group only; a symbolic link there is refused). False with a Russian message in *error.
bool writeOutcomesWorkbook(const treatment::TreatmentOutcomes &outcomes, const QDate &from, const QDate &to,
                           const QString &templatePath, const QString &path, QString *error = nullptr);

} // namespace pelorin::documents
