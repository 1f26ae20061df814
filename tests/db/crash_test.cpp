// A program killed at any moment loses nothing it has reported as stored and leaves nothing half
// written. The test starts itself as a child that posts records through the table engine and says
// so on standard output after each post has returned; it kills the child with SIGKILL at a random
// moment, a hundred times over the same file, and after each kill looks the file over.
#include "database.h"
#include "datamodules.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using namespace pelorin;

namespace {

constexpr int kKills = 100;
constexpr int kExamsPerGroup = 3;

// The child: single posts of a register record ("posted ID") and, in turn, a patient with three
// examinations in one transaction ("group ID"), until it is killed.
int runChild(const QString &folder)
{
    db::Database database;
    QString error;
    if (!database.open(folder, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    db::DM1 dm1(database);
    db::DM2 dm2(database, dm1);
    if (!dm1.open(&error) || !dm2.open(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    db::Table &reg = *dm1.register_;
    db::Table &exams = *dm2.osmotr1;
    std::printf("ready\n");
    std::fflush(stdout);
    for (qint64 i = 0;; ++i) {
        if (i % 2 == 0) {
            reg.append();
            reg.setValue(QStringLiteral("Last_Name"), QStringLiteral("Один%1").arg(i));
            if (!reg.post())
                return 3;
            std::printf("posted %lld\n", reg.asInteger(QStringLiteral("ID_man")));
        } else {
            db::Transaction transaction(database);
            reg.append();
            reg.setValue(QStringLiteral("Last_Name"), QStringLiteral("Группа%1").arg(i));
            if (!reg.post())
                return 3;
            for (int n = 1; n <= kExamsPerGroup; ++n) {
                exams.append();
                exams.setValue(QStringLiteral("Nom_osm"), n);
                if (!exams.post())
                    return 3;
            }
            if (!transaction.commit())
                return 3;
            std::printf("group %lld\n", reg.asInteger(QStringLiteral("ID_man")));
        }
        std::fflush(stdout);
    }
}

} // namespace

class CrashTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWriterKeepsWhatItReported();
};

void CrashTest::killedWriterKeepsWhatItReported()
{
    QTemporaryDir dir;
    QRandomGenerator random(20261210);
    QSet<qint64> posted, groups;
    int killedMidRun = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), dir.path()});
        QVERIFY(child.waitForStarted());
        QVERIFY2(child.waitForReadyRead(10000), qPrintable(child.readAllStandardError()));
        // A random moment of the writing: from right after the start to some dozens of records in.
        QTest::qWait(int(random.bounded(60)));
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        killedMidRun += child.exitStatus() == QProcess::CrashExit;
        const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
        // The last piece has no line end when the kill came while it was written: it was not said.
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QList<QByteArray> words = lines.at(i).split(' ');
            if (words.size() == 2 && words.at(0) == "posted")
                posted.insert(words.at(1).toLongLong());
            else if (words.size() == 2 && words.at(0) == "group")
                groups.insert(words.at(1).toLongLong());
        }

        db::Database database;
        QString error;
        QVERIFY2(database.open(dir.path(), &error, db::Database::OpenMode::Existing), qPrintable(error));
        QSqlQuery q(database.sql());
        QVERIFY(q.exec(QStringLiteral("PRAGMA quick_check")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));
        QSet<qint64> stored;
        QVERIFY(q.exec(QStringLiteral("SELECT ID_man FROM register")));
        while (q.next())
            stored.insert(q.value(0).toLongLong());
        for (const qint64 id : posted)
            QVERIFY2(stored.contains(id), qPrintable(QStringLiteral("kill %1: posted patient %2 lost").arg(kill).arg(id)));
        for (const qint64 id : groups)
            QVERIFY2(stored.contains(id), qPrintable(QStringLiteral("kill %1: group %2 lost").arg(kill).arg(id)));
        // Every group patient in the file has all his examinations, and no examination is without its
        // patient: a transaction is in the file whole or not at all.
        QVERIFY(q.exec(QStringLiteral("SELECT r.Last_Name, (SELECT count(*) FROM osmotr_1 e WHERE e.ID_man = r.ID_man) "
                                      "FROM register r")));
        while (q.next()) {
            const bool group = q.value(0).toString().startsWith(QStringLiteral("Группа"));
            QCOMPARE(q.value(1).toInt(), group ? kExamsPerGroup : 0);
        }
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM osmotr_1 WHERE ID_man NOT IN (SELECT ID_man FROM register)")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 0);
    }
    qInfo("%d kills (%d while writing), %lld single posts and %lld three-examination transactions reported "
          "before the kills: all in the file, quick_check ok after every kill",
          kKills, killedMidRun, qint64(posted.size()), qint64(groups.size()));
    QCOMPARE(killedMidRun, kKills);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--child"))
        return runChild(args.at(2));
    CrashTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "crash_test.moc"
