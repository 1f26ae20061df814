#include "diagnoz_windows.h"

#include "clock.h"
#include "datamodules.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "diagnoz_ops.h"
#include "settings.h"
#include "table.h"
#include "texts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelorin::clinical {

namespace {

QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

using Checks = std::initializer_list<std::pair<const char *, const char *>>;

// Check boxes of the event's fields in a column; each named after its field.
void addChecks(db::Table *t, QWidget *parent, QVBoxLayout *l, Checks checks)
{
    for (const auto &[field, caption] : checks) {
        auto *c = new ui::DBCheckBox(QString::fromUtf8(caption), t, QString::fromLatin1(field), parent);
        c->setObjectName(QString::fromLatin1(field));
        l->addWidget(c);
    }
}

} // namespace

Form_diagnoz::Form_diagnoz(db::DM1 &, db::DM2 &dm2, db::RunSettings &settings, DiagnozOps &ops, QWidget *mainWindow)
    : m_dm2(dm2), m_settings(settings), m_ops(ops)
{
    holdMainWindow(mainWindow, [this] { return m_settings.noFastScrolling; });
    setObjectName(QStringLiteral("Form_diagnoz"));
    setWindowTitle(QStringLiteral("Пелорин. Постановка диагнозов пациенту."));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    db::Table *t = dm2.diagnoz;
    auto *outer = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Постановка диагнозов пациенту."), this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    title->setFont(big);
    outer->addWidget(title);

    auto *top = new QHBoxLayout;
    auto *grid = new ui::DBGrid(t,
                                {{QStringLiteral("Data"), QStringLiteral("Дата")},
                                 {QStringLiteral("kurs_calk"), QStringLiteral("№ курса")},
                                 {QStringLiteral("Text"), QStringLiteral("Описание диагноза")},
                                 {QStringLiteral("Text_type"), QStringLiteral("Описание события")}},
                                this);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    grid->setColumnWidthChars(0, 12);
    grid->setColumnWidthChars(1, 8);
    grid->setColumnWidthChars(2, 30);
    grid->setColumnWidthChars(3, 16);
    grid->setColumnWidthFor(3, {QStringLiteral("Поступил впервые"), QStringLiteral("Поступил"), QStringLiteral("Выписан")});
    grid->setMinimumHeight(120);
    connect(grid, &QAbstractItemView::clicked, this, &Form_diagnoz::syncCalendar);
    top->addWidget(grid, 3);

    auto *event = new QWidget(this);
    auto *ef = new QFormLayout(event);
    auto *date = new ui::DBEdit(t, QStringLiteral("Data"), event);
    date->setObjectName(QStringLiteral("DBEdit1"));
    date->setReadOnly(true);
    m_calendar = new QDateEdit(event);
    m_calendar->setObjectName(QStringLiteral("DateTimePicker2"));
    m_calendar->setCalendarPopup(true);
    m_calendar->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    connect(m_calendar, &QDateEdit::dateChanged, this, [this, t](const QDate &picked) {
        if (m_syncing || !isVisible())
            return;
        if (!t->isEditing())
            t->edit();
        t->setValue(QStringLiteral("Data"), picked);
    });
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(date);
    dateRow->addWidget(m_calendar);
    ef->addRow(QStringLiteral("Дата события\\диагноза:"), dateRow);
    auto *status = new ui::DBComboBox(t, QStringLiteral("Text"), event);
    status->setObjectName(QStringLiteral("DBComboBox1"));
    status->setEditable(false);
    status->setItems({kFirstAdmission, kAdmission, kDischarge});
    ef->addRow(QStringLiteral("Описание диагноза:"), status);
    auto *label = new ui::DBEdit(t, QStringLiteral("Text_type"), event);
    label->setObjectName(QStringLiteral("DBEdit2"));
    label->setReadOnly(true);
    ef->addRow(QStringLiteral("Описание события:"), label);
    top->addWidget(event, 2);
    outer->addLayout(top);

    // The description of the disease.
    auto *description = new QGroupBox(QStringLiteral("Описание диагноза:"), this);
    auto *dl = new QHBoxLayout(description);
    auto *disease = new QWidget(description);
    auto *dis = new QVBoxLayout(disease);
    dis->setContentsMargins(0, 0, 0, 0);
    dis->setSpacing(2);
    addChecks(t, disease, dis, {{"B1", "Псориаз."}});
    auto *psoriasis = new QGridLayout;
    const std::pair<const char *, const char *> forms[] = {
        {"A1_1", "Фолликулярный"},   {"A1_2", "Каплевидный"},      {"A1_3", "Бляшечный"},
        {"A1_4", "Экссудативный"},   {"A1_5", "Себорейный"},       {"A1_6", "Эритродермический"},
        {"A1_7", "Артропатический"}, {"A1_8", "Пустулезный"},      {"A1_9", "Ладоней и подошв"},
        {"A1_10", "Ногтей"},         {"A1_11", "Волосистой части головы"}, {"A1_12", "Складок"}};
    int i = 0;
    for (const auto &[field, caption] : forms) {
        auto *c = new ui::DBCheckBox(QString::fromUtf8(caption), t, QString::fromLatin1(field), disease);
        c->setObjectName(QString::fromLatin1(field));
        psoriasis->addWidget(c, i % 6, i / 6);
        ++i;
    }
    psoriasis->setContentsMargins(16, 0, 0, 0);
    psoriasis->setVerticalSpacing(2);
    dis->addLayout(psoriasis);
    addChecks(t, disease, dis, {{"B2", "Атопический дерматит."}});
    auto *atopic = new QVBoxLayout;
    atopic->setContentsMargins(16, 0, 0, 0);
    atopic->setSpacing(2);
    addChecks(t, disease, atopic, {{"B1_1", "Экссудативный"}, {"B1_2", "Эритерматозно-сквамозный"}});
    auto *lichen = new QHBoxLayout;
    lichen->setSpacing(6);
    auto *b13 = new ui::DBCheckBox(QStringLiteral("Эритерматозно-сквамозный"), t, QStringLiteral("B1_3"), disease);
    b13->setObjectName(QStringLiteral("B1_3"));
    lichen->addWidget(b13);
    lichen->addWidget(new QLabel(QStringLiteral("с лихенификацией"), disease));
    lichen->addStretch();
    atopic->addLayout(lichen);
    addChecks(t, disease, atopic, {{"B1_4", "Лихеноидная"}, {"B1_5", "Пругигоподобная"}});
    dis->addLayout(atopic);
    auto *otherRow = new QHBoxLayout;
    otherRow->setSpacing(6);
    otherRow->addWidget(new QLabel(QStringLiteral("Другое."), disease));
    auto *other = new ui::DBComboBox(t, QStringLiteral("C1"), disease);
    other->setObjectName(QStringLiteral("C1"));
    other->setEditable(true);
    other->setItems({QStringLiteral(" "), QStringLiteral("Угревая болезнь")});
    otherRow->addWidget(other, 1);
    dis->addLayout(otherRow);
    dis->addStretch();
    dl->addWidget(disease, 3);

    auto *spread = new QGroupBox(QStringLiteral("Распространенность кожного процесса."), description);
    auto *sl = new QVBoxLayout(spread);
    // Fourteen rows: kept tight so the window fits a laptop screen whatever its fonts.
    sl->setSpacing(2);
    sl->addWidget(new QLabel(QStringLiteral("Локализованный"), spread));
    addChecks(t, spread, sl,
              {{"111", "Волоссистой части головы"}, {"112", "Ладоней"}, {"113", "Подошв"}, {"114", "Ногтей"},
               {"115", "Складок"}, {"116", "Коленных суставов"}, {"117", "Локтевых суставов"}, {"118", "Лица"},
               {"119", "Шеи"}, {"1110", "Стоп"}, {"1111", "Кистей рук"}, {"12", "Распространенный"},
               {"13", "Диффузный"}});
    sl->addStretch();
    dl->addWidget(spread, 2);

    auto *right = new QVBoxLayout;
    auto *stage = new QGroupBox(QStringLiteral("Стадия заболевания."), description);
    auto *stl = new QVBoxLayout(stage);
    stl->setSpacing(2);
    addChecks(t, stage, stl,
              {{"21", "Обострение"}, {"22", "Подострая"}, {"23", "Хроническая"}, {"24", "Стационарная"},
               {"25", "Регресса высыпаний"}, {"26", "Ремиссии"}});
    right->addWidget(stage);
    auto radio = [&](const char *field, const QString &caption, const QStringList &items, bool severity) {
        auto *r = new ui::DBRadioGroup(t, QString::fromLatin1(field), description);
        r->setObjectName(QString::fromLatin1(field));
        r->setTitle(caption);
        r->setItems(items);
        QStringList values;
        for (int v = 1; v <= items.size(); ++v)
            values << QString::number(v);
        r->setValues(values);
        auto *x = button(description, QStringLiteral("ButtonClear") + QString::fromLatin1(field), QStringLiteral("Х"));
        x->setFixedWidth(28);
        connect(x, &QPushButton::clicked, this, [this, severity] {
            if (severity)
                m_ops.clearSeverity();
            else
                m_ops.clearEffect();
        });
        auto *h = new QHBoxLayout;
        h->addWidget(r, 1);
        h->addWidget(x, 0, Qt::AlignTop);
        right->addLayout(h);
    };
    radio("30", QStringLiteral("Степень тяжести"),
          {QStringLiteral("Легкая"), QStringLiteral("Средняя"), QStringLiteral("Тяжелая")}, true);
    radio("40", QStringLiteral("Эффект от лечения"),
          {QStringLiteral("Клиническое выздоровление"), QStringLiteral("Значительное улучшение"),
           QStringLiteral("Улучшение"), QStringLiteral("Без улучшения")},
          false);
    right->addStretch();
    dl->addLayout(right, 2);
    outer->addWidget(description, 1);

    auto *buttons = new QHBoxLayout;
    auto *add = button(this, QStringLiteral("Button1"), QStringLiteral("Новое событие\\диагноз"));
    auto *remove = button(this, QStringLiteral("Button2"), QStringLiteral("Удалить событие\\диагноз"));
    auto *apply = button(this, QStringLiteral("Button3"), QStringLiteral("Применить"));
    auto *applyClose = button(this, QStringLiteral("Button4"), QStringLiteral("Применить и закрыть"));
    connect(add, &QPushButton::clicked, this, [this] {
        m_ops.newEvent();
        syncCalendar();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        m_ops.deleteEvent();
        syncCalendar();
    });
    connect(apply, &QPushButton::clicked, this, [this] { m_ops.apply(); });
    connect(applyClose, &QPushButton::clicked, this, [this] {
        m_ops.apply();
        close();
    });
    for (QPushButton *b : {add, remove, apply, applyClose})
        buttons->addWidget(b);
    buttons->addStretch();
    outer->addLayout(buttons);
    connect(t, &db::Table::currentChanged, this, [this] {
        if (isVisible())
            syncCalendar();
    });
}

