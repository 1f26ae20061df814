// "pelorin-cli backup" and "restore", called in-process, and the automatic copy of the day at the
// program's end.
#include "backup.h"
#include "auditlog.h"
#include "backups.h"
#include "changelog.h"
#include "check.h"

#include "clock.h"
#include "database.h"
#include "datamodules.h"
#include "table.h"

#include "clirun.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUuid>
#include <QtTest>

#include <memory>

using namespace pelorin;

namespace {

const QDate kToday(2025, 3, 14);

// The program as far as the file is concerned: the database open for writing, the register ready
// for posts.
struct Clinic
{
    QTemporaryDir dir;
    db::Database db;
    std::unique_ptr<db::DM1> dm1;
    db::ChangeLog log;
    std::unique_ptr<db::AuditLog> journal;

    explicit Clinic(const QStringList &patients = {})
    {
        QString error;
        if (!db.open(dir.path(), &error))
            qFatal("open failed: %s", qPrintable(error));
        dm1 = std::make_unique<db::DM1>(db);
        if (!dm1->open(&error))
            qFatal("module failed: %s", qPrintable(error));
        journal = std::make_unique<db::AuditLog>(db, log);
        for (const QString &name : patients)
            post(name);
    }
    // As in the program, a patient's post comes with its line in the journal.
    void post(const QString &lastName)
    {
        db::Table &r = *dm1->register_;
        r.append();
        r.setValue("Last_Name", lastName);
        log.note(QStringLiteral("Новый пациент: ") + lastName, QStringLiteral("register"));
        r.post();
        journal->flush();
    }
    QString path() const { return dir.path(); }
    // Leaves the file as the program leaves it at its end.
    void close()
    {
        dm1.reset();
        db.close();
    }
};

using Run = testing::CliRun;

Run run(testing::CliCommand command, const QStringList &words)
{
    return testing::runCli(command, words);
}

// The register of a database file, read by a connection of its own.
QStringList registerOf(const QString &file)
{
    QStringList rows;
    const QString connection = QUuid::createUuid().toString();
    {
        QSqlDatabase peek = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        peek.setDatabaseName(file);
        peek.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!peek.open()) {
            rows << QStringLiteral("<cannot open: %1>").arg(peek.lastError().text());
        } else {
            QSqlQuery q(peek);
            if (!q.exec(QStringLiteral("SELECT ID_man, Last_Name FROM register ORDER BY ID_man")))
                rows << QStringLiteral("<cannot read: %1>").arg(q.lastError().text());
            while (q.next())
                rows << q.value(0).toString() + QLatin1Char('=') + q.value(1).toString();
        }
        peek.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return rows;
}

QByteArray content(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Every name in a folder, hidden ones too.
QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString liveFile(const QString &folder)
{
    return QDir(folder).absoluteFilePath(db::Database::fileName());
}

// A checked copy with the given patients, made by the command itself.
QString backupWith(const QTemporaryDir &target, const QStringList &patients)
{
    Clinic source(patients);
    const QString file =
        target.filePath(QStringLiteral("copy-%1.sqlite").arg(QUuid::createUuid().toString(QUuid::Id128).left(8)));
    const Run r = run(cli::runBackup, {QStringLiteral("--data"), source.path(), QStringLiteral("--to"), file});
    if (r.code != 0)
        qFatal("backup failed: %s", qPrintable(r.err));
    return file;
}

} // namespace

class BackupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { clock::setFixedToday(kToday); }
    void cleanup() { clock::reset(); }

    void readersWorkBesideTheProgram();
    void backupOfOpenDatabaseHasTheSameRows();
    void backupRefuses_data();
    void backupRefuses();
    void restoreRefusesWhileTheProgramRuns();
    void restoreRefusesUnsoundFile_data();
    void restoreRefusesUnsoundFile();
    void restoreKeepsTheReplacedFile_data();
    void restoreKeepsTheReplacedFile();
    void restoredFileOpensAsTheDatabase();
    void dailyBackupIsOnePerDay();
    void dailyBackupsKeepTheNewestThirty();
    void failedDailyBackupKeepsEveryCopy();
    void commandLineToolRunsBoth();
    void serverBackupNeverLeavesABadDumpUnderItsName_data();
    void serverBackupNeverLeavesABadDumpUnderItsName();
    void nextRunRemovesItsOwnLeftovers_data();
    void nextRunRemovesItsOwnLeftovers();
    void restoreRefusesTheDatabaseItself_data();
    void restoreRefusesTheDatabaseItself();
};

