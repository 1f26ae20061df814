// "Подготовить данные к печати." with its files: the card and the discharge summary are read back from
// the written files, not from the writer's memory.
#include "report_files.h"
#include "certificates.h"
#include "course_diary.h"
#include "card_sheets.h"
#include "reflist.h"

#include "clock.h"
#include "dialogs.h"
#include "documentviewer.h"
#include "report_fixture.h"
#include "worddocument.h"
#include "workbook.h"

#include <QRegularExpression>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::documents;
using testing::feb;
using testing::march;

namespace {

// The clinic of these tests, which also tells whether any row has been written: the file counts its
// changed rows; on the server every table's rows and row versions are summed up.
struct Clinic : testing::DocumentClinic
{
    QString changes()
    {
        if (db.backend() != db::Database::Backend::PostgreSQL)
            return stored(QStringLiteral("SELECT total_changes()")).toString();
        QStringList sums;
        for (const db::TableDef &t : db::allTables()) {
            sums << stored(QStringLiteral("SELECT count(*) || '/' || coalesce(sum(%1), 0) FROM %2")
                               .arg(db::quoteIdentifier(QString::fromLatin1(db::kRowVersion)),
                                    db::quoteIdentifier(QString::fromLatin1(t.sqlName))))
                        .toString();
        }
        return sums.join(QLatin1Char(' '));
    }

    qint64 examOn(const QDate &date)
    {
        for (dm2->osmotr1->first(); !dm2->osmotr1->eof(); dm2->osmotr1->next()) {
            if (dm2->osmotr1->asDate(QStringLiteral("Date")) == date)
                return dm2->osmotr1->asInteger(QStringLiteral("ID"));
        }
        return 0;
    }
};

// Everything a run shows and opens.
struct Witnesses
{
    ScopedScriptedDialogs dialogs;
    office::ScopedRecordingDocumentViewer viewer;
};

ReportInput input(ReportMode mode, int course = 1)
{
    ReportInput in;
    in.mode = mode;
    in.course = course;
    in.today = testing::kReportToday;
    return in;
}

QString cellValue(const CellWrite &c)
{
    // The file keeps a number in its stored form, with a point.
    return c.value.typeId() == QMetaType::Double ? QString::number(c.value.toDouble()) : c.value.toString();
}

// The composition the operation starts from, on the same records; the input names its examination
// so that the cursors of a first run do not change the second.
ReportResult composed(Clinic &c, ReportInput in)
{
    QFile f(letterheadPath());
    if (modeSwitches(in.mode).card && f.open(QIODevice::ReadOnly))
        in.letterhead = QString::fromUtf8(f.readAll()).remove(QChar(0xFEFF));
    return composeReport(*c.dm1, *c.dm2, in);
}

} // namespace

Q_DECLARE_METATYPE(pelorin::documents::ReportInput)

class ReportFilesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { clock::setFixedToday(testing::kReportToday); }
    void cleanupTestCase() { clock::reset(); }

    void cardReadBackCellByCell_data();
    void cardReadBackCellByCell();
    void summaryReadBackTextByText_data();
    void summaryReadBackTextByText();
    void markupAndLongValues_data();
    void markupAndLongValues();
    void brokenFiles_data();
    void brokenFiles();
    void courseNotFound();
    void summaryNumberDrawnAgainWhileTaken();
    void twoSummariesTwoFiles();
    void cardsOfOneSecondKeepApart();
    void nobodyOpensTheFile();
    void longTextsContinueInTheRowsBelow();
    void clinicLetterheadOnEveryPaper();
};

void ReportFilesTest::cardReadBackCellByCell_data()
{
    QTest::addColumn<ReportInput>("in");
    QTest::addColumn<QDate>("exam"); // the examination of the one-examination modes
    QTest::addColumn<int>("beeps");  // one per day entry
    QTest::addColumn<int>("procedureRows");

    ReportInput between = input(ReportMode::BetweenDates);
    between.from = feb(10);
    between.to = feb(25);
    QTest::newRow("full card") << input(ReportMode::FullCard) << QDate() << 4 << 4;
    QTest::newRow("card of course 1") << input(ReportMode::CourseCard, 1) << QDate() << 2 << 3;
    QTest::newRow("card of course 2, in treatment") << input(ReportMode::CourseCard, 2) << QDate() << 2 << 1;
    QTest::newRow("admission") << input(ReportMode::Admission) << feb(20) << 1 << 0;
    QTest::newRow("last examination") << input(ReportMode::LastExamination) << QDate() << 1 << 0;
    QTest::newRow("one examination") << input(ReportMode::OneExamination) << feb(1) << 1 << 0;
    QTest::newRow("between dates") << between << QDate() << 1 << 0;
}

