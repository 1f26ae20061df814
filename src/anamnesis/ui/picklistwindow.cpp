#include "picklistwindow.h"

#include "dbcontrols.h"
#include "settings.h"
#include "table.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace pelorin::anamnesis {

namespace {


} // namespace

PickListWindow::PickListWindow(const QString &name, const QString &caption, const QString &heading, db::Table *table,
                               db::RunSettings &settings, QWidget *mainWindow, QWidget *parent)
    : ui::EditingWindow(parent), m_table(table), m_settings(settings)
{
    holdMainWindow(mainWindow, [this] { return m_settings.noFastScrolling; });
    setObjectName(name);
    setWindowTitle(caption);
    setModal(false);
    // The main window is disabled under it: a pick list that slipped behind it could not be reached.
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *title = new QLabel(heading, this);
    title->setObjectName(QStringLiteral("LabelTitle"));
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    title->setFont(font);
    layout->addWidget(title);

    m_body = new QVBoxLayout;
    layout->addLayout(m_body);

    auto *apply = new QPushButton(QStringLiteral("Применить"), this);
    apply->setObjectName(QStringLiteral("ButtonApply"));
    apply->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, [this] { this->apply(); });
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(apply);
    layout->addLayout(row);
}

PickListWindow::~PickListWindow() = default;

void PickListWindow::apply()
{
    postIfModified();
    close();
}

void PickListWindow::postIfModified()
{
    if (m_table->updateRecord() && m_table->modified())
        m_table->post();
}

ui::DBCheckBox *PickListWindow::check(const Check &c, QWidget *parent)
{
    auto *box = new ui::DBCheckBox(c.caption, m_table, c.field, parent);
    box->setObjectName(c.field);
    return box;
}

QGroupBox *PickListWindow::checkGroup(const QString &title, const QList<Check> &checks, int columns)
{
    // A group box title has one line; a two-line heading goes into the box as a label.
    const bool twoLines = title.contains(QLatin1Char('\n'));
    auto *group = new QGroupBox(twoLines ? QString() : title, this);
    auto *grid = new QGridLayout(group);
    grid->setVerticalSpacing(2);
    int top = 0;
    if (twoLines) {
        grid->addWidget(new QLabel(title, group), 0, 0, 1, columns);
        top = 1;
    }
    const int rows = (int(checks.size()) + columns - 1) / columns;
    for (int i = 0; i < checks.size(); ++i)
        grid->addWidget(check(checks[i], group), top + i % rows, i / rows);
    grid->setRowStretch(top + rows, 1);
    return group;
}

void PickListWindow::addToGroup(QGroupBox *group, QWidget *widget)
{
    auto *grid = static_cast<QGridLayout *>(group->layout());
    grid->addWidget(widget, grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
}

QWidget *PickListWindow::editRow(const QString &caption, const QString &field, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *l = new QHBoxLayout(row);
    l->setContentsMargins(0, 0, 0, 0);
    auto *edit = new ui::DBEdit(m_table, field, row);
    edit->setObjectName(field);
    auto *label = new QLabel(caption, row);
    label->setBuddy(edit);
    l->addWidget(label);
    edit->setMinimumWidth(220);
    l->addWidget(edit, 1);
    return row;
}

} // namespace pelorin::anamnesis
