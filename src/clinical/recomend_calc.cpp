#include "recomend_calc.h"

#include "fieldvalue.h"
#include "table.h"
#include "texts.h"

namespace pelorin::clinical {

using text::appendIf;
using text::cutToWidth;

// ---------------------------------------------------------------- text

QString recomendList(const RecomendRecord &r)
{
    struct Phrase
    {
        const char *field;
        const char16_t *text;
    };
    // Psoriasis first, then atopic dermatitis; the spa and observation phrases appear under both.
    static const Phrase kPhrases[] = {
        {"A1", u"Занятия спортом, физкультурой не противопоказаны. Не рекомендуются контактные виды спорта. "
               u"Избегать травм. "},
        {"A2", u"Устанить факторы, провоцирующие обострение псориаза. "},
        {"A3", u"При обострении псориаза: индивидуальная терапия. "},
        {"A4", u"Санаторно-курортное лечение. "},
        {"A5", u"Наблюдение у дерматолога по месту жительства. "},
        {"B1", u"Соблюдение гипоаллергенной диеты. "},
        {"B2", u"Элиминационный режим. "},
        {"B3", u"Уход за кожей. "},
        {"B4", u"Занятия спортом, физкультурой не противопоказаны. "},
        {"B5", u"При обострении атонического дерматита: индивидуальная терапия. "},
        {"B6", u"Санаторно-курортное лечение. "},
        {"B7", u"Наблюдение у дерматолога по месту жительства. "},
    };
    QString w;
    for (const Phrase &phrase : kPhrases)
        appendIf(w, r.b(QLatin1String(phrase.field)), QString::fromUtf16(phrase.text));
    if (r.b(QStringLiteral("S")))
        w = QStringLiteral("Стандартные рекомендации. ");
    const QString drugs = r.s(QStringLiteral("Lek"));
    appendIf(w, !drugs.isEmpty(), drugs + QStringLiteral(" "));
    w += r.s(QStringLiteral("Komm"));
    return cutToWidth(w, recomend_width::List);
}

// ---------------------------------------------------------------- registration

void installRecomendCalc(db::Table &recomend)
{
    recomend.addCalcHandler([](db::Table &t) {
        // An empty text leaves the field blank.
        t.setValue(QStringLiteral("List"), recomendList(RecomendRecord::fromTable(t)));
    });
}

} // namespace pelorin::clinical