// "pelorin-cli check" opens the file read-only like "report": beside the program it now reads.
void BackupTest::readersWorkBesideTheProgram()
{
    Clinic clinic({QStringLiteral("Антонов"), QStringLiteral("Белов")});
    const cli::CheckResult result = cli::checkFolder(clinic.path(), QString());
    QVERIFY2(result.openError.isEmpty(), qPrintable(result.openError));
    QVERIFY(result.integrityProblems.isEmpty());
    QVERIFY(result.clean());

    db::Database reader;
    QString error;
    QVERIFY2(reader.open(clinic.path(), &error, db::Database::OpenMode::ReadOnly), qPrintable(error));
    clinic.post(QStringLiteral("Васильев"));
    QSqlQuery q(reader.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM register")) && q.next());
    QCOMPARE(q.value(0).toInt(), 3);
}

void BackupTest::backupOfOpenDatabaseHasTheSameRows()
{
    Clinic clinic({QStringLiteral("Антонов"), QStringLiteral("Белов")});
    clinic.post(QStringLiteral("Васильев"));
    QTemporaryDir target;
    const QString file = target.filePath(QStringLiteral("копия.sqlite"));
    const Run r = run(cli::runBackup, {QStringLiteral("--data"), clinic.path(), QStringLiteral("--to"), file});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    QVERIFY2(r.out.contains(QDir::toNativeSeparators(file)) && r.out.contains(QStringLiteral("байт")),
             qPrintable(r.out));
    QCOMPARE(registerOf(file), registerOf(liveFile(clinic.path())));
    QCOMPARE(registerOf(file).size(), 3);
    QVERIFY(db::quickCheckFile(file).isEmpty());
    // Nothing of the work is left beside the copy, and the program goes on posting.
    QCOMPARE(namesIn(target.path()), QStringList{QStringLiteral("копия.sqlite")});
    clinic.post(QStringLiteral("Григорьев"));
    QCOMPARE(registerOf(liveFile(clinic.path())).size(), 4);
    QCOMPARE(registerOf(file).size(), 3);
}

void BackupTest::backupRefuses_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("words");
    QTest::newRow("the target exists") << "existing target" << QStringLiteral("уже есть");
    QTest::newRow("the target's folder is missing") << "missing folder" << QStringLiteral("Папки");
    QTest::newRow("no database in the folder") << "no database" << QStringLiteral("нет базы данных");
    QTest::newRow("empty database file") << "empty database" << QStringLiteral("пуст");
    QTest::newRow("no --to") << "no target" << QStringLiteral("не указан файл");
}

void BackupTest::backupRefuses()
{
    QFETCH(QString, situation);
    QFETCH(QString, words);
    QTemporaryDir data;
    QTemporaryDir target;
    if (situation != QLatin1String("no database")) {
        if (situation == QLatin1String("empty database")) {
            writeFile(liveFile(data.path()), {});
        } else {
            db::Database db;
            QString error;
            QVERIFY2(db.open(data.path(), &error), qPrintable(error));
        }
    }
    QString file = target.filePath(QStringLiteral("copy.sqlite"));
    if (situation == QLatin1String("existing target"))
        writeFile(file, "the clinic's older copy");
    if (situation == QLatin1String("missing folder"))
        file = target.filePath(QStringLiteral("nowhere/copy.sqlite"));
    const QStringList before = namesIn(target.path());
    const QByteArray kept = content(file);
    QStringList args{QStringLiteral("--data"), data.path()};
    if (situation != QLatin1String("no target"))
        args << QStringLiteral("--to") << file;
    const Run r = run(cli::runBackup, args);
    // Words that cannot be taken end with 2 in every command.
    QCOMPARE(r.code, situation == QLatin1String("no target") ? 2 : 1);
    QVERIFY2(r.err.contains(words), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(namesIn(target.path()), before);
    QCOMPARE(content(file), kept);
}

// The lock is held here, in another object of this process, as the running program holds it;
// commandLineToolRunsBoth holds it from another process.
void BackupTest::restoreRefusesWhileTheProgramRuns()
{
    QTemporaryDir copies;
    const QString file = backupWith(copies, {QStringLiteral("Новиков")});
    Clinic clinic({QStringLiteral("Антонов")});
    QLockFile program(QDir(clinic.path()).absoluteFilePath(QStringLiteral("tarvelo.lock")));
    QVERIFY(program.tryLock(0));
    const QStringList before = namesIn(clinic.path());
    const Run r = run(cli::runRestore, {QStringLiteral("--data"), clinic.path(), QStringLiteral("--from"), file});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("Программа открыта")), qPrintable(r.err));
    QCOMPARE(namesIn(clinic.path()), before);
    QCOMPARE(registerOf(liveFile(clinic.path())), QStringList{QStringLiteral("1=Антонов")});
    // Once the program has ended, the same restore goes through.
    clinic.close();
    program.unlock();
    QCOMPARE(run(cli::runRestore, {QStringLiteral("--data"), clinic.path(), QStringLiteral("--from"), file}).code, 0);
    QCOMPARE(registerOf(liveFile(clinic.path())), QStringList{QStringLiteral("1=Новиков")});
}

void BackupTest::restoreRefusesUnsoundFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("words");
    QTest::newRow("a text file") << "text" << QStringLiteral("повреждён");
    QTest::newRow("an empty file") << "empty" << QStringLiteral("пуст");
    QTest::newRow("another program's database") << "foreign" << QStringLiteral("другой программы");
    QTest::newRow("a truncated copy") << "truncated" << QStringLiteral("повреждён");
    QTest::newRow("a missing file") << "missing" << QStringLiteral("не найден");
}

void BackupTest::restoreRefusesUnsoundFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, words);
    QTemporaryDir copies;
    QString file = copies.filePath(QStringLiteral("source.sqlite"));
    if (kind == QLatin1String("text")) {
        writeFile(file, QByteArray("Пациенты: Антонов, Белов.\n").repeated(400));
    } else if (kind == QLatin1String("empty")) {
        writeFile(file, {});
    } else if (kind == QLatin1String("foreign")) {
        const QString connection = QStringLiteral("foreign");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            other.setDatabaseName(file);
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("CREATE TABLE accounts (id INTEGER, name TEXT)")));
            other.close();
        }
        QSqlDatabase::removeDatabase(connection);
    } else if (kind == QLatin1String("truncated")) {
        QStringList many;
        for (int i = 0; i < 300; ++i)
            many << QStringLiteral("Пациент%1").arg(i, 3, 10, QLatin1Char('0')) + QString(60, QChar(u'ж'));
        file = backupWith(copies, many);
        QFile f(file);
        QVERIFY(f.size() > 16 * 4096);
        QVERIFY(f.resize(f.size() / 2));
    }
    QTemporaryDir data;
    QVERIFY(QFile::copy(backupWith(copies, {QStringLiteral("Антонов")}), liveFile(data.path())));
    const QStringList before = namesIn(data.path());
    const QByteArray live = content(liveFile(data.path()));
    const QByteArray source = content(file);
    const Run r = run(cli::runRestore, {QStringLiteral("--data"), data.path(), QStringLiteral("--from"), file});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(words), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(namesIn(data.path()), before);
    QCOMPARE(content(liveFile(data.path())), live);
    QCOMPARE(content(file), source);
}

void BackupTest::restoreKeepsTheReplacedFile_data()
{
    QTest::addColumn<QString>("replaced");
    // The program ended as usual: its records are all in the file.
    QTest::newRow("closed database") << "closed";
    // The program died: its last records are only in the WAL beside the file.
    QTest::newRow("database with its WAL") << "wal";
    QTest::newRow("no database yet") << "none";
    // The program refuses a file whose data are gone: the copy takes its place, the empty file stays.
    QTest::newRow("empty database file") << "empty";
}

