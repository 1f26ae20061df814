#include "audit.h"

#include "auditlog.h"
#include "database.h"
#include "journalwords.h"
#include "options.h"

#include <QDate>
#include <QDir>
#include <QSqlQuery>
#include <QTextStream>

namespace pelorin::cli {

namespace {

constexpr int kAuditSound = 0;
constexpr int kAuditBroken = 1;

int fail(QTextStream &err, const QString &text)
{
    err << text << '\n';
    err.flush();
    return kAuditBroken;
}

// A day as the doctor writes it (31.12.2025) or as files do (2025-12-31).
QDate dayOf(const QString &text)
{
    QDate d = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    if (!d.isValid())
        d = QDate::fromString(text, Qt::ISODate);
    return d;
}

// The stored stamp as the doctor reads it: 11.12.2026 09:41:07.
QString stampForPeople(const QString &stamp)
{
    const QDateTime when = QDateTime::fromString(stamp, Qt::ISODateWithMs);
    return when.isValid() ? when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : stamp;
}

} // namespace

QString auditUsage()
{
    return QStringLiteral(
        "  pelorin-cli audit   --data ПАПКА [--card НОМЕР | --patient КЛЮЧ] [--from ДАТА] [--to ДАТА]\n"
        "      печатает постоянный журнал изменений (номер записи, время, пациент: номер карты и фамилия,\n"
        "      запись: осмотр, процедура ПУВА, диагноз…, строка) для всех пациентов или одного (по номеру\n"
        "      амбулаторной карты или по ключу ID_man), за дни с ДАТА по ДАТА (ДД.ММ.ГГГГ), и проверяет\n"
        "      цепочку SHA-256 по всему журналу: код 1, если запись изменена или удалена; хэш последней\n"
        "      записи стоит записать вне файла: по нему видно и удаление записей с конца журнала;\n"
        "      вместо --data ПАПКА — --db postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА: журнал на сервере\n"
        "      (последний столбец — рабочее место, сделавшее запись);\n");
}

int runAudit(const QStringList &words, QTextStream &out, QTextStream &err)
{
    QString folder;
    QString server;
    db::AuditLog::Filter filter;
    qint64 card = 0;
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
        } else if (option == QLatin1String("--patient")) {
            qint64 id = 0;
            if (QString problem = wholeNumberOption(option, value, 1, std::numeric_limits<qint64>::max(), &id);
                !problem.isEmpty())
                return problem;
            filter.patient = id;
        } else if (option == QLatin1String("--card")) {
            if (QString problem = wholeNumberOption(option, value, 1, std::numeric_limits<qint64>::max(), &card);
                !problem.isEmpty())
                return problem;
        } else if (option == QLatin1String("--from") || option == QLatin1String("--to")) {
            const QDate day = dayOf(value);
            if (!day.isValid())
                return QStringLiteral("%1: нужна дата вида ДД.ММ.ГГГГ, а не «%2».").arg(option, value);
            (option == QLatin1String("--from") ? filter.from : filter.to) = day;
        } else {
            return QStringLiteral("неизвестный параметр «%1».").arg(option);
        }
        return {};
    };
    if (const QString problem = walkOptions(words, {QStringLiteral("--help"), QStringLiteral("-h")}, onFlag, onValue);
        !problem.isEmpty()) {
        return refuseArguments(err, problem, auditUsage());
    }
    if (help) {
        out << auditUsage();
        out.flush();
        return kAuditSound;
    }
    if (filter.from.isValid() && filter.to.isValid() && filter.from > filter.to)
        return refuseArguments(err, QStringLiteral("дата --from позже даты --to."), auditUsage());
    if (!server.isEmpty() && !folder.isEmpty())
        return refuseArguments(err, QStringLiteral("укажите либо --data, либо --db."), auditUsage());
    if (server.isEmpty() && folder.isEmpty())
        server = db::Database::resolveServerAlias({}); // TARVELO=postgresql://...
    if (server.isEmpty() && folder.isEmpty())
        folder = db::Database::resolveDataFolder({});

    // Read-only: the journal is looked at, never written, even while the program works on the file.
    db::Database database;
    QString error;
    if (!(server.isEmpty() ? database.open(folder, &error, db::Database::OpenMode::ReadOnly)
                           : database.openServer(server, &error, db::Database::OpenMode::ReadOnly)))
        return fail(err, error);
    if (!db::AuditLog::present(database.sql())) {
        const db::AuditLog::Verdict verdict = db::AuditLog::verify(database.sql());
        if (!verdict.sound)
            return fail(err, QStringLiteral("Журнал нарушен: ") + verdict.problem);
        out << QStringLiteral("В файле ещё нет постоянного журнала: его начнёт программа при следующем открытии файла.")
            << '\n';
        out.flush();
        return kAuditSound;
    }

    // A card number the words cannot be taken with is refused as any other word is.
    const auto refuseCard = [&err](const QString &text) {
        err << text << '\n';
        err.flush();
        return kExitBadArguments;
    };
    if (card > 0) {
        if (!filter.patient.isNull())
            return refuseCard(QStringLiteral("Ошибка: укажите либо --card, либо --patient."));
        QSqlQuery q(database.sql());
        q.prepare(QStringLiteral("SELECT \"ID_man\" FROM register WHERE \"Amb_karta\" = ?"));
        q.addBindValue(card);
        if (!q.exec() || !q.next())
            return refuseCard(QStringLiteral("Ошибка: пациента с картой %1 в базе нет.").arg(card));
        filter.patient = q.value(0).toLongLong();
        if (q.next())
            return refuseCard(
                QStringLiteral("Ошибка: карта %1 записана у нескольких пациентов; укажите --patient.").arg(card));
    }

    QList<db::AuditEntry> rows;
    if (!db::AuditLog::read(database.sql(), filter, &rows, &error))
        return fail(err, error);
    db::JournalWords said(database.sql());
    for (const db::AuditEntry &e : rows) {
        const QString kind = db::JournalWords::record(e.table);
        out << e.id << '\t' << stampForPeople(e.stamp) << '\t' << said.patient(e.patient) << '\t'
            << (kind.isEmpty() ? QStringLiteral("-") : kind) << '\t' << e.text;
        // Rows of a server name the seat that wrote them.
        if (!e.seat.isEmpty())
            out << '\t' << e.seat;
        out << '\n';
    }
    out << QStringLiteral("Записей показано: %1.").arg(rows.size()) << '\n';
    out.flush();

    const db::AuditLog::Verdict verdict = db::AuditLog::verify(database.sql());
    if (!verdict.sound)
        return fail(err, QStringLiteral("Журнал нарушен: ") + verdict.problem);
    // A whole chain may still be a cut one: its end is held against the ends kept beside the file.
    if (const QStringList found = db::AuditLog::findings(database.sql(), server.isEmpty() ? folder : QString());
        !found.isEmpty())
        return fail(err, QStringLiteral("Журнал нарушен: ") + found.join(QLatin1Char(' ')));
    out << QStringLiteral("Цепочка записей журнала цела: записей %1.").arg(verdict.rows) << '\n';
    // Rows cut off the end leave a whole chain: the last hash, noted outside the file, shows them later.
    out << QStringLiteral("Хэш последней записи: %1").arg(verdict.lastHash) << '\n';
    out.flush();
    return kAuditSound;
}

} // namespace pelorin::cli
