#pragma once

#include "maintenance.h"

#include <QDialog>
#include <functional>

namespace pelorin::ui {
class Form_wait;
}

namespace pelorin::app {

struct AppContext;

// "Панель автоматических действий.": six buttons, each walking all listed patients with one of the
// maintenance runs. The wait window counts the patients while a run goes on.
class Form_sys : public QDialog
{
    Q_OBJECT

public:
    Form_sys(AppContext &context, ui::Form_wait *wait, QWidget *parent = nullptr);

    // Runs one maintenance run as its button does: says which list it walks and asks first, and
    // closes with the count walked. Also called by the tests.
    MaintenanceResult runMaintenance(MaintenanceRun which);
    // The caption of the alphabet tab in force ("*", "Т", "№"…), named in the question before a run.
    void setListTab(std::function<QString()> tab) { m_listTab = std::move(tab); }

Q_SIGNALS:
    // A run lifted the examination archive for its walk; the main window sets it again.
    void examArchiveToReapply();

protected:
    void showEvent(QShowEvent *event) override;

private:
    AppContext &m_ctx;
    ui::Form_wait *m_wait;
    bool m_running = false;
    std::function<QString()> m_listTab;
};

} // namespace pelorin::app
