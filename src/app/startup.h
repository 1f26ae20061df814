#pragma once

#include <QString>
#include <QStringList>

namespace pelorin::app {

// The reference list files of the program folder in their loading order (a file that fills
// several pick lists appears once per list).
QStringList referenceListFiles();

// Reads every reference list and the drug tree of the program folder; the first file that
// cannot be read stops the start-up with a message naming it.
bool checkProgramFolder(QString *error);

} // namespace pelorin::app
