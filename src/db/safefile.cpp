#include "safefile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUuid>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pelorin::safefile {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

#ifdef Q_OS_UNIX
QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A new file only the program made: O_EXCL refuses any name that exists, a link included.
int createExclusive(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  static_cast<mode_t>(kFileMode));
}
#endif

} // namespace

void keepFromOthers()
{
#ifdef Q_OS_UNIX
    const mode_t old = ::umask(0);
    ::umask(old | 0007);
#endif
}

QString refusal(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral("на месте файла «%1» символическая ссылка; через ссылку программа не пишет, "
                              "удалите её или выберите другое имя")
            .arg(native(info.absoluteFilePath()));
    if (info.isDir())
        return QStringLiteral("на месте файла «%1» папка").arg(native(info.absoluteFilePath()));
    return {};
}

QString partNameFor(const QString &path)
{
    const QFileInfo info(path);
    QString part;
    do {
        part = info.absoluteDir().absoluteFilePath(
            QStringLiteral(".%1.%2.part").arg(info.fileName(), QUuid::createUuid().toString(QUuid::Id128).left(8)));
    } while (QFileInfo::exists(part) || QFileInfo(part).isSymLink());
    return part;
}

bool createEmpty(const QString &path, QString *reason)
{
#ifdef Q_OS_UNIX
    const int fd = createExclusive(path);
    if (fd < 0) {
        if (reason)
            *reason = QStringLiteral("не удалось создать файл «%1» (%2)").arg(native(path), systemReason());
        return false;
    }
    ::close(fd);
    return true;
#else
    QFile file(path);
    if (QFileInfo::exists(path) || !file.open(QIODevice::NewOnly)) {
        if (reason)
            *reason = QStringLiteral("не удалось создать файл «%1»").arg(native(path));
        return false;
    }
    return true;
#endif
}

bool write(const QString &path, const std::function<bool(QIODevice &)> &writer, QString *reason)
{
    auto fail = [&](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    const QFileInfo target(path);
    if (const QString refused = refusal(path); !refused.isEmpty())
        return fail(refused);
    if (!target.absoluteDir().exists())
        return fail(QStringLiteral("папка «%1» не найдена").arg(native(target.absolutePath())));
#ifdef Q_OS_UNIX
    const QString part = partNameFor(target.absoluteFilePath());
    const int fd = createExclusive(part);
    if (fd < 0)
        return fail(QStringLiteral("нет прав на запись в папку «%1» (%2)").arg(native(target.absolutePath()),
                                                                             systemReason()));
    bool ok = false;
    {
        QFile file;
        if (file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
            ok = writer(file) && file.flush() && file.error() == QFileDevice::NoError;
            file.close();
        }
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(QFile::encodeName(part).constData());
        return fail(QStringLiteral("файл не записан до конца (нет места на диске?)"));
    }
    // A link planted meanwhile is replaced by the rename itself, never written through.
    if (::rename(QFile::encodeName(part).constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const QString why = systemReason();
        ::unlink(QFile::encodeName(part).constData());
        return fail(QStringLiteral("файл занят другой программой или нет прав на запись (%1)").arg(why));
    }
    return true;
#else
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writer(file) || !file.commit())
        return fail(QStringLiteral("файл занят другой программой или нет прав на запись"));
    return true;
#endif
}

bool write(const QString &path, const QByteArray &data, QString *reason)
{
    return write(
        path, [&data](QIODevice &device) { return device.write(data) == data.size(); }, reason);
}

bool makeFolder(const QString &path)
{
    const QString absolute = QDir(path).absolutePath();
    if (QFileInfo(absolute).isDir())
        return true;
#ifdef Q_OS_UNIX
    // Each missing level is made with the folder mode, from the top down.
    QStringList missing;
    QString at = absolute;
    while (!at.isEmpty() && !QFileInfo::exists(at)) {
        missing.prepend(at);
        const QString up = QFileInfo(at).absolutePath();
        if (up == at)
            break;
        at = up;
    }
    for (const QString &level : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(level).constData(), static_cast<mode_t>(kFolderMode)) != 0 && errno != EEXIST)
            return false;
    }
    return QFileInfo(absolute).isDir();
#else
    return QDir().mkpath(absolute);
#endif
}

bool copyModeAndGroup(const QString &model, const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(model).constData(), &st) != 0)
        return false;
    const QByteArray to = QFile::encodeName(path);
    // The group first: changing it may clear the set-group-ID bit that chmod then puts back.
    const bool grouped = ::chown(to.constData(), static_cast<uid_t>(-1), st.st_gid) == 0;
    return ::chmod(to.constData(), st.st_mode & 07777) == 0 && grouped;
#else
    return QFile::setPermissions(path, QFileInfo(model).permissions());
#endif
}

int removeLeftovers(const QString &folder, const QString &pattern, const QDateTime &before)
{
    const QRegularExpression name(QRegularExpression::anchoredPattern(pattern));
    int removed = 0;
    const QDir dir(folder);
    for (const QFileInfo &entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!name.match(entry.fileName()).hasMatch())
            continue;
        // The entry's own time: a link's, not its target's.
        if (entry.fileTime(QFileDevice::FileModificationTime).isValid() && !entry.isSymLink() &&
            entry.lastModified() >= before)
            continue;
        const bool gone = entry.isDir() && !entry.isSymLink() ? QDir(entry.absoluteFilePath()).removeRecursively()
                                                               : QFile::remove(entry.absoluteFilePath());
        if (gone)
            ++removed;
    }
    return removed;
}

QString inside(const QString &folder, const QString &relative)
{
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (rel.isEmpty() || rel.startsWith(QLatin1Char('/')) || QDir::isAbsolutePath(rel) ||
        (rel.size() > 1 && rel.at(1) == QLatin1Char(':')))
        return {};
    const QString base = QDir::cleanPath(QDir(folder).absolutePath());
    const QString joined = QDir::cleanPath(base + QLatin1Char('/') + rel);
    if (!joined.startsWith(base + QLatin1Char('/')))
        return {};
    // Lexically inside; a link on the way may still lead out. What exists is followed to its end.
    const QString realBase = QFileInfo(base).canonicalFilePath();
    if (realBase.isEmpty())
        return joined;
    QString existing = joined;
    while (existing != base && !QFileInfo::exists(existing) && !QFileInfo(existing).isSymLink())
        existing = QFileInfo(existing).absolutePath();
    if (existing == base)
        return joined;
    const QString real = QFileInfo(existing).canonicalFilePath();
    if (real.isEmpty() || !real.startsWith(realBase + QLatin1Char('/')))
        return {};
    return joined;
}

} // namespace pelorin::safefile
