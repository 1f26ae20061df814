// "pelorin-cli migrate": a clinic's file moved to an empty server database, whole or not at all. The
// server cases run when PELORIN_TEST_PG names a throw-away server database (scripts/test.sh).
#include "audit.h"
#include "auditlog.h"
#include "backup.h"
#include "changelog.h"
#include "check.h"
#include "clock.h"
#include "database.h"
#include "datamodules.h"
#include "fieldvalue.h"
#include "demo.h"
#include "migrate.h"
#include "programfolder.h"
#include "report.h"
#include "table.h"
#include "testserver.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace pelorin;
using testing::serverAlias;

namespace {

int run(const QStringList &words, QString *out, QString *err)
{
    QTextStream o(out), e(err);
    return cli::runMigrate(words, o, e);
}

} // namespace

class MigrateTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
        clock::setFixedToday(QDate(2026, 12, 11));
    }
    void refusesWrongArguments_data();
    void refusesWrongArguments();
    void clinicArrivesWholeOnceOnly();
    void stoppedMoveLeavesNoTable_data();
    void stoppedMoveLeavesNoTable();
    void everyValueArrivesAsItWas_data();
    void everyValueArrivesAsItWas();
};

void MigrateTest::refusesWrongArguments_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("no target") << QStringList{"--from", "/tmp"} << QStringLiteral("Ошибка: нужны --from ПАПКА и --to");
    QTest::newRow("target is a folder") << QStringList{"--from", "/tmp", "--to", "/srv"}
                                        << QStringLiteral("Ошибка: --to: нужен адрес сервера");
    QTest::newRow("unknown option") << QStringList{"--data", "/tmp"} << QStringLiteral("Ошибка: неизвестный параметр");
}

void MigrateTest::refusesWrongArguments()
{
    QFETCH(QStringList, words);
    QFETCH(QString, complaint);
    QString out, err;
    QCOMPARE(run(words, &out, &err), 2);
    QVERIFY2(err.startsWith(complaint), qPrintable(err));
    QCOMPARE(out, QString());
}

