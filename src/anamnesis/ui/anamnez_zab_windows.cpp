#include "anamnez_zab_windows.h"

#include "anamnesis_ops.h"
#include "datamodules.h"
#include "dbcontrols.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace pelorin::anamnesis {

// ---------------------------------------------------------------- onset and exacerbation triggers

TriggersWindow::TriggersWindow(const QString &name, const QString &caption, const QString &heading, db::Table *table,
                               const QString &stressCaption, const QString &a1_15Caption, db::RunSettings &settings,
                               QWidget *mainWindow, QWidget *parent)
    : PickListWindow(name, caption, heading, table, settings, mainWindow, parent)
{
    QGroupBox *allergic = checkGroup(QStringLiteral("Аллергенные факторы:"),
                                     {{QStringLiteral("Пищевые продукты"), QStringLiteral("Allerg_eda")},
                                      {QStringLiteral("Шерсть животных"), QStringLiteral("Allerg_zivotnie")},
                                      {QStringLiteral("Пыльца растений"), QStringLiteral("Allerg_piltsa")},
                                      {QStringLiteral("Пыль"), QStringLiteral("Allerg_pil")},
                                      {QStringLiteral("Плесень"), QStringLiteral("Allerg_plesen")},
                                      {QStringLiteral("Прием лекарств"), QStringLiteral("Allerg_lek")}});
    addToGroup(allergic, editRow(QStringLiteral("Другое"), QStringLiteral("Allerg_other"), allergic));

    // A1_12 has no check box: the window never offered it.
    QGroupBox *other = checkGroup(QStringLiteral("Неаллергенные факторы:"),
                                  {{QStringLiteral("Зима"), QStringLiteral("A1_1")},
                                   {QStringLiteral("Лето"), QStringLiteral("A1_2")},
                                   {QStringLiteral("Весна"), QStringLiteral("A1_3")},
                                   {QStringLiteral("Осень"), QStringLiteral("A1_4")},
                                   {QStringLiteral("Потение"), QStringLiteral("A1_5")},
                                   {QStringLiteral("Расчесывание кожи"), QStringLiteral("A1_6")},
                                   {QStringLiteral("Синтетическая одежда"), QStringLiteral("A1_7")},
                                   {QStringLiteral("Химические раздражающие средства"), QStringLiteral("A1_8")},
                                   {QStringLiteral("Перенесенная инфекция"), QStringLiteral("A1_9")},
                                   {QStringLiteral("Обострение хронических заболеваний"), QStringLiteral("A1_10")},
                                   {stressCaption, QStringLiteral("A1_11")},
                                   {QStringLiteral("Нарушения сна"), QStringLiteral("A1_13")},
                                   {QStringLiteral("Беременность"), QStringLiteral("A1_14")},
                                   {a1_15Caption, QStringLiteral("A1_15")}},
                                  2);
    addToGroup(other, editRow(QStringLiteral("Другое"), QStringLiteral("Neallerg_other"), other));

    auto *row = new QHBoxLayout;
    row->addWidget(allergic);
    row->addWidget(other, 1);
    body()->addLayout(row);
}

Form_anamnez_zab_start::Form_anamnez_zab_start(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow,
                                               QWidget *parent)
    : TriggersWindow(QStringLiteral("Form_anamnez_zab_start"), QStringLiteral("Пелорин. Начало заболевания."),
                     QStringLiteral("Начало заболевания связано с воздействием:"), dm1.anamnez_zab_start,
                     // "Стресc": the last letter is the Latin c, as the onset window has always shown it.
                     QStringLiteral("Стрес") + QLatin1Char('c'),
                     QStringLiteral("Начало заболевания ни с чем не связывает"), settings, mainWindow, parent)
{
}

Form_anamnez_zab_obostr_prich::Form_anamnez_zab_obostr_prich(db::DM1 &dm1, db::RunSettings &settings,
                                                             QWidget *mainWindow, QWidget *parent)
    : TriggersWindow(QStringLiteral("Form_anamnez_zab_obostr_prich"),
                     QStringLiteral("Пелорин. Провоцируют обострение."), QStringLiteral("Провоцируют обострение:"),
                     dm1.anamnez_zab_obostr_prich, QStringLiteral("Стресс"), QStringLiteral("Роды"), settings,
                     mainWindow, parent)
{
}

// ---------------------------------------------------------------- treatment before

