#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace pelorin::db {
class DM1;
class DM2;
class Table;
} // namespace pelorin::db

// Photos of an examination (DM2's osmotr_img, a detail of osmotr1): the program's own JPEG copy
// of every picture under foto\<card number>\ in the program folder, one row per photo with the
// copy's relative path in Link and a description in Text.
namespace pelorin::examination {

// Stored forms, with backslashes, relative to the program folder.
// "foto\1234"
QString photoFolderLink(qint64 ambKarta);
// "осмотр3-фото57.jpg"
QString photoFileName(qint64 nomOsm, qint64 photoId);
// "foto\1234\осмотр3-фото57.jpg": the value of Link.
QString photoLink(qint64 ambKarta, qint64 nomOsm, qint64 photoId);
// The patient's photo folder in the file system: program folder + "foto/1234".
QString photoFolderPath(qint64 ambKarta);
// Link resolved inside the photo folder; empty for an empty Link and for one that leads out of it.
QString photoFilePath(const QString &link);

// A picture the user chose, read completely before anything is stored, and written as the JPEG
// copy. A JPEG is copied byte for byte (its quality and camera data stay as they were); any other
// picture Qt can read (BMP, PNG, ...) is converted, so the ".jpg" of the copy's name is true.
class PhotoPicture
{
public:
    // False with a Russian message when the file cannot be read as a picture.
    bool load(const QString &path, QString *error);
    // Writes the copy, replacing a file of that name only once the new one is complete; false
    // with a Russian message when it cannot be written.
    bool saveJpeg(const QString &target, QString *error) const;
    // The size decoded: a large JPEG is only checked at a small size, as its file is copied whole.
    QSize size() const { return m_image.size(); }
    bool isNull() const { return m_image.isNull(); }
    // False for a JPEG cut short: it shows grey where its end is missing.
    bool isComplete() const { return m_complete; }

private:
    QImage m_image;
    QByteArray m_jpeg; // the file itself when it already is a JPEG
    bool m_complete = true;
};

// Side, in pixels, at which a JPEG is decoded to check it can be read.
inline constexpr int kCheckSide = 1024;
// Megabytes a picture may take while it is read (Qt's own default is 128).
inline constexpr int kPictureAllocationLimitMB = 1024;

// Reads a picture file for showing, turned as its camera data say; a null image when unreadable.
// With fitInto, a larger picture is decoded at most that large.
QImage readPicture(const QString &path, const QSize &fitInto = QSize());

// What the photo box shows for the current state of the photo list.
struct PhotoDisplay
{
    enum class Picture { None, Preview, Placeholder };
    Picture picture = Picture::None;
    // "Фотография № 2 из 3" or "Фотографий нет."
    QString caption;
    // The file shown by the preview (Picture::Preview only).
    QString file;
};

// The operations of the photo box of the examination panel, written as walks of the photo list.
// Every file dialog, question and message goes through pelorin::Dialogs.
class PhotoOps
{
public:
    PhotoOps(db::DM1 &dm1, db::DM2 &dm2);

    static QString pictureFilter();
    static QString missingPhotoMessage();
    static QString missingFolderMessage();
    static QString deleteQuestion();

    // The photo display for the current photo of the current examination.
    PhotoDisplay display() const;
    // The file of the current photo when it exists, else empty (the full-size view).
    QString currentFile() const;

    // "Добавить фотографию": a picture chosen in the file dialog becomes the examination's last
    // photo. True when a photo was stored. A picture that cannot be read, a folder that cannot be
    // made or a copy that cannot be written ends with a message and leaves no row behind.
    bool addPhoto();
    // "Изменить фотографию": a new picture for the current photo, written under the current
    // numbers; on an examination without photos it adds the first one. The list ends on its
    // last photo. True when a photo was stored.
    bool changePhoto();
    // "Удалить фотографию": after the question, the current photo's copy and row. True when
    // the row was deleted.
    bool deletePhoto();
    // "Открыть папку с фотографиями": the patient's photo folder, or empty after the message
    // that there is none.
    QString folderToOpen();

    // Folder the next file dialog opens in: where the last picture was chosen.
    QString lastPictureFolder() const { return m_lastFolder; }

private:
    db::Table &photos() const;
    // The current examination is stored (it has its ID), so that a photo can belong to it.
    bool hasStoredExamination() const;
    qint64 ambKarta() const;
    qint64 nomOsm() const;
    QString choosePicture();
    // Reads the chosen picture and makes the patient's folder; false after the message.
    bool prepareCopy(const QString &chosen, PhotoPicture &picture);
    // Writes the copy for the current row (in edit state) and stores its Link. On failure the
    // row is left in browse state and false is returned after the message.
    bool storeCopy(const PhotoPicture &picture);
    // Removes the current row that an unfinished add has stored.
    void dropHalfMadeRow();
    static void fail(const QString &message);

    db::DM1 &m_dm1;
    db::DM2 &m_dm2;
    QString m_lastFolder;
};

} // namespace pelorin::examination
