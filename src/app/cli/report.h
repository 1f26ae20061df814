#pragma once

#include "patient_report.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

class QTextStream;

// "pelorin-cli report": "Подготовить данные к печати." for one patient without the windows. The text
// area goes to standard output, the messages to standard error, the card and the discharge summary
// into a folder.
namespace pelorin::cli {

struct ReportArguments
{
    QString dataFolder; // empty: the folder the program itself would open
    QString server;     // --db postgresql://…: the records are on that server instead
    qint64 patient = 0; // register.ID_man
    documents::ReportMode mode = documents::ReportMode::FullCard;
    int course = 1;                    // SpinEdit1
    QDate from;                        // DateTimePicker5; invalid: today, as the picker starts
    QDate to;                          // DateTimePicker6
    std::optional<qint64> examination; // osmotr1.ID; default: the patient's first examination
    QString outFolder;                 // empty: reports/ for the card, sourses/reports/ for the summary
    bool legacy = false; // "Старый отчет." instead of "Подготовить данные к печати."
    QString rtfFile; // --rtf: the text area is also saved there as rich text
    bool help = false;
    // "Подготовить документ" of the page "Справка" or "Направление" instead of the report.
    bool certificate = false;
    bool referral = false;
    QStringList choices; // "ComboBoxN=TEXT", set on that page's pick list before composing
};

// The mode names of the command line, in the order of the radio buttons' captions.
QString modeName(documents::ReportMode mode);
std::optional<documents::ReportMode> modeFromName(const QString &name);

// Parses the words after "report"; an empty text on success, else the Russian complaint.
QString parseReportArguments(const QStringList &words, ReportArguments *arguments);

// The usage lines of the command, for the tool's help.
QString reportUsage();

// Runs the command on the words after "report": 0 when the documents were made, 1 when the arguments,
// the database, the patient or the operation itself refused.
int runReport(const QStringList &words, QTextStream &out, QTextStream &err);

} // namespace pelorin::cli
