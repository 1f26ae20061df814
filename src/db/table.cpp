#include "table.h"

#include "database.h"
#include "dialogs.h"
#include "fieldvalue.h"

#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>
#include <optional>
#include <utility>

namespace pelorin::db {

// ---------------------------------------------------------------- Field

QString Field::name() const
{
    return QString::fromLatin1(m_table->fieldDef(m_index).name);
}

FieldType Field::type() const
{
    return m_table->fieldDef(m_index).type;
}

int Field::width() const
{
    return m_table->fieldDef(m_index).width;
}

bool Field::isCalculated() const
{
    return m_table->fieldDef(m_index).calculated;
}

bool Field::isNull() const
{
    return !value().isValid();
}

QVariant Field::value() const
{
    return isValid() ? m_table->value(m_index) : QVariant();
}

QString Field::asString() const
{
    return valueAsString(type(), value());
}

qint64 Field::asInteger() const
{
    return valueAsInteger(value());
}

double Field::asFloat() const
{
    return valueAsFloat(value());
}

bool Field::asBoolean() const
{
    return valueAsBoolean(value());
}

QDate Field::asDate() const
{
    return valueAsDate(value());
}

bool Field::setValue(const QVariant &value) const
{
    return isValid() && m_table->setValue(m_index, value);
}

// ---------------------------------------------------------------- Table

namespace {

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isValid() != b.isValid())
        return false;
    if (!a.isValid())
        return true;
    return a == b;
}

