#include "application.h"
#include "archive.h"
#include "clinicsettings.h"
#include "clock.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "dialogs.h"
#include "form1.h"
#include "form_settings.h"
#include "programfolder.h"
#include "reflist.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QCheckBox>
#include <QSpinBox>
#include <QSqlQuery>
#include <QDir>
#include <QGroupBox>
#include <QSqlQuery>
#include <QFileInfo>
#include <QTabBar>
#include <QTableView>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace pelorin;

namespace {

const QDate kToday(2026, 12, 10);

struct Patient
{
    QString lastName;
    QDate vipDate = {}; // discharge, blank when never discharged
    QDate datPosl = {}; // last visit
    int ambKarta = 0;
    QString firstName = {};
    QString fatherName = {};
};

// A data folder with the given patients, written before the program starts.
void seed(const QString &folder, const QList<Patient> &patients)
{
    db::Database database;
    QString error;
    QVERIFY2(database.open(folder, &error), qPrintable(error));
    db::DM1 dm1(database);
    QVERIFY(dm1.open(&error));
    db::Table &r = *dm1.register_;
    for (const Patient &p : patients) {
        r.append();
        r.setValue("Last_Name", p.lastName);
        r.setValue("Reg_date", kToday.addDays(-400));
        if (p.vipDate.isValid())
            r.setValue("Vip_date", p.vipDate);
        if (p.datPosl.isValid())
            r.setValue("Dat_posl", p.datPosl);
        if (p.ambKarta)
            r.setValue("Amb_karta", p.ambKarta);
        if (!p.firstName.isEmpty())
            r.setValue("First_Name", p.firstName);
        if (!p.fatherName.isEmpty())
            r.setValue("Father_Name", p.fatherName);
        QVERIFY(r.post());
    }
}

// Settings the clinic kept in the data folder's database file before the program starts.
void keep(const QString &folder, const QMap<QString, QString> &values)
{
    db::Database database;
    QString error;
    QVERIFY2(database.open(folder, &error), qPrintable(error));
    for (auto it = values.begin(); it != values.end(); ++it)
        QVERIFY(db::ClinicSettings::setValue(database, it.key(), it.value(), &error));
}

QStringList listedNames(app::Application &a)
{
    db::Table &r = *a.context().dm1->register_;
    QStringList names;
    for (int i = 0; i < r.recordCount(); ++i)
        names << r.valueAt(i, r.fieldIndex(QStringLiteral("Last_Name"))).toString();
    return names;
}

QAbstractButton *buttonOf(QWidget *w, const char *name)
{
    return w->findChild<QAbstractButton *>(QString::fromLatin1(name));
}

using QStringMap = QMap<QString, QString>;

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void password_data();
    void keptFileOfARestoreOfferedFirst_data();
    void keptFileOfARestoreOfferedFirst();
    void password();
    void startUpCreatesWindowsAndLoadsLists();
    void alphabetTabs_data();
    void alphabetTabs();
    void archiveHidesLongDischarged();
    void doubleClickShowsOnePatientUntilTabStar();
    void f5ReadsWhatWasWrittenElsewhere();
    void f5KeepsEveryCurrentRecord_data();
    void f5KeepsEveryCurrentRecord();
    void patientCaption_data();
    void patientCaption();
    void sectionHeadersNameThePatient();
    void admissionsGridShowsWholeEvents();
    void f1ShowsTheGuideWithItsPictures();
    void rowColours_data();
    void rowColours();
    void leavingTheCardPostsIt();
    void newPatientFromTheSectionBar();
    void deletingTheOnlyListedPatientIsRefused();
    void showAllLiftsTheArchives();
    void settingsArchiveReplacesTheLetterFilter();
    void closingSettingsShowsTabStarAndListsEveryone_data();
    void closingSettingsShowsTabStarAndListsEveryone();
    void filteringAgainKeepsTheCurrentPatient_data();
    void filteringAgainKeepsTheCurrentPatient();
    void exposureSettingsKeptByTheClinic_data();
    void exposureSettingsKeptByTheClinic();
    void exposureSettingsEdited_data();
    void exposureSettingsEdited();
    void exposureLineSwitchKept();
    void exposureSettingsNotKept();
    void maintenancePanelRunsOverTheList();
    void secondCopyIsRefusedBeforeThePassword();
    void corruptDatabaseStopsWithMessage_data();
    void corruptDatabaseStopsWithMessage();
    void examinationPanel();
    void sectionSummariesFollowThePatient();

private:
    std::unique_ptr<app::Application> startWith(const QList<Patient> &patients, ScopedScriptedDialogs &dialogs);
    QTemporaryDir m_dir;
};

void Form1Test::initTestCase()
{
    folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
    clock::setFixedToday(kToday);
}

void Form1Test::cleanup()
{
    m_dir.remove();
    m_dir = QTemporaryDir();
}

std::unique_ptr<app::Application> Form1Test::startWith(const QList<Patient> &patients, ScopedScriptedDialogs &dialogs)
{
    seed(m_dir.path(), patients);
    auto a = std::make_unique<app::Application>(QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), m_dir.path()});
    dialogs.answers << QStringLiteral("zlk");
    if (a->start() != app::Application::Start::Running)
        return nullptr;
    dialogs.transcript.clear();
    return a;
}

void Form1Test::password_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("transcript");
    const QString prompt = QStringLiteral("input: Ввод пароля.: Введите пароль:");
    const QString wrong = QStringLiteral("message: Ошибка: Неправильный пароль, завершение программы");
    QTest::newRow("cancel ends silently") << QStringList{QStringLiteral("<cancel>")}
                                          << int(app::Application::Start::Cancelled) << QStringList{prompt};
    QTest::newRow("empty") << QStringList{QString()} << int(app::Application::Start::WrongPassword)
                           << QStringList{prompt, wrong};
    QTest::newRow("trailing blank") << QStringList{QStringLiteral("zlk ")}
                                    << int(app::Application::Start::WrongPassword) << QStringList{prompt, wrong};
    QTest::newRow("upper case") << QStringList{QStringLiteral("ZLK")} << int(app::Application::Start::WrongPassword)
                                << QStringList{prompt, wrong};
    const QString welcome = QStringLiteral("message: Внимание!: Добро пожаловать в программу \"Пелорин\".");
    const QString create = QStringLiteral("ask: Внимание!: В папке %1 нет базы данных. Создать новую базу?");
    QTest::newRow("right, new database wanted")
        << QStringList{QStringLiteral("zlk"), QStringLiteral("yes")} << int(app::Application::Start::Running)
        << QStringList{prompt, welcome, create};
    QTest::newRow("right, no database wanted")
        << QStringList{QStringLiteral("zlk"), QStringLiteral("no")} << int(app::Application::Start::Cancelled)
        << QStringList{prompt, welcome, create};
}

void Form1Test::password()
{
    QFETCH(QStringList, answers);
    QFETCH(int, result);
    QFETCH(QStringList, transcript);
    ScopedScriptedDialogs dialogs;
    dialogs.answers = answers;
    app::Application a({QStringLiteral("pelorin"), QStringLiteral("--data"), m_dir.path()});
    QCOMPARE(int(a.start()), result);
    for (QString &line : transcript)
        line = line.arg(QDir::toNativeSeparators(m_dir.path()));
    QCOMPARE(dialogs.transcript, transcript);
    // No database is touched before the password is right.
    QCOMPARE(QFile::exists(m_dir.filePath(db::Database::fileName())), result == int(app::Application::Start::Running));
}

