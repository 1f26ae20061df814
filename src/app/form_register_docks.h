#pragma once

#include <QDialog>

namespace pelorin::db {
class DM1;
class Table;
} // namespace pelorin::db

namespace pelorin::app {

// The patient documents window: passport, insurance policy, benefit category and free notes of the
// current register record. The edits are named after their fields ("Passp_serial", "Polis_company",
// "Lgot_spr_cat", the memo "Other") and keep the window's own length limits; "Применить" is "Button1".
// The window follows the current patient while it is shown and has no cancel: closing it only hides
// it, with the changes left pending in the register record.
class Form_register_docks : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kOtherLimit = 240;

    explicit Form_register_docks(db::DM1 &dm1, QWidget *parent = nullptr);

    // "Применить": hides the window and saves the register record when it has unsaved changes.
    void apply();

protected:
    void showEvent(QShowEvent *event) override;

private:
    db::Table *m_register;
};

} // namespace pelorin::app
