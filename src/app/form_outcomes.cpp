#include "form_outcomes.h"

#include "clock.h"
#include "dialogs.h"
#include "outcomes_workbook.h"
#include "programfolder.h"
#include "texts.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace pelorin::app {

namespace {

const QString kCaption = QStringLiteral("Пелорин. Итоги лечения.");

// The order of two filled cells of one kind: numbers and dates by value, texts alphabetically.
int compareCells(const QVariant &a, const QVariant &b)
{
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return QString::localeAwareCompare(a.toString(), b.toString());
    if (a.typeId() == QMetaType::QDate)
        return a.toDate() < b.toDate() ? -1 : a.toDate() > b.toDate();
    return a.toDouble() < b.toDouble() ? -1 : a.toDouble() > b.toDouble();
}

QTableView *newTable(QWidget *parent, const QString &name)
{
    auto *view = new QTableView(parent);
    view->setObjectName(name);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    view->horizontalHeader()->setMinimumHeight(3 * view->fontMetrics().height() + 8);
    view->setWordWrap(false);
    return view;
}

QChartView *newChart(QWidget *parent, const QString &name, QChart **chart)
{
    *chart = new QChart;
    (*chart)->legend()->setAlignment(Qt::AlignBottom);
    (*chart)->setMargins(QMargins(4, 4, 4, 4));
    auto *view = new QChartView(*chart, parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(300, 200);
    return view;
}

} // namespace

void CourseOutcomesModel::setCourses(QList<treatment::CourseOutcome> courses)
{
    beginResetModel();
    m_courses = std::move(courses);
    m_order.resize(m_courses.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    endResetModel();
}

int CourseOutcomesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_courses.size());
}

int CourseOutcomesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant CourseOutcomesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_order.size())
        return {};
    const treatment::CourseOutcome &c = course(index.row());
    if (role == Qt::DisplayRole)
        return treatment::courseTexts(c).value(index.column());
    if (role == Qt::TextAlignmentRole) {
        const QVariant cell = treatment::courseCells(c).value(index.column());
        return int(Qt::AlignVCenter |
                   (cell.typeId() == QMetaType::QString && index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight));
    }
    if (role == Qt::ToolTipRole && index.column() == 0)
        return c.patient;
    return {};
}

QVariant CourseOutcomesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_columns.value(section);
    return {};
}

void CourseOutcomesModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= m_columns.size())
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The cells of the column made once, not at every comparison.
    QList<QVariant> keys;
    keys.reserve(m_courses.size());
    for (const treatment::CourseOutcome &c : std::as_const(m_courses))
        keys << treatment::courseCells(c).at(column);
    std::iota(m_order.begin(), m_order.end(), 0);
    std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const QVariant &ka = keys.at(a);
        const QVariant &kb = keys.at(b);
        // Blanks, and "нет данных" among figures, stay last whichever way the column is sorted.
        if (!ka.isValid() || !kb.isValid())
            return ka.isValid() && !kb.isValid();
        const bool aText = ka.typeId() == QMetaType::QString;
        const bool bText = kb.typeId() == QMetaType::QString;
        if (aText != bText)
            return bText;
        const int c = compareCells(ka, kb);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex &i : before)
        after << index(int(m_order.indexOf(int(i.row()))), i.column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

Form_outcomes::Form_outcomes(db::Database &database, QWidget *parent) : QDialog(parent), m_db(database)
{
    setObjectName(QStringLiteral("Form_outcomes"));
    setWindowTitle(kCaption);
    auto *layout = new QVBoxLayout(this);

    auto *period = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("Итоги лечения ПУВА. Курсы, окончившиеся с"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    const QDate today = clock::today();
    m_from = new QDateEdit(QDate(today.year() - 9, 1, 1), this);
    m_from->setObjectName(QStringLiteral("DateFrom"));
    m_to = new QDateEdit(today, this);
    m_to->setObjectName(QStringLiteral("DateTo"));
    for (QDateEdit *e : {m_from, m_to}) {
        e->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        e->setCalendarPopup(true);
    }
    auto *show = new QPushButton(QStringLiteral("Показать"), this);
    show->setObjectName(QStringLiteral("ButtonShow"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("LabelCount"));
    period->addWidget(title);
    period->addWidget(m_from);
    period->addWidget(new QLabel(QStringLiteral("по"), this));
    period->addWidget(m_to);
    period->addWidget(show);
    period->addSpacing(12);
    period->addWidget(m_count, 1);
    layout->addLayout(period);

    auto *body = new QHBoxLayout;
    auto *tables = new QVBoxLayout;
    auto *summaryBox = new QGroupBox(QStringLiteral("Сводка по годам окончания курсов"), this);
    auto *sl = new QVBoxLayout(summaryBox);
    m_summaryView = newTable(summaryBox, QStringLiteral("GridSummary"));
    m_summary = new QStandardItemModel(this);
    m_summaryView->setModel(m_summary);
    sl->addWidget(m_summaryView);
    summaryBox->setFixedHeight(230);
    auto *coursesBox = new QGroupBox(QStringLiteral("Курсы (двойной щелчок — сделать пациента текущим)"), this);
    auto *cl = new QVBoxLayout(coursesBox);
    m_coursesView = newTable(coursesBox, QStringLiteral("GridCourses"));
    m_courses = new CourseOutcomesModel(this);
    m_coursesView->setModel(m_courses);
    m_coursesView->setSortingEnabled(true);
    m_coursesView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    cl->addWidget(m_coursesView);
    tables->addWidget(summaryBox);
    tables->addWidget(coursesBox, 1);

    auto *charts = new QVBoxLayout;
    m_sharesView = newChart(this, QStringLiteral("ChartShares"), &m_sharesChart);
    m_doseView = newChart(this, QStringLiteral("ChartDose"), &m_doseChart);
    charts->addWidget(m_sharesView, 1);
    charts->addWidget(m_doseView, 1);
    body->addLayout(tables, 3);
    body->addLayout(charts, 2);
    layout->addLayout(body, 1);

    auto *buttons = new QHBoxLayout;
    m_excel = new QPushButton(QStringLiteral("Сохранить в Excel"), this);
    m_excel->setObjectName(QStringLiteral("ButtonExcel"));
    auto *close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("ButtonClose"));
    buttons->addStretch();
    buttons->addWidget(m_excel);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(show, &QPushButton::clicked, this, &Form_outcomes::compute);
    connect(m_excel, &QPushButton::clicked, this, &Form_outcomes::saveWorkbook);
    // Esc, the title bar and the button all only hide the window; the figures stay for the next look.
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_coursesView, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            Q_EMIT patientChosen(m_courses->course(index.row()).patientId);
    });
    resize(1280, 650);
}

