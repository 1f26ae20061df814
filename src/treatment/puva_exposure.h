#pragma once

#include "puva_calc.h"

#include <QString>
#include <QVariant>
#include <optional>

namespace pelorin::db {
class Database;
class RunSettings;
class Table;
} // namespace pelorin::db

// A patient's lifetime PUVA exposure: how many procedures he has had over all his courses and the UVA
// dose they added up to. The risk of skin cancer after PUVA grows with both, so the doctor sees them
// before every new course and procedure, and the clinic sets the levels at which the program warns.
namespace pelorin::treatment {

struct PuvaExposure
{
    int procedures = 0;  // every lech_puva record of the patient
    qint64 dose = 0;     // hundredths of J/cm², over the procedures whose dose is known
    int unknownDose = 0; // procedures without a dose; their dose is not in `dose`

    bool operator==(const PuvaExposure &) const = default;
};

// Whole J/cm² and procedure counts; a figure reaching a threshold reaches its level.
struct ExposureThresholds
{
    int cautionCount = 150;
    int cautionDose = 1000;
    int strongCount = 200;
    int strongDose = 1500;

    bool operator==(const ExposureThresholds &) const = default;
};

enum class ExposureLevel { None, Caution, Strong };

// Dose of one procedure, or nullopt when it is unknown: unit 1, the unit every procedure is given on,
// lacks its power or its time. Units 2 and 3 are optional extras, so their blanks only mean "not used"
// and count as 0, as in the procedure's calculated Doza.
std::optional<qint64> knownDose(const PuvaRecord &procedure);

// All procedures of the patient `patientId` (register ID_man), read from the database file: every
// course, whatever course view filters lech_puva, and no table cursor moves. Pending edits that are
// not posted yet do not count. A blank patient key gives nothing.
PuvaExposure lifetimeExposure(db::Database &database, const QVariant &patientId);
// The same for the register's current patient.
PuvaExposure lifetimeExposure(db::Table &reg);

// The figures with one more procedure of the given settings (its dose known or not).
PuvaExposure withProcedure(PuvaExposure exposure, const PuvaRecord &procedure);

ExposureLevel exposureLevel(const PuvaExposure &exposure, const ExposureThresholds &thresholds);

// "процедур ПУВА: 163, суммарная доза УФА: 1 012,50 Дж/см² (доза неизвестна у 2 процедур)": the part
// every text below shares. Thousands are set off by a no-break space, so a figure never breaks apart.
QString exposureFigures(const PuvaExposure &exposure);
// "Всего процедур ПУВА: 163, суммарная доза УФА: …" for the PUVA page and the editor.
QString exposureSummary(const PuvaExposure &exposure);
// The summary with what its level means: the text of the label.
QString exposureLabelText(const PuvaExposure &exposure, const ExposureThresholds &thresholds);
// "За все курсы проведено процедур ПУВА: …." and a line feed: the line of the extract.
QString exposureExtractLine(const PuvaExposure &exposure);
// The message before a new procedure or course, for figures that already count that procedure;
// empty below the caution level.
QString exposureWarning(const PuvaExposure &withNew, const ExposureThresholds &thresholds);

// Why the thresholds cannot stand (a strong one below its caution one); empty when they can.
QString thresholdsError(const ExposureThresholds &thresholds);

// The thresholds of the run settings.
ExposureThresholds thresholdsOf(const db::RunSettings &settings);

// Names of the clinic's kept settings (table clinic_settings).
namespace setting {
inline constexpr const char *cautionCount = "puva_caution_count";
inline constexpr const char *cautionDose = "puva_caution_dose";
inline constexpr const char *strongCount = "puva_strong_count";
inline constexpr const char *strongDose = "puva_strong_dose";
inline constexpr const char *extractLine = "puva_exposure_line";
} // namespace setting

// Limits of the settings window's boxes; a kept value outside them is read as the default.
inline constexpr int kMaxThresholdCount = 9999;
inline constexpr int kMaxThresholdDose = 99999;

// Reads the clinic's thresholds and the extract switch into the run settings. A value that is
// missing or not a number within the limits keeps the default; a strong threshold kept below its
// caution one is raised to it. Does not announce the change.
void loadExposureSettings(db::Database &database, db::RunSettings &settings);
// Keeps the run's thresholds and switch for the next runs. False with a Russian message in *error
// when the file refused the write.
bool saveExposureSettings(db::Database &database, const db::RunSettings &settings, QString *error = nullptr);

} // namespace pelorin::treatment
