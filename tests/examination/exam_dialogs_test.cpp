#include "exam_dialogs.h"

#include "clinicfixture.h"
#include "dbcontrols.h"
#include "dialogs.h"
#include "osmotr_calc.h"

#include <QAbstractItemView>
#include <QPushButton>
#include <QRadioButton>
#include "uitest.h"

#include <QtTest>
#include <memory>

using namespace pelorin;
using namespace pelorin::examination;

namespace {

using pelorin::testing::typeText;
using pelorin::testing::clickButton;
using pelorin::testing::pickItem;

const QString kCheckText = QStringLiteral(" - Проверка на защищенность данных со стороны osmotr");

// Patient "Белов" with two examinations; the second (of 12.03.2025) is current.
struct Clinic : testing::ClinicFixture
{
    QWidget mainWindow;

    Clinic()
    {
        installOsmotrCalc(*dm2->osmotr1);
        append(reg(), {{QStringLiteral("Last_Name"), QStringLiteral("Белов")}});
        append(osmotr(), {{QStringLiteral("Date"), QDate(2025, 3, 1)}, {QStringLiteral("Nom_osm"), 1}});
        append(osmotr(), {{QStringLiteral("Date"), QDate(2025, 3, 12)}, {QStringLiteral("Nom_osm"), 2}});
        mainWindow.resize(200, 100);
        mainWindow.show();
    }

    db::Table &osmotr() { return *dm2->osmotr1; }

    QVariant storedOfSecond(const QString &field)
    {
        return stored(QStringLiteral("SELECT \"%1\" FROM osmotr_1 WHERE Nom_osm = 2").arg(field));
    }
};

template <typename D> std::unique_ptr<D> open(Clinic &c)
{
    auto d = std::make_unique<D>(*c.dm2, c.settings, &c.mainWindow);
    d->show();
    if (!QTest::qWaitForWindowExposed(d.get()))
        qFatal("dialog not exposed");
    return d;
}

void screenshot(QWidget *w)
{
    QVERIFY(!w->grab().isNull()); // it paints; no picture is left outside the test
}

} // namespace

class ExamDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captions();
    void scoradControls();
    void scoradApplyStoresAndShowsIndex();
    void pasiControls();
    void pasiApplyStores();
    void klsimpControls();
    void klsimpApplyStoresTypedText();
    void proizvControls();
    void proizvApplyStores();
    void zalobiControls();
    void zalobiApplyStoresAndReturns();
    void zalobiApplyWithoutChanges();
    void obCloseKeepsChangesPending();
    void noFastScrollingLocksMainWindow();
    void noFastScrollingOff();
    void mainWindowStaysLockedWhileAnotherDialogIsOpen();
};

