#include "application.h"
#include "dynamicschart.h"
#include "form1.h"
#include "form_osm_compare.h"
#include "form_osm_img.h"
#include "photobox.h"
#include "wiring.h"

#include <QLayout>

namespace pelorin::app {

QDialog *createPhotoWindow(Application &app, const QString &name)
{
    if (name == QLatin1String("Form_osm_img"))
        return new examination::Form_osm_img(app.context().settings);
    if (name == QLatin1String("Form_osm_compare"))
        return new examination::Form_osm_compare(*app.context().dm2);
    return nullptr;
}

void wirePhotos(Application &app)
{
    AppContext &ctx = app.context();
    Form1 *form1 = app.form1();
    if (QWidget *host = form1->host(QStringLiteral("HostPhotos"))) {
        auto *photos = new examination::PhotoBox(*ctx.dm1, *ctx.dm2, host);
        photos->setFullSizeWindow(windowOf<examination::Form_osm_img>(app, "Form_osm_img"));
        photos->setCompareWindow(windowOf<examination::Form_osm_compare>(app, "Form_osm_compare"));
        host->layout()->addWidget(photos);
    }
    if (QWidget *host = form1->host(QStringLiteral("HostChart")))
        host->layout()->addWidget(new examination::DynamicsChart(*ctx.dm2->osmotr1, host));
}

} // namespace pelorin::app
