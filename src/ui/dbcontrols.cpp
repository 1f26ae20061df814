#include "dbcontrols.h"

#include "clock.h"
#include "dialogs.h"
#include "fieldvalue.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QRadioButton>
#include <QStandardItemModel>
#include <algorithm>

namespace pelorin::ui {

namespace {

bool sameValue(const QVariant &a, const QVariant &b)
{
    return a.isValid() == b.isValid() && (!a.isValid() || a == b);
}

} // namespace

// ---------------------------------------------------------------- DBControl

DBControl::DBControl(QWidget *widget, db::Table *table, const QString &fieldName)
    : m_widget(widget), m_table(table), m_fieldName(fieldName)
{
    if (table) {
        m_field = table->fieldIndex(fieldName);
        if (m_field < 0)
            qWarning("Control bound to %s.%s: the table has no such field", qPrintable(table->tableName()),
                     qPrintable(fieldName));
    }
}

DBControl::~DBControl()
{
    // The widget part outlives this one for a moment; the table must not reach a half-gone control.
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        QObject::disconnect(c);
}

db::FieldType DBControl::fieldType() const
{
    return isBound() ? m_table->fieldDef(m_field).type : db::FieldType::String;
}

bool DBControl::hasRecord() const
{
    return m_table && m_table->isOpen() && m_table->recNo() > 0;
}

bool DBControl::fieldIsWritable() const
{
    if (!isBound())
        return false;
    const db::FieldDef &f = m_table->fieldDef(m_field);
    return !f.calculated && f.type != db::FieldType::AutoInc;
}

QVariant DBControl::fieldValue() const
{
    return hasRecord() && m_field >= 0 ? m_table->value(m_field) : QVariant();
}

QString DBControl::fieldText() const
{
    return db::valueAsString(fieldType(), fieldValue());
}

void DBControl::bind()
{
    if (db::Table *t = m_table.data()) {
        // Calculated fields may change with any field of the record, so they listen to all of them.
        const bool calculated = m_field >= 0 && t->fieldDef(m_field).calculated;
        m_connections << QObject::connect(t, &db::Table::currentChanged, m_widget,
                                          [this] { onTableEvent(Cause::Record); });
        m_connections << QObject::connect(t, &db::Table::rowsChanged, m_widget,
                                          [this] { onTableEvent(Cause::Record); });
        m_connections << QObject::connect(t, &db::Table::recordChanged, m_widget, [this, calculated](int index) {
            if (index < 0 || (calculated && index != m_field))
                onTableEvent(Cause::Whole);
            else if (index == m_field)
                onTableEvent(Cause::Field);
        });
        m_connections << QObject::connect(t, &db::Table::stateChanged, m_widget,
                                          [this] { onTableEvent(Cause::State); });
        m_connections << QObject::connect(t, &db::Table::updateRecordRequested, m_widget, [this] {
            QString refusal;
            if (m_pending && !commitTyping(&refusal))
                m_table->refuseUpdate(refusal);
        });
    }
    refresh();
}

void DBControl::onTableEvent(Cause cause)
{
    if (userChanging())
        return;
    // Text typed into the record being edited survives the events that leave its field alone
    // (another field recalculating the record, the state changing); a move, a reload, a cancel
    // or the program writing this very field show the table's value.
    if (m_pending && m_table && m_table->isEditing() && (cause == Cause::Whole || cause == Cause::State)) {
        updateLook();
        return;
    }
    refresh();
}

void DBControl::refresh()
{
    m_pending = false;
    ++m_refreshing;
    showValue(fieldValue());
    --m_refreshing;
    updateLook();
}

void DBControl::updateLook()
{
    setNoRecordLook(!hasRecord());
}

void DBControl::setNoRecordLook(bool on)
{
    if (on == m_dimmed)
        return;
    m_dimmed = on;
    if (on) {
        // Disabled colours, not a disabled widget: the user may still type to start a record.
        m_hadOwnPalette = m_widget->testAttribute(Qt::WA_SetPalette);
        m_savedPalette = m_widget->palette();
        QPalette p = m_savedPalette;
        for (QPalette::ColorRole role :
             {QPalette::Base, QPalette::Text, QPalette::WindowText, QPalette::Button, QPalette::ButtonText}) {
            const QColor c = p.color(QPalette::Disabled, role);
            p.setColor(QPalette::Active, role, c);
            p.setColor(QPalette::Inactive, role, c);
        }
        m_widget->setPalette(p);
    } else {
        m_widget->setPalette(m_hadOwnPalette ? m_savedPalette : QPalette());
    }
}

bool DBControl::enterEdit()
{
    if (!fieldIsWritable())
        return false;
    if (m_table->state() == db::TableState::Browse)
        m_table->edit();
    return m_table->isEditing() && hasRecord();
}

void DBControl::noteTyping()
{
    if (refreshing())
        return;
    bool editing = false;
    {
        UserChange change(this);
        editing = enterEdit();
    }
    if (editing) {
        m_pending = true;
        updateLook();
    } else {
        Dialogs::instance().beep();
        refresh();
    }
}

bool DBControl::textFits(const QString &text, QString *refusal) const
{
    if (!isBound())
        return false;
    const db::FieldDef &f = m_table->fieldDef(m_field);
    // The caption the doctor sees beside the control names the field best.
    QString caption = m_widget->property(kCaptionProperty).toString().trimmed();
    while (caption.endsWith(QLatin1Char(':')))
        caption.chop(1);
    const QString why = db::refusalText(f, caption, text);
    if (why.isEmpty())
        return true;
    if (refusal)
        *refusal = why;
    return false;
}

bool DBControl::writeUserValue(const QVariant &value, QString *error)
{
    UserChange change(this);
    if (!enterEdit()) {
        if (error)
            *error =
                fieldIsWritable() ? m_table->lastError() : QStringLiteral("Поле %1 нельзя изменить.").arg(m_fieldName);
        return false;
    }
    if (!m_table->setValue(m_field, value)) {
        if (error)
            *error = m_table->lastError();
        return false;
    }
    return true;
}

bool DBControl::commitTyping(QString *refusal)
{
    if (!m_pending)
        return true;
    if (!isBound()) {
        m_pending = false;
        return true;
    }
    const QString text = typedText();
    QString why;
    if (!textFits(text, &why) || !writeUserValue(text, &why)) {
        if (refusal)
            *refusal = why;
        return false;
    }
    m_pending = false;
    // The stored form may differ from the typed one ("72.50" is shown as "72,5").
    if (fieldText() != text)
        refresh();
    return true;
}

// ---------------------------------------------------------------- InputDepth

bool InputDepth::isUserInput(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::Drop:
    case QEvent::ContextMenu:
    case QEvent::FocusOut:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    // A widget's own timers only serve its input (held spin arrows, autoscroll while selecting).
    case QEvent::Timer:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- DBEdit

DBEdit::DBEdit(db::Table *table, const QString &fieldName, QWidget *parent)
    : QLineEdit(parent), DBControl(this, table, fieldName)
{
    if (isBound() && fieldType() == db::FieldType::String && table->fieldDef(fieldIndex()).width > 0)
        setMaxLength(table->fieldDef(fieldIndex()).width);
    if (!fieldIsWritable())
        setReadOnly(true);
    // textEdited comes from the user only: typing, pasting, undo.
    connect(this, &QLineEdit::textEdited, this, [this] { noteTyping(); });
    connect(this, &QLineEdit::editingFinished, this, [this] { commitTyping(); });
    bind();
}

void DBEdit::showValue(const QVariant &value)
{
    const QString t = db::valueAsString(fieldType(), value);
    if (text() != t)
        setText(t);
    if (!hasFocus())
        setCursorPosition(0); // long texts show their beginning
}

void DBEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && hasPendingText()) {
        refresh();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu or completer taking the focus does not end the typing.
    if (event->reason() != Qt::PopupFocusReason)
        commitTyping();
}

// ---------------------------------------------------------------- DBMemo

DBMemo::DBMemo(db::Table *table, const QString &fieldName, QWidget *parent)
    : QPlainTextEdit(parent), DBControl(this, table, fieldName)
{
    if (!fieldIsWritable())
        setReadOnly(true);
    // textChanged also follows setPlainText; only a change made while handling the user's input counts.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!refreshing() && m_input.active())
            noteTyping();
    });
    bind();
}

