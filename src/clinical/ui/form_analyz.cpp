#include "form_analyz.h"

#include "datamodules.h"
#include "dbcontrols.h"
#include "recordops.h"
#include "settings.h"
#include "table.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace pelorin::clinical {

namespace {

// One examination of the blood group: its check box on top, the values below.
struct Block
{
    QGroupBox *box;
    QGridLayout *grid;
    int row = 1;
};

Block block(QWidget *parent, db::Table *t, const QString &caption, const QString &doneField,
            const QString &normalField = {})
{
    Block b{new QGroupBox(parent), nullptr};
    b.grid = new QGridLayout(b.box);
    b.grid->setContentsMargins(6, 4, 6, 4);
    b.grid->setVerticalSpacing(3);
    auto *done = new ui::DBCheckBox(caption, t, doneField, b.box);
    done->setObjectName(doneField);
    QFont bold = done->font();
    bold.setBold(true);
    done->setFont(bold);
    b.grid->addWidget(done, 0, 0, 1, 3);
    if (!normalField.isEmpty()) {
        auto *normal = new ui::DBCheckBox(QStringLiteral("Норма"), t, normalField, b.box);
        normal->setObjectName(normalField);
        b.grid->addWidget(normal, 0, 3, Qt::AlignRight);
    }
    b.grid->setColumnStretch(1, 1);
    return b;
}

ui::DBEdit *edit(QWidget *parent, db::Table *t, const QString &field)
{
    auto *e = new ui::DBEdit(t, field, parent);
    e->setObjectName(field);
    return e;
}

// A short value: label, edit and unit on one row.
void valueRow(Block &b, db::Table *t, const QString &label, const QString &field, const QString &unit = {})
{
    auto *e = edit(b.box, t, field);
    e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
    auto *l = new QLabel(label, b.box);
    l->setBuddy(e);
    b.grid->addWidget(l, b.row, 0);
    b.grid->addWidget(e, b.row, 1, Qt::AlignLeft);
    if (!unit.isEmpty())
        b.grid->addWidget(new QLabel(unit, b.box), b.row, 2, 1, 2);
    ++b.row;
}

// The free text of a block ("Другие:") over the whole width.
void otherRow(Block &b, db::Table *t, const QString &field, const QString &label = QStringLiteral("Другие:"))
{
    auto *e = edit(b.box, t, field);
    auto *l = new QLabel(label, b.box);
    l->setBuddy(e);
    b.grid->addWidget(l, b.row, 0);
    b.grid->addWidget(e, b.row, 1, 1, 3);
    ++b.row;
}

ui::DBMemo *memo(QWidget *parent, db::Table *t, const QString &field)
{
    auto *m = new ui::DBMemo(t, field, parent);
    m->setObjectName(field);
    m->setFixedHeight(m->fontMetrics().lineSpacing() * 4 + 10);
    return m;
}

// A Boolean field shown as two radio buttons: the first stores true, the second false.
ui::DBRadioGroup *yesNo(QWidget *parent, db::Table *t, const QString &caption, const QString &field,
                        const QString &setText, const QString &clearText)
{
    auto *g = new ui::DBRadioGroup(t, field, parent);
    g->setObjectName(field);
    g->setTitle(caption);
    g->setColumns(2);
    g->setItems({setText, clearText});
    // One row of two buttons under its caption, without the room of a full group.
    g->layout()->setContentsMargins(6, 0, 6, 0);
    return g;
}

} // namespace

Form_analyz::Form_analyz(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent)
    : ui::EditingWindow(parent), m_analyz(dm2.analyz), m_settings(settings)
{
    holdMainWindow(mainWindow, [this] { return m_settings.noFastScrolling; });
    setObjectName(QStringLiteral("Form_analyz"));
    setWindowTitle(QStringLiteral("Пелорин. Исследование крови."));
    setModal(false);

    m_groups[Blood] = buildBlood();
    m_groups[Stool] = buildStool();
    m_groups[Other] = buildOther();

    auto *apply = new QPushButton(QStringLiteral("Применить"), this);
    apply->setObjectName(QStringLiteral("Button1"));
    apply->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, &Form_analyz::apply);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(apply);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (QGroupBox *g : m_groups)
        layout->addWidget(g);
    layout->addLayout(buttons);
    // One group at a time, from the first opening on: all three together are taller than a screen.
    m_groups[Stool]->hide();
    m_groups[Other]->hide();
}

Form_analyz::~Form_analyz() = default;

