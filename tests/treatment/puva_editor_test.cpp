#include "puva_editor.h"

#include "clinicfixture.h"
#include "clock.h"
#include "diagnoz_calc.h"
#include "diagnoz_ops.h"
#include "dialogs.h"
#include "puva_calc.h"
#include "puva_views.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::treatment;

namespace {

const QDate kToday(2025, 6, 1);

struct Clinic : testing::ClinicFixture
{
    db::Table &puva;
    db::Table &exams;
    db::Table &diagnoz;
    std::unique_ptr<clinical::DiagnozOps> diagnoses;
    PuvaEditorOps editor;

    Clinic() : puva(*dm2->lech_puva), exams(*dm2->osmotr1), diagnoz(*dm2->diagnoz), editor(*dm1, *dm2, settings, log)
    {
        clock::setFixedToday(kToday);
        installPuvaCalc(puva);
        clinical::installDiagnozCalc(diagnoz);
        diagnoses = std::make_unique<clinical::DiagnozOps>(*dm1, *dm2, settings, log, *protection);
        diagnoses->install();
        append(reg(), {{"Last_Name", "Иванов"}, {"Reg_date", QDate(2025, 1, 1)}});
    }
    ~Clinic() { clock::reset(); }

    // `count` procedures per course, power 25 and time 10 (dose 250), dated from 1 March on.
    void addCourses(std::initializer_list<int> counts)
    {
        int course = 0;
        int day = 0;
        for (int count : counts) {
            ++course;
            for (int n = 1; n <= count; ++n)
                append(puva, {{"Id_kurs", course},
                              {"Nom_proc", n},
                              {"Power1", 25},
                              {"Time1", 10},
                              {"Date", QDate(2025, 3, 1).addDays(day++)}});
        }
    }

    QList<int> courses()
    {
        QList<int> out;
        for (puva.first(); !puva.eof(); puva.next())
            out << int(puva.asInteger("Id_kurs"));
        return out;
    }
};

} // namespace

class PuvaEditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void views_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("courseBox");
        QTest::addColumn<QList<int>>("listed");

        QTest::newRow("all") << int(CourseView::All) << 1 << QList<int>{1, 1, 2, 2, 3, 3};
        QTest::newRow("course 2") << int(CourseView::Course) << 2 << QList<int>{2, 2};
        QTest::newRow("course without procedures") << int(CourseView::Course) << 7 << QList<int>{};
        QTest::newRow("last course") << int(CourseView::Last) << 1 << QList<int>{3, 3};
        QTest::newRow("all but the last") << int(CourseView::AllButLast) << 1 << QList<int>{1, 1, 2, 2};
    }

    void views()
    {
        QFETCH(int, view);
        QFETCH(int, courseBox);
        QFETCH(QList<int>, listed);
        Clinic c;
        c.addCourses({2, 2, 2});
        c.puva.setFilter("Id_kurs = 1");
        QVERIFY(chooseCourseView(c.reg(), c.puva, c.settings, CourseView(view), courseBox));
        QCOMPARE(c.courses(), listed);
        // The total counts every course whatever the view.
        QCOMPARE(c.reg().asInteger("Doza"), 6 * 250);
        QCOMPARE(c.stored("SELECT \"Doza\" FROM register").toInt(), 6 * 250);
        QVERIFY(!c.settings.protectionSuspended);
    }

    void viewsWithoutProcedures()
    {
        Clinic c;
        c.reg().edit();
        c.reg().setValue("Doza", 900);
        QVERIFY(c.reg().post());
        for (CourseView view : {CourseView::All, CourseView::Course, CourseView::Last, CourseView::AllButLast}) {
            QVERIFY(chooseCourseView(c.reg(), c.puva, c.settings, view, 1));
            QVERIFY(c.puva.isEmpty());
            QCOMPARE(c.reg().asString("Doza_txt"), QStringLiteral("0,00"));
        }
    }

    // The buttons ask nothing; the hidden selector's post passes the protection questions.
    void viewProtection()
    {
        ScopedScriptedDialogs dialogs;
        dialogs.answers = {"yes"};
        Clinic c;
        c.addCourses({1});
        c.settings.protectionOn = true;
        c.settings.protectionDays = 30; // registered in January: the age question applies
        QVERIFY(chooseCourseView(c.reg(), c.puva, c.settings, CourseView::All, 1));
        QCOMPARE(dialogs.transcript.filter("ask:").size(), 0);
        QVERIFY(chooseCourseView(c.reg(), c.puva, c.settings, CourseView::All, 1, ViewPost::Checked));
        QCOMPARE(dialogs.transcript.filter("ask:").size(), 1);
    }

    void closingIndexesUpToTenWithoutQuestion_data()
    {
        QTest::addColumn<int>("procedures");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("indexed");
        QTest::newRow("10 procedures") << 10 << QString() << false << true;
        QTest::newRow("11 procedures, Yes") << 11 << "yes" << true << true;
        QTest::newRow("11 procedures, No") << 11 << "no" << true << false;
    }

    void closingIndexesUpToTenWithoutQuestion()
    {
        QFETCH(int, procedures);
        QFETCH(QString, answer);
        QFETCH(bool, asked);
        QFETCH(bool, indexed);
        ScopedScriptedDialogs dialogs;
        dialogs.answers = {answer};
        Clinic c;
        c.addCourses({procedures});
        c.append(c.exams, {{"Nom_osm", 1}, {"Date", QDate(2025, 3, 1)}});
        c.editor.closing();
        QCOMPARE(dialogs.transcript.filter(kIndexingQuestion).size(), asked ? 1 : 0);
        QCOMPARE(c.reg().asInteger("Doza"), indexed ? procedures * 250 : 0);
        QCOMPARE(c.reg().asInteger("Puv_posl"), indexed ? procedures : 0);
        QCOMPARE(c.reg().asDate("Dat_posl") == QDate(2025, 3, 1).addDays(procedures - 1), indexed);
        c.puva.first();
        QCOMPARE(c.puva.asString("Osmotr"), indexed ? QStringLiteral("1") : QString());
        // Step 6 runs whatever the answer.
        QCOMPARE(c.reg().asInteger("NKurs_posl_post"), 1);
        QVERIFY(!c.settings.protectionSuspended);
    }

    void closingRestampsLastDiagnosisOfAnOddList_data()
    {
        QTest::addColumn<int>("events");
        QTest::addColumn<bool>("restamped");
        QTest::newRow("one event") << 1 << true;
        QTest::newRow("two events") << 2 << false;
        QTest::newRow("three events") << 3 << true;
    }

    void closingRestampsLastDiagnosisOfAnOddList()
    {
        QFETCH(int, events);
        QFETCH(bool, restamped);
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.reg().edit();
        c.reg().setValue("Born_Day", 2);
        QVERIFY(c.reg().post());
        c.addCourses({1, 1});
        for (int i = 0; i < events; ++i)
            c.append(c.diagnoz, {{"Text", "Диагноз при выписке"}, {"Data", QDate(2025, 2, 1)}});
        // A stale stored course number shows whether the event was posted again.
        QSqlQuery(c.db.sql()).exec("UPDATE diagnoz SET \"Kurs\" = 99");
        c.diagnoz.refresh();
        c.log.append("start");
        c.editor.closing();
        const QString line = QStringLiteral("У последнего диагноза заменен номер курса на значение 2");
        QCOMPARE(c.log.lines().filter(line).size(), restamped ? 1 : 0);
        const int stored = c.stored("SELECT \"Kurs\" FROM diagnoz ORDER BY \"ID\" DESC LIMIT 1").toInt();
        QCOMPARE(stored, restamped ? (events + 1) / 2 + 2 - 1 : 99);
    }

    void closingLiftsAndRestoresExaminationArchive()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.addCourses({2});
        c.append(c.exams, {{"Nom_osm", 1}, {"Date", QDate(2024, 1, 1)}});
        c.append(c.exams, {{"Nom_osm", 2}, {"Date", QDate(2025, 3, 2)}});
        c.settings.examArchive = true;
        c.exams.setFilter("Date > '01.01.2025'");
        bool reapplied = false;
        c.editor.reapplyExamArchive = [&] {
            reapplied = true;
            c.exams.setFilter("Date > '01.01.2025'");
        };
        c.editor.closing();
        QVERIFY(reapplied);
        QVERIFY(c.settings.examArchive);
        QVERIFY(!c.settings.examArchiveSuspended);
        // The archived examination took part in the linking: it is the first of the list.
        c.puva.first();
        QCOMPARE(c.puva.asString("Osmotr"), QStringLiteral("1"));
        c.puva.last();
        QCOMPARE(c.puva.asString("Osmotr"), QStringLiteral("2"));
    }

    void applyAndCloseStoresFirstAndLastCourse()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.addCourses({1, 2, 1});
        c.puva.setFilter("Id_kurs = 2");
        bool closed = false;
        c.editor.applyAndClose([&] { closed = true; });
        QVERIFY(closed);
        QVERIFY(c.puva.filter().isEmpty());
        QCOMPARE(c.reg().asInteger("Born_Day"), 1);
        QCOMPARE(c.reg().asInteger("ID_age_cat"), 3);
        QCOMPARE(c.reg().asInteger("Doza"), 4 * 250);
        QCOMPARE(c.stored("SELECT \"ID_age_cat\" FROM register").toInt(), 3);
        QVERIFY(!c.settings.protectionSuspended);
    }

    // The closing inside "Применить и закрыть" must not switch the questions on again before the
    // register's course numbers are posted.
    void applyAndCloseAsksNothing()
    {
        ScopedScriptedDialogs dialogs;
        dialogs.answers = {"no", "no", "no", "no"};
        Clinic c;
        c.addCourses({1});
        c.settings.protectionOn = true;
        c.editor.applyAndClose();
        QCOMPARE(dialogs.transcript.filter("ask:").size(), 0);
        QCOMPARE(c.stored("SELECT \"Born_Day\" FROM register").toInt(), 1);
    }

    void titleBarCloseOnACourseViewLeavesCourseNumbers()
    {
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.addCourses({2, 2});
        c.puva.setFilter("Id_kurs = 2");
        c.editor.closing();
        QCOMPARE(c.reg().asInteger("Doza"), 2 * 250);
        QCOMPARE(c.reg().asInteger("Born_Day"), 0);
        QCOMPARE(c.reg().asInteger("ID_age_cat"), 0);
        c.puva.setFilter(QString());
        c.puva.first();
        QVERIFY(c.puva.isNull("Osmotr"));
    }

    void bulkSetter_data()
    {
        QTest::addColumn<QString>("power");
        QTest::addColumn<QString>("tablets");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("error");
        QTest::newRow("every row") << "30" << "4" << true << QString();
        QTest::newRow("power not chosen") << "" << "4" << false << "Не выбрана мощность установки.";
        QTest::newRow("tablets not a number") << "30" << "четыре" << false
                                              << "Количество таблеток должно быть целым числом.";
    }

    void bulkSetter()
    {
        QFETCH(QString, power);
        QFETCH(QString, tablets);
        QFETCH(bool, ok);
        QFETCH(QString, error);
        ScopedScriptedDialogs dialogs;
        Clinic c;
        c.addCourses({3});
        for (c.puva.first(); !c.puva.eof(); c.puva.next()) {
            c.puva.edit();
            c.puva.setValue("Type1", "П-54");
            QVERIFY(c.puva.post());
        }
        BulkSettings rows;
        rows.power = {true, power};
        rows.unit = {false, "ОН-7"};
        rows.tablets = {true, tablets};
        rows.sensitiser = {true, "Оксорален"};
        rows.kind = {true, "Ре-ПУВА"};
        QString message;
        QCOMPARE(c.editor.bulkSet(rows, &message), ok);
        QCOMPARE(message, error);
        for (c.puva.first(); !c.puva.eof(); c.puva.next()) {
            QCOMPARE(c.puva.asString("Type1"), QStringLiteral("П-54")); // row not ticked
            if (ok) {
                QCOMPARE(c.puva.asInteger("Power1"), 30);
                QCOMPARE(c.puva.asInteger("Tabl"), 4);
                QCOMPARE(c.puva.asString("Type_prep"), QStringLiteral("Оксорален"));
                QCOMPARE(c.puva.asString("Type_kurs"), QStringLiteral("Ре-ПУВА"));
            }
        }
        // A tablet row that stops the run keeps the power already set.
        if (!power.isEmpty()) {
            c.puva.first();
            QCOMPARE(c.puva.asInteger("Power1"), 30);
        }
    }
};

QTEST_GUILESS_MAIN(PuvaEditorTest)
#include "puva_editor_test.moc"
