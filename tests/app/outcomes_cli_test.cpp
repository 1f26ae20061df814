// "pelorin-cli outcomes": the yearly summary it prints, the course table it writes as CSV and the
// workbook with both tables; the refusals of its words and files.
#include "demo.h"
#include "migrate.h"
#include "outcomes.h"
#include "outcomes_command.h"
#include "programfolder.h"
#include "workbook.h"

#include "database.h"
#include "testserver.h"

#include "clirun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace pelorin;

namespace {

using Run = testing::CliRun;

Run outcomes(const QStringList &words)
{
    return testing::runCli(cli::runOutcomes, words);
}

// A demo clinic of 40 patients in a data folder, beside a program folder with the shipped forms.
struct DemoClinic
{
    QTemporaryDir data;
    QTemporaryDir program;
    treatment::TreatmentOutcomes all;

    DemoClinic()
    {
        db::Database database;
        QString error;
        if (!database.open(data.path(), &error))
            qFatal("%s", qPrintable(error));
        cli::DemoOptions options;
        options.patients = 40;
        options.seed = 7;
        options.today = QDate(2026, 12, 10);
        if (!cli::generateDemo(database.sql(), options).ok)
            qFatal("demo failed");
        if (!treatment::computeOutcomes(database, {}, {}, &all, &error))
            qFatal("%s", qPrintable(error));
        QDir root(program.path());
        root.mkpath(QStringLiteral("sourses/reports"));
        if (!QFile::copy(QStringLiteral(PELORIN_SOURSES_DIR "/reports/itogi.xlsx"),
                         root.filePath(QStringLiteral("sourses/reports/itogi.xlsx"))))
            qFatal("no template");
        folder::setRoot(program.path());
    }
    ~DemoClinic() { folder::setRoot(QString()); }

    QString file(const QString &name) const { return QDir(data.path()).filePath(name); }
};

} // namespace

class OutcomesCliTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printsTheYearlySummary();
    void writesTheCoursesAsCsv();
    void writesBothTablesIntoTheWorkbook();
    void periodChoosesTheCourses();
    void refusals_data();
    void refusals();
    void refusesASymbolicLink();
    void theServerGivesTheFileFigures();
};

void OutcomesCliTest::printsTheYearlySummary()
{
    DemoClinic clinic;
    QVERIFY(!clinic.all.courses.isEmpty());
    const Run r = outcomes({"--data", clinic.data.path()});
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty());
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.first(),
             QStringLiteral("Итоги лечения ПУВА за всё время: курсов %1.").arg(clinic.all.courses.size()));
    QVERIFY(lines.at(1).startsWith(QStringLiteral("Год")));
    // A line per year and the total.
    QCOMPARE(lines.size(), 2 + clinic.all.years.size() + 1);
    QVERIFY(lines.last().startsWith(QStringLiteral("Всего")));
    QVERIFY(lines.last().contains(QString::number(clinic.all.total.courses)));
}

void OutcomesCliTest::writesTheCoursesAsCsv()
{
    DemoClinic clinic;
    const QString csv = clinic.file("courses.csv");
    const Run r = outcomes({"--data", clinic.data.path(), "--courses", csv});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("Таблица курсов: ")));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes, treatment::coursesCsv(clinic.all.courses));
    QCOMPARE(bytes.count('\n'), clinic.all.courses.size() + 1);
    // Patients' names: for the owner and the group only.
    QCOMPARE(f.permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther), QFileDevice::Permissions());
}

void OutcomesCliTest::writesBothTablesIntoTheWorkbook()
{
    DemoClinic clinic;
    const QString xlsx = clinic.file("itogi.xlsx");
    const Run r = outcomes({"--data", clinic.data.path(), "--from", "01.01.2020", "--xlsx", xlsx});
    QCOMPARE(r.code, 0);
    office::Workbook book;
    QVERIFY(book.open(xlsx));
    QCOMPARE(book.sheetCount(), 2);
    QCOMPARE(book.sheetName(1), QStringLiteral("Сводка по годам"));
    QCOMPARE(book.sheetName(2), QStringLiteral("Курсы"));
    QCOMPARE(book.cellText(1, 1, 1), QStringLiteral("Итоги лечения ПУВА с 01.01.2020"));
    // The form's own column names are the program's.
    const QStringList summary = treatment::summaryColumns();
    for (int c = 1; c <= summary.size(); ++c)
        QCOMPARE(book.cellText(1, 2, c), summary.at(c - 1));
    const QStringList courses = treatment::courseColumns();
    for (int c = 1; c <= courses.size(); ++c)
        QCOMPARE(book.cellText(2, 2, c), courses.at(c - 1));

    treatment::TreatmentOutcomes period;
    {
        db::Database database;
        QVERIFY(database.open(clinic.data.path(), nullptr, db::Database::OpenMode::ReadOnly));
        QVERIFY(treatment::computeOutcomes(database, QDate(2020, 1, 1), {}, &period));
    }
    // Years as numbers, the total as its word, after the last year.
    QCOMPARE(book.cellText(1, 3, 1), QString::number(period.years.first().year));
    const int totalRow = 3 + int(period.years.size());
    QCOMPARE(book.cellText(1, totalRow, 1), QStringLiteral("Всего"));
    QCOMPARE(book.cellText(1, totalRow, 2), QString::number(period.total.courses));
    QVERIFY(book.cellText(1, totalRow + 1, 1).isEmpty());
    // One row per course: the name, a date as the spreadsheet's day number, the dose as a number.
    const treatment::CourseOutcome &first = period.courses.first();
    QCOMPARE(book.cellText(2, 3, 1), first.patient);
    QCOMPARE(book.cellText(2, 3, 5), QString::number(QDate(1899, 12, 30).daysTo(first.end)));
    QCOMPARE(book.cellText(2, 3, 7).toDouble(), double(first.dose) / 100.0);
    QCOMPARE(book.cellText(2, 2 + int(period.courses.size()), 1), period.courses.last().patient);
    QVERIFY(book.cellText(2, 3 + int(period.courses.size()), 1).isEmpty());
}

