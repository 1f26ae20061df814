#include "changelog.h"
#include "clinicfixture.h"
#include "clock.h"
#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "protection.h"
#include "register.h"
#include "schema.h"
#include "settings.h"
#include "table.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::db;

namespace {

const QDate kToday(2025, 2, 1);

// A fresh database with both data modules wired as the program wires them: register calculation,
// register events and the protection handlers.
struct Fixture : testing::ClinicFixture
{
    std::unique_ptr<PatientOps> ops;

    Fixture()
    {
        installRegisterEvents(*dm1, *dm2);
        ops = std::make_unique<PatientOps>(*dm1, *dm2, settings, log);
    }

    qint64 addPatient(const QVariantMap &fields)
    {
        Table &r = reg();
        r.append();
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            if (!r.setValue(it.key(), it.value()))
                qFatal("cannot set %s", qPrintable(it.key()));
        }
        if (!r.post())
            qFatal("post failed");
        return r.asInteger(QStringLiteral("ID_man"));
    }

    qint64 addPatient(const QString &lastName) { return addPatient({{QStringLiteral("Last_Name"), lastName}}); }

    // A patient made by the real operation, then named.
    qint64 newPatient(const QString &lastName)
    {
        if (!ops->newPatient())
            qFatal("new patient failed");
        reg().edit();
        reg().setValue(QStringLiteral("Last_Name"), lastName);
        reg().post();
        return reg().asInteger(QStringLiteral("ID_man"));
    }

    qint64 scalar(const QString &sql)
    {
        QSqlQuery q(db.sql());
        if (!q.exec(sql) || !q.next())
            qFatal("query failed: %s", qPrintable(sql));
        return q.value(0).toLongLong();
    }

    QList<qint64> column(const QString &sql)
    {
        QSqlQuery q(db.sql());
        if (!q.exec(sql))
            qFatal("query failed: %s", qPrintable(sql));
        QList<qint64> values;
        while (q.next())
            values << q.value(0).toLongLong();
        return values;
    }

    // Rows of every per-patient table that belong to the patient, photos and elements through his examinations.
    QMap<QString, qint64> recordsOf(qint64 id)
    {
        QMap<QString, qint64> counts;
        for (const TableDef &t : allTables()) {
            if (!*t.linkField || QLatin1String(t.masterObject) == QLatin1String("osmotr1"))
                continue;
            counts[QLatin1String(t.sqlName)] = scalar(QStringLiteral("SELECT count(*) FROM \"%1\" WHERE \"%2\" = %3")
                                                          .arg(QLatin1String(t.sqlName), QLatin1String(t.linkField))
                                                          .arg(id));
        }
        const QString exams = QStringLiteral("(SELECT \"ID\" FROM osmotr_1 WHERE \"ID_man\" = %1)").arg(id);
        counts[QStringLiteral("osmotr_elem")] =
            scalar(QStringLiteral("SELECT count(*) FROM osmotr_elem WHERE \"ID_elem\" IN ") + exams);
        counts[QStringLiteral("osmotr_img")] =
            scalar(QStringLiteral("SELECT count(*) FROM osmotr_img WHERE \"Id_man\" IN ") + exams);
        return counts;
    }
};

QString message(const QString &text)
{
    return QStringLiteral("message: Внимание!: ") + text;
}

QString question(const QString &text)
{
    return QStringLiteral("ask: Внимание!: ") + text;
}

const QString kDeleteQuestion = QStringLiteral("Вы уверены что хотите удалить данного пациента?");

} // namespace

class RegisterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void automaticDatesStopAtAPatientWithoutDiagnoses();
    void initTestCase();
    void cleanupTestCase();

    void ageCategory_data();
    void ageCategory();
    void calculatedFields_data();
    void calculatedFields();
    void documentsTextIsCutToItsWidth();
    void archiveDayCountIsReadAtEveryCalculation();

    void newPatientCreatesItsPlaceholderRecords();
    void newPatientSwitchesProtectionAndArchivesOff();
    void newPatientIsNumberedFromTheWholeRegister();
    void newPatientNeverGetsACardNumberAlreadyTaken();
    void firstPatientOfAnEmptyRegister();

    void deleteRemovesEveryRecordOfThePatientOnly();
    void deleteIsRefusedWhenTheListShowsOnePatient();
    void deleteStopsOnNo();

    void movingToAnotherPatientDropsTheCourseView();
    void flushAsksAndBeepsAroundTheWrite();
    void flushDeclinedDoesNothing();
};

void RegisterTest::initTestCase()
{
    clock::setFixedToday(kToday);
}

void RegisterTest::cleanupTestCase()
{
    clock::reset();
}