QDate Form_outcomes::from() const
{
    return m_from->date();
}

QDate Form_outcomes::to() const
{
    return m_to->date();
}

void Form_outcomes::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The first look computes the default period; later ones keep what was shown until "Показать".
    if (!m_computed)
        compute();
}

bool Form_outcomes::compute()
{
    m_computed = true;
    if (from() > to()) {
        Dialogs::instance().message(QStringLiteral("Начало периода позже его конца."), kCaption);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    treatment::TreatmentOutcomes result;
    const bool ok = treatment::computeOutcomes(m_db, from(), to(), &result, &error);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        Dialogs::instance().message(error, kCaption, Dialogs::Kind::Error);
        return false;
    }
    m_outcomes = std::move(result);
    m_count->setText(QStringLiteral("Курсов: %1, пациентов: %2, с данными: %3.")
                         .arg(m_outcomes.total.courses)
                         .arg(m_outcomes.total.patients)
                         .arg(m_outcomes.total.withData));
    fillSummary();
    m_coursesView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_courses->setCourses(m_outcomes.courses);
    // Wide enough for a date, a dose or "нет данных"; the name gets the most.
    static const int widths[] = {210, 55, 50, 80, 80, 70, 72, 58, 58, 80, 62, 62, 80, 55, 55, 55, 68, 68, 75};
    for (int c = 0; c < m_courses->columnCount() && c < int(std::size(widths)); ++c)
        m_coursesView->setColumnWidth(c, widths[c]);
    fillCharts();
    m_excel->setEnabled(true);
    return true;
}

void Form_outcomes::fillSummary()
{
    m_summary->clear();
    m_summary->setHorizontalHeaderLabels(treatment::summaryColumns());
    QList<treatment::YearSummary> rows = m_outcomes.years;
    rows << m_outcomes.total;
    for (const treatment::YearSummary &year : std::as_const(rows)) {
        QList<QStandardItem *> items;
        for (const QString &text : treatment::summaryTexts(year)) {
            auto *item = new QStandardItem(text);
            item->setTextAlignment(items.isEmpty() ? Qt::AlignLeft | Qt::AlignVCenter
                                                   : Qt::AlignRight | Qt::AlignVCenter);
            if (year.year == 0) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
            }
            items << item;
        }
        m_summary->appendRow(items);
    }
    static const int widths[] = {48, 58, 72, 62, 54, 58, 62, 62, 76, 76, 76};
    for (int c = 0; c < m_summary->columnCount() && c < int(std::size(widths)); ++c)
        m_summaryView->setColumnWidth(c, widths[c]);
    // The total in sight, with the latest years above it.
    m_summaryView->scrollToBottom();
}

