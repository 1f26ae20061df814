#pragma once

#include "clock.h"
#include "texts.h"

#include <QObject>
#include <QStringList>

namespace pelorin::db {

// The protocol of the current run: lines "<timestamp> - <message>", appended at the end and
// never removed or saved. The log window shows them.
class ChangeLog : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    void append(const QString &line)
    {
        m_lines << line;
        Q_EMIT lineAppended(line);
    }
    // A line of an operation's own: decision-format timestamp of now, " - ", the message.
    void note(const QString &message) { append(text::decisionTimestamp(clock::now()) + QStringLiteral(" - ") + message); }
    const QStringList &lines() const { return m_lines; }

Q_SIGNALS:
    void lineAppended(const QString &line);

private:
    QStringList m_lines;
};

} // namespace pelorin::db
