#pragma once

#include <QString>

// The program folder: the executable's folder with sourses/, sourses/reports/, foto/ and reports/.
namespace pelorin::folder {

// The marker file an installed copy has beside its executables (cmake --install, the .deb).
inline constexpr const char *kInstalledMarker = "pelorin-installed";

// True when the executable is an installed copy: its folder is the system's, not the user's.
bool isInstalledCopy();

// The program folder, with a trailing slash. Beside a built executable it is the executable's
// folder. An installed copy keeps the same layout in ~/.local/share/Pelorin/ (the user's data
// location), laid out at first use from the sourses/ shipped beside the executable: reference lists
// already there are kept, a newer shipped template replaces its copy. Tests may point it elsewhere.
QString root();
void setRoot(const QString &dir); // empty restores the executable's folder

// Copies the shipped sourses/ into `programFolder`/sourses/ as described above and makes foto/,
// reports/ and sourses/reports/. False when the folder cannot be written.
bool layOut(const QString &shipped, const QString &programFolder);

// The folder that holds foto/: the program folder, or a folder every workstation of the clinic
// reaches (a network share) when the records are on a server. Stored links stay "foto\1234\...",
// relative to it. Empty restores the program folder.
void setPhotoRoot(const QString &dir);
QString photoRoot(); // with a trailing slash
// The photo folder the command line (--photos DIR) or PELORIN_PHOTOS names; empty when neither does.
QString photoRootFromArguments(const QStringList &arguments);

QString sourses();        // root + "sourses/"
QString soursesReports(); // root + "sourses/reports/"
QString foto();           // photoRoot() + "foto/"
QString reports();        // root + "reports/"

// Stored paths keep backslashes ("foto\1234\осмотр1-фото2.jpg"); this turns such a path,
// relative to the program folder, into a file-system path under root() - under photoRoot() for
// a path in foto\.
QString toFileSystem(const QString &storedRelativePath);

} // namespace pelorin::folder
