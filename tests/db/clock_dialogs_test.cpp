#include "clock.h"
#include "dialogs.h"

#include <QtTest>

using namespace pelorin;

class ClockDialogsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void realClockByDefault();
    void environmentToday_data();
    void environmentToday();
    void fixedTodayKeepsRealTime();
    void fixedTodayWinsOverEnvironment();
    void fixedNow();
    void invalidLiftsFix_data();
    void invalidLiftsFix();

    void quietDefault();
    void scriptedAnswers_data();
    void scriptedAnswers();
    void scriptedInput_data();
    void scriptedInput();
    void scriptedFileDialogs();
    void transcriptForms();
    void scopedInstallsAndRemoves();
};

void ClockDialogsTest::init()
{
    qunsetenv("PELORIN_TODAY");
    clock::reset();
    Dialogs::setInstance(nullptr);
}

void ClockDialogsTest::cleanup()
{
    init();
}

void ClockDialogsTest::realClockByDefault()
{
    const QDateTime before = QDateTime::currentDateTime();
    const QDateTime now = clock::now();
    const QDateTime after = QDateTime::currentDateTime();
    QVERIFY(before <= now && now <= after);
    QVERIFY(clock::today() >= before.date() && clock::today() <= QDate::currentDate());
}

void ClockDialogsTest::environmentToday_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QDate>("expected"); // null: the machine's date

    QTest::newRow("valid date") << QByteArray("2026-12-10") << QDate(2026, 12, 10);
    QTest::newRow("blanks around") << QByteArray(" 2025-03-01 ") << QDate(2025, 3, 1);
    QTest::newRow("empty") << QByteArray("") << QDate();
    QTest::newRow("no such day") << QByteArray("2025-02-30") << QDate();
    QTest::newRow("other format") << QByteArray("10.12.2026") << QDate();
}

void ClockDialogsTest::environmentToday()
{
    QFETCH(QByteArray, value);
    QFETCH(QDate, expected);

    qputenv("PELORIN_TODAY", value);
    const QTime before = QTime::currentTime();
    const QDateTime now = clock::now();
    const QTime after = QTime::currentTime();

    if (expected.isValid()) {
        QCOMPARE(clock::today(), expected);
        QCOMPARE(now.date(), expected);
        // The time of day stays the machine's (unless the test ran across midnight).
        if (before <= after)
            QVERIFY(before <= now.time() && now.time() <= after);
    } else {
        QCOMPARE(clock::today(), QDate::currentDate());
    }
}

void ClockDialogsTest::fixedTodayKeepsRealTime()
{
    clock::setFixedToday(QDate(2024, 2, 29));
    const QTime before = QTime::currentTime();
    const QDateTime now = clock::now();
    const QTime after = QTime::currentTime();

    QCOMPARE(clock::today(), QDate(2024, 2, 29));
    QCOMPARE(now.date(), QDate(2024, 2, 29));
    if (before <= after)
        QVERIFY(before <= now.time() && now.time() <= after);
}

void ClockDialogsTest::fixedTodayWinsOverEnvironment()
{
    qputenv("PELORIN_TODAY", "2026-12-10");
    clock::setFixedToday(QDate(2020, 1, 1));
    QCOMPARE(clock::today(), QDate(2020, 1, 1));

    clock::reset();
    QCOMPARE(clock::today(), QDate(2026, 12, 10));
}

void ClockDialogsTest::fixedNow()
{
    const QDateTime when(QDate(2026, 12, 10), QTime(5, 21, 3));
    clock::setFixedNow(when);
    QCOMPARE(clock::now(), when);
    QCOMPARE(clock::today(), when.date());

    // Fixing only the date again lets the time of day run.
    clock::setFixedToday(QDate(2026, 12, 11));
    const QTime before = QTime::currentTime();
    const QDateTime later = clock::now();
    const QTime after = QTime::currentTime();
    QCOMPARE(later.date(), QDate(2026, 12, 11));
    if (before <= after)
        QVERIFY(before <= later.time() && later.time() <= after);
}

void ClockDialogsTest::invalidLiftsFix_data()
{
    QTest::addColumn<bool>("throughNow");

    QTest::newRow("setFixedToday") << false;
    QTest::newRow("setFixedNow") << true;
}

void ClockDialogsTest::invalidLiftsFix()
{
    QFETCH(bool, throughNow);

    clock::setFixedNow(QDateTime(QDate(2001, 1, 1), QTime(12, 0)));
    if (throughNow)
        clock::setFixedNow(QDateTime());
    else
        clock::setFixedToday(QDate());
    QCOMPARE(clock::today(), QDate::currentDate());
    QCOMPARE(clock::now().date(), QDate::currentDate());
}

void ClockDialogsTest::quietDefault()
{
    Dialogs &d = Dialogs::instance();
    QVERIFY(dynamic_cast<ScriptedDialogs *>(&d) == nullptr);
    QVERIFY(!d.ask(QStringLiteral("Удалить пациента?")));
    d.message(QStringLiteral("Готово."));
    QVERIFY(!d.input(QStringLiteral("Ввод пароля."), QStringLiteral("Введите пароль:"), QString()).has_value());
    QCOMPARE(d.openFileName(QStringLiteral("Фото"), QString(), QString()), QString());
    QCOMPARE(d.saveFileName(QStringLiteral("Сохранить"), QString(), QString()), QString());
    d.beep();
}

