#pragma once

// The throw-away PostgreSQL database of the server tests: PELORIN_TEST_PG names it (scripts/test.sh
// starts a server and sets it); each server case starts on it emptied.
#include "database.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

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

// A test program registered a second time with PELORIN_TEST_BACKEND=server runs its cases on the
// test server instead of a file; without a server it ends at once as skipped (exit code 77).
inline bool onServer()
{
    return qEnvironmentVariable("PELORIN_TEST_BACKEND") == QLatin1String("server");
}

// Opens the database a test case works on: a file in folder, or the emptied test server.
inline bool openTestDatabase(db::Database &database, const QString &folder, QString *error)
{
    if (!onServer())
        return database.open(folder, error);
    if (serverAlias().isEmpty()) {
        std::fprintf(stderr, "PELORIN_TEST_PG is not set: no test server, the server run is skipped.\n");
        std::exit(77);
    }
    return emptyServer(error) && database.openServer(serverAlias(), error);
}

} // namespace pelorin::testing