void ReportFilesTest::cardReadBackCellByCell()
{
    QFETCH(ReportInput, in);
    QFETCH(QDate, exam);
    QFETCH(int, beeps);
    QFETCH(int, procedureRows);

    testing::ProgramFolderFixture program;
    const QByteArray templateBefore = program.hash(QStringLiteral("sourses/reports/karta1.xlsx"));
    Clinic c;
    c.write.twoCoursesSecondOpen();
    if (exam.isValid())
        in.examinationId = c.examOn(exam);
    const ReportResult expected = composed(c, in);
    QVERIFY(expected.card);

    Witnesses w;
    PlainTextArea area;
    area.add(QStringLiteral("прежний текст"));
    const QString changesBefore = c.changes();
    const ReportFilesResult r = prepareReport(*c.dm1, *c.dm2, in, area, {});
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(area.entries, expected.entries);
    QCOMPARE(w.dialogs.beeps, beeps);
    QCOMPARE(w.dialogs.transcript.count(QStringLiteral("beep")), w.dialogs.transcript.size());
    QCOMPARE(c.changes(), changesBefore);

    // One new card in reports/, named after the patient's card number and surname and the moment, shown once.
    const QStringList cards = program.files(QStringLiteral("reports"));
    QCOMPARE(cards.size(), 1);
    static const QRegularExpression cardName(QStringLiteral("^karta1_42_Сидоров_\\d{8}-\\d{6}\\.xlsx$"));
    QVERIFY2(cardName.match(cards.first()).hasMatch(),
             qPrintable(cards.first()));
    QCOMPARE(QFileInfo(r.cardPath).fileName(), cards.first());
    QCOMPARE(w.viewer.opened, QStringList{r.cardPath});
    QVERIFY(r.summaryPath.isEmpty());
    QCOMPARE(program.hash(QStringLiteral("sourses/reports/karta1.xlsx")), templateBefore);

    office::Workbook book;
    QString error;
    QVERIFY2(book.open(r.cardPath, &error), qPrintable(error));
    for (const CellWrite &cell : expected.cells)
        QCOMPARE(book.cellText(cell.sheet, cell.row, cell.column), cellValue(cell));
    for (const SheetHeaders &h : expected.headers) {
        QCOMPARE(book.leftHeader(h.sheet), h.left);
        QCOMPARE(book.rightHeader(h.sheet), h.right);
        if (!h.rightFooter.isEmpty())
            QCOMPARE(book.rightFooter(h.sheet), h.rightFooter);
    }
    // The letterhead as the file has it, line by line; procedure rows from row 3 without gaps.
    QCOMPARE(book.cellText(1, 1, 2).split(QLatin1Char('\n')).first(),
             QStringLiteral("Министерство здравоохранения Тульской области"));
    for (int row = 3; row < 3 + procedureRows; ++row)
        QVERIFY2(!book.cellText(4, row, 1).isEmpty(), qPrintable(QString::number(row)));
    QVERIFY(book.cellText(4, 3 + procedureRows, 1).isEmpty());
    // A sheet the mode does not fill is hidden, not printed as an empty form.
    const ModeSwitches sw = modeSwitches(in.mode);
    QVERIFY(!book.isSheetHidden(1));
    QCOMPARE(book.isSheetHidden(2), !sw.sheet2);
    QCOMPARE(book.isSheetHidden(3), !(sw.sheet3FirstRow || sw.sheet3Diary));
    QCOMPARE(book.isSheetHidden(4), !sw.sheet4);
}

