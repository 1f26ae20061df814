#pragma once

#include "picklistwindow.h"

namespace pelorin::db {
class DM1;
class DM2;
} // namespace pelorin::db

// The five pick-list windows of the disease anamnesis, each bound to the current record of one detail of
// anamnez_zab. Check boxes and edits are named after their fields ("Allerg_eda", "A1_15", "Other").
namespace pelorin::anamnesis {

// What the onset and the exacerbations are associated with: the two windows share their layout and differ in
// A1_15 (and in the spelling of "Стресс", which the onset window writes with a Latin c).
class TriggersWindow : public PickListWindow
{
    Q_OBJECT

protected:
    TriggersWindow(const QString &name, const QString &caption, const QString &heading, db::Table *table,
                   const QString &stressCaption, const QString &a1_15Caption, db::RunSettings &settings,
                   QWidget *mainWindow, QWidget *parent);
};

class Form_anamnez_zab_start : public TriggersWindow
{
    Q_OBJECT

public:
    Form_anamnez_zab_start(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
};

class Form_anamnez_zab_obostr_prich : public TriggersWindow
{
    Q_OBJECT

public:
    Form_anamnez_zab_obostr_prich(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow,
                                  QWidget *parent = nullptr);
};

// Treatment before.
class Form_anamnez_zab_ranlech : public PickListWindow
{
    Q_OBJECT

public:
    Form_anamnez_zab_ranlech(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
};

// Treatment of the last exacerbation.
class Form_anamnez_zab_obostr_lech : public PickListWindow
{
    Q_OBJECT

public:
    Form_anamnez_zab_obostr_lech(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow,
                                 QWidget *parent = nullptr);
};

// Complaints at the visit; "Применить" also carries them into the first examination.
class Form_anamnez_zab_zalobi : public PickListWindow
{
    Q_OBJECT

public:
    Form_anamnez_zab_zalobi(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow,
                            QWidget *parent = nullptr);

    void apply() override;

private:
    db::DM1 &m_dm1;
    db::DM2 &m_dm2;
};

} // namespace pelorin::anamnesis
