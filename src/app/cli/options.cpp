#include "options.h"

#include "database.h"

#include <QDir>

namespace pelorin::cli {

QString walkOptions(const QStringList &words, const QStringList &flags,
                    const std::function<QString(const QString &flag)> &onFlag,
                    const std::function<QString(const QString &option, const QString &value)> &onValue)
{
    // The last of two values would win without a word: a mistyped repeat is said instead.
    static const QStringList repeatable = {QStringLiteral("--choice")};
    QStringList seen;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words.at(i);
        if (flags.contains(word)) {
            if (QString problem = onFlag(word); !problem.isEmpty())
                return problem;
            continue;
        }
        if (!word.startsWith(QLatin1String("--")))
            return QStringLiteral("лишний аргумент «%1».").arg(word);
        QString option = word;
        QString value;
        if (const qsizetype eq = word.indexOf(QLatin1Char('=')); eq > 0) {
            option = word.left(eq);
            value = word.mid(eq + 1);
        } else if (i + 1 < words.size() && !words.at(i + 1).startsWith(QLatin1String("--"))) {
            value = words.at(++i);
        }
        if (value.isEmpty())
            return QStringLiteral("после %1 нужно значение.").arg(option);
        if (seen.contains(option) && !repeatable.contains(option))
            return QStringLiteral("параметр %1 указан дважды.").arg(option);
        seen << option;
        if (QString problem = onValue(option, value); !problem.isEmpty())
            return problem;
    }
    return {};
}

int refuseArguments(QTextStream &err, const QString &problem, const QString &usage)
{
    err << QStringLiteral("Ошибка: ") << problem << QStringLiteral("\nИспользование:\n") << usage;
    err.flush();
    return kExitBadArguments;
}

QString lockDataFolder(const QString &folder, QLockFile &lock)
{
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return {};
    if (lock.error() == QLockFile::LockFailedError)
        return QStringLiteral("Программа открыта с базой данных в папке %1; закройте её и повторите.")
            .arg(QDir::toNativeSeparators(folder));
    return QStringLiteral("В папке %1 нельзя записывать.").arg(QDir::toNativeSeparators(folder));
}

QString wholeNumberOption(const QString &option, const QString &value, qint64 least, qint64 most, qint64 *out)
{
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    if (!ok || n < least || n > most)
        return QStringLiteral("%1: нужно целое число от %2 до %3, а не «%4».").arg(option).arg(least).arg(most).arg(value);
    *out = n;
    return {};
}

QString serverOption(const QString &option, const QString &value, QString *out)
{
    if (!db::Database::isServerAlias(value))
        return QStringLiteral("%1: нужен адрес вида postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА, а не «%2».")
            .arg(option, db::Database::aliasForPeople(value));
    *out = value;
    return {};
}

} // namespace pelorin::cli