// A text longer than a row holds goes on in the rows below; the later rows of that sheet move down
// with it, the cells of other sheets stay where the form has them.
void ReportFilesTest::longTextsContinueInTheRowsBelow()
{
    testing::ProgramFolderFixture program;
    office::Workbook book;
    QVERIFY(book.open(cardTemplatePath()));
    QStringList findings;
    for (int i = 1; i <= 150; ++i)
        findings << QStringLiteral("%1. Бляшки до 3 см на разгибательных поверхностях, шелушение, зуд.").arg(i);
    const QString longEntry = QStringLiteral("1 февраля 2025 г.\n") + findings.join(QLatin1Char('\n'));
    const std::vector<CellWrite> cells = {
        {kDiarySheet, 3, 2, QStringLiteral("20 февраля 2025 г. Жалоб нет.")}, // written before the long row
        {kDiarySheet, 2, 2, longEntry},
        {kDiarySheet, 2, 1, QStringLiteral("01.02.2025")},
        {kTitleSheet, 5, 5, QStringLiteral("Сидоров Петр Ильич")},
    };
    const std::map<int, int> last = writeCardCells(book, cells, {kDiagnosesSheet, kDiarySheet, kProcedureSheet});
    QCOMPARE(book.cellText(kDiarySheet, 2, 1), QStringLiteral("01.02.2025"));
    QString joined;
    int row = 2;
    for (; book.cellText(kDiarySheet, row, 2) != QStringLiteral("20 февраля 2025 г. Жалоб нет."); ++row) {
        QVERIFY2(row < 100, "the next entry was lost");
        QVERIFY(book.neededHeight(kDiarySheet, row, 2) <= office::Workbook::kMaxRowHeight);
        joined += book.cellText(kDiarySheet, row, 2) + QLatin1Char('\n');
    }
    QVERIFY(row > 3);
    QCOMPARE(last.at(kDiarySheet), row);
    QCOMPARE(joined.split(QLatin1Char('\n'), Qt::SkipEmptyParts), longEntry.split(QLatin1Char('\n')));
    QCOMPARE(book.cellText(kTitleSheet, 5, 5), QStringLiteral("Сидоров Петр Ильич"));
}

// The clinic edits one letterhead file, saved as Linux editors save it (UTF-8 without a mark), and
// every paper carries it.
void ReportFilesTest::clinicLetterheadOnEveryPaper()
{
    testing::ProgramFolderFixture program;
    QFile file(letterheadPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringLiteral("ООО «Клиника Ёлка»\nг. Тверь, ул. Советская, 5\n").toUtf8());
    file.close();
    Clinic c;
    c.write.twoCoursesSecondOpen();
    Witnesses w;
    PlainTextArea area;
    const ReportFilesResult card = prepareReport(*c.dm1, *c.dm2, input(ReportMode::FullCard), area, {});
    QVERIFY(card.ok);
    office::Workbook book;
    QVERIFY(book.open(card.cardPath));
    QCOMPARE(book.cellText(1, 1, 2), QStringLiteral("ООО «Клиника Ёлка»\nг. Тверь, ул. Советская, 5"));
    const ReportFilesResult extract = prepareReport(*c.dm1, *c.dm2, input(ReportMode::AllCoursesExtract), area, {});
    QVERIFY(extract.ok);
    office::WordDocument summary;
    QVERIFY(summary.open(extract.summaryPath));
    QVERIFY2(summary.bodyText().startsWith(QStringLiteral("ООО «Клиника Ёлка»\nг. Тверь, ул. Советская, 5\n")),
             qPrintable(summary.bodyText().left(200)));
    QStringList lines;
    QString error;
    QVERIFY(readLetterheadLines(&lines, &error));
    QCOMPARE(lines.first(), QStringLiteral("ООО «Клиника Ёлка»"));
}

void ReportFilesTest::summaryReadBackTextByText_data()
{
    QTest::addColumn<ReportInput>("in");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("lastLine");

    const QString inTreatment = QStringLiteral("Пациент в данный момент (5 марта 2025 г.) находится на лечении.");
    QTest::newRow("extract of course 1")
        << input(ReportMode::CourseExtract, 1)
        << QStringLiteral("Дата поступления (на курс № 1) - 1 февраля 2025 г. Дата выписки (c курса № 1) - "
                          "20 февраля 2025 г.")
        << QStringLiteral("ПУВА-терапия  с препаратом \"Аммифурин\" (Курс №1), количество процедур: 3, доза УФА: "
                          "3,00Дж\\см2.");
    ReportInput withLine = input(ReportMode::CourseExtract, 1);
    withLine.exposureLine = true;
    QTest::newRow("extract of course 1 closed by the lifetime line of both courses")
        << withLine
        << QStringLiteral("Дата поступления (на курс № 1) - 1 февраля 2025 г. Дата выписки (c курса № 1) - "
                          "20 февраля 2025 г.")
        << QStringLiteral("За все курсы проведено процедур ПУВА: 4, суммарная доза УФА: 4,50 Дж/см².");
    QTest::newRow("extract of course 2, in treatment")
        << input(ReportMode::CourseExtract, 2)
        << QStringLiteral("Дата поступления (на курс № 2) - 1 марта 2025 г. ") + inTreatment << inTreatment;
    QTest::newRow("extract of all courses")
        << input(ReportMode::AllCoursesExtract)
        << QStringLiteral("Дата поступления на начальный курс - 01.02.2025 Пациент в данное время находится на "
                          "лечении.")
        << inTreatment;
}

