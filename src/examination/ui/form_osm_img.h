#pragma once

#include <QDialog>

namespace pelorin::db {
class RunSettings;
}

namespace pelorin::examination {

class PictureBox;

// The full-size view of a photo: one picture area "Image1" of the size the settings give
// ("Размер окна с изображением:"), read each time the window is shown; the window follows the
// area. On top of the other windows, centred on the desktop, with only a close box, and it does
// not block the main window.
class Form_osm_img : public QDialog
{
    Q_OBJECT

public:
    explicit Form_osm_img(db::RunSettings &settings, QWidget *parent = nullptr);

    // Shows the picture of this file with its size in pixels in the caption.
    void showPicture(const QString &file);
    PictureBox *picture() const { return m_image; }

private:
    db::RunSettings &m_settings;
    PictureBox *m_image;
};

} // namespace pelorin::examination
