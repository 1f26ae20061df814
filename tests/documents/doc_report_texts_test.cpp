#include "patient_report.h"

#include "clock.h"
#include "report_fixture.h"
#include "table.h"

#include <QtTest>
#include <algorithm>
#include <functional>

using namespace pelorin;
using namespace pelorin::documents;

namespace {

using Fields = QVariantMap;

using testing::feb;
using testing::march;

const QDate today = testing::kReportToday;

// Сидоров, card 42, registered on 15 January 2025, with the blank anamnesis a new patient gets and the
// calculated texts the documents read.
struct Patient : testing::DocumentClinic
{
    Patient() { write.patient(testing::RecordWriter::sidorov()); }

    void event(const QDate &date) { write.event(date); }

    qint64 exam(const QDate &date, const Fields &fields = {}) { return write.exam(date, fields); }

    // Unlike the writer's procedures, these leave the free note Other unset.
    void procedure(const QDate &date, int number, int course, int dose)
    {
        append(*dm2->lech_puva, {{"Date", date},
                                 {"Nom_proc", number},
                                 {"Id_kurs", course},
                                 {"Type1", QStringLiteral("П-54")},
                                 {"Power1", 1},
                                 {"Time1", dose},
                                 {"Type_prep", QStringLiteral("Аммифурин")}});
    }
};

using Build = std::function<void(Patient &)>;

// Course 1 from 1 to 20 February with three procedures; course 2 admitted on 1 March, one procedure
// on 3 March, not discharged by "today", 5 March.
void inTreatment(Patient &p)
{
    p.event(feb(1));
    p.event(feb(20));
    p.event(march(1));
    p.exam(feb(1), {{"B8", 5}});
    p.exam(feb(20));
    p.exam(march(1));
    p.procedure(feb(3), 1, 1, 100);
    p.procedure(feb(5), 2, 1, 100);
    p.procedure(feb(20), 3, 1, 100);
    p.procedure(march(3), 1, 2, 150);
}

void discharged(Patient &p)
{
    inTreatment(p);
    p.event(march(4));
}

void noDiagnoses(Patient &p)
{
    p.exam(feb(1));
}

const QString firstDay =
    QStringLiteral("Произведен осмотр.\nОбъективно: Индекс SCORAD - 5. \n\nНазначено лечение: \nПУВА-терапия. \n");
const QString firstDischargeDay = QStringLiteral(
    "Произведен осмотр. Процедура №3 курса №1 ПУВА-терапии. \nЖалобы: нет.\n"
    "\nПациент выписан после 3 процедуры 1 курса ПУВА-терапии с диагнозом: псориаз. \n"
    "\nПроведено лечение:\n"
    "ПУВА-терапия  с препаратом \"Аммифурин\" (Курс №1), количество процедур: 3, доза УФА: 3,00Дж\\см2.\n");
const QString readmissionDay =
    QStringLiteral("Пациент поступил повторно на 2 курс ПУВА-терапии с диагнозом: псориаз. \n"
                   "Произведен осмотр. Процедура №1 курса №2 ПУВА-терапии. \nЖалобы: нет.\n");
const QString secondCourseSoFar = QStringLiteral(
    "\nПроведено лечение:\n"
    "ПУВА-терапия  с препаратом \"Аммифурин\" (Курс №2), количество процедур: 1, доза УФА: 1,50Дж\\см2.\n");
// An examination on the first day of the period, with nothing found.
const QString examOnFirstDay = QStringLiteral("Произведен осмотр.\nНазначено лечение: \nПУВА-терапия. \n");

const QString blankAnamnesis = QStringLiteral(
    "Жалобы при обращении: Жалоб нет\n\nАнамнез заболевания. \n"
    "Первые проявления заболевания возникли в возрасте \n\nАнамнез жизни.\n"
    "Сопутствующих заболеваний нет. Семейный анамнез не отягощен. "
    "Характер питания - гиппоаллергенный. Бытовые условия и режим - гиппоаллергенные. Вредных привычек нет. "
    "Домашних животных нет. Травм и(или) операций не было. Гепатитом не болел(а). \n");

QString extractHeaderWith(const QString &note)
{
    return QStringLiteral("Выписка из амбулаторной карты № 42\n\nСидоров Петр Ильич\n"
                          "Дата рождения:  . Вес -  кг.\nМесто жительства:    .\nТелефон - \n\n") +
           note + QStringLiteral("\nДиагноз: псориаз. \n");
}

const QString inTreatmentToday = QStringLiteral("Пациент в данный момент (5 марта 2025 г.) находится на лечении.\n");

const QString letterhead = QStringLiteral("ГБУЗ МНПЦДК\r\nфилиал «Клиника им. В.Г. Короленко»\r\n");

QStringList titlePage()
{
    return {QStringLiteral("1/1/2: ГБУЗ МНПЦДК\nфилиал «Клиника им. В.Г. Короленко»"),
            QStringLiteral("1/3/11: 42"),
            QStringLiteral("1/5/5: Сидоров Петр Ильич"),
            QStringLiteral("1/7/4: "),
            QStringLiteral("1/9/4: "),
            QStringLiteral("1/12/4: "),
            QStringLiteral("1/8/9: "),
            QStringLiteral("1/9/9: "),
            QStringLiteral("1/10/9: "),
            QStringLiteral("1/14/5: "),
            QStringLiteral("1/17/6: 01.02.2025"),
            QStringLiteral("1/19/3: псориаз. ")};
}

QStringList diagnosisRow(int row, const QString &date, const QString &label)
{
    return {QStringLiteral("2/%1/2: ").arg(row) + date, QStringLiteral("2/%1/3: ").arg(row) + label,
            QStringLiteral("2/%1/4: псориаз. ").arg(row)};
}

QStringList procedureRow(int row, int number, int course, const QString &date, int dose)
{
    const QString p = QStringLiteral("4/%1/").arg(row);
    return {p + QStringLiteral("1: %1").arg(number), p + QStringLiteral("2: %1").arg(course),
            p + QStringLiteral("3: ") + date,        p + QStringLiteral("4: П-54"),
            p + QStringLiteral("5: %1").arg(dose),   p + QStringLiteral("6: double ") + QString::number(dose / 100.0),
            p + QStringLiteral("7: Аммифурин"),      p + QStringLiteral("8: ")};
}

const QString registrationCell =
    QStringLiteral("3/2/2: 15 января 2025 г. Пациент взят на диспансерное наблюдение.\n") + blankAnamnesis;

const QString left = QStringLiteral("&7Амбулаторная карта № 42. Сидоров Петр Ильич.");
const QString right = QStringLiteral("&7Дата составления:5 марта 2025 г.");
const QString signature = QStringLiteral("&12 Подпись лечащего врача: ______________");

QString headersOf(int sheet)
{
    return QStringLiteral("%1|").arg(sheet) + left + QLatin1Char('|') + right + QLatin1Char('|') +
           (sheet == 1 ? QString() : signature);
}

QStringList sortedCells(const std::vector<CellWrite> &cells)
{
    QStringList out;
    for (const CellWrite &c : cells) {
        const QString value = c.value.typeId() == QMetaType::Double
                                  ? QStringLiteral("double ") + QString::number(c.value.toDouble())
                                  : c.value.toString();
        out << QStringLiteral("%1/%2/%3: %4").arg(c.sheet).arg(c.row).arg(c.column).arg(value);
    }
    out.sort();
    return out;
}

QStringList renderedHeaders(const std::vector<SheetHeaders> &headers)
{
    QStringList out;
    for (const SheetHeaders &h : headers)
        out << QStringLiteral("%1|").arg(h.sheet) + h.left + QLatin1Char('|') + h.right + QLatin1Char('|') +
                   h.rightFooter;
    return out;
}

ReportInput input(ReportMode mode, int course = 1)
{
    ReportInput in;
    in.mode = mode;
    in.course = course;
    in.today = today;
    in.letterhead = letterhead;
    return in;
}

} // namespace

