#include "puva_windows.h"

#include "datamodules.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "dialogs.h"
#include "puva_exposure.h"
#include "puva_links.h"
#include "puva_ops.h"
#include "settings.h"
#include "table.h"
#include "tablemodel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace pelorin::treatment {

namespace {

const QString kCaption = QStringLiteral("Пелорин.");

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QStringList numbers(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out;
}

ui::DBComboBox *combo(db::Table *t, const char *field, const char *name, const QStringList &items, bool editable,
                      QWidget *parent)
{
    auto *c = new ui::DBComboBox(t, QString::fromLatin1(field), parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(editable);
    c->setItems(items);
    return c;
}

ui::DBText *text(db::Table *t, const char *field, QWidget *parent)
{
    auto *l = new ui::DBText(t, QString::fromLatin1(field), parent);
    l->setObjectName(QStringLiteral("DBText_") + QString::fromLatin1(field));
    return l;
}

// A row of widgets and captions.
QHBoxLayout *row(std::initializer_list<QWidget *> widgets)
{
    auto *l = new QHBoxLayout;
    // Inside a grid of its own spacing a row would otherwise run its words together.
    l->setSpacing(6);
    for (QWidget *w : widgets)
        l->addWidget(w);
    l->addStretch();
    return l;
}

QLabel *label(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}

void topWindow(QDialog *w, const char *name, const QString &caption)
{
    w->setObjectName(QString::fromLatin1(name));
    w->setWindowTitle(caption);
    w->setWindowFlag(Qt::WindowStaysOnTopHint);
    w->setModal(false);
}

void reshow(QWidget *w)
{
    w->hide();
    w->show();
    w->raise();
}

} // namespace

void markFirstProcedures(ui::DBGrid *grid, db::Table *lech_puva)
{
    const int number = lech_puva->fieldIndex(QStringLiteral("Nom_proc"));
    ui::TableModel *model = grid->tableModel();
    grid->setCellBackground([model, number](int row, int, bool focused) -> std::optional<QColor> {
        if (model->valueAt(row, number).toString() != QLatin1String("1"))
            return std::nullopt;
        return focused ? QColor(Qt::black) : QColor(204, 255, 204);
    });
}

CourseViewBar::CourseViewBar(db::Table *reg, db::Table *lech_puva, db::RunSettings &settings, QWidget *parent)
    : QGroupBox(parent)
{
    setObjectName(QStringLiteral("CourseViewBar"));
    auto *l = new QGridLayout(this);
    m_course = new QSpinBox(this);
    m_course->setObjectName(QStringLiteral("SpinEditCourse"));
    m_course->setRange(1, 10);
    m_course->setValue(1);
    struct View
    {
        const char *name;
        const char *caption;
        CourseView view;
    };
    const View views[] = {{"ButtonAllCourses", "Вывести все полученные курсы", CourseView::All},
                          {"ButtonCourse", "Вывести курс №", CourseView::Course},
                          {"ButtonLastCourse", "Вывести последний курс", CourseView::Last},
                          {"ButtonAllButLast", "Вывести все курсы кроме последнего", CourseView::AllButLast}};
    int r = 0;
    for (const View &v : views) {
        auto *b = button(this, v.name, QString::fromUtf8(v.caption));
        const CourseView view = v.view;
        connect(b, &QPushButton::clicked, this, [=, &settings, this] {
            chooseCourseView(*reg, *lech_puva, settings, view, m_course->value());
        });
        l->addWidget(b, r, 0);
        if (view == CourseView::Course)
            l->addWidget(m_course, r, 1);
        ++r;
    }
}

CourseSelector::CourseSelector(db::Table *reg, db::Table *lech_puva, db::RunSettings &settings, QSpinBox *courseBox,
                               QWidget *parent)
    : QGroupBox(parent), m_group(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("RadioGroup1"));
    auto *l = new QVBoxLayout(this);
    const char *items[] = {"Вывести все полученые курсы.", "Вывести курс №", "Вывести последний курс.",
                           "Вывести все курсы кроме последнего."};
    int id = 0;
    for (const char *item : items) {
        auto *b = new QRadioButton(QString::fromUtf8(item), this);
        m_group->addButton(b, id++);
        l->addWidget(b);
    }
    m_group->button(0)->setChecked(true);
    m_run = [=, &settings](int id) {
        // No choice lists every course, as the first does.
        const CourseView view = id < 0 ? CourseView::All : CourseView(id);
        chooseCourseView(*reg, *lech_puva, settings, view, courseBox ? courseBox->value() : 1, ViewPost::Checked);
    };
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            m_run(id);
    });
    hide();
}

