#include "form1.h"

#include "appcontext.h"
#include "archive.h"
#include "clock.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "dialogs.h"
#include "form_settings.h"
#include "formbuilder.h"
#include "osmotr_ops.h"
#include "tablemodel.h"
#include "texts.h"

#include <QApplication>
#include <QDialog>
#include <QSqlQuery>
#include <QScreen>
#include <QButtonGroup>
#include <QComboBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFormLayout>
#include <QAction>
#include <QGridLayout>
#include <QHeaderView>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace pelorin::app {

namespace {

// A label that reacts to a click, like the version label and the small system-panel panel.
class ClickLabel : public QLabel
{
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (onClick)
            onClick();
    }
};

QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QGroupBox *group(QWidget *parent, const QString &name, const QString &title)
{
    auto *g = new QGroupBox(title, parent);
    g->setObjectName(name);
    return g;
}

// The sections' stack. Word-wrapped texts inside would make the scroll area size it by its
// preferred height for the width; sized by its minimum, it scrolls only when a section cannot fit.
class SectionGrid : public QGridLayout
{
public:
    using QGridLayout::QGridLayout;
    bool hasHeightForWidth() const override { return false; }
};

// An empty place of the main window that an area of the program fills once the data exist.
QWidget *newHost(QWidget *parent, const char *name)
{
    auto *host = new QWidget(parent);
    host->setObjectName(QString::fromLatin1(name));
    (new QVBoxLayout(host))->setContentsMargins(0, 0, 0, 0);
    return host;
}

struct SectionInfo
{
    const char *button;
    const char *caption;
    const char *box;
    const char *title;
};

// In the order of the section bar.
const SectionInfo kSections[Form1::SectionCount] = {
    {"SpeedButton1", "Регистрация", "GroupBox_register", "Регистрация пациента"},
    {"SpeedButton2", "Анамнез болезни", "GroupBox_anamnez_zab", "Анамнез болезни"},
    {"SpeedButton7", "Анамнез жизни", "GroupBox_anamnez_live", "Анамнез жизни"},
    {"SpeedButton5", "Осмотры", "GroupBox_osmotr", "Осмотры"},
    {"SpeedButton4", "Лечение", "GroupBox_lech", "Лечение"},
    {"SpeedButton3", "Обследование", "GroupBox_analyz", "Обследование"},
    {"SpeedButton9", "Диагноз и рекомен.", "GroupBox_diagnoz", "Диагноз и рекомендации"},
    {"SpeedButton6", "Документы", "GroupBox_docs", "Документы"},
};

const QStringList kAgeCategories = {
    QStringLiteral("Новорожденный (менее 1 мес)"), QStringLiteral("Грудной (1-3 месяцы)"),
    QStringLiteral("Грудной (4-12 месяцы)"),       QStringLiteral("Дошкольный (1-6 )"),
    QStringLiteral("Препубератный (7-12)"),        QStringLiteral("Пубератный (13-18)"),
    QStringLiteral("Юность (19-24)"),              QStringLiteral("Взрослый (25-30)"),
    QStringLiteral("Взрослый (31-40)"),            QStringLiteral("Взрослый (41-50)"),
    QStringLiteral("Взрослый (51-60)"),            QStringLiteral("Пенсионер (более 60)"),
};

} // namespace

Form1::Form1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Пелорин."));
    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(4, 4, 4, 4);
    setCentralWidget(central);
    buildPatientList();
    auto *bottom = new QHBoxLayout;
    // The list keeps about eight rows; the sections get the rest.
    outer->addWidget(findChild<QGroupBox *>(QStringLiteral("GroupBox_list")), 2);
    outer->addLayout(bottom, 5);
    buildSectionBar();
    bottom->addWidget(findChild<QWidget *>(QStringLiteral("SectionBarHost")));
    // A section taller than the room left under the list scrolls, so the list keeps its share.
    auto *sectionScroll = new QScrollArea(central);
    sectionScroll->setObjectName(QStringLiteral("SectionScroll"));
    sectionScroll->setWidgetResizable(true);
    sectionScroll->setFrameShape(QFrame::NoFrame);
    m_sectionArea = new QWidget(sectionScroll);
    m_sectionArea->setObjectName(QStringLiteral("SectionArea"));
    sectionScroll->setWidget(m_sectionArea);
    bottom->addWidget(sectionScroll, 1);
    buildSections();
    const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableSize()
                                                          : QSize(1366, 768);
    resize(std::min(1340, screen.width()), std::min(740, screen.height() - 28));
}

Form1::~Form1() = default;

QWidget *Form1::host(const QString &name) const
{
    return findChild<QWidget *>(name);
}

void Form1::buildSectionBar()
{
    auto *host = new QWidget(centralWidget());
    host->setObjectName(QStringLiteral("SectionBarHost"));
    auto *hostLayout = new QVBoxLayout(host);
    hostLayout->setContentsMargins(0, 0, 0, 0);
    auto *bar = group(host, QStringLiteral("GroupBox_button"), QString());
    auto *l = new QVBoxLayout(bar);
    // Narrow margins leave the longest caption ("Диагноз и рекомен.") room inside its button.
    l->setContentsMargins(4, 6, 4, 6);
    m_sectionGroup = new QButtonGroup(this);
    m_sectionGroup->setExclusive(true);
    for (int i = 0; i < SectionCount; ++i) {
        auto *b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(kSections[i].button));
        b->setText(QString::fromUtf8(kSections[i].caption));
        b->setCheckable(true);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setMinimumHeight(30);
        m_sectionGroup->addButton(b, i);
        m_sectionButtons[i] = b;
        l->addWidget(b);
    }
    m_sectionButtons[Register]->setChecked(true);
    connect(m_sectionGroup, &QButtonGroup::idClicked, this, [this](int id) { showSection(Section(id)); });
    l->addSpacing(12);
    auto *save = button(bar, QStringLiteral("ButtonFlush"), QStringLiteral("Записать в базу"));
    auto *add = button(bar, QStringLiteral("ButtonNewPatient"), QStringLiteral("Новый пациент"));
    connect(save, &QPushButton::clicked, this, &Form1::flush);
    connect(add, &QPushButton::clicked, this, &Form1::newPatient);
    l->addWidget(save);
    l->addWidget(add);
    l->addStretch();
    hostLayout->addWidget(bar, 1);
    auto *panel1 = new ClickLabel(host);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFixedSize(111, 8);
    panel1->setFrameShape(QFrame::Panel);
    panel1->setFrameShadow(QFrame::Raised);
    panel1->onClick = [this] { openSystemPanel(); };
    hostLayout->addWidget(panel1);
    host->setFixedWidth(150);
}

