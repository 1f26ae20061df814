// "pelorin-cli audit": what it prints, how it filters, and its verdict on the journal's chain.
#include "audit.h"
#include "auditlog.h"
#include "backups.h"
#include "check.h"
#include "changelog.h"
#include "clock.h"
#include "database.h"

#include "clirun.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace pelorin;

namespace {

using Run = testing::CliRun;

Run audit(const QStringList &words)
{
    return testing::runCli(cli::runAudit, words);
}

// A data folder whose journal has three lines: patient 1 (card 1074, Тихонов) on 09.12, patient 2 (removed
// since) and no patient on 10.12.
struct JournalFolder
{
    QTemporaryDir dir;

    JournalFolder()
    {
        db::Database database;
        QString error;
        if (!database.open(dir.path(), &error))
            qFatal("%s", qPrintable(error));
        QSqlQuery card(database.sql());
        if (!card.exec(QStringLiteral("INSERT INTO register (\"ID_man\", \"Amb_karta\", \"Last_Name\") "
                                      "VALUES (1, 1074, 'Тихонов')")))
            qFatal("no patient");
        db::ChangeLog log;
        db::AuditLog journal(database, log);
        QVariant patient;
        journal.setPatientSource([&patient] { return patient; });
        clock::setFixedNow(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)));
        patient = 1;
        log.note(QStringLiteral("первая"), QStringLiteral("register"));
        clock::setFixedNow(QDateTime(QDate(2026, 12, 10), QTime(11, 30, 5)));
        patient = 2;
        log.note(QStringLiteral("вторая"), QStringLiteral("osmotr_1"));
        patient = QVariant();
        log.note(QStringLiteral("третья"));
        journal.flush();
        clock::reset();
    }

    QString path() const { return dir.path(); }

    void tamper(const QString &sql)
    {
        db::Database database;
        QString error;
        if (!database.open(dir.path(), &error))
            qFatal("%s", qPrintable(error));
        QSqlQuery q(database.sql());
        if (!q.exec(sql))
            qFatal("tampering failed");
    }
};

const QString kFirst = QStringLiteral(
    "1\t09.12.2026 10:00:00\tкарта 1074, Тихонов\tрегистрационная карта\tсреда, Декабрь 9, 2026, 10:00:00 - первая");

} // namespace

class AuditCliTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printsTheJournalAndItsVerdict_data();
    void printsTheJournalAndItsVerdict();
    void brokenChainEndsWithOne();
    void refusesWrongArguments_data();
    void refusesWrongArguments();
    void olderFileHasNoJournalYet();
    void cutAtTheEndIsFound_data();
    void cutAtTheEndIsFound();
};

void AuditCliTest::printsTheJournalAndItsVerdict_data()
{
    QTest::addColumn<QStringList>("filter");
    QTest::addColumn<QList<int>>("ids");

    QTest::newRow("everything") << QStringList() << QList<int>{1, 2, 3};
    QTest::newRow("one patient") << QStringList{QStringLiteral("--patient"), QStringLiteral("2")} << QList<int>{2};
    QTest::newRow("by card") << QStringList{QStringLiteral("--card"), QStringLiteral("1074")} << QList<int>{1};
    QTest::newRow("from a day") << QStringList{QStringLiteral("--from"), QStringLiteral("10.12.2026")}
                                << QList<int>{2, 3};
    QTest::newRow("up to a day, ISO") << QStringList{QStringLiteral("--to=2026-12-09")} << QList<int>{1};
    QTest::newRow("patient without lines") << QStringList{QStringLiteral("--patient"), QStringLiteral("7")}
                                           << QList<int>{};
}

