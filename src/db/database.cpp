#include "database.h"

#include "auditlog.h"
#include "dialogs.h"
#include "programfolder.h"
#include "schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

namespace pelorin::db {

namespace {

QString sqlType(FieldType type)
{
    switch (type) {
    case FieldType::AutoInc:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case FieldType::Integer:
    case FieldType::Short:
    case FieldType::Boolean:
        return QStringLiteral("INTEGER");
    case FieldType::Float:
        return QStringLiteral("REAL");
    case FieldType::String:
    case FieldType::Date:
    case FieldType::Memo:
        return QStringLiteral("TEXT");
    }
    return QStringLiteral("TEXT");
}

bool exec(QSqlDatabase &db, const QString &sql, QString *error)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return true;
}

QString describeOpenFailure(const QString &path, const QString &reason)
{
    return QStringLiteral("Не удалось открыть базу данных «%1».\n%2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

QString describeEngineError(const QString &engineText)
{
    static const std::pair<const char *, const char *> known[] = {
        {"readonly database", "файл базы данных открыт только для чтения: проверьте права на папку данных"},
        {"disk is full", "на диске не осталось места"},
        {"disk I/O error", "ошибка чтения или записи диска"},
        {"database is locked", "файл базы данных занят другой программой"},
        {"unable to open database", "файл базы данных не удаётся открыть"},
        {"malformed", "файл базы данных повреждён"},
        {"not a database", "файл не является базой данных программы"},
        {"constraint failed", "запись нарушает правила таблицы"},
    };
    const QString text = engineText.trimmed();
    for (const auto &[english, russian] : known) {
        if (text.contains(QLatin1String(english), Qt::CaseInsensitive))
            return QString::fromUtf8(russian) + QStringLiteral(" (") + text + QLatin1Char(')');
    }
    return text.isEmpty() ? QStringLiteral("причина неизвестна")
                          : QStringLiteral("ошибка базы данных (") + text + QLatin1Char(')');
}

QString quoteIdentifier(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString createTableSql(const TableDef &def)
{
    QStringList cols;
    for (const FieldDef &f : def.fields) {
        if (f.calculated)
            continue;
        cols << quoteIdentifier(QString::fromLatin1(f.name)) + QLatin1Char(' ') + sqlType(f.type);
    }
    if (!def.hasAutoIncKey())
        cols << quoteIdentifier(QString::fromLatin1(kHiddenRowKey)) + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
        .arg(quoteIdentifier(QString::fromLatin1(def.sqlName)), cols.join(QStringLiteral(", ")));
}

QStringList createIndexSql(const TableDef &def)
{
    // Index names are global in one SQLite file, so they carry the table's name.
    const QString table = QString::fromLatin1(def.sqlName);
    auto index = [&](const QString &name, const QString &field, bool unique = false, bool nocase = false) {
        return QStringLiteral("CREATE %1INDEX IF NOT EXISTS %2 ON %3 (%4%5)")
            .arg(unique ? QStringLiteral("UNIQUE ") : QString(), quoteIdentifier(table + QLatin1Char('_') + name),
                 quoteIdentifier(table), quoteIdentifier(field), nocase ? QStringLiteral(" COLLATE NOCASE") : QString());
    };
    QStringList out;
    const QString link = QString::fromLatin1(def.linkField);
    const QString key = QString::fromLatin1(def.keyField);
    if (table == QLatin1String("register")) {
        out << index(QStringLiteral("ind_Last_Name"), QStringLiteral("Last_Name"), false, true);
        out << index(QStringLiteral("ind_Ambkar"), QStringLiteral("Amb_karta"));
    } else if (!def.hasAutoIncKey() && !key.isEmpty()) {
        // One record per patient: the patient key is the table's key.
        out << index(QStringLiteral("key_") + key, key, true);
    }
    if (*def.linkIndex)
        out << index(QString::fromLatin1(def.linkIndex), link);
    if (table == QLatin1String("analyz"))
        out << index(QStringLiteral("analyz_data_index"), QStringLiteral("Data"));
    if (table == QLatin1String("lech_lekar"))
        out << index(QStringLiteral("data21"), QStringLiteral("Data"));
    return out;
}

Database::Database()
    : m_connection(QStringLiteral("tarvelo-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

Database::~Database()
{
    close();
}

QString Database::resolveDataFolder(const QStringList &arguments)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--data") && i + 1 < arguments.size())
            return QDir(arguments.at(i + 1)).absolutePath();
        if (a.startsWith(QLatin1String("--data=")))
            return QDir(a.mid(7)).absolutePath();
    }
    const QString env = qEnvironmentVariable("TARVELO");
    if (!env.isEmpty())
        return QDir(env).absolutePath();
    // An installed copy's folder belongs to the system: the clinic's data lives in the user's.
    if (folder::isInstalledCopy())
        return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .absoluteFilePath(QStringLiteral("Tarvelo"));
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("data"));
}

QString Database::filePath() const
{
    return QDir(m_folder).absoluteFilePath(fileName());
}

bool Database::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

bool Database::existsIn(const QString &folder)
{
    return QFileInfo(QDir(folder).absoluteFilePath(fileName())).exists();
}

bool Database::open(const QString &folder, QString *error, OpenMode mode)
{
    close();
    m_folder = folder;
    const QString path = filePath();
    auto refuse = [&](const QString &why) {
        if (error)
            *error = describeOpenFailure(path, why);
        return false;
    };
    const QString damaged = QStringLiteral("Файл повреждён или не является базой данных программы (%1).");
    const QFileInfo info(path);
    if (info.exists() && info.isDir())
        return refuse(QStringLiteral("На месте файла базы данных находится папка."));
    if (!info.exists() && mode != OpenMode::Create)
        return refuse(QStringLiteral("Файл не найден."));
    // SQLite would take an empty file for a new database and fill it: the data it held are gone
    // already, and writing an empty clinic over it would hide that.
    if (info.exists() && info.size() == 0)
        return refuse(damaged.arg(QStringLiteral("файл пуст")));
    if (mode == OpenMode::Create && !QDir().mkpath(folder)) {
        return refuse(QStringLiteral("Не удалось создать папку данных «%1».").arg(QDir::toNativeSeparators(folder)));
    }
    const bool readOnly = mode == OpenMode::ReadOnly;
    if (info.exists() && (!info.isReadable() || (!readOnly && !info.isWritable())))
        return refuse(readOnly ? QStringLiteral("Нет прав на чтение этого файла.")
                               : QStringLiteral("Нет прав на чтение и запись этого файла."));
    if (!readOnly && !QFileInfo(folder).isWritable())
        return refuse(QStringLiteral("Нет прав на запись в папку данных «%1».").arg(QDir::toNativeSeparators(folder)));

    auto connect = [&](bool immutable) {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        // Readers and the program share the file (WAL): the few moments one of them holds it alone
        // (a checkpoint, the rebuilding of the WAL index after a crash) are waited out, not reported.
        // A second copy of the program never gets this far: tarvelo.lock stops it first.
        if (readOnly) {
            // A copy on a read-only medium has no room for the WAL's side files: read it as it is.
            const QUrl url = QUrl::fromLocalFile(path);
            m_db.setDatabaseName(url.toString(QUrl::FullyEncoded) + (immutable ? QStringLiteral("?immutable=1") : QString()));
            m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        } else {
            m_db.setDatabaseName(path);
            m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        }
        return m_db.open();
    };
    auto fail = [&](const QString &why) {
        close();
        return refuse(why);
    };
    if (!connect(false))
        return fail(describeEngineError(m_db.lastError().text()));
    // Reading the catalogue is the first thing that fails on a file that is not a database.
    auto readCatalogue = [&](QString *why) {
        QSqlQuery q(m_db);
        if (q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && q.next())
            return true;
        *why = q.lastError().text();
        return false;
    };
    QString e;
    // Reading the file as immutable skips its WAL: right for a medium where the side files cannot be
    // made, wrong for a file someone is writing, whose newest records are in the WAL.
    auto busy = [](const QString &why) {
        return why.contains(QLatin1String("locked")) || why.contains(QLatin1String("busy"));
    };
    if (!readCatalogue(&e) && readOnly && !e.contains(QLatin1String("not a database")) && !busy(e)) {
        close();
        if (!connect(true))
            return fail(describeEngineError(m_db.lastError().text()));
        e.clear();
        readCatalogue(&e);
    }
    if (!e.isEmpty()) {
        if (e.contains(QLatin1String("not a database")) || e.contains(QLatin1String("malformed")))
            return fail(damaged.arg(e));
        if (busy(e))
            return fail(QStringLiteral("Файл занят другой программой (%1).").arg(e));
        return fail(describeEngineError(e));
    }
    // Another program's database is not ours to fill with tables or to switch to our journal:
    // refuse it before anything is written.
    {
        QSqlQuery q(m_db);
        int version = -1;
        if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next())
            version = q.value(0).toInt();
        q.finish();
        int objects = 0;
        if (q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && q.next())
            objects = q.value(0).toInt();
        q.finish();
        if (version == 0 && objects > 0)
            return fail(damaged.arg(QStringLiteral("в нём таблицы другой программы")));
    }
    QString sqlError;
    if (readOnly) {
        if (!checkSchema(&sqlError))
            return fail(sqlError);
        return true;
    }
    // Normal locking in WAL: a backup, "pelorin-cli report" or "check" reads the file while the program
    // writes it. One program per folder is the lock file's business (tarvelo.lock), not the database's.
    if (!exec(m_db, QStringLiteral("PRAGMA journal_mode=WAL"), &sqlError) ||
        !exec(m_db, QStringLiteral("PRAGMA synchronous=FULL"), &sqlError) ||
        !exec(m_db, QStringLiteral("PRAGMA foreign_keys=OFF"), &sqlError)) {
        return fail(describeEngineError(sqlError));
    }
    // The tables are made or checked under a write lock, so a file that cannot be written is told
    // about at the start and not at the first save.
    if (!exec(m_db, QStringLiteral("BEGIN IMMEDIATE"), &sqlError)) {
        if (busy(sqlError))
            return fail(QStringLiteral("Файл занят другой программой (%1).").arg(sqlError));
        if (sqlError.contains(QLatin1String("not a database")) || sqlError.contains(QLatin1String("malformed")))
            return fail(damaged.arg(sqlError));
        return fail(describeEngineError(sqlError));
    }
    if (!createSchema(&sqlError)) {
        exec(m_db, QStringLiteral("ROLLBACK"), nullptr);
        return fail(sqlError);
    }
    if (!exec(m_db, QStringLiteral("COMMIT"), &sqlError))
        return fail(describeEngineError(sqlError));
    return true;
}

bool Database::createSchema(QString *error)
{
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        *error = q.lastError().text();
        return false;
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version > kSchemaVersion) {
        *error = QStringLiteral("Файл создан более новой версией программы (версия данных %1, эта программа знает %2).")
                     .arg(version)
                     .arg(kSchemaVersion);
        return false;
    }
    if (version == 0) {
        for (const TableDef &t : allTables()) {
            if (!exec(m_db, createTableSql(t), error))
                return false;
            for (const QString &sql : createIndexSql(t)) {
                if (!exec(m_db, sql, error))
                    return false;
            }
        }
        if (!exec(m_db, QStringLiteral("PRAGMA user_version=1"), error))
            return false;
    }
    // One step per later layout, each adding only tables of its own: a file of an older version is
    // brought up to date when it is first opened for writing, inside the same write lock.
    for (int step = qMax(version, 1) + 1; step <= kSchemaVersion; ++step) {
        for (const QString &sql : extraTablesSql(step)) {
            if (!exec(m_db, sql, error))
                return false;
        }
        if (!exec(m_db, QStringLiteral("PRAGMA user_version=%1").arg(step), error))
            return false;
    }
    return checkSchema(error);
}

bool Database::checkSchema(QString *error)
{
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        *error = q.lastError().text();
        return false;
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version == 0) {
        *error = QStringLiteral("Файл повреждён или не является базой данных программы (нет отметки версии данных).");
        return false;
    }
    if (version > kSchemaVersion) {
        *error = QStringLiteral("Файл создан более новой версией программы (версия данных %1, эта программа знает %2).")
                     .arg(version)
                     .arg(kSchemaVersion);
        return false;
    }
    // Every table must carry every stored field; a file that lacks one cannot be worked with.
    for (const TableDef &t : allTables()) {
        QSqlQuery cols(m_db);
        if (!cols.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(QString::fromLatin1(t.sqlName))))) {
            *error = cols.lastError().text();
            return false;
        }
        QSet<QString> present;
        while (cols.next())
            present.insert(cols.value(1).toString().toLower());
        for (const FieldDef &f : t.fields) {
            if (!f.calculated && !present.contains(QString::fromLatin1(f.name).toLower())) {
                *error = QStringLiteral("В таблице %1 нет поля %2: файл не подходит к этой версии программы.")
                             .arg(QString::fromLatin1(t.sqlName), QString::fromLatin1(f.name));
                return false;
            }
        }
    }
    return true;
}

