#include "application.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "diagnoz_windows.h"
#include "form1.h"
#include "formwait.h"
#include "puva_windows.h"
#include "wiring.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLayout>
#include <QPushButton>
#include <QTabWidget>

namespace pelorin::app {

namespace {

// Created with the other windows at start-up, connected once the main window is bound.
struct PuvaWindows
{
    QPointer<treatment::Form_lech_puva_edit> editor;
    QPointer<treatment::Form_lech_puva_edit_script> script;
    QPointer<treatment::Form_lech_puva_edit_osmotr> procedureExam;
    QPointer<treatment::Form_osmotr_edit_puva> examProcedure;
    QPointer<clinical::Form_diagnoz> diagnoz;
    QPointer<clinical::Form_diagnoz_lite> diagnozLite;
};

PuvaWindows &windows()
{
    static PuvaWindows w;
    return w;
}

void reshow(QWidget *w)
{
    if (!w)
        return;
    w->hide();
    w->show();
    w->raise();
}

} // namespace

QDialog *createPuvaWindow(Application &app, const QString &name)
{
    AppContext &ctx = app.context();
    PuvaWindows &w = windows();
    if (name == QLatin1String("Form_lech_puva_edit")) {
        w.editor = new treatment::Form_lech_puva_edit(*ctx.dm1, *ctx.dm2, ctx.settings, ctx.log, app.form1());
        return w.editor;
    }
    if (name == QLatin1String("Form_lech_puva_edit_script") && w.editor) {
        w.script = new treatment::Form_lech_puva_edit_script(w.editor->ops());
        w.editor->setScriptWindow(w.script);
        return w.script;
    }
    if (name == QLatin1String("Form_lech_puva_edit_osmotr")) {
        w.procedureExam = new treatment::Form_lech_puva_edit_osmotr(*ctx.dm2);
        return w.procedureExam;
    }
    if (name == QLatin1String("Form_osmotr_edit_puva")) {
        w.examProcedure = new treatment::Form_osmotr_edit_puva(*ctx.dm2);
        return w.examProcedure;
    }
    if (name == QLatin1String("Form_diagnoz")) {
        w.diagnoz = new clinical::Form_diagnoz(*ctx.dm1, *ctx.dm2, ctx.settings, *ctx.diagnoses, app.form1());
        return w.diagnoz;
    }
    if (name == QLatin1String("Form_diagnoz_lite")) {
        w.diagnozLite = new clinical::Form_diagnoz_lite(*ctx.diagnoses, w.diagnoz);
        return w.diagnozLite;
    }
    return nullptr;
}

void wirePuva(Application &app)
{
    Form1 *form = app.form1();
    AppContext &ctx = app.context();
    PuvaWindows &w = windows();

    // Page "Фототерапия подробно".
    auto *page = new treatment::PuvaPage(*ctx.dm1, *ctx.dm2, ctx.settings, form);
    form->host(QStringLiteral("HostLechPuva"))->layout()->addWidget(page);
    QObject::connect(page, &treatment::PuvaPage::editorRequested, form, [page, &w] {
        if (w.editor)
            w.editor->openFromMainWindow(page->selector());
    });
    // "Лечение" lists every course again when the editor's opening had cleared the choice.
    QObject::connect(form, &Form1::sectionShown, form, [page](int section) {
        if (section == Form1::Lech && page->selector()->selected() != 0)
            page->selector()->select(0);
    });

    if (w.editor) {
        treatment::PuvaEditorOps &ops = w.editor->ops();
        ops.showWait = [&app](bool on) {
            if (QWidget *wait = app.window(QStringLiteral("Form_wait"))) {
                auto *fw = static_cast<ui::Form_wait *>(wait);
                if (on)
                    fw->showWaiting();
                else
                    fw->hideWaiting();
            }
        };
        // The walks must not repaint the grids row by row.
        ops.hideGrids = [form, &w](bool hide) {
            static QList<QPointer<QWidget>> hidden;
            if (hide) {
                hidden.clear();
                QList<ui::DBGrid *> grids = form->findChildren<ui::DBGrid *>();
                grids << w.editor->grid();
                for (ui::DBGrid *g : grids) {
                    if (g->isVisible()) {
                        hidden << g;
                        g->setUpdatesEnabled(false);
                    }
                }
            } else {
                for (const QPointer<QWidget> &g : hidden) {
                    if (g)
                        g->setUpdatesEnabled(true);
                }
                hidden.clear();
            }
        };
        ops.reapplyExamArchive = [form] { form->applyExamArchive(); };
    }

    // Page "Поставленные диагнозы".
    auto *diagnoses = new clinical::DiagnozPage(ctx.dm2->diagnoz, form);
    form->host(QStringLiteral("HostDiagnoz"))->layout()->addWidget(diagnoses);
    diagnoses->refresh();
    QObject::connect(diagnoses, &clinical::DiagnozPage::editRequested, form, [&w] {
        if (w.diagnoz)
            w.diagnoz->open(true);
    });
    if (auto *grid7 = form->findChild<ui::DBGrid *>(QStringLiteral("DBGrid7"))) {
        QObject::connect(grid7, &ui::DBGrid::doubleClickedRow, form, [&w](int) {
            if (w.diagnoz)
                w.diagnoz->open(false);
        });
    }
    // "Поставить" of the disease anamnesis opens the quick first diagnosis.
    if (auto *quick = form->findChild<QPushButton *>(QStringLiteral("Button6"))) {
        QObject::connect(quick, &QPushButton::clicked, form, [&w] { reshow(w.diagnozLite); });
    }

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
    QObject::connect(choose, &QPushButton::clicked, form, [&w] { reshow(w.procedureExam); });
    QObject::connect(procedure, &QPushButton::clicked, form, [&w] { reshow(w.examProcedure); });
}

} // namespace pelorin::app
