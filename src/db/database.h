#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>

namespace pelorin::db {

// The database file tarvelo.sqlite in the data folder that the alias Tarvelo names.
// Opening creates the folder and the nineteen tables when they are missing and checks that the file
// really is one of ours. The file is shared in WAL mode: read-only connections (a backup, a report)
// read it while the program writes; one program per folder is kept by tarvelo.lock beside it.
class Database
{
public:
    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    static QString fileName() { return QStringLiteral("tarvelo.sqlite"); }

    // The data folder: --data DIR among the arguments, else $TARVELO, else data/ beside the executable.
    // With a server (below) it is the seat's own folder: its lock, nothing of the records.
    static QString resolveDataFolder(const QStringList &arguments);
    // The server the records are on: --db postgresql://… among the arguments, else $TARVELO when it
    // is such an alias; empty for the file of the data folder.
    static QString resolveServerAlias(const QStringList &arguments);

    enum class OpenMode {
        Create,   // creates the folder and the file when they are missing
        Existing, // the file must be there already
        ReadOnly, // the file must be there; nothing in it or beside it is changed
        // A server only: the tables are made inside a transaction left open for the caller, whose own
        // writes join it, so that its COMMIT or ROLLBACK takes the tables with them (a move of a
        // clinic, which must leave nothing behind when it is stopped).
        CreateInOpenTransaction,
    };

    // Where the records are kept: the file of the data folder, or a PostgreSQL server shared by the
    // clinic's workstations.
    enum class Backend { SQLite, PostgreSQL };
    Backend backend() const { return m_backend; }
    // "postgresql://user@host:port/dbname": the alias names a server, not a folder.
    static bool isServerAlias(const QString &alias);
    // The alias as messages show it: any password (in the user part or ?password=) left out.
    static QString aliasForPeople(const QString &alias);
    // Why an alias is not taken (not of the form, a password in it, a parameter libpq could not be
    // given); empty when it is. Its query parameters all go to libpq.
    static QString serverAliasProblem(const QString &alias);
    // Connects to the server database the alias names and makes or checks its tables as open() does
    // for a file (ReadOnly: checks only). The password comes from PGPASSWORD or ~/.pgpass, as for
    // every PostgreSQL client; the program never keeps one.
    bool openServer(const QString &alias, QString *error, OpenMode mode = OpenMode::Create);

    // Opens folder/tarvelo.sqlite. On failure returns false and a Russian message naming the file
    // in *error; the database stays closed. An empty file (its data already gone) or a file that is
    // not one of ours is refused in every mode and never written.
    bool open(const QString &folder, QString *error, OpenMode mode = OpenMode::Create);
    // The database file exists in the folder (as a file, of any size).
    static bool existsIn(const QString &folder);
    void close();
    bool isOpen() const;

    QSqlDatabase &sql() { return m_db; }
    QString folder() const { return m_folder; }
    QString filePath() const;

    // Writes everything posted so far through to the database file (a WAL checkpoint).
    bool flush(QString *error = nullptr);

    // Integrity check of the file: empty list when it is sound.
    QStringList integrityCheck();
    // The same by PRAGMA quick_check (no index against its table), fast enough for every backup.
    QStringList quickCheck();

    // True inside a Transaction.
    bool inTransaction() const { return m_transactionDepth > 0; }

    // The permanent journal whose lines join this database's transactions; none by default.
    void setJournal(class AuditLog *journal) { m_journal = journal; }
    // Lines of the journal wait for the next write: a post then runs in a transaction that takes them in.
    bool journalWaiting() const;
    // Writes the journal's waiting lines now (before the journal is read back).
    bool flushJournal();

private:
    friend class Transaction;
    bool beginTransaction();
    bool endTransaction(QString *error);
    int m_transactionDepth = 0;
    Backend m_backend = Backend::SQLite;
    QString m_alias; // of a server, for messages
    int readVersion(QString *error);
    bool writeVersion(int version, QString *error);
    // Every post with a journal line runs in a transaction: its two statements are prepared once.
    std::unique_ptr<class QSqlQuery> m_begin;
    std::unique_ptr<class QSqlQuery> m_commit;
    class AuditLog *m_journal = nullptr;
    bool createSchema(QString *error);
    bool checkSchema(QString *error);
    QString m_connection;
    QString m_folder;
    QSqlDatabase m_db;
};

// An operation that writes several records runs inside one of these, so that a crash in the middle
// leaves all of it in the file or none of it. Posts inside it behave as ever (a refused post is
// refused, a question is asked); everything posted is written when the outermost scope ends. Scopes
// nest: an inner one only joins the outer.
class Transaction
{
public:
    explicit Transaction(Database &database);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Ends the scope now. False, with the message already shown, when the file refused the writes:
    // then nothing of the operation is in the file, and what it wrote beside the file (a photo copy)
    // must go too.
    bool commit();

private:
    Database &m_db;
    bool m_open = false;
};

// The engine's complaint for the doctor: in Russian first, the engine's own words after it in
// brackets ("файл базы данных открыт только для чтения (attempt to write a readonly database)").
QString describeEngineError(const QString &engineText);

// SQL text of one table and of its indexes (used by the schema and by tests).
QString createTableSql(const struct TableDef &def, Database::Backend backend = Database::Backend::SQLite);
QStringList createIndexSql(const struct TableDef &def, Database::Backend backend = Database::Backend::SQLite);
QString quoteIdentifier(const QString &name);

} // namespace pelorin::db