void AuditCliTest::printsTheJournalAndItsVerdict()
{
    QFETCH(QStringList, filter);
    QFETCH(QList<int>, ids);
    JournalFolder folder;
    const Run r = audit(QStringList{QStringLiteral("--data"), folder.path()} + filter);
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QString());
    QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), ids.size() + 3);
    for (int i = 0; i < ids.size(); ++i)
        QVERIFY2(lines[i].startsWith(QString::number(ids[i]) + QLatin1Char('\t')), qPrintable(lines[i]));
    if (!ids.isEmpty() && ids.first() == 1)
        QCOMPARE(lines.first(), kFirst);
    if (ids.contains(2))
        QVERIFY2(lines[ids.indexOf(2)].contains(QStringLiteral("\tудалённый пациент (запись 2)\tосмотр\t")),
                 qPrintable(lines[ids.indexOf(2)]));
    if (ids.contains(3))
        QVERIFY(lines[ids.indexOf(3)].contains(QStringLiteral("\tпациент не указан\t-\t")));
    QCOMPARE(lines[ids.size()], QStringLiteral("Записей показано: %1.").arg(ids.size()));
    // The chain is checked over the whole journal, whatever the filter shows.
    QCOMPARE(lines[ids.size() + 1], QStringLiteral("Цепочка записей журнала цела: записей 3."));
    static const QRegularExpression lastHash(QStringLiteral("^Хэш последней записи: [0-9a-f]{64}$"));
    QVERIFY(lastHash.match(lines.last()).hasMatch());
}

void AuditCliTest::brokenChainEndsWithOne()
{
    JournalFolder folder;
    folder.tamper(QStringLiteral("UPDATE audit_log SET Text = 'подмена' WHERE ID = 2"));
    const Run r = audit({QStringLiteral("--data"), folder.path()});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, QStringLiteral("Журнал нарушен: Запись журнала 2 изменена после того, как была сделана.\n"));
    QVERIFY(r.out.contains(QStringLiteral("подмена")));
}

void AuditCliTest::refusesWrongArguments_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("date") << QStringList{QStringLiteral("--from"), QStringLiteral("31.02.2026")}
                          << QStringLiteral("Ошибка: --from: нужна дата вида ДД.ММ.ГГГГ, а не «31.02.2026».");
    QTest::newRow("patient") << QStringList{QStringLiteral("--patient"), QStringLiteral("abc")}
                             << QStringLiteral("Ошибка: --patient");
    QTest::newRow("card") << QStringList{QStringLiteral("--card"), QStringLiteral("abc")}
                          << QStringLiteral("Ошибка: --card");
    QTest::newRow("card nobody has") << QStringList{QStringLiteral("--card"), QStringLiteral("99")}
                                     << QStringLiteral("Ошибка: пациента с картой 99 в базе нет.");
    QTest::newRow("card and key") << QStringList{QStringLiteral("--card"), QStringLiteral("1074"),
                                                 QStringLiteral("--patient"), QStringLiteral("1")}
                                  << QStringLiteral("Ошибка: укажите либо --card, либо --patient.");
    QTest::newRow("order") << QStringList{QStringLiteral("--from"), QStringLiteral("10.12.2026"), QStringLiteral("--to"),
                                          QStringLiteral("09.12.2026")}
                           << QStringLiteral("Ошибка: дата --from позже даты --to.");
    QTest::newRow("unknown") << QStringList{QStringLiteral("--tab"), QStringLiteral("А")}
                             << QStringLiteral("Ошибка: неизвестный параметр «--tab».");
}

void AuditCliTest::refusesWrongArguments()
{
    QFETCH(QStringList, words);
    QFETCH(QString, complaint);
    JournalFolder folder;
    const Run r = audit(QStringList{QStringLiteral("--data"), folder.path()} + words);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.startsWith(complaint), qPrintable(r.err));
    QCOMPARE(r.out, QString());
}

void AuditCliTest::olderFileHasNoJournalYet()
{
    JournalFolder folder;
    folder.tamper(QStringLiteral("DROP TABLE audit_log"));
    folder.tamper(QStringLiteral("PRAGMA user_version=1"));
    const Run r = audit({QStringLiteral("--data"), folder.path()});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out,
             QStringLiteral("В файле ещё нет постоянного журнала: его начнёт программа при следующем открытии файла.\n"));
}