void ExamDialogsTest::captions()
{
    Clinic c;
    const std::vector<std::pair<std::unique_ptr<ExamDialog>, QString>> dialogs = [&] {
        std::vector<std::pair<std::unique_ptr<ExamDialog>, QString>> v;
        v.emplace_back(open<Form_osmotr_index>(c), QStringLiteral("Пелорин. Индекс SCORAD."));
        v.emplace_back(open<Form_osmotr_index1>(c), QStringLiteral("Пелорин. Индекс PASI."));
        v.emplace_back(open<Form_osmotr_klsimp>(c), QStringLiteral("Пелорин. Клинические симптомы."));
        v.emplace_back(open<Form_osmotr_proizv>(c), QStringLiteral("Пелорин. Кожа и производные кожи."));
        v.emplace_back(open<Form_osmotr_zalobi>(c), QStringLiteral("Пелорин. Жалобы пациента."));
        v.emplace_back(open<Form_osm_ob>(c), QStringLiteral("Пелорин. Данные последнего обострения."));
        return v;
    }();
    const QStringList names = {QStringLiteral("Form_osmotr_index"),  QStringLiteral("Form_osmotr_index1"),
                               QStringLiteral("Form_osmotr_klsimp"), QStringLiteral("Form_osmotr_proizv"),
                               QStringLiteral("Form_osmotr_zalobi"), QStringLiteral("Form_osm_ob")};
    for (size_t i = 0; i < dialogs.size(); ++i) {
        ExamDialog *d = dialogs[i].first.get();
        QCOMPARE(d->objectName(), names[int(i)]);
        QCOMPARE(d->windowTitle(), dialogs[i].second);
        QVERIFY(!d->isModal());
        QVERIFY(d->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        screenshot(d);
    }
}

void ExamDialogsTest::scoradControls()
{
    Clinic c;
    auto d = open<Form_osmotr_index>(c);
    for (const char *field : {"B2", "B3", "B4", "B5", "B6", "B7"}) {
        auto *g = d->findChild<ui::DBRadioGroup *>(QLatin1String(field));
        QVERIFY2(g, field);
        QCOMPARE(g->fieldName(), QLatin1String(field));
        QCOMPARE(g->items(), QStringList({QStringLiteral("Нулевая  (0)"), QStringLiteral("Слабая    (1)"),
                                          QStringLiteral("Средняя  (2)"), QStringLiteral("Сильная  (3)")}));
    }
    QCOMPARE(d->findChild<ui::DBRadioGroup *>(QStringLiteral("B3"))->title(), QStringLiteral("Отек\\папула"));
    QCOMPARE(d->findChild<ui::DBRadioGroup *>(QStringLiteral("B6"))->title(), QStringLiteral("Корки\\мокнутие"));
    for (const char *field : {"B8", "B9"}) {
        auto *g = d->findChild<ui::DBRadioGroup *>(QLatin1String(field));
        QVERIFY2(g, field);
        QCOMPARE(g->items().size(), 11);
        QCOMPARE(g->items().first(), QStringLiteral("0"));
        QCOMPARE(g->items().last(), QStringLiteral("10"));
        QCOMPARE(g->columns(), 11);
    }
    auto *extent = d->findChild<ui::DBComboBox *>(QStringLiteral("B1"));
    QVERIFY(extent);
    QCOMPARE(extent->items().size(), 101);
    QCOMPARE(extent->items().at(50), QStringLiteral("50"));
    QVERIFY(!extent->isEditable());
    auto *title = d->findChild<QLabel *>(QStringLiteral("LabelTitle"));
    QVERIFY(title);
    QCOMPARE(title->text(), QStringLiteral("Индекс SCORAD"));
    QCOMPARE(d->findChild<QPushButton *>(QStringLiteral("ButtonApply"))->text(), QStringLiteral("Применить"));
}

void ExamDialogsTest::scoradApplyStoresAndShowsIndex()
{
    Clinic c;
    QCOMPARE(c.osmotr().recNo(), 2);
    auto d = open<Form_osmotr_index>(c);
    auto *index = d->findChild<ui::DBText *>(QStringLiteral("ind3"));
    QVERIFY(index);
    QCOMPARE(index->text(), QStringLiteral("0"));

    clickButton(d->findChild<ui::DBRadioGroup *>(QStringLiteral("B2"))->button(1));
    QCOMPARE(c.osmotr().state(), db::TableState::Edit);
    QCOMPARE(c.osmotr().value(QStringLiteral("B2")), QVariant(1));
    QCOMPARE(index->text(), QStringLiteral("4")); // round(3.5), halves to even
    QVERIFY(pickItem(d->findChild<QComboBox *>(QStringLiteral("B1")), 10));
    QCOMPARE(c.osmotr().value(QStringLiteral("B1")), QVariant(10));
    QCOMPARE(index->text(), QStringLiteral("6")); // round(2 + 3.5)
    QCOMPARE(d->findChild<ui::DBText *>(QStringLiteral("ind1"))->text(), QStringLiteral("1"));

    const int before = c.logLinesEndingWith(kCheckText);
    QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("ButtonApply")), Qt::LeftButton);
    QCOMPARE(c.osmotr().state(), db::TableState::Browse);
    QCOMPARE(c.logLinesEndingWith(kCheckText), before + 1);
    QCOMPARE(c.storedOfSecond(QStringLiteral("B2")).toInt(), 1);
    QCOMPARE(c.storedOfSecond(QStringLiteral("B1")).toInt(), 10);
    QCOMPARE(c.osmotr().recNo(), 2);
    QVERIFY(!d->isVisible());
}