void RegisterTest::ageCategory_data()
{
    QTest::addColumn<QDate>("born");
    QTest::addColumn<QDate>("registered");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("expected");

    const QDate today(2025, 3, 20);
    QTest::newRow("34 at registration, 35 by the years")
        << QDate(1990, 6, 15) << QDate(2025, 2, 1) << today << "Взрослый (31-40)";
    QTest::newRow("same year, birth month is this month")
        << QDate(2025, 3, 2) << QDate(2025, 3, 10) << today << "Новорожденный (менее 1 мес)";
    QTest::newRow("same year, born two months before this month")
        << QDate(2025, 1, 31) << QDate(2025, 2, 5) << today << "Грудной (1-3 месяцы)";
    QTest::newRow("same year, three months")
        << QDate(2024, 9, 1) << QDate(2024, 10, 1) << QDate(2024, 12, 31) << "Грудной (1-3 месяцы)";
    QTest::newRow("same year, four months")
        << QDate(2024, 1, 1) << QDate(2024, 3, 1) << QDate(2024, 5, 1) << "Грудной (4-12 месяцы)";
    QTest::newRow("registered last year, birth month after this month")
        << QDate(2024, 11, 10) << QDate(2024, 12, 1) << today << "";
    QTest::newRow("blank birth date") << QDate(1899, 12, 30) << QDate(2025, 2, 1) << today
                                      << "Неправильная дата рождения";
    QTest::newRow("born in 1899") << QDate(1899, 5, 5) << QDate(2025, 2, 1) << today << "Неправильная дата рождения";
    // Both null: the same year 1899, and the month of today minus December is no category.
    QTest::newRow("null dates count as the zero date") << QDate() << QDate() << today << "";
    QTest::newRow("born after registration")
        << QDate(2026, 1, 1) << QDate(2025, 2, 1) << today << "Неправильная дата рождения";
    QTest::newRow("1 year") << QDate(2024, 12, 31) << QDate(2025, 1, 1) << today << "Дошкольный (1-6 )";
    QTest::newRow("6 years") << QDate(2019, 1, 1) << QDate(2025, 1, 1) << today << "Дошкольный (1-6 )";
    QTest::newRow("7 years") << QDate(2018, 1, 1) << QDate(2025, 1, 1) << today << "Препубератный (7-12)";
    QTest::newRow("12 years") << QDate(2013, 1, 1) << QDate(2025, 1, 1) << today << "Препубератный (7-12)";
    QTest::newRow("13 years") << QDate(2012, 1, 1) << QDate(2025, 1, 1) << today << "Пубератный (13-18)";
    QTest::newRow("18 years") << QDate(2007, 1, 1) << QDate(2025, 1, 1) << today << "Пубератный (13-18)";
    QTest::newRow("19 years") << QDate(2006, 1, 1) << QDate(2025, 1, 1) << today << "Юность (19-24)";
    QTest::newRow("25 years") << QDate(2000, 1, 1) << QDate(2025, 1, 1) << today << "Взрослый (25-30)";
    QTest::newRow("30 years") << QDate(1995, 1, 1) << QDate(2025, 1, 1) << today << "Взрослый (25-30)";
    QTest::newRow("31 years") << QDate(1994, 1, 1) << QDate(2025, 1, 1) << today << "Взрослый (31-40)";
    QTest::newRow("41 years") << QDate(1984, 1, 1) << QDate(2025, 1, 1) << today << "Взрослый (41-50)";
    QTest::newRow("51 years") << QDate(1974, 1, 1) << QDate(2025, 1, 1) << today << "Взрослый (51-60)";
    QTest::newRow("60 years") << QDate(1965, 1, 1) << QDate(2025, 1, 1) << today << "Взрослый (51-60)";
    QTest::newRow("61 years") << QDate(1964, 1, 1) << QDate(2025, 1, 1) << today << "Пенсионер (более 60)";
    QTest::newRow("110 years") << QDate(1915, 1, 1) << QDate(2025, 1, 1) << today << "Пенсионер (более 60)";
    QTest::newRow("111 years") << QDate(1914, 1, 1) << QDate(2025, 1, 1) << today << "Неправильная дата рождения";
}

void RegisterTest::ageCategory()
{
    QFETCH(QDate, born);
    QFETCH(QDate, registered);
    QFETCH(QDate, today);
    QFETCH(QString, expected);
    QCOMPARE(db::ageCategory(born, registered, today), expected);
}

