// The permanent journal of changes: what it keeps and with which post, how its hash chain shows a
// line edited or removed, the filters of its reading, and the upgrade of a file of the earlier layout.
#include "auditlog.h"
#include "clinicfixture.h"
#include "clock.h"
#include "dialogs.h"
#include "schema.h"
#include "table.h"

#include <QSqlError>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::db;

namespace {

struct Journalled : testing::ClinicFixture
{
    std::unique_ptr<AuditLog> audit = std::make_unique<AuditLog>(db, log);

    Journalled()
    {
        audit->setPatientSource([this]() -> QVariant {
            if (reg().isEmpty() || reg().state() == TableState::Insert)
                return {};
            return reg().value(QStringLiteral("ID_man"));
        });
    }

    // ID_man | Tabl | Text of every kept row, in order.
    QStringList rows()
    {
        QStringList out;
        QSqlQuery q(db.sql());
        if (!q.exec(QStringLiteral("SELECT ID_man, Tabl, Text FROM audit_log ORDER BY ID")))
            qFatal("%s", qPrintable(q.lastError().text()));
        while (q.next()) {
            out << (q.value(0).isNull() ? QStringLiteral("-") : q.value(0).toString()) + QLatin1Char('|') +
                       q.value(1).toString() + QLatin1Char('|') + q.value(2).toString();
        }
        return out;
    }

    void exec(const QString &sql)
    {
        QSqlQuery q(db.sql());
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }

    // Three patients with one examination each: nine kept lines.
    void addThreePatients()
    {
        for (const char *name : {"Орлова", "Белов", "Зимин"}) {
            append(reg(), {{QStringLiteral("Last_Name"), QString::fromUtf8(name)}});
            reg().edit();
            reg().setValue(QStringLiteral("First_Name"), QStringLiteral("А"));
            QVERIFY(reg().post());
            append(*dm2->osmotr1, {{QStringLiteral("Date"), QDate(2026, 3, 1)}});
        }
    }
};

} // namespace

class AuditLogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { clock::setFixedNow(QDateTime(QDate(2026, 12, 11), QTime(9, 30, 0))); }
    void cleanup() { clock::reset(); }

    void everyLineIsKeptWithItsPatientAndTable();
    void lineIsWrittenInThePostsOwnCommit();
    void refusalLinesAreKept();
    void noteWithoutPostIsWrittenByFlushAndAtClose();
    void chainHashIsStable();
    void verifyFindsWhatWasTamperedWith_data();
    void verifyFindsWhatWasTamperedWith();
    void readFiltersByPatientAndDays();
    void olderFileGainsTheTablesAndKeepsItsRecords();
    void journalWithoutSeatsIsReadAndGainsThem();
};

void AuditLogTest::everyLineIsKeptWithItsPatientAndTable()
{
    ScopedScriptedDialogs dialogs;
    Journalled f;
    f.append(f.reg(), {{QStringLiteral("Last_Name"), QStringLiteral("Орлова")}});
    const QString id = f.reg().asString(QStringLiteral("ID_man"));
    f.reg().edit();
    f.reg().setValue(QStringLiteral("First_Name"), QStringLiteral("Анна"));
    QVERIFY(f.reg().post());
    f.append(*f.dm2->osmotr1, {{QStringLiteral("Date"), QDate(2026, 3, 1)}});
    f.log.note(QStringLiteral("копируем последний статус диагноза"), QStringLiteral("register"));
    QVERIFY(f.audit->flush());

    const QStringList lines = f.log.lines();
    QCOMPARE(lines.size(), 4);
    // The new card has no number while it is being stored.
    QCOMPARE(f.rows(), QStringList({QStringLiteral("-|register|") + lines[0], id + QStringLiteral("|register|") + lines[1],
                                    id + QStringLiteral("|osmotr_1|") + lines[2],
                                    id + QStringLiteral("|register|") + lines[3]}));
    QCOMPARE(f.stored(QStringLiteral("SELECT Stamp FROM audit_log WHERE ID = 1")).toString(),
             QStringLiteral("2026-12-11T09:30:00.000"));
    QVERIFY(AuditLog::verify(f.db.sql()).sound);
}

