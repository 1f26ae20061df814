#pragma once

#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace pelorin::db {
class ChangeLog;
class Database;
} // namespace pelorin::db

namespace pelorin::app {

// The log window: the protocol of the current run in one memo the user may read, scroll and type in.
// The switch "Весь журнал" puts in its place the permanent journal kept in the database, read-only,
// for every patient or the current one and for a range of days, with the verdict on its hash chain.
class Form_logs : public QWidget
{
    Q_OBJECT

public:
    // At most this many of the last matching lines are shown; the count of all of them is said.
    static constexpr int kJournalLines = 5000;

    explicit Form_logs(db::ChangeLog &log, QWidget *parent = nullptr);

    // The current patient's key and name, for the journal's filter.
    using PatientSource = std::function<std::pair<QVariant, QString>()>;
    // Without a journal the switch stays hidden.
    void setJournal(db::Database *database, PatientSource currentPatient);

    // The memo with every line logged so far.
    QPlainTextEdit *memo();
    QPlainTextEdit *journalMemo() { return m_journal; }
    // Reads the journal again with the filter as set.
    void showJournal();

private:
    void flush();
    void switchView();

    QPlainTextEdit *m_memo;
    QStringList m_pending;

    db::Database *m_database = nullptr;
    PatientSource m_currentPatient;
    QCheckBox *m_all;
    QWidget *m_filter;
    QComboBox *m_patient;
    QDateEdit *m_from;
    QDateEdit *m_to;
    QPushButton *m_refresh;
    QLabel *m_verdict;
    QStackedWidget *m_pages;
    QPlainTextEdit *m_journal;
};

} // namespace pelorin::app
