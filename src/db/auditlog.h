#pragma once

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

namespace pelorin::db {

class ChangeLog;
class Database;

// One kept line of the change log: when, about which patient (null when not known), which table, the
// line as the log window showed it, and the SHA-256 chained over the row before it.
struct AuditEntry
{
    qint64 id = 0;
    QString stamp; // local time, yyyy-MM-ddTHH:mm:ss.zzz
    QVariant patient;
    QString table;
    QString text;
    QString hash;
    QString seat; // the workstation that wrote it, on a server; empty in a file
};

// The permanent journal of changes: every line of the run's change log, kept in the table audit_log
// of the database. Each row carries SHA-256(previous row's hash, stamp, patient, table, text[, seat]),
// the seat only where there is one (rows of a server), so a
// line edited or removed afterwards breaks the chain at the row after it. Rows cut off the end leave a
// whole chain behind: only the last hash noted elsewhere (a backup, a printout) shows them.
//
// A line is written in the same transaction as the post it belongs to: lines that arrive outside a
// transaction wait until the next post or transaction of the database takes them in (or flush()),
// so keeping them costs no commit of its own.
class AuditLog
{
public:
    AuditLog(Database &database, ChangeLog &log);
    ~AuditLog();
    AuditLog(const AuditLog &) = delete;
    AuditLog &operator=(const AuditLog &) = delete;

    // The patient the current line is about; null when there is none (a new card not yet stored).
    void setPatientSource(std::function<QVariant()> source) { m_patientOf = std::move(source); }
    // The name the rows of this seat carry on a server (seatName() by default).
    void setSeat(const QString &seat) { m_seat = seat; }
    QString seat() const { return m_seat; }
    // PELORIN_SEAT, or the user and the machine ("user@host").
    static QString seatName();

    void record(const QString &line, const QString &table);
    bool hasPending() const { return !m_pending.isEmpty(); }
    // Writes the waiting lines; inside a transaction they join it, else they get one of their own.
    bool flush();
    // The database is about to close: the waiting lines are written and the statements let go.
    void closing();
    // A transaction was rolled back: the last hash is read from the file again.
    void forgetChainEnd() { m_chainEnd.clear(); }

    // The hash of a row following the row with hash `previous` (64 zeros before the first row).
    static QString chainHash(const QString &previous, const AuditEntry &entry);
    static QString firstPrevious() { return QString(64, QLatin1Char('0')); }

    struct Filter
    {
        QVariant patient; // null: every patient
        QDate from;       // invalid: no bound
        QDate to;
        int limit = 0;    // > 0: only the last `limit` rows that match
    };
    // The kept rows that match, oldest first. False with a Russian message when the file has no journal.
    static bool read(QSqlDatabase &sql, const Filter &filter, QList<AuditEntry> *rows, QString *error,
                     qint64 *matching = nullptr);

    struct Verdict
    {
        bool sound = true;
        qint64 rows = 0;
        qint64 firstBroken = 0; // the ID of the first row that does not follow, 0 when sound
        QString problem;        // Russian, empty when sound
        QString lastHash;       // of the last row, when sound: what a later check compares with
    };
    static Verdict verify(QSqlDatabase &sql);

    // The end of the chain: how many rows, and the last one's hash (empty without rows). Rows cut off
    // the end leave a whole chain behind, so the end is kept where the same cut cannot reach it: in
    // tarvelo.journal-end beside the database (renewed whenever the program closes the file, unless
    // the journal no longer reaches the end noted there) and in every backup, which holds the journal.
    struct ChainEnd
    {
        qint64 rows = 0;
        QString hash;
        QDateTime since; // in the mark: when a restore began a new chain of records; invalid otherwise
    };
    static ChainEnd chainEnd(QSqlDatabase &sql);
    // The end in the journal of a database file (a backup), read-only; rows < 0 when it cannot be read.
    static ChainEnd chainEndOfFile(const QString &path);
    static QString endMarkPath(const QString &dataFolder);
    static bool readEndMark(const QString &dataFolder, ChainEnd *end);
    static bool writeEndMark(const QString &dataFolder, const ChainEnd &end);
    // Empty when the journal reaches `end` (has its last row, unchanged); else the Russian finding,
    // naming where the end was noted.
    static QString compareWithEnd(QSqlDatabase &sql, const ChainEnd &end, const QString &where);
    // Everything wrong with the journal of a database: its chain (verify), an empty journal beside
    // stored patients, and, for a file (dataFolder given), the ends kept beside it and in the newest
    // copy of the day. Empty when sound.
    static QStringList findings(QSqlDatabase &sql, const QString &dataFolder);
    // True when the file has the journal's table (a file of an older layout opened read-only has not).
    static bool present(QSqlDatabase &sql);

private:
    bool writeNow(const AuditEntry &entry);
    // Notes the end of the chain beside the file as the program lets it go.
    void keepEndBeside();

    Database &m_db;
    ChangeLog &m_log;
    std::function<QVariant()> m_patientOf;
    QList<AuditEntry> m_pending;
    std::unique_ptr<QSqlQuery> m_last;
    std::unique_ptr<QSqlQuery> m_insert;
    QString m_chainEnd; // hash of the last row written, empty until read from the file
    QString m_seat;
    bool m_flushQueued = false;
    std::unique_ptr<QObject> m_guard; // context of the queued flush
};

} // namespace pelorin::db