void DBMemo::showValue(const QVariant &value)
{
    const QString t = db::valueAsString(fieldType(), value);
    if (toPlainText() != t)
        setPlainText(t);
}

bool DBMemo::event(QEvent *event)
{
    InputDepth::Scope scope(m_input, event);
    return QPlainTextEdit::event(event);
}

bool DBMemo::viewportEvent(QEvent *event)
{
    InputDepth::Scope scope(m_input, event);
    return QPlainTextEdit::viewportEvent(event);
}

void DBMemo::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        commitTyping();
}

// ---------------------------------------------------------------- DBComboBox

DBComboBox::DBComboBox(db::Table *table, const QString &fieldName, QWidget *parent)
    : QComboBox(parent), DBControl(this, table, fieldName)
{
    setInsertPolicy(QComboBox::NoInsert);
    // The laid-out width does not follow the items: one long line of a reference list must not
    // push the window's column and its buttons off the screen. The open list is as wide as it needs.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
    if (!fieldIsWritable())
        m_readOnly = true;
    // activated comes from the user only: a pick in the list, the arrow keys, the wheel.
    connect(this, &QComboBox::activated, this, &DBComboBox::onActivated);
    bind();
}

void DBComboBox::setItems(const QStringList &items)
{
    m_items = items;
    m_extra = -1;
    clear();
    addItems(items);
    int widest = 0;
    for (const QString &item : items)
        widest = std::max(widest, fontMetrics().horizontalAdvance(item));
    // Within reason: the list itself may not be wider than a screen.
    view()->setMinimumWidth(std::min(widest + 40, 1200));
    refresh();
}