void BackupTest::restoreKeepsTheReplacedFile()
{
    QFETCH(QString, replaced);
    clock::setFixedNow(QDateTime(kToday, QTime(9, 30, 15)));
    QTemporaryDir copies;
    const QString file = backupWith(copies, {QStringLiteral("Новиков"), QStringLiteral("Орлов")});
    QTemporaryDir data;
    const QStringList old{QStringLiteral("1=Антонов"), QStringLiteral("2=Белов")};
    if (replaced == QLatin1String("closed")) {
        db::Database db;
        QString error;
        QVERIFY2(db.open(data.path(), &error), qPrintable(error));
        QVERIFY(
            QSqlQuery(db.sql()).exec(QStringLiteral("INSERT INTO register (Last_Name) VALUES ('Антонов'), ('Белов')")));
    } else if (replaced == QLatin1String("empty")) {
        writeFile(liveFile(data.path()), {});
    } else if (replaced == QLatin1String("wal")) {
        Clinic running({QStringLiteral("Антонов"), QStringLiteral("Белов")});
        const QString wal = liveFile(running.path()) + QStringLiteral("-wal");
        QVERIFY(QFileInfo(wal).size() > 0);
        QVERIFY(QFile::copy(liveFile(running.path()), liveFile(data.path())));
        QVERIFY(QFile::copy(wal, liveFile(data.path()) + QStringLiteral("-wal")));
    }
    const Run r = run(cli::runRestore, {QStringLiteral("--data"), data.path(), QStringLiteral("--from"), file});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    QVERIFY2(r.out.contains(QStringLiteral("восстановлена")), qPrintable(r.out));
    QCOMPARE(registerOf(liveFile(data.path())), QStringList({QStringLiteral("1=Новиков"), QStringLiteral("2=Орлов")}));
    QCOMPARE(registerOf(file).size(), 2);

    const QStringList names = namesIn(data.path());
    const QStringList kept = names.filter(QStringLiteral("before-restore"));
    if (replaced == QLatin1String("none")) {
        QVERIFY(kept.isEmpty());
        QVERIFY(!r.out.contains(QStringLiteral("Прежний файл")));
        // Beside the file, the end of its journal's chain.
        QCOMPARE(names, QStringList({QStringLiteral("tarvelo.journal-end"), db::Database::fileName()}));
        return;
    }
    QCOMPARE(kept, QStringList{QStringLiteral("tarvelo.sqlite.before-restore-20250314-093015")});
    QVERIFY2(r.out.contains(kept.first()), qPrintable(r.out));
    // The kept file holds every record of the replaced one, those of its WAL too, and no side file
    // of the old database is left to pair with the new one.
    const QString keptFile = QDir(data.path()).absoluteFilePath(kept.first());
    if (replaced == QLatin1String("empty"))
        QCOMPARE(content(keptFile), QByteArray());
    else
        QCOMPARE(registerOf(keptFile), old);
    for (const char *side : {"-wal", "-shm", "-journal"})
        QVERIFY2(!names.contains(db::Database::fileName() + QLatin1String(side)), side);
    QVERIFY(names.filter(QStringLiteral(".restore-")).isEmpty());
}

void BackupTest::restoredFileOpensAsTheDatabase()
{
    QTemporaryDir copies;
    const QString file = backupWith(copies, {QStringLiteral("Новиков")});
    Clinic clinic({QStringLiteral("Антонов")});
    clinic.close();
    QCOMPARE(run(cli::runRestore, {QStringLiteral("--data"), clinic.path(), QStringLiteral("--from"), file}).code, 0);
    db::Database reopened;
    QString error;
    QVERIFY2(reopened.open(clinic.path(), &error, db::Database::OpenMode::Existing), qPrintable(error));
    {
        db::DM1 dm1(reopened);
        QVERIFY2(dm1.open(&error), qPrintable(error));
        db::Table &r = *dm1.register_;
        r.first();
        QCOMPARE(r.asString("Last_Name"), QStringLiteral("Новиков"));
        r.append();
        r.setValue("Last_Name", QStringLiteral("Павлов"));
        QVERIFY(r.post());
    }
    QCOMPARE(registerOf(liveFile(clinic.path())),
             QStringList({QStringLiteral("1=Новиков"), QStringLiteral("2=Павлов")}));
}

