#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace pelorin::office {

// A spreadsheet (.xlsx) filled from a template: what the card needs of a spreadsheet program, and
// no more. Sheets, rows and columns count from 1; sheets are the worksheets in workbook order.
// Everything the writer does not touch is kept as the template has it.
class Workbook
{
public:
    Workbook();
    ~Workbook();
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    // On failure *error gets the message for the user, which names the file, and the workbook
    // stays closed: nothing can then be written or saved.
    bool open(const QString &templatePath, QString *error = nullptr);
    bool isOpen() const;
    // The template, or the file last written by save().
    QString fileName() const;
    int sheetCount() const;
    QString sheetName(int sheet) const;

    // Page header and footer texts are written as a spreadsheet program takes them from a macro:
    // an optional leading font size code ("&7", "&12"), then the text. The size code stays a code;
    // any other '&' prints as itself. The other parts of the header and footer are kept.
    bool setLeftHeader(int sheet, const QString &text);
    bool setRightHeader(int sheet, const QString &text);
    bool setRightFooter(int sheet, const QString &text);
    // The same parts read back, in the form the setters take.
    QString leftHeader(int sheet) const;
    QString rightHeader(int sheet) const;
    QString rightFooter(int sheet) const;

    // A text keeps its line feeds inside the cell, which then wraps. The cell keeps the template's
    // formatting; a new cell takes its row's or column's. False for a place outside the sheet.
    bool setCell(int sheet, int row, int column, const QString &text);
    bool setCell(int sheet, int row, int column, double value);
    // The cell's text, or a number in its stored form ("1.05"); empty for an empty cell.
    QString cellText(int sheet, int row, int column) const;

    // A row is at most 409.5 points high: a longer text in one cell is cut off on paper. The text
    // split into pieces that each fit one row of that cell's column and font, cut at line feeds
    // where it can and else between words; the whole text as its only piece when it fits, or when
    // the cell does not wrap, is merged, or sits in a row of the form's own height.
    QStringList rowPieces(int sheet, int row, int column, const QString &text) const;
    // The height in points the cell's wrapped text needs, not capped at the row limit; 0 when the
    // row keeps its own height (a cell that does not wrap, a merged one, a height set by the form).
    double neededHeight(int sheet, int row, int column) const;
    static constexpr double kMaxRowHeight = 409.5;

    // Every cell of a sheet that holds a value, in row and column order.
    struct Cell
    {
        int row = 0;
        int column = 0;
        QString text;
    };
    QList<Cell> cells(int sheet) const;

    // A hidden sheet is neither shown nor printed. The last visible sheet cannot be hidden.
    bool setSheetHidden(int sheet, bool hidden);
    bool isSheetHidden(int sheet) const;

    // Writes the filled workbook, which from then on goes by that name.
    bool save(const QString &path, QString *error = nullptr);
    // Writes a copy; the workbook keeps its name.
    bool saveCopyAs(const QString &path, QString *error = nullptr) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace pelorin::office
