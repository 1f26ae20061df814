#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace pelorin::folder {

namespace {

QString s_root; // set by setRoot, with a trailing slash; empty means the executable's folder

QString withTrailingSlash(const QString &dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

bool sameContents(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    return fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly) && fa.size() == fb.size() &&
           fa.readAll() == fb.readAll();
}

} // namespace

QString executableFolder()
{
    // Without an application object Qt cannot tell where the executable is; the working
    // folder is the better guess than the file-system root an empty path would give.
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

bool isInstalledCopy()
{
    return QFileInfo::exists(QDir(executableFolder()).absoluteFilePath(QString::fromLatin1(kInstalledMarker)));
}

bool layOut(const QString &shipped, const QString &programFolder)
{
    const QDir target(programFolder);
    for (const char *sub : {"sourses/reports", "foto", "reports"}) {
        if (!target.mkpath(QString::fromLatin1(sub)))
            return false;
    }
    const QDir source(shipped);
    bool ok = true;
    QDirIterator it(shipped, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString relative = source.relativeFilePath(from);
        const QString to = target.absoluteFilePath(QStringLiteral("sourses/") + relative);
        const QFileInfo copy(to);
        if (copy.exists()) {
            // The clinic edits the lists and the program writes the drug tree: only the program's own
            // forms are renewed, and only by a newer, different one.
            if (!relative.startsWith(QLatin1String("reports/")) ||
                QFileInfo(from).lastModified() <= copy.lastModified() || sameContents(from, to))
                continue;
            QFile::remove(to);
        }
        ok = target.mkpath(QFileInfo(to).absolutePath()) && QFile::copy(from, to) && ok;
        QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return ok;
}

QString root()
{
    if (!s_root.isEmpty())
        return s_root;
    if (!isInstalledCopy())
        return withTrailingSlash(executableFolder());
    static const QString installed = [] {
        const QString dir =
            QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).absoluteFilePath(QStringLiteral("Pelorin"));
        layOut(QDir(executableFolder()).absoluteFilePath(QStringLiteral("sourses")), dir);
        return withTrailingSlash(dir);
    }();
    return installed;
}

void setRoot(const QString &dir)
{
    s_root = dir.isEmpty() ? QString() : withTrailingSlash(QDir::fromNativeSeparators(dir));
}

QString sourses()
{
    return root() + QStringLiteral("sourses/");
}

QString soursesReports()
{
    return root() + QStringLiteral("sourses/reports/");
}

namespace {
QString s_photoRoot;
}

void setPhotoRoot(const QString &dir)
{
    s_photoRoot = dir.isEmpty() ? QString() : withTrailingSlash(QDir(dir).absolutePath());
}

QString photoRoot()
{
    return s_photoRoot.isEmpty() ? root() : s_photoRoot;
}

QString photoRootFromArguments(const QStringList &arguments)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--photos") && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (a.startsWith(QLatin1String("--photos=")))
            return a.mid(9);
    }
    return qEnvironmentVariable("PELORIN_PHOTOS");
}

QString foto()
{
    return photoRoot() + QStringLiteral("foto/");
}

QString reports()
{
    return root() + QStringLiteral("reports/");
}

QString toFileSystem(const QString &storedRelativePath)
{
    QString relative = storedRelativePath;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // The root already ends in a slash; a stored "\foto\..." must not double it.
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    if (relative.startsWith(QLatin1String("foto/"), Qt::CaseInsensitive))
        return photoRoot() + relative;
    return root() + relative;
}

} // namespace pelorin::folder
