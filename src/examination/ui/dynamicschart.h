#pragma once

#include "dynamics.h"

#include <QList>
#include <QStringList>
#include <QWidget>

class QCategoryAxis;
class QChart;
class QChartView;
class QComboBox;
class QLineSeries;
class QPainter;
class QPrinter;

namespace pelorin::db {
class Table;
}

namespace pelorin::examination {

// The chart of the page "Динамика лечения в графиках": the pick list "ComboBox4" ("Данные в
// графике:") and the chart "DBChart1" of the chosen value over the current patient's
// examinations, a red line in date order with the dates under it and a fixed left-axis range.
// A blank value breaks the line; a value with blanks on both sides is marked with a dot, since
// a line of one point would not show. The chart follows osmotr1: it is drawn again whenever
// its rows or their values change (at once while it is shown, else when it is next shown).
class DynamicsChart : public QWidget
{
    Q_OBJECT

public:
    explicit DynamicsChart(db::Table &osmotr1, QWidget *parent = nullptr);
    ~DynamicsChart() override;

    const DynamicsChoice &choice() const { return m_choice; }
    QComboBox *pickList() const { return m_pick; }
    QChart *chart() const { return m_chart; }
    QChartView *view() const { return m_view; }
    // The left axis: a fixed range with round values written at their places.
    QCategoryAxis *axisY() const { return m_axisY; }
    QCategoryAxis *axisX() const { return m_axisX; }

    // What is drawn, brought up to date with the table first.
    QList<DynamicsPoint> points();
    QList<QList<DynamicsPoint>> segments();
    // The line series, one per stretch of the line ("Series1", "Series1_2", ...).
    QList<QLineSeries *> series();
    // The dates written under the axis (dates too close to the previous one are left unwritten).
    QStringList dateLabels() const;

    // Draws the chart again from the table's current rows.
    void redraw();
    // Paints the chart, as shown, into target keeping its proportions (printing, pictures).
    void render(QPainter &painter, const QRectF &target);
    // Prints the chart on one landscape page; false when the printer cannot be used.
    bool print(QPrinter &printer);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void pick(const QString &text);
    void tableChanged();
    void ensureDrawn();
    void applyAxisRange();
    void writeDateLabels();

    db::Table &m_osmotr;
    DynamicsChoice m_choice;
    QComboBox *m_pick;
    QChartView *m_view;
    QChart *m_chart;
    QCategoryAxis *m_axisY;
    QCategoryAxis *m_axisX;
    QList<QLineSeries *> m_series;
    QList<DynamicsPoint> m_points;
    bool m_dirty = true;
    bool m_writingLabels = false;
};

} // namespace pelorin::examination