Form_anamnez_zab_ranlech::Form_anamnez_zab_ranlech(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow,
                                                   QWidget *parent)
    : PickListWindow(QStringLiteral("Form_anamnez_zab_ranlech"), QStringLiteral("Пелорин. Ранее проводимое лечение."),
                     QStringLiteral("Ранее проводимое лечение:"), dm1.anamnez_zab_ranlech, settings, mainWindow, parent)
{
    auto *kinds = new QHBoxLayout;
    for (const Check &c : {Check{QStringLiteral("Стационарное"), QStringLiteral("A1_1")},
                           Check{QStringLiteral("Амбулаторное"), QStringLiteral("A1_2")},
                           Check{QStringLiteral("Стандартное"), QStringLiteral("A2_7_1")},
                           Check{QStringLiteral("Не проводилось"), QStringLiteral("Lech")}})
        kinds->addWidget(check(c, this));
    kinds->addStretch(1);
    body()->addLayout(kinds);

    auto *groups = new QHBoxLayout;
    groups->addWidget(checkGroup(QStringLiteral("Лекарственные\nсредства:"),
                                 {{QStringLiteral("Иммунодепрессанты"), QStringLiteral("A2_1_2")},
                                  {QStringLiteral("Седативные"), QStringLiteral("A2_3_3")},
                                  {QStringLiteral("Иммуномодуляторы"), QStringLiteral("A2_3_4")},
                                  {QStringLiteral("Витамины"), QStringLiteral("A2_4_1")},
                                  {QStringLiteral("Фитосборы"), QStringLiteral("A2_5_1")},
                                  {QStringLiteral("Гомеопатические"), QStringLiteral("A2_2_1")}}));
    groups->addWidget(checkGroup(QStringLiteral("Другие методы:"),
                                 {{QStringLiteral("ПУВА-терапия"), QStringLiteral("A2_1_1")},
                                  {QStringLiteral("Физиотерапевтические"), QStringLiteral("A2_3_1")}}));
    groups->addWidget(checkGroup(QStringLiteral("Наружные препараты,\nсодержащие:"),
                                 {{QStringLiteral("Нестероидные ср-ва"), QStringLiteral("A2_6_1")},
                                  {QStringLiteral("Стероидные ср-ва"), QStringLiteral("A3_1")}}));
    body()->addLayout(groups);
    body()->addWidget(editRow(QStringLiteral("Другие:"), QStringLiteral("Other"), this));
}

// ---------------------------------------------------------------- treatment of the last exacerbation

Form_anamnez_zab_obostr_lech::Form_anamnez_zab_obostr_lech(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow,
                                                           QWidget *parent)
    : PickListWindow(QStringLiteral("Form_anamnez_zab_obostr_lech"),
                     QStringLiteral("Пелорин. Лечение при последнем обострении."),
                     QStringLiteral("Лечение при последнем обострении:"), dm1.anamnez_zab_obostr_lech, settings,
                     mainWindow, parent)
{
    auto *grid = new QGridLayout;
    grid->addWidget(
        checkGroup(QStringLiteral("Экстракорпоральное:"), {{QStringLiteral("Гемодез"), QStringLiteral("A1_1")},
                                                           {QStringLiteral("Гемосорбция"), QStringLiteral("A1_2")},
                                                           {QStringLiteral("Плазмоферез"), QStringLiteral("A1_3")}}),
        0, 0);
    grid->addWidget(
        checkGroup(QStringLiteral("Антигистаминные:"), {{QStringLiteral("per os"), QStringLiteral("A2_1_1")},
                                                        {QStringLiteral("в инъекциях"), QStringLiteral("A2_1_2")}}),
        0, 1);
    grid->addWidget(checkGroup(QStringLiteral("Лекарственные препараты:"),
                               {{QStringLiteral("Седативные"), QStringLiteral("A2_2_1")},
                                {QStringLiteral("Имунномодуляторы"), QStringLiteral("A2_4_1")},
                                {QStringLiteral("Витамины"), QStringLiteral("A2_5_1")},
                                {QStringLiteral("Фитосборы"), QStringLiteral("A2_6_1")},
                                {QStringLiteral("Гомеопатические средства"), QStringLiteral("A2_7_1")}}),
                    0, 2);
    grid->addWidget(checkGroup(QStringLiteral("Имуннодепресанты:"),
                               {{QStringLiteral("метотрексат"), QStringLiteral("A2_3_1")},
                                {QStringLiteral("сандимун"), QStringLiteral("A2_3_2")},
                                {QStringLiteral("кортикостероиды per os"), QStringLiteral("A2_3_3")},
                                {QStringLiteral("кортикостероиды в инъекциях"), QStringLiteral("A2_3_4")}}),
                    0, 3);
    grid->addWidget(
        checkGroup(QStringLiteral("Ферменты ЖКТ:"), {{QStringLiteral("креон"), QStringLiteral("A5_1")},
                                                     {QStringLiteral("фестал"), QStringLiteral("A5_2")},
                                                     {QStringLiteral("мезим форте"), QStringLiteral("A5_3")}}),
        1, 0);
    grid->addWidget(
        checkGroup(QStringLiteral("Энтеросорбенты:"), {{QStringLiteral("энтеросгель"), QStringLiteral("A5_4")},
                                                       {QStringLiteral("лактофильтрум"), QStringLiteral("A5_5")}}),
        1, 1);
    grid->addWidget(checkGroup(QStringLiteral("Наружные препараты,\nсодержащие:"),
                               {{QStringLiteral("Кортикостероидные мази"), QStringLiteral("A4_1")},
                                {QStringLiteral("Дёготь"), QStringLiteral("A4_2")},
                                {QStringLiteral("Нафталан"), QStringLiteral("A4_3")},
                                {QStringLiteral("Кальциопотриол"), QStringLiteral("A4_4")},
                                {QStringLiteral("Дитранол"), QStringLiteral("A4_5")},
                                {QStringLiteral("Салициловая кислота"), QStringLiteral("A4_6")},
                                {QStringLiteral("Мочевина"), QStringLiteral("A4_7")},
                                {QStringLiteral("Цинк"), QStringLiteral("A4_8")}},
                               2),
                    1, 2);
    grid->addWidget(checkGroup(QStringLiteral("Физиотерапевтичекое:"),
                               {{QStringLiteral("ПУВА"), QStringLiteral("A3_1")},
                                {QStringLiteral("Ре-ПУВА"), QStringLiteral("A3_2")},
                                {QStringLiteral("Ме-ПУВА"), QStringLiteral("A3_3")},
                                {QStringLiteral("СФТ"), QStringLiteral("A3_4")},
                                {QStringLiteral("Иглорефлексотерапия"), QStringLiteral("A3_5")},
                                {QStringLiteral("Лечебные ванны"), QStringLiteral("A3_6")},
                                {QStringLiteral("Грязелечение"), QStringLiteral("A3_7")}},
                               2),
                    1, 3);
    body()->addLayout(grid);

    auto *last = new QHBoxLayout;
    last->addWidget(check({QStringLiteral("Лечение не проводилось"), QStringLiteral("Lech")}, this));
    last->addSpacing(16);
    last->addWidget(editRow(QStringLiteral("Другие:"), QStringLiteral("Other"), this), 1);
    body()->addLayout(last);
}

