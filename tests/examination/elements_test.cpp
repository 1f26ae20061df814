#include "areas.h"
#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "elements.h"
#include "table.h"
#include "texts.h"

#include <QHash>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::db;
using namespace pelorin::examination;

namespace {

// An element record written as "Color=3 Razmer_ot=0.5 A321 A322": a bare name is a ticked box.
QHash<QString, QVariant> record(const QString &fields)
{
    QHash<QString, QVariant> r;
    for (const QString &token : fields.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype eq = token.indexOf(QLatin1Char('='));
        if (eq < 0)
            r.insert(token, true);
        else
            r.insert(token.left(eq), token.mid(eq + 1).toDouble());
    }
    return r;
}

FieldReader reader(const QHash<QString, QVariant> &r)
{
    return [r](const QString &name) { return r.value(name); };
}

RegionAreas areasOf(const QString &fields)
{
    const QHash<QString, QVariant> r = record(fields);
    return regionAreas([&r](const QString &name) { return r.value(name).toBool(); });
}

// A fresh database built by the real schema code, one patient with one examination.
struct Fixture
{
    QTemporaryDir dir;
    Database db;
    std::unique_ptr<DM1> dm1;
    std::unique_ptr<DM2> dm2;

    Fixture()
    {
        QString error;
        if (!db.open(dir.path(), &error))
            qFatal("open failed: %s", qPrintable(error));
        dm1 = std::make_unique<DM1>(db);
        dm2 = std::make_unique<DM2>(db, *dm1);
        if (!dm1->open(&error) || !dm2->open(&error))
            qFatal("modules failed: %s", qPrintable(error));
        installElementCalc(elements());

        Table &r = *dm1->register_;
        r.append();
        r.setValue("Last_Name", QStringLiteral("Осмотренный"));
        r.post();
        Table &o = exams();
        o.append();
        o.setValue("Date", QDate(2025, 3, 1));
        o.post();
    }
    Table &exams() { return *dm2->osmotr1; }
    Table &elements() { return *dm2->osmotr_elem; }
    // Appends and stores an element with the given boxes ticked and values set.
    void addElement(const QString &fields, const QString &name = QStringLiteral("бляшки"))
    {
        Table &e = elements();
        e.append();
        e.setValue("Name_elem", name);
        const QHash<QString, QVariant> r = record(fields);
        for (auto it = r.cbegin(); it != r.cend(); ++it)
            QVERIFY2(e.setValue(it.key(), it.value()), qPrintable(it.key()));
        QVERIFY(e.post());
    }
    int storedElements()
    {
        QSqlQuery q(db.sql());
        q.exec(QStringLiteral("SELECT count(*) FROM osmotr_elem"));
        q.next();
        return q.value(0).toInt();
    }
};

const QString k_gap = QStringLiteral("\r\n\r\n");

} // namespace

class ElementsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void description_data();
    void description();
    void characteristicsAreCutTo255();
    void latinLettersStayLatin();
    void name1();
    void calculatedFieldsOnTheTable();

    void regionSums_data();
    void regionSums();
    void regionPerCentsHalvesToEven_data();
    void regionPerCentsHalvesToEven();
    void pasiScale_data();
    void pasiScale();
    void elementAreaMessage_data();
    void elementAreaMessage();
    void sumCountsLocationOnceAndWritesExamination();
    void sumOfWholeBody();
    void sumOverHundredKeepsScore();
    void sumDropsFractionOfTotal();
    void sumStoresPendingElementFirst();
    void sumWithoutElementsDoesNothing();

    void newElement();
    void copyCarriesExactlyTheListedFields();
    void deleteKeepsTheLastElement();
    void clearCharacteristic();
};

