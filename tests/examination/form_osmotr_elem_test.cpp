#include "clinicfixture.h"
#include "dbcontrols.h"
#include "dialogs.h"
#include "elements.h"
#include "form_osmotr_elem.h"
#include "table.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>
#include <memory>

using namespace pelorin;
using namespace pelorin::examination;

namespace {

// Head boxes no control edits, and the reserved whole-neck flag.
const QStringList kReserved{"A111", "A112", "A114", "A115", "A121", "A122", "A123", "A125",
                            "A142", "A151", "A152", "A153", "A161", "A163", "A166", "All_sheya"};

// One patient with one examination of 01.03.2025 holding one stored element "бляшки".
struct Clinic : testing::ClinicFixture
{
    Clinic()
    {
        installElementCalc(elements());
        append(reg(), {{"Last_Name", QStringLiteral("Осмотренная")}});
        append(exams(), {{"Date", QDate(2025, 3, 1)}});
        append(elements(),
               {{"ID_elem", exams().value("ID")}, {"Nom_elem", 1}, {"Name_elem", QStringLiteral("бляшки")}});
    }
    db::Table &exams() { return *dm2->osmotr1; }
    db::Table &elements() { return *dm2->osmotr_elem; }
};

QCheckBox *box(QWidget *window, const char *page, const QString &field)
{
    QWidget *p = window->findChild<QWidget *>(QLatin1String(page));
    return p ? p->findChild<QCheckBox *>(field) : nullptr;
}

void click(QAbstractButton *b)
{
    QVERIFY(b);
    QVERIFY(b->isVisible());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

} // namespace

class FormOsmotrElemTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void builds();
    void everyLocationHasABoxInBothViews();
    void tickInOneViewShowsInTheOther();
    void newCopyAndDeleteElement();
    void clearButtonEmptiesCharacteristic();
    void pasiScoradWritesAreaScores();
    void bodyPictureTicksLocations();
    void mainWindowIsLockedWhileShown();
    void screenshots();
};

