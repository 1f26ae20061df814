#include "application.h"
#include "form1.h"
#include "formwait.h"
#include "report_tab.h"
#include "wiring.h"

#include <QLayout>

namespace pelorin::app {

void wireDocuments(Application &app)
{
    AppContext &ctx = app.context();
    Form1 *form = app.form1();
    QWidget *host = form->host(QStringLiteral("HostDocsReport"));
    if (!host)
        return;
    auto *report = new documents::ReportTab(*ctx.dm1, *ctx.dm2, form->documentsText(), host);
    if (auto *wait = windowOf<ui::Form_wait>(app, "Form_wait")) {
        report->setWait([wait](bool on) {
            if (on)
                wait->showWaiting();
            else
                wait->hideWaiting();
        });
    }
    host->layout()->addWidget(report);
}

} // namespace pelorin::app