void Form1Test::keptFileOfARestoreOfferedFirst_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("askedToCreate");
    QTest::addColumn<int>("patients"); // in the database the program opened; -1 when none
    QTest::newRow("kept file put back") << QStringList{"zlk", "yes"} << int(app::Application::Start::Running) << false
                                        << 1;
    QTest::newRow("kept file declined, new database")
        << QStringList{"zlk", "no", "yes"} << int(app::Application::Start::Running) << true << 0;
    QTest::newRow("both declined") << QStringList{"zlk", "no", "no"} << int(app::Application::Start::Cancelled) << true
                                   << -1;
}

void Form1Test::keptFileOfARestoreOfferedFirst()
{
    QFETCH(QStringList, answers);
    QFETCH(int, result);
    QFETCH(bool, askedToCreate);
    QFETCH(int, patients);
    // The folder as a restore interrupted between its two renames left it: the clinic's file only
    // under the name it is kept by.
    seed(m_dir.path(), {{QStringLiteral("Отложенный")}});
    const QString live = m_dir.filePath(db::Database::fileName());
    const QString kept = live + QStringLiteral(".before-restore-20250314-101500");
    QVERIFY(QFile::rename(live, kept));
    ScopedScriptedDialogs dialogs;
    dialogs.answers = answers;
    app::Application a({QStringLiteral("pelorin"), QStringLiteral("--data"), m_dir.path()});
    QCOMPARE(int(a.start()), result);
    const QString folder = QDir::toNativeSeparators(m_dir.path());
    QStringList expected{QStringLiteral("input: Ввод пароля.: Введите пароль:"),
                         QStringLiteral("message: Внимание!: Добро пожаловать в программу \"Пелорин\"."),
                         QStringLiteral("ask: Внимание!: В папке %1 нет базы данных, но есть прежний файл «%2», "
                                        "отложенный при восстановлении из копии. Поставить его на место базы данных?")
                             .arg(folder, QFileInfo(kept).fileName())};
    if (askedToCreate)
        expected << QStringLiteral("ask: Внимание!: В папке %1 нет базы данных. Создать новую базу?").arg(folder);
    QCOMPARE(dialogs.transcript, expected);
    if (patients < 0) {
        QVERIFY(!QFileInfo::exists(live));
    } else {
        QCOMPARE(a.context().dm1->register_->recordCount(), patients);
        QCOMPARE(QFileInfo::exists(kept), patients == 0);
    }
}

void Form1Test::startUpCreatesWindowsAndLoadsLists()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}, {QStringLiteral("Белов")}}, dialogs);
    QVERIFY(a);
    QCOMPARE(a->creationOrder(),
             QStringList({"Form1", "Form_wait", "Form_osmotr_index", "Form_sys", "Form_logs", "Form_osm_ob",
                          "Form_settings", "Form_anamnez_zab_zalobi", "Form_anamnez_zab_start",
                          "Form_anamnez_zab_ranlech", "Form_anamnez_zab_obostr_lech", "Form_anamnez_zab_obostr_prich",
                          "Form_amamnez_life_zab", "Form_amamnez_life_sem", "Form_osmotr_elem", "Form_osmotr_klsimp",
                          "Form_lech_puva_edit", "Form_osmotr_zalobi", "Form_osm_img", "Form_osmotr_proizv",
                          "Form_diagnoz", "Form_analyz", "Form_lech_lekar", "Form_diagnoz_lite",
                          "Form_lech_puva_edit_osmotr", "Form_osmotr_edit_puva", "Form_lech_puva_edit_script",
                          "Form_osmotr_index1", "Form_register_docks", "Form_recomend", "Form_osm_compare",
                          "Form_help", "Form_outcomes"}));
    app::Form1 *f = a->form1();
    QVERIFY(f->isVisible());
    QVERIFY(!a->window(QStringLiteral("Form_wait"))->isVisible());
    QCOMPARE(f->findChild<QLabel *>(QStringLiteral("Label57"))->text(), QStringLiteral("2"));
    QCOMPARE(a->window(QStringLiteral("Form_logs"))->windowTitle(), QStringLiteral("Пелорин. Список действий."));
    // The same power.txt fills four pick lists, ust_name.txt four.
    QStringList power;
    QString error;
    QVERIFY(readReferenceList(folder::sourses() + QStringLiteral("power.txt"), &power, &error));
    QWidget *puva = a->window(QStringLiteral("Form_lech_puva_edit"));
    for (const char *name : {"DBComboBox13", "DBComboBox12", "DBComboBox14"})
        QCOMPARE(puva->findChild<QComboBox *>(QString::fromLatin1(name))->count(), power.size());
    QCOMPARE(a->window(QStringLiteral("Form_lech_puva_edit_script"))->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->count(),
             power.size());
    QVERIFY(f->findChild<QComboBox *>(QStringLiteral("DBComboBox7"))->count() > 10);
    QVERIFY(f->findChild<QComboBox *>(QStringLiteral("ComboBox5"))->count() > 0);
    QVERIFY(a->window(QStringLiteral("Form_lech_lekar"))->findChild<QTreeWidget *>(QStringLiteral("TreeView1"))->topLevelItemCount() > 0);
    // Every preset picker shows today, but the card's pickers show the current patient's dates (a
    // blank birth date as the zero date); presetting wrote nothing.
    for (const char *name : {"DateTimePicker9", "DateTimePicker12"})
        QCOMPARE(f->findChild<QDateEdit *>(QString::fromLatin1(name))->date(), kToday);
    QCOMPARE(f->findChild<QDateEdit *>(QStringLiteral("DateTimePicker1"))->date(), QDate(1899, 12, 30));
    QCOMPARE(f->findChild<QDateEdit *>(QStringLiteral("DateTimePicker4"))->date(), kToday.addDays(-400));
    QCOMPARE(a->window(QStringLiteral("Form_diagnoz"))->findChild<QDateEdit *>(QStringLiteral("DateTimePicker2"))->date(), kToday);
    QCOMPARE(a->context().dm1->register_->state(), db::TableState::Browse);
    QVERIFY(a->context().log.lines().isEmpty());
}

void Form1Test::alphabetTabs_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("*") << 0 << QStringList{"Егоров", "Ёлкин", "Яшин", "борисов", "Белов"};
    QTest::newRow("Б is upper case only") << 2 << QStringList{"Белов"};
    QTest::newRow("Е") << 6 << QStringList{"Егоров"};
    QTest::newRow("Ё") << 7 << QStringList{"Ёлкин"};
    QTest::newRow("Я") << 29 << QStringList{"Яшин"};
    QTest::newRow("№ orders by card") << 30 << QStringList{"Яшин", "Ёлкин", "Егоров", "Белов", "борисов"};
}