void Form1::buildPatientList()
{
    auto *box = group(centralWidget(), QStringLiteral("GroupBox_list"), QString());
    auto *l = new QVBoxLayout(box);
    l->setContentsMargins(4, 4, 4, 4);
    m_tabs = new QTabBar(box);
    m_tabs->setObjectName(QStringLiteral("TabControl2"));
    m_tabs->setExpanding(false);
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setDrawBase(false);
    // Thirty-two letters must fit one row beside the list's buttons on a 1366 pixels wide screen.
    m_tabs->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 2px 5px; min-width: 16px; }"));
    for (int i = 0; i < kTabCount; ++i)
        m_tabs->addTab(alphabetTabLetter(i));
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
        if (!m_tabSilently)
            selectTab(tab);
    });
    auto *bottom = new QHBoxLayout;
    auto *showAllButton = button(box, QStringLiteral("Button61"), QStringLiteral("Show all"));
    connect(showAllButton, &QPushButton::clicked, this, &Form1::showAll);
    auto *countCaption = new QLabel(QStringLiteral("Пациентов в базе даных:"), box);
    m_count = new QLabel(box);
    m_count->setObjectName(QStringLiteral("Label57"));
    auto *version = new ClickLabel(QStringLiteral("Версия 2025"), box);
    version->setObjectName(QStringLiteral("Label56"));
    version->setCursor(Qt::PointingHandCursor);
    version->onClick = [this] {
        if (m_settings) {
            m_settings->show();
            m_settings->raise();
        }
    };
    bottom->addWidget(m_tabs, 1);
    bottom->addWidget(showAllButton);
    bottom->addSpacing(12);
    bottom->addWidget(countCaption);
    bottom->addWidget(m_count);
    bottom->addSpacing(12);
    bottom->addWidget(version);
    // The grid is made when the register exists (attach); the layout keeps its place.
    auto *gridHost = new QWidget(box);
    gridHost->setObjectName(QStringLiteral("GridHost"));
    (new QVBoxLayout(gridHost))->setContentsMargins(0, 0, 0, 0);
    l->addWidget(gridHost, 1);
    l->addLayout(bottom);
}

void Form1::buildSections()
{
    auto *grid = new SectionGrid(m_sectionArea);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < SectionCount; ++i) {
        auto *box = group(m_sectionArea, QString::fromLatin1(kSections[i].box), QString::fromUtf8(kSections[i].title));
        new QVBoxLayout(box);
        m_sections[i] = box;
        // Every section keeps its size while hidden, so the list and the section bar stay put
        // whichever section is shown.
        QSizePolicy policy = box->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        box->setSizePolicy(policy);
        grid->addWidget(box, 0, 0);
        box->setVisible(i == Register);
    }
    m_cardHost = new QWidget(m_sections[Register]);
    m_sections[Register]->layout()->addWidget(m_cardHost);
    new QVBoxLayout(m_cardHost);
    m_cardHost->layout()->setContentsMargins(0, 0, 0, 0);

    buildAnamnesisPair(m_sections[AnamnezZab], "HostAnamnezZab", "BitBtn3", "BitBtn4", "anamnez_zab");
    buildAnamnesisPair(m_sections[AnamnezLive], "HostAnamnezLive", "BitBtn5", "BitBtn6", "anamnez_life");
    m_osmotrHost = new QWidget(m_sections[Osmotr]);
    m_sections[Osmotr]->setTitle(QStringLiteral("Осмотр пациента"));
    for (int i = 0; i < SectionCount; ++i)
        m_sectionTitles[i] = m_sections[i]->title();
    m_sections[Osmotr]->layout()->addWidget(m_osmotrHost);
    new QVBoxLayout(m_osmotrHost);
    m_osmotrHost->layout()->setContentsMargins(0, 0, 0, 0);
    // Sections of several pages: each page is an empty place its area of the program fills.
    auto pagedSection = [this](Section s, const char *name, std::initializer_list<std::pair<const char *, const char *>> pages) {
        auto *tabs = new QTabWidget(m_sections[s]);
        tabs->setObjectName(QString::fromLatin1(name));
        for (const auto &[caption, host] : pages)
            tabs->addTab(newHost(tabs, host), QString::fromUtf8(caption));
        m_sections[s]->layout()->addWidget(tabs);
    };
    pagedSection(Lech, "PageControl_lech",
                 {{"Фототерапия подробно", "HostLechPuva"}, {"Назначеное лечение", "HostLechLekar"}});
    m_sections[Analyz]->layout()->addWidget(newHost(m_sections[Analyz], "HostAnalyz"));
    pagedSection(Diagnoz, "PageControl_diagnoz",
                 {{"Поставленные диагнозы", "HostDiagnoz"}, {"Рекомендации", "HostRecomend"}});

    // Documents: the pages and the documents text area, which gives way to the chart page.
    m_docsPages = new QTabWidget(m_sections[Docs]);
    m_docsPages->setObjectName(QStringLiteral("PageControl2"));
    // The chart keeps its place as the fifth page, where the text area and the print button look for
    // it; the page before it has no controls of its own yet and stays out of sight.
    const QString chartPage = QStringLiteral("Динамика лечения в графиках");
    for (const QString &page : {QStringLiteral("Отчет"), QStringLiteral("Справка"), QStringLiteral("Направление"),
                                QString(), chartPage, QStringLiteral("Рекомендации пациенту")}) {
        auto *w = new QWidget(m_docsPages);
        auto *wl = new QGridLayout(w);
        if (page == QStringLiteral("Отчет")) {
            wl->setContentsMargins(0, 0, 0, 0);
            wl->addWidget(newHost(w, "HostDocsReport"), 0, 0, 1, 3);
        } else if (page == QStringLiteral("Справка")) {
            wl->setContentsMargins(0, 0, 0, 0);
            wl->addWidget(newHost(w, "HostDocsSpravka"), 0, 0, 1, 3);
        } else if (page == QStringLiteral("Направление")) {
            wl->setContentsMargins(0, 0, 0, 0);
            wl->addWidget(newHost(w, "HostDocsNapr"), 0, 0, 1, 3);
        } else if (page == chartPage) {
            wl->addWidget(newHost(w, "HostChart"), 0, 0, 1, 3);
        } else if (page == QStringLiteral("Рекомендации пациенту")) {
            wl->addWidget(newHost(w, "HostDocsRecomend"), 0, 0, 1, 3);
        }
        wl->setColumnStretch(1, 1);
        wl->setColumnStretch(2, 1);
        m_docsPages->addTab(w, page);
        if (page.isEmpty())
            m_docsPages->setTabVisible(m_docsPages->count() - 1, false);
    }
    m_richEdit = new QTextEdit(m_sections[Docs]);
    m_richEdit->setObjectName(QStringLiteral("RichEdit1"));
    // The composed document gets most of the height; the pages hold only their choices.
    static_cast<QVBoxLayout *>(m_sections[Docs]->layout())->addWidget(m_docsPages, 1);
    static_cast<QVBoxLayout *>(m_sections[Docs]->layout())->addWidget(m_richEdit, 2);
    static_cast<QVBoxLayout *>(m_sections[Docs]->layout())->addWidget(newHost(m_sections[Docs], "HostDocsButtons"));
    connect(m_docsPages, &QTabWidget::currentChanged, this, [this](int page) { m_richEdit->setVisible(page != 4); });

    // The system panel lies over the section area; it is not a section.
    m_sys = group(m_sectionArea, QStringLiteral("GroupBox_sys"), QStringLiteral("Системная панель"));
    // Opaque: nothing of the section it replaces shows through its pages.
    m_sys->setAutoFillBackground(true);
    auto *sl = new QVBoxLayout(m_sys);
    sl->addWidget(new QLabel(QStringLiteral("Системная панель."), m_sys));
    auto *pages = new QTabWidget(m_sys);
    for (const QString &page : {QStringLiteral("Глобальные"), QStringLiteral("Осмотр->ПУВА"),
                                QStringLiteral("Лекарства"), QStringLiteral("Отчеты"),
                                QStringLiteral("Основная таблица")}) {
        auto *w = new QWidget(pages);
        if (page == QStringLiteral("Глобальные")) {
            auto *gl = new QVBoxLayout(w);
            auto *panels = new QGroupBox(QStringLiteral("Доступные технические панели."), w);
            auto *pl = new QVBoxLayout(panels);
            auto *maintenance =
                button(panels, QStringLiteral("ButtonSysAuto"), QStringLiteral("Панель автоматических действий"));
            auto *logs = button(panels, QStringLiteral("ButtonSysLogs"), QStringLiteral("Отобразить панель логов"));
            connect(maintenance, &QPushButton::clicked, this, [this] {
                if (m_maintenance) {
                    m_maintenance->show();
                    m_maintenance->raise();
                }
            });
            auto *settings = button(panels, QStringLiteral("ButtonSysSettings"), QStringLiteral("Настройки программы."));
            connect(logs, &QPushButton::clicked, this, [this] {
                if (m_logs) {
                    m_logs->show();
                    m_logs->raise();
                }
            });
            connect(settings, &QPushButton::clicked, this, [this] {
                if (m_settings) {
                    m_settings->show();
                    m_settings->raise();
                }
            });
            pl->addWidget(maintenance);
            pl->addWidget(logs);
            pl->addWidget(settings);
            gl->addWidget(panels);
            // Figures of the whole clinic rather than a technical panel: a group of their own.
            auto *figures = new QGroupBox(QStringLiteral("Итоги работы отделения."), w);
            auto *fl = new QVBoxLayout(figures);
            auto *outcomes = button(figures, QStringLiteral("ButtonSysOutcomes"), QStringLiteral("Итоги лечения"));
            connect(outcomes, &QPushButton::clicked, this, [this] {
                if (m_outcomes) {
                    m_outcomes->show();
                    m_outcomes->raise();
                    m_outcomes->activateWindow();
                }
            });
            fl->addWidget(outcomes);
            gl->addWidget(figures);
            gl->addStretch();
        } else if (page == QStringLiteral("Осмотр->ПУВА")) {
            (new QVBoxLayout(w))->addWidget(newHost(w, "HostSysPuva"));
        } else if (page == QStringLiteral("Лекарства")) {
            (new QVBoxLayout(w))->addWidget(newHost(w, "HostSysLekar"));
        }
        pages->addTab(w, page);
    }
    pages->setCurrentIndex(4);
    sl->addWidget(pages, 1);
    auto *close = button(m_sys, QStringLiteral("ButtonSysClose"), QStringLiteral("Закрыть"));
    // The section it covered comes back as it was.
    connect(close, &QPushButton::clicked, this, [this] {
        m_sys->hide();
        m_sections[m_current]->show();
    });
    sl->addWidget(close, 0, Qt::AlignRight);
    grid->addWidget(m_sys, 0, 0);
    m_sys->hide();
}

