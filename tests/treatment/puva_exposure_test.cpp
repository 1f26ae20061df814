#include "puva_exposure.h"

#include "clinicfixture.h"
#include "clinicsettings.h"
#include "clock.h"
#include "dialogs.h"
#include "puva_calc.h"
#include "puva_editor.h"
#include "table.h"

#include <QSqlQuery>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::treatment;

Q_DECLARE_METATYPE(pelorin::treatment::PuvaExposure)
Q_DECLARE_METATYPE(pelorin::treatment::ExposureThresholds)
Q_DECLARE_METATYPE(pelorin::treatment::ExposureLevel)

namespace {

using Fields = QHash<QString, QVariant>;

const QDate kToday(2025, 6, 1);
const QString kNbsp = QString(QChar(0x00A0));
const ExposureThresholds kDefaults;

// A blank power or time, as the database file holds it.
const QVariant blank;

// One run of procedures of a course, all with the same unit 1.
struct Run
{
    int count;
    int course;
    QVariant power1;
    QVariant time1;
};
using Runs = QList<Run>;

// Two patients: Иванов, whose figures the tests read, and Петров, whose procedures must never count.
struct Clinic : testing::ClinicFixture
{
    db::Table &puva;
    qint64 ivanov = 0;
    qint64 petrov = 0;

    Clinic() : puva(*dm2->lech_puva)
    {
        clock::setFixedToday(kToday);
        installPuvaCalc(puva);
        append(reg(), {{"Last_Name", "Петров"}});
        petrov = reg().asInteger("ID_man");
        append(reg(), {{"Last_Name", "Иванов"}});
        ivanov = reg().asInteger("ID_man");
    }
    ~Clinic() { clock::reset(); }

    // Many procedures at once, written straight into the file as an older program left them; the table
    // then reads them again.
    void write(qint64 patient, const Runs &runs)
    {
        for (const Run &r : runs) {
            QSqlQuery q(db.sql());
            q.prepare("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                      "INSERT INTO lech_puva (\"ID_man\", \"Id_kurs\", \"Nom_proc\", \"Power1\", \"Time1\") SELECT ?, ?, i, ?, ? FROM n");
            q.addBindValue(r.count);
            q.addBindValue(patient);
            q.addBindValue(r.course);
            q.addBindValue(r.power1.isValid() ? r.power1 : QVariant(QMetaType::fromType<int>()));
            q.addBindValue(r.time1.isValid() ? r.time1 : QVariant(QMetaType::fromType<int>()));
            if (!q.exec())
                qFatal("insert failed");
        }
        puva.refresh();
    }
};

PuvaExposure exposure(int procedures, qint64 dose, int unknown = 0)
{
    return {procedures, dose, unknown};
}

} // namespace

Q_DECLARE_METATYPE(Runs)
Q_DECLARE_METATYPE(Fields)

class PuvaExposureTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void knownDose_data();
    void knownDose();
    void summary_data();
    void summary();
    void extractLine();
    void level_data();
    void level();
    void labelText_data();
    void labelText();
    void warning_data();
    void warning();
    void thresholdsError_data();
    void thresholdsError();
    void lifetime_data();
    void lifetime();
    void lifetimeIgnoresTheCourseViewAndKeepsTheCursor();
    void lifetimeOfAPatientBeingCreated();
    void editorWarnsAndGoesOn_data();
    void editorWarnsAndGoesOn();
    void pendingChangesCountBeforeTheWarning();
    void settingsKeptAcrossRuns();
    void keptSettingsOutOfBounds_data();
    void keptSettingsOutOfBounds();
    void settingsWithoutTheTable();
};

