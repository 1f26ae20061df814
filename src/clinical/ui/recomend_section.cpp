#include "recomend_section.h"

#include "form_recomend.h"
#include "recomend_ops.h"
#include "table.h"
#include "texts.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace pelorin::clinical {

namespace {

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

// ---------------------------------------------------------------- RecomendPanels

RecomendPanels::RecomendPanels(db::Table &recomend, QWidget *parent) : QWidget(parent), m_table(recomend)
{
    setObjectName(QStringLiteral("DBCtrlGrid_recomend"));
    auto *panels = new QVBoxLayout;
    panels->setSpacing(2);
    for (int n = 0; n < kRows; ++n) {
        auto *panel = new QFrame(this);
        panel->setObjectName(QStringLiteral("Panel_recomend_%1").arg(n));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setAutoFillBackground(true);
        auto *pl = new QVBoxLayout(panel);
        pl->setContentsMargins(6, 4, 6, 4);
        auto *head = new QHBoxLayout;
        m_dates[n] = new QLabel(panel);
        m_dates[n]->setObjectName(QStringLiteral("DBText_recomend_Data_%1").arg(n));
        QFont bold = m_dates[n]->font();
        bold.setBold(true);
        m_dates[n]->setFont(bold);
        m_dates[n]->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(QStringLiteral("00.00.0000")) + 2);
        head->addWidget(m_dates[n]);
        head->addWidget(new QLabel(QStringLiteral(" - дата назначения"), panel));
        head->addStretch(1);
        m_texts[n] = new QPlainTextEdit(panel);
        m_texts[n]->setObjectName(QStringLiteral("DBMemo_recomend_List_%1").arg(n));
        m_texts[n]->setReadOnly(true);
        pl->addLayout(head);
        pl->addWidget(m_texts[n], 1);
        // A click anywhere on the panel picks its record.
        panel->installEventFilter(this);
        m_texts[n]->viewport()->installEventFilter(this);
        m_dates[n]->installEventFilter(this);
        m_panels[n] = panel;
        panels->addWidget(panel, 1);
    }
    m_scroll = new QScrollBar(Qt::Vertical, this);
    m_scroll->setObjectName(QStringLiteral("ScrollBar_recomend"));
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int row) {
        if (!m_refreshing && row + 1 != m_table.recNo())
            m_table.setRecNo(row + 1);
    });
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(panels, 1);
    layout->addWidget(m_scroll);

    connect(&m_table, &db::Table::currentChanged, this, &RecomendPanels::refresh);
    connect(&m_table, &db::Table::rowsChanged, this, &RecomendPanels::refresh);
    connect(&m_table, &db::Table::recordChanged, this, &RecomendPanels::refresh);
    connect(&m_table, &db::Table::stateChanged, this, &RecomendPanels::refresh);
    refresh();
}