void Form1::buildAnamnesisPair(QGroupBox *box, const char *hostName, const char *apply, const char *cancel,
                               const char *tableName)
{
    auto *row = new QHBoxLayout;
    auto *a = button(box, QString::fromLatin1(apply), QStringLiteral("Применить изменения"));
    auto *c = button(box, QString::fromLatin1(cancel), QStringLiteral("Отменить изменения"));
    a->setEnabled(false);
    c->setEnabled(false);
    row->addStretch();
    row->addWidget(a);
    row->addWidget(c);
    static_cast<QVBoxLayout *>(box->layout())->addWidget(newHost(box, hostName), 1);
    static_cast<QVBoxLayout *>(box->layout())->addLayout(row);
    const QString name = QString::fromLatin1(tableName);
    auto act = [this, a, c, name](bool post) {
        if (!m_ctx)
            return;
        db::Table *t = m_ctx->dm1->table(name);
        if (post)
            t->updateRecord();
        if (post && t->modified())
            t->post();
        else if (!post && t->isEditing())
            t->cancel();
        a->setEnabled(false);
        c->setEnabled(false);
    };
    connect(a, &QPushButton::clicked, this, [act] { act(true); });
    connect(c, &QPushButton::clicked, this, [act] { act(false); });
}

QWidget *Form1::buildRegistrationCard()
{
    db::Table *reg = m_ctx->dm1->register_;
    using ui::FieldSpec;
    auto *card = new QWidget(m_cardHost);
    auto *grid = new QGridLayout(card);
    grid->setContentsMargins(0, 0, 0, 0);

    auto rowsBox = [&](const QString &title, const QList<FieldSpec> &specs) {
        auto *g = new QGroupBox(title, card);
        auto *gl = new QVBoxLayout(g);
        gl->setContentsMargins(6, 6, 6, 6);
        gl->addWidget(ui::buildForm(reg, specs, g));
        return g;
    };
    auto *person = rowsBox(QString(), {
        {QStringLiteral("Имя"), QStringLiteral("DBEdit1"), FieldSpec::Edit, QStringLiteral("First_Name")},
        {QStringLiteral("Фамилия"), QStringLiteral("DBEdit2"), FieldSpec::Edit, QStringLiteral("Last_Name")},
        {QStringLiteral("Отчество"), QStringLiteral("DBEdit3"), FieldSpec::Edit, QStringLiteral("Father_Name")},
        {QStringLiteral("Амбулаторная карта"), QStringLiteral("DBEdit21"), FieldSpec::Edit, QStringLiteral("Amb_karta")},
        {QStringLiteral("Пол:"), QStringLiteral("DBComboBox1"), FieldSpec::Combo, QStringLiteral("Sex"),
         {QStringLiteral("Мужской"), QStringLiteral("Женский")}, false},
    });
    auto *live = rowsBox(QStringLiteral("Место жительства"), {
        {QStringLiteral("Адрес:"), QStringLiteral("DBEdit5"), FieldSpec::Edit, QStringLiteral("Adress")},
        {QStringLiteral("Регион:"), QStringLiteral("DBComboBox7"), FieldSpec::Combo, QStringLiteral("Live_place_region"),
         {}, true, 1, QStringLiteral("Не забудьте просмотреть весь список регионов при вводе нового региона")},
        {QStringLiteral("Город:"), QStringLiteral("DBEdit8"), FieldSpec::Edit, QStringLiteral("Life_place_gorod")},
        {QStringLiteral("Телефон"), QStringLiteral("DBEdit7"), FieldSpec::Edit, QStringLiteral("Telephone_home")},
    });
    auto *work = rowsBox(QStringLiteral("Место работы"), {
        {QStringLiteral("Организация:"), QStringLiteral("DBEdit6"), FieldSpec::Edit, QStringLiteral("Work_place")},
        {QStringLiteral("Профессия:"), QStringLiteral("DBComboBox8"), FieldSpec::Combo, QStringLiteral("Work_proff"),
         {}, true, 1, QStringLiteral("Не забудьте просмотреть список профессий при вводе новой профессии")},
        {QStringLiteral("Должность:"), QStringLiteral("DBEdit12"), FieldSpec::Edit, QStringLiteral("Work_dolzn")},
    });

    // Dates with their pickers, weight, age category and doctor.
    auto *dates = new QGroupBox(card);
    auto *dl = new QGridLayout(dates);
    auto addDateRow = [&](int row, const QString &caption, const char *edit, const char *picker, const QString &field) {
        dl->addWidget(new QLabel(caption, dates), row, 0);
        dl->addWidget(ui::buildControl(reg, {caption, QString::fromLatin1(edit), FieldSpec::Edit, field}, dates), row, 1);
        auto *p = new ui::DBDatePicker(reg, field, dates);
        p->setObjectName(QString::fromLatin1(picker));
        dl->addWidget(p, row, 2);
    };
    addDateRow(0, QStringLiteral("Дата рождения"), "DBEdit17", "DateTimePicker1", QStringLiteral("Born_dat"));
    addDateRow(1, QStringLiteral("Дата регистрации"), "DBEdit20", "DateTimePicker4", QStringLiteral("Reg_date"));
    dl->addWidget(new QLabel(QStringLiteral("Возрастная категория"), dates), 2, 0);
    dl->addWidget(ui::buildControl(reg, {QString(), QStringLiteral("DBComboBox14"), FieldSpec::Combo,
                                         QStringLiteral("Kat_vozr"), kAgeCategories, true},
                                   dates),
                  2, 1);
    auto *calc = button(dates, QStringLiteral("ButtonVichislit"), QStringLiteral("Вычислить"));
    connect(calc, &QPushButton::clicked, this, &Form1::computeAgeCategory);
    dl->addWidget(calc, 2, 2);
    dl->addWidget(new QLabel(QStringLiteral("Вес:"), dates), 3, 0);
    auto *weightRow = new QHBoxLayout;
    weightRow->addWidget(ui::buildControl(reg, {QString(), QStringLiteral("DBEdit4"), FieldSpec::Edit, QStringLiteral("Ves")}, dates));
    weightRow->addWidget(new QLabel(QStringLiteral("кг"), dates));
    dl->addLayout(weightRow, 3, 1);
    dl->addWidget(new QLabel(QStringLiteral("Врач"), dates), 4, 0);
    QWidget *doctor = ui::buildControl(reg, {QString(), QStringLiteral("DBComboBox9"), FieldSpec::Combo, QStringLiteral("Vrach"), {}, true}, dates);
    QFont bold = doctor->font();
    bold.setBold(true);
    doctor->setFont(bold);
    dl->addWidget(doctor, 4, 1, 1, 2);

    auto *passport = new QGroupBox(QStringLiteral("Паспортные данные"), card);
    auto *pl = new QVBoxLayout(passport);
    pl->addWidget(ui::buildControl(reg, {QString(), QStringLiteral("DBMemo29"), FieldSpec::Memo, QStringLiteral("List_other"), {}, false}, passport));
    auto *change = button(passport, QStringLiteral("Button36"), QStringLiteral("Изменить"));
    connect(change, &QPushButton::clicked, this, [this] {
        if (m_registerDocs) {
            m_registerDocs->show();
            m_registerDocs->raise();
        }
    });
    pl->addWidget(change, 0, Qt::AlignRight);

    auto *events = new QGroupBox(QStringLiteral("Регистрация и выписка пациента."), card);
    auto *el = new QVBoxLayout(events);
    auto *diagnoses = new ui::DBGrid(m_ctx->dm2->diagnoz,
                                     {{QStringLiteral("Text_type"), QStringLiteral("Событие")},
                                      {QStringLiteral("Data"), QStringLiteral("Дата")},
                                      {QStringLiteral("List"), QStringLiteral("Диагноз")}},
                                     events);
    diagnoses->setObjectName(QStringLiteral("DBGrid7"));
    diagnoses->setColumnWidthChars(0, 16);
    diagnoses->setColumnWidthFor(0, {QStringLiteral("Поступил впервые"), QStringLiteral("Поступил"), QStringLiteral("Выписан")});
    diagnoses->setColumnWidthChars(1, 12);
    diagnoses->horizontalHeader()->setStretchLastSection(true);
    diagnoses->setToolTip(QStringLiteral(
        "Дважды кликните левой кнопкой мышки, чтобы перейти к странице для изменения данных."));
    el->addWidget(diagnoses);
    auto *autoDates = button(events, QStringLiteral("ButtonAutoDates"),
                             QStringLiteral("Автоматическая простановка дат первой регистрации и последней выписки"));
    connect(autoDates, &QPushButton::clicked, this, [this] { db::autoAdmissionDates(*m_ctx->dm1, *m_ctx->dm2); });
    el->addWidget(autoDates);

    auto *buttons = new QHBoxLayout;
    auto *apply = button(card, QStringLiteral("BitBtn1"), QStringLiteral("Применить изменения"));
    auto *cancel = button(card, QStringLiteral("BitBtn2"), QStringLiteral("Отменить изменения"));
    connect(apply, &QPushButton::clicked, this, [this] {
        if (m_ctx->dm1->register_->updateRecord() && m_ctx->dm1->register_->modified())
            m_ctx->dm1->register_->post();
    });
    // Typing not yet written to the record counts as a change too: cancel drops it.
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (m_ctx->dm1->register_->isEditing())
            m_ctx->dm1->register_->cancel();
    });
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(cancel);

    grid->addWidget(person, 0, 0);
    grid->addWidget(dates, 0, 1);
    grid->addWidget(live, 1, 0);
    grid->addWidget(work, 1, 1);
    grid->addWidget(passport, 2, 0);
    grid->addWidget(events, 2, 1);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    // The card shares the screen with the patient list: keep its rows tight.
    for (QLayout *l : card->findChildren<QLayout *>()) {
        l->setContentsMargins(4, 2, 4, 2);
        l->setSpacing(2);
        if (auto *form = qobject_cast<QFormLayout *>(l))
            form->setVerticalSpacing(2);
    }
    grid->setSpacing(4);
    card->findChild<QWidget *>(QStringLiteral("DBMemo29"))->setMaximumHeight(64);
    diagnoses->setMaximumHeight(90);
    return card;
}