void PuvaExposureTest::knownDose_data()
{
    QTest::addColumn<Fields>("procedure");
    QTest::addColumn<qint64>("dose"); // -1: unknown

    QTest::newRow("unit 1 only") << Fields{{"Power1", 25}, {"Time1", 10}} << qint64(250);
    QTest::newRow("units 2 and 3 add, blanks of theirs mean unused")
        << Fields{{"Power1", 15}, {"Time1", 7}, {"Power2", 25}, {"Time2", 4}, {"Power3", 3}} << qint64(205);
    QTest::newRow("a zero time is a known dose of nothing") << Fields{{"Power1", 15}, {"Time1", 0}} << qint64(0);
    QTest::newRow("no power on unit 1") << Fields{{"Time1", 10}} << qint64(-1);
    QTest::newRow("no time on unit 1") << Fields{{"Power1", 25}} << qint64(-1);
    QTest::newRow("units 2 and 3 without unit 1") << Fields{{"Power2", 25}, {"Time2", 4}} << qint64(-1);
    QTest::newRow("nothing at all") << Fields{} << qint64(-1);
}

void PuvaExposureTest::knownDose()
{
    QFETCH(Fields, procedure);
    QFETCH(qint64, dose);
    const std::optional<qint64> known = treatment::knownDose(PuvaRecord::fromHash(procedure));
    QCOMPARE(known.value_or(-1), dose);
}

void PuvaExposureTest::summary_data()
{
    QTest::addColumn<PuvaExposure>("figures");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no procedure") << exposure(0, 0)
                                  << QStringLiteral("Всего процедур ПУВА: 0, суммарная доза УФА: 0,00 Дж/см²");
    QTest::newRow("thousands, two doses unknown")
        << exposure(163, 101250, 2)
        << QStringLiteral("Всего процедур ПУВА: 163, суммарная доза УФА: 1") + kNbsp +
               QStringLiteral("012,50 Дж/см² (доза неизвестна у 2 процедур)");
    QTest::newRow("one dose unknown")
        << exposure(1, 0, 1)
        << QStringLiteral("Всего процедур ПУВА: 1, суммарная доза УФА: 0,00 Дж/см² (доза неизвестна у 1 процедуры)");
    QTest::newRow("eleven unknown take the plural")
        << exposure(11, 0, 11)
        << QStringLiteral("Всего процедур ПУВА: 11, суммарная доза УФА: 0,00 Дж/см² (доза неизвестна у 11 процедур)");
    QTest::newRow("twenty-one unknown take the singular")
        << exposure(30, 905, 21)
        << QStringLiteral("Всего процедур ПУВА: 30, суммарная доза УФА: 9,05 Дж/см² (доза неизвестна у 21 процедуры)");
    QTest::newRow("millions and thousands of procedures")
        << exposure(1500, 123456789)
        << QStringLiteral("Всего процедур ПУВА: 1") + kNbsp + QStringLiteral("500, суммарная доза УФА: 1") + kNbsp +
               QStringLiteral("234") + kNbsp + QStringLiteral("567,89 Дж/см²");
}

void PuvaExposureTest::summary()
{
    QFETCH(PuvaExposure, figures);
    QFETCH(QString, expected);
    QCOMPARE(exposureSummary(figures), expected);
}

void PuvaExposureTest::extractLine()
{
    QCOMPARE(exposureExtractLine(exposure(163, 101250, 2)),
             QStringLiteral("За все курсы проведено процедур ПУВА: 163, суммарная доза УФА: 1") + kNbsp +
                 QStringLiteral("012,50 Дж/см² (доза неизвестна у 2 процедур).\n"));
}

void PuvaExposureTest::level_data()
{
    QTest::addColumn<PuvaExposure>("figures");
    QTest::addColumn<ExposureThresholds>("thresholds");
    QTest::addColumn<ExposureLevel>("expected");

    QTest::newRow("no procedure") << exposure(0, 0) << kDefaults << ExposureLevel::None;
    QTest::newRow("just below both caution thresholds") << exposure(149, 99999) << kDefaults << ExposureLevel::None;
    QTest::newRow("count exactly on caution") << exposure(150, 0) << kDefaults << ExposureLevel::Caution;
    QTest::newRow("dose exactly on caution") << exposure(10, 100000) << kDefaults << ExposureLevel::Caution;
    QTest::newRow("just below both strong thresholds") << exposure(199, 149999) << kDefaults << ExposureLevel::Caution;
    QTest::newRow("count exactly on strong") << exposure(200, 0) << kDefaults << ExposureLevel::Strong;
    QTest::newRow("dose exactly on strong, few procedures")
        << exposure(40, 150000) << kDefaults << ExposureLevel::Strong;
    QTest::newRow("count caution, dose strong") << exposure(160, 160000) << kDefaults << ExposureLevel::Strong;
    QTest::newRow("unknown doses count as procedures only")
        << exposure(150, 0, 150) << kDefaults << ExposureLevel::Caution;
    QTest::newRow("clinic's own thresholds")
        << exposure(100, 0) << ExposureThresholds{80, 500, 120, 800} << ExposureLevel::Caution;
    QTest::newRow("strong equal to caution: strong wins")
        << exposure(100, 0) << ExposureThresholds{100, 500, 100, 800} << ExposureLevel::Strong;
}

