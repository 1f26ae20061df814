#include "database.h"
#include "datamodules.h"
#include "dbcontrols.h"
#include "dialogs.h"
#include "formbuilder.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include "uitest.h"

#include <QSqlQuery>
#include <QLineEdit>
#include <QtTest>
#include <memory>

using namespace pelorin;
using ui::FieldSpec;

Q_DECLARE_METATYPE(ui::FieldSpec::Kind)

namespace {

using pelorin::testing::typeText;
using pelorin::testing::clickButton;

// Three patients, in the register's order by surname:
//   1 "Антонова"  card 102, 55 kg, female, born 12.11.1991, no notes
//   2 "Белов"     card 101, 72.5 kg, male, born 05.03.1980, two lines of notes
//   3 "Смирнов"   card 103, sex typed by hand as "муж.", no birth date
struct Clinic
{
    QTemporaryDir dir;
    db::Database database;
    std::unique_ptr<db::DM1> dm1;

    bool open()
    {
        QString error;
        if (!database.open(dir.path(), &error)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        dm1 = std::make_unique<db::DM1>(database);
        if (!dm1->open(&error)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        addPatient(QStringLiteral("Белов"), 101, 72.5, QStringLiteral("Мужской"), QDate(1980, 3, 5),
                   QStringLiteral("первая строка\nвторая строка"));
        addPatient(QStringLiteral("Антонова"), 102, 55.0, QStringLiteral("Женский"), QDate(1991, 11, 12), {});
        addPatient(QStringLiteral("Смирнов"), 103, 80.0, QStringLiteral("муж."), QDate(), {});
        reg().first();
        return reg().recordCount() == 3 && reg().state() == db::TableState::Browse;
    }

    db::Table &reg() { return *dm1->register_; }

    void addPatient(const QString &name, int card, double weight, const QString &sex, const QDate &born,
                    const QString &other)
    {
        db::Table &r = reg();
        r.append();
        r.setValue("Last_Name", name);
        r.setValue("Amb_karta", card);
        r.setValue("Ves", weight);
        r.setValue("Sex", sex);
        r.setValue("Born_dat", born.isValid() ? QVariant(born) : QVariant());
        r.setValue("Other", other);
        r.post();
    }

    // The life anamnesis record of the current patient, for Boolean fields.
    db::Table &life()
    {
        db::Table &t = *dm1->anamnez_life;
        if (t.isEmpty()) {
            t.append();
            t.post();
        }
        return t;
    }
};

QString shown(QWidget *w)
{
    if (auto *e = qobject_cast<ui::DBEdit *>(w))
        return e->text();
    if (auto *m = qobject_cast<ui::DBMemo *>(w))
        return m->toPlainText();
    if (auto *c = qobject_cast<ui::DBComboBox *>(w))
        return c->currentText();
    if (auto *c = qobject_cast<ui::DBCheckBox *>(w))
        return c->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked");
    if (auto *g = qobject_cast<ui::DBRadioGroup *>(w))
        return QString::number(g->itemIndex());
    if (auto *t = qobject_cast<ui::DBText *>(w))
        return t->text();
    if (auto *p = qobject_cast<ui::DBDatePicker *>(w))
        return p->date().toString(QStringLiteral("dd.MM.yyyy"));
    return QStringLiteral("?");
}

// What a window does to a control's widget from code: it must never reach the table.
void setFromCode(QWidget *w)
{
    if (auto *e = qobject_cast<ui::DBEdit *>(w))
        e->setText(QStringLiteral("из программы"));
    else if (auto *m = qobject_cast<ui::DBMemo *>(w))
        m->setPlainText(QStringLiteral("из программы"));
    else if (auto *c = qobject_cast<ui::DBComboBox *>(w))
        c->setCurrentIndex(c->currentIndex() == 0 ? 1 : 0);
    else if (auto *c = qobject_cast<ui::DBCheckBox *>(w))
        c->setChecked(!c->isChecked());
    else if (auto *g = qobject_cast<ui::DBRadioGroup *>(w))
        g->button(g->itemIndex() == 0 ? 1 : 0)->setChecked(true);
    else if (auto *t = qobject_cast<ui::DBText *>(w))
        t->setText(QStringLiteral("из программы"));
    else if (auto *p = qobject_cast<ui::DBDatePicker *>(w))
        p->setDate(p->date().addDays(40));
}

// The line edit a user types into, for the controls that have one.
QWidget *typingTarget(QWidget *w)
{
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->lineEdit();
    return w;
}

} // namespace

class DBControlsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void programWritesNeverEdit_data();
    void programWritesNeverEdit();
    void userChangeEdits_data();
    void userChangeEdits();
    void postWritesPendingText_data();
    void postWritesPendingText();
    void refusedTextKeepsRecordInEdit_data();
    void refusedTextKeepsRecordInEdit();
    void pendingTextSurvivesOtherFields();
    void cancelAndEscapeDropTypedText();
    void typingIntoEmptyTableInserts_data();
    void typingIntoEmptyTableInserts();
    void datePickerFollowsRecord();
    void datePickerUserPick();
    void datePickerTypedAfterOneClick_data();
    void datePickerTypedAfterOneClick();
    void comboShowsUnlistedValue();
    void longItemDoesNotWidenTheCombo();
    void radioGroupValuesAndClear();
    void radioGroupBoolean();
    void radioGroupColumns();
    void calculatedFieldIsReadOnlyAndFollows();
    void noRecordLook();
    void formBuilder();
};

void DBControlsTest::programWritesNeverEdit_data()
{
    QTest::addColumn<FieldSpec::Kind>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("first");   // shown for "Антонова"
    QTest::addColumn<QString>("written"); // shown after the program wrote value

    QTest::newRow("edit text") << FieldSpec::Edit << "Last_Name" << QVariant(QStringLiteral("Андреева"))
                               << QStringLiteral("Антонова") << QStringLiteral("Андреева");
    QTest::newRow("edit float") << FieldSpec::Edit << "Ves" << QVariant(60.25) << QStringLiteral("55")
                                << QStringLiteral("60,25");
    QTest::newRow("edit date") << FieldSpec::Edit << "Born_dat" << QVariant(QDate(1990, 1, 2))
                               << QStringLiteral("12.11.1991") << QStringLiteral("02.01.1990");
    QTest::newRow("memo") << FieldSpec::Memo << "Other" << QVariant(QStringLiteral("строка 1\nстрока 2")) << QString()
                          << QStringLiteral("строка 1\nстрока 2");
    QTest::newRow("combo") << FieldSpec::Combo << "Sex" << QVariant(QStringLiteral("Мужской"))
                           << QStringLiteral("Женский") << QStringLiteral("Мужской");
    QTest::newRow("radio text") << FieldSpec::Radio << "Sex" << QVariant(QStringLiteral("Мужской"))
                                << QStringLiteral("1") << QStringLiteral("0");
    QTest::newRow("radio index") << FieldSpec::Radio << "ID_age_cat" << QVariant(2) << QStringLiteral("-1")
                                 << QStringLiteral("2");
    QTest::newRow("text") << FieldSpec::Text << "Amb_karta" << QVariant(555) << QStringLiteral("102")
                          << QStringLiteral("555");
    QTest::newRow("date") << FieldSpec::Date << "Born_dat" << QVariant(QDate(1990, 1, 2))
                          << QStringLiteral("12.11.1991") << QStringLiteral("02.01.1990");
    QTest::newRow("check") << FieldSpec::Check << "Pitanie" << QVariant(true) << QStringLiteral("unchecked")
                           << QStringLiteral("checked");
}

void DBControlsTest::programWritesNeverEdit()
{
    QFETCH(FieldSpec::Kind, kind);
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, first);
    QFETCH(QString, written);

    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &t = field == QLatin1String("Pitanie") ? clinic.life() : clinic.reg();
    QStringList items;
    if (field == QLatin1String("Sex"))
        items = {QStringLiteral("Мужской"), QStringLiteral("Женский")};
    else if (field == QLatin1String("ID_age_cat"))
        items = {QStringLiteral("дети"), QStringLiteral("подростки"), QStringLiteral("взрослые")};
    else if (field == QLatin1String("Pitanie"))
        items = {QStringLiteral("Обычный"), QStringLiteral("Гиппоаллергенный")};
    std::unique_ptr<QWidget> w(
        ui::buildControl(&t, {QStringLiteral("Подпись"), QStringLiteral("Control1"), kind, field, items, false}));
    w->show();

