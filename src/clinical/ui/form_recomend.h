#pragma once

#include <QDialog>

class QDateEdit;

namespace pelorin::db {
class DM2;
class Table;
} // namespace pelorin::db

namespace pelorin::clinical {

// The recommendations window: the current record of DM2's recomend. Bound controls are named after
// their fields ("A1" … "A5", "B1" … "B7", "S", "Lek", "Komm", "DBEdit_recomend_Data"); the picker of
// the date is "DateTimePicker1" (a picked date is stored at once) and "Применить" is "Button1".
class Form_recomend : public QDialog
{
    Q_OBJECT

public:
    explicit Form_recomend(db::DM2 &dm2, QWidget *parent = nullptr);

    // "Применить": the record is posted when it has unsaved changes, and the window closes.
    void apply();
    QDateEdit *datePicker() const { return m_picker; }

private:
    void datePicked(const QDate &date);

    db::Table *m_recomend;
    QDateEdit *m_picker;
};

} // namespace pelorin::clinical
