// pelorin-cli: creating the data file, filling it with demonstration patients, looking it over and
// preparing a patient's documents, without the windows of the program.
#include "audit.h"
#include "backup.h"
#include "check.h"
#include "demo.h"
#include "maintain.h"
#include "migrate.h"
#include "options.h"
#include "outcomes_command.h"
#include "report.h"

#include "auditlog.h"
#include "changelog.h"
#include "database.h"
#include "programfolder.h"
#include "safefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

#include <optional>

using namespace pelorin;
using namespace pelorin::cli;

namespace {

QString usage()
{
    return QStringLiteral(
        "Использование:\n"
        "  pelorin-cli init  --data ПАПКА\n"
        "      создаёт базу данных tarvelo.sqlite со всеми таблицами (повторный запуск ничего не меняет);\n"
        "  pelorin-cli demo  --data ПАПКА [--patients N] [--seed S] [--append]\n"
        "      записывает N демонстрационных пациентов (по умолчанию 60, зерно 1) со всеми их записями;\n"
        "      если в регистре уже есть пациенты, без --append ничего не записывает;\n"
        "  pelorin-cli check --data ПАПКА [--photos ПАПКА]\n"
        "      проверяет целостность файла и ищет записи, чьих пациентов или осмотров больше нет, и фотографии:\n"
        "      записи без файла, с путём за пределами папки foto, файлы без записи (папку foto берёт из --photos\n"
        "      или PELORIN_PHOTOS, как программа, иначе из папки программы);\n"
        "      вместо --data ПАПКА — --db postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА: записи на сервере;\n") +
           reportUsage() + maintainUsage() + backupUsage() + restoreUsage() + auditUsage() + migrateUsage() +
           outcomesUsage() +
           QStringLiteral(
               "  pelorin-cli --help\n"
               "      эта справка.\n"
               "Без --data берётся папка из переменной окружения TARVELO, иначе папка data рядом с программой.\n"
               "Коды завершения: 0 — успешно; 1 — проверка нашла нарушения, документ или копия не получены; 2 — ошибка\n"
               "(у каждой команды — неверные или повторённые параметры).\n");
}

// The place of the command word, passing over the options before it and their values; -1 without one.
// report has options of its own, so it is told apart before the other commands' parsing.
qsizetype commandAt(const QStringList &args)
{
    static const QStringList withValue = {QStringLiteral("--data"), QStringLiteral("--patients"),
                                          QStringLiteral("--seed"), QStringLiteral("--db"), QStringLiteral("--photos")};
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (withValue.contains(args.at(i)))
            ++i;
        else if (!args.at(i).startsWith(QLatin1Char('-')))
            return i;
    }
    return -1;
}

struct Arguments
{
    QString command;
    QString dataFolder;
    QString server; // check only: the records on a PostgreSQL server
    QString photos; // check only: the folder that holds foto/, when not the program folder
    std::optional<int> patients;
    std::optional<quint32> seed;
    bool append = false;
    bool help = false;
};

