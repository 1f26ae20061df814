#include "texts.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace pelorin;

class TextsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void appendIf_data();
    void appendIf();
    void closeList_data();
    void closeList();
    void doseText_data();
    void doseText();
    void shortDate_data();
    void shortDate();
    void longDate_data();
    void longDate();
    void timestamps_data();
    void timestamps();
    void dayNames_data();
    void dayNames();
    void monthNames_data();
    void monthNames();
    void floatToText_data();
    void floatToText();
    void parseNumber_data();
    void parseNumber();
    void roundHalfEven_data();
    void roundHalfEven();
    void cutToWidth_data();
    void cutToWidth();
};

void TextsTest::appendIf_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("condition");
    QTest::addColumn<QString>("expected");

    QTest::newRow("true appends") << QStringLiteral("зуд, ") << true << QStringLiteral("зуд, эритема, ");
    QTest::newRow("false leaves") << QStringLiteral("зуд, ") << false << QStringLiteral("зуд, ");
    QTest::newRow("true on empty") << QString() << true << QStringLiteral("эритема, ");
    QTest::newRow("false on empty") << QString() << false << QString();
}

void TextsTest::appendIf()
{
    QFETCH(QString, start);
    QFETCH(bool, condition);
    QFETCH(QString, expected);

    text::appendIf(start, condition, QStringLiteral("эритема, "));
    QCOMPARE(start, expected);
}

void TextsTest::closeList_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("expected");

    QTest::newRow("comma list") << QStringLiteral("зуд, эритема, ") << QStringLiteral("зуд, эритема. ");
    QTest::newRow("semicolon list") << QStringLiteral("псориаз; ") << QStringLiteral("псориаз. ");
    QTest::newRow("two blanks") << QStringLiteral("сухость  ") << QStringLiteral("сухость. ");
    QTest::newRow("two characters") << QStringLiteral(", ") << QStringLiteral(". ");
    QTest::newRow("one character") << QStringLiteral(",") << QStringLiteral(",");
    QTest::newRow("empty") << QString() << QString();
}

void TextsTest::closeList()
{
    QFETCH(QString, list);
    QFETCH(QString, expected);

    QCOMPARE(text::closeList(list), expected);
}

void TextsTest::doseText_data()
{
    QTest::addColumn<qint64>("hundredths");
    QTest::addColumn<QString>("expected");

    QTest::newRow("12,05") << qint64(1205) << QStringLiteral("12,05");
    QTest::newRow("2,50") << qint64(250) << QStringLiteral("2,50");
    QTest::newRow("1,05") << qint64(105) << QStringLiteral("1,05");
    QTest::newRow("only hundredths") << qint64(5) << QStringLiteral("0,05");
    QTest::newRow("zero") << qint64(0) << QStringLiteral("0,00");
    QTest::newRow("whole") << qint64(100) << QStringLiteral("1,00");
    QTest::newRow("large total") << qint64(123456) << QStringLiteral("1234,56");
    QTest::newRow("negative") << qint64(-1205) << QStringLiteral("-12,05");
    QTest::newRow("negative below one") << qint64(-5) << QStringLiteral("-0,05");
    QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << QStringLiteral("-92233720368547758,08");
}

void TextsTest::doseText()
{
    QFETCH(qint64, hundredths);
    QFETCH(QString, expected);

    QCOMPARE(text::doseText(hundredths), expected);
}

void TextsTest::shortDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");

    QTest::newRow("leading zeros") << QDate(2025, 3, 5) << QStringLiteral("05.03.2025");
    QTest::newRow("two-digit day and month") << QDate(2026, 12, 10) << QStringLiteral("10.12.2026");
    QTest::newRow("zero date") << QDate(1899, 12, 30) << QStringLiteral("30.12.1899");
    QTest::newRow("null") << QDate() << QString();
}

void TextsTest::shortDate()
{
    QFETCH(QDate, date);
    QFETCH(QString, expected);

    QCOMPARE(text::shortDate(date), expected);
}

void TextsTest::longDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");

    QTest::newRow("march") << QDate(2025, 3, 1) << QStringLiteral("1 марта 2025 г.");
    QTest::newRow("december") << QDate(2026, 12, 10) << QStringLiteral("10 декабря 2026 г.");
    QTest::newRow("january") << QDate(2024, 1, 31) << QStringLiteral("31 января 2024 г.");
    QTest::newRow("may") << QDate(2000, 5, 9) << QStringLiteral("9 мая 2000 г.");
    QTest::newRow("august") << QDate(1999, 8, 15) << QStringLiteral("15 августа 1999 г.");
    QTest::newRow("null") << QDate() << QString();
}

void TextsTest::longDate()
{
    QFETCH(QDate, date);
    QFETCH(QString, expected);

    QCOMPARE(text::longDate(date), expected);
}

