#pragma once

#include "dialogs.h"

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>

// What the commands of pelorin-cli share in reading their words and in answering for the windows.
namespace pelorin::cli {

// The exit status of every command whose words cannot be taken: unknown, repeated or missing options.
inline constexpr int kExitBadArguments = 2;

// Prints "Ошибка: <problem>" and the command's usage to standard error; returns kExitBadArguments.
int refuseArguments(QTextStream &err, const QString &problem, const QString &usage);

// Walks the words of a command: a word of `flags` goes to onFlag; "--option value" and
// "--option=value" go to onValue. A bare word, an option without a value, an option given twice
// (but for --choice, which names one list each time) and the first complaint of a handler end the
// walk; the complaint is returned (empty when all was taken).
QString walkOptions(const QStringList &words, const QStringList &flags,
                    const std::function<QString(const QString &flag)> &onFlag,
                    const std::function<QString(const QString &option, const QString &value)> &onValue);

// The value of `option` as a whole number from least to most into *out; the complaint otherwise.
QString wholeNumberOption(const QString &option, const QString &value, qint64 least, qint64 most, qint64 *out);

// The value of `option` as the address of a server, postgresql://USER@HOST:PORT/DB, into *out; the
// complaint otherwise, which shows the address as people may see it (never a password).
QString serverOption(const QString &option, const QString &value, QString *out);

// Takes the lock file tarvelo.lock of the data folder, which the program holds while it runs, for
// a command that writes the database. An empty text when taken; the Russian refusal otherwise (the
// program is open with the folder, or the folder cannot be written).
QString lockDataFolder(const QString &folder, QLockFile &lock);

// Installs a dialogs implementation for the lifetime of the object and puts the previous one back.
class DialogsScope
{
public:
    explicit DialogsScope(Dialogs *dialogs) : m_previous(&Dialogs::instance()) { Dialogs::setInstance(dialogs); }
    ~DialogsScope() { Dialogs::setInstance(m_previous); }
    DialogsScope(const DialogsScope &) = delete;
    DialogsScope &operator=(const DialogsScope &) = delete;

private:
    Dialogs *m_previous;
};

} // namespace pelorin::cli