void OutcomesCliTest::periodChoosesTheCourses()
{
    DemoClinic clinic;
    const int year = clinic.all.years.last().year;
    const Run r = outcomes({"--data", clinic.data.path(), "--from", QStringLiteral("01.01.%1").arg(year), "--to",
                            QStringLiteral("31.12.%1").arg(year)});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QStringLiteral("Итоги лечения ПУВА за период с 01.01.%1 по 31.12.%1: курсов %2.")
                                .arg(year)
                                .arg(clinic.all.years.last().courses));
    QCOMPARE(lines.size(), 4); // the columns, the year, the total
}

void OutcomesCliTest::refusals_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("a date of another form")
        << QStringList{"--from", "2025-01-01"} << "--from: нужна дата вида ДД.ММ.ГГГГ, а не «2025-01-01».";
    QTest::newRow("a period the wrong way round")
        << QStringList{"--from", "02.01.2025", "--to", "01.01.2025"} << "Ошибка: дата --from позже даты --to.";
    QTest::newRow("a file and a server") << QStringList{"--db", "postgresql://u@h:1/d"}
                                         << "Ошибка: укажите либо --data, либо --db.";
    // The address is shown without its password.
    QTest::newRow("not a server's address")
        << QStringList{"--db", "mysql://u:secret@h/d"}
        << "--db: нужен адрес вида postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА, а не «mysql://u@h/d».";
    QTest::newRow("an unknown option") << QStringList{"--year", "2025"} << "неизвестный параметр «--year».";
    QTest::newRow("one file for both tables")
        << QStringList{"--courses", "x.xlsx", "--xlsx", "x.xlsx"} << "Ошибка: --courses и --xlsx называют один файл.";
}

void OutcomesCliTest::refusals()
{
    QFETCH(QStringList, words);
    QFETCH(QString, complaint);
    DemoClinic clinic;
    const Run r = outcomes(QStringList{"--data", clinic.data.path()} + words);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(complaint), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
}

void OutcomesCliTest::refusesASymbolicLink()
{
    DemoClinic clinic;
    const QString target = clinic.file("elsewhere.csv");
    QFile(target).open(QIODevice::WriteOnly);
    const QString link = clinic.file("courses.csv");
    QVERIFY(QFile::link(target, link));
    const Run r = outcomes({"--data", clinic.data.path(), "--courses", link});
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(QStringLiteral("символическая ссылка")));
    QCOMPARE(QFileInfo(target).size(), 0);
    const Run x = outcomes({"--data", clinic.data.path(), "--xlsx", link});
    QCOMPARE(x.code, 2);
    QVERIFY(x.err.contains(QStringLiteral("символическая ссылка")));
}

// The clinic moved to the test server: the same summary and the same course table.
void OutcomesCliTest::theServerGivesTheFileFigures()
{
    if (testing::serverAlias().isEmpty())
        QSKIP("PELORIN_TEST_PG is not set: no PostgreSQL server to test against");
    DemoClinic clinic;
    QString error;
    QVERIFY2(testing::emptyServer(&error), qPrintable(error));
    QVERIFY(cli::migrateClinic(clinic.data.path(), testing::serverAlias()).ok);
    const Run file = outcomes({"--data", clinic.data.path(), "--courses", clinic.file("file.csv")});
    const Run server = outcomes({"--db", testing::serverAlias(), "--courses", clinic.file("server.csv")});
    QCOMPARE(server.code, 0);
    QVERIFY2(server.err.isEmpty(), qPrintable(server.err));
    QCOMPARE(QString(server.out).replace(QStringLiteral("server.csv"), QStringLiteral("file.csv")), file.out);
    QFile a(clinic.file("file.csv"));
    QFile b(clinic.file("server.csv"));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
}

QTEST_GUILESS_MAIN(OutcomesCliTest)
#include "outcomes_cli_test.moc"
