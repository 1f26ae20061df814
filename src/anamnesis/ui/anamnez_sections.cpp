#include "anamnez_sections.h"

#include "anamnesis_ops.h"
#include "datamodules.h"
#include "dbcontrols.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelorin::anamnesis {

namespace {

// Every pick list of the sections takes free text as well as its items. Long items do not widen the section:
// the list shows `chars` characters and opens wider.
ui::DBComboBox *pick(db::Table *table, const char *name, const QString &field, const QStringList &items, int chars,
                     QWidget *parent)
{
    auto *combo = new ui::DBComboBox(table, field, parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setItems(items);
    combo->setEditable(true);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(chars);
    return combo;
}

// A summary: read-only, it follows the ticks of its pick-list window.
ui::DBMemo *summary(db::Table *table, const QString &name, const QString &field, QWidget *parent)
{
    auto *memo = new ui::DBMemo(table, field, parent);
    memo->setObjectName(name);
    memo->setReadOnly(true);
    memo->setMinimumSize(60, 36);
    return memo;
}

QPushButton *button(const char *name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel *label(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}

// A caption with its "Выбрать" on the right, the summary under them.
void addSummary(QVBoxLayout *column, const QString &caption, QWidget *memo, QPushButton *choose, int stretch = 1)
{
    auto *head = new QHBoxLayout;
    head->addWidget(label(caption, memo->parentWidget()), 1);
    head->addWidget(choose);
    column->addLayout(head);
    column->addWidget(memo, stretch);
}

QHBoxLayout *row(std::initializer_list<QWidget *> widgets)
{
    auto *l = new QHBoxLayout;
    for (QWidget *w : widgets)
        l->addWidget(w);
    l->addStretch(1);
    return l;
}

QGroupBox *groupBox(const QString &title, QWidget *parent)
{
    auto *g = new QGroupBox(title, parent);
    auto *l = new QVBoxLayout(g);
    l->setContentsMargins(6, 4, 6, 6);
    l->setSpacing(4);
    return g;
}

QVBoxLayout *columnOf(QGroupBox *g)
{
    return static_cast<QVBoxLayout *>(g->layout());
}

} // namespace

// ---------------------------------------------------------------- "Анамнез болезни"

AnamnezZabSection::AnamnezZabSection(db::DM1 &dm1, db::DM2 &dm2, QWidget *parent) : QWidget(parent), m_dm1(dm1)
{
    setObjectName(QStringLiteral("AnamnezZabSection"));
    db::Table *zab = dm1.anamnez_zab;
    const QStringList spans = numberItems(1, 31);

    // First manifestations.
    QGroupBox *first = groupBox(QStringLiteral("Первые проявления заболевания"), this);
    {
        QVBoxLayout *c = columnOf(first);
        c->addWidget(label(QStringLiteral("возникли в возрасте:"), first));
        c->addWidget(pick(zab, "DBComboBox5", QStringLiteral("Zalobi"), onsetAgeItems(), 16, first));
        QPushButton *calc = button("Button_onset", QStringLiteral("Рассчитать"), first);
        c->addLayout(row({label(QStringLiteral(" или"), first),
                          pick(zab, "DBComboBox21", QStringLiteral("NachZabCount"), numberItems(1, 99), 3, first),
                          pick(zab, "DBComboBox22", QStringLiteral("NachZabText"), onsetUnitItems(), 9, first),
                          label(QStringLiteral("назад."), first)}));
        c->addLayout(row({calc}));
        connect(calc, &QPushButton::clicked, this, [this] { calculateOnset(m_dm1); });
        addSummary(c, QStringLiteral("На начало заболевания влияло(и):"),
                   summary(dm1.anamnez_zab_start, QStringLiteral("DBMemo4"), QStringLiteral("List"), first),
                   button("Button_zab_start", QStringLiteral("Выбрать"), first));
    }

    // Treatment before.
    QGroupBox *before = groupBox(QStringLiteral("Ранее проводимое лечение"), this);
    {
        QVBoxLayout *c = columnOf(before);
        addSummary(c, QStringLiteral("Ранее проводимое лечение:"),
                   summary(dm1.anamnez_zab_ranlech, QStringLiteral("DBMemo5"), QStringLiteral("List"), before),
                   button("Button_zab_ranlech", QStringLiteral("Выбрать"), before));
        c->addWidget(label(QStringLiteral("Продолжительность ремиссии:"), before));
        auto *spanGrid = new QGridLayout;
        spanGrid->addWidget(label(QStringLiteral("от"), before), 0, 0);
        spanGrid->addWidget(pick(zab, "DBComboBox6", QStringLiteral("Prodolz_remis_ot_ind"), spans, 2, before), 0, 1);
        spanGrid->addWidget(
            pick(zab, "DBComboBox12", QStringLiteral("Prodolz_remis_ot_name"), spanUnitItems(), 9, before), 0, 2);
        spanGrid->addWidget(label(QStringLiteral("до"), before), 1, 0);
        spanGrid->addWidget(pick(zab, "DBComboBox11", QStringLiteral("Prodolz_remis_do_ind"), spans, 2, before), 1, 1);
        spanGrid->addWidget(
            pick(zab, "DBComboBox15", QStringLiteral("Prodolz_remis_do_name"), spanUnitItems(), 9, before), 1, 2);
        spanGrid->setColumnStretch(3, 1);
        c->addLayout(spanGrid);
        c->addWidget(label(QStringLiteral("Результат от лечения:"), before));
        c->addWidget(pick(zab, "DBComboBox16", QStringLiteral("Ran_lech_rez"), treatmentResultItems(), 14, before));
        auto *remis = new ui::DBCheckBox(QStringLiteral("Отсутствие ремиссии"), zab, QStringLiteral("Remis"), before);
        remis->setObjectName(QStringLiteral("DBCheckBox_Remis"));
        c->addWidget(remis);
    }

    // Last exacerbation.
    QGroupBox *last = groupBox(QStringLiteral("Последнее обострение"), this);
    {
        QVBoxLayout *c = columnOf(last);
        c->addWidget(label(QStringLiteral("Начало последнего обострения:"), last));
        c->addLayout(row({pick(zab, "DBComboBox10", QStringLiteral("Posl_obostr_ind"), spans, 2, last),
                          pick(zab, "DBComboBox13", QStringLiteral("Posl_obostr_name"), spanUnitItems(), 9, last),
                          label(QStringLiteral("назад."), last)}));
        addSummary(c, QStringLiteral("Провоцируют обостренние:"),
                   summary(dm1.anamnez_zab_obostr_prich, QStringLiteral("DBMemo6"), QStringLiteral("List"), last),
                   button("Button_zab_obostr_prich", QStringLiteral("Выбрать"), last));
        addSummary(c, QStringLiteral("Проведено лечение:"),
                   summary(dm1.anamnez_zab_obostr_lech, QStringLiteral("DBMemo7"), QStringLiteral("List"), last),
                   button("Button_zab_obostr_lech", QStringLiteral("Выбрать"), last));
        c->addWidget(label(QStringLiteral("Результат от лечения:"), last));
        c->addWidget(pick(zab, "DBComboBox18", QStringLiteral("Posl_obostr_rez"), treatmentResultItems(), 14, last));
    }

    // Complaints and the admission diagnosis.
    QGroupBox *complaints = groupBox(QStringLiteral("Жалобы при обращении:"), this);
    {
        QVBoxLayout *c = columnOf(complaints);
        auto *memo = summary(dm1.anamnez_zab_zalobi, QStringLiteral("DBMemo3"), QStringLiteral("List"), complaints);
        auto *choose = button("Button_zab_zalobi", QStringLiteral("Выбрать"), complaints);
        auto *head = new QHBoxLayout;
        head->addStretch(1);
        head->addWidget(choose);
        c->addLayout(head);
        c->addWidget(memo, 1);
        c->addWidget(label(QStringLiteral("Диагноз при поступлении:"), complaints));
        // The diagnosis text is calculated; it is set through the quick diagnosis window.
        auto *diagnosis = new ui::DBEdit(dm2.diagnoz, QStringLiteral("List"), complaints);
        diagnosis->setObjectName(QStringLiteral("DBEdit11"));
        diagnosis->setReadOnly(true);
        diagnosis->setCursorPosition(0);
        QPushButton *set = button("Button6", QStringLiteral("Поставить"), complaints);
        c->addWidget(diagnosis);
        c->addLayout(row({set}));
        connect(set, &QPushButton::clicked, this, &AnamnezZabSection::diagnosisRequested);
    }

    const std::pair<const char *, const char *> windows[] = {
        {"Button_zab_start", "Form_anamnez_zab_start"},
        {"Button_zab_ranlech", "Form_anamnez_zab_ranlech"},
        {"Button_zab_obostr_prich", "Form_anamnez_zab_obostr_prich"},
        {"Button_zab_obostr_lech", "Form_anamnez_zab_obostr_lech"},
        {"Button_zab_zalobi", "Form_anamnez_zab_zalobi"},
    };
    for (const auto &[buttonName, windowName] : windows) {
        const QString name = QString::fromLatin1(windowName);
        connect(findChild<QPushButton *>(QString::fromLatin1(buttonName)), &QPushButton::clicked, this,
                [this, name] { Q_EMIT windowRequested(name); });
    }

    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    for (QGroupBox *g : {first, before, last, complaints})
        columns->addWidget(g, 1);
}

// ---------------------------------------------------------------- "Анамнез жизни"

AnamnezLiveSection::AnamnezLiveSection(db::DM1 &dm1, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AnamnezLiveSection"));
    db::Table *life = dm1.anamnez_life;

    // Living conditions.
    auto *conditions = new QWidget(this);
    {
        auto *g = new QGridLayout(conditions);
        g->setContentsMargins(0, 0, 0, 0);
        auto *habits = new ui::DBCheckBox(QStringLiteral("Наличие вредных привычек"), life,
                                          QStringLiteral("Vrednie_privichki"), conditions);
        habits->setObjectName(QStringLiteral("DBCheckBox_Vrednie_privichki"));
        auto *pets = new ui::DBCheckBox(QStringLiteral("Наличие домашних животных"), life,
                                        QStringLiteral("Dom_zivotnie"), conditions);
        pets->setObjectName(QStringLiteral("DBCheckBox_Dom_zivotnie"));
        // Boolean fields: the first item stores true, the second false; a blank field selects nothing.
        auto radio = [&](const char *name, const QString &title, const QString &field, const QStringList &items) {
            auto *r = new ui::DBRadioGroup(life, field, conditions);
            r->setObjectName(QString::fromLatin1(name));
            r->setTitle(title);
            r->setColumns(2);
            r->setItems(items);
            return r;
        };
        // One row, so that the disease texts below get the height.
        g->addWidget(habits, 0, 0);
        g->addWidget(radio("DBRadioGroup_Bitovie", QStringLiteral("Бытовые условия и режим"), QStringLiteral("Bitovie"),
                           {QStringLiteral("Обычные"), QStringLiteral("Гиппоаллергенные")}),
                     0, 1);
        g->addWidget(radio("DBRadioGroup_Pitanie", QStringLiteral("Характер питания"), QStringLiteral("Pitanie"),
                           {QStringLiteral("Обычный"), QStringLiteral("Гиппоаллергенный")}),
                     0, 2);
        g->addWidget(pets, 0, 3);
        g->setHorizontalSpacing(16);
        g->setColumnStretch(4, 1);
    }

    // Family anamnesis.
    QGroupBox *family = groupBox(QStringLiteral("Семейный анамнез"), this);
    {
        QVBoxLayout *c = columnOf(family);
        QPushButton *choose = button("Button_life_sem", QStringLiteral("Выбрать"), family);
        auto *memo = summary(dm1.anamnez_life_sem, QStringLiteral("DBMemo_sem"), QStringLiteral("List"), family);
        auto *l = new QHBoxLayout;
        l->addWidget(memo, 1);
        l->addWidget(choose, 0, Qt::AlignTop);
        c->addLayout(l);
        connect(choose, &QPushButton::clicked, this,
                [this] { Q_EMIT windowRequested(QStringLiteral("Form_amamnez_life_sem")); });
    }

    // Accompanying diseases, one text per organ group, in the order the form has always shown them.
    QGroupBox *diseases = groupBox(QStringLiteral("Сопутствующие заболевания"), this);
    {
        QVBoxLayout *c = columnOf(diseases);
        const std::pair<const char *, const char *> texts[] = {
            {"ЛОР органы и полость рта", "list1"},
            {"ЖКТ", "list3"},
            {"ЦНС", "list4"},
            {"Аллергические реакции", "list2"},
            {"Дыхательные пути", "list5"},
            {"Мочевыд.\nсистема", "list6"},
            {"Глистные инвазии", "list7"},
            {"Сопутствующие\nкожные заболевания", "list8"},
            {"Атопические заболевания", "list9"},
            {"Другое", "list10"},
        };
        auto *grid = new QGridLayout;
        grid->setVerticalSpacing(2);
        int i = 0;
        for (const auto &[caption, field] : texts) {
            const int r = (i / 5) * 2;
            const int col = i % 5;
            auto *l = label(QString::fromUtf8(caption), diseases);
            l->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
            grid->addWidget(l, r, col);
            grid->addWidget(summary(dm1.anamnez_life_zab, QStringLiteral("DBMemo_") + QString::fromLatin1(field),
                                    QString::fromLatin1(field), diseases),
                            r + 1, col);
            grid->setColumnStretch(col, 1);
            ++i;
        }
        grid->setRowStretch(1, 1);
        grid->setRowStretch(3, 1);
        c->addLayout(grid, 1);
        QPushButton *choose = button("Button_life_zab", QStringLiteral("Выбрать"), diseases);
        auto *foot = new QHBoxLayout;
        foot->addStretch(1);
        foot->addWidget(choose);
        c->addLayout(foot);
        connect(choose, &QPushButton::clicked, this,
                [this] { Q_EMIT windowRequested(QStringLiteral("Form_amamnez_life_zab")); });
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(conditions);
    layout->addWidget(diseases, 3);
    layout->addWidget(family, 1);
}

} // namespace pelorin::anamnesis
