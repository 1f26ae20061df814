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
    Fixture() { append(reg(), {{"Last_Name", QStringLiteral("Иванов")}, {"Reg_date", kToday}}); }

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
            out << lek().asDate(QStringLiteral("Data")).toString(Qt::ISODate) + QStringLiteral(" | ") +
                       lek().asString(QStringLiteral("Lek"));
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

    void resortOrders_data();
    void resortOrders();
    void prescribingSortsByDateLocalLast();
    void prescribingWithoutClickStoresDateOnly();
    void windowResortKeepsLongDrugAndComment();
    void panelResortSwapsSameDateRows();
    void deletingLastLeavesPlaceholderThatIsReused();
    void deleteAnsweredNoChangesNothing();
    void protectionSuspendedDuringWindowResort();
    void panelResortKeepsEveryRecordWhenProtectionWouldRefuse();
    void failedAppendLeavesTheListAsItWas_data();
    void failedAppendLeavesTheListAsItWas();
};

struct Listed
{
    int month;
    int day;
    const char16_t *drug;
};
Q_DECLARE_METATYPE(QList<Listed>)

void PrescriptionsTest::resortOrders_data()
{
    QTest::addColumn<bool>("panel");
    QTest::addColumn<QList<Listed>>("before");
    QTest::addColumn<QStringList>("after");
    const QString blank = QStringLiteral(" | ");
    QTest::newRow("window: 1 May, 5 May local, 5 May internal")
        << false << QList<Listed>{{5, 1, u"Супрастин"}, {5, 5, u"Наружно: Белосалик"}, {5, 5, u"Кларитин"}}
        << QStringList{row(5, 1, QStringLiteral("Супрастин")), row(5, 5, QStringLiteral("Кларитин")),
                       row(5, 5, QStringLiteral("Наружно: Белосалик"))};
    QTest::newRow("panel: 1 May, 5 May local, 5 May internal")
        << true << QList<Listed>{{5, 1, u"Супрастин"}, {5, 5, u"Наружно: Белосалик"}, {5, 5, u"Кларитин"}}
        << QStringList{row(5, 1, QStringLiteral("Супрастин")), row(5, 5, QStringLiteral("Кларитин")),
                       row(5, 5, QStringLiteral("Наружно: Белосалик"))};
    QTest::newRow("window: dates in reverse")
        << false << QList<Listed>{{5, 9, u"В"}, {5, 5, u"Б"}, {5, 1, u"А"}}
        << QStringList{row(5, 1, QStringLiteral("А")), row(5, 5, QStringLiteral("Б")), row(5, 9, QStringLiteral("В"))};
    QTest::newRow("window: local of an earlier day stays first")
        << false << QList<Listed>{{5, 3, u"Кларитин"}, {5, 1, u"Наружно: Элоком"}}
        << QStringList{row(5, 1, QStringLiteral("Наружно: Элоком")), row(5, 3, QStringLiteral("Кларитин"))};
    // The second pass moves the internal drug to the front, which turns the two local ones round.
    QTest::newRow("window: two local and one internal of one day")
        << false << QList<Listed>{{5, 5, u"Наружно: А"}, {5, 5, u"Наружно: Б"}, {5, 5, u"Кларитин"}}
        << QStringList{row(5, 5, QStringLiteral("Кларитин")), row(5, 5, QStringLiteral("Наружно: Б")),
                       row(5, 5, QStringLiteral("Наружно: А"))};
    QTest::newRow("window: \"Наружно\" without the colon counts as local")
        << false << QList<Listed>{{5, 5, u"Наружно мазь"}, {5, 5, u"Кларитин"}}
        << QStringList{row(5, 5, QStringLiteral("Кларитин")), row(5, 5, QStringLiteral("Наружно мазь"))};
    QTest::newRow("window: the placeholder without a date goes first")
        << false << QList<Listed>{{5, 2, u"Кларитин"}, {0, 0, u""}}
        << QStringList{QDate(1899, 12, 30).toString(Qt::ISODate) + blank, row(5, 2, QStringLiteral("Кларитин"))};
    QTest::newRow("panel: dates in reverse")
        << true << QList<Listed>{{5, 9, u"В"}, {5, 5, u"Б"}, {5, 1, u"А"}}
        << QStringList{row(5, 1, QStringLiteral("А")), row(5, 5, QStringLiteral("Б")), row(5, 9, QStringLiteral("В"))};
    QTest::newRow("panel: local stays before internal when it comes second")
        << true << QList<Listed>{{5, 5, u"Кларитин"}, {5, 5, u"Наружно: Белосалик"}}
        << QStringList{row(5, 5, QStringLiteral("Наружно: Белосалик")), row(5, 5, QStringLiteral("Кларитин"))};
    QTest::newRow("single prescription") << true << QList<Listed>{{5, 5, u"Кларитин"}}
                                         << QStringList{row(5, 5, QStringLiteral("Кларитин"))};
    QTest::newRow("no prescription") << false << QList<Listed>{} << QStringList{};
}

