#pragma once

#include "editingwindow.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;

namespace pelorin::db {
class DM2;
class RunSettings;
class Table;
} // namespace pelorin::db

// The six dialogs that edit the current examination (DM2's osmotr1) through bound controls: the
// SCORAD and PASI scores, clinical signs, skin and appendages, complaints and the last exacerbation.
//
// Each control is named after the field it shows ("B2", "Bb11", "A4", "Ob_pr_a210"), the title label
// "LabelTitle", the buttons "ButtonApply", "ButtonShowOb" and "ButtonClose".
namespace pelorin::examination {

// What the six dialogs share: modeless and on top, bound to osmotr1, and the main window locked
// while one is shown with "Запрет быстрой прокрутки пациентов" ticked, so that the current patient
// and examination stay put under the dialog.
class ExamDialog : public ui::EditingWindow
{
    Q_OBJECT

public:
    ~ExamDialog() override;
    db::Table &osmotr() const { return *m_osmotr; }
    // True while this dialog keeps the main window disabled.

protected:
    ExamDialog(const QString &name, const QString &caption, db::DM2 &dm2, db::RunSettings &settings,
               QWidget *mainWindow, QWidget *parent);


    // "Применить" of the index, signs and appendage dialogs: unsaved changes are stored and the
    // cursor goes back to the same row; the dialog closes even when the protection cancelled them.
    void storeIfModifiedAndClose();
    // The complaints dialog's variant: the row is remembered first and returned to in any case.
    void rememberStoreReturnAndClose();

    QLabel *makeTitle(const QString &text);
    QPushButton *makeButton(const QString &objectName, const QString &text);

private:
    bool hasUnsavedChanges();
    void returnToRow(int recNo);

    db::Table *m_osmotr;
    db::RunSettings &m_settings;
};

// SCORAD: intensities B2..B7, itch B8, sleep loss B9 and the extent B1, with the computed sums.
class Form_osmotr_index : public ExamDialog
{
    Q_OBJECT

public:
    Form_osmotr_index(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
};

// PASI: erythema, infiltration, desquamation and area score per body region, with the computed index.
class Form_osmotr_index1 : public ExamDialog
{
    Q_OBJECT

public:
    Form_osmotr_index1(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
};

// Clinical signs of atopic dermatitis and psoriasis.
class Form_osmotr_klsimp : public ExamDialog
{
    Q_OBJECT

public:
    Form_osmotr_klsimp(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
};

// Skin, hair and nails.
class Form_osmotr_proizv : public ExamDialog
{
    Q_OBJECT

public:
    Form_osmotr_proizv(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
};

class Form_osm_ob;

// Complaints; its "Показать форму." shows the last-exacerbation dialog given by setExacerbationDialog.
class Form_osmotr_zalobi : public ExamDialog
{
    Q_OBJECT

public:
    Form_osmotr_zalobi(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);

    void setExacerbationDialog(Form_osm_ob *dialog) { m_exacerbation = dialog; }

Q_SIGNALS:
    // "Показать форму." was pressed (also when no exacerbation dialog is set).
    void exacerbationRequested();

private:
    void showExacerbation();

    QPointer<Form_osm_ob> m_exacerbation;
};

// Last exacerbation: onset, treatment result, triggers and treatment. "Закрыть." only closes; the
// changes wait for the next store of the examination.
class Form_osm_ob : public ExamDialog
{
    Q_OBJECT

public:
    Form_osm_ob(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent = nullptr);
};

} // namespace pelorin::examination
