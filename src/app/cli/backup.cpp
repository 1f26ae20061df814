#include "backup.h"

#include "backups.h"
#include "database.h"
#include "options.h"
#include "safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QProcess>
#include <QFile>
#include <QTextStream>

namespace pelorin::cli {

namespace {

constexpr int kBackupOk = 0;
constexpr int kBackupFailed = 1;

int fail(QTextStream &err, const QString &text)
{
    err << text << '\n';
    err.flush();
    return kBackupFailed;
}

struct Words
{
    QString dataFolder;
    QString server; // --db postgresql://…
    bool dataGiven = false;
    QString file;
    bool help = false;
};

// Reads --data and the one file option of the command (--to or --from); an empty text on success.
QString parseWords(const QStringList &words, const QString &fileOption, Words *w)
{
    auto onFlag = [w](const QString &) {
        w->help = true;
        return QString();
    };
    auto onValue = [&](const QString &option, const QString &value) -> QString {
        if (option == QLatin1String("--data")) {
            w->dataFolder = QDir(value).absolutePath();
            w->dataGiven = true;
        } else if (option == QLatin1String("--db")) {
            return serverOption(option, value, &w->server);
        } else if (option == fileOption) {
            w->file = QFileInfo(value).absoluteFilePath();
        } else {
            return QStringLiteral("неизвестный параметр «%1».").arg(option);
        }
        return {};
    };
    if (QString problem = walkOptions(words, {QStringLiteral("--help"), QStringLiteral("-h")}, onFlag, onValue);
        !problem.isEmpty())
        return problem;
    if (!w->help && w->file.isEmpty())
        return QStringLiteral("не указан файл (%1 ФАЙЛ).").arg(fileOption);
    return {};
}

// Parses, answers --help and fills in the default data folder; -1 when the command is to go on.
int prepare(const QStringList &words, const QString &fileOption, Words *w, QTextStream &out, QTextStream &err)
{
    // Each command tells its own usage.
    const QString usage = fileOption == QLatin1String("--to") ? backupUsage() : restoreUsage();
    if (const QString problem = parseWords(words, fileOption, w); !problem.isEmpty())
        return refuseArguments(err, problem, usage);
    if (w->help) {
        out << usage;
        out.flush();
        return kBackupOk;
    }
    if (w->dataFolder.isEmpty())
        w->dataFolder = db::Database::resolveDataFolder({});
    return -1;
}

} // namespace

QString backupUsage()
{
    return QStringLiteral(
        "  pelorin-cli backup  --data ПАПКА --to ФАЙЛ\n"
        "      записывает копию базы данных в новый ФАЙЛ (существующий файл не заменяется) и проверяет\n"
        "      её (PRAGMA quick_check); можно и пока программа открыта. Автоматические копии программа\n"
        "      делает при каждом выходе в папку backups рядом с базой: одна на день, последние 30;\n"
        "  pelorin-cli backup  --db postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА --to ФАЙЛ\n"
        "      копия базы на сервере программой pg_dump (формат custom; восстанавливает pg_restore);\n");
}

QString restoreUsage()
{
    return QStringLiteral(
        "  pelorin-cli restore --data ПАПКА --from ФАЙЛ\n"
        "      ставит ФАЙЛ, если это исправная база данных программы, на место базы данных; прежний файл\n"
        "      остаётся рядом под именем tarvelo.sqlite.before-restore-ГГГГММДД-ЧЧММСС. Пока программа\n"
        "      открыта с этой папкой, не запускается;\n");
}

// A server's records are copied by the server's own tool: pg_dump, in its custom format, which
// pg_restore reads back. The password is libpq's, as for the program. The dump is written under a
// temporary name and takes its own only when pg_dump has ended well and pg_restore can read its
// list: a dump cut short never stands under the name of a good one.
int backupServer(const Words &w, QTextStream &out, QTextStream &err)
{
    const QString native = QDir::toNativeSeparators(w.file);
    if (const QString problem = db::Database::serverAliasProblem(w.server); !problem.isEmpty())
        return fail(err, QStringLiteral("Резервная копия не записана. ") + problem);
    if (const QString refused = safefile::refusal(w.file); !refused.isEmpty())
        return fail(err, QStringLiteral("Резервная копия не записана: %1.").arg(refused));
    if (QFileInfo::exists(w.file))
        return fail(err, QStringLiteral("Файл «%1» уже существует: копия не записана.").arg(native));
    db::removeKilledCopiesOf(w.file);
    const QString part = safefile::partNameFor(w.file);
    QString why;
    if (!safefile::createEmpty(part, &why))
        return fail(err, QStringLiteral("Резервная копия не записана: %1.").arg(why));
    auto refuse = [&](const QString &text) {
        QFile::remove(part);
        return fail(err, QStringLiteral("Резервная копия не записана: ") + text);
    };
    QProcess dump;
    dump.start(QStringLiteral("pg_dump"), {QStringLiteral("--format=custom"), QStringLiteral("--no-password"),
                                           QStringLiteral("--file"), part, QStringLiteral("--dbname"), w.server});
    if (!dump.waitForStarted())
        return refuse(QStringLiteral("не удалось запустить pg_dump (пакет postgresql-client)."));
    dump.waitForFinished(-1);
    if (dump.exitStatus() != QProcess::NormalExit || dump.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(dump.readAllStandardError()).trimmed();
        return refuse(said.isEmpty() ? QStringLiteral("pg_dump прерван.") : said);
    }
    QProcess list;
    list.start(QStringLiteral("pg_restore"), {QStringLiteral("--list"), part});
    if (!list.waitForStarted())
        return refuse(QStringLiteral("не удалось запустить pg_restore для проверки копии."));
    list.waitForFinished(-1);
    const QByteArray listed = list.readAllStandardOutput();
    if (list.exitStatus() != QProcess::NormalExit || list.exitCode() != 0 || !listed.contains("TABLE DATA"))
        return refuse(QStringLiteral("pg_restore не читает записанную копию (%1).")
                          .arg(QString::fromLocal8Bit(list.readAllStandardError()).trimmed()));
        // Qt's rename never replaces a file: one that appeared meanwhile under the name is kept.
    if (!QFile::rename(part, w.file))
        return refuse(QStringLiteral("не удалось дать копии имя «%1».").arg(native));
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    out << QStringLiteral("Резервная копия базы на сервере записана программой pg_dump и прочитана pg_restore: %1 (%2 байт).")
               .arg(native, russian.toString(QFileInfo(w.file).size()))
        << '\n';
    out.flush();
    return kBackupOk;
}

int runBackup(const QStringList &words, QTextStream &out, QTextStream &err)
{
    Words w;
    if (const int early = prepare(words, QStringLiteral("--to"), &w, out, err); early >= 0)
        return early;
    if (w.server.isEmpty() && !w.dataGiven)
        w.server = db::Database::resolveServerAlias({});
    if (!w.server.isEmpty())
        return backupServer(w, out, err);
    if (!db::Database::existsIn(w.dataFolder))
        return fail(err, QStringLiteral("В папке %1 нет базы данных.").arg(QDir::toNativeSeparators(w.dataFolder)));
    QString error;
    if (!db::writeBackup(w.dataFolder, w.file, &error))
        return fail(err, QStringLiteral("Резервная копия не записана. ") + error);
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    out << QStringLiteral("Резервная копия записана и проверена: %1 (%2 байт).")
               .arg(QDir::toNativeSeparators(w.file), russian.toString(QFileInfo(w.file).size()))
        << '\n';
    out.flush();
    return kBackupOk;
}

int runRestore(const QStringList &words, QTextStream &out, QTextStream &err)
{
    Words w;
    if (const int early = prepare(words, QStringLiteral("--from"), &w, out, err); early >= 0)
        return early;
    if (!w.server.isEmpty())
        return fail(err, QStringLiteral("Базу данных на сервере восстанавливает pg_restore из копии pg_dump; "
                                        "программа сама её не заменяет."));
    if (!QFileInfo(w.file).isFile())
        return fail(err, QStringLiteral("Файл «%1» не найден.").arg(QDir::toNativeSeparators(w.file)));
    // The database cannot be restored from itself: the copy would be taken of what it replaces.
    const QFileInfo live(QDir(w.dataFolder).absoluteFilePath(db::Database::fileName()));
    if (live.exists() && live.canonicalFilePath() == QFileInfo(w.file).canonicalFilePath())
        return fail(err, QStringLiteral("Файл «%1» — это сама база данных папки %2: восстанавливают из копии.")
                             .arg(QDir::toNativeSeparators(w.file), QDir::toNativeSeparators(w.dataFolder)));
    if (!QDir().mkpath(w.dataFolder))
        return fail(err,
                    QStringLiteral("Не удалось создать папку данных %1.").arg(QDir::toNativeSeparators(w.dataFolder)));

    // The program holds this lock for as long as it runs; held here, it also keeps the program from
    // starting on a file that is being replaced.
    QLockFile lock(QDir(w.dataFolder).absoluteFilePath(QStringLiteral("tarvelo.lock")));
    if (const QString refused = lockDataFolder(w.dataFolder, lock); !refused.isEmpty())
        return fail(err, refused);
    const db::RestoreResult result = db::restoreDatabase(w.dataFolder, w.file);
    if (!result.ok)
        return fail(err, result.error);
    out << QStringLiteral("База данных восстановлена из «%1».").arg(QDir::toNativeSeparators(w.file)) << '\n';
    if (!result.keptFile.isEmpty())
        out << QStringLiteral("Прежний файл сохранён как «%1».").arg(QDir::toNativeSeparators(result.keptFile)) << '\n';
    out.flush();
    return kBackupOk;
}

} // namespace pelorin::cli
