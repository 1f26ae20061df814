#include "session.h"

#include "analyz_calc.h"
#include "anamnesis_calc.h"
#include "appcontext.h"
#include "auditlog.h"
#include "table.h"
#include "diagnoz_calc.h"
#include "elements.h"
#include "osmotr_calc.h"
#include "puva_calc.h"
#include "puva_exposure.h"
#include "recomend_calc.h"

namespace pelorin::app {

namespace {

void installAuditLog(AppContext &ctx)
{
    ctx.audit = std::make_unique<db::AuditLog>(ctx.database, ctx.log);
    db::Table *patients = ctx.dm1->register_;
    // A card being created has no number yet; its lines are kept without one.
    ctx.audit->setPatientSource([patients]() -> QVariant {
        if (patients->isEmpty() || patients->state() == db::TableState::Insert)
            return {};
        return patients->value(QStringLiteral("ID_man"));
    });
}

} // namespace

bool openDataModule(AppContext &ctx, int module, QString *error)
{
    if (module == 1) {
        db::installRegisterCalc(*ctx.dm1->register_, ctx.settings);
        anamnesis::installAnamnesisCalc(*ctx.dm1);
        if (!ctx.dm1->open(error))
            return false;
        // The clinic keeps its PUVA exposure thresholds in the file: every run starts from them.
        treatment::loadExposureSettings(ctx.database, ctx.settings);
        ctx.settings.notifyChanged();
        return true;
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
    installAuditLog(ctx);
    return true;
}

} // namespace pelorin::app