void BackupTest::dailyBackupIsOnePerDay()
{
    Clinic clinic({QStringLiteral("Антонов")});
    const QString folder = db::backupFolder(clinic.path());
    QCOMPARE(folder, QDir(clinic.path()).absoluteFilePath(QStringLiteral("backups")));
    QString error;
    QVERIFY2(db::backupAtExit(clinic.path(), &error), qPrintable(error));
    clinic.post(QStringLiteral("Белов"));
    QVERIFY2(db::backupAtExit(clinic.path(), &error), qPrintable(error));
    QCOMPARE(namesIn(folder), QStringList{QStringLiteral("tarvelo-2025-03-14.sqlite")});
    // The second end of the day replaced the first copy.
    QCOMPARE(registerOf(QDir(folder).absoluteFilePath(QStringLiteral("tarvelo-2025-03-14.sqlite"))),
             QStringList({QStringLiteral("1=Антонов"), QStringLiteral("2=Белов")}));

    clock::setFixedToday(kToday.addDays(1));
    clinic.post(QStringLiteral("Васильев"));
    QVERIFY2(db::backupAtExit(clinic.path(), &error), qPrintable(error));
    QCOMPARE(namesIn(folder),
             QStringList({QStringLiteral("tarvelo-2025-03-14.sqlite"), QStringLiteral("tarvelo-2025-03-15.sqlite")}));
    QCOMPARE(registerOf(QDir(folder).absoluteFilePath(QStringLiteral("tarvelo-2025-03-14.sqlite"))).size(), 2);
    QCOMPARE(registerOf(QDir(folder).absoluteFilePath(QStringLiteral("tarvelo-2025-03-15.sqlite"))).size(), 3);
}

void BackupTest::dailyBackupsKeepTheNewestThirty()
{
    Clinic clinic({QStringLiteral("Антонов")});
    const QDir folder(db::backupFolder(clinic.path()));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    // Thirty earlier days, with today's copy thirty-one.
    for (int day = 1; day <= 30; ++day)
        writeFile(folder.absoluteFilePath(db::datedBackupName(kToday.addDays(-day))), "older copy");
    const QStringList unrelated{
        QStringLiteral("notes.txt"),
        QStringLiteral("tarvelo-2020-01-01.sqlite.bak"),
        QStringLiteral("tarvelo-2020-01-01.sqlite-wal"),
        QStringLiteral("Tarvelo-2020-01-01.sqlite"),
        QStringLiteral("tarvelo-2020-1-1.sqlite"),
        QStringLiteral("tarvelo-2020-02-30.sqlite"),
        QStringLiteral("copy of tarvelo-2020-01-01.sqlite"),
    };
    for (const QString &name : unrelated)
        writeFile(folder.absoluteFilePath(name), "not ours to remove");
    QVERIFY(folder.mkdir(QStringLiteral("tarvelo-2019-01-01.sqlite")));

    QString error;
    QVERIFY2(db::backupAtExit(clinic.path(), &error), qPrintable(error));
    const QStringList names = namesIn(folder.path());
    QVERIFY(!names.contains(db::datedBackupName(kToday.addDays(-30))));
    for (int day = 0; day < 30; ++day)
        QVERIFY2(names.contains(db::datedBackupName(kToday.addDays(-day))),
                 qPrintable(kToday.addDays(-day).toString()));
    for (const QString &name : unrelated) {
        QVERIFY2(names.contains(name), qPrintable(name));
        QCOMPARE(content(folder.absoluteFilePath(name)), QByteArray("not ours to remove"));
    }
    QVERIFY(QFileInfo(folder.absoluteFilePath(QStringLiteral("tarvelo-2019-01-01.sqlite"))).isDir());
    QCOMPARE(names.size(), 30 + unrelated.size() + 1);
}

void BackupTest::failedDailyBackupKeepsEveryCopy()
{
    QTemporaryDir data;
    // A file whose data are gone gives no copy, and today's earlier copy stays.
    writeFile(liveFile(data.path()), {});
    const QDir folder(db::backupFolder(data.path()));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    for (int day = 0; day <= 31; ++day)
        writeFile(folder.absoluteFilePath(db::datedBackupName(kToday.addDays(-day))), "earlier copy");
    const QStringList before = namesIn(folder.path());
    QString error;
    QVERIFY(!db::backupAtExit(data.path(), &error));
    QVERIFY2(error.contains(QStringLiteral("не сделана")) && error.contains(QStringLiteral("пуст")), qPrintable(error));
    QCOMPARE(namesIn(folder.path()), before);
    QCOMPARE(content(folder.absoluteFilePath(db::datedBackupName(kToday))), QByteArray("earlier copy"));
    QCOMPARE(content(liveFile(data.path())), QByteArray());
}

