#pragma once

#include "patient_report.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace pelorin::office {
class Workbook;
}

// "Подготовить данные к печати." as a whole: the composition of patient_report.h put into the text
// area, the ambulatory card written from karta1.xlsx and the discharge summary from vipiska.docx,
// each then handed to the document viewer. The window and `pelorin-cli report` both run this; they
// differ only in their text area, their dialogs and their viewer.
namespace pelorin::documents {

// The documents text area as the operation sees it: entries of one or more paragraphs, each added whole.
class ReportTextArea
{
public:
    virtual ~ReportTextArea() = default;
    virtual void clear() = 0;
    virtual void add(const QString &entry) = 0;
    // The whole text as the word processor receives it: every entry followed by one line feed, the
    // way a rich-text box hands out its lines.
    virtual QString plainText() const = 0;
};

// A text area without a window: the command line's, and the tests'.
class PlainTextArea : public ReportTextArea
{
public:
    QStringList entries;

    void clear() override { entries.clear(); }
    void add(const QString &entry) override { entries << entry; }
    QString plainText() const override;
};

struct ReportFilesOptions
{
    // Where the filled card and the discharge summary go; empty: the program's reports/ for the
    // card, sourses/reports/ beside their template for the summaries.
    QString cardFolder;
    QString summaryFolder;
    // The number of a new discharge summary, 0 to 999 999; empty: a fresh random number per draw.
    std::function<int()> drawNumber;
    // Shows (true) and hides (false) the wait window; hidden before any message.
    std::function<void(bool)> wait;
    // Stamps the card's file name; invalid: the program's clock.
    QDateTime now;
};

struct ReportFilesResult
{
    bool ok = false;
    QString message;     // what the user was told when the run stopped
    QString cardPath;    // the written card, empty when none
    QString summaryPath; // the written discharge summary, empty when none
};

// Writes composed cells into a card. On the sheets that list their rows (`flowing`: diagnoses,
// diary, procedures), a text too long for one row goes on in the rows below it, and every later row
// of that sheet moves down as far, so that no character is cut off on paper; the other sheets are
// forms, whose cells are written where they stand. Returns the last row written per sheet.
std::map<int, int> writeCardCells(office::Workbook &book, const std::vector<CellWrite> &cells,
                                  const std::set<int> &flowing);

QString cardTemplatePath();    // sourses/reports/karta1.xlsx
QString summaryTemplatePath(); // sourses/reports/vipiska.docx
QString letterheadPath();      // sourses/docs_had.txt
inline const QString kSummaryPlaceholder = QStringLiteral("Текст");
// Where the discharge summary takes the clinic's letterhead of docs_had.txt, one paragraph a line.
inline const QString kLetterheadPlaceholder = QStringLiteral("Шапка");

// Runs the operation over the current patient of dm1. Messages go through Dialogs, written files to
// office::DocumentViewer. Nothing stored is changed; the tables' cursors stay where the composition
// left them.
ReportFilesResult prepareReport(db::DM1 &dm1, db::DM2 &dm2, const ReportInput &input, ReportTextArea &textArea,
                                const ReportFilesOptions &options = {});

// A name vipiska_<n>.docx in the folder that no file has yet, created empty so that nobody else takes
// it; empty with *error set when none could be had.
QString reserveSummaryFile(const QString &folder, const std::function<int()> &drawNumber, QString *error);

} // namespace pelorin::documents