QWidget *Form1::buildExaminationPanel()
{
    db::Table *exams = m_ctx->dm2->osmotr1;
    examination::OsmotrOps &ops = *m_ctx->examinations;
    using ui::FieldSpec;
    auto *panel = new QWidget(m_osmotrHost);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);

    // The list of examinations with its buttons.
    auto *listBox = new QWidget(panel);
    auto *ll = new QVBoxLayout(listBox);
    ll->setContentsMargins(0, 0, 0, 0);
    auto *list = new ui::DBGrid(exams,
                                {{QStringLiteral("PUVA_k"), QStringLiteral("№кур.")},
                                 {QStringLiteral("PUVA_p"), QStringLiteral("№пр.")},
                                 {QStringLiteral("Date"), QStringLiteral("Дата осм.")},
                                 {QStringLiteral("PUVA"), QStringLiteral("№ ПУВА")},
                                 {QStringLiteral("Nom_osm"), QStringLiteral("№")}},
                                listBox);
    list->setObjectName(QStringLiteral("DBGrid2"));
    list->setFieldHidden(QStringLiteral("PUVA"), true);
    list->setFieldHidden(QStringLiteral("Nom_osm"), true);
    list->setColumnWidthChars(0, 5);
    list->setColumnWidthChars(1, 5);
    list->setColumnWidthChars(2, 12);
    const int linkedIndex = exams->fieldIndex(QStringLiteral("PUVA_p"));
    ui::TableModel *model = list->tableModel();
    // The examination linked to the first procedure of a course stands out.
    list->setCellBackground([model, linkedIndex](int row, int, bool focused) -> std::optional<QColor> {
        if (model->valueAt(row, linkedIndex).toString() != QLatin1String("1"))
            return std::nullopt;
        return focused ? QColor(Qt::black) : QColor(204, 255, 204);
    });
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint &pos) {
        QMenu menu(this);
        menu.addAction(QStringLiteral("Удалить осмотр."), this, [this] { m_ctx->examinations->deleteExamination(); });
        menu.exec(list->viewport()->mapToGlobal(pos));
    });
    auto *newExam = button(listBox, QStringLiteral("Button3"), QStringLiteral("Новый осмотр"));
    auto *copyExam = button(listBox, QStringLiteral("Button31"), QStringLiteral("Новый осмотр (копия прошлого)"));
    connect(newExam, &QPushButton::clicked, this, [o = &ops] { o->newExamination(); });
    connect(copyExam, &QPushButton::clicked, this, [o = &ops] { o->newExaminationCopy(); });
    ll->addWidget(list, 1);
    ll->addWidget(newExam);
    ll->addWidget(copyExam);
    grid->addWidget(listBox, 0, 0, 3, 1);

    // Date, course of the disease and the store/discard buttons.
    auto *head = new QWidget(panel);
    auto *hl = new QHBoxLayout(head);
    hl->setContentsMargins(0, 0, 0, 0);
    hl->addWidget(new QLabel(QStringLiteral("Дата осмотра:"), head));
    auto *picker = new ui::DBDatePicker(exams, QStringLiteral("Date"), head);
    picker->setObjectName(QStringLiteral("DateTimePicker3"));
    hl->addWidget(picker);
    hl->addWidget(ui::buildControl(exams, {QString(), QStringLiteral("DBEdit19"), FieldSpec::Edit, QStringLiteral("Date"), {}, false}, head));
    hl->addSpacing(12);
    hl->addWidget(new QLabel(QStringLiteral("Динамика"), head));
    hl->addWidget(new QLabel(QStringLiteral(" течения заболевания:"), head));
    auto *course = new QComboBox(head);
    course->setObjectName(QStringLiteral("ComboBox11"));
    course->addItems(examination::dinamikaItems());
    course->setCurrentIndex(-1);
    connect(course, &QComboBox::activated, this, [o = &ops, course](int) { o->pickDinamika(course->currentText()); });
    hl->addWidget(course);
    hl->addWidget(ui::buildControl(exams, {QString(), QStringLiteral("DBEdit9"), FieldSpec::Edit, QStringLiteral("Dinamika"), {}, false}, head));
    auto *yes = button(head, QStringLiteral("BitBtn7"), QStringLiteral("Да"));
    auto *no = button(head, QStringLiteral("BitBtn8"), QStringLiteral("Нет"));
    auto *all = button(head, QStringLiteral("Button62"), QStringLiteral("Show all"));
    connect(yes, &QPushButton::clicked, this, [o = &ops, exams] {
        exams->updateRecord();
        o->apply();
    });
    connect(no, &QPushButton::clicked, this, [o = &ops] { o->discard(); });
    connect(all, &QPushButton::clicked, this, [o = &ops] { o->showAll(); });
    hl->addStretch();
    auto *answers = new QHBoxLayout;
    answers->addWidget(yes);
    answers->addWidget(no);
    answers->addWidget(all);
    ll->addLayout(answers);
    grid->addWidget(head, 0, 1, 1, 3);

    // Read-only texts of the examination, each with the button of its window.
    auto memoBox = [&](const QString &title, const char *memo, const QString &field, const char *choose) {
        auto *g = new QGroupBox(title, panel);
        auto *gl = new QVBoxLayout(g);
        gl->setContentsMargins(4, 2, 4, 2);
        gl->addWidget(ui::buildControl(exams, {QString(), QString::fromLatin1(memo), FieldSpec::Memo, field, {}, false}, g), 1);
        auto *b = button(g, QString::fromLatin1(choose), QStringLiteral("Выбрать"));
        const QString window = b->objectName();
        connect(b, &QPushButton::clicked, this, [this, window] { Q_EMIT examinationWindowRequested(window); });
        gl->addWidget(b, 0, Qt::AlignRight);
        return g;
    };
    grid->addWidget(memoBox(QStringLiteral("Жалобы:"), "DBMemo_zalob", QStringLiteral("List_zalob1"), "Button8"), 1, 1);
    grid->addWidget(memoBox(QStringLiteral("Состояние кожи и её производных:"), "DBMemo_proizv",
                            QStringLiteral("List_proizv_list"), "Button25"), 1, 2);
    grid->addWidget(memoBox(QStringLiteral("Дополнител. клинические симптомы:"), "DBMemo_simp", QStringLiteral("simp"), "Button5"), 2, 1);
    // Elements: the names of the examination's elements and the description of the current one.
    auto *elements = new QGroupBox(QStringLiteral("Элементы высыпания на коже:"), panel);
    auto *elementsLayout = new QGridLayout(elements);
    elementsLayout->setContentsMargins(4, 2, 4, 2);
    auto *names = new ui::DBGrid(m_ctx->dm2->osmotr_elem, {{QStringLiteral("Name_elem"), QStringLiteral("Элемент")}}, elements);
    names->setObjectName(QStringLiteral("DBGrid_elem"));
    names->horizontalHeader()->setStretchLastSection(true);
    names->setMaximumWidth(140);
    elementsLayout->addWidget(names, 0, 0);
    elementsLayout->addWidget(ui::buildControl(m_ctx->dm2->osmotr_elem, {QString(), QStringLiteral("DBMemo_elem"),
                                                                           FieldSpec::Memo, QStringLiteral("List"), {}, false},
                                               elements),
                              0, 1);
    elementsLayout->setColumnStretch(1, 2);
    auto *elementsButton = button(elements, QStringLiteral("Button46"), QStringLiteral("Выбрать"));
    connect(elementsButton, &QPushButton::clicked, this, [this] { Q_EMIT examinationWindowRequested(QStringLiteral("Button46")); });
    elementsLayout->addWidget(elementsButton, 1, 1, Qt::AlignRight);
    grid->addWidget(elements, 2, 2);

    // Indices: SCORAD and PASI.
    auto *indices = new QGroupBox(QStringLiteral("Индексы:"), panel);
    auto *il = new QVBoxLayout(indices);
    auto *tabs = new QTabWidget(indices);
    auto *scorad = new QWidget(tabs);
    auto *sl = new QFormLayout(scorad);
    auto text = [&](const char *name, const QString &field, QWidget *parent) {
        auto *t = new ui::DBText(exams, field, parent);
        t->setObjectName(QString::fromLatin1(name));
        return t;
    };
    sl->addRow(QStringLiteral("SCORAD:"), text("DBText_ind3", QStringLiteral("ind3"), scorad));
    auto *area = new QHBoxLayout;
    area->addWidget(text("DBText_B1", QStringLiteral("B1"), scorad));
    area->addWidget(new QLabel(QStringLiteral("%"), scorad));
    area->addStretch();
    sl->addRow(QStringLiteral("Площадь поражения кожи"), area);
    sl->addRow(QStringLiteral("Интенсивность воспаления"), text("DBText_ind1", QStringLiteral("ind1"), scorad));
    sl->addRow(QStringLiteral("Зуд"), text("DBText_ind2", QStringLiteral("ind2"), scorad));
    auto *scoradButton = button(scorad, QStringLiteral("Button7"), QStringLiteral("Выбрать"));
    sl->addRow(scoradButton);
    tabs->addTab(scorad, QStringLiteral("SCORAD"));
    auto *pasi = new QWidget(tabs);
    auto *pl = new QFormLayout(pasi);
    pl->addRow(QStringLiteral("PASI:"), text("DBText_index1", QStringLiteral("index1"), pasi));
    pl->addRow(ui::buildControl(exams, {QString(), QStringLiteral("DBMemo_PASI"), FieldSpec::Memo, QStringLiteral("opisPASI"), {}, false}, pasi));
    auto *pasiButton = button(pasi, QStringLiteral("Button45"), QStringLiteral("Выбрать"));
    pl->addRow(pasiButton);
    tabs->addTab(pasi, QStringLiteral("PASI"));
    for (QPushButton *b : {scoradButton, pasiButton}) {
        const QString window = b->objectName();
        connect(b, &QPushButton::clicked, this, [this, window] { Q_EMIT examinationWindowRequested(window); });
    }
    il->addWidget(tabs);
    grid->addWidget(indices, 1, 3);
    grid->addWidget(newHost(panel, "HostPhotos"), 2, 3);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 3);
    grid->setColumnStretch(3, 2);
    grid->setRowStretch(1, 1);
    grid->setRowStretch(2, 1);
    // The panel must fit beside the section bar on a 1366 pixels wide screen.
    for (QWidget *w : panel->findChildren<QAbstractScrollArea *>())
        w->setMinimumWidth(60);
    for (const char *name : {"DBEdit19", "DBEdit9"})
        panel->findChild<QWidget *>(QString::fromLatin1(name))->setMaximumWidth(110);
    return panel;
}

