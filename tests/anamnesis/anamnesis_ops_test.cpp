#include "anamnesis_ops.h"

#include "clinicfixture.h"
#include "clock.h"
#include "dialogs.h"

#include <QtTest>
#include <optional>

using namespace pelorin;
using namespace pelorin::anamnesis;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

const QString kDays = QStringLiteral("дней(я\\и)");
const QString kMonths = QStringLiteral("месяц(а\\ев)");
const QString kYears = QStringLiteral("год(а)\\лет");
const QDate kToday(2025, 3, 1);

QString message(const QString &text)
{
    return QStringLiteral("message: Внимание!: ") + text;
}

// Patient "Белова", born 10.05.1980 and registered 20.02.2025, with her anamnesis records.
struct Patient : testing::ClinicFixture
{
    Patient()
    {
        append(reg(), {{QStringLiteral("Last_Name"), QStringLiteral("Белова")},
                       {QStringLiteral("Born_dat"), QDate(1980, 5, 10)},
                       {QStringLiteral("Reg_date"), QDate(2025, 2, 20)}});
        append(*dm1->anamnez_zab);
        append(*dm1->anamnez_zab_zalobi);
    }

    db::Table &zab() { return *dm1->anamnez_zab; }
    db::Table &complaints() { return *dm1->anamnez_zab_zalobi; }
    db::Table &osmotr() { return *dm2->osmotr1; }

    // The onset statement as the section's pick lists store it.
    void saysBegan(const QVariant &count, const QVariant &unit)
    {
        zab().edit();
        zab().setValue(QStringLiteral("NachZabCount"), count);
        zab().setValue(QStringLiteral("NachZabText"), unit);
        QVERIFY(zab().post());
    }

    void complains(const QVariantMap &fields)
    {
        complaints().edit();
        for (auto it = fields.begin(); it != fields.end(); ++it)
            QVERIFY(complaints().setValue(it.key(), it.value()));
        QVERIFY(complaints().post());
    }

    QVariant storedZalobi() { return stored(QStringLiteral("SELECT \"Zalobi\" FROM anamnez_zab")); }
};

} // namespace

class AnamnesisOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void computeOnset_data();
    void computeOnset();
    void onsetAgeItem_data();
    void onsetAgeItem();
    void onsetMessageOfTheWorkedExample();

    void calculatorWritesTheAgeAndTellsHow();
    void calculatorWithANegativeAgeKeepsTheAge();
    void calculatorStopsSilentlyOnBlanks_data();
    void calculatorStopsSilentlyOnBlanks();
    void calculatorPostsPendingChangesFirst();
    void calculatorWithAnUnknownUnitCountsFromToday();

    void complaintFieldGoesToItsExaminationField_data();
    void complaintFieldGoesToItsExaminationField();
    void patientWithoutExaminationGetsHisFirst_data();
    void patientWithoutExaminationGetsHisFirst();
    void firstOfSeveralExaminationsIsRewritten();
    void pendingComplaintsArePostedAndCopied();
    void otherComplaintIsCutToTheExaminationField();
};

void AnamnesisOpsTest::init()
{
    clock::setFixedToday(kToday);
}

void AnamnesisOpsTest::cleanup()
{
    clock::reset();
}

// ---------------------------------------------------------------- the calculation

void AnamnesisOpsTest::computeOnset_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("born");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QDate>("onset");
    QTest::addColumn<qint64>("years");
    QTest::addColumn<qint64>("months");
    QTest::addColumn<qint64>("days");

    const QDate born(1980, 5, 10);
    QTest::newRow("worked example: 3650 days back")
        << kToday << born << qint64(10) << kYears << QDate(2015, 3, 4) << qint64(35) << qint64(-2) << qint64(-6);
    QTest::newRow("3 months: 91.5 days round to 92")
        << kToday << born << qint64(3) << kMonths << kToday.addDays(-92) << qint64(44) << qint64(6) << qint64(19);
    QTest::newRow("1 month: 30.5 days round to 30")
        << kToday << born << qint64(1) << kMonths << kToday.addDays(-30) << qint64(45) << qint64(-4) << qint64(20);
    QTest::newRow("5 months: 152.5 days round to 152")
        << kToday << born << qint64(5) << kMonths << kToday.addDays(-152) << qint64(44) << qint64(4) << qint64(20);
    QTest::newRow("7 months: 213.5 days round to 214")
        << kToday << born << qint64(7) << kMonths << kToday.addDays(-214) << qint64(44) << qint64(2) << qint64(20);
    QTest::newRow("days") << kToday << born << qint64(45) << kDays << QDate(2025, 1, 15) << qint64(45) << qint64(-4)
                          << qint64(5);
    QTest::newRow("unit matching nothing: today")
        << kToday << born << qint64(10) << QStringLiteral("лет") << kToday << qint64(45) << qint64(-2) << qint64(-9);
    QTest::newRow("unit typed short matches nothing") << kToday << born << qint64(2) << QStringLiteral("месяц(а\\ев")
                                                      << kToday << qint64(45) << qint64(-2) << qint64(-9);
    QTest::newRow("born after the onset: negative age") << kToday << QDate(2020, 6, 1) << qint64(10) << kYears
                                                        << QDate(2015, 3, 4) << qint64(-5) << qint64(-3) << qint64(3);
    QTest::newRow("zero years") << kToday << QDate(2024, 12, 31) << qint64(0) << kYears << kToday << qint64(1)
                                << qint64(-9) << qint64(-30);
}

