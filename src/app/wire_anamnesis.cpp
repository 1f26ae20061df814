#include "anamnez_life_windows.h"
#include "anamnez_sections.h"
#include "anamnez_zab_windows.h"
#include "application.h"
#include "form1.h"
#include "wiring.h"

#include <QGroupBox>
#include <QLayout>

namespace pelorin::app {

namespace {

void showWindow(Application &app, const QString &name)
{
    if (QWidget *w = app.window(name)) {
        w->show();
        w->raise();
        w->activateWindow();
    }
}

} // namespace

QDialog *createAnamnesisWindow(Application &app, const QString &name)
{
    AppContext &ctx = app.context();
    db::DM1 &dm1 = *ctx.dm1;
    QWidget *main = app.form1();
    using namespace anamnesis;
    if (name == QLatin1String("Form_anamnez_zab_zalobi"))
        return new Form_anamnez_zab_zalobi(dm1, *ctx.dm2, ctx.settings, main);
    if (name == QLatin1String("Form_anamnez_zab_start"))
        return new Form_anamnez_zab_start(dm1, ctx.settings, main);
    if (name == QLatin1String("Form_anamnez_zab_ranlech"))
        return new Form_anamnez_zab_ranlech(dm1, ctx.settings, main);
    if (name == QLatin1String("Form_anamnez_zab_obostr_lech"))
        return new Form_anamnez_zab_obostr_lech(dm1, ctx.settings, main);
    if (name == QLatin1String("Form_anamnez_zab_obostr_prich"))
        return new Form_anamnez_zab_obostr_prich(dm1, ctx.settings, main);
    if (name == QLatin1String("Form_amamnez_life_zab"))
        return new Form_amamnez_life_zab(dm1, ctx.settings, main);
    if (name == QLatin1String("Form_amamnez_life_sem"))
        return new Form_amamnez_life_sem(dm1, ctx.settings, main);
    return nullptr;
}

void wireAnamnesis(Application &app)
{
    Form1 *form = app.form1();
    AppContext &ctx = app.context();

    // The section button says "Анамнез болезни"; the box it shows is titled with the full term.
    form->sectionBox(Form1::AnamnezZab)->setTitle(QStringLiteral("Анамнез заболевания"));
    auto *zab = new anamnesis::AnamnezZabSection(*ctx.dm1, *ctx.dm2, form);
    form->host(QStringLiteral("HostAnamnezZab"))->layout()->addWidget(zab);
    QObject::connect(zab, &anamnesis::AnamnezZabSection::windowRequested, form,
                     [&app](const QString &name) { showWindow(app, name); });
    // "Поставить" (Button6) belongs to the diagnoses: their wiring opens the quick first diagnosis.

    auto *live = new anamnesis::AnamnezLiveSection(*ctx.dm1, form);
    form->host(QStringLiteral("HostAnamnezLive"))->layout()->addWidget(live);
    QObject::connect(live, &anamnesis::AnamnezLiveSection::windowRequested, form,
                     [&app](const QString &name) { showWindow(app, name); });
}

} // namespace pelorin::app