void Form1Test::alphabetTabs()
{
    QFETCH(int, tab);
    QFETCH(QStringList, names);
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Белов"), {}, {}, 4}, {QStringLiteral("борисов"), {}, {}, 5},
                        {QStringLiteral("Егоров"), {}, {}, 3}, {QStringLiteral("Ёлкин"), {}, {}, 2},
                        {QStringLiteral("Яшин"), {}, {}, 1}},
                       dialogs);
    QVERIFY(a);
    a->form1()->findChild<QTabBar *>(QStringLiteral("TabControl2"))->setCurrentIndex(tab);
    QStringList listed = listedNames(*a);
    if (tab == 0) {
        listed.sort();
        names.sort();
    }
    QCOMPARE(listed, names);
}

void Form1Test::archiveHidesLongDischarged()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов"), kToday.addDays(-151), kToday.addDays(-160)},
                        {QStringLiteral("Андреев"), kToday.addDays(-149), kToday.addDays(-160)},
                        {QStringLiteral("Аксёнов")}},
                       dialogs);
    QVERIFY(a);
    a->context().settings.patientArchive = true;
    auto *tabs = a->form1()->findChild<QTabBar *>(QStringLiteral("TabControl2"));
    tabs->setCurrentIndex(1);
    QCOMPARE(listedNames(*a), QStringList({"Аксёнов", "Андреев"}));
    tabs->setCurrentIndex(0);
    QCOMPARE(listedNames(*a), QStringList({"Аксёнов", "Андреев"}));
    QCOMPARE(a->context().dm1->register_->filter(),
             QStringLiteral("Last_Name <> 'ЫЫЫЫЫЫЫ' AND ( Vip_date > '13.07.2026' or Vip_date < '1.1.1910 ')"));
    // Without the archive everybody is back, and the patient count label never changed.
    a->context().settings.patientArchive = false;
    tabs->setCurrentIndex(1);
    QCOMPARE(listedNames(*a).size(), 3);
    QCOMPARE(a->form1()->findChild<QLabel *>(QStringLiteral("Label57"))->text(), QStringLiteral("3"));
}

void Form1Test::doubleClickShowsOnePatientUntilTabStar()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}, {QStringLiteral("Белов")}, {QStringLiteral("Васин")}}, dialogs);
    QVERIFY(a);
    db::Table &r = *a->context().dm1->register_;
    r.setRecNo(2);
    a->form1()->gridDoubleClicked();
    QCOMPARE(dialogs.beeps, 1);
    QCOMPARE(listedNames(*a), QStringList({"Белов"}));
    auto *tabs = a->form1()->findChild<QTabBar *>(QStringLiteral("TabControl2"));
    QCOMPARE(tabs->currentIndex(), app::kTabCurrent);
    tabs->setCurrentIndex(0);
    QCOMPARE(listedNames(*a).size(), 3);
    // Tab "(*)" chosen by hand keeps exactly the patient who was current.
    r.setRecNo(3);
    tabs->setCurrentIndex(app::kTabCurrent);
    QCOMPARE(listedNames(*a), QStringList({"Васин"}));
}

void Form1Test::f5ReadsWhatWasWrittenElsewhere()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}, {QStringLiteral("Белов")}}, dialogs);
    QVERIFY(a);
    db::Table &r = *a->context().dm1->register_;
    r.setRecNo(2);
    const qint64 belov = r.asInteger(QStringLiteral("ID_man"));
    // Written past the program, as another workstation would: a patient, and an examination and a
    // new telephone of the current one.
    QSqlQuery q(a->context().database.sql());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO register (\"Last_Name\") VALUES ('Агеев')")));
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO osmotr_1 (\"ID_man\", \"Date\") VALUES (?, '2026-12-01')")));
    q.addBindValue(belov);
    QVERIFY(q.exec());
    QVERIFY(q.prepare(QStringLiteral("UPDATE register SET \"Telephone_home\" = '8-800' WHERE \"ID_man\" = ?")));
    q.addBindValue(belov);
    QVERIFY(q.exec());
    QCOMPARE(listedNames(*a).size(), 2);
    auto *refresh = a->form1()->findChild<QAction *>(QStringLiteral("ActionRefresh"));
    QVERIFY(refresh);
    QCOMPARE(refresh->shortcut(), QKeySequence(Qt::Key_F5));
    refresh->trigger();
    QCOMPARE(listedNames(*a), QStringList({"Агеев", "Антонов", "Белов"}));
    QCOMPARE(r.asInteger(QStringLiteral("ID_man")), belov);
    QCOMPARE(r.asString(QStringLiteral("Telephone_home")), QStringLiteral("8-800"));
    QCOMPARE(a->context().dm2->osmotr1->recordCount(), 1);
    QVERIFY(dialogs.transcript.isEmpty());
}

void Form1Test::f5KeepsEveryCurrentRecord_data()
{
    QTest::addColumn<bool>("examGoneElsewhere");
    QTest::newRow("records still there") << false;
    QTest::newRow("current examination deleted elsewhere") << true;
}

// Every table stands on the record it stood on before F5, found by its key; one removed meanwhile
// gives way to the first of its list.
void Form1Test::f5KeepsEveryCurrentRecord()
{
    QFETCH(bool, examGoneElsewhere);
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}, {QStringLiteral("Белов")}}, dialogs);
    QVERIFY(a);
    db::Table &r = *a->context().dm1->register_;
    db::DM2 &dm2 = *a->context().dm2;
    QVERIFY(r.locate(QStringLiteral("Last_Name"), QStringLiteral("Белов")));
    // Three examinations, the newest with two elements; three procedures and two diagnoses.
    for (int day : {1, 5, 9}) {
        dm2.osmotr1->append();
        dm2.osmotr1->setValue("Date", QDate(2026, 12, day));
        QVERIFY(dm2.osmotr1->post());
    }
    for (const QString &element : {QStringLiteral("Папула"), QStringLiteral("Бляшка")}) {
        dm2.osmotr_elem->append();
        dm2.osmotr_elem->setValue("Name_elem", element);
        QVERIFY(dm2.osmotr_elem->post());
    }
    for (int course : {1, 1, 2}) {
        dm2.lech_puva->append();
        dm2.lech_puva->setValue("Id_kurs", course);
        QVERIFY(dm2.lech_puva->post());
    }
    for (const QDate day : {QDate(2026, 12, 1), QDate(2026, 12, 9)}) {
        dm2.diagnoz->append();
        dm2.diagnoz->setValue("Data", day);
        QVERIFY(dm2.diagnoz->post());
    }
    QVERIFY(dm2.osmotr1->locate(QStringLiteral("Date"), QDate(2026, 12, 9)));
    dm2.osmotr_elem->last();
    dm2.lech_puva->setRecNo(2);
    dm2.diagnoz->last();
    QVERIFY(dm2.osmotr1->recNo() > 1 && dm2.osmotr_elem->recNo() > 1 && dm2.diagnoz->recNo() > 1);
    const qint64 patient = r.asInteger(QStringLiteral("ID_man"));
    const QList<db::Table *> tables = {dm2.osmotr1, dm2.osmotr_elem, dm2.lech_puva, dm2.diagnoz};
    QList<qint64> before;
    for (db::Table *t : tables)
        before << t->currentRowKey();
    if (examGoneElsewhere) {
        QSqlQuery q(a->context().database.sql());
        QVERIFY(q.prepare(QStringLiteral("DELETE FROM osmotr_1 WHERE \"ID\" = ?")));
        q.addBindValue(before[0]);
        QVERIFY(q.exec());
    }
    a->form1()->findChild<QAction *>(QStringLiteral("ActionRefresh"))->trigger();
    QCOMPARE(r.asInteger(QStringLiteral("ID_man")), patient);
    if (examGoneElsewhere) {
        QCOMPARE(dm2.osmotr1->recordCount(), 2);
        QCOMPARE(dm2.osmotr1->recNo(), 1);
        QCOMPARE(dm2.osmotr_elem->recordCount(), 0);
    } else {
        QCOMPARE(dm2.osmotr1->currentRowKey(), before[0]);
        QCOMPARE(dm2.osmotr_elem->currentRowKey(), before[1]);
        QCOMPARE(dm2.osmotr_elem->asString(QStringLiteral("Name_elem")), QStringLiteral("Бляшка"));
    }
    QCOMPARE(dm2.lech_puva->currentRowKey(), before[2]);
    QCOMPARE(dm2.diagnoz->currentRowKey(), before[3]);
}

