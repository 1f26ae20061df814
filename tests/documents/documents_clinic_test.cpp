// Every document of the documents section for every patient of a generated clinic, with the patients
// real use brings and a hand-made fixture misses: drugs in courses, several courses, interrupted
// procedures, blank fields, no diagnoses at all, a single examination, texts at every field's full
// width, Ё and hyphenated names. What must hold for any patient: the run ends, every written file
// opens, no zero date is printed, every cell fits the row limit, and every character the composition
// produced for a cell reaches a cell.
#include "card_sheets.h"
#include "certificates.h"
#include "course_diary.h"
#include "clock.h"
#include "demo.h"
#include "legacy_card.h"
#include "report_files.h"
#include "report_fixture.h"

#include "database.h"
#include "dialogs.h"
#include "documentviewer.h"
#include "reflist.h"
#include "register.h"
#include "settings.h"
#include "worddocument.h"
#include "workbook.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::documents;

namespace {

const QDate kToday(2025, 3, 5);
const QString kZeroDate = QStringLiteral("30.12.1899");

const ReportMode kModes[] = {ReportMode::FullCard,        ReportMode::AllCoursesExtract, ReportMode::CourseCard,
                             ReportMode::CourseExtract,   ReportMode::Admission,         ReportMode::LastExamination,
                             ReportMode::OneExamination,  ReportMode::BetweenDates};

// Words up to the width, so that wrapping has blanks to break at; Ё and a hyphen among them.
QString longText(int width)
{
    static const QString words = QStringLiteral(
        "Ёлочная сыпь-пятно распространённая по коже туловища и конечностей с шелушением зудом и "
        "лихенификацией умеренно выраженные явления без динамики ");
    QString text;
    while (text.size() < width)
        text += words;
    return text.left(width).trimmed();
}

// Every text field of the current record at its full width (memos 4,000 characters) and every check
// box ticked, so that every phrase list is as long as it gets; `fixed` first.
void fillEverything(db::Table &t, const QVariantMap &fixed)
{
    for (int i = 0; i < t.fieldCount(); ++i) {
        const db::FieldDef &f = t.fieldDef(i);
        const QString name = QString::fromLatin1(f.name);
        if (f.calculated || fixed.contains(name))
            continue;
        if (f.type == db::FieldType::Boolean)
            t.setValue(name, true);
        else if (f.type == db::FieldType::String)
            t.setValue(name, longText(f.width));
        else if (f.type == db::FieldType::Memo)
            t.setValue(name, longText(4000));
    }
    for (auto it = fixed.begin(); it != fixed.end(); ++it)
        QVERIFY2(t.setValue(it.key(), it.value()), qPrintable(it.key()));
}

void addFull(db::Table &t, const QVariantMap &fixed)
{
    t.append();
    fillEverything(t, fixed);
    QVERIFY2(t.post(), qPrintable(t.tableName()));
}

// Texts with the blanks taken out, to compare what was composed with what a row split holds.
QString letters(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (!c.isSpace())
            out += c;
    }
    return out;
}

struct Findings
{
    QStringList list;
    void add(const QString &patient, const QString &what) { list << patient + QStringLiteral(": ") + what; }
};

} // namespace

class DocumentsClinicTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void everyDocumentOfEveryPatient();

private:
    void addSpecialPatients();
    void checkCard(const QString &who, const QString &path, const std::vector<CellWrite> &composed,
                   const std::set<int> &flowing);
    void checkText(const QString &who, const QString &what, const QString &text);

    std::unique_ptr<testing::ProgramFolderFixture> m_program;
    QTemporaryDir m_data;
    std::unique_ptr<db::Database> m_db;
    std::unique_ptr<db::DM1> m_dm1;
    std::unique_ptr<db::DM2> m_dm2;
    db::RunSettings m_settings;
    Findings m_findings;
    int m_continued = 0; // composed texts that went on in the rows below
};

