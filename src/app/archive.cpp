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

} // namespace pelorin::app
