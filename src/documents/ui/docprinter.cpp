#include "docprinter.h"

#include "dialogs.h"

#include <QPrinter>
#include <QPrinterInfo>
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

bool RecordingPrinter::print(const QTextDocument &document, const QString &jobTitle)
{
    jobs << Job{jobTitle, document.toPlainText(), document.toHtml()};
    return true;
}

} // namespace pelorin::documents
