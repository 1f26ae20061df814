#pragma once

#include <QList>
#include <QString>

class QTextDocument;

namespace pelorin::documents {

// Printing of composed documents. The program prints straight to the default printer, as the
// documents editor always has; tests install their own printer to see what would be printed.
class DocumentPrinter
{
public:
    virtual ~DocumentPrinter() = default;

    // Prints the document as one job with this title; false when nothing was printed (the message
    // has been shown then).
    virtual bool print(const QTextDocument &document, const QString &jobTitle) = 0;

    static DocumentPrinter &instance();
    // Installs a printer (not owned); nullptr restores the default printer.
    static void setInstance(DocumentPrinter *printer);
};

// Keeps what it was asked to print; for tests.
class RecordingPrinter : public DocumentPrinter
{
public:
    struct Job
    {
        QString title;
        QString plainText;
        QString html;
    };
    QList<Job> jobs;

    bool print(const QTextDocument &document, const QString &jobTitle) override;
};

// Installs a RecordingPrinter for the lifetime of the object.
class ScopedRecordingPrinter : public RecordingPrinter
{
public:
    ScopedRecordingPrinter() { DocumentPrinter::setInstance(this); }
    ~ScopedRecordingPrinter() override { DocumentPrinter::setInstance(nullptr); }
};

} // namespace pelorin::documents
