#pragma once

#include <QPointer>
#include <QWidget>

class QDateEdit;

namespace pelorin::db {
class Table;
}

namespace pelorin::clinical {

class Form_analyz;

// The blood test section of the main window: the patient's test records ("DBGrid_analyz", column
// "Дата") with "Button32" ("Добавить новое.") and "Button33" ("Удалить текущее."), the date of the
// current record ("DBEdit_analyz_Data" and the picker "DateTimePicker2", whose picked date is stored
// at once) and the three summaries "DBMemo_analyz_List1", "DBMemo_analyz_List2", "DBMemo_analyz_List3"
// with their "Выбрать" buttons "Button4", "Button28" and "Button41", which show the test window with
// the matching group.
class AnalyzSection : public QWidget
{
    Q_OBJECT

public:
    AnalyzSection(db::Table &analyz, Form_analyz *testWindow, QWidget *parent = nullptr);

    QDateEdit *datePicker() const { return m_picker; }

private:
    void datePicked(const QDate &date);

    db::Table &m_analyz;
    QPointer<Form_analyz> m_window;
    QDateEdit *m_picker;
};

} // namespace pelorin::clinical