void ElementsTest::description_data()
{
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("list");

    QTest::newRow("nothing set") << ""
                                 << "";
    QTest::newRow("sizes 1 and 2") << "Razmer_ot=1 Razmer_do=2"
                                   << "размером от 1 до 2см, ";
    QTest::newRow("fractional sizes") << "Razmer_ot=0.5 Razmer_do=1.5"
                                      << "размером от 0,5 до 1,5см, ";
    QTest::newRow("only one size") << "Razmer_ot=1"
                                   << "";
    QTest::newRow("only the other size") << "Razmer_do=3"
                                         << "";
    QTest::newRow("size zero is a size") << "Razmer_ot=0 Razmer_do=2"
                                         << "размером от 0 до 2см, ";
    QTest::newRow("example of the left arm")
        << "Color=3 Forma=1 Raspred=2 A321 A322 A361"
        << "красного цвета, округлой формы, множественные, локализованы на левой руке - предплечье (сгиб. и разгиб. "
           "пов-сть), ладонь. ";
    QTest::newRow("codes in order")
        << "Fon1=2 Fon=2 Rasp=1 Raspred=3 Otdel=3 Poverhnost1=4 Poverhnost=2 Forma=3 Color=7"
        << "серебристо-белого цвета, неопределенной формы, поверхность с трещинами, с "
           "изъязвлениями на поверхности, с серозно-геморрагическим содержимым, распространенные, отдельно "
           "расположенные, на фоне неизмененной кожи, на фоне бледного оттенка кожи, ";
    QTest::newRow("purulent without preposition") << "Otdel=4"
                                                  << "гнойным содержимым, ";
    QTest::newRow("serous with double r") << "Otdel=1"
                                          << "с серрозным содержимым, ";
    QTest::newRow("dirty tint in quotes") << "Fon1=1"
                                          << "на фоне \"грязного\" оттенка кожи, ";
    QTest::newRow("code outside the list") << "Color=8 Forma=4 Fon1=3"
                                           << "";
    QTest::newRow("neck left and right") << "A212 A213"
                                         << "локализованы на шее (слева, справа) . ";
    QTest::newRow("neck behind") << "A215"
                                 << "локализованы на шее (сзади) . ";
    QTest::newRow("neck everywhere with left") << "A211 A212"
                                               << "локализованы по всей поверхности шеи. ";
    QTest::newRow("chest everywhere with left") << "A221 A222"
                                                << "локализованы по всей поверхности груди. ";
    QTest::newRow("chest left and right") << "A222 A223"
                                          << "локализованы на груди (слева, справа). ";
    QTest::newRow("neck and chest everywhere") << "A211 A221 A223"
                                               << "локализованы по всей поверхности шеи, по всей поверхности груди. ";
    QTest::newRow("neck bracket then chest") << "A214 A222"
                                             << "локализованы на шее (спереди) , на груди (слева). ";
    QTest::newRow("abdomen, back and buttocks")
        << "A233 A242 A245 A251 A252"
        << "локализованы на животе (справа), на спине (в области лопаток слева, в области поясницы справа), по всей "
           "поверхности ягодиц. ";
    QTest::newRow("pubic area") << "A241 A261"
                                << "локализованы по всей поверхности спины, на половых органах. ";
    QTest::newRow("whole trunk keeps the neck") << "All_tulov A214 A222 A261"
                                                << "локализованы на шее (спереди) ,  по всей поверхности туловища. ";
    QTest::newRow("face in order")
        << "A136 A162 A143 A141 A165 A164 A124 A113"
        << "локализованы вокруг глаз, вокруг рта, на лбу, на носу, в заушной области, в раковине ушей, на щеках, по "
           "краю роста волос. ";
    QTest::newRow("scalp") << "A131 A133"
                           << "локализованы в области волосистой части головы на лобной области, на "
                              "височной области. ";
    QTest::newRow("whole scalp with another box") << "A135 A131"
                                                  << "локализованы по всей поверхности головы. ";
    QTest::newRow("whole face keeps the scalp")
        << "All_lico A113 A141 A131"
        << "локализованы  по всей поверхности лица, в области волосистой части головы на лобной области. ";
    QTest::newRow("whole head keeps the rest")
        << "All_golova A113 A131 A135 A212 A371"
        << "локализованы  по всей поверхности головы, на шее (слева) , на левой руке - пальцы. ";
    QTest::newRow("arm flexor, extensor")
        << "A311 A324 A342 A351"
        << "локализованы на левой руке - плечо (сгиб. пов-сть), лучезапястный сустав (разгиб. пов-сть), тыл кисти, на "
           "правой руке - предплечье (разгиб. пов-сть). ";
    QTest::newRow("whole left arm") << "All_lev_ruka A311 A361 A372"
                                    << "локализованы  по всей поверхности левой руки, на правой руке - пальцы. ";
    QTest::newRow("legs")
        << "A411 A412 A422 A451 A432 A434 A444"
        << "локализованы на левой ноге - бедро (сгиб. и разгиб. пов-сть), голень (разгиб. пов-сть), голеностопный "
           "сустав (cгиб. пов-сть), подошва, на правой ноге - коленный сустав (разгиб. пов-сть), подошва. ";
    QTest::newRow("whole legs") << "All_lev_noga All_prav_noga A411"
                                << "локализованы  по всей поверхности левой ноги,  по всей поверхности правой ноги. ";
    QTest::newRow("whole body keeps characteristics")
        << "Color=1 Granitca=2 A113 A212 All_tulov All_telo"
        << "бледно-розового цвета, c нечеткой границей, локализованы по всей поверхности тела.";
    QTest::newRow("reserved boxes say nothing") << "A111 A112 A114 A115 A121 A122 A123 A125 A142 A151 A152 A153 "
                                                   "A161 A163 A166 All_sheya"
                                                << "";
}