bool RecomendPanels::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int n = 0; n < kRows; ++n) {
            auto *w = qobject_cast<QWidget *>(watched);
            if (w && (w == m_panels[n] || m_panels[n]->isAncestorOf(w))) {
                const int row = m_top + n;
                if (row < m_table.recordCount() && row + 1 != m_table.recNo())
                    m_table.setRecNo(row + 1);
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RecomendPanels::refresh()
{
    m_refreshing = true;
    const int count = m_table.recordCount();
    const int current = m_table.recNo() - 1; // -1 when empty
    // The current record stays in view; the panels move as little as they can.
    if (current >= 0) {
        if (current < m_top)
            m_top = current;
        else if (current >= m_top + kRows)
            m_top = current - kRows + 1;
    }
    m_top = std::max(0, std::min(m_top, count - kRows));

    const int dataIndex = m_table.fieldIndex(QStringLiteral("Data"));
    const int listIndex = m_table.fieldIndex(QStringLiteral("List"));
    for (int n = 0; n < kRows; ++n) {
        const int row = m_top + n;
        const bool shown = row < count;
        // The current record is read as it stands, with changes not yet posted.
        const bool isCurrent = row == current;
        const QVariant date = !shown      ? QVariant()
                              : isCurrent ? m_table.value(dataIndex)
                                          : m_table.valueAt(row, dataIndex);
        const QVariant list = !shown      ? QVariant()
                              : isCurrent ? m_table.value(listIndex)
                                          : m_table.valueAt(row, listIndex);
        m_dates[n]->setText(date.isValid() ? text::shortDate(date.toDate()) : QString());
        if (m_texts[n]->toPlainText() != list.toString())
            m_texts[n]->setPlainText(list.toString());
        m_panels[n]->setVisible(shown || n == 0);
        // The current record's panel is tinted with the selection colour.
        QPalette look = palette();
        if (isCurrent)
            look.setColor(QPalette::Window, look.color(QPalette::Highlight).lighter(175));
        m_panels[n]->setPalette(look);
        m_panels[n]->setFrameShadow(isCurrent ? QFrame::Sunken : QFrame::Raised);
        m_panels[n]->setLineWidth(isCurrent ? 2 : 1);
    }
    m_scroll->setRange(0, std::max(0, count - 1));
    m_scroll->setPageStep(kRows);
    m_scroll->setValue(std::max(0, current));
    m_scroll->setEnabled(count > kRows);
    m_refreshing = false;
}

// ---------------------------------------------------------------- RecomendSection

RecomendSection::RecomendSection(db::Table &recomend, Form_recomend *window, QWidget *parent)
    : QWidget(parent), m_recomend(recomend), m_window(window)
{
    setObjectName(QStringLiteral("RecomendSection"));
    auto *panels = new RecomendPanels(recomend, this);

    auto *add = makeButton(this, QStringLiteral("Button18"), QStringLiteral("Добавить"));
    auto *change = makeButton(this, QStringLiteral("Button47"), QStringLiteral("Изменить"));
    auto *remove = makeButton(this, QStringLiteral("Button29"), QStringLiteral("Удалить текущую"));
    connect(add, &QPushButton::clicked, this, [this] {
        showWindow();
        addRecommendation(m_recomend);
    });
    connect(change, &QPushButton::clicked, this, [this] {
        showWindow();
        editRecommendation(m_recomend);
    });
    connect(remove, &QPushButton::clicked, this, [this] { deleteRecommendation(m_recomend); });

    auto *sheets = new QGroupBox(QStringLiteral("Печать готовых списков рекомендаций:"), this);
    sheets->setObjectName(QStringLiteral("RadioGroupPrintSheets"));
    auto *sl = new QVBoxLayout(sheets);
    m_sheets = new QButtonGroup(sheets);
    const QString sheetNames[] = {QStringLiteral("Рекомендации при атопическом дерматите"),
                                  QStringLiteral("Рекомендации при псориазе")};
    for (int i = 0; i < 2; ++i) {
        auto *b = new QRadioButton(sheetNames[i], sheets);
        b->setObjectName(QStringLiteral("RadioPrintSheet%1").arg(i));
        m_sheets->addButton(b, i);
        sl->addWidget(b);
    }
    auto *print =
        makeButton(sheets, QStringLiteral("Button50"), QStringLiteral("Вывести список рекомендаций на печать."));
    sl->addWidget(print);
    connect(print, &QPushButton::clicked, this, [this] {
        const int choice = m_sheets->checkedId();
        if (choice < 0 || !m_printSheet)
            return;
        m_printSheet(choice == 0 ? QStringLiteral("recom_ad.txt") : QStringLiteral("recom_ps.txt"));
    });

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(change);
    buttons->addWidget(remove);
    buttons->addSpacing(12);
    buttons->addWidget(sheets);
    buttons->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panels, 1);
    layout->addLayout(buttons);
}

void RecomendSection::showWindow()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace pelorin::clinical
