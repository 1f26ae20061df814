#include "anamnesis_calc.h"
#include "anamnesis_ops.h"
#include "anamnez_life_windows.h"
#include "anamnez_sections.h"
#include "anamnez_zab_windows.h"

#include "clinicfixture.h"
#include "clock.h"
#include "dbcontrols.h"
#include "dialogs.h"

#include <QAbstractItemView>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include "uitest.h"

#include <QtTest>
#include <memory>

using namespace pelorin;
using namespace pelorin::anamnesis;

using Captions = QList<QPair<QString, QString>>; // field -> caption
Q_DECLARE_METATYPE(Captions)

namespace {

using pelorin::testing::typeText;
using pelorin::testing::clickButton;
using pelorin::testing::pickItem;

const QDate kToday(2025, 3, 1);

// Saved only on request: PELORIN_SCREENSHOTS=<folder>.
void screenshot(QWidget *w)
{
    const QString folder = qEnvironmentVariable("PELORIN_SCREENSHOTS");
    if (!folder.isEmpty())
        w->grab().save(QStringLiteral("%1/%2.png").arg(folder, w->objectName()));
}

// Patient "Белова", registered 20.02.2025, with her blank anamnesis records as a new patient has them, and a
// main window that the pick lists lock.
struct Clinic : testing::ClinicFixture
{
    QWidget mainWindow;

    Clinic()
    {
        clock::setFixedToday(kToday);
        installAnamnesisCalc(*dm1);
        append(reg(), {{QStringLiteral("Last_Name"), QStringLiteral("Белова")},
                       {QStringLiteral("Born_dat"), QDate(1980, 5, 10)},
                       {QStringLiteral("Reg_date"), QDate(2025, 2, 20)},
                       {QStringLiteral("Sex"), QStringLiteral("Женский")}});
        for (db::Table *t : {dm1->anamnez_zab, dm1->anamnez_zab_start, dm1->anamnez_zab_ranlech,
                             dm1->anamnez_zab_obostr_prich, dm1->anamnez_zab_obostr_lech, dm1->anamnez_zab_zalobi,
                             dm1->anamnez_life, dm1->anamnez_life_zab, dm1->anamnez_life_sem})
            append(*t);
        mainWindow.resize(200, 100);
        mainWindow.show();
    }
    ~Clinic() { clock::reset(); }

    QVariant storedIn(const QString &table, const QString &field)
    {
        return stored(QStringLiteral("SELECT \"%1\" FROM %2").arg(field, table));
    }
};

std::unique_ptr<PickListWindow> create(Clinic &c, const QString &name)
{
    if (name == QLatin1String("Form_anamnez_zab_start"))
        return std::make_unique<Form_anamnez_zab_start>(*c.dm1, c.settings, &c.mainWindow);
    if (name == QLatin1String("Form_anamnez_zab_obostr_prich"))
        return std::make_unique<Form_anamnez_zab_obostr_prich>(*c.dm1, c.settings, &c.mainWindow);
    if (name == QLatin1String("Form_anamnez_zab_ranlech"))
        return std::make_unique<Form_anamnez_zab_ranlech>(*c.dm1, c.settings, &c.mainWindow);
    if (name == QLatin1String("Form_anamnez_zab_obostr_lech"))
        return std::make_unique<Form_anamnez_zab_obostr_lech>(*c.dm1, c.settings, &c.mainWindow);
    if (name == QLatin1String("Form_anamnez_zab_zalobi"))
        return std::make_unique<Form_anamnez_zab_zalobi>(*c.dm1, *c.dm2, c.settings, &c.mainWindow);
    if (name == QLatin1String("Form_amamnez_life_zab"))
        return std::make_unique<Form_amamnez_life_zab>(*c.dm1, c.settings, &c.mainWindow);
    if (name == QLatin1String("Form_amamnez_life_sem"))
        return std::make_unique<Form_amamnez_life_sem>(*c.dm1, c.settings, &c.mainWindow);
    return nullptr;
}

std::unique_ptr<PickListWindow> open(Clinic &c, const QString &name)
{
    auto w = create(c, name);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qFatal("window not exposed");
    return w;
}

QPushButton *applyButton(QWidget *w)
{
    return w->findChild<QPushButton *>(QStringLiteral("ButtonApply"));
}

Captions triggers(const QString &stress, const QString &a1_15)
{
    return {{"Allerg_eda", "Пищевые продукты"},
            {"Allerg_zivotnie", "Шерсть животных"},
            {"Allerg_piltsa", "Пыльца растений"},
            {"Allerg_pil", "Пыль"},
            {"Allerg_plesen", "Плесень"},
            {"Allerg_lek", "Прием лекарств"},
            {"A1_1", "Зима"},
            {"A1_2", "Лето"},
            {"A1_3", "Весна"},
            {"A1_4", "Осень"},
            {"A1_5", "Потение"},
            {"A1_6", "Расчесывание кожи"},
            {"A1_7", "Синтетическая одежда"},
            {"A1_8", "Химические раздражающие средства"},
            {"A1_9", "Перенесенная инфекция"},
            {"A1_10", "Обострение хронических заболеваний"},
            {"A1_11", stress},
            {"A1_13", "Нарушения сна"},
            {"A1_14", "Беременность"},
            {"A1_15", a1_15}};
}

} // namespace

class AnamnesisWindowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pickListCheckBoxes_data();
    void pickListCheckBoxes();
    void tickingEditsApplyPostsAndUnlocks();
    void closingWithoutApplyKeepsChangesPending();
    void withoutNoFastScrollingTheMainWindowStaysUsable();
    void refusedProtectionStillClosesTheWindow();
    void complaintsApplyMakesTheFirstExamination();
    void accompanyingDiseasesFrequency();
    void familyGrid();

    void diseaseSectionControls_data();
    void diseaseSectionControls();
    void diseaseSectionButtons();
    void diseaseSectionSummariesFollowTheTicks();
    void calculateButtonFillsTheAge();
    void lifeSectionControls();
    void lifeSectionConditions();
};

// ---------------------------------------------------------------- pick-list windows

void AnamnesisWindowsTest::pickListCheckBoxes_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<Captions>("checks");
    QTest::addColumn<QStringList>("edits");

    QTest::newRow("onset") << "Form_anamnez_zab_start"
                           << "Пелорин. Начало заболевания."
                           << "Начало заболевания связано с воздействием:"
                           << triggers(QStringLiteral("Стрес") + QLatin1Char('c'),
                                       QStringLiteral("Начало заболевания ни с чем не связывает"))
                           << QStringList{"Allerg_other", "Neallerg_other"};
    QTest::newRow("exacerbation triggers")
        << "Form_anamnez_zab_obostr_prich"
        << "Пелорин. Провоцируют обострение."
        << "Провоцируют обострение:" << triggers(QStringLiteral("Стресс"), QStringLiteral("Роды"))
        << QStringList{"Allerg_other", "Neallerg_other"};
    QTest::newRow("treatment before") << "Form_anamnez_zab_ranlech"
                                      << "Пелорин. Ранее проводимое лечение."
                                      << "Ранее проводимое лечение:"
                                      << Captions{{"A1_1", "Стационарное"},         {"A1_2", "Амбулаторное"},
                                                  {"A2_7_1", "Стандартное"},        {"Lech", "Не проводилось"},
                                                  {"A2_1_2", "Иммунодепрессанты"},  {"A2_3_3", "Седативные"},
                                                  {"A2_3_4", "Иммуномодуляторы"},   {"A2_4_1", "Витамины"},
                                                  {"A2_5_1", "Фитосборы"},          {"A2_2_1", "Гомеопатические"},
                                                  {"A2_1_1", "ПУВА-терапия"},       {"A2_3_1", "Физиотерапевтические"},
                                                  {"A2_6_1", "Нестероидные ср-ва"}, {"A3_1", "Стероидные ср-ва"}}
                                      << QStringList{"Other"};
    QTest::newRow("treatment of the last exacerbation") << "Form_anamnez_zab_obostr_lech"
                                                        << "Пелорин. Лечение при последнем обострении."
                                                        << "Лечение при последнем обострении:"
                                                        << Captions{{"A1_1", "Гемодез"},
                                                                    {"A1_2", "Гемосорбция"},
                                                                    {"A1_3", "Плазмоферез"},
                                                                    {"A2_1_1", "per os"},
                                                                    {"A2_1_2", "в инъекциях"},
                                                                    {"A2_2_1", "Седативные"},
                                                                    {"A2_4_1", "Имунномодуляторы"},
                                                                    {"A2_5_1", "Витамины"},
                                                                    {"A2_6_1", "Фитосборы"},
                                                                    {"A2_7_1", "Гомеопатические средства"},
                                                                    {"A2_3_1", "метотрексат"},
                                                                    {"A2_3_2", "сандимун"},
                                                                    {"A2_3_3", "кортикостероиды per os"},
                                                                    {"A2_3_4", "кортикостероиды в инъекциях"},
                                                                    {"A5_1", "креон"},
                                                                    {"A5_2", "фестал"},
                                                                    {"A5_3", "мезим форте"},
                                                                    {"A5_4", "энтеросгель"},
                                                                    {"A5_5", "лактофильтрум"},
                                                                    {"A4_1", "Кортикостероидные мази"},
                                                                    {"A4_2", "Дёготь"},
                                                                    {"A4_3", "Нафталан"},
                                                                    {"A4_4", "Кальциопотриол"},
                                                                    {"A4_5", "Дитранол"},
                                                                    {"A4_6", "Салициловая кислота"},
                                                                    {"A4_7", "Мочевина"},
                                                                    {"A4_8", "Цинк"},
                                                                    {"A3_1", "ПУВА"},
                                                                    {"A3_2", "Ре-ПУВА"},
                                                                    {"A3_3", "Ме-ПУВА"},
                                                                    {"A3_4", "СФТ"},
                                                                    {"A3_5", "Иглорефлексотерапия"},
                                                                    {"A3_6", "Лечебные ванны"},
                                                                    {"A3_7", "Грязелечение"},
                                                                    {"Lech", "Лечение не проводилось"}}
                                                        << QStringList{"Other"};
    QTest::newRow("complaints") << "Form_anamnez_zab_zalobi"
                                << "Пелорин. Жалобы пациентов."
                                << "Жалобы пациента"
                                << Captions{{"A1_1", "Головокружение"},
                                            {"A1_2", "Головная боль"},
                                            {"A1_3", "Потеря аппетита"},
                                            {"A1_5", "Повышение температуры"},
                                            {"A1_6", "Ухудшение общего состояния"},
                                            {"A1_7", "Снижение массы тела"},
                                            {"A1_4", "Сухость"},
                                            {"A2_1", "Боль в области высыпания"},
                                            {"A2_2", "Чувство стянутости"},
                                            {"A2_3", "Зуд"},
                                            {"A2_4", "Жжение"},
                                            {"A2_5", "Шелушение"},
                                            {"A2_6", "Покраснение"},
                                            {"A2_7", "Мокнутие"},
                                            {"A2_12", "Трещины"},
                                            {"A2_8", "голове"},
                                            {"A2_9", "верхних конечностях"},
                                            {"A2_10", "нижних конечностях"},
                                            {"A2_11", "туловище"},
                                            {"A3_1", "Боль в суставах"},
                                            {"A3_2", "Изменение формы ногтей"},
                                            {"A3_3", "Изменение формы суставов"},
                                            {"A3_4", "Выпадение волос"},
                                            {"A3_5", "Нарушение сна"}}
                                << QStringList{"Other"};
    QTest::newRow("accompanying diseases") << "Form_amamnez_life_zab"
                                           << "Пелорин. Сопутствующие заболевания."
                                           << "Сопутствующие заболевания:"
                                           << Captions{{"A1_1", "Тонзиллит"},
                                                       {"A1_2", "Гайморит"},
                                                       {"A1_3", "Аденоидит"},
                                                       {"A1_4", "Отит"},
                                                       {"A2_1", QStringLiteral("Карие") + QLatin1Char('c')},
                                                       {"A2_2", "Парадонтоз"},
                                                       {"A3_1", "Гастрит"},
                                                       {"A3_2", "Дуоденит"},
                                                       {"A3_3", "Гастродуоденит"},
                                                       {"A3_4", "Дизбиоз кишечника"},
                                                       {"A3_5", "Желчекаменная болезнь"},
                                                       {"A3_6", "Холецистит"},
                                                       {"A3_7", "Гепатит"},
                                                       {"A3_8", "ДЖВП"},
                                                       {"A11_1", "Панкреатит"},
                                                       {"A4_1", "Вегето-сосудистая дистония"},
                                                       {"A4_2", "Органические поражения ЦНС"},
                                                       {"A4_3", "Невротические реакции"},
                                                       {"A5_1", "Частые ОРВИ"},
                                                       {"A5_2", "Рецидивирующие бронхиты"},
                                                       {"A6_1", "Пиелонефрит"},
                                                       {"A6_2", "Мочекаменная болезнь"},
                                                       {"A6_3", "Цистит"},
                                                       {"A5_3", "Гломерулонефрит"},
                                                       {"A7_1", "энтеробиоз"},
                                                       {"A7_2", "аскоридоз"},
                                                       {"A7_3", "лямблиоз"},
                                                       {"A7_4", "описторхоз"},
                                                       {"A8_1", "псориаз"},
                                                       {"A8_2", "атопический дерматит"},
                                                       {"A8_3", "ихтиоз"},
                                                       {"A8_4", "пиодермия"},
                                                       {"A9_1", "Бронхиальная астма"},
                                                       {"A9_2", "Атопический ринит"},
                                                       {"A9_3", "Атопические конъюнктивит"},
                                                       {"A9_4", "Поллиноз"},
                                                       {"A12_1", "Пищевые продукты"},
                                                       {"A12_2", "Пыльца растений"},
                                                       {"A12_3", "Плесень"},
                                                       {"A12_4", "Шерсть животных"},
                                                       {"A12_5", "Пыль"},
                                                       {"A12_6", "Прием лекарств"},
                                                       {"Travm", "Наличие травм и операций"},
                                                       {"Gepatit", "Болел(а) гепатитом"}}
                                           << QStringList{"A10_5_1", "Other"};
    Captions family;
    for (int d = 1; d <= 6; ++d) {
        for (int r = 0; r <= 7; ++r)
            family.append({QStringLiteral("A%1%2").arg(d).arg(r), QString()});
    }
    QTest::newRow("family") << "Form_amamnez_life_sem"
                            << "Пелорин. Семейный анализ."
                            << "Семейный анамнез" << family << QStringList{};
}

