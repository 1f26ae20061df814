#include "form_logs.h"

#include "changelog.h"

#include <QPlainTextEdit>
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
    for (const QString &line : log.lines())
        m_memo->appendPlainText(line);
    connect(&log, &db::ChangeLog::lineAppended, m_memo, &QPlainTextEdit::appendPlainText);
}

} // namespace pelorin::app
