// The log window's switch "Весь журнал": the kept history beside the run's memo, its filters and the
// verdict on its chain.
#include "auditlog.h"
#include "changelog.h"
#include "clock.h"
#include "database.h"
#include "form_logs.h"
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
        window.setJournal(&database, [] { return std::pair<QVariant, QString>(2, QStringLiteral("Белов Борис")); });
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
    QCOMPARE(lines[0], f.log.lines()[0] + QStringLiteral("   [пациент № 1, register]"));
    QCOMPARE(lines[1], f.log.lines()[1] + QStringLiteral("   [пациент № 2, osmotr_1]"));
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
    QCOMPARE(patient->itemText(1), QStringLiteral("текущий: Белов Борис (№ 2)"));
    QVERIFY(testing::pickItem(patient, 1));
    QCOMPARE(f.shown().size(), 1);
    QVERIFY(f.shown()[0].endsWith(QStringLiteral("[пациент № 2, osmotr_1]")));

    QVERIFY(testing::pickItem(patient, 0));
    auto *from = f.window.findChild<QDateEdit *>(QStringLiteral("DateFrom"));
    auto *to = f.window.findChild<QDateEdit *>(QStringLiteral("DateTo"));
    // The range opens on the first kept day and today.
    QCOMPARE(from->date(), QDate(2026, 12, 9));
    QCOMPARE(to->date(), QDate(2026, 12, 11));
    to->setDate(QDate(2026, 12, 10));
    QCOMPARE(f.shown().size(), 1);
    QVERIFY(f.shown()[0].endsWith(QStringLiteral("[пациент № 1, register]")));
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

QTEST_MAIN(FormLogsTest)
#include "form_logs_test.moc"
