#pragma once

#include "editingwindow.h"

#include "drugtree.h"

#include <QDialog>
#include <QPointer>

class QDateEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pelorin::db {
class DM2;
class RunSettings;
class Table;
} // namespace pelorin::db

namespace pelorin::treatment {

// The drug window: the drug tree of lekar.txt, the date of the prescription and the commands that
// grow the tree or prescribe the selected dosage to the current patient.
//
// Controls: "DateTimePicker1" (date of prescription), "TreeView1" (the tree), "Button1" ("Добавить"),
// the tree's pop-up menu "PopupMenu1" with the actions "N_add", "N_change", "N_delete" and, under
// "Резервная копия", "N_save" and "N_load".
//
// The tree is written back to lekar.txt after every "Добавить". A tree that failed to load is never
// written: the empty tree on screen would otherwise replace the clinic's file (or its backup).
class Form_lech_lekar : public ui::EditingWindow
{
    Q_OBJECT

public:
    Form_lech_lekar(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
    ~Form_lech_lekar() override;

    // Reads lekar.txt into the tree, collapsed. On failure the tree is empty, writing it is
    // blocked and *error tells why.
    bool loadTree(QString *error);
    // "Добавить новое." of the prescriptions page: shows the window, reloads the tree (a failure is
    // shown as a message), collapses it, puts the focus on it and clears the node-clicked mark.
    void openForNew();

    // The commands, as the button and the pop-up menu run them on the selected node.
    void addFromButton();
    void addFromMenu();
    void changeSelected();
    void deleteSelected();
    void saveBackup();
    void loadBackup();

    bool nodeClicked() const { return m_nodeClicked; }
    bool treeWritable() const { return m_treeLoaded; }
    const DrugTree &tree() const { return m_tree; }
    QTreeWidget *treeView() const { return m_view; }
    QDateEdit *datePicker() const { return m_date; }
    QMenu *popupMenu() const { return m_menu; }
    // The node shown by an item of the tree view.
    static DrugNode *nodeOf(const QTreeWidgetItem *item);

private:
    void rebuildView();
    QTreeWidgetItem *addItem(QTreeWidgetItem *parent, DrugNode *node);
    QTreeWidgetItem *itemOf(const DrugNode *node) const;
    void addUnder(DrugNode *added);
    void prescribeFrom(const DrugNode &dosage);
    bool writeTree(const QString &fileName);

    db::DM2 &m_dm2;
    db::RunSettings &m_settings;
    DrugTree m_tree;
    bool m_treeLoaded = false;
    bool m_nodeClicked = false;
    QDateEdit *m_date;
    QTreeWidget *m_view;
    QPushButton *m_add;
    QMenu *m_menu;
};

// Page "Назначеное лечение" of the treatment section: the patient's prescriptions ("DBGrid_lech_lekar")
// and the buttons "Button20" ("Добавить новое.") and "Button27" ("Удалить текущее.").
class LechLekarPage : public QWidget
{
    Q_OBJECT

public:
    LechLekarPage(db::Table &lech_lekar, Form_lech_lekar *drugWindow, QWidget *parent = nullptr);
};

// Page "Лекарства" of the system panel: "Button37" re-sorts the current patient's prescriptions by date.
class SysLekarPage : public QWidget
{
    Q_OBJECT

public:
    SysLekarPage(db::Table &lech_lekar, db::RunSettings &settings, QWidget *parent = nullptr);
};

} // namespace pelorin::treatment
