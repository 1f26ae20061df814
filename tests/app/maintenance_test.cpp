// The runs of the maintenance window, on four patients that show what each run does: one with
// everything, one without procedures, one without diagnoses or examinations, one with nothing.
// The same runs through "pelorin-cli maintain".
#include "appcontext.h"
#include "clock.h"
#include "dialogs.h"
#include "maintain.h"
#include "maintenance.h"
#include "session.h"

#include <QLockFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;
using app::MaintenanceRun;

namespace {

const QDate kToday(2026, 12, 10);
const QString kDischarge = QStringLiteral("Диагноз при выписке");
const QString kFirst = QStringLiteral("Диагноз при первом поступлении");
const QString kAdmission = QStringLiteral("Диагноз при поступлении");

// The program's tables with every rule the program installs, in a folder of its own.
struct Clinic
{
    QTemporaryDir dir;
    app::AppContext ctx;

    // In a folder of its own, or in `folder` when given.
    explicit Clinic(const QString &folder = {})
    {
        QString error;
        if (!ctx.database.open(folder.isEmpty() ? dir.path() : folder, &error))
            qFatal("open failed: %s", qPrintable(error));
        ctx.dm1 = std::make_unique<db::DM1>(ctx.database);
        ctx.dm2 = std::make_unique<db::DM2>(ctx.database, *ctx.dm1);
        if (!app::openDataModule(ctx, 1, &error) || !app::openDataModule(ctx, 2, &error))
            qFatal("modules failed: %s", qPrintable(error));
    }

    db::Table &reg() { return *ctx.dm1->register_; }

    void append(db::Table &t, const QVariantMap &fields)
    {
        t.append();
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            if (!t.setValue(it.key(), it.value()))
                qFatal("cannot set %s", qPrintable(it.key()));
        }
        if (!t.post())
            qFatal("post to %s failed", qPrintable(t.tableName()));
    }

    QVariant stored(const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery q(ctx.database.sql());
        q.prepare(sql);
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec() || !q.next())
            qFatal("query failed: %s", qPrintable(sql));
        return q.value(0);
    }

    void exec(const QString &sql)
    {
        QSqlQuery q(ctx.database.sql());
        if (!q.exec(sql))
            qFatal("query failed: %s", qPrintable(sql));
    }

    QVariant patientField(const QString &lastName, const QString &field)
    {
        return stored(QStringLiteral("SELECT \"%1\" FROM register WHERE Last_Name = ?").arg(field), {lastName});
    }

    // The change-log lines from `from` on, without their timestamps.
    QStringList logFrom(qsizetype from) const
    {
        QStringList lines;
        for (qsizetype i = from; i < ctx.log.lines().size(); ++i)
            lines << ctx.log.lines().at(i).section(QStringLiteral(" - "), 1);
        return lines;
    }
};