void RegisterTest::calculatedFields_data()
{
    QTest::addColumn<QVariantMap>("record");
    QTest::addColumn<QVariantMap>("expected"); // field -> text as read; "" for blank

    using M = QVariantMap;
    const QString breaks = QStringLiteral("\r\n\r\n");
    auto text = [](const QString &s) { return QVariant(s); };

    // Doza_txt
    QTest::newRow("dose 1205") << M{{"Doza", 1205}} << M{{"Doza_txt", "12,05"}};
    QTest::newRow("dose 1234") << M{{"Doza", 1234}} << M{{"Doza_txt", "12,34"}};
    QTest::newRow("dose 7") << M{{"Doza", 7}} << M{{"Doza_txt", "0,07"}};
    QTest::newRow("dose 0") << M{{"Doza", 0}} << M{{"Doza_txt", "0,00"}};
    QTest::newRow("blank dose") << M{} << M{{"Doza_txt", "0,00"}};

    // Vozrast_cat, through the record
    QTest::newRow("born 15.06.1990, registered 01.02.2025")
        << M{{"Born_dat", QDate(1990, 6, 15)}, {"Reg_date", QDate(2025, 2, 1)}}
        << M{{"Vozrast_cat", "Взрослый (31-40)"}};
    QTest::newRow("blank birth date, registered 2025")
        << M{{"Reg_date", QDate(2025, 1, 10)}} << M{{"Vozrast_cat", "Неправильная дата рождения"}};
    QTest::newRow("born and registered this month")
        << M{{"Born_dat", QDate(2025, 2, 1)}, {"Reg_date", QDate(2025, 2, 1)}}
        << M{{"Vozrast_cat", "Новорожденный (менее 1 мес)"}};

    // List_other
    QTest::newRow("no documents, no notes") << M{} << M{{"List_other", " "}};
    QTest::newRow("notes only") << M{{"Other", "Аллергия на пенициллин"}}
                                << M{{"List_other", " Аллергия на пенициллин"}};
    QTest::newRow("only the insurance company")
        << M{{"Polis_company", "СОГАЗ-Мед"}}
        << M{{"List_other", text("Страховой полис: Серия  Номер  Компания СОГАЗ-Мед" + breaks + " ")}};
    QTest::newRow("whole insurance policy")
        << M{{"Polis_serial", "ВВ"}, {"Polis_number", "1234567"}, {"Polis_company", "РОСНО"}}
        << M{{"List_other", text("Страховой полис: Серия ВВ Номер 1234567 Компания РОСНО" + breaks + " ")}};
    QTest::newRow("privilege term only")
        << M{{"Lgot_spr_date", "бессрочно"}}
        << M{{"List_other",
              text("Льготность: Категория льготности  Срок бессрочно . Справка МСЭК: Серия  Номер  Категория " +
                   breaks + " ")}};
    QTest::newRow("passport")
        << M{{"Passp_serial", "4510"},
             {"Passp_number", "123456"},
             {"Passp_data", "01.02.2010"},
             {"Passp_vidan", "ОВД Тверской"},
             {"Passp_cod", "770-001"}}
        << M{{"List_other",
              text("Пасспорт: Серия 4510 Номер 123456 Выдано ОВД Тверской 01.02.2010 Код подразделения 770-001" +
                   breaks + " ")}};
    QTest::newRow("passport series read with ten characters")
        << M{{"Passp_serial", "123456789012"}}
        << M{{"List_other", text("Пасспорт: Серия 1234567890 Номер  Выдано   Код подразделения " + breaks + " ")}};
    QTest::newRow("insurance, privilege, passport and notes")
        << M{{"Polis_number", "77"}, {"Lgot_cat", "2"}, {"Passp_vidan", "УФМС"}, {"Other", "инвалид II гр."}}
        << M{{"List_other",
              text("Страховой полис: Серия  Номер 77 Компания " + breaks +
                   "Льготность: Категория льготности 2 Срок  . Справка МСЭК: Серия  Номер  Категория " + breaks +
                   "Пасспорт: Серия  Номер  Выдано УФМС  Код подразделения " + breaks + " инвалид II гр.")}};

    // Dat_per_pos
    QTest::newRow("first admission on course 3")
        << M{{"Reg_date", QDate(2024, 3, 5)}, {"Born_Day", 3}} << M{{"Dat_per_pos", "05.03.2024 на 3 курс"}};
    QTest::newRow("first admission without course")
        << M{{"Reg_date", QDate(2024, 3, 5)}} << M{{"Dat_per_pos", "05.03.2024"}};
    QTest::newRow("course without registration date") << M{{"Born_Day", 2}} << M{{"Dat_per_pos", " на 2 курс"}};
    QTest::newRow("no first admission") << M{} << M{{"Dat_per_pos", ""}};

    // Posl_post
    QTest::newRow("later admission on course 2")
        << M{{"Reg_date", QDate(2024, 3, 5)}, {"Dat_posl_post", QDate(2025, 1, 10)}, {"NKurs_posl_post", 2}}
        << M{{"Posl_post", "10.01.2025"}};
    QTest::newRow("admission without course number")
        << M{{"Reg_date", QDate(2024, 3, 5)}, {"Dat_posl_post", QDate(2025, 1, 10)}} << M{{"Posl_post", ""}};
    QTest::newRow("last admission is the first one")
        << M{{"Reg_date", QDate(2024, 3, 5)}, {"Dat_posl_post", QDate(2024, 3, 5)}, {"NKurs_posl_post", 1}}
        << M{{"Posl_post", ""}};
    QTest::newRow("course number without admission date")
        << M{{"Reg_date", QDate(2024, 3, 5)}, {"NKurs_posl_post", 2}} << M{{"Posl_post", ""}};
    QTest::newRow("admission without registration date")
        << M{{"Dat_posl_post", QDate(2025, 1, 10)}, {"NKurs_posl_post", 1}} << M{{"Posl_post", "10.01.2025"}};

    // Dat_posl_pos
    QTest::newRow("last visit, procedure 7")
        << M{{"Dat_posl", QDate(2025, 1, 20)}, {"Puv_posl", 7}} << M{{"Dat_posl_pos", "20.01.2025  7пр."}};
    QTest::newRow("last visit without procedure number")
        << M{{"Dat_posl", QDate(2025, 1, 20)}} << M{{"Dat_posl_pos", "20.01.2025  0пр."}};
    QTest::newRow("last visit on the zero date")
        << M{{"Dat_posl", QDate(1899, 12, 30)}, {"Puv_posl", 3}} << M{{"Dat_posl_pos", ""}, {"flag", "!"}};

    // Status
    QTest::newRow("discharged 10.01.2025 after a visit on 05.01.2025")
        << M{{"Vip_date", QDate(2025, 1, 10)}, {"Dat_posl", QDate(2025, 1, 5)}, {"Puv_posl", 4}}
        << M{{"flag", "-"},       {"flag_day", ""},     {"flagold", "22"},
             {"flagoldstr", "+"}, {"Dat_posl_pos", ""}, {"Dat_posl_vip", "10.01.2025"}};
    QTest::newRow("visit on 20.01.2025 after a discharge on 10.01.2025")
        << M{{"Vip_date", QDate(2025, 1, 10)}, {"Dat_posl", QDate(2025, 1, 20)}, {"Puv_posl", 3}}
        << M{{"flag", "12"},
             {"flag_day", "12"},
             {"flagold", ""},
             {"flagoldstr", "+"},
             {"Dat_posl_pos", "20.01.2025  3пр."},
             {"Dat_posl_vip", ""}};
    QTest::newRow("visit on the day of the discharge")
        << M{{"Vip_date", QDate(2025, 1, 10)}, {"Dat_posl", QDate(2025, 1, 10)}}
        << M{{"flag", "-"}, {"Dat_posl_pos", ""}, {"Dat_posl_vip", "10.01.2025"}};
    QTest::newRow("discharged without any visit")
        << M{{"Vip_date", QDate(2025, 1, 10)}} << M{{"flag", "-"}, {"flagold", "22"}, {"Dat_posl_vip", "10.01.2025"}};
    QTest::newRow("no visit, no discharge")
        << M{} << M{{"flag", "!"}, {"flag_day", ""}, {"flagold", ""}, {"flagoldstr", "+"}, {"Dat_posl_vip", ""}};
    QTest::newRow("discharge on the zero date counts as none")
        << M{{"Vip_date", QDate(1899, 12, 30)}} << M{{"flag", "!"}, {"Dat_posl_vip", ""}};
    QTest::newRow("last visit 1234 days ago")
        << M{{"Dat_posl", kToday.addDays(-1234)}} << M{{"flag", "123"}, {"flag_day", "1234"}, {"flagoldstr", "+"}};
    QTest::newRow("visit today") << M{{"Dat_posl", kToday}} << M{{"flag", "0"}, {"flag_day", "0"}};
    QTest::newRow("discharged 149 days ago")
        << M{{"Vip_date", kToday.addDays(-149)}} << M{{"flagold", "149"}, {"flagoldstr", "+"}};
    QTest::newRow("discharged 150 days ago")
        << M{{"Vip_date", kToday.addDays(-150)}} << M{{"flagold", "150"}, {"flagoldstr", "-"}};
}