void ElementsTest::description()
{
    QFETCH(QString, fields);
    QFETCH(QString, list);
    QCOMPARE(elementList(reader(record(fields))), list);
}

void ElementsTest::characteristicsAreCutTo255()
{
    const auto r = record("Razmer_ot=0.5 Razmer_do=1.5 Color=5 Forma=3 Granitca=2 Poverhnost=2 Poverhnost1=4 "
                          "Otdel=3 Raspred=3 Rasp=1 Fon=2 Fon1=1 A212");
    const QString c = elementCharacteristics(reader(r));
    QCOMPARE(c.size(), 255);
    QVERIFY(c.startsWith(QStringLiteral("размером от 0,5 до 1,5см, светло-коричневого цвета, ")));
    QCOMPARE(elementList(reader(r)), c + QStringLiteral("локализованы на шее (слева) . "));
}

void ElementsTest::latinLettersStayLatin()
{
    QCOMPARE(elementList(reader(record("Granitca=1"))).at(0), QChar(0x63));
    QCOMPARE(elementList(reader(record("Granitca=2"))).at(0), QChar(0x63));
    const QString leg = elementList(reader(record("A413")));
    QCOMPARE(leg,
             QStringLiteral("локализованы на правой ноге - бедро (") + QChar(0x63) + QStringLiteral("гиб. пов-сть). "));
    const QString arm = elementList(reader(record("A313")));
    QCOMPARE(arm, QStringLiteral("локализованы на правой руке - плечо (") + QChar(0x441) +
                      QStringLiteral("гиб. пов-сть). "));
    const QString both = elementList(reader(record("A413 A414")));
    QVERIFY(both.contains(QStringLiteral("бедро (") + QChar(0x441) + QStringLiteral("гиб. и разгиб. пов-сть)")));
}

void ElementsTest::name1()
{
    QCOMPARE(elementName1(reader({{QStringLiteral("Name_elem"), QStringLiteral("Бляшки")}})),
             QStringLiteral("\"Бляшки\""));
    QCOMPARE(elementName1(reader({{QStringLiteral("Name_elem"), QStringLiteral(" ")}})), QStringLiteral("\" \""));
    QCOMPARE(elementName1(reader({})), QStringLiteral("\"\""));
}

