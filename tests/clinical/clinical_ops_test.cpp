#include "analyz_ops.h"
#include "recomend_ops.h"

#include "clinicfixture.h"
#include "clock.h"
#include "dialogs.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::db;

namespace {

const QDate kToday(2025, 6, 2);
const QString kAnalyzCheck = QStringLiteral(" - Проверка на защищенность данных со стороны analyz");
const QString kRecomendCheck = QStringLiteral(" - Проверка на защищенность данных со стороны recomend");
const QString kDeleteTest = QStringLiteral("ask: Внимание!: Вы уверены что хотите удалить этот анализ?");
const QString kDeleteRecomend = QStringLiteral("ask: Внимание!: Вы уверены что хотите удалить эту рекомендацию?");

// Patient "Сидоров", registered today.
struct Clinic : testing::ClinicFixture
{
    Clinic() { append(reg(), {{"Last_Name", QStringLiteral("Сидоров")}, {"Reg_date", kToday}}); }
    Table &tests() { return *dm2->analyz; }
    Table &recs() { return *dm2->recomend; }

    // Every Boolean field of the current blood test is stored as false (not blank).
    bool flagsStoredFalse()
    {
        Table &t = tests();
        for (int i = 0; i < t.storedFieldCount(); ++i) {
            if (t.fieldDef(i).type != FieldType::Boolean)
                continue;
            const QVariant v = stored(QStringLiteral("SELECT \"%1\" FROM analyz WHERE \"Id\" = %2")
                                          .arg(t.fieldDef(i).name)
                                          .arg(t.currentRowKey()));
            if (v.isNull() || v.toBool())
                return false;
        }
        return true;
    }

    int checkLines(const QString &text) const { return logLinesEndingWith(text); }
};

} // namespace

class ClinicalOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { clock::setFixedToday(kToday); }
    void cleanup() { clock::reset(); }

    void addBloodTestDatedTodayFlagsCleared();
    void addBloodTestPostsPendingChangesFirst();
    void deleteBloodTest_data();
    void deleteBloodTest();
    void placeholderJudgedVeryOld();
    void addRecommendationLeavesItInEdit();
    void editRecommendation_data();
    void editRecommendation();
    void deleteRecommendation_data();
    void deleteRecommendation();
};

void ClinicalOpsTest::addBloodTestDatedTodayFlagsCleared()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.append(c.tests(), {{"Data", QDate(2025, 1, 1)}, {"B1", true}});
    c.tests().first();

    QVERIFY(clinical::addBloodTest(c.tests()));
    QCOMPARE(c.tests().recordCount(), 2);
    QCOMPARE(c.tests().recNo(), 2);
    QCOMPARE(c.tests().state(), TableState::Browse);
    QCOMPARE(c.tests().asDate("Data"), kToday);
    QVERIFY(c.flagsStoredFalse());
    QCOMPARE(c.checkLines(kAnalyzCheck), 2);
    QVERIFY(dialogs.transcript.isEmpty());
}

void ClinicalOpsTest::addBloodTestPostsPendingChangesFirst()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.append(c.tests(), {{"Data", QDate(2025, 1, 1)}});
    c.tests().edit();
    c.tests().setValue("B9", true);
    QVERIFY(clinical::addBloodTest(c.tests()));
    QCOMPARE(c.stored(QStringLiteral("SELECT \"B9\" FROM analyz WHERE \"Data\" = '2025-01-01'")).toBool(), true);
    QCOMPARE(c.tests().recordCount(), 2);
}

void ClinicalOpsTest::deleteBloodTest_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("left");
    QTest::addColumn<bool>("placeholder");
    QTest::newRow("Yes, two records") << 2 << "yes" << 1 << false;
    QTest::newRow("Yes, the only record: placeholder") << 1 << "yes" << 1 << true;
    QTest::newRow("No keeps the record") << 1 << "no" << 1 << false;
    QTest::newRow("No on an empty list still gives the placeholder") << 0 << "no" << 1 << true;
    QTest::newRow("Yes on an empty list") << 0 << "yes" << 1 << true;
}