// ---------------------------------------------------------------- complaints

Form_anamnez_zab_zalobi::Form_anamnez_zab_zalobi(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings,
                                                 QWidget *mainWindow, QWidget *parent)
    : PickListWindow(QStringLiteral("Form_anamnez_zab_zalobi"), QStringLiteral("Пелорин. Жалобы пациентов."),
                     QStringLiteral("Жалобы пациента"), dm1.anamnez_zab_zalobi, settings, mainWindow, parent),
      m_dm1(dm1), m_dm2(dm2)
{
    auto *groups = new QHBoxLayout;
    groups->addWidget(checkGroup(QStringLiteral("Общие симптомы:"),
                                 {{QStringLiteral("Головокружение"), QStringLiteral("A1_1")},
                                  {QStringLiteral("Головная боль"), QStringLiteral("A1_2")},
                                  {QStringLiteral("Потеря аппетита"), QStringLiteral("A1_3")},
                                  {QStringLiteral("Повышение температуры"), QStringLiteral("A1_5")},
                                  {QStringLiteral("Ухудшение общего состояния"), QStringLiteral("A1_6")},
                                  {QStringLiteral("Снижение массы тела"), QStringLiteral("A1_7")}}));
    groups->addWidget(checkGroup(QStringLiteral("Кожные симптомы:"),
                                 {{QStringLiteral("Сухость"), QStringLiteral("A1_4")},
                                  {QStringLiteral("Боль в области высыпания"), QStringLiteral("A2_1")},
                                  {QStringLiteral("Чувство стянутости"), QStringLiteral("A2_2")},
                                  {QStringLiteral("Зуд"), QStringLiteral("A2_3")},
                                  {QStringLiteral("Жжение"), QStringLiteral("A2_4")},
                                  {QStringLiteral("Шелушение"), QStringLiteral("A2_5")},
                                  {QStringLiteral("Покраснение"), QStringLiteral("A2_6")},
                                  {QStringLiteral("Мокнутие"), QStringLiteral("A2_7")},
                                  {QStringLiteral("Трещины"), QStringLiteral("A2_12")}}));
    groups->addWidget(
        checkGroup(QStringLiteral("Высыпания на:"), {{QStringLiteral("голове"), QStringLiteral("A2_8")},
                                                     {QStringLiteral("верхних конечностях"), QStringLiteral("A2_9")},
                                                     {QStringLiteral("нижних конечностях"), QStringLiteral("A2_10")},
                                                     {QStringLiteral("туловище"), QStringLiteral("A2_11")}}));
    groups->addWidget(checkGroup(QStringLiteral("Другие симптомы:"),
                                 {{QStringLiteral("Боль в суставах"), QStringLiteral("A3_1")},
                                  {QStringLiteral("Изменение формы ногтей"), QStringLiteral("A3_2")},
                                  {QStringLiteral("Изменение формы суставов"), QStringLiteral("A3_3")},
                                  {QStringLiteral("Выпадение волос"), QStringLiteral("A3_4")},
                                  {QStringLiteral("Нарушение сна"), QStringLiteral("A3_5")}}));
    body()->addLayout(groups);
    body()->addWidget(editRow(QStringLiteral("Другое"), QStringLiteral("Other"), this));
}

void Form_anamnez_zab_zalobi::apply()
{
    applyComplaints(m_dm1, m_dm2, [this] { close(); });
}

} // namespace pelorin::anamnesis
