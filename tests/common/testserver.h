#pragma once

// The throw-away PostgreSQL database of the server tests: PELORIN_TEST_PG names it (scripts/test.sh
// starts a server and sets it); each server case starts on it emptied.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QUrl>

namespace pelorin::testing {

inline QString serverAlias()
{
    return qEnvironmentVariable("PELORIN_TEST_PG");
}

// Drops every table of the test database through a connection of its own; false with the server's
// words in *error.
inline bool emptyServer(QString *error)
{
    const QUrl url(serverAlias());
    const QString name = QStringLiteral("pelorin-test-server-reset");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(QStringLiteral("SET client_min_messages = warning")) &&
                 q.exec(QStringLiteral("DROP SCHEMA public CASCADE")) && q.exec(QStringLiteral("CREATE SCHEMA public"));
            if (!ok)
                *error = q.lastError().text();
        } else {
            *error = db.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace pelorin::testing
