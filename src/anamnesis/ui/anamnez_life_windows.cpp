#include "anamnez_life_windows.h"

#include "anamnesis_ops.h"
#include "datamodules.h"
#include "dbcontrols.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pelorin::anamnesis {

// ---------------------------------------------------------------- accompanying diseases

Form_amamnez_life_zab::Form_amamnez_life_zab(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow,
                                             QWidget *parent)
    : PickListWindow(QStringLiteral("Form_amamnez_life_zab"), QStringLiteral("Пелорин. Сопутствующие заболевания."),
                     QStringLiteral("Сопутствующие заболевания:"), dm1.anamnez_life_zab, settings, mainWindow, parent)
{
    auto *grid = new QGridLayout;
    grid->addWidget(checkGroup(QStringLiteral("ЛОР органы и полость рта"),
                               {{QStringLiteral("Тонзиллит"), QStringLiteral("A1_1")},
                                {QStringLiteral("Гайморит"), QStringLiteral("A1_2")},
                                {QStringLiteral("Аденоидит"), QStringLiteral("A1_3")},
                                {QStringLiteral("Отит"), QStringLiteral("A1_4")},
                                // "Кариеc" ends in the Latin c, as the window has always shown it.
                                {QStringLiteral("Карие") + QLatin1Char('c'), QStringLiteral("A2_1")},
                                {QStringLiteral("Парадонтоз"), QStringLiteral("A2_2")}}),
                    0, 0);
    grid->addWidget(checkGroup(QStringLiteral("ЖКТ"),
                               {{QStringLiteral("Гастрит"), QStringLiteral("A3_1")},
                                {QStringLiteral("Дуоденит"), QStringLiteral("A3_2")},
                                {QStringLiteral("Гастродуоденит"), QStringLiteral("A3_3")},
                                {QStringLiteral("Дизбиоз кишечника"), QStringLiteral("A3_4")},
                                {QStringLiteral("Желчекаменная болезнь"), QStringLiteral("A3_5")},
                                {QStringLiteral("Холецистит"), QStringLiteral("A3_6")},
                                {QStringLiteral("Гепатит"), QStringLiteral("A3_7")},
                                {QStringLiteral("ДЖВП"), QStringLiteral("A3_8")},
                                {QStringLiteral("Панкреатит"), QStringLiteral("A11_1")}},
                               2),
                    0, 1);
    grid->addWidget(
        checkGroup(QStringLiteral("ЦНС"), {{QStringLiteral("Вегето-сосудистая дистония"), QStringLiteral("A4_1")},
                                           {QStringLiteral("Органические поражения ЦНС"), QStringLiteral("A4_2")},
                                           {QStringLiteral("Невротические реакции"), QStringLiteral("A4_3")}}),
        0, 2);

    // Frequent infections carry their frequency, from and to, times a year.
    QGroupBox *airways =
        checkGroup(QStringLiteral("Дыхательные пути"), {{QStringLiteral("Частые ОРВИ"), QStringLiteral("A5_1")}});
    auto *frequency = new QWidget(airways);
    auto *fl = new QHBoxLayout(frequency);
    fl->setContentsMargins(18, 0, 0, 0);
    const auto frequencyPick = [&](const QString &field) {
        auto *pick = new ui::DBComboBox(&table(), field, frequency);
        pick->setObjectName(field);
        pick->setItems(numberItems(1, 20));
        pick->setEditable(false);
        return pick;
    };
    fl->addWidget(new QLabel(QStringLiteral("Частота: от"), frequency));
    fl->addWidget(frequencyPick(QStringLiteral("A5_1_1")));
    fl->addWidget(new QLabel(QStringLiteral("до"), frequency));
    fl->addWidget(frequencyPick(QStringLiteral("A5_1_2")));
    fl->addWidget(new QLabel(QStringLiteral("раз в год"), frequency));
    fl->addStretch(1);
    addToGroup(airways, frequency);
    addToGroup(airways, check({QStringLiteral("Рецидивирующие бронхиты"), QStringLiteral("A5_2")}, airways));
    grid->addWidget(airways, 1, 0);

    grid->addWidget(checkGroup(QStringLiteral("Мочевыделительная система"),
                               {{QStringLiteral("Пиелонефрит"), QStringLiteral("A6_1")},
                                {QStringLiteral("Мочекаменная болезнь"), QStringLiteral("A6_2")},
                                {QStringLiteral("Цистит"), QStringLiteral("A6_3")},
                                {QStringLiteral("Гломерулонефрит"), QStringLiteral("A5_3")}},
                               2),
                    1, 1);
    grid->addWidget(checkGroup(QStringLiteral("Глистные инвазии"),
                               {{QStringLiteral("энтеробиоз"), QStringLiteral("A7_1")},
                                {QStringLiteral("аскоридоз"), QStringLiteral("A7_2")},
                                {QStringLiteral("лямблиоз"), QStringLiteral("A7_3")},
                                {QStringLiteral("описторхоз"), QStringLiteral("A7_4")}},
                               2),
                    1, 2);
    grid->addWidget(checkGroup(QStringLiteral("Кожные заболевания"),
                               {{QStringLiteral("псориаз"), QStringLiteral("A8_1")},
                                {QStringLiteral("атопический дерматит"), QStringLiteral("A8_2")},
                                {QStringLiteral("ихтиоз"), QStringLiteral("A8_3")},
                                {QStringLiteral("пиодермия"), QStringLiteral("A8_4")}},
                               2),
                    2, 0);
    grid->addWidget(checkGroup(QStringLiteral("Атопические заболевания"),
                               {{QStringLiteral("Бронхиальная астма"), QStringLiteral("A9_1")},
                                {QStringLiteral("Атопический ринит"), QStringLiteral("A9_2")},
                                {QStringLiteral("Атопические конъюнктивит"), QStringLiteral("A9_3")},
                                {QStringLiteral("Поллиноз"), QStringLiteral("A9_4")}},
                               2),
                    2, 1);
    QGroupBox *allergies = checkGroup(QStringLiteral("Аллергические реакции"),
                                      {{QStringLiteral("Пищевые продукты"), QStringLiteral("A12_1")},
                                       {QStringLiteral("Пыльца растений"), QStringLiteral("A12_2")},
                                       {QStringLiteral("Плесень"), QStringLiteral("A12_3")},
                                       {QStringLiteral("Шерсть животных"), QStringLiteral("A12_4")},
                                       {QStringLiteral("Пыль"), QStringLiteral("A12_5")},
                                       {QStringLiteral("Прием лекарств"), QStringLiteral("A12_6")}},
                                      2);
    addToGroup(allergies, editRow(QStringLiteral("Другие аллергены:"), QStringLiteral("A10_5_1"), allergies));
    grid->addWidget(allergies, 2, 2);
    body()->addLayout(grid);

    auto *last = new QHBoxLayout;
    last->addWidget(check({QStringLiteral("Наличие травм и операций"), QStringLiteral("Travm")}, this));
    last->addSpacing(16);
    last->addWidget(check({QStringLiteral("Болел(а) гепатитом"), QStringLiteral("Gepatit")}, this));
    last->addSpacing(16);
    last->addWidget(editRow(QStringLiteral("Другое"), QStringLiteral("Other"), this), 1);
    body()->addLayout(last);
}

