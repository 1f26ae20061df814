#include "outcomes_workbook.h"

#include "outcomes.h"
#include "programfolder.h"
#include "texts.h"
#include "workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pelorin::documents {

namespace {

constexpr int kSummarySheet = 1;
constexpr int kCoursesSheet = 2;
constexpr int kFirstRow = 3;

// Days since 30.12.1899: the spreadsheet's own date, which its date format shows and sorts.
double serialDay(const QDate &date)
{
    return double(QDate(1899, 12, 30).daysTo(date));
}

bool writeRow(office::Workbook &book, int sheet, int row, const QVariantList &cells)
{
    for (int column = 1; column <= cells.size(); ++column) {
        const QVariant &cell = cells.at(column - 1);
        bool ok = true;
        if (!cell.isValid())
            continue;
        if (cell.typeId() == QMetaType::QDate)
            ok = book.setCell(sheet, row, column, serialDay(cell.toDate()));
        else if (cell.typeId() == QMetaType::Double)
            ok = book.setCell(sheet, row, column, cell.toDouble());
        else
            ok = book.setCell(sheet, row, column, cell.toString());
        if (!ok)
            return false;
    }
    return true;
}

bool writeCaptions(office::Workbook &book, int sheet, const QStringList &columns)
{
    for (int column = 1; column <= columns.size(); ++column) {
        if (!book.setCell(sheet, 2, column, columns.at(column - 1)))
            return false;
    }
    return true;
}

} // namespace

QString outcomesTemplatePath()
{
    return folder::soursesReports() + QStringLiteral("itogi.xlsx");
}

QString periodText(const QDate &from, const QDate &to)
{
    if (from.isValid() && to.isValid())
        return QStringLiteral("за период с %1 по %2").arg(text::shortDate(from), text::shortDate(to));
    if (from.isValid())
        return QStringLiteral("с %1").arg(text::shortDate(from));
    if (to.isValid())
        return QStringLiteral("по %1").arg(text::shortDate(to));
    return QStringLiteral("за всё время");
}

bool writeOutcomesWorkbook(const treatment::TreatmentOutcomes &outcomes, const QDate &from, const QDate &to,
                           const QString &templatePath, const QString &path, QString *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    if (QFileInfo(path).isSymLink())
        return fail(QStringLiteral("Файл «%1» — символическая ссылка; запись через неё не выполняется.")
                        .arg(QDir::toNativeSeparators(path)));
    office::Workbook book;
    QString why;
    if (!book.open(templatePath, &why))
        return fail(why);
    if (book.sheetCount() < kCoursesSheet)
        return fail(QStringLiteral("В шаблоне «%1» нет листа курсов.").arg(QDir::toNativeSeparators(templatePath)));

    const QString period = periodText(from, to);
    bool ok = book.setCell(kSummarySheet, 1, 1, QStringLiteral("Итоги лечения ПУВА %1").arg(period)) &&
              book.setCell(kCoursesSheet, 1, 1, QStringLiteral("Курсы ПУВА %1").arg(period)) &&
              writeCaptions(book, kSummarySheet, treatment::summaryColumns()) &&
              writeCaptions(book, kCoursesSheet, treatment::courseColumns());
    int row = kFirstRow;
    for (const treatment::YearSummary &year : outcomes.years)
        ok = ok && writeRow(book, kSummarySheet, row++, treatment::summaryCells(year));
    ok = ok && writeRow(book, kSummarySheet, row, treatment::summaryCells(outcomes.total));
    row = kFirstRow;
    for (const treatment::CourseOutcome &course : outcomes.courses)
        ok = ok && writeRow(book, kCoursesSheet, row++, treatment::courseCells(course));
    if (!ok)
        return fail(QStringLiteral("Таблица не помещается на лист: строк %1.").arg(outcomes.courses.size()));
    if (!book.saveCopyAs(path, &why))
        return fail(why);
    // The names and figures of patients: for the clinic's own people only.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                    QFileDevice::WriteGroup);
    return true;
}

} // namespace pelorin::documents
