#pragma once

#include <QString>

// The program folder: the executable's folder with sourses/, sourses/reports/, foto/ and reports/.
namespace pelorin::folder {

// Folder of the executable, with a trailing slash. Tests may point it elsewhere.
QString root();
void setRoot(const QString &dir); // empty restores the executable's folder

QString sourses();        // root + "sourses/"
QString soursesReports(); // root + "sourses/reports/"
QString foto();           // root + "foto/"
QString reports();        // root + "reports/"

// Stored paths keep backslashes ("foto\1234\осмотр1-фото2.jpg"); this turns such a path,
// relative to the program folder, into a file-system path under root().
QString toFileSystem(const QString &storedRelativePath);

} // namespace pelorin::folder
