#include "application.h"
#include "dbcontrols.h"
#include "drugtree.h"
#include "form1.h"
#include "programfolder.h"
#include "summaries.h"
#include "wiring.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QTreeWidget>

namespace pelorin::app {

namespace {

void fillTree(QTreeWidgetItem *parent, const treatment::DrugNode &node)
{
    for (const auto &child : node.children) {
        auto *item = new QTreeWidgetItem(parent, {child->text});
        fillTree(item, *child);
    }
}

} // namespace

QDialog *createClinicalWindow(Application &, const QString &)
{
    return nullptr;
}

bool loadDrugTree(Application &app, QString *error)
{
    treatment::DrugTree tree;
    if (!tree.load(folder::sourses() + QStringLiteral("lekar.txt"), error))
        return false;
    if (auto *view = app.window(QStringLiteral("Form_lech_lekar"))->findChild<QTreeWidget *>(QStringLiteral("TreeView1")))
        fillTree(view->invisibleRootItem(), tree.root());
    return true;
}

void wireClinical(Application &app)
{
    Form1 *form = app.form1();
    db::DM2 &dm2 = *app.context().dm2;
    QWidget *analyz = form->host(QStringLiteral("HostAnalyz"));
    // The blood test's date: a picked date is stored at once.
    auto *row = new QWidget(analyz);
    auto *rl = new QHBoxLayout(row);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->addWidget(new QLabel(QStringLiteral("Дата обследования:"), row));
    auto *picker = new ui::DBDatePicker(dm2.analyz, QStringLiteral("Data"), row);
    picker->setObjectName(QStringLiteral("DateTimePicker2"));
    QObject::connect(picker, &QDateEdit::dateChanged, form, [&dm2] {
        if (dm2.analyz->modified())
            dm2.analyz->post();
    });
    rl->addWidget(picker);
    rl->addStretch();
    analyz->layout()->addWidget(row);
    analyz->layout()->addWidget(summaryGrid(analyz,
                                            {{"Исследование крови:", dm2.analyz, "List1"},
                                             {"Исследование кала:", dm2.analyz, "List2"},
                                             {"Другие методы исследования:", dm2.analyz, "List3"}},
                                            1));
    QWidget *recomend = form->host(QStringLiteral("HostRecomend"));
    recomend->layout()->addWidget(summaryGrid(recomend, {{"Рекомендации:", dm2.recomend, "List"}}, 1));
}

} // namespace pelorin::app