void FormOsmotrElemTest::builds()
{
    Clinic c;
    Form_osmotr_elem w(*c.dm2, c.settings);
    QCOMPARE(w.objectName(), QStringLiteral("Form_osmotr_elem"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Пелорин. Элементы высыпания."));
    QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!w.isModal());
    QVERIFY(!w.isVisible());
    QCOMPARE(w.view(), Form_osmotr_elem::Vid2);
    QVERIFY(w.findChild<QRadioButton *>("RadioView2")->isChecked());
    QVERIFY(!w.findChild<QPushButton *>("ButtonApply")->isEnabled());
    QVERIFY(!w.findChild<QPushButton *>("ButtonCancel")->isEnabled());
    QCOMPARE(w.findChild<QPushButton *>("ButtonApply")->text(), QStringLiteral("Применить изменения"));
    QCOMPARE(w.findChild<QPushButton *>("ButtonCancel")->text(), QStringLiteral("Отменить изменения"));

    auto *tabs = w.findChild<QTabWidget *>("PageControlLocations");
    QVERIFY(tabs);
    QStringList tabNames;
    for (int i = 0; i < tabs->count(); ++i)
        tabNames << tabs->tabText(i);
    QCOMPARE(tabNames, QStringList({"Голова", "Шея и туловище", "Руки", "Ноги"}));

    auto *nameLower = w.findChild<ui::DBComboBox *>("DBComboBoxName_vid2");
    auto *nameUpper = w.findChild<ui::DBComboBox *>("DBComboBoxName_vid1");
    QVERIFY(nameLower && nameUpper);
    QCOMPARE(nameUpper->items().size(), 15);
    QCOMPARE(nameUpper->items().at(5), QStringLiteral("Очаги эритемы"));
    QCOMPARE(nameLower->items().at(5), QStringLiteral("очаги эритемы"));
    QCOMPARE(nameLower->currentText(), QStringLiteral("бляшки"));
    auto *from = w.findChild<ui::DBComboBox *>("DBComboBoxRazmer_ot_vid1");
    QVERIFY(from);
    QCOMPARE(from->items().size(), 18);
    QCOMPARE(from->items().first(), QStringLiteral("0,2"));

    auto *otdel = w.findChild<ui::DBRadioGroup *>("DBRadioGroupOtdel_vid2");
    QVERIFY(otdel);
    QCOMPARE(otdel->title(), QStringLiteral("Содержимое\\отделяемое"));
    QCOMPARE(otdel->valueOfItem(3).toInt(), 4);
    for (const char *f :
         {"Color", "Forma", "Granitca", "Poverhnost", "Poverhnost1", "Otdel", "Raspred", "Rasp", "Fon"}) {
        for (const char *view : {"_vid1", "_vid2"}) {
            const QString suffix = QLatin1String(view);
            QVERIFY2(w.findChild<ui::DBRadioGroup *>(QStringLiteral("DBRadioGroup") + QLatin1String(f) + suffix), f);
            auto *x = w.findChild<QPushButton *>(QStringLiteral("ButtonClear") + QLatin1String(f) + suffix);
            QVERIFY2(x && x->text() == QStringLiteral("Х"), f);
        }
    }
    QVERIFY(!w.findChild<ui::DBRadioGroup *>("DBRadioGroupFon1_vid2"));
    QCOMPARE(w.findChild<QPushButton *>("ButtonArea_vid1")->text(), QStringLiteral("Рассчитать площадь"));
    QCOMPARE(w.findChild<QPushButton *>("ButtonArea_vid2")->text(), QStringLiteral("Рассчитать."));
    QCOMPARE(w.findChild<QPushButton *>("ButtonPasiScorad")->text(), QStringLiteral("Рассчитать PASI и SCORAD"));
    QCOMPARE(w.findChild<QPushButton *>("ButtonCopyElement_vid2")->text(),
             QStringLiteral("Новый  элемент (те же хар-ки)"));
}

void FormOsmotrElemTest::everyLocationHasABoxInBothViews()
{
    Clinic c;
    Form_osmotr_elem w(*c.dm2, c.settings);

    // The table covers every Boolean of the element row but the reserved ones, each once.
    QSet<QString> booleans;
    for (int i = 0; i < c.elements().fieldCount(); ++i) {
        const db::FieldDef &def = c.elements().fieldDef(i);
        const QString name = QString::fromLatin1(def.name);
        if (def.type == db::FieldType::Boolean && !kReserved.contains(name))
            booleans.insert(name);
    }
    const QStringList fields = locationFields();
    QCOMPARE(fields.size(), 83);
    QCOMPARE(QSet<QString>(fields.begin(), fields.end()).size(), fields.size());
    QCOMPARE(QSet<QString>(fields.begin(), fields.end()), booleans);

    for (const LocationGroup &g : locationGroups()) {
        for (const LocationBox &b : g.boxes) {
            QCheckBox *one = box(&w, "vid1", b.field);
            QCheckBox *two = box(&w, "vid2", b.field);
            QVERIFY2(one && two, qPrintable(b.field));
            QCOMPARE(one->text(), b.caption);
            QCOMPARE(two->text(), b.flatCaption.isEmpty() ? b.caption : b.flatCaption);
            QCOMPARE(w.findChild<QWidget *>("vid1")->findChildren<QCheckBox *>(b.field).size(), 1);
            QCOMPARE(w.findChild<QWidget *>("vid2")->findChildren<QCheckBox *>(b.field).size(), 1);
            // A box without a caption of its own tells its place in its tooltip.
            if (b.caption.isEmpty())
                QVERIFY2(one->toolTip().contains(b.rowLabel), qPrintable(b.field));
        }
    }
    QCOMPARE(box(&w, "vid1", "A162")->text(), QStringLiteral("Щеки"));
    QCOMPARE(box(&w, "vid1", "A211")->text(), QStringLiteral("везде"));
    QCOMPARE(box(&w, "vid2", "A211")->text(), QStringLiteral("По всей поверхности"));
    QCOMPARE(box(&w, "vid2", "All_tulov")->text(), QStringLiteral("По всей поверхности шеи и туловища"));
    QCOMPARE(box(&w, "vid1", "All_tulov")->text(), QStringLiteral("По всей поверхности туловища"));
    QCOMPARE(box(&w, "vid1", "All_prav_noga")->text(), QStringLiteral("По всей поверхности правой ноги"));
    QCOMPARE(box(&w, "vid1", "A322")->text(), QString());
    QCOMPARE(box(&w, "vid1", "A322")->toolTip(), QStringLiteral("Левая рука: Предплечье, разгибательная поверхность"));
}

void FormOsmotrElemTest::tickInOneViewShowsInTheOther()
{
    Clinic c;
    Form_osmotr_elem w(*c.dm2, c.settings);
    w.setView(Form_osmotr_elem::Vid1);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.findChild<QTabWidget *>("PageControlLocations")->setCurrentIndex(2);

    QCOMPARE(c.elements().state(), db::TableState::Browse);
    QCheckBox *one = box(&w, "vid1", "A322");
    click(one);
    QVERIFY(one->isChecked());
    QVERIFY(box(&w, "vid2", "A322")->isChecked());
    QCOMPARE(c.elements().state(), db::TableState::Edit);
    QVERIFY(c.elements().asBoolean("A322"));
    QVERIFY(w.findChild<QPushButton *>("ButtonApply")->isEnabled());
    QVERIFY(w.findChild<QPushButton *>("ButtonCancel")->isEnabled());

    // Back in "вид2" the other way round; then the changes are stored.
    click(w.findChild<QRadioButton *>("RadioView2"));
    QCOMPARE(w.view(), Form_osmotr_elem::Vid2);
    QCheckBox *two = box(&w, "vid2", "A162");
    w.findChild<QWidget *>("ScrollBoxLocations")->findChild<QWidget *>()->setFocus();
    click(two);
    QVERIFY(box(&w, "vid1", "A162")->isChecked());
    click(w.findChild<QPushButton *>("ButtonApply"));
    QCOMPARE(c.elements().state(), db::TableState::Browse);
    QVERIFY(!w.findChild<QPushButton *>("ButtonApply")->isEnabled());
    QVERIFY(c.stored("select A162 from osmotr_elem").toBool());
    QVERIFY(c.stored("select A322 from osmotr_elem").toBool());
    QVERIFY(c.elements().asString("List").contains(QStringLiteral("на щеках, ")));

    // "Отменить изменения" brings the stored row back.
    click(two);
    QVERIFY(!box(&w, "vid1", "A162")->isChecked());
    click(w.findChild<QPushButton *>("ButtonCancel"));
    QVERIFY(box(&w, "vid1", "A162")->isChecked());
    QCOMPARE(c.elements().state(), db::TableState::Browse);
}

void FormOsmotrElemTest::newCopyAndDeleteElement()
{
    Clinic c;
    ScopedScriptedDialogs dialogs;
    Form_osmotr_elem w(*c.dm2, c.settings);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    click(w.findChild<QPushButton *>("ButtonNewElement_vid2"));
    QCOMPARE(c.elements().recordCount(), 2);
    QCOMPARE(c.elements().state(), db::TableState::Insert);
    QCOMPARE(c.elements().asInteger("Nom_elem"), 2);
    QCOMPARE(c.elements().value("ID_elem"), c.exams().value("ID"));
    QVERIFY(!c.elements().isNull("A322") && !c.elements().asBoolean("A322"));
    QVERIFY(w.findChild<QPushButton *>("ButtonApply")->isEnabled());
    QVERIFY(dialogs.transcript.join('\n').contains(newElementMessage()));
    QCOMPARE(dialogs.beeps, 2);
    auto *name = w.findChild<ui::DBComboBox *>("DBComboBoxName_vid2");
    QCOMPARE(w.focusWidget(), name);
    name->hidePopup();

    // The new element gets a name, a colour and a place, then is stored.
    c.elements().setValue("Name_elem", QStringLiteral("папулы"));
    c.elements().setValue("Color", 3);
    c.elements().setValue("Razmer_ot", 1);
    c.elements().setValue("Razmer_do", 2);
    c.elements().setValue("A222", true);
    click(w.findChild<QPushButton *>("ButtonApply"));
    QCOMPARE(c.elements().state(), db::TableState::Browse);
    QCOMPARE(int(c.stored("select count(*) from osmotr_elem").toInt()), 2);

    // A copy keeps everything but the name.
    dialogs.transcript.clear();
    w.setView(Form_osmotr_elem::Vid1);
    click(w.findChild<QPushButton *>("ButtonCopyElement_vid1"));
    QCOMPARE(c.elements().recordCount(), 3);
    QCOMPARE(c.elements().asString("Name_elem"), QStringLiteral(" "));
    QCOMPARE(c.elements().asInteger("Color"), 3);
    QCOMPARE(c.elements().asFloat("Razmer_do"), 2.0);
    QVERIFY(c.elements().asBoolean("A222"));
    QVERIFY(box(&w, "vid1", "A222")->isChecked());
    QVERIFY(dialogs.transcript.join('\n').contains(copiedElementMessage()));
    QCOMPARE(w.focusWidget(), w.findChild<ui::DBComboBox *>("DBComboBoxName_vid1"));
    w.findChild<ui::DBComboBox *>("DBComboBoxName_vid1")->hidePopup();
    click(w.findChild<QPushButton *>("ButtonApply"));
    QCOMPARE(int(c.stored("select count(*) from osmotr_elem").toInt()), 3);

    // Delete asks first; No keeps the element.
    dialogs.transcript.clear();
    dialogs.answers = {"no"};
    w.deleteCurrentElement();
    QCOMPARE(c.elements().recordCount(), 3);
    QVERIFY(dialogs.transcript.join('\n').contains(deleteElementQuestion()));
    dialogs.answers = {"yes", "yes"};
    w.deleteCurrentElement();
    w.deleteCurrentElement();
    QCOMPARE(c.elements().recordCount(), 1);
    // The last element stays, and nobody is asked.
    dialogs.transcript.clear();
    w.deleteCurrentElement();
    QCOMPARE(c.elements().recordCount(), 1);
    QVERIFY(dialogs.transcript.isEmpty());
}

void FormOsmotrElemTest::clearButtonEmptiesCharacteristic()
{
    Clinic c;
    ScopedScriptedDialogs dialogs;
    Form_osmotr_elem w(*c.dm2, c.settings);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *group = w.findChild<ui::DBRadioGroup *>("DBRadioGroupForma_vid2");
    click(group->button(1));
    QCOMPARE(c.elements().asInteger("Forma"), 2);
    QVERIFY(w.findChild<ui::DBRadioGroup *>("DBRadioGroupForma_vid1")->button(1)->isChecked());
    click(w.findChild<QPushButton *>("ButtonClearForma_vid2"));
    QCOMPARE(c.elements().state(), db::TableState::Browse);
    QCOMPARE(c.stored("select Forma from osmotr_elem").toInt(), 0);
    QCOMPARE(group->itemIndex(), -1);
}

void FormOsmotrElemTest::pasiScoradWritesAreaScores()
{
    Clinic c;
    ScopedScriptedDialogs dialogs;
    Form_osmotr_elem w(*c.dm2, c.settings);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // The cheeks ticked but not yet stored count too.
    click(box(&w, "vid2", "A162"));
    click(w.findChild<QPushButton *>("ButtonArea_vid2"));
    QVERIFY(dialogs.transcript.join('\n').contains(QStringLiteral("На голове - 11,1%")));
    dialogs.transcript.clear();
    click(w.findChild<QPushButton *>("ButtonPasiScorad"));
    QCOMPARE(c.elements().state(), db::TableState::Browse);
    QCOMPARE(c.stored("select Bb14 from osmotr_1").toInt(), 2);
    QCOMPARE(c.stored("select Bb24 from osmotr_1").toInt(), 0);
    QCOMPARE(c.stored("select B1 from osmotr_1").toInt(), 1);
    QVERIFY(dialogs.transcript.join('\n').contains(QStringLiteral("Данные по площади внесены в PASI и SCORAD.")));

    // The whole body in a second element.
    w.newElement();
    c.elements().setValue("All_telo", true);
    click(w.findChild<QPushButton *>("ButtonPasiScorad"));
    QCOMPARE(c.stored("select Bb14 from osmotr_1").toInt(), 6);
    QCOMPARE(c.stored("select Bb44 from osmotr_1").toInt(), 6);
    QCOMPARE(c.stored("select B1 from osmotr_1").toInt(), 100);
}

void FormOsmotrElemTest::bodyPictureTicksLocations()
{
    Clinic c;
    Form_osmotr_elem w(*c.dm2, c.settings);
    w.setView(Form_osmotr_elem::Vid3);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.findChild<QWidget *>("GroupBoxLocations")->isVisible());
    QVERIFY(w.findChild<QPushButton *>("ButtonPasiScorad")->isVisible());
    QVERIFY(w.findChild<QPushButton *>("ButtonArea_vid3")->isVisible());
    auto *body = w.findChild<BodyPicture *>("BodyPicture");
    QVERIFY(body && body->isVisible());

    // Every part of the picture is a location box of the views.
    const QStringList fields = locationFields();
    for (const char *f : {"A162", "A322", "A432", "A261", "A245"}) {
        const QPointF at = body->centreOf(QLatin1String(f));
        QVERIFY2(fields.contains(QLatin1String(f)), f);
        QCOMPARE(body->fieldAt(at), QLatin1String(f));
    }
    QTest::mouseClick(body, Qt::LeftButton, {}, body->centreOf("A322").toPoint());
    QCOMPARE(c.elements().state(), db::TableState::Edit);
    QVERIFY(c.elements().asBoolean("A322"));
    QVERIFY(box(&w, "vid1", "A322")->isChecked());
    QVERIFY(w.findChild<QPushButton *>("ButtonApply")->isEnabled());
    QTest::mouseClick(body, Qt::LeftButton, {}, body->centreOf("A322").toPoint());
    QVERIFY(!c.elements().asBoolean("A322"));
    QVERIFY(!box(&w, "vid2", "A322")->isChecked());
}

