#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Copies of the database file a clinic can rely on. A copy is made by SQLite itself from one
// consistent moment of the file (VACUUM INTO over a read-only connection, so the program may go on
// writing meanwhile), written under a temporary name, and counts only once PRAGMA quick_check has
// said "ok" about the copy itself.
namespace pelorin::db {

// What quick_check finds wrong with a database file, opened read-only; empty when it says "ok".
// A file SQLite cannot read at all gives its complaint as the one line.
QStringList quickCheckFile(const QString &path);

// Writes a checked copy of folder/tarvelo.sqlite to target, which must not exist yet. On failure
// nothing is left under the target's name and *error holds the Russian reason.
bool writeBackup(const QString &dataFolder, const QString &target, QString *error);

// Removes the temporary copy ".NAME.xxxxxxxx.part" that an earlier run writing to `target` left
// beside it when it was killed (it may be as large as the database); a run going on now is not
// touched, as only what is older than this moment goes.
void removeKilledCopiesOf(const QString &target);

// The automatic copies: backups/ beside the database, one file tarvelo-<yyyy-MM-dd>.sqlite a day.
QString backupFolder(const QString &dataFolder);
QString datedBackupName(const QDate &day);
inline constexpr int kKeptDailyBackups = 30;

// The copy of the day at the program's end (the day of clock::today()). An earlier copy of the same
// day is replaced only by a copy that passed its check; then only the newest 30 dated copies stay, and
// nothing else in backups/ is touched. Asks nothing: a failure is written to standard error and
// returned, and leaves every earlier copy where it was.
bool backupAtExit(const QString &dataFolder, QString *error = nullptr);

struct RestoreResult
{
    bool ok = false;
    QString keptFile; // the replaced database, kept beside it; empty when there was none
    QString error;
};

// Puts the database file `source` in place of folder/tarvelo.sqlite. The caller holds tarvelo.lock.
// The source is first copied into the folder and refused unless it is a sound database of this
// program; the replaced file stays as tarvelo.sqlite.before-restore-<yyyyMMdd-HHmmss> together with
// its WAL, and the new file comes in by a rename, so the folder never holds half of either.
RestoreResult restoreDatabase(const QString &dataFolder, const QString &source);

// The newest tarvelo.sqlite.before-restore-* of the folder; empty when there is none. A folder that
// has one but no database was left so by a restore interrupted in an older version, or by hand.
QString keptBeforeRestore(const QString &dataFolder);
// Puts the kept file (and its -wal or -journal) back as the folder's database, which must be missing.
bool bringBackKept(const QString &dataFolder, const QString &kept, QString *error);

} // namespace pelorin::db
