#include "form_logs.h"

#include "changelog.h"

#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace pelorin::app {

Form_logs::Form_logs(db::ChangeLog &log, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form_logs"));
    setWindowTitle(QStringLiteral("Пелорин. Список действий."));
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_memo);
    resize(720, 420);
    m_pending = log.lines();
    flush();
    // A walk over thousands of patients logs hundreds of thousands of lines: they reach the memo in
    // batches, whenever the event loop comes round, not one layout per line.
    connect(&log, &db::ChangeLog::lineAppended, this, [this](const QString &line) {
        if (m_pending.isEmpty())
            QTimer::singleShot(0, this, &Form_logs::flush);
        m_pending << line;
    });
}

QPlainTextEdit *Form_logs::memo()
{
    flush();
    return m_memo;
}

void Form_logs::flush()
{
    if (m_pending.isEmpty())
        return;
    m_memo->appendPlainText(m_pending.join(QLatin1Char('\n')));
    m_pending.clear();
}

} // namespace pelorin::app
