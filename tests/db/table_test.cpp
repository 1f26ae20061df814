#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "schema.h"
#include "table.h"
#include "testserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <numeric>

using namespace pelorin;
using namespace pelorin::db;

namespace {

// A fresh database in a temporary folder, built by the real schema code, with both data modules.
struct Fixture
{
    QTemporaryDir dir;
    Database db;
    std::unique_ptr<DM1> dm1;
    std::unique_ptr<DM2> dm2;

    Fixture()
    {
        QString error;
        if (!pelorin::testing::openTestDatabase(db, dir.path(), &error))
            qFatal("open failed: %s", qPrintable(error));
        openModules();
    }
    void openModules()
    {
        dm2.reset();
        dm1 = std::make_unique<DM1>(db);
        dm2 = std::make_unique<DM2>(db, *dm1);
        QString error;
        if (!dm1->open(&error) || !dm2->open(&error))
            qFatal("modules failed: %s", qPrintable(error));
    }
    qint64 addPatient(const QString &lastName, int ambKarta = 0)
    {
        Table &r = *dm1->register_;
        r.append();
        r.setValue("Last_Name", lastName);
        if (ambKarta)
            r.setValue("Amb_karta", ambKarta);
        r.post();
        return r.asInteger("ID_man");
    }
    void addExamination(const QDate &date)
    {
        Table &o = *dm2->osmotr1;
        o.append();
        o.setValue("Date", date);
        o.post();
    }
    int countRows(const QString &table)
    {
        QSqlQuery q(db.sql());
        q.exec(QStringLiteral("SELECT count(*) FROM ") + quoteIdentifier(table));
        q.next();
        return q.value(0).toInt();
    }
};


void traceEvents(Table &t, QStringList &log)
{
    const QString n = t.tableName();
    auto add = [&log, n](const char *e) { return [&log, n, e](Table &) { log << n + QLatin1Char('.') + QLatin1String(e); }; };
    t.beforeEdit = add("beforeEdit");
    t.afterEdit = add("afterEdit");
    t.beforeInsert = add("beforeInsert");
    t.afterInsert = add("afterInsert");
    t.beforePost = add("beforePost");
    t.afterPost = add("afterPost");
    t.beforeCancel = add("beforeCancel");
    t.afterCancel = add("afterCancel");
    t.beforeDelete = add("beforeDelete");
    t.afterDelete = add("afterDelete");
    t.beforeScroll = add("beforeScroll");
    t.afterScroll = add("afterScroll");
}

} // namespace

class TableTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void schemaHasEveryFieldInDeclaredOrder();
    void olderLayoutLacksOnlyLaterFields_data();
    void olderLayoutLacksOnlyLaterFields();
    void blankFieldsReadAsZeroValues();
    void textIsCutToItsWidth_data();
    void textIsCutToItsWidth();
    void badNumberIsRefusedAndLosesNothing();
    void impossibleNumbersAreRefused_data();
    void impossibleNumbersAreRefused();
    void eventOrder_data();
    void eventOrder();
    void insertFillsLinkAndUnchangedInsertIsDropped();
    void detailsFollowTheMasterDownTheChain();
    void detailLeavesEditStateBeforeItIsRepositioned();
    void deletingMasterKeepsDetails();
    void pendingValueThatCannotBeStoredKeepsEverything();
    void autoIncIsNeverReused();
    void beforePostMayCancelAndReEdit();
    void refusedPostStaysInInsertState();
    void filterAndOrderOfRegister();
    void malformedFilterKeepsThePreviousOne();
    void postedRecordFollowsTheFilter_data();
    void postedRecordFollowsTheFilter();
    void detailBegunUnderNewMasterIsStoredWithItsLink();
    void detailOfGivenUpMasterIsDropped();
    void detailThatCannotBeStoredStaysWhenTheMasterPosts();
    void walkVisitsEveryRecordOnce();
    void textOrderIgnoresCaseAndPutsYoWithYe();
    void registerHoldsOnlyWhatTheListNeeds();
    void registerWalkReadsEveryRecordWhole();
    void registerJumpsAndStepsReadTheRightCards();
    void registerRecordThatCannotBeReadIsNotOverwritten();
    void registerFiltersOrdersAndLocatesByAnyField_data();
    void registerFiltersOrdersAndLocatesByAnyField();
    void refreshAllReadsEveryTableAgain();
    void calculatedFieldsStartBlankAndAreCut();
    void detailCalculationsFollowTheMaster();
    void postedRecordsSurviveReopening();
    void lechPuvaKeepsCreationOrder();
    void corruptFileGivesMessage();
    void openRefusesWhatItMustNotWrite_data();
    void openRefusesWhatItMustNotWrite();
    void readOnlyOpenChangesNothing();
    void readersSeeWhatTheWriterPosted();
    void secondConnectionSharesTheFile();
};

void TableTest::schemaHasEveryFieldInDeclaredOrder()
{
    Fixture f;
    int stored = 0;
    for (const TableDef &t : allTables()) {
        QSqlQuery q(f.db.sql());
        const bool server = f.db.backend() == Database::Backend::PostgreSQL;
        if (server) {
            QVERIFY(q.prepare(QStringLiteral("SELECT ordinal_position, column_name FROM information_schema.columns WHERE "
                                             "table_schema = current_schema() AND table_name = ? ORDER BY ordinal_position")));
            q.addBindValue(QString::fromLatin1(t.sqlName));
            QVERIFY(q.exec());
        } else {
            QVERIFY(q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(QString::fromLatin1(t.sqlName)))));
        }
        QStringList actual;
        while (q.next()) {
            if (q.value(1).toString() != QLatin1String(kRowVersion)) // the server's row version
                actual << q.value(1).toString();
        }
        QStringList expected;
        for (const FieldDef &fd : t.fields) {
            if (!fd.calculated)
                expected << QString::fromLatin1(fd.name);
        }
        stored += int(expected.size());
        if (!t.hasAutoIncKey())
            expected << QString::fromLatin1(kHiddenRowKey);
        QCOMPARE(actual, expected);
    }
    QCOMPARE(stored, 793);
    if (f.db.backend() == Database::Backend::PostgreSQL)
        return; // the server keeps its layout version in a table of its own
    QSqlQuery q(f.db.sql());
    QVERIFY(q.exec(QStringLiteral("PRAGMA user_version")) && q.next());
    QCOMPARE(q.value(0).toInt(), kSchemaVersion);
    QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("wal"));
}

// A table whose field Seen came with layout 4; Mood is calculated and never stored.
const FieldDef kLaterFields[] = {
    {"ID", FieldType::AutoInc, 0, false},
    {"Name", FieldType::String, 20, false},
    {"Seen", FieldType::Date, 0, false, false, nullptr, 4},
    {"Mood", FieldType::String, 10, true},
};
const TableDef kLaterTable{"later", "later", "ID", "", "", "", "", 1, kLaterFields};

void TableTest::olderLayoutLacksOnlyLaterFields_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("blank");
    QTest::addColumn<QString>("unfit");
    const QStringList all{QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("seen")};
    const QStringList before{QStringLiteral("id"), QStringLiteral("name")};
    QTest::newRow("current layout, every field") << 4 << all << QStringList() << QString();
    QTest::newRow("layout before the field") << 3 << before << QStringList{QStringLiteral("Seen")} << QString();
    QTest::newRow("layout before, field already there") << 3 << all << QStringList() << QString();
    QTest::newRow("the field's own layout without it") << 4 << before << QStringList() << QStringLiteral("Seen");
    QTest::newRow("older layout without an old field")
        << 3 << QStringList{QStringLiteral("id"), QStringLiteral("seen")} << QStringList() << QStringLiteral("Name");
}