// "Антонов": procedures of courses 1, 1, 2, an admission and a discharge, two examinations with a
// last exacerbation noted. "Борисов": one diagnosis event, one examination, no procedure.
// "Волков": one procedure, no diagnosis, no examination. "Громов": nothing but his card.
void seed(Clinic &c)
{
    db::DM2 &dm2 = *c.ctx.dm2;
    c.append(c.reg(), {{"Last_Name", QStringLiteral("Антонов")}, {"Reg_date", QDate(2025, 1, 10)}});
    c.append(*dm2.osmotr1, {{"Nom_osm", 1}, {"Date", QDate(2025, 1, 10)}, {"Ob", true},
                            {"Ob_date", QStringLiteral("осень")}, {"Ob_ndate", 3}, {"Ob_result", QStringLiteral("улучшение")},
                            {"Ob_pr_a10", QStringLiteral("стресс")}, {"Ob_pr_a11", true}, {"Ob_pr_a214", true},
                            {"Ob_pr_lech", QStringLiteral("мази")}});
    c.append(*dm2.osmotr1, {{"Nom_osm", 2}, {"Date", QDate(2025, 1, 20)}, {"Ob_pr_a20", QStringLiteral("инфекция")},
                            {"Ob_pr_a16", true}});
    const QDate days[] = {QDate(2025, 1, 11), QDate(2025, 1, 13), QDate(2025, 1, 25)};
    const int courses[] = {1, 1, 2};
    const int numbers[] = {1, 2, 1};
    for (int i = 0; i < 3; ++i)
        c.append(*dm2.lech_puva, {{"Id_kurs", courses[i]}, {"Nom_proc", numbers[i]}, {"Date", days[i]},
                                  {"Power1", 25}, {"Time1", 10 * (i + 1)}});
    c.append(*dm2.diagnoz, {{"Text", kFirst}, {"Data", QDate(2025, 1, 10)}, {"B1", true}});
    c.append(*dm2.diagnoz, {{"Text", kDischarge}, {"Data", QDate(2025, 2, 1)}, {"B1", true}});

    c.append(c.reg(), {{"Last_Name", QStringLiteral("Борисов")}, {"Reg_date", QDate(2025, 3, 1)},
                       {"Vip_date", QDate(2024, 5, 5)}, {"Born_Day", 7}, {"ID_age_cat", 7}});
    c.append(*dm2.osmotr1, {{"Nom_osm", 1}, {"Date", QDate(2025, 3, 1)}, {"Ob", true}, {"Ob_pr_a13", true}});
    c.append(*dm2.diagnoz, {{"Text", kFirst}, {"Data", QDate(2025, 3, 1)}, {"B2", true}});

    c.append(c.reg(), {{"Last_Name", QStringLiteral("Волков")}, {"Reg_date", QDate(2025, 4, 1)},
                       {"Vip_date", QDate(2025, 4, 30)}});
    c.append(*dm2.lech_puva, {{"Id_kurs", 1}, {"Nom_proc", 1}, {"Date", QDate(2025, 4, 2)}, {"Power1", 15},
                              {"Time1", 7}});

    c.append(c.reg(), {{"Last_Name", QStringLiteral("Громов")}, {"Reg_date", QDate(2025, 5, 1)}, {"Doza", 999},
                       {"Puv_posl", 4}, {"Dat_posl", QDate(2025, 5, 9)}});
    c.reg().setOrderField(QStringLiteral("Last_Name"));
    c.reg().first();
}

// Each line of a run's log, counted: the order of the runs is checked where it matters.
QMap<QString, int> counted(const QStringList &lines)
{
    QMap<QString, int> n;
    for (const QString &line : lines)
        ++n[line];
    return n;
}

const QString kRegisterCheck = QStringLiteral("Проверка на защищенность данных со стороны register");
const QString kExamCheck = QStringLiteral("Проверка на защищенность данных со стороны osmotr");
const QString kDiagnozCheck = QStringLiteral("Проверка на защищенность данных со стороны diagnoz");

} // namespace

class MaintenanceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void courseNumbers();
    void dischargeDates();
    void repostDiagnoses();
    void copyCourses();
    void procedureTotals();
    void clearExacerbation();
    void walksTheListAsFilteredOnceEach();
    void protectionQuestionsAreAsked_data();
    void protectionQuestionsAreAsked();
    void emptyListDoesNothing();
    void refusedBatchIsNamed_data();
    void refusedBatchIsNamed();
    void commandLine_data();
    void commandLine();
    void commandLineRefuses_data();
    void commandLineRefuses();
};

void MaintenanceTest::init()
{
    clock::setFixedNow(QDateTime(kToday, QTime(9, 30)));
}

void MaintenanceTest::cleanup()
{
    clock::reset();
}

void MaintenanceTest::courseNumbers()
{
    Clinic c;
    seed(c);
    ScopedScriptedDialogs dialogs;
    const qsizetype from = c.ctx.log.lines().size();
    app::Maintenance m(*c.ctx.dm1, *c.ctx.dm2, c.ctx.settings, c.ctx.log);
    const app::MaintenanceResult r = m.run(MaintenanceRun::CourseNumbers);
    QCOMPARE(r.patients, 4);
    QCOMPARE(r.done, 4);
    QVERIFY(r.failures.isEmpty());
    struct Expected
    {
        const char *name;
        int first, last;
    };
    // Courses 1, 1, 2 give 1 and 2; no procedure gives 0 and 0.
    for (const Expected &e : {Expected{"Антонов", 1, 2}, Expected{"Борисов", 0, 0}, Expected{"Волков", 1, 1},
                              Expected{"Громов", 0, 0}}) {
        QCOMPARE(c.patientField(QString::fromUtf8(e.name), "Born_Day").toInt(), e.first);
        QCOMPARE(c.patientField(QString::fromUtf8(e.name), "ID_age_cat").toInt(), e.last);
    }
    // Two posts of each register record, each checked by the protection.
    QCOMPARE(c.logFrom(from), QStringList(8, kRegisterCheck));
    QVERIFY(dialogs.transcript.isEmpty());
    // The doctor is back on the patient he was on.
    QCOMPARE(c.reg().asString("Last_Name"), QStringLiteral("Антонов"));
}