void ExamDialogsTest::pasiControls()
{
    Clinic c;
    auto d = open<Form_osmotr_index1>(c);
    const QStringList severity = {QStringLiteral("Отсутствует        (0)"),
                                  QStringLiteral("Легкая                 (1)"),
                                  QStringLiteral("Умеренная          (2)"), QStringLiteral("Выраженная       (3)"),
                                  QStringLiteral("Оч. выраженная (4)")};
    QStringList scaling = severity;
    scaling.last() = QStringLiteral("Оч. выраженное (4)");
    for (int region : {1, 2, 3, 4}) {
        auto group = [&](int score) {
            return d->findChild<ui::DBRadioGroup *>(QStringLiteral("Bb%1%2").arg(region).arg(score));
        };
        QVERIFY(group(1) && group(2) && group(3) && group(4));
        QCOMPARE(group(1)->items(), severity);
        QCOMPARE(group(2)->items(), severity);
        QCOMPARE(group(3)->items(), scaling);
        QCOMPARE(group(4)->items().size(), 7);
        QCOMPARE(group(4)->items().at(1), QStringLiteral("1 - <10%"));
        QCOMPARE(group(4)->items().last(), QStringLiteral("6 - 90%-100%"));
    }
    QCOMPARE(d->findChild<QLabel *>(QStringLiteral("LabelTitle"))->text(), QStringLiteral("Индекс PASI"));
}

void ExamDialogsTest::pasiApplyStores()
{
    Clinic c;
    auto d = open<Form_osmotr_index1>(c);
    auto *index = d->findChild<ui::DBText *>(QStringLiteral("index1"));
    QVERIFY(index);
    for (int score : {1, 2, 3})
        clickButton(d->findChild<ui::DBRadioGroup *>(QStringLiteral("Bb4%1").arg(score))->button(2));
    clickButton(d->findChild<ui::DBRadioGroup *>(QStringLiteral("Bb44"))->button(3));
    QCOMPARE(c.osmotr().state(), db::TableState::Edit);
    QCOMPARE(index->text(), QStringLiteral("5,4")); // trunk only: 0.3 * 6 * 3

    const int before = c.logLinesEndingWith(kCheckText);
    QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("ButtonApply")), Qt::LeftButton);
    QCOMPARE(c.osmotr().state(), db::TableState::Browse);
    QCOMPARE(c.logLinesEndingWith(kCheckText), before + 1);
    QCOMPARE(c.storedOfSecond(QStringLiteral("Bb44")).toInt(), 3);
    QCOMPARE(c.storedOfSecond(QStringLiteral("Bb41")).toInt(), 2);
    QCOMPARE(c.osmotr().recNo(), 2);
    QVERIFY(!d->isVisible());
}

void ExamDialogsTest::klsimpControls()
{
    Clinic c;
    auto d = open<Form_osmotr_klsimp>(c);
    const QList<std::pair<QString, QString>> checks = {
        {QStringLiteral("Teze_kl_simp"), QStringLiteral("Те же (аналогично пред. осмотру)")},
        {QStringLiteral("A1"), QStringLiteral("Ладонный ихтиоз")},
        {QStringLiteral("A14"), QStringLiteral("Трещины в углах рта")},
        {QStringLiteral("A12"), QStringLiteral("Шелушение на волосистой части головы")},
        {QStringLiteral("A21"), QStringLiteral("Положительный с-м точечного кровотечения")},
        {QStringLiteral("A22"), QStringLiteral("Феномен \"наперстка\"")},
    };
    for (const auto &[name, caption] : checks) {
        auto *box = d->findChild<ui::DBCheckBox *>(name);
        QVERIFY2(box, qPrintable(name));
        QCOMPARE(box->text(), caption);
        QVERIFY(box->isVisible());
    }
    QCOMPARE(d->findChild<ui::DBComboBox *>(QStringLiteral("A4"))->items(),
             QStringList({QStringLiteral(" "), QStringLiteral("белый"), QStringLiteral("красный")}));
    QCOMPARE(d->findChild<ui::DBComboBox *>(QStringLiteral("A5"))->items(),
             QStringList({QStringLiteral(" "), QStringLiteral("застойная эритема"), QStringLiteral("бледный")}));
    QVERIFY(d->findChild<ui::DBEdit *>(QStringLiteral("A11")));
    QVERIFY(d->findChild<ui::DBEdit *>(QStringLiteral("Kl_sim_other")));
    auto *handsFeet = d->findChild<ui::DBCheckBox *>(QStringLiteral("A7"));
    QVERIFY(handsFeet && !handsFeet->isVisible());
    auto *reserved = d->findChild<ui::DBCheckBox *>(QStringLiteral("A13"));
    QVERIFY(reserved && !reserved->isVisible() && !reserved->isEnabled() && reserved->text().isEmpty());
}

