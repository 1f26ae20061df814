#pragma once

#include "report_output.h"

#include <QDate>
#include <vector>

namespace pelorin::db {
class Table;
} // namespace pelorin::db

// The first two sheets of both ambulatory card templates: the title page with the patient's
// particulars and the list of diagnosis events.
namespace pelorin::documents {

// karta1.xls is filled by the patient extract's card modes, karta.xls by the legacy card; they
// differ in the left page header, the signature footer and which diagnosis events are listed.
enum class CardTemplate { Current, Legacy };

inline constexpr int kTitleSheet = 1;
inline constexpr int kDiagnosesSheet = 2;
inline constexpr int kFirstDiagnosisRow = 4;

// Last_Name, First_Name and Father_Name with one blank between them.
QString fullName(const db::Table &reg);
// Each non-empty part followed by ", ", the last comma then made a full stop: "Москва. ".
QString addressText(const QString &region, const QString &city, const QString &street);
// Workplace and position as the address; a profession goes in front as "Профессия - ... . ".
QString occupationText(const QString &workplace, const QString &position, const QString &profession);
// "&12 Подпись лечащего врача: ______________"
QString signatureFooter();

// Page headers of the title page (no footer); the diagnoses sheet and, on karta1.xls, the diary and
// procedure sheets carry the same two.
SheetHeaders titlePageHeaders(const db::Table &reg, const QDate &today, CardTemplate card);

// The cells of the title page. Leaves diagnoz on its first record.
std::vector<CellWrite> titlePageCells(const db::Table &reg, db::Table &diagnoz);

struct DiagnosesSheet
{
    SheetHeaders headers;
    std::vector<CellWrite> cells;
    int nextRow = kFirstDiagnosisRow; // the row after the last one written
};

// One row per diagnosis event from row 4: every event for the legacy card, the events of the period
// [start, end] for karta1.xls. Leaves diagnoz where the listing stopped.
DiagnosesSheet diagnosesSheet(const db::Table &reg, db::Table &diagnoz, const QDate &today, CardTemplate card,
                              const QDate &start = {}, const QDate &end = {});

} // namespace pelorin::documents
