#include "report_files.h"

#include "card_sheets.h"
#include "clock.h"
#include "course_diary.h"
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
#include <QRegularExpression>

#include <algorithm>

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
// card number and surname and the moment, with a counter for two cards of one patient in the same
// second.
QString reserveCardFile(const QString &folder, const QString &patientStem, const QDateTime &now, QString *error)
{
    const QString stem = patientStem + QLatin1Char('_') + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
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

void fillWorkbook(office::Workbook &book, const ReportResult &r, const ModeSwitches &sw)
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
    writeCardCells(book, r.cells, {kDiagnosesSheet, kDiarySheet, kProcedureSheet});
    // A sheet the mode does not fill would print as an empty form, which reads as "nothing of the
    // kind happened": an empty procedure sheet beside ten procedures in the diary.
    const bool filled[] = {true, sw.sheet2, sw.sheet3FirstRow || sw.sheet3Diary, sw.sheet4};
    for (int sheet = 2; sheet <= int(std::size(filled)); ++sheet) {
        if (!filled[sheet - 1])
            book.setSheetHidden(sheet, true);
    }
}

// A card's file name carries the card number and the surname the doctor knows the patient by;
// only what every file system takes.
QString cardFileStem(const db::Table &reg)
{
    QString surname = reg.asString(QStringLiteral("Last_Name")).simplified();
    static const QRegularExpression unsafe(QStringLiteral("[^\\p{L}\\p{N}-]+"));
    surname.replace(unsafe, QStringLiteral("_"));
    QString stem = QStringLiteral("karta1_") + reg.asString(QStringLiteral("Amb_karta"));
    if (!surname.isEmpty())
        stem += QLatin1Char('_') + surname.left(40);
    return stem;
}

QString folderOr(const QString &chosen, const QString &fallback)
{
    return chosen.isEmpty() ? fallback : chosen;
}

} // namespace

std::map<int, int> writeCardCells(office::Workbook &book, const std::vector<CellWrite> &cells,
                                  const std::set<int> &flowing)
{
    // Cells of one row stay together; a later write to the same cell still wins.
    std::vector<const CellWrite *> order;
    order.reserve(cells.size());
    for (const CellWrite &c : cells)
        order.push_back(&c);
    std::stable_sort(order.begin(), order.end(), [](const CellWrite *a, const CellWrite *b) {
        return std::pair(a->sheet, a->row) < std::pair(b->sheet, b->row);
    });
    std::map<int, int> shift;
    std::map<int, int> lastRow;
    for (size_t i = 0; i < order.size();) {
        const int sheet = order[i]->sheet;
        const int row = order[i]->row;
        const bool flows = flowing.count(sheet) > 0;
        const int target = row + shift[sheet];
        int span = 1;
        for (; i < order.size() && order[i]->sheet == sheet && order[i]->row == row; ++i) {
            const CellWrite &c = *order[i];
            if (c.value.typeId() == QMetaType::Double) {
                book.setCell(sheet, target, c.column, c.value.toDouble());
                continue;
            }
            const QString text = c.value.toString();
            const QStringList pieces = flows ? book.rowPieces(sheet, target, c.column, text) : QStringList{text};
            for (qsizetype k = 0; k < pieces.size(); ++k)
                book.setCell(sheet, target + int(k), c.column, pieces.at(k));
            span = std::max(span, int(pieces.size()));
        }
        shift[sheet] += span - 1;
        lastRow[sheet] = std::max(lastRow[sheet], target + span - 1);
    }
    return lastRow;
}

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
    if (modeSwitches(in.mode).card || modeSwitches(in.mode).summary)
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
        fillWorkbook(book, r, modeSwitches(in.mode));
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
        const QString path = reserveCardFile(folder, cardFileStem(*dm1.register_),
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
        if (!letterheadError.isEmpty())
            return stop(letterheadError);
        const QString folder = folderOr(options.summaryFolder, folder::soursesReports());
        safefile::makeFolder(folder);
        const QString path = reserveSummaryFile(folder, options.drawNumber, &error);
        if (path.isEmpty())
            return stop(error);
        // Without the placeholder the copy stays as the template has it. The text goes in first: the
        // letterhead's first word is found above it, while the clinic's own lines might hold the
        // text's placeholder word.
        const int textStart = summary.paragraphOf(kSummaryPlaceholder);
        const QStringList lines = textArea.plainText().split(QLatin1Char('\n'));
        if (summary.replacePlaceholder(kSummaryPlaceholder, textArea.plainText()) && textStart >= 0) {
            // The signature block goes over to a new page together with the text's last two lines.
            int keepFrom = int(lines.size()) - 1;
            for (int written = 0; keepFrom > 0 && written < 2; --keepFrom)
                written += lines.at(keepFrom - 1).trimmed().isEmpty() ? 0 : 1;
            summary.keepWithNext(textStart + keepFrom, textStart + int(lines.size()) - 1);
        }
        summary.replacePlaceholder(kLetterheadPlaceholder, letterheadCell(in.letterhead));
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
            dialogs.fileMessage(office::notOpenedMessage(path), office::folderOf(path));
    }
    result.ok = true;
    return result;
}

} // namespace pelorin::documents
