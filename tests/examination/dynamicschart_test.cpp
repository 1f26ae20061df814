#include "dynamicschart.h"

#include "clinicfixture.h"
#include "clock.h"
#include "osmotr_calc.h"
#include "table.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPrinter>
#include "uitest.h"

#include <QtTest>

using namespace pelorin;
using namespace pelorin::examination;

namespace {

using pelorin::testing::typeText;

// A patient whose examinations are entered out of date order, the chart over them.
struct ChartClinic : testing::ClinicFixture
{
    std::unique_ptr<DynamicsChart> chart;

    ChartClinic()
    {
        installOsmotrCalc(exams());
        append(reg(), {{"Last_Name", QStringLiteral("Динамиков")}});
        chart = std::make_unique<DynamicsChart>(exams());
        chart->resize(900, 500);
        chart->show();
    }
    ~ChartClinic() { chart.reset(); }
    db::Table &exams() { return *dm2->osmotr1; }
    void exam(const QDate &date, const QVariantMap &fields)
    {
        QVariantMap all = fields;
        all.insert(QStringLiteral("Date"), date);
        append(exams(), all);
    }
    // A small course: SCORAD falls, one examination without its itch scored.
    void course()
    {
        exam(QDate(2025, 3, 1), {{"B1", 40}, {"B2", 2}, {"B8", 6}, {"Dinamika", QStringLiteral("Положительная")}});
        exam(QDate(2025, 2, 1), {{"B1", 60}, {"B2", 3}, {"B8", 9}, {"Dinamika", QStringLiteral("Отрицательная")}});
        exam(QDate(2025, 3, 15), {{"B1", 20}, {"B2", 1}});
        exam(QDate(2025, 4, 1), {{"B1", 5}, {"B8", 1}, {"Dinamika", QStringLiteral("Полный регресс высыпаний")}});
    }
    QString title() const { return chart->chart()->title(); }
    QPair<double, double> range() const { return {chart->axisY()->min(), chart->axisY()->max()}; }
    void type(const QString &text)
    {
        QLineEdit *edit = chart->pickList()->lineEdit();
        edit->setFocus();
        edit->selectAll();
        typeText(edit, text);
    }
    QList<QPointF> drawn()
    {
        QList<QPointF> all;
        for (QLineSeries *s : chart->series())
            all << s->points();
        return all;
    }
};

double day(int y, int m, int d)
{
    return double(QDate(y, m, d).toJulianDay());
}

using Range = QPair<double, double>;

} // namespace

class DynamicsChartTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { clock::setFixedToday(QDate(2025, 5, 1)); }
    void pickListAndStart();
    void lookOfTheChart();
    void pickedItemSetsTitleAxisAndField();
    void typingAPartialItemChangesNothing();
    void courseThenItchKeepsTheMinimum();
    void pointsInDateOrder();
    void blankValuesBreakTheLine();
    void patientWithoutExaminationsGivesAnEmptyChart();
    void followsTheTable();
    void hiddenChartCatchesUpWhenShown();
    void datesUnderTheAxis();
    void roundValuesOnTheLeftAxis();
    void rendersAndPrints();
    void screenshot();
};

void DynamicsChartTest::pickListAndStart()
{
    ChartClinic c;
    QComboBox *pick = c.chart->findChild<QComboBox *>(QStringLiteral("ComboBox4"));
    QVERIFY(pick);
    QVERIFY(pick->isEditable());
    QCOMPARE(pick->count(), 14);
    QCOMPARE(pick->currentText(), QStringLiteral("Индекс SCORAD"));
    QCOMPARE(pick->itemText(4), QStringLiteral("Интенсивность отека\\папулы"));
    auto *label = c.chart->findChild<QLabel *>();
    QCOMPARE(label->text(), QStringLiteral("Данные в графике:"));
    QCOMPARE(c.title(), QStringLiteral("Индекс SCORAD"));
    QCOMPARE(c.range(), Range(-6.18, 96.82));
    QCOMPARE(c.chart->choice().field(), QStringLiteral("ind3"));
}

void DynamicsChartTest::lookOfTheChart()
{
    ChartClinic c;
    c.course();
    QChart *chart = c.chart->chart();
    QCOMPARE(chart->objectName(), QStringLiteral("DBChart1"));
    QVERIFY(chart->titleFont().bold());
    QCOMPARE(chart->titleFont().pixelSize(), 19);
    QVERIFY(!chart->isPlotAreaBackgroundVisible());
    QVERIFY(!chart->legend()->isVisible());
    const QList<QLineSeries *> series = c.chart->series();
    QCOMPARE(series.size(), 1);
    QCOMPARE(series.first()->objectName(), QStringLiteral("Series1"));
    QCOMPARE(series.first()->pen().color(), QColor(Qt::red));
    QCOMPARE(series.first()->pen().width(), 3);
    QVERIFY(!series.first()->pointsVisible());
}

