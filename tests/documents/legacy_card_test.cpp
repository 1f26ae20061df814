// "Старый отчет.": the sections of each mode, the edge cases over small patients, the copy of the card
// read back from the written file, and "pelorin-cli report --legacy".
#include "legacy_card.h"

#include "analyz_calc.h"
#include "anamnesis_calc.h"
#include "clinicfixture.h"
#include "diagnoz_calc.h"
#include "dialogs.h"
#include "documentviewer.h"
#include "elements.h"
#include "osmotr_calc.h"
#include "puva_calc.h"
#include "recomend_calc.h"
#include "report.h"
#include "report_fixture.h"
#include "workbook.h"

#include <QTextStream>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::documents;
using testing::feb;
using testing::march;

namespace {

struct Clinic : testing::ClinicFixture
{
    testing::RecordWriter write{*dm1, *dm2};

    Clinic()
    {
        anamnesis::installAnamnesisCalc(*dm1);
        clinical::installDiagnozCalc(*dm2->diagnoz);
        clinical::installAnalyzCalc(*dm2->analyz);
        clinical::installRecomendCalc(*dm2->recomend);
        examination::installOsmotrCalc(*dm2->osmotr1);
        examination::installElementCalc(*dm2->osmotr_elem);
        treatment::installPuvaCalc(*dm2->lech_puva);
    }
};

struct Witnesses
{
    ScopedScriptedDialogs dialogs;
    office::ScopedRecordingDocumentViewer viewer;
};

LegacyCardInput legacyInput(ReportMode mode, int course = 1)
{
    LegacyCardInput in;
    in.mode = mode;
    in.course = course;
    in.today = testing::kReportToday;
    return in;
}

const QString fullHeader = QStringLiteral("Амбулаторная карта № 42\n\n");
// The single-examination modes put the short header on the card only; the text area gets the step alone.
const QString chosenStep = QStringLiteral("\n01.03.2025 - осмотр на  процедуре ПУВА-терапии.\n");

} // namespace

class LegacyCardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_program = std::make_unique<testing::ProgramFolderFixture>(); }
    void cleanup() { m_program.reset(); }
    void modeTable_data();
    void modeTable();
    void oneDiagnosisRecordIsInTreatment();
    void unnamedDrugTakesNoNumber();
    void drugsOfACourseInTheSummary_data();
    void drugsOfACourseInTheSummary();
    void courseExtractOnlyEmptiesTheTextArea();
    void hiddenCourseControlReportsCourseOne();
    void courseThatDoesNotExistFallsBackToCourseOne();
    void headOfClinicFromLetterhead();
    void copyReadBackCellByCell();
    void markupAndLongValuesReadBack();
    void cliLegacy_data();
    void cliLegacy();

private:
    std::unique_ptr<testing::ProgramFolderFixture> m_program;
};

void LegacyCardTest::modeTable_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("header");
    QTest::addColumn<bool>("letterhead");
    QTest::addColumn<bool>("admission");  // state at admission
    QTest::addColumn<bool>("prescribed"); // prescribed treatment at admission
    QTest::addColumn<bool>("walk");       // examination walk
    QTest::addColumn<bool>("summary");    // treatment summary and signature block

    QTest::newRow("full card") << int(ReportMode::FullCard) << fullHeader << true << true << true << true << true;
    QTest::newRow("all courses") << int(ReportMode::AllCoursesExtract) << fullHeader << false << true << false
                                 << false << true;
    QTest::newRow("course card") << int(ReportMode::CourseCard)
                                 << fullHeader + QStringLiteral("Выписка по курсу ПУВА № 1. 01.02.2025-20.02.2025\n")
                                 << false << true << false << false << true;
    QTest::newRow("between") << int(ReportMode::BetweenDates)
                             << fullHeader + QStringLiteral("Полный отчет по курсу ПУВА № 1. 01.02.2025-20.02.2025\n")
                             << false << true << false << true << true;
    QTest::newRow("admission") << int(ReportMode::Admission) << fullHeader << false << true << true << false << false;
    QTest::newRow("last exam") << int(ReportMode::LastExamination) << chosenStep << false << false << false << true
                               << false;
    QTest::newRow("one exam") << int(ReportMode::OneExamination) << chosenStep << false << false << false << true
                              << false;
}