void RegisterTest::calculatedFields()
{
    QFETCH(QVariantMap, record);
    QFETCH(QVariantMap, expected);
    Fixture f;
    f.addPatient(record);
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QCOMPARE(f.reg().asString(it.key()), it.value().toString());
}

void RegisterTest::documentsTextIsCutToItsWidth()
{
    Fixture f;
    f.addPatient({{QStringLiteral("Other"), QString(1200, QLatin1Char('x'))}});
    const QString list = f.reg().asString(QStringLiteral("List_other"));
    QCOMPARE(list.size(), 1000);
    QVERIFY(list.startsWith(QStringLiteral(" xxx")));
}

void RegisterTest::archiveDayCountIsReadAtEveryCalculation()
{
    Fixture f;
    f.addPatient({{QStringLiteral("Vip_date"), kToday.addDays(-200)}});
    QCOMPARE(f.reg().asString(QStringLiteral("flagoldstr")), QStringLiteral("-"));
    f.settings.patientArchiveDays = 300;
    f.reg().invalidateCalc();
    QCOMPARE(f.reg().asString(QStringLiteral("flagoldstr")), QStringLiteral("+"));
}

void RegisterTest::newPatientNeverGetsACardNumberAlreadyTaken()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    // Every number of the range is taken but 500: whatever is drawn, the new card gets 500.
    QSqlQuery q(f.db.sql());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO register (\"Last_Name\", \"Amb_karta\") VALUES ('Занят', ?)")));
    for (int card = 0; card <= 998; ++card) {
        if (card == 500)
            continue;
        q.addBindValue(card);
        QVERIFY(q.exec());
    }
    f.reg().refresh();
    QCOMPARE(f.reg().recordCount(), 998);
    QVERIFY(f.ops->newPatient());
    QCOMPARE(f.reg().asInteger(QStringLiteral("Amb_karta")), 500);
}

