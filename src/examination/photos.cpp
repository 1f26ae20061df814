#include "photos.h"

#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "programfolder.h"
#include "safefile.h"
#include "table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

namespace pelorin::examination {

namespace {

const QString kLink = QStringLiteral("Link");
const QString kCaption = QStringLiteral("Внимание!");

bool isFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString photoFolderLink(qint64 ambKarta)
{
    return QStringLiteral("foto\\") + QString::number(ambKarta);
}

QString photoFileName(qint64 nomOsm, qint64 photoId)
{
    return QStringLiteral("осмотр") + QString::number(nomOsm) + QStringLiteral("-фото") + QString::number(photoId) +
           QStringLiteral(".jpg");
}

QString photoLink(qint64 ambKarta, qint64 nomOsm, qint64 photoId)
{
    return photoFolderLink(ambKarta) + QLatin1Char('\\') + photoFileName(nomOsm, photoId);
}

QString photoFolderPath(qint64 ambKarta)
{
    return folder::foto() + QString::number(ambKarta);
}

QString photoFilePath(const QString &link)
{
    // A Link is the program's own "foto\...", but it is stored where anyone with the database can
    // change it: one that leads out of the photo folder is never read, copied or deleted.
    QString relative = link;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    const QString prefix = QStringLiteral("foto/");
    if (!relative.startsWith(prefix, Qt::CaseInsensitive))
        return {};
    return safefile::inside(folder::foto(), relative.mid(prefix.size()));
}

// ---------------------------------------------------------------- pictures

namespace {

// A phone's photo of today is 40 or 50 megapixels; Qt's default limit of 128 MB refuses them.
void allowLargePictures()
{
    if (QImageReader::allocationLimit() < kPictureAllocationLimitMB)
        QImageReader::setAllocationLimit(kPictureAllocationLimitMB);
}

// A JPEG ends with its end-of-image marker; a file cut short in copying does not, and its decoder
// fills the missing part with grey without a word.
bool jpegIsComplete(const QByteArray &jpeg)
{
    qsizetype end = jpeg.size();
    while (end > 0 && jpeg.at(end - 1) == '\0')
        --end;
    return end >= 4 && uchar(jpeg.at(end - 2)) == 0xFF && uchar(jpeg.at(end - 1)) == 0xD9;
}

} // namespace

bool PhotoPicture::load(const QString &path, QString *error)
{
    m_image = QImage();
    m_jpeg.clear();
    m_complete = true;
    allowLargePictures();
    // The content decides, not the name: a PNG renamed to .jpg must still be converted.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    const bool jpeg = format == "jpeg" || format == "jpg";
    // A JPEG is copied as it is: decoding it small is enough to know it is a picture, and keeps a
    // 48-megapixel photo from taking hundreds of megabytes.
    if (jpeg) {
        const QSize full = reader.size();
        if (full.isValid() && (full.width() > kCheckSide || full.height() > kCheckSide))
            reader.setScaledSize(full.scaled(kCheckSide, kCheckSide, Qt::KeepAspectRatio));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("Не удалось прочитать рисунок %1.\nФайл повреждён или не является рисунком.")
                         .arg(native(path));
        return false;
    }
    if (jpeg) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("Не удалось прочитать рисунок %1.").arg(native(path));
            return false;
        }
        m_jpeg = file.readAll();
        m_complete = jpegIsComplete(m_jpeg);
    }
    m_image = std::move(image);
    return true;
}

bool PhotoPicture::saveJpeg(const QString &target, QString *error) const
{
    const QString failure = QStringLiteral("Не удалось записать фотографию в файл %1.").arg(native(target));
    auto fail = [&] {
        if (error)
            *error = failure;
        return false;
    };
    if (m_image.isNull())
        return fail();
    // The previous copy of that name is replaced only by a complete new one, and a link planted at
    // its name in a folder every seat shares is refused, never written through.
    QString reason;
    const bool written = safefile::write(
        target,
        [&](QIODevice &file) {
            if (!m_jpeg.isEmpty())
                return file.write(m_jpeg) == m_jpeg.size();
            // JPEG has no transparency: transparent parts go onto white, not black.
            QImage flat(m_image.size(), QImage::Format_RGB32);
            flat.fill(Qt::white);
            {
                QPainter painter(&flat);
                painter.drawImage(0, 0, m_image);
            }
            QImageWriter writer(&file, "jpeg");
            writer.setQuality(90);
            return writer.write(flat);
        },
        &reason);
    if (!written) {
        if (error)
            *error = failure.chopped(1) + QStringLiteral(": ") + reason + QLatin1Char('.');
        return false;
    }
    return true;
}

