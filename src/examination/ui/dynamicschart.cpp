#include "dynamicschart.h"

#include "clock.h"
#include "table.h"
#include "texts.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPrinter>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace pelorin::examination {

namespace {

// A round step for about a dozen ticks over the span: 1, 2 or 5 times a power of ten.
double tickStep(double span)
{
    if (span <= 0)
        return 1;
    const double raw = span / 12;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double n = raw / magnitude;
    return (n <= 1 ? 1 : n <= 2 ? 2 : n <= 5 ? 5 : 10) * magnitude;
}

double dayOf(const QDate &date)
{
    return double(date.toJulianDay());
}

} // namespace

DynamicsChart::DynamicsChart(db::Table &osmotr1, QWidget *parent) : QWidget(parent), m_osmotr(osmotr1)
{
    setObjectName(QStringLiteral("DynamicsChart"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *top = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("Данные в графике:"), this);
    m_pick = new QComboBox(this);
    m_pick->setObjectName(QStringLiteral("ComboBox4"));
    m_pick->setEditable(true);
    m_pick->addItems(dynamicsItemTexts());
    m_pick->setInsertPolicy(QComboBox::NoInsert);
    // Typing "Зу" must not turn into "Зуд" by itself: only a whole item's text switches the chart.
    m_pick->setCompleter(nullptr);
    m_pick->setCurrentIndex(0);
    m_pick->setMinimumContentsLength(30);
    m_pick->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    label->setBuddy(m_pick);
    top->addWidget(label);
    top->addWidget(m_pick);
    top->addStretch();
    layout->addLayout(top);

    m_chart = new QChart;
    m_chart->setObjectName(QStringLiteral("DBChart1"));
    m_chart->legend()->hide();
    m_chart->setPlotAreaBackgroundVisible(false);
    m_chart->setBackgroundRoundness(0);
    m_chart->setMargins(QMargins(6, 6, 30, 6));
    QFont titleFont = m_chart->titleFont();
    titleFont.setBold(true);
    titleFont.setPixelSize(19);
    m_chart->setTitleFont(titleFont);

    m_axisY = new QCategoryAxis(m_chart);
    m_axisY->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    m_axisX = new QCategoryAxis(m_chart);
    m_axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_chart->addAxis(m_axisX, Qt::AlignBottom);

    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing);
    // Its page hides the text area and takes the whole section; this only keeps the other pages low.
    m_view->setMinimumHeight(160);
    layout->addWidget(m_view, 1);

    connect(m_pick, &QComboBox::editTextChanged, this, &DynamicsChart::pick);
    connect(m_pick, &QComboBox::currentIndexChanged, this, [this] { pick(m_pick->currentText()); });
    connect(&m_osmotr, &db::Table::rowsChanged, this, &DynamicsChart::tableChanged);
    connect(&m_osmotr, &db::Table::recordChanged, this, &DynamicsChart::tableChanged);
    // The dates under the axis depend on its width in pixels.
    connect(m_chart, &QChart::plotAreaChanged, this, [this] {
        if (!m_writingLabels)
            QMetaObject::invokeMethod(this, &DynamicsChart::writeDateLabels, Qt::QueuedConnection);
    });
    redraw();
}

DynamicsChart::~DynamicsChart() = default;

void DynamicsChart::pick(const QString &text)
{
    const DynamicsChoice before = m_choice;
    if (!m_choice.pick(text))
        return;
    if (before.field() == m_choice.field() && before.title() == m_choice.title() &&
        before.axisMin() == m_choice.axisMin() && before.axisMax() == m_choice.axisMax())
        return;
    redraw();
}

void DynamicsChart::tableChanged()
{
    // A hidden chart waits until it is shown: scrolling through patients reads no examination
    // values for it.
    if (isVisible())
        redraw();
    else
        m_dirty = true;
}

void DynamicsChart::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    ensureDrawn();
}

void DynamicsChart::ensureDrawn()
{
    if (m_dirty)
        redraw();
}

QList<DynamicsPoint> DynamicsChart::points()
{
    ensureDrawn();
    return m_points;
}

QList<QList<DynamicsPoint>> DynamicsChart::segments()
{
    ensureDrawn();
    return dynamicsSegments(m_points);
}

QList<QLineSeries *> DynamicsChart::series()
{
    ensureDrawn();
    return m_series;
}

QStringList DynamicsChart::dateLabels() const
{
    return m_axisX->categoriesLabels();
}