void PuvaExposureTest::level()
{
    QFETCH(PuvaExposure, figures);
    QFETCH(ExposureThresholds, thresholds);
    QFETCH(ExposureLevel, expected);
    QCOMPARE(exposureLevel(figures, thresholds), expected);
}

void PuvaExposureTest::labelText_data()
{
    QTest::addColumn<PuvaExposure>("figures");
    QTest::addColumn<QString>("expected");

    QTest::newRow("below the thresholds: the summary alone")
        << exposure(12, 3000) << QStringLiteral("Всего процедур ПУВА: 12, суммарная доза УФА: 30,00 Дж/см²");
    QTest::newRow("caution")
        << exposure(150, 3000, 1)
        << QStringLiteral("Всего процедур ПУВА: 150, суммарная доза УФА: 30,00 Дж/см² (доза неизвестна у 1 процедуры). "
                          "Достигнут порог предупреждения.");
    QTest::newRow("strong")
        << exposure(210, 3000)
        << QStringLiteral("Всего процедур ПУВА: 210, суммарная доза УФА: 30,00 Дж/см². Высокая суммарная нагрузка!");
}

void PuvaExposureTest::labelText()
{
    QFETCH(PuvaExposure, figures);
    QFETCH(QString, expected);
    QCOMPARE(exposureLabelText(figures, kDefaults), expected);
}

void PuvaExposureTest::warning_data()
{
    QTest::addColumn<PuvaExposure>("figures");
    QTest::addColumn<QString>("expected");

    const QString weigh = QStringLiteral("Оцените соотношение пользы и риска перед продолжением лечения.");
    const QString strongAdvice = QStringLiteral("Риск рака кожи значительно повышен: продолжайте ПУВА-терапию только "
                                                "по строгим показаниям, под регулярным осмотром кожи.");
    const QString thousand = QStringLiteral("1") + kNbsp + QStringLiteral("000");
    const QString fifteenHundred = QStringLiteral("1") + kNbsp + QStringLiteral("500");

    QTest::newRow("below the thresholds: no message") << exposure(149, 99999) << QString();
    QTest::newRow("caution by the count")
        << exposure(150, 15000)
        << QStringLiteral(
               "Суммарная нагрузка ПУВА достигла порога предупреждения по числу процедур (150).\n"
               "С учётом добавляемой процедуры всего процедур ПУВА: 150, суммарная доза УФА: 150,00 Дж/см².\n") +
               weigh;
    QTest::newRow("caution by the dose, with unknown doses")
        << exposure(90, 100050, 3)
        << QStringLiteral("Суммарная нагрузка ПУВА достигла порога предупреждения по суммарной дозе (") + thousand +
               QStringLiteral(
                   " Дж/см²).\nС учётом добавляемой процедуры всего процедур ПУВА: 90, суммарная доза УФА: ") +
               thousand + QStringLiteral(",50 Дж/см² (доза неизвестна у 3 процедур).\n") + weigh;
    QTest::newRow("caution by both")
        << exposure(150, 100000)
        << QStringLiteral("Суммарная нагрузка ПУВА достигла порога предупреждения по числу процедур (150) и по "
                          "суммарной дозе (") +
               thousand +
               QStringLiteral(
                   " Дж/см²).\nС учётом добавляемой процедуры всего процедур ПУВА: 150, суммарная доза УФА: ") +
               thousand + QStringLiteral(",00 Дж/см².\n") + weigh;
    QTest::newRow("strong by the count names only the strong threshold")
        << exposure(200, 120000)
        << QStringLiteral("Суммарная нагрузка ПУВА достигла порога высокой нагрузки по числу процедур (200).\n"
                          "С учётом добавляемой процедуры всего процедур ПУВА: 200, суммарная доза УФА: 1") +
               kNbsp + QStringLiteral("200,00 Дж/см².\n") + strongAdvice;
    QTest::newRow("strong by the dose")
        << exposure(120, 150000, 1)
        << QStringLiteral("Суммарная нагрузка ПУВА достигла порога высокой нагрузки по суммарной дозе (") +
               fifteenHundred +
               QStringLiteral(
                   " Дж/см²).\nС учётом добавляемой процедуры всего процедур ПУВА: 120, суммарная доза УФА: ") +
               fifteenHundred + QStringLiteral(",00 Дж/см² (доза неизвестна у 1 процедуры).\n") + strongAdvice;
}