void CourseSelector::select(int item)
{
    if (item >= 0) {
        m_group->button(item)->setChecked(true);
        return;
    }
    QAbstractButton *checked = m_group->checkedButton();
    if (!checked)
        return;
    m_group->setExclusive(false);
    checked->setChecked(false);
    m_group->setExclusive(true);
    m_run(-1);
}

int CourseSelector::selected() const
{
    return m_group->checkedId();
}

ExposureLabel::ExposureLabel(db::Table *reg, db::Table *lech_puva, db::RunSettings &settings, QWidget *parent)
    : QLabel(parent), m_reg(reg), m_settings(settings)
{
    setObjectName(QStringLiteral("LabelExposure"));
    setWordWrap(true);
    // One or two lines of text; the room left goes to the lists around it.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    connect(reg, &db::Table::currentChanged, this, &ExposureLabel::refresh);
    connect(reg, &db::Table::rowsChanged, this, &ExposureLabel::refresh);
    // Posts, deletions and the reload for another patient.
    connect(lech_puva, &db::Table::rowsChanged, this, &ExposureLabel::refresh);
    connect(&settings, &db::RunSettings::changed, this, &ExposureLabel::refresh);
    refresh();
}

void ExposureLabel::refresh()
{
    const PuvaExposure exposure = lifetimeExposure(*m_reg);
    const ExposureThresholds thresholds = thresholdsOf(m_settings);
    const ExposureLevel level = exposureLevel(exposure, thresholds);
    setText(exposureLabelText(exposure, thresholds));
    QFont f = font();
    f.setBold(level != ExposureLevel::None);
    setFont(f);
    // Only the text colour of a level is set; everything else, and the plain level, follow the window.
    QPalette p;
    if (level == ExposureLevel::Caution)
        p.setColor(QPalette::WindowText, QColor(176, 90, 0));
    else if (level == ExposureLevel::Strong)
        p.setColor(QPalette::WindowText, QColor(200, 0, 0));
    setPalette(p);
}

