// The build lays out the program folder beside the executables with the very function an installed
// copy uses at its first start, so that both follow one set of rules.
#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: pelorin-layout SHIPPED-SOURSES PROGRAM-FOLDER\n");
        return 2;
    }
    if (!pelorin::folder::layOut(QDir(args.at(1)).absolutePath(), QDir(args.at(2)).absolutePath())) {
        std::fprintf(stderr, "pelorin-layout: cannot lay out %s\n", qPrintable(QDir::toNativeSeparators(args.at(2))));
        return 1;
    }
    return 0;
}
