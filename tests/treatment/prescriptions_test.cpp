#include "prescriptions.h"

#include "clinicfixture.h"
#include "clock.h"
#include "dialogs.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::db;

namespace {

const QDate kToday(2025, 5, 20);
const QString kCheckText = QStringLiteral(" - Проверка на защищенность данных со стороны lech_lekar");
const QString kDeleteQuestion = QStringLiteral("ask: Внимание!: Вы уверены что хотите удалить это лечение?");

struct Fixture : testing::ClinicFixture
{
    Fixture()
    {
        append(reg(), {{"Last_Name", QStringLiteral("Иванов")}, {"Reg_date", kToday}});
    }

    Table &lek() { return *dm2->lech_lekar; }

    void addPrescription(const QDate &date, const QString &drug, const QString &recept = QStringLiteral("1 т."),
                         const QString &komm = {})
    {
        QVariantMap fields{{"Data", date}, {"Lek", drug}, {"Recept", recept}};
        if (!komm.isEmpty())
            fields.insert(QStringLiteral("Komm"), komm);
        append(lek(), fields);
    }

    // "<date> | <drug>" of every row, in list order.
    QStringList rows()
    {
        QStringList out;
        for (lek().first(); !lek().eof(); lek().next())
            out << lek().asDate(QStringLiteral("Data")).toString(Qt::ISODate) + QStringLiteral(" | ")
                       + lek().asString(QStringLiteral("Lek"));
        return out;
    }
};

QString row(int month, int day, const QString &drug)
{
    return QDate(2025, month, day).toString(Qt::ISODate) + QStringLiteral(" | ") + drug;
}

} // namespace

class PrescriptionsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { clock::setFixedToday(kToday); }
    void cleanup() { clock::reset(); }

    void prescribingSortsByDateLocalLast();
    void prescribingWithoutClickStoresDateOnly();
    void windowResortKeepsLongDrugAndComment();
    void panelResortSwapsSameDateRows();
    void deletingLastLeavesPlaceholderThatIsReused();
    void deleteAnsweredNoChangesNothing();
    void protectionSuspendedDuringWindowResort();
};

void PrescriptionsTest::prescribingSortsByDateLocalLast()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPrescription(QDate(2025, 5, 1), QStringLiteral("Супрастин"));
    f.addPrescription(QDate(2025, 5, 5), QStringLiteral("Наружно: Белосалик"));

    QVERIFY(treatment::prescribe(*f.dm2, f.settings, QDate(2025, 5, 5), QStringLiteral("Кларитин"),
                                 QStringLiteral("1 т. в день"), false, true));
    QCOMPARE(f.rows(), (QStringList{row(5, 1, QStringLiteral("Супрастин")), row(5, 5, QStringLiteral("Кларитин")),
                                    row(5, 5, QStringLiteral("Наружно: Белосалик"))}));

    QVERIFY(treatment::prescribe(*f.dm2, f.settings, QDate(2025, 5, 3), QStringLiteral("Элоком"),
                                 QStringLiteral("2 раза в день"), true, true));
    QCOMPARE(f.rows(),
             (QStringList{row(5, 1, QStringLiteral("Супрастин")), row(5, 3, QStringLiteral("Наружно: Элоком")),
                          row(5, 5, QStringLiteral("Кларитин")), row(5, 5, QStringLiteral("Наружно: Белосалик"))}));
    f.lek().locate(QStringLiteral("Lek"), QStringLiteral("Наружно: Элоком"));
    QCOMPARE(f.lek().asString(QStringLiteral("Recept")), QStringLiteral("2 раза в день"));
    QCOMPARE(f.stored(QStringLiteral("SELECT COUNT(*) FROM lech_lekar")).toInt(), 4);
    QVERIFY(!f.settings.protectionSuspended);
    QVERIFY(dialogs.transcript.isEmpty());
}