QGroupBox *Form_analyz::buildBlood()
{
    db::Table *t = m_analyz;
    auto *group = new QGroupBox(QStringLiteral("Исследование крови"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *columns = new QHBoxLayout(group);
    auto *left = new QVBoxLayout;
    auto *middle = new QVBoxLayout;
    auto *right = new QVBoxLayout;

    Block clinical =
        block(group, t, QStringLiteral("Клинический анализ крови"), QStringLiteral("B1"), QStringLiteral("C1"));
    valueRow(clinical, t, QStringLiteral("СОЭ"), QStringLiteral("B11"), QStringLiteral("мм\\ч"));
    valueRow(clinical, t, QStringLiteral("Эозинофилы"), QStringLiteral("B12"), QStringLiteral("%"));
    valueRow(clinical, t, QStringLiteral("Лейкоциты"), QStringLiteral("B13"), QStringLiteral("х 10^9/л"));
    otherRow(clinical, t, QStringLiteral("B14"));
    left->addWidget(clinical.box);

    Block biochemical =
        block(group, t, QStringLiteral("Биохимический анализ крови"), QStringLiteral("B2"), QStringLiteral("C2"));
    valueRow(biochemical, t, QStringLiteral("Холестерин"), QStringLiteral("B21"), QStringLiteral("ммоль/л"));
    valueRow(biochemical, t, QStringLiteral("Триглицериды"), QStringLiteral("B22"), QStringLiteral("ммоль/л"));
    valueRow(biochemical, t, QStringLiteral("Общий билирубин"), QStringLiteral("B23"), QStringLiteral("ммоль/л"));
    valueRow(biochemical, t, QStringLiteral("АлАТ"), QStringLiteral("B24"), QStringLiteral("ед."));
    valueRow(biochemical, t, QStringLiteral("АсАТ"), QStringLiteral("B25"), QStringLiteral("ед."));
    otherRow(biochemical, t, QStringLiteral("B26"));
    left->addWidget(biochemical.box);

    Block totalIgE = block(group, t, QStringLiteral("Общий иммуноглобулин Е"), QStringLiteral("B31"));
    valueRow(totalIgE, t, QStringLiteral("Значение:"), QStringLiteral("B3"));
    left->addWidget(totalIgE.box);
    left->addStretch(1);

    Block allergens = block(group, t, QStringLiteral("Аллергенспецифические иммуноглобулины Е"), QStringLiteral("B4"));
    // The first item, a single blank, clears the value.
    const QStringList levels = {QStringLiteral(" "), QStringLiteral("норма"), QStringLiteral("высокий уровень"),
                                QStringLiteral("средний уровень"), QStringLiteral("низкий уровень")};
    const std::pair<const char16_t *, const char *> kinds[] = {
        {u"Бытовые:", "I1"},   {u"Эпидермальные:", "I2"}, {u"Пищевые:", "I3"},
        {u"Пыльцевые:", "I4"}, {u"Грибковые:", "I5"},     {u"Бактериальные:", "I6"},
    };
    for (const auto &[label, field] : kinds) {
        auto *combo = new ui::DBComboBox(t, QString::fromLatin1(field), allergens.box);
        combo->setObjectName(QString::fromLatin1(field));
        combo->setItems(levels);
        combo->setEditable(true);
        auto *l = new QLabel(QString::fromUtf16(label), allergens.box);
        l->setBuddy(combo);
        allergens.grid->addWidget(l, allergens.row, 0);
        allergens.grid->addWidget(combo, allergens.row, 1, 1, 3);
        ++allergens.row;
    }
    allergens.grid->addWidget(memo(allergens.box, t, QStringLiteral("B42")), allergens.row++, 0, 1, 4);
    middle->addWidget(allergens.box);

    Block helminths = block(group, t, QStringLiteral("Антитела к антигенам гельминтов"), QStringLiteral("B5"));
    const std::pair<const char16_t *, const char *> antigens[] = {
        {u"Описторхии", "B51"}, {u"Трихинелла", "B52"}, {u"Эхинококк", "B53"},
        {u"Токсокара", "B54"},  {u"Лямблии", "B55"},
    };
    for (const auto &[caption, field] : antigens) {
        helminths.grid->addWidget(yesNo(helminths.box, t, QString::fromUtf16(caption), QString::fromLatin1(field),
                                        QStringLiteral("положительно"), QStringLiteral("отрицательно")),
                                  helminths.row++, 0, 1, 4);
    }
    otherRow(helminths, t, QStringLiteral("B56"));
    middle->addWidget(helminths.box);
    middle->addStretch(1);

    Block cellular = block(group, t, QStringLiteral("Исследование клеточного иммунитета"), QStringLiteral("B6"));
    {
        auto *percent = edit(cellular.box, t, QStringLiteral("B611"));
        auto *absolute = edit(cellular.box, t, QStringLiteral("B612"));
        const int width = percent->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8;
        percent->setMaximumWidth(width);
        absolute->setMaximumWidth(width);
        auto *row = new QHBoxLayout;
        // In a grid of its own spacing the row would run its words into the boxes.
        row->setSpacing(6);
        auto *l = new QLabel(QStringLiteral("Лимфоциты:"), cellular.box);
        l->setBuddy(percent);
        row->addWidget(l);
        row->addWidget(percent);
        auto *l2 = new QLabel(QStringLiteral("%,     абс. зн-е:"), cellular.box);
        l2->setBuddy(absolute);
        row->addWidget(l2);
        row->addWidget(absolute);
        row->addStretch(1);
        cellular.grid->addLayout(row, cellular.row++, 0, 1, 4);
    }
    const std::pair<const char16_t *, const char *> markers[] = {
        {u"CD3", "B62"}, {u"CD4", "B63"}, {u"CD8", "B64"}, {u"CD19", "B65"}, {u"CD16", "B66"}, {u"CD4\\CD8", "B67"},
    };
    for (const auto &[label, field] : markers)
        valueRow(cellular, t, QString::fromUtf16(label), QString::fromLatin1(field));
    otherRow(cellular, t, QStringLiteral("B68"));
    right->addWidget(cellular.box);

    Block interleukins = block(group, t, QStringLiteral("Интерлейкины"), QStringLiteral("B7"));
    for (int i = 1; i <= 6; ++i)
        valueRow(interleukins, t, QStringLiteral("#%1").arg(i), QStringLiteral("B7%1").arg(i));
    otherRow(interleukins, t, QStringLiteral("B77"));
    right->addWidget(interleukins.box);
    right->addStretch(1);

    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right);
    return group;
}

QGroupBox *Form_analyz::buildStool()
{
    db::Table *t = m_analyz;
    auto *group = new QGroupBox(QStringLiteral("Исследование кала"), this);
    group->setObjectName(QStringLiteral("GroupBox2"));
    auto *row = new QHBoxLayout(group);
    struct Test
    {
        const char16_t *caption;
        const char *done;
        const char *found;
        const char *description;
        const char16_t *setText;
        const char16_t *clearText;
    };
    const Test tests[] = {
        {u"Кал на яйца гельминтов", "B9", "B91", "B92", u"обнаружены", u"не обнаружены"},
        {u"Кал на патогенные простейшие", "B10_0", "B10_1", "B10_2", u"обнаружены", u"не обнаружены"},
        {u"Бактериологическое исследование кала", "B11_0", "B11_1", "B11_2", u"отклонение", u"норма"},
    };
    for (const Test &test : tests) {
        Block b = block(group, t, QString::fromUtf16(test.caption), QString::fromLatin1(test.done));
        b.grid->addWidget(yesNo(b.box, t, QString(), QString::fromLatin1(test.found), QString::fromUtf16(test.setText),
                                QString::fromUtf16(test.clearText)),
                          b.row++, 0, 1, 4);
        b.grid->addWidget(memo(b.box, t, QString::fromLatin1(test.description)), b.row++, 0, 1, 4);
        row->addWidget(b.box, 1, Qt::AlignTop);
    }
    return group;
}

QGroupBox *Form_analyz::buildOther()
{
    db::Table *t = m_analyz;
    auto *group = new QGroupBox(QStringLiteral("Другие методы исследования"), this);
    group->setObjectName(QStringLiteral("GroupBox3"));
    auto *pages = new QTabWidget(group);
    pages->setObjectName(QStringLiteral("PageControl1"));

    auto *ultrasound = new QWidget(pages);
    Block b = block(ultrasound, t, QStringLiteral("УЗИ органов брюшной полости"), QStringLiteral("B8"));
    b.grid->addWidget(yesNo(b.box, t, QString(), QStringLiteral("B81"), QStringLiteral("отклонение(я) от нормы"),
                            QStringLiteral("норма")),
                      b.row++, 0, 1, 4);
    b.grid->addWidget(memo(b.box, t, QStringLiteral("B82")), b.row++, 0, 1, 4);
    (new QVBoxLayout(ultrasound))->addWidget(b.box);
    pages->addTab(ultrasound, QStringLiteral("УЗИ органов брюшной полости"));

    auto *consultations = new QWidget(pages);
    auto *cl = new QVBoxLayout(consultations);
    auto *d2 = memo(consultations, t, QStringLiteral("D2"));
    d2->setFixedHeight(d2->fontMetrics().lineSpacing() * 6 + 10);
    auto *label = new QLabel(QStringLiteral("Консультации специалистов"), consultations);
    label->setBuddy(d2);
    cl->addWidget(label);
    cl->addWidget(d2);
    pages->addTab(consultations, QStringLiteral("Консультация специалистов"));

    auto *layout = new QVBoxLayout(group);
    layout->addWidget(pages);
    group->setMinimumWidth(520);
    return group;
}

void Form_analyz::showGroup(Group group)
{
    for (int g = Blood; g <= Other; ++g)
        m_groups[g]->setVisible(g == group);
    show();
    raise();
    activateWindow();
}

void Form_analyz::apply()
{
    db::applyPending(*m_analyz);
    close();
}

} // namespace pelorin::clinical