void AuditLogTest::lineIsWrittenInThePostsOwnCommit()
{
    ScopedScriptedDialogs dialogs;
    Journalled f;
    f.append(f.reg(), {{QStringLiteral("Last_Name"), QStringLiteral("Орлова")}});
    // A record the file refuses: its check line is written all the same, the post reports failure,
    // and nothing is left waiting or in an open transaction.
    const bool server = f.db.backend() == Database::Backend::PostgreSQL;
    if (server) {
        f.exec(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                              "$$BEGIN RAISE EXCEPTION 'нет'; END$$"));
        f.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON register FOR EACH ROW EXECUTE FUNCTION refuse()"));
    } else {
        f.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON register BEGIN SELECT RAISE(ABORT, 'нет'); END"));
    }
    f.reg().edit();
    f.reg().setValue(QStringLiteral("First_Name"), QStringLiteral("Анна"));
    QVERIFY(!f.reg().post());
    QVERIFY(!f.audit->hasPending());
    QVERIFY(!f.db.inTransaction());
    QCOMPARE(f.rows().size(), 2);
    f.exec(server ? QStringLiteral("DROP TRIGGER refuse ON register") : QStringLiteral("DROP TRIGGER refuse"));
    QVERIFY(f.reg().post());
    QCOMPARE(f.rows().size(), 3);
    QCOMPARE(f.stored(QStringLiteral("SELECT \"First_Name\" FROM register")).toString(), QStringLiteral("Анна"));
    QVERIFY(AuditLog::verify(f.db.sql()).sound);

    // Inside an operation's transaction a line joins it at once.
    {
        Transaction t(f.db);
        f.log.note(QStringLiteral("внутри"));
        QVERIFY(!f.audit->hasPending());
        QCOMPARE(f.rows().size(), 4);
    }
}

void AuditLogTest::refusalLinesAreKept()
{
    ScopedScriptedDialogs dialogs;
    Journalled f;
    f.append(f.reg(), {{QStringLiteral("Last_Name"), QStringLiteral("Орлова")},
                       {QStringLiteral("Reg_date"), QDate(2020, 1, 1)}});
    f.settings.protectionOn = true;
    dialogs.answers = {QStringLiteral("no")};
    f.reg().edit();
    f.reg().setValue(QStringLiteral("First_Name"), QStringLiteral("Анна"));
    f.reg().post();
    QVERIFY(f.audit->flush());
    const QStringList kept = f.rows();
    QCOMPARE(kept.size(), f.log.lines().size());
    QVERIFY(kept.last().endsWith(QStringLiteral("Найдено изменение в register - отменяем.")));
    QVERIFY(kept.at(kept.size() - 2).endsWith(QStringLiteral(" Отменяем изменения после проверки на дату.")));
    QVERIFY(AuditLog::verify(f.db.sql()).sound);
}

void AuditLogTest::noteWithoutPostIsWrittenByFlushAndAtClose()
{
    Journalled f;
    f.log.note(QStringLiteral("первая"));
    QVERIFY(f.audit->hasPending());
    QCOMPARE(f.rows().size(), 0);
    QVERIFY(f.audit->flush());
    QCOMPARE(f.rows().size(), 1);

    // The event loop writes a waiting line as soon as it comes round.
    f.log.note(QStringLiteral("вторая"));
    QTRY_COMPARE(f.rows().size(), 2);

    // Closing the file writes what still waits.
    f.log.note(QStringLiteral("третья"));
    const QString folder = f.dir.path();
    f.dm2.reset();
    f.dm1.reset();
    f.db.close();
    Database again;
    QString error;
    QVERIFY2(testing::onServer() ? again.openServer(testing::serverAlias(), &error, Database::OpenMode::ReadOnly)
                                 : again.open(folder, &error, Database::OpenMode::ReadOnly),
             qPrintable(error));
    const AuditLog::Verdict v = AuditLog::verify(again.sql());
    QVERIFY(v.sound);
    QCOMPARE(v.rows, 3);
}

void AuditLogTest::chainHashIsStable()
{
    // Stored chains are checked against this very formula for years: it may never change.
    AuditEntry e;
    e.stamp = QStringLiteral("2026-01-02T03:04:05.006");
    e.patient = 17;
    e.table = QStringLiteral("register");
    e.text = QStringLiteral("строка");
    QCOMPARE(AuditLog::chainHash(AuditLog::firstPrevious(), e),
             QStringLiteral("bc39699491cec116a274394c6b4525bd7acb10e12f2b8d12eddb6ba8ff009003"));
    AuditEntry moved = e;
    moved.patient = QVariant();
    moved.table = QStringLiteral("17register");
    QVERIFY(AuditLog::chainHash(AuditLog::firstPrevious(), moved) != AuditLog::chainHash(AuditLog::firstPrevious(), e));
}