void AnamnesisOpsTest::computeOnset()
{
    QFETCH(QDate, today);
    QFETCH(QDate, born);
    QFETCH(qint64, count);
    QFETCH(QString, unit);
    const Onset onset = anamnesis::computeOnset(today, born, count, unit);
    QTEST(onset.date, "onset");
    QTEST(onset.years, "years");
    QTEST(onset.months, "months");
    QTEST(onset.days, "days");
}

void AnamnesisOpsTest::onsetAgeItem_data()
{
    QTest::addColumn<qint64>("years");
    QTest::addColumn<std::optional<QString>>("item");
    const auto item = [](const char *text) { return std::optional<QString>(QString::fromUtf8(text)); };
    QTest::newRow("-1") << qint64(-1) << std::optional<QString>();
    QTest::newRow("0") << qint64(0) << item("на первом году жизни");
    QTest::newRow("1") << qint64(1) << item("от 1 до 3 лет");
    QTest::newRow("2") << qint64(2) << item("от 1 до 3 лет");
    QTest::newRow("3") << qint64(3) << item("от 3 до 5 лет");
    QTest::newRow("4") << qint64(4) << item("от 3 до 5 лет");
    QTest::newRow("5") << qint64(5) << item("от 5 до 7 лет");
    QTest::newRow("7") << qint64(7) << item("от 5 до 7 лет");
    QTest::newRow("8") << qint64(8) << item("от 8 до 10 лет");
    QTest::newRow("10") << qint64(10) << item("от 8 до 10 лет");
    QTest::newRow("11") << qint64(11) << item("от 11 до 16 лет");
    QTest::newRow("15") << qint64(15) << item("от 11 до 16 лет");
    QTest::newRow("16") << qint64(16) << item("от 16 до 20 лет");
    QTest::newRow("19") << qint64(19) << item("от 16 до 20 лет");
    QTest::newRow("20") << qint64(20) << item("от 20 до 30 лет");
    QTest::newRow("29") << qint64(29) << item("от 20 до 30 лет");
    QTest::newRow("30") << qint64(30) << item("от 30 до 40 лет");
    QTest::newRow("39") << qint64(39) << item("от 30 до 40 лет");
    QTest::newRow("40") << qint64(40) << item("от 40 до 50 лет");
    QTest::newRow("49") << qint64(49) << item("от 40 до 50 лет");
    QTest::newRow("50") << qint64(50) << item("от 50 до 60 лет");
    QTest::newRow("59") << qint64(59) << item("от 50 до 60 лет");
    QTest::newRow("60") << qint64(60) << item("позднее 60 лет");
    QTest::newRow("99999") << qint64(99999) << item("позднее 60 лет");
    QTest::newRow("100000") << qint64(100000) << std::optional<QString>();
}

void AnamnesisOpsTest::onsetAgeItem()
{
    QFETCH(qint64, years);
    QTEST(anamnesis::onsetAgeItem(years), "item");
}

void AnamnesisOpsTest::onsetMessageOfTheWorkedExample()
{
    const Onset onset = anamnesis::computeOnset(kToday, QDate(1980, 5, 10), 10, kYears);
    QCOMPARE(onsetMessage(onset), QStringLiteral("Подсчитано, что заболевания возникло,\nкогда пациенту было "
                                                 "приблизительно\n35 лет\\год(ов), -2 месяц(а\\ев) и -6день(дней\\я). "
                                                 "\nДата заболевания: 04.03.2015"));
}