void PrescriptionsTest::resortOrders()
{
    QFETCH(bool, panel);
    QFETCH(QList<Listed>, before);
    QFETCH(QStringList, after);
    ScopedScriptedDialogs dialogs;
    Fixture f;
    for (const Listed &p : before) {
        if (p.month == 0)
            f.append(f.lek());
        else
            f.addPrescription(QDate(2025, p.month, p.day), QString::fromUtf16(p.drug));
    }
    const bool done = panel ? treatment::resortPanel(f.lek(), f.settings) : treatment::resortWindow(f.lek());
    QVERIFY(done);
    QCOMPARE(f.rows(), after);
    QCOMPARE(f.stored(QStringLiteral("SELECT COUNT(*) FROM lech_lekar")).toInt(), int(before.size()));
    QVERIFY(!f.settings.protectionSuspended);
}

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
    QCOMPARE(f.stored(QStringLiteral("SELECT \"Lek\" FROM lech_lekar WHERE \"Data\" = '2025-05-09'")).toString(), longDrug);
    QCOMPARE(f.stored(QStringLiteral("SELECT \"Komm\" FROM lech_lekar WHERE \"Data\" = '2025-05-09'")).toString(),
             QStringLiteral("под контролем АД"));
}

void PrescriptionsTest::panelResortSwapsSameDateRows()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPrescription(QDate(2025, 5, 5), QStringLiteral("А"));
    f.addPrescription(QDate(2025, 5, 5), QStringLiteral("Б"));
    f.addPrescription(QDate(2025, 5, 1), QStringLiteral("В"), QStringLiteral("x"), QStringLiteral("комментарий"));

    QVERIFY(treatment::resortPanel(f.lek(), f.settings));
    const QStringList once = f.rows();
    QCOMPARE(once.first(), row(5, 1, QStringLiteral("В")));
    QCOMPARE(dialogs.transcript, (QStringList{QStringLiteral("beep"), QStringLiteral("beep")}));

    QVERIFY(treatment::resortPanel(f.lek(), f.settings));
    const QStringList twice = f.rows();
    QCOMPARE(twice.first(), row(5, 1, QStringLiteral("В")));
    QCOMPARE(twice.mid(1), (QStringList{once[2], once[1]}));

    QVERIFY(treatment::resortPanel(f.lek(), f.settings));
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

    // A patient without any prescription receives the placeholder whatever the answer.
    f.append(f.reg(), {{"Last_Name", QStringLiteral("Петров")}});
    QVERIFY(f.lek().isEmpty());
    dialogs.answers << QStringLiteral("no");
    QVERIFY(!treatment::deletePrescription(f.lek()));
    QCOMPARE(f.lek().recordCount(), 1);
    QVERIFY(f.lek().isNull(QStringLiteral("Data")));
    QVERIFY(f.lek().isNull(QStringLiteral("Lek")));
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
    QVERIFY(treatment::prescribe(*f.dm2, f.settings, kToday, QStringLiteral("Кларитин"), QStringLiteral("1 т."), false,
                                 true));
    f.lek().afterPost = nullptr;

    QVERIFY(dialogs.transcript.isEmpty());
    QCOMPARE(suspendedAtPost, (QList<bool>{false, true, true, true}));
    QVERIFY(!f.settings.protectionSuspended);
    const QStringList lines = f.log.lines().mid(mark);
    QCOMPARE(lines.size(), 4); // the prescription's own post and the three appends of the re-sort
    for (const QString &line : lines)
        QVERIFY2(line.endsWith(kCheckText), qPrintable(line));
    QCOMPARE(f.rows(),
             (QStringList{row(1, 10, QStringLiteral("Супрастин")), row(2, 10, QStringLiteral("Наружно: Белосалик")),
                          row(5, 20, QStringLiteral("Кларитин"))}));
}

