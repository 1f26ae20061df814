#include "dbgrid.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <algorithm>

namespace pelorin::ui {

namespace {

// Paints the grid's cell colours. A colour given for a cell replaces the selection highlight
// too, as the windows want their focused cell black rather than in the system colour.
class CellDelegate : public QStyledItemDelegate
{
public:
    explicit CellDelegate(DBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->features &= ~QStyleOptionViewItem::WrapText;
        const std::optional<QColor> colour = m_grid->cellBackground(index);
        if (!colour)
            return;
        // The colour is the mark: neither the selection nor the style's focus tint goes over it.
        option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        option->backgroundBrush = *colour;
        const QColor text = qGray(colour->rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black);
        option->palette.setColor(QPalette::Text, text);
        option->palette.setColor(QPalette::HighlightedText, text);
    }

private:
    DBGrid *m_grid;
};

} // namespace

DBGrid::DBGrid(db::Table *table, QList<TableModel::Column> columns, QWidget *parent)
    : QTableView(parent), m_model(new TableModel(table, std::move(columns), this))
{
    setModel(m_model);
    setItemDelegate(new CellDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setAlternatingRowColors(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    applyRowHeight();
    for (int c = 0; c < m_model->columnCount(); ++c)
        setColumnWidthChars(c, defaultWidthChars(c));
    // What is left of the grid's width goes to the last column rather than to an empty band.
    horizontalHeader()->setStretchLastSection(true);

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &DBGrid::onCurrentRowChanged);
    connect(table, &db::Table::currentChanged, this, &DBGrid::syncFromTable);
    // The model resets on every change of the rows and forgets its current index; the model
    // is connected to the table before the grid, so the rows are already new here.
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::syncFromTable);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            Q_EMIT doubleClickedRow(index.row());
    });
    syncFromTable();
}

db::Table *DBGrid::table() const
{
    return m_model->table();
}

int DBGrid::charWidth() const
{
    return std::max(1, fontMetrics().averageCharWidth());
}

int DBGrid::cellMargin() const
{
    // Room for the cell's margins beside the characters themselves.
    return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
}

void DBGrid::setColumnWidthChars(int column, int chars)
{
    // Never narrower than its caption: "Дата посл. п" tells the doctor nothing.
    setColumnWidth(column, std::max(std::max(1, chars) * charWidth() + cellMargin(), captionWidth(column)));
}

void DBGrid::setColumnWidthFor(int column, const QStringList &texts)
{
    int widest = 0;
    for (const QString &text : texts)
        widest = std::max(widest, fontMetrics().horizontalAdvance(text));
    setColumnWidth(column, std::max({columnWidth(column), widest + cellMargin() + 2, captionWidth(column)}));
}

int DBGrid::captionWidth(int column) const
{
    const QString caption = m_model->headerData(column, Qt::Horizontal).toString();
    QStyleOptionHeader option;
    option.initFrom(horizontalHeader());
    option.text = caption;
    option.section = column;
    const QSize size = style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), horizontalHeader());
    const int measured = horizontalHeader()->fontMetrics().horizontalAdvance(caption) + 2 * cellMargin();
    return std::max(size.width(), measured) + 4;
}

int DBGrid::defaultWidthChars(int column) const
{
    int chars = 10;
    const int field = m_model->fieldIndexOfColumn(column);
    if (field >= 0 && table()) {
        const db::FieldDef &f = table()->fieldDef(field);
        switch (f.type) {
        case db::FieldType::Date:
            chars = 10;
            break;
        case db::FieldType::Boolean:
            chars = 3;
            break;
        case db::FieldType::String:
            chars = std::clamp(f.width, 2, 30);
            break;
        case db::FieldType::Memo:
            chars = 30;
            break;
        default:
            chars = 7;
            break;
        }
    }
    return chars;
}

void DBGrid::setFieldHidden(const QString &fieldName, bool hidden)
{
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (m_model->columns().at(c).field.compare(fieldName, Qt::CaseInsensitive) == 0)
            setColumnHidden(c, hidden);
    }
}

void DBGrid::setCellBackground(CellBackground background)
{
    m_background = std::move(background);
    repaintCells();
}

std::optional<QColor> DBGrid::cellBackground(const QModelIndex &index) const
{
    if (!m_background || !index.isValid())
        return std::nullopt;
    const bool focused = hasFocus() && index == currentIndex();
    return m_background(index.row(), index.column(), focused);
}

void DBGrid::repaintCells()
{
    viewport()->update();
}

void DBGrid::applyRowHeight()
{
    const int h = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(h);
    verticalHeader()->setDefaultSectionSize(h);
}

void DBGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyRowHeight();
}

void DBGrid::syncFromTable()
{
    db::Table *t = table();
    if (!t)
        return;
    const int row = t->recNo() - 1;
    const QModelIndex current = currentIndex();
    if (row < 0 || row >= m_model->rowCount()) {
        if (current.isValid()) {
            m_syncing = true;
            selectionModel()->clear();
            m_syncing = false;
        }
        return;
    }
    if (current.isValid() && current.row() == row && selectionModel()->isSelected(current))
        return;
    int column = current.isValid() ? current.column() : 0;
    // The current cell stays in its column, unless that column is hidden.
    if (isColumnHidden(column)) {
        for (int c = 0; c < m_model->columnCount(); ++c) {
            if (!isColumnHidden(c)) {
                column = c;
                break;
            }
        }
    }
    const QModelIndex target = m_model->index(row, column);
    m_syncing = true;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    m_syncing = false;
    scrollTo(target);
}

void DBGrid::onCurrentRowChanged(const QModelIndex &current, const QModelIndex &)
{
    if (m_syncing || !current.isValid() || !table())
        return;
    if (current.row() == table()->recNo() - 1)
        return;
    m_syncing = true;
    table()->setRecNo(current.row() + 1);
    m_syncing = false;
    // The table may have refused the move, or stored the record being edited and reordered the
    // rows under the grid; either way the grid shows the table's record.
    syncFromTable();
    // The view finishes the click after this signal and selects the cell under the mouse, which
    // after a reorder may be another record's: check once more when the event is done.
    if (!m_resyncQueued) {
        m_resyncQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_resyncQueued = false;
                syncFromTable();
            },
            Qt::QueuedConnection);
    }
}

} // namespace pelorin::ui