void Form_diagnoz::open(bool last)
{
    db::Table &t = *m_dm2.diagnoz;
    show();
    raise();
    if (t.isEmpty())
        m_ops.newEvent();
    else if (last)
        t.last();
    syncCalendar();
}

void Form_diagnoz::syncCalendar()
{
    const db::Table &t = *m_dm2.diagnoz;
    m_syncing = true;
    m_calendar->setDate(t.isEmpty() || t.isNull(QStringLiteral("Data")) ? clock::today() : t.asDate(QStringLiteral("Data")));
    m_syncing = false;
}

void Form_diagnoz::showEvent(QShowEvent *event)
{
    ui::EditingWindow::showEvent(event);
    syncCalendar();
}

bool Form_diagnoz::closing()
{
    m_ops.closeWindow();
    return true;
}

Form_diagnoz_lite::Form_diagnoz_lite(DiagnozOps &ops, Form_diagnoz *full, QWidget *parent)
    : QDialog(parent), m_ops(ops), m_full(full)
{
    setObjectName(QStringLiteral("Form_diagnoz_lite"));
    setWindowTitle(QStringLiteral("Пелорин."));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto *l = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Диагноз при первом поступлении"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    l->addWidget(title);
    m_psoriasis = new QCheckBox(QStringLiteral("Псориаз"), this);
    m_psoriasis->setObjectName(QStringLiteral("CheckBox1"));
    m_atopic = new QCheckBox(QStringLiteral("Атопический дерматит"), this);
    m_atopic->setObjectName(QStringLiteral("CheckBox2"));
    l->addWidget(m_psoriasis);
    l->addWidget(m_atopic);
    auto *otherRow = new QHBoxLayout;
    otherRow->addWidget(new QLabel(QStringLiteral("Другое:"), this));
    m_other = new QLineEdit(this);
    m_other->setObjectName(QStringLiteral("Edit1"));
    otherRow->addWidget(m_other, 1);
    l->addLayout(otherRow);
    auto *more = button(this, QStringLiteral("Button1"), QStringLiteral("Подробнее..."));
    auto *apply = button(this, QStringLiteral("Button2"), QStringLiteral("Применить"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(more);
    buttons->addStretch();
    buttons->addWidget(apply);
    l->addLayout(buttons);
    connect(more, &QPushButton::clicked, this, [this] {
        close();
        if (m_full)
            m_full->open(false);
    });
    connect(apply, &QPushButton::clicked, this, [this] {
        m_ops.quickFirst(m_psoriasis->isChecked(), m_atopic->isChecked(), m_other->text());
        close();
    });
}

DiagnozPage::DiagnozPage(db::Table *diagnoz, QWidget *parent) : QWidget(parent), m_diagnoz(diagnoz)
{
    setObjectName(QStringLiteral("DiagnozPage"));
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    auto *grid = new QGridLayout;
    grid->setSpacing(3);
    for (int i = 0; i < 10; ++i) {
        auto *panel = new QGroupBox(this);
        panel->setObjectName(QStringLiteral("PanelDiagnoz%1").arg(i + 1));
        // The grid keeps its five rows however few events there are.
        QSizePolicy policy = panel->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        panel->setSizePolicy(policy);
        auto *pl = new QGridLayout(panel);
        pl->setContentsMargins(4, 2, 4, 2);
        QList<QLabel *> labels;
        for (int k = 0; k < 4; ++k) {
            auto *lab = new QLabel(panel);
            lab->setTextInteractionFlags(Qt::TextSelectableByMouse);
            labels << lab;
        }
        QFont bold = labels[0]->font();
        bold.setBold(true);
        labels[0]->setFont(bold);
        labels[3]->setWordWrap(true);
        labels[3]->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        pl->addWidget(labels[0], 0, 0);
        pl->addWidget(labels[1], 0, 1);
        pl->addWidget(labels[2], 0, 2, Qt::AlignRight);
        pl->addWidget(labels[3], 1, 0, 1, 3);
        pl->setRowStretch(1, 1);
        m_panels << labels;
        // Two columns by five rows, filled row by row.
        grid->addWidget(panel, i / 2, i % 2);
    }
    l->addLayout(grid, 1);
    auto *edit = button(this, QStringLiteral("Button26"), QStringLiteral("Поставить \\ изменить."));
    connect(edit, &QPushButton::clicked, this, &DiagnozPage::editRequested);
    l->addWidget(edit, 0, Qt::AlignRight);
    connect(diagnoz, &db::Table::rowsChanged, this, &DiagnozPage::refresh);
    connect(diagnoz, &db::Table::currentChanged, this, &DiagnozPage::refresh);
    connect(diagnoz, &db::Table::recordChanged, this, [this](int) { refresh(); });
}

void DiagnozPage::refresh()
{
    const db::Table &t = *m_diagnoz;
    // The ten panels show the ten events around the current one, as a page of the list.
    const int count = t.recordCount();
    const int current = std::max(t.recNo() - 1, 0);
    const int start = count <= 10 ? 0 : std::min(current / 10 * 10, count - 10);
    const int text = t.fieldIndex(QStringLiteral("Text"));
    const int kurs = t.fieldIndex(QStringLiteral("kurs_calk"));
    const int data = t.fieldIndex(QStringLiteral("Data"));
    const int list = t.fieldIndex(QStringLiteral("List"));
    for (int i = 0; i < 10; ++i) {
        const int row = start + i;
        QList<QLabel *> &labels = m_panels[i];
        const bool used = row < count;
        labels[0]->parentWidget()->setVisible(used);
        if (!used)
            continue;
        const QVariant date = t.valueAt(row, data);
        labels[0]->setText(t.valueAt(row, text).toString());
        labels[1]->setText(QStringLiteral("Курс № ") + t.valueAt(row, kurs).toString());
        labels[2]->setText(date.isValid() ? text::shortDate(date.toDate()) : QString());
        labels[3]->setText(t.valueAt(row, list).toString());
    }
}

} // namespace pelorin::clinical