PuvaPage::PuvaPage(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PuvaPage"));
    db::Table *puva = dm2.lech_puva;
    db::Table *reg = dm1.register_;
    auto *l = new QGridLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    m_grid = new ui::DBGrid(puva,
                            {{QStringLiteral("Id_kurs"), QStringLiteral("№ курса")},
                             {QStringLiteral("Nom_proc"), QStringLiteral("№ проц.")},
                             {QStringLiteral("Date"), QStringLiteral("Дата")},
                             {QStringLiteral("Type1"), QStringLiteral("Установка")},
                             {QStringLiteral("Time1"), QStringLiteral("t,мин")},
                             {QStringLiteral("Type_kurs"), QStringLiteral("Тип лечения")},
                             {QStringLiteral("Doza_text"), QStringLiteral("Доза УФА")},
                             {QStringLiteral("Type_prep"), QStringLiteral("Прим. фотосенс.")},
                             {QStringLiteral("Osmotr1"), QStringLiteral("Осмотр")},
                             {QStringLiteral("Oslozn"), QStringLiteral("Примечание")},
                             {QStringLiteral("Osmotr"), QStringLiteral("№ Осмотра")}},
                            this);
    m_grid->setObjectName(QStringLiteral("DBGrid3"));
    const int widths[] = {7, 7, 12, 9, 6, 11, 9, 13, 7, 30, 9};
    for (int i = 0; i < int(std::size(widths)); ++i)
        m_grid->setColumnWidthChars(i, widths[i]);
    markFirstProcedures(m_grid, puva);
    l->addWidget(m_grid, 0, 0, 3, 1);

    auto *open = button(this, "Button16", QStringLiteral("Добавить новую процедуру/редактировать старые"));
    connect(open, &QPushButton::clicked, this, &PuvaPage::editorRequested);
    l->addWidget(open, 0, 1);
    auto *totals = new QGroupBox(this);
    totals->setObjectName(QStringLiteral("GroupBoxTotals"));
    auto *tl = new QFormLayout(totals);
    tl->addRow(QStringLiteral("Вес пациента:"), row({text(reg, "Ves", totals), label(QStringLiteral("кг"), totals)}));
    tl->addRow(QStringLiteral("Полученая доза:"),
               row({text(reg, "Doza_txt", totals), label(QStringLiteral("ДЖ"), totals)}));
    l->addWidget(totals, 1, 1);
    auto *bar = new CourseViewBar(reg, puva, settings, this);
    l->addWidget(bar, 2, 1, Qt::AlignTop);
    m_selector = new CourseSelector(reg, puva, settings, bar->courseBox(), this);
    l->addWidget(m_selector, 3, 1);
    // Under the list it sums up.
    l->addWidget(new ExposureLabel(reg, puva, settings, this), 3, 0);
    l->setColumnStretch(0, 1);
}

