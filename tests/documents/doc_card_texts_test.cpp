#include "card_sheets.h"

#include "clinicfixture.h"
#include "diagnoz_calc.h"
#include "table.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::documents;

namespace {

using Fields = QVariantMap;

struct Patient : testing::ClinicFixture
{
    explicit Patient(const Fields &particulars)
    {
        clinical::installDiagnozCalc(*dm2->diagnoz);
        append(reg(), particulars);
    }

    // Text carries the event label of the diagnoses sheet.
    void event(const QDate &date, const QString &status, const QString &diagnosis)
    {
        append(*dm2->diagnoz, {{"Data", date}, {"Text", status}, {"Text1", diagnosis}});
    }
};

const Fields kozlova{{"Amb_karta", 315},
                     {"Last_Name", QStringLiteral("Козлова")},
                     {"First_Name", QStringLiteral("Анна")},
                     {"Father_Name", QStringLiteral("Ивановна")},
                     {"Sex", QStringLiteral("Женский")},
                     {"Born_dat", QDate(1975, 11, 2)},
                     {"Live_place_region", QStringLiteral("Московская обл.")},
                     {"Life_place_gorod", QStringLiteral("Химки")},
                     {"Adress", QStringLiteral("ул. Мира, 5")},
                     {"Telephone_sot", QStringLiteral("8-916-000-00-00")},
                     {"Telephone_home", QStringLiteral("123-45-67")},
                     {"Telephone_work", QStringLiteral("765-43-21")},
                     {"Work_place", QStringLiteral("школа № 3")},
                     {"Work_dolzn", QStringLiteral("завуч")},
                     {"Work_proff", QStringLiteral("учитель")}};

const QString first = QStringLiteral("Диагноз при первом поступлении");
const QString discharge = QStringLiteral("Диагноз при выписке");
const QString admission = QStringLiteral("Диагноз при поступлении");

// Three courses' worth of events: February, March and (still open) April 2025.
void fiveEvents(Patient &p)
{
    p.event(QDate(2025, 2, 1), first, QStringLiteral("псориаз, стадия обострения. "));
    p.event(QDate(2025, 2, 20), discharge, QStringLiteral("псориаз, стадия регресса. "));
    p.event(QDate(2025, 3, 1), admission, QStringLiteral("псориаз, прогрессирующая стадия. "));
    p.event(QDate(2025, 3, 25), discharge, QStringLiteral("псориаз, стадия ремиссии. "));
    p.event(QDate(2025, 4, 2), admission, QStringLiteral("псориаз. "));
}

QStringList rendered(const std::vector<CellWrite> &cells)
{
    QStringList out;
    for (const CellWrite &c : cells)
        out << QStringLiteral("%1/%2/%3: %4").arg(c.sheet).arg(c.row).arg(c.column).arg(c.value.toString());
    return out;
}

} // namespace

Q_DECLARE_METATYPE(pelorin::documents::CardTemplate)

class CardTextsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void address_data();
    void address();
    void occupation_data();
    void occupation();
    void titlePage_data();
    void titlePage();
    void titlePageWithoutDiagnoses();
    void diagnosesSheet_data();
    void diagnosesSheet();
};

void CardTextsTest::address_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("street");
    QTest::addColumn<QString>("expected");

    QTest::newRow("all empty") << QString() << QString() << QString() << QString();
    QTest::newRow("only the city") << QString() << QStringLiteral("Химки") << QString() << QStringLiteral("Химки. ");
    QTest::newRow("region and street") << QStringLiteral("Московская обл.") << QString()
                                       << QStringLiteral("ул. Мира, 5")
                                       << QStringLiteral("Московская обл., ул. Мира, 5. ");
    QTest::newRow("all three") << QStringLiteral("Московская обл.") << QStringLiteral("Химки")
                               << QStringLiteral("ул. Мира, 5")
                               << QStringLiteral("Московская обл., Химки, ул. Мира, 5. ");
}

void CardTextsTest::address()
{
    QFETCH(QString, region);
    QFETCH(QString, city);
    QFETCH(QString, street);
    QFETCH(QString, expected);
    QCOMPARE(addressText(region, city, street), expected);
}

void CardTextsTest::occupation_data()
{
    QTest::addColumn<QString>("workplace");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("profession");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing") << QString() << QString() << QString() << QString();
    QTest::newRow("profession alone") << QString() << QString() << QStringLiteral("учитель")
                                      << QStringLiteral("Профессия - учитель. ");
    QTest::newRow("workplace and position")
        << QStringLiteral("школа № 3") << QStringLiteral("завуч") << QString() << QStringLiteral("школа № 3, завуч. ");
    QTest::newRow("position and profession") << QString() << QStringLiteral("завуч") << QStringLiteral("учитель")
                                             << QStringLiteral("Профессия - учитель. завуч. ");
}

void CardTextsTest::occupation()
{
    QFETCH(QString, workplace);
    QFETCH(QString, position);
    QFETCH(QString, profession);
    QFETCH(QString, expected);
    QCOMPARE(occupationText(workplace, position, profession), expected);
}

void CardTextsTest::titlePage_data()
{
    QTest::addColumn<CardTemplate>("card");
    QTest::addColumn<QString>("leftHeader");

    QTest::newRow("karta1.xls: card number and full name")
        << CardTemplate::Current << QStringLiteral("&7Амбулаторная карта № 315. Козлова Анна Ивановна.");
    QTest::newRow("legacy karta.xls: card number only")
        << CardTemplate::Legacy << QStringLiteral("&7Амбулаторная карта № 315");
}

