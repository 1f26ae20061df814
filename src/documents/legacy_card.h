#pragma once

#include "patient_report.h"
#include "report_files.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace pelorin::db {
class DM1;
class DM2;
} // namespace pelorin::db

// "Старый отчет.": the older ambulatory card karta.xls. It walks the patient's history examination by
// examination, writes the card as prose into the text area and the same rows onto the card's third
// sheet, and keeps a copy of the filled card in the program's reports/ folder.
namespace pelorin::documents {

struct LegacyCardInput
{
    ReportMode mode = ReportMode::FullCard;
    int course = 1;       // SpinEdit1, for "Печать карты с курсом ПУВА №"
    int hiddenCourse = 1; // SpinEdit2, for "Все события между датами"
    QDate today;          // invalid: the program's clock
    QString letterhead;   // the text of sourses\docs_had.txt
    std::optional<qint64> examinationId; // "Отдельный осмотр": osmotr1.ID; without it the current record
};

struct LegacyCardResult
{
    bool card = false;     // karta.xlsx is filled and copied
    QString courseMessage; // told before the run goes on with course 1
    int course = 1;        // the course the two course modes report
    QString letterhead;    // the text area's first entry, "Полная амбулаторная карта" only
    QString text;          // the card as prose, one entry; empty: the text area is only cleared
    std::vector<CellWrite> cells;
    std::vector<SheetHeaders> headers;
};

inline constexpr int kLegacyCardSheet = 3;

QString invalidCourseMessage();
// The name after "Руководитель клиники:" on a line of the letterhead file; empty when no line says so.
QString headOfClinic(const QString &letterheadText);
// The signature block that closes the prose.
QString legacySignatureBlock(const QString &vrach, const QString &head, const QDate &today);

// The whole composition over the current patient. Moves the tables' cursors as the walks go; in the
// single-examination modes osmotr1 is set back on the chosen examination.
LegacyCardResult composeLegacyCard(db::DM1 &dm1, db::DM2 &dm2, const LegacyCardInput &input);

QString legacyCardTemplatePath(); // sourses/reports/karta.xlsx
QString legacyCardCopyPath();     // reports/karta.xlsx

// The operation behind Button38: the wait window and the beeps, the messages, the text area, the copy
// reports/karta.xlsx (the template is only read) opened with the document viewer. Of the options only
// `wait` and `cardFolder` are read.
ReportFilesResult prepareLegacyCard(db::DM1 &dm1, db::DM2 &dm2, const LegacyCardInput &input,
                                    ReportTextArea &textArea, const ReportFilesOptions &options = {});

} // namespace pelorin::documents
