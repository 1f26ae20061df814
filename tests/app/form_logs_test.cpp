// The log window's switch "Весь журнал": the kept history beside the run's memo, its filters and the
// verdict on its chain.
#include "auditlog.h"
#include "changelog.h"
#include "clock.h"
#include "database.h"
#include "form_logs.h"
#include "journalwords.h"
#include "uitest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;

namespace {

// Two patients' lines on two days and one without a patient; patient 2 is the current one.
struct Fixture
{
    QTemporaryDir dir;
    db::Database database;
    db::ChangeLog log;
    std::unique_ptr<db::AuditLog> journal;
    app::Form_logs window{log};

    Fixture()
    {
        QString error;
        if (!database.open(dir.path(), &error))
            qFatal("%s", qPrintable(error));
        QSqlQuery card(database.sql());
        if (!card.exec(QStringLiteral("INSERT INTO register (\"ID_man\", \"Amb_karta\", \"Last_Name\") "
                                      "VALUES (1, 1074, 'Тихонов'), (2, NULL, 'Белов')")))
            qFatal("no patients");
        journal = std::make_unique<db::AuditLog>(database, log);
        QVariant patient;
        journal->setPatientSource([&patient] { return patient; });
        clock::setFixedNow(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
        patient = 1;
        log.note(QStringLiteral("про первого"), QStringLiteral("register"));
        clock::setFixedNow(QDateTime(QDate(2026, 12, 11), QTime(9, 0)));
        patient = 2;
        log.note(QStringLiteral("про второго"), QStringLiteral("osmotr_1"));
        patient = QVariant();
        log.note(QStringLiteral("ни про кого"));
        journal->setPatientSource({});
        window.setJournal(&database, [] { return std::pair<QVariant, QString>(2, QStringLiteral("Белов Б., карта не указана")); });
        window.show();
    }
    ~Fixture() { clock::reset(); }

    QCheckBox *all() { return window.findChild<QCheckBox *>(QStringLiteral("CheckBoxAll")); }
    QStringList shown() { return window.journalMemo()->toPlainText().split(QLatin1Char('\n')); }
};

} // namespace

class FormLogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void switchShowsTheKeptHistoryAndKeepsTheMemo();
    void filtersByCurrentPatientAndDays();
    void tamperedJournalIsSaidSo();
    void switchHiddenWithoutJournal();
    void recordsInTheDoctorsWords_data();
    void recordsInTheDoctorsWords();
    void longLinesWrapAndTheSizeIsKept();
};

void FormLogsTest::switchShowsTheKeptHistoryAndKeepsTheMemo()
{
    Fixture f;
    QVERIFY(f.all()->isVisible());
    f.window.memo()->appendPlainText(QStringLiteral("заметка врача"));
    testing::clickButton(f.all());
    QVERIFY(f.all()->isChecked());
    auto *pages = f.window.findChild<QStackedWidget *>();
    QCOMPARE(pages->currentWidget(), f.window.journalMemo());
    // The line without a patient waited for a post; the switch writes it before reading.
    const QStringList lines = f.shown();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], f.log.lines()[0] + QStringLiteral("   [карта 1074, Тихонов; регистрационная карта]"));
    QCOMPARE(lines[1], f.log.lines()[1] + QStringLiteral("   [карта не указана, Белов; осмотр]"));
    QCOMPARE(lines[2], f.log.lines()[2] + QStringLiteral("   [пациент не указан]"));
    QCOMPARE(f.window.findChild<QLabel *>(QStringLiteral("LabelChain"))->text(),
             QStringLiteral("Цепочка записей журнала цела: записей 3."));
    QVERIFY(f.window.journalMemo()->isReadOnly());

    testing::clickButton(f.all());
    QCOMPARE(pages->currentWidget(), f.window.memo());
    QVERIFY(f.window.memo()->toPlainText().endsWith(QStringLiteral("заметка врача")));
}

