#include "check.h"

#include "auditlog.h"
#include "database.h"
#include "safefile.h"
#include "schema.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace pelorin::cli {

using db::Database;
using db::TableDef;

namespace {

// Tables the file holds before it is opened for work. A read-only look, so that a file that
// is already complete is not touched by init at all.
QSet<QString> tablesInFile(const QString &path)
{
    QSet<QString> tables;
    if (!QFileInfo(path).isFile())
        return tables;
    const QString connection = QStringLiteral("pelorin-cli-peek-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase peek = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        peek.setDatabaseName(path);
        peek.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=0"));
        if (peek.open()) {
            QSqlQuery q(peek);
            if (q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
                while (q.next())
                    tables.insert(q.value(0).toString());
            }
        }
        peek.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return tables;
}

// The table whose AutoInc key a detail's link finally points at. The anamnesis details follow
// anamnez_zab or anamnez_life on ID_man, which is the patient's key all the same.
const TableDef *owningMaster(const TableDef &detail)
{
    const TableDef *master = db::findTableByObject(QString::fromLatin1(detail.masterObject));
    while (master && !master->hasAutoIncKey() && *master->masterObject)
        master = db::findTableByObject(QString::fromLatin1(master->masterObject));
    return master;
}

QString ownerNoun(const QString &masterTable, bool genitiveOfNobody)
{
    if (masterTable == QLatin1String("register"))
        return genitiveOfNobody ? QStringLiteral("ни одному пациенту") : QStringLiteral("такого пациента");
    return genitiveOfNobody ? QStringLiteral("ни одному осмотру") : QStringLiteral("такого осмотра");
}

} // namespace

InitResult initDatabase(const QString &folder)
{
    InitResult result;
    result.filePath = QDir(folder).absoluteFilePath(Database::fileName());
    const QSet<QString> before = tablesInFile(result.filePath);
    Database database;
    QString error;
    if (!database.open(folder, &error)) {
        result.error = error;
        return result;
    }
    result.ok = true;
    for (const TableDef &t : db::allTables()) {
        if (!before.contains(QString::fromLatin1(t.sqlName)))
            result.created = true;
    }
    return result;
}

QStringList describeInit(const InitResult &result)
{
    if (!result.ok)
        return {result.error};
    const QString path = QDir::toNativeSeparators(result.filePath);
    if (result.created)
        return {QStringLiteral("База данных создана: %1 (таблиц: %2).").arg(path).arg(db::allTables().size())};
    return {QStringLiteral("База данных уже существует: %1. Все таблицы на месте, ничего не изменено.").arg(path)};
}

namespace {

void checkPhotos(QSqlDatabase &sql, const QString &programFolder, CheckResult &result)
{
    QSet<QString> named;
    QSqlQuery q(sql);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT \"Id\", \"Link\" FROM osmotr_img ORDER BY \"Id\""))) {
        result.integrityProblems << QStringLiteral("Не удалось проверить таблицу osmotr_img: %1").arg(db::describeEngineError(q.lastError().text()));
        return;
    }
    const QDir root(programFolder);
    const QString foto = root.absoluteFilePath(QStringLiteral("foto"));
    while (q.next()) {
        const QString link = q.value(1).toString();
        const qint64 id = q.value(0).toLongLong();
        if (link.trimmed().isEmpty()) {
            result.photosWithoutLink << id;
            continue;
        }
        QString relative = QString(link).replace(QLatin1Char('\\'), QLatin1Char('/'));
        named.insert(relative.toLower());
        if (programFolder.isEmpty())
            continue;
        // Resolved as the program resolves it: inside foto/ or not at all.
        while (relative.startsWith(QLatin1Char('/')))
            relative.remove(0, 1);
        const QString file = relative.startsWith(QLatin1String("foto/"), Qt::CaseInsensitive)
                                 ? safefile::inside(foto, relative.mid(5))
                                 : QString();
        if (file.isEmpty())
            result.photosOutside << PhotoRow{id, link};
        else if (!QFileInfo(file).isFile())
            result.photosMissing << PhotoRow{id, link};
    }
    if (programFolder.isEmpty())
        return;
    QDirIterator it(foto, QDir::Files, QDirIterator::Subdirectories);
    QStringList stray;
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        if (!named.contains(relative.toLower()))
            stray << QString(relative).replace(QLatin1Char('/'), QLatin1Char('\\'));
    }
    stray.sort();
    result.strayPhotoFiles = stray;
}

} // namespace