void AnamnesisWindowsTest::pickListCheckBoxes()
{
    QFETCH(QString, window);
    QFETCH(Captions, checks);
    QFETCH(QStringList, edits);
    Clinic c;
    auto w = open(c, window);
    QCOMPARE(w->objectName(), window);
    QTEST(w->windowTitle(), "caption");
    QTEST(w->findChild<QLabel *>(QStringLiteral("LabelTitle"))->text(), "heading");
    QCOMPARE(applyButton(w.get())->text(), QStringLiteral("Применить"));
    QVERIFY(!w->isModal());
    // Fixed size.
    QCOMPARE(w->minimumSize(), w->maximumSize());

    const QList<ui::DBCheckBox *> boxes = w->findChildren<ui::DBCheckBox *>();
    QCOMPARE(boxes.size(), checks.size());
    for (const auto &[field, caption] : checks) {
        auto *box = w->findChild<ui::DBCheckBox *>(field);
        QVERIFY2(box, qPrintable(field));
        QCOMPARE(box->fieldName(), field);
        QVERIFY(box->isBound());
        QCOMPARE(box->table(), &w->table());
        QCOMPARE(box->text(), caption);
    }
    for (const QString &field : edits) {
        auto *edit = w->findChild<ui::DBEdit *>(field);
        QVERIFY2(edit, qPrintable(field));
        QCOMPARE(edit->fieldName(), field);
    }
    screenshot(w.get());
}

