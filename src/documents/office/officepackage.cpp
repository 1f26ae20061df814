#include "officepackage.h"

#include "safefile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace pelorin::office {

namespace {

QString folderOf(const QString &partName)
{
    const qsizetype slash = partName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : partName.left(slash + 1);
}

QString relationshipsPartOf(const QString &partName)
{
    const qsizetype slash = partName.lastIndexOf(QLatin1Char('/'));
    return folderOf(partName) + QStringLiteral("_rels/") + partName.mid(slash + 1) + QStringLiteral(".rels");
}

// Targets are URIs relative to the source part's folder, or absolute from the package root.
QString resolveTarget(const QString &sourceFolder, const QString &target)
{
    const QString joined = target.startsWith(QLatin1Char('/')) ? target.mid(1) : sourceFolder + target;
    QStringList parts;
    for (const QString &segment : joined.split(QLatin1Char('/'))) {
        if (segment == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (!segment.isEmpty() && segment != QLatin1String(".")) {
            parts << segment;
        }
    }
    return parts.join(QLatin1Char('/'));
}

} // namespace

OfficePackage::OpenResult OfficePackage::load(const QString &path)
{
    m_entries.clear();
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return OpenResult::Missing;
    if (!info.isReadable())
        return OpenResult::Unreadable;

    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return OpenResult::Damaged;
    QList<Entry> entries;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 fileInfo;
        if (!zip.getCurrentFileInfo(&fileInfo))
            return OpenResult::Damaged;
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly))
            return OpenResult::Damaged;
        Entry entry{fileInfo.name, file.readAll(), fileInfo.dateTime};
        file.close();
        // A wrong checksum shows up only on close.
        if (file.getZipError() != UNZ_OK)
            return OpenResult::Damaged;
        entries << entry;
    }
    if (zip.getZipError() != UNZ_OK)
        return OpenResult::Damaged;
    m_entries = entries;
    return OpenResult::Ok;
}

bool OfficePackage::save(const QString &path, QString *error) const
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error =
                QStringLiteral("Не удалось сохранить документ «%1»: %2.").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    if (m_entries.isEmpty())
        return fail(QStringLiteral("документ не открыт"));

    // The archive is built in memory first, so a failure half-way never leaves a truncated file.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QuaZip zip(&buffer);
        zip.setAutoClose(false);
        if (!zip.open(QuaZip::mdCreate))
            return fail(QStringLiteral("ошибка упаковки"));
        for (const Entry &entry : m_entries) {
            QuaZipFile file(&zip);
            QuaZipNewInfo info(entry.name);
            if (entry.modified.isValid())
                info.dateTime = entry.modified;
            if (!file.open(QIODevice::WriteOnly, info) || file.write(entry.data) != entry.data.size())
                return fail(QStringLiteral("ошибка упаковки"));
            file.close();
            if (file.getZipError() != ZIP_OK)
                return fail(QStringLiteral("ошибка упаковки"));
        }
        zip.close();
        if (zip.getZipError() != ZIP_OK)
            return fail(QStringLiteral("ошибка упаковки"));
    }

    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return fail(QStringLiteral("папка «%1» не найдена").arg(QDir::toNativeSeparators(target.absolutePath())));
    QString reason;
    if (!safefile::write(path, buffer.data(), &reason))
        return fail(reason);
    return true;
}

bool OfficePackage::contains(const QString &partName) const
{
    for (const Entry &entry : m_entries) {
        if (entry.name == partName)
            return true;
    }
    return false;
}

QByteArray OfficePackage::part(const QString &partName) const
{
    for (const Entry &entry : m_entries) {
        if (entry.name == partName)
            return entry.data;
    }
    return {};
}

void OfficePackage::setPart(const QString &partName, const QByteArray &data)
{
    for (Entry &entry : m_entries) {
        if (entry.name == partName) {
            entry.data = data;
            return;
        }
    }
    m_entries << Entry{partName, data, QDateTime::currentDateTime()};
}

QList<OfficePackage::Relationship> OfficePackage::relationships(const QString &partName) const
{
    QList<Relationship> result;
    pugi::xml_document rels;
    const QString relsPart = partName.isEmpty() ? QStringLiteral("_rels/.rels") : relationshipsPartOf(partName);
    if (!parseXml(rels, part(relsPart)))
        return result;
    const QString folder = folderOf(partName);
    for (pugi::xml_node rel : rels.document_element().children("Relationship")) {
        if (QLatin1String(rel.attribute("TargetMode").value()) == QLatin1String("External"))
            continue;
        const QString type = QString::fromUtf8(rel.attribute("Type").value());
        result.append({QString::fromUtf8(rel.attribute("Id").value()), type.mid(type.lastIndexOf(QLatin1Char('/')) + 1),
                       resolveTarget(folder, QString::fromUtf8(rel.attribute("Target").value()))});
    }
    return result;
}

QString OfficePackage::target(const QString &partName, const QString &type) const
{
    for (const Relationship &rel : relationships(partName)) {
        if (rel.type == type)
            return rel.target;
    }
    return {};
}

QString openErrorText(const QString &path, OfficePackage::OpenResult result)
{
    QString reason;
    switch (result) {
    case OfficePackage::OpenResult::Ok:
        return {};
    case OfficePackage::OpenResult::Missing:
        reason = QStringLiteral("файл не найден");
        break;
    case OfficePackage::OpenResult::Unreadable:
        reason = QStringLiteral("нет прав на чтение файла");
        break;
    case OfficePackage::OpenResult::Damaged:
        reason = QStringLiteral("файл повреждён");
        break;
    }
    return QStringLiteral("Не удалось открыть шаблон «%1»: %2.").arg(QDir::toNativeSeparators(path), reason);
}

bool parseXml(pugi::xml_document &doc, const QByteArray &data)
{
    if (data.isEmpty())
        return false;
    const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;
    return doc.load_buffer(data.constData(), size_t(data.size()), options, pugi::encoding_utf8) &&
           doc.document_element();
}

QByteArray writeXml(const pugi::xml_document &doc)
{
    struct Writer : pugi::xml_writer
    {
        QByteArray bytes;
        void write(const void *data, size_t size) override
        {
            bytes.append(static_cast<const char *>(data), qsizetype(size));
        }
    } writer;
    // Raw output: the parts are read by programs, and indenting would add text to mixed content.
    doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.bytes;
}

QString xmlSafeText(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u == u'\r') {
            result += QLatin1Char('\n');
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (u == u'\t' || u == u'\n') {
            result += c;
        } else if (u < 0x20 || u == 0xFFFE || u == 0xFFFF) {
            continue;
        } else if (c.isHighSurrogate()) {
            if (i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                result += c;
                result += text.at(++i);
            }
        } else if (!c.isLowSurrogate()) {
            result += c;
        }
    }
    return result;
}

} // namespace pelorin::office