void DocumentsClinicTest::initTestCase()
{
    clock::setFixedToday(kToday);
    m_program = std::make_unique<testing::ProgramFolderFixture>();
    m_db = std::make_unique<db::Database>();
    QString error;
    QVERIFY2(m_db->open(m_data.path(), &error), qPrintable(error));
    cli::DemoOptions demo;
    demo.patients = 40;
    demo.seed = 24;
    demo.today = kToday;
    QVERIFY(cli::generateDemo(m_db->sql(), demo).ok);
    m_dm1 = std::make_unique<db::DM1>(*m_db);
    m_dm2 = std::make_unique<db::DM2>(*m_db, *m_dm1);
    db::installRegisterCalc(*m_dm1->register_, m_settings);
    installDocumentTexts(*m_dm1, *m_dm2);
    QVERIFY2(m_dm1->open(&error) && m_dm2->open(&error), qPrintable(error));
    addSpecialPatients();
}

void DocumentsClinicTest::cleanupTestCase()
{
    m_dm2.reset();
    m_dm1.reset();
    m_db.reset();
    m_program.reset();
    clock::reset();
}

void DocumentsClinicTest::addSpecialPatients()
{
    testing::RecordWriter write{*m_dm1, *m_dm2};
    db::DM1 &dm1 = *m_dm1;
    db::DM2 &dm2 = *m_dm2;
    const auto person = [](int card, const QString &last, const QString &first, const QString &father) {
        return QVariantMap{{"Amb_karta", card},
                           {"Last_Name", last},
                           {"First_Name", first},
                           {"Father_Name", father},
                           {"Reg_date", QDate(2024, 9, 2)},
                           {"Vrach", QStringLiteral("Смирнова Е.В.")}};
    };

    // Everything at full width: all anamnesis records filled, two courses with drugs, interrupted
    // procedures, nine blood tests, examinations with elements.
    write.patient(person(9001, QStringLiteral("Ёлкина-Петрова"), QStringLiteral("Алёна"), QStringLiteral("Фёдоровна")));
    dm1.register_->edit();
    fillEverything(*dm1.register_, {{"Amb_karta", 9001},
                                    {"Last_Name", QStringLiteral("Ёлкина-Петрова")},
                                    {"First_Name", QStringLiteral("Алёна")},
                                    {"Father_Name", QStringLiteral("Фёдоровна")},
                                    {"Born_Day", 3},
                                    {"Born_Month", 4},
                                    {"Born_Year", 1970},
                                    {"Reg_date", QDate(2024, 9, 2)},
                                    {"Vrach", QStringLiteral("Смирнова Е.В.")}});
    QVERIFY(dm1.register_->post());
    for (db::Table *t : dm1.tables()) {
        if (t == dm1.register_ || t == dm1.post_vipis || t->isEmpty())
            continue;
        t->edit();
        fillEverything(*t, {});
        QVERIFY2(t->post(), qPrintable(t->tableName()));
    }
    const QDate start(2024, 10, 1);
    for (int course = 1; course <= 2; ++course) {
        const QDate in = start.addDays((course - 1) * 60);
        addFull(*dm2.diagnoz, {{"Data", in}, {"Kurs", course}});
        for (int n = 0; n < 3; ++n) {
            const qint64 exam = write.exam(in.addDays(n * 10));
            Q_UNUSED(exam);
            dm2.osmotr1->edit();
            fillEverything(*dm2.osmotr1, {{"Date", in.addDays(n * 10)}, {"PUVA", QStringLiteral("1")}});
            QVERIFY(dm2.osmotr1->post());
            addFull(*dm2.osmotr_elem, {{"Name_elem", QStringLiteral("папула")}});
        }
        for (int p = 1; p <= 5; ++p) {
            addFull(*dm2.lech_puva, {{"Date", in.addDays(p * 4 + 1)},
                                     {"Nom_proc", p},
                                     {"Id_kurs", course},
                                     {"Power1", 1},
                                     {"Time1", 100 + p},
                                     {"Lech_prervano", p == 5}});
        }
        addFull(*dm2.lech_lekar, {{"Data", in.addDays(3)}});
        addFull(*dm2.lech_lekar, {{"Data", in.addDays(40)}});
        addFull(*dm2.recomend, {{"Data", in.addDays(30)}});
        if (course == 1)
            addFull(*dm2.diagnoz, {{"Data", in.addDays(30)}, {"Kurs", course}});
    }
    for (int t = 0; t < 9; ++t)
        addFull(*dm2.analyz, {{"Data", start.addDays(t * 7)}});

    // Blank: the card and the empty anamnesis records a new patient gets, nothing else.
    write.patient(person(9002, QStringLiteral("Пустова"), QString(), QString()));

    // Treated without a single diagnosis record.
    write.patient(person(9003, QStringLiteral("Без-Диагнозова"), QStringLiteral("Ольга"), QString()));
    write.exam(QDate(2025, 1, 10));
    write.procedure(QDate(2025, 1, 12), 1, 1, 120);
    write.procedure(QDate(2025, 1, 14), 2, 1, 130);
    write.add(*dm2.lech_lekar, {{"Data", QDate(2025, 1, 12)}, {"Lek", QStringLiteral("Крем")}});

    // One examination and nothing more.
    write.patient(person(9004, QStringLiteral("Одинокова"), QStringLiteral("Вера"), QStringLiteral("Ильинична")));
    write.exam(QDate(2025, 2, 3));
}

