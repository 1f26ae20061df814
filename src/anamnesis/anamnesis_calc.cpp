#include "anamnesis_calc.h"

#include "datamodules.h"
#include "fieldvalue.h"
#include "table.h"
#include "texts.h"

#include <QObject>
#include <utility>

namespace pelorin::anamnesis {

using text::appendIf;
using text::closeList;
using text::cutToWidth;

namespace {

// A check box field and the phrase it contributes when ticked.
using Phrase = std::pair<const char *, const char16_t *>;

// Appends the phrases of the ticked fields, in the order given.
void addPhrases(QString &list, const AnamnezRecord &r, std::initializer_list<Phrase> phrases)
{
    for (const Phrase &p : phrases)
        appendIf(list, r.b(QLatin1String(p.first)), QString::fromUtf16(p.second));
}

// Appends a free text followed by ", " when it is not empty.
void addOther(QString &list, const QString &other)
{
    appendIf(list, !other.isEmpty(), other + QStringLiteral(", "));
}

// Replaces the second-to-last character by mark; closeList does the same with ".".
QString closeWith(const QString &list, QChar mark)
{
    if (list.size() < 2)
        return list;
    QString closed = list;
    closed[closed.size() - 2] = mark;
    return closed;
}

// One life anamnesis group: its phrases, closed with a full stop when any is ticked.
QString lifeGroup(const AnamnezRecord &r, std::initializer_list<Phrase> phrases)
{
    QString list;
    addPhrases(list, r, phrases);
    return cutToWidth(closeList(list), width::lifeList);
}

// Onset and exacerbation triggers share every field; only A1_15 is phrased differently.
QString triggers(const AnamnezRecord &r, const QString &a1_15)
{
    QString allergic;
    addPhrases(allergic, r,
               {{"Allerg_eda", u"пищевые продукты, "},
                {"Allerg_zivotnie", u"шерсть животных, "},
                {"Allerg_piltsa", u"пыльца растений, "},
                {"Allerg_pil", u"пыль, "},
                {"Allerg_plesen", u"плесень, "},
                {"Allerg_lek", u"прием лекарств, "}});
    addOther(allergic, r.s(QStringLiteral("Allerg_other")));

    QString other;
    addPhrases(other, r,
               {{"A1_1", u"зима, "},
                {"A1_2", u"лето, "},
                {"A1_3", u"весна, "},
                {"A1_4", u"осень, "},
                {"A1_5", u"потение, "},
                {"A1_6", u"расчесывание кожи, "},
                {"A1_7", u"синтетическая одежда, "},
                {"A1_8", u"химические раздражающие средства, "},
                {"A1_9", u"перенесенная инфекция, "},
                {"A1_10", u"обострение хронических заболеваний, "},
                {"A1_11", u"стресс, "},
                {"A1_12", u"отрицательные эмоции, "},
                {"A1_13", u"нарушение сна, "},
                {"A1_14", u"беременность, "}});
    appendIf(other, r.b(QStringLiteral("A1_15")), a1_15);
    addOther(other, r.s(QStringLiteral("Neallerg_other")));

    return cutToWidth(closeList(allergic + other), width::List);
}

} // namespace

// ---------------------------------------------------------------- record access






// ---------------------------------------------------------------- disease anamnesis

QString zabStartList(const AnamnezRecord &r)
{
    return triggers(r, QStringLiteral("ни с чем не связывает, "));
}

QString zabObostrPrichList(const AnamnezRecord &r)
{
    return triggers(r, QStringLiteral("роды, "));
}

QString zabRanlechList(const AnamnezRecord &r)
{
    if (r.b(QStringLiteral("Lech")))
        return QStringLiteral("не проводилось.");

    QString kind;
    addPhrases(kind, r, {{"A1_1", u"стационарное, "}, {"A1_2", u"амбулаторное, "}, {"A2_7_1", u"стандартное, "}});

    QString methods;
    addPhrases(methods, r,
               {{"A2_3_3", u"седативные препараты, "},
                {"A2_3_4", u"иммуномодуляторы, "},
                {"A2_4_1", u"витамины, "},
                {"A2_5_1", u"фитосборы, "},
                {"A2_1_1", u"ПУВА-терапия, "},
                {"A2_1_2", u"иммунодепрессанты, "},
                {"A2_2_1", u"гомеопатические препараты, "},
                {"A2_3_1", u"физиотерапевтическое, "}});

    // The window groups these two under "Наружные препараты, содержащие:"; on their own, after the methods,
    // they keep that heading so that the sentence says they were applied to the skin.
    QString external;
    addPhrases(external, r, {{"A2_6_1", u"нестероидные ср-ва, "}, {"A3_1", u"стероидные ср-ва, "}});
    if (!external.isEmpty())
        external = QStringLiteral("наружные препараты, содержащие ") + external;

    QString t = closeList(kind) + closeList(methods) + closeList(external);
    const QString other = r.s(QStringLiteral("Other"));
    if (!other.isEmpty())
        t += other + QStringLiteral(".");
    return cutToWidth(t, width::List);
}

QString zabObostrLechList(const AnamnezRecord &r)
{
    if (r.b(QStringLiteral("Lech")))
        return QStringLiteral("не проводилось.");

    QString t;
    addPhrases(t, r, {{"A1_1", u"гемодез, "}, {"A1_2", u"гемосорбция, "}, {"A1_3", u"плазмоферез, "}});

    QString antihistamines;
    addPhrases(antihistamines, r, {{"A2_1_1", u"per os, "}, {"A2_1_2", u"в инъекциях, "}});
    if (!antihistamines.isEmpty()) {
        antihistamines = QStringLiteral("антигистаминные препараты (") + closeWith(antihistamines, QLatin1Char(')'));
        antihistamines.back() = QLatin1Char(',');
        t += antihistamines + QStringLiteral(" ");
    }

    addPhrases(t, r,
               {{"A2_2_1", u"седативные препараты, "},
                {"A2_3_1", u"метотрескат, "},
                {"A2_3_2", u"сандимун, "},
                {"A2_3_3", u"кортикостероиды per os, "},
                {"A2_3_4", u"кортикостероиды в инъекциях, "},
                {"A5_1", u"креон, "},
                {"A5_2", u"фестал, "},
                {"A5_3", u"мезим форте, "},
                {"A5_4", u"энтеросгель, "},
                {"A5_5", u"лактофильтрум, "},
                {"A2_4_1", u"имуномодуляторы, "},
                {"A2_5_1", u"витамины, "},
                {"A2_6_1", u"фитосборы, "},
                {"A2_7_1", u"гомеопатические средства, "}});

    QString ointments;
    addPhrases(ointments, r,
               {{"A4_1", u"кортикостероиды, "},
                {"A4_2", u"дёготь, "},
                {"A4_3", u"нафталан, "},
                {"A4_4", u"кальципотриол, "},
                {"A4_5", u"дитранол, "},
                {"A4_6", u"салициловую кислоту, "},
                {"A4_7", u"мочевину, "},
                {"A4_8", u"цинк, "}});
    if (!ointments.isEmpty())
        t += QStringLiteral("наружно - мази/кремы/лосьоны, содержащие ") + ointments;

    addPhrases(t, r,
               {{"A3_1", u"ПУВА, "},
                {"A3_2", u"Ре-ПУВА, "},
                {"A3_3", u"Ме-ПУВА, "},
                {"A3_4", u"СФТ, "},
                {"A3_5", u"иглорефлексотерапия, "},
                {"A3_6", u"лечебные ванны, "},
                {"A3_7", u"грязелечение, "}});

    const QString other = r.s(QStringLiteral("Other"));
    if (!other.isEmpty())
        t += QStringLiteral(" ") + other + QStringLiteral(". ");
    return cutToWidth(closeList(t), width::List);
}

QString zabZalobiList(const AnamnezRecord &r)
{
    QString t;

    QString sites;
    addPhrases(sites, r,
               {{"A2_8", u"голове, "},
                {"A2_9", u"верхних конечностях, "},
                {"A2_10", u"нижних конечностях, "},
                {"A2_11", u"туловище, "}});
    if (!sites.isEmpty())
        t += closeWith(QStringLiteral("высыпания на ") + sites, QLatin1Char(';'));

    QString skin;
    addPhrases(skin, r,
               {{"A2_1", u"боль в области высыпаний, "},
                {"A2_2", u"чувство стянутости, "},
                {"A2_3", u"зуд, "},
                {"A2_4", u"жжение, "},
                {"A1_4", u"сухость, "},
                {"A2_5", u"шелушение, "},
                {"A2_12", u"трещины, "},
                {"A2_6", u"покраснение, "},
                {"A2_7", u"мокнутие, "}});
    if (!skin.isEmpty()) {
        skin.chop(2); // every phrase ends in ", "
        t += skin + QStringLiteral(" кожи; ");
    }

    QString joints;
    addPhrases(joints, r,
               {{"A3_1", u"боль в суставах, "},
                {"A3_2", u"изменение формы ногтей, "},
                {"A3_3", u"изменение формы суставов, "},
                {"A3_4", u"выпадение волос, "}});
    t += closeWith(joints, QLatin1Char(';'));

    QString general;
    addPhrases(general, r,
               {{"A1_1", u"головокружение, "},
                {"A1_2", u"головная боль, "},
                {"A1_3", u"потеря аппетита, "},
                {"A1_5", u"повышение температуры, "},
                {"A1_6", u"ухудшение общего состояния, "},
                {"A1_7", u"снижение массы тела, "},
                {"A3_5", u"нарушение сна, "}});
    if (!general.isEmpty())
        t += closeWith(QStringLiteral(" ") + general, QLatin1Char(';'));

    const QString other = r.s(QStringLiteral("Other"));
    t += other;

    if (t.isEmpty())
        return QStringLiteral("Жалоб нет");
    if (!other.isEmpty())
        t += QStringLiteral(".");
    else
        t = closeList(t);
    return cutToWidth(t, width::List);
}

// ---------------------------------------------------------------- life anamnesis

QString lifeList1(const AnamnezRecord &r)
{
    // "кариеc" ends in the Latin c, as the old program wrote it.
    return lifeGroup(r, {{"A1_1", u"тонзиллит, "},
                         {"A1_2", u"гайморит, "},
                         {"A1_3", u"аденоидит, "},
                         {"A1_4", u"отит, "},
                         {"A2_1", u"кариеc, "},
                         {"A2_2", u"парадонтоз, "}});
}

QString lifeList2(const AnamnezRecord &r)
{
    QString list;
    addPhrases(list, r,
               {{"A12_1", u"пищевые продукты, "},
                {"A12_2", u"пыльца растений, "},
                {"A12_3", u"плесень, "},
                {"A12_4", u"шерсть животных, "},
                {"A12_5", u"пыль, "},
                {"A12_6", u"прием лекарств, "}});
    addOther(list, r.s(QStringLiteral("A10_5_1")));
    return cutToWidth(closeList(list), width::lifeList);
}

QString lifeList3(const AnamnezRecord &r)
{
    return lifeGroup(r, {{"A3_1", u"гастрит, "},
                         {"A3_2", u"дуоденит, "},
                         {"A3_3", u"гастродуоденит, "},
                         {"A3_4", u"дизбиоз кишечника, "},
                         {"A3_5", u"желчекаменная болезнь, "},
                         {"A3_6", u"холецистит, "},
                         {"A3_7", u"гепатит, "},
                         {"A3_8", u"ДЖВП, "},
                         {"A11_1", u"панкреатит, "}});
}

QString lifeList4(const AnamnezRecord &r)
{
    return lifeGroup(r, {{"A4_1", u"вегето-сосудистая дистония, "},
                         {"A4_2", u"органические поражения ЦНС, "},
                         {"A4_3", u"невротические реакции, "}});
}

QString lifeList5(const AnamnezRecord &r)
{
    QString list;
    if (r.b(QStringLiteral("A5_1"))) {
        list += QStringLiteral("частые ОРВИ ( от ") + QString::number(r.i(QStringLiteral("A5_1_1"))) +
                QStringLiteral(" до ") + QString::number(r.i(QStringLiteral("A5_1_2"))) +
                QStringLiteral(" раз в год), ");
    }
    // The check box caption "Рецидивирующие бронхиты" in lower case, as every other phrase of the table.
    addPhrases(list, r, {{"A5_2", u"рецидивирующие бронхиты, "}});
    return cutToWidth(closeList(list), width::lifeList);
}

QString lifeList6(const AnamnezRecord &r)
{
    return lifeGroup(r, {{"A6_1", u"пиелонефрит, "},
                         {"A6_2", u"мочекаменная болезнь, "},
                         {"A6_3", u"цистит, "},
                         {"A5_3", u"гломерулонефрит, "}});
}

QString lifeList7(const AnamnezRecord &r)
{
    return lifeGroup(
        r, {{"A7_1", u"энтеробиоз, "}, {"A7_2", u"аскоридоз, "}, {"A7_3", u"лямблиоз, "}, {"A7_4", u"описторхоз, "}});
}

QString lifeList8(const AnamnezRecord &r)
{
    return lifeGroup(
        r,
        {{"A8_1", u"псориаз, "}, {"A8_2", u"атопический дерматит, "}, {"A8_3", u"ихтиоз, "}, {"A8_4", u"пиодермия, "}});
}

QString lifeList9(const AnamnezRecord &r)
{
    return lifeGroup(r, {{"A9_1", u"бронхиальная астма, "},
                         {"A9_2", u"атопический ринит, "},
                         {"A9_3", u"атопический конъюнктивит, "},
                         {"A9_4", u"поллиноз, "}});
}

QString lifeList10(const AnamnezRecord &r, const QString &sex)
{
    QString list;
    addPhrases(list, r, {{"Travm", u"были операции или травмы, "}});
    if (r.b(QStringLiteral("Gepatit"))) {
        appendIf(list, sex == QStringLiteral("Мужской"), QStringLiteral("болел гепатитом, "));
        appendIf(list, sex == QStringLiteral("Женский"), QStringLiteral("болела гепатитом, "));
    }
    addOther(list, r.s(QStringLiteral("Other")));
    return cutToWidth(closeList(list), width::lifeList);
}

QString lifeSemList(const AnamnezRecord &r)
{
    // "конъюктивит" without "н" is how the relatives' grid has always printed it.
    static const char16_t *const kDiseases[] = {
        u"псориаз, ",  u"бронхиальная астма, ",   u"атопический ринит, ", u"атопический конъюктивит, ",
        u"поллиноз, ", u"атопический дерматит, ",
    };
    static const char16_t *const kRelatives[] = {
        u" У матери - ",
        u" У бабушки (линия по матери) - ",
        u" У дедушки (линия по матери) - ",
        u" У отца - ",
        u" У бабушки (линия по отцу) - ",
        u" У дедушки (линия по отцу) - ",
        u" У брата - ",
        u" У сестры - ",
    };
    QString s;
    for (int relative = 0; relative < 8; ++relative) {
        QString diseases;
        for (int disease = 1; disease <= 6; ++disease) {
            appendIf(diseases, r.b(QStringLiteral("A%1%2").arg(disease).arg(relative)),
                     QString::fromUtf16(kDiseases[disease - 1]));
        }
        if (!diseases.isEmpty())
            s += QString::fromUtf16(kRelatives[relative]) + closeList(diseases) + QStringLiteral(" ");
    }
    s += r.s(QStringLiteral("Other"));
    return cutToWidth(s, width::List);
}

// ---------------------------------------------------------------- installation

void installAnamnesisCalc(db::DM1 &dm1)
{
    // Each summary is a whole pass over its record; an empty text leaves its field blank.
    const auto installList = [](db::Table *table, QString (*list)(const AnamnezRecord &)) {
        table->addCalcHandler(
            [list](db::Table &t) { t.setValue(QStringLiteral("List"), list(AnamnezRecord::fromTable(t))); });
    };
    installList(dm1.anamnez_zab_start, zabStartList);
    installList(dm1.anamnez_zab_obostr_prich, zabObostrPrichList);
    installList(dm1.anamnez_zab_ranlech, zabRanlechList);
    installList(dm1.anamnez_zab_obostr_lech, zabObostrLechList);
    installList(dm1.anamnez_zab_zalobi, zabZalobiList);
    installList(dm1.anamnez_life_sem, lifeSemList);

    db::Table *reg = dm1.register_;
    dm1.anamnez_life_zab->addCalcHandler([reg](db::Table &t) {
        const AnamnezRecord r = AnamnezRecord::fromTable(t);
        t.setValue(QStringLiteral("list1"), lifeList1(r));
        t.setValue(QStringLiteral("list2"), lifeList2(r));
        t.setValue(QStringLiteral("list3"), lifeList3(r));
        t.setValue(QStringLiteral("list4"), lifeList4(r));
        t.setValue(QStringLiteral("list5"), lifeList5(r));
        t.setValue(QStringLiteral("list6"), lifeList6(r));
        t.setValue(QStringLiteral("list7"), lifeList7(r));
        t.setValue(QStringLiteral("list8"), lifeList8(r));
        t.setValue(QStringLiteral("list9"), lifeList9(r));
        t.setValue(QStringLiteral("list10"), lifeList10(r, reg->asString(QStringLiteral("Sex"))));
    });

    // The hepatitis phrase follows the sex chosen in the register, even before the register is posted.
    db::Table *lifeZab = dm1.anamnez_life_zab;
    const int sexIndex = reg->fieldIndex(QStringLiteral("Sex"));
    QObject::connect(reg, &db::Table::recordChanged, lifeZab, [lifeZab, sexIndex](int fieldIndex) {
        if (fieldIndex == -1 || fieldIndex == sexIndex)
            lifeZab->invalidateCalc();
    });
}

} // namespace pelorin::anamnesis
