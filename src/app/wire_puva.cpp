#include "application.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "diagnoz_windows.h"
#include "form1.h"
#include "form_settings.h"
#include "formwait.h"
#include "puva_windows.h"
#include "wiring.h"

#include <QFormLayout>
#include <QPointer>
#include <QLayout>
#include <QPushButton>
#include <memory>

namespace pelorin::app {

namespace {

void reshow(QWidget *w)
{
    if (!w)
        return;
    w->hide();
    w->show();
    w->raise();
}

const ReferenceList kPuvaLists[] = {
    {"fotosens.txt", "Form_lech_puva_edit", "DBComboBox6"},
    {"power.txt", "Form_lech_puva_edit", "DBComboBox13"},
    {"power.txt", "Form_lech_puva_edit", "DBComboBox12"},
    {"power.txt", "Form_lech_puva_edit", "DBComboBox14"},
    {"ust_name.txt", "Form_lech_puva_edit", "DBComboBox1"},
    {"ust_name.txt", "Form_lech_puva_edit", "DBComboBox3"},
    {"ust_name.txt", "Form_lech_puva_edit", "DBComboBox7"},
    {"power.txt", "Form_lech_puva_edit_script", "ComboBox1"},
    {"ust_name.txt", "Form_lech_puva_edit_script", "ComboBox2"},
    {"fotosens.txt", "Form_lech_puva_edit_script", "ComboBox4"},
};

} // namespace

std::span<const ReferenceList> puvaLists()
{
    return kPuvaLists;
}

QDialog *createPuvaWindow(Application &app, const QString &name)
{
    AppContext &ctx = app.context();
    if (name == QLatin1String("Form_lech_puva_edit"))
        return new treatment::Form_lech_puva_edit(*ctx.dm1, *ctx.dm2, ctx.settings, ctx.log, app.form1());
    // The bulk setter works on the editor's list; the editor is made before it.
    if (name == QLatin1String("Form_lech_puva_edit_script")) {
        auto *editor = windowOf<treatment::Form_lech_puva_edit>(app, "Form_lech_puva_edit");
        if (!editor)
            return nullptr;
        auto *script = new treatment::Form_lech_puva_edit_script(editor->ops());
        editor->setScriptWindow(script);
        return script;
    }
    if (name == QLatin1String("Form_lech_puva_edit_osmotr"))
        return new treatment::Form_lech_puva_edit_osmotr(*ctx.dm2);
    if (name == QLatin1String("Form_osmotr_edit_puva"))
        return new treatment::Form_osmotr_edit_puva(*ctx.dm2);
    if (name == QLatin1String("Form_diagnoz"))
        return new clinical::Form_diagnoz(*ctx.dm1, *ctx.dm2, ctx.settings, *ctx.diagnoses, app.form1());
    // "Подробнее..." of the quick window goes on to the full one, made before it.
    if (name == QLatin1String("Form_diagnoz_lite"))
        return new clinical::Form_diagnoz_lite(*ctx.diagnoses, windowOf<clinical::Form_diagnoz>(app, "Form_diagnoz"));
    return nullptr;
}

void wirePuva(Application &app)
{
    Form1 *form = app.form1();
    AppContext &ctx = app.context();
    auto *editor = windowOf<treatment::Form_lech_puva_edit>(app, "Form_lech_puva_edit");
    auto *diagnoz = windowOf<clinical::Form_diagnoz>(app, "Form_diagnoz");

    // Page "Фототерапия подробно".
    auto *page = new treatment::PuvaPage(*ctx.dm1, *ctx.dm2, ctx.settings, form);
    form->host(QStringLiteral("HostLechPuva"))->layout()->addWidget(page);
    // "Лечение" lists every course again when the editor's opening had cleared the choice.
    QObject::connect(form, &Form1::sectionShown, form, [page](int section) {
        if (section == Form1::Lech && page->selector()->selected() != 0)
            page->selector()->select(0);
    });

    if (editor) {
        QObject::connect(page, &treatment::PuvaPage::editorRequested, editor,
                         [page, editor] { editor->openFromMainWindow(page->selector()); });
        treatment::PuvaEditorOps &ops = editor->ops();
        auto *wait = windowOf<ui::Form_wait>(app, "Form_wait");
        ops.showWait = [wait](bool on) {
            if (!wait)
                return;
            if (on)
                wait->showWaiting();
            else
                wait->hideWaiting();
        };
        // The walks must not repaint the grids row by row.
        auto frozen = std::make_shared<QList<QPointer<QWidget>>>();
        ops.hideGrids = [form, editor, frozen](bool hide) {
            if (hide) {
                QList<ui::DBGrid *> grids = form->findChildren<ui::DBGrid *>();
                grids << editor->grid();
                for (ui::DBGrid *g : grids) {
                    if (g->isVisible()) {
                        *frozen << g;
                        g->setUpdatesEnabled(false);
                    }
                }
                return;
            }
            for (const QPointer<QWidget> &g : std::as_const(*frozen)) {
                if (g)
                    g->setUpdatesEnabled(true);
            }
            frozen->clear();
        };
        ops.reapplyExamArchive = [form] { form->applyExamArchive(); };
    }

    // The settings window keeps the PUVA exposure thresholds in the file the clinic works on.
    if (Form_settings *settings = app.formSettings())
        settings->setDatabase(&ctx.database);

    // Page "Поставленные диагнозы".
    auto *diagnoses = new clinical::DiagnozPage(ctx.dm2->diagnoz, form);
    form->host(QStringLiteral("HostDiagnoz"))->layout()->addWidget(diagnoses);
    diagnoses->refresh();
    if (diagnoz) {
        QObject::connect(diagnoses, &clinical::DiagnozPage::editRequested, diagnoz, [diagnoz] { diagnoz->open(true); });
        if (auto *grid7 = form->findChild<ui::DBGrid *>(QStringLiteral("DBGrid7")))
            QObject::connect(grid7, &ui::DBGrid::doubleClickedRow, diagnoz, [diagnoz](int) { diagnoz->open(false); });
    }
    // "Поставить" of the disease anamnesis opens the quick first diagnosis.
    QWidget *quickWindow = app.window(QStringLiteral("Form_diagnoz_lite"));
    if (auto *quick = form->findChild<QPushButton *>(QStringLiteral("Button6")); quick && quickWindow)
        QObject::connect(quick, &QPushButton::clicked, quickWindow, [quickWindow] { reshow(quickWindow); });

    // System panel page "Осмотр->ПУВА".
    QWidget *sys = form->host(QStringLiteral("HostSysPuva"));
    auto *links = new QWidget(sys);
    auto *ll = new QFormLayout(links);
    auto *number = new ui::DBEdit(ctx.dm2->lech_puva, QStringLiteral("Osmotr"), links);
    number->setObjectName(QStringLiteral("DBEditSysOsmotr"));
    ll->addRow(QStringLiteral("Номер осмотра:"), number);
    auto *choose = new QPushButton(QStringLiteral("Выбрать"), links);
    choose->setObjectName(QStringLiteral("ButtonSysChooseExam"));
    auto *procedure = new QPushButton(QStringLiteral("Указать № проц. ПУВА"), links);
    procedure->setObjectName(QStringLiteral("ButtonSysChooseProcedure"));
    ll->addRow(choose);
    ll->addRow(procedure);
    sys->layout()->addWidget(links);
    QWidget *procedureExam = app.window(QStringLiteral("Form_lech_puva_edit_osmotr"));
    QWidget *examProcedure = app.window(QStringLiteral("Form_osmotr_edit_puva"));
    QObject::connect(choose, &QPushButton::clicked, form, [procedureExam] { reshow(procedureExam); });
    QObject::connect(procedure, &QPushButton::clicked, form, [examProcedure] { reshow(examProcedure); });
}

} // namespace pelorin::app
