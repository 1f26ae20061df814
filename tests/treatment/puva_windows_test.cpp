#include "puva_windows.h"

#include "clinicfixture.h"
#include "clock.h"
#include "dbgrid.h"
#include "diagnoz_calc.h"
#include "diagnoz_ops.h"
#include "diagnoz_windows.h"
#include "dialogs.h"
#include "puva_calc.h"
#include "table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

using namespace pelorin;

namespace {

const QDate kToday(2025, 6, 1);

struct Clinic : testing::ClinicFixture
{
    db::Table &puva;
    db::Table &diagnoz;
    clinical::DiagnozOps diagnoses;
    QWidget mainWindow;

    Clinic() : puva(*dm2->lech_puva), diagnoz(*dm2->diagnoz), diagnoses(*dm1, *dm2, settings, log, *protection)
    {
        clock::setFixedToday(kToday);
        treatment::installPuvaCalc(puva);
        clinical::installDiagnozCalc(diagnoz);
        diagnoses.install();
        append(reg(), {{"Last_Name", "Иванов"}, {"Ves", 70}, {"Reg_date", QDate(2025, 1, 1)}});
    }
    ~Clinic() { clock::reset(); }

    void addCourse(int course, int procedures)
    {
        for (int n = 1; n <= procedures; ++n)
            append(puva, {{"Id_kurs", course}, {"Nom_proc", n}, {"Power1", 15}, {"Time1", 7},
                          {"Date", QDate(2025, 3, course * 10 + n)}});
    }
};

template <typename T = QPushButton>
T *find(QWidget *w, const char *name)
{
    T *found = w->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

} // namespace

class PuvaWindowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editorButtonsAndTimeReminder()
    {
        ScopedScriptedDialogs dialogs;
        dialogs.answers = {"no", "yes"};
        Clinic c;
        c.addCourse(1, 2);
        treatment::Form_lech_puva_edit editor(*c.dm1, *c.dm2, c.settings, c.log, &c.mainWindow);
        auto *time = find<QComboBox>(&editor, "DBComboBox5");
        const int normal = time->font().pointSize();

        find(&editor, "Button3")->click(); // new course? No
        QCOMPARE(c.puva.recordCount(), 2);
        QCOMPARE(time->font().pointSize(), normal);
        find(&editor, "Button3")->click(); // Yes
        QCOMPARE(c.puva.recordCount(), 3);
        QCOMPARE(c.puva.asInteger("Id_kurs"), 2);
        QCOMPARE(time->font().pointSize(), 14);
        QCOMPARE(time->palette().color(QPalette::Text), QColor(Qt::red));

        find(&editor, "Button4")->click(); // Применить
        QCOMPARE(time->font().pointSize(), 8);

        find(&editor, "Button1")->click(); // next procedure
        QCOMPARE(c.puva.asInteger("Nom_proc"), 2);
        QCOMPARE(find<QLabel>(&editor, "DBText_Doza1_txt")->text(), QStringLiteral("1,05"));
        QCOMPARE(find<QLabel>(&editor, "DBText_psens_1_mg")->text(), QStringLiteral("84"));
    }

    void exposureLabelFollowsThePatientAndTheProcedures()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.addCourse(1, 2);
        c.addCourse(2, 1); // Иванов: three procedures of 1,05 J
        c.append(c.reg(), {{"Last_Name", "Петров"}});
        treatment::PuvaPage page(*c.dm1, *c.dm2, c.settings);
        treatment::Form_lech_puva_edit editor(*c.dm1, *c.dm2, c.settings, c.log, &c.mainWindow);
        auto *onPage = find<QLabel>(&page, "LabelExposure");
        auto *inEditor = find<QLabel>(&editor, "LabelExposure");
        auto shows = [&](const QString &text) { return onPage->text() == text && inEditor->text() == text; };
        QVERIFY(shows(QStringLiteral("Всего процедур ПУВА: 0, суммарная доза УФА: 0,00 Дж/см²")));

        QVERIFY(c.reg().locate("Last_Name", QStringLiteral("Иванов")));
        const QString three = QStringLiteral("Всего процедур ПУВА: 3, суммарная доза УФА: 3,15 Дж/см²");
        QVERIFY2(shows(three), qPrintable(onPage->text()));
        // A course view lists one course; the figures stay those of every course.
        find<QSpinBox>(&page, "SpinEditCourse")->setValue(2);
        find(&page, "ButtonCourse")->click();
        QCOMPARE(c.puva.recordCount(), 1);
        QVERIFY(shows(three));