void AuditCliTest::cutAtTheEndIsFound_data()
{
    // What happened to the three rows after the program closed the file (which noted their end
    // beside it), what else is gone, and what audit and check say.
    QTest::addColumn<QString>("cut");
    QTest::addColumn<bool>("dropMark");   // tarvelo.journal-end removed too
    QTest::addColumn<bool>("dailyCopy");  // a copy of the day was made before the cut
    QTest::addColumn<QString>("finding"); // empty: the journal is sound
    QTest::newRow("nothing cut") << "" << false << true << "";
    QTest::newRow("last row deleted") << "DELETE FROM audit_log WHERE ID = 3" << false << false
                                      << "удалены последние записи: в файле tarvelo.journal-end их было 3, в журнале 2";
    QTest::newRow("last two deleted") << "DELETE FROM audit_log WHERE ID > 1" << false << false
                                      << "в файле tarvelo.journal-end их было 3, в журнале 1";
    QTest::newRow("last row rewritten whole") << "UPDATE audit_log SET Hash = 'x' WHERE ID = 3" << false << false
                                              << "изменена после того";
    QTest::newRow("every row deleted") << "DELETE FROM audit_log" << false << false
                                       << "Журнал изменений пуст, хотя в базе есть пациенты (";
    QTest::newRow("last row and the mark, copy of the day remains")
        << "DELETE FROM audit_log WHERE ID = 3" << true << true
        << "в копии «tarvelo-2026-12-11.sqlite» их было 3, в журнале 2";
    // A restore begins the records anew from an older copy: the later copy of the day does not count.
    QTest::newRow("restored from an earlier copy") << "<restore>" << false << true << "";
    QTest::newRow("table dropped") << "DROP TABLE audit_log" << false << false << "Таблица журнала изменений удалена";
}

void AuditCliTest::cutAtTheEndIsFound()
{
    QFETCH(QString, cut);
    QFETCH(bool, dropMark);
    QFETCH(bool, dailyCopy);
    QFETCH(QString, finding);
    clock::setFixedToday(QDate(2026, 12, 11));
    JournalFolder folder;
    folder.tamper(QStringLiteral("INSERT INTO register (Last_Name) VALUES ('Антонов')"));
    if (dailyCopy) {
        QString error;
        QVERIFY2(db::backupAtExit(folder.path(), &error), qPrintable(error));
    }
    QTemporaryDir copies;
    const QString earlier = copies.filePath(QStringLiteral("earlier.sqlite"));
    if (cut == QLatin1String("<restore>")) {
        QString error;
        QVERIFY2(db::writeBackup(folder.path(), earlier, &error), qPrintable(error));
        {
            db::Database database;
            QVERIFY2(database.open(folder.path(), &error), qPrintable(error));
            db::ChangeLog log;
            db::AuditLog journal(database, log);
            log.note(QStringLiteral("четвёртая"));
            journal.flush();
        }
        QVERIFY2(db::backupAtExit(folder.path(), &error), qPrintable(error));
        QVERIFY(db::restoreDatabase(folder.path(), earlier).ok);
    } else if (!cut.isEmpty()) {
        folder.tamper(cut);
    }
    if (dropMark)
        QVERIFY(QFile::remove(db::AuditLog::endMarkPath(folder.path())));
    const Run r = audit({QStringLiteral("--data"), folder.path()});
    const cli::CheckResult checked = cli::checkFolder(folder.path(), QString());
    const QString said = cli::describeCheck(checked).join(QLatin1Char('\n'));
    clock::reset();
    if (finding.isEmpty()) {
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(QStringLiteral("Цепочка записей журнала цела: записей 3.")), qPrintable(r.out));
        QVERIFY2(checked.journalProblems.isEmpty(), qPrintable(said));
        return;
    }
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(finding), qPrintable(r.err));
    QVERIFY2(!r.out.contains(QStringLiteral("цела")), qPrintable(r.out));
    QCOMPARE(checked.exitCode(), cli::kExitFindings);
    QVERIFY2(said.contains(QStringLiteral("Журнал изменений: ")) && said.contains(finding), qPrintable(said));
    // The program's next close does not move the noted end back to the shorter journal.
    if (!dropMark && cut.startsWith(QLatin1String("DELETE"))) {
        {
            db::Database database;
            QString error;
            QVERIFY2(database.open(folder.path(), &error), qPrintable(error));
            db::ChangeLog log;
            db::AuditLog journal(database, log);
        }
        QVERIFY2(audit({QStringLiteral("--data"), folder.path()}).err.contains(finding), qPrintable(finding));
    }
}

QTEST_GUILESS_MAIN(AuditCliTest)
#include "audit_cli_test.moc"
