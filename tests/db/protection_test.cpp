#include "changelog.h"
#include "clinicfixture.h"
#include "clock.h"
#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "protection.h"
#include "register.h"
#include "settings.h"
#include "table.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::db;

namespace {

// Thursday, 20 March 2025, 09:05:07: a one-digit hour and day name and month of our own tables.
const QDateTime kNow(QDate(2025, 3, 20), QTime(9, 5, 7));
const QDate kToday = kNow.date();
const QString kCheckStamp = QStringLiteral("четверг, Март 20, 2025,  ,  09:05:07");
const QString kDecisionStamp = QStringLiteral("четверг, Март 20, 2025, 09:05:07");

const QString kDischargedQuestion = QStringLiteral("ask: Внимание!: Пациент на текущий момент выписан. Продолжить?");
const QString kAgeQuestion =
    QStringLiteral("ask: Внимание!: Сработала защита по давности. \rВы уверены что хотите внести изменения?");
const QString kBeep = QStringLiteral("beep");

QString check(const QString &name)
{
    return kCheckStamp + QStringLiteral(" - Проверка на защищенность данных со стороны ") + name;
}

QString decision(const QString &message)
{
    return kDecisionStamp + QStringLiteral(" - ") + message;
}

QString cancelled(const QString &name)
{
    return decision(QStringLiteral("Найдено изменение в ") + name + QStringLiteral(" - отменяем."));
}

const QString kRefusedDischarged = decision(QStringLiteral(" Отменяем изменения после проверки на выписку."));
const QString kRefusedAgeDm1 = decision(QStringLiteral(" Отменяем изменения после проверки на дату."));
const QString kRefusedAgeDm2 = decision(QStringLiteral(" Отменяем изменения после проверки на дату осмотра."));

// A fresh database with the protection installed on every table and the register calculated,
// as at start-up. Records are set up with the protection off, as it is at every start.
struct Fixture : testing::ClinicFixture
{
    qsizetype mark = 0;

    // Registered today and never discharged unless the fields say otherwise.
    void addPatient(QVariantMap fields = {})
    {
        if (!fields.contains(QStringLiteral("Reg_date")))
            fields.insert(QStringLiteral("Reg_date"), kToday);
        fields.insert(QStringLiteral("Last_Name"), QStringLiteral("Иванов"));
        append(reg(), fields);
    }

    void addDischargedPatient() { addPatient({{"Vip_date", kToday.addDays(-10)}, {"Reg_date", kToday.addDays(-100)}}); }

    void protectionOn()
    {
        settings.protectionOn = true;
        settings.protectionDays = 30;
        mark = log.lines().size();
    }

    QStringList newLines() const { return log.lines().mid(mark); }

};

} // namespace

class ProtectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanupTestCase();

    void checkLineHasTheCheckTimestamp();
    void offLogsOneLineAndAsksNothing();
    void everyProtectedTableLogsItsCheckText_data();
    void everyProtectedTableLogsItsCheckText();
    void ageLimitIsStrict_data();
    void ageLimitIsStrict();
    void declinedAgeQuestionDiscardsTheExaminationChange();
    void dischargedPatientsBloodTest_data();
    void dischargedPatientsBloodTest();
    void decliningTheDischargeCancelsRegisterThenAnamnesis();
    void anamnesisIsJudgedByTheRegistration_data();
    void anamnesisIsJudgedByTheRegistration();
    void suspendedProtectionOnlyLogsChecks();
    void unchangedPostRefusedLogsOnlyTheRefusal();
    void examinationRefusalWalksItsCancelSetInOrder();
    void refusedNewRecordReturnsToTheStoredOne();
    void refusedFirstRecordLeavesTheTableEmpty();
    void elementIsJudgedByItsExamination_data();
    void elementIsJudgedByItsExamination();
    void replacedHandlerStillAppliesTheRule();
};

void ProtectionTest::init()
{
    clock::setFixedNow(kNow);
}

void ProtectionTest::cleanupTestCase()
{
    clock::reset();
}