// The tool itself, with the folder's lock held by this test as another process.
void BackupTest::commandLineToolRunsBoth()
{
    const QString tool = QStringLiteral(PELORIN_PROGRAM_DIR "/pelorin-cli");
    QVERIFY2(QFileInfo(tool).isExecutable(), qPrintable(tool));
    Clinic clinic({QStringLiteral("Антонов")});
    QTemporaryDir copies;
    const QString file = copies.filePath(QStringLiteral("copy.sqlite"));
    QString out;
    QString err;
    auto call = [&](const QStringList &args, QString *errText) {
        QProcess p;
        p.start(tool, args);
        if (!p.waitForFinished(60000))
            return -1;
        out = QString::fromUtf8(p.readAllStandardOutput());
        *errText = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QCOMPARE(
        call({QStringLiteral("backup"), QStringLiteral("--data"), clinic.path(), QStringLiteral("--to"), file}, &err),
        0);
    QCOMPARE(registerOf(file), QStringList{QStringLiteral("1=Антонов")});
    QCOMPARE(
        call({QStringLiteral("--data"), clinic.path(), QStringLiteral("backup"), QStringLiteral("--to"), file}, &err),
        1);
    QVERIFY2(err.contains(QStringLiteral("уже есть")), qPrintable(err));

    QLockFile program(QDir(clinic.path()).absoluteFilePath(QStringLiteral("tarvelo.lock")));
    QVERIFY(program.tryLock(0));
    QCOMPARE(call({QStringLiteral("restore"), QStringLiteral("--data"), clinic.path(), QStringLiteral("--from"), file},
                  &err),
             1);
    QVERIFY2(err.contains(QStringLiteral("Программа открыта")), qPrintable(err));
    QVERIFY(namesIn(clinic.path()).filter(QStringLiteral("before-restore")).isEmpty());
    QCOMPARE(call({QStringLiteral("--help")}, &err), 0);
    QVERIFY2(out.contains(QStringLiteral("pelorin-cli backup  --data ПАПКА --to ФАЙЛ")) &&
                 out.contains(QStringLiteral("pelorin-cli restore --data ПАПКА --from ФАЙЛ")),
             qPrintable(out));
}

void BackupTest::serverBackupNeverLeavesABadDumpUnderItsName_data()
{
    // What the pg_dump found first on the PATH does with the file it is given (its 4th word).
    QTest::addColumn<QByteArray>("pgDump");
    QTest::addColumn<QString>("said");
    QTest::newRow("killed half-way") << QByteArray("printf PGDMP > \"$4\"; kill -9 $$") << QStringLiteral("pg_dump прерван");
    QTest::newRow("fails with its reason") << QByteArray("printf PGDMP > \"$4\"; echo 'connection refused' >&2; exit 1")
                                           << QStringLiteral("connection refused");
    QTest::newRow("ends well but writes what pg_restore cannot read")
        << QByteArray("printf PGDMPxxxxxxxx > \"$4\"; exit 0") << QStringLiteral("pg_restore не читает");
    QTest::newRow("a link at the name") << QByteArray() << QStringLiteral("символическая ссылка");
}

void BackupTest::serverBackupNeverLeavesABadDumpUnderItsName()
{
    QFETCH(QByteArray, pgDump);
    QFETCH(QString, said);
    QTemporaryDir bin;
    writeFile(bin.filePath(QStringLiteral("pg_dump")), "#!/bin/sh\n" + pgDump + '\n');
    QVERIFY(QFile::setPermissions(bin.filePath(QStringLiteral("pg_dump")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    QTemporaryDir copies;
    const QString copy = copies.filePath(QStringLiteral("clinic.dump"));
    const QString victim = copies.filePath(QStringLiteral("victim"));
    writeFile(victim, "kept");
    if (pgDump.isEmpty())
        QVERIFY(QFile::link(victim, copy));
    const Run r = run(cli::runBackup, {QStringLiteral("--db"), QStringLiteral("postgresql://pelorin@127.0.0.1:1/clinic"),
                                       QStringLiteral("--to"), copy});
    qputenv("PATH", path);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(said), qPrintable(r.err));
    QCOMPARE(content(victim), QByteArray("kept"));
    QStringList expected{QStringLiteral("victim")};
    if (pgDump.isEmpty())
        expected.prepend(QStringLiteral("clinic.dump"));
    QCOMPARE(namesIn(copies.path()), expected);
}

void BackupTest::nextRunRemovesItsOwnLeftovers_data()
{
    // A leftover of a killed run (created an hour ago), one of another name or pattern that is not
    // the command's own, and the command that is run next.
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("leftover"); // relative to the folder the command writes into
    QTest::addColumn<QString>("notItsOwn");
    QTest::newRow("backup by hand") << "backup" << ".copy.sqlite.1a2b3c4d.part" << ".other.sqlite.1a2b3c4d.part";
    QTest::newRow("restore") << "restore" << ".restore-Ab12Cd" << ".restored-notes";
    QTest::newRow("copy of the day") << "exit" << "backups/.tarvelo-2025-03-13.sqlite.1a2b3c4d.part"
                                     << "backups/.karta.xlsx.1a2b3c4d.part";
}

void BackupTest::nextRunRemovesItsOwnLeftovers()
{
    QFETCH(QString, command);
    QFETCH(QString, leftover);
    QFETCH(QString, notItsOwn);
    Clinic clinic({QStringLiteral("Антонов")});
    clinic.close();
    QTemporaryDir copies;
    const QString folder = command == QLatin1String("backup") ? copies.path() : clinic.path();
    QVERIFY(QDir(folder).mkpath(QStringLiteral("backups")));
    for (const QString &name : {leftover, notItsOwn}) {
        const QString path = QDir(folder).absoluteFilePath(name);
        if (name.contains(QLatin1String(".part"))) {
            writeFile(path, "half a copy");
        } else {
            QVERIFY(QDir().mkpath(path));
            writeFile(path + QStringLiteral("/tarvelo.sqlite"), "half a copy");
        }
        QCOMPARE(QProcess::execute(QStringLiteral("touch"), {QStringLiteral("-d"), QStringLiteral("1 hour ago"), path}), 0);
    }
    if (command == QLatin1String("backup")) {
        const Run r = run(cli::runBackup, {QStringLiteral("--data"), clinic.path(), QStringLiteral("--to"),
                                           copies.filePath(QStringLiteral("copy.sqlite"))});
        QVERIFY2(r.code == 0, qPrintable(r.err));
    } else if (command == QLatin1String("restore")) {
        const QString file = backupWith(copies, {QStringLiteral("Белов")});
        const Run r = run(cli::runRestore, {QStringLiteral("--data"), clinic.path(), QStringLiteral("--from"), file});
        QVERIFY2(r.code == 0, qPrintable(r.err));
    } else {
        QString error;
        QVERIFY2(db::backupAtExit(clinic.path(), &error), qPrintable(error));
    }
    QVERIFY(!QFileInfo::exists(QDir(folder).absoluteFilePath(leftover)));
    QVERIFY(QFileInfo::exists(QDir(folder).absoluteFilePath(notItsOwn)));
    // Nothing of the run itself is left either.
    const QStringList parts = namesIn(folder).filter(QStringLiteral(".part")) +
                              namesIn(QDir(folder).absoluteFilePath(QStringLiteral("backups"))).filter(QStringLiteral(".part"));
    QCOMPARE(parts.size(), notItsOwn.contains(QLatin1String(".part")) ? 1 : 0);
}

void BackupTest::restoreRefusesTheDatabaseItself_data()
{
    // How --from names the folder's own tarvelo.sqlite.
    QTest::addColumn<QString>("spelling");
    QTest::newRow("its path") << "path";
    QTest::newRow("a path through ..") << "dotdot";
    QTest::newRow("a link to it") << "link";
}

void BackupTest::restoreRefusesTheDatabaseItself()
{
    QFETCH(QString, spelling);
    Clinic clinic({QStringLiteral("Антонов")});
    clinic.close();
    QTemporaryDir elsewhere;
    const QString live = liveFile(clinic.path());
    QString from = live;
    if (spelling == QLatin1String("dotdot"))
        from = clinic.path() + QStringLiteral("/../") + QFileInfo(clinic.path()).fileName() + QStringLiteral("/tarvelo.sqlite");
    if (spelling == QLatin1String("link")) {
        from = elsewhere.filePath(QStringLiteral("copy.sqlite"));
        QVERIFY(QFile::link(live, from));
    }
    const QByteArray before = content(live);
    const Run r = run(cli::runRestore, {QStringLiteral("--data"), clinic.path(), QStringLiteral("--from"), from});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("это сама база данных папки")), qPrintable(r.err));
    QCOMPARE(content(live), before);
    QVERIFY(namesIn(clinic.path()).filter(QStringLiteral("before-restore")).isEmpty());
}

QTEST_GUILESS_MAIN(BackupTest)
#include "backup_test.moc"
