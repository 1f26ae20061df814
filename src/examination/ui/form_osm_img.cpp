#include "form_osm_img.h"

#include "photos.h"
#include "picturebox.h"
#include "settings.h"
#include "windowfit.h"

#include <QVBoxLayout>

namespace pelorin::examination {

Form_osm_img::Form_osm_img(db::RunSettings &settings, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      m_settings(settings)
{
    setObjectName(QStringLiteral("Form_osm_img"));
    setWindowTitle(QStringLiteral("Пелорин."));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_image = new PictureBox(PictureBox::Fit::ShrinkOnly, this);
    m_image->setObjectName(QStringLiteral("Image1"));
    layout->addWidget(m_image);
}

void Form_osm_img::showPicture(const QString &file)
{
    const QImage image = readPicture(file);
    m_image->setImage(image);
    // The letter between the numbers is the Cyrillic "х".
    setWindowTitle(QStringLiteral("Размер фото: ") + QString::number(image.width()) + QStringLiteral("х") +
                   QString::number(image.height()));
    // The settings' size where the screen has room for it; on a smaller screen the picture shrinks to
    // what the screen leaves, so the title bar and the close box stay in reach.
    const QSize wanted(std::max(1, m_settings.photoWidth), std::max(1, m_settings.photoHeight));
    m_image->setFixedSize(wanted.boundedTo(ui::screenRoomFor(this)));
    layout()->activate();
    adjustSize();
    ui::centreOnScreen(this);
    show();
    raise();
    activateWindow();
}

} // namespace pelorin::examination
