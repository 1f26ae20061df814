#pragma once

#include "table.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>

namespace pelorin::ui {

// Read-only grid adapter over a table object: one row per record of the table's current view,
// one column per listed field. Values are shown as the windows show them: short dates,
// decimal comma, blanks empty. Rows are read lazily, so a grid over ten thousand patients
// only calculates what it paints.
class TableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Column
    {
        QString field;
        QString caption;
    };

    TableModel(db::Table *table, QList<Column> columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    db::Table *table() const { return m_table; }
    const QList<Column> &columns() const { return m_columns; }
    int fieldIndexOfColumn(int column) const { return m_fieldIndex.value(column, -1); }
    // First column showing the field, -1 when none does.
    int columnOfField(const QString &fieldName) const;
    // Value of any field of a row (not only the listed ones), read through the same row cache as
    // the cells, so that cell painters asking for a row's flags do not calculate the row again.
    QVariant valueAt(int row, int fieldIndex) const;
    QVariant valueAt(int row, const QString &fieldName) const;
    // Text of one cell as the grid shows it.
    static QString displayText(db::FieldType type, const QVariant &value);

private:
    const std::vector<QVariant> &rowValues(int row) const;
    void resetAll();

    QPointer<db::Table> m_table;
    QList<Column> m_columns;
    QList<int> m_fieldIndex;
    mutable QHash<int, std::vector<QVariant>> m_cache;
};

} // namespace pelorin::ui