void ExamDialogsTest::klsimpApplyStoresTypedText()
{
    Clinic c;
    auto d = open<Form_osmotr_klsimp>(c);
    clickButton(d->findChild<QAbstractButton *>(QStringLiteral("A1")));
    QCOMPARE(c.osmotr().state(), db::TableState::Edit);
    QVERIFY(pickItem(d->findChild<QComboBox *>(QStringLiteral("A4")), 0));
    auto *other = d->findChild<QLineEdit *>(QStringLiteral("Kl_sim_other"));
    other->setFocus();
    typeText(other, QStringLiteral("сыпь"));

    const int before = c.logLinesEndingWith(kCheckText);
    QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("ButtonApply")), Qt::LeftButton);
    QCOMPARE(c.osmotr().state(), db::TableState::Browse);
    QCOMPARE(c.logLinesEndingWith(kCheckText), before + 1);
    QCOMPARE(c.storedOfSecond(QStringLiteral("A1")).toBool(), true);
    QCOMPARE(c.storedOfSecond(QStringLiteral("A4")).toString(), QStringLiteral(" ")); // the blank item is a space
    QCOMPARE(c.storedOfSecond(QStringLiteral("Kl_sim_other")).toString(), QStringLiteral("сыпь"));
    QCOMPARE(c.osmotr().recNo(), 2);
}

void ExamDialogsTest::proizvControls()
{
    Clinic c;
    auto d = open<Form_osmotr_proizv>(c);
    QCOMPARE(d->findChild<ui::DBComboBox *>(QStringLiteral("AAA"))->items().size(), 4);
    const QStringList colours = d->findChild<ui::DBComboBox *>(QStringLiteral("AAA1"))->items();
    QCOMPARE(colours.size(), 8);
    QCOMPARE(colours.at(4), QStringLiteral("\"грязного\" оттенка"));
    QCOMPARE(d->findChild<ui::DBComboBox *>(QStringLiteral("C12"))->items(),
             QStringList({QStringLiteral(" "), QStringLiteral("Диффузное"), QStringLiteral("Очаговое"),
                          QStringLiteral("Тотальное")}));
    QCOMPARE(d->findChild<ui::DBComboBox *>(QStringLiteral("C10"))->items().size(), 9);
    QCOMPARE(d->findChild<ui::DBCheckBox *>(QStringLiteral("C"))->text(), QStringLiteral("Выпадение волос"));
    for (int n = 3; n <= 9; ++n) {
        auto *hands = d->findChild<ui::DBCheckBox *>(QStringLiteral("C%1").arg(n));
        auto *feet = d->findChild<ui::DBCheckBox *>(QStringLiteral("C%1_").arg(n));
        QVERIFY(hands && feet);
        QCOMPARE(hands->text(), feet->text());
    }
    QCOMPARE(d->findChild<ui::DBCheckBox *>(QStringLiteral("C4"))->text(), QStringLiteral("Подногтевой  гиперкератоз"));
    QVERIFY(d->findChild<ui::DBEdit *>(QStringLiteral("C11")));
    auto *same = d->findChild<ui::DBCheckBox *>(QStringLiteral("Teze_pr_kozi"));
    QVERIFY(same && !same->isVisible());
}