Form_lech_puva_edit::Form_lech_puva_edit(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, db::ChangeLog &log,
                                         QWidget *mainWindow)
    : m_dm1(dm1), m_dm2(dm2), m_settings(settings), m_ops(dm1, dm2, settings, log)
{
    holdMainWindow(mainWindow, [this] { return m_settings.noFastScrolling; });
    topWindow(this, "Form_lech_puva_edit", QStringLiteral("Пелорин. ПУВА-терапия."));
    db::Table *t = dm2.lech_puva;
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 6, 8, 6);
    outer->setSpacing(4);
    auto *title = new QLabel(QStringLiteral("Добавить новую процедуру/редактировать старые"), this);
    title->setObjectName(QStringLiteral("LabelTitle"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    title->setFont(big);
    outer->addWidget(title);
    outer->addWidget(new ExposureLabel(dm1.register_, t, settings, this));
    auto *body = new QHBoxLayout;
    outer->addLayout(body, 1);

    // The list with the course views and the scripts under it.
    auto *left = new QVBoxLayout;
    m_grid = new ui::DBGrid(t,
                            {{QStringLiteral("Id_kurs"), QStringLiteral("№ кур.")},
                             {QStringLiteral("Nom_proc"), QStringLiteral("№ пр.")},
                             {QStringLiteral("Time1"), QStringLiteral("t, мин.")},
                             {QStringLiteral("Date"), QStringLiteral("Дата")},
                             {QStringLiteral("Osmotr"), QStringLiteral("№ Осм.")}},
                            this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    for (int i = 0; i < 5; ++i)
        m_grid->setColumnWidthChars(i, i == 3 ? 12 : 6);
    markFirstProcedures(m_grid, t);
    // Every column in sight, without a scroll bar across.
    m_grid->setMinimumWidth(m_grid->horizontalHeader()->length() + m_grid->verticalScrollBar()->sizeHint().width() +
                            2 * m_grid->frameWidth());
    left->addWidget(m_grid, 1);
    left->addWidget(new CourseViewBar(dm1.register_, t, settings, this));
    auto *scripts = new QGroupBox(QStringLiteral("Использование скриптов."), this);
    auto *run = button(scripts, "Button6", QStringLiteral("Запустить"));
    (new QHBoxLayout(scripts))->addWidget(run);
    left->addWidget(scripts);
    body->addLayout(left, 2);

    auto *right = new QVBoxLayout;
    right->setSpacing(4);
    body->addLayout(right, 3);
    // Captions on the left of their boxes, two pairs to a row where the boxes are short.
    auto pairs = [](QWidget *parent) {
        auto *g = new QGridLayout(parent);
        g->setContentsMargins(6, 4, 6, 4);
        g->setVerticalSpacing(3);
        g->setColumnStretch(1, 1);
        g->setColumnStretch(3, 1);
        return g;
    };
    auto *procedure = new QGroupBox(this);
    auto *pg = pairs(procedure);
    auto *date = new ui::DBEdit(t, QStringLiteral("Date"), procedure);
    date->setObjectName(QStringLiteral("DBEdit1"));
    auto *picker = new ui::DBDatePicker(t, QStringLiteral("Date"), procedure);
    picker->setObjectName(QStringLiteral("DateTimePicker1"));
    pg->addWidget(label(QStringLiteral("Дата процедуры: "), procedure), 0, 0);
    pg->addLayout(row({date, picker}), 0, 1, 1, 3);
    pg->addWidget(label(QStringLiteral("Тип процедуры:"), procedure), 1, 0);
    pg->addWidget(combo(t, "Type_kurs", "DBComboBox2",
                        {QStringLiteral("ПУВА"), QStringLiteral("РеПУВА"), QStringLiteral("МеПУВА"), QStringLiteral("СТФ")},
                        false, procedure),
                  1, 1);
    pg->addWidget(label(QStringLiteral("Количество таблеток:"), procedure), 1, 2);
    pg->addWidget(combo(t, "Tabl", "DBComboBox4", numbers(0, 15), false, procedure), 1, 3);
    pg->addWidget(label(QStringLiteral("Тип фотосенсиб.:"), procedure), 2, 0);
    pg->addWidget(combo(t, "Type_prep", "DBComboBox6", {}, false, procedure), 2, 1, 1, 3);
    right->addWidget(procedure);

    // Unit 1, and units 2 and 3 on the panel that stays hidden.
    auto unitBox = [&](const QString &title, const char *type, const char *typeName, const char *power,
                       const char *powerName, const char *time, const char *timeName, const char *dose) {
        auto *g = new QGroupBox(title, this);
        auto *gg = pairs(g);
        gg->addWidget(label(QStringLiteral("Установка"), g), 0, 0);
        gg->addWidget(combo(t, type, typeName, {}, false, g), 0, 1);
        gg->addWidget(label(QStringLiteral("Мощность:"), g), 0, 2);
        gg->addLayout(row({label(QStringLiteral("0,"), g), combo(t, power, powerName, {}, true, g),
                           label(QStringLiteral("Дж\\мин."), g)}),
                      0, 3);
        auto *timeBox = combo(t, time, timeName, numbers(0, 160), false, g);
        timeBox->setToolTip(QStringLiteral("Не забудьте ввести время!"));
        // The reminder's large font must not move the window's rows: the box keeps the room the
        // large font needs all the time.
        const QFont normal = timeBox->font();
        QFont large = normal;
        large.setPointSize(14);
        timeBox->setFont(large);
        timeBox->setMinimumSize(timeBox->sizeHint());
        timeBox->setFont(normal);
        m_times << timeBox;
        connect(timeBox, &QComboBox::activated, this, [this, timeBox] {
            QPalette p = timeBox->palette();
            p.setColor(QPalette::Text, Qt::black);
            p.setColor(QPalette::ButtonText, Qt::black);
            timeBox->setPalette(p);
            normalTimeFont();
        });
        gg->addWidget(label(QStringLiteral("Время процедуры :"), g), 1, 0);
        gg->addWidget(timeBox, 1, 1);
        gg->addWidget(label(QStringLiteral("Получено :"), g), 1, 2);
        gg->addLayout(row({text(t, dose, g), label(QStringLiteral("Дж."), g)}), 1, 3);
        return g;
    };
    right->addWidget(unitBox(QStringLiteral("Процедура на установке №1:"), "Type1", "DBComboBox1", "Power1",
                             "DBComboBox13", "Time1", "DBComboBox5", "Doza1_txt"));
    m_extra = new QCheckBox(QStringLiteral("Дополнительное лечение."), this);
    m_extra->setObjectName(QStringLiteral("CheckBoxExtra"));
    m_extra->setEnabled(false);
    right->addWidget(m_extra);
    m_extraPanel = new QWidget(this);
    m_extraPanel->setObjectName(QStringLiteral("PanelExtra"));
    auto *el = new QVBoxLayout(m_extraPanel);
    el->setContentsMargins(0, 0, 0, 0);
    el->addWidget(unitBox(QStringLiteral("Процедура на уст. №2:"), "Type2", "DBComboBox3", "Power2", "DBComboBox12",
                          "Time2", "DBComboBox8", "Doza2_txt"));
    el->addWidget(unitBox(QStringLiteral("Процедура на уст. №3:"), "Type3", "DBComboBox7", "Power3", "DBComboBox14",
                          "Time3", "DBComboBox9", "Doza3_txt"));
    m_extraPanel->hide();
    right->addWidget(m_extraPanel);

    auto *effects = new QGroupBox(QStringLiteral("Побоные эффекты:"), this);
    auto *eg = new QGridLayout(effects);
    eg->setContentsMargins(6, 4, 6, 4);
    eg->setVerticalSpacing(2);
    // Three columns; the long caption takes two.
    struct Effect
    {
        const char *field;
        const char *caption;
        int row, column, span;
    };
    const Effect checks[] = {{"Eritema", "Эритема", 0, 0, 1},
                             {"Gol_bol", "Головная боль", 0, 1, 1},
                             {"Golovokr", "Головокружение", 0, 2, 1},
                             {"Nar_orient", "Нарушение ориентации в пространстве", 1, 0, 2},
                             {"Rvota", "Рвота", 1, 2, 1},
                             {"Toshnota", "Тошнота", 2, 0, 1},
                             {"Zud", "Зуд", 2, 1, 1},
                             {"Lech_prervano", "Лечение прервал", 2, 2, 1}};
    for (const Effect &e : checks) {
        auto *c = new ui::DBCheckBox(QString::fromUtf8(e.caption), t, QString::fromLatin1(e.field), effects);
        c->setObjectName(QString::fromLatin1(e.field));
        eg->addWidget(c, e.row, e.column, 1, e.span);
    }
    auto *other = new ui::DBEdit(t, QStringLiteral("Other"), effects);
    other->setObjectName(QStringLiteral("DBEdit2"));
    auto *otherRow = new QHBoxLayout;
    otherRow->addWidget(label(QStringLiteral("Другое:"), effects));
    otherRow->addWidget(other, 1);
    eg->addLayout(otherRow, 3, 0, 1, 3);
    right->addWidget(effects);

    auto *doses = new QGroupBox(this);
    auto *dg = pairs(doses);
    dg->addWidget(label(QStringLiteral("Полученная за процедуру доза УФ:"), doses), 0, 0, 1, 2);
    dg->addLayout(row({text(t, "Doza_text", doses), label(QStringLiteral("ДЖ"), doses)}), 0, 2, 1, 2);
    dg->addWidget(label(QStringLiteral("Рассчетная доза фотосенсебил.:"), doses), 1, 0, 1, 2);
    dg->addLayout(row({label(QStringLiteral("Аммифурин -"), doses), text(t, "psens_1_mg", doses),
                       label(QStringLiteral("мг."), doses), label(QStringLiteral("Оксорален  -"), doses),
                       text(t, "psens_2_mg", doses), label(QStringLiteral("мг."), doses)}),
                  1, 2, 1, 2);
    dg->addWidget(label(QStringLiteral("Номер процедуры: "), doses), 2, 0);
    dg->addWidget(combo(t, "Nom_proc", "DBComboBox10", numbers(1, 30), true, doses), 2, 1);
    dg->addWidget(label(QStringLiteral("Номер курса: "), doses), 2, 2);
    dg->addWidget(combo(t, "Id_kurs", "DBComboBox11", numbers(1, 5), true, doses), 2, 3);
    right->addWidget(doses);

    auto *buttons = new QGridLayout;
    auto *add = button(this, "Button1", QStringLiteral("Добавить новую процедуру."));
    auto *remove = button(this, "Button2", QStringLiteral("Удалить текущую процедуру."));
    auto *course = button(this, "Button3", QStringLiteral("Начать новый курс."));
    auto *apply = button(this, "Button4", QStringLiteral("Применить"));
    auto *applyClose = button(this, "Button5", QStringLiteral("Применить и закрыть"));
    buttons->addWidget(add, 0, 0);
    buttons->addWidget(remove, 0, 1);
    buttons->addWidget(course, 1, 0);
    buttons->addWidget(apply, 1, 1);
    buttons->addWidget(applyClose, 2, 0, 1, 2);
    right->addLayout(buttons);
    right->addStretch();
    // More rows of the list where the screen has room; the window is laid out to fit a laptop.
    resize(sizeHint().expandedTo(QSize(860, 640)));

    connect(add, &QPushButton::clicked, this, [this] {
        if (m_ops.addProcedure())
            remindTime();
    });
    connect(course, &QPushButton::clicked, this, [this] {
        if (Dialogs::instance().question(QStringLiteral("Вы уверены что хотите начать новый курс?"),
                                         QStringLiteral("Внимание!")) != Dialogs::Answer::Yes)
            return;
        if (m_ops.startCourse())
            remindTime();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (Dialogs::instance().question(QStringLiteral("Вы уверены что хотите удалить процедуру?"),
                                         QStringLiteral("Внимание!")) != Dialogs::Answer::Yes)
            return;
        // No protection check runs on deletion.
        deleteProcedure(*m_dm2.lech_puva);
    });
    connect(apply, &QPushButton::clicked, this, [this] {
        m_ops.apply();
        normalTimeFont();
    });
    connect(applyClose, &QPushButton::clicked, this, &Form_lech_puva_edit::applyAndClose);
    connect(run, &QPushButton::clicked, this, [this] {
        if (m_script)
            reshow(m_script);
    });
}

void Form_lech_puva_edit::openFromMainWindow(CourseSelector *selector)
{
    if (selector)
        selector->select(-1);
    db::Table &t = *m_dm2.lech_puva;
    if (t.checkBrowseMode())
        t.setFilter(QString());
    show();
    raise();
    if (t.isEmpty())
        Dialogs::instance().message(
            QStringLiteral("Чтобы начать новый курс ПУВА-терапии, нажмите кнопку \"Начать новый курс\" "), QStringLiteral("Внимание!"));
}

void Form_lech_puva_edit::remindTime()
{
    for (QComboBox *box : m_times) {
        QPalette p = box->palette();
        p.setColor(QPalette::Text, Qt::red);
        p.setColor(QPalette::ButtonText, Qt::red);
        box->setPalette(p);
        QFont f = box->font();
        f.setPointSize(14);
        box->setFont(f);
    }
}

void Form_lech_puva_edit::normalTimeFont()
{
    for (QComboBox *box : m_times) {
        QFont f = box->font();
        f.setPointSize(8);
        box->setFont(f);
    }
}

void Form_lech_puva_edit::applyAndClose()
{
    // A procedure that cannot be stored keeps the editor open over a still locked main window; one
    // stored closes it, and closing gives the main window back.
    m_ops.applyAndClose([this] {
        normalTimeFont();
        m_extra->setChecked(false);
        m_extraPanel->hide();
        m_closingByApply = true;
        close();
        m_closingByApply = false;
    });
}

void Form_lech_puva_edit::showEvent(QShowEvent *event)
{
    ui::EditingWindow::showEvent(event);
    // The calendar shows the procedure's date, whatever it was preset to.
    if (auto *picker = findChild<ui::DBDatePicker *>(QStringLiteral("DateTimePicker1")))
        picker->refresh();
}

bool Form_lech_puva_edit::closing()
{
    if (m_closingByApply)
        return true;
    if (!m_dm2.lech_puva->updateRecord())
        return false;
    normalTimeFont();
    m_ops.closing();
    return true;
}

Form_lech_puva_edit_script::Form_lech_puva_edit_script(PuvaEditorOps &ops, QWidget *parent)
    : QDialog(parent), m_ops(ops)
{
    topWindow(this, "Form_lech_puva_edit_script", kCaption);
    auto *l = new QGridLayout(this);
    auto *title = new QLabel(QStringLiteral("Выставить у всех записей  значение:"), this);
    title->setObjectName(QStringLiteral("LabelTitle"));
    l->addWidget(title, 0, 0, 1, 2);
    struct Row
    {
        const char *caption;
        const char *comboName;
        QStringList items;
        bool editable;
    };
    const Row rows[] = {
        {"Мощности:", "ComboBox1", {}, false},
        {"Название установки", "ComboBox2", {}, true},
        {"Количество таблеток", "ComboBox3", numbers(1, 15), true},
        {"Тип фотосенсиб.", "ComboBox4", {}, true},
        {"Тип процедуры", "ComboBox5",
         {QStringLiteral("ПУВА"), QStringLiteral("Ре-ПУВА"), QStringLiteral("Ме-ПУВА"), QStringLiteral("СФТ")}, true},
    };
    int r = 1;
    for (const Row &row : rows) {
        auto *check = new QCheckBox(QString::fromUtf8(row.caption), this);
        check->setObjectName(QStringLiteral("CheckBox%1").arg(r));
        auto *box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(row.comboName));
        box->setEditable(row.editable);
        box->addItems(row.items);
        box->setCurrentIndex(-1);
        l->addWidget(check, r, 0);
        if (r == 1) {
            // Powers read as "0,<item> Дж\\мин.".
            auto *w = new QWidget(this);
            auto *h = new QHBoxLayout(w);
            h->setContentsMargins(0, 0, 0, 0);
            h->addWidget(label(QStringLiteral("0,"), w));
            h->addWidget(box, 1);
            h->addWidget(label(QStringLiteral("Дж\\мин."), w));
            l->addWidget(w, r, 1);
        } else {
            l->addWidget(box, r, 1);
        }
        m_checks << check;
        m_values << box;
        ++r;
    }
    auto *go = button(this, "Button1", QStringLiteral("Выставить и закрыть."));
    connect(go, &QPushButton::clicked, this, &Form_lech_puva_edit_script::run);
    l->addWidget(go, r, 0, 1, 2, Qt::AlignRight);
}

void Form_lech_puva_edit_script::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The lists arrive at start-up with their first item current; nothing is chosen until the
    // doctor chooses, so a power is never set by accident.
    if (!m_shownBefore) {
        for (QComboBox *box : m_values)
            box->setCurrentIndex(-1);
        m_shownBefore = true;
    }
}