void TableTest::olderLayoutLacksOnlyLaterFields()
{
    QFETCH(int, version);
    QFETCH(QStringList, present);
    QFETCH(QStringList, blank);
    QFETCH(QString, unfit);
    QString actualUnfit;
    QCOMPARE(fieldsReadAsBlank(kLaterTable, QSet<QString>(present.cbegin(), present.cend()), version, &actualUnfit), blank);
    QCOMPARE(actualUnfit, unfit);
}

void TableTest::blankFieldsReadAsZeroValues()
{
    Fixture f;
    Table &r = *f.dm1->register_;
    f.addPatient(QStringLiteral("Петров"));
    for (const char *name : {"First_Name", "Born_Day", "Ves", "Vip_date", "Other"})
        QVERIFY2(r.field(QString::fromLatin1(name)).isNull(), name);
    QCOMPARE(r.field("First_Name").asString(), QString());
    QCOMPARE(r.field("Born_Day").asInteger(), 0);
    QCOMPARE(r.field("Ves").asFloat(), 0.0);
    QCOMPARE(r.field("Vip_date").asDate(), QDate(1899, 12, 30));
    Table &o = *f.dm2->osmotr1;
    f.addExamination(QDate(2026, 1, 5));
    QVERIFY(o.field("Dinamika").isNull());
    QCOMPARE(o.field("B1").asFloat(), 0.0);
    // A Boolean never touched is blank and reads false.
    const int boolIndex = [&] {
        for (int i = 0; i < o.storedFieldCount(); ++i)
            if (o.fieldDef(i).type == FieldType::Boolean)
                return i;
        return -1;
    }();
    QVERIFY(boolIndex >= 0);
    QVERIFY(o.fieldAt(boolIndex).isNull());
    QCOMPARE(o.fieldAt(boolIndex).asBoolean(), false);
    // Empty text is stored blank, in memory and in the file.
    r.edit();
    r.setValue("First_Name", QString());
    r.post();
    QSqlQuery q(f.db.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT \"First_Name\" IS NULL, \"Vip_date\" IS NULL FROM register")) && q.next());
    QVERIFY(q.value(0).toBool());
    QVERIFY(q.value(1).toBool());
}

void TableTest::textIsCutToItsWidth_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::newRow("fits") << "Last_Name" << "Иванов" << "Иванов";
    QTest::newRow("exactly 20") << "Last_Name" << "Абвгдежзийклмнопрсту" << "Абвгдежзийклмнопрсту";
    QTest::newRow("21 cut to 20") << "Last_Name" << "Абвгдежзийклмнопрстуф" << "Абвгдежзийклмнопрсту";
    QTest::newRow("Sex is 7") << "Sex" << "мужской пол" << "мужской";
    QTest::newRow("emoji at the boundary stays whole") << "Sex" << QStringLiteral("мужско😀й") << QStringLiteral("мужско😀");
    QTest::newRow("emoji past the boundary goes whole") << "Sex" << QStringLiteral("мужской😀") << QStringLiteral("мужской");
    QTest::newRow("memo is whole") << "Other" << QString(5000, QLatin1Char('x')) << QString(5000, QLatin1Char('x'));
}

void TableTest::textIsCutToItsWidth()
{
    QFETCH(QString, field);
    QFETCH(QString, written);
    QFETCH(QString, read);
    Fixture f;
    Table &r = *f.dm1->register_;
    r.append();
    QVERIFY(r.setValue(field, written));
    QCOMPARE(r.asString(field), read);
    QVERIFY(r.post());
    r.refresh();
    QCOMPARE(r.asString(field), read);
}

void TableTest::impossibleNumbersAreRefused_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("error"); // empty: accepted
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("negative weight") << "register" << "Ves" << QVariant(-5.0) << "Вес: значение «-5» недопустимо.";
    QTest::newRow("negative weight typed") << "register" << "Ves" << QVariant("-5") << "Вес: значение «-5» недопустимо.";
    QTest::newRow("infinite weight") << "register" << "Ves" << QVariant(inf) << "Вес: значение «inf» не является числом.";
    QTest::newRow("weight not a number") << "register" << "Ves" << QVariant(nan)
                                         << "Вес: значение «nan» не является числом.";
    QTest::newRow("weight typed as inf") << "register" << "Ves" << QVariant("inf")
                                         << "Вес: значение «inf» не является числом.";
    QTest::newRow("zero weight") << "register" << "Ves" << QVariant(0.0) << "";
    QTest::newRow("negative power") << "lech_puva" << "Power1" << QVariant(-5)
                                    << "Мощность установки: значение «-5» недопустимо.";
    QTest::newRow("negative time") << "lech_puva" << "Time2" << QVariant(-1)
                                   << "Время процедуры: значение «-1» недопустимо.";
    QTest::newRow("negative tablets") << "lech_puva" << "Tabl" << QVariant("-2")
                                      << "Количество таблеток: значение «-2» недопустимо.";
    QTest::newRow("infinite whole number") << "lech_puva" << "Time1" << QVariant(inf)
                                           << "Время процедуры: значение «inf» не является числом.";
    QTest::newRow("negative course number is no quantity") << "lech_puva" << "Id_kurs" << QVariant(-1) << "";
}

void TableTest::impossibleNumbersAreRefused()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, error);
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    Table &t = table == QLatin1String("register") ? *f.dm1->register_ : *f.dm2->lech_puva;
    if (table == QLatin1String("register"))
        t.edit();
    else
        t.append();
    QVERIFY(t.setValue(field, 3));
    QCOMPARE(t.setValue(field, value), error.isEmpty());
    if (!error.isEmpty()) {
        QCOMPARE(t.lastError(), error);
        QCOMPARE(t.asFloat(field), 3.0); // the value before stays
    }
    QVERIFY(t.post());
}

void TableTest::badNumberIsRefusedAndLosesNothing()
{
    Fixture f;
    Table &r = *f.dm1->register_;
    f.addPatient(QStringLiteral("Сидоров"));
    r.edit();
    QVERIFY(r.setValue("Born_Year", 1970));
    QVERIFY(!r.setValue("Born_Year", QStringLiteral("тысяча")));
    QVERIFY(!r.lastError().isEmpty());
    QCOMPARE(r.asInteger("Born_Year"), 1970);
    QVERIFY(r.setValue("Ves", QStringLiteral("72,5")));
    QCOMPARE(r.asFloat("Ves"), 72.5);
    QVERIFY(!r.setValue("Short_missing_field", 1));
    QVERIFY(r.post());
}