void ExamDialogsTest::proizvApplyStores()
{
    Clinic c;
    auto d = open<Form_osmotr_proizv>(c);
    QVERIFY(pickItem(d->findChild<QComboBox *>(QStringLiteral("AAA1")), 4));
    QCOMPARE(c.osmotr().state(), db::TableState::Edit);
    clickButton(d->findChild<QAbstractButton *>(QStringLiteral("C3_")));

    const int before = c.logLinesEndingWith(kCheckText);
    QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("ButtonApply")), Qt::LeftButton);
    QCOMPARE(c.osmotr().state(), db::TableState::Browse);
    QCOMPARE(c.logLinesEndingWith(kCheckText), before + 1);
    QCOMPARE(c.storedOfSecond(QStringLiteral("AAA1")).toString(), QStringLiteral("\"грязного\" оттенка"));
    QCOMPARE(c.storedOfSecond(QStringLiteral("C3_")).toBool(), true);
    QCOMPARE(c.storedOfSecond(QStringLiteral("C3")).toBool(), false);
}

void ExamDialogsTest::zalobiControls()
{
    Clinic c;
    auto d = open<Form_osmotr_zalobi>(c);
    QCOMPARE(d->findChild<ui::DBComboBox *>(QStringLiteral("Zalob"))->items(),
             QStringList({QStringLiteral(" "), QStringLiteral("те же"), QStringLiteral("усиление симптомов"),
                          QStringLiteral("уменьшение симптомов")}));
    for (const char *field : {"A1_1", "A1_7", "A2_1", "A2_9", "A2_10", "A2_13", "A3_1", "A3_4", "Ob"})
        QVERIFY2(d->findChild<ui::DBCheckBox *>(QLatin1String(field)), field);
    QCOMPARE(d->findChild<ui::DBCheckBox *>(QStringLiteral("A2_11"))->text(), QStringLiteral("верхних конечностях"));
    QCOMPARE(d->findChild<ui::DBCheckBox *>(QStringLiteral("Ob"))->text(), QStringLiteral("Наличие данных"));
    QVERIFY(d->findChild<ui::DBEdit *>(QStringLiteral("Zal_other")));

    Form_osm_ob ob(*c.dm2, c.settings, &c.mainWindow);
    d->setExacerbationDialog(&ob);
    auto *show = d->findChild<QPushButton *>(QStringLiteral("ButtonShowOb"));
    QCOMPARE(show->text(), QStringLiteral("Показать форму."));
    QTest::mouseClick(show, Qt::LeftButton);
    QVERIFY(ob.isVisible());
}

void ExamDialogsTest::zalobiApplyStoresAndReturns()
{
    Clinic c;
    auto d = open<Form_osmotr_zalobi>(c);
    clickButton(d->findChild<QAbstractButton *>(QStringLiteral("A2_3")));
    QCOMPARE(c.osmotr().state(), db::TableState::Edit);
    QVERIFY(pickItem(d->findChild<QComboBox *>(QStringLiteral("Zalob")), 2));

    const int before = c.logLinesEndingWith(kCheckText);
    QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("ButtonApply")), Qt::LeftButton);
    QCOMPARE(c.osmotr().state(), db::TableState::Browse);
    QCOMPARE(c.logLinesEndingWith(kCheckText), before + 1);
    QCOMPARE(c.storedOfSecond(QStringLiteral("A2_3")).toBool(), true);
    QCOMPARE(c.storedOfSecond(QStringLiteral("Zalob")).toString(), QStringLiteral("усиление симптомов"));
    QCOMPARE(c.osmotr().recNo(), 2);
    QVERIFY(!d->isVisible());
}

void ExamDialogsTest::zalobiApplyWithoutChanges()
{
    Clinic c;
    c.osmotr().first();
    auto d = open<Form_osmotr_zalobi>(c);
    const int before = c.logLinesEndingWith(kCheckText);
    QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("ButtonApply")), Qt::LeftButton);
    QCOMPARE(c.logLinesEndingWith(kCheckText), before);
    QCOMPARE(c.osmotr().recNo(), 1);
    QVERIFY(!d->isVisible());
}