void AuditLogTest::verifyFindsWhatWasTamperedWith_data()
{
    QTest::addColumn<QStringList>("tampering");
    QTest::addColumn<qint64>("firstBroken"); // 0: sound
    QTest::addColumn<QString>("problem");

    QTest::newRow("untouched") << QStringList() << qint64(0) << QString();
    QTest::newRow("text edited") << QStringList{QStringLiteral("UPDATE audit_log SET Text = 'x' WHERE ID = 4")}
                                 << qint64(4) << QStringLiteral("Запись журнала 4 изменена после того, как была сделана.");
    QTest::newRow("patient changed") << QStringList{QStringLiteral("UPDATE audit_log SET ID_man = 99 WHERE ID = 2")}
                                     << qint64(2) << QStringLiteral("Запись журнала 2 изменена после того, как была сделана.");
    QTest::newRow("row removed") << QStringList{QStringLiteral("DELETE FROM audit_log WHERE ID = 5")} << qint64(6)
                                 << QStringLiteral("Удалены записи журнала между 4 и 6.");
    QTest::newRow("first rows removed") << QStringList{QStringLiteral("DELETE FROM audit_log WHERE ID <= 2")} << qint64(3)
                                        << QStringLiteral("Удалены первые записи журнала (до записи 3).");
    // A cut tail leaves a whole chain: only the last hash noted elsewhere shows it.
    QTest::newRow("last row removed") << QStringList{QStringLiteral("DELETE FROM audit_log WHERE ID = 9")} << qint64(0)
                                      << QString();
    // Renumbering the rows after a removal does not hide it: the chain no longer follows.
    QTest::newRow("row removed, the rest renumbered")
        << QStringList{QStringLiteral("DELETE FROM audit_log WHERE ID = 5"),
                       QStringLiteral("UPDATE audit_log SET ID = ID - 1 WHERE ID > 5")}
        << qint64(5) << QStringLiteral("Запись журнала 5 изменена после того, как была сделана.");
    QTest::newRow("table dropped") << QStringList{QStringLiteral("DROP TABLE audit_log")} << qint64(0)
                                   << QStringLiteral("Таблица журнала изменений удалена из файла.");
}

void AuditLogTest::verifyFindsWhatWasTamperedWith()
{
    QFETCH(QStringList, tampering);
    QFETCH(qint64, firstBroken);
    QFETCH(QString, problem);
    ScopedScriptedDialogs dialogs;
    Journalled f;
    f.addThreePatients();
    QCOMPARE(f.rows().size(), 9);
    for (const QString &sql : tampering)
        f.exec(sql);
    const AuditLog::Verdict v = AuditLog::verify(f.db.sql());
    QCOMPARE(v.sound, problem.isEmpty());
    QCOMPARE(v.problem, problem);
    QCOMPARE(v.firstBroken, firstBroken);
    if (v.sound) {
        QCOMPARE(v.rows, f.rows().size());
        QCOMPARE(v.lastHash, f.stored(QStringLiteral("SELECT Hash FROM audit_log ORDER BY ID DESC LIMIT 1")).toString());
    }
}

void AuditLogTest::readFiltersByPatientAndDays()
{
    ScopedScriptedDialogs dialogs;
    Journalled f;
    clock::setFixedNow(QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59, 999)));
    f.append(f.reg(), {{QStringLiteral("Last_Name"), QStringLiteral("Орлова")}});
    const qint64 first = f.reg().asInteger(QStringLiteral("ID_man"));
    clock::setFixedNow(QDateTime(QDate(2026, 12, 10), QTime(0, 0)));
    f.append(*f.dm2->osmotr1, {{QStringLiteral("Date"), QDate(2026, 12, 10)}});
    clock::setFixedNow(QDateTime(QDate(2026, 12, 11), QTime(8, 0)));
    f.append(f.reg(), {{QStringLiteral("Last_Name"), QStringLiteral("Белов")}});
    f.append(*f.dm2->osmotr1, {{QStringLiteral("Date"), QDate(2026, 12, 11)}});
    const qint64 second = f.reg().asInteger(QStringLiteral("ID_man"));

    struct Case
    {
        const char *name;
        QVariant patient;
        QDate from, to;
        int limit;
        QList<qint64> ids;
        qint64 matching;
    };
    const QList<Case> cases = {
        {"everything", {}, {}, {}, 0, {1, 2, 3, 4}, 4},
        {"one patient", first, {}, {}, 0, {2}, 1},
        {"other patient", second, {}, {}, 0, {4}, 1},
        {"one day, its last moment included", {}, QDate(2026, 12, 9), QDate(2026, 12, 9), 0, {1}, 1},
        {"from a day on", {}, QDate(2026, 12, 10), {}, 0, {2, 3, 4}, 3},
        {"up to a day", {}, {}, QDate(2026, 12, 10), 0, {1, 2}, 2},
        {"last two of all", {}, {}, {}, 2, {3, 4}, 4},
        {"nothing on that day", {}, QDate(2026, 1, 1), QDate(2026, 1, 31), 0, {}, 0},
    };
    for (const Case &c : cases) {
        AuditLog::Filter filter;
        filter.patient = c.patient;
        filter.from = c.from;
        filter.to = c.to;
        filter.limit = c.limit;
        QList<AuditEntry> rows;
        QString error;
        qint64 matching = -1;
        QVERIFY2(AuditLog::read(f.db.sql(), filter, &rows, &error, &matching), c.name);
        QList<qint64> ids;
        for (const AuditEntry &e : rows)
            ids << e.id;
        QVERIFY2(ids == c.ids, c.name);
        QVERIFY2(matching == c.matching, c.name);
    }
}

