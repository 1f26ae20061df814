#include "textarea_buttons.h"

#include "dialogs.h"
#include "docprinter.h"
#include "documentviewer.h"
#include "programfolder.h"
#include "report_files.h"
#include "rtfwriter.h"
#include "safefile.h"
#include "worddocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>

namespace pelorin::documents {

namespace {

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString withSuffix(const QString &name, const QString &suffix)
{
    return QFileInfo(name).suffix().compare(suffix, Qt::CaseInsensitive) == 0 ? name
                                                                              : name + QLatin1Char('.') + suffix;
}

// The save dialog does not ask about replacing a file (Dialogs leaves that to its callers), so the
// question is asked here, where the name the file really gets is known.
bool mayReplace(const QString &path)
{
    if (!QFileInfo::exists(path))
        return true;
    return Dialogs::instance().ask(
        QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(nativePath(path)));
}

void warn(const QString &text)
{
    Dialogs::instance().message(text, QStringLiteral("Внимание!"), Dialogs::Kind::Warning);
}

} // namespace

TextAreaButtons::TextAreaButtons(QTextEdit *textArea, QTabWidget *pages, QWidget *parent)
    : QWidget(parent), m_textArea(textArea), m_pages(pages)
{
    setObjectName(QStringLiteral("TextAreaButtons"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto button = [this, layout](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        layout->addWidget(b);
        return b;
    };
    m_print = button(QStringLiteral("Отправить на печать"), "ButtonDocsPrint");
    m_save = button(QStringLiteral("Сохранить как файл"), "ButtonDocsSave");
    m_word = button(QStringLiteral("Отправить содержимое в Word"), "ButtonDocsWord");
    layout->addStretch(1);
    connect(m_print, &QPushButton::clicked, this, [this] { printDocument(); });
    connect(m_save, &QPushButton::clicked, this, [this] { saveAsFile(); });
    connect(m_word, &QPushButton::clicked, this, [this] { sendToWord(); });
}

bool TextAreaButtons::chartPageActive() const
{
    return m_pages && m_pages->currentIndex() == kChartPage;
}

QString TextAreaButtons::rtfTarget(const QString &chosen)
{
    if (chosen.isEmpty() || QFileInfo::exists(chosen))
        return chosen;
    return withSuffix(chosen, QStringLiteral("rtf"));
}

bool TextAreaButtons::printDocument()
{
    std::function<bool(QPrinter &)> paint;
    if (chartPageActive()) {
        if (!m_printChart) {
            warn(QStringLiteral("График сейчас недоступен: печатать нечего."));
            return false;
        }
        paint = m_printChart;
    } else {
        QTextDocument *document = m_textArea->document();
        paint = [document](QPrinter &printer) {
            document->print(&printer);
            return printer.printerState() != QPrinter::Error;
        };
    }
    DocumentPrinter &printer = DocumentPrinter::instance();
    if (!printer.hasPrinter())
        return offerPdf(paint);
    if (chartPageActive())
        return printer.printPainted(paint, kPrintJob);
    return printer.print(*m_textArea->document(), kPrintJob);
}

bool TextAreaButtons::offerPdf(const std::function<bool(QPrinter &)> &paint)
{
    Dialogs &dialogs = Dialogs::instance();
    if (!dialogs.ask(QStringLiteral("На этом компьютере не установлен принтер. Сохранить документ в файл PDF?")))
        return false;
    const QString chosen = dialogs.saveFileName(QStringLiteral("Сохранить как PDF"), m_lastFolder,
                                                QStringLiteral("Файлы PDF (*.pdf *.PDF)"));
    if (chosen.isEmpty())
        return false;
    const QString path = withSuffix(chosen, QStringLiteral("pdf"));
    if (!mayReplace(path))
        return false;
    m_lastFolder = QFileInfo(path).absolutePath();
    bool drawn = false;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setDocName(kPrintJob);
        drawn = paint(printer);
    }
    if (!drawn || QFileInfo(path).size() == 0) {
        warn(QStringLiteral("Не удалось записать файл «%1»: нет папки, нет прав на запись или файл занят.")
                 .arg(nativePath(path)));
        return false;
    }
    return true;
}

bool TextAreaButtons::saveAsFile()
{
    if (chartPageActive())
        return false;
    const QString chosen =
        Dialogs::instance().saveFileName(QStringLiteral("Сохранить как"), m_lastFolder, kRtfFilter);
    if (chosen.isEmpty())
        return false;
    const QString path = rtfTarget(chosen);
    if (!mayReplace(path))
        return false;
    m_lastFolder = QFileInfo(path).absolutePath();
    QString error;
    if (!saveRtfFile(path, writeRtf(*m_textArea->document()), &error)) {
        warn(error);
        return false;
    }
    return true;
}

bool TextAreaButtons::sendToWord()
{
    m_lastWordCopy.clear();
    // A numbered copy, never the template itself: what the user saves from the word processor must not
    // become the template of every later discharge summary.
    office::WordDocument document;
    QString error;
    if (!document.open(summaryTemplatePath(), &error)) {
        warn(error);
        return false;
    }
    const QString folder = m_reportsFolder.isEmpty() ? folder::reports() : m_reportsFolder;
    safefile::makeFolder(folder);
    const QString path = reserveSummaryFile(folder, m_drawNumber, &error);
    if (path.isEmpty()) {
        warn(error);
        return false;
    }
    // Every paragraph ended by a line feed, as a rich-text box hands out its text; an empty area gives
    // nothing, and the placeholder goes all the same.
    QString text = m_textArea->toPlainText();
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    document.replacePlaceholder(kSummaryPlaceholder, text);
    if (!document.save(path, &error)) {
        QFile::remove(path);
        warn(error);
        return false;
    }
    m_lastWordCopy = path;
    if (!office::DocumentViewer::instance().open(path)) {
        Dialogs::instance().fileMessage(office::notOpenedMessage(path), office::folderOf(path));
        return false;
    }
    return true;
}

} // namespace pelorin::documents
