// "pelorin-cli report", called in-process on a data folder written before: every mode once, and the
// refusals.
#include "report.h"

#include "clinicsettings.h"
#include "database.h"
#include "report_fixture.h"
#include "worddocument.h"
#include "workbook.h"

#include "clirun.h"

#include <QTextStream>
#include <QtTest>

using namespace pelorin;
using testing::feb;
using testing::march;

namespace {

using Run = testing::CliRun;

Run report(const QStringList &words)
{
    return testing::runCli(cli::runReport, words);
}

// An examination day at the start of a period: no date in front, the PUVA therapy prescribed.
const QString firstExamDay =
    QStringLiteral("Произведен осмотр.\nОбъективно: Индекс SCORAD - 5. \n\nНазначено лечение: \nПУВА-терапия. \n");
const QString plainExamDay = QStringLiteral("Произведен осмотр.\nНазначено лечение: \nПУВА-терапия. \n");
const QString inTreatment = QStringLiteral("Пациент в данный момент (5 марта 2025 г.) находится на лечении.\n");

} // namespace

class ReportCliTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void modes_data();
    void modes();
    void refusals_data();
    void refusals();
    void filesGoToTheProgramFolderByDefault();
    void exposureLineFollowsTheClinicsSetting();

private:
    std::unique_ptr<testing::ProgramFolderFixture> m_program;
    QTemporaryDir m_data;
    qint64 m_sidorov = 0;
    qint64 m_examFeb20 = 0;
    qint64 m_othersExam = 0;
};

void ReportCliTest::initTestCase()
{
    qputenv("PELORIN_TODAY", "2025-03-05");
    m_program = std::make_unique<testing::ProgramFolderFixture>();
    db::Database database;
    QString error;
    QVERIFY2(database.open(m_data.path(), &error), qPrintable(error));
    db::DM1 dm1(database);
    db::DM2 dm2(database, dm1);
    QVERIFY(dm1.open(&error) && dm2.open(&error));
    testing::RecordWriter write{dm1, dm2};
    m_sidorov = write.twoCoursesSecondOpen();
    dm2.osmotr1->locate(QStringLiteral("Date"), feb(20));
    m_examFeb20 = dm2.osmotr1->asInteger(QStringLiteral("ID"));
    // Петрова, with one examination that is not Сидоров's.
    write.patient({{"Last_Name", QStringLiteral("Петрова")}, {"Reg_date", feb(2)}});
    m_othersExam = write.exam(feb(2));
}

void ReportCliTest::cleanupTestCase()
{
    m_program.reset();
    qunsetenv("PELORIN_TODAY");
}

void ReportCliTest::modes_data()
{
    QTest::addColumn<QStringList>("words"); // after "--data DIR --patient ID --out DIR"
    QTest::addColumn<QString>("text");      // the whole standard output, when the row knows it
    QTest::addColumn<QStringList>("lines"); // lines the standard output holds
    QTest::addColumn<QString>("file");      // karta1 or vipiska
    QTest::addColumn<QString>("cell");      // sheet/row/column of the card, and the text it starts with
    QTest::addColumn<QString>("starts");

    const QString id20 = QString::number(m_examFeb20);
    QTest::newRow("full-card") << QStringList{"--mode", "full-card"} << QString()
                               << QStringList{"1 марта 2025 г. Пациент поступил повторно на 2 курс ПУВА-терапии с "
                                              "диагнозом: псориаз. "}
                               << "karta1"
                               << "4/6/3"
                               << "03.03.2025";
    QTest::newRow("course-card") << QStringList{"--mode", "course-card", "--course", "1"} << QString()
                                 << QStringList{"Пациент выписан после 3 процедуры 1 курса ПУВА-терапии с диагнозом: "
                                                "псориаз. "}
                                 << "karta1"
                                 << "2/5/2"
                                 << "20.02.2025";
    QTest::newRow("admission") << QStringList{"--mode", "admission", "--exam", id20}
                               << QStringLiteral("\n") + plainExamDay +
                                      QStringLiteral("\nПациент выписан после 1 процедуры 1 курса ПУВА-терапии с "
                                                     "диагнозом: псориаз. \n\n")
                               << QStringList() << "karta1"
                               << "3/2/2"
                               << "15 января 2025 г. Пациент взят на диспансерное наблюдение.\n";
    QTest::newRow("last-exam") << QStringList{"--mode", "last-exam"} << QStringLiteral("\n") + plainExamDay + "\n"
                               << QStringList() << "karta1"
                               << "3/2/2"
                               << "1 марта 2025 г.\nПроизведен осмотр.";
    QTest::newRow("exam, the first by default")
        << QStringList{"--mode", "exam"} << QStringLiteral("\n") + firstExamDay + "\n"
        << QStringList() << "karta1"
        << "3/2/2"
        << "1 февраля 2025 г.\nПроизведен осмотр.";
    QTest::newRow("between") << QStringList{"--mode", "between", "--from", "10.02.2025", "--to", "25.02.2025"}
                             << QString()
                             << QStringList{"20 февраля 2025 г. Произведен осмотр. Процедура №3 курса №1 "
                                            "ПУВА-терапии. "}
                             << "karta1"
                             << "3/2/2"
                             << "20 февраля 2025 г.\n";
    QTest::newRow("extract-course") << QStringList{"--mode", "extract-course", "--course=2"} << QString()
                                    << QStringList{"Выписка из амбулаторной карты № 42",
                                                   "Дата поступления (на курс № 2) - 1 марта 2025 г. Пациент в данный "
                                                   "момент (5 марта 2025 г.) находится на лечении."}
                                    << "vipiska" << QString() << QString();
    QTest::newRow("extract-all") << QStringList{"--mode", "extract-all"} << QString()
                                 << QStringList{"Выписка из амбулаторной карты № 42", "Суммарная доза УФА: 4,50Дж\\см2",
                                                inTreatment.chopped(1)}
                                 << "vipiska" << QString() << QString();
}

