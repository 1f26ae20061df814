#include "formbuilder.h"

#include "dbcontrols.h"

#include <QGridLayout>
#include <QLabel>

namespace pelorin::ui {

QWidget *buildControl(db::Table *table, const FieldSpec &spec, QWidget *parent)
{
    QWidget *control = nullptr;
    switch (spec.kind) {
    case FieldSpec::Edit: {
        auto *edit = new DBEdit(table, spec.field, parent);
        if (!spec.editable)
            edit->setReadOnly(true);
        control = edit;
        break;
    }
    case FieldSpec::Memo: {
        auto *memo = new DBMemo(table, spec.field, parent);
        if (!spec.editable)
            memo->setReadOnly(true);
        control = memo;
        break;
    }
    case FieldSpec::Combo: {
        auto *combo = new DBComboBox(table, spec.field, parent);
        combo->setItems(spec.items);
        combo->setEditable(spec.editable);
        control = combo;
        break;
    }
    case FieldSpec::Check: {
        auto *check = new DBCheckBox(spec.caption, table, spec.field, parent);
        if (!spec.editable)
            check->setReadOnly(true);
        control = check;
        break;
    }
    case FieldSpec::Radio: {
        auto *group = new DBRadioGroup(table, spec.field, parent);
        group->setTitle(spec.caption);
        group->setColumns(spec.columns);
        group->setItems(spec.items);
        if (!spec.editable)
            group->setReadOnly(true);
        control = group;
        break;
    }
    case FieldSpec::Date: {
        auto *picker = new DBDatePicker(table, spec.field, parent);
        if (!spec.editable)
            picker->setReadOnly(true);
        control = picker;
        break;
    }
    case FieldSpec::Text:
        control = new DBText(table, spec.field, parent);
        break;
    }
    control->setObjectName(spec.objectName);
    if (!spec.hint.isEmpty())
        control->setToolTip(spec.hint);
    return control;
}

QWidget *buildForm(db::Table *table, const QList<FieldSpec> &specs, QWidget *parent)
{
    auto *form = new QWidget(parent);
    auto *grid = new QGridLayout(form);
    grid->setColumnStretch(1, 1);
    int row = 0;
    for (const FieldSpec &spec : specs) {
        QWidget *control = buildControl(table, spec, form);
        if (spec.kind == FieldSpec::Check || spec.kind == FieldSpec::Radio) {
            grid->addWidget(control, row++, 0, 1, 2);
            continue;
        }
        auto *label = new QLabel(spec.caption, form);
        label->setObjectName(spec.objectName + QStringLiteral("_label"));
        label->setBuddy(control);
        if (!spec.hint.isEmpty())
            label->setToolTip(spec.hint);
        // A memo is tall: its caption stays level with its first line.
        const Qt::Alignment align =
            spec.kind == FieldSpec::Memo ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignLeft | Qt::AlignVCenter;
        grid->addWidget(label, row, 0, align);
        grid->addWidget(control, row, 1);
        ++row;
    }
    grid->setRowStretch(row, 1);
    return form;
}

} // namespace pelorin::ui
