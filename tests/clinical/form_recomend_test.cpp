#include "form_recomend.h"
#include "recomend_section.h"

#include "clinicfixture.h"
#include "clock.h"
#include "dbcontrols.h"
#include "dialogs.h"
#include "recomend_calc.h"

#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include "uitest.h"

#include <QtTest>
#include <memory>

using namespace pelorin;
using namespace pelorin::clinical;

namespace {

using pelorin::testing::clickButton;

void typeText(QWidget *w, const QString &text)
{
    w->setFocus();
    testing::typeText(w, text);
}

const QDate kToday(2025, 6, 2);
const QString kCheckText = QStringLiteral(" - Проверка на защищенность данных со стороны recomend");

// Patient "Орлова", the recommendations window and the page.
struct Clinic : testing::ClinicFixture
{
    std::unique_ptr<Form_recomend> window;
    std::unique_ptr<RecomendSection> section;
    QStringList printed;

    Clinic()
    {
        installRecomendCalc(recs());
        append(reg(), {{"Last_Name", QStringLiteral("Орлова")}, {"Reg_date", kToday}});
        window = std::make_unique<Form_recomend>(*dm2);
        section = std::make_unique<RecomendSection>(recs(), window.get());
        section->setPrintSheet([this](const QString &file) { printed << file; });
        section->resize(760, 360);
        section->show();
        if (!QTest::qWaitForWindowExposed(section.get()))
            qFatal("page not exposed");
    }

    db::Table &recs() { return *dm2->recomend; }
    template <typename W = QWidget> W *control(QWidget *w, const QString &name) { return w->findChild<W *>(name); }
    QPushButton *button(QWidget *w, const char *name) { return control<QPushButton>(w, QString::fromLatin1(name)); }
    QString panelDate(int n)
    {
        return control<QLabel>(section.get(), QStringLiteral("DBText_recomend_Data_%1").arg(n))->text();
    }
    QString panelText(int n)
    {
        return control<QPlainTextEdit>(section.get(), QStringLiteral("DBMemo_recomend_List_%1").arg(n))->toPlainText();
    }
    int checkLines() const { return logLinesEndingWith(kCheckText); }
};

} // namespace

class FormRecomendTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { clock::setFixedToday(kToday); }
    void cleanup() { clock::reset(); }

    void windowControls();
    void pageControls();
    void addOpensTheWindowOnANewRecord();
    void changeWithoutRecommendationsCreatesOne();
    void applyWithoutChangesWritesNothing();
    void datePickedIsStored();
    void deleteButton_data();
    void deleteButton();
    void panelsFollowTheCurrentRecord();
    void printChoice_data();
    void printChoice();
};

void FormRecomendTest::windowControls()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    Form_recomend &w = *c.window;
    QCOMPARE(w.objectName(), QStringLiteral("Form_recomend"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Пелорин."));
    QVERIFY(!w.isModal());
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(c.control<QLabel>(&w, QStringLiteral("LabelTitle"))->text(), QStringLiteral("Рекомендации."));
    QCOMPARE(c.control<QGroupBox>(&w, QStringLiteral("GroupBox1"))->title(),
             QStringLiteral("При атопическом дерматите:"));
    QCOMPARE(c.control<QGroupBox>(&w, QStringLiteral("GroupBox2"))->title(), QStringLiteral("При псориазе:"));
    const std::pair<const char *, const char16_t *> checks[] = {
        {"A1", u"Занятия спортом, физкультурой не противопоказаны."},
        {"A2", u"Устанить факторы, провоцирующие обострение псориаза."},
        {"A3", u"При обострении псориаза: индивидуальная терапия."},
        {"A4", u"Санаторно-курортное лечение."},
        {"A5", u"Наблюдение у дерматолога по месту жительства."},
        {"B1", u"Соблюдение гипоаллергенной диеты (стандартно)"},
        {"B2", u"Элиминационный режим (стандартно)"},
        {"B3", u"Уход за кожей (стандартно)"},
        {"B4", u"Занятия спортом, физкультурой не противопоказаны"},
        {"B5", u"При обострении атонического дерматита: индивидуальная терапия."},
        {"B6", u"Санаторно-курортное лечение."},
        {"B7", u"Наблюдение у дерматолога по месту жительства."},
        {"S", u"Стандартные"},
    };
    for (const auto &[field, caption] : checks) {
        auto *box = c.control<ui::DBCheckBox>(&w, QString::fromLatin1(field));
        QVERIFY2(box, field);
        QCOMPARE(box->text(), QString::fromUtf16(caption));
    }
    QCOMPARE(c.control<QLabel>(&w, QStringLiteral("LabelA1Note"))->text(),
             QStringLiteral("Не рекомендуются контактные виды спорта. Избегать травм."));
    QVERIFY(c.control<ui::DBMemo>(&w, QStringLiteral("Lek")));
    QVERIFY(c.control<ui::DBMemo>(&w, QStringLiteral("Komm")));
    QVERIFY(c.control<ui::DBEdit>(&w, QStringLiteral("DBEdit_recomend_Data")));
    QVERIFY(c.control<QDateEdit>(&w, QStringLiteral("DateTimePicker1")));
    QCOMPARE(c.button(&w, "Button1")->text(), QStringLiteral("Применить"));
    QStringList labels;
    for (QLabel *l : w.findChildren<QLabel *>())
        labels << l->text();
    for (const char16_t *text : {u"Лекарственные препараты:", u"Другое:", u"Дата назначения:"})
        QVERIFY(labels.contains(QString::fromUtf16(text)));

    c.append(c.recs(), {{"Data", kToday}, {"B1", true}, {"B3", true}, {"Lek", QStringLiteral("Цетиризин 10 мг")}});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.grab().isNull()); // it paints; no picture is left outside the test
}

