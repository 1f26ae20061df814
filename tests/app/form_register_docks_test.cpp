#include "form_register_docks.h"

#include "clinicfixture.h"
#include "clock.h"
#include "dbcontrols.h"
#include "dialogs.h"

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include "uitest.h"

#include <QtTest>
#include <memory>

using namespace pelorin;
using namespace pelorin::app;

namespace {

void typeText(QWidget *w, const QString &text)
{
    w->setFocus();
    testing::typeText(w, text);
}

const QDate kToday(2025, 6, 2);
const QString kCheckText = QStringLiteral(" - Проверка на защищенность данных со стороны register");

// Two patients, "Абрамов" with a passport and "Борисова" without; the first is current.
struct Clinic : testing::ClinicFixture
{
    std::unique_ptr<Form_register_docks> window;

    Clinic()
    {
        append(reg(), {{"Last_Name", QStringLiteral("Абрамов")},
                       {"Reg_date", kToday},
                       {"Passp_serial", QStringLiteral("4510")},
                       {"Passp_number", QStringLiteral("123456")}});
        append(reg(), {{"Last_Name", QStringLiteral("Борисова")}, {"Reg_date", kToday}});
        reg().first();
        window = std::make_unique<Form_register_docks>(*dm1);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("documents window not exposed");
    }

    template <typename W = QWidget> W *control(const QString &name) { return window->findChild<W *>(name); }
    ui::DBEdit *edit(const char *field) { return control<ui::DBEdit>(QString::fromLatin1(field)); }
    void apply() { control<QPushButton>(QStringLiteral("Button1"))->click(); }
    int checkLines() const { return logLinesEndingWith(kCheckText); }
};

} // namespace

class FormRegisterDocksTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { clock::setFixedToday(kToday); }
    void cleanup() { clock::reset(); }

    void controls();
    void editLimits_data();
    void editLimits();
    void applyWithoutChangeWritesNothing();
    void passportDateStoredAsTyped();
    void followsTheCurrentPatient();
    void closingKeepsChangesPending();
    void otherMemoLimit();
};