void ClinicalOpsTest::deleteBloodTest()
{
    QFETCH(int, records);
    QFETCH(QString, answer);
    QFETCH(int, left);
    QFETCH(bool, placeholder);
    ScopedScriptedDialogs dialogs;
    Clinic c;
    for (int i = 0; i < records; ++i)
        c.append(c.tests(), {{"Data", QDate(2025, 3, 1 + i)}, {"B1", true}});
    c.tests().first();
    dialogs.answers << answer;

    QCOMPARE(clinical::deleteBloodTest(c.tests()), answer == QLatin1String("yes"));
    QCOMPARE(dialogs.transcript, QStringList{kDeleteTest});
    QCOMPARE(c.tests().recordCount(), left);
    QCOMPARE(c.stored(QStringLiteral("SELECT COUNT(*) FROM analyz")).toInt(), left);
    QCOMPARE(c.tests().recNo(), left);
    QCOMPARE(c.tests().isNull("Data"), placeholder);
    if (placeholder) {
        QVERIFY(c.flagsStoredFalse());
        QVERIFY(c.tests().asString("List").isEmpty());
    } else if (records == 2) {
        QCOMPARE(c.tests().asDate("Data"), QDate(2025, 3, 2));
    }
}

void ClinicalOpsTest::placeholderJudgedVeryOld()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.settings.protectionOn = true;
    c.append(c.tests(), {{"Data", kToday}});
    dialogs.answers << QStringLiteral("yes") << QStringLiteral("no");
    QVERIFY(clinical::deleteBloodTest(c.tests()));
    // The placeholder has no date: the age question comes, and its No drops the placeholder.
    QCOMPARE(dialogs.transcript.filter(QStringLiteral("ask:")).size(), 2);
    QVERIFY(dialogs.transcript.last().contains(QStringLiteral("Сработала защита по давности.")));
    QVERIFY(c.tests().isEmpty());
    QCOMPARE(c.tests().state(), TableState::Browse);
    QCOMPARE(c.stored(QStringLiteral("SELECT COUNT(*) FROM analyz")).toInt(), 0);
}

void ClinicalOpsTest::addRecommendationLeavesItInEdit()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.append(c.recs(), {{"Data", QDate(2025, 5, 1)}});
    c.recs().edit();
    c.recs().setValue("A1", true);

    QVERIFY(clinical::addRecommendation(c.recs()));
    QCOMPARE(c.stored(QStringLiteral("SELECT \"A1\" FROM recomend WHERE \"Data\" = '2025-05-01'")).toBool(), true);
    QCOMPARE(c.recs().recordCount(), 2);
    QCOMPARE(c.recs().asDate("Data"), kToday);
    QCOMPARE(c.recs().state(), TableState::Edit);
    QVERIFY(!c.recs().modified());
    QCOMPARE(c.checkLines(kRecomendCheck), 3);
}

void ClinicalOpsTest::editRecommendation_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("after");
    QTest::addColumn<QDate>("date");
    QTest::newRow("without recommendations: one dated today") << 0 << 1 << kToday;
    QTest::newRow("the current one") << 2 << 2 << QDate(2025, 5, 2);
}

void ClinicalOpsTest::editRecommendation()
{
    QFETCH(int, records);
    QFETCH(int, after);
    QFETCH(QDate, date);
    ScopedScriptedDialogs dialogs;
    Clinic c;
    for (int i = 0; i < records; ++i)
        c.append(c.recs(), {{"Data", QDate(2025, 5, 1 + i)}});
    QVERIFY(clinical::editRecommendation(c.recs()));
    QCOMPARE(c.recs().recordCount(), after);
    QCOMPARE(c.stored(QStringLiteral("SELECT COUNT(*) FROM recomend")).toInt(), after);
    QCOMPARE(c.recs().state(), TableState::Edit);
    QCOMPARE(c.recs().asDate("Data"), date);
}

void ClinicalOpsTest::deleteRecommendation_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("left");
    QTest::newRow("Yes") << 2 << "yes" << 1;
    QTest::newRow("Yes on the only one leaves none") << 1 << "yes" << 0;
    QTest::newRow("No") << 1 << "no" << 1;
    QTest::newRow("Yes on an empty list") << 0 << "yes" << 0;
}

void ClinicalOpsTest::deleteRecommendation()
{
    QFETCH(int, records);
    QFETCH(QString, answer);
    QFETCH(int, left);
    ScopedScriptedDialogs dialogs;
    Clinic c;
    for (int i = 0; i < records; ++i)
        c.append(c.recs(), {{"Data", QDate(2025, 5, 1 + i)}});
    dialogs.answers << answer;
    QCOMPARE(clinical::deleteRecommendation(c.recs()), answer == QLatin1String("yes"));
    QCOMPARE(dialogs.transcript, QStringList{kDeleteRecomend});
    QCOMPARE(c.recs().recordCount(), left);
    QCOMPARE(c.stored(QStringLiteral("SELECT COUNT(*) FROM recomend")).toInt(), left);
}

QTEST_GUILESS_MAIN(ClinicalOpsTest)
#include "clinical_ops_test.moc"
