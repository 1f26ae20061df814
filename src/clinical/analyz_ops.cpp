#include "analyz_ops.h"

#include "clock.h"
#include "dialogs.h"
#include "table.h"

namespace pelorin::clinical {

namespace {

// Inserts and posts a record with its flags cleared; a refused post leaves no half-made record.
bool insertCleared(db::Table &analyz, const QVariant &date)
{
    analyz.last();
    analyz.insert();
    clearBloodTestFlags(analyz);
    if (date.isValid())
        analyz.setValue(QStringLiteral("Data"), date);
    const bool posted = analyz.post();
    if (!posted && analyz.isEditing())
        analyz.cancel();
    analyz.last();
    return posted;
}

} // namespace

void clearBloodTestFlags(db::Table &analyz)
{
    for (int i = 0; i < analyz.storedFieldCount(); ++i) {
        if (analyz.fieldDef(i).type == db::FieldType::Boolean)
            analyz.setValue(i, false);
    }
}

bool addBloodTest(db::Table &analyz)
{
    if (!analyz.checkBrowseMode())
        return false;
    return insertCleared(analyz, clock::today());
}

bool deleteBloodTest(db::Table &analyz)
{
    const bool yes = Dialogs::instance().ask(QStringLiteral("Вы уверены что хотите удалить этот анализ?"),
                                             QStringLiteral("Внимание!"));
    if (yes && !analyz.isEmpty())
        analyz.deleteRecord();
    if (analyz.isEmpty())
        insertCleared(analyz, QVariant());
    return yes;
}

} // namespace pelorin::clinical
