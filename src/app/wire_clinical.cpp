#include "analyz_section.h"
#include "application.h"
#include "drugtree.h"
#include "form1.h"
#include "form_analyz.h"
#include "form_lech_lekar.h"
#include "form_recomend.h"
#include "programfolder.h"
#include "recomend_section.h"
#include "recomend_sheets.h"
#include "wiring.h"

#include <QLayout>
#include <QTextEdit>

namespace pelorin::app {

QDialog *createClinicalWindow(Application &app, const QString &name)
{
    AppContext &ctx = app.context();
    if (name == QLatin1String("Form_analyz"))
        return new clinical::Form_analyz(*ctx.dm2, ctx.settings, app.form1());
    if (name == QLatin1String("Form_lech_lekar"))
        return new treatment::Form_lech_lekar(*ctx.dm2, ctx.settings, app.form1());
    if (name == QLatin1String("Form_recomend"))
        return new clinical::Form_recomend(*ctx.dm2);
    return nullptr;
}

bool loadDrugTree(Application &app, QString *error)
{
    if (auto *drugs = windowOf<treatment::Form_lech_lekar>(app, "Form_lech_lekar"))
        return drugs->loadTree(error);
    // Without the drug window the file is still read, so that a broken tree stops the start.
    treatment::DrugTree tree;
    return tree.load(folder::sourses() + QStringLiteral("lekar.txt"), error);
}

void wireClinical(Application &app)
{
    Form1 *form = app.form1();
    AppContext &ctx = app.context();
    db::DM2 &dm2 = *ctx.dm2;

    QWidget *lech = form->host(QStringLiteral("HostLechLekar"));
    lech->layout()->addWidget(new treatment::LechLekarPage(
        *dm2.lech_lekar, windowOf<treatment::Form_lech_lekar>(app, "Form_lech_lekar"), lech));
    QWidget *sys = form->host(QStringLiteral("HostSysLekar"));
    sys->layout()->addWidget(new treatment::SysLekarPage(*dm2.lech_lekar, ctx.settings, sys));

    QWidget *analyz = form->host(QStringLiteral("HostAnalyz"));
    analyz->layout()->addWidget(
        new clinical::AnalyzSection(*dm2.analyz, windowOf<clinical::Form_analyz>(app, "Form_analyz"), analyz));

    QWidget *recomend = form->host(QStringLiteral("HostRecomend"));
    auto *recomendSection =
        new clinical::RecomendSection(*dm2.recomend, windowOf<clinical::Form_recomend>(app, "Form_recomend"), recomend);
    QTextEdit *documents = form->documentsText();
    recomendSection->setPrintSheet(
        [documents](const QString &fileName) { documents::printRecommendationSheet(documents, fileName); });
    recomend->layout()->addWidget(recomendSection);

    QWidget *sheets = form->host(QStringLiteral("HostDocsRecomend"));
    sheets->layout()->addWidget(new documents::DocsRecomendPage(documents, sheets));
}

} // namespace pelorin::app
