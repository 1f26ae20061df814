#include "backups.h"

#include "auditlog.h"
#include "clock.h"
#include "database.h"
#include "safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace pelorin::db {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// SQLite does not sync what VACUUM INTO writes; a copy that is to replace an older one, or to become
// the database, must be on the disk before its rename makes it count.
void syncToDisk(const QString &path)
{
#ifdef Q_OS_UNIX
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        ::fsync(file.handle());
#else
    Q_UNUSED(path)
#endif
}

// Writes a consistent copy of the folder's database to `part` (not existing yet) and checks it. On
// failure `part` is gone again.
bool writeCheckedCopy(const QString &dataFolder, const QString &part, QString *error)
{
    QString why;
    // The copy's file is made by the program, for its owner and group only, and never through a link
    // planted at its name; VACUUM INTO fills an empty file it is given.
    if (!safefile::createEmpty(part, &why)) {
        *error = QStringLiteral("Не удалось записать копию: %1.").arg(why);
        return false;
    }
    {
        Database source;
        if (!source.open(dataFolder, &why, Database::OpenMode::ReadOnly)) {
            QFile::remove(part);
            *error = why;
            return false;
        }
        QSqlQuery q(source.sql());
        if (!q.prepare(QStringLiteral("VACUUM INTO ?"))) {
            why = q.lastError().text();
        } else {
            q.addBindValue(part);
            if (!q.exec())
                why = q.lastError().text();
        }
    }
    if (!why.isEmpty()) {
        QFile::remove(part);
        *error = QStringLiteral("Не удалось записать копию «%1»: %2.").arg(native(part), describeEngineError(why));
        return false;
    }
    if (const QStringList problems = quickCheckFile(part); !problems.isEmpty()) {
        QFile::remove(part);
        *error = QStringLiteral("Копия не прошла проверку (PRAGMA quick_check) и удалена: %1")
                     .arg(problems.mid(0, 5).join(QStringLiteral("; ")));
        return false;
    }
    syncToDisk(part);
    return true;
}

// Renames over an existing file in one step, so the day's earlier copy is there until the new one is.
bool replaceFile(const QString &from, const QString &to, QString *error)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()),
                            ec);
    if (!ec)
        return true;
    *error = QStringLiteral("Не удалось переименовать «%1» в «%2» (%3).")
                 .arg(native(from), native(to), QString::fromLocal8Bit(ec.message().c_str()));
    return false;
}

void pruneDailyBackups(const QDir &folder)
{
    static const QRegularExpression dated(QStringLiteral("^tarvelo-(\\d{4}-\\d{2}-\\d{2})\\.sqlite$"));
    QStringList names;
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch m = dated.match(name);
        if (m.hasMatch() && QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd")).isValid())
            names << name;
    }
    // The date in the name orders them; the newest come first.
    std::sort(names.begin(), names.end(), std::greater<>());
    for (qsizetype i = kKeptDailyBackups; i < names.size(); ++i) {
        if (!QFile::remove(folder.absoluteFilePath(names.at(i))))
            std::fprintf(stderr, "%s\n",
                         qPrintable(QStringLiteral("Не удалось удалить старую копию «%1».")
                                        .arg(native(folder.absoluteFilePath(names.at(i))))));
    }
}

// The renames of one restore, undone in reverse order when a later step fails.
class Moves
{
public:
    bool move(const QString &from, const QString &to)
    {
        if (!QFile::rename(from, to))
            return false;
        m_done.emplace_back(from, to);
        return true;
    }
    void undo()
    {
        for (auto it = m_done.rbegin(); it != m_done.rend(); ++it)
            QFile::rename(it->second, it->first);
        m_done.clear();
    }

private:
    std::vector<std::pair<QString, QString>> m_done;
};

