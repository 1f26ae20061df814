#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace pelorin::db {
class Database;
}

// Creating a data file and looking it over: the file's own integrity and detail records whose
// patient or examination is gone.
namespace pelorin::cli {

// Exit codes shared by the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1;
inline constexpr int kExitFailure = 2;

struct InitResult
{
    bool ok = false;
    // False when the file already held every table: the run changed nothing.
    bool created = false;
    QString filePath;
    QString error;

    int exitCode() const { return ok ? kExitOk : kExitFailure; }
};

// Creates folder/tarvelo.sqlite with all tables, or confirms that it is already complete.
InitResult initDatabase(const QString &folder);
QStringList describeInit(const InitResult &result);

// One detail record whose link does not lead to an existing master record.
struct Orphan
{
    QString table;    // database table name: lech_puva, osmotr_elem ...
    QString keyField; // ID, Id, or the hidden row key of tables without an AutoInc key
    qint64 key = 0;
    QString linkField;   // ID_man, Id_man, ID_elem
    QVariant link;       // null when the link is blank
    QString masterTable; // register or osmotr_1
    QString masterField; // ID_man or ID

    bool blankLink() const { return link.isNull(); }
};

// A photo row whose Link does not lead to a copy the program may read.
struct PhotoRow
{
    qint64 id = 0; // osmotr_img.Id
    QString link;
};

struct CheckResult
{
    QStringList integrityProblems;
    QList<Orphan> orphans;
    QString openError;               // the file could not be looked at: missing, empty, damaged, foreign
    QList<qint64> photosWithoutLink; // osmotr_img.Id of rows whose Link is empty
    QStringList strayPhotoFiles;     // files under foto/ that no row names, as stored paths
    QList<PhotoRow> photosOutside;   // Link leads out of the photo folder: never read, copied or deleted
    QList<PhotoRow> photosMissing;   // Link names a file that is not there
    QStringList journalProblems;     // the journal of changes: broken, cut at its end, emptied or dropped
    int tablesChecked = 0;
    qint64 recordsChecked = 0;
    bool onServer = false; // the records were on a server, which keeps its own storage sound

    bool clean() const
    {
        return openError.isEmpty() && integrityProblems.isEmpty() && orphans.isEmpty() &&
               photosWithoutLink.isEmpty() && strayPhotoFiles.isEmpty() && photosOutside.isEmpty() &&
               photosMissing.isEmpty() && journalProblems.isEmpty();
    }
    int exitCode() const { return clean() ? kExitOk : kExitFindings; }
};

// Runs the integrity check of the open database and looks for orphaned detail records:
// every per-patient table against register.ID_man, elements and photos against osmotr_1.ID.
// A blank link counts as an orphan, since such a record belongs to nobody.
// With the folder that holds foto/ (the program folder, or the one --photos or PELORIN_PHOTOS names),
// photo rows are also held against the copies under its foto/: rows whose Link leads out of it or
// names a missing file, and files that no row names.
CheckResult checkDatabase(db::Database &database, const QString &photoRoot = QString());

// Holds the journal of changes against itself and against the ends of its chain kept beside the file
// (dataFolder; empty for a server): into result.journalProblems.
void checkJournal(db::Database &database, const QString &dataFolder, CheckResult &result);

// "pelorin-cli check": opens folder/tarvelo.sqlite read-only, changing nothing in it or beside it, and
// looks it over; a file that cannot be looked at is a finding of its own (openError).
CheckResult checkFolder(const QString &folder, const QString &photoRoot);

// One Russian line per finding, then a summary line.
QStringList describeCheck(const CheckResult &result);
QString describeOrphan(const Orphan &orphan);

} // namespace pelorin::cli
