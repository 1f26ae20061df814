#pragma once

#include "report_output.h"

#include <QDate>
#include <QStringList>
#include <optional>
#include <vector>

namespace pelorin::db {
class DM1;
class DM2;
} // namespace pelorin::db

// "Подготовить данные к печати.": the patient extract and the ambulatory card karta1.xls composed
// from the current patient's records, as data. The window writes the entries into its text area and
// hands the cells and page setups to the office layer; nothing here touches a file.
namespace pelorin::documents {

// The eight radio buttons of the "Отчет" tab, in the order they are listed there.
enum class ReportMode {
    FullCard,          // RadioButton1 "Полная амбулаторная карта"
    AllCoursesExtract, // RadioButton2 "Выписка по всем курсам"
    CourseCard,        // RadioButton3 "Печать карты с курсом ПУВА №"
    CourseExtract,     // RadioButton8 "Выписка по курсу ПУВА №"
    Admission,         // RadioButton4 "Информация при поступлении"
    LastExamination,   // RadioButton5 "Последний осмотр"
    OneExamination,    // RadioButton6 "Отдельный осмотр (выберите:)"
    BetweenDates,      // RadioButton7 "Все события между датами"
};

// The caption of the mode's radio button.
QString modeCaption(ReportMode mode);

// Where the period of a mode starts and ends.
enum class PeriodRule {
    AllCourses, // first diagnosis event .. last discharge, else today
    Course,     // admission .. discharge of course N, else today
    CurrentExamination,
    LastExamination,
    Pickers, // the two dates the user picked
};

// One row of the mode table.
struct ModeSwitches
{
    PeriodRule period = PeriodRule::AllCourses;
    bool card = false;           // karta1.xls is filled
    bool sheet1 = false;         // title page
    bool sheet2 = false;         // diagnoses of the period
    bool sheet3FirstRow = false; // registration and anamnesis row
    bool sheet3Diary = false;    // diary rows
    bool sheet4 = false;         // procedure rows
    bool extract = false;        // extract header and anamnesis block in the text area
    bool totalDose = false;      // the total dose line
    bool summary = false;        // the discharge summary vipiska.doc
};

ModeSwitches modeSwitches(ReportMode mode);

struct ReportInput
{
    ReportMode mode = ReportMode::FullCard;
    int course = 1;                      // SpinEdit1, for the two course modes
    QDate from;                          // DateTimePicker5, for "Все события между датами"
    QDate to;                            // DateTimePicker6
    QDate today;                         // invalid: the program's clock
    QString letterhead;                  // the text of sourses\docs_had.txt, for the card's cell (1, 2)
    std::optional<qint64> examinationId; // osmotr1.ID of the examination of the one-exam modes;
                                         // without it, osmotr1's current record is taken
    bool exposureLine = false;           // the extract modes close the treatment with the lifetime
                                         // PUVA figures ("Строка о суммарной нагрузке в выписке")
};

struct ReportPeriod
{
    QDate start;
    QDate end;
    bool inTreatment = false;    // the course (or the last course) has an admission and no discharge yet
    bool admissionFound = false; // course modes: an admission of course N
    bool dischargeFound = false; // course modes: a discharge of course N; whole-card modes: the last event is one
    QString error; // "Данный курс у этого пациента не найден!" when course N has no event
    bool noEvents = false; // whole-card modes: not a single admission or discharge is recorded
};

// The period and the in-treatment mark of the input's mode, read from diagnoz and osmotr1. Moves
// diagnoz (and osmotr1 in the examination modes) as the determination walks them.
ReportPeriod determinePeriod(db::DM2 &dm2, const ReportInput &input);

QString courseNotFoundMessage();
// The note on the chosen period inside the extract header; empty in the card modes.
QString selectionNote(const ReportInput &input, const ReportPeriod &period);
// "Пациент в данный момент (<today>) находится на лечении." and a line feed.
QString inTreatmentLine(const QDate &today);
// The letterhead file's lines joined by line feeds, whatever line ends the file has.
QString letterheadCell(const QString &fileText);
// Cell (2, 2) of sheet 3: the registration date and the anamnesis block.
QString registrationRow(const QDate &regDate, const QString &anamnesis);

struct ReportResult
{
    QStringList entries;          // the text area, one entry per paragraph group, in order
    std::vector<CellWrite> cells; // karta1.xls, sheets 1 to 4
    std::vector<SheetHeaders> headers;
    bool card = false;    // fill karta1.xls with cells and headers
    bool summary = false; // make a numbered copy of vipiska.doc with the entries
    QString error;        // nothing is produced when set
    ReportPeriod period;
    int sheet2Row = 4; // the next free rows after the run
    int sheet3Row = 3;
    int sheet4Row = 3;
    int closingLines = 0; // entries after the diary's days: total dose, lifetime figures, in treatment
};

// The calculated texts of every table the documents read (all but the register's, which wants the
// run's settings), installed as the program's start-up installs them.
void installDocumentTexts(db::DM1 &dm1, db::DM2 &dm2);

// The whole composition for the input's mode over the current patient.
ReportResult composeReport(db::DM1 &dm1, db::DM2 &dm2, const ReportInput &input);

} // namespace pelorin::documents