// Puts `staged` in place of `live` and keeps `live` as `kept`, so that at every moment `live` names
// a whole database. The old file first gets its second name as a hard link, then the new one is
// renamed over the first; a file system without hard links exchanges the two names in one step
// (the new file waits under the kept name for it). Where neither is possible, the old two renames.
bool swapIn(const QString &staged, const QString &live, const QString &kept)
{
#ifdef Q_OS_UNIX
    const QByteArray s = QFile::encodeName(staged), l = QFile::encodeName(live), k = QFile::encodeName(kept);
    if (::link(l.constData(), k.constData()) == 0) {
        if (::rename(s.constData(), l.constData()) == 0)
            return true;
        ::unlink(k.constData());
        return false;
    }
#ifdef RENAME_EXCHANGE
    if (::rename(s.constData(), k.constData()) == 0) {
        if (::renameat2(AT_FDCWD, k.constData(), AT_FDCWD, l.constData(), RENAME_EXCHANGE) == 0)
            return true;
        ::rename(k.constData(), s.constData());
    }
#endif
#endif
    if (!QFile::rename(live, kept))
        return false;
    if (QFile::rename(staged, live))
        return true;
    QFile::rename(kept, live);
    return false;
}

} // namespace

QStringList quickCheckFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {QStringLiteral("файл не найден")};
    // SQLite reads an empty file as an empty database and finds nothing wrong with it.
    if (info.size() == 0)
        return {QStringLiteral("файл пуст")};
    QStringList problems;
    const QString connection = QStringLiteral("quick-check-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            problems << db.lastError().text();
        } else {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("PRAGMA quick_check"))) {
                problems << q.lastError().text();
            } else {
                while (q.next()) {
                    if (const QString line = q.value(0).toString(); line != QLatin1String("ok"))
                        problems << line;
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return problems;
}

bool writeBackup(const QString &dataFolder, const QString &target, QString *error)
{
    const QFileInfo to(target);
    const QString path = to.absoluteFilePath();
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (to.isSymLink())
        return fail(QStringLiteral("Копия не записана: %1.").arg(safefile::refusal(path)));
    if (to.exists())
        return fail(
            QStringLiteral("Файл «%1» уже есть; он не заменяется. Укажите для копии новое имя.").arg(native(path)));
    if (!to.absoluteDir().exists())
        return fail(QStringLiteral("Папки «%1» нет.").arg(native(to.absolutePath())));
    removeKilledCopiesOf(path);
    const QString part = safefile::partNameFor(path);
    QString why;
    if (!writeCheckedCopy(dataFolder, part, &why))
        return fail(why);
    // Qt's rename never replaces an existing file: a file that appeared meanwhile is kept too.
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        return fail(QStringLiteral("Не удалось записать копию под именем «%1».").arg(native(path)));
    }
    return true;
}

void removeKilledCopiesOf(const QString &target)
{
    const QFileInfo info(target);
    safefile::removeLeftovers(info.absolutePath(),
                              QStringLiteral("\\.%1\\.[0-9a-f]{8}\\.part").arg(QRegularExpression::escape(info.fileName())),
                              QDateTime::currentDateTime());
}

QString backupFolder(const QString &dataFolder)
{
    return QDir(dataFolder).absoluteFilePath(QStringLiteral("backups"));
}

QString datedBackupName(const QDate &day)
{
    return QStringLiteral("tarvelo-%1.sqlite").arg(day.toString(QStringLiteral("yyyy-MM-dd")));
}

bool backupAtExit(const QString &dataFolder, QString *error)
{
    QString why;
    const bool ok = [&] {
        const QDir folder(backupFolder(dataFolder));
        if (!safefile::makeFolder(folder.path())) {
            why = QStringLiteral("Не удалось создать папку «%1».").arg(native(folder.path()));
            return false;
        }
        const QString target = folder.absoluteFilePath(datedBackupName(clock::today()));
        if (const QString refused = safefile::refusal(target); !refused.isEmpty()) {
            why = refused + QLatin1Char('.');
            return false;
        }
        // The program holds the folder's lock: every copy of the day half-written before it is a
        // killed run's.
        safefile::removeLeftovers(folder.path(), QStringLiteral("\\.tarvelo-.+\\.sqlite\\.[0-9a-f]{8}\\.part"),
                                  QDateTime::currentDateTime());
        const QString part = safefile::partNameFor(target);
        if (!writeCheckedCopy(dataFolder, part, &why))
            return false;
        if (!replaceFile(part, target, &why)) {
            QFile::remove(part);
            return false;
        }
        // Older copies go only once today's is safely there.
        pruneDailyBackups(folder);
        return true;
    }();
    if (!ok) {
        why = QStringLiteral("Автоматическая резервная копия не сделана: ") + why;
        std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
        if (error)
            *error = why;
    }
    return ok;
}

