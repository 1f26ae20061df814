#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QString>

#include <functional>

// Writing the files that hold patient data: never through a symbolic link planted at the final name,
// never seen half-written, never readable by everyone. A file is written under a temporary name
// beside its final one and renamed over it only when complete.
//
// Modes: files are created 0660 and folders 0770, further narrowed by the umask (0640 and 0750 under
// the usual 022); the bits for others are taken away whatever the umask says.
namespace pelorin::safefile {

inline constexpr unsigned kFileMode = 0660;
inline constexpr unsigned kFolderMode = 0770;

// Adds "nothing for others" to the process's umask, so that the files SQLite and Qt create for the
// program (the database, its -wal and -shm, temporary folders) follow the same rule. Called first
// thing by each executable.
void keepFromOthers();

// The Russian reason, without a capital and a final period, why `path` is not written: a symbolic
// link (or a folder) at its place. Empty when the name may be written.
QString refusal(const QString &path);

// Writes what `write` puts into the device to `path`: a temporary ".NAME.xxxxxxxx.part" in the same
// folder, synced, then renamed over `path`. An existing symbolic link at `path` is refused. On
// failure nothing changed at `path`, no temporary file is left, and *reason holds the Russian reason
// (without a capital and a final period).
bool write(const QString &path, const std::function<bool(QIODevice &)> &write, QString *reason);
bool write(const QString &path, const QByteArray &data, QString *reason);

// Makes a new empty file `path` for the program's owner and group only, refusing any existing name
// (a link included); for a writer that wants an empty file of its own, as SQLite's VACUUM INTO does.
bool createEmpty(const QString &path, QString *reason);

// The temporary name write() and the backups use for the final name `path`; nothing has it yet.
QString partNameFor(const QString &path);

// mkpath with the folder mode: the folders it makes are the owner's and group's only.
bool makeFolder(const QString &path);

// Gives `path` the mode and group `model` has (a file replaced by `path`). False when it cannot.
bool copyModeAndGroup(const QString &model, const QString &path);

// Removes, in `folder`, the leftovers of the program's earlier runs that were killed: the entries
// named by `pattern` (a regular expression over the whole name) older than `before`. Links are
// removed themselves, never followed. Returns how many went.
int removeLeftovers(const QString &folder, const QString &pattern, const QDateTime &before);

// `relative` (with / or \) resolved inside `folder`: the absolute path, or empty when it would
// leave the folder (a "..", an absolute path, or a symbolic link on the way that points out).
QString inside(const QString &folder, const QString &relative);

} // namespace pelorin::safefile