// Returns an empty text on success, the Russian complaint otherwise.
QString parse(const QStringList &args, Arguments *a)
{
    auto valueOf = [&](qsizetype &i, const QString &option, QString *value) -> QString {
        const QString &arg = args.at(i);
        if (arg.startsWith(option + QLatin1Char('='))) {
            *value = arg.mid(option.size() + 1);
        } else if (i + 1 < args.size()) {
            *value = args.at(++i);
        } else {
            return QStringLiteral("после %1 нужно значение.").arg(option);
        }
        if (value->isEmpty())
            return QStringLiteral("после %1 нужно значение.").arg(option);
        return {};
    };
    // The last of two values would win without a word: a repeat is said instead.
    QStringList seen;
    auto isOption = [&seen](const QString &arg, const QString &option) {
        const bool is = arg == option || arg.startsWith(option + QLatin1Char('='));
        if (is)
            seen << option;
        return is;
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        QString value;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            a->help = true;
        } else if (isOption(arg, QStringLiteral("--data"))) {
            if (QString e = valueOf(i, QStringLiteral("--data"), &value); !e.isEmpty())
                return e;
            a->dataFolder = QDir(value).absolutePath();
        } else if (isOption(arg, QStringLiteral("--db"))) {
            if (QString e = valueOf(i, QStringLiteral("--db"), &value); !e.isEmpty())
                return e;
            if (QString e = cli::serverOption(QStringLiteral("--db"), value, &a->server); !e.isEmpty())
                return e;
        } else if (isOption(arg, QStringLiteral("--photos"))) {
            if (QString e = valueOf(i, QStringLiteral("--photos"), &value); !e.isEmpty())
                return e;
            a->photos = QDir(value).absolutePath();
        } else if (isOption(arg, QStringLiteral("--patients"))) {
            if (QString e = valueOf(i, QStringLiteral("--patients"), &value); !e.isEmpty())
                return e;
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok || n < 1 || n > 1000000)
                return QStringLiteral("--patients: нужно целое число от 1 до 1000000, а не «%1».").arg(value);
            a->patients = n;
        } else if (isOption(arg, QStringLiteral("--seed"))) {
            if (QString e = valueOf(i, QStringLiteral("--seed"), &value); !e.isEmpty())
                return e;
            bool ok = false;
            const uint s = value.toUInt(&ok);
            if (!ok)
                return QStringLiteral("--seed: нужно целое число от 0 до 4294967295, а не «%1».").arg(value);
            a->seed = s;
        } else if (arg == QLatin1String("--append") && isOption(arg, arg)) {
            a->append = true;
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return QStringLiteral("неизвестный параметр «%1».").arg(arg);
        } else if (a->command.isEmpty()) {
            a->command = arg;
        } else {
            return QStringLiteral("лишний аргумент «%1».").arg(arg);
        }
        if (!seen.isEmpty() && seen.count(seen.last()) > 1)
            return QStringLiteral("параметр %1 указан дважды.").arg(seen.last());
    }
    if (a->help)
        return {};
    if (a->command.isEmpty())
        return QStringLiteral("не указана команда.");
    static const QStringList commands = {QStringLiteral("init"), QStringLiteral("demo"), QStringLiteral("check")};
    if (!commands.contains(a->command))
        return QStringLiteral("неизвестная команда «%1».").arg(a->command);
    if (!a->server.isEmpty() && a->command != QLatin1String("check"))
        return QStringLiteral("--db относится только к команде check (и к report, backup, migrate).");
    if (!a->server.isEmpty() && !a->dataFolder.isEmpty())
        return QStringLiteral("укажите либо --data, либо --db.");
    if (!a->photos.isEmpty() && a->command != QLatin1String("check"))
        return QStringLiteral("--photos относится только к команде check.");
    if (a->command != QLatin1String("demo") && (a->patients || a->seed || a->append))
        return QStringLiteral("--patients, --seed и --append относятся только к команде demo.");
    return {};
}

void print(QTextStream &stream, const QStringList &lines)
{
    for (const QString &line : lines)
        stream << line << '\n';
    stream.flush();
}

int runInit(const QString &folder, QTextStream &out, QTextStream &err)
{
    const InitResult r = initDatabase(folder);
    print(r.ok ? out : err, describeInit(r));
    return r.exitCode();
}

int runDemo(const Arguments &a, QTextStream &out, QTextStream &err)
{
    // Patients written under a running program would be overwritten by what it holds in memory.
    QLockFile lock(QDir(a.dataFolder).absoluteFilePath(QStringLiteral("tarvelo.lock")));
    if (QDir(a.dataFolder).exists()) {
        if (const QString refused = lockDataFolder(a.dataFolder, lock); !refused.isEmpty()) {
            print(err, {refused});
            return kExitFailure;
        }
    }
    db::Database database;
    QString error;
    if (!database.open(a.dataFolder, &error)) {
        print(err, {error});
        return kExitFailure;
    }
    DemoOptions options;
    options.patients = a.patients.value_or(options.patients);
    options.seed = a.seed.value_or(options.seed);
    options.append = a.append;
    QElapsedTimer timer;
    timer.start();
    const DemoResult result = generateDemo(database.sql(), options);
    const qint64 elapsed = timer.elapsed();
    if (!result.ok) {
        print(err, describeDemo(result));
        return kExitFailure;
    }
    {
        // A clinic's records come with their journal: the demonstration's says what wrote them.
        db::ChangeLog log;
        db::AuditLog journal(database, log);
        log.note(QStringLiteral("Записаны демонстрационные пациенты: %1.").arg(result.recordsOf(QStringLiteral("register"))),
                 QStringLiteral("register"));
        journal.flush();
    }
    const QString path = database.filePath();
    database.close();
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QStringList lines = describeDemo(result);
    lines << QStringLiteral("Время записи: %1 с.").arg(russian.toString(elapsed / 1000.0, 'f', 1));
    lines << QStringLiteral("Файл: %1 (%2 МБ).")
                 .arg(QDir::toNativeSeparators(path), russian.toString(QFileInfo(path).size() / 1048576.0, 'f', 1));
    print(out, lines);
    return kExitOk;
}

// The folder that holds foto/, as the program takes it: --photos, else PELORIN_PHOTOS, else the
// program folder.
QString photoRootOf(const Arguments &a)
{
    if (!a.photos.isEmpty())
        return a.photos;
    const QString fromEnvironment = folder::photoRootFromArguments({});
    return fromEnvironment.isEmpty() ? folder::root() : QDir(fromEnvironment).absolutePath();
}

