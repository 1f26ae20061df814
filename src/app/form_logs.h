#pragma once

#include <QStringList>
#include <QWidget>

class QPlainTextEdit;

namespace pelorin::db {
class ChangeLog;
}

namespace pelorin::app {

// The log window: the protocol of the current run in one memo the user may read, scroll and type in.
class Form_logs : public QWidget
{
    Q_OBJECT

public:
    explicit Form_logs(db::ChangeLog &log, QWidget *parent = nullptr);
    // The memo with every line logged so far.
    QPlainTextEdit *memo();

private:
    void flush();

    QPlainTextEdit *m_memo;
    QStringList m_pending;
};

} // namespace pelorin::app