void AuditLogTest::olderFileGainsTheTablesAndKeepsItsRecords()
{
    if (testing::onServer())
        QSKIP("a case of the database file");
    QTemporaryDir dir;
    QString error;
    {
        Database d;
        QVERIFY(d.open(dir.path(), &error));
        QSqlQuery q(d.sql());
        QVERIFY(q.exec(QStringLiteral("DROP TABLE audit_log")));
        QVERIFY(q.exec(QStringLiteral("DROP TABLE clinic_settings")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO register (\"Last_Name\") VALUES ('Орлова')")));
        QVERIFY(q.exec(QStringLiteral("PRAGMA user_version=1")));
    }
    {
        // Read-only, the older file is read as it is: no journal yet, and nothing is said against it.
        Database d;
        QVERIFY2(d.open(dir.path(), &error, Database::OpenMode::ReadOnly), qPrintable(error));
        QVERIFY(!AuditLog::present(d.sql()));
        QVERIFY(AuditLog::verify(d.sql()).sound);
        QList<AuditEntry> rows;
        QVERIFY(!AuditLog::read(d.sql(), {}, &rows, &error));
        QCOMPARE(error, QStringLiteral("В файле нет постоянного журнала изменений."));
    }
    Database d;
    QVERIFY2(d.open(dir.path(), &error), qPrintable(error));
    QSqlQuery q(d.sql());
    QVERIFY(q.exec(QStringLiteral("PRAGMA user_version")) && q.next());
    QCOMPARE(q.value(0).toInt(), kSchemaVersion);
    q.finish();
    QVERIFY(AuditLog::present(d.sql()));
    QVERIFY(q.exec(QStringLiteral("SELECT \"Last_Name\" FROM register")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("Орлова"));
}

void AuditLogTest::journalWithoutSeatsIsReadAndGainsThem()
{
    if (testing::onServer())
        QSKIP("a case of the database file");
    QTemporaryDir dir;
    QString error;
    QString lastHash;
    {
        // A file of the layout before seats, with a journal line in it.
        Database d;
        QVERIFY(d.open(dir.path(), &error));
        ChangeLog log;
        AuditLog journal(d, log);
        log.note(QStringLiteral("до мест"));
        QVERIFY(journal.flush());
        QSqlQuery q(d.sql());
        QVERIFY(q.exec(QStringLiteral("ALTER TABLE audit_log DROP COLUMN Seat")));
        QVERIFY(q.exec(QStringLiteral("PRAGMA user_version=2")));
        lastHash = AuditLog::verify(d.sql()).lastHash;
    }
    for (const auto mode : {Database::OpenMode::ReadOnly, Database::OpenMode::Create}) {
        Database d;
        QVERIFY2(d.open(dir.path(), &error, mode), qPrintable(error));
        QList<AuditEntry> rows;
        QVERIFY2(AuditLog::read(d.sql(), {}, &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows[0].seat.isEmpty());
        const AuditLog::Verdict v = AuditLog::verify(d.sql());
        QVERIFY2(v.sound, qPrintable(v.problem));
        QCOMPARE(v.lastHash, lastHash);
    }
    Database d;
    QVERIFY2(d.open(dir.path(), &error), qPrintable(error));
    QSqlQuery q(d.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM pragma_table_info('audit_log') WHERE name = 'Seat'")) && q.next());
    QCOMPARE(q.value(0).toInt(), 1);
    // A file's rows name no seat: one workstation writes it.
    ChangeLog log;
    AuditLog journal(d, log);
    log.note(QStringLiteral("после"));
    QVERIFY(journal.flush());
    QVERIFY(AuditLog::verify(d.sql()).sound);
    QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM audit_log WHERE Seat IS NOT NULL")) && q.next());
    QCOMPARE(q.value(0).toInt(), 0);
}

QTEST_GUILESS_MAIN(AuditLogTest)
#include "auditlog_test.moc"
