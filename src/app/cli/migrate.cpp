#include "migrate.h"

#include "database.h"
#include "fieldvalue.h"
#include "options.h"
#include "schema.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

#include <cmath>
#include <vector>

namespace pelorin::cli {

namespace {

// A table as both sides store it: its stored columns with their types, its key column first.
struct Layout
{
    QString table;
    QString key;
    QStringList columns;
    QList<db::FieldType> types;
};

QList<Layout> layouts()
{
    QList<Layout> out;
    for (const db::TableDef &t : db::allTables()) {
        Layout l;
        l.table = QString::fromLatin1(t.sqlName);
        l.key = t.rowKeyColumn();
        if (!t.hasAutoIncKey()) {
            l.columns << QString::fromLatin1(db::kHiddenRowKey);
            l.types << db::FieldType::AutoInc;
        }
        for (const db::FieldDef &f : t.fields) {
            if (f.calculated)
                continue;
            l.columns << QString::fromLatin1(f.name);
            l.types << f.type;
        }
        out << l;
    }
    // The program's own tables (layout 2); a file's journal rows name no seat, so Seat is not moved.
    out << Layout{QStringLiteral("clinic_settings"), QStringLiteral("Name"), {QStringLiteral("Name"), QStringLiteral("Value")},
                  {db::FieldType::String, db::FieldType::String}};
    out << Layout{QStringLiteral("audit_log"), QStringLiteral("ID"),
                  {QStringLiteral("ID"), QStringLiteral("Stamp"), QStringLiteral("ID_man"), QStringLiteral("Tabl"),
                   QStringLiteral("Text"), QStringLiteral("Hash")},
                  {db::FieldType::AutoInc, db::FieldType::String, db::FieldType::Integer, db::FieldType::String,
                   db::FieldType::Memo, db::FieldType::Memo}};
    return out;
}

QString quotedList(const QStringList &names, bool quote)
{
    QStringList q;
    for (const QString &n : names)
        q << (quote ? db::quoteIdentifier(n) : n);
    return q.join(QStringLiteral(", "));
}

// Row count and the sum of the keys: a row lost, doubled or renumbered changes one of them.
bool tally(QSqlDatabase &sql, const Layout &l, bool quote, qint64 *rows, QString *keySum, QString *error)
{
    QSqlQuery q(sql);
    const QString key = quote ? db::quoteIdentifier(l.key) : l.key;
    const QString table = quote ? db::quoteIdentifier(l.table) : l.table;
    // Text keys (clinic_settings) are counted only.
    const QString sum = l.table == QLatin1String("clinic_settings") ? QStringLiteral("0")
                                                                      : QStringLiteral("sum(%1)").arg(key);
    if (!q.exec(QStringLiteral("SELECT count(*), %1 FROM %2").arg(sum, table)) || !q.next()) {
        *error = db::describeEngineError(q.lastError().text());
        return false;
    }
    *rows = q.value(0).toLongLong();
    *keySum = q.value(1).isNull() ? QStringLiteral("0") : QString::number(q.value(1).toLongLong());
    return true;
}

// Appends one value as a field of a row inside an array's text: a row's field is quoted and escaped
// once for the row and once more for the array it stands in; a blank field is NULL. What is written
// is what the driver would have written for the value alone.
void appendField(QString &out, const QVariant &v)
{
    if (v.isNull())
        return;
    QString text;
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        text = std::isnan(d) ? QStringLiteral("NaN")
                             : std::isinf(d) ? (d > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity"))
                                             : v.toString();
    } else {
        text = v.toString();
    }
    out += QLatin1String("\\\"");
    for (const QChar c : std::as_const(text)) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\\\\\");
        else if (c == QLatin1Char('"'))
            out += QLatin1String("\\\\\\\"");
        else
            out += c;
    }
    out += QLatin1String("\\\"");
}

// The columns of a server table in their order there; empty with the server's words in *error.
QStringList serverColumns(QSqlDatabase &sql, const QString &table, QString *error)
{
    QStringList columns;
    QSqlQuery q(sql);
    q.prepare(QStringLiteral("SELECT attname FROM pg_attribute WHERE attrelid = to_regclass(?) AND attnum > 0 "
                             "AND NOT attisdropped ORDER BY attnum"));
    q.addBindValue(table);
    if (!q.exec()) {
        *error = db::describeEngineError(q.lastError().text());
        return columns;
    }
    while (q.next())
        columns << q.value(0).toString();
    return columns;
}

} // namespace