void Form1Test::patientCaption_data()
{
    QTest::addColumn<QStringList>("name"); // surname, first name, father's name, card
    QTest::addColumn<QString>("caption");
    QTest::newRow("whole") << QStringList{"Тихонов", "Андрей", "Борисович", "1074"} << "Тихонов А. Б., карта 1074";
    QTest::newRow("no father's name") << QStringList{"Smith", "john", "", "7"} << "Smith J., карта 7";
    QTest::newRow("no card") << QStringList{"Антонов", "", "", ""} << "Антонов, карта не указана";
    QTest::newRow("card 0") << QStringList{"Антонов", "", "", "0"} << "Антонов, карта не указана";
    QTest::newRow("blanks around") << QStringList{" Ёлкин ", " ян", "", " 12 "} << "Ёлкин Я., карта 12";
    QTest::newRow("no surname") << QStringList{"", "Анна", "", "3"} << "фамилия не указана А., карта 3";
}

void Form1Test::patientCaption()
{
    QFETCH(QStringList, name);
    QFETCH(QString, caption);
    QCOMPARE(app::Form1::patientCaption(name[0], name[1], name[2], name[3]), caption);
}

// Each section's header names the current patient, follows him through the list and a change of his
// card, and an empty list leaves the plain header.
void Form1Test::sectionHeadersNameThePatient()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")},
                        {QStringLiteral("Тихонов"), {}, {}, 1074, QStringLiteral("Андрей"), QStringLiteral("Борисович")}},
                       dialogs);
    QVERIFY(a);
    app::Form1 *form = a->form1();
    db::Table &r = *a->context().dm1->register_;
    auto titles = [form] {
        QStringList all;
        for (int s = 0; s < app::Form1::SectionCount; ++s)
            all << form->sectionBox(app::Form1::Section(s))->title();
        return all;
    };
    QVERIFY(r.locate(QStringLiteral("Last_Name"), QStringLiteral("Тихонов")));
    QCOMPARE(form->sectionBox(app::Form1::Docs)->title(), QStringLiteral("Документы — Тихонов А. Б., карта 1074"));
    for (const QString &title : titles())
        QVERIFY2(title.endsWith(QStringLiteral(" — Тихонов А. Б., карта 1074")), qPrintable(title));
    QCOMPARE(form->sectionBox(app::Form1::Osmotr)->title(), QStringLiteral("Осмотр пациента — Тихонов А. Б., карта 1074"));
    r.first();
    for (const QString &title : titles())
        QVERIFY2(title.endsWith(QStringLiteral(" — Антонов, карта не указана")), qPrintable(title));
    // The card changed on the registration card shows at once.
    r.edit();
    r.setValue(QStringLiteral("Amb_karta"), 2001);
    QVERIFY(r.post());
    QCOMPARE(form->sectionBox(app::Form1::Register)->title(), QStringLiteral("Регистрация пациента — Антонов, карта 2001"));
    // A list that holds nobody names nobody.
    form->findChild<QTabBar *>(QStringLiteral("TabControl2"))->setCurrentIndex(app::alphabetTabOf(QStringLiteral("Я")));
    QCOMPARE(form->sectionBox(app::Form1::Docs)->title(), QStringLiteral("Документы"));
}

// "Поступил впервые" is read whole in the registration card's grid of admissions and discharges.
void Form1Test::admissionsGridShowsWholeEvents()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(a);
    db::Table &diagnoz = *a->context().dm2->diagnoz;
    diagnoz.append();
    diagnoz.setValue("Data", kToday);
    diagnoz.setValue("Text", QStringLiteral("Диагноз при первом поступлении"));
    QVERIFY(diagnoz.post());
    auto *grid = a->form1()->findChild<QTableView *>(QStringLiteral("DBGrid7"));
    QVERIFY(grid);
    const QString event = grid->model()->index(0, 0).data().toString();
    QCOMPARE(event, QStringLiteral("Поступил впервые"));
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    QVERIFY2(grid->columnWidth(0) - 2 * margin >= grid->fontMetrics().horizontalAdvance(event),
             qPrintable(QStringLiteral("%1 < %2").arg(grid->columnWidth(0)).arg(grid->fontMetrics().horizontalAdvance(event))));
}

// "Справка" (F1) shows the doctor's guide inside the program, every picture of it found.
void Form1Test::f1ShowsTheGuideWithItsPictures()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(a);
    auto *help = a->form1()->findChild<QAction *>(QStringLiteral("ActionHelp"));
    QVERIFY(help);
    QCOMPARE(help->text(), QStringLiteral("Справка"));
    QCOMPARE(help->shortcut(), QKeySequence(Qt::Key_F1));
    help->trigger();
    QWidget *window = a->window(QStringLiteral("Form_help"));
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Пелорин. Справка."));
    auto *browser = window->findChild<QTextBrowser *>(QStringLiteral("TextBrowserGuide"));
    QVERIFY(browser);
    const QString text = browser->toPlainText();
    for (const QString &chapter : {QStringLiteral("Первый запуск"), QStringLiteral("Пароль"),
                                   QStringLiteral("Рабочий день врача"), QStringLiteral("Документы и печать"),
                                   QStringLiteral("Резервные копии и восстановление"),
                                   QStringLiteral("Несколько рабочих мест"),
                                   QStringLiteral("Системная панель и обход пациентов"),
                                   QStringLiteral("Если появилось сообщение")})
        QVERIFY2(text.contains(chapter), qPrintable(chapter));
    QStringList pictures;
    QStringList links;
    QStringList anchors;
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat())
                pictures << format.toImageFormat().name();
            if (format.anchorHref().startsWith(QLatin1Char('#')))
                links << format.anchorHref().mid(1);
            anchors << format.anchorNames();
        }
    }
    // Every link of the contents leads to its chapter.
    QVERIFY(links.size() >= 8);
    for (const QString &link : std::as_const(links))
        QVERIFY2(anchors.contains(link), qPrintable(link));
    QVERIFY(pictures.size() >= 5);
    for (const QString &picture : std::as_const(pictures)) {
        const QVariant data = browser->loadResource(QTextDocument::ImageResource, QUrl(picture));
        const QImage image = data.typeId() == QMetaType::QImage ? data.value<QImage>() : QImage::fromData(data.toByteArray());
        QVERIFY2(!image.isNull(), qPrintable(picture));
    }
    // Esc closes it.
    QTest::keyClick(browser, Qt::Key_Escape);
    QVERIFY(!window->isVisible());
}

