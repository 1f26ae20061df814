#include "documentviewer.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

namespace pelorin::office {

namespace {

DesktopDocumentViewer s_desktop;
DocumentViewer *s_installed = nullptr;

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

QString notOpenedMessage(const QString &path)
{
    return QStringLiteral("Документ сохранён: «%1». Откройте его вручную: на этом компьютере нет программы для "
                          "файлов этого вида.")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

} // namespace pelorin::office
