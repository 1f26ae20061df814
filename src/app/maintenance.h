#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace pelorin::db {
class ChangeLog;
class DM1;
class DM2;
class RunSettings;
class Table;
} // namespace pelorin::db

// The runs of the maintenance window "Панель автоматических действий.": each walks the patients of
// the register as listed when it starts and rebuilds derived register, diagnosis and examination
// fields of every one of them. The window's buttons and "pelorin-cli maintain" call the same run.
namespace pelorin::app {

enum class MaintenanceRun {
    CourseNumbers = 1,     // Button1 "Настройка номеров курсов ПУВА терапии"
    DischargeDates = 2,    // Button2 "Подбивка всех дат поступил\выписался"
    RepostDiagnoses = 3,   // Button3 "Перетряхивание всех диагнозов."
    CopyCourses = 4,       // Button4 "Перебрать курсы пациентов"
    ProcedureTotals = 5,   // Button5 "Подбивка всех дат через ПУВА лечение"
    ClearExacerbation = 6, // Button6 "Чистка пустых полей в посл. обост. осмотра."
};
inline constexpr int kMaintenanceRunCount = 6;

struct MaintenanceResult
{
    int patients = 0;      // listed when the run started
    int done = 0;          // walked
    int stored = 0;        // walked and committed to the file
    QStringList rolledBack; // the patients of the batch the file refused, "Фамилия Имя (№ ID)"
    QStringList failures;  // one line for each patient whose records could not all be stored
    bool stopped = false;  // the file refused a batch of writes: the run ended there
};

class Maintenance
{
public:
    Maintenance(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, db::ChangeLog &log);

    // After every patient: how many are walked of how many. The window shows "n из N" with it.
    std::function<void(int done, int total)> progress;
    // The examination archive set again on the examinations after a run that lifted it.
    std::function<void()> reapplyExamArchive;

    // Patients per transaction: each patient's records reach the file together, and a crash keeps
    // every batch written before it.
    int batchSize = 200;

    MaintenanceResult run(MaintenanceRun which);

    // Every table of both data modules: the ones a walk may move.
    std::vector<db::Table *> tables() const;
    // Stores the record being edited in each of them; false (the table has told why) when one
    // cannot be stored. A run does this first and does not start otherwise.
    bool storeEdits(QString *refusal = nullptr) const;

private:
    bool runForPatient(MaintenanceRun which);
    bool courseNumbers();
    bool dischargeDate();
    bool repostDiagnoses();
    bool procedureTotals();
    bool clearExacerbation();

    db::DM1 &m_dm1;
    db::DM2 &m_dm2;
    db::RunSettings &m_settings;
    db::ChangeLog &m_log;
};

} // namespace pelorin::app