void LegacyCardTest::modeTable()
{
    QFETCH(int, mode);
    QFETCH(QString, header);
    QFETCH(bool, letterhead);
    QFETCH(bool, admission);
    QFETCH(bool, prescribed);
    QFETCH(bool, walk);
    QFETCH(bool, summary);

    Clinic c;
    c.write.twoCoursesSecondOpen();
    c.dm2->osmotr1->last();
    Witnesses w;
    PlainTextArea area;
    const ReportFilesResult r = prepareLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode(mode)), area);
    QVERIFY(r.ok);
    QCOMPARE(area.entries.size(), letterhead ? 2 : 1);
    const QString text = area.entries.last();
    QVERIFY2(text.startsWith(header), qPrintable(text.left(200)));
    QCOMPARE(text.contains(QStringLiteral("Состояние при поступлении 01.02.2025 :")), admission);
    QCOMPARE(text.contains(QStringLiteral("Назначено лечение:\n\n1) ПУВА-терапия.\n")), prescribed);
    QCOMPARE(text.contains(QStringLiteral(" - осмотр на ")), walk);
    QCOMPARE(text.contains(QStringLiteral("Проведено лечение:\n\nКурс ПУВА-терапии №1. \n")), summary);
    QCOMPARE(text.contains(QStringLiteral("============================================\nЛечащий врач:  _____________  ")),
             summary);
    QCOMPARE(w.dialogs.beeps, 2);
    QCOMPARE(w.viewer.opened, QStringList{m_program->path(QStringLiteral("reports/karta.xlsx"))});
    if (mode == int(ReportMode::FullCard)) {
        // Procedures, each with how it went, and the discharge of course 1 within the walk.
        QVERIFY(text.contains(QStringLiteral("\n03.02.2025 - процедура ПУВА №1, курс №1. Лечение переносит хорошо.\n")));
        QVERIFY(text.contains(QStringLiteral("Лечение закончено. Выписан после 3 процедуры 1 курса ПУВА-терапии. \n"
                                             "Поставлен диагноз: псориаз. \n")));
        QVERIFY(text.contains(QStringLiteral("Курс ПУВА-терапии №2. \n1) ПУВА №1 полученная доза УФА: ")));
        QVERIFY(text.contains(QStringLiteral("Проходил с 01.02.2025 по 20.02.2025.\n")));
        QVERIFY(text.contains(QStringLiteral("Проходит с 01.03.2025.\n")));
    }
    if (mode == int(ReportMode::LastExamination)) {
        QCOMPARE(text, chosenStep + QStringLiteral("Жалобы: нет.\n"));
        QCOMPARE(c.dm2->osmotr1->asDate(QStringLiteral("Date")), march(1));
    }
}

void LegacyCardTest::oneDiagnosisRecordIsInTreatment()
{
    Clinic c;
    c.write.patient({{"Amb_karta", 7}, {"Last_Name", QStringLiteral("Орлов")}});
    c.write.event(feb(1));
    c.write.exam(feb(1));
    c.write.procedure(feb(3), 1, 1, 100);
    Witnesses w;
    PlainTextArea area;
    QVERIFY(prepareLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode::AllCoursesExtract), area).ok);
    const QString text = area.entries.last();
    QVERIFY(text.contains(QStringLiteral("Проходит с 01.02.2025.\n")));
    QVERIFY(text.contains(QStringLiteral("\nПациет в данное время находится на лечении.\n")));
}

void LegacyCardTest::unnamedDrugTakesNoNumber()
{
    Clinic c;
    c.write.twoCoursesSecondOpen();
    c.write.add(*c.dm2->lech_lekar, {{"Data", feb(1)}, {"Lek", QString()}, {"Recept", QStringLiteral("—")}});
    c.write.add(*c.dm2->lech_lekar, {{"Data", feb(1)}, {"Lek", QStringLiteral("Мазь")}, {"Recept", QStringLiteral("2 раза")}});
    Witnesses w;
    PlainTextArea area;
    QVERIFY(prepareLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode::Admission), area).ok);
    QVERIFY2(area.entries.last().contains(
                 QStringLiteral("Назначено лечение:\n\n1) ПУВА-терапия.\n2) Мазь - 2 раза.\n")),
             qPrintable(area.entries.last()));
}

// Drug prescriptions within and after a course are what every treated patient has; the summary's
// lines for them once read freed memory.
void LegacyCardTest::drugsOfACourseInTheSummary_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("full card") << int(ReportMode::FullCard);
    QTest::newRow("course card") << int(ReportMode::CourseCard);
    QTest::newRow("between") << int(ReportMode::BetweenDates);
    QTest::newRow("all courses") << int(ReportMode::AllCoursesExtract);
}