void TableTest::eventOrder_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("expected");
    const QString r = QStringLiteral("register.");
    auto l = [&](std::initializer_list<const char *> names) {
        QStringList out;
        for (const char *n : names)
            out << r + QLatin1String(n);
        return out;
    };
    QTest::newRow("edit") << "edit" << l({"beforeEdit", "afterEdit"});
    QTest::newRow("edit+post") << "edit,set,post" << l({"beforeEdit", "afterEdit", "beforePost", "afterPost"});
    QTest::newRow("edit+cancel") << "edit,set,cancel" << l({"beforeEdit", "afterEdit", "beforeCancel", "afterCancel"});
    QTest::newRow("post in browse does nothing") << "post" << QStringList();
    QTest::newRow("modified record posted before scrolling")
        << "edit,set,next" << l({"beforeEdit", "afterEdit", "beforePost", "afterPost", "beforeScroll", "afterScroll"});
    QTest::newRow("unmodified record cancelled before scrolling")
        << "edit,next" << l({"beforeEdit", "afterEdit", "beforeCancel", "afterCancel", "beforeScroll", "afterScroll"});
    QTest::newRow("insert") << "insert" << l({"beforeInsert", "beforeScroll", "afterInsert", "afterScroll"});
    QTest::newRow("delete") << "delete" << l({"beforeDelete", "beforeScroll", "afterDelete", "afterScroll"});
    QTest::newRow("first") << "first" << l({"beforeScroll", "afterScroll"});
}

void TableTest::eventOrder()
{
    QFETCH(QString, action);
    QFETCH(QStringList, expected);
    Fixture f;
    f.addPatient(QStringLiteral("Алексеев"));
    f.addPatient(QStringLiteral("Борисов"));
    Table &r = *f.dm1->register_;
    r.first();
    QStringList log;
    traceEvents(r, log);
    for (const QString &step : action.split(QLatin1Char(','))) {
        if (step == QLatin1String("edit"))
            r.edit();
        else if (step == QLatin1String("set"))
            r.setValue("First_Name", QStringLiteral("Иван"));
        else if (step == QLatin1String("post"))
            r.post();
        else if (step == QLatin1String("cancel"))
            r.cancel();
        else if (step == QLatin1String("next"))
            r.next();
        else if (step == QLatin1String("insert"))
            r.insert();
        else if (step == QLatin1String("delete"))
            r.deleteRecord();
        else if (step == QLatin1String("first"))
            r.first();
    }
    QCOMPARE(log, expected);
}

void TableTest::insertFillsLinkAndUnchangedInsertIsDropped()
{
    Fixture f;
    for (int i = 0; i < 11; ++i)
        f.addPatient(QStringLiteral("Пациент%1").arg(i, 2, 10, QLatin1Char('0')));
    const qint64 id12 = f.addPatient(QStringLiteral("Яковлев"));
    QCOMPARE(id12, 12);
    Table &start = *f.dm1->anamnez_zab_start;
    // anamnez_zab_start follows anamnez_zab, which has no record yet; the key still comes down the chain
    Table &zab = *f.dm1->anamnez_zab;
    zab.insert();
    QCOMPARE(zab.asInteger("ID_man"), 12);
    zab.post();
    start.insert();
    QCOMPARE(start.asInteger("ID_man"), 12);
    QVERIFY(!start.modified());
    // An insert nobody changed is dropped when the cursor moves on.
    start.first();
    QCOMPARE(start.recordCount(), 0);
    QCOMPARE(f.countRows(QStringLiteral("anamnez_zab_start")), 0);
}

void TableTest::detailsFollowTheMasterDownTheChain()
{
    Fixture f;
    Table &r = *f.dm1->register_;
    Table &o = *f.dm2->osmotr1;
    Table &e = *f.dm2->osmotr_elem;
    f.addPatient(QStringLiteral("Антонов"));
    f.addExamination(QDate(2026, 1, 10));
    e.append();
    e.setValue("Name_elem", QStringLiteral("папула"));
    e.post();
    f.addExamination(QDate(2026, 2, 10));
    f.addPatient(QStringLiteral("Белов")); // a patient without examinations
    QCOMPARE(o.recordCount(), 0);
    QCOMPARE(e.recordCount(), 0);

    QStringList log;
    o.afterScroll = [&](Table &t) { log << QStringLiteral("osmotr1:%1").arg(t.recordCount()); };
    e.afterScroll = [&](Table &t) { log << QStringLiteral("osmotr_elem:%1").arg(t.recordCount()); };
    r.afterScroll = [&](Table &) { log << QStringLiteral("register"); };
    r.first(); // Антонов
    QCOMPARE(log, QStringList({"osmotr_elem:1", "osmotr1:2", "register"}));
    QCOMPARE(o.recNo(), 1);
    QCOMPARE(o.asDate("Date"), QDate(2026, 1, 10));
    QCOMPARE(e.asString("Name_elem"), QStringLiteral("папула"));
    log.clear();
    o.next();
    QCOMPARE(e.recordCount(), 0);
    QCOMPARE(log, QStringList({"osmotr_elem:0", "osmotr1:2"}));
    r.next(); // Белов
    QCOMPARE(o.recordCount(), 0);
    QVERIFY(o.eof() && o.bof());
    QCOMPARE(e.recordCount(), 0);
}

void TableTest::detailLeavesEditStateBeforeItIsRepositioned()
{
    Fixture f;
    Table &r = *f.dm1->register_;
    Table &o = *f.dm2->osmotr1;
    f.addPatient(QStringLiteral("Антонов"));
    f.addExamination(QDate(2026, 1, 10));
    f.addPatient(QStringLiteral("Белов"));
    r.first();
    o.edit();
    o.setValue("Dinamika", QStringLiteral("Улучшение"));
    r.next();
    QCOMPARE(o.state(), TableState::Browse);
    r.first();
    QCOMPARE(o.asString("Dinamika"), QStringLiteral("Улучшение"));
    // An unmodified edit is cancelled instead.
    o.edit();
    r.next();
    QCOMPARE(o.state(), TableState::Browse);
}

void TableTest::deletingMasterKeepsDetails()
{
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    f.addExamination(QDate(2026, 1, 10));
    Table &r = *f.dm1->register_;
    r.first();
    QVERIFY(r.deleteRecord());
    QCOMPARE(r.recordCount(), 0);
    QCOMPARE(f.dm2->osmotr1->recordCount(), 0);
    QCOMPARE(f.countRows(QStringLiteral("osmotr_1")), 1);
}

void TableTest::pendingValueThatCannotBeStoredKeepsEverything()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    Table &r = *f.dm1->register_;
    Table &o = *f.dm2->osmotr1;
    f.addPatient(QStringLiteral("Антонов"));
    f.addExamination(QDate(2026, 1, 10));
    f.addPatient(QStringLiteral("Белов"));
    r.first();
    // A control still holding "abc" for a number field: the post is refused, nothing moves.
    QString pending = QStringLiteral("abc");
    QObject::connect(&o, &Table::updateRecordRequested, &o, [&] {
        if (!o.setValue("B2", pending))
            o.refuseUpdate(QStringLiteral("«%1» не является числом.").arg(pending));
    });
    o.edit();
    o.setValue("Dinamika", QStringLiteral("Улучшение"));
    r.next();
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Антонов"));
    QCOMPARE(o.state(), TableState::Edit);
    QCOMPARE(o.asString("Dinamika"), QStringLiteral("Улучшение"));
    QVERIFY(!o.post());
    QCOMPARE(dialogs.transcript.size(), 2);
    QVERIFY(dialogs.transcript.last().contains(QStringLiteral("«abc» не является числом.")));
    // Once the value is a number, the move goes on and the examination is stored.
    pending = QStringLiteral("12");
    r.next();
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Белов"));
    r.first();
    QCOMPARE(o.asInteger("B2"), 12);
    QCOMPARE(o.asString("Dinamika"), QStringLiteral("Улучшение"));
}

