#include "form_lech_lekar.h"

#include "datamodules.h"
#include "dbgrid.h"
#include "dialogs.h"
#include "prescriptions.h"
#include "programfolder.h"
#include "settings.h"
#include "table.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pelorin::treatment {

namespace {

const QString kTreeFile = QStringLiteral("lekar.txt");
const QString kBackupFile = QStringLiteral("lekar_bu.txt");

void showError(const QString &text)
{
    Dialogs::instance().message(text, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

Form_lech_lekar::Form_lech_lekar(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent)
    : ui::EditingWindow(parent), m_dm2(dm2), m_settings(settings)
{
    holdMainWindow(mainWindow, [this] { return m_settings.noFastScrolling; });
    setObjectName(QStringLiteral("Form_lech_lekar"));
    setWindowTitle(QStringLiteral("Пелорин."));
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto *title = new QLabel(QStringLiteral("Препараты внутрь и местное лечение."), this);
    title->setObjectName(QStringLiteral("LabelTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    title->setFont(bold);

    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("DateTimePicker1"));
    m_date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_date->setCalendarPopup(true);
    auto *dateLabel = new QLabel(QStringLiteral("Дата назначения лечения:"), this);
    dateLabel->setBuddy(m_date);
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(dateLabel);
    dateRow->addWidget(m_date);
    dateRow->addStretch(1);

    m_view = new QTreeWidget(this);
    m_view->setObjectName(QStringLiteral("TreeView1"));
    m_view->setHeaderHidden(true);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->header()->setStretchLastSection(true);
    m_view->setMinimumSize(420, 360);
    connect(m_view, &QTreeWidget::itemClicked, this, [this] { m_nodeClicked = true; });

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    auto addAction = [this](QMenu *menu, const char *name, const QString &text, void (Form_lech_lekar::*slot)()) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    addAction(m_menu, "N_add", QStringLiteral("Добавить"), &Form_lech_lekar::addFromMenu);
    addAction(m_menu, "N_change", QStringLiteral("Изменить"), &Form_lech_lekar::changeSelected);
    addAction(m_menu, "N_delete", QStringLiteral("Удалить"), &Form_lech_lekar::deleteSelected);
    QMenu *backup = m_menu->addMenu(QStringLiteral("Резервная копия"));
    backup->setObjectName(QStringLiteral("N_backup"));
    addAction(backup, "N_save", QStringLiteral("Сохранить"), &Form_lech_lekar::saveBackup);
    addAction(backup, "N_load", QStringLiteral("Загрузить"), &Form_lech_lekar::loadBackup);
    // A right click selects the node under it before the menu opens.
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (QTreeWidgetItem *item = m_view->itemAt(pos))
            m_view->setCurrentItem(item);
        m_menu->popup(m_view->viewport()->mapToGlobal(pos));
    });

    m_add = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Добавить"));
    connect(m_add, &QPushButton::clicked, this, &Form_lech_lekar::addFromButton);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_add);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(dateRow);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
}

Form_lech_lekar::~Form_lech_lekar() = default;

// ---------------------------------------------------------------- the tree and its view

DrugNode *Form_lech_lekar::nodeOf(const QTreeWidgetItem *item)
{
    return item ? reinterpret_cast<DrugNode *>(item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem *Form_lech_lekar::addItem(QTreeWidgetItem *parent, DrugNode *node)
{
    auto *item = new QTreeWidgetItem(parent, {node->text});
    item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    for (const auto &child : node->children)
        addItem(item, child.get());
    return item;
}

QTreeWidgetItem *Form_lech_lekar::itemOf(const DrugNode *node) const
{
    for (QTreeWidgetItemIterator it(m_view); *it; ++it) {
        if (nodeOf(*it) == node)
            return *it;
    }
    return nullptr;
}

void Form_lech_lekar::rebuildView()
{
    m_view->clear();
    for (const auto &section : m_tree.root().children)
        addItem(m_view->invisibleRootItem(), section.get());
    m_view->collapseAll();
}

bool Form_lech_lekar::loadTree(QString *error)
{
    m_treeLoaded = m_tree.load(folder::sourses() + kTreeFile, error);
    if (!m_treeLoaded)
        m_tree.clear();
    rebuildView();
    return m_treeLoaded;
}

void Form_lech_lekar::openForNew()
{
    show();
    raise();
    activateWindow();
    QString error;
    if (!loadTree(&error))
        showError(error);
    m_view->setFocus();
    m_nodeClicked = false;
}

bool Form_lech_lekar::writeTree(const QString &fileName)
{
    if (!m_treeLoaded) {
        showError(QStringLiteral("Список препаратов не был загружен, поэтому файл %1 не перезаписан.").arg(fileName));
        return false;
    }
    QString error;
    if (!m_tree.save(folder::sourses() + fileName, &error)) {
        showError(error);
        return false;
    }
    return true;
}

// The new node's item goes under its parent's item, which opens to show it selected.
void Form_lech_lekar::addUnder(DrugNode *added)
{
    QTreeWidgetItem *parent = itemOf(added->parent);
    if (!parent)
        return;
    QTreeWidgetItem *item = addItem(parent, added);
    parent->setExpanded(true);
    m_view->setCurrentItem(item);
    m_view->scrollToItem(item);
}

// ---------------------------------------------------------------- commands

void Form_lech_lekar::addFromButton()
{
    DrugNode *node = nodeOf(m_view->currentItem());
    if (node && kindOf(*node) == DrugNodeKind::Dosage) {
        prescribeFrom(*node);
        return;
    }
    if (node) {
        if (DrugNode *added = askAddNode(*node, AddCommand::Button))
            addUnder(added);
    }
    writeTree(kTreeFile);
}

void Form_lech_lekar::addFromMenu()
{
    if (DrugNode *node = nodeOf(m_view->currentItem())) {
        if (DrugNode *added = askAddNode(*node, AddCommand::Menu))
            addUnder(added);
    }
    writeTree(kTreeFile);
}

void Form_lech_lekar::changeSelected()
{
    QTreeWidgetItem *item = m_view->currentItem();
    DrugNode *node = nodeOf(item);
    if (node && askChangeNode(*node))
        item->setText(0, node->text);
}

void Form_lech_lekar::deleteSelected()
{
    QTreeWidgetItem *item = m_view->currentItem();
    DrugNode *node = nodeOf(item);
    // The node is gone once deleted; its item (with the items under it) follows.
    if (node && askDeleteNode(*node))
        delete item;
}

void Form_lech_lekar::saveBackup()
{
    writeTree(kBackupFile);
}

void Form_lech_lekar::loadBackup()
{
    DrugTree backup;
    QString error;
    if (!backup.load(folder::sourses() + kBackupFile, &error)) {
        // The tree on screen stays as it was.
        showError(error);
        return;
    }
    m_tree = std::move(backup);
    m_treeLoaded = true;
    rebuildView();
}

void Form_lech_lekar::prescribeFrom(const DrugNode &dosage)
{
    const DosagePick pick = dosagePick(dosage);
    prescribe(m_dm2, m_settings, m_date->date(), pick.drug, pick.dosage, pick.local, m_nodeClicked);
    close();
    writeTree(kTreeFile);
}

// ---------------------------------------------------------------- pages of the main window

LechLekarPage::LechLekarPage(db::Table &lech_lekar, Form_lech_lekar *drugWindow, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LechLekarPage"));
    auto *grid = new ui::DBGrid(&lech_lekar,
                                {{QStringLiteral("Data"), QStringLiteral("Дата")},
                                 {QStringLiteral("Lek"), QStringLiteral("Назначеное лечение")},
                                 {QStringLiteral("Recept"), QStringLiteral("Способ применения")}},
                                this);
    grid->setObjectName(QStringLiteral("DBGrid_lech_lekar"));
    grid->setColumnWidthChars(0, 13);
    grid->setColumnWidthChars(1, 45);
    grid->horizontalHeader()->setStretchLastSection(true);

    auto *add = makeButton(this, QStringLiteral("Button20"), QStringLiteral("Добавить новое."));
    auto *remove = makeButton(this, QStringLiteral("Button27"), QStringLiteral("Удалить текущее."));
    QPointer<Form_lech_lekar> window(drugWindow);
    connect(add, &QPushButton::clicked, this, [window] {
        if (window)
            window->openForNew();
    });
    db::Table *table = &lech_lekar;
    connect(remove, &QPushButton::clicked, this, [table] { deletePrescription(*table); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grid, 1);
    layout->addLayout(buttons);
}

SysLekarPage::SysLekarPage(db::Table &lech_lekar, db::RunSettings &settings, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SysLekarPage"));
    auto *resort = makeButton(this, QStringLiteral("Button37"),
                              QStringLiteral("Выполнить сортировку лекарственных препаратов по датам"));
    db::Table *table = &lech_lekar;
    db::RunSettings *run = &settings;
    connect(resort, &QPushButton::clicked, this, [table, run] { resortPanel(*table, *run); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(resort, 0, Qt::AlignLeft);
    layout->addStretch(1);
}

} // namespace pelorin::treatment
