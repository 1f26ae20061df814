#pragma once

#include "clock.h"
#include "texts.h"

#include <QObject>
#include <QStringList>
#include <functional>

namespace pelorin::db {

// The protocol of the current run: lines "<timestamp> - <message>", appended at the end and
// never removed. The log window shows them; the permanent journal (AuditLog), when one is attached,
// keeps each of them in the database as well, with the table the line speaks of.
class ChangeLog : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // table: the database table the line is about (register, osmotr_1 …), empty when none.
    void append(const QString &line, const QString &table = {})
    {
        m_lines << line;
        if (m_keeper)
            m_keeper(line, table);
        Q_EMIT lineAppended(line);
    }
    // A line of an operation's own: decision-format timestamp of now, " - ", the message.
    void note(const QString &message, const QString &table = {})
    {
        append(text::decisionTimestamp(clock::now()) + QStringLiteral(" - ") + message, table);
    }
    const QStringList &lines() const { return m_lines; }

    // Whoever keeps the lines beyond the run; one at a time, none to stop keeping.
    using Keeper = std::function<void(const QString &line, const QString &table)>;
    void setKeeper(Keeper keeper) { m_keeper = std::move(keeper); }

Q_SIGNALS:
    void lineAppended(const QString &line);

private:
    QStringList m_lines;
    Keeper m_keeper;
};

} // namespace pelorin::db
