#include "application.h"
#include "clock.h"
#include "dbgrid.h"
#include "dialogs.h"
#include "form1.h"
#include "form_settings.h"
#include "programfolder.h"
#include "puva_windows.h"
#include "report_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace pelorin;

namespace {

const QDate kToday(2025, 3, 20);

// Patient "Громова", first course of two procedures and an examination, one admission diagnosis;
// written before the program starts.
void seed(const QString &folder)
{
    db::Database database;
    QString error;
    QVERIFY2(database.open(folder, &error), qPrintable(error));
    db::DM1 dm1(database);
    db::DM2 dm2(database, dm1);
    QVERIFY(dm1.open(&error) && dm2.open(&error));
    auto add = [](db::Table &t, const QVariantMap &fields) {
        t.append();
        for (auto it = fields.begin(); it != fields.end(); ++it)
            t.setValue(it.key(), it.value());
        QVERIFY(t.post());
    };
    add(*dm1.register_, {{"Last_Name", QStringLiteral("Громова")}, {"Reg_date", QDate(2025, 3, 1)}, {"Born_Day", 1}});
    add(*dm2.lech_puva, {{"Id_kurs", 1}, {"Nom_proc", 1}, {"Date", QDate(2025, 3, 3)}, {"Power1", 25}, {"Time1", 2}});
    add(*dm2.lech_puva, {{"Id_kurs", 1}, {"Nom_proc", 2}, {"Date", QDate(2025, 3, 5)}, {"Power1", 25}, {"Time1", 3}});
    add(*dm2.osmotr1, {{"Nom_osm", 1}, {"Date", QDate(2025, 3, 5)}});
    add(*dm2.diagnoz, {{"Text", QStringLiteral("Диагноз при первом поступлении")}, {"Data", QDate(2025, 3, 1)}});
}

template <typename T = QPushButton>
T *child(QWidget *w, const char *name)
{
    return w ? w->findChild<T *>(QString::fromLatin1(name)) : nullptr;
}

} // namespace

class PuvaAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
        clock::setFixedToday(kToday);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        seed(m_dir->path());
        m_dialogs = std::make_unique<ScopedScriptedDialogs>();
        m_dialogs->answers << QStringLiteral("zlk");
        m_app = std::make_unique<app::Application>(
            QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), m_dir->path()});
        QCOMPARE(int(m_app->start()), int(app::Application::Start::Running));
        m_dialogs->transcript.clear();
    }

    void cleanup()
    {
        m_app.reset();
        m_dialogs.reset();
        m_dir.reset();
    }

    void lifetimeFiguresOnThePageAndInTheExtract()
    {
        app::Form1 *form = m_app->form1();
        form->showSection(app::Form1::Lech);
        auto *label = child<QLabel>(form, "LabelExposure");
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Всего процедур ПУВА: 2, суммарная доза УФА: 1,25 Дж/см²"));
        // The report page asks the clinic's switch at each run.
        auto *report = form->findChild<documents::ReportTab *>();
        QVERIFY(report);
        QVERIFY(!report->input().exposureLine);
        child<QCheckBox>(m_app->formSettings(), "CheckExposureLine")->click();
        QVERIFY(report->input().exposureLine);
    }

    void editorFromTheTreatmentPage()
    {
        app::Form1 *form = m_app->form1();
        form->showSection(app::Form1::Lech);
        QWidget *editor = m_app->window(QStringLiteral("Form_lech_puva_edit"));
        QVERIFY(qobject_cast<treatment::Form_lech_puva_edit *>(editor));
        child(form, "Button16")->click();
        QVERIFY(editor->isVisible());
        QVERIFY(!form->isEnabled());
        // The next procedure, then "Применить и закрыть": totals, links and course numbers stored.
        child(editor, "Button1")->click();
        child(editor, "Button5")->click();
        QVERIFY(!editor->isVisible());
        QVERIFY(form->isEnabled());
        db::Table &reg = *m_app->context().dm1->register_;
        QCOMPARE(reg.asInteger("Puv_posl"), 3);
        QCOMPARE(reg.asString("Doza_txt"), QStringLiteral("2,00")); // 50 + 75 + 75
        QCOMPARE(reg.asInteger("ID_age_cat"), 1);
        QSqlQuery q(m_app->context().database.sql());
        QVERIFY(q.exec("SELECT \"PUVA\" FROM osmotr_1") && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("2 курс 1"));
        // "Лечение" again selects the first course view of the hidden selector.
        form->showSection(app::Form1::Register);
        form->showSection(app::Form1::Lech);
        QCOMPARE(child<treatment::CourseSelector>(form, "RadioGroup1")->selected(), 0);
    }

    void diagnosesFromTheCardAndThePage()
    {
        app::Form1 *form = m_app->form1();
        QWidget *window = m_app->window(QStringLiteral("Form_diagnoz"));
        auto *grid = child<ui::DBGrid>(form, "DBGrid7");
        QVERIFY(grid);
        Q_EMIT grid->doubleClickedRow(0);
        QVERIFY(window->isVisible());
        window->close();
        QVERIFY(!window->isVisible());
        QCOMPARE(m_app->context().dm1->register_->asInteger("NKurs_posl_post"), 1);
        form->showSection(app::Form1::Diagnoz);
        child(form, "Button26")->click();
        QVERIFY(window->isVisible());
        window->close();
    }

    void escapeRunsTheClosingOfEveryWindow_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *name :
             {"Form_lech_puva_edit", "Form_diagnoz", "Form_anamnez_zab_zalobi", "Form_anamnez_zab_start",
              "Form_anamnez_zab_ranlech", "Form_anamnez_zab_obostr_lech", "Form_anamnez_zab_obostr_prich",
              "Form_amamnez_life_zab", "Form_amamnez_life_sem", "Form_osmotr_elem", "Form_osmotr_klsimp",
              "Form_osmotr_zalobi", "Form_osmotr_proizv", "Form_osm_ob", "Form_osmotr_index", "Form_osmotr_index1",
              "Form_analyz", "Form_lech_lekar", "Form_recomend", "Form_register_docks"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void escapeRunsTheClosingOfEveryWindow()
    {
        QFETCH(QString, window);
        app::Form1 *form = m_app->form1();
        QWidget *w = m_app->window(window);
        QVERIFY(w);
        if (window == QLatin1String("Form_lech_puva_edit")) {
            form->showSection(app::Form1::Lech);
            child(form, "Button16")->click();
        } else if (window == QLatin1String("Form_diagnoz")) {
            Q_EMIT child<ui::DBGrid>(form, "DBGrid7")->doubleClickedRow(0);
        } else {
            w->show();
        }
        QVERIFY(w->isVisible());
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QVERIFY(form->isEnabled());
        db::Table &reg = *m_app->context().dm1->register_;
        if (window == QLatin1String("Form_lech_puva_edit")) {
            // The editor's closing: dose total and last procedure number of the course.
            QCOMPARE(reg.asInteger("Puv_posl"), 2);
            QCOMPARE(reg.asString("Doza_txt"), QStringLiteral("1,25"));
        } else if (window == QLatin1String("Form_diagnoz")) {
            QCOMPARE(reg.asInteger("NKurs_posl_post"), 1);
            QCOMPARE(reg.asDate("Reg_date"), QDate(2025, 3, 1));
        }
    }

    void closingTheMainWindowClosesTheEditorFirst()
    {
        app::Form1 *form = m_app->form1();
        QWidget *editor = m_app->window(QStringLiteral("Form_lech_puva_edit"));
        form->showSection(app::Form1::Lech);
        child(form, "Button16")->click();
        QVERIFY(editor->isVisible());
        form->close();
        QVERIFY(!editor->isVisible());
        QCOMPARE(m_app->context().dm1->register_->asInteger("Puv_posl"), 2);
    }

    void valueThatCannotBeStoredKeepsTheEditorOpen()
    {
        app::Form1 *form = m_app->form1();
        QWidget *editor = m_app->window(QStringLiteral("Form_lech_puva_edit"));
        form->showSection(app::Form1::Lech);
        child(form, "Button16")->click();
        auto *power = child<QComboBox>(editor, "DBComboBox13");
        QVERIFY(power && power->isEditable());
        power->setFocus();
        power->lineEdit()->selectAll();
        QTest::keyClicks(power->lineEdit(), QStringLiteral("abc"));
        m_dialogs->transcript.clear();
        child(editor, "Button5")->click(); // "Применить и закрыть"
        QVERIFY(editor->isVisible());
        QVERIFY(!form->isEnabled());
        QCOMPARE(m_dialogs->transcript.size(), 1);
        QVERIFY2(m_dialogs->transcript.first().contains(QStringLiteral("abc")), qPrintable(m_dialogs->transcript.first()));
        // Esc does not lose it either: the editor stays until the value is put right.
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(editor->isVisible());
        QVERIFY(!form->isEnabled());
        power->lineEdit()->selectAll();
        QTest::keyClicks(power->lineEdit(), QStringLiteral("30"));
        child(editor, "Button5")->click();
        QVERIFY(!editor->isVisible());
        QVERIFY(form->isEnabled());
    }

    void handLinkWindowsFromTheSystemPanel()
    {
        app::Form1 *form = m_app->form1();
        child(form, "ButtonSysChooseExam")->click();
        QVERIFY(m_app->window(QStringLiteral("Form_lech_puva_edit_osmotr"))->isVisible());
        child(form, "ButtonSysChooseProcedure")->click();
        QWidget *examProcedure = m_app->window(QStringLiteral("Form_osmotr_edit_puva"));
        QVERIFY(examProcedure->isVisible());
        child(examProcedure, "Button1")->click(); // current procedure to the current examination
        QCOMPARE(m_app->context().dm2->osmotr1->asString("PUVA"), QStringLiteral("1пр. 1к."));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<app::Application> m_app;
};

QTEST_MAIN(PuvaAppTest)
#include "puva_app_test.moc"
