#include "report_files.h"

#include "clock.h"
#include "datamodules.h"
#include "dialogs.h"
#include "documentviewer.h"
#include "programfolder.h"
#include "reflist.h"
#include "safefile.h"
#include "table.h"
#include "worddocument.h"
#include "workbook.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace pelorin::documents {

namespace {

// A run of unlucky draws this long means the folder is as good as full; better to say so than to spin.
constexpr int kMaxDraws = 10000;

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// Creates the file empty, failing when it exists, so that a name once chosen cannot be another
// document's.
enum class Reserve { Done, Taken, Failed };

Reserve reserve(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return Reserve::Done;
    return QFileInfo::exists(path) ? Reserve::Taken : Reserve::Failed;
}

QString cannotCreate(const QString &path)
{
    return QStringLiteral("Не удалось создать файл «%1»: нет папки или нет прав на запись.").arg(nativePath(path));
}

bool readLetterhead(QString *text, QString *error)
{
    QFile file(letterheadPath());
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Не удалось прочитать файл «%1».").arg(nativePath(file.fileName()));
        return false;
    }
    *text = decodeTextFile(file.readAll());
    return true;
}

// The card under a name of its own, so that the template is never the file the user saves: the
// patient's key and the moment, with a counter for two cards of one patient in the same second.
QString reserveCardFile(const QString &folder, qint64 patient, const QDateTime &now, QString *error)
{
    const QString stem =
        QStringLiteral("karta1_%1_%2").arg(patient).arg(now.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    for (int n = 1; n <= kMaxDraws; ++n) {
        const QString name = n == 1 ? stem : stem + QStringLiteral("_%1").arg(n);
        const QString path = QDir(folder).filePath(name + QStringLiteral(".xlsx"));
        switch (reserve(path)) {
        case Reserve::Done:
            return path;
        case Reserve::Taken:
            continue;
        case Reserve::Failed:
            *error = cannotCreate(path);
            return {};
        }
    }
    *error = cannotCreate(QDir(folder).filePath(stem + QStringLiteral(".xlsx")));
    return {};
}

void fillWorkbook(office::Workbook &book, const ReportResult &r)
{
    for (const SheetHeaders &h : r.headers) {
        // An empty text leaves the template's own.
        if (!h.left.isEmpty())
            book.setLeftHeader(h.sheet, h.left);
        if (!h.right.isEmpty())
            book.setRightHeader(h.sheet, h.right);
        if (!h.rightFooter.isEmpty())
            book.setRightFooter(h.sheet, h.rightFooter);
    }
    for (const CellWrite &c : r.cells) {
        if (c.value.typeId() == QMetaType::Double)
            book.setCell(c.sheet, c.row, c.column, c.value.toDouble());
        else
            book.setCell(c.sheet, c.row, c.column, c.value.toString());
    }
}

QString folderOr(const QString &chosen, const QString &fallback)
{
    return chosen.isEmpty() ? fallback : chosen;
}

} // namespace

QString PlainTextArea::plainText() const
{
    QString text;
    for (const QString &entry : entries)
        text += entry + QLatin1Char('\n');
    return text;
}

QString cardTemplatePath()
{
    return folder::soursesReports() + QStringLiteral("karta1.xlsx");
}

QString summaryTemplatePath()
{
    return folder::soursesReports() + QStringLiteral("vipiska.docx");
}

QString letterheadPath()
{
    return folder::sourses() + QStringLiteral("docs_had.txt");
}

QString reserveSummaryFile(const QString &folder, const std::function<int()> &drawNumber, QString *error)
{
    const auto draw = [&drawNumber] {
        return drawNumber ? drawNumber() : int(QRandomGenerator::global()->bounded(1000000));
    };
    // A number that is already taken is drawn again: reopening that file would put this patient's
    // text into someone else's discharge summary.
    for (int attempt = 0; attempt < kMaxDraws; ++attempt) {
        const QString path = QDir(folder).filePath(QStringLiteral("vipiska_%1.docx").arg(draw()));
        switch (reserve(path)) {
        case Reserve::Done:
            return path;
        case Reserve::Taken:
            continue;
        case Reserve::Failed:
            *error = cannotCreate(path);
            return {};
        }
    }
    *error = QStringLiteral("Не удалось подобрать свободное имя для выписки в папке «%1».").arg(nativePath(folder));
    return {};
}