void Form1Test::rowColours_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QVariant>("days");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<QColor>("colour"); // invalid = standard look
    QTest::newRow("discharged") << "-" << QVariant() << false << QColor();
    QTest::newRow("discharged focused") << "-" << QVariant() << true << QColor();
    QTest::newRow("focused") << "20" << QVariant(qint64(20)) << true << QColor(Qt::black);
    QTest::newRow("0") << "0" << QVariant(qint64(0)) << false << QColor(147, 255, 76);
    QTest::newRow("14") << "14" << QVariant(qint64(14)) << false << QColor(147, 255, 76);
    QTest::newRow("20 days") << "20" << QVariant(qint64(20)) << false << QColor(204, 255, 102);
    QTest::newRow("28") << "28" << QVariant(qint64(28)) << false << QColor(204, 255, 102);
    QTest::newRow("29") << "29" << QVariant(qint64(29)) << false << QColor(252, 221, 118);
    QTest::newRow("43") << "43" << QVariant(qint64(43)) << false << QColor(255, 202, 153);
    QTest::newRow("57") << "57" << QVariant(qint64(57)) << false << QColor(255, 178, 178);
    QTest::newRow("negative") << "-3" << QVariant(qint64(-3)) << false << QColor(255, 178, 178);
    QTest::newRow("no visit") << "!" << QVariant() << false << QColor(255, 178, 178);
}

void Form1Test::rowColours()
{
    QFETCH(QString, flag);
    QFETCH(QVariant, days);
    QFETCH(bool, focused);
    QFETCH(QColor, colour);
    const std::optional<QColor> got = app::Form1::rowColour(flag, days, focused);
    QCOMPARE(got.has_value(), colour.isValid());
    if (got)
        QCOMPARE(*got, colour);
}

void Form1Test::leavingTheCardPostsIt()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(a);
    app::Form1 *f = a->form1();
    auto *edit = f->findChild<ui::DBEdit *>(QStringLiteral("DBEdit1"));
    QVERIFY(edit);
    edit->setFocus();
    edit->setText(QStringLiteral("Пётр"));
    Q_EMIT edit->textEdited(QStringLiteral("Пётр"));
    db::Table &r = *a->context().dm1->register_;
    QCOMPARE(r.state(), db::TableState::Edit);
    buttonOf(f, "SpeedButton2")->click();
    QCOMPARE(r.state(), db::TableState::Browse);
    QCOMPARE(r.asString("First_Name"), QStringLiteral("Пётр"));
    QVERIFY(f->sectionBox(app::Form1::AnamnezZab)->isVisible());
    QVERIFY(!f->sectionBox(app::Form1::Register)->isVisible());
    QCOMPARE(a->context().log.lines().size(), 1);
    QVERIFY(a->context().log.lines().first().endsWith(
        QStringLiteral(" - Проверка на защищенность данных со стороны register")));
    // The change reached the file.
    QSqlQuery q(a->context().database.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT First_Name FROM register")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("Пётр"));
}

void Form1Test::newPatientFromTheSectionBar()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(a);
    app::Form1 *f = a->form1();
    buttonOf(f, "SpeedButton5")->click();
    a->context().settings.protectionOn = true;
    buttonOf(f, "ButtonNewPatient")->click();
    QVERIFY(f->sectionBox(app::Form1::Register)->isVisible());
    QVERIFY(buttonOf(f, "SpeedButton1")->isChecked());
    QVERIFY(!a->context().settings.protectionOn);
    QCOMPARE(dialogs.transcript.last(), QStringLiteral("message: Внимание!: Запись для нового пациента создана."));
    db::Table &r = *a->context().dm1->register_;
    QCOMPARE(r.recordCount(), 2);
    QCOMPARE(r.asDate("Reg_date"), kToday);
    QCOMPARE(r.asInteger("Number"), 2);
    QCOMPARE(f->windowTitle(), QStringLiteral("Номер амбулатороной карты был изменен"));
    QCOMPARE(a->context().dm2->osmotr1->recordCount(), 1);
    // The patient count follows the new patient, and a deletion.
    QCOMPARE(f->findChild<QLabel *>(QStringLiteral("Label57"))->text(), QStringLiteral("2"));
    dialogs.answers << QStringLiteral("yes");
    f->deletePatient();
    QCOMPARE(f->findChild<QLabel *>(QStringLiteral("Label57"))->text(), QStringLiteral("1"));
}

void Form1Test::deletingTheOnlyListedPatientIsRefused()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}, {QStringLiteral("Белов")}}, dialogs);
    QVERIFY(a);
    a->form1()->findChild<QTabBar *>(QStringLiteral("TabControl2"))->setCurrentIndex(2);
    a->form1()->deletePatient();
    QCOMPARE(dialogs.transcript,
             QStringList{QStringLiteral("message: Внимание!: Невозможно удалить последнюю запись пациента. Создайте хотя "
                                        "бы еще одну запись, чтобы можно было удалить эту.")});
    a->form1()->findChild<QTabBar *>(QStringLiteral("TabControl2"))->setCurrentIndex(0);
    QCOMPARE(listedNames(*a).size(), 2);
    // With two listed, the question comes, and Yes deletes the patient still current (Белов, kept
    // through the change of tab) and shows everybody else again.
    QCOMPARE(a->context().dm1->register_->asString(QStringLiteral("Last_Name")), QStringLiteral("Белов"));
    dialogs.transcript.clear();
    dialogs.answers << QStringLiteral("yes");
    a->form1()->deletePatient();
    QCOMPARE(dialogs.transcript.first(), QStringLiteral("ask: Внимание!: Вы уверены что хотите удалить данного пациента?"));
    QCOMPARE(listedNames(*a), QStringList{QStringLiteral("Антонов")});
}

void Form1Test::showAllLiftsTheArchives()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов"), kToday.addDays(-300), kToday.addDays(-310)},
                        {QStringLiteral("Белов")}},
                       dialogs);
    QVERIFY(a);
    auto *settings = a->formSettings();
    settings->findChild<QCheckBox *>(QStringLiteral("CheckBox4"))->click();
    QCOMPARE(listedNames(*a), QStringList{QStringLiteral("Белов")});
    auto *tabs = a->form1()->findChild<QTabBar *>(QStringLiteral("TabControl2"));
    tabs->setCurrentIndex(2);
    buttonOf(a->form1(), "Button61")->click();
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(listedNames(*a).size(), 2);
    QVERIFY(!a->context().settings.patientArchive);
    QVERIFY(!settings->findChild<QCheckBox *>(QStringLiteral("CheckBox4"))->isChecked());
}

void Form1Test::settingsArchiveReplacesTheLetterFilter()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов"), kToday.addDays(-100), kToday.addDays(-110)},
                        {QStringLiteral("Белов"), kToday.addDays(-200), kToday.addDays(-210)},
                        {QStringLiteral("Борисов")}},
                       dialogs);
    QVERIFY(a);
    auto *tabs = a->form1()->findChild<QTabBar *>(QStringLiteral("TabControl2"));
    tabs->setCurrentIndex(2);
    QCOMPARE(listedNames(*a).size(), 2);
    auto *settings = a->formSettings();
    settings->findChild<QCheckBox *>(QStringLiteral("CheckBox4"))->click();
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(listedNames(*a), QStringList({"Антонов", "Борисов"}));
    settings->findChild<QSpinBox *>(QStringLiteral("SpinEdit4"))->setValue(300);
    QCOMPARE(listedNames(*a).size(), 3);
}