void MaintenanceTest::dischargeDates()
{
    Clinic c;
    seed(c);
    ScopedScriptedDialogs dialogs;
    // The last event of Антонов becomes an admission: his discharge date stays.
    c.exec("UPDATE register SET Vip_date = NULL WHERE Last_Name = 'Антонов'");
    c.reg().refresh();
    const qsizetype from = c.ctx.log.lines().size();
    app::Maintenance m(*c.ctx.dm1, *c.ctx.dm2, c.ctx.settings, c.ctx.log);
    QVERIFY(m.run(MaintenanceRun::DischargeDates).failures.isEmpty());
    QCOMPARE(c.patientField("Антонов", "Vip_date").toString(), QStringLiteral("2025-02-01"));
    QCOMPARE(c.patientField("Борисов", "Vip_date").toString(), QStringLiteral("2024-05-05"));
    QCOMPARE(c.patientField("Волков", "Vip_date").toString(), QStringLiteral("2025-04-30"));
    QVERIFY(c.patientField("Громов", "Vip_date").isNull());
    QCOMPARE(c.logFrom(from), QStringList{kRegisterCheck});
}

void MaintenanceTest::repostDiagnoses()
{
    Clinic c;
    seed(c);
    ScopedScriptedDialogs dialogs;
    c.exec("UPDATE diagnoz SET Kurs = 9, Text1 = 'старый текст'");
    c.exec("UPDATE register SET Born_Day = 3 WHERE Last_Name = 'Антонов'");
    c.reg().refresh();
    c.reg().first();
    const qsizetype from = c.ctx.log.lines().size();
    app::Maintenance m(*c.ctx.dm1, *c.ctx.dm2, c.ctx.settings, c.ctx.log);
    QVERIFY(m.run(MaintenanceRun::RepostDiagnoses).failures.isEmpty());
    // Born_Day 3: the admission and the discharge are both of course 3; Борисов (Born_Day 7) has 7.
    QCOMPARE(c.stored("SELECT group_concat(Kurs, ',') FROM (SELECT Kurs FROM diagnoz ORDER BY rowid)").toString(),
             QStringLiteral("3,3,7"));
    QCOMPARE(c.stored("SELECT count(*) FROM diagnoz WHERE Text1 = 'старый текст' OR Text1 IS NULL").toInt(), 0);
    QCOMPARE(c.stored("SELECT group_concat(Text1, '|') FROM (SELECT Text1 FROM diagnoz ORDER BY rowid)").toString(),
             QStringLiteral("псориаз. |псориаз. |атопический дерматит. "));
    const QMap<QString, int> n = counted(c.logFrom(from));
    QCOMPARE(n.value(kDiagnozCheck), 3);
    QCOMPARE(n.value(QStringLiteral("Событие добавки номера курса.")), 3);
    QCOMPARE(n.value(QStringLiteral("Событие после редактирования текста")), 3);
}

void MaintenanceTest::copyCourses()
{
    Clinic c;
    seed(c);
    ScopedScriptedDialogs dialogs;
    c.exec("UPDATE register SET Born_Day = 1");
    c.reg().refresh();
    const qsizetype from = c.ctx.log.lines().size();
    app::Maintenance m(*c.ctx.dm1, *c.ctx.dm2, c.ctx.settings, c.ctx.log);
    QVERIFY(m.run(MaintenanceRun::CopyCourses).failures.isEmpty());
    // Two events: the discharge and the admission before it.
    QCOMPARE(c.patientField("Антонов", "Vip_date").toString(), QStringLiteral("2025-02-01"));
    QCOMPARE(c.patientField("Антонов", "Dat_posl_post").toString(), QStringLiteral("2025-01-10"));
    QCOMPARE(c.patientField("Антонов", "NKurs_posl_post").toInt(), 1);
    QCOMPARE(c.patientField("Антонов", "ID_age_cat").toInt(), 1);
    // One event: the patient is in, his discharge date goes.
    QVERIFY(c.patientField("Борисов", "Vip_date").isNull());
    QCOMPARE(c.patientField("Борисов", "NKurs_posl_post").toInt(), 1);
    // No event: the card keeps its dates.
    QCOMPARE(c.patientField("Волков", "Vip_date").toString(), QStringLiteral("2025-04-30"));
    QCOMPARE(c.logFrom(from), QStringList({QStringLiteral("копируем последний статус диагноза"), kRegisterCheck,
                                          QStringLiteral("диагноз один, ниче не делаем"), kRegisterCheck}));
}