void ClockDialogsTest::scriptedAnswers_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QList<bool>>("expected");

    QTest::newRow("yes then no") << QStringList{QStringLiteral("yes"), QStringLiteral("no")}
                                 << QList<bool>{true, false};
    QTest::newRow("any case") << QStringList{QStringLiteral("Yes"), QStringLiteral("YES")} << QList<bool>{true, true};
    QTest::newRow("none left is no") << QStringList{QStringLiteral("yes")} << QList<bool>{true, false, false};
    QTest::newRow("anything else is no") << QStringList{QStringLiteral("да"), QString()} << QList<bool>{false, false};
}

void ClockDialogsTest::scriptedAnswers()
{
    QFETCH(QStringList, answers);
    QFETCH(QList<bool>, expected);

    ScriptedDialogs d;
    d.answers = answers;
    QList<bool> got;
    for (qsizetype i = 0; i < expected.size(); ++i)
        got << d.ask(QStringLiteral("Вопрос"), QStringLiteral("Внимание!"), Dialogs::Kind::Confirmation);
    QCOMPARE(got, expected);
    QVERIFY(d.answers.isEmpty());
    QCOMPARE(d.transcript.size(), expected.size());
}

void ClockDialogsTest::scriptedInput_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<std::optional<QString>>("expected");

    QTest::newRow("text") << QStringList{QStringLiteral("zlk")} << std::optional<QString>(QStringLiteral("zlk"));
    QTest::newRow("empty text is an answer") << QStringList{QString()} << std::optional<QString>(QString());
    QTest::newRow("cancel word") << QStringList{QStringLiteral("<cancel>")} << std::optional<QString>();
    QTest::newRow("none left") << QStringList() << std::optional<QString>();
}

void ClockDialogsTest::scriptedInput()
{
    QFETCH(QStringList, answers);
    QFETCH(std::optional<QString>, expected);

    ScriptedDialogs d;
    d.answers = answers;
    const std::optional<QString> got =
        d.input(QStringLiteral("Ввод пароля."), QStringLiteral("Введите пароль:"), QString());
    QCOMPARE(got.has_value(), expected.has_value());
    if (expected)
        QCOMPARE(*got, *expected);
    QCOMPARE(d.transcript, QStringList{QStringLiteral("input: Ввод пароля.: Введите пароль:")});
}

void ClockDialogsTest::scriptedFileDialogs()
{
    ScriptedDialogs d;
    d.answers = {QStringLiteral("/tmp/a.jpg"), QStringLiteral("<cancel>"), QStringLiteral("/tmp/b.rtf")};
    QCOMPARE(d.openFileName(QStringLiteral("Фото"), QString(), QString()), QStringLiteral("/tmp/a.jpg"));
    QCOMPARE(d.openFileName(QStringLiteral("Фото"), QString(), QString()), QString());
    QCOMPARE(d.saveFileName(QStringLiteral("Сохранить"), QString(), QString()), QStringLiteral("/tmp/b.rtf"));
    QCOMPARE(d.saveFileName(QStringLiteral("Сохранить"), QString(), QString()), QString());
}

void ClockDialogsTest::transcriptForms()
{
    ScriptedDialogs d;
    d.answers = {QStringLiteral("yes"), QStringLiteral("текст"), QStringLiteral("a.jpg"), QStringLiteral("b.rtf")};
    Dialogs &asBase = d;
    asBase.ask(QStringLiteral("Удалить пациента?"));
    asBase.message(QStringLiteral("Неправильный пароль, завершение программы"), QStringLiteral("Ошибка"),
                   Dialogs::Kind::Error);
    asBase.input(QStringLiteral("Пелорин."), QStringLiteral("Введите текст:"), QStringLiteral("старое"));
    asBase.openFileName(QStringLiteral("Выберите фото"), QStringLiteral("/tmp"), QStringLiteral("*.jpg"));
    asBase.saveFileName(QStringLiteral("Сохранить документ"), QStringLiteral("/tmp"), QStringLiteral("*.rtf"));
    asBase.beep();
    asBase.beep();

    const QStringList expected = {
        QStringLiteral("ask: Внимание!: Удалить пациента?"),
        QStringLiteral("message: Ошибка: Неправильный пароль, завершение программы"),
        QStringLiteral("input: Пелорин.: Введите текст:"),
        QStringLiteral("open: Выберите фото"),
        QStringLiteral("save: Сохранить документ"),
        QStringLiteral("beep"),
        QStringLiteral("beep"),
    };
    QCOMPARE(d.transcript, expected);
    QCOMPARE(d.beeps, 2);
}

void ClockDialogsTest::scopedInstallsAndRemoves()
{
    {
        ScopedScriptedDialogs scripted;
        scripted.answers = {QStringLiteral("yes")};
        QCOMPARE(&Dialogs::instance(), static_cast<Dialogs *>(&scripted));
        QVERIFY(Dialogs::instance().ask(QStringLiteral("Продолжить?")));
        QCOMPARE(scripted.transcript, QStringList{QStringLiteral("ask: Внимание!: Продолжить?")});
    }
    QVERIFY(dynamic_cast<ScriptedDialogs *>(&Dialogs::instance()) == nullptr);
    QVERIFY(!Dialogs::instance().ask(QStringLiteral("Продолжить?")));

    // Something installed after the scoped script outlives it.
    ScriptedDialogs later;
    {
        ScopedScriptedDialogs scripted;
        Dialogs::setInstance(&later);
    }
    QCOMPARE(&Dialogs::instance(), static_cast<Dialogs *>(&later));
}

QTEST_GUILESS_MAIN(ClockDialogsTest)
#include "clock_dialogs_test.moc"
