#include "startup.h"

#include "programfolder.h"
#include "reflist.h"

namespace pelorin::app {

QStringList referenceListFiles()
{
    return {
        QStringLiteral("region.txt"),          QStringLiteral("profess.txt"),
        QStringLiteral("vrach.txt"),           QStringLiteral("fotosens.txt"),
        QStringLiteral("power.txt"),           QStringLiteral("power.txt"),
        QStringLiteral("power.txt"),           QStringLiteral("ust_name.txt"),
        QStringLiteral("ust_name.txt"),        QStringLiteral("ust_name.txt"),
        QStringLiteral("power.txt"),           QStringLiteral("ust_name.txt"),
        QStringLiteral("fotosens.txt"),        QStringLiteral("docs_spr_now.txt"),
        QStringLiteral("docs_spr_place.txt"),  QStringLiteral("docs_napr_send.txt"),
        QStringLiteral("docs_napr_send_to.txt"), QStringLiteral("docs_napr_for.txt"),
        QStringLiteral("docs_napr_for_from.txt"), QStringLiteral("docs_napr_and.txt"),
        QStringLiteral("docs_napr_place.txt"),
    };
}

bool checkProgramFolder(QString *error)
{
    QStringList files = referenceListFiles();
    files.removeDuplicates();
    files << QStringLiteral("lekar.txt");
    for (const QString &name : files) {
        QStringList items;
        if (!readReferenceList(folder::sourses() + name, &items, error))
            return false;
    }
    return true;
}

} // namespace pelorin::app
