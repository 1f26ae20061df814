#pragma once

#include "tablemodel.h"

#include <QColor>
#include <QTableView>
#include <functional>
#include <optional>

namespace pelorin::ui {

// Read-only grid over a table object. Its current row is the table's current record both ways:
// moving in the table selects and scrolls to the record's row, and a click or a key that moves
// the grid's current row moves the table (which may refuse, when the record being edited cannot
// be stored; the grid then stays on the table's record). Rows have one fixed height from the
// font and never wrap, so that a grid of ten thousand patients only reads the rows it paints.
class DBGrid : public QTableView
{
    Q_OBJECT

public:
    // Background of one cell: nullopt draws the cell the standard way. focused is true for the
    // grid's current cell while the grid has the keyboard focus. The text is drawn in black or
    // white, whichever reads better on the colour given.
    using CellBackground = std::function<std::optional<QColor>(int row, int column, bool focused)>;

    DBGrid(db::Table *table, QList<TableModel::Column> columns, QWidget *parent = nullptr);

    db::Table *table() const;
    TableModel *tableModel() const { return m_model; }

    // Hides a column by its field; the field stays in the model for painters and for reading.
    void setFieldHidden(const QString &fieldName, bool hidden);
    // Column width in characters of the grid's font.
    void setColumnWidthChars(int column, int chars);
    // Wide enough for the longest text the column ever holds, measured in the grid's own font:
    // a count of average characters falls short for words of wide Cyrillic letters.
    void setColumnWidthFor(int column, const QStringList &texts);
    // The width the column's caption needs to be read whole.
    int captionWidth(int column) const;
    int charWidth() const;

    void setCellBackground(CellBackground background);
    std::optional<QColor> cellBackground(const QModelIndex &index) const;
    // The cell painters depend on data outside the model (a setting, today's date): paint again.
    void repaintCells();

Q_SIGNALS:
    void doubleClickedRow(int row);

protected:
    void changeEvent(QEvent *event) override;

private:
    void syncFromTable();
    void onCurrentRowChanged(const QModelIndex &current, const QModelIndex &previous);
    void applyRowHeight();
    int defaultWidthChars(int column) const;
    int cellMargin() const;

    TableModel *m_model;
    CellBackground m_background;
    bool m_syncing = false;
    bool m_resyncQueued = false;
};

} // namespace pelorin::ui
