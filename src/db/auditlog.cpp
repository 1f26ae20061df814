#include "auditlog.h"

#include "changelog.h"
#include "clock.h"
#include "database.h"
#include "safefile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>
#include <QSqlError>
#include <QSysInfo>
#include <QTimer>

#include <algorithm>

namespace pelorin::db {

namespace {

// The ISO forms of date and time are Qt's fast paths; a format string is parsed anew at every call.
QString stampText(const QDateTime &when)
{
    return when.date().toString(Qt::ISODate) + QLatin1Char('T') + when.time().toString(Qt::ISODateWithMs);
}

// Bounds of a day range as stamps: from the first moment of `from` up to, not including, the day after `to`.
QString dayStart(const QDate &day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

bool onServer(const QSqlDatabase &sql)
{
    return sql.driverName() == QLatin1String("QPSQL");
}

// The columns of a row; a journal of the earlier layout, opened without being brought up to date,
// has no seats.
QString columns(QSqlDatabase &sql)
{
    QSqlQuery q(sql);
    const bool seats =
        onServer(sql) ? q.exec(QStringLiteral("SELECT 1 FROM information_schema.columns WHERE table_schema = "
                                              "current_schema() AND table_name = 'audit_log' AND column_name = 'seat'")) &&
                            q.next()
                      : q.exec(QStringLiteral("SELECT 1 FROM pragma_table_info('audit_log') WHERE name = 'Seat'")) && q.next();
    return QStringLiteral("SELECT ID, Stamp, ID_man, Tabl, Text, Hash, %1 FROM audit_log")
        .arg(seats ? QStringLiteral("Seat") : QStringLiteral("NULL"));
}

// Several seats write a server's journal: each row's place in the chain is taken under this lock,
// held to the end of the row's transaction.
constexpr qint64 kJournalLock = 7204513;

// The row a query over kColumns stands on.
AuditEntry entryAt(const QSqlQuery &q)
{
    AuditEntry e;
    e.id = q.value(0).toLongLong();
    e.stamp = q.value(1).toString();
    e.patient = q.value(2).isNull() ? QVariant() : QVariant(q.value(2).toLongLong());
    e.table = q.value(3).toString();
    e.text = q.value(4).toString();
    e.hash = q.value(5).toString();
    e.seat = q.value(6).toString();
    return e;
}

} // namespace

QString AuditLog::seatName()
{
    const QString named = qEnvironmentVariable("PELORIN_SEAT").trimmed();
    if (!named.isEmpty())
        return named;
    const QString user = qEnvironmentVariable("USER");
    return (user.isEmpty() ? QString() : user + QLatin1Char('@')) + QSysInfo::machineHostName();
}

AuditLog::AuditLog(Database &database, ChangeLog &log) : m_db(database), m_log(log), m_seat(seatName())
{
    m_log.setKeeper([this](const QString &line, const QString &table) { record(line, table); });
    m_db.setJournal(this);
}

AuditLog::~AuditLog()
{
    closing();
    m_db.setJournal(nullptr);
    m_log.setKeeper({});
    // The queued flush must not find this object gone.
    m_guard.reset();
}

QString AuditLog::chainHash(const QString &previous, const AuditEntry &entry)
{
    // Unit separators keep "ab"+"c" apart from "a"+"bc".
    const QChar sep(0x1f);
    const QString patient = entry.patient.isNull() ? QString() : QString::number(entry.patient.toLongLong());
    QString material = previous + sep + entry.stamp + sep + patient + sep + entry.table + sep + entry.text;
    if (!entry.seat.isEmpty())
        material += sep + entry.seat;
    return QString::fromLatin1(QCryptographicHash::hash(material.toUtf8(), QCryptographicHash::Sha256).toHex());
}

void AuditLog::record(const QString &line, const QString &table)
{
    AuditEntry entry;
    entry.stamp = stampText(clock::now());
    if (m_patientOf)
        entry.patient = m_patientOf();
    entry.table = table;
    entry.text = line;
    if (m_db.backend() == Database::Backend::PostgreSQL)
        entry.seat = m_seat;
    m_pending << entry;
    if (m_db.inTransaction()) {
        flush();
        return;
    }
    // A line that no post follows (an operation's own note) is written as soon as the event loop comes
    // round, so it is not kept waiting in memory for long.
    if (!m_flushQueued && QCoreApplication::instance()) {
        m_flushQueued = true;
        if (!m_guard)
            m_guard = std::make_unique<QObject>();
        QTimer::singleShot(0, m_guard.get(), [this] {
            m_flushQueued = false;
            flush();
        });
    }
}

bool AuditLog::flush()
{
    if (m_pending.isEmpty())
        return true;
    if (!m_db.isOpen())
        return false;
    if (!m_db.inTransaction()) {
        // Beginning the transaction calls back here, inside it.
        Transaction transaction(m_db);
        return transaction.commit() && m_pending.isEmpty();
    }
    QList<AuditEntry> batch;
    batch.swap(m_pending);
    for (qsizetype i = 0; i < batch.size(); ++i) {
        if (!writeNow(batch[i])) {
            m_pending = batch.mid(i) + m_pending;
            return false;
        }
    }
    return true;
}

void AuditLog::closing()
{
    flush();
    keepEndBeside();
    m_last.reset();
    m_insert.reset();
    m_chainEnd.clear();
}

bool AuditLog::writeNow(const AuditEntry &entry)
{
    const bool server = m_db.backend() == Database::Backend::PostgreSQL;
    if (!m_insert) {
        m_last = std::make_unique<QSqlQuery>(m_db.sql());
        m_last->prepare(QStringLiteral("SELECT Hash, ID FROM audit_log ORDER BY ID DESC LIMIT 1"));
        m_insert = std::make_unique<QSqlQuery>(m_db.sql());
        m_insert->prepare(QStringLiteral("INSERT INTO audit_log (Stamp, ID_man, Tabl, Text, Hash, Seat, ID) "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    }
    // In a file the end of the chain is read once and then followed in memory: one program writes
    // the file (tarvelo.lock), and a rolled-back transaction makes it read again. On a server the
    // other seats write too: the end is read under the journal's lock every time, and the row gets
    // the next number itself, so that a transaction given up leaves no gap in the numbers.
    qint64 nextId = 0;
    if (server) {
        QSqlQuery lock(m_db.sql());
        if (!lock.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kJournalLock))) {
            qWarning("audit_log: %s", qPrintable(lock.lastError().text()));
            return false;
        }
        m_chainEnd.clear();
    }
    if (m_chainEnd.isEmpty()) {
        if (!m_last->exec()) {
            qWarning("audit_log: %s", qPrintable(m_last->lastError().text()));
            m_last->finish();
            return false;
        }
        const bool any = m_last->next();
        m_chainEnd = any ? m_last->value(0).toString() : firstPrevious();
        nextId = any ? m_last->value(1).toLongLong() + 1 : 1;
        m_last->finish();
    }
    const QString hash = chainHash(m_chainEnd, entry);
    m_insert->bindValue(0, entry.stamp);
    m_insert->bindValue(1, entry.patient.isNull() ? QVariant(QMetaType(QMetaType::LongLong)) : entry.patient);
    m_insert->bindValue(2, entry.table.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(entry.table));
    m_insert->bindValue(3, entry.text);
    m_insert->bindValue(4, hash);
    m_insert->bindValue(5, entry.seat.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(entry.seat));
    // A file numbers its rows itself (the next after the largest).
    m_insert->bindValue(6, server ? QVariant(nextId) : QVariant(QMetaType(QMetaType::LongLong)));
    const bool ok = m_insert->exec();
    if (ok) {
        m_chainEnd = hash;
    } else {
        qWarning("audit_log: %s", qPrintable(m_insert->lastError().text()));
        m_chainEnd.clear();
    }
    m_insert->finish();
    return ok;
}

bool AuditLog::present(QSqlDatabase &sql)
{
    QSqlQuery q(sql);
    if (onServer(sql))
        return q.exec(QStringLiteral("SELECT to_regclass('audit_log') IS NOT NULL")) && q.next() && q.value(0).toBool();
    return q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'audit_log'")) &&
           q.next();
}

bool AuditLog::read(QSqlDatabase &sql, const Filter &filter, QList<AuditEntry> *rows, QString *error,
                    qint64 *matching)
{
    rows->clear();
    if (!present(sql)) {
        *error = QStringLiteral("В файле нет постоянного журнала изменений.");
        return false;
    }
    // Stamps are ISO texts, so a day range is a range of texts.
    // The casts give a server the parameters' types, which "? IS NULL" alone does not tell it.
    const QString where = QStringLiteral(" WHERE (CAST(? AS BIGINT) IS NULL OR ID_man = CAST(? AS BIGINT)) "
                                         "AND (CAST(? AS TEXT) IS NULL OR Stamp >= CAST(? AS TEXT)) "
                                         "AND (CAST(? AS TEXT) IS NULL OR Stamp < CAST(? AS TEXT))");
    auto bindFilter = [&](QSqlQuery &q) {
        const QVariant patient = filter.patient.isNull() ? QVariant(QMetaType(QMetaType::LongLong))
                                                          : QVariant(filter.patient.toLongLong());
        const QVariant from = filter.from.isValid() ? QVariant(dayStart(filter.from))
                                                    : QVariant(QMetaType(QMetaType::QString));
        const QVariant to = filter.to.isValid() ? QVariant(dayStart(filter.to.addDays(1)))
                                                : QVariant(QMetaType(QMetaType::QString));
        for (const QVariant &v : {patient, patient, from, from, to, to})
            q.addBindValue(v);
    };
    QSqlQuery q(sql);
    if (matching) {
        q.prepare(QStringLiteral("SELECT count(*) FROM audit_log") + where);
        bindFilter(q);
        if (!q.exec() || !q.next()) {
            *error = describeEngineError(q.lastError().text());
            return false;
        }
        *matching = q.value(0).toLongLong();
        q.finish();
    }
    QString select = columns(sql) + where +
                     QStringLiteral(" ORDER BY ID DESC");
    if (filter.limit > 0)
        select += QStringLiteral(" LIMIT %1").arg(filter.limit);
    q.prepare(select);
    bindFilter(q);
    if (!q.exec()) {
        *error = describeEngineError(q.lastError().text());
        return false;
    }
    while (q.next())
        rows->append(entryAt(q));
    std::reverse(rows->begin(), rows->end());
    return true;
}

AuditLog::Verdict AuditLog::verify(QSqlDatabase &sql)
{
    Verdict v;
    auto broken = [&v](qint64 id, const QString &problem) {
        v.sound = false;
        v.firstBroken = id;
        v.problem = problem;
        return v;
    };
    if (!present(sql)) {
        // Every database of layout 2 on has the table: one without it had it removed.
        QSqlQuery q(sql);
        const QString versionSql = onServer(sql) ? QStringLiteral("SELECT max(version) FROM pelorin_version")
                                                 : QStringLiteral("PRAGMA user_version");
        const int version = q.exec(versionSql) && q.next() ? q.value(0).toInt() : 0;
        if (version >= 2)
            return broken(0, QStringLiteral("Таблица журнала изменений удалена из файла."));
        return v; // a file of the earlier layout: nothing kept yet
    }
    QSqlQuery q(sql);
    q.setForwardOnly(true);
    if (!q.exec(columns(sql) + QStringLiteral(" ORDER BY ID")))
        return broken(0, describeEngineError(q.lastError().text()));
    QString previous = firstPrevious();
    qint64 lastId = 0;
    while (q.next()) {
        const AuditEntry e = entryAt(q);
        // Numbers are given out one after another and never again: a gap is a removed row.
        if (e.id != lastId + 1) {
            return broken(e.id, lastId == 0 ? QStringLiteral("Удалены первые записи журнала (до записи %1).").arg(e.id)
                                            : QStringLiteral("Удалены записи журнала между %1 и %2.")
                                                  .arg(lastId)
                                                  .arg(e.id));
        }
        if (chainHash(previous, e) != e.hash)
            return broken(e.id, QStringLiteral("Запись журнала %1 изменена после того, как была сделана.").arg(e.id));
        previous = e.hash;
        lastId = e.id;
        ++v.rows;
    }
    v.lastHash = previous;
    return v;
}

AuditLog::ChainEnd AuditLog::chainEnd(QSqlDatabase &sql)
{
    ChainEnd end;
    if (!present(sql))
        return end;
    QSqlQuery q(sql);
    if (q.exec(QStringLiteral("SELECT count(*) FROM audit_log")) && q.next())
        end.rows = q.value(0).toLongLong();
    q.finish();
    if (q.exec(QStringLiteral("SELECT Hash FROM audit_log ORDER BY ID DESC LIMIT 1")) && q.next())
        end.hash = q.value(0).toString();
    return end;
}

AuditLog::ChainEnd AuditLog::chainEndOfFile(const QString &path)
{
    ChainEnd end;
    end.rows = -1;
    const QString connection = QStringLiteral("journal-end-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && q.next())
                end = chainEnd(db);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return end;
}

QString AuditLog::endMarkPath(const QString &dataFolder)
{
    return QDir(dataFolder).absoluteFilePath(QStringLiteral("tarvelo.journal-end"));
}

bool AuditLog::readEndMark(const QString &dataFolder, ChainEnd *end)
{
    QFile file(endMarkPath(dataFolder));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ChainEnd read;
    bool rows = false;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(QLatin1String("rows ")))
            read.rows = text.mid(5).toLongLong(&rows);
        else if (text.startsWith(QLatin1String("hash ")))
            read.hash = text.mid(5);
        else if (text.startsWith(QLatin1String("since ")))
            read.since = QDateTime::fromString(text.mid(6), Qt::ISODateWithMs);
    }
    if (!rows)
        return false;
    *end = read;
    return true;
}

bool AuditLog::writeEndMark(const QString &dataFolder, const ChainEnd &end)
{
    QByteArray text = "rows " + QByteArray::number(end.rows) + "\nhash " + end.hash.toLatin1() + '\n';
    if (end.since.isValid())
        text += "since " + end.since.toString(Qt::ISODateWithMs).toLatin1() + '\n';
    return safefile::write(endMarkPath(dataFolder), text, nullptr);
}

QString AuditLog::compareWithEnd(QSqlDatabase &sql, const ChainEnd &end, const QString &where)
{
    if (end.rows <= 0)
        return {};
    const ChainEnd now = chainEnd(sql);
    // Numbers go 1, 2, 3... without gaps (verify sees to that): the noted last row is row number `rows`.
    QSqlQuery q(sql);
    q.prepare(QStringLiteral("SELECT Hash FROM audit_log WHERE ID = ?"));
    q.addBindValue(end.rows);
    if (!present(sql) || !q.exec() || !q.next())
        return QStringLiteral("Из журнала изменений удалены последние записи: %1 их было %2, в журнале %3.")
            .arg(where)
            .arg(end.rows)
            .arg(now.rows);
    if (q.value(0).toString() != end.hash)
        return QStringLiteral("Журнал изменений не сходится с концом цепочки, отмеченным %1: запись %2 другая.")
            .arg(where)
            .arg(end.rows);
    return {};
}

QStringList AuditLog::findings(QSqlDatabase &sql, const QString &dataFolder)
{
    const Verdict verdict = verify(sql);
    if (!verdict.sound)
        return {verdict.problem};
    QStringList found;
    if (present(sql) && verdict.rows == 0) {
        QSqlQuery q(sql);
        if (q.exec(QStringLiteral("SELECT count(*) FROM register")) && q.next() && q.value(0).toLongLong() > 0)
            found << QStringLiteral("Журнал изменений пуст, хотя в базе есть пациенты (%1): его записи удалены.")
                         .arg(q.value(0).toLongLong());
    }
    if (dataFolder.isEmpty())
        return found;
    ChainEnd mark;
    const bool marked = readEndMark(dataFolder, &mark);
    if (marked) {
        if (const QString problem = compareWithEnd(sql, mark, QStringLiteral("в файле tarvelo.journal-end"));
            !problem.isEmpty())
            found << problem;
    }
    // The newest copy of the day, unless a restore has begun the records anew since it was made.
    static const QRegularExpression dated(QStringLiteral("^tarvelo-\\d{4}-\\d{2}-\\d{2}\\.sqlite$"));
    const QDir backups(QDir(dataFolder).absoluteFilePath(QStringLiteral("backups")));
    QStringList names = backups.entryList(QDir::Files, QDir::Name | QDir::Reversed).filter(dated);
    if (!names.isEmpty()) {
        const QFileInfo newest(backups.absoluteFilePath(names.first()));
        if (!marked || !mark.since.isValid() || newest.lastModified() > mark.since) {
            const ChainEnd copied = chainEndOfFile(newest.absoluteFilePath());
            if (const QString problem =
                    compareWithEnd(sql, copied, QStringLiteral("в копии «%1»").arg(newest.fileName()));
                copied.rows > 0 && !problem.isEmpty())
                found << problem;
        }
    }
    return found;
}

void AuditLog::keepEndBeside()
{
    if (!m_db.isOpen() || m_db.backend() != Database::Backend::SQLite || m_db.folder().isEmpty())
        return;
    QSqlDatabase &sql = m_db.sql();
    if (!present(sql))
        return;
    // A cut found once stays on record: the mark is not moved back to the shorter journal.
    ChainEnd mark;
    if (readEndMark(m_db.folder(), &mark) && !compareWithEnd(sql, mark, QString()).isEmpty())
        return;
    ChainEnd end = chainEnd(sql);
    end.since = mark.since;
    writeEndMark(m_db.folder(), end);
}

} // namespace pelorin::db