void FormRecomendTest::pageControls()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    RecomendSection &s = *c.section;
    QCOMPARE(c.button(&s, "Button18")->text(), QStringLiteral("Добавить"));
    QCOMPARE(c.button(&s, "Button47")->text(), QStringLiteral("Изменить"));
    QCOMPARE(c.button(&s, "Button29")->text(), QStringLiteral("Удалить текущую"));
    QCOMPARE(c.button(&s, "Button50")->text(), QStringLiteral("Вывести список рекомендаций на печать."));
    QCOMPARE(c.control<QGroupBox>(&s, QStringLiteral("RadioGroupPrintSheets"))->title(),
             QStringLiteral("Печать готовых списков рекомендаций:"));
    QCOMPARE(c.control<QRadioButton>(&s, QStringLiteral("RadioPrintSheet0"))->text(),
             QStringLiteral("Рекомендации при атопическом дерматите"));
    QCOMPARE(c.control<QRadioButton>(&s, QStringLiteral("RadioPrintSheet1"))->text(),
             QStringLiteral("Рекомендации при псориазе"));
    QStringList labels;
    for (QLabel *l : s.findChildren<QLabel *>())
        labels << l->text();
    QCOMPARE(labels.count(QStringLiteral(" - дата назначения")), 2);
    for (int n = 0; n < 2; ++n)
        QVERIFY(c.control<QPlainTextEdit>(&s, QStringLiteral("DBMemo_recomend_List_%1").arg(n))->isReadOnly());

    c.append(c.recs(), {{"Data", QDate(2025, 5, 12)}, {"A1", true}, {"A5", true}});
    c.append(c.recs(), {{"Data", kToday}, {"S", true}, {"Komm", QStringLiteral("Контроль через месяц.")}});
    QVERIFY(!s.grab().isNull()); // it paints; no picture is left outside the test
}

void FormRecomendTest::addOpensTheWindowOnANewRecord()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.append(c.recs(), {{"Data", QDate(2025, 5, 12)}});
    c.button(c.section.get(), "Button18")->click();
    QVERIFY(QTest::qWaitForWindowExposed(c.window.get()));
    QCOMPARE(c.recs().recordCount(), 2);
    QCOMPARE(c.recs().asDate("Data"), kToday);
    QCOMPARE(c.recs().state(), db::TableState::Edit);
    QCOMPARE(c.control<ui::DBEdit>(c.window.get(), QStringLiteral("DBEdit_recomend_Data"))->text(),
             QStringLiteral("02.06.2025"));

    clickButton(c.control<QAbstractButton>(c.window.get(), QStringLiteral("A4")));
    clickButton(c.control<QAbstractButton>(c.window.get(), QStringLiteral("B6")));
    typeText(c.control<QWidget>(c.window.get(), QStringLiteral("Lek")), QStringLiteral("Эмоленты"));
    // The page shows the text before it is stored.
    QCOMPARE(c.panelText(1), QStringLiteral("Санаторно-курортное лечение. Санаторно-курортное лечение. "));
    c.button(c.window.get(), "Button1")->click();

    QVERIFY(!c.window->isVisible());
    QCOMPARE(c.recs().state(), db::TableState::Browse);
    QCOMPARE(c.stored(QStringLiteral("SELECT Lek FROM recomend WHERE Data = '2025-06-02'")).toString(),
             QStringLiteral("Эмоленты"));
    QCOMPARE(c.panelDate(1), QStringLiteral("02.06.2025"));
    QCOMPARE(c.panelText(1), QStringLiteral("Санаторно-курортное лечение. Санаторно-курортное лечение. Эмоленты "));
}

void FormRecomendTest::changeWithoutRecommendationsCreatesOne()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    QVERIFY(c.recs().isEmpty());
    c.button(c.section.get(), "Button47")->click();
    QVERIFY(c.window->isVisible());
    QCOMPARE(c.recs().recordCount(), 1);
    QCOMPARE(c.stored(QStringLiteral("SELECT Data FROM recomend")).toString(), QStringLiteral("2025-06-02"));
    QCOMPARE(c.recs().state(), db::TableState::Edit);
    clickButton(c.control<QAbstractButton>(c.window.get(), QStringLiteral("S")));
    c.button(c.window.get(), "Button1")->click();
    QCOMPARE(c.panelText(0), QStringLiteral("Стандартные рекомендации. "));

    // With a record, "Изменить" edits the current one.
    c.button(c.section.get(), "Button47")->click();
    QCOMPARE(c.recs().recordCount(), 1);
    QCOMPARE(c.recs().state(), db::TableState::Edit);
}

