#include "clock.h"

#include <QTime>
#include <QtGlobal>

#include <optional>

namespace pelorin::clock {

namespace {

// What the tests fixed: a date alone, or a date with its time of day.
std::optional<QDate> s_fixedDate;
std::optional<QTime> s_fixedTime;

// PELORIN_TODAY lets a whole run (a demonstration, a batch check of old records) live on
// another day; it is read on every call so that a test may change it between checks.
QDate environmentToday()
{
    const QString text = qEnvironmentVariable("PELORIN_TODAY").trimmed();
    if (text.isEmpty())
        return {};
    return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

} // namespace

QDate today()
{
    if (s_fixedDate)
        return *s_fixedDate;
    const QDate fromEnvironment = environmentToday();
    return fromEnvironment.isValid() ? fromEnvironment : QDate::currentDate();
}

QDateTime now()
{
    // One reading of the machine clock, so that date and time agree around midnight.
    QDateTime real = QDateTime::currentDateTime();
    if (s_fixedDate)
        return QDateTime(*s_fixedDate, s_fixedTime ? *s_fixedTime : real.time());
    const QDate fromEnvironment = environmentToday();
    if (fromEnvironment.isValid())
        return QDateTime(fromEnvironment, real.time());
    return real;
}

void setFixedToday(const QDate &date)
{
    s_fixedTime.reset();
    if (date.isValid())
        s_fixedDate = date;
    else
        s_fixedDate.reset();
}

void setFixedNow(const QDateTime &when)
{
    if (when.isValid()) {
        s_fixedDate = when.date();
        s_fixedTime = when.time();
    } else {
        reset();
    }
}

void reset()
{
    s_fixedDate.reset();
    s_fixedTime.reset();
}

} // namespace pelorin::clock