void ElementsTest::calculatedFieldsOnTheTable()
{
    Fixture f;
    f.addElement("Color=3 Forma=1 Raspred=2 A321 A322 A361", QStringLiteral("папулы"));
    Table &e = f.elements();
    QCOMPARE(e.asString("Name_elem1"), QStringLiteral("\"папулы\""));
    QCOMPARE(e.asString("List"), QStringLiteral("красного цвета, округлой формы, множественные, локализованы на левой "
                                                "руке - предплечье (сгиб. и разгиб. пов-сть), ладонь. "));
    // An unstored change shows at once.
    e.edit();
    e.setValue("All_telo", true);
    QCOMPARE(e.asString("List"),
             QStringLiteral("красного цвета, округлой формы, множественные, локализованы по всей поверхности тела."));
    e.cancel();
    QVERIFY(e.asString("List").endsWith(QStringLiteral("ладонь. ")));
}

// ---------------------------------------------------------------- areas

void ElementsTest::regionSums_data()
{
    QTest::addColumn<QString>("fields");
    QTest::addColumn<int>("head");
    QTest::addColumn<int>("trunk");
    QTest::addColumn<int>("arms");
    QTest::addColumn<int>("legs");

    QTest::newRow("nothing") << "" << 0 << 0 << 0 << 0;
    QTest::newRow("cheeks") << "A162" << 100 << 0 << 0 << 0;
    QTest::newRow("face boxes") << "A113 A124 A162 A164 A165" << 330 << 0 << 0 << 0;
    QTest::newRow("whole face") << "All_lico A113 A162" << 400 << 0 << 0 << 0;
    QTest::newRow("ears and hairline weigh with the scalp")
        << "A141 A143 A136 A131 A132 A133 A134" << 570 << 0 << 0 << 0;
    QTest::newRow("whole scalp replaces ears and hairline") << "A135 A141 A143 A136 A113" << 550 << 0 << 0 << 0;
    QTest::newRow("whole face and scalp") << "All_lico A135" << 900 << 0 << 0 << 0;
    QTest::newRow("whole head") << "All_golova A212" << 900 << 100 << 0 << 0;
    QTest::newRow("reserved head boxes weigh nothing") << "A111 A112 A142 A151 A166 All_sheya" << 0 << 0 << 0 << 0;
    QTest::newRow("neck single boxes") << "A212 A213 A214 A215" << 0 << 400 << 0 << 0;
    QTest::newRow("neck everywhere with left") << "A211 A212" << 0 << 400 << 0 << 0;
    QTest::newRow("chest everywhere with left") << "A221 A222" << 0 << 600 << 0 << 0;
    QTest::newRow("neck and chest everywhere") << "A211 A221 A223 A213" << 0 << 1000 << 0 << 0;
    QTest::newRow("back single boxes") << "A242 A243 A244 A245" << 0 << 1000 << 0 << 0;
    QTest::newRow("back everywhere") << "A241 A244" << 0 << 1000 << 0 << 0;
    QTest::newRow("abdomen, buttocks, pubic") << "A232 A251 A261" << 0 << 1000 << 0 << 0;
    QTest::newRow("every single trunk box")
        << "A211 A212 A213 A214 A215 A221 A222 A223 A231 A232 A233 A241 A242 A243 A244 A245 A251 A252 A253 A261" << 0
        << 3300 << 0 << 0;
    QTest::newRow("whole trunk replaces the neck") << "All_tulov A212 A222" << 0 << 3200 << 0 << 0;
    QTest::newRow("left arm boxes") << "A311 A312 A321 A322 A331 A332 A341 A342 A351 A361 A371" << 0 << 0 << 1100 << 0;
    QTest::newRow("right arm boxes") << "A313 A314 A323 A324 A333 A334 A343 A344 A352 A362 A372" << 0 << 0 << 1100 << 0;
    QTest::newRow("whole left arm and a right box") << "All_lev_ruka A311 A313" << 0 << 0 << 1250 << 0;
    QTest::newRow("both whole arms") << "All_lev_ruka All_prav_ruka" << 0 << 0 << 2200 << 0;
    QTest::newRow("left leg boxes") << "A411 A412 A421 A422 A441 A442 A451 A452 A431 A432" << 0 << 0 << 0 << 1850;
    QTest::newRow("right leg boxes") << "A413 A414 A423 A424 A443 A444 A453 A454 A433 A434" << 0 << 0 << 0 << 1850;
    QTest::newRow("whole right leg and a left box") << "All_prav_noga A432" << 0 << 0 << 0 << 2000;
    QTest::newRow("whole body") << "All_telo" << 900 << 3200 << 2200 << 3700;
    QTest::newRow("whole body over everything")
        << "All_telo A212 A213 A214 A215 A221 A231 A241 A251 A261" << 900 << 3200 << 2200 << 3700;
}

