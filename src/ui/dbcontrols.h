#pragma once

#include "table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMetaObject>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace pelorin::ui {

// What every data-aware control shares: the field it shows, the refresh on the table's events,
// and the rule that the table goes into edit state on the first change the user makes and
// never because the program showed a value.
//
// A control shows the field of the table's current record and follows it when the cursor
// moves, the rows change, the field (or the whole record) changes or the state changes.
// Without a current record it is empty and painted in the disabled colours, yet it stays
// enabled: typing into it still asks the table to edit, which on an empty table inserts.
//
// Controls into which the user types (edit, memo, editable combo) keep the typed text pending
// and write it when the typing is finished, and in any case when the table collects pending
// values before a post or a move. A text the field cannot hold refuses that post with a
// Russian message and stays in the control, so nothing typed is lost.
class DBControl
{
public:
    // A widget property with the caption shown beside the control; messages about the field use it.
    static constexpr const char *kCaptionProperty = "pelorinCaption";

    virtual ~DBControl();
    DBControl(const DBControl &) = delete;
    DBControl &operator=(const DBControl &) = delete;

    db::Table *table() const { return m_table; }
    QString fieldName() const { return m_fieldName; }
    int fieldIndex() const { return m_field; }
    // False when the table is gone or has no field of that name.
    bool isBound() const { return m_table && m_field >= 0; }
    db::FieldType fieldType() const;
    // The table has a record for the control to show.
    bool hasRecord() const;
    // True while the control writes a change its user made. Writes happen only inside such a
    // change, so showing a value from the table can never write one back; the table's echo
    // of the control's own write is not shown again while it lasts.
    bool userChanging() const { return m_userChanging > 0; }
    // True while the user's text waits to be written to the field.
    bool hasPendingText() const { return m_pending; }
    // Shows the current record's field again; typed text that was not written is dropped.
    void refresh();

protected:
    DBControl(QWidget *widget, db::Table *table, const QString &fieldName);

    // Called last by each control's constructor: connects the table and shows the first value.
    void bind();

    // Puts value (invalid for a blank field or when there is no record) into the widget.
    virtual void showValue(const QVariant &value) = 0;
    // The text the user typed, for controls with pending text.
    virtual QString typedText() const { return {}; }

    // True while the control puts a table value into its widget: widget signals then come
    // from the program and must not be taken for the user's.
    bool refreshing() const { return m_refreshing > 0; }

    // The user has started typing: the table goes into edit state (when it is browsing) and
    // the text is pending. A table that cannot edit gets the field shown again.
    void noteTyping();
    // Writes the pending text. A text the field cannot hold stays pending and false is
    // returned with the Russian message in *refusal.
    bool commitTyping(QString *refusal = nullptr);
    // Writes a value the user has chosen (a click, a pick), entering edit state first.
    bool writeUserValue(const QVariant &value, QString *error = nullptr);
    // Converts a typed text for the field; false with the message when it cannot be stored.
    bool textFits(const QString &text, QString *refusal) const;

    // Calculated and database-assigned fields are never written by a control.
    bool fieldIsWritable() const;
    QString fieldText() const;
    QVariant fieldValue() const;
    void updateLook();

    class UserChange
    {
    public:
        explicit UserChange(DBControl *c) : m_c(c) { ++m_c->m_userChanging; }
        ~UserChange() { --m_c->m_userChanging; }
        UserChange(const UserChange &) = delete;
        UserChange &operator=(const UserChange &) = delete;

    private:
        DBControl *m_c;
    };

private:
    enum class Cause { Record, Field, Whole, State };
    void onTableEvent(Cause cause);
    bool enterEdit();
    void setNoRecordLook(bool on);

    QWidget *m_widget;
    QPointer<db::Table> m_table;
    QString m_fieldName;
    int m_field = -1;
    int m_userChanging = 0;
    int m_refreshing = 0;
    bool m_pending = false;
    bool m_dimmed = false;
    bool m_hadOwnPalette = false;
    QPalette m_savedPalette;
    QList<QMetaObject::Connection> m_connections;
};

// Counts the input events a widget is handling, so that a change signal that a widget emits
// both for the user and for the program can be told apart.
class InputDepth
{
public:
    static bool isUserInput(const QEvent *event);
    bool active() const { return m_depth > 0; }

    class Scope
    {
    public:
        Scope(InputDepth &d, const QEvent *e) : m_d(d), m_on(isUserInput(e)) { m_d.m_depth += m_on; }
        ~Scope() { m_d.m_depth -= m_on; }
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        InputDepth &m_d;
        int m_on;
    };

private:
    int m_depth = 0;
};

