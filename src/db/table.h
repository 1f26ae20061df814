#pragma once

#include "filter.h"
#include "schema.h"

#include <QDate>
#include <QObject>
#include <QSqlQuery>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace pelorin::db {

class Database;
class Table;
class WalkScope;

enum class TableState { Browse, Edit, Insert };

// A handle on one field of a table, like the persistent field objects of the windows
// (registerBorn_Day, lech_puvaId_kurs). It reads the table's current record, or the
// record being calculated while calculated fields are computed.
class Field
{
public:
    Field() = default;
    Field(Table *table, int index) : m_table(table), m_index(index) {}

    bool isValid() const { return m_table && m_index >= 0; }
    int index() const { return m_index; }
    QString name() const;
    FieldType type() const;
    int width() const;
    bool isCalculated() const;

    bool isNull() const;
    QVariant value() const; // invalid QVariant for blank
    QString asString() const;
    qint64 asInteger() const;
    double asFloat() const;
    bool asBoolean() const;
    QDate asDate() const; // 30.12.1899 for blank

    bool setValue(const QVariant &value) const;
    bool clear() const { return setValue(QVariant()); }

private:
    Table *m_table = nullptr;
    int m_index = -1;
};

// The table object: a cursor over the rows of one table, in its order, restricted to the
// master's current record and to the filter, with the browse / edit / insert states and the
// events of the windows' data layer. Posted records are written to the database at once.
class Table : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(Table &)>;

    Table(Database &database, const TableDef &def, QObject *parent = nullptr);
    ~Table() override;

    const TableDef &def() const { return m_def; }
    Database &database() const { return m_db; }
    QString tableName() const { return QString::fromLatin1(m_def.objectName); }

    // Links this table as a detail of master through the link of its definition.
    void setMaster(Table *master);
    Table *master() const { return m_master; }
    const std::vector<Table *> &details() const { return m_details; }

    // Keeps in memory, for every row, only these fields (and the key); the others are read from the
    // database for the rows that are looked at - the current record, the rows a grid shows - some
    // rows at a time, and only the last few hundred such rows are kept whole. A field the filter,
    // the order or a locate compares joins the resident ones. For a large table without master
    // (the register of a big clinic); call before open.
    void setResidentFields(const QStringList &names);
    bool isPartial() const { return !m_slotOf.empty(); }

    // Opens the table: a table without master reads all its rows, a detail follows its master.
    bool open(QString *error = nullptr);
    bool isOpen() const { return m_open; }

    // --- navigation
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);
    bool eof() const
    {
        ensureLoaded();
        return m_eof;
    }
    bool bof() const
    {
        ensureLoaded();
        return m_bof;
    }
    int recNo() const
    {
        ensureLoaded();
        return m_cur + 1;
    } // 1-based, 0 when empty
    void setRecNo(int recNo);
    int recordCount() const
    {
        ensureLoaded();
        return int(m_view.size());
    }
    bool isEmpty() const
    {
        ensureLoaded();
        return m_view.empty();
    }
    // Moves to the row whose field equals value; false (and no move) when there is none.
    bool locate(const QString &fieldName, const QVariant &value);

    // --- editing
    TableState state() const { return m_state; }
    bool isEditing() const { return m_state != TableState::Browse; }
    bool modified() const { return m_modified; }
    void edit();
    void insert();
    void append();
    bool post();
    void cancel();
    bool deleteRecord();
    // Posts a modified record, cancels an unmodified one. False when the record could not be
    // posted and stays in edit state; a move that needed it then does not happen.
    bool checkBrowseMode();
    // Called by a data-aware control, while the table collects pending values before a post,
    // when its text cannot be stored (a non-number in a number field): the post is refused with
    // this message and the record stays in edit state, nothing lost.
    void refuseUpdate(const QString &message);
    // Lets the data-aware controls write the text still pending in them, as a post would, so that
    // "post if modified" sees what the user typed. False (with the message shown) when a text
    // cannot be stored.
    bool updateRecord();

    // --- fields
    int fieldCount() const { return int(m_def.fields.size()); }
    int storedFieldCount() const { return m_storedCount; }
    int fieldIndex(const QString &name) const;
    Field field(const QString &name);
    Field fieldAt(int index) { return Field(this, index); }
    const FieldDef &fieldDef(int index) const { return m_def.fields[size_t(index)]; }

    QVariant value(int index) const;
    QVariant value(const QString &name) const;
    bool setValue(int index, const QVariant &value);
    bool setValue(const QString &name, const QVariant &value);
    bool isNull(const QString &name) const { return !value(name).isValid(); }
    QString asString(const QString &name) const;
    qint64 asInteger(const QString &name) const;
    double asFloat(const QString &name) const;
    bool asBoolean(const QString &name) const;
    QDate asDate(const QString &name) const;

    // Value of any row of the current view (grids); calculated fields are computed for that row.
    QVariant valueAt(int row, int index) const;
    // All values (stored, then calculated) of one row of the current view, calculated once.
    std::vector<QVariant> recordAt(int row) const;
    // Row key (AutoInc key or hidden row key) of the current record, 0 when none or not yet posted.
    qint64 currentRowKey() const;

    // --- filter and order
    // Sets the filter text; the empty text removes it. A malformed expression is refused with a
    // message in *error, and the previous filter stays.
    bool setFilter(const QString &text, QString *error = nullptr);
    // The same, staying on the current record when it still passes the new filter (the patient list
    // filtered again under the doctor's eyes); otherwise on the first.
    bool setFilterKeepingCurrent(const QString &text, QString *error = nullptr);
    QString filter() const { return m_filterText; }
    // Orders the rows by one field (text case-insensitive, ties by key); empty = by key.
    void setOrderField(const QString &fieldName);
    QString orderField() const { return m_orderField; }
    // Reads the rows again from the database, staying on the same record where it still exists.
    void refresh();
    // The same, and every detail down the chain reads its rows for its master again (F5).
    void refreshAll();
    // After a long walk during which the windows were not told of it (its signals blocked), tells
    // them once of everything: state, rows, current record and its values.
    void announce();

    // --- calculated fields
    void addCalcHandler(Handler handler);
    bool isCalculating() const { return m_calcRow != nullptr; }
    // Marks the current record's calculated values stale (a master field they read has changed).
    void invalidateCalc();
    // The same for every detail down the chain, after a field of this table changed.
    void invalidateDetailCalc();

    QString lastError() const { return m_lastError; }

    // Events, one handler each, as the windows define them.
    Handler beforeEdit, afterEdit, beforeInsert, afterInsert, beforePost, afterPost, beforeCancel, afterCancel,
        beforeDelete, afterDelete, beforeScroll, afterScroll, onNewRecord;

