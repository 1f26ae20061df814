#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Text helpers shared by every subsystem: phrase lists, doses, Russian dates and numbers.
// They never depend on the machine's locale.
namespace pelorin::text {

// Phrase lists: a summary is built by appending fixed phrases, each carrying its own
// separator (", ", "; ", ". "); a finished list is closed by replacing its second-to-last
// character by "." so that it ends in ". ".
void appendIf(QString &list, bool condition, const QString &phrase);
// Replaces the second-to-last character by '.'; a text shorter than two characters is returned as it is.
QString closeList(const QString &list);

// UVA dose text: a whole number of hundredths written as the whole part, a comma and two digits
// (1205 -> "12,05", 5 -> "0,05", 0 -> "0,00").
QString doseText(qint64 hundredths);

// Short date dd.MM.yyyy ("05.03.2025"); a null date gives an empty string.
QString shortDate(const QDate &date);
// Long date with the genitive month: "5 марта 2025 г."; a null date gives an empty string.
QString longDate(const QDate &date);

// Log timestamps with the long day and month names.
// Check lines:    "четверг, Декабрь 10, 2026,  ,  05:21:03"
// Decision lines: "четверг, Декабрь 10, 2026, 05:21:03"
QString checkTimestamp(const QDateTime &when);
QString decisionTimestamp(const QDateTime &when);
QString longDayName(const QDate &date);       // "понедельник" ... "воскресенье"
QString longMonthName(int month);             // "Январь" ... "Декабрь" (nominative)
QString genitiveMonthName(int month);         // "января" ... "декабря"

// A floating point number as text: the shortest form with at most 15 significant digits,
// decimal comma, no exponent for ordinary magnitudes (72.5 -> "72,5", 55.0 -> "55",
// 5.3999999999999995 -> "5,4", -0.25 -> "-0,25").
QString floatToText(double value);
// Parses a number typed with a decimal comma or point ("72,5", " 72.5 "); ok=false otherwise.
double parseNumber(const QString &text, bool *ok);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
qint64 roundHalfEven(double value);

// Cuts a text to at most width characters (width <= 0 leaves it whole).
QString cutToWidth(const QString &text, int width);

} // namespace pelorin::text