// ---------------------------------------------------------------- "Рассчитать"

void AnamnesisOpsTest::calculatorWritesTheAgeAndTellsHow()
{
    Patient p;
    p.saysBegan(10, kYears);
    ScopedScriptedDialogs dialogs;
    const qsizetype logged = p.log.lines().size();
    calculateOnset(*p.dm1);
    QCOMPARE(p.zab().state(), db::TableState::Browse);
    QCOMPARE(p.storedZalobi().toString(), QStringLiteral("от 30 до 40 лет"));
    QCOMPARE(dialogs.transcript,
             QStringList({QStringLiteral("beep"),
                          message(onsetMessage(anamnesis::computeOnset(kToday, QDate(1980, 5, 10), 10, kYears)))}));
    // The post passed the protection.
    QCOMPARE(p.log.lines().size(), logged + 1);
    QVERIFY(p.log.lines().last().endsWith(QStringLiteral("Проверка на защищенность данных со стороны anamnez_zab")));
}

void AnamnesisOpsTest::calculatorWithANegativeAgeKeepsTheAge()
{
    Patient p;
    p.reg().edit();
    p.reg().setValue(QStringLiteral("Born_dat"), QDate(2020, 6, 1));
    QVERIFY(p.reg().post());
    p.zab().edit();
    p.zab().setValue(QStringLiteral("Zalobi"), QStringLiteral("от 1 до 3 лет"));
    QVERIFY(p.zab().post());
    p.saysBegan(10, kYears);
    ScopedScriptedDialogs dialogs;
    calculateOnset(*p.dm1);
    QCOMPARE(p.storedZalobi().toString(), QStringLiteral("от 1 до 3 лет"));
    QCOMPARE(
        dialogs.transcript,
        QStringList({QStringLiteral("beep"), message(QStringLiteral("Неправильно  указан период начала заболевания")),
                     message(QStringLiteral("Подсчитано, что заболевания возникло,\nкогда пациенту было "
                                            "приблизительно\n-5 лет\\год(ов), -3 месяц(а\\ев) и 3день(дней\\я). "
                                            "\nДата заболевания: 04.03.2015"))}));
}

void AnamnesisOpsTest::calculatorStopsSilentlyOnBlanks_data()
{
    QTest::addColumn<bool>("born");
    QTest::addColumn<QVariant>("count");
    QTest::addColumn<QVariant>("unit");
    QTest::newRow("no birth date") << false << QVariant(10) << QVariant(kYears);
    QTest::newRow("no count") << true << QVariant() << QVariant(kYears);
    QTest::newRow("no unit") << true << QVariant(10) << QVariant();
}

void AnamnesisOpsTest::calculatorStopsSilentlyOnBlanks()
{
    QFETCH(bool, born);
    QFETCH(QVariant, count);
    QFETCH(QVariant, unit);
    Patient p;
    if (!born) {
        p.reg().edit();
        p.reg().setValue(QStringLiteral("Born_dat"), QVariant());
        QVERIFY(p.reg().post());
    }
    p.saysBegan(count, unit);
    ScopedScriptedDialogs dialogs;
    const qsizetype logged = p.log.lines().size();
    calculateOnset(*p.dm1);
    QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("beep")});
    QVERIFY(p.storedZalobi().isNull());
    QCOMPARE(p.zab().state(), db::TableState::Browse);
    QCOMPARE(p.log.lines().size(), logged);
}

void AnamnesisOpsTest::calculatorPostsPendingChangesFirst()
{
    Patient p;
    // Chosen in the section, not yet applied.
    p.zab().edit();
    p.zab().setValue(QStringLiteral("NachZabCount"), 3);
    p.zab().setValue(QStringLiteral("NachZabText"), kMonths);
    ScopedScriptedDialogs dialogs;
    calculateOnset(*p.dm1);
    QCOMPARE(p.stored(QStringLiteral("SELECT \"NachZabCount\" FROM anamnez_zab")).toInt(), 3);
    QCOMPARE(p.storedZalobi().toString(), QStringLiteral("от 40 до 50 лет"));
    QVERIFY(dialogs.transcript.last().endsWith(QStringLiteral("Дата заболевания: 29.11.2024")));
}

