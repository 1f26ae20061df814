#pragma once

#include <QPointer>
#include <QWidget>

class QToolButton;

namespace pelorin::db {
class Table;
}

namespace pelorin::examination {

// A navigator on a table with four buttons, first, prior, next and last ("nbFirst", "nbPrior",
// "nbNext", "nbLast"). A button that cannot move is disabled. Moves store the record being
// edited first, as any move of the table does.
class DBNavigator : public QWidget
{
    Q_OBJECT

public:
    explicit DBNavigator(db::Table *table, QWidget *parent = nullptr);

private:
    void updateButtons();

    QPointer<db::Table> m_table;
    QToolButton *m_first;
    QToolButton *m_prior;
    QToolButton *m_next;
    QToolButton *m_last;
};

} // namespace pelorin::examination
