#include "puva_calc.h"

#include "fieldvalue.h"
#include "table.h"
#include "texts.h"

namespace pelorin::treatment {

using text::appendIf;
using text::cutToWidth;

namespace {

// The note is collected in a short string of the original platform: whatever goes past
// 255 characters is lost before the list is closed.
constexpr int kShortString = 255;

void appendShort(QString &buffer, bool condition, const QString &phrase)
{
    appendIf(buffer, condition, phrase);
    buffer = cutToWidth(buffer, kShortString);
}

QString unitField(const char *prefix, int unit)
{
    return QString::fromLatin1(prefix) + QString::number(unit);
}

} // namespace






// ---------------------------------------------------------------- doses

qint64 unitDose(const PuvaRecord &r, int unit)
{
    return r.i(unitField("Power", unit)) * r.i(unitField("Time", unit));
}

qint64 procedureDose(const PuvaRecord &r)
{
    return unitDose(r, 1) + unitDose(r, 2) + unitDose(r, 3);
}

QString unitDoseText(const PuvaRecord &r, int unit)
{
    return cutToWidth(text::doseText(unitDose(r, unit)), width::Doza_unit_txt);
}

QString procedureDoseText(const PuvaRecord &r)
{
    return cutToWidth(text::doseText(procedureDose(r)), width::Doza_text);
}

qint64 psens1Mg(double weight)
{
    const qint64 w = text::roundHalfEven(weight);
    return text::roundHalfEven(double(w * 12) / 10);
}

qint64 psens2Mg(double weight)
{
    const qint64 w = text::roundHalfEven(weight);
    return text::roundHalfEven(double(w * 6) / 10);
}

// ---------------------------------------------------------------- note

QString oslozn(const PuvaRecord &r)
{
    QString buffer;
    // Unit 1 has columns of its own and never appears here.
    for (int unit = 2; unit <= 3; ++unit) {
        const bool used = r.i(unitField("Time", unit)) != 0 && r.i(unitField("Power", unit)) != 0;
        if (used) {
            appendShort(buffer, true,
                        r.s(unitField("Type", unit)) + QStringLiteral(" ") + unitDoseText(r, unit) +
                            QStringLiteral(" Дж, "));
        }
    }
    appendShort(buffer, r.b(QStringLiteral("Eritema")), QStringLiteral("эритема, "));
    appendShort(buffer, r.b(QStringLiteral("Zud")), QStringLiteral("зуд, "));
    appendShort(buffer, r.b(QStringLiteral("Toshnota")), QStringLiteral("тошнота, "));
    appendShort(buffer, r.b(QStringLiteral("Rvota")), QStringLiteral("рвота, "));
    appendShort(buffer, r.b(QStringLiteral("Golovokr")), QStringLiteral("головокружение, "));
    appendShort(buffer, r.b(QStringLiteral("Gol_bol")), QStringLiteral("головная боль, "));
    appendShort(buffer, r.b(QStringLiteral("Nar_orient")), QStringLiteral("нарушение ориентации в пространстве, "));
    appendShort(buffer, r.b(QStringLiteral("Lech_prervano")), QStringLiteral("лечение прервано, "));
    const QString other = r.s(QStringLiteral("Other"));
    appendShort(buffer, !other.isEmpty(), other + QStringLiteral("  "));
    if (buffer.isEmpty())
        return {};
    return cutToWidth(text::closeList(buffer), width::Oslozn);
}

QString osmotr1(const PuvaRecord &r)
{
    return r.s(QStringLiteral("Osmotr")).isEmpty() ? QString() : QStringLiteral("+");
}

void installPuvaCalc(db::Table &lech_puva)
{
    lech_puva.addCalcHandler([](db::Table &t) {
        const PuvaRecord r = PuvaRecord::fromTable(t);
        t.setValue(QStringLiteral("Doza1"), unitDose(r, 1));
        t.setValue(QStringLiteral("Doza2"), unitDose(r, 2));
        t.setValue(QStringLiteral("Doza3"), unitDose(r, 3));
        t.setValue(QStringLiteral("Doza"), procedureDose(r));
        t.setValue(QStringLiteral("Doza1_txt"), unitDoseText(r, 1));
        t.setValue(QStringLiteral("Doza2_txt"), unitDoseText(r, 2));
        t.setValue(QStringLiteral("Doza3_txt"), unitDoseText(r, 3));
        t.setValue(QStringLiteral("Doza_text"), procedureDoseText(r));
        const double weight = t.master() ? t.master()->asFloat(QStringLiteral("Ves")) : 0.0;
        t.setValue(QStringLiteral("psens_1_mg"), psens1Mg(weight));
        t.setValue(QStringLiteral("psens_2_mg"), psens2Mg(weight));
        t.setValue(QStringLiteral("Oslozn"), oslozn(r));
        t.setValue(QStringLiteral("Osmotr1"), osmotr1(r));
    });
}

} // namespace pelorin::treatment
