#pragma once

#include <QList>
#include <QString>
#include <functional>

class QPrinter;
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
    // Prints what paint draws on the printer (a chart, say) as one job with this title; paint answers
    // false when it could not draw.
    virtual bool printPainted(const std::function<bool(QPrinter &)> &paint, const QString &jobTitle);
    // Whether there is a printer to print on at all; without one the caller offers a PDF file instead of
    // failing quietly.
    virtual bool hasPrinter() const;

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
        bool picture = false; // printPainted: drawn on a PDF page instead, which is kept in pdf
        QByteArray pdf;
    };
    QList<Job> jobs;
    bool printerPresent = true; // what hasPrinter() answers, to play a computer without a printer

    bool print(const QTextDocument &document, const QString &jobTitle) override;
    bool printPainted(const std::function<bool(QPrinter &)> &paint, const QString &jobTitle) override;
    bool hasPrinter() const override { return printerPresent; }
};

// Installs a RecordingPrinter for the lifetime of the object.
class ScopedRecordingPrinter : public RecordingPrinter
{
public:
    ScopedRecordingPrinter() { DocumentPrinter::setInstance(this); }
    ~ScopedRecordingPrinter() override { DocumentPrinter::setInstance(nullptr); }
};

} // namespace pelorin::documents