void RegisterTest::newPatientCreatesItsPlaceholderRecords()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    f.log.append(QStringLiteral("-- start"));
    int cardShown = 0;
    QVERIFY(f.ops->newPatient([&] { ++cardShown; }));
    QCOMPARE(cardShown, 1);

    Table &reg = f.reg();
    const qint64 id = reg.asInteger(QStringLiteral("ID_man"));
    QCOMPARE(reg.state(), TableState::Browse);
    QCOMPARE(reg.asInteger(QStringLiteral("Number")), 2);
    QCOMPARE(reg.asDate(QStringLiteral("Reg_date")), kToday);
    const qint64 card = reg.asInteger(QStringLiteral("Amb_karta"));
    QVERIFY(card >= 0 && card <= 998);
    QVERIFY(!reg.isNull(QStringLiteral("Amb_karta")));

    // One record in each anamnesis table, one examination with one element, one blood test,
    // one drug record; nothing else.
    QMap<QString, qint64> expected;
    for (const char *t : {"anamnez_zab", "anamnez_zab_start", "anamnez_zab_ranlech", "anamnez_zab_obostr_prich",
                          "anamnez_zab_obostr_lech", "anamnez_zab_zalobi", "anamnez_life", "anamnez_life_zab",
                          "anamnez_life_sem", "osmotr_1", "osmotr_elem", "analyz", "lech_lekar"})
        expected[QLatin1String(t)] = 1;
    for (const char *t : {"post_vip", "osmotr_img", "lech_puva", "diagnoz", "recomend"})
        expected[QLatin1String(t)] = 0;
    QCOMPARE(f.recordsOf(id), expected);
    QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM register")), 2);

    QCOMPARE(f.scalar(QStringLiteral("SELECT \"Nom_osm\" FROM osmotr_1 WHERE \"ID_man\" = %1").arg(id)), 1);
    QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM osmotr_1 WHERE \"Date\" = '2025-02-01'")), 1);
    QCOMPARE(f.scalar(QStringLiteral("SELECT \"Nom_elem\" FROM osmotr_elem")), 2);
    QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM osmotr_elem WHERE \"Name_elem\" = ' '")), 1);

    // Every Boolean field false, and only the fields the operation names are set.
    const QStringList named = {QStringLiteral("Date"), QStringLiteral("Nom_osm"), QStringLiteral("Nom_elem"),
                               QStringLiteral("Name_elem")};
    for (const char *name : {"anamnez_zab", "anamnez_zab_start", "anamnez_zab_ranlech", "anamnez_zab_obostr_prich",
                             "anamnez_zab_obostr_lech", "anamnez_zab_zalobi", "anamnez_life", "anamnez_life_zab",
                             "anamnez_life_sem", "osmotr_1", "osmotr_elem", "analyz", "lech_lekar"}) {
        const TableDef &def = *findTableBySql(QLatin1String(name));
        const bool placeholder = def.dataModule == 2;
        for (const FieldDef &fd : def.fields) {
            const QString field = QLatin1String(fd.name);
            if (fd.calculated || field == QLatin1String(def.keyField) || field == QLatin1String(def.linkField) ||
                named.contains(field))
                continue;
            const QString where = fd.type == FieldType::Boolean && placeholder ? QStringLiteral("IS DISTINCT FROM 0")
                                                                               : QStringLiteral("IS NOT NULL");
            QVERIFY2(f.scalar(QStringLiteral("SELECT count(*) FROM \"%1\" WHERE \"%2\" %3")
                                  .arg(QLatin1String(name), field, where)) == 0,
                     qPrintable(QLatin1String(name) + QLatin1Char('.') + field));
        }
    }

    // The new patient and his new records are current.
    QCOMPARE(f.dm2->osmotr1->recordCount(), 1);
    QCOMPARE(f.dm2->osmotr_elem->recordCount(), 1);
    QCOMPARE(f.dm1->anamnez_zab_zalobi->recordCount(), 1);

    QCOMPARE(dialogs.transcript, QStringList{message(QStringLiteral("Запись для нового пациента создана."))});

    // Each post passed its table's protection check, which asked nothing.
    const QStringList lines = f.log.lines().mid(f.log.lines().indexOf(QStringLiteral("-- start")) + 1);
    QStringList checked;
    for (const QString &line : lines)
        checked << line.section(QStringLiteral("со стороны "), 1);
    QCOMPARE(checked,
             (QStringList{"register", "anamnez_zab", "anamnez_zab_start", "anamnez_zab_ranlech",
                          "anamnez_zab_obostr_prich", "obostr_lech", "anamnez_zab_zalobi", "anamnez_life",
                          "anamnez_life_zab", "anamnez_life_sem", "osmotr", "osmotr_elem", "analyz", "lech_lekar"}));
}