void ProtectionTest::checkLineHasTheCheckTimestamp()
{
    QCOMPARE(Protection::checkLine(QStringLiteral("текст")), kCheckStamp + QStringLiteral(" - текст"));
    clock::setFixedNow(QDateTime(QDate(2025, 12, 1), QTime(23, 59, 0)));
    QCOMPARE(Protection::checkLine(QStringLiteral("x")),
             QStringLiteral("понедельник, Декабрь 1, 2025,  ,  23:59:00 - x"));
}

void ProtectionTest::offLogsOneLineAndAsksNothing()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addDischargedPatient();
    const qsizetype before = f.log.lines().size();
    f.reg().edit();
    f.reg().setValue(QStringLiteral("First_Name"), QStringLiteral("Иван"));
    QVERIFY(f.reg().post());
    QCOMPARE(f.log.lines().mid(before), QStringList{check(QStringLiteral("register"))});
    QVERIFY(f.log.lines().constLast().endsWith(QStringLiteral("Проверка на защищенность данных со стороны register")));
    QVERIFY(dialogs.transcript.isEmpty());
    QCOMPARE(f.stored(QStringLiteral("SELECT \"First_Name\" FROM register")).toString(), QStringLiteral("Иван"));
}

void ProtectionTest::everyProtectedTableLogsItsCheckText_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("checkText"); // empty: not protected

    for (const char *name : {"register", "anamnez_zab", "anamnez_zab_start", "anamnez_zab_ranlech",
                             "anamnez_zab_obostr_prich", "anamnez_zab_zalobi", "anamnez_life", "anamnez_life_zab",
                             "anamnez_life_sem", "osmotr_elem", "diagnoz", "analyz", "lech_lekar", "recomend"})
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(name);
    QTest::newRow("anamnez_zab_obostr_lech")
        << QStringLiteral("anamnez_zab_obostr_lech") << QStringLiteral("obostr_lech");
    QTest::newRow("osmotr1") << QStringLiteral("osmotr1") << QStringLiteral("osmotr");
    QTest::newRow("lech_puva") << QStringLiteral("lech_puva") << QStringLiteral("lech_puvaDate");
    QTest::newRow("osmotr_img") << QStringLiteral("osmotr_img") << QString();
    QTest::newRow("post_vipis") << QStringLiteral("post_vipis") << QString();
}

void ProtectionTest::everyProtectedTableLogsItsCheckText()
{
    QFETCH(QString, table);
    QFETCH(QString, checkText);
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient();
    // One record in every table, so that each can be edited.
    for (Table *t : f.dm1->tables()) {
        if (t->isEmpty())
            f.append(*t);
    }
    for (Table *t : f.dm2->tables()) {
        if (t->isEmpty())
            f.append(*t);
    }
    Table *t = f.dm1->table(table) ? f.dm1->table(table) : f.dm2->table(table);
    QVERIFY(t);
    QCOMPARE(f.protection->isProtected(*t), !checkText.isEmpty());

    const qsizetype before = f.log.lines().size();
    t->edit();
    QVERIFY(t->post());
    QCOMPARE(f.log.lines().mid(before), checkText.isEmpty() ? QStringList() : QStringList{check(checkText)});
}

void ProtectionTest::ageLimitIsStrict_data()
{
    QTest::addColumn<int>("daysOld");
    QTest::addColumn<bool>("asked");
    QTest::newRow("examination of today") << 0 << false;
    QTest::newRow("exactly 30 days old") << 30 << false;
    QTest::newRow("31 days old") << 31 << true;
    QTest::newRow("a year old") << 365 << true;
}

void ProtectionTest::ageLimitIsStrict()
{
    QFETCH(int, daysOld);
    QFETCH(bool, asked);
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient();
    f.append(*f.dm2->osmotr1, {{"Date", kToday.addDays(-daysOld)}});
    f.protectionOn();
    dialogs.answers << QStringLiteral("yes");

    Table &exam = *f.dm2->osmotr1;
    exam.edit();
    exam.setValue(QStringLiteral("A4"), QStringLiteral("x"));
    QVERIFY(exam.post());
    QCOMPARE(dialogs.transcript, asked ? (QStringList{kBeep, kAgeQuestion}) : QStringList());
    QCOMPARE(f.newLines(), QStringList{check(QStringLiteral("osmotr"))});
    QCOMPARE(f.stored(QStringLiteral("SELECT \"A4\" FROM osmotr_1")).toString(), QStringLiteral("x"));
}

