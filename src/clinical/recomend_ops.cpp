#include "recomend_ops.h"

#include "clock.h"
#include "dialogs.h"
#include "table.h"

namespace pelorin::clinical {

namespace {

bool insertDatedToday(db::Table &recomend)
{
    recomend.insert();
    recomend.setValue(QStringLiteral("Data"), clock::today());
    if (recomend.post())
        return true;
    if (recomend.isEditing())
        recomend.cancel();
    return false;
}

} // namespace

bool addRecommendation(db::Table &recomend)
{
    if (!recomend.checkBrowseMode())
        return false;
    const bool posted = insertDatedToday(recomend);
    // Editing an empty table would start yet another record.
    if (!recomend.isEmpty())
        recomend.edit();
    return posted;
}

bool editRecommendation(db::Table &recomend)
{
    bool ok = true;
    if (recomend.isEmpty())
        ok = insertDatedToday(recomend);
    if (!recomend.isEmpty())
        recomend.edit();
    return ok;
}

bool deleteRecommendation(db::Table &recomend)
{
    if (!Dialogs::instance().ask(QStringLiteral("Вы уверены что хотите удалить эту рекомендацию?"),
                                 QStringLiteral("Внимание!")))
        return false;
    if (recomend.isEditing())
        recomend.cancel();
    if (!recomend.isEmpty())
        recomend.deleteRecord();
    return true;
}

} // namespace pelorin::clinical