void ReportFilesTest::summaryReadBackTextByText()
{
    QFETCH(ReportInput, in);
    QFETCH(QString, note);
    QFETCH(QString, lastLine);

    testing::ProgramFolderFixture program;
    const QByteArray templateBefore = program.hash(QStringLiteral("sourses/reports/vipiska.docx"));
    office::WordDocument blank;
    QVERIFY(blank.open(summaryTemplatePath()));
    const QString templateText = blank.bodyText();
    QVERIFY(templateText.contains(kSummaryPlaceholder));

    Clinic c;
    c.write.twoCoursesSecondOpen();
    const ReportResult expected = composed(c, in);
    Witnesses w;
    PlainTextArea area;
    const ReportFilesResult r = prepareReport(*c.dm1, *c.dm2, in, area, {});
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(area.entries, expected.entries);
    QVERIFY(program.files(QStringLiteral("reports")).isEmpty());
    QCOMPARE(w.viewer.opened, QStringList{r.summaryPath});
    QCOMPARE(QFileInfo(r.summaryPath).absolutePath(),
             QFileInfo(program.path(QStringLiteral("sourses/reports"))).absoluteFilePath());
    static const QRegularExpression summaryName(QStringLiteral("^vipiska_\\d{1,6}\\.docx$"));
    QVERIFY2(summaryName
                 .match(QFileInfo(r.summaryPath).fileName())
                 .hasMatch(),
             qPrintable(r.summaryPath));
    QCOMPARE(program.hash(QStringLiteral("sourses/reports/vipiska.docx")), templateBefore);

    office::WordDocument summary;
    QString error;
    QVERIFY2(summary.open(r.summaryPath, &error), qPrintable(error));
    const QString body = summary.bodyText();
    // The clinic's letterhead of docs_had.txt in place of its placeholder, line by line.
    QFile letterheadFile(letterheadPath());
    QVERIFY(letterheadFile.open(QIODevice::ReadOnly));
    const QString letterhead = letterheadCell(decodeTextFile(letterheadFile.readAll()));
    QVERIFY(body.startsWith(QStringLiteral("Министерство здравоохранения Тульской области\n")));
    QVERIFY(!body.contains(kLetterheadPlaceholder));
    QString filledTemplate = templateText;
    filledTemplate.replace(kLetterheadPlaceholder, letterhead);
    // The template's own text around the place of the placeholder, the text area's lines in its place.
    const QString templateText2 = filledTemplate;
    const qsizetype at = templateText2.indexOf(kSummaryPlaceholder);
    QVERIFY(body.startsWith(templateText2.left(at)));
    QVERIFY(body.endsWith(templateText2.mid(at + kSummaryPlaceholder.size())));
    const QString inserted = body.mid(at, body.size() - templateText2.size() + kSummaryPlaceholder.size());
    QCOMPARE(inserted, area.plainText());
    const QStringList lines = inserted.split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("Выписка из амбулаторной карты № 42"));
    QCOMPARE(lines.at(2), QStringLiteral("Сидоров Петр Ильич"));
    QVERIFY2(lines.contains(note), qPrintable(inserted));
    QVERIFY2(lines.contains(lastLine), qPrintable(inserted));
    QVERIFY(!body.contains(kSummaryPlaceholder));
    // The signatures keep with the text's last two lines, never alone on a page.
    const QStringList paragraphs = body.split(QLatin1Char('\n'));
    const int signature = summary.paragraphOf(QStringLiteral("Лечащий врач"));
    QVERIFY(signature > 0);
    int keptFrom = signature;
    for (int written = 0; written < 2;)
        written += paragraphs.at(--keptFrom).trimmed().isEmpty() ? 0 : 1;
    for (int p = keptFrom; p < signature; ++p)
        QVERIFY2(summary.keepsWithNext(p), qPrintable(paragraphs.at(p)));
    QVERIFY(!summary.keepsWithNext(keptFrom - 1));
}

