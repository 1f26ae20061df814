#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>

namespace pelorin::folder {

namespace {

QString s_root; // set by setRoot, with a trailing slash; empty means the executable's folder

QString withTrailingSlash(const QString &dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

} // namespace

QString root()
{
    if (!s_root.isEmpty())
        return s_root;
    // Without an application object Qt cannot tell where the executable is; the working
    // folder is the better guess than the file-system root an empty path would give.
    const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return withTrailingSlash(dir);
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

QString foto()
{
    return root() + QStringLiteral("foto/");
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
    return root() + relative;
}

} // namespace pelorin::folder