void DynamicsChartTest::pickedItemSetsTitleAxisAndField()
{
    ChartClinic c;
    c.course();
    c.chart->pickList()->setCurrentIndex(0);
    QCOMPARE(c.range(), Range(-6.18, 96.82)); // no change of text, nothing to do
    c.type(QStringLiteral("Площадь распространения"));
    QCOMPARE(c.title(), QStringLiteral("Площадь распространения"));
    QCOMPARE(c.range(), Range(-6.18, 100));
    QCOMPARE(c.drawn(), (QList<QPointF>{{day(2025, 2, 1), 60}, {day(2025, 3, 1), 40}, {day(2025, 3, 15), 20},
                                       {day(2025, 4, 1), 5}}));
    c.chart->pickList()->setCurrentIndex(0);
    QCOMPARE(c.title(), QStringLiteral("Индекс SCORAD"));
    QCOMPARE(c.range(), Range(-6.18, 103));
    c.chart->pickList()->setCurrentIndex(13);
    QCOMPARE(c.title(), QStringLiteral("Динамика течения заболевания в относительных единицах"));
    QCOMPARE(c.range(), Range(-1, 1));
    // "Полный регресс высыпаний" is 2, above the axis; the blank course is a gap.
    QCOMPARE(c.drawn(), (QList<QPointF>{{day(2025, 2, 1), -1}, {day(2025, 3, 1), 1}, {day(2025, 4, 1), 2}}));
    QCOMPARE(c.chart->series().size(), 2);
}

void DynamicsChartTest::typingAPartialItemChangesNothing()
{
    ChartClinic c;
    c.course();
    c.chart->pickList()->setCurrentIndex(1);
    const QList<QPointF> before = c.drawn();
    c.type(QStringLiteral("Зу"));
    QCOMPARE(c.chart->pickList()->currentText(), QStringLiteral("Зу"));
    QCOMPARE(c.title(), QStringLiteral("Площадь распространения"));
    QCOMPARE(c.range(), Range(-6.18, 100));
    QCOMPARE(c.drawn(), before);
    typeText(c.chart->pickList()->lineEdit(), QStringLiteral("д"));
    QCOMPARE(c.title(), QStringLiteral("Зуд"));
    QCOMPARE(c.chart->choice().field(), QStringLiteral("B8"));
    QCOMPARE(c.range(), Range(-6.18, 10));
}

void DynamicsChartTest::courseThenItchKeepsTheMinimum()
{
    ChartClinic c;
    c.course();
    c.type(QStringLiteral("Динамика течения заболевания"));
    c.type(QStringLiteral("Зуд"));
    QCOMPARE(c.title(), QStringLiteral("Зуд"));
    QCOMPARE(c.range(), Range(-1, 10));
}

void DynamicsChartTest::pointsInDateOrder()
{
    ChartClinic c;
    c.course();
    QList<QDate> dates;
    for (const DynamicsPoint &p : c.chart->points())
        dates << p.date;
    QCOMPARE(dates, (QList<QDate>{QDate(2025, 2, 1), QDate(2025, 3, 1), QDate(2025, 3, 15), QDate(2025, 4, 1)}));
    const QList<QPointF> drawn = c.drawn();
    for (int i = 1; i < drawn.size(); ++i)
        QVERIFY(drawn[i - 1].x() < drawn[i].x());
}

void DynamicsChartTest::blankValuesBreakTheLine()
{
    ChartClinic c;
    c.course();
    c.type(QStringLiteral("Зуд"));
    const QList<QLineSeries *> series = c.chart->series();
    QCOMPARE(series.size(), 2);
    QCOMPARE(series[0]->points(), (QList<QPointF>{{day(2025, 2, 1), 9}, {day(2025, 3, 1), 6}}));
    QCOMPARE(series[1]->points(), (QList<QPointF>{{day(2025, 4, 1), 1}}));
    QCOMPARE(series[1]->objectName(), QStringLiteral("Series1_2"));
    // A value alone between gaps is marked, or it would not show at all.
    QVERIFY(!series[0]->pointsVisible());
    QVERIFY(series[1]->pointsVisible());
    QCOMPARE(series[1]->pen().color(), QColor(Qt::red));
}

void DynamicsChartTest::patientWithoutExaminationsGivesAnEmptyChart()
{
    ChartClinic c;
    c.course();
    c.type(QStringLiteral("Индекс PASI"));
    c.append(c.reg(), {{"Last_Name", QStringLiteral("Новенький")}});
    QVERIFY(c.chart->series().isEmpty());
    QVERIFY(c.chart->points().isEmpty());
    QCOMPARE(c.title(), QStringLiteral("Индекс PASI"));
    QCOMPARE(c.range(), Range(-6.18, 72));
    QVERIFY(c.chart->dateLabels().isEmpty());
}