void DBComboBox::setEditable(bool editable)
{
    if (editable == isEditable())
        return;
    removeExtraItem();
    QComboBox::setEditable(editable);
    setInsertPolicy(QComboBox::NoInsert);
    hookLineEdit();
    refresh();
}

void DBComboBox::hookLineEdit()
{
    QLineEdit *edit = lineEdit();
    if (!edit)
        return;
    if (isBound() && fieldType() == db::FieldType::String && table()->fieldDef(fieldIndex()).width > 0)
        edit->setMaxLength(table()->fieldDef(fieldIndex()).width);
    connect(edit, &QLineEdit::textEdited, this, [this] {
        if (m_readOnly)
            refresh();
        else
            noteTyping();
    });
    connect(edit, &QLineEdit::editingFinished, this, [this] { commitTyping(); });
}

void DBComboBox::removeExtraItem()
{
    if (m_extra < 0)
        return;
    const int extra = m_extra;
    m_extra = -1;
    removeItem(extra);
}

void DBComboBox::showValue(const QVariant &value)
{
    removeExtraItem();
    const QString t = db::valueAsString(fieldType(), value);
    const int i = t.isEmpty() ? -1 : findText(t, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (isEditable()) {
        setCurrentIndex(i);
        if (currentText() != t)
            setEditText(t);
        if (!hasFocus())
            lineEdit()->setCursorPosition(0);
    } else if (i >= 0 || t.isEmpty()) {
        setCurrentIndex(i);
    } else {
        addItem(t);
        m_extra = count() - 1;
        if (auto *m = qobject_cast<QStandardItemModel *>(model())) {
            if (QStandardItem *item = m->item(m_extra))
                item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        }
        setCurrentIndex(m_extra);
    }
}

void DBComboBox::onActivated(int index)
{
    if (refreshing())
        return;
    if (m_readOnly || (m_extra >= 0 && index == m_extra)) {
        refresh();
        return;
    }
    if (isEditable()) {
        // The picked item becomes the typed text; one the field cannot hold waits for the post's refusal.
        noteTyping();
        commitTyping();
        return;
    }
    const QString text = itemText(index);
    QString why;
    if (!textFits(text, &why) || !writeUserValue(text, &why)) {
        Dialogs::instance().message(why, QStringLiteral("Ошибка"), Dialogs::Kind::Error);
        refresh();
        return;
    }
    removeExtraItem(); // the field holds a listed value now
}

void DBComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        commitTyping();
}

// ---------------------------------------------------------------- DBCheckBox

DBCheckBox::DBCheckBox(db::Table *table, const QString &fieldName, QWidget *parent)
    : QCheckBox(parent), DBControl(this, table, fieldName)
{
    init();
}

DBCheckBox::DBCheckBox(const QString &caption, db::Table *table, const QString &fieldName, QWidget *parent)
    : QCheckBox(caption, parent), DBControl(this, table, fieldName)
{
    init();
}

