#pragma once

#include "editingwindow.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTransform>

class QAbstractButton;
class QCheckBox;
class QPushButton;
class QRadioButton;
class QWidget;

namespace pelorin::db {
class DM2;
class RunSettings;
class Table;
} // namespace pelorin::db

namespace pelorin::ui {
class DBComboBox;
class DBGrid;
class Form_wait;
} // namespace pelorin::ui

namespace pelorin::examination {

// One location check box of an element. Both location views are built from the same rows.
// Boxes of a limb have no caption of their own: they sit in a grid under column headers, in the
// row of their segment; row and column place a box in its group's grid.
struct LocationBox
{
    QString field;
    QString caption;     // tabbed view ("вид1")
    QString flatCaption; // flat view ("вид2") when it differs, else empty
    int row = 0;
    int column = 0;
    QString rowLabel = {}; // segment label of a limb row, shown left of the boxes
};

struct LocationGroup
{
    int tab; // 0 "Голова", 1 "Шея и туловище", 2 "Руки", 3 "Ноги", -1 outside the tabs
    QString title;
    QStringList columnHeaders; // headers of the box columns of a limb grid
    QList<LocationBox> boxes;
};

// Every location box of the elements window, in the order the doctor reads them.
const QList<LocationGroup> &locationGroups();
// The fields of locationGroups(), in order.
QStringList locationFields();

// The body picture of "вид3": a front and a back figure whose parts are location boxes. A click on
// a part ticks or clears its field; ticked parts are painted red.
class BodyPicture : public QWidget
{
public:
    BodyPicture(db::Table *elements, QWidget *parent = nullptr);

    // Field of the part under a point of the widget, empty when none.
    QString fieldAt(const QPointF &pos) const;
    // Centre of the first part of a field, in widget coordinates; for tests.
    QPointF centreOf(const QString &field) const;
    QSize sizeHint() const override { return {460, 560}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    QTransform toWidget() const;

    QPointer<db::Table> m_elements;
};

// The window in which the doctor describes the lesion elements of the current examination.
// It edits DM2's osmotr_elem (the elements of the current examination) in one of three views:
// "вид1" with the locations on four tabs, "вид2" with all locations on one scrolling panel, and
// "вид3" with the body picture in place of that panel.
//
// The location check boxes are named after their fields and live in the pages "vid1" and "vid2"
// (find them there: each field has one box per page).
class Form_osmotr_elem : public ui::EditingWindow
{
    Q_OBJECT

public:
    enum View { Vid1, Vid2, Vid3 };

    Form_osmotr_elem(db::DM2 &dm2, db::RunSettings &settings, QWidget *parent = nullptr);
    ~Form_osmotr_elem() override;

    // The window disabled while this one is shown, when "Запрет быстрой прокрутки пациентов" is on.
    // When it is this window's parent its contents are disabled instead (see lockMainWindow).
    // Without one, only mainWindowLockChanged tells of it.
    void setMainWindow(QWidget *mainWindow) { m_mainWindow = mainWindow; }

    View view() const { return m_view; }
    void setView(View view);

    // The operations behind the buttons, for the main window and tests.
    void newElement();
    void newElementCopy();
    void deleteCurrentElement();
    void applyChanges();
    void cancelChanges();
    void calculateArea();
    void calculatePasiScorad();

Q_SIGNALS:
    // true when the main window is to be disabled (shown), false when it may be enabled again.
    void mainWindowLockChanged(bool locked);

protected:
    // The main window, or only its contents when it is this window's parent.
    void setMainWindowHeld(bool held) override;

private:
    QWidget *buildVid1();
    QWidget *buildVid2();
    QWidget *buildElementList(const QString &suffix);
    QWidget *buildCharacteristics(bool capitalised, const QString &suffix);
    QWidget *buildSizes(const QString &suffix);
    QWidget *buildLocationGroup(const LocationGroup &group, bool flat);
    QWidget *buildAreaCalc(const QString &suffix);
    void afterAppend(bool appended, const QString &message);
    void setEditButtonsEnabled(bool enabled);
    void lockMainWindow(bool lock);

    db::DM2 &m_dm2;
    db::RunSettings &m_settings;
    db::Table &m_elements;
    QPointer<QWidget> m_mainWindow;
    QList<QPointer<QWidget>> m_lockedParts;
    View m_view = Vid2;
    bool m_locked = false;

    QWidget *m_vid1 = nullptr;
    QWidget *m_vid2 = nullptr;
    QWidget *m_locationColumn = nullptr; // "вид2" only
    QWidget *m_bodyColumn = nullptr;     // "вид3" only
    QList<QRadioButton *> m_viewButtons;
    ui::DBComboBox *m_nameCapitalised = nullptr;
    ui::DBComboBox *m_nameLower = nullptr;
    QPushButton *m_apply = nullptr;
    QPushButton *m_cancel = nullptr;
    ui::Form_wait *m_wait = nullptr;
};

} // namespace pelorin::examination