void AnamnesisWindowsTest::tickingEditsApplyPostsAndUnlocks()
{
    Clinic c;
    auto w = open(c, QStringLiteral("Form_anamnez_zab_start"));
    QVERIFY(!c.mainWindow.isEnabled());
    QVERIFY(w->isEnabled());
    QVERIFY(w->locksMainWindow());

    db::Table &t = *c.dm1->anamnez_zab_start;
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("A1_1")));
    QCOMPARE(t.state(), db::TableState::Edit);
    QCOMPARE(t.value(QStringLiteral("A1_1")), QVariant(true));
    QCOMPARE(t.asString(QStringLiteral("List")), QStringLiteral("зима. "));
    auto *other = w->findChild<QLineEdit *>(QStringLiteral("Allerg_other"));
    other->setFocus();
    typeText(other, QStringLiteral("мёд"));
    QVERIFY(c.storedIn(QStringLiteral("anamnez_zab_start"), QStringLiteral("A1_1")).isNull());

    const qsizetype logged = c.log.lines().size();
    QTest::mouseClick(applyButton(w.get()), Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(c.mainWindow.isEnabled());
    QCOMPARE(t.state(), db::TableState::Browse);
    QCOMPARE(c.log.lines().size(), logged + 1);
    QCOMPARE(c.storedIn(QStringLiteral("anamnez_zab_start"), QStringLiteral("A1_1")).toBool(), true);
    QCOMPARE(c.storedIn(QStringLiteral("anamnez_zab_start"), QStringLiteral("Allerg_other")).toString(),
             QStringLiteral("мёд"));
    QCOMPARE(t.asString(QStringLiteral("List")), QStringLiteral("мёд, зима. "));

    // "Применить" with nothing changed posts nothing.
    w->show();
    QTest::mouseClick(applyButton(w.get()), Qt::LeftButton);
    QCOMPARE(c.log.lines().size(), logged + 1);
    QVERIFY(c.mainWindow.isEnabled());
}

void AnamnesisWindowsTest::closingWithoutApplyKeepsChangesPending()
{
    Clinic c;
    auto w = open(c, QStringLiteral("Form_anamnez_zab_ranlech"));
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("Lech")));
    w->close();
    QVERIFY(c.mainWindow.isEnabled());
    db::Table &t = *c.dm1->anamnez_zab_ranlech;
    QCOMPARE(t.state(), db::TableState::Edit);
    QVERIFY(t.modified());
    QVERIFY(c.storedIn(QStringLiteral("anamnez_zab_ranlech"), QStringLiteral("Lech")).isNull());
    QCOMPARE(t.asString(QStringLiteral("List")), QStringLiteral("не проводилось."));
}

