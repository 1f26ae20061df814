#pragma once

#include <QString>
#include <QVariant>

// What the document texts hand to the office layer: cell values and page setup texts of a
// workbook, addressed as the spreadsheet server addresses them (sheets, rows and columns from 1).
namespace pelorin::documents {

struct CellWrite
{
    int sheet = 0;
    int row = 0;
    int column = 0;
    QVariant value; // a QString, except the dose column of the procedure sheet (double)

    friend bool operator==(const CellWrite &, const CellWrite &) = default;
};

// Page setup texts of one sheet; an empty text is left as the template has it.
struct SheetHeaders
{
    int sheet = 0;
    QString left;
    QString right;
    QString rightFooter;

    friend bool operator==(const SheetHeaders &, const SheetHeaders &) = default;
};

} // namespace pelorin::documents
