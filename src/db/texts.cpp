#include "texts.h"

#include <array>
#include <cmath>
#include <limits>

namespace pelorin::text {

namespace {

// Our own name tables: the machine's locale may be anything, the texts are always Russian.
const std::array<QString, 7> kDayNames = {
    QStringLiteral("понедельник"), QStringLiteral("вторник"), QStringLiteral("среда"),       QStringLiteral("четверг"),
    QStringLiteral("пятница"),     QStringLiteral("суббота"), QStringLiteral("воскресенье"),
};

const std::array<QString, 12> kMonthNames = {
    QStringLiteral("Январь"),   QStringLiteral("Февраль"), QStringLiteral("Март"),   QStringLiteral("Апрель"),
    QStringLiteral("Май"),      QStringLiteral("Июнь"),    QStringLiteral("Июль"),   QStringLiteral("Август"),
    QStringLiteral("Сентябрь"), QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"), QStringLiteral("Декабрь"),
};

const std::array<QString, 12> kGenitiveMonthNames = {
    QStringLiteral("января"),   QStringLiteral("февраля"), QStringLiteral("марта"),  QStringLiteral("апреля"),
    QStringLiteral("мая"),      QStringLiteral("июня"),    QStringLiteral("июля"),   QStringLiteral("августа"),
    QStringLiteral("сентября"), QStringLiteral("октября"), QStringLiteral("ноября"), QStringLiteral("декабря"),
};

// QDate::toString with a format string always uses the C locale, so digits and year padding
// are the same on every machine.
QString yearText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy"));
}

// The part both log timestamps share: "четверг, Декабрь 10, 2026".
QString timestampDatePart(const QDate &date)
{
    return longDayName(date) + QStringLiteral(", ") + longMonthName(date.month()) + QLatin1Char(' ') +
           QString::number(date.day()) + QStringLiteral(", ") + yearText(date);
}

QString timeText(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

void appendIf(QString &list, bool condition, const QString &phrase)
{
    if (condition)
        list += phrase;
}

QString closeList(const QString &list)
{
    if (list.size() < 2)
        return list;
    QString closed = list;
    closed[closed.size() - 2] = QLatin1Char('.');
    return closed;
}

QString doseText(qint64 hundredths)
{
    // Work on the magnitude as unsigned so that even the most negative value has one.
    const bool negative = hundredths < 0;
    const quint64 magnitude = negative ? 0 - static_cast<quint64>(hundredths) : static_cast<quint64>(hundredths);
    const QString text = QString::number(magnitude / 100) + QLatin1Char(',') +
                         QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    return negative ? QString(QStringLiteral("-") + text) : text;
}

QString shortDate(const QDate &date)
{
    if (!date.isValid())
        return {};
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString longDate(const QDate &date)
{
    if (!date.isValid())
        return {};
    return QString::number(date.day()) + QLatin1Char(' ') + genitiveMonthName(date.month()) + QLatin1Char(' ') +
           yearText(date) + QStringLiteral(" г.");
}

QString checkTimestamp(const QDateTime &when)
{
    if (!when.isValid())
        return {};
    return timestampDatePart(when.date()) + QStringLiteral(",  ,  ") + timeText(when.time());
}

QString decisionTimestamp(const QDateTime &when)
{
    if (!when.isValid())
        return {};
    return timestampDatePart(when.date()) + QStringLiteral(", ") + timeText(when.time());
}

QString longDayName(const QDate &date)
{
    if (!date.isValid())
        return {};
    return kDayNames[date.dayOfWeek() - 1];
}

QString longMonthName(int month)
{
    if (month < 1 || month > 12)
        return {};
    return kMonthNames[month - 1];
}

QString genitiveMonthName(int month)
{
    if (month < 1 || month > 12)
        return {};
    return kGenitiveMonthNames[month - 1];
}

QString floatToText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0"); // also for -0.0, which the old program never showed with a sign

    // Qt's conversion is locale-independent and correctly rounded: 15 significant digits as
    // "d.dddddddddddddde±XX". Rounding first and deciding the form afterwards matters:
    // 999999999999999.9 becomes 1E15, not a fixed-point text.
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const qsizetype ePos = scientific.indexOf(QLatin1Char('e'));
    QString digits = scientific.left(ePos);
    digits.remove(QLatin1Char('.'));
    int exponent = scientific.mid(ePos + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);

    QString text;
    if (exponent < -4 || exponent >= 15) {
        text = digits.left(1);
        if (digits.size() > 1)
            text += QLatin1Char(',') + digits.mid(1);
        text += QLatin1Char('E') + QString::number(exponent);
    } else if (exponent < 0) {
        text = QStringLiteral("0,") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    } else {
        const qsizetype wholeDigits = exponent + 1;
        if (digits.size() <= wholeDigits) {
            text = digits + QString(wholeDigits - digits.size(), QLatin1Char('0'));
        } else {
            text = digits.left(wholeDigits) + QLatin1Char(',') + digits.mid(wholeDigits);
        }
    }
    return value < 0 ? QString(QStringLiteral("-") + text) : text;
}

double parseNumber(const QString &text, bool *ok)
{
    QString normalized = text.trimmed();
    normalized.replace(QLatin1Char(','), QLatin1Char('.'));
    bool parsed = false;
    double value = normalized.isEmpty() ? 0.0 : normalized.toDouble(&parsed);
    // toDouble also knows "inf" and "nan", which no one types as a weight or a dose.
    if (parsed && !std::isfinite(value))
        parsed = false;
    if (!parsed)
        value = 0.0;
    if (ok)
        *ok = parsed;
    return value;
}

qint64 roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    // Clamp first: converting an out-of-range double to an integer is undefined.
    constexpr double kLimit = 9223372036854775808.0; // 2^63
    if (value >= kLimit)
        return std::numeric_limits<qint64>::max();
    if (value < -kLimit)
        return std::numeric_limits<qint64>::min();

    // Decided by hand rather than with nearbyint, which depends on the current rounding mode.
    // value - floor(value) is exact for every double, so a true half is recognised as one.
    const double below = std::floor(value);
    const double fraction = value - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;
    return static_cast<qint64>(rounded);
}

QString cutToWidth(const QString &text, int width)
{
    if (width <= 0 || text.size() <= width)
        return text;
    // A width counts characters: a pair of surrogates is one of them, never split.
    qsizetype length = 0;
    for (int counted = 0; counted < width && length < text.size(); ++counted)
        length += (text.at(length).isHighSurrogate() && length + 1 < text.size() && text.at(length + 1).isLowSurrogate()) ? 2 : 1;
    return text.left(length);
}

} // namespace pelorin::text
