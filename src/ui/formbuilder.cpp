#include "formbuilder.h"

#include "dbcontrols.h"

#include <QGridLayout>
#include <QLabel>

namespace pelorin::ui {

QWidget *buildControl(db::Table *table, const FieldSpec &fieldRow, QWidget *parent)
{
    QWidget *control = nullptr;
    switch (fieldRow.kind) {
    case FieldSpec::Edit: {
        auto *edit = new DBEdit(table, fieldRow.field, parent);
        if (!fieldRow.editable)
            edit->setReadOnly(true);
        control = edit;
        break;
    }
    case FieldSpec::Memo: {
        auto *memo = new DBMemo(table, fieldRow.field, parent);
        if (!fieldRow.editable)
            memo->setReadOnly(true);
        control = memo;
        break;
    }
    case FieldSpec::Combo: {
        auto *combo = new DBComboBox(table, fieldRow.field, parent);
        combo->setItems(fieldRow.items);
        combo->setEditable(fieldRow.editable);
        control = combo;
        break;
    }
    case FieldSpec::Check: {
        auto *check = new DBCheckBox(fieldRow.caption, table, fieldRow.field, parent);
        if (!fieldRow.editable)
            check->setReadOnly(true);
        control = check;
        break;
    }
    case FieldSpec::Radio: {
        auto *group = new DBRadioGroup(table, fieldRow.field, parent);
        group->setTitle(fieldRow.caption);
        group->setColumns(fieldRow.columns);
        group->setItems(fieldRow.items);
        if (!fieldRow.editable)
            group->setReadOnly(true);
        control = group;
        break;
    }
    case FieldSpec::Date: {
        auto *picker = new DBDatePicker(table, fieldRow.field, parent);
        if (!fieldRow.editable)
            picker->setReadOnly(true);
        control = picker;
        break;
    }
    case FieldSpec::Text:
        control = new DBText(table, fieldRow.field, parent);
        break;
    }
    control->setObjectName(fieldRow.objectName);
    if (!fieldRow.caption.isEmpty())
        control->setProperty(DBControl::kCaptionProperty, fieldRow.caption);
    if (!fieldRow.hint.isEmpty())
        control->setToolTip(fieldRow.hint);
    return control;
}

QWidget *buildForm(db::Table *table, const QList<FieldSpec> &specs, QWidget *parent)
{
    auto *form = new QWidget(parent);
    auto *grid = new QGridLayout(form);
    grid->setColumnStretch(1, 1);
    int row = 0;
    for (const FieldSpec &fieldRow : specs) {
        QWidget *control = buildControl(table, fieldRow, form);
        if (fieldRow.kind == FieldSpec::Check || fieldRow.kind == FieldSpec::Radio) {
            grid->addWidget(control, row++, 0, 1, 2);
            continue;
        }
        auto *label = new QLabel(fieldRow.caption, form);
        label->setObjectName(fieldRow.objectName + QStringLiteral("_label"));
        label->setBuddy(control);
        if (!fieldRow.hint.isEmpty())
            label->setToolTip(fieldRow.hint);
        // A memo is tall: its caption stays level with its first line.
        const Qt::Alignment align =
            fieldRow.kind == FieldSpec::Memo ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignLeft | Qt::AlignVCenter;
        grid->addWidget(label, row, 0, align);
        grid->addWidget(control, row, 1);
        ++row;
    }
    grid->setRowStretch(row, 1);
    return form;
}

} // namespace pelorin::ui