void Form1Test::closingSettingsShowsTabStarAndListsEveryone_data()
{
    QTest::addColumn<bool>("archive");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("archive off") << false << QStringList({"Антонов", "Белов", "Борисов"});
    QTest::newRow("archive on") << true << QStringList({"Антонов", "Борисов"});
}

// The list then holds every (current) patient: the tab shown is "*", the one in force, so a click on
// "Б" filters again.
void Form1Test::closingSettingsShowsTabStarAndListsEveryone()
{
    QFETCH(bool, archive);
    QFETCH(QStringList, listed);
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов"), kToday.addDays(-100), kToday.addDays(-110)},
                        {QStringLiteral("Белов"), kToday.addDays(-200), kToday.addDays(-210)},
                        {QStringLiteral("Борисов")}},
                       dialogs);
    QVERIFY(a);
    a->context().settings.patientArchive = archive;
    auto *tabs = a->form1()->findChild<QTabBar *>(QStringLiteral("TabControl2"));
    tabs->setCurrentIndex(2);
    auto *settings = a->formSettings();
    settings->show();
    settings->close();
    QCOMPARE(tabs->currentIndex(), 0);
    QStringList names = listedNames(*a);
    names.sort();
    QCOMPARE(names, listed);
    tabs->setCurrentIndex(2);
    QCOMPARE(listedNames(*a).size(), archive ? 1 : 2);
}

void Form1Test::filteringAgainKeepsTheCurrentPatient_data()
{
    QTest::addColumn<bool>("archive");
    QTest::addColumn<int>("startTab");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedTab");
    const int t = app::alphabetTabOf(QStringLiteral("Т"));
    QTest::newRow("settings closed") << false << t << "Тихонов" << "close settings" << "Тихонов" << 0;
    QTest::newRow("settings closed, archive on") << true << t << "Тихонов" << "close settings" << "Тихонов" << 0;
    QTest::newRow("log opened from the settings") << false << t << "Тихонов" << "log from settings" << "Тихонов" << 0;
    QTest::newRow("archive switched on") << false << t << "Тихонов" << "archive" << "Тихонов" << 0;
    QTest::newRow("archive day count") << true << t << "Тихонов" << "days" << "Тихонов" << 0;
    QTest::newRow("letter tab chosen") << false << 0 << "Тихонов" << "tab Т" << "Тихонов" << t;
    QTest::newRow("tab № chosen") << false << 0 << "Тихонов" << "tab №" << "Тихонов" << app::kTabNumber;
    QTest::newRow("tab * chosen") << false << t << "Тихонов" << "tab *" << "Тихонов" << 0;
    QTest::newRow("show all") << true << t << "Тихонов" << "show all" << "Тихонов" << 0;
    // A patient the new list does not hold cannot stay: the list starts at its first row.
    QTest::newRow("archived away") << false << 0 << "Белов" << "archive" << "Антонов" << 0;
    QTest::newRow("not of the letter") << false << 0 << "Белов" << "tab Т" << "Тарасов" << t;
}

void Form1Test::filteringAgainKeepsTheCurrentPatient()
{
    QFETCH(bool, archive);
    QFETCH(int, startTab);
    QFETCH(QString, current);
    QFETCH(QString, action);
    QFETCH(QString, expected);
    QFETCH(int, expectedTab);
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов"), kToday.addDays(-100), kToday.addDays(-110)},
                        {QStringLiteral("Белов"), kToday.addDays(-200), kToday.addDays(-210)},
                        {QStringLiteral("Тарасов")},
                        {QStringLiteral("Тихонов")}},
                       dialogs);
    QVERIFY(a);
    auto *settings = a->formSettings();
    if (archive)
        settings->findChild<QCheckBox *>(QStringLiteral("CheckBox4"))->click();
    auto *tabs = a->form1()->findChild<QTabBar *>(QStringLiteral("TabControl2"));
    tabs->setCurrentIndex(startTab);
    db::Table &r = *a->context().dm1->register_;
    QVERIFY(r.locate(QStringLiteral("Last_Name"), current));
    const qint64 id = r.asInteger(QStringLiteral("ID_man"));

    if (action == QLatin1String("close settings")) {
        settings->show();
        settings->close();
    } else if (action == QLatin1String("log from settings")) {
        settings->show();
        buttonOf(settings, "Button2")->click();
        a->window(QStringLiteral("Form_logs"))->close();
        settings->close();
    } else if (action == QLatin1String("archive")) {
        settings->findChild<QCheckBox *>(QStringLiteral("CheckBox4"))->click();
    } else if (action == QLatin1String("days")) {
        settings->findChild<QSpinBox *>(QStringLiteral("SpinEdit4"))->setValue(300);
    } else if (action.startsWith(QLatin1String("tab "))) {
        tabs->setCurrentIndex(app::alphabetTabOf(action.mid(4)));
    } else if (action == QLatin1String("show all")) {
        buttonOf(a->form1(), "Button61")->click();
    }
    QCOMPARE(r.asString(QStringLiteral("Last_Name")), expected);
    QCOMPARE(tabs->currentIndex(), expectedTab);
    if (expected == current)
        QCOMPARE(r.asInteger(QStringLiteral("ID_man")), id);
    // The tab shown is the one in force: choosing it again (from a tab that lists everyone) lists
    // what it lists now.
    const QStringList shown = listedNames(*a);
    tabs->setCurrentIndex(expectedTab == 0 ? app::kTabNumber : 0);
    tabs->setCurrentIndex(expectedTab);
    QCOMPARE(listedNames(*a), shown);
    QCOMPARE(r.asString(QStringLiteral("Last_Name")), expected);
}

void Form1Test::exposureSettingsKeptByTheClinic_data()
{
    QTest::addColumn<QStringMap>("kept");
    QTest::addColumn<QList<int>>("boxes"); // SpinCautionCount, SpinCautionDose, SpinStrongCount, SpinStrongDose
    QTest::addColumn<bool>("line");

    QTest::newRow("nothing kept: the defaults") << QStringMap{} << QList<int>{150, 1000, 200, 1500} << false;
    QTest::newRow("the clinic's own")
        << QStringMap{{"puva_caution_count", "120"}, {"puva_caution_dose", "800"}, {"puva_strong_count", "180"},
                      {"puva_strong_dose", "1200"}, {"puva_exposure_line", "1"}}
        << QList<int>{120, 800, 180, 1200} << true;
}

