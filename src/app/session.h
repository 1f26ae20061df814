#pragma once

#include <QString>

namespace pelorin::app {

struct AppContext;

// Opens data module 1 (the register and the anamnesis) or 2 (everything recorded per patient) of
// the context with every calculation, rule and operation the program installs on its tables, so
// that a run without windows (the command-line tool, the tests, the benchmarks) posts exactly what
// the program posts, and keeps the change log's lines in the permanent journal. The context's database is open and its dm1/dm2 objects exist; module 2 needs
// module 1. False with the Russian complaint in *error.
bool openDataModule(AppContext &context, int module, QString *error);

} // namespace pelorin::app