void ReportFilesTest::markupAndLongValues_data()
{
    QTest::addColumn<ReportMode>("mode");
    QTest::newRow("full card") << ReportMode::FullCard;
    QTest::newRow("extract of all courses") << ReportMode::AllCoursesExtract;
}

void ReportFilesTest::markupAndLongValues()
{
    QFETCH(ReportMode, mode);

    testing::ProgramFolderFixture program;
    Clinic c;
    // "Д'Арк <&> "Жанна"": a name with every character that XML has to escape; 300 characters offered
    // to fields that keep 80, 100 and 200 of them.
    const QString surname = QStringLiteral("Д'Арк <&> \"Жанна\"");
    const QString diagnosis = testing::longText(QStringLiteral("диагноз ") + testing::markup());
    const QString complication = testing::longText(QStringLiteral("осложнение ") + testing::markup());
    c.write.patient({{"Amb_karta", 7},
                     {"Last_Name", surname},
                     {"First_Name", QStringLiteral("A&B")},
                     {"Father_Name", QStringLiteral("<i>")},
                     {"Adress", testing::longText(testing::markup())},
                     {"Reg_date", feb(1)}});
    c.write.event(feb(1), diagnosis);
    c.write.exam(feb(1));
    c.write.procedure(feb(3), 1, 1, 105, complication);
    c.write.event(feb(4), diagnosis);
    const QString storedDiagnosis = c.dm2->diagnoz->asString(QStringLiteral("Text1"));
    QCOMPARE(storedDiagnosis, diagnosis.left(200));
    // The procedure's note is its free text closed by a full stop.
    const QString storedComplication = complication.left(100) + QStringLiteral(". ");

    Witnesses w;
    PlainTextArea area;
    const ReportFilesResult r = prepareReport(*c.dm1, *c.dm2, input(mode), area, {});
    QVERIFY2(r.ok, qPrintable(r.message));
    const QString fullName = surname + QStringLiteral(" A&B <i>");
    const QString complicationLine = QStringLiteral("На полученной процедуре ПУВА №1 курса №1 : ") + storedComplication;

    if (mode == ReportMode::FullCard) {
        office::Workbook book;
        QString error;
        QVERIFY2(book.open(r.cardPath, &error), qPrintable(error));
        QCOMPARE(book.cellText(1, 5, 5), fullName);
        QCOMPARE(book.leftHeader(1), QStringLiteral("&7Амбулаторная карта № 7. ") + fullName + QLatin1Char('.'));
        QCOMPARE(book.cellText(1, 19, 3), storedDiagnosis);
        QCOMPARE(book.cellText(1, 12, 4), testing::longText(testing::markup()).left(80) + QStringLiteral(". "));
        QCOMPARE(book.cellText(2, 4, 4), storedDiagnosis);
        QCOMPARE(book.cellText(4, 3, 8), storedComplication);
        QCOMPARE(book.cellText(4, 3, 6), QStringLiteral("1.05"));
        // Diary rows: 1 February, the procedure's day, the discharge day, longer than 300 characters and kept whole.
        QVERIFY(book.cellText(3, 3, 2).startsWith(QStringLiteral("1 февраля 2025 г.\n")));
        QCOMPARE(book.cellText(3, 4, 2), QStringLiteral("3 февраля 2025 г.\n") + complicationLine + QLatin1Char('\n'));
        const QString discharge = book.cellText(3, 5, 2);
        QVERIFY(discharge.size() > 300);
        QVERIFY2(discharge.contains(QStringLiteral(" курса ПУВА-терапии с диагнозом: ") + storedDiagnosis +
                                    QLatin1Char('\n')),
                 qPrintable(discharge));
    } else {
        office::WordDocument summary;
        QString error;
        QVERIFY2(summary.open(r.summaryPath, &error), qPrintable(error));
        const QStringList lines = summary.bodyText().split(QLatin1Char('\n'));
        QVERIFY(lines.contains(fullName));
        QVERIFY(lines.contains(QStringLiteral("Диагноз: ") + c.dm2->diagnoz->asString(QStringLiteral("List"))));
        QVERIFY2(lines.contains(QStringLiteral("3 февраля 2025 г. ") + complicationLine), qPrintable(lines.join('\n')));
    }
}

