// The files around the records: every writer of the program refuses a link planted at its file's
// name and makes its files for their owner and group only; the database and its copies keep to the
// same rule, and a restore gives the new file the mode and group of the one it replaces.
#include "backups.h"
#include "database.h"
#include "photos.h"
#include "rtfwriter.h"
#include "safefile.h"
#include "worddocument.h"
#include "workbook.h"

#include "clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <sys/stat.h>

using namespace pelorin;

namespace {

const QDate kToday(2025, 3, 14);

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

struct Umask
{
    mode_t previous;
    explicit Umask(mode_t mask) : previous(::umask(mask)) {}
    ~Umask() { ::umask(previous); }
};

// A data folder with a database, and the folder a writer writes into.
struct Place
{
    QTemporaryDir data;
    QTemporaryDir out;
    Place()
    {
        db::Database database;
        QString error;
        if (!database.open(data.path(), &error))
            qFatal("open failed: %s", qPrintable(error));
    }
};

// One writer of the program: writes its file to `path`; false with the reason in *error.
using Writer = std::function<bool(Place &, const QString &path, QString *error)>;

bool writeWorkbook(Place &, const QString &path, QString *error)
{
    office::Workbook book;
    return book.open(QStringLiteral(PELORIN_SOURSES_DIR "/reports/karta.xlsx"), error) && book.save(path, error);
}

bool writeWordDocument(Place &, const QString &path, QString *error)
{
    office::WordDocument document;
    return document.open(QStringLiteral(PELORIN_SOURSES_DIR "/reports/vipiska.docx"), error) &&
           document.save(path, error);
}

bool writeRtf(Place &, const QString &path, QString *error)
{
    return documents::saveRtfFile(path, documents::writeRtf(documents::rtfDocument(QStringList{"Выписка"})), error);
}

bool writePhotoCopy(Place &place, const QString &path, QString *error)
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QString chosen = place.data.filePath(QStringLiteral("снимок.png"));
    examination::PhotoPicture picture;
    return image.save(chosen, "PNG") && picture.load(chosen, error) && picture.saveJpeg(path, error);
}

bool writeManualBackup(Place &place, const QString &path, QString *error)
{
    return db::writeBackup(place.data.path(), path, error);
}

// The copy of the day goes to its own place: `path` is ignored, the link is planted there instead.
QString dailyCopyOf(Place &place)
{
    return QDir(db::backupFolder(place.data.path())).absoluteFilePath(db::datedBackupName(kToday));
}

bool writeDailyCopy(Place &place, const QString &, QString *error)
{
    return db::backupAtExit(place.data.path(), error);
}

void addWriters()
{
    QTest::newRow("card (workbook)") << Writer(writeWorkbook) << false;
    QTest::newRow("summary (word document)") << Writer(writeWordDocument) << false;
    QTest::newRow("RTF file") << Writer(writeRtf) << false;
    QTest::newRow("photo copy") << Writer(writePhotoCopy) << false;
    QTest::newRow("backup by hand") << Writer(writeManualBackup) << false;
    QTest::newRow("copy of the day") << Writer(writeDailyCopy) << true;
}

} // namespace

Q_DECLARE_METATYPE(Writer)

class SafeFilesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { clock::setFixedToday(kToday); }
    void writerRefusesALinkAtItsName_data();
    void writerRefusesALinkAtItsName();
    void writerMakesFilesForOwnerAndGroup_data();
    void writerMakesFilesForOwnerAndGroup();
    void databaseFilesForOwnerAndGroup_data();
    void databaseFilesForOwnerAndGroup();
    void restoreKeepsTheReplacedFilesModeAndGroup_data();
    void restoreKeepsTheReplacedFilesModeAndGroup();
};

void SafeFilesTest::writerRefusesALinkAtItsName_data()
{
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<bool>("daily");
    addWriters();
}

void SafeFilesTest::writerRefusesALinkAtItsName()
{
    QFETCH(Writer, writer);
    QFETCH(bool, daily);
    Place place;
    // The link's target is the file a clinic can least afford to lose.
    const QString victim = QDir(place.data.path()).absoluteFilePath(db::Database::fileName());
    const QByteArray before = bytesOf(victim);
    QString target = place.out.filePath(QStringLiteral("karta.xlsx"));
    if (daily) {
        target = dailyCopyOf(place);
        QVERIFY(safefile::makeFolder(QFileInfo(target).absolutePath()));
    }
    QVERIFY(QFile::link(victim, target));
    QString error;
    QVERIFY(!writer(place, target, &error));
    QVERIFY2(error.contains(QStringLiteral("символическая ссылка")), qPrintable(error));
    QCOMPARE(bytesOf(victim), before);
    QVERIFY(QFileInfo(target).isSymLink());
    // Nothing half-written stays beside the link.
    QCOMPARE(QDir(QFileInfo(target).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QFileInfo(target).fileName()});
}