Q_SIGNALS:
    // Before a post: data-aware controls write the values still pending in them.
    void updateRecordRequested();
    // The set or order of rows changed (reload, filter, order, insert, delete, post).
    void rowsChanged();
    // The current record moved to another row.
    void currentChanged();
    // A value of the current record changed; index -1 means the whole record.
    void recordChanged(int fieldIndex);
    void stateChanged();

private:
    struct Row
    {
        qint64 rowKey = 0; // 0 for a row not yet posted
        std::vector<QVariant> values;
        qint64 version = 0; // on a server: the row version it was read at
        // False for a row of a partial table holding only the resident fields, in slot order.
        bool complete = true;
    };
    using RowPtr = std::shared_ptr<Row>;

    friend class Field;
    friend class WalkScope;
    struct WalkFeed;
    void fire(const Handler &h) { if (h) h(*this); }
    // With fromWalk, a detail inside a walk scope takes its rows from the scope's read when it has them.
    bool loadRows(QString *error, bool fromWalk = false);
    bool serveFromWalk();
    // Inside a walk scope a detail told of a new master record reads its rows only when it is looked
    // at: a walk reads the details it uses, not every detail at every move.
    bool deferLoad() const;
    void ensureLoaded() const
    {
        for (const Table *t = this; t; t = t->m_master) {
            if (t->m_pending) {
                loadPending();
                return;
            }
        }
    }
    void loadPending() const;
    // After a row of this table was written or deleted: what walk scopes read for the master records
    // it belonged to (before and after) is dropped, so they are read again when visited.
    void walkRowWritten(const Row &row, const std::vector<QVariant> *before) const;
    // What the walk scopes read for the details below this table is dropped (the rows are read anew).
    void forgetWalkBelow();
    // The same for this table's rows of its current master record.
    void forgetWalkHere();
    bool applyFilter(const QString &text, QString *error, bool keepCurrent);
    // A stored value of a row without reading anything: the row is complete or the field resident.
    const QVariant &storedValue(const Row &row, int index) const
    {
        return row.complete ? row.values[size_t(index)] : row.values[size_t(m_slotOf[size_t(index)])];
    }
    bool isResident(int index) const { return m_slotOf.empty() || index >= m_storedCount || m_slotOf[size_t(index)] >= 0; }
    // Reads the whole record of the row at view index (and of incomplete rows beside it) when the
    // table is partial; with reread, that row is read again even when it is complete.
    // Alone, only that row is read.
    void completeRow(int viewIndex, bool reread = false, bool alone = false) const;
    // The same for the current record: alone after a jump (a patient chosen from the list, a locate)
    // or when it is whole already, with its neighbours when the cursor stepped onto it (a walk reads
    // ahead).
    void completeCurrent(bool reread = false) const;
    // Makes a stored field resident in every row of a partial table.
    bool makeResident(int index, QString *error = nullptr);
    QString selectSql() const;
    void markDetailsStale();
    // On a server another seat may have changed or removed the row since it was read: the doctor is
    // told, and the row is read again (or leaves the view when it is gone). Always false.
    bool refuseStaleRow(Row &row);
    bool versioned() const;
    bool execWrite(QSqlQuery &q);
    void rebuildView(qint64 keepRowKey);
    void sortRows();
    bool lessThan(const Row &a, const Row &b) const;
    void placeRow(const RowPtr &row);
    bool rowMatchesFilter(const Row &row) const;
    void moveToIndex(int index, bool scrollEvents);
    bool collectPendingValues();
    bool prepareToMove();
    void beginInsert(bool atEnd);
    void masterChanged();
    void adoptMasterKey();
    void notifyDetails();
    QVariant masterKeyValue() const;
    void ensureCalc() const;
    void computeCalc(const Row &row, std::vector<QVariant> &out) const;
    bool writeRow(Row &row, bool inserting);
    const Row *currentRow() const;
    Row *currentRow();
    bool prepareStatements(QString *error);

    Database &m_db;
    const TableDef &m_def;
    int m_storedCount = 0;
    int m_keyIndex = -1;  // AutoInc key field, -1 for hidden row key tables
    int m_linkIndex = -1;
    int m_masterFieldIndex = -1;
    int m_orderIndex = -1;
    QString m_orderField;
    QHash<QString, int> m_fieldByName; // lower-case name -> index
    QHash<QString, int> m_fieldByExactName; // name as the schema spells it -> index

    Table *m_master = nullptr;
    std::vector<Table *> m_details;
    QVariant m_linkValue; // master key the rows were read for
    bool m_linkLoaded = false;

    std::vector<RowPtr> m_rows; // all rows read, in order
    std::vector<RowPtr> m_view; // rows passing the filter, in order
    int m_cur = -1;
    bool m_eof = true;
    bool m_bof = true;
    bool m_open = false;

    TableState m_state = TableState::Browse;
    bool m_modified = false;
    std::vector<QVariant> m_original; // stored values of the record being edited
    RowPtr m_insertRow;               // the row being inserted (also present in m_view)
    int m_insertReturn = -1;          // current index to return to when an insert is cancelled

    QString m_filterText;
    std::unique_ptr<Filter> m_filter;

    std::vector<Handler> m_calcHandlers;
    mutable std::vector<QVariant> m_calcValues;
    mutable bool m_calcDirty = true;
    mutable const Row *m_calcRow = nullptr;           // row being calculated
    mutable std::vector<QVariant> *m_calcTarget = nullptr;

    QString m_lastError;
    QString m_updateRefusal;
    QString m_selectSql;
    std::unique_ptr<QSqlQuery> m_select;
    std::unique_ptr<QSqlQuery> m_selectSome; // whole records of a partial table by their keys
    std::unique_ptr<QSqlQuery> m_selectOne;  // the whole record of one row of a partial table
    bool m_stepped = false;                  // the last move went to the next or the prior row
    std::vector<int> m_slotOf;              // partial table: stored field -> slot, -1 not resident
    std::vector<int> m_residentFields;      // partial table: slot -> stored field
    mutable int m_completeCount = 0;        // rows of a partial table held whole
    std::unique_ptr<QSqlQuery> m_insert;
    std::unique_ptr<QSqlQuery> m_update;
    std::unique_ptr<QSqlQuery> m_delete;
    bool m_stale = false; // the last write found its row changed by another seat
    int m_depth = 0; // nesting of posts, for diagnostics only
    WalkFeed *m_walkFeed = nullptr; // set while a walk scope serves this detail
    bool m_pending = false;         // the rows for m_linkValue are not read yet
};

// A walk over many records of a master (a maintenance run over every patient, a document over every
// examination of a patient): while the scope lives, each detail of the master, and theirs down the
// chain, reads its rows for a few hundred master records in one statement, in the order the walk
// will visit them (the master's rows as listed when the scope opens), and a move of the master takes
// the detail's rows from that read instead of a statement of its own. The walk itself does not
// change: the same rows in the same order, the same events at the same moments. What was read is
// kept for one batch of master records per detail (a master visited again within it costs nothing);
// a post or delete through any table object of the database drops what was read for the master
// records it touches, and a refresh reads from the database, so a walk never sees rows older than
// its own writes. Writes made past the table objects must call forget(). Inside a scope a detail
// told of a new master record reads nothing until it is looked at.
// The scope must not outlive its tables.
class WalkScope
{
public:
    explicit WalkScope(Table &master, int batch = 256);
    ~WalkScope();
    WalkScope(const WalkScope &) = delete;
    WalkScope &operator=(const WalkScope &) = delete;

    // Drops everything read so far; the details read their rows themselves until the next batch.
    void forget();
    // Statements the scope has run to read details (for the tests and the benchmarks).
    int batchReads() const;

private:
    friend class Table;
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace pelorin::db
