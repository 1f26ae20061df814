#pragma once

#include <QDate>
#include <QDateTime>

// The one clock of the program. PELORIN_TODAY=YYYY-MM-DD in the environment fixes "today"
// (the time of day still comes from the machine); tests may fix it directly.
namespace pelorin::clock {

QDate today();
QDateTime now();

// Fixes today's date (and optionally the time of day) for tests; an invalid date lifts it.
void setFixedToday(const QDate &date);
void setFixedNow(const QDateTime &when);
void reset();

} // namespace pelorin::clock