QImage readPicture(const QString &path, const QSize &fitInto)
{
    allowLargePictures();
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    // Decoded at the size it is shown at: a large photo costs its preview's memory, not its own.
    const QSize full = reader.size();
    if (fitInto.isValid() && full.isValid() && (full.width() > fitInto.width() || full.height() > fitInto.height())) {
        QSize scaled = full.scaled(fitInto, Qt::KeepAspectRatio);
        // The camera may turn the picture: fit the turned one.
        if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            scaled = full.scaled(fitInto.transposed(), Qt::KeepAspectRatio);
        reader.setScaledSize(scaled);
    }
    return reader.read();
}

// ---------------------------------------------------------------- operations

PhotoOps::PhotoOps(db::DM1 &dm1, db::DM2 &dm2) : m_dm1(dm1), m_dm2(dm2)
{
}

QString PhotoOps::pictureFilter()
{
    // Cameras name their files in capitals; the dialog must list those too.
    return QStringLiteral("Рисунки *.jpg *.jpeg *.bmp (*.jpg *.jpeg *.bmp *.JPG *.JPEG *.BMP)");
}

QString PhotoOps::missingPhotoMessage()
{
    return QStringLiteral("Ошибка! Фотография не найдена!\r\nВозможно, вы удалили или перенесли фотограции из "
                          "системной папки программы.\r\nПожалуйста, запишите их обратно или удалите эту запись и "
                          "создайте новую.");
}

QString PhotoOps::missingFolderMessage()
{
    return QStringLiteral("Ошибка! Фотография не найдена!");
}

QString PhotoOps::deleteQuestion()
{
    return QStringLiteral("Вы уверены что хотите удалить фотографию?");
}

db::Table &PhotoOps::photos() const
{
    return *m_dm2.osmotr_img;
}

bool PhotoOps::hasStoredExamination() const
{
    const db::Table &exams = *m_dm2.osmotr1;
    return !exams.isEmpty() && !exams.isNull(QStringLiteral("ID"));
}

qint64 PhotoOps::ambKarta() const
{
    return m_dm1.register_->asInteger(QStringLiteral("Amb_karta"));
}

qint64 PhotoOps::nomOsm() const
{
    return m_dm2.osmotr1->asInteger(QStringLiteral("Nom_osm"));
}

PhotoDisplay PhotoOps::display() const
{
    const db::Table &p = photos();
    PhotoDisplay d;
    const int count = p.recordCount();
    if (count == 0) {
        d.caption = QStringLiteral("Фотографий нет.");
        return d;
    }
    d.caption = QStringLiteral("Фотография № ") + QString::number(p.recNo()) + QStringLiteral(" из ") +
                QString::number(count);
    const QString file = photoFilePath(p.asString(kLink));
    if (isFile(file)) {
        d.picture = PhotoDisplay::Picture::Preview;
        d.file = file;
    } else {
        d.picture = PhotoDisplay::Picture::Placeholder;
    }
    return d;
}

QString PhotoOps::currentFile() const
{
    if (photos().isEmpty())
        return {};
    const QString file = photoFilePath(photos().asString(kLink));
    return isFile(file) ? file : QString();
}

void PhotoOps::fail(const QString &message)
{
    Dialogs::instance().message(message, kCaption, Dialogs::Kind::Error);
}