void RegisterTest::newPatientSwitchesProtectionAndArchivesOff()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    f.addPatient(QStringLiteral("Борисов"));
    f.settings.protectionOn = true;
    f.settings.protectionSuspended = true;
    f.settings.patientArchive = true;
    f.settings.examArchive = true;
    f.settings.examArchiveSuspended = true;
    QVERIFY(f.reg().setFilter(QStringLiteral("Last_Name = 'Б*'")));
    QVERIFY(f.dm2->osmotr1->setFilter(QStringLiteral("( Date > '01.01.2025' or Date < '1.1.1910 ')")));
    QVERIFY(f.dm2->osmotr_elem->setFilter(QStringLiteral("Nom_elem = 5")));
    QVERIFY(f.dm2->lech_puva->setFilter(QStringLiteral("Id_kurs = 2")));
    QSignalSpy changed(&f.settings, &RunSettings::changed);

    // The card is shown once everything is unfiltered and before the record exists.
    bool clearBeforeCard = false;
    QVERIFY(f.ops->newPatient([&] {
        clearBeforeCard = f.reg().filter().isEmpty() && f.dm2->osmotr1->filter().isEmpty() &&
                          f.dm2->osmotr_elem->filter().isEmpty() && f.dm2->lech_puva->filter().isEmpty() &&
                          !f.settings.protectionOn && f.reg().recordCount() == 2;
    }));
    QVERIFY(clearBeforeCard);
    QVERIFY(!f.settings.protectionOn);
    QVERIFY(!f.settings.protectionSuspended);
    QVERIFY(!f.settings.patientArchive);
    QVERIFY(!f.settings.examArchive);
    QVERIFY(!f.settings.examArchiveSuspended);
    QVERIFY(changed.count() >= 1);
    QCOMPARE(f.reg().recordCount(), 3);
    QCOMPARE(f.reg().asInteger(QStringLiteral("Number")), 3);
    // No question: the protection was off before the first post.
    QCOMPARE(dialogs.transcript, QStringList{message(QStringLiteral("Запись для нового пациента создана."))});
}

void RegisterTest::newPatientIsNumberedFromTheWholeRegister()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    for (const char *name : {"Антонов", "Борисов", "Быков"})
        f.addPatient(QString::fromUtf8(name));
    QVERIFY(f.reg().setFilter(QStringLiteral("Last_Name = 'А*'")));
    QVERIFY(f.ops->newPatient());
    QCOMPARE(f.reg().asInteger(QStringLiteral("Number")), 4);
    QCOMPARE(f.reg().recordCount(), 4);
}

void RegisterTest::firstPatientOfAnEmptyRegister()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    QVERIFY(f.ops->newPatient());
    QCOMPARE(f.reg().recordCount(), 1);
    QCOMPARE(f.reg().asInteger(QStringLiteral("Number")), 1);
    QCOMPARE(f.dm2->osmotr1->asInteger(QStringLiteral("Nom_osm")), 1);
    QCOMPARE(f.dm2->osmotr_elem->asInteger(QStringLiteral("Nom_elem")), 2);
    QCOMPARE(f.dm2->osmotr_elem->asString(QStringLiteral("Name_elem")), QStringLiteral(" "));
    QCOMPARE(f.dm2->analyz->recordCount(), 1);
    QCOMPARE(f.dm2->lech_lekar->recordCount(), 1);
    QCOMPARE(f.reg().asString(QStringLiteral("flag")), QStringLiteral("!"));
}

