#include "session.h"

#include "analyz_calc.h"
#include "anamnesis_calc.h"
#include "appcontext.h"
#include "diagnoz_calc.h"
#include "elements.h"
#include "osmotr_calc.h"
#include "puva_calc.h"
#include "recomend_calc.h"

namespace pelorin::app {

bool openDataModule(AppContext &ctx, int module, QString *error)
{
    if (module == 1) {
        db::installRegisterCalc(*ctx.dm1->register_, ctx.settings);
        anamnesis::installAnamnesisCalc(*ctx.dm1);
        return ctx.dm1->open(error);
    }
    examination::installOsmotrCalc(*ctx.dm2->osmotr1);
    examination::installElementCalc(*ctx.dm2->osmotr_elem);
    treatment::installPuvaCalc(*ctx.dm2->lech_puva);
    clinical::installDiagnozCalc(*ctx.dm2->diagnoz);
    clinical::installAnalyzCalc(*ctx.dm2->analyz);
    clinical::installRecomendCalc(*ctx.dm2->recomend);
    if (!ctx.dm2->open(error))
        return false;
    ctx.protection = std::make_unique<db::Protection>(*ctx.dm1, *ctx.dm2, ctx.settings, ctx.log);
    ctx.protection->install();
    db::installRegisterEvents(*ctx.dm1, *ctx.dm2);
    ctx.patients = std::make_unique<db::PatientOps>(*ctx.dm1, *ctx.dm2, ctx.settings, ctx.log);
    ctx.examinations =
        std::make_unique<examination::OsmotrOps>(*ctx.dm1, *ctx.dm2, ctx.settings, ctx.log, *ctx.protection);
    ctx.examinations->install();
    ctx.diagnoses = std::make_unique<clinical::DiagnozOps>(*ctx.dm1, *ctx.dm2, ctx.settings, ctx.log, *ctx.protection);
    ctx.diagnoses->install();
    return true;
}

} // namespace pelorin::app
