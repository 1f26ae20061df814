#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace pelorin::db {
class Table;
}

namespace pelorin::ui {

// One bound control of a window written as a table row.
struct FieldSpec
{
    enum Kind { Edit, Memo, Combo, Check, Radio, Date, Text };

    QString caption;    // label on the left; check boxes and radio groups show it themselves
    QString objectName; // the name windows and tests find the control by
    Kind kind;
    QString field;
    QStringList items = {}; // pick list of a combo, buttons of a radio group
    // Edit, Memo, Date, Check, Radio: false makes the control read-only.
    // Combo: true lets the user type free text, false keeps the choice to the listed items.
    bool editable = true;
    int columns = 1;   // radio group columns
    QString hint = {}; // tooltip
};

// Builds a container with the controls of specs bound to table, one row each: the caption on
// the left and the control on the right; check boxes and radio groups span both columns. Each
// control gets its objectName and is a child of the container (findChild finds it), as is the
// caption label of a row, which gets the name objectName + "_label".
QWidget *buildForm(db::Table *table, const QList<FieldSpec> &specs, QWidget *parent = nullptr);

// The control of one FieldSpec row, for windows that lay out some rows themselves.
QWidget *buildControl(db::Table *table, const FieldSpec &fieldRow, QWidget *parent = nullptr);

} // namespace pelorin::ui
