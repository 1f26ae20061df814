#include "puva_ops.h"

#include "clock.h"
#include "settings.h"
#include "table.h"

#include <QHash>
#include <QString>
#include <QVariant>

namespace pelorin::treatment {

namespace {

using Settings = QHash<QString, QVariant>;

Settings readSettings(const db::Table &t)
{
    Settings values;
    for (const char *name : kCarriedFields)
        values.insert(QString::fromLatin1(name), t.value(QString::fromLatin1(name)));
    return values;
}

// Appends a procedure with the given settings and numbers, dated today, and posts it.
bool appendProcedure(db::Table &t, const Settings &settings, qint64 course, qint64 number)
{
    t.append();
    for (auto it = settings.begin(); it != settings.end(); ++it)
        t.setValue(it.key(), it.value());
    t.setValue(QStringLiteral("Id_kurs"), course);
    t.setValue(QStringLiteral("Nom_proc"), number);
    t.setValue(QStringLiteral("Date"), clock::today());
    return t.post();
}

bool postRegister(db::Table &reg, db::RunSettings &settings, ProtectionMode mode,
                  const std::function<void(db::Table &)> &write)
{
    if (reg.isEmpty())
        return false;
    const db::ProtectionSuspension suspension(settings, mode == ProtectionMode::Suspended);
    if (!reg.isEditing())
        reg.edit();
    write(reg);
    return reg.post();
}

} // namespace

bool addProcedure(db::Table &lech_puva)
{
    if (!lech_puva.checkBrowseMode())
        return false;
    if (lech_puva.isEmpty())
        return appendProcedure(lech_puva, {}, 0, 1);
    lech_puva.last();
    const Settings settings = readSettings(lech_puva);
    const qint64 course = lech_puva.asInteger(QStringLiteral("Id_kurs"));
    const qint64 number = lech_puva.asInteger(QStringLiteral("Nom_proc")) + 1;
    return appendProcedure(lech_puva, settings, course, number);
}

bool startCourse(db::Table &lech_puva)
{
    if (!lech_puva.checkBrowseMode())
        return false;
    if (lech_puva.isEmpty())
        return appendProcedure(lech_puva, {}, 1, 1);
    lech_puva.last();
    const qint64 course = lech_puva.asInteger(QStringLiteral("Id_kurs")) + 1;
    lech_puva.first();
    const Settings settings = readSettings(lech_puva);
    return appendProcedure(lech_puva, settings, course, 1);
}

bool deleteProcedure(db::Table &lech_puva)
{
    if (lech_puva.state() == db::TableState::Insert) {
        lech_puva.cancel();
        return true;
    }
    if (lech_puva.isEmpty())
        return false;
    return lech_puva.deleteRecord();
}

std::optional<ProcedureTotals> procedureTotals(db::Table &lech_puva)
{
    if (!lech_puva.checkBrowseMode())
        return std::nullopt;
    ProcedureTotals totals;
    const int former = lech_puva.recNo();
    lech_puva.first();
    while (!lech_puva.eof()) {
        totals.dose += lech_puva.asInteger(QStringLiteral("Doza"));
        ++totals.count;
        lech_puva.next();
    }
    if (totals.count > 0) {
        lech_puva.last();
        if (!lech_puva.isNull(QStringLiteral("Date")))
            totals.lastDate = lech_puva.asDate(QStringLiteral("Date"));
        totals.lastNumber = lech_puva.asInteger(QStringLiteral("Nom_proc"));
        lech_puva.setRecNo(former);
    }
    return totals;
}

bool updateTotalDose(db::Table &reg, db::Table &lech_puva, db::RunSettings &settings, ProtectionMode mode)
{
    const QString filter = lech_puva.filter();
    if (!filter.isEmpty() && !lech_puva.checkBrowseMode())
        return false;
    if (!filter.isEmpty())
        lech_puva.setFilter(QString());
    const std::optional<ProcedureTotals> totals = procedureTotals(lech_puva);
    if (!filter.isEmpty())
        lech_puva.setFilter(filter);
    if (!totals)
        return false;
    return postRegister(reg, settings, mode,
                        [&](db::Table &r) { r.setValue(QStringLiteral("Doza"), totals->dose); });
}

bool updateDoseDateNumber(db::Table &reg, db::Table &lech_puva, db::RunSettings &settings, ProtectionMode mode)
{
    const std::optional<ProcedureTotals> totals = procedureTotals(lech_puva);
    if (!totals)
        return false;
    return postRegister(reg, settings, mode, [&](db::Table &r) {
        r.setValue(QStringLiteral("Doza"), totals->dose);
        r.setValue(QStringLiteral("Dat_posl"), totals->lastDate.isValid() ? QVariant(totals->lastDate) : QVariant());
        r.setValue(QStringLiteral("Puv_posl"), totals->lastNumber);
    });
}

} // namespace pelorin::treatment