    QSignalSpy states(&t, &db::Table::stateChanged);
    QCOMPARE(shown(w.get()), first);

    // The program writes the field: the control shows it and the record is the program's to post.
    t.edit();
    QVERIFY(t.setValue(field, value));
    QCOMPARE(shown(w.get()), written);
    QVERIFY(t.post());
    QCOMPARE(shown(w.get()), written);
    QCOMPARE(t.state(), db::TableState::Browse);
    QCOMPARE(states.count(), 2); // the program's edit and post, nothing from the control

    // Moving shows other records and never edits.
    if (&t == &clinic.reg()) {
        t.last();
        t.first();
        QCOMPARE(shown(w.get()), written);
    }
    QCOMPARE(t.state(), db::TableState::Browse);

    // Setting the widget from code stays in the widget.
    const QVariant before = t.value(field);
    setFromCode(w.get());
    QCOMPARE(t.state(), db::TableState::Browse);
    QVERIFY(!t.modified());
    QCOMPARE(t.value(field), before);
    QCOMPARE(states.count(), 2);
}

void DBControlsTest::userChangeEdits_data()
{
    QTest::addColumn<FieldSpec::Kind>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("typed"); // typed text, or empty for a click
    QTest::addColumn<int>("item");      // item clicked or picked, -1 for none
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<bool>("writtenAtOnce"); // before the post

    const QVariant none;
    QTest::newRow("edit") << FieldSpec::Edit << "Last_Name" << true << QStringLiteral("Аксёнова") << -1
                          << QVariant(QStringLiteral("Аксёнова")) << false;
    QTest::newRow("memo") << FieldSpec::Memo << "Other" << true << QStringLiteral("жалоб нет") << -1
                          << QVariant(QStringLiteral("жалоб нет")) << false;
    QTest::newRow("editable combo typed")
        << FieldSpec::Combo << "Sex" << true << QStringLiteral("нет") << -1 << QVariant(QStringLiteral("нет")) << false;
    QTest::newRow("fixed combo picked") << FieldSpec::Combo << "Sex" << false << QString() << 0
                                        << QVariant(QStringLiteral("Мужской")) << true;
    QTest::newRow("editable combo picked")
        << FieldSpec::Combo << "Sex" << true << QString() << 0 << QVariant(QStringLiteral("Мужской")) << true;
    QTest::newRow("check") << FieldSpec::Check << "Pitanie" << true << QString() << -1 << QVariant(true) << true;
    QTest::newRow("radio text") << FieldSpec::Radio << "Sex" << true << QString() << 0
                                << QVariant(QStringLiteral("Мужской")) << true;
    QTest::newRow("radio index") << FieldSpec::Radio << "ID_age_cat" << true << QString() << 2
                                 << QVariant::fromValue<qint64>(2) << true;
    QTest::newRow("date key") << FieldSpec::Date << "Born_dat" << true << QString() << -1
                              << QVariant(QDate(1991, 11, 13)) << true;
}

