#pragma once

#include "outcomes.h"

#include <QAbstractTableModel>
#include <QDialog>

class QChart;
class QChartView;
class QDateEdit;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace pelorin::db {
class Database;
}

namespace pelorin::app {

// The course table of the outcomes: a view over the computed courses, each row's cells made when it
// is shown, so that a large clinic's hundred thousand courses cost nothing until they are looked at.
class CourseOutcomesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setCourses(QList<treatment::CourseOutcome> courses);
    const treatment::CourseOutcome &course(int row) const { return m_courses.at(m_order.at(row)); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Numbers and dates by their value, texts alphabetically, blanks last in either direction.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    QList<treatment::CourseOutcome> m_courses;
    QList<int> m_order; // row -> course
    QStringList m_columns = treatment::courseColumns();
};

// "Итоги лечения": the treatment outcomes of the PUVA courses that ended in a period. The yearly
// summary, the sortable course table (a double click makes the course's patient current), the shares
// reaching PASI 75 and SCORAD 50 per year, the improvement against the course dose, and the workbook.
class Form_outcomes : public QDialog
{
    Q_OBJECT

public:
    explicit Form_outcomes(db::Database &database, QWidget *parent = nullptr);

    // "Показать": the figures of the period in the date boxes. False (with a message) when the
    // database refused.
    bool compute();
    const treatment::TreatmentOutcomes &outcomes() const { return m_outcomes; }
    // "Сохранить в Excel": asks for the file through the dialogs and writes both tables into it.
    bool saveWorkbook();

    // Scatter points drawn per index at most; a larger clinic is shown by an even sample.
    static constexpr int kMaxScatterPoints = 4000;

Q_SIGNALS:
    // A course row was double-clicked: its patient (register ID_man) is to become the current one.
    void patientChosen(qint64 patientId);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fillSummary();
    void fillCharts();
    QDate from() const;
    QDate to() const;

    db::Database &m_db;
    treatment::TreatmentOutcomes m_outcomes;
    bool m_computed = false;
    QDateEdit *m_from;
    QDateEdit *m_to;
    QLabel *m_count;
    QTableView *m_summaryView;
    QStandardItemModel *m_summary;
    QTableView *m_coursesView;
    CourseOutcomesModel *m_courses;
    QChart *m_sharesChart;
    QChart *m_doseChart;
    QChartView *m_sharesView;
    QChartView *m_doseView;
    QPushButton *m_excel;
};

} // namespace pelorin::app