void Form1::attach(AppContext &context, Form_settings *settings, QWidget *logs, QWidget *registerDocs)
{
    m_ctx = &context;
    m_settings = settings;
    m_logs = logs;
    m_registerDocs = registerDocs;
    db::Table *reg = context.dm1->register_;

    auto *gridHost = findChild<QWidget *>(QStringLiteral("GridHost"));
    m_grid = new ui::DBGrid(reg,
                            {{QStringLiteral("Amb_karta"), QStringLiteral("№ а\\к")},
                             {QStringLiteral("Last_Name"), QStringLiteral("Фамилия")},
                             {QStringLiteral("First_Name"), QStringLiteral("Имя")},
                             {QStringLiteral("Father_Name"), QStringLiteral("Отчество")},
                             {QStringLiteral("Born_dat"), QStringLiteral("Дата рожд.")},
                             {QStringLiteral("Dat_per_pos"), QStringLiteral("Дата 1 поступления")},
                             {QStringLiteral("Posl_post"), QStringLiteral("Дата посл. пост.")},
                             {QStringLiteral("Dat_posl_vip"), QStringLiteral("Дата посл. вып.")},
                             {QStringLiteral("Dat_posl_pos"), QStringLiteral("Дата посл. посещ.")},
                             {QStringLiteral("NKurs_posl_post"), QStringLiteral("№курса")},
                             {QStringLiteral("flag"), QString()},
                             {QStringLiteral("Reg_date"), QStringLiteral("Первое поступл.")},
                             {QStringLiteral("Born_Day"), QStringLiteral("№1к")},
                             {QStringLiteral("Vip_date"), QStringLiteral("Последняя выписка")},
                             {QStringLiteral("ID_age_cat"), QStringLiteral("№пк")},
                             {QStringLiteral("flag_day"), QString()},
                             {QStringLiteral("flagold"), QStringLiteral("old")},
                             {QStringLiteral("flagoldstr"), QStringLiteral("*")}},
                            gridHost);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    // F5 reads the list and the current patient's records again: with several seats on one server,
    // what the others have written since.
    auto *refreshAction = new QAction(QStringLiteral("Обновить"), this);
    refreshAction->setObjectName(QStringLiteral("ActionRefresh"));
    refreshAction->setShortcut(QKeySequence(Qt::Key_F5));
    refreshAction->setShortcutContext(Qt::WindowShortcut);
    addAction(refreshAction);
    connect(refreshAction, &QAction::triggered, this, [this] { refreshRecords(); });
    auto *helpAction = new QAction(QStringLiteral("Справка"), this);
    helpAction->setObjectName(QStringLiteral("ActionHelp"));
    helpAction->setShortcut(QKeySequence(Qt::Key_F1));
    helpAction->setShortcutContext(Qt::WindowShortcut);
    addAction(helpAction);
    connect(helpAction, &QAction::triggered, this, &Form1::showHelp);
    for (const char *hidden : {"Reg_date", "Born_Day", "Vip_date", "ID_age_cat", "flag_day", "flagold", "flagoldstr"})
        m_grid->setFieldHidden(QString::fromLatin1(hidden), true);
    const int widths[] = {7, 16, 13, 15, 12, 22, 12, 12, 21, 7, 3};
    for (int i = 0; i < int(std::size(widths)); ++i)
        m_grid->setColumnWidthChars(i, widths[i]);
    const int flagIndex = reg->fieldIndex(QStringLiteral("flag"));
    const int flagDayIndex = reg->fieldIndex(QStringLiteral("flag_day"));
    ui::TableModel *model = m_grid->tableModel();
    m_grid->setCellBackground([model, flagIndex, flagDayIndex](int row, int, bool focused) {
        return rowColour(model->valueAt(row, flagIndex).toString(), model->valueAt(row, flagDayIndex), focused);
    });
    gridHost->layout()->addWidget(m_grid);
    connect(m_grid, &ui::DBGrid::doubleClickedRow, this, [this](int) { gridDoubleClicked(); });
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QMenu menu(this);
        menu.addAction(QStringLiteral("Сохранить пациента"));
        menu.addAction(QStringLiteral("Загрузить пациента"));
        menu.addAction(QStringLiteral("Удалить пациента"), this, &Form1::deletePatient);
        menu.exec(m_grid->viewport()->mapToGlobal(pos));
    });

    m_cardHost->layout()->addWidget(buildRegistrationCard());
    m_osmotrHost->layout()->addWidget(buildExaminationPanel());

    // Every section names the patient it shows, so a paper is never prepared for someone only the
    // highlight of the list tells.
    connect(reg, &db::Table::currentChanged, this, &Form1::updateSectionTitles);
    connect(reg, &db::Table::rowsChanged, this, &Form1::updateSectionTitles);
    connect(reg, &db::Table::stateChanged, this, &Form1::updateSectionTitles);
    connect(reg, &db::Table::recordChanged, this, &Form1::updateSectionTitles);
    updateSectionTitles();

    // The caption tells when a card number was changed, until the program ends.
    const int ambIndex = reg->fieldIndex(QStringLiteral("Amb_karta"));
    connect(reg, &db::Table::recordChanged, this, [this, reg, ambIndex](int field) {
        if (field == ambIndex && !reg->value(ambIndex).isNull())
            setWindowTitle(QStringLiteral("Номер амбулатороной карты был изменен"));
    });
    for (const char *name : {"anamnez_zab", "anamnez_life"}) {
        db::Table *t = context.dm1->table(QString::fromLatin1(name));
        connect(t, &db::Table::stateChanged, this, [this, t] {
            if (t->state() == db::TableState::Edit)
                updateApplyButtons();
        });
    }
    if (settings) {
        connect(settings, &Form_settings::patientArchiveChanged, this, &Form1::applyPatientArchive);
        connect(settings, &Form_settings::examArchiveChanged, this, &Form1::applyExamArchive);
        connect(settings, &Form_settings::closedByUser, this, [this] {
            applyPatientArchive();
            applyExamArchive();
        });
        connect(settings, &Form_settings::showLogsRequested, this, [this] {
            if (m_logs) {
                m_logs->show();
                m_logs->raise();
            }
        });
    }
}

