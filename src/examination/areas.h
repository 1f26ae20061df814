#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace pelorin::db {
class Table;
}

namespace pelorin::examination {

// Affected skin in hundredths of a per cent of the whole body (10000 = the whole body).
struct RegionAreas
{
    int head = 0;  // out of 900
    int trunk = 0; // trunk with neck, out of 3200
    int arms = 0;  // out of 2200
    int legs = 0;  // out of 3700

    int total() const { return head + trunk + arms + legs; }
    bool operator==(const RegionAreas &) const = default;
};

// Tells whether a location box of an element (or of the union of elements) is ticked.
using LocationReader = std::function<bool(const QString &fieldName)>;

// Every location field that weighs in the sums, whole-region boxes included.
const QStringList &areaFields();

// Region sums of one set of location boxes.
RegionAreas regionAreas(const LocationReader &ticked);

// Per cent of each region itself, to one decimal, halves to even: round(units·10/size)/10.
double headPercent(const RegionAreas &a);
double trunkPercent(const RegionAreas &a);
double armsPercent(const RegionAreas &a);
double legsPercent(const RegionAreas &a);

// PASI area score of a whole per cent of a region; nullopt outside 0..100.
std::optional<int> pasiAreaScore(qint64 percent);

// The lines "Общая площадь - …%" to "На ногах - …%" of both area messages.
QString areaReport(const RegionAreas &a);

// "Рассчитать площадь" / "Рассчитать.": shows the area of the current element, stored or not.
void showElementArea(db::Table &osmotr_elem);

// "Рассчитать PASI и SCORAD": sums the locations of all elements of the current examination, each
// location once, writes Bb14, Bb24, Bb34, Bb44 and B1 into it and reports. False when nothing was
// done (no elements, or the current element could not be stored).
bool sumAreasIntoExamination(db::Table &osmotr1, db::Table &osmotr_elem);

} // namespace pelorin::examination
