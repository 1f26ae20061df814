#pragma once

#include "photos.h"

#include <QDateTime>
#include <QGroupBox>
#include <QPointer>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QUrl;

namespace pelorin::db {
class DM1;
class DM2;
} // namespace pelorin::db

namespace pelorin::ui {
class DBMemo;
}

namespace pelorin::examination {

class DBNavigator;
class Form_osm_compare;
class Form_osm_img;
class PictureBox;

// The photo box of the examination panel: the caption "Label81", the preview "Image6" with the
// placeholder "Image12" in its place, the description "DBMemo23", the navigator "DBNavigator1"
// and the buttons "Button21" (change), "Button23" (add), "Button22" (delete) and "Button24" (open
// the folder), and "ButtonCompare" that puts the photo beside one of an earlier examination. It shows the current photo of the current examination and follows the photo list.
class PhotoBox : public QGroupBox
{
    Q_OBJECT

public:
    // The preview's place: its full size, and the least it shrinks to when the examination
    // panel has no more room (a main window of 1340 x 740).
    static constexpr QSize kPreviewSize{161, 201};
    static constexpr QSize kPreviewMinimum{60, 75};

    PhotoBox(db::DM1 &dm1, db::DM2 &dm2, QWidget *parent = nullptr);
    ~PhotoBox() override;

    PhotoOps &ops() { return m_ops; }
    // The window a click on the preview opens.
    void setFullSizeWindow(Form_osm_img *window) { m_fullSize = window; }
    // How the photo folder is shown: the desktop's file viewer unless replaced.
    void setFolderOpener(std::function<bool(const QUrl &)> opener) { m_openFolder = std::move(opener); }
    // The window "Сравнить" opens; without one the box makes its own when first asked.
    void setCompareWindow(Form_osm_compare *window);
    Form_osm_compare *compareWindow();

    // The photo display, run after every change of the photo list.
    void refresh();

    // The four buttons and the preview click.
    void changePhoto();
    void addPhoto();
    void deletePhoto();
    void openFolder();
    void showFullSize();
    void compare();

private:
    PhotoOps m_ops;
    QPointer<Form_osm_img> m_fullSize;
    db::DM2 &m_dm2;
    QPointer<Form_osm_compare> m_compare;
    std::unique_ptr<Form_osm_compare> m_ownCompare;
    std::function<bool(const QUrl &)> m_openFolder;
    QLabel *m_caption;
    PictureBox *m_preview;
    PictureBox *m_placeholder;
    ui::DBMemo *m_memo;
    DBNavigator *m_navigator;
    QPushButton *m_compareButton;
    // The file the preview holds and its time stamp, so that a changed copy is read again.
    QString m_shownFile;
    QDateTime m_shownStamp;
};

} // namespace pelorin::examination