void Form1::updateApplyButtons()
{
    if (!m_ctx)
        return;
    if (m_ctx->dm1->anamnez_zab->state() == db::TableState::Edit) {
        findChild<QPushButton *>(QStringLiteral("BitBtn3"))->setEnabled(true);
        findChild<QPushButton *>(QStringLiteral("BitBtn4"))->setEnabled(true);
    }
    if (m_ctx->dm1->anamnez_life->state() == db::TableState::Edit) {
        findChild<QPushButton *>(QStringLiteral("BitBtn5"))->setEnabled(true);
        findChild<QPushButton *>(QStringLiteral("BitBtn6"))->setEnabled(true);
    }
}

std::optional<QColor> Form1::rowColour(const QString &flag, const QVariant &flagDay, bool focused)
{
    if (flag == QLatin1String("-"))
        return std::nullopt;
    if (focused)
        return QColor(Qt::black);
    const qint64 days = flagDay.isValid() ? flagDay.toLongLong() : 0;
    QColor colour;
    if (days >= 0 && days <= 14)
        colour = QColor(147, 255, 76);
    else if (days >= 15 && days <= 28)
        colour = QColor(204, 255, 102);
    else if (days >= 29 && days <= 42)
        colour = QColor(252, 221, 118);
    else if (days >= 43 && days <= 56)
        colour = QColor(255, 202, 153);
    else
        colour = QColor(255, 178, 178);
    if (flag == QLatin1String("!"))
        colour = QColor(255, 178, 178);
    return colour;
}