void TableTest::autoIncIsNeverReused()
{
    Fixture f;
    f.addPatient(QStringLiteral("А"));
    const qint64 second = f.addPatient(QStringLiteral("Б"));
    Table &r = *f.dm1->register_;
    QVERIFY(r.locate(QStringLiteral("ID_man"), second));
    QVERIFY(r.deleteRecord());
    QCOMPARE(f.addPatient(QStringLiteral("В")), second + 1);
    // Nor after the program starts again.
    f.openModules();
    QCOMPARE(f.addPatient(QStringLiteral("Г")), second + 2);
    // The hidden key of lech_puva behaves the same.
    Table &p = *f.dm2->lech_puva;
    p.append();
    p.setValue("Nom_proc", 1);
    p.post();
    const qint64 k = p.currentRowKey();
    p.deleteRecord();
    p.append();
    p.setValue("Nom_proc", 2);
    p.post();
    QCOMPARE(p.currentRowKey(), k + 1);
}

void TableTest::beforePostMayCancelAndReEdit()
{
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    Table &r = *f.dm1->register_;
    Table &zab = *f.dm1->anamnez_zab;
    zab.insert();
    zab.post();
    r.edit();
    r.setValue("First_Name", QStringLiteral("Пётр"));
    zab.edit();
    zab.setValue("Other", QStringLiteral("что-то"));
    bool afterPostRan = false;
    // What the protection rule does when the doctor says No: both pending records are put back.
    r.beforePost = [&](Table &t) {
        for (Table *x : {&t, &zab}) {
            if (x->modified()) {
                x->cancel();
                x->edit();
            }
        }
    };
    r.afterPost = [&](Table &) { afterPostRan = true; };
    QVERIFY(r.post());
    QVERIFY(afterPostRan);
    QCOMPARE(r.state(), TableState::Browse);
    QCOMPARE(r.asString("First_Name"), QString());
    QCOMPARE(zab.state(), TableState::Edit);
    QVERIFY(!zab.modified());
    QVERIFY(zab.isNull(QStringLiteral("Other")));
    r.refresh();
    QCOMPARE(r.asString("First_Name"), QString());
}

void TableTest::refusedPostStaysInInsertState()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    Table &life = *f.dm1->anamnez_life;
    life.insert();
    QVERIFY(life.post());
    // A second record for the same patient violates the table's key.
    life.append();
    life.setValue("Pitanie", true);
    QVERIFY(!life.post());
    QCOMPARE(life.state(), TableState::Insert);
    QVERIFY(!life.lastError().isEmpty());
    QCOMPARE(dialogs.transcript.size(), 1);
    QVERIFY(dialogs.transcript.first().startsWith(QStringLiteral("message: Ошибка: Не удалось записать")));
    life.cancel();
    QCOMPARE(life.recordCount(), 1);
}

void TableTest::filterAndOrderOfRegister()
{
    Fixture f;
    f.addPatient(QStringLiteral("борисова"), 3); // lower case: not an upper-case "Б" surname
    f.addPatient(QStringLiteral("Белов"), 1);
    f.addPatient(QStringLiteral("Антонов"), 2);
    f.addPatient(QStringLiteral("Ёлкин"), 4);
    Table &r = *f.dm1->register_;
    auto names = [&] {
        QStringList out;
        for (int i = 0; i < r.recordCount(); ++i)
            out << r.valueAt(i, r.fieldIndex(QStringLiteral("Last_Name"))).toString();
        return out;
    };
    QCOMPARE(names(), QStringList({"Антонов", "Белов", "борисова", "Ёлкин"}));
    QVERIFY(r.setFilter(QStringLiteral("Last_Name = 'Б*'")));
    QCOMPARE(names(), QStringList({"Белов"}));
    QCOMPARE(r.recordCount(), 1);
    QVERIFY(r.setFilter(QString()));
    QCOMPARE(r.recordCount(), 4);
    r.setOrderField(QStringLiteral("Amb_karta"));
    QCOMPARE(names(), QStringList({"Белов", "Антонов", "борисова", "Ёлкин"}));
    r.setOrderField(QStringLiteral("Last_Name"));
    // A blank discharge date passes the archive clause.
    QVERIFY(r.setFilter(QStringLiteral("( Vip_date > '01.01.2025' or Vip_date < '1.1.1910 ')")));
    QCOMPARE(r.recordCount(), 4);
    // Changing the filter takes the list to its first record.
    QCOMPARE(r.recNo(), 1);
    // Ё stands with Е in the alphabetical list.
    QVERIFY(r.setFilter(QString()));
    f.addPatient(QStringLiteral("Жуков"), 5);
    f.addPatient(QStringLiteral("Ершов"), 6);
    f.addPatient(QStringLiteral("Еремин"), 7);
    QCOMPARE(names(), QStringList({"Антонов", "Белов", "борисова", "Ёлкин", "Еремин", "Ершов", "Жуков"}));
}

void TableTest::postedRecordFollowsTheFilter_data()
{
    QTest::addColumn<QString>("action"); // "edit N NAME": the N-th listed gets NAME; "append NAME"
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<int>("recNo"); // where the cursor lands, 0 for an empty list
    QTest::addColumn<QString>("current");

    QTest::newRow("edited out of the middle: the next one is current")
        << "edit 2 Мамин" << QStringList{"Бабин", "Бутов"} << 2 << "Бутов";
    QTest::newRow("edited out at the end: the new last one")
        << "edit 3 Мамин" << QStringList{"Бабин", "Белов"} << 2 << "Белов";
    QTest::newRow("still matching stays current") << "edit 1 Бахов" << QStringList{"Бахов", "Белов", "Бутов"} << 1
                                                  << "Бахов";
    QTest::newRow("inserted not matching never shows")
        << "append Мамин" << QStringList{"Бабин", "Белов", "Бутов"} << 3 << "Бутов";
    QTest::newRow("inserted matching is listed") << "append Быков" << QStringList{"Бабин", "Белов", "Бутов", "Быков"}
                                                 << 4 << "Быков";
}

void TableTest::postedRecordFollowsTheFilter()
{
    QFETCH(QString, action);
    QFETCH(QStringList, listed);
    QFETCH(int, recNo);
    QFETCH(QString, current);
    Fixture f;
    for (const char *name : {"Бабин", "Белов", "Антонов", "Бутов"})
        f.addPatient(QString::fromUtf8(name));
    Table &r = *f.dm1->register_;
    r.setOrderField(QStringLiteral("Last_Name"));
    QVERIFY(r.setFilter(QStringLiteral("Last_Name = 'Б*'")));
    const QStringList words = action.split(QLatin1Char(' '));
    if (words[0] == QLatin1String("edit")) {
        r.setRecNo(words[1].toInt());
        r.edit();
    } else {
        r.append();
    }
    QVERIFY(r.setValue("Last_Name", words.last()));
    QStringList events;
    r.afterPost = [&](Table &) { events << QStringLiteral("afterPost"); };
    r.afterScroll = [&](Table &) { events << QStringLiteral("afterScroll"); };
    QVERIFY(r.post());

    QStringList names;
    for (int i = 0; i < r.recordCount(); ++i)
        names << r.valueAt(i, r.fieldIndex(QStringLiteral("Last_Name"))).toString();
    QCOMPARE(names, listed);
    QCOMPARE(r.recordCount(), listed.size());
    QCOMPARE(r.recNo(), recNo);
    QCOMPARE(r.asString("Last_Name"), current);
    const bool left = !words.last().startsWith(QStringLiteral("Б"));
    QCOMPARE(events, left ? QStringList({"afterPost", "afterScroll"}) : QStringList({"afterPost"}));
    // The walk of the filtered list agrees with its count.
    int walked = 0;
    for (r.first(); !r.eof(); r.next())
        ++walked;
    QCOMPARE(walked, listed.size());
    QCOMPARE(f.countRows(QStringLiteral("register")), words[0] == QLatin1String("edit") ? 4 : 5);
}