void LegacyCardTest::drugsOfACourseInTheSummary()
{
    QFETCH(int, mode);
    Clinic c;
    c.write.twoCoursesSecondOpen();
    c.write.add(*c.dm2->lech_lekar,
                {{"Data", feb(5)}, {"Lek", QStringLiteral("Метотрексат")}, {"Recept", QStringLiteral("7,5 мг в неделю")}});
    c.write.add(*c.dm2->lech_lekar,
                {{"Data", feb(24)}, {"Lek", QStringLiteral("Крем")}, {"Recept", QStringLiteral("на ночь")}});
    Witnesses w;
    PlainTextArea area;
    QVERIFY(prepareLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode(mode)), area).ok);
    const QString text = area.entries.last();
    QVERIFY2(text.contains(QStringLiteral("2) Метотрексат-7,5 мг в неделю (c 05.02.2025).\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Лечение после курса ПУВА-терапии:\n3) Крем-на ночь (c 24.02.2025).\n")),
             qPrintable(text));
}

void LegacyCardTest::courseExtractOnlyEmptiesTheTextArea()
{
    Clinic c;
    c.write.twoCoursesSecondOpen();
    Witnesses w;
    PlainTextArea area;
    area.add(QStringLiteral("старый текст"));
    QVERIFY(prepareLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode::CourseExtract), area).ok);
    QVERIFY(area.entries.isEmpty());
    QVERIFY(w.viewer.opened.isEmpty());
    QVERIFY(m_program->files(QStringLiteral("reports")).isEmpty());
}

void LegacyCardTest::hiddenCourseControlReportsCourseOne()
{
    Clinic c;
    c.write.twoCoursesSecondOpen();
    const LegacyCardResult r = composeLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode::BetweenDates, 2));
    QCOMPARE(r.course, 1);
    QVERIFY(r.text.contains(QStringLiteral("Полный отчет по курсу ПУВА № 1. 01.02.2025-20.02.2025\n")));
    // The walk stops at the first examination after the course.
    QVERIFY(!r.text.contains(QStringLiteral("\n01.03.2025 - ")));
}

void LegacyCardTest::courseThatDoesNotExistFallsBackToCourseOne()
{
    Clinic c;
    c.write.twoCoursesSecondOpen();
    Witnesses w;
    PlainTextArea area;
    QVERIFY(prepareLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode::CourseCard, 3), area).ok);
    QVERIFY(w.dialogs.transcript.join(QLatin1Char('\n')).contains(invalidCourseMessage()));
    QVERIFY(area.entries.last().contains(QStringLiteral("Выписка по курсу ПУВА № 1. 01.02.2025-20.02.2025\n")));
    // Course 2 exists: no message.
    Clinic c2;
    c2.write.twoCoursesSecondOpen();
    Witnesses w2;
    const LegacyCardResult r = composeLegacyCard(*c2.dm1, *c2.dm2, legacyInput(ReportMode::CourseCard, 2));
    QVERIFY(r.courseMessage.isEmpty());
    QVERIFY(r.text.contains(QStringLiteral("Выписка по курсу ПУВА № 2. 01.03.2025-01.03.2025\n")));
}

void LegacyCardTest::headOfClinicFromLetterhead()
{
    QCOMPARE(headOfClinic(QStringLiteral("Клиника\r\nРуководитель клиники:  Иванов И. И.\r\n")),
             QStringLiteral("Иванов И. И."));
    QCOMPARE(headOfClinic(QStringLiteral("Клиника\n")), QString());
    QCOMPARE(legacySignatureBlock(QStringLiteral("Петров"), QStringLiteral("Иванов"), march(5)),
             QStringLiteral("============================================\nЛечащий врач:  _____________  Петров\n"
                            "Руководитель клиники:  _____________  Иванов\n\n05.03.2025"));
}

void LegacyCardTest::copyReadBackCellByCell()
{
    Clinic c;
    c.write.twoCoursesSecondOpen();
    const QByteArray before = m_program->hash(QStringLiteral("sourses/reports/karta.xlsx"));
    QVERIFY(!before.isEmpty());
    const LegacyCardResult expected = composeLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode::FullCard));
    Witnesses w;
    PlainTextArea area;
    QVERIFY(prepareLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode::FullCard), area).ok);
    QCOMPARE(m_program->hash(QStringLiteral("sourses/reports/karta.xlsx")), before);

    office::Workbook book;
    QString error;
    QVERIFY2(book.open(m_program->path(QStringLiteral("reports/karta.xlsx")), &error), qPrintable(error));
    QVERIFY(expected.cells.size() > 20);
    for (const CellWrite &cell : expected.cells) {
        QCOMPARE(book.cellText(cell.sheet, cell.row, cell.column).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                 cell.value.toString());
    }
    QCOMPARE(book.cellText(kLegacyCardSheet, 3, 2).left(39), QStringLiteral("\nСостояние при поступлении 01.02.2025 :"));
    QCOMPARE(book.leftHeader(kLegacyCardSheet), QStringLiteral("&7Амбулаторная карта № 42"));
    QCOMPARE(book.rightHeader(kLegacyCardSheet), QStringLiteral("&7Дата составления:5 марта 2025 г."));
    // The letterhead is the text area's first entry.
    QVERIFY(area.entries.first().startsWith(QStringLiteral("Министерство")));
}

