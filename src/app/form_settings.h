#pragma once

#include "editingwindow.h"

#include <QDialog>

class QCheckBox;
class QSpinBox;
class QPushButton;

namespace pelorin::db {
class Database;
class RunSettings;
} // namespace pelorin::db

namespace pelorin::app {

// The settings of the current run: photo view size, no fast scrolling, record protection, archives,
// and the PUVA exposure thresholds the clinic keeps. The window edits RunSettings; the main window
// applies the archive filters on its signals.
class Form_settings : public ui::EditingWindow
{
    Q_OBJECT

public:
    explicit Form_settings(db::RunSettings &settings, QWidget *parent = nullptr);

    // Where the PUVA exposure settings are kept as soon as they change; without one they last the run.
    void setDatabase(db::Database *database) { m_database = database; }

Q_SIGNALS:
    void patientArchiveChanged(bool byCheckBox); // CheckBox4 clicked (true) or SpinEdit4 changed (false)
    void examArchiveChanged();                   // CheckBox5 clicked or SpinEdit5 changed
    void closedByUser();                          // both archive filters are applied again
    void showLogsRequested();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();
    // A threshold box changed: refused with the reason when it would put a strong threshold below its
    // caution one, else taken and kept.
    void takeThreshold(QSpinBox *box, int db::RunSettings::*member, int value);
    void keepExposureSettings();

    db::RunSettings &m_settings;
    QSpinBox *m_spin1, *m_spin2, *m_spin3, *m_spin4, *m_spin5;
    QCheckBox *m_check1, *m_check2, *m_check3, *m_check4, *m_check5, *m_check6;
    QSpinBox *m_cautionCount, *m_cautionDose, *m_strongCount, *m_strongDose;
    QCheckBox *m_exposureLine;
    db::Database *m_database = nullptr;
    bool m_refreshing = false;
};

} // namespace pelorin::app
