#pragma once

#include "editingwindow.h"

#include "puva_editor.h"
#include "puva_views.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QSpinBox;

namespace pelorin::db {
class DM1;
class DM2;
class RunSettings;
class Table;
} // namespace pelorin::db

namespace pelorin::ui {
class DBGrid;
}

// The windows of the PUVA procedures: the editor with its bulk setter, the two hand-link windows,
// the course view buttons they share with the main window, and the main window's page.
namespace pelorin::treatment {

// The first procedure of every course stands out in the procedure grids.
void markFirstProcedures(ui::DBGrid *grid, db::Table *lech_puva);

// The four view buttons with the course number box (1 to 10): ButtonAllCourses, ButtonCourse,
// ButtonLastCourse, ButtonAllButLast, SpinEditCourse.
class CourseViewBar : public QGroupBox
{
    Q_OBJECT

public:
    CourseViewBar(db::Table *reg, db::Table *lech_puva, db::RunSettings &settings, QWidget *parent = nullptr);
    QSpinBox *courseBox() const { return m_course; }

private:
    QSpinBox *m_course;
};

// The hidden course selector RadioGroup1 of the main window: its four choices list the courses as
// the view buttons do, but the register's post passes the protection questions.
class CourseSelector : public QGroupBox
{
    Q_OBJECT

public:
    CourseSelector(db::Table *reg, db::Table *lech_puva, db::RunSettings &settings, QSpinBox *courseBox,
                   QWidget *parent = nullptr);
    // -1 clears the selection. A change runs the view of the choice.
    void select(int item);
    int selected() const;

private:
    QButtonGroup *m_group;
    std::function<void(int)> m_run;
};

// "LabelExposure": the current patient's lifetime PUVA figures, bold in the warning colour once they
// reach a threshold of the settings. It reads the database file, so a course view does not narrow it;
// it follows the patient, every change of the procedures and of the thresholds.
class ExposureLabel : public QLabel
{
    Q_OBJECT

public:
    ExposureLabel(db::Table *reg, db::Table *lech_puva, db::RunSettings &settings, QWidget *parent = nullptr);
    void refresh();

private:
    db::Table *m_reg;
    db::RunSettings &m_settings;
};

// The main window's page "Фототерапия подробно".
class PuvaPage : public QWidget
{
    Q_OBJECT

public:
    PuvaPage(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, QWidget *parent = nullptr);
    CourseSelector *selector() const { return m_selector; }
    ui::DBGrid *grid() const { return m_grid; }

Q_SIGNALS:
    // Button16 "Добавить новую процедуру/редактировать старые".
    void editorRequested();

private:
    CourseSelector *m_selector;
    ui::DBGrid *m_grid;
};

class Form_lech_puva_edit_script;

// "Пелорин. ПУВА-терапия.": the procedure editor.
class Form_lech_puva_edit : public ui::EditingWindow
{
    Q_OBJECT

public:
    Form_lech_puva_edit(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, db::ChangeLog &log,
                        QWidget *mainWindow);

    PuvaEditorOps &ops() { return m_ops; }
    ui::DBGrid *grid() const { return m_grid; }
    void setScriptWindow(QWidget *script) { m_script = script; }

    // The main window's Button16: no course view chosen, every procedure listed, the editor shown.
    void openFromMainWindow(CourseSelector *selector);

    // The time reminder: the three time boxes red and large.
    void remindTime();
    void applyAndClose();

protected:
    void showEvent(QShowEvent *event) override;
    // What was typed and cannot be stored keeps the editor open: nothing typed is lost.
    bool closing() override;

private:
    void normalTimeFont();

    db::DM1 &m_dm1;
    db::DM2 &m_dm2;
    db::RunSettings &m_settings;
    PuvaEditorOps m_ops;
    QPointer<QWidget> m_script;
    ui::DBGrid *m_grid = nullptr;
    QList<QComboBox *> m_times;
    QCheckBox *m_extra = nullptr;
    QWidget *m_extraPanel = nullptr;
    // Set while "Применить и закрыть" hides the editor: that path runs the closing itself.
    bool m_closingByApply = false;
};

// "Выставить у всех записей  значение:": one value on every listed procedure.
class Form_lech_puva_edit_script : public QDialog
{
    Q_OBJECT

public:
    Form_lech_puva_edit_script(PuvaEditorOps &ops, QWidget *parent = nullptr);
    void run();

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_shownBefore = false;
    PuvaEditorOps &m_ops;
    QList<QCheckBox *> m_checks;
    QList<QComboBox *> m_values;
};

// "Выбрать" of the system panel: the examination of the current procedure.
class Form_lech_puva_edit_osmotr : public QDialog
{
    Q_OBJECT

public:
    Form_lech_puva_edit_osmotr(db::DM2 &dm2, QWidget *parent = nullptr);
};

// "Указать № проц. ПУВА": the procedure of the current examination.
class Form_osmotr_edit_puva : public QDialog
{
    Q_OBJECT

public:
    Form_osmotr_edit_puva(db::DM2 &dm2, QWidget *parent = nullptr);
};

} // namespace pelorin::treatment
