#pragma once

#include "picklistwindow.h"

namespace pelorin::db {
class DM1;
} // namespace pelorin::db

// The two pick-list windows of the life anamnesis. Controls are named after their fields ("A12_1", "A5_1_1",
// "A10" .. "A67", "Other").
namespace pelorin::anamnesis {

// Accompanying diseases, grouped by organ system (anamnez_life_zab).
class Form_amamnez_life_zab : public PickListWindow
{
    Q_OBJECT

public:
    Form_amamnez_life_zab(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
};

// Diseases of the relatives: a grid of check boxes, diseases across, relatives down (anamnez_life_sem).
class Form_amamnez_life_sem : public PickListWindow
{
    Q_OBJECT

public:
    Form_amamnez_life_sem(db::DM1 &dm1, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
};

} // namespace pelorin::anamnesis
