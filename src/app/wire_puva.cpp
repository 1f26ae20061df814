#include "application.h"
#include "form1.h"
#include "summaries.h"
#include "wiring.h"

#include <QLayout>

namespace pelorin::app {

QDialog *createPuvaWindow(Application &, const QString &)
{
    return nullptr;
}

void wirePuva(Application &app)
{
    Form1 *form = app.form1();
    QWidget *diagnoz = form->host(QStringLiteral("HostDiagnoz"));
    diagnoz->layout()->addWidget(summaryGrid(diagnoz, {{"Диагноз:", app.context().dm2->diagnoz, "List"}}, 1));
}

} // namespace pelorin::app