void AnamnesisWindowsTest::withoutNoFastScrollingTheMainWindowStaysUsable()
{
    Clinic c;
    c.settings.noFastScrolling = false;
    auto w = open(c, QStringLiteral("Form_amamnez_life_sem"));
    QVERIFY(c.mainWindow.isEnabled());
    QVERIFY(!w->locksMainWindow());
    w->close();
    QVERIFY(c.mainWindow.isEnabled());
}

void AnamnesisWindowsTest::refusedProtectionStillClosesTheWindow()
{
    Clinic c;
    // Registered 9 days ago; the age limit of 5 days is passed.
    c.settings.protectionOn = true;
    c.settings.protectionDays = 5;
    auto w = open(c, QStringLiteral("Form_anamnez_zab_obostr_lech"));
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("A4_2")));
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("no");
    QTest::mouseClick(applyButton(w.get()), Qt::LeftButton);
    QCOMPARE(dialogs.transcript,
             QStringList({QStringLiteral("beep"), QStringLiteral("ask: Внимание!: Сработала защита по давности. \rВы "
                                                                 "уверены что хотите внести изменения?")}));
    QVERIFY(!w->isVisible());
    QVERIFY(c.mainWindow.isEnabled());
    QVERIFY(c.storedIn(QStringLiteral("anamnez_zab_obostr_lech"), QStringLiteral("A4_2")).isNull());
    QCOMPARE(c.dm1->anamnez_zab_obostr_lech->asString(QStringLiteral("List")), QString());
}

void AnamnesisWindowsTest::complaintsApplyMakesTheFirstExamination()
{
    Clinic c;
    auto w = open(c, QStringLiteral("Form_anamnez_zab_zalobi"));
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("A2_3")));
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("A2_8")));
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("no");
    QTest::mouseClick(applyButton(w.get()), Qt::LeftButton);
    QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("ask: Внимание!: Занести жалобы в первый осмотр?")});
    QVERIFY(!w->isVisible());
    QVERIFY(c.mainWindow.isEnabled());
    QCOMPARE(c.dm1->anamnez_zab_zalobi->asString(QStringLiteral("List")),
             QStringLiteral("высыпания на голове; зуд кожи. "));
    db::Table &osmotr = *c.dm2->osmotr1;
    QCOMPARE(osmotr.recordCount(), 1);
    QCOMPARE(osmotr.asInteger(QStringLiteral("Nom_osm")), 1);
    QCOMPARE(osmotr.asDate(QStringLiteral("Date")), QDate(2025, 2, 20));
    QCOMPARE(osmotr.asBoolean(QStringLiteral("A2_3")), true);
    QCOMPARE(osmotr.asBoolean(QStringLiteral("A2_10")), true);
    QCOMPARE(c.storedIn(QStringLiteral("osmotr_1"), QStringLiteral("A2_10")).toBool(), true);
}

void AnamnesisWindowsTest::accompanyingDiseasesFrequency()
{
    Clinic c;
    auto w = open(c, QStringLiteral("Form_amamnez_life_zab"));
    auto *from = w->findChild<ui::DBComboBox *>(QStringLiteral("A5_1_1"));
    auto *to = w->findChild<ui::DBComboBox *>(QStringLiteral("A5_1_2"));
    QVERIFY(from && to);
    QCOMPARE(from->items(), numberItems(1, 20));
    QCOMPARE(to->items(), numberItems(1, 20));
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("A5_1")));
    QVERIFY(pickItem(from, 1));
    QVERIFY(pickItem(to, 3));
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("Gepatit")));
    db::Table &t = *c.dm1->anamnez_life_zab;
    QCOMPARE(t.asString(QStringLiteral("list5")), QStringLiteral("частые ОРВИ ( от 2 до 4 раз в год). "));
    QCOMPARE(t.asString(QStringLiteral("list10")), QStringLiteral("болела гепатитом. "));
    QTest::mouseClick(applyButton(w.get()), Qt::LeftButton);
    QCOMPARE(c.storedIn(QStringLiteral("anamnez_life_zab"), QStringLiteral("A5_1_2")).toInt(), 4);
}