void PrescriptionsTest::prescribingWithoutClickStoresDateOnly()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    QVERIFY(treatment::prescribe(*f.dm2, f.settings, QDate(2025, 5, 7), QStringLiteral("Кларитин"),
                                 QStringLiteral("1 т."), false, false));
    QCOMPARE(f.lek().recordCount(), 1);
    QCOMPARE(f.lek().asDate(QStringLiteral("Data")), QDate(2025, 5, 7));
    QVERIFY(f.lek().isNull(QStringLiteral("Lek")));
    QVERIFY(f.lek().isNull(QStringLiteral("Recept")));
}

void PrescriptionsTest::windowResortKeepsLongDrugAndComment()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    const QString longDrug = QString(90, QChar(u'Ж'));
    f.addPrescription(QDate(2025, 5, 9), longDrug, QStringLiteral("по схеме"), QStringLiteral("под контролем АД"));
    f.addPrescription(QDate(2025, 5, 2), QStringLiteral("Супрастин"));

    treatment::resortWindow(f.lek());
    QCOMPARE(f.rows(), (QStringList{row(5, 2, QStringLiteral("Супрастин")), row(5, 9, longDrug)}));
    f.lek().last();
    QCOMPARE(f.lek().asString(QStringLiteral("Lek")).size(), 90);
    QCOMPARE(f.lek().asString(QStringLiteral("Recept")), QStringLiteral("по схеме"));
    QCOMPARE(f.lek().asString(QStringLiteral("Komm")), QStringLiteral("под контролем АД"));
    QCOMPARE(f.stored(QStringLiteral("SELECT Lek FROM lech_lekar WHERE Data = '2025-05-09'")).toString(), longDrug);
    QCOMPARE(f.stored(QStringLiteral("SELECT Komm FROM lech_lekar WHERE Data = '2025-05-09'")).toString(),
             QStringLiteral("под контролем АД"));
}

void PrescriptionsTest::panelResortSwapsSameDateRows()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPrescription(QDate(2025, 5, 5), QStringLiteral("А"));
    f.addPrescription(QDate(2025, 5, 5), QStringLiteral("Б"));
    f.addPrescription(QDate(2025, 5, 1), QStringLiteral("В"), QStringLiteral("x"), QStringLiteral("комментарий"));

    treatment::resortPanel(f.lek());
    const QStringList once = f.rows();
    QCOMPARE(once.first(), row(5, 1, QStringLiteral("В")));
    QCOMPARE(dialogs.transcript, (QStringList{QStringLiteral("beep"), QStringLiteral("beep")}));

    treatment::resortPanel(f.lek());
    const QStringList twice = f.rows();
    QCOMPARE(twice.first(), row(5, 1, QStringLiteral("В")));
    QCOMPARE(twice.mid(1), (QStringList{once[2], once[1]}));

    treatment::resortPanel(f.lek());
    QCOMPARE(f.rows(), once);
    f.lek().first();
    QCOMPARE(f.lek().asString(QStringLiteral("Komm")), QStringLiteral("комментарий"));
}