void DBCheckBox::init()
{
    if (!fieldIsWritable())
        setReadOnly(true);
    // clicked comes from the user (or a simulated click), never from setChecked.
    connect(this, &QAbstractButton::clicked, this, [this](bool checked) {
        if (refreshing())
            return;
        if (m_readOnly || !writeUserValue(checked))
            refresh();
    });
    bind();
}

void DBCheckBox::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setAttribute(Qt::WA_TransparentForMouseEvents, readOnly);
    setFocusPolicy(readOnly ? Qt::NoFocus : Qt::StrongFocus);
}

void DBCheckBox::showValue(const QVariant &value)
{
    setChecked(db::valueAsBoolean(value));
}

// ---------------------------------------------------------------- DBRadioGroup

DBRadioGroup::DBRadioGroup(db::Table *table, const QString &fieldName, QWidget *parent)
    : QGroupBox(parent), DBControl(this, table, fieldName), m_group(new QButtonGroup(this)),
      m_grid(new QGridLayout(this))
{
    m_group->setExclusive(true);
    if (!fieldIsWritable())
        m_readOnly = true;
    connect(m_group, &QButtonGroup::idClicked, this, &DBRadioGroup::onClicked);
    bind();
}

void DBRadioGroup::setItems(const QStringList &items)
{
    m_items = items;
    rebuild();
}

void DBRadioGroup::setColumns(int columns)
{
    m_columns = std::max(1, columns);
    rebuild();
}

void DBRadioGroup::setValues(const QStringList &values)
{
    m_values = values;
    refresh();
}

void DBRadioGroup::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    for (QAbstractButton *b : m_group->buttons()) {
        b->setAttribute(Qt::WA_TransparentForMouseEvents, readOnly);
        b->setFocusPolicy(readOnly ? Qt::NoFocus : Qt::StrongFocus);
    }
}

void DBRadioGroup::rebuild()
{
    const QList<QAbstractButton *> old = m_group->buttons();
    for (QAbstractButton *b : old) {
        m_group->removeButton(b);
        delete b;
    }
    for (int c = 0; c < m_grid->columnCount(); ++c)
        m_grid->setColumnStretch(c, 0);
    // Columns are filled top to bottom, the way the old radio groups arranged their items.
    const int n = int(m_items.size());
    const int columns = std::clamp(m_columns, 1, std::max(1, n));
    const int perColumn = std::max(1, (n + columns - 1) / columns);
    for (int i = 0; i < n; ++i) {
        auto *b = new QRadioButton(m_items.at(i), this);
        m_group->addButton(b, i);
        m_grid->addWidget(b, i % perColumn, i / perColumn);
    }
    for (int c = 0; c < columns; ++c)
        m_grid->setColumnStretch(c, 1);
    setReadOnly(m_readOnly);
    refresh();
}

QRadioButton *DBRadioGroup::button(int index) const
{
    return qobject_cast<QRadioButton *>(m_group->button(index));
}

int DBRadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

QVariant DBRadioGroup::valueOfItem(int index) const
{
    if (index < 0 || index >= m_items.size())
        return {};
    if (!m_values.isEmpty())
        return index < m_values.size() ? QVariant(m_values.at(index)) : QVariant();
    switch (fieldType()) {
    case db::FieldType::Integer:
    case db::FieldType::Short:
    case db::FieldType::Float:
    case db::FieldType::AutoInc:
        return QVariant::fromValue<qint64>(index);
    case db::FieldType::Boolean:
        return index < 2 ? QVariant(index == 0) : QVariant();
    default:
        return m_items.at(index);
    }
}

int DBRadioGroup::itemOfValue(const QVariant &value) const
{
    if (!value.isValid() || !isBound())
        return -1;
    // Both sides go through the field's conversion, so "1" matches 1 and "True" matches true.
    const db::FieldDef &f = table()->fieldDef(fieldIndex());
    for (int i = 0; i < m_items.size(); ++i) {
        bool ok = true;
        const QVariant v = db::normalizeValue(f.type, f.width, valueOfItem(i), &ok);
        if (ok && v.isValid() && sameValue(v, value))
            return i;
    }
    return -1;
}