RestoreResult restoreDatabase(const QString &dataFolder, const QString &source)
{
    RestoreResult result;
    auto fail = [&](const QString &why) {
        result.error = why;
        return result;
    };
    const QFileInfo from(source);
    if (!from.isFile())
        return fail(QStringLiteral("Файл «%1» не найден.").arg(native(from.absoluteFilePath())));

    // The caller holds the folder's lock: a staging folder already there is a killed restore's.
    safefile::removeLeftovers(dataFolder, QStringLiteral("\\.restore-[A-Za-z0-9]{6}"), QDateTime::currentDateTime());
    // The new file is prepared in the data folder itself, so that bringing it in is one rename on
    // the same disk.
    QTemporaryDir staging(QDir(dataFolder).absoluteFilePath(QStringLiteral(".restore-XXXXXX")));
    if (!staging.isValid())
        return fail(QStringLiteral("Не удалось создать временную папку в «%1» (%2).")
                        .arg(native(dataFolder), staging.errorString()));
    const QString staged = QDir(staging.path()).absoluteFilePath(Database::fileName());
    if (!QFile::copy(source, staged))
        return fail(QStringLiteral("Не удалось скопировать файл «%1».").arg(native(from.absoluteFilePath())));
    // A copy of a database in WAL mode may hold its newest records in its WAL: they come along.
    const QString sourceWal = from.absoluteFilePath() + QStringLiteral("-wal");
    if (QFileInfo(sourceWal).size() > 0 && !QFile::copy(sourceWal, staged + QStringLiteral("-wal")))
        return fail(QStringLiteral("Не удалось скопировать файл «%1».").arg(native(sourceWal)));

    // The same checks the program makes before it opens a file, then quick_check over all of it.
    auto refuse = [&](QString why) {
        if (!why.isEmpty())
            why[0] = why.at(0).toLower();
        return fail(QStringLiteral("Файл «%1» не восстановлен: %2").arg(native(from.absoluteFilePath()), why));
    };
    {
        Database check;
        QString why;
        if (!check.open(staging.path(), &why, Database::OpenMode::ReadOnly))
            return refuse(why.section(QLatin1Char('\n'), 1).trimmed());
        if (const QStringList problems = check.quickCheck(); !problems.isEmpty())
            return refuse(QStringLiteral("файл повреждён (PRAGMA quick_check: %1).")
                              .arg(problems.mid(0, 5).join(QStringLiteral("; "))));
    }
    // A WAL beside the new file is written into it now; none of it may be left to pair with it later.
    if (QFileInfo::exists(staged + QStringLiteral("-wal")) || QFileInfo::exists(staged + QStringLiteral("-shm"))) {
        Database fold;
        QString why;
        if (!fold.open(staging.path(), &why, Database::OpenMode::Existing))
            return refuse(why.section(QLatin1Char('\n'), 1).trimmed());
        fold.close();
        if (QFileInfo(staged + QStringLiteral("-wal")).size() > 0)
            return refuse(QStringLiteral("его журнал WAL не удалось перенести в файл."));
        QFile::remove(staged + QStringLiteral("-wal"));
        QFile::remove(staged + QStringLiteral("-shm"));
    }
    syncToDisk(staged);

    const QString live = QDir(dataFolder).absoluteFilePath(Database::fileName());
    const QString wal = live + QStringLiteral("-wal");
    const QString journal = live + QStringLiteral("-journal");
    const QString shm = live + QStringLiteral("-shm");
    // The new file is set up as the clinic set up the one it replaces: its mode and its group. Without
    // one, the copy keeps its source's mode, less anything for others.
    if (QFileInfo::exists(live))
        safefile::copyModeAndGroup(live, staged);
    else
        QFile::setPermissions(staged, QFile::permissions(staged) &
                                          ~(QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
    // The restored journal begins the chain anew: its end is the one to keep beside the file, and
    // copies of the day made before this moment no longer speak for it.
    auto placed = [&] {
        AuditLog::ChainEnd end = AuditLog::chainEndOfFile(live);
        if (end.rows >= 0) {
            end.since = QDateTime::currentDateTime();
            AuditLog::writeEndMark(dataFolder, end);
        }
        result.ok = true;
        return result;
    };
    Moves moves;
    if (QFileInfo::exists(live) || QFileInfo::exists(wal) || QFileInfo::exists(journal)) {
        // The replaced file's WAL holds its newest records: written into it first, the kept file is whole
        // by itself. A file that cannot be opened keeps its WAL under the matching name instead.
        if (QFileInfo::exists(live) && QFileInfo::exists(wal)) {
            Database old;
            QString ignored;
            if (old.open(dataFolder, &ignored, Database::OpenMode::Existing))
                old.close();
        }
        const QString stamp = clock::now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString kept = live + QStringLiteral(".before-restore-") + stamp;
        for (int n = 2; QFileInfo::exists(kept) || QFileInfo::exists(kept + QStringLiteral("-wal")) ||
                        QFileInfo::exists(kept + QStringLiteral("-journal"));
             ++n)
            kept = live + QStringLiteral(".before-restore-%1-%2").arg(stamp).arg(n);
        auto keepAside = [&](const QString &file, const QString &as) {
            return !QFileInfo::exists(file) || moves.move(file, as);
        };
        // The side files go first: a WAL or journal left beside the new file would be played into it.
        if (!keepAside(wal, kept + QStringLiteral("-wal")) || !keepAside(journal, kept + QStringLiteral("-journal")) ||
            (QFileInfo::exists(shm) && !QFile::remove(shm))) {
            moves.undo();
            return fail(QStringLiteral("Не удалось отложить прежний файл базы данных «%1»; ничего не изменено.")
                            .arg(native(live)));
        }
        if (QFileInfo::exists(live)) {
            if (!swapIn(staged, live, kept)) {
                moves.undo();
                return fail(QStringLiteral("Не удалось поставить новый файл на место «%1»; прежний файл остался.")
                                .arg(native(live)));
            }
            result.keptFile = kept;
            return placed();
        }
    }
    if (!QFile::rename(staged, live)) {
        moves.undo();
        return fail(
            QStringLiteral("Не удалось поставить новый файл на место «%1»; прежний файл остался.").arg(native(live)));
    }
    return placed();
}

QString keptBeforeRestore(const QString &dataFolder)
{
    static const QRegularExpression name(
        QRegularExpression::anchoredPattern(QStringLiteral("tarvelo\\.sqlite\\.before-restore-\\d{8}-\\d{6}(-\\d+)?")));
    const QDir folder(dataFolder);
    QFileInfo newest;
    for (const QFileInfo &file : folder.entryInfoList(QDir::Files)) {
        if (name.match(file.fileName()).hasMatch() && file.size() > 0 &&
            (!newest.exists() || file.lastModified() > newest.lastModified()))
            newest = file;
    }
    return newest.exists() ? newest.absoluteFilePath() : QString();
}

bool bringBackKept(const QString &dataFolder, const QString &kept, QString *error)
{
    const QString live = QDir(dataFolder).absoluteFilePath(Database::fileName());
    auto fail = [&] {
        if (error)
            *error = QStringLiteral("Не удалось поставить файл «%1» на место «%2».").arg(native(kept), native(live));
        return false;
    };
    if (QFileInfo::exists(live) || QFileInfo(live).isSymLink())
        return fail();
    // The side files first: the database then comes with its newest records already beside it.
    for (const char *side : {"-wal", "-journal"}) {
        const QString from = kept + QLatin1String(side);
        if (QFileInfo::exists(from) && !QFile::rename(from, live + QLatin1String(side)))
            return fail();
    }
    return QFile::rename(kept, live) || fail();
}

} // namespace pelorin::db
