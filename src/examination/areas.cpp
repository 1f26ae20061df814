#include "areas.h"

#include "dialogs.h"
#include "table.h"
#include "texts.h"

#include <QSet>
#include <vector>

namespace pelorin::examination {

namespace {

enum Group { Face, Scalp, Neck, Chest, Abdomen, Back, Buttocks, Pubic, LeftArm, RightArm, LeftLeg, RightLeg, Groups };

struct Weight
{
    const char *field;
    Group group;
    int units;
};

// Ears and hairline weigh with the scalp and the neck with the trunk, unlike the description text,
// so the whole-region boxes replace them there.
const Weight k_weights[] = {
    {"A113", Face, 50},      {"A124", Face, 50},      {"A162", Face, 100},     {"A164", Face, 100},
    {"A165", Face, 30},

    {"A141", Scalp, 40},     {"A143", Scalp, 30},     {"A131", Scalp, 50},     {"A132", Scalp, 150},
    {"A133", Scalp, 100},    {"A134", Scalp, 175},    {"A136", Scalp, 25},

    {"A212", Neck, 100},     {"A213", Neck, 100},     {"A214", Neck, 100},     {"A215", Neck, 100},
    {"A222", Chest, 300},    {"A223", Chest, 300},    {"A232", Abdomen, 300},  {"A233", Abdomen, 300},
    {"A242", Back, 300},     {"A243", Back, 300},     {"A244", Back, 200},     {"A245", Back, 200},
    {"A252", Buttocks, 300}, {"A253", Buttocks, 300}, {"A261", Pubic, 100},

    {"A311", LeftArm, 150},  {"A312", LeftArm, 150},  {"A321", LeftArm, 150},  {"A322", LeftArm, 150},
    {"A331", LeftArm, 100},  {"A332", LeftArm, 100},  {"A341", LeftArm, 50},   {"A342", LeftArm, 50},
    {"A351", LeftArm, 100},  {"A361", LeftArm, 50},   {"A371", LeftArm, 50},

    {"A313", RightArm, 150}, {"A314", RightArm, 150}, {"A323", RightArm, 150}, {"A324", RightArm, 150},
    {"A333", RightArm, 100}, {"A334", RightArm, 100}, {"A343", RightArm, 50},  {"A344", RightArm, 50},
    {"A352", RightArm, 100}, {"A362", RightArm, 50},  {"A372", RightArm, 50},

    {"A411", LeftLeg, 350},  {"A412", LeftLeg, 350},  {"A421", LeftLeg, 300},  {"A422", LeftLeg, 300},
    {"A441", LeftLeg, 100},  {"A442", LeftLeg, 100},  {"A451", LeftLeg, 50},   {"A452", LeftLeg, 50},
    {"A431", LeftLeg, 100},  {"A432", LeftLeg, 150},

    {"A413", RightLeg, 350}, {"A414", RightLeg, 350}, {"A423", RightLeg, 300}, {"A424", RightLeg, 300},
    {"A443", RightLeg, 100}, {"A444", RightLeg, 100}, {"A453", RightLeg, 50},  {"A454", RightLeg, 50},
    {"A433", RightLeg, 100}, {"A434", RightLeg, 150},
};

// A ticked whole box sets its group to the value given, whatever its single boxes add up to.
const Weight k_wholeBoxes[] = {
    {"All_lico", Face, 400},
    {"A135", Scalp, 500},
    {"A211", Neck, 400},
    {"A221", Chest, 600},
    {"A231", Abdomen, 600},
    {"A241", Back, 1000},
    {"A251", Buttocks, 600},
    {"All_lev_ruka", LeftArm, 1100},
    {"All_prav_ruka", RightArm, 1100},
    {"All_lev_noga", LeftLeg, 1850},
    {"All_prav_noga", RightLeg, 1850},
};

constexpr int k_head = 900;
constexpr int k_trunk = 3200;
constexpr int k_arms = 2200;
constexpr int k_legs = 3700;

bool on(const LocationReader &ticked, const char *field)
{
    return ticked(QLatin1String(field));
}

double regionPercent(int units, int tenthsDivisor)
{
    return double(text::roundHalfEven(units * 10.0 / tenthsDivisor)) / 10;
}

QString percentText(double value)
{
    return text::floatToText(value) + QLatin1Char('%');
}

} // namespace

const QStringList &areaFields()
{
    static const QStringList fields = [] {
        QStringList list;
        for (const Weight &w : k_weights)
            list << QLatin1String(w.field);
        for (const Weight &w : k_wholeBoxes)
            list << QLatin1String(w.field);
        list << QStringLiteral("All_golova") << QStringLiteral("All_tulov") << QStringLiteral("All_telo");
        return list;
    }();
    return fields;
}

RegionAreas regionAreas(const LocationReader &ticked)
{
    int sum[Groups] = {};
    for (const Weight &w : k_weights) {
        if (on(ticked, w.field))
            sum[w.group] += w.units;
    }
    for (const Weight &w : k_wholeBoxes) {
        if (on(ticked, w.field))
            sum[w.group] = w.units;
    }

    RegionAreas a;
    a.head = on(ticked, "All_golova") ? k_head : sum[Face] + sum[Scalp];
    a.trunk = on(ticked, "All_tulov") ? k_trunk
                                      : sum[Neck] + sum[Chest] + sum[Abdomen] + sum[Back] + sum[Buttocks] + sum[Pubic];
    a.arms = sum[LeftArm] + sum[RightArm];
    a.legs = sum[LeftLeg] + sum[RightLeg];
    if (on(ticked, "All_telo"))
        a = {k_head, k_trunk, k_arms, k_legs};
    return a;
}

double headPercent(const RegionAreas &a)
{
    return regionPercent(a.head, 9);
}

double trunkPercent(const RegionAreas &a)
{
    return regionPercent(a.trunk, 32);
}

double armsPercent(const RegionAreas &a)
{
    return regionPercent(a.arms, 22);
}

double legsPercent(const RegionAreas &a)
{
    return regionPercent(a.legs, 37);
}

std::optional<int> pasiAreaScore(qint64 percent)
{
    if (percent < 0 || percent > 100)
        return std::nullopt;
    if (percent == 0)
        return 0;
    if (percent <= 10)
        return 1;
    if (percent <= 30)
        return 2;
    if (percent <= 50)
        return 3;
    if (percent <= 70)
        return 4;
    if (percent <= 90)
        return 5;
    return 6;
}

QString areaReport(const RegionAreas &a)
{
    const QString gap = QStringLiteral("\r\n\r\n");
    return QStringLiteral("Общая площадь - ") + percentText(a.total() / 100.0) + gap + QStringLiteral("На голове - ") +
           percentText(headPercent(a)) + gap + QStringLiteral("На туловище и шее - ") + percentText(trunkPercent(a)) +
           gap + QStringLiteral("На руках - ") + percentText(armsPercent(a)) + gap + QStringLiteral("На ногах - ") +
           percentText(legsPercent(a));
}

void showElementArea(db::Table &osmotr_elem)
{
    const RegionAreas a = regionAreas([&osmotr_elem](const QString &f) { return osmotr_elem.asBoolean(f); });
    Dialogs::instance().message(areaReport(a), QStringLiteral("Внимание!"));
}

bool sumAreasIntoExamination(db::Table &osmotr1, db::Table &osmotr_elem)
{
    // 1. The element being edited counts as it is now.
    if (osmotr_elem.isEditing() && !osmotr_elem.post())
        return false;

    // 2.–4. A location ticked in several elements counts once; the walk leaves the last element current.
    osmotr_elem.first();
    QSet<QString> united;
    if (osmotr_elem.isEmpty())
        return false;
    while (!osmotr_elem.eof()) {
        for (const QString &f : areaFields()) {
            if (osmotr_elem.asBoolean(f))
                united.insert(f);
        }
        osmotr_elem.next();
    }

    // 5., 6.
    const RegionAreas a = regionAreas([&united](const QString &f) { return united.contains(f); });
    const qint64 pHead = text::roundHalfEven(headPercent(a));
    const qint64 pTrunk = text::roundHalfEven(trunkPercent(a));
    const qint64 pArms = text::roundHalfEven(armsPercent(a));
    const qint64 pLegs = text::roundHalfEven(legsPercent(a));

    // 7.–9. A per cent above 100 (every single trunk box ticked) leaves its score as it was.
    if (!osmotr1.isEditing())
        osmotr1.edit();
    const std::pair<const char *, qint64> scores[] = {
        {"Bb14", pHead}, {"Bb44", pTrunk}, {"Bb24", pArms}, {"Bb34", pLegs}};
    for (const auto &[field, percent] : scores) {
        if (const auto score = pasiAreaScore(percent))
            osmotr1.setValue(QLatin1String(field), *score);
    }
    osmotr1.setValue(QStringLiteral("B1"), a.total() / 100);
    // A store refused by the protection rule still reports the sums.
    osmotr1.post();
    Dialogs &dialogs = Dialogs::instance();
    dialogs.beep();

    // 10.
    dialogs.message(QStringLiteral("Сумма по всем элементам:\r\n\r\n") + areaReport(a) +
                        QStringLiteral("\r\n\r\nДанные по площади внесены в PASI и SCORAD."),
                    QStringLiteral("Внимание!"));
    return true;
}

} // namespace pelorin::examination