MigrateResult migrateClinic(const QString &folder, const QString &alias, int rowsPerStatement)
{
    MigrateResult r;
    db::Database source;
    QString error;
    if (!source.open(folder, &error, db::Database::OpenMode::ReadOnly)) {
        r.error = error;
        return r;
    }
    QSqlQuery version(source.sql());
    const bool layout2 = version.exec(QStringLiteral("PRAGMA user_version")) && version.next() &&
                         version.value(0).toInt() >= 2;
    version.finish();
    db::Database target;
    // The tables are made in the move's own transaction: a move stopped at any point, a kill included,
    // leaves the server database as empty as it found it.
    if (!target.openServer(alias, &error, db::Database::OpenMode::CreateInOpenTransaction)) {
        r.error = error;
        return r;
    }
    const QList<Layout> tables = layouts();
    // Only into an empty database: two clinics' records must never mix under the same keys.
    for (const Layout &l : tables) {
        qint64 rows = 0;
        QString sum;
        if (!tally(target.sql(), l, l.table != QLatin1String("clinic_settings") && l.table != QLatin1String("audit_log"),
                   &rows, &sum, &error)) {
            QSqlQuery(target.sql()).exec(QStringLiteral("ROLLBACK"));
            r.error = error;
            return r;
        }
        if (rows > 0) {
            QSqlQuery(target.sql()).exec(QStringLiteral("ROLLBACK"));
            r.error = QStringLiteral("База данных на сервере не пуста (в таблице %1 записей: %2): перенос делается только "
                                     "в пустую базу.")
                          .arg(l.table)
                          .arg(rows);
            return r;
        }
    }
    QSqlDatabase &to = target.sql();
    auto fail = [&](const QString &why) {
        QSqlQuery(to).exec(QStringLiteral("ROLLBACK"));
        r.counts.clear();
        r.error = QStringLiteral("Перенос не сделан, на сервер ничего не записано. ") + why;
        return r;
    };
    for (const Layout &l : tables) {
        if (!layout2 && (l.table == QLatin1String("clinic_settings") || l.table == QLatin1String("audit_log")))
            continue;
        // The layout-1 tables are quoted on both sides; the program's own later tables are not.
        const bool quote = l.table != QLatin1String("clinic_settings") && l.table != QLatin1String("audit_log");
        const QString target = quote ? db::quoteIdentifier(l.table) : l.table;
        const QStringList there = serverColumns(to, target, &error);
        if (there.isEmpty())
            return fail(error.isEmpty() ? QStringLiteral("Таблица %1: её нет на сервере.").arg(l.table) : error);
        QSqlQuery read(source.sql());
        read.setForwardOnly(true);
        if (!read.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                           .arg(quotedList(l.columns, quote), quote ? db::quoteIdentifier(l.table) : l.table,
                                quote ? db::quoteIdentifier(l.key) : l.key)))
            return fail(db::describeEngineError(read.lastError().text()));
        // Many rows go in one statement, bound as one array of the table's own rows: the server's
        // driver binds a value by writing it into an EXECUTE, and the server works through every such
        // value as an expression of its own, which cost a large clinic's move a quarter of an hour
        // row by row and barely less with many rows a statement; an array's rows are only read, each
        // field by its column's type and length, so a text too long for its column is still refused.
        const int columns = int(l.columns.size());
        std::vector<int> place(static_cast<size_t>(columns)); // column moved -> its place in the server's row
        for (int i = 0; i < columns; ++i) {
            place[size_t(i)] = int(there.indexOf(quote ? l.columns[i] : l.columns[i].toLower()));
            if (place[size_t(i)] < 0)
                return fail(QStringLiteral("Таблица %1: на сервере нет поля %2.").arg(l.table, l.columns[i]));
        }
        QSqlQuery write(to);
        if (!write.prepare(QStringLiteral("INSERT INTO %1 (%2) OVERRIDING SYSTEM VALUE SELECT %2 FROM unnest(CAST(? AS %1[]))")
                               .arg(target, quotedList(l.columns, quote))))
            return fail(db::describeEngineError(write.lastError().text()));
        const int chunk = rowsPerStatement > 0 ? rowsPerStatement : kRowsPerInsert;
        QString rows;
        int pending = 0;
        auto writePending = [&]() {
            write.bindValue(0, QString(QLatin1Char('{') + rows + QLatin1Char('}')));
            rows.clear();
            pending = 0;
            return write.exec();
        };
        std::vector<QVariant> fields(static_cast<size_t>(there.size()));
        qint64 moved = 0;
        while (read.next()) {
            for (int i = 0; i < columns; ++i)
                fields[size_t(place[size_t(i)])] = db::toStorage(l.types[i], db::fromStorage(l.types[i], read.value(i)));
            if (pending > 0)
                rows += QLatin1Char(',');
            rows += QLatin1String("\"(");
            for (size_t f = 0; f < fields.size(); ++f) {
                if (f > 0)
                    rows += QLatin1Char(',');
                appendField(rows, fields[f]);
            }
            rows += QLatin1String(")\"");
            ++moved;
            if (++pending == chunk && !writePending())
                return fail(QStringLiteral("Таблица %1: %2").arg(l.table, db::describeEngineError(write.lastError().text())));
        }
        if (pending > 0 && !writePending())
            return fail(QStringLiteral("Таблица %1: %2").arg(l.table, db::describeEngineError(write.lastError().text())));
        // New keys on the server go on after the moved ones, never over them.
        if (l.types.first() == db::FieldType::AutoInc && moved > 0) {
            QSqlQuery seq(to);
            const QString table = quote ? db::quoteIdentifier(l.table) : l.table;
            const QString column = quote ? db::quoteIdentifier(l.columns.first()) : l.columns.first();
            if (!seq.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), (SELECT max(%3) FROM %1))")
                              .arg(table, quote ? l.columns.first() : l.columns.first().toLower(), column)))
                return fail(db::describeEngineError(seq.lastError().text()));
        }
        // Both sides counted again: rows and the sum of their keys.
        qint64 sourceRows = 0, targetRows = 0;
        QString sourceSum, targetSum;
        if (!tally(source.sql(), l, quote, &sourceRows, &sourceSum, &error) ||
            !tally(to, l, quote, &targetRows, &targetSum, &error))
            return fail(error);
        if (sourceRows != targetRows || sourceSum != targetSum || moved != sourceRows) {
            return fail(QStringLiteral("Таблица %1: в файле записей %2, на сервере %3.")
                            .arg(l.table)
                            .arg(sourceRows)
                            .arg(targetRows));
        }
        r.counts << qMakePair(l.table, moved);
    }
    if (!QSqlQuery(to).exec(QStringLiteral("COMMIT")))
        return fail(db::describeEngineError(to.lastError().text()));
    r.ok = true;
    return r;
}

