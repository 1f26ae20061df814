#include "form_logs.h"

#include "auditlog.h"
#include "changelog.h"
#include "clock.h"
#include "database.h"
#include "journalwords.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace pelorin::app {

namespace {

QDateEdit *dateEdit(QWidget *parent, const char *name)
{
    auto *d = new QDateEdit(parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setCalendarPopup(true);
    return d;
}

QString journalLine(db::JournalWords &words, const db::AuditEntry &e)
{
    return e.text + QStringLiteral("   [") + words.place(e) + QLatin1Char(']');
}

} // namespace

Form_logs::Form_logs(db::ChangeLog &log, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form_logs"));
    setWindowTitle(QStringLiteral("Пелорин. Список действий."));
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Long lines wrap: the doctor reads each whole without scrolling sideways.
    m_memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    m_all = new QCheckBox(QStringLiteral("Весь журнал"), this);
    m_all->setObjectName(QStringLiteral("CheckBoxAll"));
    m_all->setToolTip(QStringLiteral("Показать все записи, сохранённые в базе данных за всё время работы программы."));
    m_all->setVisible(false);

    m_filter = new QWidget(this);
    auto *fl = new QHBoxLayout(m_filter);
    fl->setContentsMargins(0, 0, 0, 0);
    m_patient = new QComboBox(m_filter);
    m_patient->setObjectName(QStringLiteral("ComboPatient"));
    m_patient->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_from = dateEdit(m_filter, "DateFrom");
    m_to = dateEdit(m_filter, "DateTo");
    m_refresh = new QPushButton(QStringLiteral("Обновить"), m_filter);
    m_refresh->setObjectName(QStringLiteral("ButtonRefresh"));
    fl->addWidget(new QLabel(QStringLiteral("Пациент:"), m_filter));
    fl->addWidget(m_patient);
    fl->addWidget(new QLabel(QStringLiteral("с"), m_filter));
    fl->addWidget(m_from);
    fl->addWidget(new QLabel(QStringLiteral("по"), m_filter));
    fl->addWidget(m_to);
    fl->addWidget(m_refresh);
    fl->addStretch();
    m_filter->setVisible(false);

    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("LabelChain"));
    m_verdict->setWordWrap(true);
    m_verdict->setVisible(false);

    m_journal = new QPlainTextEdit(this);
    m_journal->setObjectName(QStringLiteral("MemoJournal"));
    m_journal->setReadOnly(true);
    m_journal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_journal->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    // The run's memo keeps whatever the user typed in it while the journal is looked at.
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(m_memo);
    m_pages->addWidget(m_journal);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_all);
    layout->addWidget(m_filter);
    layout->addWidget(m_verdict);
    layout->addWidget(m_pages, 1);
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
    connect(m_all, &QCheckBox::toggled, this, &Form_logs::switchView);
    connect(m_refresh, &QPushButton::clicked, this, &Form_logs::showJournal);
    connect(m_patient, &QComboBox::activated, this, &Form_logs::showJournal);
    connect(m_from, &QDateEdit::dateChanged, this, [this] {
        if (m_all->isChecked())
            showJournal();
    });
    connect(m_to, &QDateEdit::dateChanged, this, [this] {
        if (m_all->isChecked())
            showJournal();
    });
}

void Form_logs::setJournal(db::Database *database, PatientSource currentPatient)
{
    m_database = database;
    m_currentPatient = std::move(currentPatient);
    m_all->setVisible(m_database != nullptr);
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

void Form_logs::switchView()
{
    const bool all = m_all->isChecked() && m_database && m_database->isOpen();
    m_filter->setVisible(all);
    m_verdict->setVisible(all);
    m_pages->setCurrentWidget(all ? static_cast<QWidget *>(m_journal) : m_memo);
    if (!all)
        return;

    // The patient list is made afresh each time: the current patient may have changed since.
    const auto [id, name] = m_currentPatient ? m_currentPatient() : std::pair<QVariant, QString>{};
    m_patient->clear();
    m_patient->addItem(QStringLiteral("все пациенты"));
    if (!id.isNull())
        m_patient->addItem(QStringLiteral("текущий: %1").arg(name), id);

    // Lines still waiting for their post belong in what is shown.
    m_database->flushJournal();
    QDate first = clock::today();
    QSqlQuery q(m_database->sql());
    if (db::AuditLog::present(m_database->sql()) && q.exec(QStringLiteral("SELECT min(Stamp) FROM audit_log")) &&
        q.next() && !q.value(0).isNull()) {
        first = QDate::fromString(q.value(0).toString().left(10), Qt::ISODate);
    }
    q.finish();
    {
        const QSignalBlocker b1(m_from), b2(m_to);
        m_from->setDate(first);
        m_to->setDate(clock::today());
    }

    const db::AuditLog::Verdict verdict = db::AuditLog::verify(m_database->sql());
    if (verdict.sound) {
        m_verdict->setStyleSheet(QString());
        m_verdict->setText(QStringLiteral("Цепочка записей журнала цела: записей %1.").arg(verdict.rows));
    } else {
        m_verdict->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
        m_verdict->setText(QStringLiteral("Внимание! Журнал нарушен: %1").arg(verdict.problem));
    }
    showJournal();
}

void Form_logs::showJournal()
{
    if (!m_database || !m_database->isOpen() || !m_all->isChecked())
        return;
    db::AuditLog::Filter filter;
    filter.patient = m_patient->currentData();
    filter.from = m_from->date();
    filter.to = m_to->date();
    filter.limit = kJournalLines;
    QList<db::AuditEntry> rows;
    QString error;
    qint64 matching = 0;
    if (!db::AuditLog::read(m_database->sql(), filter, &rows, &error, &matching)) {
        m_journal->setPlainText(error);
        return;
    }
    QStringList lines;
    lines.reserve(rows.size() + 1);
    if (matching > rows.size()) {
        lines << QStringLiteral("Показаны последние %1 записей из %2; уточните отбор, чтобы увидеть прежние.")
                     .arg(rows.size())
                     .arg(matching);
    } else if (rows.isEmpty()) {
        lines << QStringLiteral("За выбранные дни записей нет.");
    }
    db::JournalWords words(m_database->sql());
    for (const db::AuditEntry &e : rows)
        lines << journalLine(words, e);
    m_journal->setPlainText(lines.join(QLatin1Char('\n')));
    m_journal->moveCursor(QTextCursor::End);
}

} // namespace pelorin::app
