#pragma once

#include <QDialog>

class QCheckBox;
class QSpinBox;
class QPushButton;

namespace pelorin::db {
class RunSettings;
}

namespace pelorin::app {

// The settings of the current run: photo view size, no fast scrolling, record protection, archives.
// The window edits RunSettings; the main window applies the archive filters on its signals.
class Form_settings : public QDialog
{
    Q_OBJECT

public:
    explicit Form_settings(db::RunSettings &settings, QWidget *parent = nullptr);

Q_SIGNALS:
    void patientArchiveChanged(bool byCheckBox); // CheckBox4 clicked (true) or SpinEdit4 changed (false)
    void examArchiveChanged();                   // CheckBox5 clicked or SpinEdit5 changed
    void closedByUser();                          // both archive filters are applied again
    void showLogsRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();

    db::RunSettings &m_settings;
    QSpinBox *m_spin1, *m_spin2, *m_spin3, *m_spin4, *m_spin5;
    QCheckBox *m_check1, *m_check2, *m_check3, *m_check4, *m_check5, *m_check6;
    bool m_refreshing = false;
};

} // namespace pelorin::app
