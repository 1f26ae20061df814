#include "puva_exposure.h"

#include "clinicsettings.h"
#include "database.h"
#include "fieldvalue.h"
#include "settings.h"
#include "table.h"
#include "texts.h"

#include <QSqlQuery>

#include <array>

namespace pelorin::treatment {

namespace {

const QChar kNoBreakSpace(0x00A0);
const QString kUnit = QStringLiteral(" Дж/см²");

const char *const kUnitFields[] = {"Power1", "Time1", "Power2", "Time2", "Power3", "Time3"};

// "1 012": thousands set off as Russian print sets them.
QString grouped(qint64 value)
{
    QString digits = QString::number(value < 0 ? -value : value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, kNoBreakSpace);
    return value < 0 ? QStringLiteral("-") + digits : digits;
}

QString doseJ(qint64 hundredths)
{
    const QString text = text::doseText(hundredths);
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    return grouped(text.left(comma).toLongLong()) + text.mid(comma) + kUnit;
}

QString wholeJ(int joules)
{
    return grouped(joules) + kUnit;
}

// "у 1 процедуры", "у 2 процедур": after "у" only the numbers ending in one keep the singular.
QString unknownPhrase(int n)
{
    const bool singular = n % 10 == 1 && n % 100 != 11;
    return QStringLiteral("доза неизвестна у %1 ").arg(n) +
           (singular ? QStringLiteral("процедуры") : QStringLiteral("процедур"));
}

// "по числу процедур (150) и по суммарной дозе (1 000 Дж/см²)": the thresholds the figures reach.
QString reachedBy(const PuvaExposure &e, int count, int dose)
{
    QStringList parts;
    if (e.procedures >= count)
        parts << QStringLiteral("по числу процедур (%1)").arg(grouped(count));
    if (e.dose >= qint64(dose) * 100)
        parts << QStringLiteral("по суммарной дозе (%1)").arg(wholeJ(dose));
    return parts.join(QStringLiteral(" и "));
}

int keptNumber(db::Database &database, const char *name, int fallback, int max)
{
    bool ok = false;
    const int n = db::ClinicSettings::value(database, QString::fromLatin1(name)).toString().trimmed().toInt(&ok);
    return ok && n >= 1 && n <= max ? n : fallback;
}

} // namespace

std::optional<qint64> knownDose(const PuvaRecord &procedure)
{
    if (!procedure.value(QStringLiteral("Power1")).isValid() || !procedure.value(QStringLiteral("Time1")).isValid())
        return std::nullopt;
    return procedureDose(procedure);
}

PuvaExposure withProcedure(PuvaExposure exposure, const PuvaRecord &procedure)
{
    ++exposure.procedures;
    if (const std::optional<qint64> dose = knownDose(procedure))
        exposure.dose += *dose;
    else
        ++exposure.unknownDose;
    return exposure;
}

PuvaExposure lifetimeExposure(db::Database &database, const QVariant &patientId)
{
    PuvaExposure exposure;
    if (!database.isOpen() || patientId.isNull() || !patientId.isValid())
        return exposure;
    // The table objects only see one course when a course view is chosen; the file sees them all.
    QSqlQuery q(database.sql());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT \"Power1\", \"Time1\", \"Power2\", \"Time2\", \"Power3\", \"Time3\" FROM lech_puva WHERE \"ID_man\" = ?"));
    q.addBindValue(patientId);
    if (!q.exec())
        return exposure;
    // One view over the row being read, not a hash per procedure: the PUVA page reads this at every
    // patient switch, for patients with hundreds of procedures.
    std::array<QVariant, std::size(kUnitFields)> row;
    const PuvaRecord procedure{[&row](const QString &name) -> QVariant {
        for (size_t i = 0; i < row.size(); ++i) {
            if (name == QLatin1String(kUnitFields[i]))
                return row[i];
        }
        return {};
    }};
    while (q.next()) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = db::fromStorage(db::FieldType::Integer, q.value(int(i)));
        exposure = withProcedure(exposure, procedure);
    }
    return exposure;
}

PuvaExposure lifetimeExposure(db::Table &reg)
{
    if (reg.isEmpty() || reg.state() == db::TableState::Insert)
        return {};
    return lifetimeExposure(reg.database(), reg.value(QStringLiteral("ID_man")));
}

ExposureLevel exposureLevel(const PuvaExposure &e, const ExposureThresholds &t)
{
    if (e.procedures >= t.strongCount || e.dose >= qint64(t.strongDose) * 100)
        return ExposureLevel::Strong;
    if (e.procedures >= t.cautionCount || e.dose >= qint64(t.cautionDose) * 100)
        return ExposureLevel::Caution;
    return ExposureLevel::None;
}