void FormRegisterDocksTest::controls()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    Form_register_docks &w = *c.window;
    QCOMPARE(w.objectName(), QStringLiteral("Form_register_docks"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Пелорин. Документы пациента."));
    QVERIFY(!w.isModal());
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(w.layout()->sizeConstraint(), QLayout::SetFixedSize);
    auto *title = c.control<QLabel>(QStringLiteral("LabelTitle"));
    QCOMPARE(title->text(), QStringLiteral("Документы пациента:"));
    QVERIFY(title->font().bold());
    QCOMPARE(title->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QStringList groups;
    for (QGroupBox *g : w.findChildren<QGroupBox *>())
        groups << g->title();
    for (const char16_t *g : {u"Паспорт", u"Страховой полис", u"Льготность", u"Дополнительные данные"})
        QVERIFY(groups.contains(QString::fromUtf16(g)));
    QStringList labels;
    for (QLabel *l : w.findChildren<QLabel *>())
        labels << l->text();
    for (const char16_t *l : {u"Серия", u"Номер", u"Кем выдан", u"Когда выдан", u"Код подразд.", u"Компания",
                              u"Категория льготности", u"Срок ", u"Справка", u" МСЭК", u"Категория"})
        QVERIFY2(labels.contains(QString::fromUtf16(l)), qPrintable(QString::fromUtf16(l)));
    auto *other = c.control<ui::DBMemo>(QStringLiteral("Other"));
    QVERIFY(other);
    QCOMPARE(other->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(c.control<QPushButton>(QStringLiteral("Button1"))->text(), QStringLiteral("Применить"));
    QCOMPARE(c.edit("Passp_serial")->text(), QStringLiteral("4510"));

    c.reg().edit();
    c.reg().setValue("Passp_vidan", QStringLiteral("ОВД Центрального района г. Новосибирска"));
    c.reg().setValue("Polis_company", QStringLiteral("Сибирь-Мед"));
    c.reg().setValue("Other", QStringLiteral("Инвалид II группы."));
    c.reg().cancel();
    QVERIFY(!w.grab().isNull()); // it paints; no picture is left outside the test
}

void FormRegisterDocksTest::editLimits_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("limit");
    const std::pair<const char *, int> limits[] = {
        {"Passp_serial", 10}, {"Passp_number", 10},  {"Passp_vidan", 50},     {"Passp_data", 15},
        {"Passp_cod", 10},    {"Polis_serial", 10},  {"Polis_number", 10},    {"Polis_company", 20},
        {"Lgot_cat", 3},      {"Lgot_spr_date", 15}, {"Lgot_spr_serial", 10}, {"Lgot_spr_number", 10},
        {"Lgot_spr_cat", 10},
    };
    for (const auto &[field, limit] : limits)
        QTest::newRow(field) << QString::fromLatin1(field) << limit;
}

void FormRegisterDocksTest::editLimits()
{
    QFETCH(QString, field);
    QFETCH(int, limit);
    ScopedScriptedDialogs dialogs;
    Clinic c;
    auto *e = c.control<ui::DBEdit>(field);
    QVERIFY(e);
    QCOMPARE(e->fieldName(), field);
    QCOMPARE(e->maxLength(), limit);
}

void FormRegisterDocksTest::applyWithoutChangeWritesNothing()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    const int before = c.checkLines();
    c.apply();
    QVERIFY(!c.window->isVisible());
    QCOMPARE(c.checkLines(), before);
    QCOMPARE(c.reg().state(), db::TableState::Browse);
}

void FormRegisterDocksTest::passportDateStoredAsTyped()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    typeText(c.edit("Passp_data"), QStringLiteral("весна 2003 г."));
    QCOMPARE(c.reg().state(), db::TableState::Edit);
    const int before = c.checkLines();
    c.apply();
    QVERIFY(!c.window->isVisible());
    QCOMPARE(c.checkLines(), before + 1);
    QCOMPARE(c.stored(QStringLiteral("SELECT Passp_data FROM register WHERE Last_Name = 'Абрамов'")).toString(),
             QStringLiteral("весна 2003 г."));
    QVERIFY(c.reg().asString("List_other").contains(QStringLiteral("весна 2003 г.")));
}

void FormRegisterDocksTest::followsTheCurrentPatient()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    QCOMPARE(c.edit("Passp_number")->text(), QStringLiteral("123456"));
    c.reg().next();
    QCOMPARE(c.edit("Passp_number")->text(), QString());
    c.reg().first();
    QCOMPARE(c.edit("Passp_number")->text(), QStringLiteral("123456"));
}

void FormRegisterDocksTest::closingKeepsChangesPending()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    typeText(c.edit("Polis_company"), QStringLiteral("Ингосстрах"));
    c.window->close();
    QVERIFY(!c.window->isVisible());
    QCOMPARE(c.reg().state(), db::TableState::Edit);
    QVERIFY(c.stored(QStringLiteral("SELECT Polis_company FROM register WHERE Last_Name = 'Абрамов'")).isNull());
    c.reg().cancel();
    QVERIFY(c.reg().asString("Polis_company").isEmpty());
}

void FormRegisterDocksTest::otherMemoLimit()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    auto *other = c.control<ui::DBMemo>(QStringLiteral("Other"));
    typeText(other, QString(Form_register_docks::kOtherLimit + 5, QLatin1Char('x')));
    QCOMPARE(other->toPlainText().size(), Form_register_docks::kOtherLimit);
    c.apply();
    QCOMPARE(c.stored(QStringLiteral("SELECT Other FROM register WHERE Last_Name = 'Абрамов'")).toString().size(),
             Form_register_docks::kOtherLimit);

    // A longer text stored earlier is shown whole.
    c.reg().next();
    c.reg().edit();
    c.reg().setValue("Other", QString(300, QLatin1Char('y')));
    QVERIFY(c.reg().post());
    QCOMPARE(other->toPlainText().size(), 300);
}

QTEST_MAIN(FormRegisterDocksTest)
#include "form_register_docks_test.moc"