void FormRecomendTest::applyWithoutChangesWritesNothing()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.append(c.recs(), {{"Data", QDate(2025, 5, 12)}});
    c.button(c.section.get(), "Button47")->click();
    const int before = c.checkLines();
    c.button(c.window.get(), "Button1")->click();
    QVERIFY(!c.window->isVisible());
    QCOMPARE(c.checkLines(), before);
    QCOMPARE(c.recs().state(), db::TableState::Browse);
}

void FormRecomendTest::datePickedIsStored()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.append(c.recs(), {{"Data", QDate(2025, 5, 12)}});
    c.button(c.section.get(), "Button47")->click();
    // Unsaved changes go with the date.
    clickButton(c.control<QAbstractButton>(c.window.get(), QStringLiteral("B2")));
    c.window->datePicker()->setDate(QDate(2025, 5, 20));
    QCOMPARE(c.recs().state(), db::TableState::Browse);
    QCOMPARE(c.stored(QStringLiteral("SELECT Data FROM recomend")).toString(), QStringLiteral("2025-05-20"));
    QCOMPARE(c.stored(QStringLiteral("SELECT B2 FROM recomend")).toBool(), true);
    QCOMPARE(c.panelDate(0), QStringLiteral("20.05.2025"));
}

void FormRecomendTest::deleteButton_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("left");
    QTest::newRow("Yes") << "yes" << 1;
    QTest::newRow("No") << "no" << 2;
}

void FormRecomendTest::deleteButton()
{
    QFETCH(QString, answer);
    QFETCH(int, left);
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.append(c.recs(), {{"Data", QDate(2025, 5, 12)}});
    c.append(c.recs(), {{"Data", kToday}});
    dialogs.answers << answer;
    c.button(c.section.get(), "Button29")->click();
    QCOMPARE(dialogs.transcript,
             QStringList{QStringLiteral("ask: Внимание!: Вы уверены что хотите удалить эту рекомендацию?")});
    QCOMPARE(c.recs().recordCount(), left);
    QCOMPARE(c.panelDate(0), QStringLiteral("12.05.2025"));
}

void FormRecomendTest::panelsFollowTheCurrentRecord()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    for (int day = 1; day <= 4; ++day)
        c.append(c.recs(), {{"Data", QDate(2025, 5, day)}, {"Komm", QStringLiteral("запись %1").arg(day)}});
    auto *panels = c.section->findChild<RecomendPanels *>();
    // The last record appended is current and in the second panel.
    QCOMPARE(panels->topRow(), 2);
    QCOMPARE(c.panelDate(0), QStringLiteral("03.05.2025"));
    QCOMPARE(c.panelDate(1), QStringLiteral("04.05.2025"));
    QCOMPARE(c.panelText(1), QStringLiteral("запись 4"));

    // A click on the first panel makes its record current.
    QTest::mouseClick(panels->panel(0), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(c.recs().recNo(), 3);
    QCOMPARE(panels->topRow(), 2);

    // Moving to the first record scrolls the panels.
    c.recs().first();
    QCOMPARE(panels->topRow(), 0);
    QCOMPARE(c.panelDate(0), QStringLiteral("01.05.2025"));
    QCOMPARE(c.panelText(1), QStringLiteral("запись 2"));

    // The scroll bar moves the current record.
    auto *bar = c.section->findChild<QScrollBar *>(QStringLiteral("ScrollBar_recomend"));
    bar->setValue(3);
    QCOMPARE(c.recs().recNo(), 4);
    QCOMPARE(c.panelDate(1), QStringLiteral("04.05.2025"));

    // A single record fills one panel; the other is hidden.
    dialogs.answers << "yes"
                    << "yes"
                    << "yes";
    for (int i = 0; i < 3; ++i)
        c.button(c.section.get(), "Button29")->click();
    QCOMPARE(c.recs().recordCount(), 1);
    QVERIFY(panels->panel(0)->isVisible());
    QVERIFY(!panels->panel(1)->isVisible());
}

void FormRecomendTest::printChoice_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("atopic dermatitis") << "RadioPrintSheet0" << QStringList{QStringLiteral("recom_ad.txt")};
    QTest::newRow("psoriasis") << "RadioPrintSheet1" << QStringList{QStringLiteral("recom_ps.txt")};
    QTest::newRow("no choice") << QString() << QStringList{};
}

void FormRecomendTest::printChoice()
{
    QFETCH(QString, choice);
    QFETCH(QStringList, printed);
    ScopedScriptedDialogs dialogs;
    Clinic c;
    if (!choice.isEmpty())
        c.control<QRadioButton>(c.section.get(), choice)->click();
    c.button(c.section.get(), "Button50")->click();
    QCOMPARE(c.printed, printed);
}

QTEST_MAIN(FormRecomendTest)
#include "form_recomend_test.moc"