void CardTextsTest::titlePage()
{
    QFETCH(CardTemplate, card);
    QFETCH(QString, leftHeader);

    Patient p(kozlova);
    fiveEvents(p);
    p.dm2->diagnoz->last();

    const SheetHeaders headers = titlePageHeaders(p.reg(), QDate(2025, 4, 10), card);
    QCOMPARE(headers, (SheetHeaders{1, leftHeader, QStringLiteral("&7Дата составления:10 апреля 2025 г."), QString()}));

    QCOMPARE(rendered(titlePageCells(p.reg(), *p.dm2->diagnoz)),
             (QStringList{
                 QStringLiteral("1/3/11: 315"), QStringLiteral("1/5/5: Козлова Анна Ивановна"),
                 QStringLiteral("1/7/4: Женский"), QStringLiteral("1/9/4: 02.11.1975"),
                 QStringLiteral("1/12/4: Московская обл., Химки, ул. Мира, 5. "),
                 QStringLiteral("1/8/9: 8-916-000-00-00"), QStringLiteral("1/9/9: 123-45-67"),
                 QStringLiteral("1/10/9: 765-43-21"), QStringLiteral("1/14/5: Профессия - учитель. школа № 3, завуч. "),
                 QStringLiteral("1/17/6: 01.02.2025"), QStringLiteral("1/19/3: псориаз, стадия обострения. ")}));
    QCOMPARE(p.dm2->diagnoz->recNo(), 1);
}

void CardTextsTest::titlePageWithoutDiagnoses()
{
    Patient p({{"Last_Name", QStringLiteral("Безадресный")}, {"Life_place_gorod", QStringLiteral("Химки")}});
    const QStringList cells = rendered(titlePageCells(p.reg(), *p.dm2->diagnoz));
    QVERIFY(cells.contains(QStringLiteral("1/12/4: Химки. ")));
    QVERIFY(cells.contains(QStringLiteral("1/5/5: Безадресный  ")));
    QVERIFY(cells.contains(QStringLiteral("1/17/6: ")));
    QVERIFY(cells.contains(QStringLiteral("1/19/3: ")));
    QVERIFY(cells.contains(QStringLiteral("1/14/5: ")));

    const DiagnosesSheet sheet = documents::diagnosesSheet(
        p.reg(), *p.dm2->diagnoz, QDate(2025, 4, 10), CardTemplate::Current, QDate(2025, 1, 1), QDate(2025, 12, 31));
    QVERIFY(sheet.cells.empty());
    QCOMPARE(sheet.nextRow, 4);
}

void CardTextsTest::diagnosesSheet_data()
{
    QTest::addColumn<CardTemplate>("card");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QStringList>("dates"); // the events listed, from row 4
    QTest::addColumn<int>("stopsAt");       // diagnoz record where the listing stopped

    QTest::newRow("karta1.xls, whole history")
        << CardTemplate::Current << QDate(2025, 2, 1) << QDate(2025, 4, 10)
        << QStringList{"01.02.2025", "20.02.2025", "01.03.2025", "25.03.2025", "02.04.2025"} << 5;
    QTest::newRow("karta1.xls, the second course") << CardTemplate::Current << QDate(2025, 3, 1) << QDate(2025, 3, 25)
                                                   << QStringList{"01.03.2025", "25.03.2025"} << 5;
    QTest::newRow("karta1.xls, a day between events")
        << CardTemplate::Current << QDate(2025, 3, 10) << QDate(2025, 3, 10) << QStringList{} << 4;
    QTest::newRow("karta1.xls, after the last event")
        << CardTemplate::Current << QDate(2025, 5, 1) << QDate(2025, 5, 31) << QStringList{} << 5;
    QTest::newRow("legacy karta.xls ignores the period")
        << CardTemplate::Legacy << QDate(2025, 3, 10) << QDate(2025, 3, 10)
        << QStringList{"01.02.2025", "20.02.2025", "01.03.2025", "25.03.2025", "02.04.2025"} << 5;
}

void CardTextsTest::diagnosesSheet()
{
    QFETCH(CardTemplate, card);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QStringList, dates);
    QFETCH(int, stopsAt);

    Patient p(kozlova);
    fiveEvents(p);
    const DiagnosesSheet sheet =
        documents::diagnosesSheet(p.reg(), *p.dm2->diagnoz, QDate(2025, 4, 10), card, start, end);

    SheetHeaders headers = titlePageHeaders(p.reg(), QDate(2025, 4, 10), card);
    headers.sheet = 2;
    if (card == CardTemplate::Current)
        headers.rightFooter = QStringLiteral("&12 Подпись лечащего врача: ______________");
    QCOMPARE(sheet.headers, headers);

    const QHash<QString, QString> labels{{"01.02.2025", "Поступил впервые"},
                                         {"20.02.2025", "Выписан"},
                                         {"01.03.2025", "Поступил"},
                                         {"25.03.2025", "Выписан"},
                                         {"02.04.2025", "Поступил"}};
    const QHash<QString, QString> diagnoses{{"01.02.2025", "псориаз, стадия обострения. "},
                                            {"20.02.2025", "псориаз, стадия регресса. "},
                                            {"01.03.2025", "псориаз, прогрессирующая стадия. "},
                                            {"25.03.2025", "псориаз, стадия ремиссии. "},
                                            {"02.04.2025", "псориаз. "}};
    QStringList expected;
    int row = 4;
    for (const QString &date : dates) {
        expected << QStringLiteral("2/%1/2: ").arg(row) + date << QStringLiteral("2/%1/3: ").arg(row) + labels[date]
                 << QStringLiteral("2/%1/4: ").arg(row) + diagnoses[date];
        ++row;
    }
    QCOMPARE(rendered(sheet.cells), expected);
    QCOMPARE(sheet.nextRow, row);
    QCOMPARE(p.dm2->diagnoz->recNo(), stopsAt);
}

QTEST_GUILESS_MAIN(CardTextsTest)
#include "doc_card_texts_test.moc"