void MigrateTest::clinicArrivesWholeOnceOnly()
{
    if (serverAlias().isEmpty())
        QSKIP("PELORIN_TEST_PG is not set: no PostgreSQL server to test against");
    QString reset;
    QVERIFY2(testing::emptyServer(&reset), qPrintable(reset));
    QTemporaryDir folder;
    {
        db::Database file;
        QString error;
        QVERIFY2(file.open(folder.path(), &error), qPrintable(error));
        cli::DemoOptions options;
        options.patients = 12;
        options.today = QDate(2026, 12, 11);
        QVERIFY(cli::generateDemo(file.sql(), options).ok);
        db::ChangeLog log;
        db::AuditLog journal(file, log);
        log.note(QStringLiteral("строка журнала"), QStringLiteral("register"));
        QVERIFY(journal.flush());
    }
    QString out, err;
    QCOMPARE(run({"--from", folder.path(), "--to", serverAlias()}, &out, &err), 0);
    QVERIFY2(err.isEmpty(), qPrintable(err));
    QVERIFY2(out.contains(QStringLiteral("register\t12\n")), qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("audit_log\t1\n")));
    QVERIFY(out.trimmed().endsWith(QStringLiteral("число записей и ключи сверены.")));

    // On the server the engine reads the same records, the journal's chain holds, and new keys go on
    // after the moved ones.
    db::Database server;
    QString error;
    QVERIFY2(server.openServer(serverAlias(), &error), qPrintable(error));
    QVERIFY(db::AuditLog::verify(server.sql()).sound);
    db::DM1 dm1(server);
    db::DM2 dm2(server, dm1);
    QVERIFY2(dm1.open(&error) && dm2.open(&error), qPrintable(error));
    QCOMPARE(dm1.register_->recordCount(), 12);
    qint64 largest = 0;
    for (int row = 0; row < dm1.register_->recordCount(); ++row)
        largest = std::max(largest, dm1.register_->valueAt(row, 0).toLongLong());
    dm1.register_->append();
    dm1.register_->setValue(QStringLiteral("Last_Name"), QStringLiteral("Новая"));
    QVERIFY(dm1.register_->post());
    QCOMPARE(dm1.register_->asInteger(QStringLiteral("ID_man")), largest + 1);
    dm1.register_->first();
    const QString patient = dm1.register_->asString(QStringLiteral("ID_man"));
    server.close();

    // The documents read the same records on both: every mode's text is the same.
    for (const char *mode : {"full-card", "extract-all", "last-exam"}) {
        QString fromFile, fromServer, ignored;
        QTemporaryDir outFile, outServer;
        QTextStream o1(&fromFile), o2(&fromServer), e(&ignored);
        QCOMPARE(cli::runReport({"--data", folder.path(), "--patient", patient, "--mode", mode, "--out", outFile.path()},
                                o1, e),
                 0);
        QCOMPARE(cli::runReport({"--db", serverAlias(), "--patient", patient, "--mode", mode, "--out", outServer.path()},
                                o2, e),
                 0);
        QVERIFY2(!fromFile.isEmpty(), mode);
        QCOMPARE(fromServer, fromFile);
    }

    // The check finds the file and the server alike sound; an examination whose patient is gone is
    // found on the server as in the file.
    const cli::CheckResult fileCheck = cli::checkFolder(folder.path(), QString());
    QVERIFY(fileCheck.clean());
    for (bool orphaned : {false, true}) {
        db::Database s;
        QVERIFY2(s.openServer(serverAlias(), &error), qPrintable(error));
        if (orphaned)
            QVERIFY(QSqlQuery(s.sql()).exec(QStringLiteral("INSERT INTO osmotr_1 (\"ID_man\") VALUES (999999)")));
        const cli::CheckResult serverCheck = cli::checkDatabase(s);
        QVERIFY(serverCheck.openError.isEmpty());
        QCOMPARE(serverCheck.tablesChecked, fileCheck.tablesChecked);
        QCOMPARE(serverCheck.recordsChecked, fileCheck.recordsChecked + (orphaned ? 1 : 0));
        QCOMPARE(serverCheck.orphans.size(), orphaned ? 1 : 0);
        QVERIFY(cli::describeCheck(serverCheck)
                    .contains(QStringLiteral("Целостность хранения записей на сервере PostgreSQL проверяет сам сервер.")));
        if (orphaned) {
            QCOMPARE(serverCheck.orphans.first().table, QStringLiteral("osmotr_1"));
            QCOMPARE(serverCheck.exitCode(), cli::kExitFindings);
            QVERIFY(QSqlQuery(s.sql()).exec(QStringLiteral("DELETE FROM osmotr_1 WHERE \"ID_man\" = 999999")));
        }
    }

    // The server's journal is printed and checked like the file's, each row with its seat.
    {
        db::Database s;
        QVERIFY2(s.openServer(serverAlias(), &error), qPrintable(error));
        db::ChangeLog log;
        db::AuditLog journal(s, log);
        journal.setSeat(QStringLiteral("кабинет 12"));
        log.note(QStringLiteral("на сервере"), QStringLiteral("register"));
        QVERIFY(journal.flush());
    }
    {
        QString said, complained;
        QTextStream o(&said), e(&complained);
        QCOMPARE(cli::runAudit({"--db", serverAlias()}, o, e), 0);
        QVERIFY2(complained.isEmpty(), qPrintable(complained));
        const QStringList lines = said.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(lines.size() >= 3, qPrintable(said));
        QVERIFY2(lines.at(0).endsWith(QStringLiteral("строка журнала")), qPrintable(lines.at(0))); // moved from the file
        QVERIFY2(lines.at(1).endsWith(QStringLiteral("на сервере\tкабинет 12")), qPrintable(lines.at(1)));
        QVERIFY(said.contains(QStringLiteral("Цепочка записей журнала цела: записей 2.")));
    }

    // The server's records are copied by pg_dump; an existing file is never replaced.
    QTemporaryDir copies;
    const QString copy = copies.filePath(QStringLiteral("clinic.dump"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString said, complained;
        QTextStream o(&said), e(&complained);
        const int code = cli::runBackup({"--db", serverAlias(), "--to", copy}, o, e);
        QCOMPARE(code, attempt == 0 ? 0 : 1);
        QVERIFY2(attempt == 0 ? said.startsWith(QStringLiteral("Резервная копия базы на сервере записана"))
                              : complained.contains(QStringLiteral("уже существует")),
                 qPrintable(said + complained));
        QVERIFY(QFileInfo(copy).size() > 0);
    }

    // A second move into the same database is refused, and writes nothing.
    out.clear();
    err.clear();
    QCOMPARE(run({"--from", folder.path(), "--to", serverAlias()}, &out, &err), 1);
    QVERIFY2(err.startsWith(QStringLiteral("База данных на сервере не пуста (в таблице register записей: 13)")),
             qPrintable(err));
}

