// The one way files are written: a temporary name beside the final one, renamed over it; a link at
// the final name refused; files and folders for their owner and group only; stored paths kept inside
// their folder; the leftovers of killed runs removed.
#include "safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace pelorin;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

unsigned modeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0xFFFF;
}

// The names in the folder besides `keep`: what a write left behind.
QStringList othersIn(const QString &folder, const QStringList &keep)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &k : keep)
        names.removeAll(k);
    return names;
}

// Sets the umask for one case and puts the earlier one back.
struct Umask
{
    mode_t previous;
    explicit Umask(mode_t mask) : previous(::umask(mask)) {}
    ~Umask() { ::umask(previous); }
};

} // namespace

class SafeFileTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writeAtTheFinalName_data();
    void writeAtTheFinalName();
    void aFailedWriteLeavesNothing();
    void modesWhateverTheUmask_data();
    void modesWhateverTheUmask();
    void createEmptyRefusesEveryExistingName_data();
    void createEmptyRefusesEveryExistingName();
    void modeAndGroupCopied();
    void insideTheFolder_data();
    void insideTheFolder();
    void leftoversOfEarlierRunsOnly();
};

void SafeFileTest::writeAtTheFinalName_data()
{
    // What is at the final name before the write, and whether the write goes ahead.
    QTest::addColumn<QString>("planted");
    QTest::addColumn<bool>("written");
    QTest::newRow("nothing yet") << "" << true;
    QTest::newRow("an earlier file: replaced") << "file" << true;
    QTest::newRow("link to a file elsewhere") << "link" << false;
    QTest::newRow("link to nothing yet") << "dangling" << false;
    QTest::newRow("link to a folder") << "folderlink" << false;
    QTest::newRow("a folder") << "folder" << false;
}

void SafeFileTest::writeAtTheFinalName()
{
    QFETCH(QString, planted);
    QFETCH(bool, written);
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString target = dir.filePath(QStringLiteral("karta.xlsx"));
    const QString victim = elsewhere.filePath(QStringLiteral("tarvelo.sqlite"));
    QFile v(victim);
    QVERIFY(v.open(QIODevice::WriteOnly) && v.write("records") == 7);
    v.close();
    if (planted == QLatin1String("file")) {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
    } else if (planted == QLatin1String("link")) {
        QVERIFY(QFile::link(victim, target));
    } else if (planted == QLatin1String("dangling")) {
        QVERIFY(QFile::link(elsewhere.filePath(QStringLiteral("new.txt")), target));
    } else if (planted == QLatin1String("folderlink")) {
        QVERIFY(QFile::link(elsewhere.path(), target));
    } else if (planted == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(target));
    }

    QString reason;
    QCOMPARE(safefile::write(target, QByteArray("card"), &reason), written);
    QCOMPARE(bytesOf(victim), QByteArray("records"));
    QVERIFY(!QFileInfo::exists(elsewhere.filePath(QStringLiteral("new.txt"))));
    QCOMPARE(othersIn(elsewhere.path(), {QStringLiteral("tarvelo.sqlite")}), QStringList());
    QCOMPARE(othersIn(dir.path(), {QStringLiteral("karta.xlsx")}), QStringList());
    if (written) {
        QVERIFY(reason.isEmpty());
        QCOMPARE(bytesOf(target), QByteArray("card"));
    } else if (planted != QLatin1String("folder")) {
        QVERIFY2(reason.contains(QStringLiteral("символическая ссылка")), qPrintable(reason));
        QVERIFY(QFileInfo(target).isSymLink());
    } else {
        QVERIFY2(reason.contains(QStringLiteral("папка")), qPrintable(reason));
    }
}

void SafeFileTest::aFailedWriteLeavesNothing()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("copy.jpg"));
    QFile f(target);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("before") == 6);
    f.close();
    QString reason;
    QVERIFY(!safefile::write(target, [](QIODevice &d) { return d.write("half") == 4 && false; }, &reason));
    QVERIFY(!reason.isEmpty());
    QCOMPARE(bytesOf(target), QByteArray("before"));
    QCOMPARE(othersIn(dir.path(), {QStringLiteral("copy.jpg")}), QStringList());
    QVERIFY(!safefile::write(dir.filePath(QStringLiteral("нет/папки.rtf")), QByteArray("x"), &reason));
    QVERIFY(reason.contains(QStringLiteral("не найдена")));
}

void SafeFileTest::modesWhateverTheUmask_data()
{
    QTest::addColumn<uint>("mask");
    QTest::addColumn<uint>("file");
    QTest::addColumn<uint>("folder");
    QTest::newRow("umask 000") << 0000u << 0660u << 0770u;
    QTest::newRow("umask 002") << 0002u << 0660u << 0770u;
    QTest::newRow("umask 022") << 0022u << 0640u << 0750u;
    QTest::newRow("umask 077") << 0077u << 0600u << 0700u;
}

void SafeFileTest::modesWhateverTheUmask()
{
    QFETCH(uint, mask);
    QFETCH(uint, file);
    QFETCH(uint, folder);
    QTemporaryDir dir;
    Umask umask(mask);
    const QString written = dir.filePath(QStringLiteral("a/b/summary.docx"));
    QVERIFY(safefile::makeFolder(dir.filePath(QStringLiteral("a/b"))));
    QVERIFY(safefile::write(written, QByteArray("x"), nullptr));
    const QString empty = dir.filePath(QStringLiteral("a/copy.sqlite"));
    QVERIFY(safefile::createEmpty(empty, nullptr));
    QCOMPARE(modeOf(written), file);
    QCOMPARE(modeOf(empty), file);
    QCOMPARE(modeOf(dir.filePath(QStringLiteral("a"))), folder);
    QCOMPARE(modeOf(dir.filePath(QStringLiteral("a/b"))), folder);
    // What SQLite and Qt create by themselves follows the umask the program narrows at its start.
    safefile::keepFromOthers();
    const mode_t now = ::umask(0);
    ::umask(now);
    QCOMPARE(uint(now), mask | 0007u);
}

