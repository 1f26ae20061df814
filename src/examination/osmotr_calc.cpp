#include "osmotr_calc.h"

#include "dynamics.h"
#include "fieldvalue.h"
#include "table.h"
#include "texts.h"

#include <array>

namespace pelorin::examination {

using text::appendIf;
using text::closeList;
using text::cutToWidth;

namespace {

// Replaces the final separator (the second-to-last character) by mark. closeList does the same with
// "."; the region and group lists of the examination also close with ";".
QString closeWith(const QString &list, QChar mark)
{
    if (list.size() < 2)
        return list;
    QString closed = list;
    closed[closed.size() - 2] = mark;
    return closed;
}

bool filled(const QString &text)
{
    return !text.isEmpty();
}

// Pick lists whose first item is " " store one space; for the complaints and the treatment
// it means "nothing chosen".
bool emptyOrBlank(const QString &text)
{
    return text.isEmpty() || text == QStringLiteral(" ");
}

// PASI grades of erythema and infiltration (feminine) and of desquamation (neuter);
// any value outside 0..4 adds nothing.
QString grade(qint64 value)
{
    static const std::array<QString, 5> kGrades = {
        QStringLiteral("отсутствует, "), QStringLiteral("легкая, "),         QStringLiteral("умеренная, "),
        QStringLiteral("выраженная, "),  QStringLiteral("оч. выраженная, "),
    };
    return value >= 0 && value <= 4 ? kGrades[size_t(value)] : QString();
}

QString grade2(qint64 value)
{
    static const std::array<QString, 5> kGrades = {
        QStringLiteral("отсутствует, "), QStringLiteral("легкое, "),         QStringLiteral("умеренное, "),
        QStringLiteral("выраженное, "),  QStringLiteral("оч. выраженное, "),
    };
    return value >= 0 && value <= 4 ? kGrades[size_t(value)] : QString();
}

// The changes of one set of nails (fingers or toes, by suffix), with its prefix; empty when none is ticked.
QString nails(const OsmotrRecord &r, const QString &suffix, const QString &prefix)
{
    QString h;
    appendIf(h, r.b(QStringLiteral("C3") + suffix), QStringLiteral("точечные углубления, "));
    appendIf(h, r.b(QStringLiteral("C4") + suffix), QStringLiteral("подногтевой гиперкератоз, "));
    appendIf(h, r.b(QStringLiteral("C5") + suffix), QStringLiteral("гипертрофия эпонихиума, "));
    appendIf(h, r.b(QStringLiteral("C9") + suffix), QStringLiteral("онихолизис, "));
    appendIf(h, r.b(QStringLiteral("C6") + suffix), QStringLiteral("паронихии, "));
    appendIf(h, r.b(QStringLiteral("C7") + suffix), QStringLiteral("поперечные\\продольные борозды, "));
    appendIf(h, r.b(QStringLiteral("C8") + suffix), QStringLiteral("папулы ногтевого ложа, "));
    if (h.isEmpty())
        return {};
    return prefix + closeList(h);
}

// The appendage text X before the skin is put in front of it.
QString appendages(const OsmotrRecord &r)
{
    QString x;
    if (r.b(QStringLiteral("C")))
        x += r.s(QStringLiteral("C12")) + QStringLiteral(" выпадение волос. ");
    x += nails(r, QString(), QStringLiteral("Ногтевые пластинки изменены на руках: "));
    x += nails(r, QStringLiteral("_"), QStringLiteral("Ногтевые пластинки изменены на ногах: "));
    const QString colour = r.s(QStringLiteral("C10"));
    if (filled(colour))
        x += QStringLiteral("Цвет - ") + colour;
    x += r.s(QStringLiteral("C11"));
    return x;
}

// The complaint groups and the free text, W before it is closed.
QString complaints(const OsmotrRecord &r)
{
    QString w;

    QString sites;
    appendIf(sites, r.b(QStringLiteral("A2_10")), QStringLiteral("голове, "));
    appendIf(sites, r.b(QStringLiteral("A2_11")), QStringLiteral("верхних конечностях, "));
    appendIf(sites, r.b(QStringLiteral("A2_12")), QStringLiteral("нижних конечностях, "));
    appendIf(sites, r.b(QStringLiteral("A2_13")), QStringLiteral("туловище, "));
    if (!sites.isEmpty())
        w += closeWith(QStringLiteral("высыпания на ") + sites, QLatin1Char(';'));

    QString skin;
    appendIf(skin, r.b(QStringLiteral("A2_1")), QStringLiteral("боль в области высыпаний, "));
    appendIf(skin, r.b(QStringLiteral("A2_2")), QStringLiteral("чувство стянутости, "));
    appendIf(skin, r.b(QStringLiteral("A2_3")), QStringLiteral("зуд, "));
    appendIf(skin, r.b(QStringLiteral("A2_4")), QStringLiteral("жжение, "));
    appendIf(skin, r.b(QStringLiteral("A2_5")), QStringLiteral("сухость, "));
    appendIf(skin, r.b(QStringLiteral("A2_6")), QStringLiteral("шелушение, "));
    appendIf(skin, r.b(QStringLiteral("A2_7")), QStringLiteral("трещины, "));
    appendIf(skin, r.b(QStringLiteral("A2_8")), QStringLiteral("покраснение, "));
    appendIf(skin, r.b(QStringLiteral("A2_9")), QStringLiteral("мокнутие, "));
    if (!skin.isEmpty()) {
        skin.chop(2); // every phrase ends in ", "
        w += skin + QStringLiteral(" кожи; ");
    }

    QString other;
    appendIf(other, r.b(QStringLiteral("A3_1")), QStringLiteral("изменение формы ногтей, "));
    appendIf(other, r.b(QStringLiteral("A3_2")), QStringLiteral("выпадение волос, "));
    appendIf(other, r.b(QStringLiteral("A3_3")), QStringLiteral("изменение формы суставов, "));
    appendIf(other, r.b(QStringLiteral("A3_4")), QStringLiteral("боль в суставах, "));
    if (!other.isEmpty())
        w += closeWith(other, QLatin1Char(';'));

    QString general;
    appendIf(general, r.b(QStringLiteral("A1_1")), QStringLiteral("головокружение, "));
    appendIf(general, r.b(QStringLiteral("A1_2")), QStringLiteral("повышение температуры, "));
    appendIf(general, r.b(QStringLiteral("A1_3")), QStringLiteral("головная боль, "));
    appendIf(general, r.b(QStringLiteral("A1_4")), QStringLiteral("ухудшение общего состояния, "));
    appendIf(general, r.b(QStringLiteral("A1_5")), QStringLiteral("потеря аппетита, "));
    appendIf(general, r.b(QStringLiteral("A1_6")), QStringLiteral("снижение массы тела, "));
    appendIf(general, r.b(QStringLiteral("A1_7")), QStringLiteral("нарушение сна, "));
    if (!general.isEmpty())
        w += closeWith(QStringLiteral(" ") + general, QLatin1Char(';'));

    return w;
}

qint64 sumOf(const OsmotrRecord &r, std::initializer_list<const char *> names)
{
    qint64 sum = 0;
    for (const char *name : names)
        sum += r.i(QLatin1String(name));
    return sum;
}

} // namespace

// ---------------------------------------------------------------- record access







// ---------------------------------------------------------------- texts

QString obostrenie(const OsmotrRecord &r)
{
    if (!r.b(QStringLiteral("Ob")))
        return {};
    QString t = QStringLiteral("Начало последнего обострения: ") + r.s(QStringLiteral("Ob_ndate")) +
                QStringLiteral(" ") + r.s(QStringLiteral("Ob_date")) + QStringLiteral(" назад. ");

    // The non-allergen triggers Ob_pr_a21..Ob_pr_a214 are kept in the record but never phrased here;
    // only their free text is.
    QString f;
    appendIf(f, r.b(QStringLiteral("Ob_pr_a11")), QStringLiteral("пищевые продукты, "));
    appendIf(f, r.b(QStringLiteral("Ob_pr_a12")), QStringLiteral("пыльца растений, "));
    appendIf(f, r.b(QStringLiteral("Ob_pr_a13")), QStringLiteral("плесень, "));
    appendIf(f, r.b(QStringLiteral("Ob_pr_a14")), QStringLiteral("шерсть животных, "));
    appendIf(f, r.b(QStringLiteral("Ob_pr_a15")), QStringLiteral("пыль, "));
    appendIf(f, r.b(QStringLiteral("Ob_pr_a16")), QStringLiteral("прием лекарств, "));
    const QString allergenOther = r.s(QStringLiteral("Ob_pr_a10"));
    appendIf(f, filled(allergenOther), allergenOther + QStringLiteral(", "));
    const QString nonAllergenOther = r.s(QStringLiteral("Ob_pr_a20"));
    appendIf(f, filled(nonAllergenOther), nonAllergenOther + QStringLiteral(", "));
    if (!f.isEmpty())
        t += QStringLiteral("Начало обострения провоцировали: ") + closeList(f);

    const QString treatment = r.s(QStringLiteral("Ob_pr_lech"));
    if (emptyOrBlank(treatment)) {
        t += QStringLiteral("Лечение не проводилось. ");
    } else {
        t += QStringLiteral("Принято лечение: ") + treatment;
        const QString result = r.s(QStringLiteral("Ob_result"));
        if (filled(result))
            t += QStringLiteral(". Результат от лечения ") + result + QStringLiteral(". ");
        else
            t += QStringLiteral(". ");
    }
    return cutToWidth(t, width::obostrenie);
}

QString opisPASI(const OsmotrRecord &r)
{
    struct Region
    {
        const char16_t *phrase;
        const char *erythema, *infiltration, *desquamation;
        char16_t close;
    };
    static const Region kRegions[] = {
        {u"на голове - ", "Bb11", "Bb12", "Bb13", u';'},
        {u"на туловище - ", "Bb41", "Bb42", "Bb43", u';'},
        {u"на руках - ", "Bb21", "Bb22", "Bb23", u';'},
        {u"на ногах - ", "Bb31", "Bb32", "Bb33", u'.'},
    };
    QString p = QStringLiteral("На элементах высыпания ");
    for (const Region &region : kRegions) {
        p += QString::fromUtf16(region.phrase);
        p += QStringLiteral("эритема ") + grade(r.i(QLatin1String(region.erythema)));
        p += QStringLiteral("инфильтрация ") + grade(r.i(QLatin1String(region.infiltration)));
        p += QStringLiteral("шелушение ") + grade2(r.i(QLatin1String(region.desquamation)));
        p = closeWith(p, QChar(region.close));
    }
    return cutToWidth(p, width::opisPASI);
}

QString dateTxt(const OsmotrRecord &r)
{
    // A blank date reads as the zero date, and the old program printed it as such.
    return cutToWidth(text::shortDate(r.d(QStringLiteral("Date"))), width::Date_txt);
}

QString simp(const OsmotrRecord &r)
{
    if (r.b(QStringLiteral("Teze_kl_simp")))
        return QStringLiteral("те же");

    QString s;
    appendIf(s, r.b(QStringLiteral("A1")), QStringLiteral("ладонный ихтиоз, "));
    appendIf(s, r.b(QStringLiteral("A2")), QStringLiteral("хейлит, "));
    appendIf(s, r.b(QStringLiteral("A14")), QStringLiteral("трещины в углах рта, "));
    const QString dermographism = r.s(QStringLiteral("A4"));
    appendIf(s, filled(dermographism), dermographism + QStringLiteral(" дермографизм, "));
    const QString face = r.s(QStringLiteral("A5"));
    appendIf(s, face == QStringLiteral("бледный"), QStringLiteral("бледный цвет кожи лица, "));
    appendIf(s, face == QStringLiteral("застойная эритема"), QStringLiteral("на коже лица застойная эритема, "));
    appendIf(s, r.b(QStringLiteral("A6")), QStringLiteral("вторичное инфицирование кожи, "));
    appendIf(s, r.b(QStringLiteral("A7")), QStringLiteral("локализация на кистях и стопах, "));
    appendIf(s, r.b(QStringLiteral("A8")), QStringLiteral("суборбитальные складки, "));
    appendIf(s, r.b(QStringLiteral("A9")), QStringLiteral("увеличение лимфоузлов, "));
    appendIf(s, r.b(QStringLiteral("A10")), QStringLiteral("трещины за ушами, "));
    const QString ige = r.s(QStringLiteral("A11"));
    appendIf(s, filled(ige), QStringLiteral("уровень IgE в крови - ") + ige + QStringLiteral(" , "));
    appendIf(s, r.b(QStringLiteral("A12")), QStringLiteral("шелушение на волосистой части головы, "));
    appendIf(s, r.b(QStringLiteral("A3")), QStringLiteral("эритродермия, "));
    appendIf(s, r.b(QStringLiteral("A16")), QStringLiteral("положительный с-м Кебнера, "));
    appendIf(s, r.b(QStringLiteral("A17")), QStringLiteral("положительный с-м Воронова, "));
    appendIf(s, r.b(QStringLiteral("A18")), QStringLiteral("положительный с-м Пельнова, "));
    appendIf(s, r.b(QStringLiteral("A19")), QStringLiteral("положительный с-м стеаринового пятна, "));
    appendIf(s, r.b(QStringLiteral("A20")), QStringLiteral("положительный с-м терминальной пленки, "));
    appendIf(s, r.b(QStringLiteral("A21")), QStringLiteral("положительный с-м точечного кровотечения, "));
    appendIf(s, r.b(QStringLiteral("A22")), QStringLiteral("феномен \"наперстка\", "));
    const QString other = r.s(QStringLiteral("Kl_sim_other"));
    // Ends in two spaces, so closing the list puts the full stop right after the text.
    appendIf(s, filled(other), QStringLiteral(" ") + other + QStringLiteral("  "));
    if (s.isEmpty())
        return {};
    return cutToWidth(closeList(s), width::simp);
}

QString listZalob(const OsmotrRecord &r)
{
    const QString freeText = r.s(QStringLiteral("Zal_other"));
    QString w = complaints(r) + freeText;
    const QString shortText = r.s(QStringLiteral("Zalob"));
    QString list;
    if (!w.isEmpty()) {
        w = filled(freeText) ? w + QStringLiteral(".") : closeList(w);
        list = emptyOrBlank(shortText) ? w : shortText;
    } else {
        list = emptyOrBlank(shortText) ? QStringLiteral("нет.") : shortText;
    }
    return cutToWidth(list, width::List_zalob);
}

QString listZalob1(const OsmotrRecord &r)
{
    return cutToWidth(listZalob(r) + QStringLiteral(" ") + obostrenie(r), width::List_zalob1);
}

QString kozaOpisanie(const OsmotrRecord &r)
{
    const QString moisture = r.s(QStringLiteral("AAA"));
    const QString colour = r.s(QStringLiteral("AAA1"));
    QString text;
    if (filled(moisture) && filled(colour))
        text = QStringLiteral("Кожа ") + moisture + QStringLiteral(", ") + colour + QStringLiteral(". ");
    else if (filled(moisture) || filled(colour))
        text = QStringLiteral("Кожа ") + moisture + colour + QStringLiteral(". ");
    return cutToWidth(text, width::koza_opisanie);
}

QString listProizv(const OsmotrRecord &r)
{
    return cutToWidth(appendages(r), width::List_proizv);
}

QString listProizvList(const OsmotrRecord &r)
{
    // The skin text is read back from its field, so it comes already cut; the appendages are not.
    return cutToWidth(kozaOpisanie(r) + appendages(r), width::List_proizv_list);
}

// ---------------------------------------------------------------- indices

qint64 ind1(const OsmotrRecord &r)
{
    return sumOf(r, {"B2", "B3", "B4", "B5", "B6", "B7"});
}

qint64 ind2(const OsmotrRecord &r)
{
    return sumOf(r, {"B8", "B9"});
}

qint64 ind3(const OsmotrRecord &r)
{
    const qint64 intensity = ind1(r);
    const qint64 subjective = ind2(r);
    if (intensity == 0 && subjective == 0)
        return 0;
    const double extent = double(r.i(QStringLiteral("B1")));
    return text::roundHalfEven(extent / 5.0 + 7.0 * double(intensity) / 2.0 + double(subjective));
}

double index1(const OsmotrRecord &r)
{
    // Summed in this order, so that trunk-only scores give the same double the old program showed.
    return 0.1 * double(sumOf(r, {"Bb11", "Bb12", "Bb13"})) * double(r.i(QStringLiteral("Bb14"))) +
           0.2 * double(sumOf(r, {"Bb21", "Bb22", "Bb23"})) * double(r.i(QStringLiteral("Bb24"))) +
           0.3 * double(sumOf(r, {"Bb41", "Bb42", "Bb43"})) * double(r.i(QStringLiteral("Bb44"))) +
           0.4 * double(sumOf(r, {"Bb31", "Bb32", "Bb33"})) * double(r.i(QStringLiteral("Bb34")));
}

// ---------------------------------------------------------------- registration

void installOsmotrCalc(db::Table &osmotr1)
{
    osmotr1.addCalcHandler([](db::Table &t) {
        const OsmotrRecord r = OsmotrRecord::fromTable(t);
        // Every field starts blank in each pass; an empty text leaves its field blank.
        t.setValue(QStringLiteral("obostrenie"), obostrenie(r));
        t.setValue(QStringLiteral("opisPASI"), opisPASI(r));
        t.setValue(QStringLiteral("Date_txt"), dateTxt(r));
        t.setValue(QStringLiteral("simp"), simp(r));
        t.setValue(QStringLiteral("List_zalob"), listZalob(r));
        t.setValue(QStringLiteral("List_zalob1"), listZalob1(r));
        t.setValue(QStringLiteral("koza_opisanie"), kozaOpisanie(r));
        t.setValue(QStringLiteral("List_proizv"), listProizv(r));
        t.setValue(QStringLiteral("List_proizv_list"), listProizvList(r));
        t.setValue(QStringLiteral("ind1"), ind1(r));
        t.setValue(QStringLiteral("ind2"), ind2(r));
        t.setValue(QStringLiteral("ind3"), ind3(r));
        t.setValue(QStringLiteral("index1"), index1(r));
        if (const std::optional<int> d = dinam(r.s(QStringLiteral("Dinamika"))))
            t.setValue(QStringLiteral("Dinam"), *d);
    });
}

} // namespace pelorin::examination
