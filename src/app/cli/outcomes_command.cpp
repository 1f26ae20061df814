#include "outcomes_command.h"

#include "check.h"
#include "database.h"
#include "options.h"
#include "outcomes.h"
#include "outcomes_workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace pelorin::cli {

namespace {

int fail(QTextStream &err, const QString &text)
{
    err << text << '\n';
    err.flush();
    return kExitFailure;
}

// Written through a temporary file; a symbolic link at the name is refused, and the names of patients
// stay with the file's owner and group.
bool writeFile(const QString &path, const QByteArray &data, QString *error)
{
    if (QFileInfo(path).isSymLink()) {
        *error = QStringLiteral("Файл «%1» — символическая ссылка; запись через неё не выполняется.")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        *error = QStringLiteral("Не удалось записать файл «%1»: %2.")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                    QFileDevice::WriteGroup);
    return true;
}

} // namespace

QString outcomesUsage()
{
    return QStringLiteral(
        "  pelorin-cli outcomes --data ПАПКА [--from ДАТА] [--to ДАТА] [--courses ФАЙЛ.csv] [--xlsx ФАЙЛ]\n"
        "      итоги лечения ПУВА: по годам окончания курсов — курсов, пациентов, курсов с данными, доля\n"
        "      достигших PASI 75 и SCORAD 50, медианы процедур и дозы для достигших PASI 75, медиана\n"
        "      ремиссии; курсы, окончившиеся с ДАТА по ДАТА (ДД.ММ.ГГГГ); --courses записывает таблицу\n"
        "      курсов в CSV (UTF-8, «;», десятичная запятая), --xlsx — обе таблицы в книгу Excel;\n"
        "      вместо --data ПАПКА — --db postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА;\n");
}

int runOutcomes(const QStringList &words, QTextStream &out, QTextStream &err)
{
    QString folder;
    QString server;
    QDate from;
    QDate to;
    QString coursesFile;
    QString workbookFile;
    bool help = false;
    auto onFlag = [&help](const QString &) {
        help = true;
        return QString();
    };
    auto onValue = [&](const QString &option, const QString &value) -> QString {
        if (option == QLatin1String("--data")) {
            folder = QDir(value).absolutePath();
        } else if (option == QLatin1String("--db")) {
            return serverOption(option, value, &server);
        } else if (option == QLatin1String("--from") || option == QLatin1String("--to")) {
            const QDate day = QDate::fromString(value, QStringLiteral("dd.MM.yyyy"));
            if (!day.isValid())
                return QStringLiteral("%1: нужна дата вида ДД.ММ.ГГГГ, а не «%2».").arg(option, value);
            (option == QLatin1String("--from") ? from : to) = day;
        } else if (option == QLatin1String("--courses")) {
            coursesFile = QDir(value).absolutePath();
        } else if (option == QLatin1String("--xlsx")) {
            workbookFile = QDir(value).absolutePath();
        } else {
            return QStringLiteral("неизвестный параметр «%1».").arg(option);
        }
        return {};
    };
    if (const QString problem = walkOptions(words, {QStringLiteral("--help"), QStringLiteral("-h")}, onFlag, onValue);
        !problem.isEmpty()) {
        return fail(err, QStringLiteral("Ошибка: ") + problem + QStringLiteral("\nИспользование:\n") + outcomesUsage());
    }
    if (help) {
        out << outcomesUsage();
        out.flush();
        return kExitOk;
    }
    if (from.isValid() && to.isValid() && from > to)
        return fail(err, QStringLiteral("Ошибка: дата --from позже даты --to."));
    if (!server.isEmpty() && !folder.isEmpty())
        return fail(err, QStringLiteral("Ошибка: укажите либо --data, либо --db."));
    if (!coursesFile.isEmpty() && coursesFile == workbookFile)
        return fail(err, QStringLiteral("Ошибка: --courses и --xlsx называют один файл."));
    if (server.isEmpty() && folder.isEmpty())
        server = db::Database::resolveServerAlias({}); // TARVELO=postgresql://...
    if (server.isEmpty() && folder.isEmpty())
        folder = db::Database::resolveDataFolder({});

    // Only read: the figures may be taken while the program works on the same records.
    db::Database database;
    QString error;
    if (!(server.isEmpty() ? database.open(folder, &error, db::Database::OpenMode::ReadOnly)
                           : database.openServer(server, &error, db::Database::OpenMode::ReadOnly)))
        return fail(err, error);
    treatment::TreatmentOutcomes outcomes;
    if (!treatment::computeOutcomes(database, from, to, &outcomes, &error))
        return fail(err, error);

    out << QStringLiteral("Итоги лечения ПУВА %1: курсов %2.")
               .arg(documents::periodText(from, to))
               .arg(outcomes.courses.size())
        << '\n';
    out << treatment::summaryText(outcomes);
    out.flush();

    if (!coursesFile.isEmpty()) {
        if (!writeFile(coursesFile, treatment::coursesCsv(outcomes.courses), &error))
            return fail(err, error);
        out << QStringLiteral("Таблица курсов: %1.").arg(QDir::toNativeSeparators(coursesFile)) << '\n';
    }
    if (!workbookFile.isEmpty()) {
        if (!documents::writeOutcomesWorkbook(outcomes, from, to, documents::outcomesTemplatePath(), workbookFile,
                                              &error))
            return fail(err, error);
        out << QStringLiteral("Книга Excel: %1.").arg(QDir::toNativeSeparators(workbookFile)) << '\n';
    }
    out.flush();
    return kExitOk;
}

} // namespace pelorin::cli