void ProtectionTest::declinedAgeQuestionDiscardsTheExaminationChange()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient();
    f.append(*f.dm2->osmotr1, {{"Date", kToday.addDays(-40)}});
    f.protectionOn();
    dialogs.answers << QStringLiteral("no");

    Table &exam = *f.dm2->osmotr1;
    exam.edit();
    exam.setValue(QStringLiteral("A4"), QStringLiteral("x"));
    QVERIFY(exam.post());
    QCOMPARE(dialogs.transcript, (QStringList{kBeep, kAgeQuestion}));
    QCOMPARE(f.newLines(),
             (QStringList{check(QStringLiteral("osmotr")), kRefusedAgeDm2, cancelled(QStringLiteral("osmotr"))}));
    QCOMPARE(exam.state(), TableState::Browse);
    QVERIFY(exam.isNull(QStringLiteral("A4")));
    QVERIFY(f.stored(QStringLiteral("SELECT \"A4\" FROM osmotr_1")).isNull());
}

void ProtectionTest::dischargedPatientsBloodTest_data()
{
    QTest::addColumn<int>("testDaysOld");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("transcript");
    QTest::addColumn<QStringList>("decisionLines"); // after the check line
    QTest::addColumn<bool>("stored");

    const QString analyz = cancelled(QStringLiteral("analyz"));
    QTest::newRow("recent test, Yes") << 5 << QStringList{"yes"} << QStringList{kBeep, kDischargedQuestion}
                                      << QStringList() << true;
    QTest::newRow("old test, Yes and Yes")
        << 40 << QStringList{"yes", "yes"} << QStringList{kBeep, kDischargedQuestion, kBeep, kAgeQuestion}
        << QStringList() << true;
    QTest::newRow("old test, Yes and No")
        << 40 << QStringList{"yes", "no"} << QStringList{kBeep, kDischargedQuestion, kBeep, kAgeQuestion}
        << QStringList{kRefusedAgeDm2, analyz} << false;
    QTest::newRow("old test, both boxes closed without an answer")
        << 40 << QStringList{"close", "close"} << QStringList{kBeep, kDischargedQuestion, kBeep, kAgeQuestion}
        << QStringList() << true;
    QTest::newRow("old test, No") << 40 << QStringList{"no"} << QStringList{kBeep, kDischargedQuestion}
                                  << QStringList{kRefusedDischarged, analyz} << false;
}

void ProtectionTest::dischargedPatientsBloodTest()
{
    QFETCH(int, testDaysOld);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, transcript);
    QFETCH(QStringList, decisionLines);
    QFETCH(bool, stored);
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addDischargedPatient();
    QCOMPARE(f.reg().asString(QStringLiteral("flag")), QStringLiteral("-"));
    f.append(*f.dm2->analyz, {{"Data", kToday.addDays(-testDaysOld)}});
    f.protectionOn();
    dialogs.answers = answers;

    Table &test = *f.dm2->analyz;
    test.edit();
    test.setValue(QStringLiteral("Rezult"), QStringLiteral("норма"));
    QVERIFY(test.post());
    QCOMPARE(dialogs.transcript, transcript);
    QCOMPARE(f.newLines(), QStringList{check(QStringLiteral("analyz"))} + decisionLines);
    QCOMPARE(f.stored(QStringLiteral("SELECT \"Rezult\" FROM analyz")).toString(),
             stored ? QStringLiteral("норма") : QString());
}

