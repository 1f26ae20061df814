#pragma once

#include <QString>
#include <functional>

namespace pelorin::db {
class ChangeLog;
class DM1;
class DM2;
class RunSettings;
} // namespace pelorin::db

// What the PUVA editor does beyond editing one procedure: the work when it closes (the register's
// totals and course numbers, the re-stamp of the last diagnosis, the links to the examinations)
// and the bulk setter.
namespace pelorin::treatment {

// More procedures than this make the closing ask before indexing.
inline constexpr int kIndexingWithoutQuestion = 10;

inline const QString kIndexingQuestion = QStringLiteral(
    "Ваша таблица процедур Фототерапии содержит большое количество записей (больше 10). Провести их индексацию "
    "и соотнести их с осмотрами? Это необходимо для правильной генерации отчетов.");

// One row of the bulk setter; a row takes part when `on` is set.
struct BulkRow
{
    bool on = false;
    QString value;
};

struct BulkSettings
{
    BulkRow power;     // Power1: a chosen item of the power list
    BulkRow unit;      // Type1
    BulkRow tablets;   // Tabl: a whole number
    BulkRow sensitiser; // Type_prep
    BulkRow kind;      // Type_kurs
};

class PuvaEditorOps
{
public:
    PuvaEditorOps(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, db::ChangeLog &log);

    // The wait window (true shows, false hides), the grids that must not repaint during the walks
    // (true hides, false shows) and the examination archive filter put back. Unset, nothing happens.
    std::function<void(bool)> showWait;
    std::function<void(bool)> hideGrids;
    std::function<void()> reapplyExamArchive;

    // Runs whenever the editor closes, on the procedures listed at that moment.
    void closing();

    // "Применить и закрыть": the restriction lifted and the procedure posted, the closing above,
    // then the examination posted and the register's first and last course numbers stored.
    // `close` hides the editor (its own close handler must not run the closing a second time).
    // False, with the editor left open, when the procedure cannot be stored.
    bool applyAndClose(const std::function<void()> &close = {});

    // "Применить": posts the procedure if it has unsaved changes and keeps it current.
    bool apply();

    // "Добавить новую процедуру." and "Начать новый курс." (once its question is answered Yes): the
    // pending changes posted, then, when the patient's lifetime figures counting the new procedure
    // reach a threshold of the settings, the warning for the doctor to confirm; the procedure is
    // created all the same, the decision being the doctor's. False when nothing could be posted.
    bool addProcedure();
    bool startCourse();

    // "Выставить и закрыть.": every ticked row, top to bottom, on every listed procedure. A power
    // row without a chosen item or a tablet count that is not a whole number stops the run with
    // the message; procedures changed before keep their new values. False when stopped.
    bool bulkSet(const BulkSettings &rows, QString *error);

private:
    // The new procedure takes its settings from the listed procedure in `row`; -1: empty settings.
    void warnExposure(int row);

    db::DM1 &m_dm1;
    db::DM2 &m_dm2;
    db::RunSettings &m_settings;
    db::ChangeLog &m_log;
};

} // namespace pelorin::treatment
