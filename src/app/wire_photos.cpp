#include "application.h"
#include "wiring.h"

namespace pelorin::app {

QDialog *createPhotoWindow(Application &, const QString &)
{
    return nullptr;
}

void wirePhotos(Application &)
{
}

} // namespace pelorin::app