void ProtectionTest::decliningTheDischargeCancelsRegisterThenAnamnesis()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient({{"Vip_date", kToday.addDays(-10)}});
    f.append(*f.dm1->anamnez_zab);
    f.append(*f.dm2->osmotr1, {{"Date", kToday}});
    f.protectionOn();

    Table &reg = f.reg();
    Table &zab = *f.dm1->anamnez_zab;
    Table &exam = *f.dm2->osmotr1;
    reg.edit();
    reg.setValue(QStringLiteral("First_Name"), QStringLiteral("Пётр"));
    zab.edit();
    zab.setValue(QStringLiteral("Zalobi"), QStringLiteral("зуд"));
    exam.edit();
    exam.setValue(QStringLiteral("A4"), QStringLiteral("y"));
    dialogs.answers << QStringLiteral("no");

    QVERIFY(reg.post());
    QCOMPARE(dialogs.transcript, (QStringList{kBeep, kDischargedQuestion}));
    QCOMPARE(f.newLines(),
             (QStringList{check(QStringLiteral("register")), kRefusedDischarged, cancelled(QStringLiteral("register")),
                          cancelled(QStringLiteral("anamnez_zab"))}));
    // The register's post went through with the stored record.
    QCOMPARE(reg.state(), TableState::Browse);
    QVERIFY(reg.isNull(QStringLiteral("First_Name")));
    QVERIFY(f.stored(QStringLiteral("SELECT \"First_Name\" FROM register")).isNull());
    // The anamnesis is back in edit state on its stored values.
    QCOMPARE(zab.state(), TableState::Edit);
    QVERIFY(!zab.modified());
    QVERIFY(zab.isNull(QStringLiteral("Zalobi")));
    // The other data module keeps its pending change.
    QVERIFY(exam.modified());
    QCOMPARE(exam.asString(QStringLiteral("A4")), QStringLiteral("y"));
}

void ProtectionTest::anamnesisIsJudgedByTheRegistration_data()
{
    QTest::addColumn<int>("registeredDaysAgo");
    QTest::addColumn<bool>("asked");
    QTest::newRow("registered 40 days ago") << 40 << true;
    QTest::newRow("registered 30 days ago") << 30 << false;
}

void ProtectionTest::anamnesisIsJudgedByTheRegistration()
{
    QFETCH(int, registeredDaysAgo);
    QFETCH(bool, asked);
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient({{"Reg_date", kToday.addDays(-registeredDaysAgo)}});
    f.append(*f.dm1->anamnez_life);
    f.protectionOn();
    dialogs.answers << QStringLiteral("no");

    // A new entry, made today, is as old as the registration.
    Table &lifeDiseases = *f.dm1->anamnez_life_zab;
    QVERIFY(lifeDiseases.isEmpty());
    lifeDiseases.insert();
    lifeDiseases.setValue(QStringLiteral("A1_1"), true);
    QVERIFY(lifeDiseases.post());

    const QString table = QStringLiteral("anamnez_life_zab");
    const qint64 rows = f.stored(QStringLiteral("SELECT count(*) FROM anamnez_life_zab")).toLongLong();
    if (asked) {
        QCOMPARE(dialogs.transcript, (QStringList{kBeep, kAgeQuestion}));
        QCOMPARE(f.newLines(), (QStringList{check(table), kRefusedAgeDm1, cancelled(table)}));
        // The dropped entry leaves no empty record behind.
        QVERIFY(lifeDiseases.isEmpty());
        QCOMPARE(lifeDiseases.state(), TableState::Browse);
        QCOMPARE(rows, 0);
    } else {
        QVERIFY(dialogs.transcript.isEmpty());
        QCOMPARE(f.newLines(), QStringList{check(table)});
        QCOMPARE(rows, 1);
    }
}

void ProtectionTest::suspendedProtectionOnlyLogsChecks()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addDischargedPatient();
    f.append(*f.dm2->osmotr1, {{"Date", kToday.addDays(-400)}});
    f.protectionOn();
    f.settings.protectionSuspended = true;

    f.dm2->osmotr1->edit();
    f.dm2->osmotr1->setValue(QStringLiteral("A4"), QStringLiteral("x"));
    QVERIFY(f.dm2->osmotr1->post());
    f.append(*f.dm2->lech_puva, {{"Date", kToday.addDays(-400)}, {"Id_kurs", 1}});
    f.reg().edit();
    f.reg().setValue(QStringLiteral("Doza"), 1205);
    QVERIFY(f.reg().post());

    QVERIFY(dialogs.transcript.isEmpty());
    QCOMPARE(f.newLines(), (QStringList{check(QStringLiteral("osmotr")), check(QStringLiteral("lech_puvaDate")),
                                        check(QStringLiteral("register"))}));
    QCOMPARE(f.stored(QStringLiteral("SELECT \"Doza\" FROM register")).toInt(), 1205);
}