void MaintenanceTest::procedureTotals()
{
    Clinic c;
    seed(c);
    ScopedScriptedDialogs dialogs;
    const qsizetype from = c.ctx.log.lines().size();
    app::Maintenance m(*c.ctx.dm1, *c.ctx.dm2, c.ctx.settings, c.ctx.log);
    QVERIFY(m.run(MaintenanceRun::ProcedureTotals).failures.isEmpty());
    // 25 × 10 + 25 × 20 + 25 × 30 hundredths of a joule; the last procedure is number 1 of course 2.
    QCOMPARE(c.patientField("Антонов", "Doza").toInt(), 1500);
    QCOMPARE(c.patientField("Антонов", "Dat_posl").toString(), QStringLiteral("2025-01-25"));
    QCOMPARE(c.patientField("Антонов", "Puv_posl").toInt(), 1);
    QCOMPARE(c.patientField("Волков", "Doza").toInt(), 105);
    // Without procedures the totals are emptied.
    QCOMPARE(c.patientField("Громов", "Doza").toInt(), 0);
    QCOMPARE(c.patientField("Громов", "Puv_posl").toInt(), 0);
    QVERIFY(c.patientField("Громов", "Dat_posl").isNull());
    // The examinations are linked to the procedures on or after their dates.
    QCOMPARE(c.stored("SELECT group_concat(PUVA, '|') FROM (SELECT PUVA FROM osmotr_1 WHERE ID_man = "
                      "(SELECT ID_man FROM register WHERE Last_Name = 'Антонов') ORDER BY ID)")
                 .toString(),
             QStringLiteral("1 курс 1|1 курс 2"));
    QCOMPARE(c.stored("SELECT group_concat(ifnull(Osmotr, '-'), ',') FROM (SELECT Osmotr FROM lech_puva WHERE ID_man = "
                      "(SELECT ID_man FROM register WHERE Last_Name = 'Антонов') ORDER BY rowid)")
                 .toString(),
             QStringLiteral("1,-,2"));
    // Two beeps for every patient, and no question.
    QCOMPARE(dialogs.transcript, QStringList(8, QStringLiteral("beep")));
    QCOMPARE(counted(c.logFrom(from)).value(kRegisterCheck), 4);
}

void MaintenanceTest::clearExacerbation()
{
    Clinic c;
    seed(c);
    ScopedScriptedDialogs dialogs;
    const qsizetype from = c.ctx.log.lines().size();
    app::Maintenance m(*c.ctx.dm1, *c.ctx.dm2, c.ctx.settings, c.ctx.log);
    QVERIFY(m.run(MaintenanceRun::ClearExacerbation).failures.isEmpty());
    QCOMPARE(c.stored("SELECT count(*) FROM osmotr_1").toInt(), 3);
    QCOMPARE(c.stored("SELECT count(*) FROM osmotr_1 WHERE Ob = 0 AND Ob_ndate IS NULL AND Ob_date IS NULL "
                      "AND Ob_result IS NULL AND Ob_pr_a10 IS NULL AND Ob_pr_a20 IS NULL "
                      "AND Ob_pr_a11 + Ob_pr_a12 + Ob_pr_a13 + Ob_pr_a14 + Ob_pr_a15 + Ob_pr_a16 = 0 "
                      "AND Ob_pr_a21 + Ob_pr_a22 + Ob_pr_a23 + Ob_pr_a24 + Ob_pr_a25 + Ob_pr_a26 + Ob_pr_a27 "
                      "+ Ob_pr_a28 + Ob_pr_a29 + Ob_pr_a210 + Ob_pr_a211 + Ob_pr_a212 + Ob_pr_a213 + Ob_pr_a214 = 0")
                 .toInt(),
             3);
    // The treatment of the exacerbation is not one of the cleaned fields.
    QCOMPARE(c.stored("SELECT count(*) FROM osmotr_1 WHERE Ob_pr_lech = 'мази'").toInt(), 1);
    // A beep before each patient; one checked post for each examination.
    QCOMPARE(dialogs.transcript, QStringList(4, QStringLiteral("beep")));
    QCOMPARE(c.logFrom(from), QStringList(3, kExamCheck));
}

