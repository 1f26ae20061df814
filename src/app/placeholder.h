#pragma once

#include <QDialog>

namespace pelorin::app {

// A window whose content comes with a later feature: it exists from start-up with its name and
// caption, so the creation order and the references between windows hold.
class PlaceholderWindow : public QDialog
{
    Q_OBJECT

public:
    PlaceholderWindow(const QString &objectName, const QString &caption, QWidget *parent = nullptr);
};

} // namespace pelorin::app