// Single-line edit of a field: dates as dd.MM.yyyy, numbers with a decimal comma. The typed
// text is written when editing finishes (Return, focus out) and before a post; Escape brings
// the field's value back. String fields limit the length to the field's width.
class DBEdit : public QLineEdit, public DBControl
{
    Q_OBJECT

public:
    DBEdit(db::Table *table, const QString &fieldName, QWidget *parent = nullptr);

protected:
    void showValue(const QVariant &value) override;
    QString typedText() const override { return text(); }
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

// Multi-line edit of a field; the typed text is written on focus out and before a post.
class DBMemo : public QPlainTextEdit, public DBControl
{
    Q_OBJECT

public:
    DBMemo(db::Table *table, const QString &fieldName, QWidget *parent = nullptr);

protected:
    void showValue(const QVariant &value) override;
    QString typedText() const override { return toPlainText(); }
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    InputDepth m_input;
};

// Pick list of a field, fixed (only the listed items can be chosen) or editable (free text).
// A chosen item is written at once; typed text like an edit's.
//
// A value that is not among the items is still shown: an editable list shows it as its text,
// a fixed list shows it as an extra last item that is greyed out and cannot be chosen, and
// that disappears as soon as the field holds a listed value again. A blank field shows no item.
// Use this class's setEditable (not QComboBox's through a base pointer): it hooks up the line edit.
class DBComboBox : public QComboBox, public DBControl
{
    Q_OBJECT

public:
    DBComboBox(db::Table *table, const QString &fieldName, QWidget *parent = nullptr);

    void setItems(const QStringList &items);
    QStringList items() const { return m_items; }
    void setEditable(bool editable);
    // A read-only list shows the field but takes back every choice.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    // Index of the extra item that shows an unlisted value of a fixed list, -1 when none.
    int extraItemIndex() const { return m_extra; }

protected:
    void showValue(const QVariant &value) override;
    QString typedText() const override { return currentText(); }
    void focusOutEvent(QFocusEvent *event) override;

private:
    void hookLineEdit();
    void removeExtraItem();
    void onActivated(int index);

    QStringList m_items;
    int m_extra = -1;
    bool m_readOnly = false;
};

// Check box of a (Boolean) field; a user toggle is written at once. A blank field is unchecked.
class DBCheckBox : public QCheckBox, public DBControl
{
    Q_OBJECT

public:
    DBCheckBox(db::Table *table, const QString &fieldName, QWidget *parent = nullptr);
    DBCheckBox(const QString &caption, db::Table *table, const QString &fieldName, QWidget *parent = nullptr);

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

protected:
    void showValue(const QVariant &value) override;

private:
    void init();
    bool m_readOnly = false;
};

// Captioned group of radio buttons, one per item, laid out in columns filled top to bottom.
// What a button stores depends on the field, unless setValues gives the stored value of each
// item (as text, converted like typed text: "1", "True", "0,5"):
//   Integer, Short, Float fields - the item's index (0 for the first);
//   Boolean fields               - true for the first item, false for the second;
//   String and Memo fields       - the item's text.
// A blank field, or a value that no item stores, checks no button.
class DBRadioGroup : public QGroupBox, public DBControl
{
    Q_OBJECT

public:
    DBRadioGroup(db::Table *table, const QString &fieldName, QWidget *parent = nullptr);

    void setItems(const QStringList &items);
    QStringList items() const { return m_items; }
    void setColumns(int columns);
    int columns() const { return m_columns; }
    void setValues(const QStringList &values);
    QStringList values() const { return m_values; }
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

    // Index of the checked item, -1 when none.
    int itemIndex() const;
    QRadioButton *button(int index) const;
    // The value the item stores.
    QVariant valueOfItem(int index) const;
    int itemOfValue(const QVariant &value) const;

    // What the small "Х" buttons beside the groups do: the record goes into edit state and the
    // field becomes emptyValue (blank by default; some groups use 0 for "not given"). Nothing
    // happens when the field already holds it. False when the record cannot be edited.
    bool clearValue(const QVariant &emptyValue = QVariant());

protected:
    void showValue(const QVariant &value) override;

private:
    void rebuild();
    void onClicked(int index);

    QStringList m_items;
    QStringList m_values;
    int m_columns = 1;
    bool m_readOnly = false;
    QButtonGroup *m_group;
    QGridLayout *m_grid;
};

// Read-only display of a field as plain text.
class DBText : public QLabel, public DBControl
{
    Q_OBJECT

public:
    DBText(db::Table *table, const QString &fieldName, QWidget *parent = nullptr);

protected:
    void showValue(const QVariant &value) override;
};

// Date picker bound both ways to a date field. A date the user picks (keys, wheel, the arrows,
// the calendar) puts the table into edit state when it is browsing and is written at once.
// When the field changes, or another record becomes current, the picker takes the field's
// date if its own differs; a blank field leaves the picker's date as it is. Dates set by the
// program - the field's or a preset like today's - never reach the table.
class DBDatePicker : public QDateEdit, public DBControl
{
    Q_OBJECT

public:
    // What a blank date field reads as, and what the picker shows for it.
    static inline const QDate kZeroDate{1899, 12, 30};

    DBDatePicker(db::Table *table, const QString &fieldName, QWidget *parent = nullptr);

    // The user picks a date: what choosing it in the calendar does.
    void pickDate(const QDate &date);

protected:
    void showValue(const QVariant &value) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onDateChanged(const QDate &date);
    bool userIsPicking() const;

    InputDepth m_input;
    bool m_popupOpen = false;
    bool m_picking = false;
};

} // namespace pelorin::ui
