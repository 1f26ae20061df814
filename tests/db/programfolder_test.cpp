// The program folder an installed copy lays out for its user from the shipped sourses/: the clinic's
// lists are kept, only a newer and different form replaces its copy.
#include "programfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;

namespace {

void write(const QString &path, const QByteArray &contents, const QDateTime &modified)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contents);
    // Written through first, or the close would stamp the file again.
    f.flush();
    QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<нет>");
}

} // namespace

class ProgramFolderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layOut_data();
    void layOut();
    void builtCopyIsNotInstalled();
    void photosMayLiveInASharedFolder_data();
    void photosMayLiveInASharedFolder();
};

void ProgramFolderTest::photosMayLiveInASharedFolder_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("environment"); // PELORIN_PHOTOS
    QTest::addColumn<QString>("shared");      // the photo folder chosen; empty: the program folder
    QTest::newRow("program folder") << QStringList{"pelorin", "--data", "/d"} << "" << "";
    QTest::newRow("--photos") << QStringList{"pelorin", "--photos", "/mnt/clinic"} << "" << "/mnt/clinic";
    QTest::newRow("--photos=") << QStringList{"pelorin", "--photos=/mnt/clinic"} << "" << "/mnt/clinic";
    QTest::newRow("environment") << QStringList{"pelorin"} << "/srv/photos" << "/srv/photos";
    QTest::newRow("command line first") << QStringList{"pelorin", "--photos", "/mnt/a"} << "/srv/b" << "/mnt/a";
}

void ProgramFolderTest::photosMayLiveInASharedFolder()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, environment);
    QFETCH(QString, shared);
    qputenv("PELORIN_PHOTOS", environment.toUtf8());
    QCOMPARE(folder::photoRootFromArguments(arguments), shared);
    qunsetenv("PELORIN_PHOTOS");

    QTemporaryDir program, share;
    folder::setRoot(program.path());
    folder::setPhotoRoot(shared.isEmpty() ? QString() : share.path());
    const QString photos = shared.isEmpty() ? folder::root() : share.path() + QLatin1Char('/');
    // Photo links, kept as stored, resolve in the photo folder; everything else stays in the program's.
    QCOMPARE(folder::foto(), photos + QStringLiteral("foto/"));
    QCOMPARE(folder::toFileSystem(QStringLiteral("foto\\1234\\осмотр1-фото2.jpg")), photos + QStringLiteral("foto/1234/осмотр1-фото2.jpg"));
    QCOMPARE(folder::toFileSystem(QStringLiteral("\\foto\\7\\a.jpg")), photos + QStringLiteral("foto/7/a.jpg"));
    QCOMPARE(folder::toFileSystem(QStringLiteral("sourses\\reports\\karta.xlsx")), folder::root() + QStringLiteral("sourses/reports/karta.xlsx"));
    folder::setPhotoRoot(QString());
    folder::setRoot(QString());
}

void ProgramFolderTest::layOut_data()
{
    QTest::addColumn<QString>("file");        // under sourses/
    QTest::addColumn<QByteArray>("copy");     // what the user's folder holds already; empty: nothing
    QTest::addColumn<int>("copyAge");         // days the copy is older than the shipped file
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("new list") << "vrach.txt" << QByteArray() << 0 << QByteArray("shipped");
    QTest::newRow("edited list kept") << "vrach.txt" << QByteArray("clinic") << 5 << QByteArray("clinic");
    QTest::newRow("new form") << "reports/karta1.xlsx" << QByteArray() << 0 << QByteArray("shipped");
    QTest::newRow("older form renewed") << "reports/karta1.xlsx" << QByteArray("old form") << 5
                                        << QByteArray("shipped");
    QTest::newRow("newer form kept") << "reports/karta1.xlsx" << QByteArray("user form") << -5
                                     << QByteArray("user form");
}

void ProgramFolderTest::layOut()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, copy);
    QFETCH(int, copyAge);
    QFETCH(QByteArray, expected);
    QTemporaryDir shipped, user;
    const QDateTime now = QDateTime::currentDateTime();
    write(shipped.filePath(file), "shipped", now.addDays(-10));
    if (!copy.isEmpty())
        write(user.filePath(QStringLiteral("sourses/") + file), copy, now.addDays(-10 - copyAge));
    // A summary the program wrote beside the forms is never touched.
    write(user.filePath("sourses/reports/vipiska_7.docx"), "summary", now);
    QVERIFY(folder::layOut(shipped.path(), user.path()));
    QCOMPARE(read(user.filePath(QStringLiteral("sourses/") + file)), expected);
    QCOMPARE(read(user.filePath("sourses/reports/vipiska_7.docx")), QByteArray("summary"));
    for (const char *sub : {"foto", "reports", "sourses/reports"})
        QVERIFY(QFileInfo(user.filePath(QString::fromLatin1(sub))).isDir());
}

void ProgramFolderTest::builtCopyIsNotInstalled()
{
    QVERIFY(!folder::isInstalledCopy());
    QCOMPARE(folder::root(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

QTEST_GUILESS_MAIN(ProgramFolderTest)
#include "programfolder_test.moc"