void DBControlsTest::userChangeEdits()
{
    QFETCH(FieldSpec::Kind, kind);
    QFETCH(QString, field);
    QFETCH(bool, editable);
    QFETCH(QString, typed);
    QFETCH(int, item);
    QFETCH(QVariant, expected);
    QFETCH(bool, writtenAtOnce);

    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &t = field == QLatin1String("Pitanie") ? clinic.life() : clinic.reg();
    QStringList items;
    if (field == QLatin1String("Sex"))
        items = {QStringLiteral("Мужской"), QStringLiteral("Женский")};
    else if (field == QLatin1String("ID_age_cat"))
        items = {QStringLiteral("дети"), QStringLiteral("подростки"), QStringLiteral("взрослые")};
    std::unique_ptr<QWidget> w(
        ui::buildControl(&t, {QStringLiteral("Подпись"), QStringLiteral("Control1"), kind, field, items, editable}));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(t.state(), db::TableState::Browse);
    const qint64 key = t.currentRowKey();

    if (!typed.isEmpty()) {
        QWidget *target = typingTarget(w.get());
        if (auto *e = qobject_cast<QLineEdit *>(target))
            e->selectAll();
        else if (auto *m = qobject_cast<QPlainTextEdit *>(target))
            m->selectAll();
        typeText(target, typed.left(1));
        QCOMPARE(t.state(), db::TableState::Edit); // the first keystroke
        typeText(target, typed.mid(1));
    } else if (kind == FieldSpec::Check) {
        clickButton(qobject_cast<QAbstractButton *>(w.get()));
    } else if (kind == FieldSpec::Radio) {
        auto *g = qobject_cast<ui::DBRadioGroup *>(w.get());
        clickButton(g->button(item));
    } else if (kind == FieldSpec::Combo) {
        auto *c = qobject_cast<QComboBox *>(w.get());
        c->showPopup();
        QAbstractItemView *view = c->view();
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        const QRect rect = view->visualRect(view->model()->index(item, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    } else if (kind == FieldSpec::Date) {
        auto *p = qobject_cast<ui::DBDatePicker *>(w.get());
        p->setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClick(p, Qt::Key_Up);
    }

    QCOMPARE(t.state(), db::TableState::Edit);
    QCOMPARE(t.currentRowKey(), key);
    if (writtenAtOnce)
        QCOMPARE(t.value(field), expected);
    QVERIFY(t.post());
    QVERIFY(t.locate(QStringLiteral("ID_man"), t.value(QStringLiteral("ID_man"))));
    QCOMPARE(t.value(field), expected);
    QCOMPARE(t.state(), db::TableState::Browse);
}

void DBControlsTest::postWritesPendingText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shownAfter");

    QTest::newRow("float comma") << "Ves"
                                 << "80,5" << QVariant(80.5) << "80,5";
    QTest::newRow("float point") << "Ves"
                                 << "80.50" << QVariant(80.5) << "80,5";
    QTest::newRow("integer") << "Amb_karta"
                             << " 77 " << QVariant::fromValue<qint64>(77) << "77";
    QTest::newRow("date") << "Born_dat"
                          << "1.2.2003" << QVariant(QDate(2003, 2, 1)) << "01.02.2003";
    QTest::newRow("blank") << "Ves"
                           << "" << QVariant() << "";
    QTest::newRow("string") << "Last_Name"
                            << "Антонова-Белова" << QVariant(QStringLiteral("Антонова-Белова")) << "Антонова-Белова";
}

void DBControlsTest::postWritesPendingText()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    QFETCH(QString, shownAfter);

    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    ui::DBEdit edit(&r, field);
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    typeText(&edit, typed);
    QCOMPARE(r.state(), db::TableState::Edit);
    QVERIFY(edit.hasPendingText());
    // No focus change, no Return: the post itself collects the text.
    QVERIFY(r.post());
    QCOMPARE(r.value(field), stored);
    QCOMPARE(edit.text(), shownAfter);
    QVERIFY(!edit.hasPendingText());
    QCOMPARE(r.state(), db::TableState::Browse);
}

void DBControlsTest::refusedTextKeepsRecordInEdit_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("corrected");

    QTest::newRow("integer") << "Amb_karta"
                             << "abc"
                             << "Amb_karta: значение «abc» не является числом."
                             << "12";
    QTest::newRow("float") << "Ves"
                           << "72,5 кг"
                           << "Вес: значение «72,5 кг» не является числом."
                           << "72,5";
    QTest::newRow("negative weight") << "Ves"
                                     << "-5"
                                     << "Вес: значение «-5» недопустимо."
                                     << "72,5";
    QTest::newRow("infinite weight") << "Ves"
                                     << "inf"
                                     << "Вес: значение «inf» не является числом."
                                     << "72,5";
    QTest::newRow("weight not a number") << "Ves"
                                         << "NaN"
                                         << "Вес: значение «NaN» не является числом."
                                         << "72,5";
    QTest::newRow("date") << "Born_dat"
                          << "32.13.2000"
                          << "Born_dat: значение «32.13.2000» не является датой."
                          << "13.12.2000";
}