void ExamDialogsTest::obCloseKeepsChangesPending()
{
    Clinic c;
    auto d = open<Form_osm_ob>(c);
    QCOMPARE(d->findChild<ui::DBComboBox *>(QStringLiteral("Ob_ndate"))->items(), [] {
        QStringList days;
        for (int n = 1; n <= 31; ++n)
            days << QString::number(n);
        return days;
    }());
    QCOMPARE(
        d->findChild<ui::DBComboBox *>(QStringLiteral("Ob_date"))->items(),
        QStringList({QStringLiteral("недель(я\\и)"), QStringLiteral("месяц(а\\ев)"), QStringLiteral("год(а)\\лет")}));
    QCOMPARE(d->findChild<ui::DBComboBox *>(QStringLiteral("Ob_result"))->items(),
             QStringList({QStringLiteral("не отмечается"), QStringLiteral("кратковременный"),
                          QStringLiteral("стойкий положительный")}));
    for (const char *field : {"Ob_pr_a11", "Ob_pr_a16", "Ob_pr_a21", "Ob_pr_a29", "Ob_pr_a210", "Ob_pr_a214"})
        QVERIFY2(d->findChild<ui::DBCheckBox *>(QLatin1String(field)), field);
    QVERIFY(d->findChild<ui::DBEdit *>(QStringLiteral("Ob_pr_a10")));
    QVERIFY(d->findChild<ui::DBEdit *>(QStringLiteral("Ob_pr_a20")));
    QVERIFY(d->findChild<ui::DBMemo *>(QStringLiteral("Ob_pr_lech")));

    clickButton(d->findChild<QAbstractButton *>(QStringLiteral("Ob_pr_a210")));
    QVERIFY(pickItem(d->findChild<QComboBox *>(QStringLiteral("Ob_ndate")), 2));
    const int before = c.logLinesEndingWith(kCheckText);
    auto *close = d->findChild<QPushButton *>(QStringLiteral("ButtonClose"));
    QCOMPARE(close->text(), QStringLiteral("Закрыть."));
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QCOMPARE(c.osmotr().state(), db::TableState::Edit);
    QCOMPARE(c.logLinesEndingWith(kCheckText), before);
    QCOMPARE(c.osmotr().value(QStringLiteral("Ob_ndate")), QVariant(3));
    QCOMPARE(c.osmotr().value(QStringLiteral("Ob_pr_a210")), QVariant(true));
}

void ExamDialogsTest::noFastScrollingLocksMainWindow()
{
    Clinic c;
    QVERIFY(c.settings.noFastScrolling); // ticked by default
    QVERIFY(c.mainWindow.isEnabled());
    auto d = open<Form_osmotr_klsimp>(c);
    QVERIFY(!c.mainWindow.isEnabled());
    QVERIFY(d->isEnabled());
    d->close();
    QVERIFY(c.mainWindow.isEnabled());

    // A dialog owned by the main window stays usable.
    Form_osmotr_index owned(*c.dm2, c.settings, &c.mainWindow, &c.mainWindow);
    owned.show();
    QVERIFY(!c.mainWindow.isEnabled());
    QVERIFY(owned.isEnabled());
    owned.close();
    QVERIFY(c.mainWindow.isEnabled());
}

void ExamDialogsTest::noFastScrollingOff()
{
    Clinic c;
    c.settings.noFastScrolling = false;
    auto d = open<Form_osmotr_index1>(c);
    QVERIFY(c.mainWindow.isEnabled());
    d->close();
    QVERIFY(c.mainWindow.isEnabled());

    // Without a main window nothing is locked.
    c.settings.noFastScrolling = true;
    Form_osmotr_index alone(*c.dm2, c.settings, nullptr);
    alone.show();
    QVERIFY(!alone.locksMainWindow());
    alone.close();
}

void ExamDialogsTest::mainWindowStaysLockedWhileAnotherDialogIsOpen()
{
    Clinic c;
    auto zalobi = open<Form_osmotr_zalobi>(c);
    Form_osm_ob ob(*c.dm2, c.settings, &c.mainWindow);
    zalobi->setExacerbationDialog(&ob);
    QTest::mouseClick(zalobi->findChild<QPushButton *>(QStringLiteral("ButtonShowOb")), Qt::LeftButton);
    QVERIFY(ob.isVisible());
    QTest::mouseClick(ob.findChild<QPushButton *>(QStringLiteral("ButtonClose")), Qt::LeftButton);
    QVERIFY(!c.mainWindow.isEnabled());
    zalobi->close();
    QVERIFY(c.mainWindow.isEnabled());
}

QTEST_MAIN(ExamDialogsTest)
#include "exam_dialogs_test.moc"
