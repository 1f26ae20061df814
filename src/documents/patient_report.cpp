#include "patient_report.h"

#include "analyz_calc.h"
#include "anamnesis_calc.h"
#include "card_sheets.h"
#include "clock.h"
#include "course_diary.h"
#include "datamodules.h"
#include "diagnoz_calc.h"
#include "elements.h"
#include "extract_texts.h"
#include "osmotr_calc.h"
#include "puva_calc.h"
#include "recomend_calc.h"
#include "table.h"
#include "texts.h"

#include <QRegularExpression>

namespace pelorin::documents {

namespace {

// CR LF, a lone CR or a lone LF: line ends as the letterhead file may have them.
const QRegularExpression &lineEnds()
{
    static const QRegularExpression ends(QStringLiteral("\r\n|\r|\n"));
    return ends;
}

const QString nl = QStringLiteral("\n");

QDate todayOf(const ReportInput &input)
{
    return input.today.isValid() ? input.today : clock::today();
}

QDate eventDate(const db::Table &diagnoz)
{
    return diagnoz.asDate(QStringLiteral("Data"));
}

ReportPeriod allCoursesPeriod(db::Table &diagnoz, const ReportInput &input)
{
    ReportPeriod p;
    diagnoz.first();
    p.noEvents = diagnoz.isEmpty();
    p.start = eventDate(diagnoz);
    diagnoz.last();
    // Events pair up per course in table order: an even place is a discharge.
    p.dischargeFound = !diagnoz.isEmpty() && diagnoz.recNo() % 2 == 0;
    if (p.dischargeFound) {
        p.end = eventDate(diagnoz);
    } else {
        p.end = todayOf(input);
        // Without any event there is no course to be in; the whole card then simply runs to today.
        p.inTreatment = input.mode == ReportMode::AllCoursesExtract && !diagnoz.isEmpty();
    }
    return p;
}

ReportPeriod coursePeriod(db::Table &diagnoz, const ReportInput &input)
{
    ReportPeriod p;
    diagnoz.first();
    while (!diagnoz.eof()) {
        if (diagnoz.asInteger(QStringLiteral("kurs_calk")) == input.course) {
            if (diagnoz.recNo() % 2 == 0) {
                p.end = eventDate(diagnoz);
                p.dischargeFound = true;
            } else {
                p.start = eventDate(diagnoz);
                p.admissionFound = true;
            }
        }
        diagnoz.next();
    }
    if (!p.admissionFound && !p.dischargeFound) {
        p.error = courseNotFoundMessage();
        return p;
    }
    if (!p.dischargeFound) {
        p.end = todayOf(input);
        p.inTreatment = true;
    }
    // A discharge always follows its admission in the list, so this only guards odd data.
    if (!p.admissionFound)
        p.start = p.end;
    return p;
}

ReportPeriod examinationPeriod(db::Table &osmotr1, const ReportInput &input)
{
    if (input.mode == ReportMode::LastExamination || input.mode == ReportMode::BetweenDates)
        osmotr1.last();
    else if (input.examinationId)
        osmotr1.locate(QStringLiteral("ID"), *input.examinationId);
    ReportPeriod p;
    if (input.mode == ReportMode::BetweenDates) {
        p.start = input.from;
        p.end = input.to;
    } else {
        p.start = p.end = osmotr1.asDate(QStringLiteral("Date"));
    }
    return p;
}

// The diary and procedure sheets repeat the title page's headers under the doctor's signature line.
SheetHeaders signedSheetHeaders(const SheetHeaders &titlePage, int sheet)
{
    SheetHeaders h = titlePage;
    h.sheet = sheet;
    h.rightFooter = signatureFooter();
    return h;
}

} // namespace

QString modeCaption(ReportMode mode)
{
    switch (mode) {
    case ReportMode::FullCard:
        return QStringLiteral("Полная амбулаторная карта");
    case ReportMode::AllCoursesExtract:
        return QStringLiteral("Выписка по всем курсам");
    case ReportMode::CourseCard:
        return QStringLiteral("Печать карты с курсом ПУВА №");
    case ReportMode::CourseExtract:
        return QStringLiteral("Выписка по курсу ПУВА №");
    case ReportMode::Admission:
        return QStringLiteral("Информация при поступлении");
    case ReportMode::LastExamination:
        return QStringLiteral("Последний осмотр");
    case ReportMode::OneExamination:
        return QStringLiteral("Отдельный осмотр (выберите:)");
    case ReportMode::BetweenDates:
        return QStringLiteral("Все события между датами");
    }
    return {};
}

ModeSwitches modeSwitches(ReportMode mode)
{
    // period, card, sheet1, sheet2, sheet3 first row, sheet3 diary, sheet4, extract, total dose, summary
    switch (mode) {
    case ReportMode::FullCard:
        return {PeriodRule::AllCourses, true, true, true, true, true, true, false, false, false};
    case ReportMode::CourseCard:
        return {PeriodRule::Course, true, true, true, true, true, true, false, false, false};
    case ReportMode::Admission:
        return {PeriodRule::CurrentExamination, true, true, false, true, false, false, false, false, false};
    case ReportMode::LastExamination:
        return {PeriodRule::LastExamination, true, true, false, false, true, false, false, false, false};
    case ReportMode::OneExamination:
        return {PeriodRule::CurrentExamination, true, true, false, false, true, false, false, false, false};
    case ReportMode::BetweenDates:
        return {PeriodRule::Pickers, true, true, false, false, true, false, false, false, false};
    case ReportMode::CourseExtract:
        return {PeriodRule::Course, false, false, false, false, false, false, true, false, true};
    case ReportMode::AllCoursesExtract:
        return {PeriodRule::AllCourses, false, false, false, false, false, false, true, true, true};
    }
    return {};
}

ReportPeriod determinePeriod(db::DM2 &dm2, const ReportInput &input)
{
    switch (modeSwitches(input.mode).period) {
    case PeriodRule::AllCourses:
        return allCoursesPeriod(*dm2.diagnoz, input);
    case PeriodRule::Course:
        return coursePeriod(*dm2.diagnoz, input);
    case PeriodRule::CurrentExamination:
    case PeriodRule::LastExamination:
    case PeriodRule::Pickers:
        return examinationPeriod(*dm2.osmotr1, input);
    }
    return {};
}

QString courseNotFoundMessage()
{
    return QStringLiteral("Данный курс у этого пациента не найден!");
}

QString selectionNote(const ReportInput &input, const ReportPeriod &period)
{
    const QString n = QString::number(input.course);
    if (input.mode == ReportMode::CourseExtract) {
        QString note = QStringLiteral("Дата поступления (на курс № ") + n + QStringLiteral(") - ") +
                       text::longDate(period.start) + QStringLiteral(" ");
        if (period.dischargeFound) {
            // "(c курса" with a Latin c: the discharge summaries have always printed it so.
            note += QStringLiteral("Дата выписки (") + QLatin1Char('c') + QStringLiteral(" курса № ") + n +
                    QStringLiteral(") - ") + text::longDate(period.end) + nl;
        } else {
            note += QStringLiteral("Пациент в данный момент (") + text::longDate(todayOf(input)) +
                    QStringLiteral(") находится на лечении.") + nl;
        }
        return note;
    }
    if (input.mode == ReportMode::AllCoursesExtract) {
        // Without a single admission there is no date to give and no course to be in: the line is
        // left out rather than print a date nobody recorded.
        if (period.noEvents)
            return {};
        QString note = QStringLiteral("Дата поступления на начальный курс - ") + text::shortDate(period.start) +
                       QStringLiteral(" ");
        if (period.dischargeFound)
            note += QStringLiteral("Дата выписки с последнего курса - ") + text::shortDate(period.end) + nl;
        else
            note += QStringLiteral("Пациент в данное время находится на лечении.") + nl;
        return note;
    }
    return {};
}

QString inTreatmentLine(const QDate &today)
{
    return QStringLiteral("Пациент в данный момент (") + text::longDate(today) +
           QStringLiteral(") находится на лечении.") + nl;
}

QString letterheadCell(const QString &fileText)
{
    QStringList lines = fileText.split(lineEnds());
    // A final line break ends the last line; it does not start another one.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(nl);
}

QString registrationRow(const QDate &regDate, const QString &anamnesis)
{
    return text::longDate(regDate) + QStringLiteral(" Пациент взят на диспансерное наблюдение.") + nl + anamnesis;
}

void installDocumentTexts(db::DM1 &dm1, db::DM2 &dm2)
{
    anamnesis::installAnamnesisCalc(dm1);
    clinical::installDiagnozCalc(*dm2.diagnoz);
    clinical::installAnalyzCalc(*dm2.analyz);
    clinical::installRecomendCalc(*dm2.recomend);
    examination::installOsmotrCalc(*dm2.osmotr1);
    examination::installElementCalc(*dm2.osmotr_elem);
    treatment::installPuvaCalc(*dm2.lech_puva);
}

ReportResult composeReport(db::DM1 &dm1, db::DM2 &dm2, const ReportInput &input)
{
    const ModeSwitches sw = modeSwitches(input.mode);
    const QDate today = todayOf(input);
    const db::Table &reg = *dm1.register_;
    db::Table &diagnoz = *dm2.diagnoz;
    ReportResult r;
    // The diary walks every examination of the period; their elements are read for all of them at
    // once rather than at each move.
    const db::WalkScope examinations(*dm2.osmotr1);

    diagnoz.first();
    r.period = determinePeriod(dm2, input);
    if (!r.period.error.isEmpty()) {
        r.error = r.period.error;
        return r;
    }
    const QString note = selectionNote(input, r.period);

    r.card = sw.card;
    r.summary = sw.summary;
    const SheetHeaders titleHeaders = titlePageHeaders(reg, today, CardTemplate::Current);
    if (sw.card)
        r.cells.push_back({kTitleSheet, 1, 2, letterheadCell(input.letterhead)});
    if (sw.sheet1) {
        r.headers.push_back(titleHeaders);
        const std::vector<CellWrite> title = titlePageCells(reg, diagnoz);
        r.cells.insert(r.cells.end(), title.begin(), title.end());
    }
    if (sw.sheet2) {
        DiagnosesSheet sheet = diagnosesSheet(reg, diagnoz, today, CardTemplate::Current, r.period.start, r.period.end);
        r.headers.push_back(sheet.headers);
        r.cells.insert(r.cells.end(), sheet.cells.begin(), sheet.cells.end());
        r.sheet2Row = sheet.nextRow;
    }
    if (sw.extract)
        r.entries << extractHeader(dm1, dm2, note);
    const QString anamnesis = anamnesisBlock(dm1, dm2);
    if (sw.extract)
        r.entries << anamnesis;
    if (sw.sheet3FirstRow) {
        r.headers.push_back(signedSheetHeaders(titleHeaders, kDiarySheet));
        r.cells.push_back({kDiarySheet, 2, 2, registrationRow(reg.asDate(QStringLiteral("Reg_date")), anamnesis)});
    }
    if (sw.sheet4) {
        r.headers.push_back(signedSheetHeaders(titleHeaders, kProcedureSheet));
    }
    r.entries << QString();

    const DiaryResult diary =
        runCourseDiary(dm2, r.period.start, r.period.end, {sw.sheet3Diary, sw.sheet4}, sw.sheet3FirstRow ? 3 : 2, 3);
    r.entries << diary.entries;
    r.cells.insert(r.cells.end(), diary.cells.begin(), diary.cells.end());
    r.sheet3Row = diary.sheet3Row;
    r.sheet4Row = diary.sheet4Row;

    const qsizetype days = r.entries.size();
    if (sw.totalDose)
        r.entries << totalDoseLine(diary.totalDose);
    if (sw.extract && input.exposureLine)
        r.entries << exposureLine(dm1);
    if (r.period.inTreatment)
        r.entries << inTreatmentLine(today);
    r.closingLines = int(r.entries.size() - days);
    return r;
}

} // namespace pelorin::documents