void PrescriptionsTest::panelResortKeepsEveryRecordWhenProtectionWouldRefuse()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPrescription(QDate(2025, 2, 10), QStringLiteral("Наружно: Белосалик"), QStringLiteral("2 раза"),
                      QStringLiteral("на ночь"));
    f.addPrescription(QDate(2025, 1, 10), QStringLiteral("Супрастин"));
    f.addPrescription(kToday, QStringLiteral("Кларитин"));
    f.settings.protectionOn = true;
    f.settings.protectionDays = 30;
    // Were a question asked, every answer would refuse the record.
    dialogs.answers << QStringLiteral("no") << QStringLiteral("no") << QStringLiteral("no");
    const qsizetype mark = f.log.lines().size();
    QList<bool> suspendedAtPost;
    f.lek().afterPost = [&](Table &) { suspendedAtPost << f.settings.protectionSuspended; };

    QVERIFY(treatment::resortPanel(f.lek(), f.settings));
    f.lek().afterPost = nullptr;

    QCOMPARE(dialogs.transcript, (QStringList{QStringLiteral("beep"), QStringLiteral("beep")}));
    QCOMPARE(suspendedAtPost, (QList<bool>{true, true, true}));
    QVERIFY(!f.settings.protectionSuspended);
    const QStringList lines = f.log.lines().mid(mark);
    QCOMPARE(lines.size(), 3); // each appended record still passes the rule and logs its check
    for (const QString &line : lines)
        QVERIFY2(line.endsWith(kCheckText), qPrintable(line));
    QCOMPARE(f.rows(),
             (QStringList{row(1, 10, QStringLiteral("Супрастин")), row(2, 10, QStringLiteral("Наружно: Белосалик")),
                          row(5, 20, QStringLiteral("Кларитин"))}));
    QCOMPARE(f.stored(QStringLiteral("SELECT \"Komm\" FROM lech_lekar WHERE \"Data\" = '2025-02-10'")).toString(),
             QStringLiteral("на ночь"));
    QCOMPARE(f.stored(QStringLiteral("SELECT COUNT(*) FROM lech_lekar")).toInt(), 3);

    // A flag already set by an operation around the re-sort stays set.
    f.settings.protectionSuspended = true;
    QVERIFY(treatment::resortPanel(f.lek(), f.settings));
    QVERIFY(f.settings.protectionSuspended);
}

void PrescriptionsTest::failedAppendLeavesTheListAsItWas_data()
{
    QTest::addColumn<bool>("refuseByControl");
    QTest::newRow("a control refuses the post") << true;
    QTest::newRow("a handler drops the new record") << false;
}

void PrescriptionsTest::failedAppendLeavesTheListAsItWas()
{
    QFETCH(bool, refuseByControl);
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPrescription(QDate(2025, 5, 9), QStringLiteral("В"));
    f.addPrescription(QDate(2025, 5, 5), QStringLiteral("Б"), QStringLiteral("1 т."), QStringLiteral("комментарий"));
    f.addPrescription(QDate(2025, 5, 1), QStringLiteral("А"));
    const QStringList before = f.rows();

    // The second append of the rewrite fails.
    int posts = 0;
    QMetaObject::Connection refusal;
    if (refuseByControl) {
        refusal = QObject::connect(&f.lek(), &Table::updateRecordRequested, [&] {
            if (f.lek().state() == TableState::Insert && ++posts == 2)
                f.lek().refuseUpdate(QStringLiteral("Значение не подходит."));
        });
    } else {
        auto check = f.lek().beforePost;
        f.lek().beforePost = [&, check](Table &t) {
            if (t.state() == TableState::Insert && ++posts == 2)
                t.cancel();
            else if (check)
                check(t);
        };
    }
    QVERIFY(!treatment::resortWindow(f.lek()));
    QObject::disconnect(refusal);
    f.lek().beforePost = nullptr;

    QCOMPARE(f.rows(), before);
    QCOMPARE(f.stored(QStringLiteral("SELECT COUNT(*) FROM lech_lekar")).toInt(), 3);
    QCOMPARE(f.stored(QStringLiteral("SELECT \"Komm\" FROM lech_lekar WHERE \"Lek\" = 'Б'")).toString(),
             QStringLiteral("комментарий"));
}

QTEST_GUILESS_MAIN(PrescriptionsTest)
#include "prescriptions_test.moc"