void TableTest::detailBegunUnderNewMasterIsStoredWithItsLink()
{
    Fixture f;
    ScopedScriptedDialogs dialogs;
    Table &r = *f.dm1->register_;
    Table &o = *f.dm2->osmotr1;
    r.append();
    r.setValue("Last_Name", QStringLiteral("Новиков"));
    o.append();
    o.setValue("Date", QDate(2026, 1, 10));
    // Stored on its own, the examination would have no patient: refused, and kept.
    QVERIFY(!o.post());
    QCOMPARE(o.state(), TableState::Insert);
    QCOMPARE(f.countRows(QStringLiteral("osmotr_1")), 0);
    QCOMPARE(dialogs.transcript.size(), 1);
    QVERIFY(r.post());
    QCOMPARE(o.state(), TableState::Browse);
    QCOMPARE(o.recordCount(), 1);
    QSqlQuery q(f.db.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT \"ID_man\", \"Date\" FROM osmotr_1")) && q.next());
    QCOMPARE(q.value(0).toLongLong(), r.asInteger("ID_man"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("2026-01-10"));
}

void TableTest::detailOfGivenUpMasterIsDropped()
{
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    Table &r = *f.dm1->register_;
    Table &o = *f.dm2->osmotr1;
    r.append();
    o.append();
    o.setValue("Date", QDate(2026, 1, 10));
    r.cancel();
    QCOMPARE(o.state(), TableState::Browse);
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Антонов"));
    QCOMPARE(o.recordCount(), 0);
    QCOMPARE(f.countRows(QStringLiteral("osmotr_1")), 0);
}

void TableTest::detailThatCannotBeStoredStaysWhenTheMasterPosts()
{
    Fixture f;
    ScopedScriptedDialogs dialogs;
    Table &r = *f.dm1->register_;
    Table &o = *f.dm2->osmotr1;
    bool refuse = true;
    QObject::connect(&o, &Table::updateRecordRequested, &o, [&] {
        if (refuse)
            o.refuseUpdate(QStringLiteral("Вес: значение «abc» недопустимо."));
    });
    r.append();
    r.setValue("Last_Name", QStringLiteral("Новиков"));
    o.append();
    o.setValue("Date", QDate(2026, 1, 10));
    QVERIFY(r.post());
    // The patient is stored; the examination waits in its insert with everything typed.
    QCOMPARE(o.state(), TableState::Insert);
    QCOMPARE(o.asDate("Date"), QDate(2026, 1, 10));
    QCOMPARE(f.countRows(QStringLiteral("osmotr_1")), 0);
    QVERIFY(dialogs.transcript.join(QLatin1Char('\n')).contains(QStringLiteral("«abc»")));
    refuse = false;
    QVERIFY(o.post());
    QSqlQuery q(f.db.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT \"ID_man\" FROM osmotr_1")) && q.next());
    QCOMPARE(q.value(0).toLongLong(), r.asInteger("ID_man"));
}

void TableTest::malformedFilterKeepsThePreviousOne()
{
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    f.addPatient(QStringLiteral("Белов"));
    Table &r = *f.dm1->register_;
    QVERIFY(r.setFilter(QStringLiteral("Last_Name = 'А*'")));
    QString error;
    QVERIFY(!r.setFilter(QStringLiteral("Last_Name = 'А*"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(r.filter(), QStringLiteral("Last_Name = 'А*'"));
    QCOMPARE(r.recordCount(), 1);
}

void TableTest::textOrderIgnoresCaseAndPutsYoWithYe()
{
    Fixture f;
    // Added in this order; "(blank)" is a patient without a surname.
    const QStringList added = {"Яков", "ёлкин", "Елкин", "(blank)", "Ёлкин", "ELKIN", "elkin", "Ежов", "Ёж",
                               "яков", "Ёлкин", "Елкина", "Äpfel", "apfel", "Zorn"};
    for (const QString &name : added) {
        Table &r = *f.dm1->register_;
        r.append();
        if (name != QLatin1String("(blank)"))
            r.setValue(QStringLiteral("Last_Name"), name);
        QVERIFY(r.post());
    }
    // The rule written out: blanks first, then case-insensitive with Ё as Е, then the text itself
    // case-insensitive, then the order of creation.
    QList<int> expected(added.size());
    std::iota(expected.begin(), expected.end(), 0);
    auto yo = [](QString s) { return s.replace(QChar(0x0401), QChar(0x0415)).replace(QChar(0x0451), QChar(0x0435)); };
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
        const bool blankA = added[a] == QLatin1String("(blank)"), blankB = added[b] == QLatin1String("(blank)");
        if (blankA != blankB)
            return blankA;
        if (const int c = yo(added[a]).compare(yo(added[b]), Qt::CaseInsensitive); c != 0)
            return c < 0;
        return added[a].compare(added[b], Qt::CaseInsensitive) < 0;
    });
    Table &r = *f.dm1->register_;
    for (int pass = 0; pass < 2; ++pass) {
        QStringList listed, wanted;
        for (int i = 0; i < r.recordCount(); ++i) {
            const QVariant v = r.valueAt(i, r.fieldIndex(QStringLiteral("Last_Name")));
            listed << (v.isValid() ? v.toString() : QStringLiteral("(blank)")) + QLatin1Char('#') +
                          QString::number(r.valueAt(i, r.fieldIndex(QStringLiteral("ID_man"))).toLongLong());
        }
        for (int i : expected)
            wanted << added[i] + QLatin1Char('#') + QString::number(i + 1);
        QCOMPARE(listed, wanted);
        r.refresh(); // the same order when the whole list is read and sorted at once
    }
}

void TableTest::walkVisitsEveryRecordOnce()
{
    Fixture f;
    for (const char *n : {"В", "А", "Б"})
        f.addPatient(QString::fromUtf8(n));
    Table &r = *f.dm1->register_;
    QStringList seen;
    r.first();
    while (!r.eof()) {
        seen << r.asString("Last_Name");
        r.next();
    }
    QCOMPARE(seen, QStringList({"А", "Б", "В"}));
    QCOMPARE(r.recNo(), 3);
    r.prior();
    r.prior();
    QVERIFY(!r.bof());
    r.prior();
    QVERIFY(r.bof());
    QCOMPARE(r.recNo(), 1);
    r.setRecNo(2);
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Б"));
}

namespace {

// A register larger than the part of it held whole: patient n (1-based) is "Фамилия<n, 4 digits>"
// with the first name "Имя<n>", the telephone "555-<n>", a memo and card number 10000 - n; written
// past the tables, in one transaction, and read by a refresh.
constexpr int kLargeRegister = 1500;

void writeLargeRegister(Fixture &f)
{
    QSqlQuery q(f.db.sql());
    QVERIFY(f.db.sql().transaction());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO register (\"Last_Name\", \"First_Name\", \"Telephone_home\", \"Other\", "
                                     "\"Amb_karta\", \"Reg_date\") VALUES (?, ?, ?, ?, ?, ?)")));
    for (int n = 1; n <= kLargeRegister; ++n) {
        q.addBindValue(QStringLiteral("Фамилия%1").arg(n, 4, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("Имя%1").arg(n));
        q.addBindValue(QStringLiteral("555-%1").arg(n));
        q.addBindValue(QStringLiteral("заметка о пациенте %1").arg(n));
        q.addBindValue(10000 - n);
        q.addBindValue(f.db.backend() == Database::Backend::PostgreSQL ? QVariant(QDate(2020, 1, 1).addDays(n))
                                                                       : QVariant(QDate(2020, 1, 1).addDays(n).toString(Qt::ISODate)));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(f.db.sql().commit());
    f.dm1->register_->refresh();
}

int patientNumber(const QString &lastName)
{
    return lastName.mid(7).toInt();
}

} // namespace

void TableTest::registerHoldsOnlyWhatTheListNeeds()
{
    Fixture f;
    writeLargeRegister(f);
    Table &r = *f.dm1->register_;
    QVERIFY(r.isPartial());
    QCOMPARE(r.recordCount(), kLargeRegister);
    // Rows far apart, read whole as they are looked at: stored fields, memo, calculated fields.
    const int first = r.fieldIndex(QStringLiteral("First_Name"));
    const int memo = r.fieldIndex(QStringLiteral("Other"));
    const int admission = r.fieldIndex(QStringLiteral("Dat_per_pos"));
    r.addCalcHandler([](Table &t) {
        t.setValue(QStringLiteral("Dat_per_pos"), t.asDate(QStringLiteral("Reg_date")).toString(QStringLiteral("dd.MM.yyyy")));
    });
    for (int row : {0, 1499, 700, 63, 64, 1436, 3}) {
        const int n = row + 1;
        QCOMPARE(r.valueAt(row, first).toString(), QStringLiteral("Имя%1").arg(n));
        QCOMPARE(r.valueAt(row, memo).toString(), QStringLiteral("заметка о пациенте %1").arg(n));
        QCOMPARE(r.valueAt(row, admission).toString(), QDate(2020, 1, 1).addDays(n).toString(QStringLiteral("dd.MM.yyyy")));
        const std::vector<QVariant> whole = r.recordAt(row);
        QCOMPARE(whole[size_t(r.fieldIndex(QStringLiteral("Telephone_home")))].toString(), QStringLiteral("555-%1").arg(n));
        QCOMPARE(whole[size_t(admission)].toString(), r.valueAt(row, admission).toString());
    }
    // A field changed on a record read whole is stored, and read back after the rows are dropped.
    r.setRecNo(1200);
    QCOMPARE(r.asString(QStringLiteral("Telephone_home")), QStringLiteral("555-1200"));
    r.edit();
    QVERIFY(r.setValue(QStringLiteral("Telephone_home"), QStringLiteral("8-800")));
    QVERIFY(r.post());
    QSqlQuery q(f.db.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT \"Telephone_home\" FROM register WHERE \"Last_Name\" = 'Фамилия1200'")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("8-800"));
    r.refresh();
    QCOMPARE(r.recNo(), 1200);
    QCOMPARE(r.asString(QStringLiteral("Telephone_home")), QStringLiteral("8-800"));
    QCOMPARE(r.asString(QStringLiteral("Other")), QStringLiteral("заметка о пациенте 1200"));
    // An edit given up brings back every field, not only those the list keeps.
    r.edit();
    QVERIFY(r.setValue(QStringLiteral("Other"), QStringLiteral("стёрто")));
    QVERIFY(r.setValue(QStringLiteral("Last_Name"), QStringLiteral("Стёртов")));
    r.cancel();
    QCOMPARE(r.asString(QStringLiteral("Other")), QStringLiteral("заметка о пациенте 1200"));
    QCOMPARE(r.asString(QStringLiteral("Last_Name")), QStringLiteral("Фамилия1200"));
}

