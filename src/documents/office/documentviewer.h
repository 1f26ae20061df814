#pragma once

#include <QString>
#include <QStringList>

namespace pelorin::office {

// Shows a written document in whatever program the desktop opens such files with; the filled card
// and discharge summary are printed from there. Tests install a recorder, so that nothing opens.
class DocumentViewer
{
public:
    virtual ~DocumentViewer() = default;

    // False when no program took the file; the caller then tells the user where the file is.
    virtual bool open(const QString &path) = 0;

    static DocumentViewer &instance();
    // Installs a viewer (not owned); nullptr restores the desktop one.
    static void setInstance(DocumentViewer *viewer);
};

// Hands the file to the desktop. Refuses without a graphical application, on the offscreen platform
// that window tests use, where there is nobody to look at it, and when the desktop names no program
// for the file's kind: the desktop's opener would then fail where nobody sees it.
class DesktopDocumentViewer : public DocumentViewer
{
public:
    bool open(const QString &path) override;
};

// Records the paths it was given and opens nothing.
class RecordingDocumentViewer : public DocumentViewer
{
public:
    QStringList opened;
    bool answer = true; // what open() returns, to play a computer without a suitable program

    bool open(const QString &path) override;
};

// Installs a RecordingDocumentViewer for the lifetime of the object.
class ScopedRecordingDocumentViewer : public RecordingDocumentViewer
{
public:
    ScopedRecordingDocumentViewer();
    ~ScopedRecordingDocumentViewer() override;
};

// The message for a document that was written but that no program opened: the file and its folder.
QString notOpenedMessage(const QString &path);
QString folderOf(const QString &path);

} // namespace pelorin::office