void RegisterTest::deleteRemovesEveryRecordOfThePatientOnly()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    // Two full patients: the one to delete has a course view and an archived examination hiding records.
    qint64 ids[2];
    QList<qint64> examsOfFirst;
    for (int p = 0; p < 2; ++p) {
        ids[p] = f.newPatient(p == 0 ? QStringLiteral("Архипов") : QStringLiteral("Белова"));
        Table &puva = *f.dm2->lech_puva;
        f.append(puva, {{"Id_kurs", 1}, {"Nom_proc", 1}, {"Date", kToday.addDays(-300)}});
        f.append(puva, {{"Id_kurs", 1}, {"Nom_proc", 2}, {"Date", kToday.addDays(-298)}});
        f.append(puva, {{"Id_kurs", 2}, {"Nom_proc", 1}, {"Date", kToday.addDays(-10)}});
        f.append(*f.dm2->diagnoz, {{"Data", kToday.addDays(-300)}, {"Text", "Диагноз при поступлении"}});
        f.append(*f.dm2->diagnoz, {{"Data", kToday.addDays(-290)}, {"Text", "Диагноз при выписке"}});
        f.append(*f.dm2->analyz, {{"Data", kToday.addDays(-5)}});
        f.append(*f.dm2->lech_lekar, {{"Data", kToday.addDays(-5)}, {"Lek", "Метотрексат"}});
        f.append(*f.dm2->recomend, {{"Data", kToday.addDays(-5)}});
        f.append(*f.dm1->post_vipis, {{"Reg_date", kToday.addDays(-300)}});
        f.append(*f.dm2->osmotr_img, {{"Link", "foto\\1.jpg"}}); // on the placeholder examination
        f.append(*f.dm2->osmotr1, {{"Date", kToday.addDays(-300)}, {"Nom_osm", 2}});
        f.append(*f.dm2->osmotr_elem, {{"Nom_elem", 1}, {"Name_elem", "Бляшка"}});
        f.append(*f.dm2->osmotr_elem, {{"Nom_elem", 2}, {"Name_elem", "Папула"}});
        f.append(*f.dm2->osmotr_img, {{"Link", "foto\\2.jpg"}});
        f.append(*f.dm2->osmotr_img, {{"Link", "foto\\3.jpg"}});
    }
    const QMap<QString, qint64> secondBefore = f.recordsOf(ids[1]);
    examsOfFirst = f.column(QStringLiteral("SELECT \"ID\" FROM osmotr_1 WHERE \"ID_man\" = %1").arg(ids[0]));
    QCOMPARE(examsOfFirst.size(), 2);

    Table &reg = f.reg();
    QVERIFY(reg.locate(QStringLiteral("ID_man"), ids[0]));
    QVERIFY(f.dm2->lech_puva->setFilter(QStringLiteral("Id_kurs = 2")));
    QCOMPARE(f.dm2->lech_puva->recordCount(), 1);
    f.settings.examArchive = true;
    const QString archive = QStringLiteral("( Date > '%1' or Date < '1.1.1910 ')")
                                .arg(kToday.addDays(-150).toString(QStringLiteral("dd.MM.yyyy")));
    QVERIFY(f.dm2->osmotr1->setFilter(archive));
    QCOMPARE(f.dm2->osmotr1->recordCount(), 1);
    QVERIFY(reg.setFilter(QStringLiteral("Last_Name = 'А*' or Last_Name = 'Б*'")));
    QVERIFY(reg.locate(QStringLiteral("ID_man"), ids[0]));
    const int linesBefore = int(f.log.lines().size());

    dialogs.transcript.clear();
    dialogs.answers << QStringLiteral("yes");
    QVERIFY(f.ops->deletePatient());
    QCOMPARE(dialogs.transcript, QStringList{question(kDeleteQuestion)});

    QMap<QString, qint64> none = f.recordsOf(ids[0]);
    for (auto it = none.begin(); it != none.end(); ++it) {
        if (it.key() == QLatin1String("post_vip"))
            continue; // no operation writes or deletes the admission history
        QVERIFY2(it.value() == 0, qPrintable(it.key()));
    }
    QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM register WHERE \"ID_man\" = %1").arg(ids[0])), 0);
    for (qint64 exam : examsOfFirst) {
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM osmotr_elem WHERE \"ID_elem\" = %1").arg(exam)), 0);
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM osmotr_img WHERE \"Id_man\" = %1").arg(exam)), 0);
    }
    QCOMPARE(f.recordsOf(ids[1]), secondBefore);

    // The list shows every patient; the archive stays as set, the course view is gone.
    QVERIFY(reg.filter().isEmpty());
    QCOMPARE(reg.recordCount(), 1);
    QCOMPARE(reg.asInteger(QStringLiteral("ID_man")), ids[1]);
    QCOMPARE(f.dm2->osmotr1->filter(), archive);
    QCOMPARE(f.dm2->osmotr1->recordCount(), 1);
    QVERIFY(f.settings.examArchive);
    QVERIFY(f.dm2->lech_puva->filter().isEmpty());
    QCOMPARE(f.dm2->lech_puva->recordCount(), 3);
    // A deletion asks no protection question and writes no log line.
    QCOMPARE(int(f.log.lines().size()), linesBefore);
}

void RegisterTest::deleteIsRefusedWhenTheListShowsOnePatient()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    const qint64 first = f.newPatient(QStringLiteral("Архипов"));
    f.newPatient(QStringLiteral("Белова"));
    QVERIFY(f.reg().setFilter(QStringLiteral("Last_Name = 'Б*'")));
    QCOMPARE(f.reg().recordCount(), 1);
    const qint64 shown = f.reg().asInteger(QStringLiteral("ID_man"));
    const QMap<QString, qint64> before = f.recordsOf(shown);
    dialogs.transcript.clear();
    dialogs.answers << QStringLiteral("yes");

    QVERIFY(!f.ops->deletePatient());
    QCOMPARE(dialogs.transcript,
             QStringList{message(QStringLiteral("Невозможно удалить последнюю запись пациента. Создайте хотя бы "
                                                "еще одну запись, чтобы можно было удалить эту."))});
    QCOMPARE(f.recordsOf(shown), before);
    QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM register")), 2);
    QVERIFY(first != shown);
}