void SafeFilesTest::writerMakesFilesForOwnerAndGroup_data()
{
    writerRefusesALinkAtItsName_data();
}

void SafeFilesTest::writerMakesFilesForOwnerAndGroup()
{
    QFETCH(Writer, writer);
    QFETCH(bool, daily);
    Place place;
    // The widest umask there is: what stays closed to others is closed by the program itself.
    Umask umask(0);
    QString target = daily ? dailyCopyOf(place) : place.out.filePath(QStringLiteral("karta.xlsx"));
    QString error;
    QVERIFY2(writer(place, target, &error), qPrintable(error));
    QCOMPARE(modeOf(target), 0660u);
    if (daily)
        QCOMPARE(modeOf(QFileInfo(target).absolutePath()), 0770u);
}

void SafeFilesTest::databaseFilesForOwnerAndGroup_data()
{
    QTest::addColumn<uint>("mask");
    QTest::addColumn<uint>("file");
    QTest::addColumn<uint>("folder");
    QTest::newRow("umask 000") << 0000u << 0660u << 0770u;
    QTest::newRow("umask 022") << 0022u << 0640u << 0750u;
    QTest::newRow("umask 077") << 0077u << 0600u << 0700u;
}

void SafeFilesTest::databaseFilesForOwnerAndGroup()
{
    QFETCH(uint, mask);
    QFETCH(uint, file);
    QFETCH(uint, folder);
    QTemporaryDir parent;
    const QString data = parent.filePath(QStringLiteral("data"));
    Umask umask(mask);
    db::Database database;
    QString error;
    QVERIFY2(database.open(data, &error), qPrintable(error));
    const QString path = QDir(data).absoluteFilePath(db::Database::fileName());
    QCOMPARE(modeOf(data), folder);
    for (const QString &name : QStringList{path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")}) {
        QVERIFY2(QFileInfo::exists(name), qPrintable(name));
        QCOMPARE(modeOf(name), file);
    }
}

void SafeFilesTest::restoreKeepsTheReplacedFilesModeAndGroup_data()
{
    QTest::addColumn<uint>("liveMode"); // 0 when there is no database to replace
    QTest::addColumn<uint>("sourceMode");
    QTest::addColumn<uint>("expected");
    QTest::newRow("640 file stays 640") << 0640u << 0644u << 0640u;
    QTest::newRow("600 file stays 600") << 0600u << 0666u << 0600u;
    QTest::newRow("660 file stays 660") << 0660u << 0600u << 0660u;
    QTest::newRow("no file: the copy's mode, nothing for others") << 0u << 0644u << 0640u;
}

void SafeFilesTest::restoreKeepsTheReplacedFilesModeAndGroup()
{
    QFETCH(uint, liveMode);
    QFETCH(uint, sourceMode);
    QFETCH(uint, expected);
    Umask umask(0);
    Place source;
    Place target;
    const QString copy = source.out.filePath(QStringLiteral("copy.sqlite"));
    QString error;
    QVERIFY2(db::writeBackup(source.data.path(), copy, &error), qPrintable(error));
    QVERIFY(::chmod(QFile::encodeName(copy).constData(), sourceMode) == 0);
    const QString live = QDir(target.data.path()).absoluteFilePath(db::Database::fileName());
    // A group the clinic gave the file; root may give any.
    const gid_t group = ::getuid() == 0 ? 4242 : ::getgid();
    if (liveMode) {
        QVERIFY(::chmod(QFile::encodeName(live).constData(), liveMode) == 0);
        QVERIFY(::chown(QFile::encodeName(live).constData(), static_cast<uid_t>(-1), group) == 0);
    } else {
        QVERIFY(QFile::remove(live));
    }
    const QByteArray before = bytesOf(live);
    const db::RestoreResult result = db::restoreDatabase(target.data.path(), copy);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(modeOf(live), expected);
    if (liveMode) {
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(live).constData(), &st) == 0);
        QCOMPARE(st.st_gid, group);
        // The replaced file is whole under its kept name.
        QCOMPARE(bytesOf(result.keptFile), before);
        QCOMPARE(modeOf(result.keptFile), liveMode);
    } else {
        QVERIFY(result.keptFile.isEmpty());
    }
    QCOMPARE(bytesOf(live), bytesOf(copy));
}

QTEST_GUILESS_MAIN(SafeFilesTest)
#include "safe_files_test.moc"