void AnamnesisWindowsTest::familyGrid()
{
    Clinic c;
    auto w = open(c, QStringLiteral("Form_amamnez_life_sem"));
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("A10")));
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("A23")));
    auto *other = w->findChild<ui::DBComboBox *>(QStringLiteral("Other"));
    QVERIFY(other);
    QVERIFY(other->isEditable());
    QCOMPARE(other->items(), QStringList{QStringLiteral("среди родственников есть больные псориазом")});
    QVERIFY(pickItem(other, 0));
    QTest::mouseClick(applyButton(w.get()), Qt::LeftButton);
    QCOMPARE(c.dm1->anamnez_life_sem->asString(QStringLiteral("List")),
             QStringLiteral(" У матери - псориаз.   У отца - бронхиальная астма.  среди родственников есть больные "
                            "псориазом"));
    QCOMPARE(c.storedIn(QStringLiteral("anamnez_life_sem"), QStringLiteral("A23")).toBool(), true);
}

// ---------------------------------------------------------------- "Анамнез болезни"

void AnamnesisWindowsTest::diseaseSectionControls_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("items");
    const QStringList units = {QStringLiteral("недель(я\\и)"), QStringLiteral("месяц(а\\ев)"),
                               QStringLiteral("год(а)\\лет")};
    const QStringList results = {QStringLiteral("не отмечается"), QStringLiteral("кратковременный"),
                                 QStringLiteral("стойкий положительный")};
    QTest::newRow("age") << "DBComboBox5"
                         << "anamnez_zab"
                         << "Zalobi"
                         << QStringList{"в первые 3 месяца жизни", "на первом году жизни", "от 1 до 3 лет",
                                        "от 3 до 5 лет",           "от 5 до 7 лет",        "от 8 до 10 лет",
                                        "от 11 до 16 лет",         "от 16 до 20 лет",      "от 20 до 30 лет",
                                        "от 30 до 40 лет",         "от 40 до 50 лет",      "от 50 до 60 лет",
                                        "позднее 60 лет"};
    QTest::newRow("onset count") << "DBComboBox21"
                                 << "anamnez_zab"
                                 << "NachZabCount" << numberItems(1, 99);
    QTest::newRow("onset unit") << "DBComboBox22"
                                << "anamnez_zab"
                                << "NachZabText" << QStringList{"дней(я\\и)", "месяц(а\\ев)", "год(а)\\лет"};
    QTest::newRow("remission from") << "DBComboBox6"
                                    << "anamnez_zab"
                                    << "Prodolz_remis_ot_ind" << numberItems(1, 31);
    QTest::newRow("remission from unit") << "DBComboBox12"
                                         << "anamnez_zab"
                                         << "Prodolz_remis_ot_name" << units;
    QTest::newRow("remission to") << "DBComboBox11"
                                  << "anamnez_zab"
                                  << "Prodolz_remis_do_ind" << numberItems(1, 31);
    QTest::newRow("remission to unit") << "DBComboBox15"
                                       << "anamnez_zab"
                                       << "Prodolz_remis_do_name" << units;
    QTest::newRow("result before") << "DBComboBox16"
                                   << "anamnez_zab"
                                   << "Ran_lech_rez" << results;
    QTest::newRow("exacerbation count") << "DBComboBox10"
                                        << "anamnez_zab"
                                        << "Posl_obostr_ind" << numberItems(1, 31);
    QTest::newRow("exacerbation unit") << "DBComboBox13"
                                       << "anamnez_zab"
                                       << "Posl_obostr_name" << units;
    QTest::newRow("result of exacerbation") << "DBComboBox18"
                                            << "anamnez_zab"
                                            << "Posl_obostr_rez" << results;
    QTest::newRow("remission") << "DBCheckBox_Remis"
                               << "anamnez_zab"
                               << "Remis" << QStringList{};
    QTest::newRow("complaints") << "DBMemo3"
                                << "anamnez_zab_zalobi"
                                << "List" << QStringList{};
    QTest::newRow("onset triggers") << "DBMemo4"
                                    << "anamnez_zab_start"
                                    << "List" << QStringList{};
    QTest::newRow("treatment before") << "DBMemo5"
                                      << "anamnez_zab_ranlech"
                                      << "List" << QStringList{};
    QTest::newRow("exacerbation triggers") << "DBMemo6"
                                           << "anamnez_zab_obostr_prich"
                                           << "List" << QStringList{};
    QTest::newRow("exacerbation treatment") << "DBMemo7"
                                            << "anamnez_zab_obostr_lech"
                                            << "List" << QStringList{};
    QTest::newRow("admission diagnosis") << "DBEdit11"
                                         << "diagnoz"
                                         << "List" << QStringList{};
}

void AnamnesisWindowsTest::diseaseSectionControls()
{
    QFETCH(QString, control);
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(QStringList, items);
    Clinic c;
    AnamnezZabSection section(*c.dm1, *c.dm2);
    auto *w = section.findChild<QWidget *>(control);
    QVERIFY(w);
    auto *bound = dynamic_cast<ui::DBControl *>(w);
    QVERIFY(bound && bound->isBound());
    QCOMPARE(bound->table()->tableName(), table);
    QCOMPARE(bound->fieldName(), field);
    if (auto *combo = qobject_cast<ui::DBComboBox *>(w)) {
        QCOMPARE(combo->items(), items);
        QVERIFY(combo->isEditable());
    }
    if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
        QVERIFY(memo->isReadOnly());
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        QVERIFY(edit->isReadOnly());
}

