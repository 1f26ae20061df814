#include "placeholder.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pelorin::app {

PlaceholderWindow::PlaceholderWindow(const QString &objectName, const QString &caption, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    m_layout = new QVBoxLayout(this);
    m_layout->addWidget(new QLabel(QStringLiteral("Окно в разработке."), this));
}

QComboBox *PlaceholderWindow::addCombo(const QString &objectName)
{
    auto *c = new QComboBox(this);
    c->setObjectName(objectName);
    m_layout->addWidget(c);
    return c;
}

QDateEdit *PlaceholderWindow::addDatePicker(const QString &objectName)
{
    auto *d = new QDateEdit(this);
    d->setObjectName(objectName);
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setCalendarPopup(true);
    m_layout->addWidget(d);
    return d;
}

QTreeWidget *PlaceholderWindow::addTree(const QString &objectName)
{
    auto *t = new QTreeWidget(this);
    t->setObjectName(objectName);
    t->setHeaderHidden(true);
    m_layout->addWidget(t);
    return t;
}

} // namespace pelorin::app