void PuvaExposureTest::warning()
{
    QFETCH(PuvaExposure, figures);
    QFETCH(QString, expected);
    QCOMPARE(exposureWarning(figures, kDefaults), expected);
}

void PuvaExposureTest::thresholdsError_data()
{
    QTest::addColumn<ExposureThresholds>("thresholds");
    QTest::addColumn<QString>("expected");

    QTest::newRow("defaults") << kDefaults << QString();
    QTest::newRow("strong equal to caution") << ExposureThresholds{150, 1000, 150, 1000} << QString();
    QTest::newRow("strong count below caution")
        << ExposureThresholds{150, 1000, 149, 1500}
        << QStringLiteral(
               "Порог высокой нагрузки по числу процедур (149) не может быть меньше порога предупреждения (150).");
    QTest::newRow("strong dose below caution")
        << ExposureThresholds{150, 1000, 200, 999}
        << QStringLiteral("Порог высокой нагрузки по суммарной дозе (999 Дж/см²) не может быть меньше порога "
                          "предупреждения (1") +
               kNbsp + QStringLiteral("000 Дж/см²).");
}

void PuvaExposureTest::thresholdsError()
{
    QFETCH(ExposureThresholds, thresholds);
    QFETCH(QString, expected);
    QCOMPARE(treatment::thresholdsError(thresholds), expected);
}

void PuvaExposureTest::lifetime_data()
{
    QTest::addColumn<Runs>("ivanov");
    QTest::addColumn<Runs>("petrov");
    QTest::addColumn<PuvaExposure>("expected");

    QTest::newRow("no procedure") << Runs{} << Runs{{5, 1, 25, 10}} << exposure(0, 0);
    QTest::newRow("several courses add up") << Runs{{20, 1, 25, 10}, {25, 2, 30, 12}, {3, 3, 15, 7}}
                                            << Runs{{5, 1, 25, 10}} << exposure(48, 20 * 250 + 25 * 360 + 3 * 105);
    QTest::newRow("blank power or time: unknown, left out of the dose")
        << Runs{{10, 1, 25, 10}, {2, 1, blank, 10}, {1, 2, 25, blank}} << Runs{} << exposure(13, 2500, 3);
    QTest::newRow("a zero time is known") << Runs{{4, 1, 25, 0}} << Runs{} << exposure(4, 0, 0);
}

void PuvaExposureTest::lifetime()
{
    QFETCH(Runs, ivanov);
    QFETCH(Runs, petrov);
    QFETCH(PuvaExposure, expected);

    Clinic c;
    c.write(c.ivanov, ivanov);
    c.write(c.petrov, petrov);
    QVERIFY(c.reg().locate("ID_man", c.ivanov));
    QCOMPARE(lifetimeExposure(c.reg()), expected);
    QCOMPARE(lifetimeExposure(c.db, c.ivanov), expected);
}