CheckResult checkDatabase(Database &database, const QString &programFolder)
{
    CheckResult result;
    result.onServer = database.backend() == Database::Backend::PostgreSQL;
    result.integrityProblems = database.integrityCheck();
    QSqlDatabase &sql = database.sql();
    for (const TableDef &t : db::allTables()) {
        if (!*t.linkField)
            continue;
        const TableDef *master = owningMaster(t);
        if (!master)
            continue;
        ++result.tablesChecked;
        const QString table = QString::fromLatin1(t.sqlName);
        const QString key = t.rowKeyColumn();
        const QString link = QString::fromLatin1(t.linkField);
        const QString masterTable = QString::fromLatin1(master->sqlName);
        const QString masterKey = QString::fromLatin1(master->keyField);

        QSqlQuery count(sql);
        if (count.exec(QStringLiteral("SELECT count(*) FROM %1").arg(db::quoteIdentifier(table))) && count.next())
            result.recordsChecked += count.value(0).toLongLong();

        // Only names from the table definitions go into the text; no stored value does.
        QSqlQuery q(sql);
        q.setForwardOnly(true);
        const QString text =
            QStringLiteral("SELECT d.%1, d.%2 FROM %3 AS d "
                           "WHERE d.%2 IS NULL OR NOT EXISTS (SELECT 1 FROM %4 AS m WHERE m.%5 = d.%2) "
                           "ORDER BY d.%1")
                .arg(db::quoteIdentifier(key), db::quoteIdentifier(link), db::quoteIdentifier(table),
                     db::quoteIdentifier(masterTable), db::quoteIdentifier(masterKey));
        if (!q.exec(text)) {
            result.integrityProblems
                << QStringLiteral("Не удалось проверить таблицу %1: %2").arg(table, db::describeEngineError(q.lastError().text()));
            continue;
        }
        while (q.next()) {
            Orphan o;
            o.table = table;
            o.keyField = key;
            o.key = q.value(0).toLongLong();
            o.linkField = link;
            o.link = q.value(1).isNull() ? QVariant() : q.value(1);
            o.masterTable = masterTable;
            o.masterField = masterKey;
            result.orphans << o;
        }
    }
    checkPhotos(sql, programFolder, result);
    return result;
}

void checkJournal(Database &database, const QString &dataFolder, CheckResult &result)
{
    result.journalProblems = db::AuditLog::findings(database.sql(), dataFolder);
}

CheckResult checkFolder(const QString &folder, const QString &programFolder)
{
    Database database;
    CheckResult result;
    if (!database.open(folder, &result.openError, Database::OpenMode::ReadOnly))
        return result;
    result = checkDatabase(database, programFolder);
    checkJournal(database, folder, result);
    return result;
}

QString describeOrphan(const Orphan &o)
{
    // Rows of tables without an AutoInc key are named by their place of creation.
    const QString row = o.keyField == QLatin1String(db::kHiddenRowKey)
                            ? QStringLiteral("строка %1").arg(o.key)
                            : QStringLiteral("%1 = %2").arg(o.keyField).arg(o.key);
    if (o.blankLink()) {
        return QStringLiteral("%1, %2: поле %3 пустое — запись не принадлежит %4 (%5.%6).")
            .arg(o.table, row, o.linkField, ownerNoun(o.masterTable, true), o.masterTable, o.masterField);
    }
    return QStringLiteral("%1, %2: %3 = %4 — %5 нет (%6.%7).")
        .arg(o.table, row, o.linkField, o.link.toString(), ownerNoun(o.masterTable, false), o.masterTable,
             o.masterField);
}

QStringList describeCheck(const CheckResult &result)
{
    QStringList lines;
    if (!result.openError.isEmpty())
        return {result.openError};
    for (const QString &problem : result.integrityProblems)
        lines << QStringLiteral("Нарушение целостности файла: %1").arg(problem);
    for (const Orphan &o : result.orphans)
        lines << describeOrphan(o);
    for (const qint64 id : result.photosWithoutLink)
        lines << QStringLiteral("osmotr_img, Id = %1: поле Link пустое — копии фотографии нет.").arg(id);
    for (const QString &problem : result.journalProblems)
        lines << QStringLiteral("Журнал изменений: %1").arg(problem);
    for (const PhotoRow &row : result.photosOutside)
        lines << QStringLiteral("osmotr_img, Id = %1: поле Link «%2» ведёт за пределы папки фотографий — "
                                "такой файл программа не читает и не удаляет.")
                     .arg(row.id)
                     .arg(row.link);
    for (const PhotoRow &row : result.photosMissing)
        lines << QStringLiteral("osmotr_img, Id = %1: файла фотографии «%2» нет.").arg(row.id).arg(row.link);
    for (const QString &file : result.strayPhotoFiles)
        lines << QStringLiteral("%1: файл фотографии не указан ни в одной записи osmotr_img.").arg(file);

    if (result.onServer)
        lines << QStringLiteral("Целостность хранения записей на сервере PostgreSQL проверяет сам сервер.");
    else if (result.integrityProblems.isEmpty())
        lines << QStringLiteral("Проверка целостности файла: нарушений нет.");
    else
        lines << QStringLiteral("Проверка целостности файла: найдено нарушений: %1.")
                     .arg(result.integrityProblems.size());
    const QString scope =
        QStringLiteral("Проверено таблиц: %1, записей: %2.").arg(result.tablesChecked).arg(result.recordsChecked);
    if (result.orphans.isEmpty()) {
        lines << scope + QStringLiteral(" Записей без пациента или осмотра нет.");
    } else {
        qsizetype blank = 0;
        for (const Orphan &o : result.orphans) {
            if (o.blankLink())
                ++blank;
        }
        lines << scope + QStringLiteral(" Записей без пациента или осмотра: %1 (из них с пустой ссылкой: %2).")
                             .arg(result.orphans.size())
                             .arg(blank);
    }
    return lines;
}

} // namespace pelorin::cli