void DBControlsTest::refusedTextKeepsRecordInEdit()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, corrected);

    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    const QVariant before = r.value(field);
    ui::DBEdit edit(&r, field);
    edit.selectAll();
    typeText(&edit, typed);
    QCOMPARE(r.state(), db::TableState::Edit);

    ScopedScriptedDialogs dialogs;
    QVERIFY(!r.post());
    QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("message: Ошибка: ") + message});
    QCOMPARE(r.state(), db::TableState::Edit);
    QCOMPARE(edit.text(), typed);
    QVERIFY(edit.hasPendingText());
    QCOMPARE(r.value(field), before);

    // A move needs the record stored too, and is refused the same way.
    r.next();
    QCOMPARE(r.recNo(), 1);
    QCOMPARE(dialogs.transcript.size(), 2);
    QCOMPARE(edit.text(), typed);

    // Leaving the edit does not lose the text either.
    Q_EMIT edit.editingFinished();
    QCOMPARE(edit.text(), typed);
    QVERIFY(edit.hasPendingText());

    edit.selectAll();
    typeText(&edit, corrected);
    QVERIFY(r.post());
    QCOMPARE(r.asString(field), corrected);
    QCOMPARE(dialogs.transcript.size(), 2);
    QCOMPARE(r.state(), db::TableState::Browse);
}

void DBControlsTest::pendingTextSurvivesOtherFields()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    ui::DBEdit name(&r, QStringLiteral("Last_Name"));
    ui::DBEdit weight(&r, QStringLiteral("Ves"));
    name.selectAll();
    typeText(&name, QStringLiteral("Антонова-Петрова"));
    // The program writes another field and recalculates the record: the typed name stays.
    QVERIFY(r.setValue("Ves", 58));
    QCOMPARE(weight.text(), QStringLiteral("58"));
    r.invalidateCalc();
    QCOMPARE(name.text(), QStringLiteral("Антонова-Петрова"));
    QVERIFY(r.post());
    QVERIFY(r.locate(QStringLiteral("Amb_karta"), 102));
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Антонова-Петрова"));
    QCOMPARE(r.asFloat("Ves"), 58.0);

    // The program writing the very field replaces what was typed.
    typeText(&name, QStringLiteral("xyz"));
    QVERIFY(r.setValue("Last_Name", QStringLiteral("Иванова")));
    QCOMPARE(name.text(), QStringLiteral("Иванова"));
    QVERIFY(!name.hasPendingText());
    QVERIFY(r.post());
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Иванова"));
}

void DBControlsTest::cancelAndEscapeDropTypedText()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    ui::DBEdit name(&r, QStringLiteral("Last_Name"));
    ui::DBMemo notes(&r, QStringLiteral("Other"));
    typeText(&name, QStringLiteral("Ш"));
    typeText(&notes, QStringLiteral("аллергия"));
    QCOMPARE(r.state(), db::TableState::Edit);
    r.cancel();
    QCOMPARE(name.text(), QStringLiteral("Антонова"));
    QCOMPARE(notes.toPlainText(), QString());
    QVERIFY(!name.hasPendingText());
    QVERIFY(!notes.hasPendingText());

    // Escape takes back the typing; the record stays in edit state until the program decides.
    name.selectAll();
    typeText(&name, QStringLiteral("Шорина"));
    QTest::keyClick(&name, Qt::Key_Escape);
    QCOMPARE(name.text(), QStringLiteral("Антонова"));
    QVERIFY(r.post());
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Антонова"));
}

void DBControlsTest::typingIntoEmptyTableInserts_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("patients"); // the register's filter
    QTest::addColumn<bool>("inserts");
    // A patient's first anamnesis record starts with the first keystroke.
    QTest::newRow("detail of a current patient") << "anamnez_zab" << "Last_Name = 'Б*'" << true;
    // No patient listed: nothing to attach a record to, and no patient made by a keystroke.
    QTest::newRow("detail without a patient") << "anamnez_zab" << "Last_Name = 'Я*'" << false;
    QTest::newRow("empty patient list") << "register" << "Last_Name = 'Я*'" << false;
}