void FormLogsTest::filtersByCurrentPatientAndDays()
{
    Fixture f;
    f.all()->setChecked(true);
    auto *patient = f.window.findChild<QComboBox *>(QStringLiteral("ComboPatient"));
    QCOMPARE(patient->count(), 2);
    QCOMPARE(patient->itemText(1), QStringLiteral("текущий: Белов Б., карта не указана"));
    QVERIFY(testing::pickItem(patient, 1));
    QCOMPARE(f.shown().size(), 1);
    QVERIFY(f.shown()[0].endsWith(QStringLiteral("[карта не указана, Белов; осмотр]")));

    QVERIFY(testing::pickItem(patient, 0));
    auto *from = f.window.findChild<QDateEdit *>(QStringLiteral("DateFrom"));
    auto *to = f.window.findChild<QDateEdit *>(QStringLiteral("DateTo"));
    // The range opens on the first kept day and today.
    QCOMPARE(from->date(), QDate(2026, 12, 9));
    QCOMPARE(to->date(), QDate(2026, 12, 11));
    to->setDate(QDate(2026, 12, 10));
    QCOMPARE(f.shown().size(), 1);
    QVERIFY(f.shown()[0].endsWith(QStringLiteral("[карта 1074, Тихонов; регистрационная карта]")));
    from->setDate(QDate(2026, 12, 10));
    QCOMPARE(f.shown(), QStringList{QStringLiteral("За выбранные дни записей нет.")});
}

void FormLogsTest::tamperedJournalIsSaidSo()
{
    Fixture f;
    f.database.flushJournal();
    QSqlQuery q(f.database.sql());
    QVERIFY(q.exec(QStringLiteral("DELETE FROM audit_log WHERE ID = 2")));
    f.all()->setChecked(true);
    QCOMPARE(f.window.findChild<QLabel *>(QStringLiteral("LabelChain"))->text(),
             QStringLiteral("Внимание! Журнал нарушен: Удалены записи журнала между 1 и 3."));
    QCOMPARE(f.shown().size(), 2);
}

void FormLogsTest::switchHiddenWithoutJournal()
{
    db::ChangeLog log;
    app::Form_logs window(log);
    window.show();
    QVERIFY(!window.findChild<QCheckBox *>(QStringLiteral("CheckBoxAll"))->isVisible());
}

void FormLogsTest::recordsInTheDoctorsWords_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("record");
    QTest::newRow("examination") << "osmotr_1" << "осмотр";
    QTest::newRow("procedure") << "lech_puva" << "процедура ПУВА";
    QTest::newRow("diagnosis") << "diagnoz" << "диагноз";
    QTest::newRow("blood test") << "analyz" << "анализ крови";
    QTest::newRow("prescription") << "lech_lekar" << "назначение";
    QTest::newRow("recommendation") << "recomend" << "рекомендация";
    QTest::newRow("element") << "osmotr_elem" << "элемент высыпания";
    QTest::newRow("card") << "register" << "регистрационная карта";
    QTest::newRow("complaints of the anamnesis") << "anamnez_zab_zalobi" << "анамнез болезни: жалобы";
    QTest::newRow("none") << "" << "";
    QTest::newRow("unknown keeps its name") << "nechto" << "nechto";
}

void FormLogsTest::recordsInTheDoctorsWords()
{
    QFETCH(QString, table);
    QFETCH(QString, record);
    QCOMPARE(db::JournalWords::record(table), record);
}

// The lines are read whole at any width; the size the doctor gave the window stays when it is opened again.
void FormLogsTest::longLinesWrapAndTheSizeIsKept()
{
    Fixture f;
    f.all()->setChecked(true);
    QCOMPARE(f.window.journalMemo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(f.window.memo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QVERIFY(f.window.minimumWidth() < f.window.maximumWidth());
    f.window.resize(1000, 600);
    f.window.close();
    f.window.show();
    QCOMPARE(f.window.size(), QSize(1000, 600));
    // A patient whose card is gone is said so, by the key that tells him from another.
    db::JournalWords words(f.database.sql());
    QCOMPARE(words.patient(7), QStringLiteral("удалённый пациент (запись 7)"));
    QCOMPARE(words.patient(QVariant()), QStringLiteral("пациент не указан"));
}

QTEST_MAIN(FormLogsTest)
#include "form_logs_test.moc"