void ElementsTest::regionSums()
{
    QFETCH(QString, fields);
    QFETCH(int, head);
    QFETCH(int, trunk);
    QFETCH(int, arms);
    QFETCH(int, legs);
    const RegionAreas a = areasOf(fields);
    QCOMPARE(a.head, head);
    QCOMPARE(a.trunk, trunk);
    QCOMPARE(a.arms, arms);
    QCOMPARE(a.legs, legs);
    QCOMPARE(a.total(), head + trunk + arms + legs);
}

void ElementsTest::regionPerCentsHalvesToEven_data()
{
    QTest::addColumn<int>("trunk");
    QTest::addColumn<double>("percent");
    QTest::addColumn<int>("whole");

    // 8·10/32 = 2.5 and 24·10/32 = 7.5: the tenths round to the even neighbour.
    QTest::newRow("2.5 tenths") << 8 << 0.2 << 0;
    QTest::newRow("7.5 tenths") << 24 << 0.8 << 1;
    // 10.5 % and 11.5 % as whole per cents.
    QTest::newRow("10.5 per cent") << 336 << 10.5 << 10;
    QTest::newRow("11.5 per cent") << 368 << 11.5 << 12;
    QTest::newRow("every single trunk box") << 3300 << 103.1 << 103;
}

void ElementsTest::regionPerCentsHalvesToEven()
{
    QFETCH(int, trunk);
    QFETCH(double, percent);
    QFETCH(int, whole);
    RegionAreas a;
    a.trunk = trunk;
    QCOMPARE(trunkPercent(a), percent);
    QCOMPARE(text::roundHalfEven(trunkPercent(a)), qint64(whole));
}

void ElementsTest::pasiScale_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("score"); // -1: unchanged

    const int table[][2] = {{-1, -1}, {0, 0},  {1, 1},  {10, 1}, {11, 2}, {30, 2},  {31, 3},   {50, 3},
                            {51, 4},  {70, 4}, {71, 5}, {90, 5}, {91, 6}, {100, 6}, {101, -1}, {103, -1}};
    for (const auto &row : table)
        QTest::addRow("%d %%", row[0]) << row[0] << row[1];
}

void ElementsTest::pasiScale()
{
    QFETCH(int, percent);
    QFETCH(int, score);
    QCOMPARE(pasiAreaScore(percent).value_or(-1), score);
}