void DynamicsChartTest::followsTheTable()
{
    ChartClinic c;
    c.type(QStringLiteral("Интенсивность эритемы"));
    QVERIFY(c.chart->series().isEmpty());
    c.exam(QDate(2025, 1, 10), {{"B2", 3}});
    c.exam(QDate(2025, 1, 20), {{"B2", 2}});
    QCOMPARE(c.drawn(), (QList<QPointF>{{day(2025, 1, 10), 3}, {day(2025, 1, 20), 2}}));
    c.exams().first();
    c.exams().edit();
    c.exams().setValue("B2", 1);
    QVERIFY(c.exams().post());
    QCOMPARE(c.drawn(), (QList<QPointF>{{day(2025, 1, 10), 1}, {day(2025, 1, 20), 2}}));
    QVERIFY(c.exams().deleteRecord());
    QCOMPARE(c.drawn(), (QList<QPointF>{{day(2025, 1, 20), 2}}));
    QVERIFY(c.exams().setFilter(QStringLiteral("Date > '01.02.2025'")));
    QVERIFY(c.drawn().isEmpty());
}

void DynamicsChartTest::hiddenChartCatchesUpWhenShown()
{
    ChartClinic c;
    c.chart->hide();
    c.exam(QDate(2025, 1, 10), {{"B1", 30}});
    c.exam(QDate(2025, 1, 20), {{"B1", 10}});
    c.chart->show();
    QCOMPARE(c.chart->series().size(), 1);
    QCOMPARE(c.chart->series().first()->count(), 2);
}

void DynamicsChartTest::datesUnderTheAxis()
{
    ChartClinic c;
    c.course();
    QTRY_COMPARE(c.chart->dateLabels(),
                 (QStringList{"01.02.2025", "01.03.2025", "15.03.2025", "01.04.2025"}));
    // Examinations a day apart on a narrow chart: the dates that would overlap are not written.
    c.exam(QDate(2025, 3, 16), {{"B1", 19}});
    c.exam(QDate(2025, 3, 17), {{"B1", 18}});
    QTRY_VERIFY(c.chart->dateLabels().size() < 6);
    QVERIFY(c.chart->dateLabels().contains(QStringLiteral("01.02.2025")));
}

void DynamicsChartTest::roundValuesOnTheLeftAxis()
{
    ChartClinic c;
    QCOMPARE(c.chart->axisY()->categoriesLabels(),
             (QStringList{"0", "10", "20", "30", "40", "50", "60", "70", "80", "90"}));
    c.type(QStringLiteral("Динамика течения заболевания"));
    QCOMPARE(c.chart->axisY()->categoriesLabels(),
             (QStringList{"-1", "-0,8", "-0,6", "-0,4", "-0,2", "0", "0,2", "0,4", "0,6", "0,8", "1"}));
    c.type(QStringLiteral("Интенсивность эритемы"));
    QCOMPARE(c.range(), Range(-1, 3));
    QCOMPARE(c.chart->axisY()->categoriesLabels(),
             (QStringList{"-1", "-0,5", "0", "0,5", "1", "1,5", "2", "2,5", "3"}));
}

void DynamicsChartTest::rendersAndPrints()
{
    ChartClinic c;
    c.course();
    QImage image(800, 500, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        c.chart->render(painter, QRectF(0, 0, 800, 500));
    }
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor px = image.pixelColor(x, y);
            red += px.red() > 200 && px.green() < 60 && px.blue() < 60;
        }
    QVERIFY2(red > 300, qPrintable(QString::number(red)));

    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("chart.pdf")));
    QVERIFY(c.chart->print(printer));
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("chart.pdf"))).size() > 1000);
}

void DynamicsChartTest::screenshot()
{
    const QString dir = qEnvironmentVariable("PELORIN_SHOTS");
    if (dir.isEmpty())
        QSKIP("PELORIN_SHOTS names no folder for pictures");
    ChartClinic c;
    c.course();
    c.type(QStringLiteral("Зуд"));
    QTest::qWait(50);
    QVERIFY(c.chart->grab().save(dir + QStringLiteral("/chart_gap.png")));
    QImage page(1100, 700, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        c.chart->render(painter, QRectF(0, 0, 1100, 700));
    }
    QVERIFY(page.save(dir + QStringLiteral("/chart_rendered.png")));
}

QTEST_MAIN(DynamicsChartTest)
#include "dynamicschart_test.moc"
