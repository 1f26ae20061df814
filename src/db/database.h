#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace pelorin::db {

// The database file tarvelo.sqlite in the data folder that the alias Tarvelo names.
// Opening creates the folder and the nineteen tables when they are missing, takes the file
// for this program instance alone, and checks that the file really is one of ours.
class Database
{
public:
    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    static QString fileName() { return QStringLiteral("tarvelo.sqlite"); }

    // The data folder: --data DIR among the arguments, else $TARVELO, else data/ beside the executable.
    static QString resolveDataFolder(const QStringList &arguments);

    // Opens (creating when needed) folder/tarvelo.sqlite. On failure returns false and a Russian
    // message naming the file in *error; the database stays closed.
    bool open(const QString &folder, QString *error);
    void close();
    bool isOpen() const;

    QSqlDatabase &sql() { return m_db; }
    QString folder() const { return m_folder; }
    QString filePath() const;

    // Writes everything posted so far through to the database file (a WAL checkpoint).
    bool flush(QString *error = nullptr);

    // Integrity check of the file: empty list when it is sound.
    QStringList integrityCheck();

private:
    bool createSchema(QString *error);
    QString m_connection;
    QString m_folder;
    QSqlDatabase m_db;
};

// SQL text of one table and of its indexes (used by the schema and by tests).
QString createTableSql(const struct TableDef &def);
QStringList createIndexSql(const struct TableDef &def);
QString quoteIdentifier(const QString &name);

} // namespace pelorin::db