void DBControlsTest::typingIntoEmptyTableInserts()
{
    QFETCH(QString, table);
    QFETCH(QString, patients);
    QFETCH(bool, inserts);
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    QVERIFY(r.setFilter(patients));
    db::Table &t = table == QLatin1String("register") ? r : *clinic.dm1->anamnez_zab;
    QVERIFY(t.isEmpty());
    const QString field = table == QLatin1String("register") ? QStringLiteral("Last_Name") : QStringLiteral("Zab_nach");
    ui::DBEdit edit(&t, field);
    QCOMPARE(edit.text(), QString());
    typeText(&edit, QStringLiteral("Яковлев"));
    QCOMPARE(t.state(), inserts ? db::TableState::Insert : db::TableState::Browse);
    QCOMPARE(edit.text(), inserts ? QStringLiteral("Яковлев") : QString());
    QVERIFY(t.post());
    QCOMPARE(t.recordCount(), inserts ? 1 : 0);
    if (inserts) {
        QCOMPARE(t.asString(field), QStringLiteral("Яковлев"));
        QCOMPARE(t.asInteger("ID_man"), r.asInteger("ID_man"));
    }
    QSqlQuery q(clinic.database.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM register")) && q.next());
    QCOMPARE(q.value(0).toInt(), 3);
}

void DBControlsTest::datePickerFollowsRecord()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    ui::DBDatePicker picker(&r, QStringLiteral("Born_dat"));
    ui::DBEdit edit(&r, QStringLiteral("Born_dat"));
    QCOMPARE(picker.displayFormat(), QStringLiteral("dd.MM.yyyy"));
    QVERIFY(picker.calendarPopup());
    QCOMPARE(picker.date(), QDate(1991, 11, 12));
    r.next();
    QCOMPARE(picker.date(), QDate(1980, 3, 5));
    // A blank field shows the zero date, never the previous patient's date.
    r.next();
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Смирнов"));
    QCOMPARE(picker.date(), QDate(1899, 12, 30));
    QCOMPARE(r.state(), db::TableState::Browse);

    // The program writes the field: the picker follows once and writes nothing back.
    QSignalSpy changes(&r, &db::Table::recordChanged);
    QSignalSpy pickerChanges(&picker, &QDateEdit::dateChanged);
    r.edit();
    QVERIFY(r.setValue("Born_dat", QDate(1975, 6, 1)));
    QCOMPARE(picker.date(), QDate(1975, 6, 1));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(pickerChanges.count(), 1);
    QVERIFY(r.post());

    // A preset from code (today, at start-up) never reaches the table.
    picker.setDate(QDate(2026, 1, 15));
    QCOMPARE(r.state(), db::TableState::Browse);
    QCOMPARE(r.asDate("Born_dat"), QDate(1975, 6, 1));
    // The field changing again sets the picker only because the two now differ.
    r.first();
    QCOMPARE(picker.date(), QDate(1991, 11, 12));
    QCOMPARE(r.state(), db::TableState::Browse);
    QCOMPARE(edit.text(), QStringLiteral("12.11.1991"));
}

void DBControlsTest::datePickerTypedAfterOneClick_data()
{
    QTest::addColumn<int>("character"); // where the click puts the cursor in "12.11.1991"
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::newRow("day, before it") << 0 << "15" << QDate(1991, 11, 15);
    QTest::newRow("day, inside") << 1 << "03" << QDate(1991, 11, 3);
    QTest::newRow("month") << 4 << "02" << QDate(1991, 2, 12);
    QTest::newRow("month, after it") << 5 << "07" << QDate(1991, 7, 12);
    QTest::newRow("year") << 8 << "2001" << QDate(2001, 11, 12);
}

// One click on a part of the date, then digits: that part is replaced, and the field takes it.
void DBControlsTest::datePickerTypedAfterOneClick()
{
    QFETCH(int, character);
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    ui::DBDatePicker picker(&r, QStringLiteral("Born_dat"));
    picker.resize(160, picker.sizeHint().height());
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    auto *edit = picker.findChild<QLineEdit *>();
    QVERIFY(edit);
    QCOMPARE(edit->text(), QStringLiteral("12.11.1991"));
    // A point where a click puts the cursor at that character, as the line edit lays its text out.
    QList<int> xs;
    for (int x = 0; x < edit->width(); ++x) {
        if (edit->cursorPositionAt(QPoint(x, edit->height() / 2)) == character)
            xs << x;
    }
    QVERIFY(!xs.isEmpty());
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(xs[xs.size() / 2], edit->height() / 2));
    QTest::keyClicks(&picker, typed);
    QCOMPARE(picker.date(), date);
    QCOMPARE(r.asDate("Born_dat"), date);
    QCOMPARE(r.state(), db::TableState::Edit);
}

void DBControlsTest::datePickerUserPick()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    ui::DBDatePicker picker(&r, QStringLiteral("Born_dat"));
    ui::DBEdit edit(&r, QStringLiteral("Born_dat"));
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));

    picker.pickDate(QDate(1992, 2, 29));
    QCOMPARE(r.state(), db::TableState::Edit);
    QCOMPARE(r.asDate("Born_dat"), QDate(1992, 2, 29));
    QCOMPARE(edit.text(), QStringLiteral("29.02.1992"));
    QVERIFY(r.post());

    // The calendar: a click on a day of the open popup.
    QCalendarWidget *calendar = picker.calendarWidget();
    QVERIFY(calendar);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    QTest::mouseClick(&picker, Qt::LeftButton, {}, QPoint(picker.width() - 5, picker.height() / 2));
    QTRY_VERIFY(calendar->isVisible());
    auto *days = calendar->findChild<QAbstractItemView *>();
    QVERIFY(days);
    // The 15th of the shown month is in the third or fourth week row; find its cell.
    QModelIndex fifteenth;
    for (int row = 0; row < days->model()->rowCount() && !fifteenth.isValid(); ++row) {
        for (int col = 0; col < days->model()->columnCount(); ++col) {
            const QModelIndex i = days->model()->index(row, col);
            if (i.data().toString() == QLatin1String("15") && row > 1) {
                fifteenth = i;
                break;
            }
        }
    }
    QVERIFY(fifteenth.isValid());
    QTest::mouseClick(days->viewport(), Qt::LeftButton, {}, days->visualRect(fifteenth).center());
    QTRY_VERIFY(!calendar->isVisible());
    QCOMPARE(picker.date(), QDate(1992, 2, 15));
    QCOMPARE(r.state(), db::TableState::Edit);
    QCOMPARE(r.asDate("Born_dat"), QDate(1992, 2, 15));
    QVERIFY(r.post());
    QCOMPARE(r.asDate("Born_dat"), QDate(1992, 2, 15));

    // A blank field shows the zero date; a date picked there fills it.
    r.last();
    QVERIFY(r.isNull("Born_dat"));
    QCOMPARE(picker.date(), QDate(1899, 12, 30));
    picker.pickDate(QDate(1992, 2, 15));
    QCOMPARE(r.asDate("Born_dat"), QDate(1992, 2, 15));
    r.cancel();

    // A read-only picker never writes.
    picker.setReadOnly(true);
    r.first();
    QTest::keyClick(&picker, Qt::Key_Up);
    QCOMPARE(r.state(), db::TableState::Browse);
}

