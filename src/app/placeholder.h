#pragma once

#include <QDialog>

class QComboBox;
class QDateEdit;
class QTreeWidget;
class QVBoxLayout;

namespace pelorin::app {

// A window whose content comes with a later feature: it exists from start-up with its name,
// caption and the controls other windows already fill (pick lists, date pickers, the drug tree),
// so the creation order and the references between windows hold.
class PlaceholderWindow : public QDialog
{
    Q_OBJECT

public:
    PlaceholderWindow(const QString &objectName, const QString &caption, QWidget *parent = nullptr);

    QComboBox *addCombo(const QString &objectName);
    QDateEdit *addDatePicker(const QString &objectName);
    QTreeWidget *addTree(const QString &objectName);

private:
    QVBoxLayout *m_layout;
};

} // namespace pelorin::app