void TableTest::registerWalkReadsEveryRecordWhole()
{
    Fixture f;
    writeLargeRegister(f);
    Table &r = *f.dm1->register_;
    // Walking forward and back past the rows kept whole: every record is read right each time.
    for (int pass = 0; pass < 2; ++pass) {
        int n = pass == 0 ? 1 : kLargeRegister;
        pass == 0 ? r.first() : r.last();
        int seen = 0;
        while (!(pass == 0 ? r.eof() : r.bof())) {
            QCOMPARE(r.asString(QStringLiteral("First_Name")), QStringLiteral("Имя%1").arg(n));
            QCOMPARE(r.asString(QStringLiteral("Telephone_home")), QStringLiteral("555-%1").arg(n));
            QCOMPARE(patientNumber(r.asString(QStringLiteral("Last_Name"))), n);
            pass == 0 ? r.next() : r.prior();
            n += pass == 0 ? 1 : -1;
            ++seen;
        }
        QCOMPARE(seen, kLargeRegister);
    }
}

void TableTest::registerJumpsAndStepsReadTheRightCards()
{
    Fixture f;
    writeLargeRegister(f);
    Table &r = *f.dm1->register_;
    const int phone = r.fieldIndex(QStringLiteral("Telephone_home"));
    // A patient chosen far away is read alone; the steps from him read ahead, the grid reads its rows
    // in between, and the rows once kept whole are let go again past the limit: every card is right.
    int expected = 0;
    auto check = [&] {
        QCOMPARE(r.recNo(), expected);
        QCOMPARE(r.asString(QStringLiteral("First_Name")), QStringLiteral("Имя%1").arg(expected));
        QCOMPARE(r.asString(QStringLiteral("Other")), QStringLiteral("заметка о пациенте %1").arg(expected));
    };
    for (int round = 0; round < 3; ++round) {
        for (int jump : {1200, 7, 1500, 640, 641, 300}) {
            r.setRecNo(jump);
            expected = jump;
            check();
            for (int step = 0; step < 3; ++step) {
                const bool back = step == 1;
                back ? r.prior() : r.next();
                expected = std::clamp(expected + (back ? -1 : 1), 1, kLargeRegister);
                check();
            }
            const int grid = (jump * 7 + round * 131) % kLargeRegister;
            QCOMPARE(r.valueAt(grid, phone).toString(), QStringLiteral("555-%1").arg(grid + 1));
            check();
        }
        // Past the rows kept whole: a walk over a third of the list lets the earliest go.
        for (r.setRecNo(round * 400 + 1), expected = round * 400 + 1; expected < round * 400 + 520; ++expected) {
            QCOMPARE(r.asString(QStringLiteral("Telephone_home")), QStringLiteral("555-%1").arg(expected));
            r.next();
        }
    }
}

