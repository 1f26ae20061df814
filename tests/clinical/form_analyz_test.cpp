#include "analyz_section.h"
#include "form_analyz.h"

#include "analyz_calc.h"
#include "clinicfixture.h"
#include "clock.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "dialogs.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
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
const QString kCheckText = QStringLiteral(" - Проверка на защищенность данных со стороны analyz");

// Patient "Петрова" with one blood test of 1 June, the test window and the section.
struct Clinic : testing::ClinicFixture
{
    QWidget mainWindow;
    std::unique_ptr<Form_analyz> window;
    std::unique_ptr<AnalyzSection> section;

    Clinic()
    {
        installAnalyzCalc(tests());
        append(reg(), {{"Last_Name", QStringLiteral("Петрова")}, {"Reg_date", kToday}});
        append(tests(), {{"Data", QDate(2025, 6, 1)}});
        mainWindow.resize(300, 200);
        mainWindow.show();
        window = std::make_unique<Form_analyz>(*dm2, settings, &mainWindow);
        section = std::make_unique<AnalyzSection>(tests(), window.get());
        section->resize(900, 420);
        section->show();
        if (!QTest::qWaitForWindowExposed(section.get()))
            qFatal("section not exposed");
    }

    db::Table &tests() { return *dm2->analyz; }

    template <typename W = QWidget> W *control(QWidget *w, const QString &name) { return w->findChild<W *>(name); }
    QPushButton *button(QWidget *w, const char *name) { return control<QPushButton>(w, QString::fromLatin1(name)); }

    void openGroup(const char *button)
    {
        this->button(section.get(), button)->click();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("test window not exposed");
    }

    QString memo(const char *field)
    {
        return control<QPlainTextEdit>(section.get(), QStringLiteral("DBMemo_analyz_") + QLatin1String(field))
            ->toPlainText();
    }

    int checkLines() const { return logLinesEndingWith(kCheckText); }
};

} // namespace

class FormAnalyzTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { clock::setFixedToday(kToday); }
    void cleanup() { clock::reset(); }

    void windowControls();
    void sectionControls();
    void chooseShowsOneGroup_data();
    void chooseShowsOneGroup();
    void clinicalValuesThroughTheWindow();
    void stoolResultThroughTheWindow();
    void consultationsAndUltrasound();
    void applyWithoutChangesWritesNothing();
    void allergenPickList();
    void addAndDeleteButtons();
    void datePickedIsStored();
    void noFastScrollingLocksMainWindow();
};

