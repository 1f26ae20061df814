#pragma once

#include "editingwindow.h"

#include <QDialog>
#include <QPointer>

class QGroupBox;
class QPushButton;

namespace pelorin::db {
class DM2;
class RunSettings;
class Table;
} // namespace pelorin::db

namespace pelorin::clinical {

// The blood test window: the current record of DM2's analyz in three groups, one shown at a time.
//
// Every bound control is named after its field ("B1", "B11", "I2", "D2"); the groups are "GroupBox1"
// ("Исследование крови"), "GroupBox2" ("Исследование кала") and "GroupBox3" ("Другие методы
// исследования", whose pages are in "PageControl1"); "Применить" is "Button1".
class Form_analyz : public ui::EditingWindow
{
    Q_OBJECT

public:
    enum Group { Blood, Stool, Other };

    Form_analyz(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
    ~Form_analyz() override;

    // Shows the window with only this group visible: what the "Выбрать" buttons do.
    void showGroup(Group group);
    QGroupBox *groupBox(Group group) const { return m_groups[group]; }
    // "Применить": the record is posted when it has unsaved changes, and the window closes.
    void apply();

private:
    QGroupBox *buildBlood();
    QGroupBox *buildStool();
    QGroupBox *buildOther();

    db::Table *m_analyz;
    db::RunSettings &m_settings;
    QGroupBox *m_groups[3] = {};
};

} // namespace pelorin::clinical