void AnamnesisWindowsTest::diseaseSectionButtons()
{
    Clinic c;
    AnamnezZabSection section(*c.dm1, *c.dm2);
    QSignalSpy windows(&section, &AnamnezZabSection::windowRequested);
    QSignalSpy diagnosis(&section, &AnamnezZabSection::diagnosisRequested);
    for (const char *name : {"Button_zab_start", "Button_zab_ranlech", "Button_zab_obostr_prich",
                             "Button_zab_obostr_lech", "Button_zab_zalobi"}) {
        auto *b = section.findChild<QPushButton *>(QLatin1String(name));
        QVERIFY2(b, name);
        QCOMPARE(b->text(), QStringLiteral("Выбрать"));
        b->click();
    }
    QCOMPARE(windows.size(), 5);
    QCOMPARE(windows.at(0).at(0).toString(), QStringLiteral("Form_anamnez_zab_start"));
    QCOMPARE(windows.at(1).at(0).toString(), QStringLiteral("Form_anamnez_zab_ranlech"));
    QCOMPARE(windows.at(2).at(0).toString(), QStringLiteral("Form_anamnez_zab_obostr_prich"));
    QCOMPARE(windows.at(3).at(0).toString(), QStringLiteral("Form_anamnez_zab_obostr_lech"));
    QCOMPARE(windows.at(4).at(0).toString(), QStringLiteral("Form_anamnez_zab_zalobi"));
    auto *set = section.findChild<QPushButton *>(QStringLiteral("Button6"));
    QCOMPARE(set->text(), QStringLiteral("Поставить"));
    set->click();
    QCOMPARE(diagnosis.size(), 1);
    QCOMPARE(section.findChild<QPushButton *>(QStringLiteral("Button_onset"))->text(), QStringLiteral("Рассчитать"));
    // Showing the section and its buttons changed nothing.
    QCOMPARE(c.dm1->anamnez_zab->state(), db::TableState::Browse);
}

void AnamnesisWindowsTest::diseaseSectionSummariesFollowTheTicks()
{
    Clinic c;
    AnamnezZabSection section(*c.dm1, *c.dm2);
    auto *complaints = section.findChild<QPlainTextEdit *>(QStringLiteral("DBMemo3"));
    auto *before = section.findChild<QPlainTextEdit *>(QStringLiteral("DBMemo5"));
    QCOMPARE(complaints->toPlainText(), QStringLiteral("Жалоб нет"));
    QCOMPARE(before->toPlainText(), QString());
    auto w = open(c, QStringLiteral("Form_anamnez_zab_ranlech"));
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("A1_1")));
    clickButton(w->findChild<QCheckBox *>(QStringLiteral("A3_1")));
    QCOMPARE(before->toPlainText(), QStringLiteral("стационарное. наружные препараты, содержащие стероидные ср-ва. "));
}

void AnamnesisWindowsTest::calculateButtonFillsTheAge()
{
    Clinic c;
    AnamnezZabSection section(*c.dm1, *c.dm2);
    section.show();
    QVERIFY(QTest::qWaitForWindowExposed(&section));
    QVERIFY(pickItem(section.findChild<QComboBox *>(QStringLiteral("DBComboBox21")), 9));
    QVERIFY(pickItem(section.findChild<QComboBox *>(QStringLiteral("DBComboBox22")), 2));
    QCOMPARE(c.dm1->anamnez_zab->state(), db::TableState::Edit);
    ScopedScriptedDialogs dialogs;
    QTest::mouseClick(section.findChild<QPushButton *>(QStringLiteral("Button_onset")), Qt::LeftButton);
    QCOMPARE(section.findChild<QComboBox *>(QStringLiteral("DBComboBox5"))->currentText(),
             QStringLiteral("от 30 до 40 лет"));
    QCOMPARE(c.storedIn(QStringLiteral("anamnez_zab"), QStringLiteral("NachZabCount")).toInt(), 10);
    QCOMPARE(c.storedIn(QStringLiteral("anamnez_zab"), QStringLiteral("Zalobi")).toString(),
             QStringLiteral("от 30 до 40 лет"));
    QCOMPARE(dialogs.transcript.size(), 2);
    QVERIFY(dialogs.transcript.last().endsWith(QStringLiteral("Дата заболевания: 04.03.2015")));
}