void TextsTest::timestamps_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("decision");

    QTest::newRow("early morning") << QDateTime(QDate(2026, 12, 10), QTime(5, 21, 3))
                                   << QStringLiteral("четверг, Декабрь 10, 2026,  ,  05:21:03")
                                   << QStringLiteral("четверг, Декабрь 10, 2026, 05:21:03");
    QTest::newRow("afternoon, one-digit day")
        << QDateTime(QDate(2025, 3, 1), QTime(17, 0, 9)) << QStringLiteral("суббота, Март 1, 2025,  ,  17:00:09")
        << QStringLiteral("суббота, Март 1, 2025, 17:00:09");
    QTest::newRow("midnight") << QDateTime(QDate(2024, 9, 1), QTime(0, 0, 0))
                              << QStringLiteral("воскресенье, Сентябрь 1, 2024,  ,  00:00:00")
                              << QStringLiteral("воскресенье, Сентябрь 1, 2024, 00:00:00");
}

void TextsTest::timestamps()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, check);
    QFETCH(QString, decision);

    QCOMPARE(text::checkTimestamp(when), check);
    QCOMPARE(text::decisionTimestamp(when), decision);
}

void TextsTest::dayNames_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");

    // 2025-03-03 is a Monday; the week runs on from there.
    const QStringList names = {QStringLiteral("понедельник"), QStringLiteral("вторник"), QStringLiteral("среда"),
                               QStringLiteral("четверг"),     QStringLiteral("пятница"), QStringLiteral("суббота"),
                               QStringLiteral("воскресенье")};
    for (int i = 0; i < names.size(); ++i)
        QTest::newRow(qPrintable(names.at(i))) << QDate(2025, 3, 3).addDays(i) << names.at(i);
    QTest::newRow("null") << QDate() << QString();
}

void TextsTest::dayNames()
{
    QFETCH(QDate, date);
    QFETCH(QString, expected);

    QCOMPARE(text::longDayName(date), expected);
}

void TextsTest::monthNames_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("nominative");
    QTest::addColumn<QString>("genitive");

    const QStringList nominative = {QStringLiteral("Январь"),  QStringLiteral("Февраль"), QStringLiteral("Март"),
                                    QStringLiteral("Апрель"),  QStringLiteral("Май"),     QStringLiteral("Июнь"),
                                    QStringLiteral("Июль"),    QStringLiteral("Август"),  QStringLiteral("Сентябрь"),
                                    QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"),  QStringLiteral("Декабрь")};
    const QStringList genitive = {QStringLiteral("января"),  QStringLiteral("февраля"), QStringLiteral("марта"),
                                  QStringLiteral("апреля"),  QStringLiteral("мая"),     QStringLiteral("июня"),
                                  QStringLiteral("июля"),    QStringLiteral("августа"), QStringLiteral("сентября"),
                                  QStringLiteral("октября"), QStringLiteral("ноября"),  QStringLiteral("декабря")};
    for (int month = 1; month <= 12; ++month)
        QTest::newRow(qPrintable(nominative.at(month - 1)))
            << month << nominative.at(month - 1) << genitive.at(month - 1);
    QTest::newRow("zero") << 0 << QString() << QString();
    QTest::newRow("thirteen") << 13 << QString() << QString();
}

void TextsTest::monthNames()
{
    QFETCH(int, month);
    QFETCH(QString, nominative);
    QFETCH(QString, genitive);

    QCOMPARE(text::longMonthName(month), nominative);
    QCOMPARE(text::genitiveMonthName(month), genitive);
}

void TextsTest::floatToText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("weight") << 72.5 << QStringLiteral("72,5");
    QTest::newRow("whole weight") << 55.0 << QStringLiteral("55");
    QTest::newRow("binary noise") << 5.3999999999999995 << QStringLiteral("5,4");
    QTest::newRow("sum noise") << 0.1 + 0.2 << QStringLiteral("0,3");
    QTest::newRow("hundred") << 100.0 << QStringLiteral("100");
    QTest::newRow("seven plus three digits") << 1234567.891 << QStringLiteral("1234567,891");
    QTest::newRow("negative fraction") << -0.25 << QStringLiteral("-0,25");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("smallest fixed") << 0.0001 << QStringLiteral("0,0001");
    QTest::newRow("first exponent below") << 0.00001 << QStringLiteral("1E-5");
    QTest::newRow("exponent with fraction") << -0.0000015 << QStringLiteral("-1,5E-6");
    QTest::newRow("largest fixed") << 1e14 << QStringLiteral("100000000000000");
    QTest::newRow("first exponent above") << 1e15 << QStringLiteral("1E15");
    QTest::newRow("large with fraction") << 1.5e20 << QStringLiteral("1,5E20");
    QTest::newRow("rounds up into exponent") << 999999999999999.9 << QStringLiteral("1E15");
    QTest::newRow("fifteen digits kept") << 123456789012.345 << QStringLiteral("123456789012,345");
    QTest::newRow("sixteenth digit rounded") << 0.1234567890123456 << QStringLiteral("0,123456789012346");
    QTest::newRow("third") << 1.0 / 3.0 << QStringLiteral("0,333333333333333");
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << QStringLiteral("INF");
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << QStringLiteral("-INF");
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << QStringLiteral("NAN");
}