void TableTest::registerRecordThatCannotBeReadIsNotOverwritten()
{
    if (pelorin::testing::onServer())
        QSKIP("a case of the database file");
    ScopedScriptedDialogs dialogs;
    Fixture f;
    writeLargeRegister(f);
    Table &r = *f.dm1->register_;
    // The rest of the records can no longer be read (the table gone from under the program).
    QSqlQuery q(f.db.sql());
    QVERIFY(q.exec(QStringLiteral("ALTER TABLE register RENAME TO register_kept")));
    r.setRecNo(900);
    QCOMPARE(r.asString(QStringLiteral("Last_Name")), QStringLiteral("Фамилия0900")); // held in the list
    QVERIFY(!r.value(QStringLiteral("First_Name")).isValid());
    QCOMPARE(r.recordAt(899).size(), size_t(r.fieldCount()));
    QVERIFY(!r.valueAt(950, r.fieldIndex(QStringLiteral("Dat_per_pos"))).isValid());
    // Editing is refused with a message, so nothing unseen is written back blank.
    r.edit();
    QCOMPARE(r.state(), TableState::Browse);
    QCOMPARE(dialogs.transcript.size(), 1);
    QVERIFY(dialogs.transcript.first().contains(QStringLiteral("Не удалось прочитать запись таблицы register целиком")));
    QVERIFY(q.exec(QStringLiteral("SELECT \"First_Name\" FROM register_kept WHERE \"Last_Name\" = 'Фамилия0900'")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("Имя900"));
}

void TableTest::registerFiltersOrdersAndLocatesByAnyField_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QList<int>>("firstPatients"); // patient numbers of the first rows listed
    QTest::addColumn<int>("count");
    QTest::newRow("held field") << "Last_Name = 'Фамилия00*'" << "Last_Name" << QList<int>{1, 2, 3} << 99;
    QTest::newRow("field read for the filter") << "Telephone_home = '555-14*'" << "Last_Name" << QList<int>{14, 140, 141} << 111;
    QTest::newRow("memo read for the filter") << "Other = 'заметка о пациенте 1499'" << "Last_Name" << QList<int>{1499} << 1;
    QTest::newRow("order by a field read for it") << "" << "First_Name" << QList<int>{1, 10, 100} << kLargeRegister;
    QTest::newRow("card number order") << "" << "Amb_karta" << QList<int>{1500, 1499, 1498} << kLargeRegister;
    QTest::newRow("both at once") << "( First_Name = 'Имя7*' or Telephone_home = '555-8' )" << "Telephone_home"
                                  << QList<int>{7, 70, 700} << 112;
}

void TableTest::registerFiltersOrdersAndLocatesByAnyField()
{
    QFETCH(QString, filter);
    QFETCH(QString, order);
    QFETCH(QList<int>, firstPatients);
    QFETCH(int, count);
    Fixture f;
    writeLargeRegister(f);
    Table &r = *f.dm1->register_;
    r.setOrderField(order);
    QString error;
    QVERIFY2(r.setFilter(filter, &error), qPrintable(error));
    QCOMPARE(r.recordCount(), count);
    const int name = r.fieldIndex(QStringLiteral("Last_Name"));
    for (int i = 0; i < firstPatients.size(); ++i)
        QCOMPARE(patientNumber(r.valueAt(i, name).toString()), firstPatients[i]);
    // Locating by a field the list does not keep finds the record among the listed ones.
    const int last = patientNumber(r.valueAt(count - 1, name).toString());
    QVERIFY(r.locate(QStringLiteral("Telephone_home"), QStringLiteral("555-%1").arg(last)));
    QCOMPARE(r.recNo(), count);
    QCOMPARE(r.asString(QStringLiteral("Other")), QStringLiteral("заметка о пациенте %1").arg(last));
    QVERIFY(!r.locate(QStringLiteral("Telephone_home"), QStringLiteral("нет такого")));
    QCOMPARE(r.recNo(), count);
}

void TableTest::refreshAllReadsEveryTableAgain()
{
    Fixture f;
    f.addPatient(QStringLiteral("Рябов"));
    f.addExamination(QDate(2026, 1, 10));
    Table &o = *f.dm2->osmotr1;
    Table &e = *f.dm2->osmotr_elem;
    QCOMPARE(e.recordCount(), 0);
    // Written past the tables, as another seat would: a new patient, an element of the examination.
    QSqlQuery q(f.db.sql());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO osmotr_elem (\"ID_elem\", \"Name_elem\") VALUES (?, ?)")));
    q.addBindValue(o.asInteger(QStringLiteral("ID")));
    q.addBindValue(QStringLiteral("бляшки"));
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO register (\"Last_Name\") VALUES ('Агеев')")));
    f.dm1->register_->refreshAll();
    QCOMPARE(f.dm1->register_->recordCount(), 2);
    QVERIFY(f.dm1->register_->locate(QStringLiteral("Last_Name"), QStringLiteral("Рябов")));
    QCOMPARE(o.recordCount(), 1);
    QCOMPARE(e.recordCount(), 1);
    QCOMPARE(e.asString(QStringLiteral("Name_elem")), QStringLiteral("бляшки"));
}

void TableTest::calculatedFieldsStartBlankAndAreCut()
{
    Fixture f;
    Table &r = *f.dm1->register_;
    int calls = 0;
    r.addCalcHandler([&](Table &t) {
        ++calls;
        QVERIFY(t.field("flag").isNull()); // starts blank every time
        if (t.asString("Last_Name") == QStringLiteral("Антонов"))
            t.setValue("flag", QStringLiteral("-long"));
        t.setValue("flag_day", t.asInteger("Amb_karta") * 2);
    });
    f.addPatient(QStringLiteral("Антонов"), 5);
    f.addPatient(QStringLiteral("Белов"), 7);
    r.first();
    QCOMPARE(r.asString("flag"), QStringLiteral("-lo")); // String(3)
    QCOMPARE(r.asInteger("flag_day"), 10);
    QCOMPARE(r.valueAt(1, r.fieldIndex("flag_day")).toLongLong(), 14);
    QVERIFY(r.valueAt(1, r.fieldIndex("flag")).isNull());
    const int before = calls;
    r.asString("flag");
    QCOMPARE(calls, before); // computed once per record, not per read
    r.edit();
    r.setValue("Amb_karta", 6);
    QCOMPARE(r.asInteger("flag_day"), 12);
    r.cancel();
    QCOMPARE(r.asInteger("flag_day"), 10);
    QVERIFY(!r.setValue("flag", QStringLiteral("x"))); // never written by the program
}

void TableTest::detailCalculationsFollowTheMaster()
{
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    f.addExamination(QDate(2026, 1, 10));
    Table &r = *f.dm1->register_;
    Table &o = *f.dm2->osmotr1;
    o.addCalcHandler([&r](Table &t) { t.setValue("Dinam", qRound64(r.asFloat("Ves"))); });
    QCOMPARE(o.asInteger("Dinam"), 0);
    r.edit();
    r.setValue("Ves", 71);
    QCOMPARE(o.asInteger("Dinam"), 71);
    r.cancel();
    QCOMPARE(o.asInteger("Dinam"), 0);
}

void TableTest::postedRecordsSurviveReopening()
{
    if (pelorin::testing::onServer())
        QSKIP("a case of the database file");
    QTemporaryDir dir;
    {
        Database db;
        QString error;
        QVERIFY2(db.open(dir.path(), &error), qPrintable(error));
        DM1 dm1(db);
        QVERIFY(dm1.open(&error));
        Table &r = *dm1.register_;
        r.append();
        r.setValue("Last_Name", QStringLiteral("Долгов"));
        r.setValue("Reg_date", QDateTime(QDate(2025, 3, 1), QTime(13, 45)));
        r.setValue("Ves", 81.3);
        r.setValue("Sex", QStringLiteral("муж"));
        r.post();
    }
    Database db;
    QString error;
    QVERIFY2(db.open(dir.path(), &error), qPrintable(error));
    DM1 dm1(db);
    QVERIFY(dm1.open(&error));
    Table &r = *dm1.register_;
    QCOMPARE(r.recordCount(), 1);
    QCOMPARE(r.asDate("Reg_date"), QDate(2025, 3, 1));
    QCOMPARE(r.asFloat("Ves"), 81.3);
    QSqlQuery q(db.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT Reg_date FROM register")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("2025-03-01"));
}

void TableTest::lechPuvaKeepsCreationOrder()
{
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    Table &p = *f.dm2->lech_puva;
    for (int i : {3, 1, 2}) {
        p.append();
        p.setValue("Nom_proc", i);
        p.post();
    }
    QStringList order;
    for (p.first(); !p.eof(); p.next())
        order << p.asString("Nom_proc");
    QCOMPARE(order, QStringList({"3", "1", "2"}));
    QVERIFY(p.field("ID").isNull());
}

void TableTest::corruptFileGivesMessage()
{
    if (pelorin::testing::onServer())
        QSKIP("a case of the database file");
    QTemporaryDir dir;
    QFile file(dir.filePath(Database::fileName()));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();
    Database db;
    QString error;
    QVERIFY(!db.open(dir.path(), &error));
    QVERIFY2(error.contains(Database::fileName()), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("повреждён")), qPrintable(error));
    QVERIFY(!db.isOpen());
}