void Form_outcomes::fillCharts()
{
    m_sharesChart->removeAllSeries();
    for (QAbstractAxis *axis : m_sharesChart->axes())
        m_sharesChart->removeAxis(axis);
    m_sharesChart->setTitle(QStringLiteral("Доля курсов, достигших PASI 75 и SCORAD 50, %"));
    auto *pasi = new QBarSet(QStringLiteral("PASI 75"));
    auto *scorad = new QBarSet(QStringLiteral("SCORAD 50"));
    QStringList years;
    for (const treatment::YearSummary &y : std::as_const(m_outcomes.years)) {
        years << QString::number(y.year);
        *pasi << y.sharePasi75().value_or(0);
        *scorad << y.shareScorad50().value_or(0);
    }
    auto *bars = new QBarSeries;
    bars->append(pasi);
    bars->append(scorad);
    m_sharesChart->addSeries(bars);
    auto *yearAxis = new QBarCategoryAxis;
    yearAxis->append(years);
    // Ten years side by side keep their four digits only in a small font.
    QFont small = yearAxis->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    yearAxis->setLabelsFont(small);
    auto *shareAxis = new QValueAxis;
    shareAxis->setRange(0, 100);
    shareAxis->setLabelFormat(QStringLiteral("%d"));
    m_sharesChart->addAxis(yearAxis, Qt::AlignBottom);
    m_sharesChart->addAxis(shareAxis, Qt::AlignLeft);
    bars->attachAxis(yearAxis);
    bars->attachAxis(shareAxis);

    m_doseChart->removeAllSeries();
    for (QAbstractAxis *axis : m_doseChart->axes())
        m_doseChart->removeAxis(axis);
    auto *pasiPoints = new QScatterSeries;
    pasiPoints->setName(QStringLiteral("PASI"));
    auto *scoradPoints = new QScatterSeries;
    scoradPoints->setName(QStringLiteral("SCORAD"));
    for (QScatterSeries *s : {pasiPoints, scoradPoints}) {
        s->setMarkerSize(6);
        s->setBorderColor(Qt::transparent);
    }
    qsizetype withImprovement = 0;
    for (const treatment::CourseOutcome &c : std::as_const(m_outcomes.courses))
        withImprovement += c.hasData();
    // A hundred thousand markers would take the window seconds to draw and hide each other anyway.
    const qsizetype step = std::max<qsizetype>(1, (withImprovement + kMaxScatterPoints - 1) / kMaxScatterPoints);
    double maxDose = 1;
    double minImprovement = 0;
    qsizetype seen = 0;
    for (const treatment::CourseOutcome &c : std::as_const(m_outcomes.courses)) {
        if (!c.hasData() || seen++ % step != 0)
            continue;
        const double dose = double(c.dose) / 100.0;
        maxDose = std::max(maxDose, dose);
        if (c.pasi.improvement) {
            pasiPoints->append(dose, double(*c.pasi.improvement) / 10.0);
            minImprovement = std::min(minImprovement, double(*c.pasi.improvement) / 10.0);
        }
        if (c.scorad.improvement) {
            scoradPoints->append(dose, double(*c.scorad.improvement) / 10.0);
            minImprovement = std::min(minImprovement, double(*c.scorad.improvement) / 10.0);
        }
    }
    m_doseChart->setTitle(step > 1 ? QStringLiteral("Улучшение, % — доза курса, Дж/см² (каждый %1-й курс)").arg(step)
                                   : QStringLiteral("Улучшение, % — доза курса, Дж/см²"));
    m_doseChart->addSeries(pasiPoints);
    m_doseChart->addSeries(scoradPoints);
    auto *doseAxis = new QValueAxis;
    doseAxis->setRange(0, std::ceil(maxDose / 10.0) * 10.0);
    doseAxis->setLabelFormat(QStringLiteral("%d"));
    // Worsening is shown down to -100 %: a course that tripled its index would squash the rest.
    auto *improvementAxis = new QValueAxis;
    improvementAxis->setRange(std::max(-100.0, std::floor(minImprovement / 25.0) * 25.0), 100);
    improvementAxis->setLabelFormat(QStringLiteral("%d"));
    m_doseChart->addAxis(doseAxis, Qt::AlignBottom);
    m_doseChart->addAxis(improvementAxis, Qt::AlignLeft);
    for (QScatterSeries *s : {pasiPoints, scoradPoints}) {
        s->attachAxis(doseAxis);
        s->attachAxis(improvementAxis);
    }
}

bool Form_outcomes::saveWorkbook()
{
    const QString suggested =
        QDir(folder::reports())
            .filePath(
                QStringLiteral("Итоги лечения %1.xlsx").arg(clock::today().toString(QStringLiteral("dd.MM.yyyy"))));
    const QString path = Dialogs::instance().saveFileName(QStringLiteral("Сохранить итоги лечения"), suggested,
                                                          QStringLiteral("Книга Excel (*.xlsx)"));
    if (path.isEmpty())
        return false;
    QString error;
    if (!documents::writeOutcomesWorkbook(m_outcomes, from(), to(), documents::outcomesTemplatePath(), path, &error)) {
        Dialogs::instance().message(error, kCaption, Dialogs::Kind::Error);
        return false;
    }
    Dialogs::instance().message(
        QStringLiteral("Итоги лечения сохранены в файл %1.").arg(QDir::toNativeSeparators(path)), kCaption);
    return true;
}

} // namespace pelorin::app
