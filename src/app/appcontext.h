#pragma once

#include "auditlog.h"
#include "changelog.h"
#include "diagnoz_ops.h"
#include "osmotr_ops.h"
#include "database.h"
#include "datamodules.h"
#include "protection.h"
#include "register.h"
#include "settings.h"

#include <memory>

namespace pelorin::app {

// What the windows share for the whole run: the database, both data modules, the run settings,
// the change log and the operations on them. Created by the start-up in its order.
struct AppContext
{
    db::Database database;
    db::RunSettings settings;
    db::ChangeLog log;
    std::unique_ptr<db::DM1> dm1;
    std::unique_ptr<db::DM2> dm2;
    std::unique_ptr<db::Protection> protection;
    std::unique_ptr<db::PatientOps> patients;
    std::unique_ptr<examination::OsmotrOps> examinations;
    std::unique_ptr<clinical::DiagnozOps> diagnoses;
    // Declared last, so it goes first: the lines still waiting are written while the tables are there.
    std::unique_ptr<db::AuditLog> audit;
};

} // namespace pelorin::app