void Form1Test::exposureSettingsKeptByTheClinic()
{
    QFETCH(QStringMap, kept);
    QFETCH(QList<int>, boxes);
    QFETCH(bool, line);

    keep(m_dir.path(), kept);
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(a);
    const db::RunSettings &s = a->context().settings;
    QCOMPARE((QList<int>{s.puvaCautionCount, s.puvaCautionDose, s.puvaStrongCount, s.puvaStrongDose}), boxes);
    QCOMPARE(s.puvaExposureLine, line);
    auto *settings = a->formSettings();
    QList<int> shown;
    for (const char *name : {"SpinCautionCount", "SpinCautionDose", "SpinStrongCount", "SpinStrongDose"})
        shown << settings->findChild<QSpinBox *>(QString::fromLatin1(name))->value();
    QCOMPARE(shown, boxes);
    QCOMPARE(settings->findChild<QCheckBox *>(QStringLiteral("CheckExposureLine"))->isChecked(), line);
    QVERIFY(dialogs.transcript.isEmpty());
}

void Form1Test::exposureSettingsEdited_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("kept");    // the setting's name in the file
    QTest::addColumn<QString>("refusal"); // empty: taken and kept

    QTest::newRow("caution count lowered") << "SpinCautionCount" << 120 << "puva_caution_count" << QString();
    QTest::newRow("strong dose raised") << "SpinStrongDose" << 2000 << "puva_strong_dose" << QString();
    QTest::newRow("strong count equal to caution") << "SpinStrongCount" << 150 << "puva_strong_count" << QString();
    QTest::newRow("strong count below caution refused")
        << "SpinStrongCount" << 100 << "puva_strong_count"
        << QStringLiteral("Порог высокой нагрузки по числу процедур (100) не может быть меньше порога предупреждения (150).");
    QTest::newRow("caution dose above strong refused")
        << "SpinCautionDose" << 1600 << "puva_caution_dose"
        << QStringLiteral("Порог высокой нагрузки по суммарной дозе (1") + QChar(0x00A0) +
               QStringLiteral("500 Дж/см²) не может быть меньше порога предупреждения (1") + QChar(0x00A0) +
               QStringLiteral("600 Дж/см²).");
}

void Form1Test::exposureSettingsEdited()
{
    QFETCH(QString, box);
    QFETCH(int, value);
    QFETCH(QString, kept);
    QFETCH(QString, refusal);

    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(a);
    auto *spin = a->formSettings()->findChild<QSpinBox *>(box);
    QVERIFY(spin);
    const int former = spin->value();
    const db::RunSettings before;
    spin->setValue(value);
    const QVariant stored = db::ClinicSettings::value(a->context().database, kept);
    const db::RunSettings &s = a->context().settings;
    const QList<int> now{s.puvaCautionCount, s.puvaCautionDose, s.puvaStrongCount, s.puvaStrongDose};
    if (refusal.isEmpty()) {
        QVERIFY(dialogs.transcript.isEmpty());
        QCOMPARE(spin->value(), value);
        QCOMPARE(stored.toString(), QString::number(value));
        QVERIFY(now.contains(value));
    } else {
        QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("message: Внимание!: ") + refusal});
        QCOMPARE(spin->value(), former);
        QVERIFY(stored.isNull());
        QCOMPARE(now, (QList<int>{before.puvaCautionCount, before.puvaCautionDose, before.puvaStrongCount,
                                  before.puvaStrongDose}));
    }
}

void Form1Test::exposureLineSwitchKept()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(a);
    auto *line = a->formSettings()->findChild<QCheckBox *>(QStringLiteral("CheckExposureLine"));
    QVERIFY(!line->isChecked());
    line->click();
    QVERIFY(a->context().settings.puvaExposureLine);
    QCOMPARE(db::ClinicSettings::value(a->context().database, "puva_exposure_line").toString(), QStringLiteral("1"));
    line->click();
    QCOMPARE(db::ClinicSettings::value(a->context().database, "puva_exposure_line").toString(), QStringLiteral("0"));
}

void Form1Test::exposureSettingsNotKept()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(a);
    QSqlQuery q(a->context().database.sql());
    QVERIFY(q.exec(QStringLiteral("DROP TABLE clinic_settings")));
    a->formSettings()->findChild<QSpinBox *>(QStringLiteral("SpinCautionCount"))->setValue(100);
    QCOMPARE(dialogs.transcript.size(), 1);
    QVERIFY2(dialogs.transcript.first().startsWith(
                 QStringLiteral("message: Внимание!: Настройки суммарной нагрузки ПУВА не сохранены в базе данных и "
                                "действуют только до конца работы программы.\nНе удалось сохранить настройку")),
             qPrintable(dialogs.transcript.first()));
    // The run goes on with the value the doctor set.
    QCOMPARE(a->context().settings.puvaCautionCount, 100);
}

void Form1Test::maintenancePanelRunsOverTheList()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}, {QStringLiteral("Белов")}, {QStringLiteral("Борисов")}}, dialogs);
    QVERIFY(a);
    db::DM2 &dm2 = *a->context().dm2;
    db::Table &reg = *a->context().dm1->register_;
    // Белов has procedures of courses 1, 1 and 2.
    QVERIFY(reg.locate(QStringLiteral("Last_Name"), QStringLiteral("Белов")));
    for (const int course : {1, 1, 2}) {
        dm2.lech_puva->append();
        dm2.lech_puva->setValue("Id_kurs", course);
        QVERIFY(dm2.lech_puva->post());
    }
    dialogs.answers << QStringLiteral("vorpe");
    a->form1()->openSystemPanel();
    auto *panelButton = buttonOf(a->form1(), "ButtonSysAuto");
    QVERIFY(panelButton);
    QCOMPARE(panelButton->text(), QStringLiteral("Панель автоматических действий"));
    panelButton->click();
    auto *sys = a->window(QStringLiteral("Form_sys"));
    QVERIFY(sys && sys->isVisible());
    QCOMPARE(sys->windowTitle(), QStringLiteral("Пелорин."));
    QVERIFY(sys->windowFlags() & Qt::WindowStaysOnTopHint);
    QStringList groups;
    for (const QGroupBox *g : sys->findChildren<QGroupBox *>())
        groups << g->title();
    QCOMPARE(groups, QStringList({"Настройка номеров курсов ПУВА терапии", "Подбивка всех дат поступил\\выписался",
                                  "Перетряхивание всех диагнозов.", "Подбивка всех дат через ПУВА лечение",
                                  "Чистка пустых полей в посл. обост. осмотра."}));
    QCOMPARE(buttonOf(sys, "Button4")->text(), QStringLiteral("Перебрать курсы пациентов"));
    // Only the patients of tab "Б" are walked.
    a->form1()->findChild<QTabBar *>(QStringLiteral("TabControl2"))->setCurrentIndex(2);
    QVERIFY(reg.locate(QStringLiteral("Last_Name"), QStringLiteral("Борисов")));
    // The patient grid has shown the rows before the run: afterwards it shows the new numbers.
    auto *grid = a->form1()->findChild<QTableView *>(QStringLiteral("DBGrid1"));
    QVERIFY(grid);
    const int bornDayColumn = 12;
    QCOMPARE(grid->model()->headerData(bornDayColumn, Qt::Horizontal).toString(), QStringLiteral("№1к"));
    auto gridBornDays = [grid, bornDayColumn] {
        QStringList values;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            values << grid->model()->index(row, bornDayColumn).data().toString();
        return values;
    };
    QCOMPARE(gridBornDays(), QStringList({"", ""}));
    // The doctor is told which list is walked; a No leaves everything as it was.
    const QString question = QStringLiteral("ask: Внимание!: Будут перебраны пациенты списка, как он отобран сейчас: "
                                            "вкладка «Б», пациентов 2.\nНачать обход?");
    dialogs.transcript.clear();
    dialogs.answers << QStringLiteral("no");
    buttonOf(sys, "Button1")->click();
    QCOMPARE(dialogs.transcript, QStringList{question});
    QCOMPARE(gridBornDays(), QStringList({"", ""}));
    dialogs.transcript.clear();
    dialogs.answers << QStringLiteral("yes");
    buttonOf(sys, "Button1")->click();
    QCOMPARE(gridBornDays(), QStringList({"1", "0"}));
    QVERIFY(a->form1()->updatesEnabled());
    QVERIFY(!a->window(QStringLiteral("Form_wait"))->isVisible());
    QVERIFY(sys->isEnabled());
    // It ends with the line the command line prints.
    QCOMPARE(dialogs.transcript,
             QStringList({question, QStringLiteral("message: Пелорин.: Обход 1 закончен: пациентов 2 из 2.")}));
    // With the archive on, the question says who stays out.
    a->formSettings()->findChild<QCheckBox *>(QStringLiteral("CheckBox4"))->click();
    dialogs.transcript.clear();
    dialogs.answers << QStringLiteral("no");
    buttonOf(sys, "Button1")->click();
    QCOMPARE(dialogs.transcript,
             QStringList{QStringLiteral("ask: Внимание!: Будут перебраны пациенты списка, как он отобран сейчас: "
                                        "вкладка «*», пациентов 3.\nПациенты, выписанные более 150 дн. назад, в архиве "
                                        "и не войдут.\nНачать обход?")});
    QCOMPARE(reg.asString("Last_Name"), QStringLiteral("Борисов"));
    QSqlQuery q(a->context().database.sql());
    QVERIFY(q.exec("SELECT Last_Name, ifnull(Born_Day, '-'), ifnull(ID_age_cat, '-') FROM register ORDER BY Last_Name"));
    QStringList stored;
    while (q.next())
        stored << q.value(0).toString() + QLatin1Char('=') + q.value(1).toString() + QLatin1Char('/') + q.value(2).toString();
    QCOMPARE(stored, QStringList({"Антонов=-/-", "Белов=1/2", "Борисов=0/0"}));
}