void Database::close()
{
    if (m_journal && m_db.isOpen())
        m_journal->closing();
    m_begin.reset();
    m_commit.reset();
    if (m_db.isValid()) {
        if (m_db.isOpen())
            m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool Database::flush(QString *error)
{
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("PRAGMA wal_checkpoint(FULL)"))) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return true;
}

bool Database::beginTransaction()
{
    if (m_transactionDepth++ > 0)
        return true;
    QString error;
    if (!m_begin) {
        m_begin = std::make_unique<QSqlQuery>(m_db);
        m_begin->prepare(QStringLiteral("BEGIN IMMEDIATE"));
        m_commit = std::make_unique<QSqlQuery>(m_db);
        m_commit->prepare(QStringLiteral("COMMIT"));
    }
    const bool begun = m_begin->exec();
    if (!begun)
        error = m_begin->lastError().text();
    m_begin->finish();
    if (!begun) {
        // Without a transaction every post still reaches the file on its own, as it always did.
        qWarning("BEGIN failed: %s", qPrintable(error));
        m_transactionDepth = 0;
        return false;
    }
    // Journal lines that waited for a write belong to this one.
    if (m_journal)
        m_journal->flush();
    return true;
}

bool Database::journalWaiting() const
{
    return m_journal && m_journal->hasPending();
}