void RegisterTest::deleteStopsOnNo()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.newPatient(QStringLiteral("Архипов"));
    const qint64 id = f.newPatient(QStringLiteral("Белова"));
    const QMap<QString, qint64> before = f.recordsOf(id);
    dialogs.transcript.clear();
    dialogs.answers << QStringLiteral("no");

    QVERIFY(!f.ops->deletePatient());
    QCOMPARE(dialogs.transcript, QStringList{question(kDeleteQuestion)});
    QCOMPARE(f.recordsOf(id), before);
    QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM register")), 2);
    QCOMPARE(f.reg().asInteger(QStringLiteral("ID_man")), id);
}

void RegisterTest::movingToAnotherPatientDropsTheCourseView()
{
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    f.append(*f.dm2->lech_puva, {{"Id_kurs", 1}});
    f.append(*f.dm2->lech_puva, {{"Id_kurs", 2}});
    f.addPatient(QStringLiteral("Борисов"));
    f.reg().first();
    QVERIFY(f.dm2->lech_puva->setFilter(QStringLiteral("Id_kurs = 2")));
    QCOMPARE(f.dm2->lech_puva->recordCount(), 1);
    f.reg().next();
    QVERIFY(f.dm2->lech_puva->filter().isEmpty());
    f.reg().prior();
    QCOMPARE(f.dm2->lech_puva->recordCount(), 2);
}

void RegisterTest::flushAsksAndBeepsAroundTheWrite()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    // A patient without recommendations: the save must not depend on them.
    f.addPatient(QStringLiteral("Антонов"));
    QCOMPARE(f.dm2->recomend->recordCount(), 0);
    dialogs.answers << QStringLiteral("yes");
    QVERIFY(flushAll(f.db));
    QCOMPARE(dialogs.transcript, (QStringList{question(QStringLiteral("Сохранить последние изменения в файл?")),
                                              QStringLiteral("beep"), QStringLiteral("beep")}));
}

void RegisterTest::flushDeclinedDoesNothing()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    f.addPatient(QStringLiteral("Антонов"));
    dialogs.answers << QStringLiteral("no");
    QVERIFY(!flushAll(f.db));
    QCOMPARE(dialogs.transcript, QStringList{question(QStringLiteral("Сохранить последние изменения в файл?"))});
    QCOMPARE(dialogs.beeps, 0);
}

void RegisterTest::automaticDatesStopAtAPatientWithoutDiagnoses()
{
    ScopedScriptedDialogs dialogs;
    Fixture f;
    const QDate d(2026, 3, 1);
    auto patient = [&](const QString &name, const QList<std::pair<QString, QDate>> &events) {
        f.addPatient({{QStringLiteral("Last_Name"), name}, {QStringLiteral("Reg_date"), d.addYears(-5)},
                      {QStringLiteral("Vip_date"), d.addYears(-4)}});
        for (const auto &[text, date] : events)
            f.append(*f.dm2->diagnoz, {{QStringLiteral("Text"), text}, {QStringLiteral("Data"), date}});
    };
    patient(QStringLiteral("Алексеев"), {{QStringLiteral("Диагноз при поступлении"), d},
                                         {QStringLiteral("Диагноз при выписке"), d.addDays(20)}});
    patient(QStringLiteral("Борисов"), {});
    patient(QStringLiteral("Волков"), {{QStringLiteral("Диагноз при поступлении"), d}});
    QVERIFY(!autoAdmissionDates(*f.dm1, *f.dm2));
    QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("message: Внимание!: Не внесены записи диагноза!")});
    f.reg().first();
    QCOMPARE(f.reg().asDate(QStringLiteral("Reg_date")), d);
    QCOMPARE(f.reg().asDate(QStringLiteral("Vip_date")), d.addDays(20));
    f.reg().last();
    QCOMPARE(f.reg().asDate(QStringLiteral("Reg_date")), d.addYears(-5)); // not reached
    // Without the patient lacking diagnoses the walk runs through, and an admission clears the discharge.
    f.reg().setRecNo(2);
    f.append(*f.dm2->diagnoz, {{QStringLiteral("Text"), QStringLiteral("Диагноз при поступлении")},
                                {QStringLiteral("Data"), d.addDays(3)}});
    QVERIFY(autoAdmissionDates(*f.dm1, *f.dm2));
    f.reg().last();
    QCOMPARE(f.reg().asDate(QStringLiteral("Reg_date")), d);
    QVERIFY(f.reg().isNull(QStringLiteral("Vip_date")));
}

QTEST_GUILESS_MAIN(RegisterTest)
#include "register_test.moc"
