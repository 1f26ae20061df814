#pragma once

#include "report_output.h"

#include <QDate>
#include <QStringList>
#include <vector>

namespace pelorin::db {
class DM2;
} // namespace pelorin::db

// The course diary: the chronological part of the extract and of the ambulatory card. It walks a
// period day by day over the current patient's diagnosis events, examinations, PUVA procedures,
// prescriptions and recommendations, and writes one entry for each day on which something happened.
namespace pelorin::documents {

// Where the diary writes besides the text area.
struct DiarySwitches
{
    bool sheet3Rows = false; // the card's diary rows, column 2 of sheet 3
    bool sheet4Rows = false; // the card's procedure rows, columns 1 to 8 of sheet 4
};

struct DiaryResult
{
    QStringList entries;          // one text-area entry per day with something to say
    std::vector<CellWrite> cells; // sheets 3 and 4, in the order written
    int sheet3Row = 0;            // the next free diary row of sheet 3
    int sheet4Row = 0;            // the next free procedure row of sheet 4
    qint64 totalDose = 0;         // hundredths of J/cm² over the whole walk
};

inline constexpr int kDiarySheet = 3;
inline constexpr int kProcedureSheet = 4;

// Runs the diary from start to end, both inclusive (no day when end is before start). The walks
// only move forward; diagnoz, osmotr1, lech_puva, lech_lekar and recomend stay where they stopped.
DiaryResult runCourseDiary(db::DM2 &dm2, const QDate &start, const QDate &end, DiarySwitches switches,
                           int sheet3Row = 3, int sheet4Row = 3);

// "Суммарная доза УФА: " + the dose + "Дж\см2" and a line feed.
QString totalDoseLine(qint64 totalDose);

} // namespace pelorin::documents