void Form_lech_puva_edit_script::run()
{
    Dialogs &dialogs = Dialogs::instance();
    dialogs.beep();
    if (m_ops.showWait)
        m_ops.showWait(true);
    BulkSettings rows;
    BulkRow *targets[] = {&rows.power, &rows.unit, &rows.tablets, &rows.sensitiser, &rows.kind};
    for (int i = 0; i < 5; ++i) {
        targets[i]->on = m_checks[i]->isChecked();
        // The power must be one of the list's items.
        targets[i]->value = i == 0 && m_values[i]->currentIndex() < 0 ? QString() : m_values[i]->currentText();
    }
    QString error;
    const bool ok = m_ops.bulkSet(rows, &error);
    if (m_ops.showWait)
        m_ops.showWait(false);
    if (!ok) {
        dialogs.message(error, kCaption, Dialogs::Kind::Error);
        return;
    }
    for (QCheckBox *c : m_checks)
        c->setChecked(false);
    close();
    dialogs.beep();
}

Form_lech_puva_edit_osmotr::Form_lech_puva_edit_osmotr(db::DM2 &dm2, QWidget *parent) : QDialog(parent)
{
    topWindow(this, "Form_lech_puva_edit_osmotr", kCaption);
    db::Table *puva = dm2.lech_puva;
    db::Table *exams = dm2.osmotr1;
    auto *l = new QVBoxLayout(this);
    auto *f = new QFormLayout;
    f->addRow(QStringLiteral("Номер процедуры:"), text(puva, "Nom_proc", this));
    f->addRow(QStringLiteral("Дата процедуры:"), text(puva, "Date", this));
    l->addLayout(f);
    l->addWidget(label(QStringLiteral("Возможные соответствующие осмотры:"), this));
    auto *grid = new ui::DBGrid(exams,
                                {{QStringLiteral("Nom_osm"), QStringLiteral("Номер осм.")},
                                 {QStringLiteral("Date_txt"), QStringLiteral("Дата осмотра")},
                                 {QStringLiteral("PUVA"), QStringLiteral("№ соотв. проц. ПУВА")}},
                                this);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    l->addWidget(grid, 1);
    auto *apply = button(this, "Button1", QStringLiteral("Применить"));
    auto *none = button(this, "Button2", QStringLiteral("Осмотр отсутствует."));
    l->addLayout(row({apply, none}));
    connect(apply, &QPushButton::clicked, this, [this, puva, exams] {
        linkCurrentPair(*puva, *exams);
        close();
    });
    connect(none, &QPushButton::clicked, this, [this, puva, exams] {
        unlinkProcedure(*puva, *exams);
        hide();
    });
    resize(520, 380);
}