ReportFilesResult prepareReport(db::DM1 &dm1, db::DM2 &dm2, const ReportInput &input, ReportTextArea &textArea,
                                const ReportFilesOptions &options)
{
    Dialogs &dialogs = Dialogs::instance();
    ReportFilesResult result;
    const auto wait = [&options](bool on) {
        if (options.wait)
            options.wait(on);
    };
    const auto stop = [&](const QString &message) {
        wait(false);
        dialogs.message(message, QStringLiteral("Внимание!"), Dialogs::Kind::Warning);
        result.message = message;
        return result;
    };
    wait(true);
    textArea.clear();

    ReportInput in = input;
    QString letterheadError;
    if (modeSwitches(in.mode).card)
        readLetterhead(&in.letterhead, &letterheadError);
    const ReportResult r = composeReport(dm1, dm2, in);
    if (!r.error.isEmpty()) {
        wait(false);
        dialogs.beep();
        dialogs.message(r.error);
        result.message = r.error;
        return result;
    }

    // The card's template is opened before anything reaches the text area, the letterhead read
    // right after: a card that cannot be made leaves the text area empty.
    office::Workbook book;
    if (r.card) {
        QString error;
        if (!book.open(cardTemplatePath(), &error))
            return stop(error);
        if (!letterheadError.isEmpty())
            return stop(letterheadError);
        fillWorkbook(book, r);
    }

    // The entries are the extract header and anamnesis (extract modes), one empty entry, the diary's
    // day entries, then the closing lines (total dose, lifetime figures, in treatment). Each day entry
    // comes with a short beep.
    const ModeSwitches sw = modeSwitches(in.mode);
    const qsizetype firstDay = (sw.extract ? 2 : 0) + 1;
    const qsizetype endOfDays = r.entries.size() - r.closingLines;
    for (qsizetype i = 0; i < r.entries.size(); ++i) {
        if (i >= firstDay && i < endOfDays)
            dialogs.beep();
        textArea.add(r.entries.at(i));
    }

    QStringList written;
    if (r.card) {
        const QString folder = folderOr(options.cardFolder, folder::reports());
        safefile::makeFolder(folder);
        QString error;
        const QString path = reserveCardFile(folder, dm1.register_->asInteger(QStringLiteral("ID_man")),
                                             options.now.isValid() ? options.now : clock::now(), &error);
        if (path.isEmpty())
            return stop(error);
        if (!book.save(path, &error)) {
            QFile::remove(path);
            return stop(error);
        }
        result.cardPath = path;
        written << path;
    }

    if (r.summary) {
        office::WordDocument summary;
        QString error;
        if (!summary.open(summaryTemplatePath(), &error))
            return stop(error);
        const QString folder = folderOr(options.summaryFolder, folder::soursesReports());
        safefile::makeFolder(folder);
        const QString path = reserveSummaryFile(folder, options.drawNumber, &error);
        if (path.isEmpty())
            return stop(error);
        // Without the placeholder the copy stays as the template has it.
        summary.replacePlaceholder(kSummaryPlaceholder, textArea.plainText());
        if (!summary.save(path, &error)) {
            QFile::remove(path);
            return stop(error);
        }
        result.summaryPath = path;
        written << path;
    }

    wait(false);
    office::DocumentViewer &viewer = office::DocumentViewer::instance();
    for (const QString &path : written) {
        if (!viewer.open(path))
            dialogs.message(office::notOpenedMessage(path));
    }
    result.ok = true;
    return result;
}

} // namespace pelorin::documents
