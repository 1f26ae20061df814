#include "application.h"
#include "certificate_tabs.h"
#include "form1.h"
#include "formwait.h"
#include "report_tab.h"
#include "textarea_buttons.h"
#include "dynamicschart.h"
#include "wiring.h"

#include <QLayout>

namespace pelorin::app {

namespace {

const ReferenceList kDocumentsLists[] = {
    {"docs_spr_now.txt", "Form1", "ComboBox1"},
    {"docs_spr_place.txt", "Form1", "ComboBox2"},
    {"docs_napr_send.txt", "Form1", "ComboBox6"},
    {"docs_napr_send_to.txt", "Form1", "ComboBox7"},
    {"docs_napr_for.txt", "Form1", "ComboBox3"},
    {"docs_napr_for_from.txt", "Form1", "ComboBox8"},
    {"docs_napr_and.txt", "Form1", "ComboBox9"},
    {"docs_napr_place.txt", "Form1", "ComboBox5"},
};

} // namespace

std::span<const ReferenceList> documentsLists()
{
    return kDocumentsLists;
}

void wireDocuments(Application &app)
{
    AppContext &ctx = app.context();
    Form1 *form = app.form1();
    // The certificate and referral pages go in before the start-up fills their pick lists by name.
    if (QWidget *spravka = form->host(QStringLiteral("HostDocsSpravka")))
        spravka->layout()->addWidget(
            new documents::CertificateTab(*ctx.dm1->register_, form->documentsText(), spravka));
    if (QWidget *napr = form->host(QStringLiteral("HostDocsNapr")))
        napr->layout()->addWidget(new documents::ReferralTab(*ctx.dm1->register_, form->documentsText(), napr));
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
    report->setExposureLine([&settings = ctx.settings] { return settings.puvaExposureLine; });
    host->layout()->addWidget(report);

    if (QWidget *buttons = form->host(QStringLiteral("HostDocsButtons"))) {
        auto *bar = new documents::TextAreaButtons(form->documentsText(), form->documentsPages(), buttons);
        // Looked up at each press: the chart is put on its page by the examination's wiring.
        bar->setChartPrinter([form](QPrinter &printer) {
            QWidget *chartHost = form->host(QStringLiteral("HostChart"));
            auto *chart = chartHost ? chartHost->findChild<examination::DynamicsChart *>() : nullptr;
            return chart && chart->print(printer);
        });
        buttons->layout()->addWidget(bar);
    }
}

} // namespace pelorin::app
