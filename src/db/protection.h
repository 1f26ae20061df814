#pragma once

#include <QDate>
#include <QString>

namespace pelorin::db {

class ChangeLog;
class DM1;
class DM2;
class RunSettings;
class Table;

// The record protection: every post of a per-patient record logs a check line and, when the
// protection is on, asks before changing the records of a discharged patient or a record older
// than the age limit. A No discards the pending changes of every table of the same data module.
//
// The rule reads the register's calculated flag, so the register calculation (installRegisterCalc)
// has to be installed for the discharge question to be asked.
class Protection
{
public:
    Protection(DM1 &dm1, DM2 &dm2, RunSettings &settings, ChangeLog &log);

    // "<check timestamp of now> - <checkText>".
    static QString checkLine(const QString &checkText);

    // The rule for the register and the anamnesis tables: the age is that of the patient's registration.
    void protectedPostDm1(const QString &checkLine);
    // The rule for the examination, treatment, diagnosis, blood-test and recommendation tables:
    // the age is that of the record's own date; a null date counts as the zero date.
    void protectedPostDm2(const QString &checkLine, const QDate &ageDate);

    // Runs the right variant for one of the seventeen protected tables, with its check text and
    // age date. A handler that replaces a table's beforePost to do more calls this for the rule.
    // A table that is not protected is left alone.
    void checkTable(Table &table);

    // Sets the beforePost handler of each protected table to checkTable.
    void install();

    // The check text a protected table logs; empty for a table that is not protected.
    QString checkText(const Table &table) const;
    bool isProtected(const Table &table) const { return !checkText(table).isEmpty(); }

private:
    enum class Module { Dm1, Dm2 };
    enum class Reason { Discharged, Age };

    void protectedPost(Module module, const QString &checkLine, const QDate &ageDate);
    void refuse(Module module, Reason reason);
    QDate ageDateDm2(const Table &table) const;

    // The table whose post is being checked, for the journal's lines; the former one comes back at
    // the end, since a check may post another table inside it.
    struct TableScope
    {
        TableScope(Protection &p, const QString &table) : m_p(p), m_former(p.m_table) { p.m_table = table; }
        ~TableScope() { m_p.m_table = m_former; }
        Protection &m_p;
        QString m_former;
    };

    DM1 &m_dm1;
    DM2 &m_dm2;
    RunSettings &m_settings;
    ChangeLog &m_log;
    QString m_table;
};

} // namespace pelorin::db
