#include "tablemodel.h"

#include "texts.h"

namespace pelorin::ui {

TableModel::TableModel(db::Table *table, QList<Column> columns, QObject *parent)
    : QAbstractTableModel(parent), m_table(table), m_columns(std::move(columns))
{
    for (const Column &c : m_columns)
        m_fieldIndex << table->fieldIndex(c.field);
    connect(table, &db::Table::rowsChanged, this, &TableModel::resetAll);
    connect(table, &db::Table::recordChanged, this, [this](int) {
        // Only the current record changes by field writes; its calculated fields may all move.
        const int row = m_table->recNo() - 1;
        m_cache.remove(row);
        if (row >= 0 && row < rowCount())
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

void TableModel::resetAll()
{
    beginResetModel();
    m_cache.clear();
    endResetModel();
}

int TableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_table ? 0 : m_table->recordCount();
}

int TableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

const std::vector<QVariant> &TableModel::rowValues(int row) const
{
    auto it = m_cache.find(row);
    if (it == m_cache.end()) {
        if (m_cache.size() > 512)
            m_cache.clear();
        it = m_cache.insert(row, m_table->recordAt(row));
    }
    return *it;
}

int TableModel::columnOfField(const QString &fieldName) const
{
    for (int c = 0; c < m_columns.size(); ++c) {
        if (m_columns.at(c).field.compare(fieldName, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

QVariant TableModel::valueAt(int row, int fieldIndex) const
{
    if (!m_table || row < 0 || row >= rowCount() || fieldIndex < 0)
        return {};
    const std::vector<QVariant> &values = rowValues(row);
    return size_t(fieldIndex) < values.size() ? values[size_t(fieldIndex)] : QVariant();
}

QVariant TableModel::valueAt(int row, const QString &fieldName) const
{
    return m_table ? valueAt(row, m_table->fieldIndex(fieldName)) : QVariant();
}

QString TableModel::displayText(db::FieldType type, const QVariant &value)
{
    if (!value.isValid())
        return {};
    switch (type) {
    case db::FieldType::Date:
        return text::shortDate(value.toDate());
    case db::FieldType::Float:
        return text::floatToText(value.toDouble());
    case db::FieldType::Boolean:
        return value.toBool() ? QStringLiteral("Да") : QStringLiteral("Нет");
    default:
        return value.toString();
    }
}

QVariant TableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_table || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const int field = m_fieldIndex.at(index.column());
    if (field < 0)
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        const std::vector<QVariant> &values = rowValues(index.row());
        if (size_t(field) >= values.size())
            return {};
        return displayText(m_table->fieldDef(field).type, values[size_t(field)]);
    }
    if (role == Qt::TextAlignmentRole) {
        switch (m_table->fieldDef(field).type) {
        case db::FieldType::AutoInc:
        case db::FieldType::Integer:
        case db::FieldType::Short:
        case db::FieldType::Float:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        default:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        }
    }
    return {};
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_columns.at(section).caption;
}

} // namespace pelorin::ui
