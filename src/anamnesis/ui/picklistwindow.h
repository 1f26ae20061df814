#pragma once

#include "editingwindow.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>

class QBoxLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace pelorin::db {
class RunSettings;
class Table;
} // namespace pelorin::db

namespace pelorin::ui {
class DBCheckBox;
class DBEdit;
} // namespace pelorin::ui

namespace pelorin::anamnesis {

// A check box of a pick-list window: its caption and the Boolean field it ticks.
struct Check
{
    QString caption;
    QString field;
};

// What the seven anamnesis pick-list windows share: a fixed-size window bound to the current record of one
// table, a heading "LabelTitle", check boxes and edits named after their fields, and "Применить"
// ("ButtonApply"). While the window is shown with "Запрет быстрой прокрутки пациентов" ticked, the main window
// is disabled, so that the patient cannot change under the ticks.
class PickListWindow : public ui::EditingWindow
{
    Q_OBJECT

public:
    ~PickListWindow() override;

    db::Table &table() const { return *m_table; }
    // True while this window keeps the main window disabled.

    // "Применить": posts the table's pending changes and closes the window. The complaints window does more.
    virtual void apply();

protected:
    PickListWindow(const QString &name, const QString &caption, const QString &heading, db::Table *table,
                   db::RunSettings &settings, QWidget *mainWindow, QWidget *parent);


    // The area under the heading and above "Применить" that each window fills.
    QVBoxLayout *body() const { return m_body; }
    // A captioned group of check boxes laid out in columns filled top to bottom.
    QGroupBox *checkGroup(const QString &title, const QList<Check> &checks, int columns = 1);
    ui::DBCheckBox *check(const Check &c, QWidget *parent);
    // Puts a widget across the whole width of a check group, under its check boxes.
    static void addToGroup(QGroupBox *group, QWidget *widget);
    // A bound edit with its caption on the left.
    QWidget *editRow(const QString &caption, const QString &field, QWidget *parent);
    // Posts the table's changes, text still being typed included.
    void postIfModified();

private:

    db::Table *m_table;
    db::RunSettings &m_settings;
    QVBoxLayout *m_body;
};

} // namespace pelorin::anamnesis