void ElementsTest::elementAreaMessage_data()
{
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole body") << "All_telo"
                                << "Общая площадь - 100%" + k_gap + "На голове - 100%" + k_gap +
                                       "На туловище и шее - 100%" + k_gap + "На руках - 100%" + k_gap +
                                       "На ногах - 100%";
    QTest::newRow("cheeks") << "A162"
                            << "Общая площадь - 1%" + k_gap + "На голове - 11,1%" + k_gap + "На туловище и шее - 0%" +
                                   k_gap + "На руках - 0%" + k_gap + "На ногах - 0%";
    // Head 90 units: 10,0 %; 95 units: 10,6 %.
    QTest::newRow("head 90") << "A131 A141"
                             << "Общая площадь - 0,9%" + k_gap + "На голове - 10%" + k_gap + "На туловище и шее - 0%" +
                                    k_gap + "На руках - 0%" + k_gap + "На ногах - 0%";
    QTest::newRow("head 95") << "A165 A141 A136"
                             << "Общая площадь - 0,95%" + k_gap + "На голове - 10,6%" + k_gap +
                                    "На туловище и шее - 0%" + k_gap + "На руках - 0%" + k_gap + "На ногах - 0%";
    QTest::newRow("mixed") << "All_lev_ruka A134 A222 A411"
                           << "Общая площадь - 19,25%" + k_gap + "На голове - 19,4%" + k_gap +
                                  "На туловище и шее - 9,4%" + k_gap + "На руках - 50%" + k_gap + "На ногах - 9,5%";
}

void ElementsTest::elementAreaMessage()
{
    QFETCH(QString, fields);
    QFETCH(QString, text);
    Fixture f;
    f.addElement(fields);
    ScopedScriptedDialogs dialogs;
    showElementArea(f.elements());
    QCOMPARE(dialogs.transcript, QStringList{"message: Внимание!: " + text});
    QCOMPARE(f.exams().asInteger("B1"), 0); // nothing is stored
}