int runServerCheck(const QString &server, const QString &photoRoot, QTextStream &out, QTextStream &err)
{
    db::Database database;
    CheckResult result;
    if (!database.openServer(server, &result.openError, db::Database::OpenMode::ReadOnly)) {
        print(err, describeCheck(result));
        return kExitFailure;
    }
    result = checkDatabase(database, photoRoot);
    checkJournal(database, QString(), result);
    print(out, describeCheck(result));
    return result.exitCode();
}

int runCheck(const QString &folder, const QString &photoRoot, QTextStream &out, QTextStream &err)
{
    const QString path = QDir(folder).absoluteFilePath(db::Database::fileName());
    if (!QFileInfo::exists(path)) {
        print(err, {QStringLiteral("Файл базы данных не найден: %1.").arg(QDir::toNativeSeparators(path))});
        return kExitFailure;
    }
    const CheckResult result = checkFolder(folder, photoRoot);
    print(result.openError.isEmpty() ? out : err, describeCheck(result));
    return result.exitCode();
}

} // namespace

int main(int argc, char *argv[])
{
    // Patient data: whatever SQLite or Qt makes for the commands is closed to others.
    safefile::keepFromOthers();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelorin-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    // A word whose bytes are not UTF-8 cannot be named again by the program: a path of it would lead
    // to another folder (its bytes replaced), so it is refused before anything is opened.
    for (int i = 1; i < argc; ++i) {
        const QByteArray word(argv[i]);
        if (QFile::encodeName(QFile::decodeName(word)) != word) {
            err << QStringLiteral("Ошибка: аргумент «%1» не в кодировке UTF-8; программа открывает только пути в UTF-8 "
                                  "(переименуйте папку или файл).")
                       .arg(QString::fromUtf8(word.toPercentEncoding("/._-")))
                << '\n';
            err.flush();
            return kExitBadArguments;
        }
    }
    const QStringList args = QCoreApplication::arguments();
    if (const qsizetype at = commandAt(args); at > 0 && args.at(at) == QLatin1String("report")) {
        QStringList words = args.mid(1);
        words.removeAt(at - 1);
        return runReport(words, out, err);
    }
    if (const qsizetype at = commandAt(args); at > 0 && args.at(at) == QLatin1String("maintain")) {
        QStringList words = args.mid(1);
        words.removeAt(at - 1);
        return runMaintain(words, out, err);
    }
    if (const qsizetype at = commandAt(args);
        at > 0 && (args.at(at) == QLatin1String("backup") || args.at(at) == QLatin1String("restore"))) {
        QStringList words = args.mid(1);
        words.removeAt(at - 1);
        return args.at(at) == QLatin1String("backup") ? runBackup(words, out, err) : runRestore(words, out, err);
    }

    if (const qsizetype at = commandAt(args); at > 0 && args.at(at) == QLatin1String("audit")) {
        QStringList words = args.mid(1);
        words.removeAt(at - 1);
        return runAudit(words, out, err);
    }
    if (const qsizetype at = commandAt(args); at > 0 && args.at(at) == QLatin1String("outcomes")) {
        QStringList words = args.mid(1);
        words.removeAt(at - 1);
        return runOutcomes(words, out, err);
    }
    if (const qsizetype at = commandAt(args); at > 0 && args.at(at) == QLatin1String("migrate")) {
        QStringList words = args.mid(1);
        words.removeAt(at - 1);
        return runMigrate(words, out, err);
    }

    Arguments a;
    if (const QString problem = parse(QCoreApplication::arguments(), &a); !problem.isEmpty()) {
        err << QStringLiteral("Ошибка: ") << problem << "\n\n" << usage();
        err.flush();
        return kExitBadArguments;
    }
    if (a.help) {
        out << usage();
        out.flush();
        return kExitOk;
    }
    if (a.server.isEmpty() && a.command == QLatin1String("check") && a.dataFolder.isEmpty())
        a.server = db::Database::resolveServerAlias(QCoreApplication::arguments()); // TARVELO=postgresql://...
    if (!a.server.isEmpty())
        return runServerCheck(a.server, photoRootOf(a), out, err);
    if (a.dataFolder.isEmpty())
        a.dataFolder = db::Database::resolveDataFolder(QCoreApplication::arguments());

    if (a.command == QLatin1String("init"))
        return runInit(a.dataFolder, out, err);
    if (a.command == QLatin1String("demo"))
        return runDemo(a, out, err);
    return runCheck(a.dataFolder, photoRootOf(a), out, err);
}