Q_DECLARE_METATYPE(Build)
Q_DECLARE_METATYPE(pelorin::documents::ReportMode)
Q_DECLARE_METATYPE(pelorin::documents::ReportInput)
Q_DECLARE_METATYPE(pelorin::documents::ReportPeriod)

class ReportTextsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modes_data();
    void modes();
    void period_data();
    void period();
    void periodRunsToTheClocksToday();
    void selectionNote_data();
    void selectionNote();
    void letterheadCell_data();
    void letterheadCell();
    void compose_data();
    void compose();
};

void ReportTextsTest::modes_data()
{
    QTest::addColumn<ReportMode>("mode");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("period");
    // card, sheet 1, sheet 2, sheet 3 first row, sheet 3 diary, sheet 4, extract, total dose, summary
    QTest::addColumn<QString>("switches");

    QTest::newRow("full card") << ReportMode::FullCard << QStringLiteral("Полная амбулаторная карта")
                               << int(PeriodRule::AllCourses) << QStringLiteral("111111000");
    QTest::newRow("card of a course") << ReportMode::CourseCard << QStringLiteral("Печать карты с курсом ПУВА №")
                                      << int(PeriodRule::Course) << QStringLiteral("111111000");
    QTest::newRow("admission") << ReportMode::Admission << QStringLiteral("Информация при поступлении")
                               << int(PeriodRule::CurrentExamination) << QStringLiteral("110100000");
    QTest::newRow("last examination") << ReportMode::LastExamination << QStringLiteral("Последний осмотр")
                                      << int(PeriodRule::LastExamination) << QStringLiteral("110010000");
    QTest::newRow("one examination") << ReportMode::OneExamination << QStringLiteral("Отдельный осмотр (выберите:)")
                                     << int(PeriodRule::CurrentExamination) << QStringLiteral("110010000");
    QTest::newRow("between dates") << ReportMode::BetweenDates << QStringLiteral("Все события между датами")
                                   << int(PeriodRule::Pickers) << QStringLiteral("110010000");
    QTest::newRow("extract of a course") << ReportMode::CourseExtract << QStringLiteral("Выписка по курсу ПУВА №")
                                         << int(PeriodRule::Course) << QStringLiteral("000000101");
    QTest::newRow("extract of all courses") << ReportMode::AllCoursesExtract << QStringLiteral("Выписка по всем курсам")
                                            << int(PeriodRule::AllCourses) << QStringLiteral("000000111");
}