void TextsTest::floatToText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);

    QCOMPARE(text::floatToText(value), expected);
}

void TextsTest::parseNumber_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");

    QTest::newRow("comma") << QStringLiteral("72,5") << true << 72.5;
    QTest::newRow("point") << QStringLiteral("72.5") << true << 72.5;
    QTest::newRow("blanks around") << QStringLiteral(" 72.5 ") << true << 72.5;
    QTest::newRow("whole") << QStringLiteral("55") << true << 55.0;
    QTest::newRow("negative") << QStringLiteral("-0,25") << true << -0.25;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("blanks only") << QStringLiteral("   ") << false << 0.0;
    QTest::newRow("letters") << QStringLiteral("abc") << false << 0.0;
    QTest::newRow("two commas") << QStringLiteral("1,2,3") << false << 0.0;
    QTest::newRow("comma and point") << QStringLiteral("1.2,3") << false << 0.0;
    QTest::newRow("blank inside") << QStringLiteral("7 2") << false << 0.0;
    QTest::newRow("trailing unit") << QStringLiteral("72 кг") << false << 0.0;
    QTest::newRow("infinity word") << QStringLiteral("inf") << false << 0.0;
}

void TextsTest::parseNumber()
{
    QFETCH(QString, input);
    QFETCH(bool, ok);
    QFETCH(double, expected);

    bool parsed = !ok;
    QCOMPARE(text::parseNumber(input, &parsed), expected);
    QCOMPARE(parsed, ok);
    // The flag is optional.
    QCOMPARE(text::parseNumber(input, nullptr), expected);
}

void TextsTest::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("2.5 down to even") << 2.5 << qint64(2);
    QTest::newRow("3.5 up to even") << 3.5 << qint64(4);
    QTest::newRow("-2.5 to even") << -2.5 << qint64(-2);
    QTest::newRow("-3.5 to even") << -3.5 << qint64(-4);
    QTest::newRow("0.5 to zero") << 0.5 << qint64(0);
    QTest::newRow("1.5 to two") << 1.5 << qint64(2);
    QTest::newRow("just below a half") << 2.4999 << qint64(2);
    QTest::newRow("just above a half") << 2.5001 << qint64(3);
    QTest::newRow("negative above a half") << -2.6 << qint64(-3);
    QTest::newRow("whole") << 70.0 << qint64(70);
    QTest::newRow("weight 72.5") << 72.5 << qint64(72);
    QTest::newRow("computed 84.6") << 70.5 * 12 / 10 << qint64(85);
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
    QTest::newRow("too large") << 1e300 << std::numeric_limits<qint64>::max();
    QTest::newRow("too small") << -1e300 << std::numeric_limits<qint64>::min();
}

void TextsTest::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(qint64, expected);

    QCOMPARE(text::roundHalfEven(value), expected);
}

void TextsTest::cutToWidth_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");

    QTest::newRow("longer is cut") << QStringLiteral("Полный регресс высыпаний") << 20
                                   << QStringLiteral("Полный регресс высып");
    QTest::newRow("exact fits") << QStringLiteral("зуд") << 3 << QStringLiteral("зуд");
    QTest::newRow("shorter stays") << QStringLiteral("зуд") << 10 << QStringLiteral("зуд");
    QTest::newRow("zero width leaves whole") << QStringLiteral("зуд") << 0 << QStringLiteral("зуд");
    QTest::newRow("negative width leaves whole") << QStringLiteral("зуд") << -1 << QStringLiteral("зуд");
    QTest::newRow("empty") << QString() << 5 << QString();
    QTest::newRow("emoji is one character") << QStringLiteral("ab😀") << 3 << QStringLiteral("ab😀");
    QTest::newRow("emoji at the boundary kept whole") << QStringLiteral("ab😀cd") << 3 << QStringLiteral("ab😀");
    QTest::newRow("emoji past the boundary cut whole") << QStringLiteral("abc😀") << 3 << QStringLiteral("abc");
    QTest::newRow("only emoji") << QStringLiteral("😀😀😀") << 2 << QStringLiteral("😀😀");
}

void TextsTest::cutToWidth()
{
    QFETCH(QString, input);
    QFETCH(int, width);
    QFETCH(QString, expected);

    QCOMPARE(text::cutToWidth(input, width), expected);
}

QTEST_GUILESS_MAIN(TextsTest)
#include "texts_test.moc"