void PuvaExposureTest::lifetimeIgnoresTheCourseViewAndKeepsTheCursor()
{
    Clinic c;
    c.write(c.ivanov, {{3, 1, 25, 10}, {2, 2, 25, 10}});
    QVERIFY(c.reg().locate("ID_man", c.ivanov));
    QVERIFY(c.puva.setFilter("Id_kurs = 2"));
    QCOMPARE(c.puva.recordCount(), 2);
    c.puva.first();
    QCOMPARE(lifetimeExposure(c.reg()), exposure(5, 1250));
    QCOMPARE(c.puva.recNo(), 1);
    QCOMPARE(c.puva.filter(), QStringLiteral("Id_kurs = 2"));
}

void PuvaExposureTest::lifetimeOfAPatientBeingCreated()
{
    Clinic c;
    c.write(c.ivanov, {{3, 1, 25, 10}});
    c.reg().append();
    QCOMPARE(lifetimeExposure(c.reg()), exposure(0, 0));
    c.reg().cancel();
}

void PuvaExposureTest::editorWarnsAndGoesOn_data()
{
    QTest::addColumn<Runs>("existing");
    QTest::addColumn<bool>("newCourse"); // "Начать новый курс." rather than "Добавить новую процедуру."
    QTest::addColumn<QString>("opening"); // the warning's first line; empty: no warning

    const QString cautionCount =
        QStringLiteral("Суммарная нагрузка ПУВА достигла порога предупреждения по числу процедур (150).");
    QTest::newRow("the 149th procedure: nothing to say") << Runs{{148, 1, 1, 100}} << false << QString();
    QTest::newRow("the 150th procedure reaches caution") << Runs{{149, 1, 1, 100}} << false << cautionCount;
    QTest::newRow("a new course as the 150th procedure")
        << Runs{{100, 1, 1, 100}, {49, 2, 1, 100}} << true << cautionCount;
    QTest::newRow("the 200th procedure reaches strong")
        << Runs{{199, 1, 1, 100}} << false
        << QStringLiteral("Суммарная нагрузка ПУВА достигла порога высокой нагрузки по числу процедур (200).");
    // 1,00 J first, then 998,00 J: the new procedure brings the dose of the one it copies.
    QTest::newRow("adding copies the last procedure's dose: strong by dose")
        << Runs{{1, 1, 1, 100}, {1, 1, 100, 998}} << false
        << QStringLiteral("Суммарная нагрузка ПУВА достигла порога высокой нагрузки по суммарной дозе (1") + kNbsp +
               QStringLiteral("500 Дж/см²).");
    QTest::newRow("a new course copies the first procedure's dose: caution by dose")
        << Runs{{1, 1, 1, 100}, {1, 1, 100, 998}} << true
        << QStringLiteral("Суммарная нагрузка ПУВА достигла порога предупреждения по суммарной дозе (1") + kNbsp +
               QStringLiteral("000 Дж/см²).");
    QTest::newRow("the first procedure of all") << Runs{} << true << QString();
}

void PuvaExposureTest::editorWarnsAndGoesOn()
{
    QFETCH(Runs, existing);
    QFETCH(bool, newCourse);
    QFETCH(QString, opening);

    ScopedScriptedDialogs dialogs;
    Clinic c;
    QVERIFY(c.reg().locate("ID_man", c.ivanov));
    c.write(c.ivanov, existing);
    const int before = c.puva.recordCount();
    PuvaEditorOps ops(*c.dm1, *c.dm2, c.settings, c.log);
    QVERIFY(newCourse ? ops.startCourse() : ops.addProcedure());

    QCOMPARE(c.puva.recordCount(), before + 1);
    if (opening.isEmpty()) {
        QCOMPARE(dialogs.transcript, QStringList{});
        return;
    }
    QCOMPARE(dialogs.transcript.size(), 1);
    QVERIFY2(dialogs.transcript.first().startsWith(QStringLiteral("message: Внимание!: ") + opening),
             qPrintable(dialogs.transcript.first()));
    // What the message said is what the procedure made of the figures.
    const PuvaExposure after = lifetimeExposure(c.reg());
    QVERIFY(dialogs.transcript.first().contains(exposureFigures(after)));
}