Form_osmotr_edit_puva::Form_osmotr_edit_puva(db::DM2 &dm2, QWidget *parent) : QDialog(parent)
{
    topWindow(this, "Form_osmotr_edit_puva", kCaption);
    db::Table *puva = dm2.lech_puva;
    db::Table *exams = dm2.osmotr1;
    auto *l = new QVBoxLayout(this);
    auto *f = new QFormLayout;
    f->addRow(QStringLiteral("Номер осмотра:"), text(exams, "Nom_osm", this));
    f->addRow(QStringLiteral("Дата осмотра:"), text(exams, "Date", this));
    l->addLayout(f);
    l->addWidget(label(QStringLiteral("Выберите процедуру, на которой был проведен осмотр."), this));
    auto *grid = new ui::DBGrid(puva,
                                {{QStringLiteral("Id_kurs"), QStringLiteral("№ курса")},
                                 {QStringLiteral("Nom_proc"), QStringLiteral("№ проц.")},
                                 {QStringLiteral("Date"), QStringLiteral("Дата")},
                                 {QStringLiteral("Osmotr"), QStringLiteral("№ Осмотра")}},
                                this);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    l->addWidget(grid, 1);
    auto *apply = button(this, "Button1", QStringLiteral("Применить"));
    auto *none = button(this, "Button2", QStringLiteral("Процедура отсутствует."));
    l->addLayout(row({apply, none}));
    connect(apply, &QPushButton::clicked, this, [this, puva, exams] {
        linkCurrentPair(*puva, *exams);
        close();
    });
    connect(none, &QPushButton::clicked, this, [this, exams] {
        unlinkExamination(*exams);
        hide();
    });
    resize(520, 380);
}

} // namespace pelorin::treatment