void MigrateTest::stoppedMoveLeavesNoTable_data()
{
    // A row the server refuses stops the move at its table: the first one moved, or one after several.
    QTest::addColumn<QString>("spoil");
    QTest::addColumn<QString>("table");
    QTest::newRow("stopped at the first table") << "UPDATE register SET Last_Name = printf('%.300c', 'я') WHERE ID_man = 3"
                                                << "register";
    QTest::newRow("stopped after several tables")
        << "UPDATE osmotr_1 SET Dinamika = printf('%.300c', 'я') WHERE ID = (SELECT max(ID) FROM osmotr_1)" << "osmotr_1";
}

void MigrateTest::stoppedMoveLeavesNoTable()
{
    QFETCH(QString, spoil);
    QFETCH(QString, table);
    if (serverAlias().isEmpty())
        QSKIP("PELORIN_TEST_PG is not set: no PostgreSQL server to test against");
    QString reset;
    QVERIFY2(testing::emptyServer(&reset), qPrintable(reset));
    QTemporaryDir folder;
    {
        db::Database file;
        QString error;
        QVERIFY2(file.open(folder.path(), &error), qPrintable(error));
        cli::DemoOptions options;
        options.patients = 6;
        options.today = QDate(2026, 12, 11);
        QVERIFY(cli::generateDemo(file.sql(), options).ok);
        QSqlQuery q(file.sql());
        QVERIFY2(q.exec(spoil), qPrintable(q.lastError().text()));
        QCOMPARE(q.numRowsAffected(), 1);
    }
    QString out, err;
    QCOMPARE(run({"--from", folder.path(), "--to", serverAlias()}, &out, &err), 1);
    // The server's own words come in brackets after the Russian ones.
    QVERIFY2(err.startsWith(QStringLiteral("Перенос не сделан, на сервер ничего не записано. Таблица %1: ошибка базы "
                                           "данных (").arg(table)),
             qPrintable(err));
    // Not even the tables: the server database is as empty as it was.
    const QUrl url(serverAlias());
    {
        QSqlDatabase peek = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("migrate-peek"));
        peek.setHostName(url.host());
        peek.setPort(url.port(5432));
        peek.setUserName(url.userName());
        peek.setDatabaseName(url.path().mid(1));
        QVERIFY2(peek.open(), qPrintable(peek.lastError().text()));
        QSqlQuery q(peek);
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = current_schema()")) &&
                q.next());
        QCOMPARE(q.value(0).toInt(), 0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("migrate-peek"));
}

namespace {

// Every stored value of every row of a table, in the order of its keys, as the program reads them.
QList<QVariantList> tableRows(QSqlDatabase &sql, const db::TableDef &t)
{
    QStringList columns;
    QList<db::FieldType> types;
    if (!t.hasAutoIncKey()) {
        columns << db::quoteIdentifier(QString::fromLatin1(db::kHiddenRowKey));
        types << db::FieldType::AutoInc;
    }
    for (const db::FieldDef &f : t.fields) {
        if (!f.calculated) {
            columns << db::quoteIdentifier(QString::fromLatin1(f.name));
            types << f.type;
        }
    }
    QSqlQuery q(sql);
    if (!q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                    .arg(columns.join(QStringLiteral(", ")), db::quoteIdentifier(QString::fromLatin1(t.sqlName)),
                         db::quoteIdentifier(t.rowKeyColumn()))))
        qWarning("%s", qPrintable(q.lastError().text()));
    QList<QVariantList> rows;
    while (q.next()) {
        QVariantList row;
        for (qsizetype i = 0; i < types.size(); ++i)
            row << db::fromStorage(types[i], q.value(int(i)));
        rows << row;
    }
    return rows;
}

} // namespace