void DynamicsChart::applyAxisRange()
{
    // Round values at their places, written the Russian way ("0,5"); the ends of the range are
    // not round (-6.18) and get no label of their own.
    const double min = m_choice.axisMin();
    const double max = m_choice.axisMax();
    const double step = tickStep(max - min);
    for (const QString &label : m_axisY->categoriesLabels())
        m_axisY->remove(label);
    m_axisY->setStartValue(min);
    m_axisY->setRange(min, max);
    const double tolerance = step * 1e-9;
    for (qint64 k = qint64(std::ceil((min - tolerance) / step)); k * step <= max + tolerance; ++k) {
        const double value = k * step;
        m_axisY->append(text::floatToText(std::abs(value) < tolerance ? 0.0 : value), value);
    }
}

void DynamicsChart::redraw()
{
    m_dirty = false;
    m_points = dynamicsPoints(m_osmotr, m_choice.field());
    for (QLineSeries *s : std::as_const(m_series)) {
        m_chart->removeSeries(s);
        delete s;
    }
    m_series.clear();
    const QPen pen(QColor(Qt::red), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QList<QList<DynamicsPoint>> stretches = dynamicsSegments(m_points);
    for (const QList<DynamicsPoint> &stretch : stretches) {
        auto *s = new QLineSeries(m_chart);
        s->setObjectName(m_series.isEmpty() ? QStringLiteral("Series1")
                                            : QStringLiteral("Series1_%1").arg(m_series.size() + 1));
        s->setPen(pen);
        for (const DynamicsPoint &p : stretch)
            s->append(dayOf(p.date), *p.value);
        if (stretch.size() == 1) {
            s->setPointsVisible(true);
            s->setMarkerSize(7);
            s->setColor(Qt::red);
        }
        m_chart->addSeries(s);
        s->attachAxis(m_axisX);
        s->attachAxis(m_axisY);
        m_series.append(s);
    }
    m_chart->setTitle(m_choice.title());
    applyAxisRange();

    // The dates of the points, with a little room so that the first and last stay inside.
    double first = dayOf(clock::today()) - 1;
    double last = first + 2;
    if (!m_points.isEmpty()) {
        first = dayOf(m_points.first().date);
        last = dayOf(m_points.last().date);
    }
    const double pad = std::max(1.0, (last - first) * 0.04);
    m_axisX->setStartValue(first - pad);
    m_axisX->setRange(first - pad, last + pad);
    writeDateLabels();
}

void DynamicsChart::writeDateLabels()
{
    m_writingLabels = true;
    const QStringList old = m_axisX->categoriesLabels();
    QStringList labels;
    QList<double> values;
    const double min = m_axisX->min();
    const double max = m_axisX->max();
    const double width = m_chart->plotArea().width();
    const QFontMetricsF metrics(m_axisX->labelsFont());
    double lastX = -std::numeric_limits<double>::infinity();
    for (const DynamicsPoint &p : std::as_const(m_points)) {
        const QString label = text::shortDate(p.date);
        if (!labels.isEmpty() && labels.last() == label)
            continue;
        // Without a laid-out plot area yet every date is written; the next layout thins them.
        const double x = width > 0 && max > min ? (dayOf(p.date) - min) / (max - min) * width : 0;
        if (width > 0 && x - lastX < metrics.horizontalAdvance(label) + 8)
            continue;
        labels << label;
        values << dayOf(p.date);
        lastX = x;
    }
    if (labels != old) {
        for (const QString &label : old)
            m_axisX->remove(label);
        m_axisX->setStartValue(min);
        for (int i = 0; i < labels.size(); ++i)
            m_axisX->append(labels[i], values[i]);
    }
    m_writingLabels = false;
}

void DynamicsChart::render(QPainter &painter, const QRectF &target)
{
    ensureDrawn();
    if (m_chart->size().isEmpty() || !m_view->isVisible()) {
        // Never laid out: give it the proportions of a page before painting.
        m_chart->resize(QSizeF(target.width(), target.height()).scaled(QSizeF(1000, 620), Qt::KeepAspectRatio));
        writeDateLabels();
    }
    // Centred in the target at the chart's own proportions.
    const QRectF source = m_chart->sceneBoundingRect();
    QRectF placed(QPointF(0, 0), source.size().scaled(target.size(), Qt::KeepAspectRatio));
    placed.moveCenter(target.center());
    m_view->scene()->render(&painter, placed, source, Qt::IgnoreAspectRatio);
}

bool DynamicsChart::print(QPrinter &printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    render(painter, QRectF(0, 0, page.width(), page.height()));
    return painter.end();
}

} // namespace pelorin::examination
