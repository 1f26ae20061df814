// "pelorin-cli report --rtf FILE": the text area printed on standard output is also saved as rich text,
// one paragraph per line.
#include "report.h"

#include "database.h"
#include "report_fixture.h"
#include "rtfreader.h"

#include <QFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>
#include <QtTest>

using namespace pelorin;

class RtfCliTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
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
        m_patient = write.twoCoursesSecondOpen();
    }

    void cleanupTestCase()
    {
        m_program.reset();
        qunsetenv("PELORIN_TODAY");
    }

    void savesTheTextAreaAsRtf()
    {
        QTemporaryDir out;
        const QString rtfPath = out.filePath(QStringLiteral("выписка.rtf"));
        QString stdOut;
        QString stdErr;
        QTextStream o(&stdOut);
        QTextStream e(&stdErr);
        const int exit = cli::runReport({"--data", m_data.path(), "--patient", QString::number(m_patient), "--out",
                                         out.path(), "--mode", "extract-all", "--rtf", rtfPath},
                                        o, e);
        QCOMPARE(exit, 0);
        QVERIFY(stdErr.contains(QStringLiteral("Записан файл: ") + QDir::toNativeSeparators(rtfPath)));
        QFile file(rtfPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray rtf = file.readAll();
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
        QTextDocument back;
        QTextCursor cursor(&back);
        QVERIFY(documents::insertRtf(cursor, rtf));
        // Standard output ends every paragraph with a line feed; the file holds the same paragraphs.
        QVERIFY(stdOut.endsWith(QLatin1Char('\n')));
        QCOMPARE(back.toPlainText() + QLatin1Char('\n'), stdOut);
    }

    void unwritableRtfFails()
    {
        QTemporaryDir out;
        QString stdOut;
        QString stdErr;
        QTextStream o(&stdOut);
        QTextStream e(&stdErr);
        const int exit =
            cli::runReport({"--data", m_data.path(), "--patient", QString::number(m_patient), "--out", out.path(),
                            "--mode", "extract-all", "--rtf", out.filePath(QStringLiteral("нет/папки.rtf"))},
                           o, e);
        QCOMPARE(exit, 1);
        QVERIFY(stdErr.contains(QStringLiteral("Не удалось записать файл")));
    }

    // What the name given to --rtf becomes, and what is never overwritten.
    void rtfNameAndExistingFiles_data()
    {
        QTest::addColumn<QString>("given");    // in the output folder
        QTest::addColumn<QString>("existing"); // planted before the run: "file", "link" or nothing
        QTest::addColumn<QString>("written");  // the file the run writes; empty: refused, exit 1
        QTest::newRow("extension added") << QStringLiteral("справка") << QString() << QStringLiteral("справка.rtf");
        QTest::newRow("extension kept") << QStringLiteral("справка.RTF") << QString() << QStringLiteral("справка.RTF");
        QTest::newRow("existing file kept") << QStringLiteral("справка") << QStringLiteral("file") << QString();
        QTest::newRow("link never written through") << QStringLiteral("справка.rtf") << QStringLiteral("link")
                                                    << QString();
    }

    void rtfNameAndExistingFiles()
    {
        QFETCH(QString, given);
        QFETCH(QString, existing);
        QFETCH(QString, written);
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("чужой.txt"));
        QFile victim(target);
        QVERIFY(victim.open(QIODevice::WriteOnly));
        victim.write("не трогать");
        victim.close();
        const QString planted = out.filePath(given.endsWith(QLatin1String(".rtf")) ? given : given + QStringLiteral(".rtf"));
        if (existing == QLatin1String("file"))
            QVERIFY(QFile::copy(target, planted));
        else if (existing == QLatin1String("link"))
            QVERIFY(QFile::link(target, planted));
        QString stdOut;
        QString stdErr;
        QTextStream o(&stdOut);
        QTextStream e(&stdErr);
        const int exit = cli::runReport({"--data", m_data.path(), "--patient", QString::number(m_patient), "--out",
                                         out.path(), "--certificate", "--rtf", out.filePath(given)},
                                        o, e);
        if (written.isEmpty()) {
            QCOMPARE(exit, 1);
            QVERIFY2(stdErr.contains(QStringLiteral("уже существует")), qPrintable(stdErr));
            QVERIFY(stdOut.isEmpty());
        } else {
            QCOMPARE(exit, 0);
            QFile file(out.filePath(written));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().startsWith("{\\rtf1"));
        }
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), QByteArray("не трогать"));
    }

    // A period that ends before it starts is refused instead of giving a card of nothing.
    void periodBackwardsIsRefused_data()
    {
        QTest::addColumn<QStringList>("dates");
        QTest::addColumn<int>("exit"); // 2: the words themselves are refused
        QTest::newRow("--from after --to") << QStringList{"--from", "20.02.2025", "--to", "10.02.2025"} << 2;
        QTest::newRow("--to before --from, given first")
            << QStringList{"--to", "10.02.2025", "--from", "20.02.2025"} << 2;
        QTest::newRow("--from after today, --to left at today") << QStringList{"--from", "20.03.2025"} << 1;
    }

    void periodBackwardsIsRefused()
    {
        QFETCH(QStringList, dates);
        QFETCH(int, exit);
        QTemporaryDir out;
        QString stdOut;
        QString stdErr;
        QTextStream o(&stdOut);
        QTextStream e(&stdErr);
        const int code = cli::runReport(QStringList{"--data", m_data.path(), "--patient", QString::number(m_patient),
                                                    "--out", out.path(), "--mode", "between"} +
                                            dates,
                                        o, e);
        QCOMPARE(code, exit);
        QVERIFY2(stdErr.contains(QStringLiteral("позже его конца")), qPrintable(stdErr));
        QVERIFY(QDir(out.path()).isEmpty());
    }

private:
    std::unique_ptr<testing::ProgramFolderFixture> m_program;
    QTemporaryDir m_data;
    qint64 m_patient = 0;
};

QTEST_MAIN(RtfCliTest)
#include "rtf_cli_test.moc"