void ElementsTest::sumCountsLocationOnceAndWritesExamination()
{
    Fixture f;
    f.addElement("A222 A212");
    f.addElement("A222 A131");
    f.elements().first();
    ScopedScriptedDialogs dialogs;
    QVERIFY(sumAreasIntoExamination(f.exams(), f.elements()));
    // Trunk 300 + 100 = 400 units (12,5 %), head 50 (5,6 %); left chest counted once.
    Table &o = f.exams();
    QCOMPARE(o.state(), TableState::Browse);
    QCOMPARE(o.asInteger("Bb14"), 1);
    QCOMPARE(o.asInteger("Bb44"), 2);
    QCOMPARE(o.asInteger("Bb24"), 0);
    QCOMPARE(o.asInteger("Bb34"), 0);
    QCOMPARE(o.asInteger("B1"), 4);
    QCOMPARE(f.elements().recNo(), 2);
    QCOMPARE(
        dialogs.transcript,
        QStringList({"beep", "message: Внимание!: Сумма по всем элементам:" + k_gap + "Общая площадь - 4,5%" + k_gap +
                                 "На голове - 5,6%" + k_gap + "На туловище и шее - 12,5%" + k_gap + "На руках - 0%" +
                                 k_gap + "На ногах - 0%" + k_gap + "Данные по площади внесены в PASI и SCORAD."}));

    // Stored, not only on the cursor.
    QSqlQuery q(f.db.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT Bb14, Bb44, B1 FROM osmotr_1")) && q.next());
    QCOMPARE(q.value(0).toInt(), 1);
    QCOMPARE(q.value(1).toInt(), 2);
    QCOMPARE(q.value(2).toInt(), 4);
}

void ElementsTest::sumOfWholeBody()
{
    Fixture f;
    f.addElement("All_telo");
    ScopedScriptedDialogs dialogs;
    QVERIFY(sumAreasIntoExamination(f.exams(), f.elements()));
    for (const char *field : {"Bb14", "Bb24", "Bb34", "Bb44"})
        QCOMPARE(f.exams().asInteger(field), 6);
    QCOMPARE(f.exams().asInteger("B1"), 100);
    QVERIFY(dialogs.transcript.last().contains("Общая площадь - 100%" + k_gap + "На голове - 100%"));
}

void ElementsTest::sumOverHundredKeepsScore()
{
    Fixture f;
    f.exams().edit();
    f.exams().setValue("Bb44", 4);
    f.exams().setValue("Bb14", 5);
    QVERIFY(f.exams().post());
    f.addElement("A211 A212 A213 A214 A215 A221 A222 A223 A231 A232 A233");
    f.addElement("A241 A242 A243 A244 A245 A251 A252 A253 A261");
    ScopedScriptedDialogs dialogs;
    QVERIFY(sumAreasIntoExamination(f.exams(), f.elements()));
    QCOMPARE(f.exams().asInteger("Bb44"), 4);
    QCOMPARE(f.exams().asInteger("Bb14"), 0);
    QCOMPARE(f.exams().asInteger("B1"), 33);
    QVERIFY(dialogs.transcript.last().contains("На туловище и шее - 103,1%"));
}

void ElementsTest::sumDropsFractionOfTotal()
{
    Fixture f;
    f.addElement("All_lev_ruka A134"); // 1275 units
    ScopedScriptedDialogs dialogs;
    QVERIFY(sumAreasIntoExamination(f.exams(), f.elements()));
    QCOMPARE(f.exams().asInteger("B1"), 12);
    QCOMPARE(f.exams().asInteger("Bb24"), 3); // 50 %
    QCOMPARE(f.exams().asInteger("Bb14"), 2); // 19,4 % -> 19
    QVERIFY(dialogs.transcript.last().contains("Общая площадь - 12,75%"));
}

void ElementsTest::sumStoresPendingElementFirst()
{
    Fixture f;
    f.addElement("A162");
    Table &e = f.elements();
    e.edit();
    e.setValue("All_prav_noga", true);
    ScopedScriptedDialogs dialogs;
    QVERIFY(sumAreasIntoExamination(f.exams(), e));
    QCOMPARE(e.state(), TableState::Browse);
    QCOMPARE(f.exams().asInteger("Bb34"), 3); // 1850 of 3700, 50 %
    QCOMPARE(f.exams().asInteger("Bb14"), 2);
    QSqlQuery q(f.db.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT All_prav_noga FROM osmotr_elem")) && q.next());
    QVERIFY(q.value(0).toBool());
}

void ElementsTest::sumWithoutElementsDoesNothing()
{
    Fixture f;
    ScopedScriptedDialogs dialogs;
    QVERIFY(!sumAreasIntoExamination(f.exams(), f.elements()));
    QVERIFY(dialogs.transcript.isEmpty());
    QCOMPARE(f.exams().state(), TableState::Browse);
    QVERIFY(f.exams().isNull("B1"));
}

// ---------------------------------------------------------------- operations

void ElementsTest::newElement()
{
    Fixture f;
    f.addElement("Color=2 A113");
    Table &e = f.elements();
    QVERIFY(appendElement(f.exams(), e));
    QCOMPARE(e.state(), TableState::Insert);
    QCOMPARE(e.recordCount(), 2);
    QCOMPARE(f.storedElements(), 1);
    QCOMPARE(e.value("ID_elem"), f.exams().value("ID"));
    QCOMPARE(e.asInteger("Nom_elem"), 2);
    for (int i = 0; i < e.storedFieldCount(); ++i) {
        if (e.fieldDef(i).type == FieldType::Boolean)
            QCOMPARE(e.value(i), QVariant(false));
    }
    QVERIFY(e.isNull("Color"));
    QVERIFY(e.isNull("Name_elem"));
    QCOMPARE(e.asString("List"), QString());
    QVERIFY(e.post());
    QCOMPARE(f.storedElements(), 2);
    QVERIFY(newElementMessage().contains(QStringLiteral("создан.\r\nУкажите его название, затем заполните "
                                                        "характеристики и \r\nотметьте")));
}

void ElementsTest::copyCarriesExactlyTheListedFields()
{
    Fixture f;
    Table &e = f.elements();
    e.append();
    e.setValue("Nom_elem", 7);
    e.setValue("Name_elem", QStringLiteral("Папулы"));
    e.setValue("Razmer_ot", 0.5);
    e.setValue("Razmer_do", 1.5);
    const QStringList codes = {"Raspred",  "Rasp",       "Forma", "Color",       "Fon",
                               "Granitca", "Poverhnost", "Otdel", "Poverhnost1", "Fon1"};
    for (int i = 0; i < codes.size(); ++i)
        e.setValue(codes[i], i % 2 + 1);
    e.setValue("ListM", QStringLiteral("запас"));
    // Every other Boolean ticked, the reserved ones included.
    int n = 0;
    for (int i = 0; i < e.storedFieldCount(); ++i) {
        if (e.fieldDef(i).type == FieldType::Boolean)
            e.setValue(i, n++ % 2 == 0);
    }
    QVERIFY(e.post());
    const std::vector<QVariant> source = e.recordAt(0);

    QVERIFY(appendElementCopy(f.exams(), e));
    QCOMPARE(e.state(), TableState::Insert);
    QCOMPARE(f.storedElements(), 1);
    QVERIFY(e.post());
    QCOMPARE(e.recordCount(), 2);

    QStringList differing;
    for (int i = 0; i < e.storedFieldCount(); ++i) {
        if (e.value(i) != source[size_t(i)])
            differing << QString::fromLatin1(e.fieldDef(i).name);
    }
    QCOMPARE(differing, QStringList({"ID", "Nom_elem", "Name_elem"}));
    QCOMPARE(e.value("ID_elem"), f.exams().value("ID"));
    QCOMPARE(e.asInteger("Nom_elem"), 2);
    QCOMPARE(e.asString("Name_elem"), QStringLiteral(" "));
    QCOMPARE(e.asString("Name_elem1"), QStringLiteral("\" \""));
    QCOMPARE(e.asString("List"), source[size_t(e.fieldIndex("List"))].toString());
    QVERIFY(copiedElementMessage().startsWith(QStringLiteral("Новый элемент высыпания (копия другого) создан.\r\n")));
}

void ElementsTest::deleteKeepsTheLastElement()
{
    Fixture f;
    f.addElement("A113", QStringLiteral("первый"));
    Table &e = f.elements();
    {
        ScopedScriptedDialogs dialogs;
        dialogs.answers << "yes";
        QVERIFY(!deleteElement(e));
        QVERIFY(dialogs.transcript.isEmpty());
        QCOMPARE(f.storedElements(), 1);
    }
    f.addElement("A124", QStringLiteral("второй"));
    {
        ScopedScriptedDialogs dialogs;
        dialogs.answers << "no";
        QVERIFY(!deleteElement(e));
        QCOMPARE(dialogs.transcript,
                 QStringList{"ask: Внимание!: Вы уверены что хотите удалить этот элемент высыпания?"});
        QCOMPARE(f.storedElements(), 2);
    }
    {
        ScopedScriptedDialogs dialogs;
        dialogs.answers << "yes";
        QVERIFY(deleteElement(e));
        QCOMPARE(f.storedElements(), 1);
        QCOMPARE(e.recordCount(), 1);
        QCOMPARE(e.asString("Name_elem"), QStringLiteral("первый"));
    }
}

void ElementsTest::clearCharacteristic()
{
    Fixture f;
    f.addElement("Color=3 Forma=9 Fon1=1");
    Table &e = f.elements();
    QVERIFY(examination::clearCharacteristic(e, QStringLiteral("Color")));
    QCOMPARE(e.state(), TableState::Browse);
    QCOMPARE(e.value("Color"), QVariant(0));
    QVERIFY(!examination::clearCharacteristic(e, QStringLiteral("Forma"))); // not a listed code
    QCOMPARE(e.asInteger("Forma"), 9);
    QVERIFY(!examination::clearCharacteristic(e, QStringLiteral("Fon1"))); // no button for it
    QCOMPARE(e.asInteger("Fon1"), 1);
    QVERIFY(!examination::clearCharacteristic(e, QStringLiteral("Otdel"))); // blank
}

QTEST_GUILESS_MAIN(ElementsTest)
#include "elements_test.moc"
