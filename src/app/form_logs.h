#pragma once

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
    QPlainTextEdit *memo() const { return m_memo; }

private:
    QPlainTextEdit *m_memo;
};

} // namespace pelorin::app