void MaintenanceTest::walksTheListAsFilteredOnceEach()
{
    Clinic c;
    seed(c);
    ScopedScriptedDialogs dialogs;
    // With the patient archive on, Антонов (discharged long ago) is not listed; Борисов leaves the list
    // when the run gives him an old discharge date, and the patient after him is still walked.
    c.exec("UPDATE register SET Vip_date = NULL");
    c.exec("UPDATE diagnoz SET Data = '2020-01-01' WHERE Text = 'Диагноз при выписке'");
    c.reg().refresh();
    c.reg().setFilter(QStringLiteral("( Vip_date > '12.07.2026' or Vip_date < '1.1.1910 ')"));
    QCOMPARE(c.reg().recordCount(), 4);
    app::Maintenance m(*c.ctx.dm1, *c.ctx.dm2, c.ctx.settings, c.ctx.log);
    QList<int> progress;
    m.progress = [&](int done, int total) {
        QCOMPARE(total, 4);
        progress << done;
    };
    m.batchSize = 1;
    QVERIFY(m.run(MaintenanceRun::CopyCourses).failures.isEmpty());
    QCOMPARE(progress, QList<int>({1, 2, 3, 4}));
    // Антонов leaves the list with his discharge of 2020; everybody else was walked once.
    QCOMPARE(c.reg().recordCount(), 3);
    QCOMPARE(c.patientField("Антонов", "Vip_date").toString(), QStringLiteral("2020-01-01"));
    QCOMPARE(c.patientField("Борисов", "NKurs_posl_post").toInt(), 7);
}

void MaintenanceTest::protectionQuestionsAreAsked_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("bornDay");
    QTest::addColumn<int>("asks");
    // Yes: the discharged Борисов and Волков are asked twice per post (discharge, then age).
    QTest::newRow("yes") << "yes" << 1 << 12;
    // No: the first question of each post refuses it.
    QTest::newRow("no") << "no" << 0 << 8;
}

void MaintenanceTest::protectionQuestionsAreAsked()
{
    QFETCH(QString, answer);
    QFETCH(int, bornDay);
    QFETCH(int, asks);
    Clinic c;
    seed(c);
    c.exec("UPDATE register SET Born_Day = 0, ID_age_cat = 0");
    c.reg().refresh();
    c.reg().first();
    // The runs keep the protection on: a record older than 30 days asks.
    c.ctx.settings.protectionOn = true;
    ScopedScriptedDialogs dialogs;
    dialogs.answers = QStringList(40, answer);
    app::Maintenance m(*c.ctx.dm1, *c.ctx.dm2, c.ctx.settings, c.ctx.log);
    m.run(MaintenanceRun::CourseNumbers);
    QCOMPARE(dialogs.transcript.filter(QRegularExpression(QStringLiteral("^ask: "))).size(), asks);
    QCOMPARE(c.patientField("Антонов", "Born_Day").toInt(), bornDay);
    QVERIFY(!c.ctx.settings.protectionSuspended);
}

void MaintenanceTest::emptyListDoesNothing()
{
    Clinic c;
    ScopedScriptedDialogs dialogs;
    app::Maintenance m(*c.ctx.dm1, *c.ctx.dm2, c.ctx.settings, c.ctx.log);
    for (int run = 1; run <= app::kMaintenanceRunCount; ++run) {
        const app::MaintenanceResult r = m.run(MaintenanceRun(run));
        QCOMPARE(r.patients, 0);
        QVERIFY(r.failures.isEmpty());
    }
    QVERIFY(c.ctx.log.lines().isEmpty());
    QVERIFY(dialogs.transcript.isEmpty());
}