void DBControlsTest::longItemDoesNotWidenTheCombo()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    ui::DBComboBox shortList(&clinic.reg(), QStringLiteral("Live_place_region"));
    shortList.setItems({QStringLiteral("Московская область"), QStringLiteral("Тверская область")});
    ui::DBComboBox longList(&clinic.reg(), QStringLiteral("Live_place_region"));
    const QString region = (QStringLiteral("Ханты-Мансийский автономный округ - Югра, ").repeated(4)).left(154);
    QCOMPARE(region.size(), 154);
    longList.setItems({QStringLiteral("Московская область"), region});
    QCOMPARE(longList.sizeHint().width(), shortList.sizeHint().width());
    // The open list shows the long line whole.
    QVERIFY(longList.view()->minimumWidth() >= longList.fontMetrics().horizontalAdvance(region));
}

void DBControlsTest::comboShowsUnlistedValue()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    const QStringList sexes = {QStringLiteral("Мужской"), QStringLiteral("Женский")};
    ui::DBComboBox fixed(&r, QStringLiteral("Sex"));
    fixed.setItems(sexes);
    ui::DBComboBox editable(&r, QStringLiteral("Sex"));
    editable.setItems(sexes);
    editable.setEditable(true);
    QCOMPARE(fixed.currentText(), QStringLiteral("Женский"));
    QCOMPARE(editable.currentText(), QStringLiteral("Женский"));
    QCOMPARE(editable.lineEdit()->maxLength(), 7);

    r.last(); // "муж.", typed by hand into the old editable list
    QCOMPARE(fixed.currentText(), QStringLiteral("муж."));
    QCOMPARE(fixed.count(), 3);
    QCOMPARE(fixed.extraItemIndex(), 2);
    auto *model = qobject_cast<QStandardItemModel *>(fixed.model());
    QVERIFY(model);
    QVERIFY(!(model->item(2)->flags() & Qt::ItemIsEnabled));
    QCOMPARE(editable.currentText(), QStringLiteral("муж."));
    QCOMPARE(editable.currentIndex(), -1);
    QCOMPARE(editable.count(), 2);

    // The extra item cannot be chosen by keys: Up goes to a listed item and writes it.
    fixed.setFocus();
    QTest::keyClick(&fixed, Qt::Key_Up);
    QCOMPARE(fixed.currentText(), QStringLiteral("Женский"));
    QCOMPARE(r.asString("Sex"), QStringLiteral("Женский"));
    QCOMPARE(fixed.count(), 2);
    QCOMPARE(fixed.extraItemIndex(), -1);
    QCOMPARE(editable.currentText(), QStringLiteral("Женский"));
    r.cancel();
    QCOMPARE(fixed.currentText(), QStringLiteral("муж."));

    // A blank field shows no item.
    r.edit();
    r.setValue("Sex", QString());
    QCOMPARE(fixed.currentIndex(), -1);
    QCOMPARE(fixed.currentText(), QString());
    QCOMPARE(editable.currentText(), QString());
    r.cancel();

    // A read-only list takes back the user's choice.
    r.first();
    fixed.setReadOnly(true);
    QTest::keyClick(&fixed, Qt::Key_Up);
    QCOMPARE(fixed.currentText(), QStringLiteral("Женский"));
    QCOMPARE(r.state(), db::TableState::Browse);
}

