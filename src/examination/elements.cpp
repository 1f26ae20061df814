#include "elements.h"

#include "dialogs.h"
#include "table.h"
#include "texts.h"

#include <vector>

namespace pelorin::examination {

namespace {

struct Phrase
{
    const char *field;
    QString text;
};

struct CodeList
{
    const char *field;
    QStringList phrases; // phrase of code 1, 2, ...
};

bool ticked(const FieldReader &value, const char *field)
{
    return value(QLatin1String(field)).toBool();
}

int code(const FieldReader &value, const char *field)
{
    return value(QLatin1String(field)).toInt();
}

QString numberText(const QVariant &v)
{
    return v.isValid() && !v.isNull() ? text::floatToText(v.toDouble()) : QString();
}

// In the order the description appends them. The two border phrases begin with a Latin c, as
// the old descriptions do; documents compare them as they are.
const std::vector<CodeList> &characteristicCodes()
{
    static const std::vector<CodeList> codes = {
        {"Color",
         {QStringLiteral("бледно-розового цвета, "), QStringLiteral("ярко-розового цвета, "),
          QStringLiteral("красного цвета, "), QStringLiteral("багрового цвета, "),
          QStringLiteral("светло-коричневого цвета, "), QStringLiteral("темно-коричневого цвета, "),
          QStringLiteral("серебристо-белого цвета, ")}},
        {"Forma",
         {QStringLiteral("округлой формы, "), QStringLiteral("овальной формы, "),
          QStringLiteral("неопределенной формы, ")}},
        {"Granitca", {QStringLiteral("c четкой границей, "), QStringLiteral("c нечеткой границей, ")}},
        {"Poverhnost", {QStringLiteral("поверхность гладкая, "), QStringLiteral("поверхность с трещинами, ")}},
        {"Poverhnost1",
         {QStringLiteral("с чешуйками на поверхности, "), QStringLiteral("с корочками на поверхности, "),
          QStringLiteral("с эрозиями на поверхности, "), QStringLiteral("с изъязвлениями на поверхности, ")}},
        {"Otdel",
         {QStringLiteral("с серрозным содержимым, "), QStringLiteral("с геморрагическим содержимым, "),
          QStringLiteral("с серозно-геморрагическим содержимым, "), QStringLiteral("гнойным содержимым, ")}},
        {"Raspred",
         {QStringLiteral("единичные, "), QStringLiteral("множественные, "), QStringLiteral("распространенные, ")}},
        {"Rasp", {QStringLiteral("отдельно расположенные, "), QStringLiteral("близко расположенные, ")}},
        {"Fon", {QStringLiteral("на фоне эритемы, "), QStringLiteral("на фоне неизмененной кожи, ")}},
        {"Fon1",
         {QStringLiteral("на фоне \"грязного\" оттенка кожи, "), QStringLiteral("на фоне бледного оттенка кожи, ")}},
    };
    return codes;
}

QString collect(const FieldReader &value, const std::vector<Phrase> &phrases)
{
    QString list;
    for (const Phrase &p : phrases)
        text::appendIf(list, ticked(value, p.field), p.text);
    return list;
}

// One limb segment ticked on its flexor and / or extensor surface. The legs write "cгиб." with
// a Latin c, the arms with a Cyrillic one; the caller passes its own spelling.
QString segment(const FieldReader &value, const QString &name, const char *flexor, const char *extensor,
                const QString &flexorTag)
{
    const bool f = ticked(value, flexor);
    const bool e = ticked(value, extensor);
    if (f && e)
        return name + QStringLiteral(" (сгиб. и разгиб. пов-сть), ");
    if (f)
        return name + QStringLiteral(" (") + flexorTag + QStringLiteral(" пов-сть), ");
    if (e)
        return name + QStringLiteral(" (разгиб. пов-сть), ");
    return {};
}

struct Limb
{
    const char *whole;
    QString wholePhrase;
    QString prefix;
    const char *segments[4][2];
    std::vector<Phrase> tail;
};

QString limb(const FieldReader &value, const Limb &l, const QStringList &segmentNames, const QString &flexorTag)
{
    if (ticked(value, l.whole))
        return l.wholePhrase;
    QString list;
    for (int i = 0; i < 4; ++i)
        list += segment(value, segmentNames[i], l.segments[i][0], l.segments[i][1], flexorTag);
    for (const Phrase &p : l.tail)
        text::appendIf(list, ticked(value, p.field), p.text);
    return list.isEmpty() ? QString() : l.prefix + list;
}

struct TrunkGroup
{
    const char *everywhere;
    QString prefix;
    QString wholePhrase;
    std::vector<Phrase> phrases;
};

} // namespace

QString elementName1(const FieldReader &value)
{
    return QLatin1Char('"') + value(QStringLiteral("Name_elem")).toString() + QLatin1Char('"');
}

QString elementCharacteristics(const FieldReader &value)
{
    QString c;
    const QString from = numberText(value(QStringLiteral("Razmer_ot")));
    const QString to = numberText(value(QStringLiteral("Razmer_do")));
    if (!from.isEmpty() && !to.isEmpty())
        c += QStringLiteral("размером от ") + from + QStringLiteral(" до ") + to + QStringLiteral("см, ");
    for (const CodeList &list : characteristicCodes()) {
        const int n = code(value, list.field);
        if (n >= 1 && n <= list.phrases.size())
            c += list.phrases[n - 1];
    }
    // The old program kept this part in a short string.
    return text::cutToWidth(c, 255);
}

QString elementLocations(const FieldReader &value)
{
    QString l;

    // Head.
    if (ticked(value, "All_golova")) {
        l += QStringLiteral(" по всей поверхности головы, ");
    } else {
        if (ticked(value, "All_lico")) {
            l += QStringLiteral(" по всей поверхности лица, ");
        } else {
            l += collect(value, {{"A113", QStringLiteral("вокруг глаз, ")},
                                 {"A124", QStringLiteral("вокруг рта, ")},
                                 {"A164", QStringLiteral("на лбу, ")},
                                 {"A165", QStringLiteral("на носу, ")},
                                 {"A141", QStringLiteral("в заушной области, ")},
                                 {"A143", QStringLiteral("в раковине ушей, ")},
                                 {"A162", QStringLiteral("на щеках, ")},
                                 {"A136", QStringLiteral("по краю роста волос, ")}});
        }
        const QString scalp = collect(value, {{"A131", QStringLiteral("на лобной области, ")},
                                              {"A132", QStringLiteral("на теменной области, ")},
                                              {"A133", QStringLiteral("на височной области, ")},
                                              {"A134", QStringLiteral("на затылочной области, ")},
                                              {"A135", QStringLiteral("по всей поверхности, ")}});
        if (!scalp.isEmpty()) {
            if (ticked(value, "A135"))
                l += QStringLiteral("по всей поверхности головы, ");
            else
                l += QStringLiteral("в области волосистой части головы ") + scalp;
        }
    }

    // Neck, written even under "по всей поверхности туловища".
    QString neck = collect(value, {{"A211", QStringLiteral("везде, ")},
                                   {"A212", QStringLiteral("слева, ")},
                                   {"A213", QStringLiteral("справа, ")},
                                   {"A214", QStringLiteral("спереди, ")},
                                   {"A215", QStringLiteral("сзади, ")}});
    if (!neck.isEmpty()) {
        if (ticked(value, "A211")) {
            l += QStringLiteral("по всей поверхности шеи, ");
        } else {
            // Only the comma becomes the bracket; the blank after it stays, so the neck part ends in ") , ".
            neck = QStringLiteral("на шее (") + neck;
            neck[neck.size() - 2] = QLatin1Char(')');
            l += neck + QStringLiteral(", ");
        }
    }

    // Trunk.
    if (ticked(value, "All_tulov")) {
        l += QStringLiteral(" по всей поверхности туловища, ");
    } else {
        const TrunkGroup groups[] = {
            {"A221",
             QStringLiteral("на груди ("),
             QStringLiteral("по всей поверхности груди, "),
             {{"A221", QStringLiteral("везде, ")},
              {"A222", QStringLiteral("слева, ")},
              {"A223", QStringLiteral("справа, ")}}},
            {"A231",
             QStringLiteral("на животе ("),
             QStringLiteral("по всей поверхности живота, "),
             {{"A231", QStringLiteral("везде, ")},
              {"A232", QStringLiteral("слева, ")},
              {"A233", QStringLiteral("справа, ")}}},
            {"A241",
             QStringLiteral("на спине ("),
             QStringLiteral("по всей поверхности спины, "),
             {{"A241", QStringLiteral("везде, ")},
              {"A242", QStringLiteral("в области лопаток слева, ")},
              {"A243", QStringLiteral("в области лопаток справа, ")},
              {"A244", QStringLiteral("в области поясницы слева, ")},
              {"A245", QStringLiteral("в области поясницы справа, ")}}},
            {"A251",
             QStringLiteral("на ягодицах ("),
             QStringLiteral("по всей поверхности ягодиц, "),
             {{"A251", QStringLiteral("везде, ")},
              {"A252", QStringLiteral("слева, ")},
              {"A253", QStringLiteral("справа, ")}}},
        };
        for (const TrunkGroup &g : groups) {
            const QString list = collect(value, g.phrases);
            if (list.isEmpty())
                continue;
            if (ticked(value, g.everywhere))
                l += g.wholePhrase;
            else
                l += g.prefix + list.chopped(2) + QStringLiteral("), ");
        }
        text::appendIf(l, ticked(value, "A261"), QStringLiteral("на половых органах, "));
    }

    // Limbs.
    const QStringList armSegments = {QStringLiteral("плечо"), QStringLiteral("предплечье"),
                                     QStringLiteral("локтевой сустав"), QStringLiteral("лучезапястный сустав")};
    const QStringList legSegments = {QStringLiteral("бедро"), QStringLiteral("голень"),
                                     QStringLiteral("коленный сустав"), QStringLiteral("голеностопный сустав")};
    const QString armFlexor = QStringLiteral("сгиб.");
    const QString legFlexor = QStringLiteral("cгиб."); // Latin c, as the old leg texts have it
    const Limb leftArm = {"All_lev_ruka",
                          QStringLiteral(" по всей поверхности левой руки, "),
                          QStringLiteral("на левой руке - "),
                          {{"A311", "A312"}, {"A321", "A322"}, {"A331", "A332"}, {"A341", "A342"}},
                          {{"A351", QStringLiteral("тыл кисти, ")},
                           {"A361", QStringLiteral("ладонь, ")},
                           {"A371", QStringLiteral("пальцы, ")}}};
    const Limb rightArm = {"All_prav_ruka",
                           QStringLiteral(" по всей поверхности правой руки, "),
                           QStringLiteral("на правой руке - "),
                           {{"A313", "A314"}, {"A323", "A324"}, {"A333", "A334"}, {"A343", "A344"}},
                           {{"A352", QStringLiteral("тыл кисти, ")},
                            {"A362", QStringLiteral("ладонь, ")},
                            {"A372", QStringLiteral("пальцы, ")}}};
    const Limb leftLeg = {"All_lev_noga",
                          QStringLiteral(" по всей поверхности левой ноги, "),
                          QStringLiteral("на левой ноге - "),
                          {{"A411", "A412"}, {"A421", "A422"}, {"A441", "A442"}, {"A451", "A452"}},
                          {{"A431", QStringLiteral("тыл стопы, ")}, {"A432", QStringLiteral("подошва, ")}}};
    const Limb rightLeg = {"All_prav_noga",
                           QStringLiteral(" по всей поверхности правой ноги, "),
                           QStringLiteral("на правой ноге - "),
                           {{"A413", "A414"}, {"A423", "A424"}, {"A443", "A444"}, {"A453", "A454"}},
                           {{"A433", QStringLiteral("тыл стопы, ")}, {"A434", QStringLiteral("подошва, ")}}};
    l += limb(value, leftArm, armSegments, armFlexor);
    l += limb(value, rightArm, armSegments, armFlexor);
    l += limb(value, leftLeg, legSegments, legFlexor);
    l += limb(value, rightLeg, legSegments, legFlexor);

    if (!l.isEmpty()) {
        l = QStringLiteral("локализованы ") + l;
        // Any comma among the last four characters but the very last: a trailing ", " closes as ". ".
        for (qsizetype pos = l.size() - 1; pos >= l.size() - 4 && pos >= 1; --pos) {
            if (l[pos - 1] == QLatin1Char(','))
                l[pos - 1] = QLatin1Char('.');
        }
    }
    if (ticked(value, "All_telo"))
        l = QStringLiteral("локализованы по всей поверхности тела.");
    return l;
}

QString elementList(const FieldReader &value)
{
    return elementCharacteristics(value) + elementLocations(value);
}

void installElementCalc(db::Table &osmotr_elem)
{
    osmotr_elem.addCalcHandler([](db::Table &t) {
        const FieldReader value = [&t](const QString &name) { return t.value(name); };
        t.setValue(QStringLiteral("List"), elementList(value));
        t.setValue(QStringLiteral("Name_elem1"), elementName1(value));
    });
}

// ---------------------------------------------------------------- operations

QString newElementMessage()
{
    return QStringLiteral("Новый элемент высыпания создан.\r\nУкажите его название, затем заполните характеристики и "
                          "\r\nотметьте его расположение на теле пациента.");
}

QString copiedElementMessage()
{
    return QStringLiteral("Новый элемент высыпания (копия другого) создан.\r\nУкажите его название, затем измените "
                          "характеристики и \r\nрасположение на теле пациента.");
}

QString deleteElementQuestion()
{
    return QStringLiteral("Вы уверены что хотите удалить этот элемент высыпания?");
}

namespace {

// Appends a row linked to the current examination and numbered after the rows already there.
bool startElement(db::Table &osmotr1, db::Table &elements)
{
    const int count = elements.recordCount();
    elements.append();
    if (elements.state() != db::TableState::Insert)
        return false;
    elements.setValue(QStringLiteral("ID_elem"), osmotr1.value(QStringLiteral("ID")));
    elements.setValue(QStringLiteral("Nom_elem"), count + 1);
    return true;
}

} // namespace

bool appendElement(db::Table &osmotr1, db::Table &osmotr_elem)
{
    if (!startElement(osmotr1, osmotr_elem))
        return false;
    for (int i = 1; i < osmotr_elem.storedFieldCount(); ++i) {
        if (osmotr_elem.fieldDef(i).type == db::FieldType::Boolean)
            osmotr_elem.setValue(i, false);
    }
    return true;
}

bool appendElementCopy(db::Table &osmotr1, db::Table &osmotr_elem)
{
    // Everything from Razmer_ot on: sizes, codes, the reserved memo and every location box.
    const int from = osmotr_elem.fieldIndex(QStringLiteral("Razmer_ot"));
    std::vector<QVariant> kept;
    for (int i = from; i < osmotr_elem.storedFieldCount(); ++i)
        kept.push_back(osmotr_elem.value(i));
    if (!startElement(osmotr1, osmotr_elem))
        return false;
    osmotr_elem.setValue(QStringLiteral("Name_elem"), QStringLiteral(" "));
    for (int i = from; i < osmotr_elem.storedFieldCount(); ++i)
        osmotr_elem.setValue(i, kept[size_t(i - from)]);
    return true;
}

bool deleteElement(db::Table &osmotr_elem)
{
    // An examination keeps at least one element.
    if (osmotr_elem.recordCount() < 2)
        return false;
    if (!Dialogs::instance().ask(deleteElementQuestion(), QStringLiteral("Внимание!")))
        return false;
    return osmotr_elem.deleteRecord();
}

bool clearCharacteristic(db::Table &osmotr_elem, const QString &fieldName)
{
    for (const CodeList &list : characteristicCodes()) {
        // Fon1 has no control, hence no "Х" button.
        if (qstrcmp(list.field, "Fon1") == 0)
            continue;
        if (fieldName.compare(QLatin1String(list.field), Qt::CaseInsensitive) != 0)
            continue;
        if (osmotr_elem.isEmpty())
            return false;
        const QVariant v = osmotr_elem.value(fieldName);
        const int n = v.toInt();
        if (!v.isValid() || n < 1 || n > list.phrases.size())
            return false;
        if (!osmotr_elem.isEditing())
            osmotr_elem.edit();
        osmotr_elem.setValue(fieldName, 0);
        return osmotr_elem.post();
    }
    return false;
}

} // namespace pelorin::examination