void ReportTextsTest::modes()
{
    QFETCH(ReportMode, mode);
    QFETCH(QString, caption);
    QFETCH(int, period);
    QFETCH(QString, switches);

    QCOMPARE(modeCaption(mode), caption);
    const ModeSwitches s = modeSwitches(mode);
    QCOMPARE(int(s.period), period);
    QString actual;
    for (bool b :
         {s.card, s.sheet1, s.sheet2, s.sheet3FirstRow, s.sheet3Diary, s.sheet4, s.extract, s.totalDose, s.summary})
        actual += b ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(actual, switches);
}

void ReportTextsTest::period_data()
{
    QTest::addColumn<Build>("build");
    QTest::addColumn<ReportInput>("in");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<bool>("inTreatment");
    QTest::addColumn<QString>("error");

    ReportInput between = input(ReportMode::BetweenDates);
    between.from = feb(10);
    between.to = feb(25);

    QTest::newRow("full card, last event an admission: up to today, not in treatment")
        << Build(inTreatment) << input(ReportMode::FullCard) << feb(1) << today << false << QString();
    QTest::newRow("all courses, last event an admission: up to today, in treatment")
        << Build(inTreatment) << input(ReportMode::AllCoursesExtract) << feb(1) << today << true << QString();
    QTest::newRow("all courses, discharged")
        << Build(discharged) << input(ReportMode::AllCoursesExtract) << feb(1) << march(4) << false << QString();
    QTest::newRow("course 1, admission and discharge")
        << Build(inTreatment) << input(ReportMode::CourseCard, 1) << feb(1) << feb(20) << false << QString();
    QTest::newRow("card of course 2, admission only")
        << Build(inTreatment) << input(ReportMode::CourseCard, 2) << march(1) << today << true << QString();
    QTest::newRow("extract of course 2, admission only")
        << Build(inTreatment) << input(ReportMode::CourseExtract, 2) << march(1) << today << true << QString();
    QTest::newRow("course 3 not found") << Build(inTreatment) << input(ReportMode::CourseExtract, 3) << QDate()
                                        << QDate() << false
                                        << QStringLiteral("Данный курс у этого пациента не найден!");
    QTest::newRow("last examination") << Build(inTreatment) << input(ReportMode::LastExamination) << march(1)
                                      << march(1) << false << QString();
    QTest::newRow("between dates, as picked")
        << Build(inTreatment) << between << feb(10) << feb(25) << false << QString();
    // A blank date reads as the zero date; the card then runs from it to today.
    QTest::newRow("full card without diagnosis events")
        << Build(noDiagnoses) << input(ReportMode::FullCard) << QDate(1899, 12, 30) << today << false << QString();
    QTest::newRow("all courses without diagnosis events: nothing to be in treatment for")
        << Build(noDiagnoses) << input(ReportMode::AllCoursesExtract) << QDate(1899, 12, 30) << today << false
        << QString();
}