QString exposureFigures(const PuvaExposure &e)
{
    QString text =
        QStringLiteral("процедур ПУВА: %1, суммарная доза УФА: %2").arg(grouped(e.procedures), doseJ(e.dose));
    if (e.unknownDose > 0)
        text += QStringLiteral(" (") + unknownPhrase(e.unknownDose) + QStringLiteral(")");
    return text;
}

QString exposureSummary(const PuvaExposure &e)
{
    return QStringLiteral("Всего ") + exposureFigures(e);
}

QString exposureLabelText(const PuvaExposure &e, const ExposureThresholds &t)
{
    switch (exposureLevel(e, t)) {
    case ExposureLevel::None:
        return exposureSummary(e);
    case ExposureLevel::Caution:
        return exposureSummary(e) + QStringLiteral(". Достигнут порог предупреждения.");
    case ExposureLevel::Strong:
        return exposureSummary(e) + QStringLiteral(". Высокая суммарная нагрузка!");
    }
    return {};
}

QString exposureExtractLine(const PuvaExposure &e)
{
    return QStringLiteral("За все курсы проведено ") + exposureFigures(e) + QStringLiteral(".\n");
}

QString exposureWarning(const PuvaExposure &e, const ExposureThresholds &t)
{
    const QString figures =
        QStringLiteral("С учётом добавляемой процедуры всего ") + exposureFigures(e) + QStringLiteral(".\n");
    switch (exposureLevel(e, t)) {
    case ExposureLevel::None:
        return {};
    case ExposureLevel::Caution:
        return QStringLiteral("Суммарная нагрузка ПУВА достигла порога предупреждения ") +
               reachedBy(e, t.cautionCount, t.cautionDose) + QStringLiteral(".\n") + figures +
               QStringLiteral("Оцените соотношение пользы и риска перед продолжением лечения.");
    case ExposureLevel::Strong:
        return QStringLiteral("Суммарная нагрузка ПУВА достигла порога высокой нагрузки ") +
               reachedBy(e, t.strongCount, t.strongDose) + QStringLiteral(".\n") + figures +
               QStringLiteral("Риск рака кожи значительно повышен: продолжайте ПУВА-терапию только по строгим "
                              "показаниям, под регулярным осмотром кожи.");
    }
    return {};
}

QString thresholdsError(const ExposureThresholds &t)
{
    if (t.strongCount < t.cautionCount)
        return QStringLiteral("Порог высокой нагрузки по числу процедур (%1) не может быть меньше порога "
                              "предупреждения (%2).")
            .arg(grouped(t.strongCount), grouped(t.cautionCount));
    if (t.strongDose < t.cautionDose)
        return QStringLiteral("Порог высокой нагрузки по суммарной дозе (%1) не может быть меньше порога "
                              "предупреждения (%2).")
            .arg(wholeJ(t.strongDose), wholeJ(t.cautionDose));
    return {};
}

ExposureThresholds thresholdsOf(const db::RunSettings &s)
{
    return {s.puvaCautionCount, s.puvaCautionDose, s.puvaStrongCount, s.puvaStrongDose};
}

void loadExposureSettings(db::Database &database, db::RunSettings &s)
{
    const ExposureThresholds d;
    s.puvaCautionCount = keptNumber(database, setting::cautionCount, d.cautionCount, kMaxThresholdCount);
    s.puvaCautionDose = keptNumber(database, setting::cautionDose, d.cautionDose, kMaxThresholdDose);
    s.puvaStrongCount =
        std::max(s.puvaCautionCount, keptNumber(database, setting::strongCount, d.strongCount, kMaxThresholdCount));
    s.puvaStrongDose =
        std::max(s.puvaCautionDose, keptNumber(database, setting::strongDose, d.strongDose, kMaxThresholdDose));
    s.puvaExposureLine =
        db::ClinicSettings::value(database, QString::fromLatin1(setting::extractLine), 0).toString().trimmed() ==
        QLatin1String("1");
}

bool saveExposureSettings(db::Database &database, const db::RunSettings &s, QString *error)
{
    const std::pair<const char *, int> values[] = {{setting::cautionCount, s.puvaCautionCount},
                                                   {setting::cautionDose, s.puvaCautionDose},
                                                   {setting::strongCount, s.puvaStrongCount},
                                                   {setting::strongDose, s.puvaStrongDose},
                                                   {setting::extractLine, s.puvaExposureLine ? 1 : 0}};
    for (const auto &[name, value] : values) {
        if (!db::ClinicSettings::setValue(database, QString::fromLatin1(name), value, error))
            return false;
    }
    return true;
}

} // namespace pelorin::treatment