bool Database::flushJournal()
{
    return !m_journal || m_journal->flush();
}

bool Database::endTransaction(QString *error)
{
    if (m_transactionDepth == 0 || --m_transactionDepth > 0)
        return true;
    const bool committed = m_commit->exec();
    if (!committed && error)
        *error = m_commit->lastError().text();
    m_commit->finish();
    if (committed)
        return true;
    exec(m_db, QStringLiteral("ROLLBACK"), nullptr);
    // The journal's lines of this transaction are gone with it.
    if (m_journal)
        m_journal->forgetChainEnd();
    return false;
}

Transaction::Transaction(Database &database) : m_db(database)
{
    m_open = m_db.isOpen() && m_db.beginTransaction();
}

Transaction::~Transaction()
{
    commit();
}

bool Transaction::commit()
{
    if (!m_open)
        return true;
    m_open = false;
    QString error;
    if (m_db.endTransaction(&error))
        return true;
    Dialogs::instance().message(
        QStringLiteral("Не удалось записать изменения в файл базы данных «%1»; последнее действие не сохранено.\n%2")
            .arg(QDir::toNativeSeparators(m_db.filePath()), describeEngineError(error)),
        QStringLiteral("Ошибка"), Dialogs::Kind::Error);
    return false;
}

namespace {

// The lines of an integrity_check or quick_check other than its "ok".
QStringList checkProblems(QSqlDatabase &db, const QString &pragma)
{
    QStringList problems;
    QSqlQuery q(db);
    if (!q.exec(pragma)) {
        problems << q.lastError().text();
        return problems;
    }
    while (q.next()) {
        const QString line = q.value(0).toString();
        if (line != QLatin1String("ok"))
            problems << line;
    }
    return problems;
}

} // namespace

QStringList Database::quickCheck()
{
    return checkProblems(m_db, QStringLiteral("PRAGMA quick_check"));
}

QStringList Database::integrityCheck()
{
    return checkProblems(m_db, QStringLiteral("PRAGMA integrity_check"));
}

} // namespace pelorin::db