void Form1Test::secondCopyIsRefusedBeforeThePassword()
{
    ScopedScriptedDialogs dialogs;
    auto first = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(first);
    dialogs.answers << QStringLiteral("zlk");
    app::Application second({QStringLiteral("pelorin"), QStringLiteral("--data"), m_dir.path()});
    QCOMPARE(second.start(), app::Application::Start::Failed);
    QCOMPARE(dialogs.transcript.size(), 1);
    QVERIFY2(dialogs.transcript.first().contains(QStringLiteral("Программа уже запущена")),
             qPrintable(dialogs.transcript.first()));
    // Once the first copy has ended, the folder is free again.
    first.reset();
    dialogs.transcript.clear();
    app::Application third({QStringLiteral("pelorin"), QStringLiteral("--data"), m_dir.path()});
    QCOMPARE(third.start(), app::Application::Start::Running);
}

void Form1Test::corruptDatabaseStopsWithMessage_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("garbage") << QByteArray(4096, '\x07');
    // The data already gone: the file must not quietly become an empty clinic.
    QTest::newRow("empty file") << QByteArray();
    // A clinic's file cut short (a full disk, a copy broken off): its first half only.
    QTemporaryDir whole;
    {
        db::Database database;
        QString error;
        QVERIFY(database.open(whole.path(), &error));
        db::DM1 dm1(database);
        QVERIFY(dm1.open(&error));
        for (int i = 0; i < 300; ++i) {
            dm1.register_->append();
            dm1.register_->setValue("Last_Name", QStringLiteral("Пациент %1").arg(i));
            dm1.register_->setValue("Adress", QString(80, QLatin1Char('x')));
            QVERIFY(dm1.register_->post());
        }
        QVERIFY(database.flush(&error));
    }
    QFile full(QDir(whole.path()).filePath(db::Database::fileName()));
    QVERIFY(full.open(QIODevice::ReadOnly));
    const QByteArray bytes = full.readAll();
    QVERIFY(bytes.size() > 32768);
    QTest::newRow("truncated") << bytes.left(bytes.size() / 2);
}

void Form1Test::corruptDatabaseStopsWithMessage()
{
    QFETCH(QByteArray, content);
    QFile file(m_dir.filePath(db::Database::fileName()));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("zlk");
    app::Application a({QStringLiteral("pelorin"), QStringLiteral("--data"), m_dir.path()});
    QCOMPARE(a.start(), app::Application::Start::Failed);
    QVERIFY(dialogs.transcript.last().contains(db::Database::fileName()));
    QVERIFY(dialogs.transcript.last().contains(QStringLiteral("повреждён")));
    QVERIFY(dialogs.transcript.last().startsWith(QStringLiteral("message: Пелорин.: ")));
    QCOMPARE(QFileInfo(file).size(), content.size());
}

void Form1Test::examinationPanel()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(a);
    app::Form1 *f = a->form1();
    buttonOf(f, "SpeedButton5")->click();
    QVERIFY(f->sectionBox(app::Form1::Osmotr)->isVisible());
    db::Table &exams = *a->context().dm2->osmotr1;
    buttonOf(f, "Button3")->click();
    buttonOf(f, "Button3")->click();
    QCOMPARE(exams.recordCount(), 2);
    QCOMPARE(exams.asInteger("Nom_osm"), 2);
    QCOMPARE(exams.asDate("Date"), kToday);
    QCOMPARE(a->context().dm2->osmotr_elem->recordCount(), 1);
    // The course of the disease is stored at once.
    auto *course = f->findChild<QComboBox *>(QStringLiteral("ComboBox11"));
    course->setCurrentIndex(3);
    Q_EMIT course->activated(3);
    QCOMPARE(exams.state(), db::TableState::Browse);
    QCOMPARE(exams.asString("Dinamika"), QStringLiteral("Положительная"));
    // Each "Выбрать" opens its window.
    buttonOf(f, "Button46")->click();
    QWidget *elements = a->window(QStringLiteral("Form_osmotr_elem"));
    QVERIFY(elements->isVisible());
    // No fast scrolling: the main window waits until the window is closed.
    QVERIFY(!f->isEnabled());
    elements->close();
    QVERIFY(f->isEnabled());
    buttonOf(f, "Button7")->click();
    QVERIFY(a->window(QStringLiteral("Form_osmotr_index"))->isVisible());
}

void Form1Test::sectionSummariesFollowThePatient()
{
    ScopedScriptedDialogs dialogs;
    auto a = startWith({{QStringLiteral("Антонов")}}, dialogs);
    QVERIFY(a);
    db::Table &tests = *a->context().dm2->analyz;
    tests.append();
    tests.setValue(QStringLiteral("B9"), true);
    QVERIFY(tests.post());
    auto *memo = a->form1()->findChild<QPlainTextEdit *>(QStringLiteral("DBMemo_analyz_List2"));
    QVERIFY(memo);
    QVERIFY(memo->isReadOnly());
    QCOMPARE(memo->toPlainText(), QStringLiteral("Кал на яйца гельминтов: норма. "));
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
