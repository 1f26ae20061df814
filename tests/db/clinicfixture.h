#pragma once

#include "changelog.h"
#include "database.h"
#include "datamodules.h"
#include "protection.h"
#include "register.h"
#include "settings.h"
#include "testserver.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

namespace pelorin::testing {

// A fresh database in a temporary folder (or on the test server, see openTestDatabase) with both data modules open, the register calculated
// and the protection installed on every table, as at start-up (protection off, as at every start).
struct ClinicFixture
{
    QTemporaryDir dir;
    db::Database db;
    db::RunSettings settings;
    db::ChangeLog log;
    std::unique_ptr<db::DM1> dm1;
    std::unique_ptr<db::DM2> dm2;
    std::unique_ptr<db::Protection> protection;

    ClinicFixture()
    {
        QString error;
        if (!openTestDatabase(db, dir.path(), &error))
            qFatal("open failed: %s", qPrintable(error));
        dm1 = std::make_unique<db::DM1>(db);
        dm2 = std::make_unique<db::DM2>(db, *dm1);
        if (!dm1->open(&error) || !dm2->open(&error))
            qFatal("modules failed: %s", qPrintable(error));
        db::installRegisterCalc(*dm1->register_, settings);
        protection = std::make_unique<db::Protection>(*dm1, *dm2, settings, log);
        protection->install();
    }

    db::Table &reg() { return *dm1->register_; }

    // Appends and posts a record with the given fields; a field that cannot be set stops the test.
    void append(db::Table &t, const QVariantMap &fields = {})
    {
        t.append();
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            if (!t.setValue(it.key(), it.value()))
                qFatal("cannot set %s", qPrintable(it.key()));
        }
        if (!t.post())
            qFatal("post to %s failed", qPrintable(t.tableName()));
    }

    // First value of a query on the database file.
    QVariant stored(const QString &sql)
    {
        QSqlQuery q(db.sql());
        if (!q.exec(sql) || !q.next())
            qFatal("query failed: %s", qPrintable(sql));
        return q.value(0);
    }

    // Log lines ending with `text`: the protection's check lines of one table, for instance.
    int logLinesEndingWith(const QString &text) const
    {
        int n = 0;
        for (const QString &line : log.lines())
            n += line.endsWith(text);
        return n;
    }
};

} // namespace pelorin::testing