void AnamnesisOpsTest::calculatorWithAnUnknownUnitCountsFromToday()
{
    Patient p;
    p.saysBegan(10, QStringLiteral("лет назад"));
    ScopedScriptedDialogs dialogs;
    calculateOnset(*p.dm1);
    QCOMPARE(p.storedZalobi().toString(), QStringLiteral("от 40 до 50 лет"));
    QVERIFY(dialogs.transcript.last().contains(QStringLiteral("45 лет\\год(ов), -2 месяц(а\\ев) и -9день(дней\\я). ")));
    QVERIFY(dialogs.transcript.last().endsWith(QStringLiteral("Дата заболевания: 01.03.2025")));
}

// ---------------------------------------------------------------- complaints into the first examination

void AnamnesisOpsTest::complaintFieldGoesToItsExaminationField_data()
{
    QTest::addColumn<QString>("complaint");
    QTest::addColumn<QString>("examination");
    const char *const pairs[][2] = {
        {"A1_1", "A1_1"}, {"A1_5", "A1_2"},  {"A1_2", "A1_3"},  {"A1_6", "A1_4"},   {"A1_3", "A1_5"},
        {"A1_7", "A1_6"}, {"A3_5", "A1_7"},  {"A2_1", "A2_1"},  {"A2_2", "A2_2"},   {"A2_3", "A2_3"},
        {"A2_4", "A2_4"}, {"A1_4", "A2_5"},  {"A2_5", "A2_6"},  {"A2_12", "A2_7"},  {"A2_6", "A2_8"},
        {"A2_7", "A2_9"}, {"A2_8", "A2_10"}, {"A2_9", "A2_11"}, {"A2_10", "A2_12"}, {"A2_11", "A2_13"},
        {"A3_2", "A3_1"}, {"A3_4", "A3_2"},  {"A3_3", "A3_3"},  {"A3_1", "A3_4"},
    };
    for (const auto &pair : pairs)
        QTest::addRow("%s -> %s", pair[0], pair[1]) << QString::fromLatin1(pair[0]) << QString::fromLatin1(pair[1]);
}

void AnamnesisOpsTest::complaintFieldGoesToItsExaminationField()
{
    QFETCH(QString, complaint);
    QFETCH(QString, examination);
    static const QStringList kExaminationFields = {
        QStringLiteral("A1_1"),  QStringLiteral("A1_2"),  QStringLiteral("A1_3"),  QStringLiteral("A1_4"),
        QStringLiteral("A1_5"),  QStringLiteral("A1_6"),  QStringLiteral("A1_7"),  QStringLiteral("A2_1"),
        QStringLiteral("A2_2"),  QStringLiteral("A2_3"),  QStringLiteral("A2_4"),  QStringLiteral("A2_5"),
        QStringLiteral("A2_6"),  QStringLiteral("A2_7"),  QStringLiteral("A2_8"),  QStringLiteral("A2_9"),
        QStringLiteral("A2_10"), QStringLiteral("A2_11"), QStringLiteral("A2_12"), QStringLiteral("A2_13"),
        QStringLiteral("A3_1"),  QStringLiteral("A3_2"),  QStringLiteral("A3_3"),  QStringLiteral("A3_4"),
    };
    Patient p;
    p.complains({{complaint, true}});
    ScopedScriptedDialogs dialogs;
    QVERIFY(transferComplaints(*p.dm1, *p.dm2));
    for (const QString &field : kExaminationFields) {
        QCOMPARE(p.osmotr().value(field), QVariant(field == examination));
        QCOMPARE(p.stored(QStringLiteral("SELECT \"%1\" FROM osmotr_1").arg(field)).toBool(), field == examination);
    }
    // The examination's own fields that no complaint feeds stay blank.
    QVERIFY(p.osmotr().isNull(QStringLiteral("A3_5")));
    QVERIFY(p.osmotr().isNull(QStringLiteral("Zal_other")));
}

void AnamnesisOpsTest::patientWithoutExaminationGetsHisFirst_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("yes") << QStringLiteral("yes");
    QTest::newRow("no") << QStringLiteral("no");
}