// ---------------------------------------------------------------- "Анамнез жизни"

void AnamnesisWindowsTest::lifeSectionControls()
{
    Clinic c;
    AnamnezLiveSection section(*c.dm1);
    const std::pair<const char *, const char *> memos[] = {
        {"DBMemo_list1", "list1"}, {"DBMemo_list2", "list2"},   {"DBMemo_list3", "list3"}, {"DBMemo_list4", "list4"},
        {"DBMemo_list5", "list5"}, {"DBMemo_list6", "list6"},   {"DBMemo_list7", "list7"}, {"DBMemo_list8", "list8"},
        {"DBMemo_list9", "list9"}, {"DBMemo_list10", "list10"},
    };
    for (const auto &[name, field] : memos) {
        auto *memo = section.findChild<ui::DBMemo *>(QLatin1String(name));
        QVERIFY2(memo, name);
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->table(), c.dm1->anamnez_life_zab);
        QCOMPARE(memo->fieldName(), QLatin1String(field));
    }
    auto *family = section.findChild<ui::DBMemo *>(QStringLiteral("DBMemo_sem"));
    QCOMPARE(family->table(), c.dm1->anamnez_life_sem);
    QCOMPARE(family->fieldName(), QStringLiteral("List"));

    QSignalSpy windows(&section, &AnamnezLiveSection::windowRequested);
    section.findChild<QPushButton *>(QStringLiteral("Button_life_zab"))->click();
    section.findChild<QPushButton *>(QStringLiteral("Button_life_sem"))->click();
    QCOMPARE(windows.size(), 2);
    QCOMPARE(windows.at(0).at(0).toString(), QStringLiteral("Form_amamnez_life_zab"));
    QCOMPARE(windows.at(1).at(0).toString(), QStringLiteral("Form_amamnez_life_sem"));

    // The texts follow the accompanying diseases.
    db::Table &zab = *c.dm1->anamnez_life_zab;
    zab.edit();
    zab.setValue(QStringLiteral("A1_1"), true);
    zab.setValue(QStringLiteral("A2_1"), true);
    QCOMPARE(section.findChild<ui::DBMemo *>(QStringLiteral("DBMemo_list1"))->toPlainText(),
             QStringLiteral("тонзиллит, карие") + QLatin1Char('c') + QStringLiteral(". "));
}

void AnamnesisWindowsTest::lifeSectionConditions()
{
    Clinic c;
    AnamnezLiveSection section(*c.dm1);
    section.show();
    QVERIFY(QTest::qWaitForWindowExposed(&section));
    auto *living = section.findChild<ui::DBRadioGroup *>(QStringLiteral("DBRadioGroup_Bitovie"));
    auto *food = section.findChild<ui::DBRadioGroup *>(QStringLiteral("DBRadioGroup_Pitanie"));
    QVERIFY(living && food);
    QCOMPARE(living->title(), QStringLiteral("Бытовые условия и режим"));
    QCOMPARE(living->items(), QStringList({QStringLiteral("Обычные"), QStringLiteral("Гиппоаллергенные")}));
    QCOMPARE(food->title(), QStringLiteral("Характер питания"));
    QCOMPARE(food->items(), QStringList({QStringLiteral("Обычный"), QStringLiteral("Гиппоаллергенный")}));
    // Blank fields: nothing stated.
    QCOMPARE(living->itemIndex(), -1);
    QCOMPARE(food->itemIndex(), -1);

    db::Table &life = *c.dm1->anamnez_life;
    clickButton(living->button(1));
    QCOMPARE(life.state(), db::TableState::Edit);
    QCOMPARE(life.value(QStringLiteral("Bitovie")), QVariant(false));
    clickButton(food->button(0));
    QCOMPARE(life.value(QStringLiteral("Pitanie")), QVariant(true));
    auto *habits = section.findChild<ui::DBCheckBox *>(QStringLiteral("DBCheckBox_Vrednie_privichki"));
    auto *pets = section.findChild<ui::DBCheckBox *>(QStringLiteral("DBCheckBox_Dom_zivotnie"));
    QCOMPARE(habits->text(), QStringLiteral("Наличие вредных привычек"));
    QCOMPARE(pets->text(), QStringLiteral("Наличие домашних животных"));
    clickButton(pets);
    QCOMPARE(life.value(QStringLiteral("Dom_zivotnie")), QVariant(true));
    QCOMPARE(habits->fieldName(), QStringLiteral("Vrednie_privichki"));
    QVERIFY(life.post());
    QCOMPARE(c.storedIn(QStringLiteral("anamnez_life"), QStringLiteral("Bitovie")).toBool(), false);
}

QTEST_MAIN(AnamnesisWindowsTest)
#include "anamnesis_windows_test.moc"