void ReportCliTest::modes()
{
    QFETCH(QStringList, words);
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(QString, file);
    QFETCH(QString, cell);
    QFETCH(QString, starts);

    QTemporaryDir out;
    const Run r = report(
        QStringList{"--data", m_data.path(), "--patient", QString::number(m_sidorov), "--out", out.path()} + words);
    QCOMPARE(r.code, 0);
    if (!text.isNull())
        QCOMPARE(r.out, text);
    // Every entry ends with its line feed: the text ends with one, never with a missing or a third.
    QVERIFY(r.out.endsWith(QLatin1Char('\n')));
    const QStringList printed = r.out.split(QLatin1Char('\n'));
    for (const QString &line : lines)
        QVERIFY2(printed.contains(line), qPrintable(line + QStringLiteral("\n--- in ---\n") + r.out));

    const QStringList written = QDir(out.path()).entryList(QDir::Files);
    QCOMPARE(written.size(), 1);
    QVERIFY2(written.first().startsWith(file + QLatin1Char('_')), qPrintable(written.first()));
    const QString path = QDir(out.path()).filePath(written.first());
    QCOMPARE(r.err, QStringLiteral("Записан файл: ") + QDir::toNativeSeparators(path) + QLatin1Char('\n'));
    if (file == QLatin1String("karta1")) {
        office::Workbook book;
        QVERIFY(book.open(path));
        const QStringList place = cell.split(QLatin1Char('/'));
        const QString value = book.cellText(place[0].toInt(), place[1].toInt(), place[2].toInt());
        QVERIFY2(value.startsWith(starts), qPrintable(value));
    } else {
        // The summary holds exactly what was printed.
        office::WordDocument summary;
        QVERIFY(summary.open(path));
        QVERIFY(summary.bodyText().contains(r.out));
    }
}