        find(&editor, "Button1")->click();
        QVERIFY2(shows(QStringLiteral("Всего процедур ПУВА: 4, суммарная доза УФА: 4,20 Дж/см²")),
                 qPrintable(inEditor->text()));
        dialogs.answers = {"yes"};
        find(&editor, "Button2")->click();
        QVERIFY(shows(three));
        c.puva.edit();
        c.puva.setValue("Time1", QVariant());
        QVERIFY(c.puva.post());
        QVERIFY2(shows(QStringLiteral("Всего процедур ПУВА: 3, суммарная доза УФА: 2,10 Дж/см² "
                                      "(доза неизвестна у 1 процедуры)")),
                 qPrintable(onPage->text()));
    }

    void exposureLabelShowsTheLevel_data()
    {
        QTest::addColumn<int>("cautionCount");
        QTest::addColumn<int>("strongCount");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QColor>("colour"); // invalid: the window's own
        QTest::addColumn<QString>("ending");

        QTest::newRow("below the thresholds") << 150 << 200 << false << QColor() << QStringLiteral("Дж/см²");
        QTest::newRow("caution") << 3 << 200 << true << QColor(176, 90, 0)
                                 << QStringLiteral("Достигнут порог предупреждения.");
        QTest::newRow("strong") << 2 << 3 << true << QColor(200, 0, 0) << QStringLiteral("Высокая суммарная нагрузка!");
    }

    void exposureLabelShowsTheLevel()
    {
        QFETCH(int, cautionCount);
        QFETCH(int, strongCount);
        QFETCH(bool, bold);
        QFETCH(QColor, colour);
        QFETCH(QString, ending);

        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.addCourse(1, 3);
        treatment::PuvaPage page(*c.dm1, *c.dm2, c.settings);
        auto *label = find<QLabel>(&page, "LabelExposure");
        c.settings.puvaCautionCount = cautionCount;
        c.settings.puvaStrongCount = strongCount;
        c.settings.notifyChanged();
        QVERIFY2(label->text().endsWith(ending), qPrintable(label->text()));
        QCOMPARE(label->font().bold(), bold);
        const QColor expected = colour.isValid() ? colour : page.palette().color(QPalette::WindowText);
        QCOMPARE(label->palette().color(QPalette::WindowText), expected);
    }

    void newCourseAtTheThresholdWarnsThenStarts()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.addCourse(1, 2);
        c.settings.puvaCautionCount = 3;
        treatment::Form_lech_puva_edit editor(*c.dm1, *c.dm2, c.settings, c.log, &c.mainWindow);
        dialogs.answers = {"yes"};
        find(&editor, "Button3")->click();
        QCOMPARE(dialogs.transcript.size(), 2);
        QCOMPARE(dialogs.transcript.at(0), QStringLiteral("ask: Внимание!: Вы уверены что хотите начать новый курс?"));
        QVERIFY2(dialogs.transcript.at(1).startsWith(
                     QStringLiteral("message: Внимание!: Суммарная нагрузка ПУВА достигла порога предупреждения по "
                                    "числу процедур (3).")),
                 qPrintable(dialogs.transcript.at(1)));
        QCOMPARE(c.puva.recordCount(), 3);
        QCOMPARE(c.puva.asInteger("Id_kurs"), 2);
    }

    void openingAndApplyAndClose()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.settings.noFastScrolling = true;
        treatment::PuvaPage page(*c.dm1, *c.dm2, c.settings);
        treatment::Form_lech_puva_edit editor(*c.dm1, *c.dm2, c.settings, c.log, &c.mainWindow);
        c.mainWindow.show();
        c.reg().edit();
        c.reg().setValue("Doza", 999);
        QVERIFY(c.reg().post());
        editor.openFromMainWindow(page.selector());
        QCOMPARE(page.selector()->selected(), -1);
        // Clearing the choice lists every course and brings the total up to date.
        QCOMPARE(c.reg().asInteger("Doza"), 0);
        QVERIFY(!c.mainWindow.isEnabled());
        QCOMPARE(dialogs.transcript.filter("message: Внимание!: Чтобы начать новый курс ПУВА-терапии").size(), 1);
        dialogs.answers = {"yes"};
        find(&editor, "Button3")->click();
        find(&editor, "Button1")->click();
        find(&editor, "Button5")->click(); // Применить и закрыть
        QVERIFY(!editor.isVisible());
        QVERIFY(c.mainWindow.isEnabled());
        QCOMPARE(c.reg().asInteger("Born_Day"), 1);
        QCOMPARE(c.reg().asInteger("ID_age_cat"), 1);
        QCOMPARE(c.reg().asInteger("Puv_posl"), 2);
        // Selecting the first view again lists every course.
        page.selector()->select(0);
        QVERIFY(c.puva.filter().isEmpty());
    }

    void viewBarOnThreeCourses()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.addCourse(1, 1);
        c.addCourse(2, 2);
        c.addCourse(3, 1);
        treatment::PuvaPage page(*c.dm1, *c.dm2, c.settings);
        find<QSpinBox>(&page, "SpinEditCourse")->setValue(2);
        find(&page, "ButtonCourse")->click();
        QCOMPARE(c.puva.recordCount(), 2);
        find(&page, "ButtonLastCourse")->click();
        QCOMPARE(c.puva.recordCount(), 1);
        find(&page, "ButtonAllButLast")->click();
        QCOMPARE(c.puva.recordCount(), 3);
        find(&page, "ButtonAllCourses")->click();
        QCOMPARE(c.puva.recordCount(), 4);
        QCOMPARE(find<QLabel>(&page, "DBText_Doza_txt")->text(), QStringLiteral("4,20"));
    }

    void bulkSetterStopsOnMissingPower()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.addCourse(1, 2);
        treatment::PuvaEditorOps ops(*c.dm1, *c.dm2, c.settings, c.log);
        treatment::Form_lech_puva_edit_script script(ops);
        find<QComboBox>(&script, "ComboBox1")->addItems({"15", "30"});
        find<QComboBox>(&script, "ComboBox1")->setCurrentIndex(-1);
        find<QCheckBox>(&script, "CheckBox1")->setChecked(true);
        find(&script, "Button1")->click();
        QCOMPARE(dialogs.transcript.filter("Не выбрана мощность установки.").size(), 1);
        QVERIFY(find<QCheckBox>(&script, "CheckBox1")->isChecked());
        find<QComboBox>(&script, "ComboBox1")->setCurrentIndex(1);
        find(&script, "Button1")->click();
        QVERIFY(!find<QCheckBox>(&script, "CheckBox1")->isChecked());
        for (c.puva.first(); !c.puva.eof(); c.puva.next())
            QCOMPARE(c.puva.asInteger("Power1"), 30);
    }

    void diagnosisWindow()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.reg().edit();
        c.reg().setValue("Born_Day", 3);
        QVERIFY(c.reg().post());
        clinical::Form_diagnoz window(*c.dm1, *c.dm2, c.settings, c.diagnoses, &c.mainWindow);
        window.open(true); // no event: the first one is made
        QCOMPARE(c.diagnoz.recordCount(), 1);
        QCOMPARE(c.diagnoz.asString("Text"), clinical::kFirstAdmission);
        find<QCheckBox>(&window, "B1")->click();
        find<QCheckBox>(&window, "A1_3")->click();
        QVERIFY(c.diagnoz.modified());
        find(&window, "Button3")->click(); // Применить
        QCOMPARE(c.stored("SELECT \"Text1\" FROM diagnoz").toString(), QStringLiteral("псориаз, бляшечная форма. "));
        find(&window, "Button1")->click(); // discharge
        QCOMPARE(c.diagnoz.asString("Text_type"), QStringLiteral("Выписан"));
        c.diagnoz.edit();
        c.diagnoz.setValue("30", 2);
        QVERIFY(c.diagnoz.post());
        find(&window, "ButtonClear30")->click();
        QCOMPARE(c.diagnoz.asInteger("30"), 0);
        window.close();
        QCOMPARE(c.reg().asInteger("ID_age_cat"), 3);
        QCOMPARE(c.reg().value("Vip_date").toDate(), kToday);
        QCOMPARE(c.diagnoz.recNo(), 1);
    }

    void quickWindowAndPage()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        clinical::DiagnozPage page(c.dm2->diagnoz);
        clinical::Form_diagnoz full(*c.dm1, *c.dm2, c.settings, c.diagnoses, &c.mainWindow);
        clinical::Form_diagnoz_lite quick(c.diagnoses, &full);
        find<QCheckBox>(&quick, "CheckBox2")->setChecked(true);
        find(&quick, "Button2")->click();
        QCOMPARE(c.diagnoz.asString("List"), QStringLiteral("атопический дерматит. "));
        QVERIFY(find<QWidget>(&page, "PanelDiagnoz1")->isVisibleTo(&page));
        QVERIFY(!find<QWidget>(&page, "PanelDiagnoz2")->isVisibleTo(&page));
        const QList<QLabel *> labels = find<QWidget>(&page, "PanelDiagnoz1")->findChildren<QLabel *>();
        QCOMPARE(labels.value(0)->text(), clinical::kFirstAdmission);
        QCOMPARE(labels.value(2)->text(), QStringLiteral("01.01.2025"));
    }
};

QTEST_MAIN(PuvaWindowsTest)
#include "puva_windows_test.moc"