void PrescriptionsTest::deletingLastLeavesPlaceholderThatIsReused()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPrescription(QDate(2025, 5, 1), QStringLiteral("Супрастин"));
    dialogs.answers << QStringLiteral("yes");

    QVERIFY(treatment::deletePrescription(f.lek()));
    QCOMPARE(dialogs.transcript, QStringList{kDeleteQuestion});
    QCOMPARE(f.lek().recordCount(), 1);
    QVERIFY(f.lek().isNull(QStringLiteral("Data")));
    QVERIFY(f.lek().asString(QStringLiteral("Lek")).isEmpty());
    const qint64 placeholderId = f.lek().asInteger(QStringLiteral("Id"));
    QCOMPARE(f.stored(QStringLiteral("SELECT COUNT(*) FROM lech_lekar")).toInt(), 1);

    // The placeholder is edited, not followed by a second record; the re-sort then rewrites it.
    int inserts = 0;
    f.lek().beforeInsert = [&inserts](Table &) { ++inserts; };
    QVERIFY(treatment::prescribe(*f.dm2, f.settings, QDate(2025, 5, 8), QStringLiteral("Кларитин"),
                                 QStringLiteral("1 т."), false, true));
    f.lek().beforeInsert = nullptr;
    QCOMPARE(inserts, 1); // the single append of the re-sort
    QCOMPARE(f.rows(), QStringList{row(5, 8, QStringLiteral("Кларитин"))});
    QCOMPARE(f.stored(QStringLiteral("SELECT COUNT(*) FROM lech_lekar")).toInt(), 1);
    QVERIFY(f.lek().asInteger(QStringLiteral("Id")) != placeholderId);

    // With two prescriptions, a new one is inserted.
    QVERIFY(treatment::prescribe(*f.dm2, f.settings, QDate(2025, 5, 9), QStringLiteral("Зиртек"),
                                 QStringLiteral("1 т."), false, true));
    QCOMPARE(f.lek().recordCount(), 2);
}

void PrescriptionsTest::deleteAnsweredNoChangesNothing()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPrescription(QDate(2025, 5, 1), QStringLiteral("Супрастин"));
    dialogs.answers << QStringLiteral("no");
    QVERIFY(!treatment::deletePrescription(f.lek()));
    QCOMPARE(f.rows(), QStringList{row(5, 1, QStringLiteral("Супрастин"))});

    // Two prescriptions: Yes deletes the current one and adds no placeholder.
    f.addPrescription(QDate(2025, 5, 2), QStringLiteral("Кларитин"));
    f.lek().first();
    dialogs.answers << QStringLiteral("yes");
    QVERIFY(treatment::deletePrescription(f.lek()));
    QCOMPARE(f.rows(), QStringList{row(5, 2, QStringLiteral("Кларитин"))});
}

void PrescriptionsTest::protectionSuspendedDuringWindowResort()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    // Old prescriptions, which the protection would question one by one.
    f.addPrescription(QDate(2025, 1, 10), QStringLiteral("Супрастин"));
    f.addPrescription(QDate(2025, 2, 10), QStringLiteral("Наружно: Белосалик"));
    f.settings.protectionOn = true;
    f.settings.protectionDays = 30;
    const qsizetype mark = f.log.lines().size();

    QList<bool> suspendedAtPost;
    f.lek().afterPost = [&](Table &) { suspendedAtPost << f.settings.protectionSuspended; };
    QVERIFY(treatment::prescribe(*f.dm2, f.settings, kToday, QStringLiteral("Кларитин"), QStringLiteral("1 т."),
                                 false, true));
    f.lek().afterPost = nullptr;

    QVERIFY(dialogs.transcript.isEmpty());
    QCOMPARE(suspendedAtPost, (QList<bool>{false, true, true, true}));
    QVERIFY(!f.settings.protectionSuspended);
    const QStringList lines = f.log.lines().mid(mark);
    QCOMPARE(lines.size(), 4); // the prescription's own post and the three appends of the re-sort
    for (const QString &line : lines)
        QVERIFY2(line.endsWith(kCheckText), qPrintable(line));
    QCOMPARE(f.rows(), (QStringList{row(1, 10, QStringLiteral("Супрастин")),
                                    row(2, 10, QStringLiteral("Наружно: Белосалик")),
                                    row(5, 20, QStringLiteral("Кларитин"))}));

    // The panel re-sort leaves the questions on: each old record is questioned.
    dialogs.answers << QStringLiteral("yes") << QStringLiteral("yes");
    treatment::resortPanel(f.lek());
    QCOMPARE(dialogs.transcript.filter(QStringLiteral("ask:")).size(), 2);
}

QTEST_GUILESS_MAIN(PrescriptionsTest)
#include "prescriptions_test.moc"