int compareValues(FieldType type, const QVariant &a, const QVariant &b, Qt::CaseSensitivity cs)
{
    // Blanks come first, as in the indexes of the tables.
    if (!a.isValid() || !b.isValid())
        return int(a.isValid()) - int(b.isValid());
    switch (type) {
    case FieldType::String:
    case FieldType::Memo: {
        const QString x = a.toString(), y = b.toString();
        if (cs == Qt::CaseInsensitive) {
            // In the Russian alphabetical order Ё stands with Е, not after Я as its code would put it.
            auto hasYo = [](const QString &s) { return s.contains(QChar(0x0401)) || s.contains(QChar(0x0451)); };
            if (hasYo(x) || hasYo(y)) {
                auto fold = [](QString s) {
                    s.replace(QChar(0x0401), QChar(0x0415));
                    s.replace(QChar(0x0451), QChar(0x0435));
                    return s;
                };
                const int c = fold(x).compare(fold(y), cs);
                return c != 0 ? c : x.compare(y, cs);
            }
        }
        return x.compare(y, cs);
    }
    case FieldType::Float: {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Date: {
        const QDate x = a.toDate(), y = b.toDate();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Boolean:
        return int(a.toBool()) - int(b.toBool());
    default: {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    }
}

} // namespace

Table::Table(Database &database, const TableDef &def, QObject *parent)
    : QObject(parent), m_db(database), m_def(def)
{
    setObjectName(QString::fromLatin1(def.objectName));
    for (int i = 0; i < int(def.fields.size()); ++i) {
        const FieldDef &f = def.fields[size_t(i)];
        if (!f.calculated)
            m_storedCount = i + 1;
        m_fieldByName.insert(QString::fromLatin1(f.name).toLower(), i);
        m_fieldByExactName.insert(QString::fromLatin1(f.name), i);
        if (f.type == FieldType::AutoInc)
            m_keyIndex = i;
    }
    m_calcValues.resize(size_t(fieldCount() - m_storedCount));
    if (*def.linkField)
        m_linkIndex = fieldIndex(QString::fromLatin1(def.linkField));
}

Table::~Table() = default;

void Table::setMaster(Table *master)
{
    m_master = master;
    m_masterFieldIndex = master->fieldIndex(QString::fromLatin1(m_def.masterField));
    master->m_details.push_back(this);
}

int Table::fieldIndex(const QString &name) const
{
    // The code names fields as the schema spells them; folding the case of every name asked for was
    // a good part of a walk's time.
    if (const auto it = m_fieldByExactName.constFind(name); it != m_fieldByExactName.cend())
        return *it;
    return m_fieldByName.value(name.toLower(), -1);
}

Field Table::field(const QString &name)
{
    const int i = fieldIndex(name);
    if (i < 0)
        qWarning("Table %s has no field %s", m_def.objectName, qPrintable(name));
    return Field(this, i);
}

namespace {

// Rows of a partial table read whole in one go, and how many are kept whole at most.
constexpr int kCompleteBatch = 64;
constexpr int kKeepComplete = 512;

} // namespace

void Table::setResidentFields(const QStringList &names)
{
    if (m_open || m_master)
        return;
    m_slotOf.assign(size_t(m_storedCount), -1);
    m_residentFields.clear();
    auto add = [this](int i) {
        if (i >= 0 && i < m_storedCount && m_slotOf[size_t(i)] < 0) {
            m_slotOf[size_t(i)] = int(m_residentFields.size());
            m_residentFields.push_back(i);
        }
    };
    add(m_keyIndex);
    for (const QString &name : names)
        add(fieldIndex(name));
}

QString Table::selectSql() const
{
    const QString table = quoteIdentifier(QString::fromLatin1(m_def.sqlName));
    const QString rowKey = quoteIdentifier(m_def.rowKeyColumn());
    QStringList cols;
    if (isPartial()) {
        for (int i : m_residentFields)
            cols << quoteIdentifier(QString::fromLatin1(m_def.fields[size_t(i)].name));
    } else {
        for (int i = 0; i < m_storedCount; ++i)
            cols << quoteIdentifier(QString::fromLatin1(m_def.fields[size_t(i)].name));
    }
    if (versioned())
        cols << quoteIdentifier(QString::fromLatin1(kRowVersion));
    QString order = rowKey;
    if (!m_def.hasAutoIncKey() && *m_def.keyField)
        order = quoteIdentifier(QString::fromLatin1(m_def.keyField)) + QStringLiteral(", ") + rowKey;
    QString sql = QStringLiteral("SELECT %1, %2 FROM %3").arg(rowKey, cols.join(QLatin1Char(',')), table);
    if (m_linkIndex >= 0 && m_master)
        sql += QStringLiteral(" WHERE %1=?").arg(quoteIdentifier(QString::fromLatin1(m_def.linkField)));
    return sql + QStringLiteral(" ORDER BY ") + order;
}

bool Table::prepareStatements(QString *error)
{
    const QString table = quoteIdentifier(QString::fromLatin1(m_def.sqlName));
    const QString rowKey = quoteIdentifier(m_def.rowKeyColumn());
    QStringList cols, writable, placeholders, assignments;
    for (int i = 0; i < m_storedCount; ++i) {
        const FieldDef &f = m_def.fields[size_t(i)];
        const QString q = quoteIdentifier(QString::fromLatin1(f.name));
        cols << q;
        if (f.type == FieldType::AutoInc)
            continue;
        writable << q;
        placeholders << QStringLiteral("?");
        assignments << q + QStringLiteral("=?");
    }
    const QString version = quoteIdentifier(QString::fromLatin1(kRowVersion));
    if (versioned())
        cols << version;
    m_selectSql = selectSql();

    auto prep = [&](std::unique_ptr<QSqlQuery> &q, const QString &sql) {
        q = std::make_unique<QSqlQuery>(m_db.sql());
        if (!q->prepare(sql)) {
            if (error)
                *error = q->lastError().text();
            return false;
        }
        return true;
    };
    if (!prep(m_select, m_selectSql))
        return false;
    m_select->setForwardOnly(true);
    if (isPartial()) {
        QStringList keys;
        for (int i = 0; i < kCompleteBatch; ++i)
            keys << QStringLiteral("?");
        if (!prep(m_selectSome, QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 IN (%4)")
                                    .arg(rowKey, cols.join(QLatin1Char(',')), table, keys.join(QLatin1Char(',')))))
            return false;
        m_selectSome->setForwardOnly(true);
        if (!prep(m_selectOne, QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1=?").arg(rowKey, cols.join(QLatin1Char(',')), table)))
            return false;
        m_selectOne->setForwardOnly(true);
    }
    return prep(m_insert, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(table, writable.join(QLatin1Char(',')), placeholders.join(QLatin1Char(',')))) &&
           prep(m_update, versioned() ? QStringLiteral("UPDATE %1 SET %2, %4=%4+1 WHERE %3=? AND %4=?")
                                            .arg(table, assignments.join(QLatin1Char(',')), rowKey, version)
                                      : QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                                            .arg(table, assignments.join(QLatin1Char(',')), rowKey)) &&
           prep(m_delete, versioned() ? QStringLiteral("DELETE FROM %1 WHERE %2=? AND %3=?").arg(table, rowKey, version)
                                      : QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(table, rowKey));
}

void Table::completeCurrent(bool reread) const
{
    const Row *row = currentRow();
    completeRow(m_cur, reread, !m_stepped || (row && row->complete));
}

void Table::completeRow(int viewIndex, bool reread, bool alone) const
{
    if (!isPartial() || viewIndex < 0 || viewIndex >= int(m_view.size()))
        return;
    Row *target = m_view[size_t(viewIndex)].get();
    if (target->complete && !reread)
        return;
    if (target->rowKey == 0)
        return; // a row being inserted is whole from the start
    // Only the last rows looked at stay whole; the others go back to their resident fields. The
    // current record, the one being calculated and the one being inserted are never touched.
    if (m_completeCount >= kKeepComplete) {
        const Row *current = currentRow();
        for (const RowPtr &r : m_rows) {
            if (!r->complete || r.get() == current || r.get() == m_calcRow || r == m_insertRow || r->rowKey == 0)
                continue;
            std::vector<QVariant> resident(m_residentFields.size());
            for (size_t s = 0; s < m_residentFields.size(); ++s)
                resident[s] = std::move(r->values[size_t(m_residentFields[s])]);
            r->values = std::move(resident);
            r->complete = false;
        }
        m_completeCount = current && current->complete ? 1 : 0;
    }
    // The row asked for and the incomplete rows after it (before it at the end of the view).
    std::vector<Row *> batch{target};
    for (int i = viewIndex + 1; !alone && i < int(m_view.size()) && i <= viewIndex + 2 * kCompleteBatch &&
                                int(batch.size()) < kCompleteBatch; ++i) {
        if (!m_view[size_t(i)]->complete && m_view[size_t(i)]->rowKey)
            batch.push_back(m_view[size_t(i)].get());
    }
    for (int i = viewIndex - 1; !alone && i >= 0 && i >= viewIndex - 2 * kCompleteBatch &&
                                int(batch.size()) < kCompleteBatch; --i) {
        if (!m_view[size_t(i)]->complete && m_view[size_t(i)]->rowKey)
            batch.push_back(m_view[size_t(i)].get());
    }
    // One row goes by its own statement: the batch's would read the same row sixty-four times over.
    QSqlQuery &select = batch.size() == 1 ? *m_selectOne : *m_selectSome;
    QHash<qint64, Row *> byKey;
    if (batch.size() == 1) {
        select.bindValue(0, target->rowKey);
        byKey.insert(target->rowKey, target);
    } else {
        for (int i = 0; i < kCompleteBatch; ++i) {
            Row *r = batch[size_t(std::min<int>(i, int(batch.size()) - 1))];
            select.bindValue(i, r->rowKey);
            byKey.insert(r->rowKey, r);
        }
    }
    auto fill = [this](Row &r, std::vector<QVariant> values) {
        if (!r.complete)
            ++m_completeCount;
        r.values = std::move(values);
        r.complete = true;
    };
    if (select.exec()) {
        const int n = m_storedCount;
        while (select.next()) {
            Row *r = byKey.take(select.value(0).toLongLong());
            if (!r)
                continue;
            std::vector<QVariant> values(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                values[size_t(i)] = fromStorage(m_def.fields[size_t(i)].type, select.value(i + 1));
            if (versioned())
                r->version = select.value(n + 1).toLongLong();
            fill(*r, std::move(values));
        }
        select.finish();
    } else {
        // Nothing is made up for what could not be read: the rows stay as they were, and an edit of
        // one of them is refused.
        qWarning("Reading records of %s failed: %s", m_def.objectName, qPrintable(select.lastError().text()));
        select.finish();
        return;
    }
    // A row another seat removed meanwhile (or one the database would not give) keeps what was
    // read of it, and blanks elsewhere.
    for (Row *r : std::as_const(byKey)) {
        if (r->complete)
            continue;
        std::vector<QVariant> values(static_cast<size_t>(m_storedCount));
        for (size_t s = 0; s < m_residentFields.size(); ++s)
            values[size_t(m_residentFields[s])] = r->values[s];
        fill(*r, std::move(values));
    }
}

bool Table::makeResident(int index, QString *error)
{
    if (isResident(index) || index < 0)
        return true;
    const QString rowKey = quoteIdentifier(m_def.rowKeyColumn());
    QSqlQuery q(m_db.sql());
    q.setForwardOnly(true);
    if (m_open) {
        if (!q.exec(QStringLiteral("SELECT %1, %2 FROM %3")
                        .arg(rowKey, quoteIdentifier(QString::fromLatin1(m_def.fields[size_t(index)].name)),
                             quoteIdentifier(QString::fromLatin1(m_def.sqlName))))) {
            m_lastError = q.lastError().text();
            if (error)
                *error = m_lastError;
            return false;
        }
    }
    QHash<qint64, QVariant> column;
    while (q.isActive() && q.next())
        column.insert(q.value(0).toLongLong(), fromStorage(m_def.fields[size_t(index)].type, q.value(1)));
    m_slotOf[size_t(index)] = int(m_residentFields.size());
    m_residentFields.push_back(index);
    for (const RowPtr &r : m_rows) {
        if (!r->complete)
            r->values.push_back(column.value(r->rowKey));
    }
    m_selectSql = selectSql();
    if (m_open && !m_select->prepare(m_selectSql)) {
        m_lastError = m_select->lastError().text();
        if (error)
            *error = m_lastError;
        return false;
    }
    return true;
}

bool Table::open(QString *error)
{
    if (m_open)
        return true;
    if (!prepareStatements(error))
        return false;
    m_open = true;
    if (m_master)
        m_linkValue = masterKeyValue();
    if (!loadRows(error)) {
        m_open = false;
        return false;
    }
    m_linkLoaded = true;
    rebuildView(0);
    m_cur = m_view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.empty();
    m_calcDirty = true;
    // Controls bound before the table opened show its first record now.
    Q_EMIT rowsChanged();
    Q_EMIT currentChanged();
    return true;
}

bool Table::loadRows(QString *error, bool fromWalk)
{
    m_rows.clear();
    if (m_master && m_linkIndex >= 0) {
        if (!m_linkValue.isValid())
            return true; // a master without a record (or an unposted one) has no details
        if (fromWalk && serveFromWalk())
            return true;
        m_select->bindValue(0, toStorage(m_master->fieldDef(m_masterFieldIndex).type, m_linkValue));
    }
    if (!m_select->exec()) {
        m_lastError = m_select->lastError().text();
        if (error)
            *error = m_lastError;
        return false;
    }
    m_completeCount = 0;
    const bool partial = isPartial();
    const int n = partial ? int(m_residentFields.size()) : m_storedCount;
    while (m_select->next()) {
        auto row = std::make_shared<Row>();
        row->rowKey = m_select->value(0).toLongLong();
        row->complete = !partial;
        row->values.resize(size_t(n));
        for (int i = 0; i < n; ++i) {
            const int field = partial ? m_residentFields[size_t(i)] : i;
            row->values[size_t(i)] = fromStorage(m_def.fields[size_t(field)].type, m_select->value(i + 1));
        }
        if (versioned())
            row->version = m_select->value(n + 1).toLongLong();
        m_rows.push_back(std::move(row));
    }
    m_select->finish();
    if (m_orderIndex >= 0)
        sortRows();
    return true;
}

bool Table::lessThan(const Row &a, const Row &b) const
{
    if (m_orderIndex >= 0) {
        const int c = compareValues(m_def.fields[size_t(m_orderIndex)].type, storedValue(a, m_orderIndex),
                                    storedValue(b, m_orderIndex), Qt::CaseInsensitive);
        if (c != 0)
            return c < 0;
    }
    // Unposted rows (key 0) go last.
    const qint64 ka = a.rowKey ? a.rowKey : std::numeric_limits<qint64>::max();
    const qint64 kb = b.rowKey ? b.rowKey : std::numeric_limits<qint64>::max();
    return ka < kb;
}

namespace {

// The sort key of a text under the case-insensitive comparison above: every character case-folded
// as that comparison folds it, with Ё as Е first and the text itself after.
QString foldedKey(const QString &text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        d[i] = QChar(char16_t(QChar::toCaseFolded(char32_t(text.at(i).unicode()))));
    return out;
}

} // namespace

void Table::sortRows()
{
    const FieldType type = m_orderIndex >= 0 ? m_def.fields[size_t(m_orderIndex)].type : FieldType::Integer;
    if (type != FieldType::String && type != FieldType::Memo) {
        std::stable_sort(m_rows.begin(), m_rows.end(), [this](const RowPtr &a, const RowPtr &b) { return lessThan(*a, *b); });
        return;
    }
    // A large list sorts by keys made once per row rather than folding both texts at every
    // comparison; the order is the one lessThan gives.
    struct Keyed
    {
        bool blank;
        QString yoFolded, folded;
        qint64 key;
        RowPtr row;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(m_rows.size());
    for (RowPtr &r : m_rows) {
        const QVariant &v = storedValue(*r, m_orderIndex);
        const qint64 key = r->rowKey ? r->rowKey : std::numeric_limits<qint64>::max();
        if (!v.isValid()) {
            keyed.push_back({true, {}, {}, key, std::move(r)});
            continue;
        }
        const QString text = v.toString();
        QString yo = text;
        yo.replace(QChar(0x0401), QChar(0x0415));
        yo.replace(QChar(0x0451), QChar(0x0435));
        keyed.push_back({false, foldedKey(yo), foldedKey(text), key, std::move(r)});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (a.blank != b.blank)
            return a.blank;
        if (const int c = a.yoFolded.compare(b.yoFolded); c != 0)
            return c < 0;
        if (const int c = a.folded.compare(b.folded); c != 0)
            return c < 0;
        return a.key < b.key;
    });
    for (size_t i = 0; i < keyed.size(); ++i)
        m_rows[i] = std::move(keyed[i].row);
}

bool Table::rowMatchesFilter(const Row &row) const
{
    if (!m_filter)
        return true;
    if (row.complete)
        return m_filter->matches(row.values.data());
    return m_filter->matches([this, &row](int index) -> const QVariant & { return storedValue(row, index); });
}

void Table::rebuildView(qint64 keepRowKey)
{
    m_stepped = false;
    m_view.clear();
    m_view.reserve(m_rows.size());
    int keep = -1;
    for (const RowPtr &r : m_rows) {
        if (!rowMatchesFilter(*r))
            continue;
        if (keepRowKey && r->rowKey == keepRowKey)
            keep = int(m_view.size());
        m_view.push_back(r);
    }
    m_cur = keep >= 0 ? keep : (m_view.empty() ? -1 : 0);
}

void Table::placeRow(const RowPtr &row)
{
    // A posted record whose order did not change stays where it is: a walk posting every patient of a
    // large list would otherwise search and shift the whole list at each post.
    auto inPlace = [&](const std::vector<RowPtr> &v, int at) {
        if (at < 0 || at >= int(v.size()) || v[size_t(at)] != row)
            return false;
        return (at == 0 || lessThan(*v[size_t(at) - 1], *row)) &&
               (at + 1 == int(v.size()) || lessThan(*row, *v[size_t(at) + 1]));
    };
    if (row->rowKey && m_rows.size() == m_view.size() && inPlace(m_view, m_cur) && inPlace(m_rows, m_cur))
        return;
    auto place = [&](std::vector<RowPtr> &v) {
        auto it = std::find(v.begin(), v.end(), row);
        if (it != v.end())
            v.erase(it);
        auto pos = std::upper_bound(v.begin(), v.end(), row,
                                    [this](const RowPtr &a, const RowPtr &b) { return lessThan(*a, *b); });
        return int(v.insert(pos, row) - v.begin());
    };
    place(m_rows);
    m_cur = place(m_view);
}

const Table::Row *Table::currentRow() const
{
    return m_cur >= 0 && m_cur < int(m_view.size()) ? m_view[size_t(m_cur)].get() : nullptr;
}

Table::Row *Table::currentRow()
{
    return m_cur >= 0 && m_cur < int(m_view.size()) ? m_view[size_t(m_cur)].get() : nullptr;
}

qint64 Table::currentRowKey() const
{
    ensureLoaded();
    const Row *r = currentRow();
    return r ? r->rowKey : 0;
}

QVariant Table::masterKeyValue() const
{
    if (!m_master)
        return {};
    return m_master->value(m_masterFieldIndex);
}

// ---------------------------------------------------------------- navigation

void Table::moveToIndex(int index, bool scrollEvents)
{
    if (scrollEvents)
        fire(beforeScroll);
    const int old = m_cur;
    const Row *oldRow = currentRow();
    m_cur = m_view.empty() ? -1 : std::clamp(index, 0, int(m_view.size()) - 1);
    if (m_cur != old || currentRow() != oldRow) {
        m_stepped = std::abs(m_cur - old) == 1;
        // On a server the record moved to is read again: another seat may have changed it.
        if (versioned() && m_state == TableState::Browse)
            completeCurrent(true);
        m_calcDirty = true;
        Q_EMIT currentChanged();
        notifyDetails();
    }
    if (scrollEvents)
        fire(afterScroll);
}

void Table::first()
{
    ensureLoaded();
    if (!prepareToMove())
        return;
    moveToIndex(0, true);
    m_bof = true;
    m_eof = m_view.empty();
}

void Table::last()
{
    ensureLoaded();
    if (!prepareToMove())
        return;
    moveToIndex(int(m_view.size()) - 1, true);
    m_eof = true;
    m_bof = m_view.empty();
}

void Table::next()
{
    moveBy(1);
}

void Table::prior()
{
    moveBy(-1);
}

int Table::moveBy(int distance)
{
    ensureLoaded();
    if (!prepareToMove())
        return 0;
    fire(beforeScroll);
    int moved = 0;
    if ((distance > 0 && !m_eof) || (distance < 0 && !m_bof)) {
        m_bof = m_eof = false;
        const int target = m_cur + distance;
        const int last = int(m_view.size()) - 1;
        int dest = std::clamp(target, 0, std::max(last, 0));
        if (m_view.empty())
            dest = -1;
        if (distance > 0 && target > last)
            m_eof = true;
        if (distance < 0 && target < 0)
            m_bof = true;
        moved = dest - m_cur;
        moveToIndex(dest, false);
    }
    fire(afterScroll);
    return moved;
}

void Table::setRecNo(int recNo)
{
    ensureLoaded();
    if (!prepareToMove())
        return;
    if (recNo - 1 != m_cur)
        moveBy(recNo - 1 - m_cur);
}

bool Table::locate(const QString &fieldName, const QVariant &value)
{
    ensureLoaded();
    const int idx = fieldIndex(fieldName);
    if (idx < 0)
        return false;
    if (!prepareToMove())
        return false;
    if (!makeResident(idx))
        return false;
    const FieldDef &f = fieldDef(idx);
    const QVariant wanted = normalizeValue(f.type, f.width, value);
    for (int i = 0; i < int(m_view.size()); ++i) {
        const QVariant v = i == m_cur ? this->value(idx) : valueAt(i, idx);
        if (sameValue(v, wanted) || (v.isValid() && wanted.isValid() &&
                                     compareValues(f.type, v, wanted, Qt::CaseSensitive) == 0)) {
            moveToIndex(i, true);
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- editing

bool Table::collectPendingValues()
{
    m_updateRefusal.clear();
    Q_EMIT updateRecordRequested();
    if (m_updateRefusal.isEmpty())
        return true;
    m_lastError = m_updateRefusal;
    Dialogs::instance().message(m_updateRefusal, QStringLiteral("Ошибка"), Dialogs::Kind::Error);
    return false;
}

bool Table::prepareToMove()
{
    // The details go first: their records belong to the current master record, and a detail
    // that cannot be stored keeps the master where it is, so nothing typed is lost.
    for (Table *d : m_details) {
        if (d->m_open && !d->prepareToMove())
            return false;
    }
    return checkBrowseMode();
}

bool Table::updateRecord()
{
    return m_state == TableState::Browse || collectPendingValues();
}

void Table::refuseUpdate(const QString &message)
{
    if (m_updateRefusal.isEmpty())
        m_updateRefusal = message;
}

bool Table::checkBrowseMode()
{
    if (m_state == TableState::Browse)
        return true;
    if (!collectPendingValues())
        return false;
    if (m_modified)
        return post();
    cancel();
    return true;
}

void Table::edit()
{
    ensureLoaded();
    if (m_state != TableState::Browse)
        return;
    if (m_view.empty()) {
        // Typing into an empty detail starts its first record; a patient, though, comes only from
        // "Новый пациент", never from a keystroke on an empty card.
        if (m_master)
            insert();
        else
            m_lastError = QStringLiteral("Таблица %1 пуста: изменять нечего.").arg(tableName());
        return;
    }
    fire(beforeEdit);
    completeCurrent();
    Row *row = currentRow();
    if (!row)
        return;
    if (!row->complete) {
        // Editing what could not be read would store blanks over the fields never seen.
        m_lastError = QStringLiteral("Не удалось прочитать запись таблицы %1 целиком: изменять её сейчас нельзя.").arg(tableName());
        Dialogs::instance().message(m_lastError, QStringLiteral("Ошибка"), Dialogs::Kind::Error);
        return;
    }
    m_original = row->values;
    m_state = TableState::Edit;
    m_modified = false;
    Q_EMIT stateChanged();
    fire(afterEdit);
}

void Table::insert()
{
    beginInsert(false);
}

void Table::append()
{
    beginInsert(true);
}

// Insert puts the new record before the current one, append after the last; both leave the
// cursor on it in insert state, unmodified, with the link to the master filled in.
void Table::beginInsert(bool atEnd)
{
    ensureLoaded();
    // A detail record always belongs to its master's current record; without one there is nothing
    // to attach it to (no patient in the list), and it would be stored without its link.
    if (m_master && m_master->isEmpty()) {
        m_lastError = QStringLiteral("Нет записи таблицы %1, к которой относилась бы новая запись таблицы %2.")
                          .arg(m_master->tableName(), tableName());
        return;
    }
    if (!prepareToMove())
        return;
    fire(beforeInsert);
    fire(beforeScroll);
    auto row = std::make_shared<Row>();
    row->values.resize(size_t(m_storedCount));
    const int pos = atEnd ? int(m_view.size()) : std::max(m_cur, 0);
    m_insertReturn = m_cur;
    m_view.insert(m_view.begin() + pos, row);
    m_cur = pos;
    m_insertRow = row;
    m_state = TableState::Insert;
    if (m_master && m_linkIndex >= 0)
        row->values[size_t(m_linkIndex)] = masterKeyValue();
    fire(onNewRecord);
    m_modified = false;
    m_bof = false;
    m_eof = atEnd;
    m_calcDirty = true;
    Q_EMIT rowsChanged();
    Q_EMIT stateChanged();
    Q_EMIT currentChanged();
    notifyDetails();
    fire(afterInsert);
    fire(afterScroll);
}

void Table::cancel()
{
    if (m_state == TableState::Browse)
        return;
    fire(beforeCancel);
    if (m_state == TableState::Browse) // the handler finished the record itself
        return;
    const bool wasInsert = m_state == TableState::Insert;
    if (wasInsert) {
        auto it = std::find(m_view.begin(), m_view.end(), m_insertRow);
        int pos = m_cur;
        if (it != m_view.end()) {
            pos = int(it - m_view.begin());
            m_view.erase(it);
        }
        m_insertRow.reset();
        // Back on the record that was current before the insert.
        const int back = m_insertReturn >= 0 && m_insertReturn < pos ? m_insertReturn : pos;
        m_cur = m_view.empty() ? -1 : std::clamp(back, 0, int(m_view.size()) - 1);
        m_bof = m_eof = m_view.empty();
    } else if (Row *row = currentRow()) {
        row->values = m_original;
    }
    m_original.clear();
    m_state = TableState::Browse;
    m_modified = false;
    m_calcDirty = true;
    Q_EMIT stateChanged();
    if (wasInsert) {
        Q_EMIT rowsChanged();
        Q_EMIT currentChanged();
        notifyDetails();
    } else {
        Q_EMIT recordChanged(-1);
        invalidateDetailCalc();
    }
    fire(afterCancel);
}

bool Table::writeRow(Row &row, bool inserting)
{
    if (!row.complete) {
        m_lastError = QStringLiteral("Запись таблицы %1 прочитана не полностью.").arg(tableName());
        return false;
    }
    QSqlQuery &q = inserting ? *m_insert : *m_update;
    int p = 0;
    for (int i = 0; i < m_storedCount; ++i) {
        const FieldDef &f = m_def.fields[size_t(i)];
        if (f.type == FieldType::AutoInc)
            continue;
        q.bindValue(p++, toStorage(f.type, row.values[size_t(i)]));
    }
    if (!inserting) {
        q.bindValue(p, row.rowKey);
        if (versioned())
            q.bindValue(p + 1, row.version);
    }
    if (!execWrite(q)) {
        m_lastError = q.lastError().text();
        q.finish();
        return false;
    }
    if (!inserting && versioned()) {
        const bool stale = q.numRowsAffected() == 0;
        q.finish();
        if (stale)
            return refuseStaleRow(row);
        ++row.version;
        return true;
    }
    if (inserting) {
        row.version = 1;
        row.rowKey = q.lastInsertId().toLongLong();
        if (m_keyIndex >= 0)
            row.values[size_t(m_keyIndex)] = QVariant::fromValue<qint64>(row.rowKey);
    }
    q.finish();
    return true;
}

bool Table::execWrite(QSqlQuery &q)
{
    // A statement the server refuses spoils the whole transaction it runs in; inside an operation
    // (or with a journal line waiting) only this statement must go, as in the file, so it runs
    // under a savepoint of its own.
    const bool guard = versioned() && m_db.inTransaction();
    if (!guard)
        return q.exec();
    QSqlQuery step(m_db.sql());
    if (!step.exec(QStringLiteral("SAVEPOINT pelorin_write")))
        return q.exec();
    const bool ok = q.exec();
    step.exec(ok ? QStringLiteral("RELEASE SAVEPOINT pelorin_write") : QStringLiteral("ROLLBACK TO SAVEPOINT pelorin_write"));
    return ok;
}

bool Table::versioned() const
{
    return m_db.backend() == Database::Backend::PostgreSQL;
}

bool Table::refuseStaleRow(Row &row)
{
    Q_UNUSED(row);
    m_stale = true;
    m_lastError = QStringLiteral("Запись изменена на другом рабочем месте. Данные обновлены, повторите изменение.");
    Dialogs::instance().message(m_lastError, QStringLiteral("Внимание!"), Dialogs::Kind::Warning);
    return false;
}

bool Table::post()
{
    if (m_state == TableState::Browse)
        return true;
    if (!collectPendingValues())
        return false;
    fire(beforePost);
    if (m_state == TableState::Browse)
        return true; // the handler finished the record itself
    Row *row = currentRow();
    if (!row)
        return false;
    // A detail belongs to its master's record; one without that link would never be shown again.
    if (m_master && m_linkIndex >= 0 && !row->values[size_t(m_linkIndex)].isValid()) {
        m_lastError = QStringLiteral("Запись таблицы %1 не связана с записью таблицы %2: сначала сохраните ту запись.")
                          .arg(tableName(), m_master->tableName());
        Dialogs::instance().message(m_lastError, QStringLiteral("Ошибка"), Dialogs::Kind::Error);
        return false;
    }
    const bool inserting = m_state == TableState::Insert;
    // The journal's lines of this post (the protection's check) are written with the record, in one
    // commit: the file never holds the one without the other, and the post costs no second commit.
    std::optional<Transaction> withJournal;
    if (m_db.journalWaiting())
        withJournal.emplace(m_db);
    if (!writeRow(*row, inserting)) {
        if (std::exchange(m_stale, false)) {
            // Another seat's change stands: the doctor's edit goes, and the rows are read again.
            cancel();
            refresh();
            return false;
        }
        Dialogs::instance().message(QStringLiteral("Не удалось записать изменения в таблицу %1: %2.")
                                        .arg(tableName(), describeEngineError(m_lastError)),
                                    QStringLiteral("Ошибка"), Dialogs::Kind::Error);
        return false;
    }
    if (withJournal && !withJournal->commit())
        return false;
    RowPtr posted = m_view[size_t(m_cur)];
    walkRowWritten(*posted, inserting ? nullptr : &m_original);
    if (inserting) {
        m_insertRow.reset();
        // Records begun in the details while this one was new belong to it: its key exists now.
        for (Table *d : m_details)
            d->adoptMasterKey();
    }
    const int placeInView = m_cur;
    placeRow(posted);
    m_original.clear();
    m_state = TableState::Browse;
    m_modified = false;
    m_calcDirty = true;
    // A record that no longer passes the filter leaves the view; the cursor lands where a deletion
    // would leave it.
    const bool leaves = !rowMatchesFilter(*posted);
    if (leaves) {
        fire(beforeScroll);
        m_view.erase(m_view.begin() + m_cur);
        m_cur = m_view.empty() ? -1 : std::min(placeInView, int(m_view.size()) - 1);
        m_bof = m_eof = m_view.empty();
    } else {
        m_bof = m_eof = false;
    }
    Q_EMIT stateChanged();
    Q_EMIT rowsChanged();
    Q_EMIT currentChanged();
    notifyDetails();
    fire(afterPost);
    if (leaves)
        fire(afterScroll);
    return true;
}

bool Table::deleteRecord()
{
    ensureLoaded();
    if (m_state == TableState::Insert) {
        cancel();
        return true;
    }
    Row *row = currentRow();
    if (!row) {
        m_lastError = QStringLiteral("Таблица %1 пуста: удалять нечего.").arg(tableName());
        return false;
    }
    for (Table *d : m_details) {
        if (d->m_open && !d->prepareToMove())
            return false;
    }
    fire(beforeDelete);
    fire(beforeScroll);
    row = currentRow();
    if (!row)
        return false;
    std::optional<Transaction> withJournal;
    if (m_db.journalWaiting())
        withJournal.emplace(m_db);
    m_delete->bindValue(0, row->rowKey);
    if (versioned())
        m_delete->bindValue(1, row->version);
    if (!execWrite(*m_delete)) {
        m_lastError = m_delete->lastError().text();
        m_delete->finish();
        Dialogs::instance().message(QStringLiteral("Не удалось удалить запись из таблицы %1: %2.")
                                        .arg(tableName(), describeEngineError(m_lastError)),
                                    QStringLiteral("Ошибка"), Dialogs::Kind::Error);
        return false;
    }
    const bool stale = versioned() && m_delete->numRowsAffected() == 0;
    m_delete->finish();
    if (stale) {
        refuseStaleRow(*row);
        m_stale = false;
        refresh();
        return false;
    }
    if (withJournal && !withJournal->commit())
        return false;
    const RowPtr gone = m_view[size_t(m_cur)];
    walkRowWritten(*gone, nullptr);
    m_view.erase(m_view.begin() + m_cur);
    m_rows.erase(std::remove(m_rows.begin(), m_rows.end(), gone), m_rows.end());
    m_original.clear();
    m_state = TableState::Browse;
    m_modified = false;
    if (m_cur >= int(m_view.size()))
        m_cur = int(m_view.size()) - 1;
    m_bof = m_eof = m_view.empty();
    m_calcDirty = true;
    Q_EMIT stateChanged();
    Q_EMIT rowsChanged();
    Q_EMIT currentChanged();
    notifyDetails();
    fire(afterDelete);
    fire(afterScroll);
    return true;
}

// ---------------------------------------------------------------- field values

QVariant Table::value(int index) const
{
    ensureLoaded();
    if (index < 0 || index >= fieldCount())
        return {};
    if (m_calcRow) {
        if (index < m_storedCount)
            return m_calcRow->values[size_t(index)];
        return (*m_calcTarget)[size_t(index - m_storedCount)];
    }
    const Row *row = currentRow();
    if (!row)
        return {};
    if (index < m_storedCount) {
        if (!row->complete && !isResident(index))
            completeCurrent();
        if (!row->complete && !isResident(index))
            return {}; // the record could not be read: nothing is shown rather than something wrong
        return storedValue(*row, index);
    }
    ensureCalc();
    return m_calcValues[size_t(index - m_storedCount)];
}

QVariant Table::value(const QString &name) const
{
    return value(fieldIndex(name));
}

bool Table::setValue(int index, const QVariant &value)
{
    if (index < 0 || index >= fieldCount()) {
        m_lastError = QStringLiteral("В таблице %1 нет такого поля.").arg(tableName());
        qWarning("%s", qPrintable(m_lastError));
        return false;
    }
    const FieldDef &f = fieldDef(index);
    bool ok = true;
    const QVariant v = normalizeValue(f.type, f.width, value, &ok);
    if (!ok || !valueAllowed(f, v)) {
        m_lastError = refusalText(f, QString(), value);
        return false;
    }
    if (f.calculated) {
        if (!m_calcRow) {
            m_lastError = QStringLiteral("Поле %1 вычисляется и не записывается.").arg(QString::fromLatin1(f.name));
            qWarning("%s", qPrintable(m_lastError));
            return false;
        }
        (*m_calcTarget)[size_t(index - m_storedCount)] = v;
        return true;
    }
    if (m_calcRow) {
        qWarning("Stored field %s written while calculating %s", f.name, m_def.objectName);
        return false;
    }
    if (m_state == TableState::Browse) {
        m_lastError = QStringLiteral("Таблица %1 не в режиме редактирования.").arg(tableName());
        qWarning("%s (field %s)", qPrintable(m_lastError), f.name);
        return false;
    }
    if (f.type == FieldType::AutoInc) {
        m_lastError = QStringLiteral("Поле %1 назначается базой данных.").arg(QString::fromLatin1(f.name));
        return false;
    }
    Row *row = currentRow();
    if (!row)
        return false;
    row->values[size_t(index)] = v;
    m_modified = true;
    m_calcDirty = true;
    Q_EMIT recordChanged(index);
    invalidateDetailCalc();
    return true;
}

bool Table::setValue(const QString &name, const QVariant &value)
{
    return setValue(fieldIndex(name), value);
}

QString Table::asString(const QString &name) const
{
    const int i = fieldIndex(name);
    return i < 0 ? QString() : valueAsString(fieldDef(i).type, value(i));
}

qint64 Table::asInteger(const QString &name) const
{
    return valueAsInteger(value(name));
}

double Table::asFloat(const QString &name) const
{
    return valueAsFloat(value(name));
}

bool Table::asBoolean(const QString &name) const
{
    return valueAsBoolean(value(name));
}

QDate Table::asDate(const QString &name) const
{
    return valueAsDate(value(name));
}

void Table::announce()
{
    Q_EMIT stateChanged();
    Q_EMIT rowsChanged();
    Q_EMIT currentChanged();
    Q_EMIT recordChanged(-1);
}

QVariant Table::valueAt(int row, int index) const
{
    ensureLoaded();
    if (row == m_cur && !m_calcRow)
        return value(index);
    if (row < 0 || row >= int(m_view.size()) || index < 0 || index >= fieldCount())
        return {};
    const Row &r = *m_view[size_t(row)];
    if (!r.complete && !(index < m_storedCount && isResident(index)))
        completeRow(row);
    if (index < m_storedCount)
        return r.complete || isResident(index) ? storedValue(r, index) : QVariant();
    std::vector<QVariant> calc;
    computeCalc(r, calc);
    return calc[size_t(index - m_storedCount)];
}

std::vector<QVariant> Table::recordAt(int row) const
{
    ensureLoaded();
    std::vector<QVariant> out;
    if (row < 0 || row >= int(m_view.size()))
        return out;
    completeRow(row);
    const Row &r = *m_view[size_t(row)];
    if (r.complete) {
        out = r.values;
    } else {
        out.assign(size_t(m_storedCount), QVariant());
        for (size_t slot = 0; slot < m_residentFields.size(); ++slot)
            out[size_t(m_residentFields[slot])] = r.values[slot];
    }
    std::vector<QVariant> calc;
    if (row == m_cur && !m_calcRow) {
        ensureCalc();
        calc = m_calcValues;
    } else {
        computeCalc(r, calc);
    }
    out.insert(out.end(), calc.begin(), calc.end());
    return out;
}

// ---------------------------------------------------------------- calculated fields

void Table::addCalcHandler(Handler handler)
{
    m_calcHandlers.push_back(std::move(handler));
    m_calcDirty = true;
}

void Table::invalidateDetailCalc()
{
    // Calculated fields of details may read this record (the weight for the photosensitiser
    // dose, the first course for the course numbers of the diagnoses).
    for (Table *d : m_details) {
        if (!d->m_open)
            continue;
        d->m_calcDirty = true;
        Q_EMIT d->recordChanged(-1);
        d->invalidateDetailCalc();
    }
}

void Table::invalidateCalc()
{
    m_calcDirty = true;
    Q_EMIT recordChanged(-1);
}

void Table::ensureCalc() const
{
    if (!m_calcDirty)
        return;
    completeCurrent();
    const Row *row = currentRow();
    if (row)
        computeCalc(*row, m_calcValues);
    else
        std::fill(m_calcValues.begin(), m_calcValues.end(), QVariant());
    m_calcDirty = false;
}

void Table::computeCalc(const Row &row, std::vector<QVariant> &out) const
{
    out.assign(size_t(fieldCount() - m_storedCount), QVariant());
    if (m_calcHandlers.empty() || !row.complete)
        return;
    const Row *savedRow = m_calcRow;
    std::vector<QVariant> *savedTarget = m_calcTarget;
    m_calcRow = &row;
    m_calcTarget = &out;
    auto *self = const_cast<Table *>(this);
    for (const Handler &h : m_calcHandlers)
        h(*self);
    m_calcRow = savedRow;
    m_calcTarget = savedTarget;
}

// ---------------------------------------------------------------- filter, order, links

bool Table::setFilter(const QString &text, QString *error)
{
    return applyFilter(text, error, false);
}

bool Table::setFilterKeepingCurrent(const QString &text, QString *error)
{
    return applyFilter(text, error, true);
}

bool Table::applyFilter(const QString &text, QString *error, bool keepCurrent)
{
    ensureLoaded();
    std::unique_ptr<Filter> parsed;
    if (!text.trimmed().isEmpty()) {
        QString why;
        std::vector<int> compared;
        parsed = Filter::parse(text, [this, &compared](const QString &name) -> std::optional<Filter::FieldInfo> {
            const int i = fieldIndex(name);
            if (i < 0 || i >= m_storedCount)
                return std::nullopt;
            compared.push_back(i);
            return Filter::FieldInfo{i, fieldDef(i).type};
        }, &why);
        for (int i : compared) {
            if (parsed && !makeResident(i, &why))
                parsed.reset();
        }
        if (!parsed) {
            m_lastError = why;
            if (error)
                *error = why;
            return false;
        }
    }
    if (!prepareToMove())
        return false;
    fire(beforeScroll);
    m_filterText = text.trimmed().isEmpty() ? QString() : text;
    m_filter = std::move(parsed);
    const Row *old = currentRow();
    rebuildView(keepCurrent ? currentRowKey() : 0);
    m_bof = m_cur <= 0;
    m_eof = m_view.empty();
    m_calcDirty = true;
    Q_EMIT rowsChanged();
    if (currentRow() != old)
        Q_EMIT currentChanged();
    notifyDetails();
    fire(afterScroll);
    return true;
}

void Table::setOrderField(const QString &fieldName)
{
    ensureLoaded();
    const int idx = fieldName.isEmpty() ? -1 : fieldIndex(fieldName);
    if (idx == m_orderIndex && m_orderField == fieldName)
        return;
    if (m_open && !prepareToMove())
        return;
    if (idx >= 0 && idx < m_storedCount && !makeResident(idx))
        return;
    m_orderIndex = idx;
    m_orderField = idx < 0 ? QString() : QString::fromLatin1(fieldDef(idx).name);
    if (!m_open)
        return;
    const qint64 keep = currentRowKey();
    sortRows();
    rebuildView(keep);
    m_calcDirty = true;
    Q_EMIT rowsChanged();
    Q_EMIT currentChanged();
}

void Table::refresh()
{
    ensureLoaded();
    if (!m_open || !prepareToMove())
        return;
    // Read anew means from the database, for the details too.
    forgetWalkBelow();
    forgetWalkHere();
    const qint64 keep = currentRowKey();
    const Row *old = currentRow();
    QString error;
    if (!loadRows(&error))
        qWarning("Refresh of %s failed: %s", m_def.objectName, qPrintable(error));
    rebuildView(keep);
    m_bof = m_cur <= 0;
    m_eof = m_view.empty();
    m_calcDirty = true;
    Q_EMIT rowsChanged();
    if (currentRow() != old)
        Q_EMIT currentChanged();
    // Rows were read anew: the details must follow whatever the current record is now.
    for (Table *d : m_details)
        d->m_linkLoaded = false;
    notifyDetails();
}

void Table::markDetailsStale()
{
    forgetWalkBelow();
    for (Table *d : m_details) {
        d->m_linkLoaded = false;
        d->markDetailsStale();
    }
}

void Table::refreshAll()
{
    if (!m_open || !prepareToMove())
        return;
    markDetailsStale();
    refresh();
}

void Table::adoptMasterKey()
{
    Row *row = m_state == TableState::Browse ? nullptr : currentRow();
    if (row && m_linkIndex >= 0 && !row->values[size_t(m_linkIndex)].isValid())
        row->values[size_t(m_linkIndex)] = masterKeyValue();
}

void Table::notifyDetails()
{
    for (Table *d : m_details)
        d->masterChanged();
}

void Table::masterChanged()
{
    if (!m_open)
        return;
    const QVariant key = masterKeyValue();
    if (m_linkLoaded && sameValue(key, m_linkValue))
        return;
    if (m_pending) {
        // Not looked at since the last move: it waits for this master record instead.
        m_linkValue = key;
        Q_EMIT rowsChanged();
        Q_EMIT currentChanged();
        return;
    }
    if (m_state != TableState::Browse) {
        Row *row = currentRow();
        const bool unlinked = row && m_linkIndex >= 0 && !row->values[size_t(m_linkIndex)].isValid();
        // A new master record that was given up leaves nothing to attach this one to.
        if (unlinked)
            cancel();
        if (!checkBrowseMode()) {
            // The engine has said why; the record stays in edit state with everything typed, and
            // the rows are read for the master at the next chance.
            m_linkLoaded = false;
            return;
        }
    }
    // Read again for the same master (F5): the record the doctor stood on stays current where it
    // still exists, rather than the first of the list.
    const qint64 keep = m_linkLoaded || !sameValue(key, m_linkValue) ? 0 : currentRowKey();
    m_linkValue = key;
    if (keep == 0 && deferLoad()) {
        m_linkLoaded = true;
        m_pending = true;
        m_rows.clear();
        m_view.clear();
        m_cur = -1;
        m_bof = m_eof = true;
        m_calcDirty = true;
        Q_EMIT rowsChanged();
        Q_EMIT currentChanged();
        return;
    }
    QString error;
    if (!loadRows(&error, true)) {
        qWarning("Reading %s failed: %s", m_def.objectName, qPrintable(error));
        Dialogs::instance().message(QStringLiteral("Не удалось прочитать таблицу %1: %2.").arg(tableName(), describeEngineError(error)),
                                    QStringLiteral("Ошибка"), Dialogs::Kind::Error);
    }
    m_linkLoaded = true;
    rebuildView(keep);
    m_bof = m_cur <= 0;
    m_eof = m_view.empty();
    m_calcDirty = true;
    Q_EMIT rowsChanged();
    Q_EMIT currentChanged();
    notifyDetails();
    fire(afterScroll);
}

// ---------------------------------------------------------------- walk scopes

namespace {

// The master record a detail row belongs to, as a number; false for a blank or a link that is not
// a number (such a detail is not served by walks).
bool walkKey(const QVariant &value, qint64 *key)
{
    if (!value.isValid())
        return false;
    bool ok = false;
    *key = value.toLongLong(&ok);
    return ok;
}

bool numericType(FieldType type)
{
    return type == FieldType::AutoInc || type == FieldType::Integer || type == FieldType::Short;
}

} // namespace

// What a walk scope knows of one detail table: the master records it expects to be asked for, in
// the order the walk visits them, and the rows read for the next of them.
struct Table::WalkFeed
{
    Table *table = nullptr;
    WalkScope::Private *scope = nullptr;
    std::vector<qint64> keys;
    QHash<qint64, size_t> position;
    // Read and not yet served; a master record present with no rows has none.
    QHash<qint64, std::vector<RowPtr>> fetched;
    std::vector<WalkFeed *> children; // the feeds of this table's details
    std::unique_ptr<QSqlQuery> select;

    void expect(qint64 key)
    {
        if (!position.contains(key)) {
            position.insert(key, keys.size());
            keys.push_back(key);
        }
    }
    bool fetchFrom(size_t pos);
};

struct WalkScope::Private
{
    Database *db = nullptr;
    int batch = 256;
    int reads = 0;
    std::vector<std::unique_ptr<Table::WalkFeed>> feeds;

    // The scopes alive: a write through any table object reaches all of them.
    static std::vector<Private *> &active()
    {
        static std::vector<Private *> walks;
        return walks;
    }
};

WalkScope::WalkScope(Table &master, int batch) : d(std::make_unique<Private>())
{
    d->db = &master.m_db;
    d->batch = std::max(1, batch);
    // Every detail down the chain gets a feed; a detail of a detail learns its master records from
    // the rows read for its own master.
    std::function<void(Table &, Table::WalkFeed *)> add = [&](Table &m, Table::WalkFeed *parent) {
        for (Table *t : m.m_details) {
            if (!t->m_open || t->m_walkFeed || t->m_linkIndex < 0 || t->m_masterFieldIndex < 0 ||
                t->m_masterFieldIndex >= m.m_storedCount || !numericType(t->fieldDef(t->m_linkIndex).type) ||
                !m.isResident(t->m_masterFieldIndex))
                continue;
            auto feed = std::make_unique<Table::WalkFeed>();
            feed->table = t;
            feed->scope = d.get();
            const QString table = quoteIdentifier(QString::fromLatin1(t->m_def.sqlName));
            const QString rowKey = quoteIdentifier(t->m_def.rowKeyColumn());
            const QString link = quoteIdentifier(QString::fromLatin1(t->m_def.linkField));
            QStringList cols;
            for (int i = 0; i < t->m_storedCount; ++i)
                cols << quoteIdentifier(QString::fromLatin1(t->m_def.fields[size_t(i)].name));
            if (t->versioned())
                cols << quoteIdentifier(QString::fromLatin1(kRowVersion));
            QString order = rowKey;
            if (!t->m_def.hasAutoIncKey() && *t->m_def.keyField)
                order = quoteIdentifier(QString::fromLatin1(t->m_def.keyField)) + QStringLiteral(", ") + rowKey;
            QStringList marks;
            for (int i = 0; i < d->batch; ++i)
                marks << QStringLiteral("?");
            feed->select = std::make_unique<QSqlQuery>(t->m_db.sql());
            feed->select->setForwardOnly(true);
            if (!feed->select->prepare(
                    QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 IN (%5) ORDER BY %4, %6")
                        .arg(rowKey, cols.join(QLatin1Char(',')), table, link, marks.join(QLatin1Char(',')), order))) {
                qWarning("A walk over %s reads it row by row: %s", t->m_def.objectName,
                         qPrintable(feed->select->lastError().text()));
                continue;
            }
            if (parent) {
                parent->children.push_back(feed.get());
            } else {
                for (const auto &r : m.m_view) {
                    qint64 key = 0;
                    if (walkKey(m.storedValue(*r, t->m_masterFieldIndex), &key))
                        feed->expect(key);
                }
            }
            t->m_walkFeed = feed.get();
            Table::WalkFeed *made = feed.get();
            d->feeds.push_back(std::move(feed));
            add(*t, made);
        }
    };
    add(master, nullptr);
    WalkScope::Private::active().push_back(d.get());
}

WalkScope::~WalkScope()
{
    for (const auto &feed : d->feeds)
        feed->table->m_walkFeed = nullptr;
    // The tables are left as a walk without the scope would have left them: with their rows.
    for (const auto &feed : d->feeds)
        feed->table->ensureLoaded();
    auto &walks = WalkScope::Private::active();
    walks.erase(std::remove(walks.begin(), walks.end(), d.get()), walks.end());
}

void WalkScope::forget()
{
    for (const auto &feed : d->feeds)
        feed->fetched.clear();
}

int WalkScope::batchReads() const
{
    return d->reads;
}

bool Table::WalkFeed::fetchFrom(size_t pos)
{
    // What the walk passed by is not kept: memory stays at one batch per detail.
    fetched.clear();
    const int batch = scope->batch;
    std::vector<qint64> chunk;
    for (size_t i = pos; i < keys.size() && int(chunk.size()) < batch; ++i) {
        if (!fetched.contains(keys[i]))
            chunk.push_back(keys[i]);
    }
    if (chunk.empty())
        return false;
    const Table &t = *table;
    const FieldType keyType = t.m_master->fieldDef(t.m_masterFieldIndex).type;
    for (int i = 0; i < batch; ++i)
        select->bindValue(
            i, toStorage(keyType, QVariant::fromValue<qint64>(chunk[size_t(std::min<int>(i, int(chunk.size()) - 1))])));
    if (!select->exec()) {
        qWarning("Reading %s for a walk failed: %s", t.m_def.objectName, qPrintable(select->lastError().text()));
        select->finish();
        return false;
    }
    ++scope->reads;
    for (const qint64 key : chunk)
        fetched.insert(key, {});
    const int n = t.m_storedCount;
    const bool versioned = t.versioned();
    while (select->next()) {
        auto row = std::make_shared<Row>();
        row->rowKey = select->value(0).toLongLong();
        row->values.resize(size_t(n));
        for (int i = 0; i < n; ++i)
            row->values[size_t(i)] = fromStorage(t.m_def.fields[size_t(i)].type, select->value(i + 1));
        if (versioned)
            row->version = select->value(n + 1).toLongLong();
        qint64 key = 0;
        if (!walkKey(row->values[size_t(t.m_linkIndex)], &key))
            continue;
        const auto it = fetched.find(key);
        if (it != fetched.end())
            it->push_back(std::move(row));
    }
    select->finish();
    // The details of these rows are the master records their own feeds will be asked for next.
    for (WalkFeed *child : children) {
        const int index = child->table->m_masterFieldIndex;
        for (const qint64 key : chunk) {
            for (const RowPtr &r : fetched.value(key)) {
                qint64 childKey = 0;
                if (walkKey(r->values[size_t(index)], &childKey))
                    child->expect(childKey);
            }
        }
    }
    return true;
}

bool Table::serveFromWalk()
{
    WalkFeed *feed = m_walkFeed;
    qint64 key = 0;
    if (!feed || !walkKey(m_linkValue, &key))
        return false;
    auto it = feed->fetched.constFind(key);
    if (it == feed->fetched.cend()) {
        const auto pos = feed->position.constFind(key);
        if (pos == feed->position.cend() || !feed->fetchFrom(*pos))
            return false;
        it = feed->fetched.constFind(key);
        if (it == feed->fetched.cend())
            return false;
    }
    // The table edits its rows in place; what was read stays as read for the next visit.
    m_rows.reserve(it->size());
    for (const RowPtr &r : *it)
        m_rows.push_back(std::make_shared<Row>(*r));
    m_completeCount = 0;
    if (m_orderIndex >= 0)
        sortRows();
    return true;
}

void Table::walkRowWritten(const Row &row, const std::vector<QVariant> *before) const
{
    auto &walks = WalkScope::Private::active();
    if (walks.empty())
        return;
    auto drop = [](WalkFeed &feed, const QVariant &value) {
        qint64 key = 0;
        if (walkKey(value, &key))
            feed.fetched.remove(key);
    };
    auto stored = [this, &row](int index) -> QVariant {
        return index >= 0 && index < m_storedCount && isResident(index) ? storedValue(row, index) : QVariant();
    };
    const char *const sqlName = m_def.sqlName;
    for (WalkScope::Private *walk : walks) {
        if (walk->db != &m_db)
            continue;
        for (const auto &feed : walk->feeds) {
            const Table &t = *feed->table;
            // A row of the detail itself, written through whichever table object: its master records.
            if (qstrcmp(t.m_def.sqlName, sqlName) == 0) {
                const int link = fieldIndex(QString::fromLatin1(t.m_def.linkField));
                drop(*feed, stored(link));
                if (before && link >= 0 && link < int(before->size()))
                    drop(*feed, (*before)[size_t(link)]);
            }
            // A master record new, gone or given another key: its details are read anew if visited.
            if (qstrcmp(t.m_master->m_def.sqlName, sqlName) == 0) {
                const int masterField = fieldIndex(QString::fromLatin1(t.m_def.masterField));
                const QVariant now = stored(masterField);
                if (!before) {
                    drop(*feed, now);
                } else if (masterField >= 0 && masterField < int(before->size()) &&
                           !sameValue((*before)[size_t(masterField)], now)) {
                    drop(*feed, now);
                    drop(*feed, (*before)[size_t(masterField)]);
                }
            }
        }
    }
}

bool Table::deferLoad() const
{
    // Scroll handlers below would see their moves at another moment: such tables read at once.
    std::function<bool(const Table &)> quiet = [&quiet](const Table &t) {
        if (t.afterScroll || t.beforeScroll)
            return false;
        return std::all_of(t.m_details.begin(), t.m_details.end(), [&quiet](const Table *d) { return quiet(*d); });
    };
    return m_walkFeed && m_state == TableState::Browse && quiet(*this);
}

void Table::loadPending() const
{
    auto *self = const_cast<Table *>(this);
    // A master waiting for its own rows tells this table its record first.
    if (m_master)
        m_master->ensureLoaded();
    if (!m_pending)
        return;
    self->m_pending = false;
    self->m_linkLoaded = true;
    QString error;
    if (!self->loadRows(&error, true)) {
        qWarning("Reading %s failed: %s", m_def.objectName, qPrintable(error));
        Dialogs::instance().message(
            QStringLiteral("Не удалось прочитать таблицу %1: %2.").arg(tableName(), describeEngineError(error)),
            QStringLiteral("Ошибка"), Dialogs::Kind::Error);
    }
    self->rebuildView(0);
    self->m_bof = m_cur <= 0;
    self->m_eof = m_view.empty();
    self->m_calcDirty = true;
    self->notifyDetails();
}

void Table::forgetWalkHere()
{
    if (qint64 key = 0; m_walkFeed && walkKey(m_linkValue, &key))
        m_walkFeed->fetched.remove(key);
}

void Table::forgetWalkBelow()
{
    for (Table *t : m_details) {
        if (t->m_walkFeed)
            t->m_walkFeed->fetched.clear();
        t->forgetWalkBelow();
    }
}

} // namespace pelorin::db
