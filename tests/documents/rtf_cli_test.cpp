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

private:
    std::unique_ptr<testing::ProgramFolderFixture> m_program;
    QTemporaryDir m_data;
    qint64 m_patient = 0;
};

QTEST_MAIN(RtfCliTest)
#include "rtf_cli_test.moc"
