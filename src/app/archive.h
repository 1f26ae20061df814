#pragma once

#include <QDate>
#include <QString>

namespace pelorin::app {

// The archive clauses: patients discharged within the last days (or never discharged), and
// examinations of the last days. The cut-off date is written in the short date format.
QString patientArchiveClause(int days, const QDate &today, const QString &oldYear = QStringLiteral("1.1.1910 "));
QString examArchiveClause(int days, const QDate &today);

// Filter of an alphabet tab (0 "*", 1..29 letters, 30 "№", 31 "(*)"), without archive clause;
// an empty text for tab 0 and tab 30.
QString alphabetTabFilter(int tab, qint64 currentPatientId);
QString alphabetTabLetter(int tab);
inline constexpr int kTabCount = 32;

// How the patient list is filtered and ordered for an alphabet tab, with the patient archive of the
// settings: what the tab handler of the main window sets on the register.
struct PatientListView
{
    QString filter;
    QString orderField;
    bool toFirst = false; // the tab "№" starts from the first card number
};
PatientListView patientListView(int tab, qint64 currentPatientId, bool archive, int archiveDays, const QDate &today);
// The tab whose caption is `letter` ("*", "А"…"Я", "№", "(*)"); -1 for none.
int alphabetTabOf(const QString &letter);
inline constexpr int kTabNumber = 30;
inline constexpr int kTabCurrent = 31;

} // namespace pelorin::app
