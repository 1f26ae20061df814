#include "archive.h"

#include "texts.h"

namespace pelorin::app {

namespace {

const QString kLetters = QStringLiteral("*АБВГДЕЁЖЗИКЛМНОПРСТУФХЦЧШЩЭЮЯ");

} // namespace

QString patientArchiveClause(int days, const QDate &today, const QString &oldYear)
{
    return QStringLiteral("( Vip_date > '") + text::shortDate(today.addDays(-days)) + QStringLiteral("'") +
           QStringLiteral(" or ") + QStringLiteral("Vip_date < '") + oldYear + QStringLiteral("'") + QStringLiteral(")");
}

QString examArchiveClause(int days, const QDate &today)
{
    return QStringLiteral("( Date > '") + text::shortDate(today.addDays(-days)) + QStringLiteral("'") +
           QStringLiteral(" or ") + QStringLiteral("Date < '") + QStringLiteral("1.1.1910 ") + QStringLiteral("'") +
           QStringLiteral(")");
}

QString alphabetTabLetter(int tab)
{
    if (tab >= 0 && tab < kLetters.size())
        return kLetters.mid(tab, 1);
    if (tab == kTabNumber)
        return QStringLiteral("№");
    if (tab == kTabCurrent)
        return QStringLiteral("(*)");
    return {};
}

QString alphabetTabFilter(int tab, qint64 currentPatientId)
{
    if (tab >= 1 && tab <= 29)
        return QStringLiteral("Last_Name = '") + kLetters.at(tab) + QStringLiteral("*'");
    if (tab == kTabCurrent)
        return QStringLiteral("ID_man = '") + QString::number(currentPatientId) + QStringLiteral("'");
    return {};
}

PatientListView patientListView(int tab, qint64 currentPatientId, bool archive, int archiveDays, const QDate &today)
{
    PatientListView view;
    if (tab == kTabNumber) {
        view.orderField = QStringLiteral("Amb_karta");
        view.toFirst = true;
        if (archive)
            view.filter = patientArchiveClause(archiveDays, today, QStringLiteral("1.1.1990 "));
        return view;
    }
    view.orderField = QStringLiteral("Last_Name");
    if (!archive) {
        view.filter = alphabetTabFilter(tab, currentPatientId);
        return view;
    }
    const QString base = tab == 0 ? QStringLiteral("Last_Name <> 'ЫЫЫЫЫЫЫ'") : alphabetTabFilter(tab, currentPatientId);
    view.filter = base + QStringLiteral(" AND ") + patientArchiveClause(archiveDays, today);
    return view;
}

int alphabetTabOf(const QString &letter)
{
    for (int tab = 0; tab < kTabCount; ++tab) {
        if (alphabetTabLetter(tab) == letter)
            return tab;
    }
    return -1;
}

} // namespace pelorin::app