void MigrateTest::everyValueArrivesAsItWas_data()
{
    // Rows go to the server many at a time: a table ends inside a statement, on its last row, or
    // takes one statement a row.
    QTest::addColumn<int>("rowsPerStatement");
    QTest::newRow("a row a statement") << 1;
    QTest::newRow("4 rows a statement, 7 patients") << 4;
    QTest::newRow("7 rows a statement, 7 patients") << 7;
    QTest::newRow("as the command moves them") << 0;
}

void MigrateTest::everyValueArrivesAsItWas()
{
    QFETCH(int, rowsPerStatement);
    if (serverAlias().isEmpty())
        QSKIP("PELORIN_TEST_PG is not set: no PostgreSQL server to test against");
    QString reset;
    QVERIFY2(testing::emptyServer(&reset), qPrintable(reset));
    QTemporaryDir folder;
    db::Database file;
    QString error;
    QVERIFY2(file.open(folder.path(), &error), qPrintable(error));
    cli::DemoOptions options;
    options.patients = 7;
    options.today = QDate(2026, 12, 11);
    QVERIFY(cli::generateDemo(file.sql(), options).ok);
    // Texts with what quoting and arrays treat specially, a text that reads NULL, blanks, dates and
    // fractions.
    QSqlQuery q(file.sql());
    QVERIFY(q.prepare(QStringLiteral("UPDATE register SET Last_Name = ?, Other = ?, Born_dat = ?, Ves = ?, Rost = ? "
                                     "WHERE ID_man = ?")));
    const QList<QVariantList> patients = {
        {QStringLiteral("О'Брайен \"Мл.\""), QStringLiteral("a\\b {1,2} \\\"x\"\n\tвторая строка "), QStringLiteral("1899-12-31"),
         0.1, 1e-7, 1},
        {QStringLiteral("NULL"), QStringLiteral("  {}  "), QVariant(QMetaType::fromType<QString>()), 72.35, -0.0, 2},
        {QStringLiteral("Ёлкина,Щ"), QStringLiteral("😀 ёЁ ,;'\""), QStringLiteral("2026-02-28"),
         QVariant(QMetaType::fromType<double>()), 1.0 / 3, 3},
    };
    for (const QVariantList &p : patients) {
        for (const QVariant &v : p)
            q.addBindValue(v);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        QCOMPARE(q.numRowsAffected(), 1);
    }
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO clinic_settings (Name, Value) VALUES (?, ?)")));
    q.addBindValue(QStringLiteral("проба"));
    q.addBindValue(QStringLiteral("{\"a\": [1, NULL]} \\N"));
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    {
        db::ChangeLog log;
        db::AuditLog journal(file, log);
        log.note(QStringLiteral("строка \"журнала\" с \\"), QStringLiteral("register"));
        QVERIFY(journal.flush());
    }
    const cli::MigrateResult moved = cli::migrateClinic(folder.path(), serverAlias(), rowsPerStatement);
    QVERIFY2(moved.ok, qPrintable(moved.error));
    db::Database server;
    QVERIFY2(server.openServer(serverAlias(), &error), qPrintable(error));
    qint64 rows = 0;
    for (const db::TableDef &t : db::allTables()) {
        const QList<QVariantList> there = tableRows(server.sql(), t);
        QCOMPARE(there, tableRows(file.sql(), t));
        rows += there.size();
    }
    QVERIFY(rows > 7 * 19);
    QVERIFY(db::AuditLog::verify(server.sql()).sound);
    QSqlQuery there(server.sql());
    QVERIFY(there.exec(QStringLiteral("SELECT \"Last_Name\", \"Born_dat\" FROM register WHERE \"ID_man\" = 1")) &&
            there.next());
    QCOMPARE(there.value(0).toString(), QStringLiteral("О'Брайен \"Мл.\""));
    QCOMPARE(there.value(1).toDate(), QDate(1899, 12, 31));
    QVERIFY(there.exec(QStringLiteral("SELECT value FROM clinic_settings WHERE name = 'проба'")) && there.next());
    QCOMPARE(there.value(0).toString(), QStringLiteral("{\"a\": [1, NULL]} \\N"));
}

QTEST_GUILESS_MAIN(MigrateTest)
#include "migrate_test.moc"