void PuvaExposureTest::pendingChangesCountBeforeTheWarning()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    QVERIFY(c.reg().locate("ID_man", c.ivanov));
    c.write(c.ivanov, {{1, 1, 100, 400}}); // 400,00 J in the file
    c.puva.last();
    c.puva.edit();
    c.puva.setValue("Time1", 800); // 800,00 J once posted
    PuvaEditorOps ops(*c.dm1, *c.dm2, c.settings, c.log);
    QVERIFY(ops.addProcedure());
    // Posted before the figures were read: 800 J and its copy reach the strong 1 500 J; the file's
    // 400 J would have stopped at caution or below.
    QCOMPARE(dialogs.transcript.size(), 1);
    QVERIFY2(dialogs.transcript.first().contains(QStringLiteral("порога высокой нагрузки по суммарной дозе")),
             qPrintable(dialogs.transcript.first()));
}

void PuvaExposureTest::settingsKeptAcrossRuns()
{
    Clinic c;
    c.settings.puvaCautionCount = 120;
    c.settings.puvaCautionDose = 800;
    c.settings.puvaStrongCount = 180;
    c.settings.puvaStrongDose = 1200;
    c.settings.puvaExposureLine = true;
    QString error;
    QVERIFY2(saveExposureSettings(c.db, c.settings, &error), qPrintable(error));
    QCOMPARE(db::ClinicSettings::value(c.db, "puva_caution_count").toString(), QStringLiteral("120"));
    QCOMPARE(db::ClinicSettings::value(c.db, "puva_exposure_line").toString(), QStringLiteral("1"));

    db::RunSettings next;
    loadExposureSettings(c.db, next);
    QCOMPARE(thresholdsOf(next), (ExposureThresholds{120, 800, 180, 1200}));
    QVERIFY(next.puvaExposureLine);
}

void PuvaExposureTest::keptSettingsOutOfBounds_data()
{
    QTest::addColumn<QStringList>("kept"); // caution count, caution dose, strong count, strong dose, line
    QTest::addColumn<ExposureThresholds>("expected");
    QTest::addColumn<bool>("line");

    QTest::newRow("nothing kept: the defaults") << QStringList{} << kDefaults << false;
    QTest::newRow("not numbers, zero, beyond the box")
        << QStringList{"много", "0", "10000", "-5", "да"} << kDefaults << false;
    QTest::newRow("strong kept below caution is raised to it")
        << QStringList{"180", "1200", "170", "1100", "0"} << ExposureThresholds{180, 1200, 180, 1200} << false;
    QTest::newRow("caution beyond the default strong raises it")
        << QStringList{"250", "1000", "", "", "1"} << ExposureThresholds{250, 1000, 250, 1500} << true;
}

void PuvaExposureTest::keptSettingsOutOfBounds()
{
    QFETCH(QStringList, kept);
    QFETCH(ExposureThresholds, expected);
    QFETCH(bool, line);

    Clinic c;
    const char *names[] = {setting::cautionCount, setting::cautionDose, setting::strongCount, setting::strongDose,
                           setting::extractLine};
    for (int i = 0; i < kept.size(); ++i) {
        if (!kept.at(i).isEmpty())
            QVERIFY(db::ClinicSettings::setValue(c.db, QString::fromLatin1(names[i]), kept.at(i)));
    }
    loadExposureSettings(c.db, c.settings);
    QCOMPARE(thresholdsOf(c.settings), expected);
    QCOMPARE(c.settings.puvaExposureLine, line);
}

void PuvaExposureTest::settingsWithoutTheTable()
{
    Clinic c;
    QSqlQuery q(c.db.sql());
    QVERIFY(q.exec("DROP TABLE clinic_settings"));
    c.settings.puvaCautionCount = 99;
    loadExposureSettings(c.db, c.settings);
    QCOMPARE(thresholdsOf(c.settings), kDefaults);
    QString error;
    QVERIFY(!saveExposureSettings(c.db, c.settings, &error));
    QVERIFY2(error.startsWith(QStringLiteral("Не удалось сохранить настройку")), qPrintable(error));
}

QTEST_GUILESS_MAIN(PuvaExposureTest)
#include "puva_exposure_test.moc"