void ReportTextsTest::period()
{
    QFETCH(Build, build);
    QFETCH(ReportInput, in);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(bool, inTreatment);
    QFETCH(QString, error);

    Patient p;
    build(p);
    const ReportPeriod period = determinePeriod(*p.dm2, in);
    QCOMPARE(period.error, error);
    if (!error.isEmpty())
        return;
    QCOMPARE(period.start, start);
    QCOMPARE(period.end, end);
    QCOMPARE(period.inTreatment, inTreatment);
}

void ReportTextsTest::periodRunsToTheClocksToday()
{
    Patient p;
    inTreatment(p);
    const qint64 middle = p.exam(feb(10));
    clock::setFixedToday(QDate(2025, 4, 1));
    ReportInput in = input(ReportMode::AllCoursesExtract);
    in.today = QDate();
    QCOMPARE(determinePeriod(*p.dm2, in).end, QDate(2025, 4, 1));
    clock::reset();

    // The examination modes take the chosen examination, or the current one when none is named.
    in = input(ReportMode::Admission);
    in.examinationId = middle;
    QCOMPARE(determinePeriod(*p.dm2, in).start, feb(10));
    p.dm2->osmotr1->first();
    in.mode = ReportMode::OneExamination;
    in.examinationId.reset();
    const ReportPeriod period = determinePeriod(*p.dm2, in);
    QCOMPARE(period.start, feb(1));
    QCOMPARE(period.end, feb(1));
}

void ReportTextsTest::selectionNote_data()
{
    QTest::addColumn<ReportInput>("in");
    QTest::addColumn<ReportPeriod>("period");
    QTest::addColumn<QString>("expected");

    ReportPeriod both{feb(1), feb(20), false, true, true, {}};
    ReportPeriod admissionOnly{march(1), today, true, true, false, {}};
    ReportPeriod lastDischarge{feb(1), march(4), false, false, true, {}};
    ReportPeriod lastAdmission{feb(1), today, true, false, false, {}};

    QTest::newRow("course extract, both events")
        << input(ReportMode::CourseExtract, 1) << both
        << QStringLiteral("Дата поступления (на курс № 1) - 1 февраля 2025 г. Дата выписки (c курса № 1) - "
                          "20 февраля 2025 г.\n");
    QTest::newRow("course extract, admission only")
        << input(ReportMode::CourseExtract, 2) << admissionOnly
        << QStringLiteral("Дата поступления (на курс № 2) - 1 марта 2025 г. Пациент в данный момент (5 марта 2025 г.) "
                          "находится на лечении.\n");
    QTest::newRow("all courses, discharged")
        << input(ReportMode::AllCoursesExtract) << lastDischarge
        << QStringLiteral("Дата поступления на начальный курс - 01.02.2025 Дата выписки с последнего курса - "
                          "04.03.2025\n");
    QTest::newRow("all courses, in treatment")
        << input(ReportMode::AllCoursesExtract) << lastAdmission
        << QStringLiteral("Дата поступления на начальный курс - 01.02.2025 Пациент в данное время находится на "
                          "лечении.\n");
    QTest::newRow("card modes have none") << input(ReportMode::FullCard) << lastAdmission << QString();
    // No admission recorded: neither a zero date nor a claim of treatment.
    ReportPeriod noEvents{QDate(1899, 12, 30), today, false, false, false, {}, true};
    QTest::newRow("all courses without any event: no line")
        << input(ReportMode::AllCoursesExtract) << noEvents << QString();
}

void ReportTextsTest::selectionNote()
{
    QFETCH(ReportInput, in);
    QFETCH(ReportPeriod, period);
    QFETCH(QString, expected);

    const QString note = documents::selectionNote(in, period);
    QCOMPARE(note, expected);
    // "(c курса" is written with the Latin c.
    const qsizetype c = note.indexOf(QStringLiteral(" курса № "));
    if (c > 0)
        QCOMPARE(note.at(c - 1).unicode(), char16_t(0x63));
}

