#pragma once

#include "editingwindow.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;

namespace pelorin::db {
class DM1;
class DM2;
class RunSettings;
class Table;
} // namespace pelorin::db

namespace pelorin::ui {
class DBGrid;
}

// The windows of the diagnosis events: the full diagnosis window, the quick first diagnosis and
// the main window's page of the set diagnoses.
namespace pelorin::clinical {

class DiagnozOps;

// "Пелорин. Постановка диагнозов пациенту.". Every control is named after its field ("B1", "A1_3",
// "111", "30"); the grid is DBGrid1, the buttons Button1..Button4, the "Х" buttons ButtonClear30 and
// ButtonClear40.
class Form_diagnoz : public ui::EditingWindow
{
    Q_OBJECT

public:
    Form_diagnoz(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, DiagnozOps &ops, QWidget *mainWindow);

    // Shows the window; a patient without events gets the first one. `last` moves to the last event.
    void open(bool last);
    // The calendar takes the current event's date, or today's without an event.
    void syncCalendar();

protected:
    void showEvent(QShowEvent *event) override;
    bool closing() override;

private:

    db::DM2 &m_dm2;
    db::RunSettings &m_settings;
    DiagnozOps &m_ops;
    QDateEdit *m_calendar = nullptr;
    bool m_syncing = false;
};

// The quick first diagnosis: CheckBox1 "Псориаз", CheckBox2 "Атопический дерматит", Edit1,
// Button1 "Подробнее...", Button2 "Применить".
class Form_diagnoz_lite : public QDialog
{
    Q_OBJECT

public:
    Form_diagnoz_lite(DiagnozOps &ops, Form_diagnoz *full, QWidget *parent = nullptr);

private:
    DiagnozOps &m_ops;
    QPointer<Form_diagnoz> m_full;
    QCheckBox *m_psoriasis;
    QCheckBox *m_atopic;
    QLineEdit *m_other;
};

// Page "Поставленные диагнозы": the events in panels of two columns by five rows (status, course,
// date and sentence) and Button26 "Поставить \ изменить.".
class DiagnozPage : public QWidget
{
    Q_OBJECT

public:
    DiagnozPage(db::Table *diagnoz, QWidget *parent = nullptr);
    void refresh();

Q_SIGNALS:
    void editRequested();

private:
    db::Table *m_diagnoz;
    QList<QList<QLabel *>> m_panels;
};

} // namespace pelorin::clinical