void SafeFileTest::createEmptyRefusesEveryExistingName_data()
{
    QTest::addColumn<QString>("planted");
    QTest::newRow("a file") << "file";
    QTest::newRow("link to a file") << "link";
    QTest::newRow("link to nothing") << "dangling";
}

void SafeFileTest::createEmptyRefusesEveryExistingName()
{
    QFETCH(QString, planted);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral(".backup.part"));
    const QString victim = dir.filePath(QStringLiteral("victim"));
    if (planted == QLatin1String("file")) {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else {
        if (planted == QLatin1String("link")) {
            QFile f(victim);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("v") == 1);
        }
        QVERIFY(QFile::link(victim, target));
    }
    QString reason;
    QVERIFY(!safefile::createEmpty(target, &reason));
    QVERIFY(!reason.isEmpty());
    QCOMPARE(QFileInfo::exists(victim), planted == QLatin1String("link"));
}

void SafeFileTest::modeAndGroupCopied()
{
    QTemporaryDir dir;
    const QString model = dir.filePath(QStringLiteral("old"));
    const QString copy = dir.filePath(QStringLiteral("new"));
    QVERIFY(safefile::write(model, QByteArray("1"), nullptr) && safefile::write(copy, QByteArray("2"), nullptr));
    QVERIFY(::chmod(QFile::encodeName(model).constData(), 0640) == 0);
    QVERIFY(::chmod(QFile::encodeName(copy).constData(), 0604) == 0);
    QVERIFY(safefile::copyModeAndGroup(model, copy));
    QCOMPARE(modeOf(copy), 0640u);
    struct stat a {}, b {};
    QVERIFY(::stat(QFile::encodeName(model).constData(), &a) == 0 && ::stat(QFile::encodeName(copy).constData(), &b) == 0);
    QCOMPARE(a.st_gid, b.st_gid);
}

void SafeFileTest::insideTheFolder_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("inside");
    QTest::newRow("a photo") << "9\\осмотр1-фото2.jpg" << true;
    QTest::newRow("forward slashes") << "9/осмотр1-фото2.jpg" << true;
    QTest::newRow("dot-dot that stays inside") << "9\\..\\9\\осмотр1-фото2.jpg" << true;
    QTest::newRow("dot-dot out") << "..\\..\\victim.txt" << false;
    QTest::newRow("dot-dot out after a folder") << "9\\..\\..\\victim.txt" << false;
    QTest::newRow("the folder itself") << "9\\.." << false;
    QTest::newRow("absolute") << "/etc/passwd" << false;
    QTest::newRow("drive letter") << "C:\\victim.txt" << false;
    QTest::newRow("through a link out") << "out\\victim.txt" << false;
    QTest::newRow("a file that is a link out") << "9\\link.jpg" << false;
    QTest::newRow("missing file in a missing folder") << "77\\осмотр1-фото1.jpg" << true;
}

void SafeFileTest::insideTheFolder()
{
    QFETCH(QString, relative);
    QFETCH(bool, inside);
    QTemporaryDir dir;
    const QString foto = dir.filePath(QStringLiteral("foto"));
    QVERIFY(QDir().mkpath(foto + QStringLiteral("/9")));
    QFile victim(dir.filePath(QStringLiteral("victim.txt")));
    QVERIFY(victim.open(QIODevice::WriteOnly));
    victim.close();
    QVERIFY(QFile::link(dir.path(), foto + QStringLiteral("/out")));
    QVERIFY(QFile::link(victim.fileName(), foto + QStringLiteral("/9/link.jpg")));
    const QString resolved = safefile::inside(foto, relative);
    QCOMPARE(!resolved.isEmpty(), inside);
    if (inside)
        QVERIFY(resolved.startsWith(foto + QLatin1Char('/')));
}

void SafeFileTest::leftoversOfEarlierRunsOnly()
{
    QTemporaryDir dir;
    const QDateTime start = QDateTime::currentDateTime();
    auto make = [&](const QString &name, qint64 secondsAgo) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(start.addSecs(-secondsAgo), QFileDevice::FileModificationTime));
    };
    make(QStringLiteral(".copy.sqlite.1a2b3c4d.part"), 3600);  // a killed run's
    make(QStringLiteral(".copy.sqlite.5e6f7a8b.part"), -5);    // this run's, still being written
    make(QStringLiteral("copy.sqlite"), 3600);                 // not of the pattern
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral(".restore-abc123"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("copy.sqlite")), dir.filePath(QStringLiteral(".x.11111111.part"))));
    QCOMPARE(safefile::removeLeftovers(dir.path(), QStringLiteral("\\..+\\.[0-9a-f]{8}\\.part"), start), 2);
    QCOMPARE(othersIn(dir.path(), {}),
             QStringList({QStringLiteral(".copy.sqlite.5e6f7a8b.part"), QStringLiteral(".restore-abc123"),
                          QStringLiteral("copy.sqlite")}));
}

QTEST_GUILESS_MAIN(SafeFileTest)
#include "safefile_test.moc"