void ReportCliTest::refusals_data()
{
    QTest::addColumn<QStringList>("words"); // DATA stands for the data folder
    QTest::addColumn<QString>("err");       // the first line of standard error

    const QString patient = QString::number(m_sidorov);
    const QStringList base{"--data", "DATA", "--patient", patient};
    QTest::newRow("course without events")
        << base + QStringList{"--mode", "extract-course", "--course", "3"} << "Данный курс у этого пациента не найден!";
    QTest::newRow("card of a course without events")
        << base + QStringList{"--mode", "course-card", "--course", "99"} << "Данный курс у этого пациента не найден!";
    QTest::newRow("unknown patient") << QStringList{"--data", "DATA", "--patient", "999", "--mode", "full-card"}
                                     << "Пациент с ID_man = 999 не найден.";
    QTest::newRow("another patient's examination")
        << base + QStringList{"--mode", "exam", "--exam", QString::number(m_othersExam)}
        << QStringLiteral("Осмотр с ID = %1 у пациента с ID_man = %2 не найден.").arg(m_othersExam).arg(patient);
    QTest::newRow("no database") << QStringList{"--data", "DATA/нет", "--patient", patient, "--mode", "full-card"}
                                 << QString();
    QTest::newRow("unknown mode") << base + QStringList{"--mode", "card"}
                                  << "Ошибка: --mode: неизвестный режим «card»; режимы: full-card, course-card, "
                                     "admission, last-exam, exam, between, extract-course, extract-all.";
    QTest::newRow("no mode") << base << "Ошибка: не указан режим (--mode).";
    QTest::newRow("no patient") << QStringList{"--data", "DATA", "--mode", "full-card"}
                                << "Ошибка: не указан пациент (--patient ID_man).";
    QTest::newRow("patient not a number") << QStringList{"--patient", "Сидоров", "--mode", "full-card"}
                                          << "Ошибка: --patient: нужно целое число от 1 до 9223372036854775807, а не "
                                             "«Сидоров».";
    QTest::newRow("course out of range") << base + QStringList{"--mode", "course-card", "--course", "100"}
                                         << "Ошибка: --course: нужно целое число от 1 до 99, а не «100».";
    QTest::newRow("course of a whole card") << base + QStringList{"--mode", "full-card", "--course", "2"}
                                            << "Ошибка: --course относится только к режимам course-card и "
                                               "extract-course, а не к full-card.";
    QTest::newRow("examination of an extract") << base + QStringList{"--mode", "extract-all", "--exam", "1"}
                                               << "Ошибка: --exam относится только к режимам admission и exam, а не "
                                                  "к extract-all.";
    QTest::newRow("dates of the last examination") << base + QStringList{"--mode", "last-exam", "--to", "01.03.2025"}
                                                   << "Ошибка: --from и --to относятся только к режиму between, а не "
                                                      "к last-exam.";
    QTest::newRow("date not a date") << base + QStringList{"--mode", "between", "--from", "2025-02-10"}
                                     << "Ошибка: --from: нужна дата в виде ДД.ММ.ГГГГ, а не «2025-02-10».";
    QTest::newRow("option without value") << base + QStringList{"--mode"} << "Ошибка: после --mode нужно значение.";
    QTest::newRow("unknown option") << base + QStringList{"--mode", "full-card", "--old", "1"}
                                    << "Ошибка: неизвестный параметр «--old».";
    QTest::newRow("stray word") << base + QStringList{"full-card"} << "Ошибка: лишний аргумент «full-card».";
}

void ReportCliTest::refusals()
{
    QFETCH(QStringList, words);
    QFETCH(QString, err);

    QTemporaryDir out;
    for (QString &w : words)
        w.replace(QStringLiteral("DATA"), m_data.path());
    const Run r = report(words + QStringList{"--out", out.path()});
    // Words that cannot be taken end with 2 in every command.
    QCOMPARE(r.code, err.startsWith(QStringLiteral("Ошибка:")) ? 2 : 1);
    QCOMPARE(r.out, QString());
    if (err.isEmpty())
        QVERIFY(!r.err.isEmpty());
    else
        QCOMPARE(r.err.section(QLatin1Char('\n'), 0, 0), err);
    QVERIFY(QDir(out.path()).entryList(QDir::Files).isEmpty());
    QVERIFY(!QFileInfo::exists(m_data.path() + QStringLiteral("/нет")));
}

void ReportCliTest::filesGoToTheProgramFolderByDefault()
{
    const QStringList base{"--data", m_data.path(), "--patient", QString::number(m_sidorov)};
    QCOMPARE(report(base + QStringList{"--mode", "last-exam"}).code, 0);
    QCOMPARE(report(base + QStringList{"--mode", "extract-all"}).code, 0);
    QCOMPARE(m_program->files(QStringLiteral("reports"), QStringLiteral("karta1_*.xlsx")).size(), 1);
    QCOMPARE(m_program->files(QStringLiteral("sourses/reports"), QStringLiteral("vipiska_*.docx")).size(), 1);
    // Help is not a refusal.
    const Run help = report({"--help"});
    QCOMPARE(help.code, 0);
    QVERIFY(help.out.contains(QStringLiteral("pelorin-cli report --data ПАПКА --patient ID_man --mode РЕЖИМ")));
}

void ReportCliTest::exposureLineFollowsTheClinicsSetting()
{
    const QString line = QStringLiteral("За все курсы проведено процедур ПУВА: 4, суммарная доза УФА: 4,50 Дж/см².");
    auto keep = [this](const char *value) {
        db::Database database;
        QString error;
        QVERIFY2(database.open(m_data.path(), &error), qPrintable(error));
        QVERIFY(db::ClinicSettings::setValue(database, QStringLiteral("puva_exposure_line"), QString::fromLatin1(value)));
    };
    for (const char *value : {"1", "0"}) {
        keep(value);
        QTemporaryDir out;
        const Run r = report({"--data", m_data.path(), "--patient", QString::number(m_sidorov), "--out", out.path(),
                              "--mode", "extract-all"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.split(QLatin1Char('\n')).contains(line), value == QByteArray("1"));
    }
}

QTEST_GUILESS_MAIN(ReportCliTest)
#include "report_cli_test.moc"
