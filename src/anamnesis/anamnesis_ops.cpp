#include "anamnesis_ops.h"

#include "clock.h"
#include "datamodules.h"
#include "dialogs.h"
#include "table.h"
#include "texts.h"

#include <utility>

namespace pelorin::anamnesis {

namespace {

// The units are stored as the lists show them; the backslash separates the alternative plural endings.
const QString kDays = QStringLiteral("дней(я\\и)");
const QString kWeeks = QStringLiteral("недель(я\\и)");
const QString kMonths = QStringLiteral("месяц(а\\ев)");
const QString kYears = QStringLiteral("год(а)\\лет");

// Posts what the user changed in the table, text still being typed included.
void postIfModified(db::Table &t)
{
    if (t.updateRecord() && t.modified())
        t.post();
}

} // namespace

// ---------------------------------------------------------------- pick lists

QStringList onsetAgeItems()
{
    return {QStringLiteral("в первые 3 месяца жизни"), QStringLiteral("на первом году жизни"),
            QStringLiteral("от 1 до 3 лет"),           QStringLiteral("от 3 до 5 лет"),
            QStringLiteral("от 5 до 7 лет"),           QStringLiteral("от 8 до 10 лет"),
            QStringLiteral("от 11 до 16 лет"),         QStringLiteral("от 16 до 20 лет"),
            QStringLiteral("от 20 до 30 лет"),         QStringLiteral("от 30 до 40 лет"),
            QStringLiteral("от 40 до 50 лет"),         QStringLiteral("от 50 до 60 лет"),
            QStringLiteral("позднее 60 лет")};
}

QStringList onsetUnitItems()
{
    return {kDays, kMonths, kYears};
}

QStringList spanUnitItems()
{
    return {kWeeks, kMonths, kYears};
}

QStringList treatmentResultItems()
{
    return {QStringLiteral("не отмечается"), QStringLiteral("кратковременный"),
            QStringLiteral("стойкий положительный")};
}

QStringList numberItems(int from, int to)
{
    QStringList items;
    for (int n = from; n <= to; ++n)
        items << QString::number(n);
    return items;
}

// ---------------------------------------------------------------- onset calculator

Onset computeOnset(const QDate &today, const QDate &born, qint64 count, const QString &unit)
{
    qint64 daysBack = 0;
    if (unit == kDays)
        daysBack = count;
    else if (unit == kMonths)
        daysBack = text::roundHalfEven(double(count) * 30.5);
    else if (unit == kYears)
        daysBack = count * 365;

    Onset onset;
    onset.date = today.addDays(-daysBack);
    onset.years = qint64(onset.date.year()) - born.year();
    onset.months = qint64(onset.date.month()) - born.month();
    onset.days = qint64(onset.date.day()) - born.day();
    return onset;
}

std::optional<QString> onsetAgeItem(qint64 years)
{
    // Upper bounds of the age bands and the item each band gives; "в первые 3 месяца жизни" is only ever
    // chosen by hand, the calculator counts whole years.
    static const std::pair<qint64, const char16_t *> kBands[] = {
        {0, u"на первом году жизни"}, {2, u"от 1 до 3 лет"},    {4, u"от 3 до 5 лет"},    {7, u"от 5 до 7 лет"},
        {10, u"от 8 до 10 лет"},      {15, u"от 11 до 16 лет"}, {19, u"от 16 до 20 лет"}, {29, u"от 20 до 30 лет"},
        {39, u"от 30 до 40 лет"},     {49, u"от 40 до 50 лет"}, {59, u"от 50 до 60 лет"}, {99999, u"позднее 60 лет"},
    };
    if (years < 0)
        return std::nullopt;
    for (const auto &[upTo, item] : kBands) {
        if (years <= upTo)
            return QString::fromUtf16(item);
    }
    return std::nullopt;
}

QString onsetMessage(const Onset &onset)
{
    return QStringLiteral("Подсчитано, что заболевания возникло,\nкогда пациенту было приблизительно\n") +
           QString::number(onset.years) + QStringLiteral(" лет\\год(ов), ") + QString::number(onset.months) +
           QStringLiteral(" месяц(а\\ев) и ") + QString::number(onset.days) + QStringLiteral("день(дней\\я). ") +
           QStringLiteral("\n") + QStringLiteral("Дата заболевания: ") + text::shortDate(onset.date);
}

void calculateOnset(db::DM1 &dm1)
{
    db::Table &zab = *dm1.anamnez_zab;
    db::Table &reg = *dm1.register_;
    postIfModified(zab);
    Dialogs &dialogs = Dialogs::instance();
    dialogs.beep();

    if (reg.isNull(QStringLiteral("Born_dat")) || zab.isNull(QStringLiteral("NachZabCount")) ||
        zab.asString(QStringLiteral("NachZabText")).isEmpty())
        return;

    const Onset onset =
        computeOnset(clock::today(), reg.asDate(QStringLiteral("Born_dat")),
                     zab.asInteger(QStringLiteral("NachZabCount")), zab.asString(QStringLiteral("NachZabText")));
    zab.edit();
    if (const std::optional<QString> item = onsetAgeItem(onset.years))
        zab.setValue(QStringLiteral("Zalobi"), *item);
    else
        dialogs.message(kOnsetPeriodError);
    zab.post();
    dialogs.message(onsetMessage(onset));
}

// ---------------------------------------------------------------- complaints into the first examination

void applyComplaints(db::DM1 &dm1, db::DM2 &dm2, const std::function<void()> &closeWindow)
{
    // The question only warns that an examination is about to be made; the complaints go over either way.
    if (dm2.osmotr1->isEmpty())
        Dialogs::instance().ask(QStringLiteral("Занести жалобы в первый осмотр?"));
    if (closeWindow)
        closeWindow();
    postIfModified(*dm1.anamnez_zab_zalobi);
    transferComplaints(dm1, dm2);
}

bool transferComplaints(db::DM1 &dm1, db::DM2 &dm2)
{
    // Complaint field -> examination field: the examination numbers its complaints in its own order.
    static const std::pair<const char *, const char *> kFields[] = {
        {"A1_1", "A1_1"}, {"A1_5", "A1_2"},  {"A1_2", "A1_3"},  {"A1_6", "A1_4"},   {"A1_3", "A1_5"},
        {"A1_7", "A1_6"}, {"A3_5", "A1_7"},  {"A2_1", "A2_1"},  {"A2_2", "A2_2"},   {"A2_3", "A2_3"},
        {"A2_4", "A2_4"}, {"A1_4", "A2_5"},  {"A2_5", "A2_6"},  {"A2_12", "A2_7"},  {"A2_6", "A2_8"},
        {"A2_7", "A2_9"}, {"A2_8", "A2_10"}, {"A2_9", "A2_11"}, {"A2_10", "A2_12"}, {"A2_11", "A2_13"},
        {"A3_2", "A3_1"}, {"A3_4", "A3_2"},  {"A3_3", "A3_3"},  {"A3_1", "A3_4"},
    };
    db::Table &reg = *dm1.register_;
    db::Table &complaints = *dm1.anamnez_zab_zalobi;
    db::Table &osmotr = *dm2.osmotr1;
    // Without a patient a new examination would belong to nobody.
    if (reg.isEmpty())
        return false;

    const int remembered = osmotr.recNo();
    osmotr.first();
    osmotr.edit(); // a patient without examinations gets his first one here
    if (!osmotr.isEditing())
        return false;
    osmotr.setValue(QStringLiteral("Nom_osm"), 1);
    osmotr.setValue(QStringLiteral("Date"), reg.value(QStringLiteral("Reg_date")));
    for (const auto &[from, to] : kFields)
        osmotr.setValue(QLatin1String(to), complaints.asBoolean(QLatin1String(from)));
    osmotr.setValue(QStringLiteral("Zal_other"), complaints.value(QStringLiteral("Other")));
    if (!osmotr.post())
        return false;

    osmotr.first();
    if (remembered > 1)
        osmotr.moveBy(remembered - 1);
    return true;
}

} // namespace pelorin::anamnesis