void FormAnalyzTest::windowControls()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    Form_analyz &w = *c.window;
    QCOMPARE(w.objectName(), QStringLiteral("Form_analyz"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Пелорин. Исследование крови."));
    QVERIFY(!w.isModal());
    QCOMPARE(w.groupBox(Form_analyz::Blood)->title(), QStringLiteral("Исследование крови"));
    QCOMPARE(w.groupBox(Form_analyz::Stool)->title(), QStringLiteral("Исследование кала"));
    QCOMPARE(w.groupBox(Form_analyz::Other)->title(), QStringLiteral("Другие методы исследования"));
    QCOMPARE(c.button(&w, "Button1")->text(), QStringLiteral("Применить"));

    const std::pair<const char *, const char16_t *> checks[] = {
        {"B1", u"Клинический анализ крови"},
        {"C1", u"Норма"},
        {"B2", u"Биохимический анализ крови"},
        {"C2", u"Норма"},
        {"B31", u"Общий иммуноглобулин Е"},
        {"B4", u"Аллергенспецифические иммуноглобулины Е"},
        {"B5", u"Антитела к антигенам гельминтов"},
        {"B6", u"Исследование клеточного иммунитета"},
        {"B7", u"Интерлейкины"},
        {"B8", u"УЗИ органов брюшной полости"},
        {"B9", u"Кал на яйца гельминтов"},
        {"B10_0", u"Кал на патогенные простейшие"},
        {"B11_0", u"Бактериологическое исследование кала"},
    };
    for (const auto &[field, caption] : checks) {
        auto *box = c.control<ui::DBCheckBox>(&w, QString::fromLatin1(field));
        QVERIFY2(box, field);
        QCOMPARE(box->text(), QString::fromUtf16(caption));
        QCOMPARE(box->fieldName(), QString::fromLatin1(field));
    }
    for (const char *field :
         {"B11", "B12", "B13", "B14", "B21", "B22", "B23", "B24", "B25", "B26", "B3",  "B56", "B611", "B612",
          "B62", "B63", "B64", "B65", "B66", "B67", "B68", "B71", "B72", "B73", "B74", "B75", "B76",  "B77"})
        QVERIFY2(c.control<ui::DBEdit>(&w, QString::fromLatin1(field)), field);
    for (const char *field : {"B42", "B82", "B92", "B10_2", "B11_2", "D2"})
        QVERIFY2(c.control<ui::DBMemo>(&w, QString::fromLatin1(field)), field);
    const std::pair<const char *, QStringList> radios[] = {
        {"B51", {QStringLiteral("положительно"), QStringLiteral("отрицательно")}},
        {"B55", {QStringLiteral("положительно"), QStringLiteral("отрицательно")}},
        {"B91", {QStringLiteral("обнаружены"), QStringLiteral("не обнаружены")}},
        {"B10_1", {QStringLiteral("обнаружены"), QStringLiteral("не обнаружены")}},
        {"B11_1", {QStringLiteral("отклонение"), QStringLiteral("норма")}},
        {"B81", {QStringLiteral("отклонение(я) от нормы"), QStringLiteral("норма")}},
    };
    for (const auto &[field, items] : radios) {
        auto *group = c.control<ui::DBRadioGroup>(&w, QString::fromLatin1(field));
        QVERIFY2(group, field);
        QCOMPARE(group->items(), items);
    }
    QCOMPARE(c.control<ui::DBRadioGroup>(&w, QStringLiteral("B53"))->title(), QStringLiteral("Эхинококк"));
    auto *pages = c.control<QTabWidget>(&w, QStringLiteral("PageControl1"));
    QCOMPARE(pages->tabText(1), QStringLiteral("Консультация специалистов"));
    // The labels as the window shows them.
    QStringList labels;
    for (QLabel *l : w.findChildren<QLabel *>())
        labels << l->text();
    for (const char16_t *text :
         {u"СОЭ", u"мм\\ч", u"х 10^9/л", u"Значение:", u"Бытовые:", u"Бактериальные:", u"Лимфоциты:",
          u"%,     абс. зн-е:", u"CD4\\CD8", u"#6", u"Другие:", u"Консультации специалистов"})
        QVERIFY2(labels.contains(QString::fromUtf16(text)), qPrintable(QString::fromUtf16(text)));

    for (auto [group, name] : {std::pair{Form_analyz::Blood, "blood"}, std::pair{Form_analyz::Stool, "stool"},
                               std::pair{Form_analyz::Other, "other"}}) {
        w.showGroup(group);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!w.grab().isNull()); // it paints; no picture is left outside the test
    }
}

void FormAnalyzTest::sectionControls()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    AnalyzSection &s = *c.section;
    QCOMPARE(c.button(&s, "Button32")->text(), QStringLiteral("Добавить новое."));
    QCOMPARE(c.button(&s, "Button33")->text(), QStringLiteral("Удалить текущее."));
    for (const char *name : {"Button4", "Button28", "Button41"})
        QCOMPARE(c.button(&s, name)->text(), QStringLiteral("Выбрать"));
    for (const char *field : {"List1", "List2", "List3"}) {
        auto *memo = c.control<ui::DBMemo>(&s, QStringLiteral("DBMemo_analyz_") + QLatin1String(field));
        QVERIFY(memo);
        QVERIFY(memo->isReadOnly());
    }
    QVERIFY(c.control<QDateEdit>(&s, QStringLiteral("DateTimePicker2")));
    QCOMPARE(c.control<ui::DBEdit>(&s, QStringLiteral("DBEdit_analyz_Data"))->text(), QStringLiteral("01.06.2025"));
    auto *grid = c.control<ui::DBGrid>(&s, QStringLiteral("DBGrid_analyz"));
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Дата"));
    QStringList labels;
    for (QLabel *l : s.findChildren<QLabel *>())
        labels << l->text();
    QVERIFY(labels.contains(QStringLiteral("Список\nобследований")));
    QVERIFY(labels.contains(QStringLiteral("Дата обследования:")));
    QVERIFY(labels.contains(QStringLiteral("Исследование крови:")));
    QVERIFY(labels.contains(QStringLiteral("Исследование кала:")));
    QVERIFY(labels.contains(QStringLiteral("Другие методы исследования:")));

    c.tests().edit();
    c.tests().setValue("B1", true);
    c.tests().setValue("B11", "12");
    c.tests().setValue("B9", true);
    c.tests().setValue("D2", QStringLiteral("Консультация гастроэнтеролога: здоров."));
    QVERIFY(c.tests().post());
    QVERIFY(!s.grab().isNull()); // it paints; no picture is left outside the test
}