void ReportFilesTest::brokenFiles_data()
{
    QTest::addColumn<ReportMode>("mode");
    QTest::addColumn<QString>("file");    // in the program folder
    QTest::addColumn<bool>("damaged");    // else missing
    QTest::addColumn<QString>("message"); // with %1 for the file's full path
    QTest::addColumn<bool>("entries");    // the text area got the composition before the stop

    const QString notOpened = QStringLiteral("Не удалось открыть шаблон «%1»: файл не найден.");
    const QString damaged = QStringLiteral("Не удалось открыть шаблон «%1»: файл повреждён.");
    QTest::newRow("card template missing")
        << ReportMode::FullCard << QStringLiteral("sourses/reports/karta1.xlsx") << false << notOpened << false;
    QTest::newRow("card template damaged")
        << ReportMode::LastExamination << QStringLiteral("sourses/reports/karta1.xlsx") << true << damaged << false;
    QTest::newRow("letterhead missing") << ReportMode::CourseCard << QStringLiteral("sourses/docs_had.txt") << false
                                        << QStringLiteral("Не удалось прочитать файл «%1».") << false;
    QTest::newRow("letterhead missing for a summary")
        << ReportMode::AllCoursesExtract << QStringLiteral("sourses/docs_had.txt") << false
        << QStringLiteral("Не удалось прочитать файл «%1».") << true;
    QTest::newRow("summary template missing")
        << ReportMode::AllCoursesExtract << QStringLiteral("sourses/reports/vipiska.docx") << false << notOpened
        << true;
    QTest::newRow("summary template damaged")
        << ReportMode::CourseExtract << QStringLiteral("sourses/reports/vipiska.docx") << true << damaged << true;
}

void ReportFilesTest::brokenFiles()
{
    QFETCH(ReportMode, mode);
    QFETCH(QString, file);
    QFETCH(bool, damaged);
    QFETCH(QString, message);
    QFETCH(bool, entries);

    testing::ProgramFolderFixture program;
    const QString path = program.path(file);
    QVERIFY(QFile::remove(path));
    if (damaged) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("PK\x03\x04 не архив");
    }
    Clinic c;
    c.write.twoCoursesSecondOpen();
    const ReportResult expected = composed(c, input(mode));
    Witnesses w;
    PlainTextArea area;
    const QString changesBefore = c.changes();
    const ReportFilesResult r = prepareReport(*c.dm1, *c.dm2, input(mode), area, {});
    QVERIFY(!r.ok);
    const QString shown = message.arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    QCOMPARE(r.message, shown);
    QCOMPARE(w.dialogs.transcript.filter(QStringLiteral("message: ")),
             QStringList{QStringLiteral("message: Внимание!: ") + shown});
    QCOMPARE(area.entries, entries ? expected.entries : QStringList());
    QVERIFY(w.viewer.opened.isEmpty());
    QVERIFY(program.files(QStringLiteral("reports")).isEmpty());
    QVERIFY(program.files(QStringLiteral("sourses/reports"), QStringLiteral("vipiska_*")).isEmpty());
    QCOMPARE(c.changes(), changesBefore);
}

void ReportFilesTest::courseNotFound()
{
    testing::ProgramFolderFixture program;
    Clinic c;
    c.write.twoCoursesSecondOpen();
    for (ReportMode mode : {ReportMode::CourseCard, ReportMode::CourseExtract}) {
        Witnesses w;
        PlainTextArea area;
        area.add(QStringLiteral("прежний текст"));
        const ReportFilesResult r = prepareReport(*c.dm1, *c.dm2, input(mode, 3), area, {});
        QVERIFY(!r.ok);
        QCOMPARE(w.dialogs.transcript,
                 QStringList({QStringLiteral("beep"),
                              QStringLiteral("message: Внимание!: Данный курс у этого пациента не найден!")}));
        QVERIFY(area.entries.isEmpty());
        QVERIFY(w.viewer.opened.isEmpty());
    }
    QVERIFY(program.files(QStringLiteral("reports")).isEmpty());
    QVERIFY(program.files(QStringLiteral("sourses/reports"), QStringLiteral("vipiska_*")).isEmpty());
}