void ProtectionTest::unchangedPostRefusedLogsOnlyTheRefusal()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addDischargedPatient();
    f.protectionOn();
    dialogs.answers << QStringLiteral("no") << QStringLiteral("no");

    f.reg().edit();
    QVERIFY(f.reg().post());
    QCOMPARE(f.newLines(), (QStringList{check(QStringLiteral("register")), kRefusedDischarged}));
    QCOMPARE(f.reg().state(), TableState::Browse);
}

void ProtectionTest::examinationRefusalWalksItsCancelSetInOrder()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient();
    f.append(*f.dm2->osmotr1, {{"Date", kToday.addDays(-40)}});
    f.append(*f.dm2->osmotr_elem);
    f.append(*f.dm2->lech_puva, {{"Date", kToday}, {"Id_kurs", 1}});
    f.append(*f.dm2->diagnoz, {{"Data", kToday}});
    f.append(*f.dm2->analyz, {{"Data", kToday}});
    f.append(*f.dm2->recomend, {{"Data", kToday}});
    f.protectionOn();

    // Pending changes everywhere but in diagnoz and lech_lekar, made in another order than the walk's.
    f.dm2->recomend->edit();
    f.dm2->recomend->setValue(QStringLiteral("Komm"), QStringLiteral("крем"));
    f.dm2->osmotr_elem->edit();
    f.dm2->osmotr_elem->setValue(QStringLiteral("Name_elem"), QStringLiteral("Бляшка"));
    f.dm2->analyz->edit();
    f.dm2->analyz->setValue(QStringLiteral("Rezult"), QStringLiteral("норма"));
    f.dm2->lech_puva->edit();
    f.dm2->lech_puva->setValue(QStringLiteral("Type1"), QStringLiteral("УФА"));
    f.dm2->diagnoz->edit();
    f.reg().edit();
    f.reg().setValue(QStringLiteral("First_Name"), QStringLiteral("Иван"));
    Table &exam = *f.dm2->osmotr1;
    exam.edit();
    exam.setValue(QStringLiteral("A4"), QStringLiteral("x"));
    dialogs.answers << QStringLiteral("no");

    QVERIFY(exam.post());
    QCOMPARE(f.newLines(),
             (QStringList{check(QStringLiteral("osmotr")), kRefusedAgeDm2, cancelled(QStringLiteral("osmotr")),
                          cancelled(QStringLiteral("lech_puva")), cancelled(QStringLiteral("osmotr_elem")),
                          cancelled(QStringLiteral("analyz")), cancelled(QStringLiteral("recomend"))}));
    QCOMPARE(exam.state(), TableState::Browse);
    QVERIFY(exam.isNull(QStringLiteral("A4")));
    for (Table *t : {f.dm2->lech_puva, f.dm2->osmotr_elem, f.dm2->analyz, f.dm2->recomend, f.dm2->diagnoz}) {
        QCOMPARE(t->state(), TableState::Edit);
        QVERIFY2(!t->modified(), qPrintable(t->tableName()));
    }
    QVERIFY(f.dm2->recomend->isNull(QStringLiteral("Komm")));
    QVERIFY(f.dm2->osmotr_elem->isNull(QStringLiteral("Name_elem")));
    // The register belongs to the other data module and keeps its change.
    QVERIFY(f.reg().modified());
}