void DBRadioGroup::showValue(const QVariant &value)
{
    const int i = itemOfValue(value);
    if (i >= 0) {
        button(i)->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; no selection needs the rule lifted for a moment.
    m_group->setExclusive(false);
    for (QAbstractButton *b : m_group->buttons())
        b->setChecked(false);
    m_group->setExclusive(true);
}

void DBRadioGroup::onClicked(int index)
{
    if (refreshing())
        return;
    if (m_readOnly) {
        refresh();
        return;
    }
    // Clicking the button that is already on changes nothing, so the record stays as it is.
    if (itemOfValue(fieldValue()) == index && hasRecord())
        return;
    if (!writeUserValue(valueOfItem(index)))
        refresh();
}

bool DBRadioGroup::clearValue(const QVariant &emptyValue)
{
    if (!isBound() || !hasRecord())
        return false;
    const db::FieldDef &f = table()->fieldDef(fieldIndex());
    if (sameValue(fieldValue(), db::normalizeValue(f.type, f.width, emptyValue)))
        return true;
    if (!writeUserValue(emptyValue))
        return false;
    refresh();
    return true;
}

// ---------------------------------------------------------------- DBText

DBText::DBText(db::Table *table, const QString &fieldName, QWidget *parent)
    : QLabel(parent), DBControl(this, table, fieldName)
{
    setTextFormat(Qt::PlainText); // field values are never markup
    bind();
}

void DBText::showValue(const QVariant &value)
{
    setText(db::valueAsString(fieldType(), value));
}

// ---------------------------------------------------------------- DBDatePicker

DBDatePicker::DBDatePicker(db::Table *table, const QString &fieldName, QWidget *parent)
    : QDateEdit(parent), DBControl(this, table, fieldName)
{
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setMinimumDate(kZeroDate);
    setDate(clock::today());
    // The calendar sets the date from its own window; while it is open every change is the user's.
    if (QCalendarWidget *calendar = calendarWidget())
        calendar->window()->installEventFilter(this);
    // A click on the day, the month or the year selects that part, as every date box of the desktop
    // does, so the digits typed next replace it; left at a bare cursor they would make a part too
    // long, and the box would refuse them without a word.
    lineEdit()->installEventFilter(this);
    if (!fieldIsWritable())
        setReadOnly(true);
    connect(this, &QDateEdit::dateChanged, this, &DBDatePicker::onDateChanged);
    bind();
}

bool DBDatePicker::event(QEvent *event)
{
    InputDepth::Scope scope(m_input, event);
    return QDateEdit::event(event);
}

bool DBDatePicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit()) {
        // The press has placed the cursor; a drag has selected what it wanted.
        if (event->type() == QEvent::MouseButtonRelease && !lineEdit()->hasSelectedText()) {
            // The part under the cursor: as many separators before it as parts before it.
            const QString text = lineEdit()->text();
            const int cursor = std::min(int(lineEdit()->cursorPosition()), int(text.size()));
            int part = 0;
            for (int i = 0; i < cursor; ++i) {
                if (!text[i].isLetterOrNumber() && (i == 0 || text[i - 1].isLetterOrNumber()))
                    ++part;
            }
            setSelectedSection(sectionAt(std::min(part, sectionCount() - 1)));
        }
        return QDateEdit::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Show) {
        m_popupOpen = true;
    } else if (event->type() == QEvent::Hide) {
        // Closing the calendar may still set the date (back to the old one when dismissed): the
        // popup counts as open until that has been handled.
        QMetaObject::invokeMethod(
            this, [this] { m_popupOpen = false; }, Qt::QueuedConnection);
    }
    return QDateEdit::eventFilter(watched, event);
}

bool DBDatePicker::userIsPicking() const
{
    return m_picking || m_input.active() || m_popupOpen;
}

void DBDatePicker::pickDate(const QDate &date)
{
    m_picking = true;
    setDate(date);
    m_picking = false;
    // Picking the date already shown still fills a field that holds another date or none.
    if (this->date() == date && !sameValue(fieldValue(), QVariant(date)) && !isReadOnly())
        writeUserValue(date);
}

void DBDatePicker::onDateChanged(const QDate &date)
{
    if (refreshing() || !userIsPicking() || isReadOnly())
        return;
    writeUserValue(date);
}

void DBDatePicker::showValue(const QVariant &value)
{
    // Without a record the picker keeps what it shows. A blank field shows the zero date, which
    // nobody takes for a real one: the previous patient's date would be.
    if (!hasRecord())
        return;
    QDate d = value.isValid() ? value.toDate() : QDate();
    if (!d.isValid())
        d = kZeroDate;
    if (d != date())
        setDate(d);
}

} // namespace pelorin::ui
