#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace pelorin::db {
class Table;
}

// The disease dynamics chart: one value of the current patient's examinations (osmotr1) over
// their dates, chosen in the pick list "Данные в графике:".
namespace pelorin::examination {

// Dinam: the course of the disease since the previous examination as a number, from Dinamika.
// Exact, case-sensitive comparisons of the whole text; anything else is blank.
std::optional<int> dinam(const QString &dinamika);
// (installOsmotrCalc computes Dinam with the other calculated fields of the examination table.)

// One item of the pick list: the field it draws, the title it sets and the left-axis range.
struct DynamicsItem
{
    QString text;
    QString field;
    QString title;
    double axisMax = 0;
    // Only the course of the disease sets the minimum too; the others leave it as it is.
    std::optional<double> axisMin;
};

// The fourteen items in the order of the pick list.
const QList<DynamicsItem> &dynamicsItems();
QStringList dynamicsItemTexts();

// What the chart draws: field, title and left-axis range. Lasts for the run, starting on the
// SCORAD index with the axis from -6.18 to 96.82.
class DynamicsChoice
{
public:
    static constexpr double kStartMin = -6.18;
    static constexpr double kStartMax = 96.82;

    QString field() const { return m_field; }
    QString title() const { return m_title; }
    double axisMin() const { return m_min; }
    double axisMax() const { return m_max; }

    // The pick list's text changed: an item's text (whole, case-sensitive) switches the chart to
    // it; any other text changes nothing. True when it matched.
    bool pick(const QString &text);

private:
    QString m_field = QStringLiteral("ind3");
    QString m_title = QStringLiteral("Индекс SCORAD");
    double m_min = kStartMin;
    double m_max = kStartMax;
};

// One examination on the chart; value is empty when its field is blank.
struct DynamicsPoint
{
    QDate date;
    std::optional<double> value;
    friend bool operator==(const DynamicsPoint &, const DynamicsPoint &) = default;
};

// The examinations of the table's current rows (the current patient, as far as the archive lets
// them through), one point per examination, in date order; examinations of one date keep the
// table's order. An examination without a date has no place on the axis and is left out.
QList<DynamicsPoint> dynamicsPoints(const db::Table &osmotr1, const QString &field);

// The stretches of the line: runs of points with a value, split where a value is blank.
QList<QList<DynamicsPoint>> dynamicsSegments(const QList<DynamicsPoint> &points);

} // namespace pelorin::examination