void FormAnalyzTest::chooseShowsOneGroup_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("group");
    QTest::newRow("blood") << "Button4" << int(Form_analyz::Blood);
    QTest::newRow("stool") << "Button28" << int(Form_analyz::Stool);
    QTest::newRow("other") << "Button41" << int(Form_analyz::Other);
}

void FormAnalyzTest::chooseShowsOneGroup()
{
    QFETCH(QString, button);
    QFETCH(int, group);
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openGroup(qPrintable(button));
    QVERIFY(c.window->isVisible());
    for (int g = Form_analyz::Blood; g <= Form_analyz::Other; ++g)
        QCOMPARE(c.window->groupBox(Form_analyz::Group(g))->isVisible(), g == group);
}

void FormAnalyzTest::clinicalValuesThroughTheWindow()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openGroup("Button4");
    Form_analyz &w = *c.window;
    clickButton(c.control<QAbstractButton>(&w, QStringLiteral("B1")));
    QCOMPARE(c.tests().state(), db::TableState::Edit);
    QTest::keyClicks(c.control<QWidget>(&w, QStringLiteral("B11")), QStringLiteral("12"));
    QTest::keyClicks(c.control<QWidget>(&w, QStringLiteral("B13")), QStringLiteral("6,1"));
    const int before = c.checkLines();
    c.button(&w, "Button1")->click();

    QVERIFY(!w.isVisible());
    QCOMPARE(c.tests().state(), db::TableState::Browse);
    QCOMPARE(c.checkLines(), before + 1);
    QCOMPARE(c.stored(QStringLiteral("SELECT B11 FROM analyz")).toString(), QStringLiteral("12"));
    QCOMPARE(c.stored(QStringLiteral("SELECT B13 FROM analyz")).toString(), QStringLiteral("6,1"));
    QCOMPARE(c.memo("List1"), QStringLiteral("Клинический анализ крови: СОЭ -12мм\\ч, лейкоциты -6,1х 10^9/л. "));

    // "Норма" wins over the values.
    c.openGroup("Button4");
    clickButton(c.control<QAbstractButton>(&w, QStringLiteral("C1")));
    c.button(&w, "Button1")->click();
    QCOMPARE(c.memo("List1"), QStringLiteral("Клинический анализ крови: норма."));
}

void FormAnalyzTest::stoolResultThroughTheWindow()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openGroup("Button28");
    Form_analyz &w = *c.window;
    clickButton(c.control<QAbstractButton>(&w, QStringLiteral("B9")));
    c.button(&w, "Button1")->click();
    QCOMPARE(c.memo("List2"), QStringLiteral("Кал на яйца гельминтов: норма. "));
    QVERIFY(c.memo("List1").isEmpty());

    c.openGroup("Button28");
    clickButton(c.control<ui::DBRadioGroup>(&w, QStringLiteral("B91"))->button(0));
    typeText(c.control<QWidget>(&w, QStringLiteral("B92")), QStringLiteral("аскариды"));
    c.button(&w, "Button1")->click();
    QCOMPARE(c.memo("List2"), QStringLiteral("Кал на яйца гельминтов: аскариды. "));
    QCOMPARE(c.stored(QStringLiteral("SELECT B91 FROM analyz")).toBool(), true);
}