QString Form1::patientCaption(const QString &lastName, const QString &firstName, const QString &fatherName,
                              const QString &card)
{
    QString name = lastName.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("фамилия не указана");
    for (const QString &given : {firstName.trimmed(), fatherName.trimmed()}) {
        if (!given.isEmpty())
            name += QLatin1Char(' ') + given.left(1).toUpper() + QLatin1Char('.');
    }
    const QString number = card.trimmed();
    return name + (number.isEmpty() || number == QLatin1String("0") ? QStringLiteral(", карта не указана")
                                                                   : QStringLiteral(", карта ") + number);
}

void Form1::updateSectionTitles()
{
    const db::Table &reg = *m_ctx->dm1->register_;
    QString who;
    if (reg.state() == db::TableState::Insert && reg.asString(QStringLiteral("Last_Name")).trimmed().isEmpty())
        who = QStringLiteral("новый пациент");
    else if (!reg.isEmpty())
        who = patientCaption(reg.asString(QStringLiteral("Last_Name")), reg.asString(QStringLiteral("First_Name")),
                             reg.asString(QStringLiteral("Father_Name")), reg.asString(QStringLiteral("Amb_karta")));
    for (int i = 0; i < SectionCount; ++i)
        m_sections[i]->setTitle(who.isEmpty() ? m_sectionTitles[i] : m_sectionTitles[i] + QStringLiteral(" — ") + who);
}

void Form1::setPatientCount(int count)
{
    m_count->setText(QString::number(count));
}

void Form1::hideAllSections()
{
    db::DM1 &dm1 = *m_ctx->dm1;
    m_sections[Register]->hide();
    if (dm1.register_->updateRecord() && dm1.register_->modified())
        dm1.register_->post();
    m_sections[AnamnezZab]->hide();
    for (db::Table *t : {dm1.anamnez_zab, dm1.anamnez_zab_start, dm1.anamnez_zab_ranlech, dm1.anamnez_zab_obostr_prich,
                         dm1.anamnez_zab_obostr_lech, dm1.anamnez_zab_zalobi}) {
        if (t->updateRecord() && t->modified())
            t->post();
    }
    m_sections[AnamnezLive]->hide();
    for (db::Table *t : {dm1.anamnez_life, dm1.anamnez_life_zab, dm1.anamnez_life_sem}) {
        if (t->updateRecord() && t->modified())
            t->post();
    }
    for (Section s : {Osmotr, Lech, Diagnoz, Analyz, Docs})
        m_sections[s]->hide();
}