QString migrateUsage()
{
    return QStringLiteral(
        "  pelorin-cli migrate --from ПАПКА --to postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА\n"
        "      переносит клинику из файла папки в пустую базу на сервере PostgreSQL одной транзакцией\n"
        "      и сверяет число записей и ключи каждой таблицы; пароль берётся из ~/.pgpass или PGPASSWORD;\n");
}

int runMigrate(const QStringList &words, QTextStream &out, QTextStream &err)
{
    QString from, to;
    bool help = false;
    const QString problem = walkOptions(
        words, {QStringLiteral("--help"), QStringLiteral("-h")},
        [&help](const QString &) {
            help = true;
            return QString();
        },
        [&](const QString &option, const QString &value) -> QString {
            if (option == QLatin1String("--from"))
                from = QDir(value).absolutePath();
            else if (option == QLatin1String("--to"))
                to = value;
            else
                return QStringLiteral("неизвестный параметр «%1».").arg(option);
            return {};
        });
    if (help) {
        out << migrateUsage();
        out.flush();
        return 0;
    }
    QString complaint = problem;
    if (complaint.isEmpty() && (from.isEmpty() || to.isEmpty()))
        complaint = QStringLiteral("нужны --from ПАПКА и --to postgresql://….");
    if (complaint.isEmpty() && !db::Database::isServerAlias(to))
        complaint = QStringLiteral("--to: нужен адрес сервера вида postgresql://пользователь@сервер:порт/база.");
    if (!complaint.isEmpty()) {
        return refuseArguments(err, complaint, migrateUsage());
    }
    const MigrateResult r = migrateClinic(from, to);
    if (!r.ok) {
        err << r.error << '\n';
        err.flush();
        return 1;
    }
    qint64 all = 0;
    for (const auto &[table, rows] : r.counts) {
        out << table << '\t' << rows << '\n';
        all += rows;
    }
    out << QStringLiteral("Перенос закончен: таблиц %1, записей %2; число записей и ключи сверены.")
               .arg(r.counts.size())
               .arg(all)
        << '\n';
    out.flush();
    return 0;
}

} // namespace pelorin::cli