void FormAnalyzTest::consultationsAndUltrasound()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openGroup("Button41");
    Form_analyz &w = *c.window;
    clickButton(c.control<QAbstractButton>(&w, QStringLiteral("B8")));
    c.control<QTabWidget>(&w, QStringLiteral("PageControl1"))->setCurrentIndex(1);
    typeText(c.control<QWidget>(&w, QStringLiteral("D2")), QStringLiteral("ЛОР: здоров."));
    c.button(&w, "Button1")->click();
    QCOMPARE(c.memo("List3"),
             QStringLiteral("УЗИ органов брюшной полости: патологических изменений нет. ЛОР: здоров."));
}

void FormAnalyzTest::applyWithoutChangesWritesNothing()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openGroup("Button4");
    const int before = c.checkLines();
    c.button(c.window.get(), "Button1")->click();
    QVERIFY(!c.window->isVisible());
    QCOMPARE(c.checkLines(), before);
    QCOMPARE(c.tests().state(), db::TableState::Browse);
}

void FormAnalyzTest::allergenPickList()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openGroup("Button4");
    Form_analyz &w = *c.window;
    for (const char *field : {"I1", "I2", "I3", "I4", "I5", "I6"}) {
        auto *combo = c.control<ui::DBComboBox>(&w, QString::fromLatin1(field));
        QVERIFY2(combo, field);
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->items(),
                 (QStringList{QStringLiteral(" "), QStringLiteral("норма"), QStringLiteral("высокий уровень"),
                              QStringLiteral("средний уровень"), QStringLiteral("низкий уровень")}));
    }
    clickButton(c.control<QAbstractButton>(&w, QStringLiteral("B4")));
    auto *i2 = c.control<ui::DBComboBox>(&w, QStringLiteral("I2"));
    i2->setFocus();
    typeText(i2->lineEdit(), QStringLiteral("высокий уровень"));
    c.button(&w, "Button1")->click();
    QCOMPARE(c.memo("List1"),
             QStringLiteral("Аллергенспецифические иммуноглобулины Е: Эпидермальный - высокий уровень. "));
}

void FormAnalyzTest::addAndDeleteButtons()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.button(c.section.get(), "Button32")->click();
    QCOMPARE(c.tests().recordCount(), 2);
    QCOMPARE(c.tests().recNo(), 2);
    QCOMPARE(c.tests().asDate("Data"), kToday);
    QCOMPARE(c.control<ui::DBEdit>(c.section.get(), QStringLiteral("DBEdit_analyz_Data"))->text(),
             QStringLiteral("02.06.2025"));

    dialogs.answers << QStringLiteral("yes") << QStringLiteral("yes");
    c.button(c.section.get(), "Button33")->click();
    c.button(c.section.get(), "Button33")->click();
    QCOMPARE(dialogs.transcript.size(), 2);
    QCOMPARE(dialogs.transcript.first(), QStringLiteral("ask: Внимание!: Вы уверены что хотите удалить этот анализ?"));
    // The last one gone, the placeholder takes its place.
    QCOMPARE(c.tests().recordCount(), 1);
    QVERIFY(c.tests().isNull("Data"));
    QCOMPARE(c.stored(QStringLiteral("SELECT B1 FROM analyz")).toBool(), false);
    QVERIFY(c.memo("List1").isEmpty());
}

void FormAnalyzTest::datePickedIsStored()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    auto *picker = c.section->datePicker();
    const int before = c.checkLines();
    picker->setFocus();
    picker->setDate(QDate(2025, 5, 30));
    QCOMPARE(c.tests().state(), db::TableState::Browse);
    QCOMPARE(c.stored(QStringLiteral("SELECT Data FROM analyz")).toString(), QStringLiteral("2025-05-30"));
    QCOMPARE(c.checkLines(), before + 1);
    QCOMPARE(c.control<ui::DBEdit>(c.section.get(), QStringLiteral("DBEdit_analyz_Data"))->text(),
             QStringLiteral("30.05.2025"));
}

void FormAnalyzTest::noFastScrollingLocksMainWindow()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openGroup("Button4");
    QVERIFY(!c.mainWindow.isEnabled());
    QVERIFY(c.window->isEnabled());
    c.window->close();
    QVERIFY(c.mainWindow.isEnabled());

    c.settings.noFastScrolling = false;
    c.openGroup("Button28");
    QVERIFY(c.mainWindow.isEnabled());
}

QTEST_MAIN(FormAnalyzTest)
#include "form_analyz_test.moc"