void DBControlsTest::radioGroupValuesAndClear()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    // Codes 1..3 with 0 for "not given", as the characteristic groups store them.
    ui::DBRadioGroup group(&r, QStringLiteral("ID_age_cat"));
    group.setTitle(QStringLiteral("Категория:"));
    group.setItems({QStringLiteral("Дети"), QStringLiteral("Подростки"), QStringLiteral("Взрослые")});
    group.setValues({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    QCOMPARE(group.itemIndex(), -1); // blank
    QCOMPARE(group.valueOfItem(1).toString(), QStringLiteral("2"));
    QCOMPARE(group.itemOfValue(QVariant::fromValue<qint64>(3)), 2);

    clickButton(group.button(1));
    QCOMPARE(r.state(), db::TableState::Edit);
    QCOMPARE(r.asInteger("ID_age_cat"), 2);
    QVERIFY(r.post());
    QCOMPARE(group.itemIndex(), 1);

    // Clicking the button that is on already leaves the record alone.
    clickButton(group.button(1));
    QCOMPARE(r.state(), db::TableState::Browse);

    // "Х" with 0 for "not given".
    QVERIFY(group.clearValue(0));
    QCOMPARE(r.state(), db::TableState::Edit);
    QCOMPARE(r.asInteger("ID_age_cat"), 0);
    QVERIFY(!r.isNull("ID_age_cat"));
    QCOMPARE(group.itemIndex(), -1);
    QVERIFY(r.post());
    // Nothing to clear: nothing happens.
    QVERIFY(group.clearValue(0));
    QCOMPARE(r.state(), db::TableState::Browse);

    // A code outside the list checks no button; "Х" with a blank.
    r.edit();
    r.setValue("ID_age_cat", 7);
    QCOMPARE(group.itemIndex(), -1);
    r.setValue("ID_age_cat", 3);
    QCOMPARE(group.itemIndex(), 2);
    QVERIFY(r.post());
    QVERIFY(group.clearValue());
    QVERIFY(r.isNull("ID_age_cat"));
    QCOMPARE(group.itemIndex(), -1);
    QVERIFY(r.post());

    // Moving to another record shows its value without editing.
    r.next();
    QCOMPARE(group.itemIndex(), -1);
    QCOMPARE(r.state(), db::TableState::Browse);
}

void DBControlsTest::radioGroupBoolean()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &life = clinic.life();
    ui::DBRadioGroup food(&life, QStringLiteral("Pitanie"));
    food.setTitle(QStringLiteral("Характер питания"));
    food.setItems({QStringLiteral("Обычный"), QStringLiteral("Гиппоаллергенный")});
    ui::DBRadioGroup explicitValues(&life, QStringLiteral("Pitanie"));
    explicitValues.setItems({QStringLiteral("Гиппоаллергенный"), QStringLiteral("Обычный")});
    explicitValues.setValues({QStringLiteral("False"), QStringLiteral("True")});
    food.show();
    explicitValues.show();
    QVERIFY(QTest::qWaitForWindowExposed(&explicitValues));
    QCOMPARE(food.itemIndex(), -1); // not stated
    QCOMPARE(explicitValues.itemIndex(), -1);

    clickButton(food.button(1));
    QCOMPARE(life.value("Pitanie"), QVariant(false));
    QCOMPARE(explicitValues.itemIndex(), 0);
    clickButton(explicitValues.button(1));
    QCOMPARE(life.value("Pitanie"), QVariant(true));
    QCOMPARE(food.itemIndex(), 0);
    QVERIFY(life.post());
    QVERIFY(food.clearValue());
    QVERIFY(life.isNull("Pitanie"));
    QCOMPARE(food.itemIndex(), -1);
    QCOMPARE(explicitValues.itemIndex(), -1);
    QVERIFY(life.post());
}

void DBControlsTest::radioGroupColumns()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    ui::DBRadioGroup itch(&r, QStringLiteral("Number"));
    QStringList eleven;
    for (int i = 0; i <= 10; ++i)
        eleven << QString::number(i);
    itch.setColumns(11);
    itch.setItems(eleven);
    auto *grid = qobject_cast<QGridLayout *>(itch.layout());
    QVERIFY(grid);
    auto position = [grid](QWidget *w) {
        int row = 0, col = 0, rs = 0, cs = 0;
        grid->getItemPosition(grid->indexOf(w), &row, &col, &rs, &cs);
        return QPoint(col, row);
    };
    QCOMPARE(position(itch.button(10)), QPoint(10, 0));

    // Five items in two columns: three down the first, two down the second.
    itch.setColumns(2);
    itch.setItems(eleven.mid(0, 5));
    QCOMPARE(itch.button(0)->text(), QStringLiteral("0"));
    QCOMPARE(position(itch.button(2)), QPoint(0, 2));
    QCOMPARE(position(itch.button(3)), QPoint(1, 0));
    QCOMPARE(position(itch.button(4)), QPoint(1, 1));

    r.edit();
    r.setValue("Number", 4);
    QCOMPARE(itch.itemIndex(), 4);
    r.cancel();
    QCOMPARE(itch.itemIndex(), -1);
}

void DBControlsTest::calculatedFieldIsReadOnlyAndFollows()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    r.addCalcHandler([](db::Table &t) {
        t.setValue("List_other", QString(QStringLiteral("Вес: ") + t.asString(QStringLiteral("Ves"))));
    });
    ui::DBMemo summary(&r, QStringLiteral("List_other"));
    ui::DBText label(&r, QStringLiteral("List_other"));
    ui::DBEdit weight(&r, QStringLiteral("Ves"));
    QVERIFY(summary.isReadOnly());
    QCOMPARE(summary.toPlainText(), QStringLiteral("Вес: 55"));
    QCOMPARE(label.text(), QStringLiteral("Вес: 55"));
    QCOMPARE(label.textFormat(), Qt::PlainText);

    weight.selectAll();
    typeText(&weight, QStringLiteral("56,5"));
    Q_EMIT weight.editingFinished();
    QCOMPARE(r.asFloat("Ves"), 56.5);
    QCOMPARE(summary.toPlainText(), QStringLiteral("Вес: 56,5"));
    QCOMPARE(label.text(), QStringLiteral("Вес: 56,5"));
    QVERIFY(r.post());
}

void DBControlsTest::noRecordLook()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    ui::DBEdit name(&r, QStringLiteral("Last_Name"));
    ui::DBCheckBox check(QStringLiteral("Подпись"), &r, QStringLiteral("Doza"));
    const QColor normal = name.palette().color(QPalette::Active, QPalette::Base);
    QCOMPARE(name.text(), QStringLiteral("Антонова"));

    QVERIFY(r.setFilter(QStringLiteral("Last_Name = 'Я*'")));
    QCOMPARE(name.text(), QString());
    QVERIFY(name.isEnabled());
    QVERIFY(check.isEnabled());
    QCOMPARE(name.palette().color(QPalette::Active, QPalette::Base),
             name.palette().color(QPalette::Disabled, QPalette::Base));
    QCOMPARE(check.palette().color(QPalette::Active, QPalette::WindowText),
             check.palette().color(QPalette::Disabled, QPalette::WindowText));
    const QString shot = qEnvironmentVariable("PELORIN_UI_SHOTS");
    if (!shot.isEmpty()) {
        name.grab().save(shot + QStringLiteral("/edit-no-record.png"));
        check.grab().save(shot + QStringLiteral("/check-no-record.png"));
    }

    QVERIFY(r.setFilter(QString()));
    QCOMPARE(name.text(), QStringLiteral("Антонова"));
    QCOMPARE(name.palette().color(QPalette::Active, QPalette::Base), normal);
    QVERIFY(!name.testAttribute(Qt::WA_SetPalette));
}