void DocumentsClinicTest::checkText(const QString &who, const QString &what, const QString &text)
{
    if (text.contains(kZeroDate))
        m_findings.add(who, what + QStringLiteral(" prints the zero date"));
}

void DocumentsClinicTest::checkCard(const QString &who, const QString &path, const std::vector<CellWrite> &composed,
                                    const std::set<int> &flowing)
{
    office::Workbook book;
    QString error;
    if (!book.open(path, &error)) {
        m_findings.add(who, QStringLiteral("card does not open: ") + error);
        return;
    }
    std::map<std::pair<int, int>, QString> columns; // (sheet, column) -> the cells' letters in row order
    for (int sheet = 1; sheet <= book.sheetCount(); ++sheet) {
        for (const office::Workbook::Cell &cell : book.cells(sheet)) {
            checkText(who, QStringLiteral("cell %1/%2/%3").arg(sheet).arg(cell.row).arg(cell.column), cell.text);
            const double height = book.neededHeight(sheet, cell.row, cell.column);
            if (height > office::Workbook::kMaxRowHeight)
                m_findings.add(who, QStringLiteral("cell %1/%2/%3 needs %4 pt")
                                        .arg(sheet)
                                        .arg(cell.row)
                                        .arg(cell.column)
                                        .arg(height));
            columns[{sheet, cell.column}] += letters(cell.text);
        }
    }
    for (const CellWrite &c : composed) {
        if (c.value.typeId() == QMetaType::Double)
            continue;
        const QString wanted = letters(c.value.toString());
        if (wanted.isEmpty())
            continue;
        const QString &have = columns[{c.sheet, c.column}];
        const bool whole = flowing.count(c.sheet) ? have.contains(wanted)
                                                  : letters(book.cellText(c.sheet, c.row, c.column)) == wanted;
        if (wanted.size() > letters(book.cellText(c.sheet, c.row, c.column)).size())
            ++m_continued;
        if (!whole)
            m_findings.add(who, QStringLiteral("text of cell %1/%2/%3 (%4 letters) not all on the card")
                                    .arg(c.sheet)
                                    .arg(c.row)
                                    .arg(c.column)
                                    .arg(wanted.size()));
    }
}