void ProtectionTest::refusedNewRecordReturnsToTheStoredOne()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient();
    f.append(*f.dm2->diagnoz, {{"Data", kToday.addDays(-60)}, {"Text", "Диагноз при поступлении"}});
    f.protectionOn();
    dialogs.answers << QStringLiteral("no");

    Table &diagnoses = *f.dm2->diagnoz;
    diagnoses.append();
    diagnoses.setValue(QStringLiteral("Data"), kToday.addDays(-40));
    diagnoses.setValue(QStringLiteral("Text"), QStringLiteral("Диагноз при выписке"));
    QVERIFY(diagnoses.post());
    QCOMPARE(f.newLines(),
             (QStringList{check(QStringLiteral("diagnoz")), kRefusedAgeDm2, cancelled(QStringLiteral("diagnoz"))}));
    QCOMPARE(diagnoses.recordCount(), 1);
    QCOMPARE(diagnoses.state(), TableState::Browse);
    QCOMPARE(diagnoses.asString(QStringLiteral("Text")), QStringLiteral("Диагноз при поступлении"));
    QCOMPARE(f.stored(QStringLiteral("SELECT count(*) FROM diagnoz")).toInt(), 1);
}

void ProtectionTest::refusedFirstRecordLeavesTheTableEmpty()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient();
    f.protectionOn();
    dialogs.answers << QStringLiteral("no");

    // A prescription without a date counts as written on 30.12.1899.
    Table &drugs = *f.dm2->lech_lekar;
    drugs.append();
    drugs.setValue(QStringLiteral("Lek"), QStringLiteral("Метотрексат"));
    QVERIFY(drugs.post());
    QCOMPARE(dialogs.transcript, (QStringList{kBeep, kAgeQuestion}));
    QCOMPARE(f.newLines(), (QStringList{check(QStringLiteral("lech_lekar")), kRefusedAgeDm2,
                                        cancelled(QStringLiteral("lech_lekar"))}));
    QVERIFY(drugs.isEmpty());
    QCOMPARE(drugs.state(), TableState::Browse);
    QCOMPARE(f.stored(QStringLiteral("SELECT count(*) FROM lech_lekar")).toInt(), 0);
}

void ProtectionTest::elementIsJudgedByItsExamination_data()
{
    QTest::addColumn<int>("examDaysOld");
    QTest::addColumn<bool>("asked");
    QTest::newRow("element of an old examination") << 40 << true;
    QTest::newRow("element of today's examination") << 0 << false;
}

void ProtectionTest::elementIsJudgedByItsExamination()
{
    QFETCH(int, examDaysOld);
    QFETCH(bool, asked);
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient();
    f.append(*f.dm2->osmotr1, {{"Date", kToday.addDays(-examDaysOld)}});
    f.append(*f.dm2->osmotr_elem);
    f.protectionOn();
    dialogs.answers << QStringLiteral("yes");

    f.dm2->osmotr_elem->edit();
    f.dm2->osmotr_elem->setValue(QStringLiteral("Name_elem"), QStringLiteral("Папула"));
    QVERIFY(f.dm2->osmotr_elem->post());
    QCOMPARE(dialogs.transcript, asked ? (QStringList{kBeep, kAgeQuestion}) : QStringList());
}

void ProtectionTest::replacedHandlerStillAppliesTheRule()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient();
    f.append(*f.dm2->osmotr1, {{"Date", kToday.addDays(-40)}});
    f.protectionOn();
    dialogs.answers << QStringLiteral("no");

    // An examination handler that does more around the rule.
    QStringList order;
    Table &exam = *f.dm2->osmotr1;
    exam.beforePost = [&](Table &t) {
        order << QStringLiteral("before");
        f.protection->checkTable(t);
        order << QStringLiteral("after");
    };
    exam.edit();
    exam.setValue(QStringLiteral("A4"), QStringLiteral("x"));
    QVERIFY(exam.post());
    QCOMPARE(order, (QStringList{"before", "after"}));
    QCOMPARE(f.newLines(),
             (QStringList{check(QStringLiteral("osmotr")), kRefusedAgeDm2, cancelled(QStringLiteral("osmotr"))}));

    // Tables outside the rule are left alone.
    f.protection->checkTable(*f.dm2->osmotr_img);
    f.protection->checkTable(*f.dm1->post_vipis);
    QCOMPARE(f.newLines().size(), 3);
}

QTEST_GUILESS_MAIN(ProtectionTest)
#include "protection_test.moc"
