#include "docprinter.h"

#include "dialogs.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTextDocument>

namespace pelorin::documents {

namespace {

class DefaultPrinter : public DocumentPrinter
{
public:
    bool print(const QTextDocument &document, const QString &jobTitle) override
    {
        if (QPrinterInfo::defaultPrinter().isNull()) {
            Dialogs::instance().message(QStringLiteral("Принтер по умолчанию не выбран: документ не напечатан."),
                                        QStringLiteral("Внимание!"), Dialogs::Kind::Warning);
            return false;
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(jobTitle);
        document.print(&printer);
        return printer.printerState() != QPrinter::Error;
    }

    bool printPainted(const std::function<bool(QPrinter &)> &paint, const QString &jobTitle) override
    {
        if (!hasPrinter())
            return DocumentPrinter::printPainted(paint, jobTitle); // says so, as print() does
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(jobTitle);
        return paint(printer) && printer.printerState() != QPrinter::Error;
    }
};

DocumentPrinter *g_installed = nullptr;

} // namespace

DocumentPrinter &DocumentPrinter::instance()
{
    static DefaultPrinter fallback;
    return g_installed ? *g_installed : fallback;
}

void DocumentPrinter::setInstance(DocumentPrinter *printer)
{
    g_installed = printer;
}

bool DocumentPrinter::printPainted(const std::function<bool(QPrinter &)> &, const QString &)
{
    Dialogs::instance().message(QStringLiteral("Принтер по умолчанию не выбран: документ не напечатан."),
                                QStringLiteral("Внимание!"), Dialogs::Kind::Warning);
    return false;
}

bool DocumentPrinter::hasPrinter() const
{
    return !QPrinterInfo::defaultPrinter().isNull();
}

bool RecordingPrinter::printPainted(const std::function<bool(QPrinter &)> &paint, const QString &jobTitle)
{
    // Drawn for real on a PDF page, so that a test sees a picture was made and not just asked for.
    Job job{jobTitle, {}, {}, true, {}};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.pdf"));
    bool drawn = false;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setDocName(jobTitle);
        drawn = paint(printer);
    }
    if (QFile file(path); file.open(QIODevice::ReadOnly))
        job.pdf = file.readAll();
    jobs << job;
    return drawn;
}

bool RecordingPrinter::print(const QTextDocument &document, const QString &jobTitle)
{
    jobs << Job{jobTitle, document.toPlainText(), document.toHtml()};
    return true;
}

} // namespace pelorin::documents
