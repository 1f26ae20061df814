#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace pelorin::db {
class Database;
}

// Treatment outcomes of the clinic: how far each PUVA course brought PASI and SCORAD down, at what
// dose, and how long the patient stayed away before the next course; with the yearly figures a head
// of department reports (share of courses reaching PASI 75 and SCORAD 50, median dose and remission).
//
// A course is a patient's procedures with one Id_kurs (blank reads as 0): its start and end are the
// dates of its first and last procedure in creation order, its dose the sum of the procedures' Doza.
// Index values are kept in tenths, so PASI (a multiple of 0.1) and SCORAD compare and divide exactly.
namespace pelorin::treatment {

// Days around a course within which an examination still tells its baseline or its outcome.
inline constexpr int kOutcomeWindowDays = 14;

// One index (PASI or SCORAD) over one course.
struct IndexOutcome
{
    std::optional<qint64> baseline; // tenths
    QDate baselineDate;
    std::optional<qint64> outcome; // tenths
    QDate outcomeDate;
    // Tenths of a percent, rounded half to even: 755 is 75.5 %. Negative when the skin got worse.
    std::optional<qint64> improvement;

    // The improvement reaches `percent` (50, 75, 90); nullopt without an improvement.
    std::optional<bool> reaches(int percent) const;
    bool operator==(const IndexOutcome &) const = default;
};

struct CourseOutcome
{
    qint64 patientId = 0;
    QString patient;   // "Фамилия Имя Отчество"
    QVariant card;     // register Amb_karta; blank when the register has none
    qint64 course = 0; // Id_kurs
    QDate start;
    QDate end;
    int procedures = 0;
    qint64 dose = 0; // hundredths of J/cm², as the procedures' Doza
    IndexOutcome pasi;
    IndexOutcome scorad;
    // Days from the end to the start of the patient's next course (by number); none for his last course.
    std::optional<qint64> remission;

    // The course has an improvement of PASI or of SCORAD.
    bool hasData() const { return pasi.improvement || scorad.improvement; }
};

// Figures of the courses that ended in one calendar year (year 0: the whole period).
struct YearSummary
{
    int year = 0;
    int courses = 0;
    int patients = 0;
    int withData = 0;
    int withPasi = 0;   // courses with a PASI improvement
    int pasi75 = 0;     // of them, reaching PASI 75
    int withScorad = 0; // courses with a SCORAD improvement
    int scorad50 = 0;   // of them, reaching SCORAD 50
    // Medians over the courses reaching PASI 75: procedures, and dose in hundredths of J/cm².
    std::optional<double> medianProcedures;
    std::optional<double> medianDose;
    // Median over the courses followed by another course of the patient, days.
    std::optional<double> medianRemission;

    // Percent of the courses with data of the index, one decimal; nullopt without such courses.
    std::optional<double> sharePasi75() const;
    std::optional<double> shareScorad50() const;
};

struct TreatmentOutcomes
{
    // By patient (ID_man), then course number.
    QList<CourseOutcome> courses;
    // Calendar years of the course ends, ascending.
    QList<YearSummary> years;
    YearSummary total;
};

// The courses ending from `from` to `to` (either invalid: open on that side) of every patient of the
// register, with the yearly summary. A course without a known end date has no year and is left out.
// False with a Russian message in *error when the database refused the reading.
bool computeOutcomes(db::Database &database, const QDate &from, const QDate &to, TreatmentOutcomes *result,
                     QString *error = nullptr);

// The summary of a list of courses, for the courses already chosen (a year, or all of them).
YearSummary summarize(const QList<CourseOutcome> &courses, int year = 0);

// --- Tables as the window, the spreadsheet and the command line show them.
// Cells are values: numbers as double (whole numbers too), dates as QDate, texts as QString; a blank
// cell is an invalid QVariant. The window sorts by them; cellText() writes them the Russian way.

QStringList courseColumns();
QVariantList courseCells(const CourseOutcome &course);
QStringList summaryColumns();
QVariantList summaryCells(const YearSummary &summary);
// The rows as they are read: doses with their two hundredths ("12,50"), percentages with one decimal.
QStringList courseTexts(const CourseOutcome &course);
QStringList summaryTexts(const YearSummary &summary);

// "75,5", "12.03.2025", the text as it is; empty for a blank.
QString cellText(const QVariant &cell);

// The course table as CSV: UTF-8, ';' between cells, a decimal comma, the columns' names first.
QByteArray coursesCsv(const QList<CourseOutcome> &courses);
// The yearly summary as a text table with aligned columns, for a terminal.
QString summaryText(const TreatmentOutcomes &outcomes);

// The text of the improvement column for a course without one.
inline const char *const kNoData = "нет данных";

} // namespace pelorin::treatment
