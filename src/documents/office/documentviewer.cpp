#include "documentviewer.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>

namespace pelorin::office {

namespace {

DesktopDocumentViewer s_desktop;
DocumentViewer *s_installed = nullptr;

// QDesktopServices hands the file to xdg-open and reports success once that has started, whether or
// not any program takes the file; xdg-mime tells beforehand. Without xdg-mime the desktop is trusted.
bool hasDefaultProgram(const QString &path)
{
    const QString mime = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mime});
    if (!query.waitForStarted(2000))
        return true;
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit) {
        query.kill();
        return true;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

DocumentViewer &DocumentViewer::instance()
{
    return s_installed ? *s_installed : s_desktop;
}

void DocumentViewer::setInstance(DocumentViewer *viewer)
{
    s_installed = viewer;
}

bool DesktopDocumentViewer::open(const QString &path)
{
    // QDesktopServices needs the platform plugin of a QGuiApplication.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    if (!hasDefaultProgram(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

bool RecordingDocumentViewer::open(const QString &path)
{
    opened << path;
    return answer;
}

ScopedRecordingDocumentViewer::ScopedRecordingDocumentViewer()
{
    DocumentViewer::setInstance(this);
}

ScopedRecordingDocumentViewer::~ScopedRecordingDocumentViewer()
{
    if (&DocumentViewer::instance() == this)
        DocumentViewer::setInstance(nullptr);
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

QString notOpenedMessage(const QString &path)
{
    const QFileInfo file(path);
    return QStringLiteral("Документ сохранён: «%1» в папке «%2». Откройте его вручную: на этом компьютере нет "
                          "программы для файлов этого вида.")
        .arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath()));
}

} // namespace pelorin::office