void AnamnesisOpsTest::patientWithoutExaminationGetsHisFirst()
{
    QFETCH(QString, answer);
    Patient p;
    p.complains({{QStringLiteral("A2_3"), true}, {QStringLiteral("Other"), QStringLiteral("слабость")}});
    ScopedScriptedDialogs dialogs;
    dialogs.answers << answer;
    QStringList steps;
    applyComplaints(*p.dm1, *p.dm2, [&] {
        steps << QStringLiteral("close");
        steps << dialogs.transcript;
    });
    QCOMPARE(steps,
             QStringList({QStringLiteral("close"), QStringLiteral("ask: Внимание!: Занести жалобы в первый осмотр?")}));
    QCOMPARE(p.osmotr().recordCount(), 1);
    QCOMPARE(p.osmotr().state(), db::TableState::Browse);
    QCOMPARE(p.stored(QStringLiteral("SELECT COUNT(*) FROM osmotr_1")).toInt(), 1);
    QCOMPARE(p.osmotr().asInteger(QStringLiteral("Nom_osm")), 1);
    QCOMPARE(p.osmotr().asDate(QStringLiteral("Date")), QDate(2025, 2, 20));
    QCOMPARE(p.osmotr().asInteger(QStringLiteral("ID_man")), p.reg().asInteger(QStringLiteral("ID_man")));
    QCOMPARE(p.osmotr().asBoolean(QStringLiteral("A2_3")), true);
    QCOMPARE(p.osmotr().asString(QStringLiteral("Zal_other")), QStringLiteral("слабость"));
    QVERIFY(p.log.lines().last().endsWith(QStringLiteral("Проверка на защищенность данных со стороны osmotr")));
}

void AnamnesisOpsTest::firstOfSeveralExaminationsIsRewritten()
{
    Patient p;
    p.append(p.osmotr(), {{QStringLiteral("Date"), QDate(2025, 2, 22)},
                          {QStringLiteral("Nom_osm"), 3},
                          {QStringLiteral("A1_1"), true},
                          {QStringLiteral("A3_5"), true}});
    p.append(p.osmotr(), {{QStringLiteral("Date"), QDate(2025, 2, 27)}, {QStringLiteral("Nom_osm"), 4}});
    QCOMPARE(p.osmotr().recNo(), 2);
    p.complains({{QStringLiteral("A1_2"), true}});
    ScopedScriptedDialogs dialogs;
    applyComplaints(*p.dm1, *p.dm2, {});
    // Nothing is asked when there is an examination to write into.
    QVERIFY(dialogs.transcript.isEmpty());
    QCOMPARE(p.osmotr().recNo(), 2);
    QCOMPARE(p.osmotr().asInteger(QStringLiteral("Nom_osm")), 4);
    QCOMPARE(p.osmotr().recordCount(), 2);
    p.osmotr().first();
    QCOMPARE(p.osmotr().asInteger(QStringLiteral("Nom_osm")), 1);
    QCOMPARE(p.osmotr().asDate(QStringLiteral("Date")), QDate(2025, 2, 20));
    // Each complaint box overwrites its field, ticked or not; fields no complaint feeds keep their values.
    QCOMPARE(p.osmotr().asBoolean(QStringLiteral("A1_1")), false);
    QCOMPARE(p.osmotr().asBoolean(QStringLiteral("A1_3")), true);
    QCOMPARE(p.osmotr().asBoolean(QStringLiteral("A3_5")), true);
    QCOMPARE(p.stored(QStringLiteral("SELECT \"Nom_osm\" FROM osmotr_1 WHERE \"Date\" = '2025-02-20'")).toInt(), 1);
    QCOMPARE(p.stored(QStringLiteral("SELECT COUNT(*) FROM osmotr_1 WHERE \"Nom_osm\" = 4 AND \"A1_3\" IS NULL")).toInt(), 1);
}

void AnamnesisOpsTest::pendingComplaintsArePostedAndCopied()
{
    Patient p;
    p.complaints().edit();
    p.complaints().setValue(QStringLiteral("A2_11"), true);
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("yes");
    applyComplaints(*p.dm1, *p.dm2, {});
    QCOMPARE(p.complaints().state(), db::TableState::Browse);
    QCOMPARE(p.stored(QStringLiteral("SELECT \"A2_11\" FROM anamnez_zab_zalobi")).toBool(), true);
    QCOMPARE(p.stored(QStringLiteral("SELECT \"A2_13\" FROM osmotr_1")).toBool(), true);
}

void AnamnesisOpsTest::otherComplaintIsCutToTheExaminationField()
{
    Patient p;
    const QString other = QString(60, QChar(u'ж')) + QString(60, QChar(u'з'));
    p.complains({{QStringLiteral("Other"), other}});
    ScopedScriptedDialogs dialogs;
    QVERIFY(transferComplaints(*p.dm1, *p.dm2));
    QCOMPARE(p.stored(QStringLiteral("SELECT \"Zal_other\" FROM osmotr_1")).toString(), other.left(100));
}

QTEST_GUILESS_MAIN(AnamnesisOpsTest)
#include "anamnesis_ops_test.moc"