void MaintenanceTest::refusedBatchIsNamed_data()
{
    // Patients per batch, the patient whose change the file refuses at the batch's commit (a full
    // disk does the same), what reached the file and whose changes were taken back.
    QTest::addColumn<int>("batchSize");
    QTest::addColumn<QString>("refusedAt");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QStringList>("rolledBack");
    QTest::newRow("nothing refused") << 2 << "" << 4 << QStringList();
    QTest::newRow("second batch refused") << 2 << "Громов" << 2 << QStringList{"Волков", "Громов"};
    QTest::newRow("first batch refused") << 2 << "Антонов" << 0 << QStringList{"Антонов", "Борисов"};
    QTest::newRow("the last, shorter batch refused") << 3 << "Громов" << 3 << QStringList{"Громов"};
    QTest::newRow("one batch for all refused") << 200 << "Громов" << 0
                                               << QStringList{"Антонов", "Борисов", "Волков", "Громов"};
}

void MaintenanceTest::refusedBatchIsNamed()
{
    QFETCH(int, batchSize);
    QFETCH(QString, refusedAt);
    QFETCH(int, stored);
    QFETCH(QStringList, rolledBack);
    Clinic c;
    seed(c);
    ScopedScriptedDialogs dialogs;
    // A row that breaks a deferred rule is refused only at COMMIT, with the whole batch.
    c.exec("PRAGMA foreign_keys = ON");
    c.exec("CREATE TABLE batch_guard (parent INTEGER REFERENCES register (ID_man) DEFERRABLE INITIALLY DEFERRED)");
    if (!refusedAt.isEmpty())
        c.exec(QStringLiteral("CREATE TRIGGER refuse_at_commit AFTER UPDATE ON register WHEN NEW.Last_Name = '%1' "
                              "BEGIN INSERT INTO batch_guard VALUES (-1); END")
                   .arg(refusedAt));
    app::Maintenance m(*c.ctx.dm1, *c.ctx.dm2, c.ctx.settings, c.ctx.log);
    m.batchSize = batchSize;
    const app::MaintenanceResult r = m.run(MaintenanceRun::ProcedureTotals);
    c.exec("PRAGMA foreign_keys = OFF");
    QCOMPARE(r.stored, stored);
    QCOMPARE(r.stopped, !refusedAt.isEmpty());
    QStringList names;
    for (const QString &who : r.rolledBack)
        names << who.section(QLatin1Char(' '), 0, 0);
    QCOMPARE(names, rolledBack);
    // What the run reports as stored is what the file holds: Громов, the last, has his old totals
    // unless every batch reached the file.
    QCOMPARE(c.patientField("Громов", "Doza").toInt() == 999, stored < 4);
    if (refusedAt.isEmpty()) {
        QVERIFY(r.failures.isEmpty());
        return;
    }
    QVERIFY2(r.failures.first().contains(QStringLiteral("Сохранены изменения пациентов: %1 из 4").arg(stored)),
             qPrintable(r.failures.first()));
    QCOMPARE(r.failures.mid(1), r.rolledBack);
}

void MaintenanceTest::commandLine_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("patients");  // "Last_Name=Born_Day/ID_age_cat" after run 1
    QTest::addColumn<QStringList>("output"); // lines of standard output, timestamps cut
    QTest::newRow("all patients") << QStringList() << "Антонов=1/2 Борисов=0/0 Волков=1/1 Громов=0/0"
                                  << (QStringList(8, kRegisterCheck) << QStringLiteral("Обход 1 закончен: пациентов 4 из 4."));
    QTest::newRow("tab Б") << QStringList{"--tab", "Б"} << "Антонов=7/7 Борисов=0/0 Волков=7/7 Громов=7/7"
                           << (QStringList(2, kRegisterCheck) << QStringLiteral("Обход 1 закончен: пациентов 1 из 1."));
    // Every card is older than 30 days and two patients are discharged: each post asks, and the
    // answer decides.
    const QString age = QStringLiteral("Вопрос «Внимание!»: Сработала защита по давности. Вы уверены что хотите "
                                       "внести изменения? — ответ: %1");
    const QString discharged = QStringLiteral("Вопрос «Внимание!»: Пациент на текущий момент выписан. Продолжить? — "
                                              "ответ: %1");
    const QString refusedLine = QStringLiteral("Найдено изменение в register - отменяем.");
    QStringList no, yes;
    for (const bool isDischarged : {false, false, true, true, true, true, false, false}) {
        no << kRegisterCheck << (isDischarged ? discharged : age).arg(QStringLiteral("нет"))
           << (isDischarged ? QStringLiteral(" Отменяем изменения после проверки на выписку.")
                            : QStringLiteral(" Отменяем изменения после проверки на дату."))
           << refusedLine;
        yes << kRegisterCheck;
        if (isDischarged)
            yes << discharged.arg(QStringLiteral("да"));
        yes << age.arg(QStringLiteral("да"));
    }
    const QString done = QStringLiteral("Обход 1 закончен: пациентов 4 из 4.");
    QTest::newRow("protected, answered no") << QStringList{"--protection", "30"}
                                            << "Антонов=7/7 Борисов=7/7 Волков=7/7 Громов=7/7" << (no << done);
    QTest::newRow("protected, answered yes") << QStringList{"--protection", "30", "--answer", "yes"}
                                             << "Антонов=1/2 Борисов=0/0 Волков=1/1 Громов=0/0" << (yes << done);
}