void DocumentsClinicTest::everyDocumentOfEveryPatient()
{
    db::DM1 &dm1 = *m_dm1;
    db::DM2 &dm2 = *m_dm2;
    QFile letterheadFile(letterheadPath());
    QVERIFY(letterheadFile.open(QIODevice::ReadOnly));
    const QString letterhead = decodeTextFile(letterheadFile.readAll());
    QStringList letterheadLines;
    QString error;
    QVERIFY(readLetterheadLines(&letterheadLines, &error));

    ScopedScriptedDialogs dialogs;
    office::ScopedRecordingDocumentViewer viewer;
    int patients = 0;
    int cards = 0;
    int summaries = 0;
    db::Table &reg = *dm1.register_;
    QVERIFY(reg.recordCount() >= 44);
    for (int row = 1; row <= reg.recordCount(); ++row) {
        reg.setRecNo(row);
        const qint64 id = reg.asInteger(QStringLiteral("ID_man"));
        const QString who = QStringLiteral("карта %1 (%2)").arg(reg.asString(QStringLiteral("Amb_karta")),
                                                                reg.asString(QStringLiteral("Last_Name")));
        ++patients;
        QTemporaryDir out;
        ReportFilesOptions options;
        options.cardFolder = out.path();
        options.summaryFolder = out.path();

        for (ReportMode mode : kModes) {
            const QString what = modeCaption(mode);
            // The composition as the run makes it, for what must reach the card.
            ReportInput in;
            in.mode = mode;
            in.today = kToday;
            in.from = QDate(2024, 1, 1);
            in.to = kToday;
            in.letterhead = letterhead;
            dm2.osmotr1->first();
            const ReportResult composed = composeReport(dm1, dm2, in);
            dm2.osmotr1->first();
            PlainTextArea area;
            const ReportFilesResult r = prepareReport(dm1, dm2, in, area, options);
            QCOMPARE(reg.asInteger(QStringLiteral("ID_man")), id);
            checkText(who, what, area.plainText());
            if (!r.ok) {
                // Only a course that is not there may stop a run.
                if (r.message != courseNotFoundMessage())
                    m_findings.add(who, what + QStringLiteral(" stopped: ") + r.message);
                continue;
            }
            if (!r.cardPath.isEmpty()) {
                ++cards;
                checkCard(who + QStringLiteral(", ") + what, r.cardPath, composed.cells,
                          {kDiagnosesSheet, kDiarySheet, kProcedureSheet});
            }
            if (!r.summaryPath.isEmpty()) {
                ++summaries;
                office::WordDocument summary;
                if (!summary.open(r.summaryPath, &error))
                    m_findings.add(who, what + QStringLiteral(": summary does not open: ") + error);
                checkText(who, what + QStringLiteral(" (summary)"), summary.bodyText());
                if (summary.bodyText().contains(kLetterheadPlaceholder))
                    m_findings.add(who, what + QStringLiteral(": summary without letterhead"));
            }
        }

        for (ReportMode mode : kModes) {
            const QString what = QStringLiteral("Старый отчет: ") + modeCaption(mode);
            LegacyCardInput in;
            in.mode = mode;
            in.today = kToday;
            in.letterhead = letterhead;
            dm2.osmotr1->first();
            const LegacyCardResult composed = composeLegacyCard(dm1, dm2, in);
            dm2.osmotr1->first();
            PlainTextArea area;
            const ReportFilesResult r = prepareLegacyCard(dm1, dm2, in, area, options);
            QCOMPARE(reg.asInteger(QStringLiteral("ID_man")), id);
            QVERIFY2(r.ok, qPrintable(who + QStringLiteral(", ") + what + QStringLiteral(": ") + r.message));
            checkText(who, what, area.plainText());
            if (!r.cardPath.isEmpty()) {
                ++cards;
                checkCard(who + QStringLiteral(", ") + what, r.cardPath, composed.cells,
                          {kDiagnosesSheet, kLegacyCardSheet});
            }
        }

        const CertificatePatient patient = CertificatePatient::fromRegister(reg);
        checkText(who, QStringLiteral("Справка"),
                  plainText(composeCertificate(letterheadLines, patient, CertificateChoices::initial(kToday))));
        checkText(who, QStringLiteral("Направление"),
                  plainText(composeReferral(letterheadLines, patient, ReferralChoices::initial(kToday))));
    }
    for (const QString &finding : std::as_const(m_findings.list))
        qWarning().noquote() << finding;
    QVERIFY2(m_findings.list.isEmpty(), qPrintable(QString::number(m_findings.list.size()) + QStringLiteral(" findings")));
    QCOMPARE(patients, reg.recordCount());
    // The full-width patient's texts do not fit one row: the continuation was really exercised.
    QVERIFY(m_continued > 0);
    QVERIFY(cards > patients * 8);
    QVERIFY(summaries > patients);
    // Nothing the documents do is stored.
    QVERIFY(!reg.isEditing());
}

QTEST_GUILESS_MAIN(DocumentsClinicTest)
#include "documents_clinic_test.moc"