// ---------------------------------------------------------------- relatives' diseases

Form_amamnez_life_sem::Form_amamnez_life_sem(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow,
                                             QWidget *parent)
    : PickListWindow(QStringLiteral("Form_amamnez_life_sem"), QStringLiteral("Пелорин. Семейный анализ."),
                     QStringLiteral("Семейный анамнез"), dm1.anamnez_life_sem, settings, mainWindow, parent)
{
    // Field "A" + disease digit + relative digit.
    static const char16_t *const kDiseases[] = {
        u"Псориаз",  u"Бронхиальная\nастма",  u"Атопический\nринит", u"Атопический\nконъюктивит",
        u"Поллиноз", u"Атопический\nдерматит"};
    static const char16_t *const kRelatives[] = {u"Мать",    u"Бабушка", u"Дедушка", u"Отец",
                                                 u"Бабушка", u"Дедушка", u"Брат",    u"Сестра"};
    auto *box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(box);
    grid->setHorizontalSpacing(12);
    for (int d = 1; d <= 6; ++d) {
        auto *header = new QLabel(QString::fromUtf16(kDiseases[d - 1]), box);
        header->setAlignment(Qt::AlignCenter);
        grid->addWidget(header, 0, d);
    }
    for (int r = 0; r < 8; ++r) {
        auto *relative = new QLabel(QString::fromUtf16(kRelatives[r]), box);
        // Both grandmothers and both grandfathers read alike; the side shows on hovering.
        if (r == 1 || r == 2)
            relative->setToolTip(QStringLiteral("линия по матери"));
        else if (r == 4 || r == 5)
            relative->setToolTip(QStringLiteral("линия по отцу"));
        grid->addWidget(relative, r + 1, 0);
        for (int d = 1; d <= 6; ++d) {
            const QString field = QStringLiteral("A%1%2").arg(d).arg(r);
            grid->addWidget(check({QString(), field}, box), r + 1, d, Qt::AlignCenter);
        }
    }
    body()->addWidget(box);

    auto *otherRow = new QHBoxLayout;
    auto *other = new ui::DBComboBox(&table(), QStringLiteral("Other"), this);
    other->setObjectName(QStringLiteral("Other"));
    other->setItems({QStringLiteral("среди родственников есть больные псориазом")});
    other->setEditable(true);
    other->setMinimumContentsLength(40);
    auto *label = new QLabel(QStringLiteral("Другое:"), this);
    label->setBuddy(other);
    otherRow->addWidget(label);
    otherRow->addWidget(other, 1);
    body()->addLayout(otherRow);
}

} // namespace pelorin::anamnesis