void DBControlsTest::formBuilder()
{
    Clinic clinic;
    QVERIFY(clinic.open());
    db::Table &r = clinic.reg();
    r.next(); // "Белов"
    const QList<FieldSpec> specs = {
        {QStringLiteral("Фамилия:"),
         QStringLiteral("DBEdit2"),
         FieldSpec::Edit,
         QStringLiteral("Last_Name"),
         {},
         true,
         1,
         QStringLiteral("Фамилия пациента")},
        {QStringLiteral("№ а\\к:"), QStringLiteral("DBEdit1"), FieldSpec::Edit, QStringLiteral("Amb_karta")},
        {QStringLiteral("Пол:"),
         QStringLiteral("DBComboBox1"),
         FieldSpec::Combo,
         QStringLiteral("Sex"),
         {QStringLiteral("Мужской"), QStringLiteral("Женский")},
         false},
        {QStringLiteral("Вес:"), QStringLiteral("DBEdit21"), FieldSpec::Edit, QStringLiteral("Ves")},
        {QStringLiteral("Дата рождения"), QStringLiteral("DateTimePicker1"), FieldSpec::Date,
         QStringLiteral("Born_dat")},
        {QStringLiteral("Пол (группа)"),
         QStringLiteral("RadioGroup7"),
         FieldSpec::Radio,
         QStringLiteral("Sex"),
         {QStringLiteral("Мужской"), QStringLiteral("Женский")},
         true,
         2},
        {QStringLiteral("Доза назначена"), QStringLiteral("DBCheckBox3"), FieldSpec::Check, QStringLiteral("Doza")},
        {QStringLiteral("Примечание:"), QStringLiteral("DBMemo1"), FieldSpec::Memo, QStringLiteral("Other")},
        {QStringLiteral("Регистрация:"), QStringLiteral("DBText1"), FieldSpec::Text, QStringLiteral("Reg_date")},
        {QStringLiteral("Врач:"), QStringLiteral("DBEdit30"), FieldSpec::Edit, QStringLiteral("Vrach"), {}, false},
    };
    std::unique_ptr<QWidget> form(ui::buildForm(&r, specs, nullptr));
    form->resize(460, 520);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));

    auto *name = form->findChild<ui::DBEdit *>(QStringLiteral("DBEdit2"));
    QVERIFY(name);
    QCOMPARE(name->text(), QStringLiteral("Белов"));
    QCOMPARE(name->toolTip(), QStringLiteral("Фамилия пациента"));
    QCOMPARE(name->maxLength(), 20);
    auto *label = form->findChild<QLabel *>(QStringLiteral("DBEdit2_label"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("Фамилия:"));
    QCOMPARE(label->buddy(), name);
    QCOMPARE(form->findChild<ui::DBEdit *>(QStringLiteral("DBEdit21"))->text(), QStringLiteral("72,5"));
    auto *sex = form->findChild<ui::DBComboBox *>(QStringLiteral("DBComboBox1"));
    QVERIFY(sex && !sex->isEditable());
    QCOMPARE(sex->currentText(), QStringLiteral("Мужской"));
    auto *picker = form->findChild<ui::DBDatePicker *>(QStringLiteral("DateTimePicker1"));
    QVERIFY(picker);
    QCOMPARE(picker->date(), QDate(1980, 3, 5));
    auto *group = form->findChild<ui::DBRadioGroup *>(QStringLiteral("RadioGroup7"));
    QVERIFY(group);
    QCOMPARE(group->title(), QStringLiteral("Пол (группа)"));
    QCOMPARE(group->columns(), 2);
    QCOMPARE(group->itemIndex(), 0);
    QVERIFY(!form->findChild<QLabel *>(QStringLiteral("RadioGroup7_label")));
    auto *check = form->findChild<ui::DBCheckBox *>(QStringLiteral("DBCheckBox3"));
    QVERIFY(check);
    QCOMPARE(check->text(), QStringLiteral("Доза назначена"));
    QVERIFY(form->findChild<ui::DBMemo *>(QStringLiteral("DBMemo1")));
    QVERIFY(form->findChild<ui::DBText *>(QStringLiteral("DBText1")));
    QVERIFY(form->findChild<ui::DBEdit *>(QStringLiteral("DBEdit30"))->isReadOnly());
    QCOMPARE(r.state(), db::TableState::Browse);

    const QString shot = qEnvironmentVariable("PELORIN_UI_SHOTS");
    if (!shot.isEmpty())
        form->grab().save(shot + QStringLiteral("/form.png"));

    // One change through the form, stored by the post.
    name->selectAll();
    typeText(name, QStringLiteral("Белых"));
    clickButton(group->button(1));
    QVERIFY(r.post());
    QCOMPARE(r.asString("Last_Name"), QStringLiteral("Белых"));
    QCOMPARE(r.asString("Sex"), QStringLiteral("Женский"));
    QCOMPARE(sex->currentText(), QStringLiteral("Женский"));
}

QTEST_MAIN(DBControlsTest)
#include "dbcontrols_test.moc"
