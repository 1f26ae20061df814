#include "placeholder.h"

#include <QLabel>
#include <QVBoxLayout>

namespace pelorin::app {

PlaceholderWindow::PlaceholderWindow(const QString &objectName, const QString &caption, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    (new QVBoxLayout(this))->addWidget(new QLabel(QStringLiteral("Окно в разработке."), this));
}

} // namespace pelorin::app