QString PhotoOps::choosePicture()
{
    const QString chosen = Dialogs::instance().openFileName(QStringLiteral("Открыть рисунок"), m_lastFolder,
                                                            pictureFilter());
    if (!chosen.isEmpty())
        m_lastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

bool PhotoOps::prepareCopy(const QString &chosen, PhotoPicture &picture)
{
    QString error;
    if (!picture.load(chosen, &error)) {
        fail(error);
        return false;
    }
    if (!picture.isComplete() &&
        !Dialogs::instance().ask(QStringLiteral("Рисунок повреждён: прочитан не полностью. Добавить всё равно?"),
                                 kCaption, Dialogs::Kind::Warning))
        return false;
    // foto\ itself is made too when someone has removed it from the program folder.
    const QString dir = photoFolderPath(ambKarta());
    if (!safefile::makeFolder(dir)) {
        fail(QStringLiteral("Не удалось создать папку для фотографий пациента %1.").arg(native(dir)));
        return false;
    }
    return true;
}

bool PhotoOps::storeCopy(const PhotoPicture &picture)
{
    db::Table &p = photos();
    const QString link = photoLink(ambKarta(), nomOsm(), p.asInteger(QStringLiteral("Id")));
    QString error;
    if (!picture.saveJpeg(photoFilePath(link), &error)) {
        p.cancel();
        fail(error);
        return false;
    }
    p.setValue(kLink, link);
    if (!p.post()) {
        // The engine has said why; the row keeps what it had before.
        p.cancel();
        return false;
    }
    return true;
}

void PhotoOps::dropHalfMadeRow()
{
    db::Table &p = photos();
    p.cancel();
    // Its copy, if one was written, has no row to show it any more.
    const QString file = photoFilePath(photoLink(ambKarta(), nomOsm(), p.asInteger(QStringLiteral("Id"))));
    if (p.asString(kLink).isEmpty() && p.deleteRecord() && isFile(file))
        QFile::remove(file);
}

bool PhotoOps::addPhoto()
{
    db::Table &p = photos();
    if (!hasStoredExamination())
        return false;
    const QString chosen = choosePicture();
    bool stored = false;
    PhotoPicture picture;
    if (isFile(chosen) && prepareCopy(chosen, picture)) {
        // The row and its copy come together: a crash leaves neither a row without a copy nor,
        // once the file has taken the row, a copy without it.
        db::Transaction transaction(p.database());
        p.last();
        p.append();
        // Stored empty first: the key it gets names the copy.
        if (p.post()) {
            p.last();
            p.edit();
            stored = storeCopy(picture);
            if (!stored)
                dropHalfMadeRow();
        } else {
            p.cancel();
        }
        const QString copy = stored ? photoFilePath(p.asString(kLink)) : QString();
        if (!transaction.commit() && stored) {
            QFile::remove(copy);
            stored = false;
        }
    }
    p.last();
    return stored;
}

bool PhotoOps::changePhoto()
{
    db::Table &p = photos();
    if (!p.isEmpty() && !isFile(photoFilePath(p.asString(kLink)))) {
        fail(missingPhotoMessage());
        return false;
    }
    if (!hasStoredExamination())
        return false;
    const QString chosen = choosePicture();
    bool stored = false;
    PhotoPicture picture;
    if (isFile(chosen) && prepareCopy(chosen, picture)) {
        db::Transaction transaction(p.database());
        // Without a photo the edit inserts one: the examination gets its first photo.
        const bool adding = p.isEmpty();
        p.edit();
        if (p.post()) {
            p.edit();
            stored = storeCopy(picture);
            if (!stored && adding)
                dropHalfMadeRow();
        } else {
            p.cancel();
        }
    }
    if (isFile(photoFilePath(p.asString(kLink))))
        p.next();
    p.first();
    for (int i = 0, n = p.recordCount(); i < n; ++i)
        p.next();
    return stored;
}

bool PhotoOps::deletePhoto()
{
    db::Table &p = photos();
    if (p.isEmpty())
        return false;
    if (!Dialogs::instance().ask(deleteQuestion(), kCaption, Dialogs::Kind::Confirmation))
        return false;
    const QString file = photoFilePath(p.asString(kLink));
    // The row goes first: a row that stays must keep its picture.
    db::Transaction transaction(p.database());
    const bool deleted = p.deleteRecord() && transaction.commit();
    if (deleted && isFile(file))
        QFile::remove(file);
    p.first();
    return deleted;
}

QString PhotoOps::folderToOpen()
{
    const QString dir = photoFolderPath(ambKarta());
    if (!QFileInfo(dir).isDir()) {
        fail(missingFolderMessage());
        return {};
    }
    return dir + QLatin1Char('/');
}

} // namespace pelorin::examination