// Texts with every character XML escapes and longer than their fields come back from the copy as
// they were stored.
void LegacyCardTest::markupAndLongValuesReadBack()
{
    Clinic c;
    const QString surname = QStringLiteral("Д'Арк <&> \"Жанна\"");
    const QString diagnosis = testing::longText(QStringLiteral("диагноз ") + testing::markup());
    c.write.patient({{"Amb_karta", 7},
                     {"Last_Name", surname},
                     {"First_Name", QStringLiteral("A&B")},
                     {"Adress", testing::longText(testing::markup())},
                     {"Reg_date", feb(1)}});
    c.write.event(feb(1), diagnosis);
    c.write.exam(feb(1));
    c.write.procedure(feb(3), 1, 1, 105, testing::longText(testing::markup()));
    c.write.event(feb(4), diagnosis);
    const LegacyCardResult expected = composeLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode::FullCard));
    Witnesses w;
    PlainTextArea area;
    QVERIFY(prepareLegacyCard(*c.dm1, *c.dm2, legacyInput(ReportMode::FullCard), area).ok);
    office::Workbook book;
    QString error;
    QVERIFY2(book.open(m_program->path(QStringLiteral("reports/karta.xlsx")), &error), qPrintable(error));
    bool sawName = false;
    for (const CellWrite &cell : expected.cells) {
        const QString read =
            book.cellText(cell.sheet, cell.row, cell.column).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(read, cell.value.toString());
        sawName = sawName || read.contains(surname);
    }
    QVERIFY(sawName);
    QVERIFY(area.entries.join(QLatin1Char('\n')).contains(diagnosis.left(200)));
}

void LegacyCardTest::cliLegacy_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("starts");
    const QString full = fullHeader + QStringLiteral("Сидоров");
    QTest::newRow("full-card") << QStringList{"--mode", "full-card"} << QStringLiteral("Министерство");
    QTest::newRow("course-card") << QStringList{"--mode", "course-card", "--course", "1"}
                                 << fullHeader + QStringLiteral("Выписка по курсу ПУВА № 1.");
    QTest::newRow("admission") << QStringList{"--mode", "admission"} << full;
    QTest::newRow("last-exam") << QStringList{"--mode", "last-exam"} << chosenStep;
    QTest::newRow("exam") << QStringList{"--mode", "exam"} << QStringLiteral("\n01.02.2025 - осмотр на ");
    QTest::newRow("between") << QStringList{"--mode", "between"}
                             << fullHeader + QStringLiteral("Полный отчет по курсу ПУВА № 1.");
    QTest::newRow("extract-course") << QStringList{"--mode", "extract-course"} << QString();
    QTest::newRow("extract-all") << QStringList{"--mode", "extract-all"} << full;
}

void LegacyCardTest::cliLegacy()
{
    QFETCH(QStringList, words);
    QFETCH(QString, starts);
    qputenv("PELORIN_TODAY", "2025-03-05");
    QTemporaryDir data;
    QTemporaryDir out;
    qint64 id = 0;
    {
        db::Database database;
        QString error;
        QVERIFY2(database.open(data.path(), &error), qPrintable(error));
        db::DM1 dm1(database);
        db::DM2 dm2(database, dm1);
        QVERIFY(dm1.open(&error) && dm2.open(&error));
        testing::RecordWriter write{dm1, dm2};
        id = write.twoCoursesSecondOpen();
    }
    QString stdOut;
    QString stdErr;
    QTextStream o(&stdOut);
    QTextStream e(&stdErr);
    const QStringList all = QStringList{"--data", data.path(), "--patient", QString::number(id), "--out", out.path(),
                                        "--legacy"} +
                            words;
    QCOMPARE(cli::runReport(all, o, e), 0);
    qunsetenv("PELORIN_TODAY");
    if (starts.isEmpty()) {
        QCOMPARE(stdOut, QString());
        QVERIFY(!QFile::exists(QDir(out.path()).filePath(QStringLiteral("karta.xlsx"))));
        return;
    }
    QVERIFY2(stdOut.startsWith(starts), qPrintable(stdOut.left(300)));
    QVERIFY(stdOut.endsWith(QLatin1Char('\n')));
    QVERIFY(QFile::exists(QDir(out.path()).filePath(QStringLiteral("karta.xlsx"))));
}

QTEST_GUILESS_MAIN(LegacyCardTest)
#include "legacy_card_test.moc"