void ReportTextsTest::letterheadCell_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("cell");

    QTest::newRow("Windows line ends, final break")
        << QStringLiteral("ГБУЗ\r\nфилиал\r\n") << QStringLiteral("ГБУЗ\nфилиал");
    QTest::newRow("Unix line ends, no final break") << QStringLiteral("ГБУЗ\nфилиал") << QStringLiteral("ГБУЗ\nфилиал");
    QTest::newRow("an empty line inside stays")
        << QStringLiteral("ГБУЗ\r\n\r\nфилиал\r\n") << QStringLiteral("ГБУЗ\n\nфилиал");
    QTest::newRow("empty file") << QString() << QString();
}

void ReportTextsTest::letterheadCell()
{
    QFETCH(QString, file);
    QFETCH(QString, cell);
    QCOMPARE(documents::letterheadCell(file), cell);
}

void ReportTextsTest::compose_data()
{
    QTest::addColumn<Build>("build");
    QTest::addColumn<ReportInput>("in");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<bool>("summary");
    QTest::addColumn<QString>("error");

    const QString note2 = QStringLiteral("Дата поступления (на курс № 2) - 1 марта 2025 г. Пациент в данный момент "
                                         "(5 марта 2025 г.) находится на лечении.\n");
    const QString noteAll = QStringLiteral("Дата поступления на начальный курс - 01.02.2025 Пациент в данное время "
                                           "находится на лечении.\n");

    QTest::newRow("full card, last event an admission: no in-treatment line")
        << Build(inTreatment) << input(ReportMode::FullCard)
        << QStringList{QString(), firstDay, QStringLiteral("20 февраля 2025 г. ") + firstDischargeDay,
                       QStringLiteral("1 марта 2025 г. ") + readmissionDay,
                       QStringLiteral("5 марта 2025 г. ") + secondCourseSoFar}
        << QStringList{headersOf(1), headersOf(2), headersOf(3), headersOf(4)}
        << titlePage() + diagnosisRow(4, "01.02.2025", "") + diagnosisRow(5, "20.02.2025", "") +
               diagnosisRow(6, "01.03.2025", "") + QStringList{registrationCell} +
               QStringList{QStringLiteral("3/3/2: 1 февраля 2025 г.\n") + firstDay,
                           QStringLiteral("3/4/2: 20 февраля 2025 г.\n") + firstDischargeDay,
                           QStringLiteral("3/5/2: 1 марта 2025 г.\n") + readmissionDay,
                           QStringLiteral("3/6/2: 5 марта 2025 г.\n") + secondCourseSoFar} +
               procedureRow(3, 1, 1, "03.02.2025", 100) + procedureRow(4, 2, 1, "05.02.2025", 100) +
               procedureRow(5, 3, 1, "20.02.2025", 100) + procedureRow(6, 1, 2, "03.03.2025", 150)
        << false << QString();

    QTest::newRow("extract of all courses in treatment: total dose, then the in-treatment line")
        << Build(inTreatment) << input(ReportMode::AllCoursesExtract)
        << QStringList{extractHeaderWith(noteAll),
                       blankAnamnesis,
                       QString(),
                       firstDay,
                       QStringLiteral("20 февраля 2025 г. ") + firstDischargeDay,
                       QStringLiteral("1 марта 2025 г. ") + readmissionDay,
                       QStringLiteral("5 марта 2025 г. ") + secondCourseSoFar,
                       QStringLiteral("Суммарная доза УФА: 4,50Дж\\см2\n"),
                       inTreatmentToday}
        << QStringList{} << QStringList{} << true << QString();

    ReportInput allWithLine = input(ReportMode::AllCoursesExtract);
    allWithLine.exposureLine = true;
    const QString lifetime =
        QStringLiteral("За все курсы проведено процедур ПУВА: 4, суммарная доза УФА: 4,50 Дж/см².\n");
    QTest::newRow("extract of all courses with the lifetime line: after the total dose, before the in-treatment line")
        << Build(inTreatment) << allWithLine
        << QStringList{extractHeaderWith(noteAll),
                       blankAnamnesis,
                       QString(),
                       firstDay,
                       QStringLiteral("20 февраля 2025 г. ") + firstDischargeDay,
                       QStringLiteral("1 марта 2025 г. ") + readmissionDay,
                       QStringLiteral("5 марта 2025 г. ") + secondCourseSoFar,
                       QStringLiteral("Суммарная доза УФА: 4,50Дж\\см2\n"),
                       lifetime,
                       inTreatmentToday}
        << QStringList{} << QStringList{} << true << QString();

    ReportInput courseWithLine = input(ReportMode::CourseExtract, 2);
    courseWithLine.exposureLine = true;
    QTest::newRow("extract of a course with the lifetime line: every course counts, not this one alone")
        << Build(inTreatment) << courseWithLine
        << QStringList{extractHeaderWith(note2),
                       blankAnamnesis,
                       QString(),
                       examOnFirstDay,
                       QStringLiteral("5 марта 2025 г. ") + secondCourseSoFar,
                       lifetime,
                       inTreatmentToday}
        << QStringList{} << QStringList{} << true << QString();

    QTest::newRow("extract of a course with its admission only ends with the in-treatment line")
        << Build(inTreatment) << input(ReportMode::CourseExtract, 2)
        << QStringList{extractHeaderWith(note2),
                       blankAnamnesis,
                       QString(),
                       examOnFirstDay,
                       QStringLiteral("5 марта 2025 г. ") + secondCourseSoFar,
                       inTreatmentToday}
        << QStringList{} << QStringList{} << true << QString();

    QTest::newRow("card of a course with its admission only ends with the in-treatment line")
        << Build(inTreatment) << input(ReportMode::CourseCard, 2)
        << QStringList{QString(), examOnFirstDay, QStringLiteral("5 марта 2025 г. ") + secondCourseSoFar,
                       inTreatmentToday}
        << QStringList{headersOf(1), headersOf(2), headersOf(3), headersOf(4)}
        << titlePage() + diagnosisRow(4, "01.03.2025", "") + QStringList{registrationCell} +
               QStringList{QStringLiteral("3/3/2: 1 марта 2025 г.\n") + examOnFirstDay,
                           QStringLiteral("3/4/2: 5 марта 2025 г.\n") + secondCourseSoFar} +
               procedureRow(3, 1, 2, "03.03.2025", 150)
        << false << QString();

    ReportInput admission = input(ReportMode::Admission);
    QTest::newRow("admission, one day: title page, the day, the registration row")
        << Build([](Patient &p) {
               inTreatment(p);
               p.dm2->osmotr1->last();
           })
        << admission << QStringList{QString(), examOnFirstDay} << QStringList{headersOf(1), headersOf(3)}
        << titlePage() + QStringList{registrationCell} << false << QString();

    QTest::newRow("last examination: its day on the first diary row")
        << Build(inTreatment) << input(ReportMode::LastExamination) << QStringList{QString(), examOnFirstDay}
        << QStringList{headersOf(1)}
        << titlePage() + QStringList{QStringLiteral("3/2/2: 1 марта 2025 г.\n") + examOnFirstDay} << false << QString();

    ReportInput lastWithLine = input(ReportMode::LastExamination);
    lastWithLine.exposureLine = true;
    QTest::newRow("the card modes have no lifetime line, switched on or not")
        << Build(inTreatment) << lastWithLine << QStringList{QString(), examOnFirstDay} << QStringList{headersOf(1)}
        << titlePage() + QStringList{QStringLiteral("3/2/2: 1 марта 2025 г.\n") + examOnFirstDay} << false << QString();

    ReportInput reversed = input(ReportMode::BetweenDates);
    reversed.from = feb(25);
    reversed.to = feb(10);
    QTest::newRow("between dates ending before they start: the title page only")
        << Build(inTreatment) << reversed << QStringList{QString()} << QStringList{headersOf(1)} << titlePage() << false
        << QString();

    QTest::newRow("course not found: nothing at all")
        << Build(inTreatment) << input(ReportMode::CourseCard, 3) << QStringList{} << QStringList{} << QStringList{}
        << false << QStringLiteral("Данный курс у этого пациента не найден!");
}

void ReportTextsTest::compose()
{
    QFETCH(Build, build);
    QFETCH(ReportInput, in);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, headers);
    QFETCH(QStringList, cells);
    QFETCH(bool, summary);
    QFETCH(QString, error);

    Patient p;
    build(p);
    const ReportResult r = composeReport(*p.dm1, *p.dm2, in);
    QCOMPARE(r.error, error);
    QCOMPARE(r.entries, entries);
    QCOMPARE(renderedHeaders(r.headers), headers);
    cells.sort();
    QCOMPARE(sortedCells(r.cells), cells);
    QCOMPARE(r.card, error.isEmpty() && modeSwitches(in.mode).card);
    QCOMPARE(r.summary, summary);
}

QTEST_GUILESS_MAIN(ReportTextsTest)
#include "doc_report_texts_test.moc"