void MaintenanceTest::commandLine()
{
    QFETCH(QStringList, options);
    QFETCH(QString, patients);
    QFETCH(QStringList, output);
    QTemporaryDir dir;
    {
        Clinic c(dir.path());
        seed(c);
        c.exec("UPDATE register SET Born_Day = 7, ID_age_cat = 7");
    }
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const int code = cli::runMaintain(QStringList{"--data", dir.path(), "--run", "1"} + options, out, err);
    QCOMPARE(code, 0);
    QVERIFY2(errText.isEmpty(), qPrintable(errText));
    QStringList lines = outText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString &line : lines) {
        if (line.contains(QStringLiteral(" - ")))
            line = line.section(QStringLiteral(" - "), 1);
    }
    QCOMPARE(lines, output);

    db::Database database;
    QString error;
    QVERIFY(database.open(dir.path(), &error, db::Database::OpenMode::ReadOnly));
    QStringList found;
    QSqlQuery q(database.sql());
    QVERIFY(q.exec("SELECT Last_Name, Born_Day, ID_age_cat FROM register ORDER BY Last_Name"));
    while (q.next())
        found << QStringLiteral("%1=%2/%3").arg(q.value(0).toString()).arg(q.value(1).toInt()).arg(q.value(2).toInt());
    QCOMPARE(found.join(QLatin1Char(' ')), patients);
}

void MaintenanceTest::commandLineRefuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no run") << QStringList{} << "не указан обход";
    QTest::newRow("run 7") << QStringList{"--run", "7"} << "--run: нужно целое число от 1 до 6, а не «7»";
    QTest::newRow("run x") << QStringList{"--run", "x"} << "--run: нужно целое число от 1 до 6, а не «x»";
    QTest::newRow("tab (*)") << QStringList{"--run", "1", "--tab", "(*)"} << "--tab: нужна закладка";
    QTest::newRow("tab Q") << QStringList{"--run", "1", "--tab", "Q"} << "--tab: нужна закладка";
    QTest::newRow("answer maybe") << QStringList{"--run", "1", "--answer", "maybe"} << "--answer: нужно yes или no";
    QTest::newRow("program running") << QStringList{"--run", "1", "lock"} << "Программа открыта";
    QTest::newRow("no database") << QStringList{"--run", "1", "empty"} << "нет базы данных";
}

void MaintenanceTest::commandLineRefuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const bool empty = arguments.removeAll(QStringLiteral("empty")) > 0;
    const bool locked = arguments.removeAll(QStringLiteral("lock")) > 0;
    if (!empty) {
        db::Database database;
        QString error;
        QVERIFY(database.open(dir.path(), &error));
    }
    const QByteArray before = [&] {
        QFile f(dir.filePath("tarvelo.sqlite"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    // The program holds its lock while it runs.
    QLockFile program(dir.filePath("tarvelo.lock"));
    if (locked)
        QVERIFY(program.tryLock(0));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    // Words that cannot be taken end with 2 in every command; the folder's refusals with 1.
    QCOMPARE(cli::runMaintain(QStringList{"--data", dir.path()} + arguments, out, err),
             locked || empty ? 1 : 2);
    QVERIFY2(errText.contains(message), qPrintable(errText));
    QFile f(dir.filePath("tarvelo.sqlite"));
    QCOMPARE(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), before);
}

QTEST_GUILESS_MAIN(MaintenanceTest)
#include "maintenance_test.moc"