void Form1::showSection(Section section)
{
    if (!m_ctx)
        return;
    // A control still holding typed text writes it now, so the posts below see it.
    if (QWidget *focus = QApplication::focusWidget(); focus && m_sectionArea->isAncestorOf(focus))
        focus->clearFocus();
    hideAllSections();
    m_current = section;
    // Under an open system panel the section waits for the panel to close.
    m_sections[section]->setVisible(m_sys->isHidden());
    m_sectionButtons[section]->setChecked(true);
    if (section == AnamnezZab)
        m_ctx->dm2->diagnoz->first();
    Q_EMIT sectionShown(section);
}

int Form1::currentTab() const
{
    return m_tabs->currentIndex();
}

void Form1::selectTabSilently(int tab)
{
    m_tabSilently = true;
    m_tabs->setCurrentIndex(tab);
    m_tabSilently = false;
}

void Form1::selectTab(int tab)
{
    if (m_tabs->currentIndex() != tab) {
        selectTabSilently(tab);
    }
    if (!m_ctx)
        return;
    db::Table &reg = *m_ctx->dm1->register_;
    const db::RunSettings &s = m_ctx->settings;
    const QDate today = clock::today();
    const qint64 current = reg.asInteger(QStringLiteral("ID_man"));
    const PatientListView view = patientListView(tab, current, s.patientArchive, s.patientArchiveDays, today);
    // The patient the doctor works on stays current whenever the list still holds him, so nothing
    // prepared next goes to someone else without his row being seen to move.
    reg.setOrderField(view.orderField);
    reg.setFilterKeepingCurrent(view.filter);
}

void Form1::gridDoubleClicked()
{
    Dialogs::instance().beep();
    db::Table &reg = *m_ctx->dm1->register_;
    reg.setFilterKeepingCurrent(alphabetTabFilter(kTabCurrent, reg.asInteger(QStringLiteral("ID_man"))));
    selectTabSilently(kTabCurrent);
}

bool Form1::showPatient(qint64 patientId)
{
    if (!m_ctx)
        return false;
    db::Table &reg = *m_ctx->dm1->register_;
    // The patient may be outside the alphabet tab or the archive: he is shown alone, as the double
    // click on the list shows the current one.
    if (!reg.setFilter(alphabetTabFilter(kTabCurrent, patientId)))
        return false;
    selectTabSilently(kTabCurrent);
    return reg.locate(QStringLiteral("ID_man"), patientId);
}

void Form1::showAll()
{
    db::RunSettings &s = m_ctx->settings;
    const bool patients = s.patientArchive;
    const bool exams = s.examArchive;
    s.patientArchive = false;
    s.examArchive = false;
    s.examArchiveSuspended = false;
    s.notifyChanged();
    if (patients) {
        m_ctx->dm1->register_->setOrderField(QStringLiteral("Last_Name"));
        m_ctx->dm1->register_->setFilterKeepingCurrent(QString());
        selectTabSilently(0);
    }
    if (exams)
        m_ctx->dm2->osmotr1->setFilter(QString());
}

void Form1::applyPatientArchive()
{
    const db::RunSettings &s = m_ctx->settings;
    db::Table &reg = *m_ctx->dm1->register_;
    // The archive alone filters the list now, as tab "*" does: that tab is shown, so the tab the
    // doctor sees is the one in force and a click on a letter filters again.
    reg.setOrderField(QStringLiteral("Last_Name"));
    reg.setFilterKeepingCurrent(s.patientArchive ? patientArchiveClause(s.patientArchiveDays, clock::today())
                                                 : QString());
    // The status of every row depends on the day count.
    reg.invalidateCalc();
    if (m_grid)
        m_grid->repaintCells();
    selectTabSilently(0);
}

void Form1::applyExamArchive()
{
    const db::RunSettings &s = m_ctx->settings;
    m_ctx->dm2->osmotr1->setFilter(s.examArchive ? examArchiveClause(s.examArchiveDays, clock::today()) : QString());
}

void Form1::newPatient()
{
    m_ctx->patients->newPatient([this] { showSection(Register); });
    selectTabSilently(0);
    countPatients();
}

void Form1::deletePatient()
{
    if (m_ctx->patients->deletePatient())
        selectTabSilently(0);
    countPatients();
}

void Form1::countPatients()
{
    // The label tells how many patients the database holds, whatever the list shows.
    QSqlQuery q(m_ctx->database.sql());
    if (q.exec(QStringLiteral("SELECT count(*) FROM register")) && q.next())
        setPatientCount(q.value(0).toInt());
}

void Form1::flush()
{
    db::flushAll(m_ctx->database);
}

void Form1::computeAgeCategory()
{
    db::Table &reg = *m_ctx->dm1->register_;
    reg.updateRecord();
    if (!reg.modified())
        reg.edit();
    reg.setValue(QStringLiteral("Kat_vozr"), reg.value(QStringLiteral("Vozrast_cat")));
    reg.post();
}

void Form1::openSystemPanel()
{
    const std::optional<QString> typed =
        Dialogs::instance().input(QStringLiteral("Вход в системную панель"), QStringLiteral("Введите пароль"), QString());
    if (typed && *typed == QLatin1String("vorpe")) {
        // The panel takes the section's place while it is shown: the section is hidden under it (keeping
        // its size), so no title, tab strip or text of it is drawn over the panel or takes a click.
        m_sections[m_current]->hide();
        m_sys->show();
        m_sys->raise();
    }
}

QPushButton *Form1::visibleApply() const
{
    const char *name = m_current == Register ? "BitBtn1" : m_current == AnamnezZab ? "BitBtn3"
                                                      : m_current == AnamnezLive ? "BitBtn5" : nullptr;
    auto *b = name ? findChild<QPushButton *>(QString::fromLatin1(name)) : nullptr;
    return b && b->isEnabled() && b->isVisible() ? b : nullptr;
}

QPushButton *Form1::visibleCancel() const
{
    const char *name = m_current == Register ? "BitBtn2" : m_current == AnamnezZab ? "BitBtn4"
                                                      : m_current == AnamnezLive ? "BitBtn6" : nullptr;
    auto *b = name ? findChild<QPushButton *>(QString::fromLatin1(name)) : nullptr;
    return b && b->isEnabled() && b->isVisible() ? b : nullptr;
}

void Form1::showHelp()
{
    if (!m_help)
        return;
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void Form1::refreshRecords()
{
    // A card that cannot be stored first stays as typed, with the engine's message, and nothing is read.
    m_ctx->dm1->register_->refreshAll();
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    // Enter and Escape reach here from the edits of a section: the section's apply and cancel
    // buttons are the window's default and cancel buttons.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (QPushButton *b = visibleApply()) {
            b->click();
            return;
        }
    } else if (event->key() == Qt::Key_Escape) {
        if (QPushButton *b = visibleCancel()) {
            b->click();
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The open windows close first, each through its own closing, as if the doctor had closed them;
    // one that refuses (a value it cannot store) keeps the program running.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w == this || !w->isVisible() || !qobject_cast<QDialog *>(w))
            continue;
        if (!w->close()) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
    QApplication::quit();
}

} // namespace pelorin::app