void ReportFilesTest::summaryNumberDrawnAgainWhileTaken()
{
    testing::ProgramFolderFixture program;
    // Two summaries of other patients under the numbers that come up first.
    for (const char *name : {"sourses/reports/vipiska_7.docx", "sourses/reports/vipiska_8.docx"}) {
        QFile f(program.path(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(name);
    }
    const QByteArray seventh = program.hash(QStringLiteral("sourses/reports/vipiska_7.docx"));
    const QByteArray eighth = program.hash(QStringLiteral("sourses/reports/vipiska_8.docx"));
    Clinic c;
    c.write.twoCoursesSecondOpen();
    Witnesses w;
    PlainTextArea area;
    QList<int> numbers = {7, 8, 7, 999999, 5};
    ReportFilesOptions options;
    options.drawNumber = [&numbers] { return numbers.takeFirst(); };
    const ReportFilesResult r = prepareReport(*c.dm1, *c.dm2, input(ReportMode::AllCoursesExtract), area, options);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(QFileInfo(r.summaryPath).fileName(), QStringLiteral("vipiska_999999.docx"));
    QCOMPARE(numbers, QList<int>{5});
    QCOMPARE(program.hash(QStringLiteral("sourses/reports/vipiska_7.docx")), seventh);
    QCOMPARE(program.hash(QStringLiteral("sourses/reports/vipiska_8.docx")), eighth);
    QCOMPARE(w.viewer.opened, QStringList{r.summaryPath});
}

void ReportFilesTest::twoSummariesTwoFiles()
{
    testing::ProgramFolderFixture program;
    const QByteArray templateBefore = program.hash(QStringLiteral("sourses/reports/vipiska.docx"));
    Clinic c;
    c.write.twoCoursesSecondOpen();
    Witnesses w;
    PlainTextArea area;
    const ReportFilesResult first = prepareReport(*c.dm1, *c.dm2, input(ReportMode::CourseExtract, 1), area, {});
    const ReportFilesResult second = prepareReport(*c.dm1, *c.dm2, input(ReportMode::CourseExtract, 2), area, {});
    QVERIFY(first.ok && second.ok);
    QVERIFY(first.summaryPath != second.summaryPath);
    QCOMPARE(program.files(QStringLiteral("sourses/reports"), QStringLiteral("vipiska_*")).size(), 2);
    office::WordDocument earlier;
    QVERIFY(earlier.open(first.summaryPath));
    QVERIFY(earlier.bodyText().contains(QStringLiteral("Дата выписки (c курса № 1)")));
    QCOMPARE(program.hash(QStringLiteral("sourses/reports/vipiska.docx")), templateBefore);
}

void ReportFilesTest::cardsOfOneSecondKeepApart()
{
    testing::ProgramFolderFixture program;
    Clinic c;
    c.write.twoCoursesSecondOpen();
    Witnesses w;
    PlainTextArea area;
    ReportFilesOptions options;
    options.now = QDateTime(march(5), QTime(10, 30, 0));
    const ReportFilesResult first = prepareReport(*c.dm1, *c.dm2, input(ReportMode::FullCard), area, options);
    const ReportFilesResult second = prepareReport(*c.dm1, *c.dm2, input(ReportMode::LastExamination), area, options);
    QVERIFY(first.ok && second.ok);
    QCOMPARE(program.files(QStringLiteral("reports")),
             QStringList(
                 {QStringLiteral("karta1_42_Сидоров_20250305-103000.xlsx"),
                  QStringLiteral("karta1_42_Сидоров_20250305-103000_2.xlsx")}));
    office::Workbook full;
    QVERIFY(full.open(first.cardPath));
    QVERIFY(!full.cellText(2, 4, 2).isEmpty()); // the first card still has its diagnoses sheet
}

void ReportFilesTest::nobodyOpensTheFile()
{
    testing::ProgramFolderFixture program;
    Clinic c;
    c.write.twoCoursesSecondOpen();
    Witnesses w;
    w.viewer.answer = false;
    PlainTextArea area;
    const ReportFilesResult r = prepareReport(*c.dm1, *c.dm2, input(ReportMode::LastExamination), area, {});
    QVERIFY(r.ok);
    QVERIFY(QFileInfo::exists(r.cardPath));
    QCOMPARE(w.dialogs.transcript.filter(QStringLiteral("message: ")),
             QStringList{QStringLiteral("message: Внимание!: ") + office::notOpenedMessage(r.cardPath)});
}

QTEST_GUILESS_MAIN(ReportFilesTest)
#include "report_files_test.moc"