void TableTest::openRefusesWhatItMustNotWrite_data()
{
    QTest::addColumn<QString>("file"); // "missing", "empty", "folder", "foreign"
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("words");
    const int create = int(Database::OpenMode::Create);
    const int existing = int(Database::OpenMode::Existing);
    const int readOnly = int(Database::OpenMode::ReadOnly);
    QTest::newRow("missing, existing wanted") << "missing" << existing << QStringLiteral("не найден");
    QTest::newRow("missing, read-only") << "missing" << readOnly << QStringLiteral("не найден");
    for (const int mode : {create, existing, readOnly}) {
        const QByteArray m = QByteArray::number(mode);
        QTest::newRow(QByteArray("empty file, mode " + m).constData()) << "empty" << mode << QStringLiteral("повреждён");
        QTest::newRow(QByteArray("folder in its place, mode " + m).constData()) << "folder" << mode << QStringLiteral("папка");
        QTest::newRow(QByteArray("another program's database, mode " + m).constData()) << "foreign" << mode << QStringLiteral("повреждён");
    }
}

void TableTest::openRefusesWhatItMustNotWrite()
{
    if (pelorin::testing::onServer())
        QSKIP("a case of the database file");
    QFETCH(QString, file);
    QFETCH(int, mode);
    QFETCH(QString, words);
    QTemporaryDir dir;
    const QString path = dir.filePath(Database::fileName());
    if (file == QLatin1String("empty")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (file == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(Database::fileName()));
    } else if (file == QLatin1String("foreign")) {
        const QString connection = QStringLiteral("foreign");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE accounts (id INTEGER, name TEXT)")));
            other.close();
        }
        QSqlDatabase::removeDatabase(connection);
    }
    auto content = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    };
    const QByteArray before = content();
    Database db;
    QString error;
    QVERIFY(!db.open(dir.path(), &error, Database::OpenMode(mode)));
    QVERIFY(!db.isOpen());
    QVERIFY2(error.contains(Database::fileName()), qPrintable(error));
    QVERIFY2(error.contains(words), qPrintable(error));
    QCOMPARE(content(), before);
    QCOMPARE(QFileInfo::exists(path), file != QLatin1String("missing"));
}

void TableTest::readOnlyOpenChangesNothing()
{
    if (pelorin::testing::onServer())
        QSKIP("a case of the database file");
    QTemporaryDir dir;
    const QString path = dir.filePath(Database::fileName());
    {
        Database db;
        QString error;
        QVERIFY2(db.open(dir.path(), &error), qPrintable(error));
        QSqlQuery q(db.sql());
        QVERIFY(q.exec(QStringLiteral("INSERT INTO register (Last_Name) VALUES ('Антонов')")));
    }
    auto content = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = content();
    Database db;
    QString error;
    QVERIFY2(db.open(dir.path(), &error, Database::OpenMode::ReadOnly), qPrintable(error));
    QSqlQuery q(db.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT Last_Name FROM register")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("Антонов"));
    q.finish();
    QVERIFY(!q.exec(QStringLiteral("INSERT INTO register (Last_Name) VALUES ('Белов')")));
    db.close();
    QCOMPARE(content(), before);
}

namespace {

QStringList lastNames(Database &db)
{
    QStringList names;
    QSqlQuery q(db.sql());
    if (!q.exec(QStringLiteral("SELECT Last_Name FROM register ORDER BY ID_man")))
        return {q.lastError().text()};
    while (q.next())
        names << q.value(0).toString();
    return names;
}

} // namespace

// A backup, "pelorin-cli report" or "check" reads the file while the program has it open and has
// just posted: the records are still in the WAL, and the reader sees them there.
void TableTest::readersSeeWhatTheWriterPosted()
{
    if (pelorin::testing::onServer())
        QSKIP("a case of the database file");
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    {
        Transaction t(f.db);
        f.addPatient(QStringLiteral("Белов"));
        QVERIFY(t.commit());
    }
    QVERIFY(QFileInfo(f.db.filePath() + QStringLiteral("-wal")).size() > 0);

    Database reader;
    QString error;
    QVERIFY2(reader.open(f.dir.path(), &error, Database::OpenMode::ReadOnly), qPrintable(error));
    QCOMPARE(lastNames(reader), QStringList({QStringLiteral("Антонов"), QStringLiteral("Белов")}));
    QVERIFY(reader.quickCheck().isEmpty());

    // A reader in the middle of its walk does not hold the program up; it sees the new record on its
    // next read.
    QSqlQuery walk(reader.sql());
    QVERIFY(walk.exec(QStringLiteral("SELECT Last_Name FROM register")) && walk.next());
    f.addPatient(QStringLiteral("Васильев"));
    QCOMPARE(f.countRows(QStringLiteral("register")), 3);
    walk.finish();
    QCOMPARE(lastNames(reader).size(), 3);
    QVERIFY(!QSqlQuery(reader.sql()).exec(QStringLiteral("DELETE FROM register")));
    QCOMPARE(f.countRows(QStringLiteral("register")), 3);
}

// The file is no longer taken by the first connection: one copy of the program per folder is kept by
// tarvelo.lock, taken before the password (form1_test, secondCopyIsRefusedBeforeThePassword). A second
// connection opens beside the first, and neither loses what the other wrote.
void TableTest::secondConnectionSharesTheFile()
{
    if (pelorin::testing::onServer())
        QSKIP("a case of the database file");
    QTemporaryDir dir;
    Database first;
    QString error;
    QVERIFY2(first.open(dir.path(), &error), qPrintable(error));
    QVERIFY(QSqlQuery(first.sql()).exec(QStringLiteral("INSERT INTO register (Last_Name) VALUES ('Антонов')")));
    Database second;
    QVERIFY2(second.open(dir.path(), &error, Database::OpenMode::Existing), qPrintable(error));
    QCOMPARE(lastNames(second), QStringList({QStringLiteral("Антонов")}));
    QVERIFY(QSqlQuery(second.sql()).exec(QStringLiteral("INSERT INTO register (Last_Name) VALUES ('Белов')")));
    QCOMPARE(lastNames(first), QStringList({QStringLiteral("Антонов"), QStringLiteral("Белов")}));
    first.close();
    QVERIFY(QSqlQuery(second.sql()).exec(QStringLiteral("INSERT INTO register (Last_Name) VALUES ('Васильев')")));
    second.close();
    QVERIFY2(first.open(dir.path(), &error, Database::OpenMode::ReadOnly), qPrintable(error));
    QCOMPARE(lastNames(first).size(), 3);
    QVERIFY(first.quickCheck().isEmpty());
}

QTEST_GUILESS_MAIN(TableTest)
#include "table_test.moc"