void FormOsmotrElemTest::mainWindowIsLockedWhileShown()
{
    Clinic c;
    // A main window that is not the parent is disabled as a whole.
    {
        QWidget mainWindow;
        mainWindow.show();
        Form_osmotr_elem w(*c.dm2, c.settings);
        w.setMainWindow(&mainWindow);
        QSignalSpy lock(&w, &Form_osmotr_elem::mainWindowLockChanged);
        w.show();
        QVERIFY(!mainWindow.isEnabled());
        QCOMPARE(lock.size(), 1);
        QCOMPARE(lock.at(0).at(0).toBool(), true);
        w.close();
        QVERIFY(mainWindow.isEnabled());
        QCOMPARE(lock.size(), 2);
        QCOMPARE(lock.at(1).at(0).toBool(), false);

        c.settings.noFastScrolling = false;
        w.show();
        QVERIFY(mainWindow.isEnabled());
        QCOMPARE(lock.size(), 2);
        w.close();
        c.settings.noFastScrolling = true;
    }
    // The parent main window loses its contents, and the window stays usable.
    {
        QWidget mainWindow;
        auto *grid = new QWidget(&mainWindow);
        auto *offAlready = new QWidget(&mainWindow);
        offAlready->setEnabled(false);
        mainWindow.show();
        auto *w = new Form_osmotr_elem(*c.dm2, c.settings, &mainWindow);
        w->setMainWindow(&mainWindow);
        w->show();
        QVERIFY(!grid->isEnabled());
        QVERIFY(w->isEnabled());
        QVERIFY(w->findChild<QPushButton *>("ButtonPasiScorad")->isEnabled());
        w->close();
        QVERIFY(grid->isEnabled());
        QVERIFY(!offAlready->isEnabled());
    }
}

void FormOsmotrElemTest::screenshots()
{
    Clinic c;
    c.elements().edit();
    for (const char *f : {"A113", "A133", "A212", "A242", "A322", "A371", "A413"})
        c.elements().setValue(f, true);
    c.elements().setValue("Color", 3);
    c.elements().post();
    Form_osmotr_elem w(*c.dm2, c.settings);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.grab().isNull()); // it paints; no picture is left outside the test
    w.setView(Form_osmotr_elem::Vid1);
    auto *tabs = w.findChild<QTabWidget *>("PageControlLocations");
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QVERIFY(!w.grab().isNull()); // it paints; no picture is left outside the test
    }
    w.setView(Form_osmotr_elem::Vid3);
    QVERIFY(!w.grab().isNull()); // it paints; no picture is left outside the test
}

QTEST_MAIN(FormOsmotrElemTest)
#include "form_osmotr_elem_test.moc"
